#include "controls/flatbutton.h"
#include "editing/dialogpagehost.h"
#include "editing/pagebar.h"
#include "platform/msgbox.h"
#include "platform/ui/window.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

struct ThreePageHost {
    CDialogPageHost host{999};
    std::vector<QLineEdit*> firsts;
    std::vector<QLineEdit*> lasts;

    ThreePageHost()
    {
        for (int i = 0; i < 3; ++i) {
            auto* page = new CDialogPage;
            auto* layout = new QVBoxLayout(page->Body());
            auto* first = new QLineEdit;
            auto* last = new QLineEdit;
            SetDlgCtrlID(first, 100 + i * 10);
            SetDlgCtrlID(last, 101 + i * 10);
            layout->addWidget(first);
            layout->addWidget(last);
            firsts.push_back(first);
            lasts.push_back(last);
            host.AddPage(page, 500 + i, QString("Page %1").arg(i), 100 + i * 10, 101 + i * 10);
        }
        host.show();
        host.activateWindow();
        (void)QTest::qWaitForWindowActive(&host);
    }
    int Active() const
    {
        for (int i = 0; i < host.PageCount(); ++i)
            if (host.PageAt(i) == host.GetActivePage())
                return i;
        return -1;
    }
    QWidget* Focus() const { return QApplication::focusWidget(); }
};

}  // namespace

TEST(PageHost, PageKeysSwitchPagesInARing)
{
    ThreePageHost f;
    f.firsts[0]->setFocus();
    QTest::keyClick(f.Focus(), Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(f.Active(), 2) << "backwards from the first page is the last";
    EXPECT_EQ(f.host.PageBar()->CheckedCommand(), 502);
    EXPECT_EQ(f.Focus(), f.firsts[2]);
    QTest::keyClick(f.Focus(), Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(f.Active(), 0) << "forwards from the last page is the first";
    QTest::keyClick(f.Focus(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(f.Active(), 1);
    QTest::keyClick(f.Focus(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(f.Active(), 0);
    // From the page bar too.
    f.host.PageBar()->setFocus();
    QTest::keyClick(f.host.PageBar(), Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(f.Active(), 1);
}

TEST(PageHost, TabRingRunsThroughPageBarPageAndButtons)
{
    ThreePageHost f;
    f.firsts[0]->setFocus();
    QTest::keyClick(f.firsts[0], Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(f.Focus(), f.host.PageBar());
    QTest::keyClick(f.Focus(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(f.Focus(), f.host.CancelButton());
    QTest::keyClick(f.Focus(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(f.Focus(), f.host.OkButton());
    QTest::keyClick(f.Focus(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(f.Focus(), f.lasts[0]) << "backwards into the page at its last control";

    QTest::keyClick(f.Focus(), Qt::Key_Tab);
    EXPECT_EQ(f.Focus(), f.host.OkButton());
    QTest::keyClick(f.Focus(), Qt::Key_Tab);
    EXPECT_EQ(f.Focus(), f.host.CancelButton());
    QTest::keyClick(f.Focus(), Qt::Key_Tab);
    EXPECT_EQ(f.Focus(), f.host.PageBar());
    QTest::keyClick(f.Focus(), Qt::Key_Tab);
    EXPECT_EQ(f.Focus(), f.firsts[0]);
}

TEST(PageHost, PageBarCommandsAndEnter)
{
    ThreePageHost f;
    f.lasts[0]->setFocus();
    // The shown page's own command changes nothing.
    f.host.OnShowPage(500);
    EXPECT_EQ(f.Focus(), f.lasts[0]);
    EXPECT_EQ(f.Active(), 0);

    // Enter on the page bar shows the hot button's page and stays open.
    f.host.PageBar()->setFocus();
    QTest::keyClick(f.host.PageBar(), Qt::Key_Down);
    QTest::keyClick(f.host.PageBar(), Qt::Key_Down);
    QTest::keyClick(f.host.PageBar(), Qt::Key_Return);
    EXPECT_EQ(f.Active(), 2);
    EXPECT_TRUE(f.host.isVisible());

    // Enter in a page: the page finishes, then the host closes with OK.
    QTest::keyClick(f.firsts[2], Qt::Key_Return);
    EXPECT_EQ(f.host.result(), IDOK);
    EXPECT_FALSE(f.host.isVisible());
    EXPECT_EQ(f.host.PageAt(2)->m_nResult, IDOK);
}

TEST(PageHost, EscapeCancels)
{
    ThreePageHost f;
    f.firsts[1]->setFocus();
    QTest::keyClick(f.firsts[1], Qt::Key_Escape);
    EXPECT_FALSE(f.host.isVisible());
    EXPECT_EQ(f.host.result(), IDCANCEL);
}
