#include "print/columnreport.h"

#include "core/fieldtexts.h"
#include "print/textout.h"

#include <cstdint>
#include <limits>

namespace {

u32 TextAlign(u32 format)
{
    switch (format & kColumnAlignMask) {
    case kColumnAlignRight:
        return TA_RIGHT;
    case kColumnAlignCenter:
        return TA_CENTER;
    default:
        return TA_LEFT;
    }
}

// The text cut to the width, "..." marking the cut.
QString Elided(const CPrintDC& dc, const QString& text, i32 width)
{
    if (dc.GetTextExtent(text).cx <= width)
        return text;
    const QString dots = QStringLiteral("...");
    for (qsizetype n = text.size() - 1; n > 0; --n) {
        const QString cut = text.left(n) + dots;
        if (dc.GetTextExtent(cut).cx <= width)
            return cut;
    }
    return dots;
}

}  // namespace

CColumnReport::CColumnReport(std::vector<ReportColumn> columns, i32 inset)
    : m_columns(std::move(columns))
    , m_inset(inset)
{
}

i32 CColumnReport::Scale(const RECT& rect) const
{
    std::int64_t total = 0;
    for (const ReportColumn& column : m_columns)
        if (!column.imageOnly)
            total += std::max(0, column.width);
    // No widths at all: nothing can be laid out, and nothing is divided by zero.
    if (total <= 0)
        return 0;
    return i32((rect.right - rect.left) / total);
}

void CColumnReport::PrintHeader(bool draw, RECT& rect, CPrintDC& dc)
{
    const i32 textHeight = dc.GetTextExtent(u"g").cy;
    const i32 height = textHeight * 3 / 2;
    if (draw) {
        const i32 scale = Scale(rect);
        std::vector<const ReportColumn*> shown;
        for (const ReportColumn& column : m_columns)
            if (!column.imageOnly)
                shown.push_back(&column);
        i32 left = rect.left;
        for (size_t i = 0; i < shown.size(); ++i) {
            const i32 right = std::min(rect.right, left + shown[i]->width * scale);
            const i32 inset = textHeight / 2;
            const QString title = Elided(dc, shown[i]->title, right - left - 2 * inset);
            const i32 x = left + (right - left - dc.GetTextExtent(title).cx) / 2;
            dc.TextOut(x, rect.top - (height - textHeight) / 2, title);
            if (i + 1 < shown.size()) {
                dc.MoveTo(right, rect.top);
                dc.LineTo(right, rect.top - height);
            }
            left = right;
        }
        dc.MoveTo(rect.left, rect.top);
        dc.LineTo(rect.right, rect.top);
        dc.MoveTo(rect.left, rect.top - height);
        dc.LineTo(rect.right, rect.top - height);
    }
    rect.top -= height;
}

int CColumnReport::PrintRow(bool draw, RECT& rect, CPrintDC& dc, const Contact& contact, bool force)
{
    const i32 scale = Scale(rect);
    if (scale <= 0)
        return 0;
    const TEXTMETRIC tm = dc.GetTextMetrics();
    const i32 inset = m_inset * scale;
    struct Cell {
        RECT rect;
        QString text;
        u32 align;
    };
    std::vector<Cell> cells;
    i32 rowHeight = tm.tmHeight + tm.tmExternalLeading;
    i32 left = rect.left;
    for (const ReportColumn& column : m_columns) {
        if (column.imageOnly)
            continue;
        const i32 right = std::min(rect.right, left + column.width * scale);
        Cell cell{{left + inset, rect.top, std::max(left + inset, right - inset), rect.bottom},
            QString::fromUtf8(FormatFieldText(contact, column.fieldId)), TextAlign(column.format)};
        RECT measured = cell.rect;
        measured.bottom = std::numeric_limits<i32>::min() / 2;
        PrintTextInRect(false, dc, measured, cell.text);
        rowHeight = std::max(rowHeight, cell.rect.top - measured.bottom);
        cells.push_back(cell);
        left = right;
    }
    if (rect.top - rowHeight < rect.bottom && !force)
        return 1;
    if (draw) {
        const u32 align = dc.GetTextAlign();
        for (Cell& cell : cells) {
            dc.SetTextAlign(cell.align);
            PrintTextInRect(true, dc, cell.rect, cell.text, true);
        }
        dc.SetTextAlign(align);
    }
    rect.top -= rowHeight;
    return 0;
}
