// The program's icon in the notification area, kept for the life of the
// main frame.
#pragma once

#include "platform/ui/systemtray.h"

#include <QIcon>
#include <memory>

class CTrayIcon {
public:
    static constexpr unsigned kIconId = 129;
    static constexpr int kMaxTip = 63;

    CTrayIcon();
    ~CTrayIcon();
    CTrayIcon(const CTrayIcon&) = delete;
    CTrayIcon& operator=(const CTrayIcon&) = delete;

    // With an icon: adds or changes it; without: removes it (1 when there
    // was none). 0 when the desktop refused; no icon is then kept.
    int SetIcon(const QIcon& icon);
    bool IsShown() const { return m_bShown; }
    bool IsAvailable() const { return m_tray && m_tray->IsAvailable(); }
    SystemTray* Tray() const { return m_tray.get(); }

private:
    std::unique_ptr<SystemTray> m_tray;
    QString m_tip;
    bool m_bShown = false;
};
