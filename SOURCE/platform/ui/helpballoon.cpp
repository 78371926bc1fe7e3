#include "platform/ui/helpballoon.h"

#include <QCursor>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QStyle>

namespace {

QPointer<CHelpBalloon> g_current;

// Wide enough for a sentence or two on few lines, narrow enough to read.
constexpr int kWidthInCharacters = 48;

}  // namespace

CHelpBalloon::CHelpBalloon(QWidget* control, const QString& text)
    : QLabel(text, control, Qt::Popup)
{
    setObjectName(QStringLiteral("HelpBalloon"));
    setAttribute(Qt::WA_DeleteOnClose);
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    setForegroundRole(QPalette::ToolTipText);
    setBackgroundRole(QPalette::ToolTipBase);
    setAutoFillBackground(true);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    const int margin = fontMetrics().height() / 2;
    setMargin(margin);
    const int width = fontMetrics().averageCharWidth() * kWidthInCharacters + 2 * margin;
    setFixedWidth(std::min(width, fontMetrics().horizontalAdvance(text) + 2 * margin + 2 * frameWidth()));
    setFixedHeight(heightForWidth(this->width()));
}

CHelpBalloon* CHelpBalloon::Current()
{
    return g_current.data();
}

void CHelpBalloon::keyPressEvent(QKeyEvent*)
{
    close();
}

void CHelpBalloon::mousePressEvent(QMouseEvent*)
{
    close();
}

void ShowHelpBalloon(QWidget* control, const QString& text)
{
    if (g_current)
        g_current->close();
    auto* balloon = new CHelpBalloon(control, text);
    g_current = balloon;

    const QRect area = control->rect();
    QPoint at = control->mapToGlobal(QPoint(area.left() + area.width() / 8, area.bottom() + 2));
    const QPoint mouse = QCursor::pos();
    if (QRect(control->mapToGlobal(area.topLeft()), area.size()).contains(mouse))
        at = mouse + QPoint(0, control->fontMetrics().height());
    // Kept on the screen the control is on.
    if (const QScreen* screen = control->screen()) {
        const QRect room = screen->availableGeometry();
        at.setX(std::clamp(at.x(), room.left(), std::max(room.left(), room.right() - balloon->width())));
        at.setY(std::clamp(at.y(), room.top(), std::max(room.top(), room.bottom() - balloon->height())));
    }
    balloon->move(at);
    balloon->show();
}
