// Pictures of the main window for review, in both palettes.
#include "framefixture.h"
#include "mainwnd/alphabetbar.h"
#include "support/pictures.h"

TEST_F(FrameTest, PicturesOfTheMainWindow)
{
    if (!FontsAvailable())
        GTEST_SKIP() << "no font";
    for (int i = 0; i < 20; ++i)
        AddContact("Contact " + std::to_string(i));
    Container().SetEditingHooks(&m_editing);
    Container().RefreshForBook();
    Select({1});
    {
        ScopedPalette light(LightPalette());
        SavePicture(Grab(&Frame()), QStringLiteral("mainframe-light"));
    }
    {
        ScopedPalette dark(DarkPalette());
        QApplication::processEvents();
        // The alphabet's own colour gives way where it would not be read.
        EXPECT_EQ(Container().AlphabetBar()->palette().color(QPalette::ButtonText),
            DarkPalette().color(QPalette::ButtonText));
        SavePicture(Grab(&Frame()), QStringLiteral("mainframe-dark"));
    }
}
