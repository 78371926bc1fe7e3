#include "editing/contactpropsdlg.h"
#include "editing/quickpropsdlg.h"
#include "editingtest.h"
#include "support/pictures.h"

#include <QLineEdit>

namespace {

class EditingPictures : public EditingTest { };

const char* const kPageNames[] = {"general", "business", "home", "personal", "advanced"};

}  // namespace

TEST_F(EditingPictures, EveryPageOfBothDialogsInBothPalettes)
{
    if (!FontsAvailable())
        GTEST_SKIP() << "no font to draw text with";
    Contact* contact = AddFullContact();
    for (const auto& [palette, suffix] :
        {std::pair{LightPalette(), "light"}, std::pair{DarkPalette(), "dark"}}) {
        ScopedPalette scoped(palette);
        CDialogContactProps dialog(*m_dataMan, *m_userMan);
        dialog.StartEdit(contact);
        for (int i = 0; i < dialog.PageCount(); ++i) {
            dialog.OnShowPage(CDialogContactProps::ID_PAGE_GENERAL + i);
            const QImage picture = Grab(&dialog);
            EXPECT_FALSE(picture.isNull());
            SavePicture(picture, QStringLiteral("contactprops-%1-%2").arg(kPageNames[i], suffix));
        }
        CDialogQuickProps quick(*m_dataMan, *m_userMan);
        quick.StartEdit(contact);
        SavePicture(Grab(&quick), QStringLiteral("quickprops-%1").arg(suffix));
        CDialogQuickProps fresh(*m_dataMan, *m_userMan);
        fresh.StartNew("555-0199", {});
        SavePicture(Grab(&fresh), QStringLiteral("quickprops-new-%1").arg(suffix));
    }
}
