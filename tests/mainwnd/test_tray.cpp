// The tray icon's states against a stand-in desktop, the frame's answer to
// its notifications, and the About box.
#include "controls/linkstatic.h"
#include "core/utilities.h"
#include "framefixture.h"
#include "mainwnd/aboutdlg.h"
#include "mainwnd/trayicon.h"
#include "support/modal.h"
#include "support/pictures.h"

#include <QLabel>
#include <QTest>

namespace {

// A desktop tray that records what it is asked and refuses when told to.
class StandInTray : public SystemTray {
public:
    struct Log {
        int shows = 0;
        int removes = 0;
        bool refuse = false;
        QString tip;
    };
    explicit StandInTray(Log& log)
        : m_log(log)
    {
    }
    bool IsAvailable() const override { return true; }
    bool Show(const QIcon&, const QString& tip) override
    {
        ++m_log.shows;
        m_log.tip = tip;
        return !m_log.refuse;
    }
    void Remove() override { ++m_log.removes; }

private:
    Log& m_log;
};

class TrayTest : public FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        SetSystemTrayFactory([this] { return std::make_unique<StandInTray>(m_log); });
    }
    void TearDown() override
    {
        FrameTest::TearDown();
        SetSystemTrayFactory({});
    }
    static QIcon AnIcon()
    {
        QPixmap pixmap(16, 16);
        pixmap.fill(Qt::darkGreen);
        return QIcon(pixmap);
    }

    StandInTray::Log m_log;
};

}  // namespace

TEST_F(TrayTest, IconIsAddedChangedRemovedAndAddedAgainAfterARefusal)
{
    QWidget window;
    {
        CTrayIcon tray;
        EXPECT_EQ(tray.Data().cbSize, 88u);
        EXPECT_EQ(tray.Data().uID, 129u);
        EXPECT_EQ(tray.Data().szTip, "Tolva");
        // Removing what is not there does nothing, twice over.
        EXPECT_EQ(tray.SetIcon({}), 1);
        EXPECT_EQ(tray.SetIcon({}), 1);
        EXPECT_EQ(m_log.removes, 0);

        EXPECT_EQ(tray.SetIcon(AnIcon()), 1);
        EXPECT_EQ(tray.Data().uFlags, NIF_ICON | NIF_TIP);
        EXPECT_EQ(m_log.tip, u"Tolva");
        tray.SetNotificationWnd(&window, Registered().WM_TRAY_NOTIFICATION);
        EXPECT_EQ(tray.SetIcon(AnIcon()), 1);
        EXPECT_EQ(tray.Data().uFlags, NIF_ICON | NIF_MESSAGE | NIF_TIP);
        EXPECT_TRUE(tray.IsShown());

        // A refusal keeps no icon, so the next call adds it again.
        m_log.refuse = true;
        EXPECT_EQ(tray.SetIcon(AnIcon()), 0);
        EXPECT_FALSE(tray.IsShown());
        EXPECT_EQ(tray.SetIcon({}), 1);
        EXPECT_EQ(m_log.removes, 0);
        m_log.refuse = false;
        EXPECT_EQ(tray.SetIcon(AnIcon()), 1);
        EXPECT_TRUE(tray.IsShown());
    }
    // Gone with its owner.
    EXPECT_EQ(m_log.removes, 1);
}

TEST_F(TrayTest, FrameAnswersItsOwnIconsNotificationsOnly)
{
    m_userMan->m_dwMainFlags |= MWF_CLOSE_TO_TRAY;
    Frame();
    ASSERT_TRUE(Frame().HasTray());
    Frame().HideToTray();
    ASSERT_FALSE(Frame().isVisible());
    EXPECT_EQ(Frame().OnTrayNotification(130, WM_LBUTTONDBLCLK), 0);
    EXPECT_FALSE(Frame().isVisible());
    EXPECT_EQ(Frame().OnTrayNotification(CTrayIcon::kIconId, WM_LBUTTONDBLCLK), 1);
    EXPECT_TRUE(Frame().isVisible());

    // Right button up opens the tray's menu with Restore as its default.
    QString defaultItem;
    QTimer::singleShot(0, [&] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            defaultItem = menu->defaultAction() ? menu->defaultAction()->text() : QString();
            menu->close();
        }
    });
    EXPECT_EQ(Frame().OnTrayNotification(CTrayIcon::kIconId, WM_RBUTTONUP), 1);
    EXPECT_EQ(defaultItem, u"&Restore");
}

TEST_F(FrameTest, AboutBoxShowsVersionAndLinkAndClosesFromTheKeyboard)
{
    bool seen = false;
    OnModal<CDialogAbout>([&](CDialogAbout* about) {
        seen = true;
        EXPECT_EQ(about->windowTitle(), u"Tolva");
        EXPECT_EQ(about->VersionLabel()->text(), u"v.2.5.5");
        EXPECT_EQ(about->VersionLabel()->font().weight(), QFont::Bold);
        EXPECT_EQ(about->Link()->Target().rfind("https://", 0), 0u);
        QTest::keyClick(about, Qt::Key_Escape);
    });
    Trigger(ID_APP_ABOUT);
    EXPECT_TRUE(seen);

    if (!FontsAvailable())
        GTEST_SKIP() << "no fonts";
    for (const bool dark : {false, true}) {
        ScopedPalette palette(dark ? DarkPalette() : LightPalette());
        CDialogAbout about;
        about.show();
        QApplication::processEvents();
        const QImage picture = Grab(&about);
        SavePicture(picture, QStringLiteral("about-%1").arg(dark ? "dark" : "light"));
        // The version stands on its own green whatever the palette.
        const QLabel* version = about.VersionLabel();
        const QPoint corner = version->mapTo(&about, QPoint(1, 1));
        const qreal scale = picture.devicePixelRatio();
        EXPECT_EQ(
            QColor(picture.pixel(int(corner.x() * scale), int(corner.y() * scale))), QColor(144, 198, 139));
    }
}
