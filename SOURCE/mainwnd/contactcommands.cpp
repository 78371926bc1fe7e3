// The contact commands of the container and the rules that enable them.
#include "controls/cmdui.h"
#include "core/dataman.h"
#include "core/userman.h"
#include "core/utilities.h"
#include "impexp/cardexchange.h"
#include "mainwnd/alphabetbar.h"
#include "mainwnd/bookbanner.h"
#include "mainwnd/bookpane.h"
#include "mainwnd/booktree.h"
#include "mainwnd/contactinfopane.h"
#include "mainwnd/contactview.h"
#include "mainwnd/containerwnd.h"
#include "mainwnd/editinghooks.h"
#include "mainwnd/mainframe.h"
#include "mainwnd/vcardfiles.h"
#include "platform/desktopmail.h"
#include "platform/ui/syscolor.h"
#include "telephony/mailsession.h"
#include "telephony/tapiman.h"

#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QFileDialog>
#include <QGuiApplication>
#include <QTreeWidget>
#include <unordered_set>

namespace {

constexpr const char* kErrorReadingContact = "Error reading existing contact data";
constexpr const char* kForwardFailed
    = "The card could not be handed to a mail program. Check that a mail program is set up for the desktop.";
constexpr u32 IDS_CONFIRM_DELETE_FOR_GOOD = 59524;
constexpr u32 IDS_CONFIRM_DELETE = 59525;
constexpr u32 IDS_NO_TELEPHONY = 59534;
constexpr u32 IDS_IMPEXP_ERROR = 59158;
constexpr u32 IDS_IMPORTED = 59159;
constexpr u32 IDS_CONFIRM_EMPTY = 59580;
constexpr u32 IDS_VCARD_FILTER = 59549;
constexpr u32 IDS_CONFIRM_DELETE_MANY_FOR_GOOD = 59720;
constexpr u32 IDS_CONFIRM_DELETE_MANY = 59721;

bool HasNonEmpty(const std::vector<ContactValue>& values)
{
    return std::any_of(
        values.begin(), values.end(), [](const ContactValue& v) { return !v.m_strText.empty(); });
}

// The entry at a position of a drop-down list, which lists the non-empty
// entries only.
const ContactValue* NthListed(const std::vector<ContactValue>& values, int position)
{
    for (const ContactValue& value : values) {
        if (!value.m_strText.empty() && position-- == 0)
            return &value;
    }
    return nullptr;
}

// The contact's default home e-mail, else its last address.
std::string DefaultMail(const Contact& contact)
{
    for (const ContactValue& mail : contact.m_emails) {
        if (mail.m_dwCode & CV_DEFAULT_HOME_EMAIL)
            return mail.m_strText;
    }
    return contact.m_emails.empty() ? std::string() : contact.m_emails.back().m_strText;
}

// A contact's name as a question shows it: a message box wraps only
// between words, so a word longer than a line is shortened to end in an
// ellipsis rather than being cut at the box's edge.
std::string QuestionName(const std::string& name)
{
    constexpr qsizetype kLongestWord = 40;
    QStringList words = QString::fromStdString(name).split(QLatin1Char(' '));
    for (QString& word : words) {
        if (word.size() > kLongestWord)
            word = word.left(kLongestWord - 1) + QChar(0x2026);
    }
    return words.join(QLatin1Char(' ')).toStdString();
}

}  // namespace

void CContainerWnd::MapCommands()
{
    // Every rule reads the facts worked out once for this update.
    const auto facts = [this] { return m_pFacts ? *m_pFacts : WorkOutFacts(); };
    const auto rule = [facts](auto test) { return [facts, test](CCmdUI& ui) { ui.Enable(test(facts())); }; };
    const auto hooked = [this, facts](auto test) {
        return [this, facts, test](
                   CCmdUI& ui) { ui.Enable(m_frame.Hooks().IsEnabled(ui.m_nID) && test(facts())); };
    };
    const auto runHook = [this](u32 id) { m_frame.Hooks().Run(id); };
    const auto always = [](const ContactFacts&) { return true; };
    const auto oneRow = [](const ContactFacts& f) { return f.selected == 1; };
    const auto anyRow = [](const ContactFacts& f) { return f.selected > 0; };

    auto& map = m_commands;
    map.On(
        ID_CONTACT_NEW,
        [this](u32) {
            if (m_bFindMode)
                return;
            m_userMan.m_dwDialogOpen = 1;
            NewContact({}, {});
            m_userMan.m_dwDialogOpen = 0;
        },
        rule([](const ContactFacts& f) {
            return f.editing && !f.inDeletedItems && !f.findMode && !f.dialogOpen;
        }));
    const auto modify = rule([](const ContactFacts& f) { return f.editing && f.selected == 1; });
    map.On(
        ID_CONTACT_PROPERTIES, [this](u32) { OnModifyContact(); }, modify);
    map.On(
        ID_CONTACT_MODIFY, [this](u32) { OnModifyContact(); }, modify);
    map.On(
        ID_CONTACT_DELETE, [this](u32) { OnDelete(); }, rule(anyRow));
    map.On(
        ID_CONTACT_SENDMAIL, [this](u32) { OnSendMailCommand(); },
        rule([](const ContactFacts& f) { return f.firstHasMail; }));
    // Enabled for any number to dial: without a default phone the command
    // offers the contact's numbers, as the toolbar button's arrow does.
    map.On(
        ID_CONTACT_DIAL, [this](u32) { OnDialCommand(); },
        [this, facts](CCmdUI& ui) { ui.Enable(m_dialer && facts().firstHasPhone); });
    map.On(
        ID_CONTACT_ADDTOBOOK, [this](u32 id) { OnBookMembership(id); },
        rule([](const ContactFacts& f) { return f.editing && f.selected > 0 && !f.findMode; }));
    map.On(
        ID_CONTACT_MOVETOBOOK, [this](u32 id) { OnBookMembership(id); },
        rule([](const ContactFacts& f) { return f.editing && f.selected > 0 && !f.findMode; }));
    map.On(
        ID_CONTACT_REMOVEFROMBOOK, [this](u32 id) { OnBookMembership(id); },
        rule([](const ContactFacts& f) { return f.selected > 0 && !f.findMode; }));
    map.On(ID_DIALING_PROPERTIES, runHook, hooked(anyRow));
    map.On(
        ID_FIND_CONTACT, [this](u32) { OnFindContact(); },
        [this](CCmdUI& ui) {
            ui.Enable(true);
            ui.SetCheck(m_bFindMode ? 1 : 0);
        });
    const auto noDialog = [](const ContactFacts& f) { return !f.dialogOpen; };
    map.On(
        ID_PREFERENCES, [this](u32) { DoPreferences(-1); },
        rule([](const ContactFacts& f) { return f.editing && !f.dialogOpen; }));
    map.On(
        ID_ADJUST_TIMEZONES, [this](u32) { DoPreferences(int(ID_PREFS_TIMEZONES_PAGE)); },
        rule([](const ContactFacts& f) { return f.editing && !f.dialogOpen; }));
    map.On(ID_SPEED_DIAL, runHook, hooked(noDialog));
    // Restore and Exit belong to the frame; only their rule is here.
    map.On(ID_TRAY_RESTORE, {}, rule(noDialog));
    map.On(ID_TRAY_EXIT, {}, rule(noDialog));
    map.On(ID_SPEED_DIAL_LIST, runHook, hooked(always));
    map.On(ID_MANUAL_DIAL, runHook, hooked(always));
    map.On(ID_IMPORT_EXPORT, runHook, hooked(always));
    map.On(ID_CALLLOG_SHOW, runHook, hooked(always));
    map.On(ID_CALLLOG_SHOW_CONTACT, runHook, hooked(anyRow));
    map.On(
        ID_CALLLOG_DELETE_CONTACT, [this](u32) { OnCallLogDelete(false); }, rule(anyRow));
    map.On(ID_CALLLOG_CLEAR, [this](u32) { OnCallLogDelete(true); });
    map.On(
        ID_EMPTY_DELETED, [this](u32) { OnEmptyDeletedItems(); },
        rule([](const ContactFacts& f) { return f.deletedItemsHoldSomething; }));
    map.OnRange(ID_ALPHABET_FIRST, ID_ALPHABET_ALL, [this](u32 id) { OnAlphabetLetter(id); });
    map.On(ID_ALPHABET_NEXT, [this](u32) { OnAlphabet(); });
    // The header's commands act on the column under the header's menu;
    // "Contact List Fields" from the main menu opens the chooser.
    for (u32 id : {ID_SORT_ASCENDING, ID_SORT_DESCENDING, ID_REMOVE_COLUMN})
        map.On(
            id, [this](u32 id) { m_grid->HeaderCommand(id); },
            [this](CCmdUI& ui) { ui.Enable(m_grid->HeaderMenuColumn()); });
    map.On(ID_LIST_FIELDS, [this](u32) { m_grid->ShowFieldChooser(); });
    map.On(
        ID_EDIT_COPY, [this](u32) { OnCopy(); }, rule(anyRow));
    map.On(
        ID_EDIT_PASTE, [this](u32) { OnPaste(); },
        [this](CCmdUI& ui) { ui.Enable(CanPaste(QGuiApplication::clipboard()->mimeData())); });
    // The data dump comes from other code; until then a slot.
    map.On(ID_DATA_DUMP, runHook, hooked(always));
    map.On(ID_SELECT_ALL, [this](u32) {
        if (m_grid->Widget()->hasFocus())
            m_grid->SelectAllRows();
    });
    map.On(ID_SELECT_EVERY_SECOND, [this](u32) {
        if (m_grid->Widget()->hasFocus() && m_grid->SelectedCount() > 0)
            m_grid->SelectEverySecond();
    });
    map.On(
        ID_VCARD_EXPORT, [this](u32 id) { OnVCard(id); }, rule(oneRow));
    map.On(
        ID_VCARD_FORWARD, [this](u32 id) { OnVCard(id); },
        [this, facts](CCmdUI& ui) { ui.Enable(m_fileMailer && facts().selected == 1); });
    for (u32 id : {ID_COLOR_TEXT, ID_COLOR_BACK, ID_COLOR_DEFAULT})
        map.On(
            id, [this](u32 id) { OnSetColors(id); }, rule(anyRow));
    map.OnRange(ID_INFO_TOP, ID_INFO_RIGHT2, [this](u32 id) { OnInfoDock(id); });
    map.On(
        ID_VIEW_TOOLBAR,
        [this](u32) {
            bool toolbar = false;
            bool statusBar = false;
            m_frame.GetBarsVisible(toolbar, statusBar);
            m_frame.SetBarsVisible(!toolbar, statusBar);
        },
        [this](CCmdUI& ui) {
            bool toolbar = false;
            bool statusBar = false;
            m_frame.GetBarsVisible(toolbar, statusBar);
            ui.Enable(true);
            ui.SetCheck(toolbar);
        });
    map.On(
        ID_VIEW_STATUSBAR,
        [this](u32) {
            bool toolbar = false;
            bool statusBar = false;
            m_frame.GetBarsVisible(toolbar, statusBar);
            m_frame.SetBarsVisible(toolbar, !statusBar);
        },
        [this](CCmdUI& ui) {
            bool toolbar = false;
            bool statusBar = false;
            m_frame.GetBarsVisible(toolbar, statusBar);
            ui.Enable(true);
            ui.SetCheck(statusBar);
        });
    map.On(
        ID_VIEW_BOOKTREE, [this](u32) { OnViewBookTree(); },
        [this](CCmdUI& ui) {
            ui.Enable(true);
            ui.SetCheck(m_bookPane->DockState() == BOOKPANE_DOCKED);
        });
    map.On(ID_BANNER_BOOK_BUTTON, [this](u32) { OpenBookPopup(); });
    map.On(
        ID_VIEW_CONTACTINFO, [this](u32) { OnViewContactInfo(); },
        [this](CCmdUI& ui) {
            ui.Enable(true);
            ui.SetCheck((m_userMan.m_dwMainFlags & MWF_INFOPANE) != 0);
        });
    // Printing is the frame's; the rule that something is chosen is here.
    for (u32 id = ID_PAGESETUP_MEMO; id <= ID_PRINT; ++id)
        map.On(id, {}, hooked(anyRow));
    map.On(ID_FILE_PRINT, {}, hooked(anyRow));
    map.On(ID_FILE_PRINT_PREVIEW, {}, hooked(anyRow));
}

ContactFacts CContainerWnd::WorkOutFacts() const
{
    ContactFacts f;
    f.selected = m_grid->SelectedCount();
    f.findMode = m_bFindMode;
    const Book* deleted = m_dataMan.GetDeletedItemsBook();
    // "Deleted Items" or any book below it; the walk is bounded so that a
    // damaged parent chain cannot hold the update.
    const Book* book = m_dataMan.GetCurrentBook();
    for (int depth = 0; deleted && book && depth < m_dataMan.GetBookCount(); ++depth) {
        if (book == deleted) {
            f.inDeletedItems = true;
            break;
        }
        if (book == m_dataMan.GetRootBook())
            break;
        book = m_dataMan.FindBook(book->m_duParentID);
    }
    f.dialogOpen = m_userMan.m_dwDialogOpen != 0;
    f.editing = m_editing != nullptr;
    if (const Contact* first = GetFocusedContact()) {
        f.firstHasMail = HasNonEmpty(first->m_emails);
        f.firstHasPhone = HasNonEmpty(first->m_phones);
    }
    f.deletedItemsHoldSomething = deleted && !deleted->m_members.empty();
    return f;
}

void CContainerWnd::BeginCommandUpdate()
{
    m_pFacts = WorkOutFacts();
}

void CContainerWnd::EndCommandUpdate()
{
    m_pFacts.reset();
}

bool CContainerWnd::OnCmdMsg(u32 id) const
{
    return m_bookPane->Commands().Execute(id) || m_commands.Execute(id);
}

bool CContainerWnd::OnUpdateCmdMsg(CCmdUI& ui) const
{
    return m_bookPane->Commands().Update(ui) || m_commands.Update(ui);
}

void CContainerWnd::SetEditingHooks(CEditingHooks* hooks)
{
    m_editing = hooks;
    m_bookPane->SetEditingHooks(hooks);
    m_frame.RequestIdleUpdate();
}

void CContainerWnd::SaveData()
{
    m_dataMan.Save(DFK_DATA);
}

void CContainerWnd::UpdateCount()
{
    if (m_userMan.m_dwMainFlags & MWF_CONTACT_COUNT)
        m_frame.UpdateStatusPanes(true, true);
}

std::string CContainerWnd::GetDefaultPhone() const
{
    const Contact* contact = GetFocusedContact();
    if (!contact)
        return {};
    for (const ContactValue& phone : contact->m_phones) {
        if ((phone.m_dwCode & CV_DEFAULT_HOME_PHONE) && !phone.m_strText.empty())
            return phone.m_strText;
    }
    return {};
}

void CContainerWnd::NewContact(const std::string& phone, const std::string& mail)
{
    if (!m_editing)
        return;
    const bool simple = m_userMan.m_dwListFlags & CLF_SIMPLE_DIALOG;
    bool switchMode = false;
    const int index = m_editing->NewContact(window(), simple, phone, mail, switchMode);
    Contact* contact = index >= 0 ? m_dataMan.GetContactAt(index) : nullptr;
    if (!contact)
        return;
    if (switchMode) {
        m_userMan.m_dwListFlags ^= CLF_SIMPLE_DIALOG;
        const bool kept = EditContact(*contact, -1);
        m_userMan.m_dwListFlags ^= CLF_SIMPLE_DIALOG;
        if (!kept) {
            m_dataMan.DeleteContact(contact, false);
            SaveData();
            return;
        }
    }
    SaveData();
    m_grid->AddContact(contact, false);
    UpdateCount();
}

bool CContainerWnd::EditContact(Contact& contact, int startPage)
{
    if (!m_editing)
        return false;
    const Contact saved = contact;
    int page = startPage;
    bool simple = m_userMan.m_dwListFlags & CLF_SIMPLE_DIALOG;
    for (;;) {
        bool switchMode = false;
        const bool ok = m_editing->EditContact(window(), contact, simple, page, switchMode);
        if (!ok) {
            // An earlier dialog of the switch may have moved the contact
            // between books: its links go back with it.
            if (contact.m_books != saved.m_books) {
                m_dataMan.UnlinkContact(&contact);
                for (u32 id : saved.m_books)
                    if (Book* book = m_dataMan.FindBook(id))
                        m_dataMan.AddContactToBook(&contact, book);
            }
            contact = saved;
            return false;
        }
        if (!switchMode)
            break;
        simple = !simple;
    }
    SaveData();
    return true;
}

void CContainerWnd::OnModifyContact()
{
    Contact* contact = GetFocusedContact();
    if (!contact) {
        MsgStopText(kErrorReadingContact);
        return;
    }
    if (!EditContact(*contact, -1))
        return;
    m_grid->Refill();
    m_grid->SelectContact(contact);
    if (m_infoPane && m_infoPane->Shown() == contact)
        m_infoPane->FillHtml(m_dataMan.IsContactShown(contact) ? contact : nullptr);
    m_grid->Widget()->setFocus();
}

void CContainerWnd::OnDelete()
{
    DeleteContacts(m_grid->SelectedContacts());
}

void CContainerWnd::DeleteContacts(const std::vector<Contact*>& contacts)
{
    if (contacts.empty())
        return;
    const bool forGood = (QApplication::keyboardModifiers() & Qt::ShiftModifier)
        || (m_userMan.m_dwListFlags & CLF_DELETE_FOR_GOOD)
        || m_dataMan.GetCurrentBook() == m_dataMan.GetDeletedItemsBook();
    if (m_userMan.m_dwListFlags & CLF_CONFIRM_DELETE) {
        std::string text;
        if (contacts.size() == 1) {
            text = FormatResString(forGood ? IDS_CONFIRM_DELETE_FOR_GOOD : IDS_CONFIRM_DELETE,
                QuestionName(contacts.front()->m_strName));
        } else {
            // Several contacts are asked about by their number.
            char many[160];
            std::snprintf(many, sizeof many,
                LoadResString(forGood ? IDS_CONFIRM_DELETE_MANY_FOR_GOOD : IDS_CONFIRM_DELETE_MANY).c_str(),
                int(contacts.size()));
            text = many;
        }
        if (MsgQuestionText(text, window(), MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
            return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // The row that moves into the first deleted one's place takes the
    // selection, so the keyboard keeps its place and another Delete acts
    // on a contact the user can see.
    Contact* next = m_grid->ContactAfterRemoving(contacts);
    // The rows go first: the records may be freed by the delete.
    m_grid->RemoveContacts(contacts);
    if (m_infoPane && m_infoPane->Shown()
        && std::find(contacts.begin(), contacts.end(), m_infoPane->Shown()) != contacts.end())
        m_infoPane->FillHtml(nullptr);
    m_pInfoContact = nullptr;
    for (Contact* contact : contacts)
        m_dataMan.DeleteContact(contact, !forGood);
    SaveData();
    QApplication::restoreOverrideCursor();
    if (next)
        m_grid->SelectContact(next);
    m_grid->Repaint();
    UpdateCount();
}

void CContainerWnd::OnEmptyDeletedItems()
{
    if (MsgQuestionText(LoadResString(IDS_CONFIRM_EMPTY), window(), MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    const bool shown = m_dataMan.GetCurrentBook() == m_dataMan.GetDeletedItemsBook();
    // The list lets go of the records before they are freed.
    if (shown) {
        m_grid->Clear();
        if (m_infoPane)
            m_infoPane->FillHtml(nullptr);
        m_pInfoContact = nullptr;
    }
    m_dataMan.EmptyDeletedItems();
    SaveData();
    m_bookPane->ReloadTree();
    if (shown) {
        m_grid->Refill();
        UpdateCount();
    }
}

// Each address escaped and several separated by ",": nothing of an address
// reads as a header (an attachment) or as a further recipient.
void CContainerWnd::OpenMailTo(const std::vector<std::string>& addresses, bool toClipboard)
{
    const QUrl url = MailtoUrl(addresses);
    if (toClipboard)
        QGuiApplication::clipboard()->setText(url.toString(QUrl::FullyEncoded));
    if (!OpenMailtoMessage(url, window()))
        MsgStop(IDS_MAIL_NOT_STARTED, window());
}

void CContainerWnd::OnSendMailCommand()
{
    std::vector<std::string> addresses;
    for (const Contact* contact : m_grid->SelectedContacts())
        if (std::string address = DefaultMail(*contact); !address.empty())
            addresses.push_back(std::move(address));
    OpenMailTo(addresses, true);
}

void CContainerWnd::OnSendMail(const std::string& address)
{
    OpenMailTo({address}, true);
}

void CContainerWnd::OnSendHotMail(int position)
{
    const Contact* contact = GetFocusedContact();
    if (const ContactValue* mail = contact ? NthListed(contact->m_emails, position) : nullptr)
        OpenMailTo({mail->m_strText}, false);
}

void CContainerWnd::OnDialCommand()
{
    if (const std::string number = GetDefaultPhone(); !number.empty()) {
        Dial(number);
        return;
    }
    // No number is the default: the only one is dialed; of several the user
    // picks one, as from the Dial button's arrow.
    const Contact* contact = GetFocusedContact();
    if (!contact)
        return;
    const ContactValue* only = NthListed(contact->m_phones, 0);
    if (only && !NthListed(contact->m_phones, 1))
        Dial(only->m_strText);
    else if (only)
        m_frame.OpenDialList(m_grid->KeyboardMenuPoint());
}

void CContainerWnd::OnDialHotPhone(int position)
{
    const Contact* contact = GetFocusedContact();
    if (const ContactValue* phone = contact ? NthListed(contact->m_phones, position) : nullptr)
        Dial(phone->m_strText);
}

void CContainerWnd::OnDialPhone(const std::string& number)
{
    if (!number.empty())
        Dial(number);
}

void CContainerWnd::Dial(const std::string& number)
{
    if (number.empty())
        return;
    if (!m_tapiMan.IsInitialized()) {
        MsgStop(IDS_NO_TELEPHONY, window());
        return;
    }
    Contact* contact = GetFocusedContact();
    if (contact && m_dialer && !(m_tapiMan.GetFlags() & TAPIMAN_IN_CALL))
        m_dialer(number, contact);
}

void CContainerWnd::OnSetColors(u32 id)
{
    const std::vector<Contact*> contacts = m_grid->SelectedContacts();
    if (contacts.empty())
        return;
    if (id == ID_COLOR_DEFAULT) {
        for (Contact* contact : contacts) {
            contact->m_crText = m_userMan.GetColor(UC_LIST_TEXT);
            contact->m_crBack = m_userMan.GetColor(UC_LIST_BACK);
            contact->m_dwDisplayFlags |= CDF_DEFAULT_TEXT_COLOR | CDF_DEFAULT_BK_COLOR;
        }
    } else {
        const bool text = id == ID_COLOR_TEXT;
        const u32 flag = text ? CDF_DEFAULT_TEXT_COLOR : CDF_DEFAULT_BK_COLOR;
        const auto colourOf = [&](const Contact* c) {
            if (c->m_dwDisplayFlags & flag)
                return m_userMan.GetColor(text ? UC_LIST_TEXT : UC_LIST_BACK);
            return text ? c->m_crText : c->m_crBack;
        };
        COLORREF start = colourOf(contacts.front());
        for (const Contact* c : contacts) {
            if (colourOf(c) != start)
                start = 0;
        }
        const QColor chosen = QColorDialog::getColor(ColorFromRef(start), window());
        if (!chosen.isValid())
            return;
        for (Contact* contact : contacts) {
            (text ? contact->m_crText : contact->m_crBack) = RefFromColor(chosen);
            contact->m_dwDisplayFlags &= ~flag;
        }
    }
    for (Contact* contact : contacts)
        m_grid->ContactChanged(contact);
    SaveData();
    m_grid->Repaint();
}

void CContainerWnd::OnVCard(u32 id)
{
    const Contact* contact = GetFocusedContact();
    if (!contact)
        return;
    if (id == ID_VCARD_EXPORT) {
        const QString filter = QString::fromStdString(LoadResString(IDS_VCARD_FILTER));
        const QString path
            = QFileDialog::getSaveFileName(window(), {}, VCardFileName(*contact), VCardDialogFilter(filter));
        if (path.isEmpty())
            return;
        if (const u32 error = WriteVCardFile(*contact, path))
            ShowFileError(error, path.toStdString());
        return;
    }
    if (!ForwardVCard(*contact, m_fileMailer))
        MsgStopText(kForwardFailed, window());
}

void CContainerWnd::OnInfoDock(u32 id)
{
    if (!(m_userMan.m_dwMainFlags & MWF_INFOPANE))
        return;
    const u32 state = id == ID_INFO_TOP ? INFO_DOCK_TOP
        : id == ID_INFO_BOTTOM          ? INFO_DOCK_BOTTOM
                                        : INFO_DOCK_RIGHT;
    if (state == m_userMan.m_dwInfoDockState)
        return;
    m_userMan.m_dwInfoDockState = state;
    RecalcLayout();
}

void CContainerWnd::OnViewContactInfo()
{
    m_userMan.m_dwMainFlags ^= MWF_INFOPANE;
    if (m_userMan.m_dwMainFlags & MWF_INFOPANE)
        CreateInfoPane();
    else
        DestroyInfoPane();
}

void CContainerWnd::OnBookMembership(u32 id)
{
    const std::vector<Contact*> gone = m_bookPane->AddToBook(id, m_grid->SelectedContacts());
    if (gone.empty())
        return;
    m_grid->RemoveContacts(gone);
    if (m_infoPane)
        m_infoPane->FillHtml(nullptr);
    m_pInfoContact = nullptr;
    UpdateCount();
}

void CContainerWnd::OnCallLogDelete(bool all)
{
    std::unordered_set<u32> ids;
    for (const Contact* contact : m_grid->SelectedContacts())
        ids.insert(contact->m_duID);
    // From the end, so that removing an entry never skips its neighbour.
    for (int i = m_dataMan.GetCount(DMK_CALL_LOG) - 1; i >= 0; --i) {
        const CallLogEntry* entry = m_dataMan.GetAt<CallLogEntry>(i);
        if (all || (entry && ids.count(entry->m_duContactID)))
            m_dataMan.RemoveAt(DMK_CALL_LOG, i);
    }
    m_dataMan.Save(DFK_NONDATA);
}

void CContainerWnd::DoPreferences(int startPage)
{
    if (!m_editing)
        return;
    const u32 mainFlags = m_userMan.m_dwMainFlags;
    const u32 filterFlags = m_userMan.m_dwFilterFlags;
    const u32 nameFlags = m_userMan.m_dwNameColumnFlags;
    std::string letters;
    m_dataMan.GetCurrentAlphabetLetters(letters);
    const int alphabet = m_dataMan.GetCurrentAlphabetIndex();
    m_userMan.m_dwDialogOpen = 1;
    const bool ok = m_editing->Preferences(window(), startPage);
    m_userMan.m_dwDialogOpen = 0;
    if (ok) {
        m_grid->ApplySettings();
        ApplyAlphabetBarFont();
        m_bookPane->ApplySettings();
        m_frame.ApplyPreferences(mainFlags);
        if (m_userMan.m_dwTreeDockState == BOOKPANE_CLOSED) {
            if (m_userMan.m_dwMainFlags & MWF_BOOKPANE)
                m_bookPane->SetDocked();
        } else if (!(m_userMan.m_dwMainFlags & MWF_BOOKPANE)) {
            m_bookPane->SetClosed();
        }
        m_dataMan.Save(DFK_NONDATA);
        m_userMan.SaveWindowState(m_frame);
        m_userMan.Save();
        if (filterFlags != m_userMan.m_dwFilterFlags || nameFlags != m_userMan.m_dwNameColumnFlags)
            RefreshForBook();
        m_grid->Repaint();
    }
    std::string lettersAfter;
    m_dataMan.GetCurrentAlphabetLetters(lettersAfter);
    if (lettersAfter != letters || alphabet != m_dataMan.GetCurrentAlphabetIndex())
        m_frame.SetCurrentAlphabet(m_dataMan.GetCurrentAlphabetIndex());
}

void CContainerWnd::AfterImportExport(const ImportExportOutcome& outcome)
{
    if (outcome.wizardResult == -1 || outcome.wizardResult == 3) {
        MsgStop(IDS_IMPEXP_ERROR, window());
        return;
    }
    if (outcome.wizardResult != 1)
        return;
    if (outcome.result != 0) {
        // A failed run reports only the failure, whatever came in before it.
        MsgStop(IDS_IMPEXP_ERROR, window());
    } else if (outcome.import) {
        char text[160];
        std::snprintf(text, sizeof text, LoadResString(IDS_IMPORTED).c_str(), int(outcome.booksAdded),
            int(outcome.contactsAdded));
        MsgWarningText(text, window());
    }
    if (outcome.import && (outcome.contactsAdded || outcome.booksAdded)) {
        if (outcome.contactsAdded)
            RefreshGrid();
        if (outcome.booksAdded)
            m_bookPane->ReloadTree();
        SaveData();
    }
}

void CContainerWnd::FlagContactsForPrint(u32 printRange)
{
    switch (printRange) {
    case 1:
    case 2:
        m_dataMan.FlagContacts(1, printRange, printRange);
        break;
    case 3:
        for (Contact* contact : m_grid->ShownContacts())
            contact->m_dwDisplayFlags |= CDF_PRINT;
        break;
    case 4:
    case 100:
        for (Contact* contact : m_grid->SelectedContacts())
            contact->m_dwDisplayFlags |= CDF_PRINT;
        break;
    case 101:
    case 102:
        if (Contact* contact = GetFocusedContact())
            contact->m_dwDisplayFlags |= CDF_PRINT;
        break;
    default:
        break;
    }
}
