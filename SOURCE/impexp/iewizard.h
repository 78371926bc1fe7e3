// The import/export wizard's flow without its windows: which page shows,
// which buttons it offers, what choosing a format sets, the paths kept per
// format, and the checks made when the File page is left. The sheet and its
// pages are views of one of these; tests drive it alone.
#pragma once

#include "impexp/iefieldsmodel.h"
#include "impexp/iesheetstate.h"

#include <string>
#include <vector>

class QObject;

enum ImportExportFormat : int {
    IEF_NONE = 0,
    IEF_CSV_DOS = 1,
    IEF_CSV = 2,
    IEF_TSV_DOS = 3,
    IEF_TSV = 4,
    IEF_USER_SEPARATOR = 5,  // import only
    IEF_DATA_FILE = 6,
    IEF_ADDRESS_BOOK = 7,  // import only
    IEF_VCARD = 8,
};

constexpr int IED_EXPORT = 0;
constexpr int IED_IMPORT = 1;

enum IEPage : int { IEP_START = 0, IEP_TYPE = 1, IEP_BOOK = 2, IEP_FILE = 3, IEP_FIELDS = 4 };

// What the sheet's buttons and title show.
constexpr u32 IDS_IE_CAPTION = 59100;
constexpr u32 IDS_IE_FAILED = 59158;
constexpr u32 IDS_IE_IMPORTED = 59159;
constexpr u32 IDS_IE_FILE_DIALOG_FAILED = 59170;
constexpr u32 IDS_IE_TITLE_EXPORT = 59171;
constexpr u32 IDS_IE_TITLE_IMPORT = 59172;
constexpr u32 IDS_IE_TITLE = 59173;
// The sheet's result when it ends with Finish.
constexpr int ID_WIZFINISH = 12325;

// One row of the Type page.
struct IEFormatRow {
    int format;
    std::string text;
};

// The file dialog's choice for a format.
struct IEFileFilter {
    const char* defaultExtension;
    const char* filter;  // "Name (*.ext)|*.ext|...||"
};

class IEWizard {
public:
    IEWizard();

    bool IsImport() const { return m_nDirection == IED_IMPORT; }
    IEPage Page() const { return m_page; }
    std::string Title() const;

    // The Start page's choice.
    void SetDirection(int direction);
    // The Type page's rows for the direction, each with its format.
    std::vector<IEFormatRow> FormatRows() const;
    // Sets the format with its code page and separator; the path shown on
    // the File page is the one last used for the format and direction.
    void SelectFormat(int format);
    // Whether the format can be run here: a reader for address books needs
    // libraries this system does not have.
    bool FormatAvailable(int format) const;

    bool HasFieldsPage() const;
    bool ShowsNext() const;
    bool ShowsFinish() const;
    bool CanGoBack() const { return m_page != IEP_START; }
    bool CanGoNext() const;

    // Moves on when the page's checks pass; false keeps the page (the reason
    // was shown through the message sink).
    bool Next(QObject* owner = nullptr);
    void Back();
    // True when the wizard is done and the driver may run.
    bool Finish(QObject* owner = nullptr);
    bool Finished() const { return m_bFinished; }

    // The path the File page edits: the import or the export path.
    std::string& Path() { return IsImport() ? m_state.m_strImportPath : m_state.m_strExportPath; }
    const std::string& Path() const { return IsImport() ? m_state.m_strImportPath : m_state.m_strExportPath; }
    // "DataMan" value names of the remembered paths.
    static std::string PathEntry(bool import, int format);
    static IEFileFilter FileFilter(int format);
    // The format's own and the default address book.
    bool ShowsDefaultAddressBook() const { return IsImport() && m_nFormat == IEF_ADDRESS_BOOK; }

    int m_nDirection = IED_IMPORT;
    int m_nFormat = IEF_NONE;
    u32 m_nBooksImported = 0;
    IESheetState m_state;
    IEFieldsModel m_fields;

private:
    bool LeaveFilePage(QObject* owner);
    void EnterFieldsPage(QObject* owner);
    void LoadPath();

    IEPage m_page = IEP_START;
    bool m_bFinished = false;
};

// Whether address books can be read: the default answer is no; a program
// or test that has a reader installs one (addressbook.h).
bool AddressBookReaderInstalled();
