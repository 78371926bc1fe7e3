#include "controls/dialogmanager.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QWindow>
#include <algorithm>

namespace {

constexpr const char* kScrollsToFit = "tolvaScrollsToFit";

// Holds a working area larger than the room the screen leaves: as large as
// the area wants up to that room, transparent, so the window's own painting
// shows through, and it keeps the focused control in view.
class CFitScrollArea : public QScrollArea {
public:
    explicit CFitScrollArea(QWidget* parent)
        : QScrollArea(parent)
    {
        setFrameShape(QFrame::NoFrame);
        setFocusPolicy(Qt::NoFocus);
        setWidgetResizable(true);
        viewport()->setAutoFillBackground(false);
        connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
            if (now && widget() && widget()->isAncestorOf(now))
                ensureWidgetVisible(now);
        });
    }

    void SetRoom(QSize room)
    {
        m_room = room;
        updateGeometry();
    }

    QSize sizeHint() const override
    {
        if (!widget())
            return QScrollArea::sizeHint();
        QSize size = widget()->sizeHint().expandedTo(widget()->minimumSizeHint());
        const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
        const bool tall = m_room.isValid() && size.height() > m_room.height();
        const bool wide = m_room.isValid() && size.width() + (tall ? bar : 0) > m_room.width();
        size += QSize(tall ? bar : 0, wide ? bar : 0);
        return m_room.isValid() ? size.boundedTo(m_room) : size;
    }

private:
    QSize m_room;
};

// The frame the window manager puts around a window; before the window is
// mapped, that of another window of the program that has one.
QMargins FrameMargins(const QWidget* window)
{
    if (const QWindow* handle = window->windowHandle(); handle && !handle->frameMargins().isNull())
        return handle->frameMargins();
    for (const QWidget* other : QApplication::topLevelWidgets()) {
        if (other != window && other->isVisible() && other->windowHandle()
            && !other->windowHandle()->frameMargins().isNull())
            return other->windowHandle()->frameMargins();
    }
    return {};
}

// Puts the working area into a scroll area in its place; the controls keep
// their parent chain to the window, their Tab order and the focus.
CFitScrollArea* ScrollWorkingArea(QDialog* dialog)
{
    if (auto* area = dialog->findChild<CFitScrollArea*>())
        return area;
    QWidget* content = nullptr;
    for (QWidget* w : dialog->findChildren<QWidget*>())
        if (w->property(kScrollsToFit).toBool() && w->window() == dialog)
            content = w;
    if (!content || !dialog->layout())
        return nullptr;
    const QPointer<QWidget> focus = dialog->focusWidget();
    auto* area = new CFitScrollArea(dialog);
    QLayoutItem* replaced = dialog->layout()->replaceWidget(content, area, Qt::FindChildrenRecursively);
    if (!replaced) {
        delete area;
        return nullptr;
    }
    delete replaced;
    area->setWidget(content);
    content->setAutoFillBackground(false);
    area->show();
    if (focus)
        focus->setFocus();
    return area;
}

bool IsAccessKey(const QKeyEvent* key)
{
    const Qt::KeyboardModifiers held = key->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    const QString text = key->text();
    return held == Qt::AltModifier && !text.isEmpty() && text.at(0).isPrint();
}

class CDialogManager : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!watched->isWidgetType())
            return false;
        switch (event->type()) {
        case QEvent::KeyPress:
            // A key press comes to a control only when no control's access
            // key took it; menus read their own letters.
            return IsAccessKey(static_cast<QKeyEvent*>(event)) && !qobject_cast<QMenu*>(watched)
                && !qobject_cast<QMenuBar*>(watched);
        case QEvent::Show:
            if (auto* dialog = qobject_cast<QDialog*>(watched);
                dialog && dialog->isWindow() && !(dialog->windowType() == Qt::Popup))
                FitDialogToScreen(dialog);
            return false;
        default:
            return false;
        }
    }
};

}  // namespace

void InstallDialogManager()
{
    static QPointer<CDialogManager> manager;
    if (manager || !qApp)
        return;
    manager = new CDialogManager(qApp);
    qApp->installEventFilter(manager);
}

void SetScrollsToFit(QWidget* workingArea)
{
    workingArea->setProperty(kScrollsToFit, true);
}

void FitDialogToScreen(QDialog* dialog)
{
    const QScreen* screen = dialog->screen();
    if (!screen)
        return;
    const QRect room = screen->availableGeometry();
    const QMargins frame = FrameMargins(dialog);
    const QSize inside = room.size().shrunkBy(frame);
    if (inside.isEmpty())
        return;
    QSize size = dialog->size();
    if (size.width() > inside.width() || size.height() > inside.height()) {
        const QSize least = dialog->minimumSize().expandedTo(dialog->minimumSizeHint());
        if (least.width() > inside.width() || least.height() > inside.height()) {
            if (CFitScrollArea* area = ScrollWorkingArea(dialog)) {
                area->SetRoom(inside);
                dialog->layout()->activate();
                // As wide as before and its scroll bar, where there is room.
                size = size.expandedTo(dialog->sizeHint());
            }
        }
        dialog->resize(size.boundedTo(inside).expandedTo(dialog->minimumSize()));
    }
    // Whole on the screen, or its top left corner where it cannot be.
    const QRect outer(
        dialog->geometry().topLeft() - QPoint(frame.left(), frame.top()), dialog->size().grownBy(frame));
    const int x = std::clamp(outer.x(), room.left(), std::max(room.left(), room.right() + 1 - outer.width()));
    const int y = std::clamp(outer.y(), room.top(), std::max(room.top(), room.bottom() + 1 - outer.height()));
    if (x != outer.x() || y != outer.y())
        dialog->move(x, y);
}
