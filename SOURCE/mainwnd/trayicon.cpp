#include "mainwnd/trayicon.h"

CTrayIcon::CTrayIcon()
    : m_tray(CreateSystemTray())
    , m_tip(QStringLiteral("Tolva").left(kMaxTip))
{
}

CTrayIcon::~CTrayIcon()
{
    SetIcon({});
}

int CTrayIcon::SetIcon(const QIcon& icon)
{
    if (icon.isNull()) {
        if (!m_bShown)
            return 1;
        m_tray->Remove();
        m_bShown = false;
        return 1;
    }
    m_bShown = m_tray && m_tray->Show(icon, m_tip);
    return m_bShown ? 1 : 0;
}
