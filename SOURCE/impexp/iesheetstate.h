// What the import/export wizard decides, and the drivers that carry it out
// for delimited text and single vCards. The wizard's window keeps one of
// these; the drivers need no window, so they are tested and timed alone.
#pragma once

#include "core/records.h"
#include "impexp/fieldmapping.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class CCardExchange;
class DataMan;
class DelimitedTextFile;
class ImportTransaction;
class QFileDevice;
class QObject;

// The message lead of a file that could not be read or written.
constexpr u32 IDS_IMPORT_FILE_ERROR = 59101;
constexpr u32 IDS_EXPORT_FILE_ERROR = 59102;

class IESheetState {
public:
    IESheetState();
    ~IESheetState();
    IESheetState(const IESheetState&) = delete;
    IESheetState& operator=(const IESheetState&) = delete;

    // Each record of the import file becomes a contact of the target book
    // (else the current book) through the field list, one field id per
    // column; unless duplicates are allowed, a contact of the same name
    // there takes what it carries instead. Empty lines, the names line and
    // records that give a contact nothing are skipped. 0 when at least one
    // contact came in; RC_MISSING when none did or the file is not text
    // (m_strError says why); RC_CANNOT_OPEN when the file cannot be opened.
    // The transaction counts and, unless committed, undoes it.
    u32 ImportDelimitedText(ImportTransaction& transaction);
    // The same as a whole: all of it, or on failure nothing.
    u32 ImportDelimitedText(DataMan& dataMan);
    // The field captions, then the fields of each contact of the target book
    // (else the current book) and, unless switched off, of its sub-books.
    // The old file is replaced only when the new one is whole.
    u32 ExportDelimitedText(DataMan& dataMan);

    // A contact's card and an empty line, to the open output file.
    u32 WriteContactVCard(const Contact& contact);
    // One contact's card as the whole export file.
    u32 ExportContactVCard(const Contact& contact);

    int ParseDate(std::string_view text, DateValue& date) const;

    // Calls visit for each contact of the book in member order, then, with
    // subBooks, for those of its sub-books but "Deleted Items", depth first,
    // each book's contacts before its own sub-books; a contact of several
    // books is visited once. Stops at the first non-zero result.
    static u32 ForEachBookContact(const DataMan& dataMan, const Book& book, bool subBooks,
        const std::function<u32(const Contact&)>& visit);

    bool m_bOem = false;  // the DOS variants: code page 437
    char m_chSeparator = ',';
    std::string m_strImportPath;
    std::string m_strExportPath;
    bool m_bFirstLineNames = true;
    int m_nDateFormat = IDF_MONTH_DAY_YEAR;
    u32 m_nContactsImported = 0;
    Book* m_pTargetBook = nullptr;
    // 0 when the book page's box is checked: "Allow duplicates" on import,
    // "Include subbooks" on export.
    int m_nDuplicatesFlag = 0;
    // Import: one field id per column of the file, 0 for a column not
    // imported. Export: the fields in the order written.
    std::vector<u32> m_fields;
    // Where vCards of an export go while it runs.
    DelimitedTextFile* m_pOutput = nullptr;
    // The window that owns message boxes.
    QObject* m_pOwner = nullptr;
    // Why the last import stopped, for the user.
    std::string m_strError;
    // The values of the last delimited import that could not be read (a
    // date not in the date format chosen), and the first of them, each
    // with its row and column.
    std::size_t m_nUnreadValues = 0;
    std::vector<std::string> m_unreadValues;
    // The columns of the last delimited import that no field read and that
    // held values, and the first of them by name (else "Field %d"), each
    // with its count of values.
    std::size_t m_nLeftOutColumns = 0;
    std::vector<std::pair<std::string, std::size_t>> m_leftOutColumns;
    // The values of the last delimited export that lost characters the DOS
    // code page lacks (each written as "?").
    std::size_t m_nLossyValues = 0;

private:
    void ReportFileError(u32 stringId, const std::string& path, const QFileDevice& file) const;
    void NoteUnreadValue(size_t row, u32 fieldId, std::string_view text);
    // The contact's fields as the export writes them.
    std::string ExportText(const Contact& contact, u32 fieldId) const;

    std::unique_ptr<CCardExchange> m_exchange;
};
