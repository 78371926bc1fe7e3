#include "print/ui/printsetup.h"

#include "core/utilities.h"
#include "print/printinfo.h"
#include "print/printman.h"
#include "print/printoutput.h"
#include "print/ui/printerpaper.h"
#include "print/ui/printingdlg.h"
#include "print/ui/printqueue.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QKeyEvent>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QTemporaryFile>
#include <memory>

namespace {

constexpr double kLogicalPerMm = 100.0;
constexpr u32 IDS_MARGIN_BELOW_MINIMUM = 59636;

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

namespace {

// Says why a margin typed below the smallest one the dialog allows goes
// back to what it was, instead of letting it snap back unexplained.
class CMarginWatch : public QObject {
public:
    explicit CMarginWatch(QPageSetupDialog& dialog)
        : QObject(&dialog)
        , m_unit(dialog.findChild<QComboBox*>(QStringLiteral("unitCombo")))
    {
        for (QDoubleSpinBox* box : dialog.findChildren<QDoubleSpinBox*>())
            if (box->objectName().endsWith(QStringLiteral("Margin")))
                box->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // Not while the box is being destroyed.
        auto* box = qobject_cast<QDoubleSpinBox*>(watched);
        if (!box)
            return false;
        const bool enter = event->type() == QEvent::KeyPress
            && (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Return
                || static_cast<QKeyEvent*>(event)->key() == Qt::Key_Enter);
        if ((enter || event->type() == QEvent::FocusOut) && TooSmall(*box)) {
            box->setValue(box->value());  // what it was
            MsgStopText(FormatResString(IDS_MARGIN_BELOW_MINIMUM, Least(*box)), box->window());
            return enter;
        }
        return false;
    }

private:
    static bool TooSmall(const QDoubleSpinBox& box)
    {
        bool ok = false;
        const double typed = box.locale().toDouble(box.cleanText(), &ok);
        return ok && typed < box.minimum() - 0.5 * std::pow(10.0, -box.decimals());
    }
    // The smallest margin with the dialog's unit, as "12.70 mm".
    std::string Least(const QDoubleSpinBox& box) const
    {
        QString unit = m_unit ? m_unit->currentText() : QString();
        const qsizetype open = unit.lastIndexOf(QLatin1Char('(')), close = unit.lastIndexOf(QLatin1Char(')'));
        unit = open >= 0 && close > open ? unit.mid(open + 1, close - open - 1) : QString();
        return (box.textFromValue(box.minimum()) + (unit.isEmpty() ? QString() : QLatin1Char(' ') + unit))
            .toStdString();
    }

    QComboBox* m_unit;
};

}  // namespace

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
    layout.setMode(QPageLayout::StandardMode);
    // The dialog shows the margins the job prints with, and offers none
    // below the minimum margins or the printer's unprintable strips.
    const PageCaps sheet = PageCapsOf(layout);
    const RECT minimum = LeastPrintMargins(pm.m_MarginsMin, sheet);
    layout.setMinimumMargins(mm(minimum));
    layout.setMargins(mm(PrintMarginsOnSheet(pm.m_Margins, pm.m_MarginsMin, sheet)));
    printer.setPageLayout(layout);
    for (;;) {
        QPageSetupDialog dialog(&printer, parent);
        new CMarginWatch(dialog);
        if (dialog.exec() != QDialog::Accepted) {
            printer.setPageLayout(before);
            return false;
        }
        QPageLayout taken = printer.pageLayout();
        const PageCaps paper = PageCapsOf(taken);
        const RECT margins = logical(taken.margins(QPageLayout::Millimeter));
        if (!MarginsFitPaper(margins, paper.physicalWidth, paper.physicalHeight)) {
            MsgStopText("The margins leave no room on the paper for the text: together the left and right "
                        "margins, and the top and bottom ones, may take at most three quarters of the paper.",
                parent);
            continue;
        }
        // A queue may offer margins below the minimum margins, or the paper
        // changed with its strips: what would not print as shown is refused.
        const RECT least = LeastPrintMargins(pm.m_MarginsMin, paper);
        if (margins.left + 1 < least.left || margins.top + 1 < least.top || margins.right + 1 < least.right
            || margins.bottom + 1 < least.bottom) {
            auto text = [](i32 value) { return QString::number(value / kLogicalPerMm, 'f', 2) + " mm"; };
            MsgStopText(
                FormatResString(IDS_MARGIN_BELOW_MINIMUM,
                    QStringLiteral("%1 at the left, %2 at the top, %3 at the right and %4 at the bottom")
                        .arg(text(least.left), text(least.top), text(least.right), text(least.bottom))
                        .toStdString()),
                parent);
            // The dialog comes again with the smallest margins allowed.
            taken.setUnits(QPageLayout::Millimeter);
            taken.setMargins(
                mm(MarginsWithinPaper(margins, least, paper.physicalWidth, paper.physicalHeight)));
            printer.setPageLayout(taken);
            continue;
        }
        pm.m_Margins = MarginsWithinPaper(margins, least, paper.physicalWidth, paper.physicalHeight);
        // The printer keeps its own strips, not the margins' minimum.
        QPageLayout strips = before;
        strips.setUnits(taken.units());
        taken.setMinimumMargins(strips.minimumMargins());
        printer.setPageLayout(taken);
        return true;
    }
}

PageCaps PrinterPageCaps(const QPrinter& printer)
{
    return PageCapsOf(printer.pageLayout());
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
            const u32 last = std::min(info.GetToPage(), info.GetMaxPage());
            printed = int(DrawJobPages(pm, info, *device, painter, caps, perUnit, [&dialog, last](u32 page) {
                dialog.SetPage(page, last);
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
                    && SubmitToPrintQueue({printer.printerName(), spool.fileName(), docName,
                        printer.copyCount(), printer.pageLayout().pageSize().key()});
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
