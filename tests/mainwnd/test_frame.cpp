// The frame itself: toolbar modes and layout, the status panes, closing
// with and without a tray, the help pages and the keyboard's way around.
#define QTEST_QPA_MOUSE_HANDLING
#include "framefixture.h"
#include "mainwnd/alphabetbar.h"
#include "mainwnd/bookpane.h"
#include "mainwnd/booktree.h"
#include "mainwnd/maintoolbar.h"
#include "mainwnd/toolbarcustomize.h"
#include "platform/oledate.h"
#include "platform/profile.h"
#include "platform/ui/openlink.h"
#include "platform/ui/systemtray.h"
#include "support/keyboard.h"
#include "support/pictures.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimeZone>
#include <QTreeWidget>

namespace {

// A notification area that is there, or not, as the test says; like a
// desktop's panel it may come or go while the program runs.
class FakeTray : public SystemTray {
public:
    explicit FakeTray(std::shared_ptr<bool> available)
        : m_available(std::move(available))
    {
    }
    bool IsAvailable() const override { return *m_available; }
    bool Show(const QIcon&, const QString&) override { return *m_available; }
    void Remove() override { }

private:
    std::shared_ptr<bool> m_available;
};

class ScopedTray {
public:
    explicit ScopedTray(bool available)
        : m_available(std::make_shared<bool>(available))
    {
        SetSystemTrayFactory([available = m_available] { return std::make_unique<FakeTray>(available); });
    }
    ~ScopedTray() { SetSystemTrayFactory({}); }
    void SetAvailable(bool on) { *m_available = on; }

private:
    std::shared_ptr<bool> m_available;
};

QDateTime ClockWithoutZone()
{
    return QDateTime(QDate(2024, 1, 2), QTime(12, 0), QTimeZone());
}

}  // namespace

TEST_F(FrameTest, ToolbarModesRestoreImageAndButtonSizes)
{
    Frame();
    CMainToolbar* toolbar = Frame().Toolbar();
    EXPECT_EQ(toolbar->TextMode(), TBMODE_BUTTONS_TEXT);
    Trigger(ID_TOOLBAR_TEXT_ONLY);
    EXPECT_EQ(toolbar->toolButtonStyle(), Qt::ToolButtonTextOnly);
    EXPECT_EQ(toolbar->iconSize(), QSize(0, 0));
    EXPECT_TRUE(Command(ID_TOOLBAR_TEXT_ONLY)->isChecked());
    Trigger(ID_TOOLBAR_BUTTONS_TEXT);
    EXPECT_EQ(toolbar->iconSize(), QSize(22, 22));
    Trigger(ID_TOOLBAR_BUTTONS_ONLY);
    EXPECT_EQ(toolbar->toolButtonStyle(), Qt::ToolButtonIconOnly);
    EXPECT_EQ(toolbar->iconSize(), QSize(22, 22));
    CToolbarButton* button = toolbar->ButtonOf(ID_CONTACT_NEW);
    ASSERT_NE(button, nullptr);
    EXPECT_GE(button->minimumSize().width(), CMainToolbar::kButtonSize);
    EXPECT_EQ(m_userMan->m_dwToolbarStyle, TBMODE_BUTTONS);
}

TEST_F(FrameTest, CustomisedLayoutSurvivesARestartButNotMailAndDialRemoval)
{
    Frame();
    CMainToolbar* toolbar = Frame().Toolbar();
    EXPECT_FALSE(CToolbarCustomizeDialog::CanRemove(4));
    EXPECT_FALSE(CToolbarCustomizeDialog::CanRemove(5));
    EXPECT_TRUE(CToolbarCustomizeDialog::CanRemove(0));
    const std::vector<int> custom{4, 5, CMainToolbar::kSeparator, 11, 12};
    toolbar->SetLayout(custom);
    EXPECT_NE(toolbar->ButtonOf(ID_MANUAL_DIAL), nullptr);
    EXPECT_EQ(toolbar->ButtonOf(ID_CONTACT_NEW), nullptr);
    Frame().SaveStateAndClose();
    m_frame.reset();
    Profile::Reopen();
    EXPECT_EQ(Frame().Toolbar()->Layout(), custom);

    // A stored layout of another form is not taken.
    Profile::WriteBinary("UserMan\\MainToolbar", "Data", "\1\2\3", 3);
    CMainToolbar fresh([this](u32 id) { return Command(id); });
    fresh.ResetMode();
    fresh.SetToolbarTextMode(TBMODE_BUTTONS_TEXT, true);
    EXPECT_EQ(fresh.Layout(), CMainToolbar::DefaultLayout());
}

TEST_F(FrameTest, CustomiseDialogPicture)
{
    if (!FontsAvailable())
        GTEST_SKIP() << "no font";
    CToolbarCustomizeDialog dialog(*Frame().Toolbar(), &Frame());
    for (const QPalette& palette : {LightPalette(), DarkPalette()}) {
        ScopedPalette scoped(palette);
        SavePicture(Grab(&dialog),
            palette == LightPalette() ? QStringLiteral("customizetoolbar-light")
                                      : QStringLiteral("customizetoolbar-dark"));
        const QStringList faults = LayoutFaults(&dialog);
        EXPECT_TRUE(faults.isEmpty()) << faults.join(u'\n').toStdString();
    }
}

TEST_F(FrameTest, CustomiseDialogTabFollowsItsColumns)
{
    CToolbarCustomizeDialog dialog(*Frame().Toolbar(), &Frame());
    dialog.show();
    QApplication::processEvents();
    // Every button enabled, as with an item in the middle of each list chosen.
    for (QListWidget* list : dialog.findChildren<QListWidget*>())
        list->setCurrentRow(1);
    // Column by column from the left, each from the top.
    const QStringList columns{QString(), QStringLiteral("&Add ->"), QStringLiteral("<- &Remove"), QString(),
        QStringLiteral("Close"), QStringLiteral("Reset"), QStringLiteral("Help"), QStringLiteral("Move &Up"),
        QStringLiteral("Move &Down")};
    QStringList tab;
    for (const QWidget* w : TabOrder(&dialog)) {
        const auto* button = qobject_cast<const QPushButton*>(w);
        tab << (button ? button->text() : QString());
    }
    EXPECT_EQ(tab.join(u'|').toStdString(), columns.join(u'|').toStdString());
}

TEST_F(FrameTest, StatusPanesShowCountAndClock)
{
    m_userMan->m_dwMainFlags |= MWF_CONTACT_COUNT | MWF_CLOCK_DATE;
    auto zone = std::make_unique<TimeZoneEntry>();
    zone->m_strName = "<b>Reykjavik</b>";
    m_dataMan->Add(std::move(zone));
    Frame();
    EXPECT_TRUE(Frame().HasCountPane());
    EXPECT_EQ(Frame().CountText(), u" 3 contacts ");
    Select({0});
    Trigger(ID_CONTACT_DELETE);
    EXPECT_EQ(Frame().CountText(), u" 2 contacts ");
    auto* pane = Frame().findChild<QLabel*>(QStringLiteral("pane%1").arg(ID_INDICATOR_COUNT));
    ASSERT_NE(pane, nullptr);
    EXPECT_EQ(pane->text(), u" 2 contacts ");
    Select({0});
    Trigger(ID_CONTACT_DELETE);
    EXPECT_EQ(pane->text(), u" 1 contact ");

    // The marked zone is shown, with the date when asked for.
    EXPECT_TRUE(Frame().ClockText().startsWith(u" Undefined time zone "))
        << Frame().ClockText().toStdString();
    EXPECT_TRUE(Frame().ClockText().contains(u" - "));
    Frame().SetStatusTimeZone(1);
    EXPECT_TRUE(Frame().ClockText().startsWith(u" <b>Reykjavik</b> ")) << Frame().ClockText().toStdString();
    // The name is shown as the text it is, never as markup.
    auto* clock = Frame().findChild<QLabel*>(QStringLiteral("pane%1").arg(ID_INDICATOR_CLOCK));
    ASSERT_NE(clock, nullptr);
    EXPECT_EQ(clock->textFormat(), Qt::PlainText);
    EXPECT_TRUE(clock->text().contains(u"<b>"));
    EXPECT_FALSE(m_dataMan->GetAt<TimeZoneEntry>(0)->m_dwFlags & TZ_UNDEFINED);
    // A position outside the table keeps the zone.
    Frame().SetStatusTimeZone(7);
    EXPECT_TRUE(Frame().ClockText().startsWith(u" <b>Reykjavik</b> "));

    m_userMan->m_dwMainFlags &= ~MWF_CONTACT_COUNT;
    Frame().UpdateStatusPanes(false, false);
    EXPECT_FALSE(Frame().HasCountPane());

    // A clock whose zone cannot be read shows "_ _ _" and keeps it; the
    // user hears of it once.
    const size_t shown = m_messages.shown.size();
    SetClockForTesting(&ClockWithoutZone);
    Frame().UpdateTimeZone();
    Frame().UpdateClock();
    SetClockForTesting(nullptr);
    EXPECT_EQ(Frame().ClockText(), u"_ _ _");
    EXPECT_EQ(m_messages.shown.size(), shown + 1);
}

TEST_F(FrameTest, CloseHidesToTheTrayOnlyWhileThereIsOne)
{
    m_userMan->m_dwMainFlags |= MWF_CLOSE_TO_TRAY;
    const auto forgetSaved = [] {
        Profile::Remove("UserMan\\MainToolbar", "Data");
        Profile::Remove("UserMan\\MainWnd", "Flags1");
        Profile::Reopen();
    };
    const auto saved = [] {
        Profile::Reopen();
        return Profile::Exists("UserMan\\MainToolbar", "Data")
            && Profile::Exists("UserMan\\MainWnd", "Flags1");
    };
    // The close box's close went through: the window is gone, not
    // minimised, and the toolbar and window state are saved as Exit saves
    // them.
    const auto closedAsExitDoes = [this, &saved] {
        EXPECT_TRUE(Frame().isHidden());
        EXPECT_FALSE(Frame().isMinimized());
        EXPECT_TRUE(saved());
        m_frame.reset();
    };
    {
        ScopedTray tray(true);
        forgetSaved();
        Frame().showMaximized();
        QApplication::processEvents();
        ASSERT_TRUE(Frame().HasTray());
        EXPECT_FALSE(Frame().close());
        EXPECT_TRUE(Frame().isHidden());
        EXPECT_FALSE(saved());
        EXPECT_TRUE(m_userMan->m_dwMainFlags & MWF_WAS_MAXIMIZED);
        Trigger(ID_TRAY_RESTORE);
        EXPECT_TRUE(Frame().isVisible());
        EXPECT_TRUE(Frame().isMaximized());

        // The panel that held the tray ends: nothing could bring a hidden
        // window back, so the close box ends the program.
        tray.SetAvailable(false);
        EXPECT_FALSE(Frame().HasTray());
        EXPECT_TRUE(Frame().close());
        closedAsExitDoes();
    }
    {
        ScopedTray none(false);
        forgetSaved();
        Frame();
        EXPECT_FALSE(Frame().HasTray());
        EXPECT_TRUE(Frame().close());
        closedAsExitDoes();
    }
    {
        // A tray that came after the start takes the icon and the window.
        ScopedTray late(false);
        forgetSaved();
        Frame();
        late.SetAvailable(true);
        EXPECT_FALSE(Frame().close());
        EXPECT_TRUE(Frame().HasTray());
        EXPECT_TRUE(Frame().isHidden());
        EXPECT_FALSE(saved());
        // Exit closes it, whatever the close box does.
        Trigger(ID_APP_EXIT);
        EXPECT_TRUE(saved());
    }
}

TEST_F(FrameTest, TheFrameKeepsItsMinimumSize)
{
    Frame().resize(300, 200);
    QApplication::processEvents();
    EXPECT_GE(Frame().width(), CMainFrame::kMinWidth);
    EXPECT_GE(Frame().height(), CMainFrame::kMinHeight);
}

TEST_F(FrameTest, TabWalksBannerLettersGridAndTree)
{
    Frame();
    QWidget* grid = Grid().Widget();
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Tab);
    EXPECT_EQ(Frame().focusWidget(), Container().BookPane()->Tree());
    QTest::keyClick(Frame().focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(Frame().focusWidget(), Container().AlphabetBar());
    QTest::keyClick(Frame().focusWidget(), Qt::Key_Backtab);
    EXPECT_EQ(Frame().focusWidget(), Container().BookPane()->Tree());
    // With the tree closed the banner's book button takes its place.
    Trigger(ID_VIEW_BOOKTREE);
    EXPECT_FALSE(Container().BookPane()->isVisible());
    EXPECT_FALSE(Command(ID_VIEW_BOOKTREE)->isChecked());
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Tab);
    EXPECT_NE(Frame().focusWidget(), Container().BookPane()->Tree());
    QTest::keyClick(&Frame(), Qt::Key_F7);
    EXPECT_TRUE(Container().BookPane()->isVisible());
}

TEST_F(FrameTest, ChoosingTheCurrentAlphabetAgainChangesNothing)
{
    auto second = std::make_unique<Alphabet>();
    second->m_strName = "Second";
    second->m_strLetters = "XYZ";
    m_dataMan->Add(std::move(second));
    Frame();
    m_dataMan->SetAlphabetFilter(kFilterFirstLetter + 1);
    Container().RefreshForBook();
    CToolbarButton* button = Frame().Toolbar()->ButtonOf(ID_ALPHABET_NEXT);
    auto menu = button->dropMenu(button);
    ASSERT_EQ(menu->actions().size(), 2);
    EXPECT_TRUE(menu->actions()[0]->isChecked());
    menu->actions()[0]->trigger();
    EXPECT_EQ(m_dataMan->GetCurrentAlphabetIndex(), 0);
    EXPECT_EQ(m_dataMan->GetAlphabetFilter(), kFilterFirstLetter + 1);
    menu->actions()[1]->trigger();
    EXPECT_EQ(m_dataMan->GetCurrentAlphabetIndex(), 1);
    EXPECT_EQ(m_dataMan->GetAlphabetFilter(), kFilterAll);
}

TEST(LocalPageTest, OnlyExistingPagesInsideTheFolderOpen)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("help"));
    const QString help = dir.filePath(QStringLiteral("help"));
    for (const char* name : {"help/keyboard.htm", "outside.htm", "help/script.sh"}) {
        QFile file(dir.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    EXPECT_TRUE(LocalPageUrl(help + QStringLiteral("/keyboard.htm"), help).isValid());
    EXPECT_FALSE(LocalPageUrl(help + QStringLiteral("/../outside.htm"), help).isValid());
    EXPECT_FALSE(LocalPageUrl(help + QStringLiteral("/script.sh"), help).isValid());
    EXPECT_FALSE(LocalPageUrl(help + QStringLiteral("/missing.htm"), help).isValid());
    EXPECT_FALSE(LocalPageUrl(help + QStringLiteral("/keyboard.htm"), QString()).isValid());
}
