// Window messages between the program's own windows. A message is a custom
// event carrying the message number (a standard one such as WM_COMMAND, or
// one from RegisterWindowMessage), wParam and lParam; it is delivered at once
// to the receiver's event(), which may set a result. A pointer in lParam
// is valid only for the length of the send. A posted message is delivered
// later from the event loop; text it carries travels as its own copy.
#pragma once

#include "platform/wintypes.h"

#include <QEvent>
#include <QString>

class QObject;

constexpr u32 WM_NOTIFY = 0x004E;
constexpr u32 WM_COMMAND = 0x0111;

// The head of a WM_NOTIFY message; lParam points at it for the send.
struct NMHDR {
    QObject* hwndFrom = nullptr;
    quintptr idFrom = 0;
    int code = 0;
};

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
    const QString& Text() const { return m_text; }
    void SetText(const QString& text) { m_text = text; }

private:
    u32 m_message;
    quintptr m_wParam;
    qintptr m_lParam;
    qintptr m_result = 0;
    QString m_text;
};

// Delivers the message now and returns what the receiver set (0 when it was
// not handled or there is no receiver).
qintptr SendMessage(QObject* target, u32 message, quintptr wParam = 0, qintptr lParam = 0);
// Queues the message for the receiver; nothing when there is none.
void PostMessage(
    QObject* target, u32 message, quintptr wParam = 0, qintptr lParam = 0, const QString& text = {});
