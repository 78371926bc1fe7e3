#include "impexp/iedrivers.h"

#include "core/dataman.h"
#include "core/errorreport.h"
#include "core/utilities.h"
#include "impexp/addressbook.h"
#include "impexp/cardexchange.h"
#include "impexp/delimitedtext.h"
#include "impexp/iewizard.h"
#include "impexp/importtransaction.h"
#include "impexp/vcardimport.h"
#include "platform/regularfile.h"
#include "platform/savefile.h"
#include "platform/syserror.h"

#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <cerrno>
#include <cstdio>

namespace {

constexpr const char* kNothingImported = "Nothing was imported.";
constexpr const char* kKeptBefore = "%u contact(s) from the files before it were imported.";
constexpr const char* kLeftOut = "%u of the %u entries of the file gave no contact and were left out.";
constexpr const char* kNoCards = "The file holds no card that gives a contact.";
constexpr const char* kAddressBookError = "MAPI import error %x";
constexpr const char* kNoAddressBooks = "Windows address books cannot be read on this system.";
constexpr const char* kNoBook = "There is no book to export.";
constexpr const char* kProblemsLogged
    = "vCard import of %s: what could not be read was left out, as follows.";
constexpr const char* kProblemCards = "%s: %d card(s) could not be read whole; what could not be read was "
                                      "left out:";
constexpr const char* kProblemFile = "%s: parts of the file could not be read and were left out:";
constexpr const char* kMoreProblems = "... and %d more.";
constexpr const char* kUnreadLogged
    = "Import of %s: values that could not be read were left out, as follows.";
constexpr const char* kLeftOutColumns
    = "%zu column(s) of the file were not imported, and the values they held were left out: %s.";
constexpr const char* kLeftOutColumn = "\"%s\" (%zu value(s))";
constexpr const char* kMoreColumns = " and %zu more";
constexpr const char* kSeeErrorLog = "The error log lists every problem.";
constexpr size_t kProblemsShown = 5;
constexpr u32 IDS_LOSSY_DOS_EXPORT = 59784;
constexpr u32 IDS_IE_IMPORTED_UPDATED = 59795;
constexpr u32 IDS_UNREAD_VALUES = 59796;

void ReportOpenFailure(QObject* owner, u32 stringId, const std::string& path, const QFileDevice& file)
{
    ReportFileException(owner, stringId, path, FileCauseFromError(ErrorFromFileDevice(file.error(), errno)));
}

std::string IssueText(const CardIssue& issue)
{
    return issue.line > 0 ? FormatText("%s (line %d)", issue.text.c_str(), issue.line) : issue.text;
}

// Why a card file gave nothing: the reader's first note.
std::string CardProblem(const CCardExchange& exchange)
{
    return exchange.Issues().empty() ? kNoCards : IssueText(exchange.Issues().front());
}

// What an import left out: every note into the error log, the count and
// the first notes for the user, so that a damaged file never passes for a
// whole one. count may exceed the notes kept.
void NoteProblems(const std::string& logHead, const std::string& userHead,
    const std::vector<std::string>& notes, size_t count, IEOutcome& outcome)
{
    std::string log = logHead;
    for (const std::string& note : notes)
        log += "\r\n" + note;
    if (count > notes.size())
        log += "\r\n" + FormatText(kMoreProblems, int(count - notes.size()));
    const bool logged = AppendErrorLogNote(log + "\r\n");

    std::string text = userHead;
    const size_t shown = std::min(notes.size(), kProblemsShown);
    for (size_t i = 0; i < shown; ++i)
        text.append("\n- ").append(notes[i]);
    if (count > shown)
        text.append("\n").append(FormatText(kMoreProblems, int(count - shown)));
    if (logged)
        text.append("\n").append(kSeeErrorLog);
    if (!outcome.problems.empty())
        outcome.problems += "\n\n";
    outcome.problems += text;
}

void NoteCardProblems(const std::string& path, const CCardExchange& exchange, IEOutcome& outcome)
{
    if (exchange.IssueCount() == 0)
        return;
    std::vector<std::string> notes;
    for (const CardIssue& issue : exchange.Issues())
        notes.push_back(IssueText(issue));
    NoteProblems(FormatText(kProblemsLogged, path.c_str()),
        exchange.TroubledCards() > 0 ? FormatText(kProblemCards, path.c_str(), exchange.TroubledCards())
                                     : FormatText(kProblemFile, path.c_str()),
        notes, size_t(exchange.IssueCount()), outcome);
}

// The columns that no field read lose their values: the user learns which,
// to map them if they matter.
void NoteLeftOutColumns(const IESheetState& state, IEOutcome& outcome)
{
    if (state.m_nLeftOutColumns == 0)
        return;
    std::string list;
    for (const auto& [name, values] : state.m_leftOutColumns)
        list += (list.empty() ? "" : ", ") + FormatText(kLeftOutColumn, name.c_str(), values);
    if (state.m_nLeftOutColumns > state.m_leftOutColumns.size())
        list += FormatText(kMoreColumns, state.m_nLeftOutColumns - state.m_leftOutColumns.size());
    if (!outcome.problems.empty())
        outcome.problems += "\n\n";
    outcome.problems += FormatText(kLeftOutColumns, state.m_nLeftOutColumns, list.c_str());
}

// The cards of one file into the book. The outcome's counts grow by what
// the file gave. A file that does not open is shown to the owner at once
// when it is asked for; the outcome says why in any case.
u32 ImportCardFile(const std::string& path, bool merge, Book* book, ImportTransaction& transaction,
    IEOutcome& outcome, QObject* owner, bool showOpenFailure)
{
    CRegularFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        if (showOpenFailure)
            ReportOpenFailure(owner, IDS_IMPORT_FILE_ERROR, path, file);
        outcome.detail = path + ": " + file.errorString().toStdString();
        return RC_CANNOT_OPEN;
    }
    ReserveForCards(transaction.Store(), file);
    CCardExchange exchange;
    u32 error = 0;
    u32 made = 0;
    const int objects = exchange.Parse(file, [&](const CardNode& object) {
        if (error)
            return;
        exchange.Classify(object);
        if (!exchange.MakeContact())
            return;
        auto contact = std::move(exchange.Contacts().back());
        exchange.Contacts().pop_back();
        error = transaction.AddContact(std::move(contact), book, merge);
        ++made;
    });
    NoteCardProblems(path, exchange, outcome);
    if (error) {
        outcome.detail = ErrorText(error);
        return error;
    }
    if (objects < 0 || made == 0) {
        outcome.detail = path + ": " + CardProblem(exchange);
        return RC_MISSING;
    }
    outcome.contacts += made;
    outcome.offered += u32(objects);
    return 0;
}

Book* TargetBook(IESheetState& state, DataMan& dataMan)
{
    return state.m_pTargetBook ? state.m_pTargetBook : dataMan.GetCurrentBook();
}

u32 ExportCards(IESheetState& state, DataMan& dataMan, IEOutcome& outcome, QObject* owner)
{
    const Book* book = TargetBook(state, dataMan);
    if (!book) {
        outcome.detail = kNoBook;
        return RC_MISSING;
    }
    QSaveFile file(QString::fromStdString(state.m_strExportPath));
    if (!file.open(QIODevice::WriteOnly)) {
        ReportOpenFailure(owner, IDS_EXPORT_FILE_ERROR, state.m_strExportPath, file);
        return RC_CANNOT_OPEN;
    }
    DelimitedTextFile out(file);
    state.m_pOutput = &out;
    const u32 result = IESheetState::ForEachBookContact(dataMan, *book, state.m_nDuplicatesFlag == 0,
        [&state](const Contact& contact) { return state.WriteContactVCard(contact); });
    state.m_pOutput = nullptr;
    if (result == 0 && out.Flush() && CommitWholeFile(file))
        return 0;
    ReportOpenFailure(owner, IDS_EXPORT_FILE_ERROR, state.m_strExportPath, file);
    outcome.detail = out.Error();
    return result ? result : RC_SHORT_WRITE;
}

u32 ImportFromAddressBook(
    IEWizard& wizard, DataMan& dataMan, ImportTransaction& transaction, IEOutcome& outcome)
{
    IESheetState& state = wizard.m_state;
    const u32 result = ImportAddressBook(
        dataMan, state.m_strImportPath, state.m_nDuplicatesFlag != 0, state.m_pTargetBook, transaction);
    if (result == kAddressBookLibraryMissing && !AddressBookReaderInstalled())
        outcome.detail = kNoAddressBooks;
    else if (result)
        outcome.detail = FormatText(kAddressBookError, result);
    return result;
}

u32 RunImport(IEWizard& wizard, DataMan& dataMan, IEOutcome& outcome, QObject* owner)
{
    IESheetState& state = wizard.m_state;
    state.m_pOwner = owner;
    if (wizard.m_nFormat == IEF_DATA_FILE) {
        // The store's own import adds nothing unless the whole file reads.
        u32 books = 0;
        u32 contacts = 0;
        const int booksBefore = dataMan.GetBookCount();
        const u32 result = dataMan.ImportFile(state.m_strImportPath, &books, &contacts,
            state.m_nDuplicatesFlag ? IMPORT_MERGE : IMPORT_ATTACH, state.m_pTargetBook);
        if (result == 0) {
            // The file's books that met one of their name, and its root that
            // gave way to this store's, are no books the user gained.
            books = u32(std::max(dataMan.GetBookCount() - booksBefore, 0));
            outcome.books = books;
            outcome.contacts = contacts;
            outcome.changed = books != 0 || contacts != 0;
        }
        return result;
    }
    ImportTransaction transaction(dataMan);
    u32 result = 0;
    switch (wizard.m_nFormat) {
    case IEF_VCARD:
        result = ImportCardFile(state.m_strImportPath, state.m_nDuplicatesFlag != 0,
            TargetBook(state, dataMan), transaction, outcome, owner, true);
        break;
    case IEF_ADDRESS_BOOK:
        result = ImportFromAddressBook(wizard, dataMan, transaction, outcome);
        break;
    default:
        result = state.ImportDelimitedText(transaction);
        outcome.detail = state.m_strError;
        if (result == 0 && state.m_nUnreadValues > 0)
            NoteProblems(FormatText(kUnreadLogged, state.m_strImportPath.c_str()),
                FormatText(LoadResString(IDS_UNREAD_VALUES).c_str(), state.m_nUnreadValues),
                state.m_unreadValues, state.m_nUnreadValues, outcome);
        if (result == 0)
            NoteLeftOutColumns(state, outcome);
        break;
    }
    if (result) {
        transaction.Rollback();
        outcome.contacts = 0;
        outcome.offered = 0;
        return result;
    }
    outcome.books = transaction.BooksAdded();
    outcome.contacts = transaction.ContactsImported();
    outcome.updated = transaction.ContactsUpdated();
    outcome.changed = transaction.Changed();
    transaction.Commit();
    return 0;
}

u32 RunExport(IEWizard& wizard, DataMan& dataMan, IEOutcome& outcome, QObject* owner)
{
    IESheetState& state = wizard.m_state;
    state.m_pOwner = owner;
    switch (wizard.m_nFormat) {
    case IEF_DATA_FILE:
        return dataMan.ExportBook(state.m_strExportPath, TargetBook(state, dataMan));
    case IEF_VCARD:
        return ExportCards(state, dataMan, outcome, owner);
    default: {
        const u32 result = state.ExportDelimitedText(dataMan);
        if (result == RC_SHORT_WRITE)
            outcome.detail = "The file could not be written whole; it was left as it was.";
        // The DOS code page has no place for most letters beyond western
        // Europe's: the user learns that the file is not what the book holds.
        if (result == 0 && state.m_nLossyValues > 0)
            outcome.problems = FormatText(LoadResString(IDS_LOSSY_DOS_EXPORT).c_str(), state.m_nLossyValues);
        return result;
    }
    }
}

}  // namespace

IEOutcome RunImportExport(IEWizard& wizard, DataMan& dataMan, QObject* owner)
{
    IEOutcome outcome;
    outcome.import = wizard.IsImport();
    outcome.result = outcome.import ? RunImport(wizard, dataMan, outcome, owner)
                                    : RunExport(wizard, dataMan, outcome, owner);
    wizard.m_nBooksImported = outcome.books;
    wizard.m_state.m_nContactsImported = outcome.contacts;
    return outcome;
}

IEOutcome ImportVCardFiles(DataMan& dataMan, const std::vector<std::string>& paths, Book* book)
{
    IEOutcome outcome;
    for (const std::string& path : paths) {
        ImportTransaction transaction(dataMan);
        IEOutcome file;
        outcome.result = ImportCardFile(path, false, book, transaction, file, nullptr, false);
        if (outcome.result) {
            outcome.detail = file.detail;
            transaction.Rollback();
            break;
        }
        transaction.Commit();
        if (!file.problems.empty())
            outcome.problems += (outcome.problems.empty() ? "" : "\n\n") + file.problems;
        outcome.contacts += file.contacts;
        outcome.offered += file.offered;
        outcome.changed = true;
    }
    return outcome;
}

std::string OutcomeText(const IEOutcome& outcome)
{
    if (outcome.result) {
        std::string text = LoadResString(IDS_IE_FAILED);
        if (!outcome.detail.empty())
            text += "\n\n" + outcome.detail;
        if (outcome.import)
            text
                += "\n\n" + (outcome.contacts ? FormatText(kKeptBefore, outcome.contacts) : kNothingImported);
        return text;
    }
    if (!outcome.import)
        return outcome.problems;
    std::string text = outcome.updated == 0
        ? FormatText(LoadResString(IDS_IE_IMPORTED).c_str(), int(outcome.books), int(outcome.contacts))
        : FormatText(LoadResString(IDS_IE_IMPORTED_UPDATED).c_str(), int(outcome.books),
            int(outcome.contacts - outcome.updated), int(outcome.updated));
    if (outcome.offered > outcome.contacts)
        text += "\n\n" + FormatText(kLeftOut, outcome.offered - outcome.contacts, outcome.offered);
    else if (!outcome.detail.empty())
        text += "\n\n" + outcome.detail;
    if (!outcome.problems.empty())
        text += "\n\n" + outcome.problems;
    return text;
}

void ReportOutcome(const IEOutcome& outcome, QObject* owner)
{
    const std::string text = OutcomeText(outcome);
    if (text.empty())
        return;
    const bool whole = outcome.import && outcome.offered <= outcome.contacts && outcome.detail.empty()
        && outcome.problems.empty();
    if (outcome.result)
        MsgStopText(text, owner);
    else if (whole)
        MsgInfoText(text, owner);
    else
        MsgWarningText(text, owner);
}
