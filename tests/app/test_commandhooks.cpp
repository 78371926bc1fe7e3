#include "app/commandhooks.h"
#include "app/datadumpdlg.h"
#include "controls/flatbutton.h"
#include "core/datafile.h"
#include "core/dataman.h"
#include "core/userman.h"
#include "mainwnd/bookpane.h"
#include "mainwnd/booktree.h"
#include "mainwnd/commands.h"
#include "mainwnd/contactview.h"
#include "mainwnd/containerwnd.h"
#include "mainwnd/mainframe.h"
#include "mainwnd/rgridctrl.h"
#include "platform/modemprovider.h"
#include "platform/profile.h"
#include "support/mailstandin.h"
#include "support/modal.h"
#include "support/testenv.h"
#include "telephony/calllog.h"
#include "telephony/fakemodem.h"
#include "telephony/tapiman.h"
#include "telephony/ui/calllogdlg.h"
#include "telephony/ui/callstatusdlg.h"
#include "telephony/ui/manualdialdlg.h"
#include "telephony/ui/speeddialdlg.h"

#include <QAction>
#include <QDeadlineTimer>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>
#include <QTreeWidgetItem>

namespace {

class CommandHooksTest : public TolvaTest {
protected:
    void SetUp() override
    {
        TolvaTest::SetUp();
        ChooseLine();
        ASSERT_EQ(m_userMan.Init(1), 0);
        ASSERT_EQ(m_file.Open(), 0u);
        m_dataMan = std::make_unique<DataMan>(m_file, &m_userMan);
        ASSERT_EQ(m_dataMan->Init(), 0u);
        m_dataMan->SetAlphabetFilter(kFilterAll);
        auto contact = std::make_unique<Contact>();
        contact->m_strName = "Anna Berg";
        contact->m_phones.push_back({1 | CV_DEFAULT_HOME_PHONE, "555-0100"});
        m_dataMan->AddContact(std::move(contact), m_dataMan->GetRootBook());
        m_tapiMan.Init();
        m_tapiMan.SetCurDevice(0);
        m_frame = std::make_unique<CMainFrame>(m_userMan, *m_dataMan, m_tapiMan);
        InstallCommandHooks(*m_frame, m_tapiMan, *m_dataMan, m_userMan);
        m_frame->show();
        QApplication::processEvents();
    }
    void TearDown() override
    {
        m_frame.reset();
        m_tapiMan.Shutdown();
        m_dataMan->Close();
        m_file.Close();
        m_dataMan.reset();
        TolvaTest::TearDown();
    }

    // The simulator's modem, which rings back.
    virtual void ChooseLine()
    {
        const QString script = m_dir->filePath(QStringLiteral("line.script"));
        QFile file(script);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("device - Modem\ncall *\n50 ringback\n");
        file.close();
        Profile::WriteString("TapiMan", "LineScript", script.toStdString());
    }

    // Triggers the command and closes the dialog it opens; false when the
    // dialog never came.
    template <class Dialog> bool OpensDialog(u32 id)
    {
        bool opened = false;
        OnModal<Dialog>([&opened](Dialog* dialog) {
            opened = true;
            dialog->reject();
        });
        m_frame->UpdateAllCommands();
        QAction* action = m_frame->findChild<QAction*>(CommandObjectName(id));
        if (!action || !action->isEnabled())
            return false;
        action->trigger();
        QApplication::processEvents();
        return opened;
    }

    UserMan m_userMan;
    CDataFile m_file;
    std::unique_ptr<DataMan> m_dataMan;
    TapiMan m_tapiMan;
    std::unique_ptr<CMainFrame> m_frame;
};

}  // namespace

TEST_F(CommandHooksTest, TelephonyCommandsOpenTheirDialogs)
{
    EXPECT_TRUE(OpensDialog<CDialogManualDial>(ID_MANUAL_DIAL));
    EXPECT_TRUE(OpensDialog<CDialogSpeedDial>(ID_SPEED_DIAL));
    EXPECT_EQ(m_userMan.m_dwDialogOpen, 0u);
    EXPECT_TRUE(OpensDialog<CDialogSpeedDialPrefs>(ID_SPEED_DIAL_LIST));
    EXPECT_TRUE(OpensDialog<CDialogCallLog>(ID_CALLLOG_SHOW));

    const std::vector<Contact*> anna{m_dataMan->GetContactAt(0)};
    m_frame->GetContainer()->Grid().SelectContacts(anna);
    QApplication::processEvents();
    EXPECT_TRUE(OpensDialog<CDialogCallLog>(ID_CALLLOG_SHOW_CONTACT));
    // Dialing the contact's default phone runs the call under its name.
    EXPECT_TRUE(OpensDialog<CDialogCallStatus>(ID_CONTACT_DIAL));
    EXPECT_FALSE(m_tapiMan.GetLine()->IsInCall());
    EXPECT_TRUE(m_messages.shown.empty());
}

// The same program on a modem played on a pseudo-terminal.
class ModemCommandTest : public CommandHooksTest {
protected:
    void ChooseLine() override
    {
        SetModemSystemPortsForTesting(false);
        m_modem.SetScript([this](const std::string& command) {
            if (command.rfind("ATD", 0) == 0)
                m_modem.Send("\r\nVCON\r\n");
            return FakeModem::Plain(command);
        });
        Profile::WriteString("TapiMan", "ModemPorts", m_modem.Path());
    }
    FakeModem m_modem;
};

bool WaitFor(const std::function<bool()>& condition)
{
    QDeadlineTimer deadline(10000);
    while (!condition() && !deadline.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    return condition();
}

TEST_F(ModemCommandTest, TheContactsDialCommandDialsTheModemAndLogsTheCall)
{
    bool available = false;
    ASSERT_TRUE(WaitFor([&] {
        return m_tapiMan.GetLine()->GetDeviceName(0, available).rfind("Tolva Test Voice Modem", 0) == 0;
    }));
    const std::vector<Contact*> anna{m_dataMan->GetContactAt(0)};
    m_frame->GetContainer()->Grid().SelectContacts(anna);
    QApplication::processEvents();

    bool connected = false;
    OnModal<CDialogCallStatus>([&connected](CDialogCallStatus* dialog) {
        const auto status = [dialog] {
            for (QLabel* label : dialog->findChildren<QLabel*>()) {
                if (label->text().startsWith(QStringLiteral("Connected to ")))
                    return label->text();
            }
            return QString();
        };
        connected = WaitFor([&] { return !status().isEmpty() && dialog->OkButton()->isEnabled(); });
        EXPECT_EQ(status(), "Connected to 555-0100");
        // The receiver is lifted; then the conversation ends.
        QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
        EXPECT_EQ(dialog->OkButton()->text(), "Hung Up");
        QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
    });
    m_frame->UpdateAllCommands();
    QAction* dial = m_frame->findChild<QAction*>(CommandObjectName(ID_CONTACT_DIAL));
    ASSERT_TRUE(dial && dial->isEnabled());
    dial->trigger();
    EXPECT_TRUE(connected);
    ASSERT_EQ(m_dataMan->GetCount(DMK_CALL_LOG), 1);
    const auto* entry = m_dataMan->GetAt<CallLogEntry>(0);
    EXPECT_EQ(entry->m_duContactID, anna[0]->m_duID);
    EXPECT_EQ(entry->m_strName, "Anna Berg");
    EXPECT_EQ(entry->m_strNumber, "555-0100");
    const std::vector<std::string> commands = m_modem.Commands();
    EXPECT_NE(std::find(commands.begin(), commands.end(), "ATDT5550100;"), commands.end());
    EXPECT_EQ(commands.back(), "ATH");
    EXPECT_FALSE(m_tapiMan.GetLine()->IsInCall());
    EXPECT_TRUE(m_messages.shown.empty());
}

// What the modem is told to dial for numbers as contacts hold them, from
// an office in area 555 of country 1 and from one in London, both behind
// a switchboard reached with "9,".
TEST_F(ModemCommandTest, TheDialCommandDialsEachWayOfWritingANumberAsTheLocationNeeds)
{
    bool available = false;
    ASSERT_TRUE(WaitFor([&] {
        return m_tapiMan.GetLine()->GetDeviceName(0, available).rfind("Tolva Test Voice Modem", 0) == 0;
    }));
    const struct {
        const char* number;
        const char* fromUs;
        const char* fromLondon;
        const char* extension;
    } table[] = {
        {"555-0100", "9,5550100", "9,5550100", ""},
        {"+1 (555) 123-4567", "9,1234567", "9,0015551234567", ""},
        {"+1 5551234567", "9,1234567", "9,0015551234567", ""},
        {"+15551234567", "9,1234567", "9,0015551234567", ""},
        {"+1.555.123.4567", "9,1234567", "9,0015551234567", ""},
        {"+1 (212) 555-0100", "9,12125550100", "9,0012125550100", ""},
        {"+1 (800) 555-0199", "9,18005550199", "9,0018005550199", ""},
        {"+44 (0)20 7946 0958", "9,011442079460958", "9,79460958", ""},
        {"+44 20 7946 0958", "9,011442079460958", "9,79460958", ""},
        {"+44(0)121 496 0000", "9,011441214960000", "9,01214960000", ""},
        {"+33 1 23 45 67 89", "9,01133123456789", "9,0033123456789", ""},
        {"+1 (555) 123-4567 x89", "9,1234567", "9,0015551234567", "89"},
        {"555-0100 ext. 12", "9,5550100", "9,5550100", "12"},
    };
    Contact* anna = m_dataMan->GetContactAt(0);
    m_frame->GetContainer()->Grid().SelectContacts(std::vector<Contact*>{anna});
    QApplication::processEvents();
    QAction* dial = m_frame->findChild<QAction*>(CommandObjectName(ID_CONTACT_DIAL));
    ASSERT_NE(dial, nullptr);
    const auto dialed = [this] {
        std::vector<std::string> atd;
        for (const std::string& command : m_modem.Commands())
            if (command.rfind("ATD", 0) == 0)
                atd.push_back(command);
        return atd;
    };
    for (const bool london : {false, true}) {
        Profile::WriteString("TapiMan\\Location", "CountryCode", london ? "44" : "1");
        Profile::WriteString("TapiMan\\Location", "AreaCode", london ? "20" : "555");
        Profile::WriteString("TapiMan\\Location", "OutsideLine", "9,");
        Profile::WriteString("TapiMan\\Location", "LongDistance", london ? "0" : "1");
        Profile::WriteString("TapiMan\\Location", "International", london ? "00" : "011");
        for (const auto& row : table) {
            anna->m_phones = {{1 | CV_DEFAULT_HOME_PHONE, row.number}};
            const size_t before = dialed().size();
            QString extension = QStringLiteral("no dialog");
            OnModal<CDialogCallStatus>([&](CDialogCallStatus* dialog) {
                WaitFor([&] { return dialed().size() > before; });
                QLabel* label = dialog->ExtensionLabel();
                extension = label && label->isVisible() ? label->text() : QString();
                QTest::mouseClick(dialog->CancelButton(), Qt::LeftButton);
            });
            m_frame->UpdateAllCommands();
            ASSERT_TRUE(dial->isEnabled());
            dial->trigger();
            const std::vector<std::string> atd = dialed();
            ASSERT_EQ(atd.size(), before + 1) << row.number;
            EXPECT_EQ(atd.back(), "ATDT" + std::string(london ? row.fromLondon : row.fromUs) + ";")
                << row.number << (london ? " from London" : " from the US");
            // The extension is the user's to key once the call is answered.
            if (*row.extension)
                EXPECT_TRUE(extension.startsWith(QString::fromLatin1(row.extension) + ':'))
                    << row.number << ": " << extension.toStdString();
            else
                EXPECT_TRUE(extension.isEmpty()) << row.number << ": " << extension.toStdString();
            EXPECT_FALSE(m_tapiMan.GetLine()->IsInCall());
        }
    }
    EXPECT_TRUE(m_messages.shown.empty());
}

TEST_F(CommandHooksTest, TheLineReleaseKeyShutsTheLineDown)
{
    ASSERT_TRUE(m_tapiMan.GetLine()->IsInitialized());
    m_frame->UpdateAllCommands();
    auto* action = m_frame->findChild<QAction*>(CommandObjectName(ID_LINE_SHUTDOWN));
    ASSERT_TRUE(action && action->isEnabled());
    // The keypad's minus, with the grid focused.
    QWidget* grid = m_frame->GetContainer()->Grid().Widget();
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_TRUE(m_tapiMan.GetLine()->IsInitialized());
    QTest::keyClick(grid, Qt::Key_Minus, Qt::ControlModifier | Qt::KeypadModifier);
    EXPECT_FALSE(m_tapiMan.GetLine()->IsInitialized());
}

TEST_F(CommandHooksTest, SpeedDialNeedsTelephonyAndTheDataDumpIsOneWindow)
{
    m_tapiMan.GetLine()->Shutdown();
    m_tapiMan.Shutdown();
    m_frame->UpdateAllCommands();
    m_frame->findChild<QAction*>(CommandObjectName(ID_SPEED_DIAL))->trigger();
    ASSERT_EQ(m_messages.shown.size(), 1u);
    EXPECT_EQ(m_messages.shown[0].text, "Can't dial. Please verify your modem settings");

    // The command has no menu item: it reaches the container's map directly.
    // With no contact chosen it shows the current book.
    m_frame->GetContainer()->Grid().SelectContacts({});
    EXPECT_TRUE(m_frame->GetContainer()->OnCmdMsg(ID_DATA_DUMP));
    EXPECT_TRUE(m_frame->GetContainer()->OnCmdMsg(ID_DATA_DUMP));
    const auto windows = m_frame->findChildren<CDialogDataDump*>();
    ASSERT_EQ(windows.size(), 1);
    EXPECT_TRUE(windows[0]->Text()->toPlainText().contains("Name:\tContacts"));
    windows[0]->close();
}

TEST_F(CommandHooksTest, TheDataDumpFollowsTheSelection)
{
    auto book = std::make_unique<Book>();
    book->m_strName = "Friends";
    Book* friends = m_dataMan->AddBook(std::move(book), m_dataMan->GetRootBook());
    ASSERT_NE(friends, nullptr);
    CContainerWnd* container = m_frame->GetContainer();
    container->BookPane()->ReloadTree();
    EXPECT_TRUE(container->OnCmdMsg(ID_DATA_DUMP));
    const auto windows = m_frame->findChildren<CDialogDataDump*>();
    ASSERT_EQ(windows.size(), 1);
    QPlainTextEdit* text = windows[0]->Text();
    EXPECT_TRUE(text->toPlainText().contains("Name:\tContacts"));

    // Choosing a book in the book pane shows that book.
    CBookTreeCtrl* tree = container->BookPane()->Tree();
    QTreeWidgetItem* item = container->BookPane()->FindBookItem(friends->m_duID);
    ASSERT_NE(item, nullptr);
    tree->scrollToItem(item);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
    QApplication::processEvents();
    EXPECT_TRUE(text->toPlainText().contains("Name:\tFriends")) << text->toPlainText().toStdString();

    // Back in the root book, clicking a contact in the grid empties it.
    QTreeWidgetItem* root = container->BookPane()->FindBookItem(m_dataMan->GetRootBook()->m_duID);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(root).center());
    QApplication::processEvents();
    EXPECT_TRUE(text->toPlainText().contains("Name:\tContacts"));
    container->Grid().SelectContacts({});
    auto* rows = static_cast<CRGridCtrl*>(container->Grid().Widget());
    QTest::mouseClick(
        rows->viewport(), Qt::LeftButton, {}, rows->GetCellRect(0, 0).center() - rows->viewport()->pos());
    QApplication::processEvents();
    EXPECT_EQ(container->GetFocusedContact()->m_strName, "Anna Berg");
    EXPECT_TRUE(text->toPlainText().isEmpty()) << text->toPlainText().toStdString();
    windows[0]->close();
}

// "xdg-email" ends at once, with status 3 when no mail program is set up
// for the desktop: each command that hands mail on reports that, once, and
// a run that took the message says nothing.
TEST_F(CommandHooksTest, MailCommandsReportAMailProgramThatEndsWithAnError)
{
    Contact* anna = m_dataMan->GetContactAt(0);
    anna->m_emails = {{1 | CV_DEFAULT_HOME_EMAIL, "anna@example.org"}};
    m_frame->GetContainer()->RefreshGrid();
    m_frame->GetContainer()->Grid().SelectContacts(std::vector<Contact*>{anna});
    QApplication::processEvents();
    for (const int status : {3, 0}) {
        const MailProgramStandIn mailer(m_dir->path(), status);
        for (const u32 id : {ID_CONTACT_SENDMAIL, ID_HELP_NEWSLETTER, ID_HELP_FEEDBACK, ID_VCARD_FORWARD}) {
            m_messages.shown.clear();
            mailer.Forget();
            m_frame->UpdateAllCommands();
            QAction* action = m_frame->findChild<QAction*>(CommandObjectName(id));
            ASSERT_TRUE(action && action->isEnabled()) << id;
            action->trigger();
            // The window goes on while the mail program runs.
            const QStringList arguments = mailer.Arguments();
            ASSERT_FALSE(arguments.isEmpty()) << id;
            if (id == ID_CONTACT_SENDMAIL) {
                EXPECT_EQ(arguments, QStringList{"mailto:anna@example.org"});
            }
            ASSERT_TRUE(MailProgramStandIn::AllEnded()) << id;
            if (status == 0) {
                EXPECT_TRUE(m_messages.shown.empty()) << id << " " << m_messages.shown[0].text;
                continue;
            }
            ASSERT_EQ(m_messages.shown.size(), 1u) << id;
            EXPECT_EQ(m_messages.shown[0].text,
                "The mail program did not take the message: \"xdg-email\" ended with status 3. Check that a "
                "mail program is set up for the desktop.");
            EXPECT_EQ(m_messages.shown[0].type & MB_ICONMASK, MB_ICONHAND);
        }
    }
}
