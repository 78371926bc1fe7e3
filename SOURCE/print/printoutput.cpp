#include "print/printoutput.h"

#include "core/utilities.h"
#include "print/labelfile.h"
#include "print/printinfo.h"
#include "print/printman.h"

#include <QFile>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

namespace {

// Label papers: code, length and width in 0.1 mm, landscape.
struct LabelPaperSize {
    u16 code;
    int length;
    int width;
    bool landscape;
};
constexpr LabelPaperSize kLabelPaperSizes[] = {
    {1, 2794, 2159, false},
    {75, 2794, 2159, true},
    {9, 2970, 2100, false},
    {77, 2970, 2100, true},
    {11, 2100, 1480, false},
    {78, 2100, 1480, true},
    {12, 3640, 2570, false},
    {13, 2570, 1820, false},
    {43, 1480, 1000, false},
    {81, 1480, 1000, true},
    {200, 1270, 1080, false},
    {201, 2540, 1080, false},
    {202, 2540, 1080, true},
};

}  // namespace

QMarginsF PageStripsMm(const QPageLayout& layout)
{
    QPageLayout mm = layout;
    mm.setUnits(QPageLayout::Millimeter);
    const QMarginsF paper = mm.minimumMargins();
    // A page in landscape lies on the paper turned a quarter to the left:
    // its top is the paper's left edge, its left the paper's bottom.
    if (layout.orientation() == QPageLayout::Landscape)
        return QMarginsF(paper.bottom(), paper.left(), paper.top(), paper.right());
    return paper;
}

PageCaps PageCapsOf(const QPageLayout& layout)
{
    // In millimetres: whole points would cut A4 short by 0.1 mm.
    QPageLayout mm = layout;
    mm.setUnits(QPageLayout::Millimeter);
    constexpr double kLogicalPerMm = 100.0;
    const QMarginsF strips = PageStripsMm(layout) * kLogicalPerMm;
    const QSizeF paper = mm.fullRect().size() * kLogicalPerMm;
    PageCaps caps = PageCaps::FullPage(i32(std::lround(paper.width())), i32(std::lround(paper.height())));
    caps.offsetX = i32(std::lround(strips.left()));
    caps.offsetY = i32(std::lround(strips.top()));
    caps.printableWidth -= caps.offsetX + i32(std::lround(strips.right()));
    caps.printableHeight -= caps.offsetY + i32(std::lround(strips.bottom()));
    return caps;
}

bool SamePaperSize(const QSizeF& aMm, const QSizeF& bMm)
{
    return std::abs(aMm.width() - bMm.width()) <= kSamePaperMm
        && std::abs(aMm.height() - bMm.height()) <= kSamePaperMm;
}

QSizeF PortraitMm(const QPageSize& size)
{
    const QSizeF mm = size.size(QPageSize::Millimeter);
    return mm.width() <= mm.height() ? mm : mm.transposed();
}

QPageSize PaperOfCode(u16 paperCode, bool* landscape)
{
    for (const LabelPaperSize& paper : kLabelPaperSizes)
        if (paper.code == paperCode) {
            if (landscape)
                *landscape = paper.landscape;
            return QPageSize(QSizeF(paper.width / 10.0, paper.length / 10.0), QPageSize::Millimeter,
                QString(), QPageSize::ExactMatch);
        }
    if (landscape)
        *landscape = false;
    return {};
}

QPageLayout LabelPaperLayout(u16 paperCode, const QPageLayout& base)
{
    QPageLayout layout = base;
    layout.setOrientation(QPageLayout::Portrait);
    bool landscape = false;
    if (const QPageSize paper = PaperOfCode(paperCode, &landscape); paper.isValid()) {
        if (!SamePaperSize(PortraitMm(base.pageSize()), PortraitMm(paper)))
            layout.setPageSize(paper, QMarginsF());
        layout.setOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    }
    // A printer takes no margins inside its strips.
    layout.setMargins(layout.minimumMargins());
    return layout;
}

QPageLayout JobPageLayout(const PrintMan& pm, const QPageLayout& base)
{
    if (pm.m_Printmode == PM_LABELS)
        return LabelPaperLayout(pm.m_Label.m_wPaper, base);
    QPageLayout layout = base;
    if (pm.m_Printmode == PM_ENVELOPE)
        layout.setOrientation(QPageLayout::Portrait);
    layout.setMargins(layout.minimumMargins());
    return layout;
}

bool JobFitsPaper(const PrintMan& pm, const QPageLayout& base)
{
    if (pm.m_Printmode != PM_LABELS)
        return true;
    if (!pm.IsLabelSheetUsable())
        return false;
    constexpr double kTwipsPerMm = 1440 / 25.4;
    // The paper measured exactly: in whole points A4 is 11,900 twips wide,
    // short of a sheet that fills its 11,906. A sheet's measures are each
    // rounded to the twip (three labels of 70 mm are 3 x 3,969 twips), so
    // half a twip per measure across or down is rounding, no overflow.
    const QSizeF paper = JobPageLayout(pm, base).fullRect(QPageLayout::Millimeter).size() * kTwipsPerMm;
    const LabelDefinition& l = pm.m_Label;
    return LabelSheetFits(
        l, i32(std::ceil(paper.width())) + l.m_wColumns, i32(std::ceil(paper.height())) + l.m_wRows);
}

QPageLayout DefaultPageLayout()
{
    return QPageLayout(QPageSize(IsMetricLocale() ? QPageSize::A4 : QPageSize::Letter), QPageLayout::Portrait,
        QMarginsF(), QPageLayout::Millimeter);
}

u32 DrawJobPages(PrintMan& pm, CPrintInfo& info, QPagedPaintDevice& device, QPainter& painter,
    const PageCaps& caps, double scale, const PageGate& gate)
{
    // Logical (0, 0) is the printable area's corner, measured from the
    // paper's; the device's own origin may lie inside its margins.
    const QPointF deviceOrigin = device.pageLayout().paintRectPixels(device.logicalDpiX()).topLeft();
    const QPointF origin = QPointF(caps.offsetX * scale, caps.offsetY * scale) - deviceOrigin;
    // One context for the whole job: its fonts are made and measured once.
    CPainterDC dc(painter, caps, scale, origin);
    u32 drawn = 0;
    for (u32 page = info.GetFromPage(); page <= info.GetToPage() && info.m_bContinuePrinting; ++page) {
        if (gate && !gate(page)) {
            info.m_bContinuePrinting = false;
            break;
        }
        if (drawn > 0 && !device.newPage())
            break;
        dc.ResetState();
        pm.PrepareDC(dc);
        info.m_nCurPage = page;
        info.m_rectDraw = caps.DrawRect();
        pm.PrintPage(dc, info);
        ++drawn;
    }
    return drawn;
}

int PrintToPdf(
    PrintMan& pm, CPrintInfo& info, const QString& path, const QPageLayout& base, const QString& title)
{
    const QPageLayout layout = JobPageLayout(pm, base);
    const PageCaps caps = PageCapsOf(layout);
    CMeasureDC measure(caps);
    pm.PrepareDC(measure);
    pm.BeginPrinting(measure, info);
    int written = 0;
    if (info.GetMaxPage() > 0 && info.GetFromPage() <= info.GetToPage()) {
        QPdfWriter writer(path);
        writer.setResolution(kPdfResolution);
        writer.setPageLayout(layout);
        writer.setPageMargins(QMarginsF());
        writer.setCreator(QString::fromUtf8(kProductName));
        writer.setTitle(title);
        QPainter painter;
        if (!painter.begin(&writer)) {
            written = -1;
        } else {
            written = int(DrawJobPages(pm, info, writer, painter, caps, 1.0));
            painter.end();
        }
    }
    pm.EndPrinting();
    return written;
}
