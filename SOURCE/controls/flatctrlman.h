// The flat look of the program's standard controls. Once the hook is
// installed, every child control that is polished (shown for the first time)
// is met by the manager, which picks a handler by the control's kind; the
// flat style then asks that handler to draw the control's border, and a
// 50 ms timer moves the hot state to the control under the mouse.
// A window that draws itself sets kFlatOptOut in its user data before it is
// first shown, which also keeps its direct children plain.
#pragma once

#include "platform/wintypes.h"

#include <QObject>
#include <QPointer>
#include <QSet>
#include <QStyle>
#include <QWidget>
#include <memory>
#include <unordered_map>

class QPainter;
class QStyleOption;
class QTimer;

constexpr u32 kFlatOptOut = 0x80000000;

class CFlatCtrlHandler {
public:
    enum StateBit : u16 { kHot = 0x1, kNarrow = 0x2, kFocused = 0x4, kReadOnly = 0x8 };
    // Border rectangles narrower than this are drawn with a lighter inner edge.
    static constexpr int kNarrowWidth = 30;

    explicit CFlatCtrlHandler(QWidget* window)
        : m_hwnd(window)
    {
    }
    virtual ~CFlatCtrlHandler() = default;

    // Sees the control's events before the control does; true swallows one.
    virtual bool WindowProc(QEvent* event);
    // True when the hot state must move to this control.
    virtual bool CheckHot(QPoint screen);
    virtual bool HasFocus() const;
    // Draws what the flat look owns of the element described by the option:
    // the border, and for composite controls their buttons and arrows.
    virtual void DrawBorder(QPainter& p, const QRect& r, const QStyleOption* option);

    // Brings the state bits up to date and repaints when the look changed.
    virtual void UpdateBorder();

    QWidget* Window() const { return m_hwnd; }
    u16 State() const { return m_state; }
    bool IsLit() const { return (m_state & (kHot | kFocused)) != 0; }
    void SetHotBit(bool hot);

protected:
    // Sets the bits that depend only on the control itself (read-only).
    virtual u16 ExtraState() const { return 0; }
    // The frame of a plain control: flat, lit when hot or focused.
    void DrawBaseFrame(QPainter& p, const QRect& r, const QStyleOption* option) const;

    QWidget* m_hwnd;
    u16 m_state = 0;
    u16 m_lastState = 0;
};

class CFlatCtrlMan : public QObject {
    Q_OBJECT
public:
    // The hot-tracking period in milliseconds.
    static constexpr int kTimerPeriod = 50;

    ~CFlatCtrlMan() override;

    // A null thread means the calling one. Only the user-interface thread
    // creates controls, so a hook elsewhere has nothing to meet.
    bool InstallHook(Qt::HANDLE thread = nullptr);
    bool UninstallHook(Qt::HANDLE thread = nullptr);
    bool IsHooked(Qt::HANDLE thread = nullptr) const;

    // 1 when a handler was attached, 0 for a control that has one already or
    // that the flat look leaves alone.
    int AddControl(QWidget* control);
    void RemoveControl(QWidget* control);
    CFlatCtrlHandler* Find(const QObject* control) const;

    QWidget* HotWindow() const { return m_hotWindow; }
    bool IsTimerRunning() const;

    // One step of hot tracking, run by the timer.
    void TimerProc();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend CFlatCtrlMan& GetFlatCtrlMan();
    CFlatCtrlMan();

    void StartTimer();
    void StopTimer();
    void Forget(QObject* control);
    void MeetControl(QObject* object);

    QSet<Qt::HANDLE> m_threads;
    std::unordered_map<const QObject*, std::unique_ptr<CFlatCtrlHandler>> m_controls;
    QPointer<QWidget> m_hotWindow;
    QTimer* m_timer = nullptr;
    bool m_filterInstalled = false;
};

// The one manager of the process (made on first use, owned by the application).
CFlatCtrlMan& GetFlatCtrlMan();
