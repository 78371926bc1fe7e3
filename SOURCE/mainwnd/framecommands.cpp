// The frame's own commands, its drop-down lists and its status panes.
#include "controls/borderrebar.h"
#include "controls/contexthelp.h"
#include "core/dataman.h"
#include "core/fieldtexts.h"
#include "core/timezones.h"
#include "core/utilities.h"
#include "mainwnd/aboutdlg.h"
#include "mainwnd/containerwnd.h"
#include "mainwnd/mainframe.h"
#include "mainwnd/maintoolbar.h"
#include "mainwnd/toolbarcustomize.h"
#include "platform/oledate.h"
#include "platform/ui/menu.h"
#include "platform/ui/openlink.h"
#include "platform/ui/wndmessage.h"
#include "telephony/mailsession.h"
#include "tolvaversion.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QTimeZone>

namespace {

constexpr u32 IDS_ADJUST_TIMEZONES = 59219;
constexpr const char* kHomePage = "https://tolva.example.org/";
constexpr const char* kKeyboardPage = "keyboard.htm";
constexpr const char* kWelcomePage = "tolva_welcome.htm";

// A message to the support address, opened in the user's mail program for
// the user to complete and send.
void MailSupport(u32 command, QWidget* parent)
{
    CMailMessage message;
    message.m_to = {kSupportAddress};
    message.m_strSubject = command == ID_HELP_NEWSLETTER
        ? "Subscribe for Tolva Newsletter"
        : std::string("Feedback: Query/Info Request for Tolva v.") + kVersionText;
    CMailSession session;
    if (!session.IsLoaded() || !session.Logon({}, {}, parent) || !session.Send(message, true))
        MsgStop(IDS_MAIL_NOT_STARTED, parent);
}
constexpr const char* kInvalidClock = "_ _ _";

// The caption of a phone type 1-20 (home 1-10, business 11-20).
u32 PhoneCaptionId(u32 type)
{
    if (type >= 1 && type <= 3)
        return 59404 + type - 1;
    if (type >= 4 && type <= 10)
        return 59410 + type - 4;
    if (type >= 11 && type <= 13)
        return 59407 + type - 11;
    if (type >= 14 && type <= 20)
        return 59417 + type - 14;
    return 0;
}

}  // namespace

void CMainFrame::MapCommands()
{
    auto& map = m_commands;
    for (u32 id : {ID_TOOLBAR_BUTTONS_ONLY, ID_TOOLBAR_TEXT_ONLY, ID_TOOLBAR_BUTTONS_TEXT}) {
        const u32 mode = id == ID_TOOLBAR_BUTTONS_ONLY ? TBMODE_BUTTONS
            : id == ID_TOOLBAR_TEXT_ONLY               ? TBMODE_TEXT
                                                       : TBMODE_BUTTONS_TEXT;
        map.On(
            id, [this, mode](u32) { SetToolbarTextMode(mode, false); },
            [this, mode](CCmdUI& ui) {
                ui.Enable(true);
                ui.SetCheck(m_toolbar->TextMode() == mode);
            });
    }
    map.OnRange(ID_HOT_PHONE, ID_HOT_ALPHABET, [this](u32 id) { OnHotCommand(id); });
    map.On(
        ID_TOOLBAR_CUSTOMIZE, [this](u32) { OnCustomize(); },
        [this](CCmdUI& ui) { ui.Enable(!m_rebar->isHidden()); });
    map.On(ID_TRAY_RESTORE, [this](u32) { OnRestore(); });
    map.On(ID_TRAY_EXIT, [this](u32) { SaveStateAndClose(); });
    map.On(ID_APP_EXIT, [this](u32) { SaveStateAndClose(); });
    map.On(ID_HELP_KEYBOARD, [this](u32) { OnHelp(QString::fromLatin1(kKeyboardPage)); });
    map.On(ID_HELP_FINDER, [this](u32) { OnHelp(QString::fromLatin1(kWelcomePage)); });
    map.On(ID_HELP, [this](u32) { OnHelp(QString::fromLatin1(kWelcomePage)); });
    map.On(ID_HELP_HOMEPAGE, [](u32) { OpenLink(kHomePage); });
    map.On(ID_APP_ABOUT, [this](u32) { CDialogAbout(this).exec(); });
    // Printing, its preview and the telephone line come from other areas.
    const auto runHook = [this](u32 id) { m_hooks.Run(id); };
    const auto hooked = [this](CCmdUI& ui) { ui.Enable(m_hooks.IsEnabled(ui.m_nID)); };
    for (u32 id : {ID_HELP_NEWSLETTER, ID_HELP_FEEDBACK})
        map.On(id, [this](u32 id) { MailSupport(id, this); });
    for (u32 id = ID_PAGESETUP_MEMO; id <= ID_PAGESETUP_LABELS; ++id)
        map.On(id, runHook, hooked);
    map.On(ID_PRINT, runHook, hooked);
    map.On(ID_LINE_SHUTDOWN, runHook, hooked);
    map.On(ID_FILE_PRINT, runHook, hooked);
    map.On(ID_FILE_PRINT_PREVIEW, runHook, hooked);
}

void CMainFrame::OnHelp(const QString& page)
{
    OpenHelpPage(this, page);
}

void CMainFrame::OnCustomize()
{
    if (m_rebar->isHidden())
        return;
    CToolbarCustomizeDialog dialog(*m_toolbar, this);
    dialog.resetRequested = [this] {
        m_toolbar->ResetToolbarButtons();
        m_toolbar->ResetMode();
        SetToolbarTextMode(TBMODE_BUTTONS_TEXT, false);
    };
    dialog.helpRequested = [this] { OnHelp(QString::fromLatin1(kWelcomePage)); };
    dialog.exec();
    m_toolbar->SaveLayout();
}

std::unique_ptr<QMenu> CMainFrame::MakeDropMenu(CToolbarButton* button)
{
    return MakeDropMenu(button->Info().command);
}

void CMainFrame::OpenDialList(QPoint rowPoint)
{
    std::unique_ptr<QMenu> menu = MakeDropMenu(ID_CONTACT_DIAL);
    if (!menu)
        return;
    // Where the Dial button's arrow opens it; with the button out of sight,
    // at the contact's row (a point on the screen).
    const CToolbarButton* button = m_toolbar->ButtonOf(ID_CONTACT_DIAL);
    menu->exec(button && button->isVisible() ? button->mapToGlobal(QPoint(0, button->height())) : rowPoint);
}

std::unique_ptr<QMenu> CMainFrame::MakeDropMenu(u32 command)
{
    auto menu = std::make_unique<QMenu>(this);
    int count = 0;
    u32 contactId = 0;
    const auto add = [&](u32 id, const QString& text) {
        QAction* item = AppendMenuItem(menu.get(), id, text);
        const int position = count++;
        connect(item, &QAction::hovered, this, [this, position] { m_nMenuPick = position; });
        connect(item, &QAction::triggered, this, [this, id, position] {
            m_nMenuPick = position;
            OnCommand(id);
        });
        return item;
    };
    if (command == ID_CONTACT_SENDMAIL || command == ID_CONTACT_DIAL) {
        const Contact* contact = m_container->GetFocusedContact();
        if (!contact)
            return nullptr;
        contactId = contact->m_duID;
        if (command == ID_CONTACT_SENDMAIL) {
            for (const ContactValue& mail : contact->m_emails) {
                if (!mail.m_strText.empty())
                    add(ID_HOT_MAIL, MenuItemText(mail.m_strText));
            }
        } else {
            for (const ContactValue& phone : contact->m_phones) {
                if (phone.m_strText.empty())
                    continue;
                QString text = MenuItemText(phone.m_strText);
                const std::string caption = LoadResString(PhoneCaptionId(phone.Type()));
                if (!caption.empty())
                    text += QLatin1Char('\t') + QString::fromStdString(caption);
                add(ID_HOT_PHONE, text);
            }
        }
    } else if (command == ID_ALPHABET_NEXT) {
        for (int i = 0; i < m_dataMan.GetCount(DMK_ALPHABET); ++i) {
            const Alphabet* alphabet = m_dataMan.GetAt<Alphabet>(i);
            QAction* item = add(ID_HOT_ALPHABET, alphabet ? MenuItemText(alphabet->m_strName) : QString());
            item->setCheckable(true);
            item->setChecked(alphabet && (alphabet->m_dwFlags & ALPHABET_CURRENT));
        }
    } else {
        return nullptr;
    }
    m_nMenuCommand = command;
    m_nMenuContactId = contactId;
    m_nMenuCount = count;
    m_nMenuPick = -1;
    return menu;
}

std::unique_ptr<QMenu> CMainFrame::MakeClockMenu()
{
    auto menu = std::make_unique<QMenu>(this);
    const int count = m_dataMan.GetCount(DMK_TIME_ZONE);
    for (int i = 0; i < count; ++i) {
        const TimeZoneEntry* entry = m_dataMan.GetAt<TimeZoneEntry>(i);
        QAction* item = AppendMenuItem(menu.get(), ID_HOT_TIMEZONE, MenuItemText(entry->m_strName));
        connect(item, &QAction::hovered, this, [this, i] { m_nMenuPick = i; });
        connect(item, &QAction::triggered, this, [this, i] {
            m_nMenuPick = i;
            OnCommand(ID_HOT_TIMEZONE);
        });
        if (entry->m_dwFlags & TZ_UNDEFINED)
            menu->setDefaultAction(item);
    }
    menu->addSeparator();
    if (QAction* adjust = Action(ID_ADJUST_TIMEZONES)) {
        adjust->setText(QString::fromStdString(LoadResString(IDS_ADJUST_TIMEZONES)));
        menu->addAction(adjust);
    }
    m_nMenuCommand = ID_HOT_TIMEZONE;
    m_nMenuContactId = 0;
    m_nMenuCount = count;
    m_nMenuPick = -1;
    UpdateMenu(menu.get());
    return menu;
}

void CMainFrame::OnHotCommand(u32 id)
{
    const int pick = m_nMenuPick;
    // The pick counts the entries of the list it was made from; a list of
    // another contact or another command says nothing about this one.
    const u32 family = id == ID_HOT_PHONE ? ID_CONTACT_DIAL
        : id == ID_HOT_MAIL               ? ID_CONTACT_SENDMAIL
        : id == ID_HOT_ALPHABET           ? ID_ALPHABET_NEXT
                                          : ID_HOT_TIMEZONE;
    if (pick < 0 || pick >= m_nMenuCount || m_nMenuCommand != family)
        return;
    if (id == ID_HOT_PHONE || id == ID_HOT_MAIL) {
        const Contact* contact = m_container->GetFocusedContact();
        if (!contact || contact->m_duID != m_nMenuContactId)
            return;
        const RegisteredIds& ids = Registered();
        QCoreApplication::postEvent(m_container,
            new WindowMessageEvent(id == ID_HOT_PHONE ? ids.WM_DIAL_HOTPHONE : ids.WM_SEND_HOTMAIL, 0, pick));
    } else if (id == ID_HOT_TIMEZONE) {
        SetStatusTimeZone(pick);
    } else {
        const int current = m_dataMan.GetCurrentAlphabetIndex();
        if (pick < m_dataMan.GetCount(DMK_ALPHABET) && pick != current && current >= 0)
            SetCurrentAlphabet(pick);
    }
}

// Status panes.

QString CMainFrame::CountText() const
{
    return QLatin1Char(' ') + m_container->ContactCountText() + QLatin1Char(' ');
}

bool CMainFrame::HasCountPane() const
{
    return !m_countPane->isHidden();
}

void CMainFrame::UpdateStatusPanes(bool showCount, bool countOnly)
{
    if (!m_countPane)
        return;
    if (countOnly) {
        m_countPane->setText(CountText());
        return;
    }
    m_countPane->setVisible(showCount);
    if (showCount)
        m_countPane->setText(CountText());
    m_readyPane->setText(QString::fromStdString(LoadResString(IDS_READY)));
    UpdateTimeZone();
}

void CMainFrame::SetStatusTimeZone(int index)
{
    // Entries are reached by index every time: the one shown before may
    // have been deleted from the list. An index of no entry finds the
    // marked one again, else the last.
    const int count = m_dataMan.GetCount(DMK_TIME_ZONE);
    if (index >= 0 && index < count) {
        for (int i = 0; i < count; ++i)
            m_dataMan.GetAt<TimeZoneEntry>(i)->m_dwFlags &= ~TZ_UNDEFINED;
        m_dataMan.GetAt<TimeZoneEntry>(index)->m_dwFlags |= TZ_UNDEFINED;
        m_dataMan.Save(DFK_NONDATA);
    }
    m_pStatusTimeZone = nullptr;
    for (int i = 0; i < count && !m_pStatusTimeZone; ++i) {
        TimeZoneEntry* entry = m_dataMan.GetAt<TimeZoneEntry>(i);
        if (entry->m_dwFlags & TZ_UNDEFINED)
            m_pStatusTimeZone = entry;
    }
    if (!m_pStatusTimeZone && count > 0)
        m_pStatusTimeZone = m_dataMan.GetAt<TimeZoneEntry>(count - 1);
    UpdateTimeZone();
}

void CMainFrame::UpdateTimeZone()
{
    const QDateTime now = ClockNow();
    if (!now.timeZone().isValid()) {
        if (!m_bClockInvalid)
            MsgStopText("The time zone of this computer cannot be read.", this);
        m_bClockInvalid = true;
        UpdateClock();
        return;
    }
    m_bClockInvalid = false;
    const i32 localBias = -now.timeZone().offsetFromUtc(now) / 60;
    i32 bias = localBias;
    if (const TimeZoneEntry* entry = m_pStatusTimeZone)
        bias = entry->m_lBias
            + (IsDaylightSavingNow(*entry) ? entry->m_lDaylightBias : entry->m_lStandardBias);
    m_clockOffsetSecs = qint64(bias - localBias) * 60;
    UpdateClock();
}

QString CMainFrame::ClockText() const
{
    if (m_bClockInvalid)
        return QString::fromLatin1(kInvalidClock);
    const QDateTime now = ClockNow();
    // The location's time is asked at every tick, so the clock follows its
    // daylight-saving changes as they happen.
    const QDateTime shown = m_pStatusTimeZone ? ZoneWallTime(*m_pStatusTimeZone, now.toUTC())
                                              : QDateTime(now.date(), now.time()).addSecs(-m_clockOffsetSecs);
    const DateValue value = DateFromQDateTime(shown);
    QString text(QLatin1Char(' '));
    if (m_pStatusTimeZone)
        text += QString::fromStdString(m_pStatusTimeZone->m_strName) + QLatin1Char(' ');
    text += QString::fromStdString(FormatTime(value, 0));
    if (m_userMan.m_dwMainFlags & MWF_CLOCK_DATE)
        text += QStringLiteral(" - ") + QString::fromStdString(FormatDate(value, DATE_LONGDATE))
            + QLatin1Char(' ');
    else
        text += QLatin1Char(' ');
    return text;
}

void CMainFrame::UpdateClock()
{
    if (m_clockPane)
        m_clockPane->setText(ClockText());
}
