#include "impexp/iesheetstate.h"

#include "core/dataman.h"
#include "core/fieldtexts.h"
#include "core/utilities.h"
#include "impexp/cardexchange.h"
#include "impexp/delimitedtext.h"
#include "impexp/importtransaction.h"
#include "platform/regularfile.h"
#include "platform/savefile.h"
#include "platform/syserror.h"

#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <cerrno>
#include <unordered_set>

namespace {

constexpr const char* kUnreadValue = "row %zu, %s: \"%s\"";
// Enough to find each value in the file, little enough for the log.
constexpr size_t kUnreadValuesKept = 100;
constexpr size_t kUnreadTextShown = 80;
constexpr const char* kColumnName = "Field %d";
// As many columns as a message shows.
constexpr size_t kLeftOutColumnsKept = 20;

// Tolva's own file holds whole addresses beside their parts. Only the parts
// are read, but a whole text tells whether the parts came in, and the
// default address's text which address was the default.
struct WholeAddressColumn {
    size_t column;
    u32 fieldId;
};

std::vector<WholeAddressColumn> WholeAddressColumns(const std::vector<std::string>& names)
{
    // The first column of each: a few at most, whatever the file holds.
    std::vector<WholeAddressColumn> columns;
    for (size_t i = 0; i < names.size(); ++i) {
        const u32 id = FieldOfColumnName(names[i]);
        if (id != 0 && !IsImportableField(id)
            && std::none_of(columns.begin(), columns.end(), [id](const auto& c) { return c.fieldId == id; }))
            columns.push_back({i, id});
    }
    return columns;
}

// Whether the default address, laid out as this store lays it out, reads
// as the text when the address at the index is the default.
bool DefaultReads(Contact& contact, size_t index, const std::string& text)
{
    for (size_t i = 0; i < contact.m_addresses.size(); ++i)
        contact.m_addresses[i].m_dwType
            = (contact.m_addresses[i].m_dwType & ~ADDR_DEFAULT) | (i == index ? ADDR_DEFAULT : 0);
    return FormatFieldText(contact, FID_DEFAULT_ADDRESS) == text;
}

// The address whose text the default address's text was written from takes
// the default flag: the one of the whole column of the same text, else the
// one that reads the same here. The first address made keeps it otherwise.
void KeepWrittenDefaultAddress(
    Contact& contact, const std::vector<WholeAddressColumn>& whole, const std::vector<std::string>& texts)
{
    const auto at = std::find_if(whole.begin(), whole.end(),
        [](const WholeAddressColumn& c) { return c.fieldId == FID_DEFAULT_ADDRESS; });
    if (at == whole.end() || texts[size_t(at - whole.begin())].empty() || contact.m_addresses.size() < 2)
        return;
    const std::string written = texts[size_t(at - whole.begin())];
    std::vector<std::string> laidOut;
    for (size_t i = 0; i < whole.size(); ++i)
        if (whole[i].fieldId != FID_DEFAULT_ADDRESS && texts[i] == written)
            laidOut.push_back(FormatFieldText(contact, whole[i].fieldId));
    laidOut.push_back(written);
    const auto before = contact.m_addresses;
    for (const std::string& text : laidOut)
        for (size_t index = 0; index < contact.m_addresses.size(); ++index)
            if (!text.empty() && DefaultReads(contact, index, text))
                return;
    contact.m_addresses = before;
}

}  // namespace

IESheetState::IESheetState() = default;
IESheetState::~IESheetState() = default;

void IESheetState::ReportFileError(u32 stringId, const std::string& path, const QFileDevice& file) const
{
    ReportFileException(
        m_pOwner, stringId, path, FileCauseFromError(ErrorFromFileDevice(file.error(), errno)));
}

int IESheetState::ParseDate(std::string_view text, DateValue& date) const
{
    return ::ParseDate(text, m_nDateFormat, date);
}

u32 IESheetState::ImportDelimitedText(DataMan& dataMan)
{
    ImportTransaction transaction(dataMan);
    const u32 result = ImportDelimitedText(transaction);
    if (result)
        transaction.Rollback();
    else
        transaction.Commit();
    return result;
}

u32 IESheetState::ImportDelimitedText(ImportTransaction& transaction)
{
    m_nContactsImported = 0;
    m_strError.clear();
    m_nUnreadValues = 0;
    m_unreadValues.clear();
    m_leftOutColumns.clear();
    m_nLeftOutColumns = 0;
    CRegularFile file(QString::fromStdString(m_strImportPath));
    if (!file.open(QIODevice::ReadOnly)) {
        ReportFileError(IDS_IMPORT_FILE_ERROR, m_strImportPath, file);
        return RC_CANNOT_OPEN;
    }
    Book* book = m_pTargetBook ? m_pTargetBook : transaction.Store().GetCurrentBook();
    const bool merge = m_nDuplicatesFlag != 0;
    DelimitedTextFile in(file);
    std::string field;
    std::vector<std::string> names;
    std::vector<WholeAddressColumn> whole;
    // The values of each column that no field reads.
    std::vector<size_t> leftOut;
    const auto noteLeftOut = [&leftOut](size_t column) {
        if (leftOut.size() <= column)
            leftOut.resize(column + 1, 0);
        ++leftOut[column];
    };
    bool namesLine = m_bFirstLineNames;
    size_t row = 0;
    for (bool endOfFile = false; !endOfFile;) {
        ++row;
        auto contact = std::make_unique<Contact>();
        const bool isNames = namesLine;
        namesLine = false;
        bool emptyLine = false;
        std::vector<std::string> wholeTexts(whole.size());
        bool endOfRecord = false;
        for (size_t column = 0; !endOfRecord; ++column) {
            if (!in.ReadField(m_chSeparator, field, endOfRecord, endOfFile, m_bOem)) {
                m_strError = in.Error();
                return RC_MISSING;
            }
            if (isNames) {
                names.push_back(field);
                continue;
            }
            if (column == 0 && endOfRecord && field.empty()) {
                emptyLine = true;
                continue;
            }
            const u32 id = column < m_fields.size() ? m_fields[column] : 0;
            if (id != 0) {
                if (!SetContactFieldFromText(*contact, id, field, m_nDateFormat))
                    NoteUnreadValue(row, id, field);
            } else if (const auto it = std::find_if(whole.begin(), whole.end(),
                           [column](const WholeAddressColumn& c) { return c.column == column; });
                       it != whole.end()) {
                wholeTexts[size_t(it - whole.begin())] = field;
            } else if (!field.empty()) {
                noteLeftOut(column);
            }
        }
        if (isNames) {
            whole = WholeAddressColumns(names);
            continue;
        }
        if (emptyLine)
            continue;
        KeepWrittenDefaultAddress(*contact, whole, wholeTexts);
        // A whole address is lost only when its parts brought nothing.
        for (size_t i = 0; i < whole.size(); ++i)
            if (!wholeTexts[i].empty() && FormatFieldText(*contact, whole[i].fieldId).empty())
                noteLeftOut(whole[i].column);
        if (!HasContactData(*contact))
            continue;
        NameUnnamedContact(*contact);
        ShowSecondHomeEmail(*contact);
        if (const u32 error = transaction.AddContact(std::move(contact), book, merge))
            return error;
        ++m_nContactsImported;
    }
    for (size_t column = 0; column < leftOut.size(); ++column) {
        if (leftOut[column] == 0 || m_nLeftOutColumns++ >= kLeftOutColumnsKept)
            continue;
        const bool named = column < names.size() && !names[column].empty();
        m_leftOutColumns.emplace_back(
            named ? names[column] : FormatText(kColumnName, unsigned(column)), leftOut[column]);
    }
    if (m_nContactsImported == 0) {
        m_strError = "the file holds no contact for the fields chosen";
        return RC_MISSING;
    }
    return 0;
}

void IESheetState::NoteUnreadValue(size_t row, u32 fieldId, std::string_view text)
{
    if (m_nUnreadValues++ < kUnreadValuesKept)
        m_unreadValues.push_back(FormatText(kUnreadValue, row, LoadResString(fieldId).c_str(),
            std::string(text.substr(0, kUnreadTextShown)).c_str()));
}

std::string IESheetState::ExportText(const Contact& contact, u32 fieldId) const
{
    // Dates as numbers, which the import reads back, rather than in the
    // words of the locale.
    if (fieldId == FID_BIRTHDAY)
        return FormatDateNumbers(contact.m_dtBirthday, m_nDateFormat);
    if (fieldId == FID_ANNIVERSARY)
        return FormatDateNumbers(contact.m_dtAnniversary, m_nDateFormat);
    return FormatFieldText(contact, fieldId);
}

u32 IESheetState::ForEachBookContact(
    const DataMan& dataMan, const Book& book, bool subBooks, const std::function<u32(const Contact&)>& visit)
{
    // An explicit stack: a deep tree of books must not exhaust the call stack.
    std::vector<const Book*> pending{&book};
    std::unordered_set<u32> seen;
    // A contact of several of the books is written once: a file read back
    // must not give it twice.
    std::unordered_set<u32> written;
    while (!pending.empty()) {
        const Book* current = pending.back();
        pending.pop_back();
        if (!seen.insert(current->m_duID).second)
            continue;
        size_t position = 0;
        while (const Contact* contact = current->GetNextContact(dataMan, position)) {
            if (!written.insert(contact->m_duID).second)
                continue;
            if (const u32 error = visit(*contact))
                return error;
        }
        if (!subBooks)
            break;
        const size_t first = pending.size();
        position = 0;
        // Deleted contacts go out only with "Deleted Items" chosen itself.
        while (const Book* child = current->GetNextBook(dataMan, position))
            if (child != dataMan.GetDeletedItemsBook())
                pending.push_back(child);
        std::reverse(pending.begin() + std::ptrdiff_t(first), pending.end());
    }
    return 0;
}

u32 IESheetState::ExportDelimitedText(DataMan& dataMan)
{
    QSaveFile file(QString::fromStdString(m_strExportPath));
    if (!file.open(QIODevice::WriteOnly)) {
        ReportFileError(IDS_EXPORT_FILE_ERROR, m_strExportPath, file);
        return RC_CANNOT_OPEN;
    }
    m_nLossyValues = 0;
    const Book* book = m_pTargetBook ? m_pTargetBook : dataMan.GetCurrentBook();
    DelimitedTextFile out(file);
    bool written = WriteHeaderLine(out, m_chSeparator, m_fields, m_bOem);
    if (written && book) {
        std::vector<std::string> texts(m_fields.size());
        const u32 result
            = ForEachBookContact(dataMan, *book, m_nDuplicatesFlag == 0, [&](const Contact& contact) {
                  for (size_t i = 0; i < m_fields.size(); ++i)
                      texts[i] = ExportText(contact, m_fields[i]);
                  return out.WriteRecord(m_chSeparator, texts, m_bOem) ? 0u : RC_SHORT_WRITE;
              });
        written = result == 0;
    }
    if (!out.Flush() || !written || !CommitWholeFile(file)) {
        ReportFileError(IDS_EXPORT_FILE_ERROR, m_strExportPath, file);
        return RC_SHORT_WRITE;
    }
    m_nLossyValues = out.LossyFields();
    return 0;
}

u32 IESheetState::WriteContactVCard(const Contact& contact)
{
    if (!m_pOutput)
        return RC_NO_OUTPUT_FILE;
    if (!m_exchange)
        m_exchange = std::make_unique<CCardExchange>();
    m_exchange->Reset(true);
    m_exchange->CopyContact(contact);
    m_exchange->SetLoaded(true);
    if (const u32 error = m_exchange->SaveToFile(m_pOutput))
        return error;
    return m_pOutput->Write("\r\n\r\n") ? 0 : RC_SHORT_WRITE;
}

u32 IESheetState::ExportContactVCard(const Contact& contact)
{
    QSaveFile file(QString::fromStdString(m_strExportPath));
    if (!file.open(QIODevice::WriteOnly)) {
        ReportFileError(IDS_EXPORT_FILE_ERROR, m_strExportPath, file);
        return RC_CANNOT_OPEN;
    }
    DelimitedTextFile out(file);
    m_pOutput = &out;
    const u32 result = WriteContactVCard(contact);
    m_pOutput = nullptr;
    if (result == 0 && out.Flush() && CommitWholeFile(file))
        return 0;
    ReportFileError(IDS_EXPORT_FILE_ERROR, m_strExportPath, file);
    return result ? result : RC_SHORT_WRITE;
}
