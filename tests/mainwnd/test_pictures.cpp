// Pictures of the main window for review, in both palettes, and what a
// person would see wrong in them.
#include "framefixture.h"
#include "mainwnd/alphabetbar.h"
#include "mainwnd/bookbanner.h"
#include "mainwnd/gridcontactview.h"
#include "mainwnd/rgridctrl.h"
#include "support/pictures.h"

#include <QToolButton>

TEST_F(FrameTest, PicturesOfTheMainWindow)
{
    if (!FontsAvailable())
        GTEST_SKIP() << "no font";
    for (int i = 0; i < 40; ++i)
        AddContact("Contact " + std::to_string(i));
    Container().SetEditingHooks(&m_editing);
    Container().RefreshForBook();
    CRGridCtrl* grid = static_cast<CGridContactView&>(Grid()).Ctrl();
    Select({25});
    for (const bool dark : {false, true}) {
        ScopedPalette palette(dark ? DarkPalette() : LightPalette());
        QApplication::processEvents();
        const QImage picture = Grab(&Frame());
        SavePicture(picture, QStringLiteral("mainframe-%1").arg(dark ? "dark" : "light"));
        if (dark) {
            // The alphabet's own colour gives way where it would not be read.
            EXPECT_EQ(Container().AlphabetBar()->palette().color(QPalette::ButtonText),
                DarkPalette().color(QPalette::ButtonText));
        }
        const QStringList faults = LayoutFaults(&Frame());
        EXPECT_TRUE(faults.isEmpty()) << faults.join(u'\n').toStdString();
        // The selected row is on screen, drawn in the selection colour.
        const int row = grid->GetNextSelectedRow(-1);
        EXPECT_GE(row, grid->GetFirstVisibleRow());
        EXPECT_LE(row, grid->GetLastFullRow());
    }

    // With the pane closed a long book name ends in an ellipsis before the
    // drop arrow, and the button stays inside the banner.
    Trigger(ID_VIEW_BOOKTREE);
    Container().Banner()->SetBookName(QString(120, u'W'));
    QApplication::processEvents();
    QToolButton* button = Container().Banner()->BookButton();
    EXPECT_TRUE(button->text().endsWith(u'\u25BE'));
    EXPECT_TRUE(button->text().contains(u'\u2026'));
    EXPECT_LE(button->sizeHint().width(), button->width());
    EXPECT_TRUE(Container().Banner()->rect().contains(button->geometry()));
    SavePicture(Grab(&Frame()), QStringLiteral("mainframe-longbook-light"));
}
