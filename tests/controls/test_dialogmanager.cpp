// Every dialog of the program, whatever its class, opens whole on the
// screen; one larger than the screen's room scrolls its working area.
#include "controls/dialogmanager.h"
#include "controls/framedialog.h"
#include "controlstest.h"
#include "platform/ui/syscolor.h"

#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

QRect Room()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

std::string Describe(const QRect& r)
{
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()).toStdString();
}

}  // namespace

TEST(DialogManager, AFramedDialogLargerThanTheScreenScrollsItsWorkingArea)
{
    const QRect room = Room();
    CFramedDialog dialog(1);
    auto* layout = new QVBoxLayout(dialog.Frame());
    auto* first = new QLineEdit;
    auto* large = new QWidget;
    large->setMinimumSize(room.width() + 200, room.height() + 300);
    auto* last = new QPushButton(QStringLiteral("&Last"));
    layout->addWidget(first);
    layout->addWidget(large);
    layout->addWidget(last, 0, Qt::AlignLeft);
    first->setFocus();
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    EXPECT_TRUE(room.contains(dialog.frameGeometry())) << Describe(dialog.frameGeometry());
    // The controls stay the dialog's, with their focus and Tab order; the
    // one Tab reaches is brought into view.
    EXPECT_EQ(QApplication::focusWidget(), first);
    QTest::keyClick(first, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), last);
    EXPECT_EQ(last->window(), &dialog);
    EXPECT_EQ(last->visibleRegion().boundingRect(), last->rect());
    // The working area is still painted as the face inside the margin.
    const QImage picture = dialog.grab().toImage();
    const QPoint inside
        = last->mapTo(&dialog, QPoint(last->width() + 4, last->height() / 2)) * picture.devicePixelRatio();
    EXPECT_EQ(picture.pixelColor(inside), GetSysColor(COLOR_3DFACE, &dialog))
        << inside.x() << "," << inside.y();
}

TEST(DialogManager, AnyDialogOpensWholeOnTheScreen)
{
    const QRect room = Room();
    // Larger than the screen, with controls that allow it to be smaller.
    QDialog large;
    (new QVBoxLayout(&large))->addWidget(new QLineEdit);
    large.resize(room.width() * 2, room.height() * 2);
    large.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&large));
    EXPECT_TRUE(room.contains(large.frameGeometry())) << Describe(large.frameGeometry());

    // Placed half beyond the screen's corner.
    QDialog placed;
    (new QVBoxLayout(&placed))->addWidget(new QLineEdit);
    placed.resize(200, 100);
    placed.move(room.right() - 100, room.bottom() - 50);
    placed.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&placed));
    EXPECT_TRUE(room.contains(placed.frameGeometry())) << Describe(placed.frameGeometry());
    EXPECT_EQ(placed.size(), QSize(200, 100));
}
