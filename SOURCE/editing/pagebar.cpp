#include "editing/pagebar.h"

#include "controls/gradientcaption.h"
#include "platform/ui/syscolor.h"
#include "platform/ui/window.h"

#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {
// Space around a button's image and label, in dialog units.
constexpr int kPadUnits = 3;
// The bar is this wide at least, in dialog units.
constexpr int kMinWidthUnits = 73;
}  // namespace

CPageBar::CPageBar(QWidget* parent)
    : QWidget(parent)
{
    SetDlgCtrlID(this, kId);
    setFocusPolicy(Qt::TabFocus);
    setMouseTracking(true);
    QFont bold = font();
    bold.setBold(true);
    setFont(bold);
}

void CPageBar::SetImages(const QImage& normal, const QImage& hot, QSize imageSize)
{
    constexpr QRgb kMaskColour = qRgb(255, 0, 255);
    m_normal = ImageList(imageSize);
    m_normal.Add(normal, kMaskColour);
    m_hotImages = ImageList(imageSize);
    m_hotImages.Add(hot, kMaskColour);
    m_imageSize = imageSize;
    updateGeometry();
    update();
}

void CPageBar::AddButton(int command, const QString& label)
{
    m_buttons.push_back({command, label});
    if (m_checked < 0)
        m_checked = 0;
    updateGeometry();
    update();
}

int CPageBar::IndexOf(int command) const
{
    for (size_t i = 0; i < m_buttons.size(); ++i)
        if (m_buttons[i].command == command)
            return int(i);
    return -1;
}

void CPageBar::CheckButton(int command)
{
    const int index = IndexOf(command);
    if (index >= 0 && index != m_checked) {
        m_checked = index;
        update();
    }
    // The keyboard's place moves with the page shown: the focus frame is
    // never left on a page the user has gone from.
    if (index >= 0 && hasFocus())
        SetHotItem(index);
}

int CPageBar::CheckedCommand() const
{
    return m_checked >= 0 ? m_buttons[size_t(m_checked)].command : -1;
}

bool CPageBar::KeepsPlace(Qt::FocusReason reason)
{
    // The window or a menu took the focus for a while, or the mouse brought
    // it: the bar is where the user left it or points.
    return reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason
        || reason == Qt::MouseFocusReason;
}

void CPageBar::SetHotItem(int index)
{
    if (index < -1 || index >= ButtonCount())
        index = -1;
    if (index != m_hot) {
        m_hot = index;
        update();
    }
}

int CPageBar::ButtonHeight() const
{
    const int pad = DialogUnitsToPixelsY(this, kPadUnits);
    const int image = m_normal.Count() == 0 ? 0 : m_imageSize.height() + pad;
    return image + fontMetrics().height() + 2 * pad;
}

QRect CPageBar::ButtonRect(int index) const
{
    const int pad = DialogUnitsToPixelsX(this, 1);
    const int h = ButtonHeight();
    return QRect(pad, pad + index * h, width() - 2 * pad, h);
}

int CPageBar::ButtonAt(QPoint pos) const
{
    for (int i = 0; i < ButtonCount(); ++i)
        if (ButtonRect(i).contains(pos))
            return i;
    return -1;
}

QSize CPageBar::sizeHint() const
{
    int width = DialogUnitsToPixelsX(this, kMinWidthUnits);
    const int pad = DialogUnitsToPixelsX(this, kPadUnits);
    for (const Button& b : m_buttons)
        width = std::max(width, fontMetrics().horizontalAdvance(b.label) + 2 * pad);
    width = std::max(width, m_imageSize.width() + 2 * pad);
    return {width, ButtonCount() * ButtonHeight() + 2 * DialogUnitsToPixelsX(this, 1)};
}

QImage CPageBar::ImageOf(int index, bool hot) const
{
    const ImageList& list = hot && m_hotImages.Count() > index ? m_hotImages : m_normal;
    return list.Image(index).toImage();
}

void CPageBar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QColor back = GetSysColor(COLOR_3DSHADOW, this);
    p.fillRect(rect(), back);
    const int pad = DialogUnitsToPixelsY(this, kPadUnits);
    for (int i = 0; i < ButtonCount(); ++i) {
        const QRect r = ButtonRect(i);
        const bool checked = i == m_checked;
        const bool hot = i == m_hot;
        const QColor text
            = LegibleOn(GetSysColor(checked || hot ? COLOR_WINDOW : COLOR_3DHILIGHT, this), back, palette());
        QRect textRect = r.adjusted(pad, pad, -pad, -pad);
        if (const QImage image = ImageOf(i, checked || hot); !image.isNull()) {
            p.drawImage(QPoint(r.center().x() - image.width() / 2, r.top() + pad), image);
            textRect.setTop(r.top() + pad + image.height() + pad);
        }
        p.setPen(text);
        p.drawText(textRect, int(m_labelAlign | Qt::AlignVCenter) | Qt::TextSingleLine,
            fontMetrics().elidedText(m_buttons[size_t(i)].label, Qt::ElideRight, textRect.width()));
        if (checked || hot) {
            const QColor topLeft = checked ? text : GetSysColor(COLOR_3DFACE, this);
            const QColor bottomRight = checked ? text : GetSysColor(COLOR_3DHILIGHT, this);
            const QRect f = r.adjusted(0, 0, -1, -1);
            p.setPen(topLeft);
            p.drawLine(f.topLeft(), f.topRight());
            p.drawLine(f.topLeft(), f.bottomLeft());
            p.setPen(bottomRight);
            p.drawLine(f.bottomLeft(), f.bottomRight());
            p.drawLine(f.topRight(), f.bottomRight());
        }
        if (hasFocus() && hot) {
            p.setPen(QPen(text, 1, Qt::DotLine));
            p.drawRect(r.adjusted(2, 2, -3, -3));
        }
    }
}

void CPageBar::mouseMoveEvent(QMouseEvent* event)
{
    SetHotItem(ButtonAt(event->position().toPoint()));
}

void CPageBar::mousePressEvent(QMouseEvent* event)
{
    const int index = ButtonAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && index >= 0)
        emit commandTriggered(m_buttons[size_t(index)].command);
}

void CPageBar::leaveEvent(QEvent*)
{
    if (!hasFocus())
        SetHotItem(-1);
}

void CPageBar::keyPressEvent(QKeyEvent* event)
{
    const int count = ButtonCount();
    if (count == 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    const int from = m_hot >= 0 ? m_hot : std::max(m_checked, 0);
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Left:
        SetHotItem((from + count - 1) % count);
        break;
    case Qt::Key_Down:
    case Qt::Key_Right:
        SetHotItem((from + 1) % count);
        break;
    case Qt::Key_Home:
        SetHotItem(0);
        break;
    case Qt::Key_End:
        SetHotItem(count - 1);
        break;
    case Qt::Key_Space:
        if (m_hot >= 0)
            emit commandTriggered(m_buttons[size_t(m_hot)].command);
        break;
    default:
        // Enter goes to the host, whose OK shows the hot button's page.
        QWidget::keyPressEvent(event);
    }
}

void CPageBar::focusInEvent(QFocusEvent* event)
{
    // Arriving by keyboard, the checked button is the one the arrows start
    // from, whatever was hot when the bar was left.
    if (!KeepsPlace(event->reason()) || m_hot < 0)
        SetHotItem(m_checked);
    QWidget::focusInEvent(event);
}

void CPageBar::focusOutEvent(QFocusEvent* event)
{
    // Only the mouse keeps a button lit once the keyboard is elsewhere in
    // the window.
    if (!KeepsPlace(event->reason()))
        SetHotItem(underMouse() ? ButtonAt(mapFromGlobal(QCursor::pos())) : -1);
    QWidget::focusOutEvent(event);
}
