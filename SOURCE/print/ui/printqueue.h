// Handing a finished PDF file to a printer's queue. The job is drawn whole
// into a private file first, so a job stopped or failed half-way never
// reaches the printer: Qt's CUPS engine cannot take back what its painter
// drew, and sends it when the painter ends.
#pragma once

#include <QString>
#include <functional>

// Sends the file to the queue as one job with the title and the number of
// copies; true when the queue took it.
using PrintQueueSubmit
    = std::function<bool(const QString& queue, const QString& file, const QString& title, int copies)>;

bool SubmitToPrintQueue(const QString& queue, const QString& file, const QString& title, int copies);

// Tests put a queue of their own in place of CUPS; an empty function
// brings CUPS back.
void SetPrintQueueSubmit(PrintQueueSubmit submit);
