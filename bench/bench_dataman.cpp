// The store at 100,000 contacts: loading and saving the data file, filling a
// book, deleting through "Deleted Items", and an export of the root imported
// back with merge.
#include "core/datafile.h"
#include "core/dataman.h"
#include "core/userman.h"
#include "platform/programfolder.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>
#include <string>

namespace {

constexpr int kContacts = 100000;
constexpr int kDeleted = 10000;

std::unique_ptr<Contact> MakeContact(int i)
{
    auto c = std::make_unique<Contact>();
    const std::string n = std::to_string(i);
    c->m_strFirstName = "First" + n;
    c->m_strLastName = "Last" + n;
    c->m_strName = c->m_strFirstName + ' ' + c->m_strLastName;
    c->m_strCompany = "Company " + std::to_string(i % 500);
    c->m_phones = {{1 | CV_DEFAULT_HOME_PHONE, "+1 555 01" + n}, {11, "+1 555 02" + n}};
    c->m_emails = {{1 | CV_DEFAULT_HOME_EMAIL, "person" + n + "@example.org"}};
    c->m_addresses
        = {{ADDR_HOME | ADDR_DEFAULT, n + " Main Street", "Springfield", "ST", "12345", "Land", 2, 0}};
    c->m_strNotes = "Met at the conference in " + std::to_string(1990 + i % 30) + '.';
    return c;
}

// A program folder whose data file holds the contacts, all in the root.
class Store {
public:
    Store()
    {
        ProgramFolder::SetPathForTesting(m_folder.path());
        Open();
        for (int i = 0; i < kContacts; ++i)
            m_dm->AddContact(MakeContact(i), m_dm->GetRootBook());
        m_dm->Save(DFK_DATA);
    }
    ~Store()
    {
        Close();
        ProgramFolder::SetPathForTesting(QString());
    }

    void Open()
    {
        m_file = std::make_unique<CDataFile>();
        m_dm = std::make_unique<DataMan>(*m_file, &m_user);
        m_file->Open();
        m_dm->Init();
    }
    void Close()
    {
        m_dm.reset();
        m_file.reset();
    }
    // Back to the full store after an operation that removed contacts.
    void Refill()
    {
        for (int i = m_dm->GetContactCount(); i < kContacts; ++i)
            m_dm->AddContact(MakeContact(i), m_dm->GetRootBook());
    }
    DataMan& Dm() { return *m_dm; }
    std::string Path(const char* name) const { return m_folder.filePath(name).toStdString(); }

private:
    QTemporaryDir m_folder;
    UserMan m_user;
    std::unique_ptr<CDataFile> m_file;
    std::unique_ptr<DataMan> m_dm;
};

Store& TheStore()
{
    static Store store;
    return store;
}

void BM_Load(benchmark::State& state)
{
    Store& store = TheStore();
    store.Close();
    UserMan user;
    std::unique_ptr<CDataFile> file;
    std::unique_ptr<DataMan> dm;
    for (auto _ : state) {
        state.PauseTiming();
        dm.reset();
        file = std::make_unique<CDataFile>();
        file->Open();
        dm = std::make_unique<DataMan>(*file, &user);
        state.ResumeTiming();
        if (dm->Init() != 0 || dm->GetContactCount() != kContacts)
            state.SkipWithError("load failed");
    }
    dm.reset();
    file.reset();
    store.Open();
    state.SetItemsProcessed(state.iterations() * kContacts);
}
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond);

void BM_Save(benchmark::State& state)
{
    DataMan& dm = TheStore().Dm();
    for (auto _ : state) {
        if (dm.Save(DFK_DATA) != 0)
            state.SkipWithError("save failed");
    }
    state.SetItemsProcessed(state.iterations() * kContacts);
}
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond);

void BM_AddAllContactsToABook(benchmark::State& state)
{
    DataMan& dm = TheStore().Dm();
    for (auto _ : state) {
        state.PauseTiming();
        auto fresh = std::make_unique<Book>();
        fresh->m_strName = "Everyone";
        Book* book = dm.AddBook(std::move(fresh), dm.GetRootBook());
        state.ResumeTiming();
        for (int i = 0; i < dm.GetContactCount(); ++i)
            dm.AddContactToBook(dm.GetContactAt(i), book);
        state.PauseTiming();
        dm.DeleteBook(book, true);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kContacts);
}
BENCHMARK(BM_AddAllContactsToABook)->Unit(benchmark::kMillisecond);

void BM_DeleteToDeletedItemsAndEmpty(benchmark::State& state)
{
    Store& store = TheStore();
    for (auto _ : state) {
        state.PauseTiming();
        store.Refill();
        DataMan& dm = store.Dm();
        std::vector<Contact*> chosen;
        for (int i = 0; i < kDeleted; ++i)
            chosen.push_back(dm.GetContactAt(i * (kContacts / kDeleted)));
        state.ResumeTiming();
        for (Contact* contact : chosen)
            dm.DeleteContact(contact, true);
        if (dm.EmptyDeletedItems() != 0 || dm.GetContactCount() != kContacts - kDeleted)
            state.SkipWithError("delete failed");
    }
    store.Refill();
    state.SetItemsProcessed(state.iterations() * kDeleted);
}
BENCHMARK(BM_DeleteToDeletedItemsAndEmpty)->Unit(benchmark::kMillisecond);

void BM_ExportRoot(benchmark::State& state)
{
    Store& store = TheStore();
    for (auto _ : state) {
        if (store.Dm().ExportBook(store.Path("root.dtv"), store.Dm().GetRootBook()) != 0)
            state.SkipWithError("export failed");
    }
    state.SetItemsProcessed(state.iterations() * kContacts);
}
BENCHMARK(BM_ExportRoot)->Unit(benchmark::kMillisecond);

// Every contact meets itself by name: the store keeps its size.
void BM_ImportRootWithMerge(benchmark::State& state)
{
    Store& store = TheStore();
    DataMan& dm = store.Dm();
    const std::string path = store.Path("root.dtv");
    dm.ExportBook(path, dm.GetRootBook());
    for (auto _ : state) {
        u32 books = 0;
        u32 contacts = 0;
        // The counts are those the file held, merged contacts included.
        if (dm.ImportFile(path, &books, &contacts, IMPORT_MERGE, dm.GetRootBook()) != 0
            || contacts != u32(kContacts) || dm.GetContactCount() != kContacts)
            state.SkipWithError("import failed");
    }
    state.SetItemsProcessed(state.iterations() * kContacts);
}
BENCHMARK(BM_ImportRootWithMerge)->Unit(benchmark::kMillisecond);

}  // namespace
