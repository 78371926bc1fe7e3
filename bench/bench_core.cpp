// Writing and reading 100,000 contacts through the data file, as DataMan's
// save and load do.
#include "core/datafile.h"
#include "core/records.h"
#include "platform/programfolder.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kContacts = 100000;

std::vector<Contact> MakeContacts()
{
    std::vector<Contact> contacts(kContacts);
    for (int i = 0; i < kContacts; ++i) {
        Contact& c = contacts[size_t(i)];
        const std::string n = std::to_string(i);
        c.m_duID = u32(i + 15);
        c.m_books = {0};
        c.m_strFirstName = "First" + n;
        c.m_strLastName = "Last" + n;
        c.m_strName = c.m_strFirstName + ' ' + c.m_strLastName;
        c.m_strCompany = "Company " + std::to_string(i % 500);
        c.m_phones = {{1 | CV_DEFAULT_HOME_PHONE, "+1 555 01" + n}, {11, "+1 555 02" + n}};
        c.m_emails = {{1 | CV_DEFAULT_HOME_EMAIL, "person" + n + "@example.org"}};
        c.m_addresses
            = {{ADDR_HOME | ADDR_DEFAULT, n + " Main Street", "Springfield", "ST", "12345", "Land", 2, 0}};
        c.m_strNotes = "Met at the conference in " + std::to_string(1990 + i % 30) + '.';
    }
    return contacts;
}

struct Store {
    QTemporaryDir folder;
    CDataFile file;
    std::vector<Contact> contacts = MakeContacts();

    Store()
    {
        ProgramFolder::SetPathForTesting(folder.path());
        file.Open();
    }
    ~Store()
    {
        file.Close();
        ProgramFolder::SetPathForTesting(QString());
    }

    u32 Save()
    {
        const RecordIo io{file, DFK_DATA};
        u32 error = file.Rewind(DFK_DATA);
        const u32 count = u32(contacts.size());
        if (!error)
            error = file.Write(DFK_DATA, &count, sizeof count);
        for (const Contact& c : contacts) {
            if (error)
                break;
            error = c.Write(io);
        }
        if (!error)
            error = file.SetEnd(DFK_DATA);
        return error ? error : file.Flush(DFK_DATA);
    }

    u32 Load(std::vector<std::unique_ptr<Contact>>& out)
    {
        const RecordIo io{file, DFK_DATA};
        u32 count = 0;
        u32 error = file.Rewind(DFK_DATA);
        if (!error)
            error = file.Read(DFK_DATA, &count, sizeof count);
        for (u32 i = 0; i < count && !error; ++i) {
            out.push_back(std::make_unique<Contact>());
            error = out.back()->Read(io);
        }
        return error;
    }
};

void BM_SaveContacts(benchmark::State& state)
{
    Store store;
    for (auto _ : state) {
        if (store.Save() != 0)
            state.SkipWithError("save failed");
    }
    state.SetItemsProcessed(state.iterations() * kContacts);
}
BENCHMARK(BM_SaveContacts)->Unit(benchmark::kMillisecond);

void BM_LoadContacts(benchmark::State& state)
{
    Store store;
    if (store.Save() != 0)
        state.SkipWithError("save failed");
    std::vector<std::unique_ptr<Contact>> loaded;
    loaded.reserve(kContacts);
    for (auto _ : state) {
        if (store.Load(loaded) != 0 || loaded.size() != size_t(kContacts))
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(loaded.data());
        // Freeing the store is not part of loading it.
        state.PauseTiming();
        loaded.clear();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kContacts);
}
BENCHMARK(BM_LoadContacts)->Unit(benchmark::kMillisecond);

}  // namespace
