#include "pagesetupsteps.h"
#include "print/printoutput.h"
#include "print/printtesting.h"
#include "print/standinqueue.h"
#include "print/ui/printsetup.h"

namespace {

constexpr double kPointsPerMm = 72 / 25.4;

class PageSetupTest : public PrintFixture {
protected:
    void SetUp() override
    {
        PrintFixture::SetUp();
        Contact& c = Add("Ann Lee", false);
        ContactAddress home;
        home.m_dwType = ADDR_HOME;
        home.m_strStreet = "Main St 1";
        c.m_addresses.push_back(home);
        m_pm.m_Printmode = PM_MEMO;
        m_pm.m_Flags1 &= ~PF_MEMO_HEADER;
        m_pm.m_memoFoot = {"[Page #]", "", ""};
        // A new user's margins: 1 mm, within the queue's strips.
        m_pm.m_Margins = {100, 100, 100, 100};
    }
};

}  // namespace

TEST_F(PageSetupTest, AChangeOfUnitChangesNoMargin)
{
    CStandInQueue queue;
    m_pm.m_Margins = {2000, 1500, 1000, 2500};
    std::vector<std::pair<QString, QMarginsF>> shown;
    WhenPageSetupOpens([&](QPageSetupDialog& dialog) {
        shown = MarginsInEveryUnit(dialog);
        ClickOk(dialog);
    });
    ASSERT_TRUE(DoPageSetup(m_pm, queue, nullptr));
    ASSERT_GE(shown.size(), 4u);
    for (const auto& [unit, mm] : shown) {
        // Within the last digit the unit shows.
        const double close = unit.contains("in") ? 0.26 : 0.2;
        EXPECT_NEAR(mm.left(), 20, close) << unit.toStdString();
        EXPECT_NEAR(mm.top(), 15, close) << unit.toStdString();
        EXPECT_NEAR(mm.right(), 10, close) << unit.toStdString();
        EXPECT_NEAR(mm.bottom(), 25, close) << unit.toStdString();
    }
    EXPECT_EQ(m_pm.m_Margins, (RECT{2000, 1500, 1000, 2500}));
    EXPECT_TRUE(m_messages.shown.empty());
}

TEST_F(PageSetupTest, TheStripsTurnWithThePageInThePageSetupAndTheJob)
{
    if (!CanReadPdf())
        GTEST_SKIP() << "poppler-utils are not installed";
    CStandInQueue queue;
    // Turned to landscape in the page setup: the queue's 12.7 mm strips at
    // the paper's top and bottom lie at the page's left and right.
    QMarginsF portrait, landscape;
    WhenPageSetupOpens([&](QPageSetupDialog& dialog) {
        portrait = ShownMarginsMm(dialog);
        ChooseOrientation(dialog, QPageLayout::Landscape);
        landscape = ShownMarginsMm(dialog);
        ClickOk(dialog);
    });
    ASSERT_TRUE(DoPageSetup(m_pm, queue, nullptr));
    EXPECT_NEAR(portrait.left(), 6.35, 0.005);
    EXPECT_NEAR(portrait.top(), 12.7, 0.005);
    EXPECT_NEAR(landscape.left(), 12.7, 0.005);
    EXPECT_NEAR(landscape.top(), 6.35, 0.005);
    EXPECT_NEAR(landscape.right(), 12.7, 0.005);
    EXPECT_NEAR(landscape.bottom(), 6.35, 0.005);
    EXPECT_EQ(queue.pageLayout().orientation(), QPageLayout::Landscape);
    EXPECT_EQ(m_pm.m_Margins, (RECT{1270, 635, 1270, 635}));

    // A margin typed into a strip is refused; the memo's first words and
    // its footer print outside the strips.
    m_pm.m_Margins = {100, 100, 100, 100};
    double leftAfterTyping = 0;
    WhenPageSetupOpens([&](QPageSetupDialog& dialog) {
        auto* left = dialog.findChild<QDoubleSpinBox*>("leftMargin");
        left->setFocus();
        left->selectAll();
        QTest::keyClicks(left, "8");
        QTest::keyClick(left, Qt::Key_Return);
        leftAfterTyping = left->value();
        ClickOk(dialog);
    });
    ASSERT_TRUE(DoPageSetup(m_pm, queue, nullptr));
    EXPECT_NEAR(leftAfterTyping, 12.7, 0.005);
    ASSERT_EQ(m_messages.shown.size(), 1u);
    EXPECT_NE(m_messages.shown.front().text.find("12.70 mm"), std::string::npos)
        << m_messages.shown.front().text;
    m_dataMan.GetContactAt(0)->m_dwDisplayFlags |= CDF_PRINT;
    ASSERT_EQ(PrintOnPrinter(m_pm, m_info, queue), 1);
    ASSERT_EQ(queue.Jobs().size(), 1u);
    const QString job = queue.Jobs().back().path;
    EXPECT_NEAR(WordAt(job, "Full").x(), 12.7 * kPointsPerMm, 1.0);
    EXPECT_NEAR(WordAt(job, "Full").y(), 6.35 * kPointsPerMm, 1.5);
    const QPointF page = WordAt(job, "page");
    ASSERT_GE(page.x(), 0);
    EXPECT_NEAR(page.x(), 12.7 * kPointsPerMm, 1.0);
    EXPECT_LE(page.y(), (210 - 6.35) * kPointsPerMm);
    // The preview lays the page out on the same sheet.
    const PageCaps caps = PageCapsOf(JobPageLayout(m_pm, queue.pageLayout()));
    EXPECT_EQ(caps.offsetX, 1270);
    EXPECT_EQ(caps.offsetY, 635);
    EXPECT_EQ(caps.physicalWidth, 29700);
}
