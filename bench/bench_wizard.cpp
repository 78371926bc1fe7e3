// The import/export wizard's drivers at 100,000 contacts: a book exported as
// vCards and as CSV, and each file imported into a new book of a fresh
// store, as the wizard runs them after Finish (with the undo record an
// import keeps).
#include "core/datafile.h"
#include "core/dataman.h"
#include "impexp/fieldmapping.h"
#include "impexp/iedrivers.h"
#include "impexp/iewizard.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>
#include <string>

namespace {

constexpr int kContacts = 100000;

std::unique_ptr<Contact> Person(int i)
{
    auto c = std::make_unique<Contact>();
    const std::string n = std::to_string(i);
    c->m_strFirstName = i % 2 ? "Zo\xC3\xAB" : "Bj\xC3\xB6rn";
    c->m_strLastName = "Nowak-" + n;
    c->m_strName = c->m_strFirstName + " " + c->m_strLastName;
    c->m_strCompany = "Firm " + std::to_string(i % 300);
    c->m_phones = {{1 | CV_DEFAULT_HOME_PHONE, "+48 22 555 " + n}, {5, "+48 600 555 " + n}};
    c->m_emails = {{1 | CV_DEFAULT_HOME_EMAIL, "person" + n + "@example.org"}};
    c->m_addresses
        = {{ADDR_HOME | ADDR_DEFAULT, n + " Marsza\xC5\x82kowska", "Warszawa", "", "00-001", "Polska", 0, 0}};
    c->m_strNotes = "Line one\r\nline two";
    return c;
}

struct Store {
    CDataFile file;
    DataMan dataMan{file};
    Book* book = nullptr;

    Store()
    {
        dataMan.Init();
        auto b = std::make_unique<Book>();
        b->m_strName = "Bench";
        book = dataMan.AddBook(std::move(b), dataMan.GetRootBook());
    }
    void Fill()
    {
        for (int i = 0; i < kContacts; ++i)
            dataMan.AddContact(Person(i), book);
    }
};

// A wizard that finished for the format and direction.
void Finished(IEWizard& wizard, int direction, int format, const std::string& path, Book* book)
{
    wizard.SetDirection(direction);
    wizard.SelectFormat(format);
    wizard.Path() = path;
    wizard.m_state.m_pTargetBook = book;
    wizard.m_state.m_fields = direction == IED_IMPORT ? DefaultImportFields() : DefaultExportFields();
}

void Export(benchmark::State& state, int format, const char* name)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath(QString::fromUtf8(name)).toStdString();
    Store store;
    store.Fill();
    IEWizard wizard;
    Finished(wizard, IED_EXPORT, format, path, store.book);
    for (auto _ : state) {
        const IEOutcome outcome = RunImportExport(wizard, store.dataMan, nullptr);
        if (outcome.result)
            state.SkipWithError("export failed");
    }
    state.counters["file_MB"] = double(QFileInfo(QString::fromStdString(path)).size()) / 1e6;
}

void Import(benchmark::State& state, int format, const char* name)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath(QString::fromUtf8(name)).toStdString();
    {
        Store source;
        source.Fill();
        IEWizard wizard;
        Finished(wizard, IED_EXPORT, format, path, source.book);
        RunImportExport(wizard, source.dataMan, nullptr);
    }
    u32 contacts = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto store = std::make_unique<Store>();
        IEWizard wizard;
        Finished(wizard, IED_IMPORT, format, path, store->book);
        state.ResumeTiming();
        const IEOutcome outcome = RunImportExport(wizard, store->dataMan, nullptr);
        contacts = outcome.contacts;
        if (outcome.result)
            state.SkipWithError("import failed");
        state.PauseTiming();
        store.reset();
        state.ResumeTiming();
    }
    state.counters["contacts"] = double(contacts);
}

void BM_WizardExportVCards(benchmark::State& state)
{
    Export(state, IEF_VCARD, "out.vcf");
}
void BM_WizardImportVCards(benchmark::State& state)
{
    Import(state, IEF_VCARD, "in.vcf");
}
void BM_WizardExportCsv(benchmark::State& state)
{
    Export(state, IEF_CSV, "out.csv");
}
void BM_WizardImportCsv(benchmark::State& state)
{
    Import(state, IEF_CSV, "in.csv");
}

}  // namespace

BENCHMARK(BM_WizardExportVCards)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_WizardImportVCards)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_WizardExportCsv)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_WizardImportCsv)->Unit(benchmark::kMillisecond)->MinTime(2.0);
