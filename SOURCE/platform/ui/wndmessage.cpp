#include "platform/ui/wndmessage.h"

#include <QCoreApplication>

WindowMessageEvent::WindowMessageEvent(u32 message, quintptr wParam, qintptr lParam)
    : QEvent(EventType())
    , m_message(message)
    , m_wParam(wParam)
    , m_lParam(lParam)
{
}

QEvent::Type WindowMessageEvent::EventType()
{
    static const QEvent::Type type = QEvent::Type(QEvent::registerEventType());
    return type;
}

qintptr SendMessage(QObject* target, u32 message, quintptr wParam, qintptr lParam)
{
    if (!target)
        return 0;
    WindowMessageEvent event(message, wParam, lParam);
    QCoreApplication::sendEvent(target, &event);
    return event.Result();
}

void PostMessage(QObject* target, u32 message, quintptr wParam, qintptr lParam, const QString& text)
{
    if (!target)
        return;
    auto* event = new WindowMessageEvent(message, wParam, lParam);
    event->SetText(text);
    QCoreApplication::postEvent(target, event);
}
