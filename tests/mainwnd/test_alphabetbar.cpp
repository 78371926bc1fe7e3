#include "core/dataman.h"
#include "mainwnd/alphabetbar.h"
#include "support/pictures.h"

#include <QApplication>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

struct Bar {
    QWidget window;
    QLineEdit* other = new QLineEdit(&window);
    CPagerWnd* pager = new CPagerWnd(&window);
    CLetterToolBar* bar = new CLetterToolBar(pager);
    std::vector<u32> chosen;

    Bar()
    {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(other);
        layout->addWidget(pager);
        pager->SetBar(bar);
        QStringList letters;
        for (char c = 'A'; c <= 'Z'; ++c)
            letters << QString(QLatin1Char(c));
        bar->SetLetters(letters, 24);
        bar->letterChosen = [this](u32 command) { chosen.push_back(command); };
        window.resize(120, 200);
        window.show();
        window.activateWindow();
        (void)QTest::qWaitForWindowActive(&window);
    }
    // The hot button lies inside the pager's visible part.
    bool HotVisible() const
    {
        const QToolButton* button = bar->Button(bar->HotCommand());
        const QRect shown(pager->viewport()->mapToGlobal(QPoint(0, 0)), pager->viewport()->size());
        return button && shown.contains(QRect(button->mapToGlobal(QPoint(0, 0)), button->size()));
    }
};

}  // namespace

TEST(AlphabetBar, KeysMoveTheHotButtonAndScrollItIntoView)
{
    Bar f;
    f.bar->setFocus();
    EXPECT_EQ(kFilterFirstLetter, f.bar->HotCommand());
    QTest::keyClick(f.bar, Qt::Key_Up);  // nothing before the first
    EXPECT_EQ(kFilterFirstLetter, f.bar->HotCommand());
    QTest::keyClick(f.bar, Qt::Key_End);
    EXPECT_EQ(kFilterAll, f.bar->HotCommand());
    EXPECT_TRUE(f.HotVisible());
    EXPECT_GT(f.pager->verticalScrollBar()->value(), 0);
    QTest::keyClick(f.bar, Qt::Key_Down);  // nothing after the last
    EXPECT_EQ(kFilterAll, f.bar->HotCommand());
    QTest::keyClick(f.bar, Qt::Key_Home);
    EXPECT_EQ(kFilterFirstLetter, f.bar->HotCommand());
    EXPECT_TRUE(f.HotVisible());
    QTest::keyClick(f.bar, Qt::Key_Right);

    // Space chooses; "All" is reached and chosen from the keyboard too.
    QTest::keyClick(f.bar, Qt::Key_Space);
    QTest::keyClick(f.bar, Qt::Key_End);
    QTest::keyClick(f.bar, Qt::Key_Return);
    EXPECT_EQ((std::vector<u32>{kFilterFirstLetter + 1, kFilterAll}), f.chosen);
}

TEST(AlphabetBar, ComingBackStartsAtTheButtonLastUsed)
{
    Bar f;
    f.bar->SetCurrent(kFilterFirstLetter + 3);
    f.bar->setFocus();
    EXPECT_EQ(kFilterFirstLetter + 3, f.bar->HotCommand());  // the filter at first
    QTest::keyClick(f.bar, Qt::Key_Down);
    QTest::keyClick(f.bar, Qt::Key_Down);
    f.other->setFocus();
    EXPECT_TRUE(f.other->hasFocus());
    f.bar->setFocus();
    EXPECT_EQ(kFilterFirstLetter + 5, f.bar->HotCommand());

    // A click counts as the last use.
    f.bar->Button(kFilterFirstLetter + 20)->click();
    f.other->setFocus();
    f.bar->setFocus();
    EXPECT_EQ(kFilterFirstLetter + 20, f.bar->HotCommand());
    EXPECT_TRUE(f.HotVisible());
}

TEST(AlphabetBar, Pictures)
{
    if (!FontsAvailable())
        GTEST_SKIP() << "no fonts";
    for (const bool dark : {false, true}) {
        ScopedPalette palette(dark ? DarkPalette() : LightPalette());
        Bar f;
        f.bar->SetCurrent(kFilterFirstLetter + 2);
        f.window.resize(90, 360);
        SavePicture(
            Grab(f.pager), dark ? QStringLiteral("alphabetbar-dark") : QStringLiteral("alphabetbar-light"));
    }
}
