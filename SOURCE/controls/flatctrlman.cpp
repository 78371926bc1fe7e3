#include "controls/flatctrlman.h"

#include "controls/flatdraw.h"
#include "controls/flathandlers.h"
#include "controls/flatstyle.h"
#include "platform/ui/syscolor.h"
#include "platform/ui/window.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QPainter>
#include <QStyleOption>
#include <QThread>
#include <QTimer>
#include <QWidget>

bool CFlatCtrlHandler::WindowProc(QEvent* event)
{
    switch (event->type()) {
    case QEvent::FocusIn:
    case QEvent::FocusOut:
    case QEvent::EnabledChange:
    case QEvent::ReadOnlyChange:
    case QEvent::Resize:
        UpdateBorder();
        break;
    default:
        break;
    }
    return false;
}

bool CFlatCtrlHandler::CheckHot(QPoint)
{
    return GetFlatCtrlMan().HotWindow() != m_hwnd;
}

bool CFlatCtrlHandler::HasFocus() const
{
    return m_hwnd->hasFocus();
}

void CFlatCtrlHandler::SetHotBit(bool hot)
{
    m_state = hot ? (m_state | kHot) : (m_state & ~kHot);
}

void CFlatCtrlHandler::UpdateBorder()
{
    u16 state = m_state & kHot;
    if (HasFocus())
        state |= kFocused;
    if (m_hwnd->width() < kNarrowWidth)
        state |= kNarrow;
    state |= ExtraState();
    m_state = state;
    // Lit by the mouse or by the focus looks the same, so a change from one
    // to the other needs no drawing.
    const bool wasLit = (m_lastState & (kHot | kFocused)) != 0;
    const u16 others = kNarrow | kReadOnly;
    if (wasLit != IsLit() || (m_lastState & others) != (state & others))
        m_hwnd->update();
    m_lastState = state;
}

void CFlatCtrlHandler::DrawBorder(QPainter& p, const QRect& r, const QStyleOption* option)
{
    DrawBaseFrame(p, r, option);
}

void CFlatCtrlHandler::DrawBaseFrame(QPainter& p, const QRect& r, const QStyleOption* option) const
{
    const QPalette& pal = option ? option->palette : m_hwnd->palette();
    int c = COLOR_3DLIGHT;
    int d = COLOR_3DLIGHT;
    if (IsLit()) {
        c = COLOR_3DDKSHADOW;
        d = COLOR_3DLIGHT;
    } else if (!m_hwnd->isEnabled() || (m_state & kReadOnly)) {
        c = d = COLOR_3DFACE;
    } else if (r.width() < kNarrowWidth) {
        c = COLOR_3DFACE;
    }
    DrawFrames(p, r, pal, {COLOR_3DSHADOW, COLOR_3DHILIGHT, c, d});
}

// ---------------------------------------------------------------------------

CFlatCtrlMan::CFlatCtrlMan() = default;

CFlatCtrlMan::~CFlatCtrlMan()
{
    m_threads.clear();
    if (qApp && m_filterInstalled)
        qApp->removeEventFilter(this);
    for (auto& [object, handler] : m_controls) {
        if (QWidget* w = handler->Window())
            disconnect(w, nullptr, this, nullptr);
    }
    m_controls.clear();
}

CFlatCtrlMan& GetFlatCtrlMan()
{
    static QPointer<CFlatCtrlMan> man;
    if (!man) {
        man = new CFlatCtrlMan;
        if (qApp)
            man->setParent(qApp);
    }
    return *man;
}

bool CFlatCtrlMan::InstallHook(Qt::HANDLE thread)
{
    if (!thread)
        thread = QThread::currentThreadId();
    if (m_threads.contains(thread))
        return true;
    if (!qApp)
        return false;
    if (!m_filterInstalled) {
        qApp->installEventFilter(this);
        m_filterInstalled = true;
    }
    if (!qobject_cast<CFlatStyle*>(QApplication::style()))
        QApplication::setStyle(new CFlatStyle);
    m_threads.insert(thread);
    // Controls met before an earlier uninstall are tracked again.
    if (!m_controls.empty())
        StartTimer();
    return true;
}

bool CFlatCtrlMan::UninstallHook(Qt::HANDLE thread)
{
    if (!thread)
        thread = QThread::currentThreadId();
    if (!m_threads.remove(thread))
        return false;
    if (m_threads.isEmpty())
        StopTimer();
    return true;
}

bool CFlatCtrlMan::IsHooked(Qt::HANDLE thread) const
{
    return m_threads.contains(thread ? thread : QThread::currentThreadId());
}

bool CFlatCtrlMan::IsTimerRunning() const
{
    return m_timer && m_timer->isActive();
}

void CFlatCtrlMan::StartTimer()
{
    if (!m_timer) {
        m_timer = new QTimer(this);
        m_timer->setInterval(kTimerPeriod);
        connect(m_timer, &QTimer::timeout, this, &CFlatCtrlMan::TimerProc);
    }
    if (!m_timer->isActive())
        m_timer->start();
}

void CFlatCtrlMan::StopTimer()
{
    if (m_timer)
        m_timer->stop();
}

int CFlatCtrlMan::AddControl(QWidget* control)
{
    if (!control || m_controls.count(control))
        return 0;
    std::unique_ptr<CFlatCtrlHandler> handler = ChooseFlatHandler(control);
    if (!handler)
        return 0;
    m_controls.emplace(control, std::move(handler));
    connect(control, &QObject::destroyed, this, &CFlatCtrlMan::Forget);
    m_controls[control]->UpdateBorder();
    control->update();
    if (!m_threads.isEmpty())
        StartTimer();
    return 1;
}

void CFlatCtrlMan::RemoveControl(QWidget* control)
{
    if (!control || !m_controls.count(control))
        return;
    disconnect(control, &QObject::destroyed, this, &CFlatCtrlMan::Forget);
    Forget(control);
    control->update();
}

void CFlatCtrlMan::Forget(QObject* control)
{
    m_controls.erase(control);
    if (m_hotWindow == control || !m_hotWindow)
        m_hotWindow = nullptr;
    if (m_controls.empty())
        StopTimer();
}

CFlatCtrlHandler* CFlatCtrlMan::Find(const QObject* control) const
{
    const auto it = m_controls.find(control);
    return it == m_controls.end() ? nullptr : it->second.get();
}

void CFlatCtrlMan::TimerProc()
{
    if (m_controls.empty() || QWidget::mouseGrabber() || QApplication::mouseButtons() != Qt::NoButton)
        return;
    const QPoint cursor = QCursor::pos();
    // Qt nests helper widgets inside controls (viewports, inner edits), so
    // the search goes outwards until a control or a window is reached.
    CFlatCtrlHandler* found = nullptr;
    for (QWidget* w = QApplication::widgetAt(cursor); w && !found;
         w = w->isWindow() ? nullptr : w->parentWidget())
        found = Find(w);

    CFlatCtrlHandler* hot = m_hotWindow ? Find(m_hotWindow) : nullptr;
    if (!found) {
        if (hot) {
            hot->SetHotBit(false);
            hot->UpdateBorder();
        }
        m_hotWindow = nullptr;
        return;
    }
    if (!found->CheckHot(cursor))
        return;
    if (hot && hot != found) {
        hot->SetHotBit(false);
        hot->UpdateBorder();
    }
    m_hotWindow = found->Window();
    found->SetHotBit(true);
    found->UpdateBorder();
}

void CFlatCtrlMan::MeetControl(QObject* object)
{
    if (!IsHooked() || !object->isWidgetType() || Find(object))
        return;
    auto* w = static_cast<QWidget*>(object);
    if (!w->isWindow() && !(GetWindowUserData(w) & kFlatOptOut)
        && !(GetWindowUserData(w->parentWidget()) & kFlatOptOut))
        AddControl(w);
}

bool CFlatCtrlMan::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::Polish:
        MeetControl(watched);
        break;
    case QEvent::ParentChange:
        // A control made without a parent and polished early (a layout asked
        // for its size) becomes a child only now.
        if (watched->isWidgetType() && static_cast<QWidget*>(watched)->testAttribute(Qt::WA_WState_Polished))
            MeetControl(watched);
        break;
    case QEvent::FocusIn:
    case QEvent::FocusOut:
    case QEvent::EnabledChange:
    case QEvent::ReadOnlyChange:
    case QEvent::Resize:
        if (CFlatCtrlHandler* handler = Find(watched))
            return handler->WindowProc(event);
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
