// A flat button that drops down a menu which its parent dialog fills on
// demand: the button sends the registered message "WM_GETDROPMENU" (wParam
// the button's control id, lParam the QMenu* to fill) to its parent.
#pragma once

#include "controls/flatbutton.h"
#include "platform/wintypes.h"

class QMenu;

// A dialog that owns menu buttons learns here which item of an open menu
// the user pointed at last (its position, -1 before any).
class CDropMenuOwner {
public:
    virtual ~CDropMenuOwner() = default;
    int m_nDropMenuSel = -1;
};

// The commands that the menu passes on to the parent: a phone type and an
// e-mail type were picked.
constexpr u32 ID_DROPMENU_PHONE_TYPE = 32925;
constexpr u32 ID_DROPMENU_EMAIL_TYPE = 32926;

u32 WM_GETDROPMENU();

class CMenuButton : public CFlatButton {
    Q_OBJECT
public:
    using CFlatButton::CFlatButton;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void DropMenu();
};
