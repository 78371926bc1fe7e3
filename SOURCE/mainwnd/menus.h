// The menus of the main window: the menu bar and the pop-up menus, built
// from the commands' shared actions.
#pragma once

#include "platform/wintypes.h"

#include <functional>
#include <memory>

class QAction;
class QMenu;
class QMenuBar;
class QString;
class QWidget;

constexpr const char* kMenuContactPopup = "_POPUP_";
constexpr const char* kMenuBookPopup = "_BOOK_";
constexpr const char* kMenuAlphabetPopup = "_ALPHA_";
constexpr const char* kMenuHeaderPopup = "_POPUP_CONTLISTHEAD_";
constexpr const char* kMenuToolbarStyle = "_TBSTYLE_";
constexpr const char* kMenuTray = "_TRAY_";

using ActionLookup = std::function<QAction*(u32 id)>;

void BuildMainMenu(QMenuBar* bar, const ActionLookup& action);
// Null for an unknown name.
std::unique_ptr<QMenu> BuildPopupMenu(const char* name, const ActionLookup& action, QWidget* parent);
