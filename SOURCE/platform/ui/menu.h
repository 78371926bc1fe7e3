// Menus as the design builds them: items carry a command id, separators
// have id 0, and an item that opens a submenu answers -1.
#pragma once

#include "platform/wintypes.h"

#include <string>

class QAction;
class QMenu;
class QString;

void SetCommandId(QAction* action, u32 id);
// 0 for a separator or an action without an id; 0xFFFFFFFF for a submenu.
u32 GetCommandId(const QAction* action);
// Appends a command item and returns it.
QAction* AppendMenuItem(QMenu* menu, u32 id, const QString& text);
// A text of the user's data (an address, a number, a name) as a menu item
// shows it: an "&" stands for itself, not for the item's key, and a tab for
// a blank, not for the start of a shortcut.
QString MenuItemText(const std::string& data);
