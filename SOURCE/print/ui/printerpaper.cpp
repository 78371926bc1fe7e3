#include "print/ui/printerpaper.h"

#include "core/utilities.h"
#include "print/printoutput.h"

#include <QPrinter>
#include <QPrinterInfo>

namespace {

constexpr double kSameSizeMm = 1.0;

bool SameSize(const QSizeF& a, const QSizeF& b)
{
    return std::abs(a.width() - b.width()) <= kSameSizeMm && std::abs(a.height() - b.height()) <= kSameSizeMm;
}

QSizeF PortraitMm(const QPageSize& size)
{
    const QSizeF mm = size.size(QPageSize::Millimeter);
    return mm.width() <= mm.height() ? mm : mm.transposed();
}

}  // namespace

QString GetPrinterNames(const QPrinter& printer)
{
    return printer.printerName().isEmpty() ? QPrinterInfo::defaultPrinterName() : printer.printerName();
}

PrinterPapers PapersOf(const QPrinter& printer)
{
    PrinterPapers papers;
    if (printer.outputFormat() == QPrinter::PdfFormat)
        return papers;
    papers.name = GetPrinterNames(printer);
    const QPrinterInfo info = QPrinterInfo::printerInfo(papers.name);
    if (info.isNull())
        return papers;
    papers.sizes = info.supportedPageSizes();
    papers.customSizes = info.supportsCustomPageSizes();
    return papers;
}

bool IsPaperSupported(const PrinterPapers& papers, u16 paperCode)
{
    const QPageSize paper = PaperOfCode(paperCode);
    if (!paper.isValid())
        return false;
    const QSizeF wanted = PortraitMm(paper);
    for (const QPageSize& size : papers.sizes)
        if (SameSize(PortraitMm(size), wanted))
            return true;
    return false;
}

bool GetSmallestPaper(const PrinterPapers& papers, QSizeF atLeastMm, QPageSize& paper)
{
    bool found = false;
    QSizeF kept;
    for (const QPageSize& size : papers.sizes) {
        const QSizeF mm = PortraitMm(size);
        if (mm.width() + kSameSizeMm < atLeastMm.width() || mm.height() + kSameSizeMm < atLeastMm.height())
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
    layout.setPageSize(paper);
    layout.setOrientation(QPageLayout::Portrait);
    printer.setPageLayout(layout);
    return true;
}

bool CPrinterPaper::SetEnvelopePaper(QPrinter& printer, const PrinterPapers& papers, u16 paperCode)
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
    const bool taken = papers.customSizes || IsPaperSupported(papers, paperCode);
    if (!taken)
        MsgStopText("The printer \"" + papers.name.toStdString() + "\" takes no paper of "
            + std::to_string(std::lround(PortraitMm(paper).width())) + " x "
            + std::to_string(std::lround(PortraitMm(paper).height()))
            + " mm and no paper size of its own, so the labels may not lie on their sheet. Choose the "
              "sheet's "
              "paper in the printer's settings, or print to a file.");
    printer.setPageLayout(LabelPaperLayout(paperCode, printer.pageLayout()));
    return taken;
}

void CPrinterPaper::RestorePaper(QPrinter& printer)
{
    if (!m_saved)
        return;
    printer.setPageLayout(m_layout);
    m_saved = false;
}
