#include "controls/flatbutton.h"
#include "controls/flatctrlman.h"
#include "controls/flatdraw.h"
#include "controls/flathandlers.h"
#include "controlstest.h"
#include "platform/ui/syscolor.h"
#include "platform/ui/window.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QDateEdit>
#include <QDialog>
#include <QGridLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>
#include <QStyleOptionSlider>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

// One dialog with a control of every kind the flat look handles.
struct Gallery {
    QDialog dialog;
    QLineEdit* edit = new QLineEdit("Edit");
    QLineEdit* readOnly = new QLineEdit("Read-only");
    QLineEdit* narrow = new QLineEdit("7");
    QLineEdit* disabled = new QLineEdit("Disabled");
    QComboBox* dropList = new QComboBox;
    QComboBox* dropDown = new QComboBox;
    QSpinBox* spin = new QSpinBox;
    QDateEdit* date = new QDateEdit(QDate(2024, 3, 1));
    QCheckBox* check = new QCheckBox("Check");
    QCheckBox* checked = new QCheckBox("Checked");
    QRadioButton* radio = new QRadioButton("Radio");
    QPushButton* ok = new QPushButton("OK");
    QPushButton* push = new QPushButton("Push");
    QListWidget* list = new QListWidget;
    QTreeWidget* tree = new QTreeWidget;
    QSlider* slider = new QSlider(Qt::Horizontal);
    QScrollBar* bar = new QScrollBar(Qt::Horizontal);
    QTabWidget* tabs = new QTabWidget;

    Gallery()
    {
        readOnly->setReadOnly(true);
        narrow->setFixedWidth(26);
        disabled->setEnabled(false);
        dropList->addItems({"Drop-down list", "Two"});
        dropDown->setEditable(true);
        dropDown->addItems({"Drop-down", "Two"});
        spin->setValue(5);
        date->setCalendarPopup(true);
        checked->setChecked(true);
        radio->setChecked(true);
        ok->setDefault(true);
        for (int i = 0; i < 20; ++i)
            list->addItem(QStringLiteral("Item %1").arg(i));
        list->setFixedHeight(80);
        tree->setHeaderLabels({"Name", "Phone", "E-mail"});
        tree->header()->setSectionsClickable(true);
        tree->addTopLevelItem(new QTreeWidgetItem(QStringList{"Anna", "555-0100"}));
        tree->setFixedHeight(80);
        slider->setTickPosition(QSlider::TicksBelow);
        slider->setRange(0, 10);
        slider->setValue(3);
        bar->setRange(0, 100);
        bar->setPageStep(20);
        tabs->addTab(new QWidget, "General");
        tabs->addTab(new QWidget, "Personal");
        tabs->addTab(new QWidget, "Advanced");
        tabs->setFixedHeight(60);
        auto* grid = new QGridLayout(&dialog);
        int row = 0;
        grid->addWidget(edit, row, 0);
        grid->addWidget(readOnly, row, 1);
        grid->addWidget(narrow, row++, 2);
        grid->addWidget(dropList, row, 0);
        grid->addWidget(dropDown, row, 1);
        grid->addWidget(disabled, row++, 2);
        grid->addWidget(spin, row, 0);
        grid->addWidget(date, row++, 1);
        grid->addWidget(check, row, 0);
        grid->addWidget(checked, row, 1);
        grid->addWidget(radio, row++, 2);
        grid->addWidget(ok, row, 0);
        grid->addWidget(push, row++, 1);
        grid->addWidget(list, row, 0);
        grid->addWidget(tree, row++, 1, 1, 2);
        grid->addWidget(slider, row, 0);
        grid->addWidget(bar, row++, 1, 1, 2);
        grid->addWidget(tabs, row++, 0, 1, 3);
        dialog.resize(480, 430);
        dialog.show();
        (void)QTest::qWaitForWindowExposed(&dialog);
    }
};

QColor Sys(int index)
{
    return GetSysColor(index, QApplication::palette());
}

// Puts the mouse over a widget (or nowhere) and runs one step of hot tracking.
void HoverOver(QWidget* widget, QPoint at = QPoint(3, 3))
{
    QCursor::setPos(widget ? widget->mapToGlobal(at) : QPoint(-500, -500));
    GetFlatCtrlMan().TimerProc();
    QApplication::processEvents();
}

class FlatCtrlManTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureFlatLook(); }
    void TearDown() override { HoverOver(nullptr); }
};

}  // namespace

TEST_F(FlatCtrlManTest, PicturesOnTheLightAndDarkPalettes)
{
    if (!FontsAvailable())
        GTEST_SKIP() << "no font";
    for (const auto& [name, palette] :
        {std::pair{"light", LightPalette()}, std::pair{"dark", DarkPalette()}}) {
        ScopedPalette scoped(palette);
        Gallery g;
        g.edit->setFocus();
        HoverOver(g.tree->header(), QPoint(10, 5));
        SavePicture(Grab(&g.dialog), QStringLiteral("flat_gallery_%1").arg(name));
        HoverOver(g.check, QPoint(5, 5));
        SavePicture(Grab(g.check), QStringLiteral("flat_check_hot_%1").arg(name));
        HoverOver(g.tabs->findChild<QTabBar*>(), QPoint(90, 8));
        SavePicture(Grab(g.tabs), QStringLiteral("flat_tabs_hot_%1").arg(name));
        HoverOver(g.slider, QPoint(40, 8));
        SavePicture(Grab(g.slider), QStringLiteral("flat_slider_hot_%1").arg(name));
    }
}

TEST_F(FlatCtrlManTest, EditBordersShowIdleFocusedReadOnlyNarrowAndDisabled)
{
    ScopedPalette scoped(LightPalette());
    Gallery g;
    g.push->setFocus();
    QApplication::processEvents();
    const QImage idle = Grab(g.edit);
    EXPECT_EQ(Pixel(idle, 0, 5), Rgb(Sys(COLOR_3DSHADOW)));
    EXPECT_EQ(Pixel(idle, idle.width() - 1, 5), Rgb(Sys(COLOR_3DHILIGHT)));
    EXPECT_EQ(Pixel(idle, 1, 5), Rgb(Sys(COLOR_3DLIGHT)));

    g.edit->setFocus();
    QApplication::processEvents();
    const QImage focused = Grab(g.edit);
    EXPECT_EQ(Pixel(focused, 1, 5), Rgb(Sys(COLOR_3DDKSHADOW)));
    EXPECT_EQ(Pixel(focused, focused.width() - 2, 5), Rgb(Sys(COLOR_3DLIGHT)));

    EXPECT_EQ(Pixel(Grab(g.readOnly), 1, 5), Rgb(Sys(COLOR_3DFACE)));
    EXPECT_EQ(Pixel(Grab(g.disabled), 1, 5), Rgb(Sys(COLOR_3DFACE)));
    const QImage narrow = Grab(g.narrow);
    EXPECT_EQ(Pixel(narrow, 1, 5), Rgb(Sys(COLOR_3DFACE)));
    EXPECT_EQ(Pixel(narrow, narrow.width() - 2, 5), Rgb(Sys(COLOR_3DLIGHT)));
    EXPECT_TRUE(GetFlatCtrlMan().Find(g.narrow)->State() & CFlatCtrlHandler::kNarrow);
}

TEST_F(FlatCtrlManTest, ButtonsBoxesAndCirclesLightUpUnderTheMouse)
{
    ScopedPalette scoped(LightPalette());
    Gallery g;
    g.edit->setFocus();
    // The default button: a dark outer frame, a lighter one inside.
    const QImage ok = Grab(g.ok);
    EXPECT_EQ(Pixel(ok, 0, 5), Rgb(Sys(COLOR_3DDKSHADOW)));
    EXPECT_EQ(Pixel(ok, 1, 5), Rgb(Sys(COLOR_3DHILIGHT)));
    const QImage push = Grab(g.push);
    EXPECT_EQ(Pixel(push, 0, 5), Rgb(Sys(COLOR_3DHILIGHT)));
    EXPECT_EQ(Pixel(push, push.width() - 1, 5), Rgb(Sys(COLOR_3DSHADOW)));
    HoverOver(g.push);
    EXPECT_EQ(Pixel(Grab(g.push), push.width() - 1, 5), Rgb(Sys(COLOR_3DDKSHADOW)));

    const int boxTop = (g.check->height() - 13) / 2;
    EXPECT_EQ(Pixel(Grab(g.check), 1, boxTop + 1), Rgb(Sys(COLOR_WINDOW)));
    HoverOver(g.check);
    EXPECT_EQ(Pixel(Grab(g.check), 0, boxTop + 5), Rgb(Sys(COLOR_3DDKSHADOW)));
    EXPECT_EQ(Pixel(Grab(g.check), 1, boxTop + 5), Rgb(Sys(COLOR_3DSHADOW)));

    // Radio ring pixel (0,5) of the outer upper-left arc, inner (1,5).
    const int circleTop = (g.radio->height() - 13) / 2;
    EXPECT_EQ(Pixel(Grab(g.radio), 1, circleTop + 5), Rgb(Sys(COLOR_3DSHADOW)));
    EXPECT_EQ(Pixel(Grab(g.radio), 2, circleTop + 5), Rgb(Sys(COLOR_WINDOW)));
    HoverOver(g.radio);
    EXPECT_EQ(Pixel(Grab(g.radio), 2, circleTop + 5), Rgb(Sys(COLOR_3DDKSHADOW)));
}

TEST_F(FlatCtrlManTest, ChoosesHandlersByKindAndLeavesOthersPlain)
{
    Gallery g;
    auto& man = GetFlatCtrlMan();
    EXPECT_TRUE(dynamic_cast<CFlatEditHandler*>(man.Find(g.edit)));
    EXPECT_TRUE(dynamic_cast<CFlatComboHandler*>(man.Find(g.dropList)));
    EXPECT_TRUE(dynamic_cast<CFlatComboHandler*>(man.Find(g.dropDown)));
    EXPECT_TRUE(dynamic_cast<CFlatDateTimeHandler*>(man.Find(g.date)));
    EXPECT_TRUE(dynamic_cast<CFlatSpinHandler*>(man.Find(g.spin)));
    EXPECT_TRUE(dynamic_cast<CFlatPushButtonHandler*>(man.Find(g.ok)));
    EXPECT_TRUE(dynamic_cast<CFlatHeaderHandler*>(man.Find(g.tree->header())));
    EXPECT_TRUE(dynamic_cast<CFlatScrollBarHandler*>(man.Find(g.bar)));
    EXPECT_TRUE(dynamic_cast<CFlatTrackBarHandler*>(man.Find(g.slider)));
    EXPECT_TRUE(dynamic_cast<CFlatTabHandler*>(man.Find(g.tabs->findChild<QTabBar*>())));
    // The edit inside a combo box, a list's own scroll bar, a group of
    // things without a border: no handler.
    EXPECT_FALSE(man.Find(g.dropDown->lineEdit()));
    EXPECT_FALSE(man.Find(g.list->verticalScrollBar()));
    EXPECT_FALSE(man.Find(&g.dialog));

    QDialog other;
    auto* layout = new QGridLayout(&other);
    auto* bare = new QLineEdit;
    bare->setFrame(false);
    auto* flat = new QPushButton("Flat");
    flat->setFlat(true);
    auto* own = new CFlatButton("Own");
    auto* plainHeader = new QTreeWidget;
    plainHeader->header()->setSectionsClickable(false);
    for (QWidget* w : {static_cast<QWidget*>(bare), static_cast<QWidget*>(flat), static_cast<QWidget*>(own),
             static_cast<QWidget*>(plainHeader)})
        layout->addWidget(w);
    Grab(&other);
    EXPECT_FALSE(man.Find(bare));
    EXPECT_FALSE(man.Find(flat));
    EXPECT_FALSE(man.Find(own));
    EXPECT_FALSE(man.Find(plainHeader->header()));
    EXPECT_TRUE(man.Find(plainHeader));
}

TEST_F(FlatCtrlManTest, OptOutKeepsTheWindowAndItsDirectChildrenNative)
{
    QDialog dialog;
    auto* layout = new QGridLayout(&dialog);
    auto* own = new QLineEdit("own look");
    SetWindowUserData(own, kFlatOptOut);
    auto* panel = new QWidget;
    SetWindowUserData(panel, kFlatOptOut);
    auto* child = new QLineEdit("child", panel);
    auto* inner = new QWidget(panel);
    auto* grandchild = new QLineEdit("grandchild", inner);
    layout->addWidget(own);
    layout->addWidget(panel);
    Grab(&dialog);
    EXPECT_FALSE(GetFlatCtrlMan().Find(own));
    EXPECT_FALSE(GetFlatCtrlMan().Find(child));
    EXPECT_TRUE(GetFlatCtrlMan().Find(grandchild));
    SavePicture(Grab(own), QStringLiteral("flat_optout_native"));
}

TEST_F(FlatCtrlManTest, HotStateFollowsTheMouseAndNeverAStaleControl)
{
    Gallery g;
    auto& man = GetFlatCtrlMan();
    HoverOver(g.edit);
    EXPECT_EQ(man.HotWindow(), g.edit);
    EXPECT_TRUE(man.Find(g.edit)->State() & CFlatCtrlHandler::kHot);
    // Over the list's inner viewport: the list is the control.
    HoverOver(g.list->viewport(), QPoint(10, 10));
    EXPECT_EQ(man.HotWindow(), g.list);
    EXPECT_FALSE(man.Find(g.edit)->State() & CFlatCtrlHandler::kHot);
    HoverOver(&g.dialog, QPoint(1, 1));
    EXPECT_EQ(man.HotWindow(), nullptr);

    // While a drag holds the mouse nothing moves.
    HoverOver(g.edit);
    g.push->grabMouse();
    HoverOver(g.spin);
    EXPECT_EQ(man.HotWindow(), g.edit);
    g.push->releaseMouse();

    // A control that goes away is no longer the hot one.
    man.RemoveControl(g.edit);
    EXPECT_EQ(man.HotWindow(), nullptr);
    HoverOver(g.spin);
    ASSERT_EQ(man.HotWindow(), g.spin);
    delete g.spin;
    EXPECT_EQ(man.HotWindow(), nullptr);
    HoverOver(g.push);
    EXPECT_EQ(man.HotWindow(), g.push);
}

TEST_F(FlatCtrlManTest, HeaderItemsTrackTheMouseAndLightTheirList)
{
    Gallery g;
    auto& man = GetFlatCtrlMan();
    QHeaderView* header = g.tree->header();
    auto* handler = dynamic_cast<CFlatHeaderHandler*>(man.Find(header));
    ASSERT_TRUE(handler);
    HoverOver(header, QPoint(header->sectionPosition(0) + 5, 5));
    EXPECT_EQ(handler->HotItem(), 0);
    EXPECT_TRUE(man.Find(g.tree)->State() & CFlatCtrlHandler::kHot);
    HoverOver(header, QPoint(header->sectionPosition(1) + 5, 5));
    EXPECT_EQ(man.HotWindow(), header);
    EXPECT_EQ(handler->HotItem(), 1);
    HoverOver(nullptr);
    EXPECT_EQ(handler->HotItem(), -1);
    EXPECT_FALSE(man.Find(g.tree)->State() & CFlatCtrlHandler::kHot);
}

TEST_F(FlatCtrlManTest, UninstallingStopsTheTimerAndInstallingAgainRestartsIt)
{
    Gallery g;
    auto& man = GetFlatCtrlMan();
    ASSERT_TRUE(man.IsTimerRunning());
    EXPECT_TRUE(man.UninstallHook());
    EXPECT_FALSE(man.IsHooked());
    EXPECT_FALSE(man.IsTimerRunning());
    EXPECT_FALSE(man.UninstallHook());

    QDialog later;
    auto* edit = new QLineEdit(&later);
    Grab(&later);
    EXPECT_FALSE(man.Find(edit));

    EXPECT_TRUE(man.InstallHook());
    EXPECT_TRUE(man.IsTimerRunning());
}

TEST(FlatScrollBar, ThumbNeverDividesByZeroAndKeepsItsMinimum)
{
    QStyleOptionSlider o;
    o.orientation = Qt::Vertical;
    o.minimum = 0;
    o.maximum = 100;
    o.pageStep = 20;
    o.sliderPosition = 50;
    auto [start, length] = CFlatScrollBarHandler::ThumbGeometry(&o, 120);
    EXPECT_EQ(length, 20);
    EXPECT_EQ(start, 50);
    o.sliderPosition = 100;
    EXPECT_EQ(CFlatScrollBarHandler::ThumbGeometry(&o, 120).first, 100);
    // Nothing to scroll: the thumb fills the track, and there is no division.
    o.maximum = 0;
    EXPECT_EQ(CFlatScrollBarHandler::ThumbGeometry(&o, 120), std::make_pair(0, 0));
    o.pageStep = 0;
    EXPECT_EQ(CFlatScrollBarHandler::ThumbGeometry(&o, 120), std::make_pair(0, 0));
    // No page: a fixed thumb; a huge range: at least the minimum.
    o.maximum = 100;
    EXPECT_EQ(CFlatScrollBarHandler::ThumbGeometry(&o, 120).second, SM_CXHTHUMB);
    o.maximum = 2000000000;
    o.pageStep = 1;
    o.sliderPosition = 2000000000;
    const auto [farStart, minLength] = CFlatScrollBarHandler::ThumbGeometry(&o, 120);
    EXPECT_EQ(minLength, CFlatScrollBarHandler::kMinThumb);
    EXPECT_EQ(farStart, 120 - CFlatScrollBarHandler::kMinThumb);
    EXPECT_EQ(CFlatScrollBarHandler::ThumbGeometry(&o, 0), std::make_pair(0, 0));
}
