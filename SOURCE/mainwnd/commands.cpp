#include "mainwnd/commands.h"

#include "controls/cmdui.h"
#include "core/utilities.h"
#include "platform/ui/menu.h"

#include <QAction>
#include <QKeyEvent>
#include <QObject>
#include <algorithm>

namespace {

constexpr int kTooltipLength = 80;

// Menu texts, accelerators and menu images of every command.
constexpr CommandInfo kCommands[] = {
    {ID_CONTACT_NEW, "&New Contact", "Ctrl+N", "", false, 1},
    {ID_CONTACT_PROPERTIES, "P&roperties", "Alt+Return", "", false, 2},
    {ID_CONTACT_MODIFY, "&Edit Contact", "Ctrl+M", "", false, 3},
    {ID_CONTACT_DELETE, "&Delete", "Del", "Shift+Del", true, 4},
    {ID_CONTACT_SENDMAIL, "&Send Mail", "", "", false, 15},
    {ID_CONTACT_DIAL, "Dial Default &Phone", "", "", false, 9},
    {ID_CONTACT_ADDTOBOOK, "&Add to Book", "", "", false, 12},
    {ID_CONTACT_MOVETOBOOK, "&Move to Book", "", "", false, 13},
    {ID_CONTACT_REMOVEFROMBOOK, "Remove &from Book", "", "", false, 14},
    {ID_DIALING_PROPERTIES, "D&ialing Properties...", "", "", false, 11},
    {ID_FIND_CONTACT, "&Find Contact", "Ctrl+F", "", false, 28},
    {ID_PREFERENCES, "&Preferences", "", "", false, 16},
    {ID_SPEED_DIAL, "Sp&eed Dial", "", "", false, 29},
    {ID_TRAY_RESTORE, "&Restore", "", "", false, 41},
    {ID_TRAY_EXIT, "E&xit", "", "", false, 42},
    {ID_IMPORT_EXPORT, "&Import and Export", "", "", false, 30},
    {ID_ALPHABET_ALL, "&All", "", "", false, -1},
    {ID_TOOLBAR_BUTTONS_ONLY, "&Buttons only", "", "", false, -1},
    {ID_TOOLBAR_TEXT_ONLY, "&Text only", "", "", false, -1},
    {ID_TOOLBAR_BUTTONS_TEXT, "Buttons &and Text", "", "", false, -1},
    {ID_BANNER_BOOK_BUTTON, "Address &Books", "F6", "", false, -1},
    {ID_BOOK_NEW, "New &Book", "", "", false, 19},
    {ID_BOOK_RENAME, "&Rename Book", "F2", "", true, 20},
    {ID_BOOK_MOVE, "&Move Book", "", "", false, 32},
    {ID_BOOK_COPY, "&Copy Book", "", "", false, 33},
    {ID_BOOK_DELETE, "&Delete Book", "", "", false, 21},
    {ID_BOOK_PROPERTIES, "&Properties", "", "", false, 35},
    {ID_CALLLOG_CLEAR, "Clea&r Log", "", "", false, 26},
    {ID_CALLLOG_SHOW, "Show Call &Log", "", "", false, 25},
    {ID_CALLLOG_SHOW_CONTACT, "Show &Contact Call Log", "", "", false, 25},
    {ID_CALLLOG_DELETE_CONTACT, "&Delete from Call Log", "", "", false, 26},
    {ID_ALPHABET_NEXT, "A&lphabet", "", "", false, 17},
    {ID_TOOLBAR_CUSTOMIZE, "&Customize", "", "", false, -1},
    {ID_MANUAL_DIAL, "&Manual Dial", "", "", false, 31},
    {ID_ADJUST_TIMEZONES, "Adjust time zones", "", "", false, -1},
    {ID_LIST_FIELDS, "&Contact List Fields", "", "", false, 34},
    {ID_SPEED_DIAL_LIST, "&Speed Dial List", "", "", false, -1},
    {ID_SORT_ASCENDING, "Sort &Ascending", "", "", false, 36},
    {ID_SORT_DESCENDING, "Sort &Descending", "", "", false, 37},
    {ID_REMOVE_COLUMN, "&Remove Column", "", "", false, 38},
    {ID_EDIT_COPY, "&Copy", "Ctrl+C", "Ctrl+Ins", false, 39},
    {ID_EDIT_PASTE, "&Paste", "Ctrl+V", "Shift+Ins", false, 40},
    {ID_VCARD_EXPORT, "Export to vCard &File", "", "", false, -1},
    {ID_VCARD_FORWARD, "Forward as &vCard", "", "", false, -1},
    {ID_COLOR_TEXT, "&Font Color", "", "", false, -1},
    {ID_COLOR_BACK, "&Background Color", "", "", false, -1},
    {ID_COLOR_DEFAULT, "&Default Colors", "", "", false, -1},
    {ID_SELECT_ALL, "Select &All Contacts", "Ctrl+A", "", false, -1},
    {ID_SELECT_EVERY_SECOND, "Select Every Second Contact", "Ctrl+Alt+A", "", false, -1},
    {ID_HELP_KEYBOARD, "&Keyboard Shortcuts", "", "", false, -1},
    {ID_HELP_HOMEPAGE, "Tolva Home &Page", "", "", false, 46},
    {ID_HELP_NEWSLETTER, "&Subscribe For Newsletter", "", "", false, 47},
    {ID_HELP_FEEDBACK, "Send &Feedback", "", "", false, 48},
    {ID_EMPTY_DELETED, "&Empty \"Deleted Items\"", "", "", false, -1},
    {ID_INFO_TOP, "Contact Info at the &Top", "Ctrl+Num+8", "", false, -1},
    {ID_INFO_RIGHT, "Contact Info at the &Right", "Ctrl+Num+6", "", false, -1},
    {ID_INFO_BOTTOM, "Contact Info at the &Bottom", "Ctrl+Num+2", "", false, -1},
    {ID_VIEW_TOOLBAR, "&Toolbar", "", "", false, -1},
    {ID_VIEW_STATUSBAR, "&Status Bar", "", "", false, -1},
    {ID_VIEW_BOOKTREE, "&Book tree", "F7", "", false, -1},
    {ID_VIEW_CONTACTINFO, "Contact &Info", "", "", false, -1},
    {ID_PAGESETUP_MEMO, "&Memo Style...", "", "", false, 45},
    {ID_PAGESETUP_REPORT, "&Report Style...", "", "", false, 44},
    {ID_PAGESETUP_ENVELOPE, "&Envelopes...", "", "", false, 43},
    {ID_PAGESETUP_LABELS, "&Labels...", "", "", false, 50},
    {ID_PRINT, "&Print", "Ctrl+P", "", false, 6},
    {ID_FILE_PRINT_PREVIEW, "Print Pre&view", "", "", false, 7},
    {ID_APP_ABOUT, "&About Tolva", "", "", false, 23},
    {ID_APP_EXIT, "E&xit", "Alt+F4", "", false, 42},
    {ID_LINE_SHUTDOWN, "Release the Telephone Line", "Ctrl+Num+-", "", false, -1},
    {ID_HELP_FINDER, "&Help Topics", "", "", false, 22},
    {ID_HELP, "&Help", "F1", "", false, 22},
};

bool IsKeypadSequence(const QKeySequence& keys)
{
    return keys.count() == 1 && keys[0].keyboardModifiers() & Qt::KeypadModifier;
}

// The key a keypad digit gives with NumLock off.
Qt::Key KeypadTwin(Qt::Key key)
{
    switch (key) {
    case Qt::Key_0:
        return Qt::Key_Insert;
    case Qt::Key_1:
        return Qt::Key_End;
    case Qt::Key_2:
        return Qt::Key_Down;
    case Qt::Key_3:
        return Qt::Key_PageDown;
    case Qt::Key_4:
        return Qt::Key_Left;
    case Qt::Key_5:
        return Qt::Key_Clear;
    case Qt::Key_6:
        return Qt::Key_Right;
    case Qt::Key_7:
        return Qt::Key_Home;
    case Qt::Key_8:
        return Qt::Key_Up;
    case Qt::Key_9:
        return Qt::Key_PageUp;
    case Qt::Key_Period:
        return Qt::Key_Delete;
    default:
        return key;
    }
}

}  // namespace

std::span<const CommandInfo> CommandTable()
{
    return kCommands;
}

const CommandInfo* FindCommand(u32 id)
{
    const auto it = std::find_if(
        std::begin(kCommands), std::end(kCommands), [id](const CommandInfo& c) { return c.id == id; });
    return it == std::end(kCommands) ? nullptr : &*it;
}

QString CommandStatusText(u32 id)
{
    const QString prompt = QString::fromStdString(LoadResString(id));
    return prompt.section(QLatin1Char('\n'), 0, 0);
}

QString CommandTooltip(u32 id)
{
    const QString prompt = QString::fromStdString(LoadResString(id));
    const qsizetype newline = prompt.indexOf(QLatin1Char('\n'));
    if (newline < 0)
        return {};
    return prompt.mid(newline + 1).section(QLatin1Char('\n'), 0, 0).left(kTooltipLength);
}

QString CommandMenuText(const CommandInfo& info)
{
    QString text = QString::fromUtf8(info.text);
    if (info.keysShownOnly && *info.keys)
        text += QLatin1Char('_')
            + QKeySequence(QString::fromLatin1(info.keys)).toString(QKeySequence::NativeText);
    return text;
}

QString CommandObjectName(u32 id)
{
    return QStringLiteral("cmd%1").arg(id);
}

void CreateCommandActions(QObject* owner)
{
    for (const CommandInfo& info : kCommands) {
        auto* action = new QAction(CommandMenuText(info), owner);
        action->setObjectName(CommandObjectName(info.id));
        SetCommandId(action, info.id);
        action->setStatusTip(CommandStatusText(info.id));
        action->setToolTip(CommandTooltip(info.id));
        if (!info.keysShownOnly) {
            QList<QKeySequence> keys;
            for (const char* text : {info.keys, info.keys2}) {
                const QKeySequence sequence(QString::fromLatin1(text));
                if (*text && !IsKeypadSequence(sequence))
                    keys << sequence;
            }
            action->setShortcuts(keys);
            action->setShortcutContext(Qt::WindowShortcut);
        }
        action->setEnabled(false);
    }
}

u32 KeypadCommand(const QKeyEvent& event)
{
    const Qt::KeyboardModifiers mods = event.modifiers();
    if (!(mods & Qt::KeypadModifier))
        return 0;
    const auto key = Qt::Key(event.key());
    for (const CommandInfo& info : kCommands) {
        if (info.keysShownOnly || !*info.keys)
            continue;
        const QKeySequence keys(QString::fromLatin1(info.keys));
        if (!IsKeypadSequence(keys) || keys[0].keyboardModifiers() != mods)
            continue;
        const Qt::Key wanted = keys[0].key();
        if (key == wanted || key == KeypadTwin(wanted))
            return info.id;
    }
    return 0;
}

void CommandHooks::Install(u32 id, CommandHook hook)
{
    m_hooks[id] = std::move(hook);
}

void CommandHooks::Uninstall(u32 id)
{
    m_hooks.erase(id);
}

const CommandHook* CommandHooks::Find(u32 id) const
{
    const auto it = m_hooks.find(id);
    return it == m_hooks.end() || !it->second.run ? nullptr : &it->second;
}

bool CommandHooks::IsEnabled(u32 id) const
{
    const CommandHook* hook = Find(id);
    return hook && (!hook->enabled || hook->enabled(id));
}

bool CommandHooks::Run(u32 id) const
{
    const CommandHook* hook = Find(id);
    if (!hook)
        return false;
    // The hook may be replaced while it runs.
    const auto run = hook->run;
    run(id);
    return true;
}

void CommandMap::On(u32 id, Handler handler, Updater update)
{
    m_entries[id] = {std::move(handler), std::move(update)};
}

void CommandMap::OnRange(u32 first, u32 last, Handler handler, Updater update)
{
    m_ranges.push_back({first, last, {std::move(handler), std::move(update)}});
}

const CommandMap::Entry* CommandMap::Find(u32 id) const
{
    if (const auto it = m_entries.find(id); it != m_entries.end())
        return &it->second;
    for (const Range& range : m_ranges) {
        if (id >= range.first && id <= range.last)
            return &range.entry;
    }
    return nullptr;
}

bool CommandMap::Handles(u32 id) const
{
    return Find(id) != nullptr;
}

bool CommandMap::Execute(u32 id) const
{
    const Entry* entry = Find(id);
    if (!entry || !entry->handler)
        return false;
    // A handler may change the map it runs from (a pane going away).
    const Handler handler = entry->handler;
    handler(id);
    return true;
}

bool CommandMap::Update(CCmdUI& ui) const
{
    const Entry* entry = Find(ui.m_nID);
    if (!entry)
        return false;
    if (entry->update)
        entry->update(ui);
    else
        ui.Enable(bool(entry->handler));
    return true;
}
