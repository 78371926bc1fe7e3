#include "platform/ui/window.h"

#include <QFontMetrics>
#include <QVariant>
#include <QWidget>

namespace {

constexpr const char* kCtrlIdProperty = "tolvaCtrlId";
constexpr const char* kUserDataProperty = "tolvaUserData";

}  // namespace

void SetDlgCtrlID(QWidget* widget, int id)
{
    widget->setProperty(kCtrlIdProperty, id);
}

void SetDlgCtrlIDAndName(QWidget* widget, int id)
{
    SetDlgCtrlID(widget, id);
    widget->setObjectName(QStringLiteral("ctl%1").arg(id));
}

int GetDlgCtrlID(const QWidget* widget)
{
    return widget ? widget->property(kCtrlIdProperty).toInt() : 0;
}

QWidget* PairedControl(QWidget* widget, const QWidget* stop, const HelpPairs& pairs, u32* topic)
{
    for (; widget; widget = widget == stop || widget->isWindow() ? nullptr : widget->parentWidget()) {
        const int id = GetDlgCtrlID(widget);
        if (id == 0)
            continue;
        for (const auto& [control, help] : pairs) {
            if (control == u32(id)) {
                if (topic)
                    *topic = help;
                return widget;
            }
        }
    }
    return nullptr;
}

QWidget* GetDlgItem(const QWidget* dialog, int id)
{
    if (!dialog || id == 0)
        return nullptr;
    const auto children = dialog->findChildren<QWidget*>();
    for (QWidget* child : children) {
        if (GetDlgCtrlID(child) == id)
            return child;
    }
    return nullptr;
}

u32 GetWindowUserData(const QWidget* widget)
{
    return widget ? widget->property(kUserDataProperty).toUInt() : 0;
}

void SetWindowUserData(QWidget* widget, u32 value)
{
    widget->setProperty(kUserDataProperty, value);
}

namespace {

QSize BaseUnits(const QWidget* widget)
{
    const QFontMetrics fm(widget->font());
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return {(fm.horizontalAdvance(letters) / 26 + 1) / 2, fm.height()};
}

}  // namespace

int DialogUnitsToPixelsX(const QWidget* widget, int units)
{
    return MulDiv(units, BaseUnits(widget).width(), 4);
}

int DialogUnitsToPixelsY(const QWidget* widget, int units)
{
    return MulDiv(units, BaseUnits(widget).height(), 8);
}
