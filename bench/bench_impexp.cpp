// Reading a vCard file of 100,000 cards as phones and mail programs write
// them: quoted-printable notes and addresses, UTF-8 names, several phones
// and e-mails per card.
#include "impexp/cardexchange.h"

#include <QFile>
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
    static const char* const kGiven[] = {"Zo\xC3\xAB", "J\xC3\xBCrgen",
        "Ay\xC5\x9F"
        "e",
        "Fran\xC3\xA7ois", "\xC5\x81ukasz", "Siobh\xC3\xA1n", "Bj\xC3\xB6rn", "Chidi"};
    static const char* const kFamily[] = {"M\xC3\xBCller", "\xC3\x96zt\xC3\xBCrk", "Nowak",
        "Ibrahimovi\xC4\x87", "O'Neill", "S\xC3\xB8rensen", "Okafor",
        "Garc\xC3\xAD"
        "a"};
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

void BM_ReadVCardFile(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("cards.vcf"));
    qint64 fileSize;
    {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        fileSize = WriteCards(file);
    }
    // Before the first file is read: the program, Qt and the benchmark library.
    static const long before = PeakMiB();
    size_t cards = 0;
    size_t valueBytes = 0;
    for (auto _ : state) {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        CCardExchange exchange;
        cards = size_t(exchange.Parse(file, [&](const CardNode& card) { valueBytes += Walk(card); }));
        benchmark::DoNotOptimize(valueBytes);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * fileSize);
    state.counters["cards"] = double(cards);
    state.counters["file_MB"] = double(fileSize) / 1e6;
    state.counters["peak_MiB"] = double(PeakMiB());
    state.counters["peak_before_read_MiB"] = double(before);
}
BENCHMARK(BM_ReadVCardFile)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
