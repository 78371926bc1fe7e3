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
        const QStringList faults = LayoutFaults(&f.window);
        EXPECT_TRUE(faults.isEmpty()) << faults.join(u'\n').toStdString();
        SavePicture(
            Grab(f.pager), dark ? QStringLiteral("alphabetbar-dark") : QStringLiteral("alphabetbar-light"));

        // The keyboard's place is framed in the selection colour; the chosen
        // letter is not, so the two never look alike.
        f.bar->setFocus();
        QTest::keyClick(f.bar, Qt::Key_Home);
        SavePicture(Grab(f.pager), QStringLiteral("alphabetbar-focus-%1").arg(dark ? "dark" : "light"));
        const QImage focused = Grab(f.bar);
        const QRgb highlight = Rgb(QApplication::palette().color(QPalette::Highlight));
        const auto framed = [&](u32 command) {
            const QToolButton* button = f.bar->Button(command);
            const QPoint corner = button->mapTo(f.bar, QPoint(1, button->height() / 2));
            return Pixel(focused, corner.x(), corner.y()) == highlight;
        };
        EXPECT_TRUE(framed(kFilterFirstLetter));
        EXPECT_FALSE(framed(kFilterFirstLetter + 2));
        EXPECT_FALSE(f.bar->Button(kFilterFirstLetter)->isChecked());
    }
}
