// A message as the program shows it: the real message box, answered as soon
// as it is up, with its picture and what a person would find wrong in it.
#pragma once

#include "platform/ui/msgboxsink.h"
#include "support/modal.h"
#include "support/pictures.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QScreen>

struct MessagePicture {
    QImage picture;
    // Captions that do not fit, controls outside the box, a box off the screen.
    QStringList faults;
};

// Shows each message the code under test gives in a real message box for the
// life of a scope, and keeps the picture and faults of the last one.
class RealMessages : public WidgetMessageSink {
public:
    RealMessages()
        : m_scope(*this)
    {
    }
    int ShowMessage(QObject* owner, const std::string& text, const std::string& title, u32 type) override
    {
        OnModal<QMessageBox>([this](QMessageBox* box) {
            m_last.picture = Grab(box);
            m_last.faults = LayoutFaults(box);
            if (!box->screen()->availableGeometry().contains(box->frameGeometry()))
                m_last.faults << QStringLiteral("the message box is not whole on the screen");
            box->buttons().constFirst()->click();
        });
        m_last = {};
        ++m_shown;
        return WidgetMessageSink::ShowMessage(owner, text, title, type);
    }
    const MessagePicture& Last() const { return m_last; }
    int Shown() const { return m_shown; }

private:
    ScopedMessageSink m_scope;
    MessagePicture m_last;
    int m_shown = 0;
};
