#include "print/ui/printqueue.h"

#include <QByteArray>
#include <QLibrary>

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
    QByteArray names[] = {"copies", "media"};
    QByteArray values[] = {QByteArray::number(std::max(1, job.copies)), job.media.toUtf8()};
    CupsOption options[] = {{names[0].data(), values[0].data()}, {names[1].data(), values[1].data()}};
    const int count = job.media.isEmpty() ? 1 : 2;
    // The job's id, 0 when the queue refused it.
    return printFile(job.queue.toLocal8Bit().constData(), job.file.toLocal8Bit().constData(),
               job.title.toUtf8().constData(), count, options)
        != 0;
}

}  // namespace

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
