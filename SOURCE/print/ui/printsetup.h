// The application's printer and the operations on it: the page setup over
// the print margins, the paper for envelope and label jobs, and printing a
// job on the printer.
#pragma once

#include "platform/wintypes.h"

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

// Prints the job on the printer: begin pass, the pages, end pass. The paper
// follows the style (labels: the sheet's paper) and is put back afterwards.
// The number of pages printed; -1 when the job could not be started ("Could
// not start print job." has been shown).
int PrintOnPrinter(PrintMan& printMan, CPrintInfo& info, QPrinter& printer);
