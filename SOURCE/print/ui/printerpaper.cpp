#include "print/ui/printerpaper.h"

#include "core/utilities.h"
#include "print/printoutput.h"

#include <QPrinter>
#include <QPrinterInfo>
#include <QWidget>

namespace {

PrinterPapersLookup& Lookup()
{
    static PrinterPapersLookup lookup;
    return lookup;
}

std::string MmText(double mm)
{
    return QString::number(mm, 'f', std::abs(mm - std::round(mm)) < 0.05 ? 0 : 1).toStdString();
}

}  // namespace

void SetPrinterPapersLookup(PrinterPapersLookup lookup)
{
    Lookup() = std::move(lookup);
}

QString GetPrinterNames(const QPrinter& printer)
{
    return printer.printerName().isEmpty() ? QPrinterInfo::defaultPrinterName() : printer.printerName();
}

PrinterPapers PapersOf(const QPrinter& printer)
{
    // A job goes to a file when the printer names one, else to a queue.
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty())
        return {};
    return PapersOfQueue(GetPrinterNames(printer));
}

PrinterPapers PapersOfQueue(const QString& queue)
{
    PrinterPapers papers;
    papers.name = queue;
    if (Lookup() && Lookup()(papers.name, papers))
        return papers;
    const QPrinterInfo info = QPrinterInfo::printerInfo(papers.name);
    if (info.isNull())
        return papers;
    papers.sizes = info.supportedPageSizes();
    papers.customSizes = info.supportsCustomPageSizes();
    for (const QPrinter::DuplexMode mode : info.supportedDuplexModes())
        if (mode != QPrinter::DuplexNone)
            papers.twoSided.append(mode);
    return papers;
}

QPageSize ListedPaper(const PrinterPapers& papers, QSizeF portraitMm)
{
    for (const QPageSize& size : papers.sizes)
        if (SamePaperSize(PortraitMm(size), portraitMm))
            return size;
    return {};
}

bool IsPaperSupported(const PrinterPapers& papers, u16 paperCode)
{
    const QPageSize paper = PaperOfCode(paperCode);
    return paper.isValid() && ListedPaper(papers, PortraitMm(paper)).isValid();
}

bool GetSmallestPaper(const PrinterPapers& papers, QSizeF atLeastMm, QPageSize& paper)
{
    bool found = false;
    QSizeF kept;
    for (const QPageSize& size : papers.sizes) {
        const QSizeF mm = PortraitMm(size);
        if (mm.width() + kSamePaperMm < atLeastMm.width() || mm.height() + kSamePaperMm < atLeastMm.height())
            continue;
        if (!found || mm.width() < kept.width()
            || (mm.width() == kept.width() && mm.height() < kept.height())) {
            found = true;
            kept = mm;
            paper = size;
        }
    }
    return found;
}

void CPrinterPaper::Save(const QPrinter& printer)
{
    if (m_saved)
        return;
    m_layout = printer.pageLayout();
    m_saved = true;
}

bool CPrinterPaper::SetMinimumPaper(QPrinter& printer, const PrinterPapers& papers, QSizeF envelopeMm)
{
    QPageSize paper;
    if (!GetSmallestPaper(papers, envelopeMm, paper))
        return false;
    Save(printer);
    QPageLayout layout = printer.pageLayout();
    // The strips stay as they were until the queue gives the new paper's.
    layout.setPageSize(paper, layout.minimumMargins());
    layout.setOrientation(QPageLayout::Portrait);
    printer.setPageLayout(layout);
    return true;
}

bool CPrinterPaper::SetEnvelopePaper(
    QPrinter& printer, const PrinterPapers& papers, u16 paperCode, QWidget* parent)
{
    const QPageSize paper = PaperOfCode(paperCode);
    Save(printer);
    if (!paper.isValid()) {
        // A code of no known paper keeps the paper, in portrait.
        QPageLayout layout = printer.pageLayout();
        layout.setOrientation(QPageLayout::Portrait);
        printer.setPageLayout(layout);
        return true;
    }
    const QSizeF wanted = PortraitMm(paper);
    const QPageSize listed = ListedPaper(papers, wanted);
    if (listed.isValid() || papers.customSizes) {
        QPageLayout layout = printer.pageLayout();
        // The queue's own paper, by its own name: a queue that takes no
        // size of its own refuses the same size asked for by measure.
        if (listed.isValid())
            layout.setPageSize(listed, layout.minimumMargins());
        printer.setPageLayout(LabelPaperLayout(paperCode, layout));
        if (SamePaperSize(PortraitMm(printer.pageLayout().pageSize()), wanted))
            return true;
    }
    // The labels would not lie on their sheet: nothing is printed on
    // another paper. The label's paper is chosen with the label in Label
    // options, the printer in the Print dialog.
    MsgStopText("The printer \"" + papers.name.toStdString() + "\" has no paper of " + MmText(wanted.width())
            + " x " + MmText(wanted.height())
            + " mm, the paper of the label sheet, and takes no paper size of its own, so the labels were "
              "not printed. In the Print dialog choose another printer or \"Print to File (PDF)\", or "
              "choose a label of another page size in Label options.",
        parent);
    RestorePaper(printer);
    return false;
}

void CPrinterPaper::RestorePaper(QPrinter& printer)
{
    if (!m_saved)
        return;
    printer.setPageLayout(m_layout);
    m_saved = false;
}
