#include "controls/colorbutton.h"
#include "controls/colorpopup.h"
#include "controls/flatbutton.h"
#include "controls/menubutton.h"
#include "controlstest.h"
#include "platform/msgbox.h"
#include "platform/ui/menu.h"
#include "platform/ui/syscolor.h"
#include "platform/ui/window.h"
#include "platform/ui/wndmessage.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

void SendMouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButtons buttons)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, w->mapToGlobal(at), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

QIcon SolidIcon(const QColor& colour)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

// A dialog that owns a menu button, fills its menu and hears its commands.
class MenuHost : public QWidget, public CDropMenuOwner {
public:
    quintptr askedFor = 0;
    u32 command = 0;

protected:
    bool event(QEvent* e) override
    {
        if (e->type() != WindowMessageEvent::EventType())
            return QWidget::event(e);
        auto* message = static_cast<WindowMessageEvent*>(e);
        if (message->Message() == WM_GETDROPMENU()) {
            askedFor = message->WParam();
            auto* menu = reinterpret_cast<QMenu*>(message->LParam());
            AppendMenuItem(menu, ID_DROPMENU_PHONE_TYPE, "Business");
            AppendMenuItem(menu, ID_DROPMENU_PHONE_TYPE, "Home");
            AppendMenuItem(menu, 40000, "Not passed on");
        } else if (message->Message() == WM_COMMAND) {
            command = LOWORD(message->WParam());
        }
        return true;
    }
};

// Runs the pop-up with an action done once it shows; returns its result.
int RunPopup(CColorPopup& popup, const std::function<void()>& whileOpen)
{
    QTimer::singleShot(0, &popup, [&] {
        (void)QTest::qWaitForWindowExposed(&popup);
        whileOpen();
        if (popup.isVisible())
            popup.done(IDCANCEL);
    });
    return popup.DoModal();
}

}  // namespace

TEST(FlatButton, HoverFollowsTheMouseButNotADragFromOutside)
{
    QWidget window;
    auto* button = new CFlatButton("&Find now", &window);
    button->setGeometry(10, 10, 90, 26);
    window.resize(200, 60);
    window.show();
    const QPoint inside(20, 10);
    const QPoint outside(150, 10);
    SendMouse(button, QEvent::MouseMove, inside, Qt::NoButton);
    EXPECT_TRUE(button->IsHover());
    SendMouse(button, QEvent::MouseButtonPress, inside, Qt::LeftButton);
    EXPECT_TRUE(button->isDown());
    SendMouse(button, QEvent::MouseMove, outside, Qt::LeftButton);
    EXPECT_FALSE(button->IsHover());
    EXPECT_FALSE(button->isDown());
    SendMouse(button, QEvent::MouseMove, inside, Qt::LeftButton);
    EXPECT_FALSE(button->IsHover());
    SendMouse(button, QEvent::MouseButtonRelease, inside, Qt::NoButton);
    SendMouse(button, QEvent::MouseMove, inside, Qt::NoButton);
    EXPECT_TRUE(button->IsHover());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(button, &leave);
    EXPECT_FALSE(button->IsHover());
    // No flat handler: the button draws itself.
    EXPECT_TRUE(button->property("ownerDraw").toBool());
}

TEST(FlatButton, PicturesOfItsStatesAndAnIconWithoutText)
{
    for (const auto& [name, palette] :
        {std::pair{"light", LightPalette()}, std::pair{"dark", DarkPalette()}}) {
        ScopedPalette scoped(palette);
        QWidget window;
        auto* layout = new QHBoxLayout(&window);
        auto* button = new CFlatButton("&Find now");
        button->SetIconHandles(SolidIcon(Qt::red), SolidIcon(Qt::darkRed), 16, 16);
        button->setFixedSize(100, 28);
        layout->addWidget(button);
        auto* other = new CFlatButton("Other");
        layout->addWidget(other);
        Grab(&window);
        other->setFocus();
        QList<QImage> states{Grab(button)};
        SendMouse(button, QEvent::MouseMove, QPoint(5, 5), Qt::NoButton);
        states << Grab(button);
        button->setFocus();
        SendMouse(button, QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton);
        states << Grab(button);
        SendMouse(button, QEvent::MouseButtonRelease, QPoint(5, 5), Qt::NoButton);
        button->setEnabled(false);
        states << Grab(button);
        SavePicture(Montage(states), QStringLiteral("flatbutton_idle_hot_pressed_disabled_%1").arg(name));

        // Idle: highlight top-left, shadow bottom-right; hot: the dark shadow outside.
        const QColor shadow = GetSysColor(COLOR_3DSHADOW, palette);
        EXPECT_EQ(Pixel(states[0], 99, 14), Rgb(shadow));
        EXPECT_EQ(Pixel(states[1], 99, 14), Rgb(GetSysColor(COLOR_3DDKSHADOW, palette)));
        EXPECT_EQ(Pixel(states[2], 0, 14), Rgb(Qt::black));
        // Disabled text and icon still read on the face: the light look keeps
        // its shadow colour, the dark one takes its grey text.
        const QColor face = GetSysColor(COLOR_3DFACE, palette);
        const double wanted = name == std::string_view("dark") ? 3.0 : 2.0;
        EXPECT_GE(ContrastRatio(QColor(Pixel(states[3], 11, 14)), face), wanted) << name;
        EXPECT_GE(StrongestContrast(states[3], QRect(22, 3, 75, 22), face), wanted) << name;
    }

    QWidget window;
    auto* iconOnly = new CFlatButton(&window);
    iconOnly->SetIconHandles(SolidIcon(Qt::red), SolidIcon(Qt::blue), 16, 16);
    iconOnly->SetShowText(false);
    iconOnly->setGeometry(0, 0, 40, 30);
    const QImage picture = Grab(iconOnly);
    EXPECT_EQ(Pixel(picture, 20, 15), Rgb(Qt::blue));
    EXPECT_EQ(Pixel(picture, 12, 7), Rgb(Qt::blue));
    EXPECT_EQ(Pixel(picture, 27, 22), Rgb(Qt::blue));
    EXPECT_NE(Pixel(picture, 11, 15), Rgb(Qt::blue));
    SendMouse(iconOnly, QEvent::MouseMove, QPoint(5, 5), Qt::NoButton);
    EXPECT_EQ(Pixel(Grab(iconOnly), 20, 15), Rgb(Qt::red));
}

TEST(MenuButton, AsksItsParentForTheMenuAndPassesTypeCommandsOn)
{
    MenuHost host;
    auto* button = new CMenuButton("Business...", &host);
    SetDlgCtrlID(button, 1075);
    button->setGeometry(5, 5, 100, 24);
    host.resize(200, 100);
    host.show();
    (void)QTest::qWaitForWindowExposed(&host);

    const auto pick = [](int downs) {
        QTimer::singleShot(0, [downs] {
            QWidget* menu = QApplication::activePopupWidget();
            ASSERT_TRUE(menu);
            for (int i = 0; i < downs; ++i)
                QTest::keyClick(menu, Qt::Key_Down);
            QTest::keyClick(menu, Qt::Key_Return);
        });
    };
    pick(2);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(host.askedFor, 1075u);
    EXPECT_EQ(host.command, ID_DROPMENU_PHONE_TYPE);
    EXPECT_EQ(host.m_nDropMenuSel, 1);
    EXPECT_FALSE(button->isDown());

    host.command = 0;
    pick(3);
    button->setFocus();
    QTest::keyClick(button, Qt::Key_Space);
    EXPECT_EQ(host.m_nDropMenuSel, 2);
    EXPECT_EQ(host.command, 0u);
}

TEST(ColorButton, PicturesShowTheColourAndTheArrow)
{
    for (const auto& [name, palette] :
        {std::pair{"light", LightPalette()}, std::pair{"dark", DarkPalette()}}) {
        ScopedPalette scoped(palette);
        QWidget window;
        auto* button = new CColorButton(&window);
        button->SetColor(RGB(0, 128, 0));
        button->setGeometry(0, 0, 70, 24);
        QList<QImage> states{Grab(button)};
        EXPECT_EQ(Pixel(states[0], 15, 12), Rgb(QColor(0, 128, 0)));
        button->setDown(true);
        states << Grab(button);
        button->setDown(false);
        button->setEnabled(false);
        states << Grab(button);
        EXPECT_NE(Pixel(states[2], 15, 12), Rgb(QColor(0, 128, 0)));
        SavePicture(Montage(states), QStringLiteral("colorbutton_normal_pressed_disabled_%1").arg(name));
        // The arrow stops a pixel short of the separator, relief included.
        const int separator = 70 - 8;
        const QRgb face = Rgb(GetSysColor(COLOR_3DFACE, palette));
        for (const int state : {0, 2}) {
            EXPECT_EQ(Pixel(states[state], separator, 12), Rgb(GetSysColor(COLOR_3DSHADOW, palette)));
            for (int y = 6; y < 18; ++y)
                EXPECT_EQ(Pixel(states[state], separator - 1, y), face) << name << " " << state << " " << y;
        }
        EXPECT_EQ(Pixel(states[0], separator - 7, 10), Rgb(GetSysColor(COLOR_WINDOWFRAME, palette)));
    }
}

class ColorPopupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_window.resize(120, 40);
        m_button = new CColorButton(&m_window);
        m_button->setGeometry(10, 5, 70, 24);
        m_window.show();
        (void)QTest::qWaitForWindowExposed(&m_window);
    }
    void TearDown() override { CColorPopup::SetColorDialogRunner({}); }

    QWidget m_window;
    CColorButton* m_button = nullptr;
};

TEST_F(ColorPopupTest, OpensBelowTheButtonOrAboveItAtTheScreenEdge)
{
    const QRect screen = m_window.screen()->geometry();
    m_window.move(screen.left() + 20, screen.top() + 20);
    QApplication::processEvents();
    CColorPopup below(m_button);
    QRect placed;
    RunPopup(below, [&] { placed = below.frameGeometry(); });
    EXPECT_EQ(placed.topLeft(), m_button->mapToGlobal(QPoint(0, m_button->height())));

    m_window.move(screen.right() - 60, screen.bottom() - 45);
    QApplication::processEvents();
    CColorPopup above(m_button);
    RunPopup(above, [&] {
        placed = above.frameGeometry();
        if (FontsAvailable())
            SavePicture(Grab(&above), QStringLiteral("colorpopup_light"));
    });
    EXPECT_EQ(placed.bottom() + 1, m_button->mapToGlobal(QPoint(0, 0)).y());
    EXPECT_EQ(placed.right(), screen.right());

    ScopedPalette dark(DarkPalette());
    CColorPopup onDark(m_button);
    RunPopup(onDark, [&] {
        if (FontsAvailable())
            SavePicture(Grab(&onDark), QStringLiteral("colorpopup_dark"));
    });
}

TEST_F(ColorPopupTest, FocusesThePaletteSwatchOrShowsTheCurrentColour)
{
    CColorPopup::s_currentColor = 0x808080;
    CColorPopup inPalette(m_button);
    RunPopup(inPalette, [&] {
        EXPECT_FALSE(inPalette.Swatch(CColorPopup::kCurrentSwatchId)->isVisible());
        EXPECT_EQ(inPalette.focusWidget(), inPalette.Swatch(CColorPopup::kFirstSwatchId + 3));
    });

    CColorPopup::s_currentColor = 0x123456;
    CColorPopup custom(m_button);
    RunPopup(custom, [&] {
        QAbstractButton* current = custom.Swatch(CColorPopup::kCurrentSwatchId);
        EXPECT_TRUE(current->isVisible());
        EXPECT_EQ(custom.focusWidget(), current);
        EXPECT_EQ(Pixel(current->grab().toImage(), current->width() / 2, current->height() / 2),
            Rgb(ColorFromRef(0x123456)));
    });
}

TEST_F(ColorPopupTest, ClicksChooseOrCancel)
{
    CColorPopup::s_currentColor = 0x123456;
    CColorPopup outside(m_button);
    EXPECT_EQ(RunPopup(outside, [&] { QTest::mousePress(&outside, Qt::LeftButton, {}, QPoint(-20, -20)); }),
        IDCANCEL);
    EXPECT_EQ(CColorPopup::s_currentColor, 0x123456u);

    CColorPopup red(m_button);
    EXPECT_EQ(RunPopup(red,
                  [&] {
                      QWidget* swatch = red.Swatch(CColorPopup::kFirstSwatchId + 4);
                      QTest::mousePress(swatch, Qt::LeftButton);
                      QTest::mouseRelease(swatch, Qt::LeftButton);
                  }),
        IDOK);
    EXPECT_EQ(CColorPopup::s_currentColor, 0x0000FFu);

    CColorPopup empty(m_button);
    EXPECT_EQ(
        RunPopup(empty, [&] { QTest::mouseRelease(&empty, Qt::LeftButton, {}, QPoint(2, 2)); }), IDCANCEL);
    EXPECT_EQ(CColorPopup::s_currentColor, 0x0000FFu);
}

TEST_F(ColorPopupTest, OtherColourCancelledKeepsTheColour)
{
    bool asked = false;
    CColorPopup::SetColorDialogRunner([&](QWidget* owner, COLORREF& colour, std::array<COLORREF, 16>&) {
        asked = true;
        EXPECT_EQ(owner, m_button);
        EXPECT_EQ(colour, 0x00FF00u);
        colour = 0x445566;
        return false;
    });
    CColorPopup::s_currentColor = 0x00FF00;
    CColorPopup cancelled(m_button);
    EXPECT_EQ(RunPopup(cancelled,
                  [&] {
                      QWidget* other = cancelled.Swatch(CColorPopup::kOtherId);
                      QTest::mouseRelease(other, Qt::LeftButton);
                  }),
        IDCANCEL);
    EXPECT_TRUE(asked);
    EXPECT_EQ(CColorPopup::s_currentColor, 0x00FF00u);

    CColorPopup::SetColorDialogRunner([](QWidget*, COLORREF& colour, std::array<COLORREF, 16>& custom) {
        colour = 0x445566;
        custom[0] = 0x445566;
        return true;
    });
    CColorPopup chosen(m_button);
    EXPECT_EQ(RunPopup(chosen,
                  [&] {
                      chosen.Swatch(CColorPopup::kOtherId)->setFocus();
                      QTest::keyClick(&chosen, Qt::Key_Return);
                  }),
        IDOK);
    EXPECT_EQ(CColorPopup::s_currentColor, 0x445566u);
    EXPECT_EQ(CColorPopup::s_customColors[0], 0x445566u);
}

TEST_F(ColorPopupTest, KeysOnTheFocusedControlActAsItsCommand)
{
    CColorPopup::SetColorDialogRunner([&](QWidget*, COLORREF& colour, std::array<COLORREF, 16>&) {
        colour = 0x445566;
        return true;
    });
    CColorPopup other(m_button);
    EXPECT_EQ(RunPopup(other,
                  [&] {
                      QWidget* button = other.Swatch(CColorPopup::kOtherId);
                      button->setFocus();
                      QTest::keyClick(button, Qt::Key_Return);
                  }),
        IDOK);
    EXPECT_EQ(CColorPopup::s_currentColor, 0x445566u);

    CColorPopup swatch(m_button);
    EXPECT_EQ(RunPopup(swatch,
                  [&] {
                      QWidget* black = swatch.Swatch(CColorPopup::kFirstSwatchId + 1);
                      black->setFocus();
                      QTest::keyClick(black, Qt::Key_Space);
                  }),
        IDOK);
    EXPECT_EQ(CColorPopup::s_currentColor, 0u);
}
