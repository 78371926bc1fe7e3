// The command table, routing through menus and accelerators, and the rules
// that enable the contact commands.
#define QTEST_QPA_MOUSE_HANDLING
#include "framefixture.h"
#include "mainwnd/bookbanner.h"
#include "mainwnd/commands.h"
#include "mainwnd/maintoolbar.h"
#include "mainwnd/menus.h"
#include "platform/profile.h"
#include "support/keyboard.h"
#include "support/mailstandin.h"

#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTest>
#include <QTextDocumentFragment>
#include <QTimer>
#include <set>

TEST(CommandTableTest, IdsAndKeysAreUniqueAndEveryKeyIsInTheShortcutsPage)
{
    std::set<u32> ids;
    std::set<QString> keys;
    QFile page(QStringLiteral(TOLVA_HELP_DIR "/keyboard.htm"));
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(page.readAll());
    for (const CommandInfo& info : CommandTable()) {
        EXPECT_TRUE(ids.insert(info.id).second) << info.id;
        for (const char* k : {info.keys, info.keys2}) {
            if (!*k)
                continue;
            const QString text = QKeySequence(QString::fromLatin1(k)).toString(QKeySequence::PortableText);
            EXPECT_FALSE(text.isEmpty()) << k;
            EXPECT_TRUE(keys.insert(text).second) << "twice: " << k;
            EXPECT_TRUE(html.contains(QStringLiteral("<kbd>%1</kbd>").arg(text.toHtmlEscaped()))) << k;
        }
    }
    // Every tool tip fits, and the page names no key the program lacks.
    const QRegularExpression kbd(QStringLiteral("<kbd>([^<]+)</kbd>"));
    for (auto it = kbd.globalMatch(html); it.hasNext();) {
        const QString key = it.next().captured(1);
        EXPECT_TRUE(keys.count(QTextDocumentFragment::fromHtml(key).toPlainText()) || key == u"Tab"
            || key == u"Shift+Tab" || key == u"Return" || key == u"Home" || key == u"End")
            << key.toStdString();
    }
}

TEST(CommandTableTest, HooksRunOnlyWhileInstalledAndEnabled)
{
    CommandHooks hooks;
    int runs = 0;
    bool allowed = false;
    EXPECT_FALSE(hooks.IsEnabled(ID_PRINT));
    EXPECT_FALSE(hooks.Run(ID_PRINT));
    hooks.Install(ID_PRINT, {[&](u32) { ++runs; }, [&](u32) { return allowed; }});
    EXPECT_FALSE(hooks.IsEnabled(ID_PRINT));
    allowed = true;
    EXPECT_TRUE(hooks.IsEnabled(ID_PRINT));
    EXPECT_TRUE(hooks.Run(ID_PRINT));
    hooks.Uninstall(ID_PRINT);
    EXPECT_FALSE(hooks.Run(ID_PRINT));
    EXPECT_EQ(runs, 1);
}

TEST_F(FrameTest, EveryCommandIsOneNamedActionSharedByMenuBarAndToolbar)
{
    Frame();
    for (const CommandInfo& info : CommandTable())
        EXPECT_EQ(Frame().findChildren<QAction*>(QStringLiteral("cmd%1").arg(info.id)).size(), 1) << info.id;
    QAction* del = Command(ID_CONTACT_DELETE);
    bool inMenuBar = false;
    for (QMenu* menu : Frame().menuBar()->findChildren<QMenu*>())
        inMenuBar = inMenuBar || menu->actions().contains(del);
    EXPECT_TRUE(inMenuBar);
    // The toolbar's button follows the action's state.
    SelectNone();
    Frame().UpdateAllCommands();
    auto* button = Frame().findChild<QWidget*>(QStringLiteral("tb%1").arg(ID_CONTACT_DELETE));
    ASSERT_NE(button, nullptr);
    EXPECT_FALSE(button->isEnabled());
    Select({0});
    Frame().UpdateAllCommands();
    EXPECT_TRUE(button->isEnabled());
}

TEST_F(FrameTest, ContactRulesFollowSelectionBookAndFindMode)
{
    Frame();
    SelectNone();
    // Nothing selected.
    EXPECT_FALSE(Enabled(ID_CONTACT_DELETE));
    EXPECT_FALSE(Enabled(ID_CONTACT_PROPERTIES));
    EXPECT_FALSE(Enabled(ID_VCARD_EXPORT));
    EXPECT_TRUE(Enabled(ID_FIND_CONTACT));
    // Without the editing dialogs nothing that needs one is offered.
    EXPECT_FALSE(Enabled(ID_CONTACT_NEW));
    Container().SetEditingHooks(&m_editing);
    EXPECT_TRUE(Enabled(ID_CONTACT_NEW));

    Select({0, 2});
    EXPECT_TRUE(Enabled(ID_CONTACT_DELETE));
    EXPECT_FALSE(Enabled(ID_CONTACT_PROPERTIES));
    EXPECT_FALSE(Enabled(ID_VCARD_EXPORT));
    EXPECT_TRUE(Enabled(ID_CONTACT_MOVETOBOOK));
    Select({1});
    EXPECT_TRUE(Enabled(ID_CONTACT_PROPERTIES));
    EXPECT_TRUE(Enabled(ID_VCARD_EXPORT));

    // Find mode: no new contacts, no book membership; Find is ticked.
    Trigger(ID_FIND_CONTACT);
    EXPECT_TRUE(Container().InFindMode());
    EXPECT_TRUE(Command(ID_FIND_CONTACT)->isChecked());
    EXPECT_FALSE(Enabled(ID_CONTACT_NEW));
    Trigger(ID_FIND_CONTACT);
    EXPECT_FALSE(Command(ID_FIND_CONTACT)->isChecked());

    // A dialog that excludes others is open.
    m_userMan->m_dwDialogOpen = 1;
    EXPECT_FALSE(Enabled(ID_CONTACT_NEW));
    EXPECT_FALSE(Enabled(ID_PREFERENCES));
    EXPECT_FALSE(Enabled(ID_TRAY_EXIT));
    m_userMan->m_dwDialogOpen = 0;

    // No new contacts in "Deleted Items" nor in a deleted book below it.
    m_dataMan->SetCurrentBook(m_dataMan->GetDeletedItemsBook());
    Container().RefreshForBook();
    EXPECT_FALSE(Enabled(ID_CONTACT_NEW));
    EXPECT_FALSE(Enabled(ID_EMPTY_DELETED));
    auto made = std::make_unique<Book>();
    made->m_strName = "Old";
    Book* old = m_dataMan->AddBook(std::move(made), m_dataMan->GetDeletedItemsBook());
    m_dataMan->SetCurrentBook(old);
    Container().RefreshForBook();
    EXPECT_FALSE(Enabled(ID_CONTACT_NEW));
    m_dataMan->SetCurrentBook(m_dataMan->GetRootBook());
    Container().RefreshForBook();
    EXPECT_TRUE(Enabled(ID_CONTACT_NEW));
}

TEST_F(FrameTest, SlotsOfOtherAreasStayDisabledUntilHookedAndKeepTheFramesRule)
{
    Frame();
    for (u32 id : {ID_PRINT, ID_FILE_PRINT_PREVIEW, ID_PAGESETUP_LABELS, ID_IMPORT_EXPORT, ID_SPEED_DIAL,
             ID_MANUAL_DIAL, ID_CONTACT_DIAL, ID_VCARD_FORWARD, ID_EDIT_PASTE})
        EXPECT_FALSE(Enabled(id)) << id;
    SelectNone();
    int printed = 0;
    Frame().Hooks().Install(ID_PRINT, {[&](u32) { ++printed; }, {}});
    // Printing needs something to print.
    EXPECT_FALSE(Enabled(ID_PRINT));
    Select({0});
    EXPECT_TRUE(Enabled(ID_PRINT));
    QTest::keyClick(&Frame(), Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(printed, 1);
    Frame().Hooks().Install(ID_IMPORT_EXPORT, {[](u32) {}, {}});
    EXPECT_TRUE(Enabled(ID_IMPORT_EXPORT));
}

TEST_F(FrameTest, DialDialsTheDefaultTheOnlyOrAPickedNumber)
{
    // A simulated line, so that the telephone is there.
    const QString script = m_dir->filePath(QStringLiteral("line.script"));
    QFile file(script);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("device - Modem\ncall *\n50 ringback\n");
    file.close();
    Profile::WriteString("TapiMan", "LineScript", script.toStdString());
    ASSERT_EQ(m_tapiMan->Init(), 0u);
    Contact* anna = m_dataMan->GetContactAt(0);
    anna->m_phones = {{1, "555 0100"}};
    Frame();
    std::vector<std::string> dialed;
    Container().SetDialer([&](const std::string& number, Contact* contact) {
        EXPECT_EQ(contact, anna);
        dialed.push_back(number);
    });
    Select({0});
    CToolbarButton* button = Frame().Toolbar()->ButtonOf(ID_CONTACT_DIAL);
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(button->isEnabled());

    // One number, not the default: it is the one dialed.
    Trigger(ID_CONTACT_DIAL);
    EXPECT_EQ(dialed, std::vector<std::string>{"555 0100"});

    // Several and none the default: the list of them opens under the button,
    // and the number picked from it is dialed.
    anna->m_phones = {{1, "555 0100"}, {12, "555 0177"}};
    const auto picked = [] {
        auto listed = std::make_shared<QStringList>();
        QTimer::singleShot(0, [listed] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu)
                return;
            for (const QAction* action : menu->actions())
                *listed << action->text();
            QTest::keyClick(menu, Qt::Key_Down);
            QTest::keyClick(menu, Qt::Key_Down);
            QTest::keyClick(menu, Qt::Key_Return);
        });
        return listed;
    };
    auto listed = picked();
    Trigger(ID_CONTACT_DIAL);
    EXPECT_EQ(*listed, (QStringList{"555 0100\tHome 1", "555 0177\tBusiness 2"}));
    EXPECT_EQ(dialed, (std::vector<std::string>{"555 0100", "555 0177"}));
    EXPECT_TRUE(m_messages.shown.empty());

    // With the toolbar hidden the list opens all the same.
    Frame().SetBarsVisible(false, true);
    listed = picked();
    Trigger(ID_CONTACT_DIAL);
    EXPECT_EQ(listed->size(), 2);
    EXPECT_EQ(dialed.size(), 3u);

    // The default phone is dialed without a list.
    anna->m_phones = {{1, "555 0100"}, {2 | CV_DEFAULT_HOME_PHONE, "555 0199"}};
    Trigger(ID_CONTACT_DIAL);
    EXPECT_EQ(dialed.back(), "555 0199");

    anna->m_phones = {{1, ""}};
    EXPECT_FALSE(Enabled(ID_CONTACT_DIAL));
    anna->m_phones = {{1, "555 0100"}};
    Container().SetDialer({});
    EXPECT_FALSE(Enabled(ID_CONTACT_DIAL));
    m_tapiMan->Shutdown();
}

TEST_F(FrameTest, NewsletterAndFeedbackOpenAMailToSupportInTheMailProgram)
{
    MailProgramStandIn mailer(m_dir->path());
    Frame();
    Trigger(ID_HELP_NEWSLETTER);
    EXPECT_EQ(mailer.Arguments(),
        (QStringList{"--utf8", "--subject", "Subscribe for Tolva Newsletter", "support@tolva.invalid"}));
    mailer.Forget();
    Trigger(ID_HELP_FEEDBACK);
    EXPECT_EQ(mailer.Arguments(),
        (QStringList{"--utf8", "--subject", "Feedback: Query/Info Request for Tolva v.2.5.5",
            "support@tolva.invalid"}));
    EXPECT_TRUE(m_messages.shown.empty());
}

TEST_F(FrameTest, AcceleratorsAndMenusReachTheContainer)
{
    Frame();
    Grid().Widget()->setFocus();
    QTest::keyClick(&Frame(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(Container().InFindMode());
    EXPECT_EQ(Container().Banner()->height(), CBookBanner::kFindHeight);
    QTest::keyClick(&Frame(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_FALSE(Container().InFindMode());
    EXPECT_EQ(Container().Banner()->height(), CBookBanner::kHeight);

    Grid().Widget()->setFocus();
    QTest::keyClick(&Frame(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(Grid().SelectedCount(), 3);
    Select({0});
    QTest::keyClick(&Frame(), Qt::Key_A, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(Grid().SelectedCount(), 2);

    // The View menu ticks what is shown.
    Trigger(ID_VIEW_STATUSBAR);
    bool toolbar = false;
    bool statusBar = true;
    Frame().GetBarsVisible(toolbar, statusBar);
    EXPECT_FALSE(statusBar);
    EXPECT_FALSE(Command(ID_VIEW_STATUSBAR)->isChecked());
    EXPECT_TRUE(Command(ID_VIEW_TOOLBAR)->isChecked());
}

TEST_F(FrameTest, EveryMenuItemHasALetterOfItsOwn)
{
    QStringList faults;
    QStringList titles;
    for (const QAction* item : Frame().menuBar()->actions()) {
        titles << item->text();
        if (item->menu())
            faults << MenuMnemonicFaults(item->menu());
    }
    // The menu bar's own titles.
    QMenu bar;
    bar.setObjectName(QStringLiteral("menu bar"));
    for (const QString& title : titles)
        bar.addAction(title);
    faults << MenuMnemonicFaults(&bar);
    for (const char* name : {kMenuContactPopup, kMenuBookPopup, kMenuAlphabetPopup, kMenuHeaderPopup,
             kMenuToolbarStyle, kMenuTray}) {
        const std::unique_ptr<QMenu> popup = Frame().MakePopupMenu(name);
        ASSERT_NE(popup, nullptr) << name;
        faults << MenuMnemonicFaults(popup.get());
    }
    EXPECT_TRUE(faults.isEmpty()) << faults.join(u'\n').toStdString();
}
