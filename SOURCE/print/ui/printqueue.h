// Handing a finished PDF file to a printer's queue. The job is drawn whole
// into a private file first, so a job stopped or failed half-way never
// reaches the printer: Qt's CUPS engine cannot take back what its painter
// drew, and sends it when the painter ends.
#pragma once

#include "platform/wintypes.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QPrinter>
#include <QString>
#include <functional>

// A queue option as lp takes it with -o name=value.
using PrintQueueOption = QPair<QByteArray, QByteArray>;

// One job for a queue: the PDF file, the job's title, the number of copies,
// the paper it is for (the paper's key, "A4" or "Custom.100x148mm"), and
// the other choices made for the job (two-sided, collated copies, page
// order, pages per sheet, and whatever the queue's own options hold).
struct PrintQueueJob {
    QString queue;
    QString file;
    QString title;
    int copies = 1;
    QString media;
    QList<PrintQueueOption> options;
};

// What the print dialog chose for the one job it starts. A job started
// without it (from an options dialog, or from the preview's page setup)
// goes out as these defaults say: one copy, one-sided, a page to a sheet,
// first page first.
struct PrintJobChoices {
    int copies = 1;
    bool collate = false;
    QPrinter::DuplexMode twoSided = QPrinter::DuplexNone;
    bool lastPageFirst = false;
    int pagesPerSheet = 1;
};

// Whether a style's pages may be laid out as the user chooses: a label
// sheet or an envelope goes out one page to a sheet, first page first, on
// one side, as it is cut to fit the sheet or the envelope.
bool StyleTakesPageLayoutChoices(u32 printmode);
// The choices as a job of the style takes them.
PrintJobChoices JobChoicesForStyle(PrintJobChoices choices, u32 printmode);

// A job's queue options besides copies and paper: "sides", "Collate",
// "outputorder" and "number-up" from the job's choices, then the printer's
// own options (set through Qt's page setup) other than those.
QList<PrintQueueOption> JobQueueOptions(const QPrinter& printer, const PrintJobChoices& choices);

// Sends the job to its queue; true when the queue took it.
using PrintQueueSubmit = std::function<bool(const PrintQueueJob& job)>;

bool SubmitToPrintQueue(const PrintQueueJob& job);

// Tests put a queue of their own in place of CUPS; an empty function
// brings CUPS back.
void SetPrintQueueSubmit(PrintQueueSubmit submit);
