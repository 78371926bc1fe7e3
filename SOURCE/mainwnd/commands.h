// The main window's commands: every id, its menu text, accelerator and
// icons, made once into one QAction (object name "cmd<id>") that the menu
// bar, the toolbar and the context menus share.
//
// How another area takes over one of these commands: it installs a hook
// on the frame,
//
//     frame.Hooks().Install(ID_FILE_PRINT, {
//         .run = [&](u32 id) { ...carry it out... },
//         .enabled = [&](u32 id) { return ...its own condition...; },  // optional
//     });
//
// From then on the command runs the hook, and it is enabled exactly when
// the frame's own rule for it holds (such as "a row is selected"), the hook
// is installed and the hook's optional condition holds. A command whose
// hook is missing stays disabled. The hook reaches the window's state
// through CMainFrame::GetContainer() (focused and selected contacts, the
// grid). Uninstall(id) gives the command back.
#pragma once

#include "platform/wintypes.h"

#include <QKeySequence>
#include <QString>
#include <functional>
#include <span>
#include <unordered_map>
#include <vector>

class QAction;
class QKeyEvent;
class QObject;
class CCmdUI;

// Contact commands.
constexpr u32 ID_CONTACT_NEW = 32770;
constexpr u32 ID_CONTACT_PROPERTIES = 32771;
constexpr u32 ID_CONTACT_MODIFY = 32772;
constexpr u32 ID_CONTACT_DELETE = 32773;
constexpr u32 ID_CONTACT_SENDMAIL = 32775;
constexpr u32 ID_CONTACT_DIAL = 32776;
constexpr u32 ID_CONTACT_ADDTOBOOK = 32777;
constexpr u32 ID_CONTACT_MOVETOBOOK = 32778;
constexpr u32 ID_CONTACT_REMOVEFROMBOOK = 32779;
constexpr u32 ID_DIALING_PROPERTIES = 32780;
constexpr u32 ID_FIND_CONTACT = 32781;
constexpr u32 ID_PREFERENCES = 32782;
constexpr u32 ID_SPEED_DIAL = 32783;
constexpr u32 ID_TRAY_RESTORE = 32784;
constexpr u32 ID_TRAY_EXIT = 32785;
constexpr u32 ID_IMPORT_EXPORT = 32786;
constexpr u32 ID_ALPHABET_FIRST = 32800;
constexpr u32 ID_ALPHABET_LAST_LETTER = 32850;
constexpr u32 ID_ALPHABET_ALL = 32851;
constexpr u32 ID_TOOLBAR_BUTTONS_ONLY = 32857;
constexpr u32 ID_TOOLBAR_TEXT_ONLY = 32858;
constexpr u32 ID_TOOLBAR_BUTTONS_TEXT = 32859;
constexpr u32 ID_BANNER_BOOK_BUTTON = 32861;
constexpr u32 ID_BOOK_NEW = 32863;
constexpr u32 ID_BOOK_RENAME = 32864;
constexpr u32 ID_BOOK_MOVE = 32865;
constexpr u32 ID_BOOK_COPY = 32866;
constexpr u32 ID_BOOK_DELETE = 32867;
constexpr u32 ID_BOOK_PROPERTIES = 32868;
constexpr u32 ID_CALLLOG_CLEAR = 32872;
constexpr u32 ID_CALLLOG_SHOW = 32874;
constexpr u32 ID_CALLLOG_SHOW_CONTACT = 32875;
constexpr u32 ID_CALLLOG_DELETE_CONTACT = 32876;
constexpr u32 ID_HOT_PHONE = 32878;
constexpr u32 ID_HOT_MAIL = 32879;
constexpr u32 ID_HOT_TIMEZONE = 32880;
constexpr u32 ID_HOT_ALPHABET = 32881;
constexpr u32 ID_ALPHABET_NEXT = 32888;
constexpr u32 ID_TOOLBAR_CUSTOMIZE = 32889;
constexpr u32 ID_MANUAL_DIAL = 32894;
constexpr u32 ID_PREFS_TIMEZONES_PAGE = 32922;
constexpr u32 ID_BOOKPANE_CAPTION = 32924;
constexpr u32 ID_ADJUST_TIMEZONES = 32928;
constexpr u32 ID_LIST_FIELDS = 32929;
constexpr u32 ID_SPEED_DIAL_LIST = 32930;
constexpr u32 ID_SORT_ASCENDING = 32931;
constexpr u32 ID_SORT_DESCENDING = 32932;
constexpr u32 ID_REMOVE_COLUMN = 32933;
constexpr u32 ID_EDIT_COPY = 32934;
constexpr u32 ID_EDIT_PASTE = 32935;
constexpr u32 ID_DATA_DUMP = 32937;
constexpr u32 ID_VCARD_EXPORT = 32938;
constexpr u32 ID_VCARD_FORWARD = 32939;
constexpr u32 ID_COLOR_TEXT = 32940;
constexpr u32 ID_COLOR_BACK = 32941;
constexpr u32 ID_COLOR_DEFAULT = 32942;
constexpr u32 ID_SELECT_ALL = 32955;
constexpr u32 ID_SELECT_EVERY_SECOND = 32956;
constexpr u32 ID_HELP_KEYBOARD = 32957;
constexpr u32 ID_HELP_HOMEPAGE = 32958;
constexpr u32 ID_HELP_NEWSLETTER = 32959;
constexpr u32 ID_HELP_FEEDBACK = 32960;
constexpr u32 ID_EMPTY_DELETED = 32961;
constexpr u32 ID_INFO_TOP = 32962;
constexpr u32 ID_INFO_RIGHT = 32963;
constexpr u32 ID_INFO_BOTTOM = 32964;
constexpr u32 ID_INFO_RIGHT2 = 32965;
constexpr u32 ID_VIEW_TOOLBAR = 32966;
constexpr u32 ID_VIEW_STATUSBAR = 32967;
constexpr u32 ID_VIEW_BOOKTREE = 32968;
constexpr u32 ID_VIEW_CONTACTINFO = 32969;
constexpr u32 ID_PAGESETUP_MEMO = 32970;
constexpr u32 ID_PAGESETUP_REPORT = 32971;
constexpr u32 ID_PAGESETUP_ENVELOPE = 32972;
constexpr u32 ID_PAGESETUP_LABELS = 32973;
// No menu item: its accelerator releases the telephone line. It lies in the
// printing range, whose rule (a row is selected) it shares.
constexpr u32 ID_LINE_SHUTDOWN = 32974;
constexpr u32 ID_PRINT = 32991;
constexpr u32 ID_CONVERT_LABEL_DATA = 33000;
constexpr u32 ID_APP_ABOUT = 57664;
constexpr u32 ID_APP_EXIT = 57665;
constexpr u32 ID_HELP_FINDER = 57667;
constexpr u32 ID_HELP = 57670;
constexpr u32 ID_FILE_PRINT = 57607;
constexpr u32 ID_FILE_PRINT_PREVIEW = 57609;

// Status-bar panes and the idle text.
constexpr u32 ID_INDICATOR_CLOCK = 59189;
constexpr u32 ID_INDICATOR_COUNT = 59438;
constexpr u32 IDS_READY = 57345;

// One command of the table. Texts are the menu's ("&Print"); the prompt
// string of the same id holds the status text and, after a newline, the
// tool tip.
struct CommandInfo {
    u32 id;
    const char* text;
    // Empty for none; a second sequence is also taken.
    const char* keys = "";
    const char* keys2 = "";
    // The keys are taken by the pane with the focus (Delete in the grid
    // deletes contacts, in the book tree the book): shown, not bound.
    bool keysShownOnly = false;
    // The image in the 16 x 16 menu strips, -1 for none.
    int menuImage = -1;
};

std::span<const CommandInfo> CommandTable();
const CommandInfo* FindCommand(u32 id);
// The tool tip of a command: the second line of its prompt, at most 80
// characters; empty when it has none.
QString CommandTooltip(u32 id);
QString CommandStatusText(u32 id);
// The menu text; keys that are shown only follow a "_", as icon menus
// split them.
QString CommandMenuText(const CommandInfo& info);

// The actions of every command, children of the owner; their shortcuts are
// live while the owner's window is active. Keys of the numeric keypad are
// not among them: see KeypadCommand.
void CreateCommandActions(QObject* owner);
// The command a key of the numeric keypad gives (Ctrl+Num+8), or 0. Window
// systems leave the keypad out when they match shortcuts, and with NumLock
// off a digit arrives as the key printed beside it (8 as Up), so the window
// matches these keys itself, before the focused pane takes them as its own.
u32 KeypadCommand(const QKeyEvent& event);
QString CommandObjectName(u32 id);

// What other areas install to carry out a command of the frame.
struct CommandHook {
    std::function<void(u32 id)> run;
    std::function<bool(u32 id)> enabled;
};

class CommandHooks {
public:
    void Install(u32 id, CommandHook hook);
    void Uninstall(u32 id);
    const CommandHook* Find(u32 id) const;
    bool IsEnabled(u32 id) const;
    // Runs the hook; false when none is installed.
    bool Run(u32 id) const;

private:
    std::unordered_map<u32, CommandHook> m_hooks;
};

// The command map of one target of the routing chain (book pane, container,
// frame): per id a handler and an update rule. A command with a handler and
// no rule is always enabled.
class CommandMap {
public:
    using Handler = std::function<void(u32 id)>;
    using Updater = std::function<void(CCmdUI& ui)>;

    void On(u32 id, Handler handler, Updater update = {});
    void OnRange(u32 first, u32 last, Handler handler, Updater update = {});
    // Whether this map has a handler for the command; runs it when it has.
    // An entry with a rule and no handler only decides the command's state.
    bool Execute(u32 id) const;
    // Whether this map takes the command; updates it when it does.
    bool Update(CCmdUI& ui) const;
    bool Handles(u32 id) const;

private:
    struct Entry {
        Handler handler;
        Updater update;
    };
    const Entry* Find(u32 id) const;

    std::unordered_map<u32, Entry> m_entries;
    struct Range {
        u32 first;
        u32 last;
        Entry entry;
    };
    std::vector<Range> m_ranges;
};
