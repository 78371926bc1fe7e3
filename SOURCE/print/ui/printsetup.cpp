#include "print/ui/printsetup.h"

#include "core/utilities.h"
#include "print/printinfo.h"
#include "print/printman.h"
#include "print/printoutput.h"
#include "print/ui/printerpaper.h"
#include "print/ui/printingdlg.h"
#include "print/ui/printqueue.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QTemporaryFile>
#include <memory>

namespace {

constexpr double kLogicalPerMm = 100.0;

}  // namespace

QPrinter& AppPrinter()
{
    static std::unique_ptr<QPrinter> printer;
    if (!printer) {
        printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setPageLayout(DefaultPageLayout());
    }
    return *printer;
}

bool DoPageSetup(PrintMan& pm, QPrinter& printer, QWidget* parent)
{
    auto mm = [](const RECT& r) {
        return QMarginsF(
            r.left / kLogicalPerMm, r.top / kLogicalPerMm, r.right / kLogicalPerMm, r.bottom / kLogicalPerMm);
    };
    auto logical = [](const QMarginsF& m) {
        return RECT{i32(std::lround(m.left() * kLogicalPerMm)), i32(std::lround(m.top() * kLogicalPerMm)),
            i32(std::lround(m.right() * kLogicalPerMm)), i32(std::lround(m.bottom() * kLogicalPerMm))};
    };
    const QPageLayout before = printer.pageLayout();
    QPageLayout layout = before;
    layout.setUnits(QPageLayout::Millimeter);
    // The dialog offers no margin below the minimum margins.
    const RECT minimum = MarginsWithinPaper(
        pm.m_MarginsMin, {}, PageCapsOf(layout).physicalWidth, PageCapsOf(layout).physicalHeight);
    layout.setMinimumMargins(mm(minimum));
    layout.setMargins(mm(MarginsWithinPaper(
        pm.m_Margins, minimum, PageCapsOf(layout).physicalWidth, PageCapsOf(layout).physicalHeight)));
    printer.setPageLayout(layout);
    for (;;) {
        QPageSetupDialog dialog(&printer, parent);
        if (dialog.exec() != QDialog::Accepted) {
            printer.setPageLayout(before);
            return false;
        }
        const QPageLayout taken = printer.pageLayout();
        const PageCaps paper = PageCapsOf(taken);
        const RECT margins = logical(taken.margins(QPageLayout::Millimeter));
        if (MarginsFitPaper(margins, paper.physicalWidth, paper.physicalHeight)) {
            pm.m_Margins = MarginsWithinPaper(margins, minimum, paper.physicalWidth, paper.physicalHeight);
            return true;
        }
        MsgStopText("The margins leave no room on the paper for the text: together the left and right "
                    "margins, and the top and bottom ones, may take at most three quarters of the paper.",
            parent);
    }
}

PageCaps PrinterPageCaps(const QPrinter& printer)
{
    // The sheet in logical units, the printer's unprintable strips kept;
    // measured in millimetres, as whole points would cut the paper short.
    QPageLayout mm = printer.pageLayout();
    mm.setUnits(QPageLayout::Millimeter);
    const QMarginsF strips = mm.minimumMargins() * kLogicalPerMm;
    const QSizeF paper = mm.fullRect().size() * kLogicalPerMm;
    PageCaps caps;
    caps.physicalWidth = i32(std::lround(paper.width()));
    caps.physicalHeight = i32(std::lround(paper.height()));
    caps.offsetX = i32(std::lround(strips.left()));
    caps.offsetY = i32(std::lround(strips.top()));
    caps.printableWidth = caps.physicalWidth - caps.offsetX - i32(std::lround(strips.right()));
    caps.printableHeight = caps.physicalHeight - caps.offsetY - i32(std::lround(strips.bottom()));
    return caps;
}

int PrintOnPrinter(PrintMan& pm, CPrintInfo& info, QPrinter& printer, const QString& docName, QWidget* parent)
{
    // Envelopes go on the smallest paper that holds them, labels on their
    // sheet's paper; the user's paper comes back after the job.
    CPrinterPaper paper;
    const PrinterPapers papers = PapersOf(printer);
    if (pm.m_Printmode == PM_LABELS) {
        paper.SetEnvelopePaper(printer, papers, pm.m_Label.m_wPaper);
    } else if (pm.m_Printmode == PM_ENVELOPE) {
        const EnvelopeSize& e = pm.m_EnvelopeData;
        const QSizeF envelope = QSizeF(e.m_wHeight, e.m_wWidth) / 10.0;
        paper.SetMinimumPaper(printer, papers, pm.m_EnvelopeFeed <= 3 ? envelope : envelope.transposed());
    }
    const QPageLayout saved = printer.pageLayout();
    printer.setPageLayout(JobPageLayout(pm, saved));
    // After the layout, which turns full-page mode off again: the device's
    // origin is then the paper's corner, and the unprintable strips are
    // placed once, by the drawing context's origin.
    printer.setFullPage(true);
    // The PDF's title and the print queue's job name.
    printer.setDocName(docName);
    const PageCaps caps = PrinterPageCaps(printer);

    // A file is written under another name and takes its own only when
    // whole, so a stopped or failed job leaves no partial file behind, and
    // an older file of that name stays as it was. A queue gets the job as a
    // private PDF file, handed over only when whole: what a painter on the
    // printer drew would reach the queue at the painter's end even when the
    // job was stopped.
    const QString target = printer.outputFileName();
    const bool toQueue = target.isEmpty();
    const QString partial = toQueue ? QString() : target + QStringLiteral(".part");
    if (!toQueue)
        printer.setOutputFileName(partial);

    CMeasureDC measure(caps);
    pm.PrepareDC(measure);
    pm.BeginPrinting(measure, info);
    int printed = 0;
    bool whole = false;
    QTemporaryFile spool(QDir(QDir::tempPath()).filePath(QStringLiteral("tolva-print-XXXXXX.pdf")));
    if (info.GetMaxPage() > 0) {
        CPrintingDialog dialog(docName, toQueue ? printer.printerName() : target, !toQueue, parent);
        dialog.show();
        std::unique_ptr<QPdfWriter> writer;
        if (toQueue && spool.open()) {
            writer = std::make_unique<QPdfWriter>(&spool);
            writer->setResolution(printer.resolution());
            // The printer's sheet, its strips kept, with the origin at the paper's corner.
            QPageLayout sheet = printer.pageLayout();
            sheet.setMode(QPageLayout::FullPageMode);
            writer->setPageLayout(sheet);
            writer->setCreator(QString::fromUtf8(kProductName));
            writer->setTitle(docName);
        }
        QPagedPaintDevice* device = toQueue ? static_cast<QPagedPaintDevice*>(writer.get()) : &printer;
        QPainter painter;
        if (!device || !painter.begin(device)) {
            MsgStopText("Could not start print job.", parent);
            printed = kPrintFailed;
        } else {
            const double perUnit = printer.resolution() / 2540.0;
            printed = int(DrawJobPages(pm, info, *device, painter, caps, perUnit, [&dialog](u32 page) {
                dialog.SetPage(page);
                // The window repaints and the Cancel button is heard between pages.
                QCoreApplication::processEvents();
                return !dialog.Cancelled();
            }));
            whole = info.m_bContinuePrinting && (toQueue || printer.printerState() != QPrinter::Error);
            if (!whole && !toQueue)
                printer.abort();
            painter.end();
            if (whole && toQueue) {
                spool.close();
                whole = spool.error() == QFileDevice::NoError
                    && SubmitToPrintQueue(
                        printer.printerName(), spool.fileName(), docName, printer.copyCount());
                if (!whole)
                    MsgStopText("Could not start print job.", parent);
            }
            if (!whole)
                printed = dialog.Cancelled() ? kPrintCancelled : kPrintFailed;
        }
    }
    pm.EndPrinting();
    if (!toQueue) {
        printer.setOutputFileName(target);
        if (whole && printed > 0) {
            QFile::remove(target);
            if (!QFile::rename(partial, target)) {
                MsgStopText("The file \"" + QDir::toNativeSeparators(target).toStdString()
                        + "\" could not be written.",
                    parent);
                printed = kPrintFailed;
            }
        }
        QFile::remove(partial);
    }
    printer.setPageLayout(saved);
    paper.RestorePaper(printer);
    return printed;
}
