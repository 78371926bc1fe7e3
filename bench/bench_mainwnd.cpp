// The main window over a large store: from the data file to a window that
// shows the first screen of a 100,000-contact book, switching between two
// books of 50,000 contacts, and deleting 10,000 selected contacts to
// "Deleted Items" with the save that follows.
#include "benchcontacts.h"
#include "core/datafile.h"
#include "core/dataman.h"
#include "core/userman.h"
#include "mainwnd/containerwnd.h"
#include "mainwnd/mainframe.h"
#include "platform/programfolder.h"
#include "telephony/tapiman.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>
#include <string>

namespace {

constexpr int kContacts = 100000;
constexpr int kDeleted = 10000;

// A program folder whose data file holds the root book with every contact
// and two books "Even" and "Odd" of half of them each.
class Folder {
public:
    Folder()
    {
        ProgramFolder::SetPathForTesting(m_dir.path());
        UserMan user;
        user.Init(1);
        CDataFile file;
        file.Open();
        DataMan dm(file, &user);
        dm.Init();
        Book* halves[2];
        for (int h = 0; h < 2; ++h) {
            auto book = std::make_unique<Book>();
            book->m_strName = h == 0 ? "Even" : "Odd";
            halves[h] = dm.AddBook(std::move(book), dm.GetRootBook());
        }
        for (int i = 0; i < kContacts; ++i) {
            int index = -1;
            dm.AddContact(MakeBenchContact(i, kContacts), dm.GetRootBook(), &index);
            dm.AddContactToBook(dm.GetContactAt(index), halves[i % 2]);
        }
        dm.SetAlphabetFilter(kFilterAll);
        dm.Close();
        file.Close();
    }

private:
    QTemporaryDir m_dir;
};

// What the program holds while it runs.
struct Session {
    Session()
    {
        user.Init(1);
        SetAppUserMan(&user);
        file.Open();
        dm = std::make_unique<DataMan>(file, &user);
        dm->Init();
        dm->SetAlphabetFilter(kFilterAll);
        frame = std::make_unique<CMainFrame>(user, *dm, tapi);
        frame->resize(1280, 900);
        frame->show();
        QApplication::processEvents();
    }
    Book* FindBook(const std::string& name) const
    {
        for (int i = 0; i < dm->GetBookCount(); ++i) {
            if (dm->GetBookAt(i)->m_strName == name)
                return dm->GetBookAt(i);
        }
        return nullptr;
    }
    void Show(Book* book)
    {
        dm->SetCurrentBook(book);
        frame->GetContainer()->RefreshForBook();
        QApplication::processEvents();
    }

    UserMan user;
    CDataFile file;
    TapiMan tapi;
    std::unique_ptr<DataMan> dm;
    std::unique_ptr<CMainFrame> frame;
};

Folder& TheFolder()
{
    static Folder folder;
    return folder;
}

void BM_StartToFirstScreen(benchmark::State& state)
{
    TheFolder();
    for (auto _ : state) {
        Session session;
        if (session.frame->GetContainer()->Grid().RowCount() != kContacts)
            state.SkipWithError("rows missing");
        state.PauseTiming();
        session.frame.reset();
        session.dm.reset();
        session.file.Close();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartToFirstScreen)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SwitchBooks(benchmark::State& state)
{
    TheFolder();
    Session session;
    Book* books[2] = {session.FindBook("Even"), session.FindBook("Odd")};
    int next = 0;
    for (auto _ : state) {
        session.Show(books[next]);
        next ^= 1;
        if (session.frame->GetContainer()->Grid().RowCount() != kContacts / 2)
            state.SkipWithError("rows missing");
    }
    session.dm->SetCurrentBook(session.dm->GetRootBook());
}
BENCHMARK(BM_SwitchBooks)->Unit(benchmark::kMillisecond);

void BM_DeleteToDeletedItemsAndSave(benchmark::State& state)
{
    TheFolder();
    Session session;
    Book* even = session.FindBook("Even");
    session.Show(even);
    ContactListView& grid = session.frame->GetContainer()->Grid();
    for (auto _ : state) {
        state.PauseTiming();
        const std::vector<Contact*> shown = grid.ShownContacts();
        std::vector<Contact*> chosen;
        for (size_t i = 0; i < shown.size() && chosen.size() < size_t(kDeleted); i += 5)
            chosen.push_back(shown[i]);
        grid.SelectContacts(chosen);
        state.ResumeTiming();
        session.frame->OnCommand(ID_CONTACT_DELETE);
        state.PauseTiming();
        if (grid.RowCount() != kContacts / 2 - kDeleted) {
            state.SkipWithError(("rows left: " + std::to_string(grid.RowCount()) + " selected "
                + std::to_string(grid.SelectedCount()))
                                    .c_str());
            break;
        }
        // Back where they were, for the next round.
        for (Contact* contact : chosen) {
            session.dm->MoveContact(session.dm->GetDeletedItemsBook(), even, contact);
            session.dm->AddContactToBook(contact, session.dm->GetRootBook());
        }
        session.dm->Save(DFK_DATA);
        session.Show(even);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_DeleteToDeletedItemsAndSave)->Unit(benchmark::kMillisecond);

}  // namespace
