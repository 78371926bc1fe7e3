#include "impexp/iewizard.h"

#include "core/utilities.h"
#include "impexp/delimitedtext.h"
#include "platform/profile.h"
#include "platform/regularfile.h"
#include "platform/syserror.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>

namespace {

constexpr const char* kSection = "DataMan";
constexpr const char* kSelectFile = "Please select a file.";
constexpr const char* kReplaceFile = "\nThis file already exists!\n\nReplace existing file?";
constexpr const char* kNotAvailable = " (not available on this system)";

struct FormatInfo {
    int format;
    const char* text;
    const char* pathKind;  // of the remembered paths' value names
    IEFileFilter filter;
};

// The Type page's rows in the order shown on export; on import the
// user-separator row goes fifth and the address-book row last.
constexpr FormatInfo kFormats[] = {
    {IEF_CSV_DOS, "Comma Separated Values (DOS)", "CSV",
        {"csv", "Comma Separated Values (DOS) (*.csv)|*.csv|All Files(*.*)|*.*||"}},
    {IEF_CSV, "Comma Separated Values (Windows)", "CSV",
        {"csv", "Comma Separated Values (Windows) (*.csv)|*.csv|All Files(*.*)|*.*||"}},
    {IEF_TSV_DOS, "Tab Separated Values (DOS)", "TSV",
        {"txt", "Tab Separated Values (DOS) (*.txt)|*.txt|All Files(*.*)|*.*||"}},
    {IEF_TSV, "Tab Separated Values (Windows)", "TSV",
        {"txt", "Tab Separated Values (Windows) (*.txt)|*.txt|All Files(*.*)|*.*||"}},
    {IEF_VCARD, "vCard file", "VCARD", {"vcf", "vCard file (*.vcf)|*.vcf||"}},
    {IEF_DATA_FILE, "Tolva data file", "TOLVA", {"dtv", "Tolva data file (*.dtv)|*.dtv||"}},
    {IEF_USER_SEPARATOR, "Text file with user-defined separator", "CSV",
        {"txt", "Text file with user-defined separators (*.txt)|*.txt|All Files(*.*)|*.*||"}},
    {IEF_ADDRESS_BOOK, "Windows Address book", "WAB",
        {"wab", "Windows address books files (*.wab)|*.wab|All Files (*.*)|*.*||"}},
};
constexpr int kBothWays = 6;  // rows before the import-only ones

const FormatInfo* Info(int format)
{
    for (const FormatInfo& info : kFormats)
        if (info.format == format)
            return &info;
    return nullptr;
}

}  // namespace

IEWizard::IEWizard()
{
    m_state.m_chSeparator = ',';
}

std::string IEWizard::Title() const
{
    if (m_page == IEP_START)
        return LoadResString(IDS_IE_TITLE);
    return LoadResString(IsImport() ? IDS_IE_TITLE_IMPORT : IDS_IE_TITLE_EXPORT);
}

void IEWizard::SetDirection(int direction)
{
    m_nDirection = direction == IED_EXPORT ? IED_EXPORT : IED_IMPORT;
}

std::vector<IEFormatRow> IEWizard::FormatRows() const
{
    std::vector<IEFormatRow> rows;
    for (int i = 0; i < kBothWays; ++i)
        rows.push_back({kFormats[i].format, kFormats[i].text});
    if (IsImport()) {
        rows.insert(rows.begin() + 4, {IEF_USER_SEPARATOR, Info(IEF_USER_SEPARATOR)->text});
        std::string book = Info(IEF_ADDRESS_BOOK)->text;
        if (!FormatAvailable(IEF_ADDRESS_BOOK))
            book += kNotAvailable;
        rows.push_back({IEF_ADDRESS_BOOK, book});
    }
    return rows;
}

void IEWizard::SelectFormat(int format)
{
    const auto rows = FormatRows();
    const bool offered = std::any_of(
        rows.begin(), rows.end(), [format](const IEFormatRow& r) { return r.format == format; });
    m_nFormat = offered ? format : rows.front().format;
    m_state.m_bOem = m_nFormat == IEF_CSV_DOS || m_nFormat == IEF_TSV_DOS;
    switch (m_nFormat) {
    case IEF_CSV_DOS:
    case IEF_CSV:
        m_state.m_chSeparator = ',';
        break;
    case IEF_TSV_DOS:
    case IEF_TSV:
        m_state.m_chSeparator = '\t';
        break;
    case IEF_USER_SEPARATOR:
        m_state.m_chSeparator = ';';
        break;
    default:
        break;
    }
}

bool IEWizard::FormatAvailable(int format) const
{
    return format != IEF_ADDRESS_BOOK || AddressBookReaderInstalled();
}

bool IEWizard::HasFieldsPage() const
{
    return m_nFormat >= IEF_CSV_DOS && m_nFormat <= (IsImport() ? IEF_USER_SEPARATOR : IEF_TSV);
}

bool IEWizard::ShowsNext() const
{
    return m_page < IEP_FILE || (m_page == IEP_FILE && HasFieldsPage());
}

bool IEWizard::ShowsFinish() const
{
    return !ShowsNext() && m_page != IEP_START;
}

bool IEWizard::CanGoNext() const
{
    if (m_page == IEP_TYPE)
        return m_nFormat != IEF_NONE && FormatAvailable(m_nFormat);
    return ShowsNext();
}

std::string IEWizard::PathEntry(bool import, int format)
{
    const FormatInfo* info = Info(format);
    return info ? std::string(import ? "ImportPath" : "ExportPath") + info->pathKind : std::string();
}

IEFileFilter IEWizard::FileFilter(int format)
{
    const FormatInfo* info = Info(format);
    return info ? info->filter : IEFileFilter{"", ""};
}

void IEWizard::LoadPath()
{
    Path() = Profile::GetString(kSection, PathEntry(IsImport(), m_nFormat).c_str());
}

bool IEWizard::Next(QObject* owner)
{
    if (!CanGoNext())
        return false;
    switch (m_page) {
    case IEP_START:
        m_page = IEP_TYPE;
        SelectFormat(m_nFormat);
        return true;
    case IEP_TYPE:
        m_page = IEP_BOOK;
        return true;
    case IEP_BOOK:
        m_page = IEP_FILE;
        LoadPath();
        return true;
    case IEP_FILE:
        if (!LeaveFilePage(owner))
            return false;
        m_page = IEP_FIELDS;
        EnterFieldsPage(owner);
        return true;
    case IEP_FIELDS:
        break;
    }
    return false;
}

void IEWizard::Back()
{
    if (m_page != IEP_START)
        m_page = IEPage(m_page - 1);
}

bool IEWizard::LeaveFilePage(QObject* owner)
{
    std::string& path = Path();
    if (path.empty()) {
        // The default address book has no file.
        if (ShowsDefaultAddressBook() && !ShowsNext())
            return true;
        MsgWarningText(kSelectFile, owner);
        return false;
    }
    if (IsImport()) {
        CRegularFile file(QString::fromStdString(path));
        if (QFileInfo(file).isDir() || !file.open(QIODevice::ReadOnly)) {
            const u32 error
                = QFileInfo(file).isDir() ? ERROR_ACCESS_DENIED : ErrorFromFileDevice(file.error(), errno);
            ReportFileException(owner, IDS_IMPORT_FILE_ERROR, path, FileCauseFromError(error));
            return false;
        }
    } else if (QFileInfo::exists(QString::fromStdString(path))) {
        const int answer = CurrentMessageSink().ShowMessage(
            owner, path + kReplaceFile, kProductName, MB_YESNO | MB_ICONEXCLAMATION);
        if (answer != IDYES)
            return false;
    }
    Profile::WriteString(kSection, PathEntry(IsImport(), m_nFormat).c_str(), path);
    return true;
}

void IEWizard::EnterFieldsPage(QObject* owner)
{
    if (m_fields.m_bImport != IsImport() || m_fields.m_fields.empty())
        m_fields.Load(IsImport());
    if (IsImport())
        m_fields.RefreshImport(
            m_state.m_strImportPath, m_state.m_chSeparator, m_state.m_bOem, m_state.m_bFirstLineNames, owner);
    else if (m_fields.m_rows.empty())
        m_fields.FillExport();
}

bool IEWizard::Finish(QObject* owner)
{
    if (!ShowsFinish())
        return false;
    if (m_page == IEP_FILE) {
        if (!LeaveFilePage(owner))
            return false;
    } else {
        if (IsImport() && !m_fields.m_bSampleRead)
            return false;
        if (!m_fields.Finish(owner))
            return false;
        m_state.m_fields = m_fields.m_fields;
    }
    m_bFinished = true;
    return true;
}
