// The application's printer and the operations on it: the page setup over
// the print margins, the paper for envelope and label jobs, and printing a
// job on the printer.
#pragma once

#include "platform/printdc.h"
#include "platform/wintypes.h"
#include "print/ui/printqueue.h"

#include <QString>

class CPrintInfo;
class PrintMan;
class QPrinter;
class QWidget;

// What the print and option dialogs end with.
constexpr int kResultPrint = 1;
constexpr int kResultCancel = 2;
constexpr int kResultPreview = 1000;
constexpr int kResultPageSetup = 1001;

// The printer the program prints on, made on first use.
QPrinter& AppPrinter();

// The page setup over the memo and report margins; true on OK, when the
// margins and the paper were taken.
bool DoPageSetup(PrintMan& printMan, QPrinter& printer, QWidget* parent);

// What a print job ends with besides the number of pages printed.
constexpr int kPrintFailed = -1;
constexpr int kPrintCancelled = -2;

// The printer's sheet in logical units, with its unprintable strips.
PageCaps PrinterPageCaps(const QPrinter& printer);

// Prints the job on the printer: begin pass, the pages, end pass, with the
// printing dialog (over parent) showing the document's name and the page
// and stopping the job between pages on Cancel. The paper follows the style
// (labels: the sheet's paper) and is put back afterwards; the document's
// name titles the PDF and names the print queue's job, which goes out with
// the choices made for it (as its style takes them). A file is complete
// or not there. The number of pages printed; kPrintFailed when the job
// could not be started ("Could not start print job." has been shown) or
// failed, kPrintCancelled when the user stopped it.
int PrintOnPrinter(PrintMan& printMan, CPrintInfo& info, QPrinter& printer, const QString& docName = {},
    QWidget* parent = nullptr, const PrintJobChoices& choices = {});
