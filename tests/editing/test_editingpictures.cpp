#include "editing/contactpersonalpage.h"
#include "editing/contactpropsdlg.h"
#include "editing/datefield.h"
#include "editing/pagebar.h"
#include "editing/quickpropsdlg.h"
#include "editing/slotfields.h"
#include "editingtest.h"
#include "support/pictures.h"

#include <QApplication>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QToolTip>

namespace {

class EditingPictures : public EditingTest { };

const char* const kPageNames[] = {"general", "business", "home", "personal", "advanced", "postal"};

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
            const QStringList faults = LayoutFaults(&dialog);
            EXPECT_TRUE(faults.isEmpty()) << kPageNames[i] << ":\n" << faults.join(u'\n').toStdString();
        }
        // The birthday's tip on how to type a date, read whole on the screen.
        dialog.OnShowPage(CDialogContactProps::ID_PAGE_PERSONAL);
        QDateEdit* birthday = dialog.PersonalPage()->BirthdayField()->Edit();
        QToolTip::showText(
            birthday->mapToGlobal(birthday->rect().bottomLeft()), birthday->toolTip(), birthday);
        QLabel* tip = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->inherits("QTipLabel"))
                tip = qobject_cast<QLabel*>(w);
        ASSERT_NE(tip, nullptr);
        SavePicture(Grab(tip), QStringLiteral("datefield-tip-%1").arg(suffix));
        const QRect screen = birthday->screen()->availableGeometry();
        EXPECT_TRUE(screen.contains(tip->frameGeometry())) << suffix;
        EXPECT_GE(tip->contentsRect().width(),
            tip->fontMetrics()
                .boundingRect(
                    QRect(0, 0, tip->contentsRect().width(), 1 << 20), Qt::TextWordWrap, tip->text())
                .width());
        EXPECT_GE(tip->contentsRect().height(),
            tip->fontMetrics()
                .boundingRect(QRect(0, 0, tip->contentsRect().width(), 1 << 20),
                    tip->wordWrap() ? Qt::TextWordWrap : 0, tip->text())
                .height());
        QToolTip::hideText();
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
    // "Phone" above the two phone buttons, "E-mail" between them and the
    // two e-mail buttons; captions and buttons seen whole.
    const auto at = [&quick](const QWidget* w) { return QRect(w->mapTo(&quick, QPoint()), w->size()); };
    QLabel* captions[2] = {};
    for (QLabel* label : quick.findChildren<QLabel*>()) {
        if (label->text() == QStringLiteral("Phone"))
            captions[0] = label;
        if (label->text() == QStringLiteral("E-mail"))
            captions[1] = label;
    }
    ASSERT_TRUE(captions[0] && captions[1]);
    for (QLabel* caption : captions) {
        EXPECT_TRUE(quick.rect().contains(at(caption)));
        EXPECT_LE(caption->fontMetrics().horizontalAdvance(caption->text()), caption->width());
    }
    for (int i = 0; i < quick.Slots()->Count(); ++i) {
        QPushButton* button = quick.Slots()->Button(i);
        const QRect place = at(button);
        EXPECT_TRUE(quick.rect().contains(place)) << i;
        EXPECT_GT(place.top(), at(captions[i / 2]).bottom()) << i;
        if (i < 2) {
            EXPECT_LT(place.bottom(), at(captions[1]).top()) << i;
        }
        // The caption fits beside the drop-down cue, which is drawn.
        EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()) + 16, button->width()) << i;
        const QImage shot = button->grab().toImage();
        int coloured = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.height(); ++x)
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
