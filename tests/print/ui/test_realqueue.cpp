// Printing on real CUPS queues, of a scheduler the test starts itself.
#include "pagesetupsteps.h"
#include "print/cupsscheduler.h"
#include "print/printoutput.h"
#include "print/printtesting.h"
#include "print/ui/printdlg.h"
#include "print/ui/printerpaper.h"
#include "print/ui/printsetup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>
#include <iostream>

namespace {

constexpr double kPointsPerMm = 72 / 25.4;

class RealQueueTest : public PrintFixture {
protected:
    void SetUp() override
    {
        PrintFixture::SetUp();
        m_scheduler = std::make_unique<CCupsScheduler>();
        if (!m_scheduler->Running()) {
            std::cout << "Not run on a real queue: " << m_scheduler->Error() << "\n";
            GTEST_SKIP() << m_scheduler->Error();
        }
        Contact& c = Add("Ann Lee", false);
        ContactAddress home;
        home.m_dwType = ADDR_HOME;
        home.m_strStreet = "Main St 1";
        c.m_addresses.push_back(home);
        m_pm.m_Flags1 &= ~PF_MEMO_HEADER;
    }
    void TearDown() override
    {
        m_scheduler.reset();
        PrintFixture::TearDown();
    }
    void Choose() { m_dataMan.GetContactAt(0)->m_dwDisplayFlags |= CDF_PRINT; }
    std::unique_ptr<QPrinter> Queue(const char* name)
    {
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setPrinterName(QString::fromLatin1(name));
        return printer;
    }
    // The margins the page setup shows in each of its units, after OK.
    std::vector<std::pair<QString, QMarginsF>> PageSetup(QPrinter& printer, QPageLayout::Orientation turnTo)
    {
        std::vector<std::pair<QString, QMarginsF>> shown;
        WhenPageSetupOpens([&](QPageSetupDialog& dialog) {
            ChooseOrientation(dialog, turnTo);
            shown = MarginsInEveryUnit(dialog);
            ClickOk(dialog);
        });
        EXPECT_TRUE(DoPageSetup(m_pm, printer, nullptr));
        return shown;
    }

    std::unique_ptr<CCupsScheduler> m_scheduler;
};

void ExpectMargins(const std::vector<std::pair<QString, QMarginsF>>& shown, const QMarginsF& mm)
{
    ASSERT_GE(shown.size(), 3u);
    for (const auto& [unit, margins] : shown) {
        // Within the last digit a unit shows, rounded up.
        const double close = unit.contains("in") ? 0.26 : 0.2;
        EXPECT_NEAR(margins.left(), mm.left(), close) << unit.toStdString();
        EXPECT_NEAR(margins.top(), mm.top(), close) << unit.toStdString();
        EXPECT_NEAR(margins.right(), mm.right(), close) << unit.toStdString();
        EXPECT_NEAR(margins.bottom(), mm.bottom(), close) << unit.toStdString();
    }
}

}  // namespace

TEST_F(RealQueueTest, PapersTwoSidedAndMarginsAreTheQueuesInBothOrientationsAndEveryUnit)
{
    // The papers and the two-sided modes each queue describes.
    const PrinterPapers laser = PapersOfQueue(CCupsScheduler::kLaser);
    ASSERT_EQ(laser.sizes.size(), 2) << m_scheduler->ErrorLog();
    EXPECT_TRUE(ListedPaper(laser, {210, 297}).isValid());
    EXPECT_TRUE(ListedPaper(laser, {215.9, 279.4}).isValid());
    EXPECT_TRUE(laser.twoSided.isEmpty());
    EXPECT_FALSE(PapersOfQueue(CCupsScheduler::kDuplex).twoSided.isEmpty());
    // The print dialog offers two-sided printing where the queue has it.
    for (const char* queue : {CCupsScheduler::kLaser, CCupsScheduler::kDuplex}) {
        CRPrintDialog dialog(m_pm, AppPrinter());
        dialog.Printers()->setCurrentIndex(dialog.Printers()->findData(QString::fromLatin1(queue)));
        ASSERT_GE(dialog.Printers()->currentIndex(), 0) << queue;
        const bool twoSided = queue == CCupsScheduler::kDuplex;
        EXPECT_EQ(dialog.TwoSided()->count(), twoSided ? 3 : 1) << queue;
        EXPECT_EQ(dialog.TwoSided()->isEnabled(), twoSided) << queue;
    }

    // A new user's margins of 1 mm show as the queue's strips, turned with
    // the page, in every unit, and a change of unit changes none of them.
    auto printer = Queue(CCupsScheduler::kLaser);
    const QMarginsF portrait(6.35, 12.7, 6.35, 12.7), landscape(12.7, 6.35, 12.7, 6.35);
    ExpectMargins(PageSetup(*printer, QPageLayout::Portrait), portrait);
    EXPECT_EQ(m_pm.m_Margins, (RECT{635, 1270, 635, 1270}));
    m_pm.m_Margins = {100, 100, 100, 100};
    ExpectMargins(PageSetup(*printer, QPageLayout::Landscape), landscape);
    EXPECT_EQ(printer->pageLayout().orientation(), QPageLayout::Landscape);
    EXPECT_EQ(m_pm.m_Margins, (RECT{1270, 635, 1270, 635}));
    // The job's page has those strips too, as has the preview's.
    const PageCaps caps = PageCapsOf(JobPageLayout(m_pm, printer->pageLayout()));
    EXPECT_EQ(caps.offsetX, 1270);
    EXPECT_EQ(caps.offsetY, 635);
    EXPECT_EQ(caps.physicalWidth, 29700);
}

TEST_F(RealQueueTest, EachJobCarriesItsOwnChoicesAndALabelSheetAfterA2UpMemoNone)
{
    // A landscape memo, two copies, two-sided, two pages a sheet, last page
    // first: chosen in the print dialog for this job.
    auto printer = Queue(CCupsScheduler::kDuplex);
    printer->setPageOrientation(QPageLayout::Landscape);
    PrintJobChoices chosen;
    {
        CRPrintDialog dialog(m_pm, *printer);
        dialog.Printers()->setCurrentIndex(dialog.Printers()->findData(QString(CCupsScheduler::kDuplex)));
        dialog.Copies()->setValue(2);
        dialog.Collate()->setChecked(true);
        dialog.TwoSided()->setCurrentIndex(1);
        dialog.PagesPerSheet()->setCurrentIndex(dialog.PagesPerSheet()->findText("2"));
        dialog.LastPageFirst()->setChecked(true);
        QTest::mouseClick(dialog.findChild<QPushButton*>("ctl1"), Qt::LeftButton);
        ASSERT_EQ(dialog.Result(), kResultPrint);
        chosen = dialog.Choices();
    }
    m_pm.m_Printmode = PM_MEMO;
    Choose();
    ASSERT_EQ(PrintOnPrinter(m_pm, m_info, *printer, "Memo", nullptr, chosen), 1);
    // Then Label options' Print, which shows no print dialog.
    m_pm.m_Printmode = PM_LABELS;
    m_pm.m_LabelPrintRange = PR_LABEL_SHEET;
    m_pm.m_Label.m_wColumns = 2;
    m_pm.m_Label.m_wRows = 5;
    m_pm.m_Label.m_wWidth = 5040;
    m_pm.m_Label.m_wHeight = 2880;
    m_pm.m_Label.m_wPaper = 9;
    Choose();
    CPrintInfo labels;
    ASSERT_EQ(PrintOnPrinter(m_pm, labels, *printer, "Labels"), 1);

    const auto jobs = m_scheduler->Jobs(CCupsScheduler::kDuplex);
    ASSERT_EQ(jobs.size(), 2u) << m_scheduler->ErrorLog();
    const CCupsScheduler::Job& memo = jobs[0];
    EXPECT_EQ(memo.Value("copies"), "2");
    EXPECT_EQ(memo.Value("sides"), "two-sided-long-edge");
    EXPECT_EQ(memo.Value("number-up"), "2");
    EXPECT_EQ(memo.Value("outputorder"), "reverse");
    const CCupsScheduler::Job& label = jobs[1];
    EXPECT_TRUE(label.Value("copies").isEmpty() || label.Value("copies") == "1")
        << label.Value("copies").toStdString();
    EXPECT_EQ(label.Value("sides"), "one-sided");
    EXPECT_TRUE(label.Value("number-up").isEmpty() || label.Value("number-up") == "1");
    EXPECT_NE(label.Value("outputorder"), "reverse");
    EXPECT_EQ(label.Value("media"), "A4");

    // The landscape memo's first words keep out of the strips, turned.
    if (!CanReadPdf())
        return;
    auto laser = Queue(CCupsScheduler::kLaser);
    laser->setPageOrientation(QPageLayout::Landscape);
    m_pm.m_Printmode = PM_MEMO;
    m_pm.m_memoFoot = {"[Page #]", "", ""};
    Choose();
    CPrintInfo memoOnLaser;
    ASSERT_EQ(PrintOnPrinter(m_pm, memoOnLaser, *laser, "Landscape"), 1);
    const auto held = m_scheduler->Jobs(CCupsScheduler::kLaser);
    ASSERT_EQ(held.size(), 1u);
    const QPointF full = WordAt(held[0].file, "Full");
    EXPECT_GE(full.x(), 12.7 * kPointsPerMm - 0.5);
    EXPECT_GE(full.y(), 6.35 * kPointsPerMm - 0.5);
    const QPointF page = WordAt(held[0].file, "page");
    ASSERT_GE(page.x(), 0);
    EXPECT_LE(page.y(), (210 - 6.35) * kPointsPerMm);
}
