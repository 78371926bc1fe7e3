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
#include <QRadioButton>
#include <QTemporaryFile>
#include <array>
#include <functional>
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

// The page setup's margin boxes, left, top, right and bottom.
const char* const kMarginBoxes[] = {"leftMargin", "topMargin", "rightMargin", "bottomMargin"};

QMarginsF MarginsMm(const RECT& r)
{
    return QMarginsF(
        r.left / kLogicalPerMm, r.top / kLogicalPerMm, r.right / kLogicalPerMm, r.bottom / kLogicalPerMm);
}

RECT MarginsLogical(const QMarginsF& m)
{
    return RECT{i32(std::lround(m.left() * kLogicalPerMm)), i32(std::lround(m.top() * kLogicalPerMm)),
        i32(std::lround(m.right() * kLogicalPerMm)), i32(std::lround(m.bottom() * kLogicalPerMm))};
}

// Millimetres per unit of a page layout unit.
double MmPerUnit(QPageLayout::Unit unit)
{
    switch (unit) {
    case QPageLayout::Point:
        return 25.4 / 72;
    case QPageLayout::Inch:
        return 25.4;
    case QPageLayout::Pica:
        return 25.4 / 6;
    case QPageLayout::Didot:
        return 0.375;
    case QPageLayout::Cicero:
        return 4.5;
    default:
        return 1.0;
    }
}

// Shows in the page setup the margins a job prints with, never less than
// the smallest ones (the minimum margins and the printer's strips, turned
// with the page), and says why a margin typed below them goes back to what
// it was. On a print queue Qt's dialog knows nothing of the printer's
// strips: it offers 0.00 and shows 0.00 whatever the printer's layout
// holds, and so again after the paper, the orientation or the unit changed.
class CMarginWatch : public QObject {
public:
    // For the margins wanted, the margins a job prints with and the
    // smallest ones, in millimetres, on the page in an orientation.
    using Fitting
        = std::function<std::pair<QMarginsF, QMarginsF>(QPageLayout::Orientation, const QMarginsF& wantedMm)>;

    CMarginWatch(QPageSetupDialog& dialog, Fitting fitting, const QMarginsF& wantedMm,
        QPageLayout::Orientation orientation)
        : QObject(&dialog)
        , m_dialog(dialog)
        , m_unit(dialog.findChild<QComboBox*>(QStringLiteral("unitCombo")))
        , m_fitting(std::move(fitting))
        , m_wanted{wantedMm.left(), wantedMm.top(), wantedMm.right(), wantedMm.bottom()}
        , m_shown(m_wanted)
        , m_orientation(orientation)
    {
        dialog.installEventFilter(this);
        for (QDoubleSpinBox* box : Boxes())
            if (box)
                box->installEventFilter(this);
        // What the boxes show is taken before a new unit is chosen: Qt's
        // dialog converts them rounded, and rounded again at the next.
        if (m_unit)
            connect(m_unit, &QComboBox::currentIndexChanged, this, [this] {
                TakeTyped();
                m_unitChanged = true;
            });
        // Once the dialog's own handlers have run: they set its boxes anew.
        for (QComboBox* combo : dialog.findChildren<QComboBox*>())
            connect(
                combo, &QComboBox::currentIndexChanged, this, [this] { Fit(false); }, Qt::QueuedConnection);
        for (QRadioButton* button : dialog.findChildren<QRadioButton*>())
            connect(
                button, &QRadioButton::toggled, this, [this] { Fit(false); }, Qt::QueuedConnection);
        // Pages per sheet are chosen for each job in the print dialog: set
        // on the printer they would go out with every later job.
        if (auto* pages = dialog.findChild<QWidget*>(QStringLiteral("pagesPerSheetButtonGroup")))
            pages->hide();
    }

    // The margins shown, in millimetres, as exactly as they were given or
    // typed; false when the dialog has no such boxes.
    bool Margins(QMarginsF& mm)
    {
        const auto boxes = Boxes();
        if (std::find(boxes.begin(), boxes.end(), nullptr) != boxes.end())
            return false;
        if (!m_unitChanged)
            TakeTyped();
        mm = QMarginsF(m_shown[0], m_shown[1], m_shown[2], m_shown[3]);
        return true;
    }

    // The orientation chosen in the dialog; the given one when the dialog
    // offers none.
    QPageLayout::Orientation Orientation(QPageLayout::Orientation otherwise) const
    {
        bool offered = false;
        for (const char* name : {"portrait", "reversePortrait", "landscape", "reverseLandscape"})
            if (auto* button = m_dialog.findChild<QRadioButton*>(QLatin1String(name))) {
                offered = true;
                if (button->isChecked())
                    return QByteArrayView(name).endsWith("andscape") ? QPageLayout::Landscape
                                                                     : QPageLayout::Portrait;
            }
        return offered ? QPageLayout::Portrait : otherwise;
    }
    // The paper chosen in the dialog; invalid when it shows none.
    QPageSize Paper() const
    {
        const auto* combo = m_dialog.findChild<QComboBox*>(QStringLiteral("pageSizeCombo"));
        return combo && combo->currentData().canConvert<QPageSize>() ? combo->currentData().value<QPageSize>()
                                                                     : QPageSize();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == &m_dialog) {
            if (event->type() == QEvent::Show)
                Fit(true);
            return false;
        }
        // Not while the box is being destroyed.
        auto* box = qobject_cast<QDoubleSpinBox*>(watched);
        if (!box)
            return false;
        const bool enter = event->type() == QEvent::KeyPress
            && (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Return
                || static_cast<QKeyEvent*>(event)->key() == Qt::Key_Enter);
        if ((enter || event->type() == QEvent::FocusOut) && TooSmall(*box)) {
            box->setValue(box->value());  // what it was
            MsgStopText(FormatResString(IDS_MARGIN_BELOW_MINIMUM, LeastText(*box)), box->window());
            return enter;
        }
        return false;
    }

private:
    std::array<QDoubleSpinBox*, 4> Boxes() const
    {
        std::array<QDoubleSpinBox*, 4> boxes{};
        for (size_t i = 0; i < boxes.size(); ++i)
            boxes[i] = m_dialog.findChild<QDoubleSpinBox*>(QLatin1String(kMarginBoxes[i]));
        return boxes;
    }
    QPageLayout::Unit Unit() const
    {
        if (m_unit && m_unit->currentData().canConvert<QPageLayout::Unit>())
            return m_unit->currentData().value<QPageLayout::Unit>();
        return QPageLayout::Millimeter;
    }
    QMarginsF Wanted() const { return QMarginsF(m_wanted[0], m_wanted[1], m_wanted[2], m_wanted[3]); }
    // A box whose value is not the one it was given was typed into.
    void TakeTyped()
    {
        const auto boxes = Boxes();
        for (size_t i = 0; i < boxes.size(); ++i)
            if (boxes[i]
                && std::abs(boxes[i]->value() - m_set[i]) > 0.5 * std::pow(10.0, -boxes[i]->decimals()))
                m_wanted[i] = m_shown[i] = boxes[i]->value() * MmPerUnit(m_boxUnit);
    }
    // Each box shows the margin the job prints with, never less than the
    // smallest margin, and offers nothing below that; a new unit or
    // orientation changes no margin but what the strips ask.
    void Fit(bool opening)
    {
        if (!opening && !m_unitChanged)
            TakeTyped();
        m_unitChanged = false;
        m_boxUnit = Unit();
        const auto boxes = Boxes();
        const double unit = MmPerUnit(m_boxUnit);
        const auto [shownMm, leastMm] = m_fitting(Orientation(m_orientation), Wanted());
        const double least[] = {leastMm.left(), leastMm.top(), leastMm.right(), leastMm.bottom()};
        const double shown[] = {shownMm.left(), shownMm.top(), shownMm.right(), shownMm.bottom()};
        for (size_t i = 0; i < boxes.size(); ++i) {
            QDoubleSpinBox* box = boxes[i];
            if (!box)
                continue;
            const double step = std::pow(10.0, -box->decimals());
            // Rounded up, so the least margin shown is never below the strip.
            const double minimum = std::ceil(least[i] / unit / step - 1e-6) * step;
            box->setMinimum(std::min(minimum, box->maximum()));
            box->setValue(shown[i] / unit);
            m_set[i] = box->value();
            m_shown[i] = shown[i];
        }
    }
    static bool TooSmall(const QDoubleSpinBox& box)
    {
        bool ok = false;
        const double typed = box.locale().toDouble(box.cleanText(), &ok);
        return ok && typed < box.minimum() - 0.5 * std::pow(10.0, -box.decimals());
    }
    // The smallest margin with the dialog's unit, as "12.70 mm".
    std::string LeastText(const QDoubleSpinBox& box) const
    {
        QString unit = m_unit ? m_unit->currentText() : QString();
        const qsizetype open = unit.lastIndexOf(QLatin1Char('(')), close = unit.lastIndexOf(QLatin1Char(')'));
        unit = open >= 0 && close > open ? unit.mid(open + 1, close - open - 1) : QString();
        return (box.textFromValue(box.minimum()) + (unit.isEmpty() ? QString() : QLatin1Char(' ') + unit))
            .toStdString();
    }

    QPageSetupDialog& m_dialog;
    QComboBox* m_unit;
    Fitting m_fitting;
    // Left, top, right, bottom: the margins wanted and those shown, in
    // millimetres, and what the boxes were given in the unit they show.
    std::array<double, 4> m_wanted;
    std::array<double, 4> m_shown{};
    std::array<double, 4> m_set{};
    QPageLayout::Unit m_boxUnit = QPageLayout::Millimeter;
    bool m_unitChanged = false;
    QPageLayout::Orientation m_orientation;
};

// The strips the printer cannot print on, in millimetres, as it reports
// them: for the paper in portrait.
QMarginsF StripsMm(const QPageLayout& layout)
{
    QPageLayout mm = layout;
    mm.setUnits(QPageLayout::Millimeter);
    return mm.minimumMargins();
}

QMarginsF Widest(const QMarginsF& a, const QMarginsF& b)
{
    return QMarginsF(std::max(a.left(), b.left()), std::max(a.top(), b.top()), std::max(a.right(), b.right()),
        std::max(a.bottom(), b.bottom()));
}

}  // namespace

bool DoPageSetup(PrintMan& pm, QPrinter& printer, QWidget* parent)
{
    const QPageLayout before = printer.pageLayout();
    // What the printer says it cannot print on; the dialog does not say it.
    const QMarginsF strips = StripsMm(before);
    QPageLayout layout = before;
    layout.setUnits(QPageLayout::Millimeter);
    layout.setMode(QPageLayout::StandardMode);
    // The dialog shows the margins the job prints with, and offers none
    // below the minimum margins or the printer's unprintable strips at the
    // edges of the page as it lies on the paper.
    QMarginsF wanted = MarginsMm(pm.m_Margins);
    for (;;) {
        auto fitting
            = [&pm, paper = layout](QPageLayout::Orientation orientation, const QMarginsF& wantedMm) {
                  QPageLayout turned = paper;
                  turned.setOrientation(orientation);
                  const PageCaps caps = PageCapsOf(turned);
                  const RECT least = LeastPrintMargins(pm.m_MarginsMin, caps);
                  const RECT shown = MarginsWithinPaper(
                      MarginsLogical(wantedMm), least, caps.physicalWidth, caps.physicalHeight);
                  return std::make_pair(MarginsMm(shown), MarginsMm(least));
              };
        const auto [shown, least] = fitting(layout.orientation(), wanted);
        // A queue takes margins no smaller than its strips as it reports
        // them, whichever way the page lies.
        layout.setMinimumMargins(QMarginsF());
        layout.setMargins(Widest(shown, strips));
        layout.setMinimumMargins(least);
        printer.setPageLayout(layout);
        QPageSetupDialog dialog(&printer, parent);
        auto* watch = new CMarginWatch(dialog, fitting, wanted, layout.orientation());
        if (dialog.exec() != QDialog::Accepted) {
            printer.setPageLayout(before);
            return false;
        }
        // The margins as the dialog shows them, which a queue may have
        // refused to take, and the paper as the printer took it.
        // A queue refuses a layout whose margins lie in its strips as it
        // reports them, and a page turned to landscape may have such
        // margins: the paper and the orientation are taken as chosen.
        QPageLayout taken = printer.pageLayout();
        taken.setUnits(QPageLayout::Millimeter);
        if (const QPageSize chosen = watch->Paper();
            chosen.isValid() && !chosen.isEquivalentTo(taken.pageSize()))
            taken.setPageSize(chosen, strips);
        taken.setOrientation(watch->Orientation(taken.orientation()));
        QMarginsF typed = taken.margins();
        watch->Margins(typed);
        // The printer's strips on that paper: a queue gives those of the
        // new paper, a file keeps none.
        taken.setMinimumMargins(strips);
        taken.setMargins(Widest(typed, strips));
        printer.setPageLayout(taken);
        taken = printer.pageLayout();
        taken.setUnits(QPageLayout::Millimeter);
        taken.setMinimumMargins(Widest(strips, StripsMm(taken)));
        const PageCaps paper = PageCapsOf(taken);
        const RECT margins = MarginsLogical(typed);
        layout = taken;
        if (!MarginsFitPaper(margins, paper.physicalWidth, paper.physicalHeight)) {
            MsgStopText("The margins leave no room on the paper for the text: together the left and right "
                        "margins, and the top and bottom ones, may take at most three quarters of the paper.",
                parent);
            continue;
        }
        // What would not print as shown is refused.
        const RECT leastNow = LeastPrintMargins(pm.m_MarginsMin, paper);
        if (margins.left + 1 < leastNow.left || margins.top + 1 < leastNow.top
            || margins.right + 1 < leastNow.right || margins.bottom + 1 < leastNow.bottom) {
            auto text = [](i32 value) { return QString::number(value / kLogicalPerMm, 'f', 2) + " mm"; };
            MsgStopText(
                FormatResString(IDS_MARGIN_BELOW_MINIMUM,
                    QStringLiteral("%1 at the left, %2 at the top, %3 at the right and %4 at the bottom")
                        .arg(text(leastNow.left), text(leastNow.top), text(leastNow.right),
                            text(leastNow.bottom))
                        .toStdString()),
                parent);
            // The dialog comes again with the smallest margins allowed.
            wanted
                = MarginsMm(MarginsWithinPaper(margins, leastNow, paper.physicalWidth, paper.physicalHeight));
            continue;
        }
        pm.m_Margins = MarginsWithinPaper(margins, leastNow, paper.physicalWidth, paper.physicalHeight);
        return true;
    }
}

namespace {

// Envelopes go on the smallest paper that holds them as they are fed. A
// queue that lists its papers and has none that holds the envelope prints
// nothing; a file, or a queue that lists nothing, keeps the user's paper.
bool SetEnvelopeJobPaper(
    const PrintMan& pm, CPrinterPaper& paper, QPrinter& printer, const PrinterPapers& papers, QWidget* parent)
{
    const EnvelopeSize& e = pm.m_EnvelopeData;
    const bool turned = pm.m_EnvelopeFeed <= 3;
    const QSizeF envelope = QSizeF(e.m_wHeight, e.m_wWidth) / 10.0;  // width across, length down
    const QSizeF across = turned ? envelope : envelope.transposed();
    if (paper.SetMinimumPaper(printer, papers, across) || papers.sizes.isEmpty())
        return true;
    std::string name = e.Name();
    name = name.substr(0, name.find('\t'));
    auto mm = [](double value) { return QString::number(value, 'f', 0).toStdString(); };
    MsgStopText("The printer \"" + papers.name.toStdString() + "\" has no paper that holds the envelope \""
            + name + "\" fed " + (turned ? "in portrait" : "in landscape") + ": it needs a paper at least "
            + mm(across.width()) + " mm wide and " + mm(across.height())
            + " mm long, so nothing was printed. Choose another envelope size or feed method in Envelope "
              "options, or another printer or \"Print to File (PDF)\" in the Print dialog.",
        parent);
    return false;
}

}  // namespace

PageCaps PrinterPageCaps(const QPrinter& printer)
{
    return PageCapsOf(printer.pageLayout());
}

int PrintOnPrinter(PrintMan& pm, CPrintInfo& info, QPrinter& printer, const QString& docName, QWidget* parent,
    const PrintJobChoices& choices)
{
    // Envelopes go on the smallest paper that holds them, labels on their
    // sheet's paper; the user's paper comes back after the job.
    // A job that would not lie on its paper is not started: what the queue
    // lacks is said before anything is printed.
    CPrinterPaper paper;
    const PrinterPapers papers = PapersOf(printer);
    if (pm.m_Printmode == PM_LABELS) {
        if (!paper.SetEnvelopePaper(printer, papers, pm.m_Label.m_wPaper, parent))
            return kPrintFailed;
    } else if (pm.m_Printmode == PM_ENVELOPE && !SetEnvelopeJobPaper(pm, paper, printer, papers, parent)) {
        return kPrintFailed;
    }
    // The choices made for this job, as its style takes them.
    const PrintJobChoices job = JobChoicesForStyle(choices, pm.m_Printmode);
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
                    && SubmitToPrintQueue({printer.printerName(), spool.fileName(), docName, job.copies,
                        printer.pageLayout().pageSize().key(), JobQueueOptions(printer, job)});
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
