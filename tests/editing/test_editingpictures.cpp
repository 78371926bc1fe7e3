#include "editing/contactpropsdlg.h"
#include "editing/pagebar.h"
#include "editing/quickpropsdlg.h"
#include "editing/slotfields.h"
#include "editingtest.h"
#include "support/pictures.h"

#include <QGroupBox>
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

TEST_F(EditingPictures, TypeButtonsSitUnderTheirCaptionsWithTheMenuCue)
{
    if (!FontsAvailable())
        GTEST_SKIP() << "no font to draw text with";
    CDialogQuickProps quick(*m_dataMan, *m_userMan);
    quick.StartNew({}, {});
    quick.show();
    QApplication::processEvents();
    const QRect inside = quick.rect();
    for (int i = 0; i < quick.Slots()->Count(); ++i) {
        QWidget* button = quick.Slots()->Button(i);
        auto* group = qobject_cast<QGroupBox*>(button->parentWidget());
        ASSERT_NE(group, nullptr) << i;
        EXPECT_EQ(group->title(), i < 2 ? QStringLiteral("Phone") : QStringLiteral("E-mail"));
        // The caption and the button are seen whole.
        const QRect box(group->mapTo(&quick, QPoint()), group->size());
        EXPECT_TRUE(inside.contains(box)) << i;
        EXPECT_LT(group->fontMetrics().horizontalAdvance(group->title()), group->width());
        EXPECT_TRUE(group->rect().contains(button->geometry())) << i;
        // The drop-down cue is drawn on the button.
        const QImage shot = button->grab().toImage();
        const QRect cue(0, 0, shot.height(), shot.height());
        int coloured = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < cue.width(); ++x)
                coloured += qBlue(shot.pixel(x, y)) > qRed(shot.pixel(x, y)) + 40;
        EXPECT_GT(coloured, 8) << i;
    }
}

TEST_F(EditingPictures, PagesShowTheirImages)
{
    // Each page has its own picture in the page bar, and a lighter one
    // under the mouse.
    CDialogContactProps dialog(*m_dataMan, *m_userMan);
    dialog.StartNew({}, {});
    std::vector<QImage> seen;
    for (int i = 0; i < dialog.PageCount(); ++i) {
        const QImage normal = dialog.PageBar()->ImageOf(i, false);
        const QImage hot = dialog.PageBar()->ImageOf(i, true);
        ASSERT_EQ(normal.size(), QSize(36, 31)) << i;
        EXPECT_NE(normal, hot) << i;
        int opaque = 0;
        for (int y = 0; y < normal.height(); ++y)
            for (int x = 0; x < normal.width(); ++x)
                opaque += qAlpha(normal.pixel(x, y)) == 255;
        EXPECT_GT(opaque, 150) << i;
        for (const QImage& other : seen)
            EXPECT_NE(normal, other) << i;
        seen.push_back(normal);
    }
}
