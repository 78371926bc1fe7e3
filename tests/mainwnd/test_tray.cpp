// The tray icon's states against a stand-in desktop, the frame's answer to
// its notifications, and the About box.
#include "core/errorreport.h"
#include "core/seexception.h"
#include "core/utilities.h"
#include "framefixture.h"
#include "mainwnd/aboutdlg.h"
#include "mainwnd/commands.h"
#include "mainwnd/trayicon.h"
#include "support/modal.h"
#include "support/pictures.h"

#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>

namespace {

// A desktop tray that counts removals and refuses when told to.
int g_removes = 0;
bool g_refuse = false;
class StandInTray;
StandInTray* g_lastTray = nullptr;

class StandInTray : public SystemTray {
public:
    StandInTray() { g_lastTray = this; }
    ~StandInTray() override { g_lastTray = nullptr; }
    bool IsAvailable() const override { return true; }
    bool Show(const QIcon&, const QString& tip) override { return tip == u"Tolva" && !g_refuse; }
    void Remove() override { ++g_removes; }
};

class TrayTest : public FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        g_removes = 0;
        SetSystemTrayFactory([] { return std::make_unique<StandInTray>(); });
    }
    void TearDown() override
    {
        FrameTest::TearDown();
        SetSystemTrayFactory({});
    }
};

}  // namespace

TEST_F(TrayTest, IconIsAddedRemovedOnceAndAddedAgainAfterARefusal)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::darkGreen);
    const QIcon icon(pixmap);
    QWidget window;
    {
        CTrayIcon tray;
        EXPECT_EQ(tray.Data().cbSize, 88u);
        EXPECT_EQ(tray.Data().uID, 129u);
        // Removing what is not there does nothing, twice over.
        EXPECT_EQ(tray.SetIcon({}), 1);
        EXPECT_EQ(tray.SetIcon({}), 1);
        EXPECT_EQ(g_removes, 0);
        EXPECT_EQ(tray.SetIcon(icon), 1);
        EXPECT_EQ(tray.Data().uFlags, NIF_ICON | NIF_TIP);
        tray.SetNotificationWnd(&window, Registered().WM_TRAY_NOTIFICATION);
        EXPECT_EQ(tray.SetIcon(icon), 1);
        EXPECT_EQ(tray.Data().uFlags, NIF_ICON | NIF_MESSAGE | NIF_TIP);

        // A refusal keeps no icon, so nothing is removed and the next call adds.
        g_refuse = true;
        EXPECT_EQ(tray.SetIcon(icon), 0);
        EXPECT_FALSE(tray.IsShown());
        EXPECT_EQ(tray.SetIcon({}), 1);
        EXPECT_EQ(g_removes, 0);
        g_refuse = false;
        EXPECT_EQ(tray.SetIcon(icon), 1);
    }
    // Gone with its owner.
    EXPECT_EQ(g_removes, 1);
}

TEST_F(TrayTest, FrameAnswersItsOwnIconsNotificationsOnly)
{
    m_userMan->m_dwMainFlags |= MWF_CLOSE_TO_TRAY;
    Frame().HideToTray();
    ASSERT_FALSE(Frame().isVisible());
    EXPECT_EQ(Frame().OnTrayNotification(130, WM_LBUTTONDBLCLK), 0);
    EXPECT_FALSE(Frame().isVisible());
    EXPECT_EQ(Frame().OnTrayNotification(CTrayIcon::kIconId, WM_LBUTTONDBLCLK), 1);
    EXPECT_TRUE(Frame().isVisible());
}

TEST_F(TrayTest, AClickOnTheIconShowsTheWindow)
{
    // The desktop's single click, and its double click, come as clicks of
    // the program's own.
    EXPECT_EQ(TrayEventOf(QSystemTrayIcon::Trigger), SystemTray::Event::Click);
    EXPECT_EQ(TrayEventOf(QSystemTrayIcon::DoubleClick), SystemTray::Event::DoubleClick);
    EXPECT_EQ(TrayEventOf(QSystemTrayIcon::Context), SystemTray::Event::ContextMenu);
    EXPECT_EQ(TrayEventOf(QSystemTrayIcon::MiddleClick), std::nullopt);

    m_userMan->m_dwMainFlags |= MWF_CLOSE_TO_TRAY;
    Frame().HideToTray();
    ASSERT_FALSE(Frame().isVisible());
    ASSERT_NE(g_lastTray, nullptr);
    ASSERT_TRUE(g_lastTray->activated);
    g_lastTray->activated(SystemTray::Event::Click, QPoint(5, 5));
    EXPECT_TRUE(Frame().isVisible());
}

namespace {

int* volatile g_nowhere = nullptr;
volatile int g_faultSink = 0;

__attribute__((noinline, no_sanitize("address", "undefined"))) void FaultingCommand(u32)
{
    g_faultSink = *g_nowhere;
}

// Clicks a command in the tray menu once it is open; closes whatever popup
// is open when no such item comes, so the menu's loop always ends.
void ClickInTrayMenu(QAction* command)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, command, tries] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu && menu->actions().contains(command)) {
            timer->stop();
            timer->deleteLater();
            QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(command).center());
        } else if (++*tries > 500) {
            timer->stop();
            timer->deleteLater();
            if (QWidget* popup = QApplication::activePopupWidget())
                popup->close();
        }
    });
    timer->start();
}

}  // namespace

TEST_F(TrayTest, FaultInATrayMenuCommandIsLoggedAndTheProgramGoesOn)
{
    constexpr const char* kInFreshProcess = "TOLVA_TEST_FAULT_RUN";
    if (qEnvironmentVariableIsSet(kInFreshProcess)) {
        int code = 2;  // the fault went past the frame
        try {
            InstallSeTranslator();
            Frame().Hooks().Install(ID_SPEED_DIAL, {&FaultingCommand, {}});
            ClickInTrayMenu(Command(ID_SPEED_DIAL));
            const int handled = Frame().OnTrayNotification(CTrayIcon::kIconId, WM_RBUTTONUP);
            const QByteArray log = Contents(kErrorLogName);
            code = handled == 1 && log.contains("Exception ACCESS_VIOLATION (0xc0000005)")
                    && log.contains("trying to read address 0x00000000.")
                ? 0
                : 3;
            // The program goes on: the next command from the menu runs.
            bool ran = false;
            Frame().Hooks().Install(ID_SPEED_DIAL, {[&ran](u32) { ran = true; }, {}});
            ClickInTrayMenu(Command(ID_SPEED_DIAL));
            Frame().OnTrayNotification(CTrayIcon::kIconId, WM_RBUTTONUP);
            if (code == 0 && !ran)
                code = 4;
        } catch (...) {
        }
        std::_Exit(code);
    }
    // A process that met a fault is not one to go on testing in, nor can a
    // forked copy paint (the painting threads stay behind): the case runs
    // in a fresh process of this program.
    QProcess run;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(kInFreshProcess), QStringLiteral("1"));
    run.setProcessEnvironment(environment);
    run.setProcessChannelMode(QProcess::ForwardedChannels);
    run.start(QCoreApplication::applicationFilePath(),
        {QStringLiteral("--gtest_filter=TrayTest.FaultInATrayMenuCommandIsLoggedAndTheProgramGoesOn")});
    ASSERT_TRUE(run.waitForStarted(10000));
    if (!run.waitForFinished(60000)) {
        run.kill();
        run.waitForFinished(10000);
        FAIL() << "the run did not end";
    }
    EXPECT_EQ(run.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(run.exitCode(), 0);
}

TEST_F(FrameTest, AboutBoxShowsVersionAndLinkAndClosesFromTheKeyboard)
{
    bool seen = false;
    OnModal<CDialogAbout>([&](CDialogAbout* about) {
        seen = true;
        EXPECT_EQ(about->windowTitle(), u"Tolva");
        EXPECT_EQ(about->VersionLabel()->text(), u"v.2.5.5");
        EXPECT_EQ(about->VersionLabel()->font().weight(), QFont::Bold);
        QTest::keyClick(about, Qt::Key_Escape);
    });
    Trigger(ID_APP_ABOUT);
    EXPECT_TRUE(seen);
    if (!FontsAvailable())
        GTEST_SKIP() << "no fonts";
    for (const bool dark : {false, true}) {
        ScopedPalette palette(dark ? DarkPalette() : LightPalette());
        CDialogAbout about;
        const QImage picture = Grab(&about);
        SavePicture(picture, QStringLiteral("about-%1").arg(dark ? "dark" : "light"));
        // The version stands on its own green whatever the palette.
        const QPoint at = about.VersionLabel()->mapTo(&about, QPoint(1, 1)) * picture.devicePixelRatio();
        EXPECT_EQ(Pixel(picture, at.x(), at.y()), Rgb(QColor(144, 198, 139)));
    }
}
