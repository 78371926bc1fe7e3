#include "controls/menubutton.h"

#include "platform/messages.h"
#include "platform/ui/menu.h"
#include "platform/ui/window.h"
#include "platform/ui/wndmessage.h"

#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

u32 WM_GETDROPMENU()
{
    static const u32 id = RegisterWindowMessage("WM_GETDROPMENU");
    return id;
}

void CMenuButton::mousePressEvent(QMouseEvent* event)
{
    CFlatButton::mousePressEvent(event);
    if (event->button() == Qt::LeftButton)
        DropMenu();
}

void CMenuButton::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) {
        DropMenu();
        return;
    }
    CFlatButton::keyPressEvent(event);
}

void CMenuButton::DropMenu()
{
    QWidget* parent = parentWidget();
    QMenu menu(this);
    SendMessage(parent, WM_GETDROPMENU(), quintptr(GetDlgCtrlID(this)), reinterpret_cast<qintptr>(&menu));
    if (!menu.isEmpty()) {
        if (auto* owner = dynamic_cast<CDropMenuOwner*>(parent)) {
            connect(&menu, &QMenu::hovered, &menu, [&menu, owner](QAction* action) {
                owner->m_nDropMenuSel = int(menu.actions().indexOf(action));
            });
        }
        const QAction* chosen = menu.exec(mapToGlobal(rect().bottomLeft()));
        const u32 id = GetCommandId(chosen);
        if (id == ID_DROPMENU_PHONE_TYPE || id == ID_DROPMENU_EMAIL_TYPE)
            SendMessage(parent, WM_COMMAND, MAKEWPARAM(id, 0));
    }
    // The menu took the mouse release, so the button would stay pressed.
    setDown(false);
}
