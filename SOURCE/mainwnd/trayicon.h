// The program's icon in the notification area, kept for the life of the
// main frame.
#pragma once

#include "platform/ui/systemtray.h"
#include "platform/wintypes.h"

#include <QIcon>
#include <QPointer>
#include <QWidget>
#include <memory>

// Flags of the icon record: what of it the desktop is to take.
constexpr u32 NIF_MESSAGE = 0x1;
constexpr u32 NIF_ICON = 0x2;
constexpr u32 NIF_TIP = 0x4;

// The mouse messages a notification carries.
constexpr u32 WM_LBUTTONUP = 0x0202;
constexpr u32 WM_LBUTTONDBLCLK = 0x0203;
constexpr u32 WM_RBUTTONDOWN = 0x0204;
constexpr u32 WM_RBUTTONUP = 0x0205;

// The icon as the desktop is told of it.
struct NotifyIconData {
    static constexpr u32 kSize = 88;
    static constexpr int kMaxTip = 64;  // bytes, with the terminating zero
    u32 cbSize = 0;
    QPointer<QWidget> hWnd;
    u32 uID = 0;
    u32 uFlags = 0;
    u32 uCallbackMessage = 0;
    QIcon hIcon;
    QByteArray szTip;
};

class CTrayIcon {
public:
    static constexpr u32 kIconId = 129;

    // The record is set up with Init; the desktop's tray unless a test
    // installed another.
    CTrayIcon();
    ~CTrayIcon();
    CTrayIcon(const CTrayIcon&) = delete;
    CTrayIcon& operator=(const CTrayIcon&) = delete;

    void Init();
    // Where notifications go, with the message they carry (none: nowhere).
    void SetNotificationWnd(QWidget* window, u32 message);
    // With an icon: adds it, or changes it when one is shown; without:
    // removes it, 1 when there was none. The desktop's answer (1 done,
    // 0 refused); after a refusal no icon is kept, so the next call adds.
    int SetIcon(const QIcon& icon);
    bool IsShown() const { return !m_nid.hIcon.isNull(); }
    bool IsAvailable() const { return m_tray && m_tray->IsAvailable(); }
    const NotifyIconData& Data() const { return m_nid; }
    SystemTray* Tray() const { return m_tray.get(); }

private:
    std::unique_ptr<SystemTray> m_tray;
    NotifyIconData m_nid;
};
