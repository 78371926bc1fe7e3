#include "print/ui/printqueue.h"

#include <QByteArray>
#include <QLibrary>
#include <QPrintEngine>
#include <QPrinter>
#include <QStringList>
#include <vector>

namespace {

// libcups' option pair and print call, as the library takes them.
struct CupsOption {
    char* name;
    char* value;
};
using CupsPrintFile = int (*)(const char*, const char*, const char*, int, CupsOption*);

PrintQueueSubmit& Replacement()
{
    static PrintQueueSubmit submit;
    return submit;
}

bool SubmitToCups(const PrintQueueJob& job)
{
    // libcups is there wherever Qt prints to CUPS; it is bound when first
    // needed, so the program starts without it.
    static QLibrary cups(QStringLiteral("cups"), 2);
    const auto printFile = reinterpret_cast<CupsPrintFile>(cups.resolve("cupsPrintFile"));
    if (!printFile)
        return false;
    // The paper goes with the job, so the queue takes that paper and does
    // not scale the pages onto its usual one.
    QList<PrintQueueOption> pairs{{"copies", QByteArray::number(std::max(1, job.copies))}};
    if (!job.media.isEmpty())
        pairs.append({"media", job.media.toUtf8()});
    pairs.append(job.options);
    std::vector<CupsOption> options;
    for (PrintQueueOption& pair : pairs)
        options.push_back({pair.first.data(), pair.second.data()});
    // The job's id, 0 when the queue refused it.
    return printFile(job.queue.toLocal8Bit().constData(), job.file.toLocal8Bit().constData(),
               job.title.toUtf8().constData(), int(options.size()), options.data())
        != 0;
}

// Where Qt's printer dialogs keep the queue's own options for a job: a list
// of names and values, one after the other.
constexpr auto kQueueOptionsKey = QPrintEngine::PrintEnginePropertyKey(0xfe00);

}  // namespace

QList<PrintQueueOption> PrinterQueueOptions(const QPrinter& printer)
{
    QList<PrintQueueOption> options;
    auto add = [&options](const QByteArray& name, const QByteArray& value) {
        options.removeIf([&name](const PrintQueueOption& o) { return o.first == name; });
        options.append(PrintQueueOption(name, value));
    };
    switch (printer.duplex()) {
    case QPrinter::DuplexNone:
        add("sides", "one-sided");
        break;
    case QPrinter::DuplexShortSide:
        add("sides", "two-sided-short-edge");
        break;
    case QPrinter::DuplexAuto:
        // The pages are turned over along their long edge, as a book is.
        add("sides",
            printer.pageLayout().orientation() == QPageLayout::Landscape ? "two-sided-short-edge"
                                                                         : "two-sided-long-edge");
        break;
    default:
        add("sides", "two-sided-long-edge");
        break;
    }
    if (printer.copyCount() > 1)
        add("Collate", printer.collateCopies() ? "True" : "False");
    if (printer.pageOrder() == QPrinter::LastPageFirst)
        add("outputorder", "reverse");
    if (const QPrintEngine* engine = printer.printEngine()) {
        const QStringList own = engine->property(kQueueOptionsKey).toStringList();
        for (qsizetype i = 0; i + 1 < own.size(); i += 2) {
            const QByteArray name = own[i].toUtf8();
            // What the job sets itself stays as the job sets it.
            if (name == "copies" || name == "media" || name == "landscape")
                continue;
            add(name, own[i + 1].toUtf8());
        }
    }
    return options;
}

QString PrinterQueueOption(const QPrinter& printer, const QByteArray& name)
{
    const QStringList own = printer.printEngine()
        ? printer.printEngine()->property(kQueueOptionsKey).toStringList()
        : QStringList();
    for (qsizetype i = 0; i + 1 < own.size(); i += 2)
        if (own[i].toUtf8() == name)
            return own[i + 1];
    return {};
}

void SetPrinterQueueOption(QPrinter& printer, const QByteArray& name, const QString& value)
{
    QPrintEngine* engine = printer.printEngine();
    if (!engine)
        return;
    const QStringList own = engine->property(kQueueOptionsKey).toStringList();
    QStringList kept;
    for (qsizetype i = 0; i + 1 < own.size(); i += 2)
        if (own[i].toUtf8() != name)
            kept << own[i] << own[i + 1];
    if (!value.isEmpty())
        kept << QString::fromUtf8(name) << value;
    engine->setProperty(kQueueOptionsKey, kept);
}

bool SubmitToPrintQueue(const PrintQueueJob& job)
{
    if (Replacement())
        return Replacement()(job);
    return SubmitToCups(job);
}

void SetPrintQueueSubmit(PrintQueueSubmit submit)
{
    Replacement() = std::move(submit);
}
