#include "print/ui/printqueue.h"

#include "print/printman.h"

#include <QByteArray>
#include <QLibrary>
#include <QPrintEngine>
#include <QPrinter>
#include <QStringList>
#include <algorithm>
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

bool StyleTakesPageLayoutChoices(u32 printmode)
{
    return printmode != PM_ENVELOPE && printmode != PM_LABELS;
}

PrintJobChoices JobChoicesForStyle(PrintJobChoices choices, u32 printmode)
{
    choices.copies = std::max(1, choices.copies);
    choices.collate = choices.collate && choices.copies > 1;
    if (!StyleTakesPageLayoutChoices(printmode)) {
        choices.twoSided = QPrinter::DuplexNone;
        choices.lastPageFirst = false;
        choices.pagesPerSheet = 1;
    }
    return choices;
}

QList<PrintQueueOption> JobQueueOptions(const QPrinter& printer, const PrintJobChoices& choices)
{
    QList<PrintQueueOption> options;
    switch (choices.twoSided) {
    case QPrinter::DuplexNone:
        options.append(PrintQueueOption("sides", "one-sided"));
        break;
    case QPrinter::DuplexShortSide:
        options.append(PrintQueueOption("sides", "two-sided-short-edge"));
        break;
    case QPrinter::DuplexAuto:
        // The pages are turned over along their long edge, as a book is.
        options.append(PrintQueueOption("sides",
            printer.pageLayout().orientation() == QPageLayout::Landscape ? "two-sided-short-edge"
                                                                         : "two-sided-long-edge"));
        break;
    default:
        options.append(PrintQueueOption("sides", "two-sided-long-edge"));
        break;
    }
    if (choices.copies > 1)
        options.append(PrintQueueOption("Collate", choices.collate ? "True" : "False"));
    if (choices.lastPageFirst)
        options.append(PrintQueueOption("outputorder", "reverse"));
    if (choices.pagesPerSheet > 1)
        options.append(PrintQueueOption("number-up", QByteArray::number(choices.pagesPerSheet)));
    if (const QPrintEngine* engine = printer.printEngine()) {
        const QStringList own = engine->property(kQueueOptionsKey).toStringList();
        for (qsizetype i = 0; i + 1 < own.size(); i += 2) {
            const QByteArray name = own[i].toUtf8();
            // What the job sets itself stays as the job sets it: a choice
            // left on the printer would go out with every later job.
            static const char* const kJobsOwn[] = {"copies", "media", "landscape", "sides", "Collate",
                "outputorder", "number-up", "number-up-layout"};
            if (std::any_of(std::begin(kJobsOwn), std::end(kJobsOwn),
                    [&name](const char* own) { return name == own; }))
                continue;
            options.append(PrintQueueOption(name, own[i + 1].toUtf8()));
        }
    }
    return options;
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
