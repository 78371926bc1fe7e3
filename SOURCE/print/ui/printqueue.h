// Handing a finished PDF file to a printer's queue. The job is drawn whole
// into a private file first, so a job stopped or failed half-way never
// reaches the printer: Qt's CUPS engine cannot take back what its painter
// drew, and sends it when the painter ends.
#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <functional>

class QPrinter;

// A queue option as lp takes it with -o name=value.
using PrintQueueOption = QPair<QByteArray, QByteArray>;

// One job for a queue: the PDF file, the job's title, the number of copies,
// the paper it is for (the paper's key, "A4" or "Custom.100x148mm"), and
// the other choices made for the printer (two-sided, collated copies, page
// order, pages per sheet, and whatever the queue's own options hold).
struct PrintQueueJob {
    QString queue;
    QString file;
    QString title;
    int copies = 1;
    QString media;
    QList<PrintQueueOption> options;
};

// The choices held by the printer besides copies and paper, as queue
// options: "sides", "Collate", "outputorder" and the queue's own options
// (such as "number-up") set through Qt's printer dialogs.
QList<PrintQueueOption> PrinterQueueOptions(const QPrinter& printer);

// One of the queue's own options the printer holds for its jobs, empty
// when it holds none; setting an empty value drops it.
QString PrinterQueueOption(const QPrinter& printer, const QByteArray& name);
void SetPrinterQueueOption(QPrinter& printer, const QByteArray& name, const QString& value);

// Sends the job to its queue; true when the queue took it.
using PrintQueueSubmit = std::function<bool(const PrintQueueJob& job)>;

bool SubmitToPrintQueue(const PrintQueueJob& job);

// Tests put a queue of their own in place of CUPS; an empty function
// brings CUPS back.
void SetPrintQueueSubmit(PrintQueueSubmit submit);
