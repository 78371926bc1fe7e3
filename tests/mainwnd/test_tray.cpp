// The tray icon's states against a stand-in desktop, the frame's answer to
// its notifications, and the About box.
#include "core/utilities.h"
#include "framefixture.h"
#include "mainwnd/aboutdlg.h"
#include "mainwnd/trayicon.h"
#include "support/modal.h"
#include "support/pictures.h"

#include <QLabel>
#include <QTest>

namespace {

// A desktop tray that counts removals and refuses when told to.
int g_removes = 0;
bool g_refuse = false;

class StandInTray : public SystemTray {
public:
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
