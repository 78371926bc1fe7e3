#include "platform/ui/msgboxsink.h"

#include "platform/helptopics.h"
#include "platform/ui/helpballoon.h"
#include "platform/ui/window.h"

#include <QMessageBox>
#include <QWidget>

namespace {

QMessageBox::Icon IconOf(u32 type)
{
    switch (type & MB_ICONMASK) {
    case MB_ICONHAND:
        return QMessageBox::Critical;
    case MB_ICONQUESTION:
        return QMessageBox::Question;
    case MB_ICONEXCLAMATION:
        return QMessageBox::Warning;
    case MB_ICONINFORMATION:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

struct ButtonSet {
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton first;
    QMessageBox::StandardButton second;
};

ButtonSet ButtonsOf(u32 type)
{
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
        return {QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok, QMessageBox::Cancel};
    case MB_YESNOCANCEL:
        return {QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes, QMessageBox::No};
    case MB_YESNO:
        return {QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, QMessageBox::No};
    default:
        return {QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Ok};
    }
}

int ResultOf(int button)
{
    switch (button) {
    case QMessageBox::Cancel:
        return IDCANCEL;
    case QMessageBox::Yes:
        return IDYES;
    case QMessageBox::No:
        return IDNO;
    default:
        return IDOK;
    }
}

}  // namespace

int WidgetMessageSink::ShowMessage(
    QObject* owner, const std::string& text, const std::string& title, u32 type)
{
    QWidget* parent = qobject_cast<QWidget*>(owner);
    const ButtonSet set = ButtonsOf(type);
    QMessageBox box(
        IconOf(type), QString::fromStdString(title), QString::fromStdString(text), set.buttons, parent);
    box.setDefaultButton((type & MB_DEFBUTTON2) ? set.second : set.first);
    if (type & MB_TOPMOST)
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
    if (type & MB_TASKMODAL)
        box.setWindowModality(Qt::ApplicationModal);
    return ResultOf(box.exec());
}

void WidgetMessageSink::ShowHelpPopup(QObject* owner, const std::string& helpPath, const HelpPairs& pairs)
{
    // The request names the control, or a part of it (the viewport of a
    // list, the edit of a combo box): the nearest one that the table pairs
    // with a topic is the one explained.
    u32 topic = 0;
    QWidget* control = PairedControl(qobject_cast<QWidget*>(owner), nullptr, pairs, &topic);
    if (!control)
        return;
    const std::string& text = HelpTopicsOfFile(HelpTopicsFileOf(helpPath)).Text(topic);
    if (!text.empty())
        ShowHelpBalloon(control, QString::fromStdString(text));
}
