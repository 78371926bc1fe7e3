#include "controls/cmdui.h"
#include "controls/iconmenu.h"
#include "controlstest.h"
#include "platform/ui/menu.h"
#include "platform/ui/syscolor.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QStyleOptionMenuItem>
#include <QTest>
#include <gtest/gtest.h>
#include <set>

namespace {

struct SampleMenu {
    QMenu menu;
    QAction* newContact;
    QAction* separator;
    QAction* print;
    QAction* toolbar;
    QAction* find;
    QAction* remove;
    QAction* exit;
    QMenu* help;

    SampleMenu()
    {
        newContact = AppendMenuItem(&menu, 32770, "&New Contact");
        separator = menu.addSeparator();
        print = AppendMenuItem(&menu, 32991, "&Print_Ctrl+P");
        toolbar = AppendMenuItem(&menu, 32966, "&Toolbar");
        toolbar->setCheckable(true);
        toolbar->setChecked(true);
        find = AppendMenuItem(&menu, 32781, "&Find Contact");
        find->setCheckable(true);
        find->setChecked(true);
        remove = AppendMenuItem(&menu, 32773, "&Delete_Del");
        remove->setEnabled(false);
        help = menu.addMenu("&Help");
        AppendMenuItem(help, 57667, "&Help Topics_F1");
        menu.addSeparator();
        exit = AppendMenuItem(&menu, 57665, "E&xit_Alt+F4");
        menu.setDefaultAction(newContact);
    }

    void SetImages(CIconMenu& icons)
    {
        for (const auto& [id, image] :
            {std::pair{32770, 1}, {32991, 6}, {32781, 28}, {32773, 4}, {57667, 22}, {57665, 42}})
            icons.SetItemImage(image, id);
    }
};

QSize Measure(const CIconMenu& menu, const QString& text, QStyleOptionMenuItem::MenuItemType type)
{
    QStyleOptionMenuItem option;
    option.text = text;
    option.menuItemType = type;
    return menu.MeasureItem(&option);
}

class Target : public CCmdTarget {
public:
    bool OnUpdateCommandUI(CCmdUI& ui) override
    {
        if (ui.m_nID != 32770)
            return false;
        ui.SetCheck(1);
        return true;
    }
    bool HasCommandHandler(u32 id) override { return id == 32991 || id == 57667; }
};

}  // namespace

TEST(IconMenu, ConvertsEveryItemOnceAndLeavesTheBarsTopLevelPlain)
{
    SampleMenu sample;
    CIconMenu popup(true);
    popup.ConvertMenu(&sample.menu);
    EXPECT_EQ(popup.ItemCount(), 10);
    EXPECT_EQ(popup.ItemOf(sample.separator)->m_nImage, IconMenuItem::kSeparator);
    EXPECT_EQ(popup.ItemOf(sample.print)->m_nCmd, 32991);
    EXPECT_EQ(popup.ItemOf(sample.print)->m_text, "&Print_Ctrl+P");
    EXPECT_EQ(popup.ItemOf(sample.print)->m_nImage, IconMenuItem::kNoImage);
    EXPECT_EQ(popup.ItemOf(sample.help->menuAction())->m_nImage, IconMenuItem::kSubmenu);
    EXPECT_TRUE(popup.IsOwnerDrawItem(sample.exit));
    EXPECT_FALSE(popup.IsOwnerDrawItem(sample.separator));
    sample.SetImages(popup);
    EXPECT_EQ(popup.ItemOf(sample.print)->m_nImage, 6);

    popup.ConvertMenu(&sample.menu);
    EXPECT_EQ(popup.ItemCount(), 10);
    CIconMenu another(true);
    another.ConvertMenu(&sample.menu);
    EXPECT_EQ(another.ItemCount(), 0);

    QMenuBar bar;
    QMenu* file = bar.addMenu("&File");
    AppendMenuItem(file, 57665, "E&xit_Alt+F4");
    QMenu* view = bar.addMenu("&View");
    QMenu* sub = view->addMenu("&Toolbars");
    AppendMenuItem(sub, 32966, "&Toolbar");
    CIconMenu main;
    main.ConvertMenu(&bar);
    EXPECT_FALSE(main.ItemOf(file->menuAction()));
    EXPECT_TRUE(main.ItemOf(sub->menuAction()));
    EXPECT_EQ(main.ItemCount(), 3);
}

TEST(IconMenu, MeasuresTheAcceleratorColumnAndTheBoldDefault)
{
    CIconMenu menu(true);
    const QSize exit = Measure(menu, "E&xit_Alt+F4", QStyleOptionMenuItem::Normal);
    const QSize plain = Measure(menu, "E&xit", QStyleOptionMenuItem::Normal);
    QFont font = QApplication::font("QMenu");
    const QFontMetrics fm(font);
    EXPECT_EQ(exit.height(), std::max(20, fm.height()));
    // A gap of three average characters parts the label from the shortcut.
    EXPECT_EQ(exit.width(),
        fm.horizontalAdvance("ExitAlt+F4") + 3 * fm.averageCharWidth() + 2 + 15
            + std::max(exit.height(), 20));
    EXPECT_GT(CIconMenu::AccelGap(fm), 0);
    EXPECT_EQ(plain.width(), fm.horizontalAdvance("Exit") + 2 + 2 + std::max(plain.height(), 20));
    const QSize bold = Measure(menu, "E&xit", QStyleOptionMenuItem::DefaultItem);
    font.setWeight(QFont::Bold);
    EXPECT_EQ(bold.width(), QFontMetrics(font).horizontalAdvance("Exit") + 4 + std::max(bold.height(), 20));
    EXPECT_EQ(Measure(menu, "", QStyleOptionMenuItem::Separator), QSize(10, 6));
    EXPECT_EQ(Measure(menu, "", QStyleOptionMenuItem::Normal), QSize(100, 20));

    menu.OnSysColorChange();
    EXPECT_TRUE(menu.IsPopupMode());
}

TEST(IconMenu, DrawsImagesTicksAndTextsOnBothPalettes)
{
    ASSERT_TRUE(CIconMenu::LoadImageLists());
    EXPECT_EQ(CIconMenu::HotImages().Count(), 51);
    EXPECT_EQ(CIconMenu::NormalImages().Count(), 51);
    for (const auto& [name, palette] :
        {std::pair{"light", LightPalette()}, std::pair{"dark", DarkPalette()}}) {
        ScopedPalette scoped(palette);
        SampleMenu sample;
        CIconMenu icons(true);
        icons.ConvertMenu(&sample.menu);
        sample.SetImages(icons);
        sample.menu.popup(QPoint(20, 20));
        (void)QTest::qWaitForWindowExposed(&sample.menu);
        sample.menu.setActiveAction(sample.print);
        const QImage picture = Grab(&sample.menu);
        if (FontsAvailable())
            SavePicture(picture, QStringLiteral("iconmenu_%1").arg(name));

        const auto box = [&](QAction* a) { return sample.menu.actionGeometry(a); };
        // The selected item: highlighted right of its image box only.
        const QRect print = box(sample.print);
        EXPECT_EQ(Pixel(picture, print.x() + print.height() + 3, print.y() + 2),
            Rgb(GetSysColor(COLOR_HIGHLIGHT, palette)));
        EXPECT_NE(Pixel(picture, print.x() + 1, print.y() + 1), Rgb(GetSysColor(COLOR_HIGHLIGHT, palette)));
        // A checked command without an image: the tick in a sunken box.
        const QRect toolbar = box(sample.toolbar);
        EXPECT_EQ(Pixel(picture, toolbar.x(), toolbar.y() + 5), Rgb(GetSysColor(COLOR_3DSHADOW, palette)));
        EXPECT_EQ(Pixel(picture, toolbar.x() + toolbar.height() - 1, toolbar.y() + 5),
            Rgb(GetSysColor(COLOR_3DHILIGHT, palette)));
        const QPoint tick
            = toolbar.topLeft() + QPoint((toolbar.height() - 16) / 2, (toolbar.height() - 16) / 2);
        EXPECT_EQ(Pixel(picture, tick.x() + 5, tick.y() + 9), Rgb(Qt::black));
        // The etched separator.
        const QRect separator = box(sample.separator);
        EXPECT_EQ(
            Pixel(picture, separator.x() + 20, separator.y() + 2), Rgb(GetSysColor(COLOR_3DSHADOW, palette)));
        EXPECT_EQ(Pixel(picture, separator.x() + 20, separator.y() + 3),
            Rgb(GetSysColor(COLOR_3DHILIGHT, palette)));
        // A disabled command's text: grey with a light relief on the light
        // menu, which inks more pixels than the same text enabled; on the
        // dark menu the relief would smear the text, so there is none.
        if (FontsAvailable()) {
            const QRect text = box(sample.remove).adjusted(box(sample.remove).height(), 0, 0, 0);
            const QRgb menuColour = Rgb(GetSysColor(COLOR_MENU, palette));
            const auto inked = [&](const QImage& image) {
                int n = 0;
                for (int y = text.top(); y <= text.bottom(); ++y)
                    for (int x = text.left(); x <= text.right(); ++x)
                        n += Pixel(image, x, y) != menuColour;
                return double(n);
            };
            const double disabled = inked(picture);
            sample.remove->setEnabled(true);
            const double ratio = disabled / inked(Grab(&sample.menu));
            if (name == std::string_view("dark"))
                EXPECT_LT(ratio, 1.1);
            else
                EXPECT_GT(ratio, 1.2);
        }
        sample.menu.close();
    }
}

TEST(IconMenu, UpdateCommandUiAsksTheTargetForEveryCommand)
{
    SampleMenu sample;
    Target target;
    CIconMenu icons(true);
    icons.ConvertMenu(&sample.menu);
    icons.UpdateCmdUI(&sample.menu, &target);
    EXPECT_TRUE(sample.newContact->isChecked());
    // Its update handler only checks it, and it has no command handler.
    EXPECT_FALSE(sample.newContact->isEnabled());
    EXPECT_TRUE(sample.print->isEnabled());
    EXPECT_TRUE(sample.help->actions().front()->isEnabled());
    EXPECT_FALSE(sample.exit->isEnabled());
    EXPECT_FALSE(sample.toolbar->isEnabled());
}
