#include "controls/colorbutton.h"

#include "controls/flatdraw.h"
#include "platform/ui/syscolor.h"

#include <QPainter>

namespace {

// The drop arrow: rows of 5, 3 and 1 pixels.
void DrawDropArrow(QPainter& p, int x, int y, const QColor& colour)
{
    p.fillRect(x, y, 5, 1, colour);
    p.fillRect(x + 1, y + 1, 3, 1, colour);
    p.fillRect(x + 2, y + 2, 1, 1, colour);
}

}  // namespace

CColorButton::CColorButton(QWidget* parent)
    : QPushButton(parent)
{
    setProperty("ownerDraw", true);
}

void CColorButton::SetColor(COLORREF color)
{
    m_color = color & 0xFFFFFF;
    update();
}

QSize CColorButton::sizeHint() const
{
    return {60, 23};
}

void CColorButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QPalette& pal = palette();
    const auto c = [&](int index) { return GetSysColor(index, pal); };
    const bool pressed = isDown();
    const bool enabled = isEnabled();
    const QRect r = rect();

    if (pressed) {
        Draw3dRect(p, r, c(COLOR_3DSHADOW), c(COLOR_3DHILIGHT));
        Draw3dRect(p, r.adjusted(1, 1, -1, -1), c(COLOR_WINDOWFRAME), c(COLOR_3DFACE));
    } else {
        Draw3dRect(p, r, c(COLOR_3DFACE), c(COLOR_WINDOWFRAME));
        Draw3dRect(p, r.adjusted(1, 1, -1, -1), c(COLOR_3DHILIGHT), c(COLOR_3DSHADOW));
    }
    const QRect inside = r.adjusted(2, 2, -2, -2);
    p.fillRect(inside, c(COLOR_3DFACE));

    const QPoint shift = pressed ? QPoint(1, 1) : QPoint();
    if (hasFocus()) {
        QPen dots(c(COLOR_WINDOWTEXT), 1, Qt::DotLine);
        p.setPen(dots);
        p.drawRect(inside.adjusted(1, 1, -2, -2).translated(shift));
    }
    const QRect content = inside.adjusted(2, 2, -2, -2).translated(shift);
    const int separator = r.x() + r.width() - 8 + shift.x();
    p.fillRect(separator, content.top(), 1, content.height(), c(COLOR_3DSHADOW));
    p.fillRect(separator + 1, content.top(), 1, content.height(), c(COLOR_3DHILIGHT));

    const QRect swatch(
        content.left() + 1, content.top() + 1, separator - 12 - content.left() - 1, content.height() - 2);
    if (swatch.width() > 0) {
        Draw3dRect(p, swatch, c(COLOR_WINDOWFRAME), c(COLOR_WINDOWFRAME));
        if (enabled)
            p.fillRect(swatch.adjusted(1, 1, -1, -1), ColorFromRef(m_color));
    }
    // The arrow (5 pixels, and its relief one more when disabled) ends a
    // pixel short of the separator.
    const int arrowX = separator - 7;
    const int arrowY = content.top() + (content.height() - 3) / 2;
    if (enabled) {
        DrawDropArrow(p, arrowX, arrowY, c(COLOR_WINDOWFRAME));
    } else {
        const QColor shape = DisabledColor(pal, c(COLOR_3DFACE));
        if (ReliefReads(c(COLOR_3DHILIGHT), shape))
            DrawDropArrow(p, arrowX + 1, arrowY + 1, c(COLOR_3DHILIGHT));
        DrawDropArrow(p, arrowX, arrowY, shape);
    }
}
