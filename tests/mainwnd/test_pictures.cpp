// Pictures of the main window for review, in both palettes, and what a
// person would see wrong in them.
#include "framefixture.h"
#include "mainwnd/alphabetbar.h"
#include "mainwnd/bookbanner.h"
#include "mainwnd/gridcontactview.h"
#include "mainwnd/maintoolbar.h"
#include "mainwnd/rgridctrl.h"
#include "platform/ui/syscolor.h"
#include "support/pictures.h"

#include <QStyle>
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

TEST_F(FrameTest, ToolbarGlyphsStandOutFromTheDarkFace)
{
    if (!FontsAvailable())
        GTEST_SKIP() << "no font";
    // Every button enabled: a contact with a phone and a mail address, the
    // dialer and the printer there.
    Contact* anna = m_dataMan->GetContactAt(0);
    anna->m_phones = {{1, "555 0100"}};
    anna->m_emails = {{1, "anna@example.org"}};
    Container().SetEditingHooks(&m_editing);
    Container().SetDialer([](const std::string&, Contact*) {});
    Frame().Hooks().Install(ID_PRINT, {[](u32) {}, {}});
    Select({0});
    Frame().UpdateAllCommands();
    QList<QImage> pictures;
    for (const bool dark : {false, true}) {
        ScopedPalette palette(dark ? DarkPalette() : LightPalette());
        QApplication::processEvents();
        for (CToolbarButton* button : Frame().Toolbar()->findChildren<CToolbarButton*>()) {
            ASSERT_TRUE(button->isEnabled()) << button->text().toStdString();
            const QImage picture = Grab(button);
            pictures << picture.scaled(picture.size() * 3);
            if (!dark)
                continue;
            // The glyph: what differs from the face in the image's square,
            // centred over the label beside any drop-down arrow.
            const QColor face(Pixel(picture, 1, picture.height() - 2));
            const int arrow = button->Info().dropDown
                ? button->style()->pixelMetric(QStyle::PM_MenuButtonIndicator, nullptr, button)
                : 0;
            const int left = (picture.width() - arrow - CMainToolbar::kImageSize) / 2;
            int glyph = 0;
            int standsOut = 0;
            for (int y = 0; y < CMainToolbar::kImageSize + 6; ++y)
                for (int x = std::max(0, left - 1); x < left + CMainToolbar::kImageSize + 1; ++x) {
                    const QColor colour(Pixel(picture, x, y));
                    if (colour == face)
                        continue;
                    ++glyph;
                    standsOut += ContrastRatio(colour, face) >= 3;
                }
            EXPECT_GT(glyph, 30) << button->text().toStdString();
            EXPECT_GE(standsOut, glyph * 9 / 10) << button->text().toStdString() << ": " << standsOut
                                                 << " of " << glyph << " glyph pixels stand out";
        }
    }
    SavePicture(Montage(pictures), QStringLiteral("toolbar-glyphs"));
}
