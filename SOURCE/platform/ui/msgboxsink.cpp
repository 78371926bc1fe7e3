#include "platform/ui/msgboxsink.h"

#include "platform/ui/window.h"

#include <QApplication>
#include <QCursor>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QStringList>
#include <QWhatsThis>
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

QString TopicsFileOf(const std::string& helpPath)
{
    const QString path = QString::fromStdString(helpPath);
    const qsizetype inner = path.indexOf(u"::/");
    if (inner < 0)
        return path;
    return QFileInfo(path.left(inner)).absolutePath() + QLatin1Char('/') + path.mid(inner + 3);
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

QString FindHelpTopic(const QString& topicsFile, u32 helpId)
{
    QFile file(topicsFile);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    QStringList topic;
    bool inTopic = false;
    for (const QString& line : lines) {
        if (line.startsWith(u".topic")) {
            if (inTopic)
                break;
            bool ok = false;
            inTopic = line.mid(6).trimmed().toUInt(&ok) == helpId && ok;
        } else if (inTopic) {
            topic << line;
        }
    }
    return topic.join(QLatin1Char('\n')).trimmed();
}

void WidgetMessageSink::ShowHelpPopup(QObject* owner, const std::string& helpPath, const HelpPairs& pairs)
{
    QWidget* dialog = qobject_cast<QWidget*>(owner);
    if (!dialog)
        return;
    // The control under the mouse, or the one an id of which the dialog
    // knows, going outwards from it.
    QWidget* control = QApplication::widgetAt(QCursor::pos());
    if (!control || !(control == dialog || dialog->isAncestorOf(control)))
        control = QApplication::focusWidget();
    for (; control && control != dialog->parentWidget(); control = control->parentWidget()) {
        const int id = GetDlgCtrlID(control);
        for (const auto& [ctrlId, helpId] : pairs) {
            if (id != 0 && ctrlId == u32(id)) {
                const QString text = FindHelpTopic(TopicsFileOf(helpPath), helpId);
                if (!text.isEmpty())
                    QWhatsThis::showText(QCursor::pos(), text, control);
                return;
            }
        }
    }
}
