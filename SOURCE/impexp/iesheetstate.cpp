#include "impexp/iesheetstate.h"

#include "core/dataman.h"
#include "core/fieldtexts.h"
#include "core/utilities.h"
#include "impexp/cardexchange.h"
#include "impexp/delimitedtext.h"
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
    m_nContactsImported = 0;
    m_strError.clear();
    m_nUnreadValues = 0;
    m_unreadValues.clear();
    CRegularFile file(QString::fromStdString(m_strImportPath));
    if (!file.open(QIODevice::ReadOnly)) {
        ReportFileError(IDS_IMPORT_FILE_ERROR, m_strImportPath, file);
        return RC_CANNOT_OPEN;
    }
    Book* book = m_pTargetBook ? m_pTargetBook : dataMan.GetCurrentBook();
    DelimitedTextFile in(file);
    std::string field;
    bool namesLine = m_bFirstLineNames;
    size_t row = 0;
    for (bool endOfFile = false; !endOfFile;) {
        ++row;
        auto contact = std::make_unique<Contact>();
        bool skip = namesLine;
        namesLine = false;
        bool endOfRecord = false;
        for (size_t column = 0; !endOfRecord; ++column) {
            if (!in.ReadField(m_chSeparator, field, endOfRecord, endOfFile, m_bOem)) {
                m_strError = in.Error();
                return RC_MISSING;
            }
            if (column == 0 && endOfRecord && field.empty())
                skip = true;
            if (!skip && column < m_fields.size() && m_fields[column] != 0
                && !SetContactFieldFromText(*contact, m_fields[column], field, m_nDateFormat))
                NoteUnreadValue(row, m_fields[column], field);
        }
        if (skip || !HasContactData(*contact))
            continue;
        NameUnnamedContact(*contact);
        ShowSecondHomeEmail(*contact);
        if (const u32 error = dataMan.AddContact(std::move(contact), book))
            return error;
        ++m_nContactsImported;
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
