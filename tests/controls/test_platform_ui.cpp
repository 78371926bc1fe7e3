#include "controlstest.h"
#include "platform/ui/imagelist.h"
#include "platform/ui/menu.h"
#include "platform/ui/msgboxsink.h"
#include "platform/ui/resources.h"
#include "platform/ui/syscolor.h"
#include "platform/ui/window.h"
#include "platform/ui/wndmessage.h"

#include <QMenu>
#include <QTemporaryDir>
#include <QTextStream>
#include <gtest/gtest.h>

namespace {

class Answering : public QObject {
public:
    bool event(QEvent* e) override
    {
        if (e->type() != WindowMessageEvent::EventType())
            return QObject::event(e);
        auto* message = static_cast<WindowMessageEvent*>(e);
        message->SetResult(qintptr(message->Message() + message->WParam() + message->LParam()));
        return true;
    }
};

}  // namespace

TEST(PlatformUi, MessagesAreDeliveredAtOnceWithTheirResult)
{
    Answering target;
    EXPECT_EQ(SendMessage(&target, WM_COMMAND, MAKEWPARAM(1, 2), 5), qintptr(WM_COMMAND + 0x20001 + 5));
    EXPECT_EQ(SendMessage(nullptr, WM_COMMAND), 0);
    EXPECT_EQ(LOWORD(MAKEWPARAM(32925, 7)), 32925u);
    EXPECT_EQ(HIWORD(MAKEWPARAM(32925, 7)), 7u);
}

TEST(PlatformUi, ControlIdsMenusAndDialogUnits)
{
    QWidget dialog;
    auto* inner = new QWidget(&dialog);
    auto* item = new QWidget(inner);
    SetDlgCtrlID(item, 1349);
    EXPECT_EQ(GetDlgItem(&dialog, 1349), item);
    EXPECT_EQ(GetDlgItem(&dialog, 0), nullptr);
    EXPECT_EQ(GetDlgItem(&dialog, 1297), nullptr);
    EXPECT_EQ(GetWindowUserData(item), 0u);
    SetWindowUserData(item, 0x80000000);
    EXPECT_EQ(GetWindowUserData(item), 0x80000000u);
    EXPECT_GT(DialogUnitsToPixelsX(&dialog, 4), 0);
    EXPECT_EQ(DialogUnitsToPixelsY(&dialog, 8), QFontMetrics(dialog.font()).height());

    QMenu menu;
    QAction* command = AppendMenuItem(&menu, 32770, "&New Contact");
    QAction* separator = menu.addSeparator();
    QAction* submenu = menu.addMenu("&Help")->menuAction();
    EXPECT_EQ(GetCommandId(command), 32770u);
    EXPECT_EQ(GetCommandId(separator), 0u);
    EXPECT_EQ(GetCommandId(submenu), 0xFFFFFFFFu);
    EXPECT_EQ(GetCommandId(nullptr), 0u);
}

TEST(PlatformUi, ImageListsCutStripsAndMaskTheirColour)
{
    QImage strip(40, 16, QImage::Format_RGB32);
    strip.fill(QColor(255, 0, 255));
    strip.setPixel(3, 3, qRgb(10, 20, 30));
    strip.setPixel(20, 5, qRgb(200, 0, 0));
    ImageList list(QSize(16, 16));
    EXPECT_EQ(list.Add(strip, 0xFF00FF), 0);
    EXPECT_EQ(list.Count(), 2) << "the narrow rest of the strip is dropped";
    const QImage first = list.Image(0).toImage();
    EXPECT_EQ(qAlpha(first.pixel(0, 0)), 0);
    EXPECT_EQ(first.pixel(3, 3) & 0xFFFFFF, 0x0A141Eu);
    EXPECT_EQ(list.Image(1).toImage().pixel(4, 5) & 0xFFFFFF, 0xC80000u);
    EXPECT_TRUE(list.Image(2).isNull());
    EXPECT_EQ(list.Add(QImage(), 0xFF00FF), -1);

    EXPECT_FALSE(LoadBitmapResource(305).isNull());
    EXPECT_EQ(LoadBitmapResource(305).height(), 16);
    EXPECT_TRUE(LoadBitmapResource(9999).isNull());
    QCursor hand;
    EXPECT_TRUE(LoadCursorResource(IDC_HAND_CURSOR, &hand));
    EXPECT_EQ(hand.shape(), Qt::PointingHandCursor);
    EXPECT_FALSE(LoadCursorResource(1, &hand));
}

TEST(PlatformUi, SystemColoursComeFromTheDesktopPalette)
{
    const QPalette light = LightPalette();
    EXPECT_EQ(GetSysColor(COLOR_3DFACE, light), light.color(QPalette::Button));
    EXPECT_EQ(GetSysColor(COLOR_3DSHADOW, light), light.color(QPalette::Dark));
    EXPECT_EQ(GetSysColor(COLOR_3DHILIGHT, light), light.color(QPalette::Light));
    EXPECT_EQ(GetSysColor(COLOR_3DDKSHADOW, light), light.color(QPalette::Shadow));
    EXPECT_EQ(GetSysColor(COLOR_WINDOW, light), light.color(QPalette::Base));
    EXPECT_EQ(ColorFromRef(RGB(1, 2, 3)), QColor(1, 2, 3));
    EXPECT_EQ(RefFromColor(QColor(1, 2, 3)), RGB(1, 2, 3));
    const ThemeColor system = COLOR_3DFACE;
    const ThemeColor fixed = QColor(Qt::red);
    EXPECT_EQ(system.Resolve(DarkPalette()), DarkPalette().color(QPalette::Button));
    EXPECT_EQ(fixed.Resolve(DarkPalette()), QColor(Qt::red));
}
