#include "controls/flatdraw.h"

#include "platform/ui/syscolor.h"

#include <QPainter>
#include <algorithm>
#include <cstdlib>

void Draw3dRect(QPainter& p, const QRect& r, const QColor& topLeft, const QColor& bottomRight)
{
    if (r.width() <= 0 || r.height() <= 0)
        return;
    const int x = r.x();
    const int y = r.y();
    const int cx = r.width();
    const int cy = r.height();
    p.fillRect(x, y, cx - 1, 1, topLeft);
    p.fillRect(x, y, 1, cy - 1, topLeft);
    p.fillRect(x + cx - 1, y, 1, cy, bottomRight);
    p.fillRect(x, y + cy - 1, cx, 1, bottomRight);
}

void DrawFrames(QPainter& p, const QRect& r, const QPalette& palette, std::initializer_list<int> colours)
{
    QRect frame = r;
    for (auto it = colours.begin(); it + 1 < colours.end(); it += 2) {
        Draw3dRect(p, frame, GetSysColor(*it, palette), GetSysColor(*(it + 1), palette));
        frame.adjust(1, 1, -1, -1);
    }
}

namespace {

void EdgeRing(QPainter& p, const QRect& r, unsigned sides, const QColor& topLeft, const QColor& bottomRight)
{
    if (sides & BF_TOP)
        p.fillRect(r.x(), r.y(), r.width() - 1, 1, topLeft);
    if (sides & BF_LEFT)
        p.fillRect(r.x(), r.y(), 1, r.height() - 1, topLeft);
    if (sides & BF_RIGHT)
        p.fillRect(r.right(), r.y(), 1, r.height(), bottomRight);
    if (sides & BF_BOTTOM)
        p.fillRect(r.x(), r.bottom(), r.width(), 1, bottomRight);
}

}  // namespace

void DrawEdge(QPainter& p, const QRect& r, unsigned edge, unsigned sides, const QPalette& palette)
{
    const auto c = [&](int index) { return GetSysColor(index, palette); };
    if (edge & BDR_RAISEDOUTER)
        EdgeRing(p, r, sides, c(COLOR_3DLIGHT), c(COLOR_3DDKSHADOW));
    else if (edge & BDR_SUNKENOUTER)
        EdgeRing(p, r, sides, c(COLOR_3DSHADOW), c(COLOR_3DHILIGHT));
    const QRect inner = r.adjusted((sides & BF_LEFT) ? 1 : 0, (sides & BF_TOP) ? 1 : 0,
        (sides & BF_RIGHT) ? -1 : 0, (sides & BF_BOTTOM) ? -1 : 0);
    if (edge & BDR_RAISEDINNER)
        EdgeRing(p, inner, sides, c(COLOR_3DHILIGHT), c(COLOR_3DSHADOW));
    else if (edge & BDR_SUNKENINNER)
        EdgeRing(p, inner, sides, c(COLOR_3DDKSHADOW), c(COLOR_3DLIGHT));
}

void PixelPen::LineTo(int x, int y)
{
    const int dx = x - m_at.x();
    const int dy = y - m_at.y();
    const int steps = std::max(std::abs(dx), std::abs(dy));
    const int sx = (dx > 0) - (dx < 0);
    const int sy = (dy > 0) - (dy < 0);
    for (int i = 0; i < steps; ++i)
        m_painter.fillRect(m_at.x() + i * sx, m_at.y() + i * sy, 1, 1, m_colour);
    m_at = QPoint(x, y);
}

void DrawArrowGlyph(QPainter& p, const QRect& r, ArrowDirection direction, int size, const QColor& colour)
{
    const int rows = (size + 1) / 2;
    const bool vertical = direction == ArrowDirection::Up || direction == ArrowDirection::Down;
    const int left = r.x() + (r.width() - (vertical ? size : rows)) / 2;
    const int top = r.y() + (r.height() - (vertical ? rows : size)) / 2;
    for (int i = 0; i < rows; ++i) {
        const int length = size - 2 * i;
        switch (direction) {
        case ArrowDirection::Down:
            p.fillRect(left + i, top + i, length, 1, colour);
            break;
        case ArrowDirection::Up:
            p.fillRect(left + i, top + rows - 1 - i, length, 1, colour);
            break;
        case ArrowDirection::Right:
            p.fillRect(left + i, top + i, 1, length, colour);
            break;
        case ArrowDirection::Left:
            p.fillRect(left + rows - 1 - i, top + i, 1, length, colour);
            break;
        }
    }
}
