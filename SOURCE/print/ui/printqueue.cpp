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

bool SubmitToCups(const QString& queue, const QString& file, const QString& title, int copies)
{
    // libcups is there wherever Qt prints to CUPS; it is bound when first
    // needed, so the program starts without it.
    static QLibrary cups(QStringLiteral("cups"), 2);
    const auto printFile = reinterpret_cast<CupsPrintFile>(cups.resolve("cupsPrintFile"));
    if (!printFile)
        return false;
    QByteArray name("copies"), value = QByteArray::number(std::max(1, copies));
    CupsOption option{name.data(), value.data()};
    // The job's id, 0 when the queue refused it.
    return printFile(queue.toLocal8Bit().constData(), file.toLocal8Bit().constData(),
               title.toUtf8().constData(), 1, &option)
        != 0;
}

}  // namespace

bool SubmitToPrintQueue(const QString& queue, const QString& file, const QString& title, int copies)
{
    if (Replacement())
        return Replacement()(queue, file, title, copies);
    return SubmitToCups(queue, file, title, copies);
}

void SetPrintQueueSubmit(PrintQueueSubmit submit)
{
    Replacement() = std::move(submit);
}
