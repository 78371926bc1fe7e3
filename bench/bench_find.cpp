// Quick find over 100,000 contacts, as one keystroke's search; and copying
// 10,000 contacts to the clipboard and pasting them into another book.
#include "benchcontacts.h"
#include "core/datafile.h"
#include "core/dataman.h"
#include "core/userman.h"
#include "mainwnd/contactview.h"
#include "mainwnd/containerwnd.h"
#include "mainwnd/mainframe.h"
#include "platform/programfolder.h"
#include "telephony/tapiman.h"
#include "widgetsmain.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>
#include <string>

namespace {

constexpr int kContacts = 100000;
constexpr int kCopied = 10000;
constexpr u32 kNamesAndNotes = 0x81;

// The running program over a store of 100,000 contacts in the root book
// and an empty book "Pasted".
struct Session {
    Session()
    {
        ProgramFolder::SetPathForTesting(dir.path());
        user.Init(1);
        SetAppUserMan(&user);
        file.Open();
        dm = std::make_unique<DataMan>(file, &user);
        dm->Init();
        dm->SetAlphabetFilter(kFilterAll);
        for (int i = 0; i < kContacts; ++i)
            dm->AddContact(MakeBenchContact(i, kContacts), dm->GetRootBook());
        auto book = std::make_unique<Book>();
        book->m_strName = "Pasted";
        pasted = dm->AddBook(std::move(book), dm->GetRootBook());
        frame = std::make_unique<CMainFrame>(user, *dm, tapi);
        frame->resize(1280, 900);
        frame->show();
        QApplication::processEvents();
    }
    ~Session()
    {
        frame.reset();
        dm->Close();
        file.Close();
    }
    CContainerWnd& Container() const { return *frame->GetContainer(); }

    QTemporaryDir dir;
    UserMan user;
    CDataFile file;
    TapiMan tapi;
    std::unique_ptr<DataMan> dm;
    std::unique_ptr<CMainFrame> frame;
    Book* pasted = nullptr;
};

Session& TheSession()
{
    return SharedUntilEnd<Session>();
}

// A keystroke's search: the text typed so far, in this book.
void BM_QuickFind(benchmark::State& state, const char* text)
{
    Session& s = TheSession();
    s.dm->SetCurrentBook(s.dm->GetRootBook());
    s.Container().RefreshForBook();
    if (!s.Container().InFindMode())
        s.frame->OnCommand(ID_FIND_CONTACT);
    for (auto _ : state)
        s.Container().Find(QString::fromLatin1(text), false, kNamesAndNotes);
    state.counters["rows"] = s.Container().Grid().RowCount();
    s.frame->OnCommand(ID_FIND_CONTACT);
}
BENCHMARK_CAPTURE(BM_QuickFind, few_rows, "last4242")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_QuickFind, every_row, "fair")->Unit(benchmark::kMillisecond);

void BM_CopyAndPasteIntoAnotherBook(benchmark::State& state)
{
    Session& s = TheSession();
    ContactListView& grid = s.Container().Grid();
    for (auto _ : state) {
        state.PauseTiming();
        s.dm->SetCurrentBook(s.dm->GetRootBook());
        s.Container().RefreshForBook();
        std::vector<Contact*> shown = grid.ShownContacts();
        shown.resize(kCopied);
        grid.SelectContacts(shown);
        state.ResumeTiming();
        s.frame->OnCommand(ID_EDIT_COPY);
        s.dm->SetCurrentBook(s.pasted);
        s.Container().RefreshForBook();
        s.frame->OnCommand(ID_EDIT_PASTE);
        state.PauseTiming();
        if (grid.RowCount() != kCopied)
            state.SkipWithError(("rows pasted: " + std::to_string(grid.RowCount())).c_str());
        // Empty the book again for the next round.
        std::vector<Contact*> added = grid.ShownContacts();
        for (Contact* contact : added)
            s.dm->DeleteContact(contact, false);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_CopyAndPasteIntoAnotherBook)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
