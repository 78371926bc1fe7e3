#include "mainwnd/menus.h"

#include "mainwnd/commands.h"
#include "platform/ui/menu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <cstring>
#include <span>

namespace {

enum Kind { Command, Separator, Begin, End, Renamed };

struct Entry {
    Kind kind;
    u32 id = 0;
    const char* text = nullptr;
};

constexpr Entry Cmd(u32 id)
{
    return {Command, id};
}
constexpr Entry kSep{Separator};
constexpr Entry Sub(const char* text)
{
    return {Begin, 0, text};
}
constexpr Entry kEnd{End};

constexpr Entry kMainMenu[] = {
    Sub("&File"),
    Cmd(ID_CONTACT_NEW),
    Cmd(ID_BOOK_NEW),
    kSep,
    Cmd(ID_IMPORT_EXPORT),
    Cmd(ID_VCARD_EXPORT),
    kSep,
    Sub("Page Set&up"),
    Cmd(ID_PAGESETUP_MEMO),
    Cmd(ID_PAGESETUP_REPORT),
    Cmd(ID_PAGESETUP_ENVELOPE),
    Cmd(ID_PAGESETUP_LABELS),
    kEnd,
    Cmd(ID_FILE_PRINT_PREVIEW),
    Cmd(ID_PRINT),
    kSep,
    Cmd(ID_APP_EXIT),
    kEnd,
    Sub("&Edit"),
    Cmd(ID_EDIT_COPY),
    Cmd(ID_EDIT_PASTE),
    kSep,
    Cmd(ID_SELECT_ALL),
    Cmd(ID_CONTACT_DELETE),
    kSep,
    Cmd(ID_FIND_CONTACT),
    kSep,
    Cmd(ID_EMPTY_DELETED),
    kEnd,
    Sub("&View"),
    Cmd(ID_VIEW_TOOLBAR),
    Cmd(ID_VIEW_STATUSBAR),
    Cmd(ID_VIEW_BOOKTREE),
    Cmd(ID_VIEW_CONTACTINFO),
    kSep,
    Sub("Toolbar St&yle"),
    Cmd(ID_TOOLBAR_BUTTONS_ONLY),
    Cmd(ID_TOOLBAR_TEXT_ONLY),
    Cmd(ID_TOOLBAR_BUTTONS_TEXT),
    kSep,
    Cmd(ID_TOOLBAR_CUSTOMIZE),
    kEnd,
    Cmd(ID_LIST_FIELDS),
    Cmd(ID_ALPHABET_NEXT),
    kEnd,
    Sub("&Contact"),
    Cmd(ID_CONTACT_NEW),
    Cmd(ID_CONTACT_PROPERTIES),
    kSep,
    Cmd(ID_CONTACT_SENDMAIL),
    Cmd(ID_CONTACT_DIAL),
    Cmd(ID_DIALING_PROPERTIES),
    kSep,
    Cmd(ID_CONTACT_ADDTOBOOK),
    Cmd(ID_CONTACT_MOVETOBOOK),
    Cmd(ID_CONTACT_REMOVEFROMBOOK),
    kSep,
    Cmd(ID_VCARD_FORWARD),
    Sub("C&olors"),
    Cmd(ID_COLOR_TEXT),
    Cmd(ID_COLOR_BACK),
    Cmd(ID_COLOR_DEFAULT),
    kEnd,
    kSep,
    Cmd(ID_CONTACT_DELETE),
    kEnd,
    Sub("&Book"),
    Cmd(ID_BOOK_NEW),
    Cmd(ID_BOOK_RENAME),
    Cmd(ID_BOOK_MOVE),
    Cmd(ID_BOOK_COPY),
    Cmd(ID_BOOK_DELETE),
    kSep,
    Cmd(ID_BOOK_PROPERTIES),
    kEnd,
    Sub("&Tools"),
    Cmd(ID_SPEED_DIAL),
    Cmd(ID_SPEED_DIAL_LIST),
    Cmd(ID_MANUAL_DIAL),
    kSep,
    Cmd(ID_CALLLOG_SHOW),
    Cmd(ID_CALLLOG_SHOW_CONTACT),
    Cmd(ID_CALLLOG_DELETE_CONTACT),
    Cmd(ID_CALLLOG_CLEAR),
    kSep,
    Cmd(ID_PREFERENCES),
    kEnd,
    Sub("&Help"),
    Cmd(ID_HELP_FINDER),
    Cmd(ID_HELP_KEYBOARD),
    kSep,
    Cmd(ID_HELP_HOMEPAGE),
    Cmd(ID_HELP_NEWSLETTER),
    Cmd(ID_HELP_FEEDBACK),
    kSep,
    Cmd(ID_APP_ABOUT),
    kEnd,
};

constexpr Entry kContactPopup[] = {
    Cmd(ID_CONTACT_NEW),
    Cmd(ID_CONTACT_PROPERTIES),
    kSep,
    Cmd(ID_CONTACT_SENDMAIL),
    Cmd(ID_CONTACT_DIAL),
    kSep,
    Cmd(ID_CONTACT_ADDTOBOOK),
    Cmd(ID_CONTACT_MOVETOBOOK),
    Cmd(ID_CONTACT_REMOVEFROMBOOK),
    kSep,
    Cmd(ID_CONTACT_DELETE),
};
constexpr Entry kBookPopup[] = {
    Cmd(ID_BOOK_NEW),
    Cmd(ID_BOOK_RENAME),
    Cmd(ID_BOOK_DELETE),
    kSep,
    Cmd(ID_BOOK_MOVE),
    Cmd(ID_BOOK_COPY),
    kSep,
    Cmd(ID_BOOK_PROPERTIES),
};
constexpr Entry kAlphabetPopup[] = {Cmd(ID_ALPHABET_ALL), Cmd(ID_ALPHABET_NEXT)};
constexpr Entry kHeaderPopup[] = {
    Cmd(ID_SORT_ASCENDING),
    Cmd(ID_SORT_DESCENDING),
    kSep,
    Cmd(ID_REMOVE_COLUMN),
    Cmd(ID_LIST_FIELDS),
};
constexpr Entry kToolbarStyle[] = {
    Cmd(ID_TOOLBAR_BUTTONS_ONLY),
    Cmd(ID_TOOLBAR_TEXT_ONLY),
    Cmd(ID_TOOLBAR_BUTTONS_TEXT),
    Cmd(ID_TOOLBAR_CUSTOMIZE),
};
constexpr Entry kTrayMenu[] = {
    Cmd(ID_TRAY_RESTORE),
    kSep,
    Cmd(ID_CONTACT_NEW),
    Cmd(ID_SPEED_DIAL),
    Cmd(ID_PREFERENCES),
    kSep,
    Sub("&Help"),
    Cmd(ID_HELP_FINDER),
    {Renamed, ID_HELP_HOMEPAGE, "Tolva on the &Web"},
    kEnd,
    kSep,
    Cmd(ID_APP_ABOUT),
    Cmd(ID_TRAY_EXIT),
};

// Adds the entries from 'at' to the end of their level; returns the next.
size_t Fill(QWidget* menu, std::span<const Entry> entries, size_t at, const ActionLookup& action)
{
    auto* asMenu = qobject_cast<QMenu*>(menu);
    while (at < entries.size()) {
        const Entry& e = entries[at++];
        switch (e.kind) {
        case Command:
            if (QAction* a = action(e.id))
                menu->addAction(a);
            break;
        case Renamed:
            // Another text for the same command: an item of its own that
            // triggers the shared action.
            if (QAction* shared = action(e.id); shared && asMenu) {
                QAction* item = AppendMenuItem(asMenu, e.id, QString::fromUtf8(e.text));
                QObject::connect(item, &QAction::triggered, shared, &QAction::trigger);
            }
            break;
        case Separator:
            if (asMenu)
                asMenu->addSeparator();
            break;
        case Begin: {
            auto* sub = new QMenu(QString::fromUtf8(e.text), menu);
            at = Fill(sub, entries, at, action);
            if (auto* bar = qobject_cast<QMenuBar*>(menu))
                bar->addMenu(sub);
            else if (asMenu)
                asMenu->addMenu(sub);
            break;
        }
        case End:
            return at;
        }
    }
    return at;
}

}  // namespace

void BuildMainMenu(QMenuBar* bar, const ActionLookup& action)
{
    Fill(bar, kMainMenu, 0, action);
}

std::unique_ptr<QMenu> BuildPopupMenu(const char* name, const ActionLookup& action, QWidget* parent)
{
    struct Named {
        const char* name;
        std::span<const Entry> entries;
    };
    const Named menus[] = {
        {kMenuContactPopup, kContactPopup},
        {kMenuBookPopup, kBookPopup},
        {kMenuAlphabetPopup, kAlphabetPopup},
        {kMenuHeaderPopup, kHeaderPopup},
        {kMenuToolbarStyle, kToolbarStyle},
        {kMenuTray, kTrayMenu},
    };
    for (const Named& named : menus) {
        if (std::strcmp(named.name, name) == 0) {
            auto menu = std::make_unique<QMenu>(parent);
            menu->setObjectName(QString::fromLatin1(name));
            Fill(menu.get(), named.entries, 0, action);
            return menu;
        }
    }
    return nullptr;
}
