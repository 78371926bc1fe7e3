#include "platform/ui/menu.h"

#include <QAction>
#include <QMenu>
#include <QVariant>

namespace {

constexpr const char* kCommandIdProperty = "tolvaCommandId";

}  // namespace

void SetCommandId(QAction* action, u32 id)
{
    action->setProperty(kCommandIdProperty, id);
}

u32 GetCommandId(const QAction* action)
{
    if (!action || action->isSeparator())
        return 0;
    if (action->menu())
        return 0xFFFFFFFF;
    return action->property(kCommandIdProperty).toUInt();
}

QAction* AppendMenuItem(QMenu* menu, u32 id, const QString& text)
{
    QAction* action = menu->addAction(text);
    SetCommandId(action, id);
    return action;
}

QString MenuItemText(const std::string& data)
{
    return QString::fromStdString(data).replace(u'&', QStringLiteral("&&")).replace(u'\t', u' ');
}
