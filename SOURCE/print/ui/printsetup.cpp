#include "print/ui/printsetup.h"

#include "core/utilities.h"
#include "print/printinfo.h"
#include "print/printman.h"
#include "print/printoutput.h"

#include <QPageSetupDialog>
#include <QPainter>
#include <QPrinter>
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
    QPageLayout layout = printer.pageLayout();
    layout.setUnits(QPageLayout::Millimeter);
    layout.setMinimumMargins(QMarginsF());
    const RECT& m = pm.m_Margins;
    layout.setMargins(QMarginsF(
        m.left / kLogicalPerMm, m.top / kLogicalPerMm, m.right / kLogicalPerMm, m.bottom / kLogicalPerMm));
    printer.setPageLayout(layout);
    QPageSetupDialog dialog(&printer, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QMarginsF taken = printer.pageLayout().margins(QPageLayout::Millimeter);
    pm.m_Margins = {i32(std::lround(taken.left() * kLogicalPerMm)),
        i32(std::lround(taken.top() * kLogicalPerMm)), i32(std::lround(taken.right() * kLogicalPerMm)),
        i32(std::lround(taken.bottom() * kLogicalPerMm))};
    return true;
}

int PrintOnPrinter(PrintMan& pm, CPrintInfo& info, QPrinter& printer)
{
    const QPageLayout saved = printer.pageLayout();
    printer.setFullPage(true);
    printer.setPageLayout(JobPageLayout(pm, saved));
    // The sheet in logical units, the printer's unprintable strips kept.
    const double perUnit = printer.resolution() / 2540.0;
    QPageLayout points = printer.pageLayout();
    points.setUnits(QPageLayout::Point);
    const QMarginsF strips = points.minimumMargins() * (2540.0 / 72.0);
    const QSizeF paper = points.fullRectPoints().size() * (2540.0 / 72.0);
    PageCaps caps;
    caps.physicalWidth = i32(std::lround(paper.width()));
    caps.physicalHeight = i32(std::lround(paper.height()));
    caps.offsetX = i32(std::lround(strips.left()));
    caps.offsetY = i32(std::lround(strips.top()));
    caps.printableWidth = caps.physicalWidth - caps.offsetX - i32(std::lround(strips.right()));
    caps.printableHeight = caps.physicalHeight - caps.offsetY - i32(std::lround(strips.bottom()));

    CMeasureDC measure(caps);
    pm.PrepareDC(measure);
    pm.BeginPrinting(measure, info);
    int printed = 0;
    if (info.GetMaxPage() > 0) {
        QPainter painter;
        if (!painter.begin(&printer)) {
            MsgStopText("Could not start print job.");
            printed = -1;
        } else {
            printed = int(DrawJobPages(pm, info, printer, painter, caps, perUnit));
            painter.end();
        }
    }
    pm.EndPrinting();
    printer.setPageLayout(saved);
    return printed;
}
