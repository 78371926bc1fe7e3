#include "controls/listpreview.h"

#include "controls/flatdraw.h"
#include "controls/gradientcaption.h"
#include "core/fontutil.h"
#include "platform/fontconv.h"
#include "platform/ui/syscolor.h"

#include <QPainter>

namespace {

constexpr int kRowPadding = 10;
constexpr int kFirstCell = 24;
constexpr int kLastCell = 56;
constexpr int kLeftLine = 23;
constexpr int kRightLine = 33;
constexpr int kTextInset = 4;

}  // namespace

void CListPreviewStatic::SetSample(const LOGFONT& headerFont, const LOGFONT& listFont, int lineStyle,
    COLORREF gridColour, COLORREF background, COLORREF headerText, COLORREF listText)
{
    m_headerFont = headerFont;
    m_listFont = listFont;
    m_nLineStyle = lineStyle;
    m_gridColour = gridColour;
    m_background = background;
    m_headerText = headerText;
    m_listText = listText;
}

void CListPreviewStatic::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QPalette& pal = palette();
    const QRect client = rect();
    const int dpi = logicalDpiY();
    p.fillRect(client, GetSysColor(COLOR_3DFACE, pal));
    DrawEdge(p, client, EDGE_SUNKEN, BF_LEFT | BF_TOP, pal);

    const int left = client.x() + 2;
    const int top = client.y() + 2;
    const int right = client.right() + 1;
    const int headerHeight = kRowPadding + MulDiv(-m_headerFont.lfHeight, 72, dpi);
    const int rowHeight = kRowPadding + MulDiv(-m_listFont.lfHeight, 72, dpi);
    const int middleRight = std::max(left + kFirstCell, right - kLastCell);
    const QRect first(left, top, kFirstCell, headerHeight);
    const QRect middle(first.right() + 1, top, middleRight - first.right() - 1, headerHeight);
    const QRect last(middle.right() + 1, top, right - middle.right() - 1, headerHeight);
    for (const QRect& cell : {first, middle, last}) {
        p.fillRect(cell, GetSysColor(COLOR_3DFACE, pal));
        DrawEdge(p, cell, EDGE_RAISED, BF_RECT, pal);
    }

    const QRect rows(left, top + headerHeight, right - left, client.bottom() + 1 - top - headerHeight);
    p.fillRect(rows, ColorFromRef(m_background));
    if (m_nLineStyle != kNoLines) {
        p.setPen(ColorFromRef(m_gridColour));
        const int lineY = rows.y() + rowHeight;
        const int leftX = client.x() + kLeftLine;
        const int rightX = right - kRightLine;
        if (m_nLineStyle == kSolidLines) {
            p.drawLine(rows.x(), lineY, rows.right(), lineY);
            p.drawLine(leftX, rows.y(), leftX, rows.bottom());
            p.drawLine(rightX, rows.y(), rightX, rows.bottom());
        } else {
            m_line.SetDC(p.device());
            m_line.DrawLine(p, rows.x(), lineY, rows.right() + 1, lineY, m_nLineStyle);
            m_line.DrawLine(p, leftX, rows.y(), leftX, rows.bottom() + 1, m_nLineStyle);
            m_line.DrawLine(p, rightX, rows.y(), rightX, rows.bottom() + 1, m_nLineStyle);
        }
    }

    const int textFlags = Qt::TextSingleLine | Qt::TextExpandTabs;
    p.setFont(QFontFromLogFont(m_headerFont, dpi));
    // As the grid's header draws it: a colour that would vanish on the face
    // gives way to one that reads.
    p.setPen(LegibleOn(ColorFromRef(m_headerText), GetSysColor(COLOR_3DFACE, pal), pal));
    const QString header = QString::fromStdString(FormatFontName(m_headerFont, dpi));
    p.drawText(middle, textFlags | Qt::AlignCenter,
        p.fontMetrics().elidedText(header, Qt::ElideRight, middle.width()));

    p.setFont(QFontFromLogFont(m_listFont, dpi));
    p.setPen(ColorFromRef(m_listText));
    const QRect listText(middle.x() + kTextInset, rows.y(), middle.width() - kTextInset, rowHeight);
    const QString sample = QString::fromStdString(FormatFontName(m_listFont, dpi));
    p.drawText(listText, textFlags | Qt::AlignLeft | Qt::AlignBottom,
        p.fontMetrics().elidedText(sample, Qt::ElideRight, listText.width()));
}
