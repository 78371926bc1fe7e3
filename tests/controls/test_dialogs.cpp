#include "controls/dialogpage.h"
#include "controls/framedialog.h"
#include "controlstest.h"
#include "platform/msgbox.h"
#include "platform/ui/syscolor.h"
#include "platform/ui/window.h"
#include "platform/ui/wndmessage.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

class TestHost : public QDialog, public CPageKeyHost {
public:
    std::vector<std::pair<int, int>> pageKeys;  // key, how
    std::vector<unsigned> commands;
    bool swallowKeys = true;

    bool OnPageKey(QKeyEvent* key, int how) override
    {
        pageKeys.emplace_back(key->key(), how);
        return swallowKeys;
    }

protected:
    bool event(QEvent* e) override
    {
        if (e->type() == WindowMessageEvent::EventType()) {
            auto* message = static_cast<WindowMessageEvent*>(e);
            if (message->Message() == WM_COMMAND)
                commands.push_back(LOWORD(message->WParam()));
            return true;
        }
        return QDialog::event(e);
    }
};

struct PageFixture {
    TestHost host;
    CDialogPage* page = new CDialogPage(&host);
    QLineEdit* first = new QLineEdit;
    QLineEdit* middle = new QLineEdit;
    QLineEdit* last = new QLineEdit;
    QPushButton* action = new QPushButton("&Go");
    int clicks = 0;

    PageFixture()
    {
        page->Caption()->setText("General");
        auto* layout = new QVBoxLayout(page->Body());
        int id = 2001;
        for (QWidget* w : {static_cast<QWidget*>(first), static_cast<QWidget*>(middle),
                 static_cast<QWidget*>(last), static_cast<QWidget*>(action)}) {
            layout->addWidget(w);
            SetDlgCtrlID(w, id++);
        }
        QObject::connect(action, &QPushButton::clicked, [this] { ++clicks; });
        (new QVBoxLayout(&host))->addWidget(page);
        host.resize(300, 200);
        host.show();
        host.activateWindow();
        (void)QTest::qWaitForWindowActive(&host);
    }
};

}  // namespace

TEST(DialogPage, OkAndCancelGoToTheHostAndThePageStaysOpen)
{
    PageFixture f;
    EXPECT_EQ(f.page->m_nResult, CDialogPage::kResultNone);
    f.first->setFocus();
    QTest::keyClick(f.first, Qt::Key_Return);
    EXPECT_EQ(f.page->m_nResult, IDOK);
    EXPECT_EQ(f.host.commands, std::vector<unsigned>{unsigned(IDOK)});
    EXPECT_TRUE(f.page->isVisible());

    QTest::keyClick(f.first, Qt::Key_Escape);
    EXPECT_EQ(f.page->m_nResult, IDCANCEL);
    EXPECT_EQ(f.host.commands.back(), unsigned(IDCANCEL));
    EXPECT_TRUE(f.page->isVisible());

    // Enter on one of the page's own buttons is the page's business.
    f.action->setFocus();
    QTest::keyClick(f.action, Qt::Key_Return);
    EXPECT_EQ(f.clicks, 1);
    EXPECT_EQ(f.host.commands.size(), 2u);
}

TEST(DialogPage, PageKeysReachTheHostAndOtherKeysStayOnThePage)
{
    PageFixture f;
    f.middle->setText("text");
    f.middle->setFocus();
    QTest::keyClick(f.middle, Qt::Key_Tab, Qt::ControlModifier);
    QTest::keyClick(f.middle, Qt::Key_PageDown, Qt::ControlModifier);
    QTest::keyClick(f.middle, Qt::Key_PageUp, Qt::ControlModifier);
    QTest::keyClick(f.middle, Qt::Key_Backtab, Qt::ShiftModifier);
    const std::vector<std::pair<int, int>> expected{
        {Qt::Key_Tab, 1}, {Qt::Key_PageDown, 1}, {Qt::Key_PageUp, 1}, {Qt::Key_Backtab, 2}};
    EXPECT_EQ(f.host.pageKeys, expected);
    EXPECT_EQ(QApplication::focusWidget(), f.middle);

    QTest::keyClick(f.middle, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(f.middle, Qt::Key_PageDown);
    EXPECT_EQ(f.host.pageKeys.size(), expected.size());
    EXPECT_EQ(f.middle->selectedText(), "text");

    // A host that leaves the key alone: Shift+Tab takes its usual course.
    f.host.swallowKeys = false;
    QTest::keyClick(f.middle, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(f.host.pageKeys.size(), expected.size() + 1);
    EXPECT_EQ(QApplication::focusWidget(), f.first);
}

TEST(DialogPage, EnteringThePageFocusesTheEndOfItsRange)
{
    PageFixture f;
    f.action->setFocus();
    f.page->setFocus();
    EXPECT_EQ(QApplication::focusWidget(), f.page) << "without a range the page keeps the focus";

    f.page->SetFocusRange(2001, 2003);
    f.page->clearFocus();
    f.page->m_bFocusLast = true;
    f.page->setFocus();
    EXPECT_EQ(QApplication::focusWidget(), f.last);
    f.page->m_bFocusLast = false;
    f.host.setFocus();
    f.page->setFocus();
    EXPECT_EQ(QApplication::focusWidget(), f.first);
}

TEST(FramedDialog, DefaultCaptionIsTenPointBoldOnAShadowStrip)
{
    for (const auto& [name, palette] :
        {std::pair{"light", LightPalette()}, std::pair{"dark", DarkPalette()}}) {
        ScopedPalette scoped(palette);
        CFramedDialog dialog(151);
        dialog.setWindowTitle("Envelope options");
        dialog.Caption()->setText("Enter delivery and return addresses.");
        auto* layout = new QVBoxLayout(dialog.Frame());
        layout->addWidget(new QLineEdit("Delivery address"));
        layout->addWidget(new QPushButton("OK"));
        dialog.resize(320, 160);
        const QImage picture = Grab(&dialog);
        if (FontsAvailable())
            SavePicture(picture, QStringLiteral("framedialog_%1").arg(name));

        const QFont font = dialog.Caption()->font();
        EXPECT_EQ(font.pixelSize(), MulDiv(10, dialog.Caption()->logicalDpiY(), 72));
        EXPECT_EQ(font.weight(), QFont::Bold);
        EXPECT_EQ(GetDlgItem(&dialog, CFramedDialog::kCaptionId), dialog.Caption());
        EXPECT_EQ(GetDlgItem(&dialog, CFramedDialog::kFrameId), dialog.Frame());
        const QColor shadow = GetSysColor(COLOR_3DSHADOW, palette);
        EXPECT_EQ(Pixel(picture, 2, 2), Rgb(shadow));
        EXPECT_EQ(Pixel(picture, 1, picture.height() - 2), Rgb(shadow));
        const QPoint inFrame = dialog.Frame()->mapTo(&dialog, QPoint(1, 1));
        EXPECT_EQ(Pixel(picture, inFrame.x(), inFrame.y()), Rgb(GetSysColor(COLOR_3DFACE, palette)));
    }
}

TEST(GradientCaption, ShowsTheTextItHasNowNotTheOneItHadWhenItsFontWasSet)
{
    CGradientCaption changed;
    changed.setText("Old caption");
    changed.SetColors(COLOR_3DSHADOW, COLOR_3DSHADOW, QColor(Qt::black), 1, true, 1);
    changed.SetFont(COLOR_WINDOW, kCaptionFormat, 10, true, false);
    changed.setText("New caption");
    CGradientCaption fresh;
    fresh.setText("New caption");
    fresh.SetColors(COLOR_3DSHADOW, COLOR_3DSHADOW, QColor(Qt::black), 1, true, 1);
    fresh.SetFont(COLOR_WINDOW, kCaptionFormat, 10, true, false);
    changed.resize(200, 24);
    fresh.resize(200, 24);
    const QImage picture = Grab(&changed);
    EXPECT_EQ(picture, Grab(&fresh));
    EXPECT_EQ(Pixel(picture, 0, 0), Rgb(Qt::black));
    EXPECT_EQ(Pixel(picture, 1, 1), Rgb(GetSysColor(COLOR_3DSHADOW, changed.palette())));
}
