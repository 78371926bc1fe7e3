// Reading a vCard file of 100,000 cards as phones and mail programs write
// them (quoted-printable notes and addresses, UTF-8 names, several phones
// and e-mails per card), alone and mapped onto contacts; writing 100,000
// contacts as cards; exporting and importing 100,000 contacts as CSV.
#include "core/datafile.h"
#include "core/dataman.h"
#include "impexp/cardexchange.h"
#include "impexp/delimitedtext.h"
#include "impexp/iesheetstate.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <string>
#include <sys/resource.h>

namespace {

constexpr int kCards = 100000;

std::string Digits(int n, int width)
{
    std::string s = std::to_string(n);
    return std::string(size_t(std::max(0, width - int(s.size()))), '0') + s;
}

// Written to the file a megabyte at a time, so that the peak memory shown
// is that of reading.
qint64 WriteCards(QFile& file)
{
    static const char* const kGiven[] = {"Zo\xC3\xAB", "J\xC3\xBCrgen", "Ay\xC5\x9F\x65", "Fran\xC3\xA7ois",
        "\xC5\x81ukasz", "Siobh\xC3\xA1n", "Bj\xC3\xB6rn", "Chidi"};
    static const char* const kFamily[] = {"M\xC3\xBCller", "\xC3\x96zt\xC3\xBCrk", "Nowak",
        "Ibrahimovi\xC4\x87", "O'Neill", "S\xC3\xB8rensen", "Okafor", "Garc\xC3\xAD\x61"};
    std::string out;
    qint64 size = 0;
    for (int i = 0; i < kCards; ++i) {
        const std::string given = kGiven[i % 8];
        const std::string family = std::string(kFamily[(i / 8) % 8]) + "-" + std::to_string(i);
        const std::string n = Digits(i, 5);
        out += "BEGIN:VCARD\r\nVERSION:2.1\r\n";
        out += "N;CHARSET=UTF-8:" + family + ";" + given + ";;;\r\n";
        out += "FN;CHARSET=UTF-8:" + given + " " + family + "\r\n";
        out += "TEL;WORK;VOICE:+44 20 7946 " + n + "\r\n";
        if (i % 2 == 0)
            out += "TEL;CELL:+44 7700 9" + n + "\r\n";
        out += "EMAIL;INTERNET;WORK:contact" + n + "@example.com\r\n";
        out += "ADR;WORK;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:;;" + std::to_string(i % 200 + 1)
            + " K=C3=B6nigstra=C3=9Fe;M=C3=BCnchen;Bayern;80331;Deutschland\r\n";
        out += "BDAY:19" + Digits(50 + i % 50, 2) + "0" + std::to_string(1 + i % 9) + "15\r\n";
        out += "NOTE;ENCODING=QUOTED-PRINTABLE:Met at the fair =E2=80=93 wants=\r\n a catalogue.=0D=0ANo. "
            + n + "\r\n";
        out += "END:VCARD\r\n";
        if (out.size() > (1 << 20) || i + 1 == kCards) {
            file.write(out.data(), qint64(out.size()));
            size += qint64(out.size());
            out.clear();
        }
    }
    return size;
}

// Touches every value, as mapping the cards onto contacts will.
size_t Walk(const CardNode& node)
{
    size_t bytes = node.value.size();
    for (const CardNode& child : node.Children())
        bytes += Walk(child);
    return bytes;
}

long PeakMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

// The file of cards, written once for the benchmarks that read it.
struct CardFile {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("cards.vcf"));
    qint64 size = 0;

    CardFile()
    {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        size = WriteCards(file);
    }
};

void BM_ReadVCardFile(benchmark::State& state)
{
    const CardFile input;
    // Before the first file is read: the program, Qt and the benchmark library.
    static const long before = PeakMiB();
    size_t cards = 0;
    size_t valueBytes = 0;
    for (auto _ : state) {
        QFile file(input.path);
        file.open(QIODevice::ReadOnly);
        CCardExchange exchange;
        cards = size_t(exchange.Parse(file, [&](const CardNode& card) { valueBytes += Walk(card); }));
        benchmark::DoNotOptimize(valueBytes);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * input.size);
    state.counters["cards"] = double(cards);
    state.counters["file_MB"] = double(input.size) / 1e6;
    state.counters["peak_MiB"] = double(PeakMiB());
    state.counters["peak_before_read_MiB"] = double(before);
}
BENCHMARK(BM_ReadVCardFile)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Reading and mapping: every card becomes a contact, handed on as an import
// into the store takes them.
void BM_ReadAndMapVCardFile(benchmark::State& state)
{
    const CardFile input;
    size_t contacts = 0;
    size_t phones = 0;
    for (auto _ : state) {
        QFile file(input.path);
        file.open(QIODevice::ReadOnly);
        CCardExchange exchange;
        contacts = phones = 0;
        exchange.LoadFromFile(&file, [&](std::unique_ptr<Contact> contact) {
            ++contacts;
            phones += contact->m_phones.size();
        });
        benchmark::DoNotOptimize(phones);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * input.size);
    state.counters["contacts"] = double(contacts);
    state.counters["peak_MiB"] = double(PeakMiB());
}
BENCHMARK(BM_ReadAndMapVCardFile)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// A contact as people keep them: names, a company, phones and e-mails of
// both kinds, an address, a birthday and a note with a line break.
Contact SampleContact(int i)
{
    Contact c;
    const std::string n = std::to_string(i);
    c.m_strFirstName = i % 3 ? "J\xC3\xBCrgen" : "Ann";
    c.m_strLastName = "M\xC3\xBCller-" + n;
    c.m_strName = c.m_strFirstName + ' ' + c.m_strLastName;
    c.m_strCompany = "Company " + std::to_string(i % 500);
    c.m_strJobTitle = "Buyer";
    c.m_phones = {{1 | CV_DEFAULT_HOME_PHONE, "+49 30 555 " + n},
        {11 | CV_DEFAULT_BUSINESS_PHONE, "+49 89 555 " + n}, {5, "+49 170 555 " + n}};
    c.m_emails = {{6 | CV_DEFAULT_BUSINESS_EMAIL, "contact" + n + "@example.com"}};
    const std::string street = n + " K\xC3\xB6nigstra\xC3\x9F\x65";
    c.m_addresses
        = {{ADDR_BUSINESS | ADDR_DEFAULT, street, "M\xC3\xBCnchen", "Bayern", "80331", "Deutschland", 0, 0}};
    c.m_dtBirthday = {double(20000 + i % 10000), DateStatus::Valid};
    c.m_strNotes = "Met at the fair.\r\nWants a catalogue.";
    return c;
}

void BM_WriteVCards(benchmark::State& state)
{
    std::vector<Contact> contacts;
    for (int i = 0; i < kCards; ++i)
        contacts.push_back(SampleContact(i));
    qint64 bytes = 0;
    for (auto _ : state) {
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("out.vcf")));
        file.open(QIODevice::WriteOnly);
        DelimitedTextFile out(file);
        IESheetState sheet;
        sheet.m_pOutput = &out;
        for (const Contact& contact : contacts)
            sheet.WriteContactVCard(contact);
        out.Flush();
        bytes = file.size();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * bytes);
    state.counters["file_MB"] = double(bytes) / 1e6;
}
BENCHMARK(BM_WriteVCards)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// A store whose root book holds 100,000 contacts.
struct Store {
    CDataFile file;
    DataMan dataMan{file};
    Store() { dataMan.Init(); }
    void Fill()
    {
        for (int i = 0; i < kCards; ++i)
            dataMan.AddContact(std::make_unique<Contact>(SampleContact(i)), dataMan.GetRootBook());
    }
};

void BM_ExportCsv(benchmark::State& state)
{
    Store store;
    store.Fill();
    QTemporaryDir dir;
    IESheetState sheet;
    sheet.m_strExportPath = dir.filePath(QStringLiteral("out.csv")).toStdString();
    sheet.m_fields = DefaultExportFields();
    for (auto _ : state)
        sheet.ExportDelimitedText(store.dataMan);
    const qint64 bytes = QFileInfo(QString::fromStdString(sheet.m_strExportPath)).size();
    state.SetBytesProcessed(int64_t(state.iterations()) * bytes);
    state.counters["file_MB"] = double(bytes) / 1e6;
}
BENCHMARK(BM_ExportCsv)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_ImportCsv(benchmark::State& state)
{
    QTemporaryDir dir;
    IESheetState sheet;
    sheet.m_strExportPath = sheet.m_strImportPath = dir.filePath(QStringLiteral("in.csv")).toStdString();
    {
        Store store;
        store.Fill();
        sheet.m_fields = DefaultExportFields();
        sheet.ExportDelimitedText(store.dataMan);
    }
    sheet.m_fields = DefaultImportFields();
    u32 imported = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto store = std::make_unique<Store>();
        state.ResumeTiming();
        sheet.ImportDelimitedText(store->dataMan);
        imported = sheet.m_nContactsImported;
        state.PauseTiming();
        store.reset();
        state.ResumeTiming();
    }
    const qint64 bytes = QFileInfo(QString::fromStdString(sheet.m_strImportPath)).size();
    state.SetBytesProcessed(int64_t(state.iterations()) * bytes);
    state.counters["contacts"] = double(imported);
}
BENCHMARK(BM_ImportCsv)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
