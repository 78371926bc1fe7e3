#include "controls/flatbutton.h"

#include "controls/flatdraw.h"
#include "platform/ui/imagelist.h"
#include "platform/ui/resources.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

namespace {

// Text that a disabled control shows: embossed in highlight and shadow
// where those read on the face.
void DrawDisabledText(
    QPainter& p, const QRect& r, int flags, const QString& text, const QPalette& palette, const QColor& face)
{
    const QColor shape = DisabledColor(palette, face);
    const QColor relief = GetSysColor(COLOR_3DHILIGHT, palette);
    if (ReliefReads(relief, shape)) {
        p.setPen(relief);
        p.drawText(r.translated(1, 1), flags, text);
    }
    p.setPen(shape);
    p.drawText(r, flags, text);
}

}  // namespace

CFlatButton::CFlatButton(QWidget* parent)
    : CFlatButton(QString(), parent)
{
}

CFlatButton::CFlatButton(const QString& text, QWidget* parent)
    : QPushButton(text, parent)
{
    // It draws itself, so the flat look leaves it alone.
    setProperty("ownerDraw", true);
    setMouseTracking(true);
}

bool CFlatButton::SetIcon(int firstIconId, int secondIconId, int width, int height)
{
    const QIcon first = LoadIconResource(firstIconId);
    if (first.isNull())
        return false;
    const QIcon second = secondIconId ? LoadIconResource(secondIconId) : first;
    SetIconHandles(first, second.isNull() ? first : second, width, height);
    return true;
}

void CFlatButton::SetIconHandles(const QIcon& hotIcon, const QIcon& icon, int width, int height)
{
    m_hotIcon = hotIcon;
    m_icon = icon.isNull() ? hotIcon : icon;
    m_iconSize = QSize(width, height);
    repaint();
}

bool CFlatButton::SetBtnCursor(int cursorId)
{
    unsetCursor();
    if (cursorId == -1)
        return false;
    QCursor cursor;
    if (!LoadCursorResource(cursorId, &cursor))
        return false;
    setCursor(cursor);
    return true;
}

void CFlatButton::SetAlign(int align)
{
    m_nAlign = align;
    update();
}

void CFlatButton::SetShowText(bool show)
{
    m_bShowText = show;
    update();
}

void CFlatButton::SetColors(ThemeColor hotFace, ThemeColor hotText, ThemeColor face, ThemeColor text,
    ThemeColor light, ThemeColor shadow, ThemeColor highlight, ThemeColor darkShadow, ThemeColor window,
    bool redraw)
{
    m_hotFace = hotFace;
    m_hotText = hotText;
    m_face = face;
    m_text = text;
    m_light = light;
    m_shadow = shadow;
    m_highlight = highlight;
    m_darkShadow = darkShadow;
    m_window = window;
    m_bSysColors = false;
    if (redraw)
        update();
}

void CFlatButton::SetDefaultColors(bool redraw)
{
    SetColors(COLOR_3DFACE, COLOR_BTNTEXT, COLOR_3DFACE, COLOR_BTNTEXT, COLOR_3DLIGHT, COLOR_3DSHADOW,
        COLOR_3DHILIGHT, COLOR_3DDKSHADOW, COLOR_WINDOW, redraw);
    m_bSysColors = true;
}

void CFlatButton::SetHover(bool hover)
{
    if (m_bHover != hover) {
        m_bHover = hover;
        update();
    }
}

void CFlatButton::mouseMoveEvent(QMouseEvent* event)
{
    QPushButton::mouseMoveEvent(event);
    // While the mouse button is held after a press elsewhere, or after the
    // pointer left the pressed button, the button stays unlit.
    if ((event->buttons() & Qt::LeftButton) && !m_bHover)
        return;
    SetHover(rect().contains(event->position().toPoint()));
}

void CFlatButton::leaveEvent(QEvent* event)
{
    QPushButton::leaveEvent(event);
    SetHover(false);
}

void CFlatButton::focusOutEvent(QFocusEvent* event)
{
    QPushButton::focusOutEvent(event);
    SetHover(false);
}

void CFlatButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QPalette& pal = palette();
    const auto c = [&](const ThemeColor& colour) { return colour.Resolve(pal); };
    const bool pressed = isDown();
    const bool focused = hasFocus();
    const bool lit = m_bHover || pressed;
    const bool enabled = isEnabled();
    QRect r = rect();

    p.fillRect(r, c(lit ? m_hotFace : m_face));
    if (focused) {
        Draw3dRect(p, r, Qt::black, Qt::black);
        r.adjust(1, 1, -1, -1);
        if (pressed && m_bHotFrame)
            Draw3dRect(p, r, c(m_shadow), c(m_light));
    }
    if (!pressed) {
        if (m_bHover && m_bHotFrame) {
            Draw3dRect(p, r, c(m_highlight), c(m_darkShadow));
            r.adjust(1, 1, -1, -1);
            Draw3dRect(p, r, c(m_light), c(m_shadow));
        } else if (!m_bHover) {
            Draw3dRect(p, r, c(m_highlight), c(m_shadow));
        }
    }

    const QRect item = rect();
    const QPoint shift = pressed ? QPoint(1, 1) : QPoint();
    QRect textArea = item;
    const QIcon& icon = lit ? m_hotIcon : m_icon;
    if (!icon.isNull() && m_iconSize.isValid()) {
        const QSize size = m_iconSize;
        QPoint at;
        if (m_nAlign == kIconTop) {
            at.setX((item.width() - size.width()) / 2);
            at.setY(m_bShowText ? 3 : (item.height() - size.height()) / 2);
            if (m_bShowText)
                textArea.setTop(at.y() + size.height());
        } else {
            at.setY((item.height() - size.height()) / 2);
            at.setX(m_bShowText ? 3 : (item.width() - size.width()) / 2);
            if (m_bShowText)
                textArea.setLeft(size.width() + 3);
        }
        const QPixmap pixmap = icon.pixmap(size);
        if (enabled)
            p.drawPixmap(at + shift, pixmap);
        else
            DrawDisabledPixmap(p, at + shift, pixmap, pal);
    }

    if (!m_bShowText)
        return;
    const QWidget* owner = parentWidget();
    p.setFont(owner ? owner->font() : font());
    const int flags = Qt::AlignCenter | Qt::TextSingleLine | Qt::TextShowMnemonic;
    const QRect textRect = textArea.translated(shift);
    if (enabled) {
        p.setPen(c(lit ? m_hotText : m_text));
        p.drawText(textRect, flags, text());
    } else {
        DrawDisabledText(p, textRect, flags, text(), pal, c(lit ? m_hotFace : m_face));
    }
}
