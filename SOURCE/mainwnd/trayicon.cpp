#include "mainwnd/trayicon.h"

namespace {

constexpr const char* kTip = "Tolva";

}  // namespace

CTrayIcon::CTrayIcon()
    : m_tray(CreateSystemTray())
{
    Init();
}

CTrayIcon::~CTrayIcon()
{
    SetIcon({});
}

void CTrayIcon::Init()
{
    m_nid = {};
    m_nid.cbSize = NotifyIconData::kSize;
    m_nid.uID = kIconId;
    m_nid.szTip = QByteArray(kTip).left(NotifyIconData::kMaxTip - 1);
}

void CTrayIcon::SetNotificationWnd(QWidget* window, u32 message)
{
    m_nid.hWnd = window;
    m_nid.uCallbackMessage = message;
}

int CTrayIcon::SetIcon(const QIcon& icon)
{
    const bool remove = icon.isNull();
    if (remove && !IsShown())
        return 1;
    m_nid.uFlags = remove ? 0 : NIF_ICON;
    if (m_nid.hWnd && m_nid.uCallbackMessage)
        m_nid.uFlags |= NIF_MESSAGE;
    m_nid.uFlags |= NIF_TIP;
    m_nid.szTip = QByteArray(kTip).left(NotifyIconData::kMaxTip - 1);
    bool done = false;
    if (remove) {
        if (m_tray)
            m_tray->Remove();
        done = true;
    } else {
        done = m_tray && m_tray->Show(icon, QString::fromUtf8(m_nid.szTip));
    }
    m_nid.hIcon = done && !remove ? icon : QIcon();
    return done ? 1 : 0;
}
