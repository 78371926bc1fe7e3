// Window messages between the program's own windows. A message is a custom
// event carrying the message number (a standard one such as WM_COMMAND, or
// one from RegisterWindowMessage), wParam and lParam; it is delivered at once
// to the receiver's event(), which may set a result. A pointer in lParam
// is valid only for the length of the send.
#pragma once

#include "platform/wintypes.h"

#include <QEvent>

class QObject;

constexpr u32 WM_COMMAND = 0x0111;

constexpr quintptr MAKEWPARAM(unsigned low, unsigned high)
{
    return quintptr((low & 0xFFFF) | ((high & 0xFFFF) << 16));
}
constexpr unsigned LOWORD(quintptr v)
{
    return unsigned(v & 0xFFFF);
}
constexpr unsigned HIWORD(quintptr v)
{
    return unsigned((v >> 16) & 0xFFFF);
}

class WindowMessageEvent : public QEvent {
public:
    WindowMessageEvent(u32 message, quintptr wParam, qintptr lParam);

    static QEvent::Type EventType();

    u32 Message() const { return m_message; }
    quintptr WParam() const { return m_wParam; }
    qintptr LParam() const { return m_lParam; }
    qintptr Result() const { return m_result; }
    void SetResult(qintptr result) { m_result = result; }

private:
    u32 m_message;
    quintptr m_wParam;
    qintptr m_lParam;
    qintptr m_result = 0;
};

// Delivers the message now and returns what the receiver set (0 when it was
// not handled or there is no receiver).
qintptr SendMessage(QObject* target, u32 message, quintptr wParam = 0, qintptr lParam = 0);
