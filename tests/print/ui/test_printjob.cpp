#include "print/printoutput.h"
#include "print/printtesting.h"
#include "print/standinqueue.h"
#include "print/ui/printdlg.h"
#include "print/ui/printerpaper.h"
#include "print/ui/printingdlg.h"
#include "print/ui/printsetup.h"
#include "support/pictures.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPageSetupDialog>
#include <QPrintEngine>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

namespace {

class PrinterJobTest : public PrintFixture {
protected:
    void SetUp() override
    {
        PrintFixture::SetUp();
        Contact& c = Add("Ann Lee");
        c.m_strFirstName = "Ann";
        c.m_strLastName = "Lee";
        ContactAddress home;
        home.m_dwType = ADDR_HOME;
        home.m_strStreet = "Main St 1";
        c.m_addresses.push_back(home);
        m_pm.m_AddrRet = "Sender\r\nHere";
        m_pm.m_Margins = {2000, 2000, 2000, 2000};
        m_pm.m_memoFoot = {"", "Footnote", ""};
        m_pm.m_reportHead = {"Heading", "", ""};
        m_pm.m_reportFoot = {"", "", "Closing"};
    }
    void Choose() { m_dataMan.GetContactAt(0)->m_dwDisplayFlags |= CDF_PRINT; }
    // The envelope style on a DL envelope.
    void ChooseDlEnvelope()
    {
        m_pm.m_Printmode = PM_ENVELOPE;
        for (const EnvelopeSize& size : kEnvelopeSizeTable)
            if (size.Name().starts_with("DL"))
                m_pm.m_EnvelopeData = size;
    }

    // A printer whose paper has strips it cannot print on, as a laser
    // printer's queue reports them: 6.35 mm at the sides, 12.7 mm at the top
    // and the bottom. Its pages go to a PDF file to be measured.
    std::unique_ptr<QPrinter> PrinterWithStrips(const QString& path)
    {
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(path);
        const QMarginsF strips(6.35, 12.7, 6.35, 12.7);
        printer->setPageLayout(QPageLayout(
            QPageSize(QPageSize::A4), QPageLayout::Portrait, strips, QPageLayout::Millimeter, strips));
        return printer;
    }
};

}  // namespace

TEST_F(PrinterJobTest, PagesLieOnAPrinterWithUnprintableStripsAsOnAFile)
{
    if (!CanReadPdf())
        GTEST_SKIP() << "poppler-utils are not installed";
    const QString file = m_dir->filePath("file.pdf"), printed = m_dir->filePath("printer.pdf");
    const QPageLayout a4(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF());
    struct Case {
        u32 mode;
        std::vector<QString> words;
    };
    for (const Case& c : {Case{PM_MEMO, {"Full", "Footnote"}}, Case{PM_REPORT, {"Heading", "Closing"}},
             Case{PM_ENVELOPE, {"Sender", "Ann"}}}) {
        m_pm.m_Printmode = c.mode;
        Choose();
        ASSERT_EQ(PrintToPdf(m_pm, m_info, file, a4), 1);
        auto printer = PrinterWithStrips(printed);
        ASSERT_NEAR(printer->pageLayout().minimumMargins().top(), 12.7, 0.01);
        Choose();
        CPrintInfo info;
        ASSERT_EQ(PrintOnPrinter(m_pm, info, *printer), 1);
        printer.reset();
        for (const QString& word : c.words) {
            const QPointF expected = WordAt(file, word);
            ASSERT_GE(expected.x(), 0) << word.toStdString();
            const QPointF got = WordAt(printed, word);
            EXPECT_NEAR(got.x(), expected.x(), 0.5) << c.mode << " " << word.toStdString();
            EXPECT_NEAR(got.y(), expected.y(), 0.5) << c.mode << " " << word.toStdString();
        }
    }
    // The memo's text begins at its margins from the paper's edge.
    m_pm.m_Printmode = PM_MEMO;
    m_pm.m_Flags1 &= ~PF_MEMO_HEADER;
    Choose();
    auto printer = PrinterWithStrips(printed);
    ASSERT_EQ(PrintOnPrinter(m_pm, m_info, *printer), 1);
    printer.reset();
    EXPECT_NEAR(WordAt(printed, "Full").x(), 2000 * 72.0 / 2540, 1.0);
    EXPECT_NEAR(WordAt(printed, "Full").y(), 2000 * 72.0 / 2540, 1.5);
}

namespace {

// pdfinfo's "Title:" line of a file.
QString PdfTitle(const QString& path)
{
    QProcess p;
    p.start("pdfinfo", {path});
    p.waitForFinished();
    const auto match
        = QRegularExpression("Title:\\s+([^\\n]*)").match(QString::fromUtf8(p.readAllStandardOutput()));
    return match.hasMatch() ? match.captured(1).trimmed() : QString();
}

std::unique_ptr<QPrinter> PdfPrinter(const QString& path)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(path);
    printer->setPageLayout(QPageLayout(QPageSize(QPageSize::A5), QPageLayout::Portrait, QMarginsF()));
    return printer;
}

}  // namespace

TEST_F(PrinterJobTest, TheJobIsNamedAndShowsItsPagesInThePrintingDialog)
{
    if (!CanReadPdf())
        GTEST_SKIP() << "poppler-utils are not installed";
    m_pm.m_Printmode = PM_ENVELOPE;
    for (int i = 0; i < 3; ++i)
        Add("Extra " + std::to_string(i));
    Choose();
    const QString path = m_dir->filePath("named.pdf");
    auto printer = PdfPrinter(path);
    // What the printing dialog showed at each page.
    QStringList seen;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&seen] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<CPrintingDialog*>(w); dialog && dialog->isVisible())
                seen << dialog->findChild<QLabel*>("ctl100")->text() + "|" + dialog->PageText()->text();
    });
    watch.start(0);
    EXPECT_EQ(PrintOnPrinter(m_pm, m_info, *printer, "Tolva - Address Book"), 4);
    watch.stop();
    printer.reset();
    EXPECT_EQ(PdfPages(path), 4);
    EXPECT_EQ(PdfTitle(path), "Tolva - Address Book");
    EXPECT_TRUE(seen.contains("Tolva - Address Book|Page 4 of 4")) << seen.join(", ").toStdString();
    EXPECT_FALSE(QFile::exists(path + ".part"));
}

TEST_F(PrinterJobTest, CancelStopsTheJobBetweenPagesAndLeavesNoPartialFile)
{
    m_pm.m_Printmode = PM_ENVELOPE;
    for (int i = 0; i < 5; ++i)
        Add("Extra " + std::to_string(i));
    Choose();
    const QString path = m_dir->filePath("stopped.pdf");
    // An older file of that name stays as it was.
    Put("stopped.pdf", "older");
    QFile::rename(ProgramPath("stopped.pdf"), path);
    auto printer = PdfPrinter(path);
    int pagesBeforeCancel = 0;
    QTimer::singleShot(0, [&pagesBeforeCancel] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<CPrintingDialog*>(w); dialog && dialog->isVisible()) {
                pagesBeforeCancel = dialog->PageText()->text().split(' ').value(1).toInt();
                QTest::mouseClick(dialog->CancelButton(), Qt::LeftButton);
            }
    });
    EXPECT_EQ(PrintOnPrinter(m_pm, m_info, *printer, "Stopped"), kPrintCancelled);
    EXPECT_GE(pagesBeforeCancel, 1);
    EXPECT_FALSE(m_info.m_bContinuePrinting);
    printer.reset();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "older");
    EXPECT_FALSE(QFile::exists(path + ".part"));
    // No printing dialog is left behind.
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_FALSE(qobject_cast<CPrintingDialog*>(w) && w->isVisible());
}

TEST_F(PrinterJobTest, PaperOperationsOnTheQueuesPaperList)
{
    PrinterPapers office{"Office",
        {QPageSize(QPageSize::A3), QPageSize(QPageSize::A4), QPageSize(QPageSize::Letter),
            QPageSize(QPageSize::A5), QPageSize(QPageSize::EnvelopeDL), QPageSize(QPageSize::EnvelopeC6)},
        false};
    EXPECT_TRUE(IsPaperSupported(office, 9));  // A4
    EXPECT_TRUE(IsPaperSupported(office, 77));  // A4 landscape
    EXPECT_TRUE(IsPaperSupported(office, 1));  // Letter
    EXPECT_FALSE(IsPaperSupported(office, 12));  // B4
    EXPECT_FALSE(IsPaperSupported(office, 999));

    // The smallest paper an envelope fits, not the widest paper.
    QPageSize paper;
    ASSERT_TRUE(GetSmallestPaper(office, QSizeF(110, 220), paper));  // DL, turned
    EXPECT_EQ(paper.id(), QPageSize::EnvelopeDL);
    ASSERT_TRUE(GetSmallestPaper(office, QSizeF(104.8, 241.3), paper));  // #10, turned
    EXPECT_EQ(paper.id(), QPageSize::A4);
    EXPECT_FALSE(GetSmallestPaper(office, QSizeF(500, 500), paper));

    // The setters save the user's paper once; RestorePaper puts it back.
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Landscape, QMarginsF()));
    CPrinterPaper changer;
    ASSERT_TRUE(changer.SetMinimumPaper(*printer, office, QSizeF(114, 162)));
    EXPECT_EQ(printer->pageLayout().pageSize().id(), QPageSize::EnvelopeC6);
    EXPECT_EQ(printer->pageLayout().orientation(), QPageLayout::Portrait);
    EXPECT_TRUE(m_messages.shown.empty());
    changer.RestorePaper(*printer);
    EXPECT_EQ(printer->pageLayout().pageSize().id(), QPageSize::Letter);
    EXPECT_EQ(printer->pageLayout().orientation(), QPageLayout::Landscape);
    // A queue that takes neither the sheet's paper nor a size of its own is
    // named, with where to choose otherwise, and the paper stays as it was.
    EXPECT_FALSE(changer.SetEnvelopePaper(*printer, office, 43));
    ASSERT_EQ(m_messages.shown.size(), 1u);
    const std::string& text = m_messages.shown.back().text;
    EXPECT_NE(text.find("\"Office\" has no paper of 100 x 148 mm"), std::string::npos) << text;
    EXPECT_NE(
        text.find("In the Print dialog choose another printer or \"Print to File (PDF)\""), std::string::npos)
        << text;
    EXPECT_NE(text.find("in Label options"), std::string::npos) << text;
    EXPECT_EQ(text.find("printer's settings"), std::string::npos) << text;
    EXPECT_EQ(printer->pageLayout().pageSize().id(), QPageSize::Letter);
    EXPECT_EQ(printer->pageLayout().orientation(), QPageLayout::Landscape);
    EXPECT_FALSE(changer.IsSaved());
    // A file takes any paper.
    EXPECT_TRUE(changer.SetEnvelopePaper(*printer, PapersOf(*printer), 43));
    EXPECT_EQ(m_messages.shown.size(), 1u);
    changer.RestorePaper(*printer);
}

TEST_F(PrinterJobTest, ACancelledJobSendsNothingToThePrintQueue)
{
    if (!CanReadPdf())
        GTEST_SKIP() << "poppler-utils are not installed";
    m_pm.m_Printmode = PM_ENVELOPE;
    for (int i = 0; i < 5; ++i)
        Add("Extra " + std::to_string(i));
    CStandInQueue queue;
    Choose();
    // Cancel while the second page is drawn.
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&watch] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<CPrintingDialog*>(w);
                dialog && dialog->isVisible() && dialog->PageText()->text() == "Page 2 of 6") {
                QTest::mouseClick(dialog->CancelButton(), Qt::LeftButton);
                watch.stop();
            }
    });
    watch.start(0);
    EXPECT_EQ(PrintOnPrinter(m_pm, m_info, queue, "Stopped"), kPrintCancelled);
    watch.stop();
    EXPECT_TRUE(queue.Jobs().empty()) << PdfPages(queue.Jobs().front().path) << " pages reached the queue";

    // A whole job reaches the queue once, with its pages, name and copies.
    for (int i = 0; i < m_dataMan.GetContactCount(); ++i)
        m_dataMan.GetContactAt(i)->m_dwDisplayFlags |= CDF_PRINT;
    CPrintInfo info;
    ASSERT_EQ(PrintOnPrinter(m_pm, info, queue, "Whole", nullptr, PrintJobChoices{2}), 6);
    ASSERT_EQ(queue.Jobs().size(), 1u);
    EXPECT_EQ(PdfPages(queue.Jobs().front().path), 6);
    EXPECT_EQ(queue.Jobs().front().title, "Whole");
    EXPECT_EQ(queue.Jobs().front().copies, 2);
    // The smallest of the queue's papers that holds a US Letter envelope.
    EXPECT_EQ(queue.Jobs().front().media, "Letter");
}

TEST_F(PrinterJobTest, MemoTextKeepsOutOfTheQueuesStripsAndPageSetupShowsWhereItPrints)
{
    if (!CanReadPdf())
        GTEST_SKIP() << "poppler-utils are not installed";
    // A new user's margins: 1 mm, on a queue whose strips are wider.
    m_pm.m_Margins = {100, 100, 100, 100};
    m_pm.m_Printmode = PM_MEMO;
    m_pm.m_Flags1 &= ~PF_MEMO_HEADER;
    CStandInQueue queue;
    constexpr double kPointsPerMm = 72 / 25.4;
    auto printedAt = [&] {
        Choose();
        CPrintInfo info;
        EXPECT_EQ(PrintOnPrinter(m_pm, info, queue), 1);
        return queue.Jobs().empty() ? QPointF(-1, -1) : WordAt(queue.Jobs().back().path, "Full");
    };
    const QPointF first = printedAt();
    EXPECT_NEAR(first.x(), 6.35 * kPointsPerMm, 1.0);
    EXPECT_NEAR(first.y(), 12.7 * kPointsPerMm, 1.5);

    // The page setup shows those margins; one typed below them is refused
    // with the reason, and OK keeps what was shown.
    std::map<QString, double> shown;
    double leftAfterTyping = 0;
    QTimer::singleShot(0, [&] {
        QPageSetupDialog* dialog = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<QPageSetupDialog*>(w); d && d->isVisible())
                dialog = d;
        ASSERT_NE(dialog, nullptr);
        for (QDoubleSpinBox* box : dialog->findChildren<QDoubleSpinBox*>())
            shown[box->objectName()] = box->value();
        auto* left = dialog->findChild<QDoubleSpinBox*>("leftMargin");
        ASSERT_NE(left, nullptr);
        left->setFocus();
        left->selectAll();
        QTest::keyClicks(left, "2");
        QTest::keyClick(left, Qt::Key_Return);
        leftAfterTyping = left->value();
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    ASSERT_TRUE(DoPageSetup(m_pm, queue, nullptr));
    EXPECT_NEAR(shown["leftMargin"], 6.35, 0.005);
    EXPECT_NEAR(shown["rightMargin"], 6.35, 0.005);
    EXPECT_NEAR(shown["topMargin"], 12.7, 0.005);
    EXPECT_NEAR(shown["bottomMargin"], 12.7, 0.005);
    EXPECT_NEAR(leftAfterTyping, 6.35, 0.005);
    ASSERT_EQ(m_messages.shown.size(), 1u);
    EXPECT_NE(m_messages.shown.front().text.find("cannot be smaller than 6.35 mm"), std::string::npos)
        << m_messages.shown.front().text;
    EXPECT_EQ(m_pm.m_Margins, (RECT{635, 1270, 635, 1270}));
    // The queue keeps its own strips, and the memo prints where it did.
    QPageLayout strips = queue.pageLayout();
    strips.setUnits(QPageLayout::Millimeter);
    EXPECT_NEAR(strips.minimumMargins().top(), 12.7, 0.01);
    const QPointF again = printedAt();
    EXPECT_NEAR(again.x(), first.x(), 0.1);
    EXPECT_NEAR(again.y(), first.y(), 0.1);
}

TEST_F(PrinterJobTest, ALongDeliveryAddressWrapsInsideTheEnvelope)
{
    if (!CanReadPdf())
        GTEST_SKIP() << "poppler-utils are not installed";
    ChooseDlEnvelope();
    ASSERT_EQ(m_pm.m_EnvelopeData.m_wHeight, 1100);
    m_pm.m_AddrDelivMargins = {1000, 500, 300, 300};  // 10 cm along, 5 cm in
    m_dataMan.GetContactAt(0)->m_addresses[0].m_strStreet
        = "Obere Lindenallee-Nord 1234, Hinterhaus links, dritter Stock, Wohnung siebzehn";
    constexpr double kPointsPerMm = 72 / 25.4;
    // Turned (the text runs down the paper) and lying across it.
    for (const i32 feed : {1, 4}) {
        m_pm.m_EnvelopeFeed = feed;
        auto printer = PrinterWithStrips(m_dir->filePath("envelope.pdf"));
        printer->setPageLayout(QPageLayout(QPageSize(QPageSize::A3), QPageLayout::Portrait, QMarginsF()));
        Choose();
        CPrintInfo info;
        ASSERT_EQ(PrintOnPrinter(m_pm, info, *printer), 1);
        printer.reset();
        const QRectF envelope = feed == 1 ? QRectF(0, 0, 110 * kPointsPerMm, 220 * kPointsPerMm)
                                          : QRectF(0, 0, 220 * kPointsPerMm, 110 * kPointsPerMm);
        QStringList seen;
        for (const auto& [word, box] : PdfWords(m_dir->filePath("envelope.pdf"))) {
            seen << word;
            EXPECT_TRUE(envelope.contains(box)) << feed << " " << word.toStdString();
        }
        // The whole street is there, its last word on a line of its own.
        EXPECT_TRUE(seen.contains("siebzehn")) << seen.join(' ').toStdString();
        EXPECT_TRUE(seen.contains("Lindenallee-Nord") || seen.contains("Lindenallee-")) << feed;
    }
}

TEST_F(PrinterJobTest, MarginsBelowTheMinimumMarginsAreRefusedWithTheReason)
{
    // The queue's strips are narrower than the minimum margins, 20 mm.
    m_pm.m_Margins = {100, 100, 100, 100};
    m_pm.m_MarginsMin = {2000, 2000, 2000, 2000};
    CStandInQueue queue;
    double shownLeft = 0, leastLeft = 0, afterTyping = 0;
    QTimer::singleShot(0, [&] {
        QPageSetupDialog* dialog = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<QPageSetupDialog*>(w); d && d->isVisible())
                dialog = d;
        ASSERT_NE(dialog, nullptr);
        auto* left = dialog->findChild<QDoubleSpinBox*>("leftMargin");
        ASSERT_NE(left, nullptr);
        shownLeft = left->value();
        leastLeft = left->minimum();
        left->setFocus();
        left->selectAll();
        QTest::keyClicks(left, "10");
        QTest::keyClick(left, Qt::Key_Return);
        afterTyping = left->value();
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    ASSERT_TRUE(DoPageSetup(m_pm, queue, nullptr));
    EXPECT_NEAR(shownLeft, 20, 0.005);
    EXPECT_NEAR(leastLeft, 20, 0.005);
    EXPECT_NEAR(afterTyping, 20, 0.005);
    ASSERT_EQ(m_messages.shown.size(), 1u);
    EXPECT_NE(m_messages.shown.front().text.find("cannot be smaller than 20.00 mm"), std::string::npos)
        << m_messages.shown.front().text;
    EXPECT_EQ(m_pm.m_Margins, (RECT{2000, 2000, 2000, 2000}));
}

TEST_F(PrinterJobTest, ALabelSheetPrintsOnTheQueuesOwnPaperOrNotAtAll)
{
    if (!CanReadPdf())
        GTEST_SKIP() << "poppler-utils are not installed";
    m_pm.m_Printmode = PM_LABELS;
    m_pm.m_LabelPrintRange = PR_LABEL_SHEET;
    LabelDefinition& l = m_pm.m_Label;
    l.m_wColumns = 2;
    l.m_wRows = 5;
    l.m_wWidth = 5760;  // 4 x 2 in, on US Letter
    l.m_wHeight = 2880;
    l.m_wColumnSpacing = 0;
    l.m_wLeftMargin = 216;
    l.m_wTopMargin = 720;
    l.m_wPaper = 1;
    // A queue that lists Letter and A4 and takes no size of its own: the
    // sheet goes on its Letter, by name.
    CStandInQueue queue;
    Choose();
    ASSERT_EQ(PrintOnPrinter(m_pm, m_info, queue, "Labels"), 1)
        << (m_messages.shown.empty() ? std::string() : m_messages.shown.back().text);
    ASSERT_EQ(queue.Jobs().size(), 1u);
    EXPECT_EQ(queue.Jobs().back().media, "Letter");
    const QString job = queue.Jobs().back().path;
    QProcess info;
    info.start("pdfinfo", {job});
    info.waitForFinished();
    EXPECT_TRUE(QString::fromUtf8(info.readAllStandardOutput()).contains("612 x 792 pts"));
    // The first label's text where the sheet puts it: 0.15 in from the left.
    EXPECT_GE(WordAt(job, "Ann").x(), 216 / 20.0);
    EXPECT_TRUE(m_messages.shown.empty());
    // The user's paper comes back.
    EXPECT_EQ(queue.pageLayout().pageSize().id(), QPageSize::A4);

    // A queue with A4 alone says so before printing, names where to choose
    // otherwise, and sends nothing.
    CStandInQueue a4Only(QStringLiteral("Front desk"), {QPageSize(QPageSize::A4)});
    Choose();
    CPrintInfo again;
    QWidget window;
    EXPECT_EQ(PrintOnPrinter(m_pm, again, a4Only, "Labels", &window), kPrintFailed);
    EXPECT_TRUE(a4Only.Jobs().empty());
    ASSERT_EQ(m_messages.shown.size(), 1u);
    // Over the program's window, not at the centre of the screen.
    EXPECT_EQ(m_messages.shown.back().parent, &window);
    const std::string& text = m_messages.shown.back().text;
    EXPECT_NE(text.find("\"Front desk\" has no paper of 215.9 x 279.4 mm"), std::string::npos) << text;
    EXPECT_NE(text.find("Label options"), std::string::npos) << text;
    EXPECT_EQ(a4Only.pageLayout().pageSize().id(), QPageSize::A4);
}

TEST_F(PrinterJobTest, AnEnvelopeTheQueueHasNoPaperForIsNotPrinted)
{
    ChooseDlEnvelope();
    CStandInQueue queue;
    // Fed in landscape a DL envelope is 220 mm across: neither A4 nor Letter holds it.
    m_pm.m_EnvelopeFeed = 4;
    Choose();
    EXPECT_EQ(PrintOnPrinter(m_pm, m_info, queue, "Envelopes"), kPrintFailed);
    EXPECT_TRUE(queue.Jobs().empty());
    ASSERT_EQ(m_messages.shown.size(), 1u);
    const std::string& text = m_messages.shown.back().text;
    EXPECT_NE(text.find("\"Office laser\" has no paper that holds the envelope \"DL\" fed in landscape"),
        std::string::npos)
        << text;
    EXPECT_NE(text.find("220 mm wide"), std::string::npos) << text;
    EXPECT_NE(text.find("Envelope options"), std::string::npos) << text;
    EXPECT_EQ(queue.pageLayout().pageSize().id(), QPageSize::A4);

    // Fed in portrait it is 110 mm across, and goes on A4.
    m_pm.m_EnvelopeFeed = 1;
    Choose();
    CPrintInfo again;
    EXPECT_EQ(PrintOnPrinter(m_pm, again, queue, "Envelopes"), 1) << m_messages.shown.back().text;
    ASSERT_EQ(queue.Jobs().size(), 1u);
    EXPECT_EQ(queue.Jobs().back().media, "A4");
    EXPECT_EQ(m_messages.shown.size(), 1u);
}

TEST_F(PrinterJobTest, EnvelopeLinesStayWhereThePrinterPrints)
{
    if (!CanReadPdf())
        GTEST_SKIP() << "poppler-utils are not installed";
    // A DL envelope fed in landscape onto an A4 sheet of a printer that
    // lists no papers: the envelope runs past the paper's right edge.
    ChooseDlEnvelope();
    m_pm.m_EnvelopeFeed = 4;
    m_pm.m_AddrRetMargins = {50, 50, 0, 0};  // 5 mm: in the printer's top strip
    m_pm.m_AddrDelivMargins = {1000, 500, 0, 0};
    m_dataMan.GetContactAt(0)->m_addresses[0].m_strStreet
        = "Obere Lindenallee-Nord 1234, Hinterhaus links, dritter Stock, Wohnung siebzehn";
    const QString path = m_dir->filePath("envelope.pdf");
    auto printer = PrinterWithStrips(path);
    Choose();
    ASSERT_EQ(PrintOnPrinter(m_pm, m_info, *printer), 1);
    printer.reset();
    constexpr double kPointsPerMm = 72 / 25.4;
    const QRectF printable(QPointF(6.35 * kPointsPerMm, 12.7 * kPointsPerMm),
        QPointF((210 - 6.35) * kPointsPerMm, (297 - 12.7) * kPointsPerMm));
    QStringList seen;
    for (const auto& [word, box] : PdfWords(path)) {
        seen << word;
        EXPECT_TRUE(printable.adjusted(-0.5, -0.5, 0.5, 0.5).contains(box))
            << word.toStdString() << " " << box.right() << " " << box.top();
    }
    EXPECT_TRUE(seen.contains("Sender")) << seen.join(' ').toStdString();
    EXPECT_TRUE(seen.contains("siebzehn")) << seen.join(' ').toStdString();
}

TEST_F(PrinterJobTest, EachJobCarriesTheChoicesMadeForItAlone)
{
    m_pm.m_Printmode = PM_MEMO;
    CStandInQueue queue;
    // Choices left on the shared printer go with no job; the queue's other
    // own options (set through Qt's page setup) go with every job.
    queue.setCopyCount(3);
    queue.setDuplex(QPrinter::DuplexLongSide);
    queue.setPageOrder(QPrinter::LastPageFirst);
    queue.printEngine()->setProperty(QPrintEngine::PrintEnginePropertyKey(0xfe00),
        QStringList{"number-up", "4", "sides", "two-sided-short-edge", "print-quality", "5"});
    Choose();
    ASSERT_EQ(PrintOnPrinter(m_pm, m_info, queue, "Plain"), 1);
    ASSERT_EQ(queue.Jobs().size(), 1u);
    EXPECT_EQ(queue.Jobs().back().copies, 1);
    EXPECT_EQ(queue.Jobs().back().options, (QStringList{"sides=one-sided", "print-quality=5"}))
        << queue.Jobs().back().options.join(' ').toStdString();

    // A memo takes every choice made for it.
    const PrintJobChoices chosen{3, true, QPrinter::DuplexLongSide, true, 4};
    Choose();
    CPrintInfo memo;
    ASSERT_EQ(PrintOnPrinter(m_pm, memo, queue, "Options", nullptr, chosen), 1);
    ASSERT_EQ(queue.Jobs().size(), 2u);
    EXPECT_EQ(queue.Jobs().back().copies, 3);
    EXPECT_EQ(queue.Jobs().back().options,
        (QStringList{"sides=two-sided-long-edge", "Collate=True", "outputorder=reverse", "number-up=4",
            "print-quality=5"}))
        << queue.Jobs().back().options.join(' ').toStdString();

    // An envelope and a label sheet go one page to a sheet, first page
    // first, on one side, whatever was chosen.
    for (const u32 style : {PM_ENVELOPE, PM_LABELS}) {
        m_pm.m_Printmode = style;
        m_pm.m_LabelPrintRange = PR_LABEL_SHEET;
        m_pm.m_Label.m_wPaper = 9;
        Choose();
        CPrintInfo info;
        ASSERT_EQ(PrintOnPrinter(m_pm, info, queue, "Fixed", nullptr, chosen), 1) << style;
        EXPECT_EQ(queue.Jobs().back().copies, 3);
        EXPECT_EQ(
            queue.Jobs().back().options, (QStringList{"sides=one-sided", "Collate=True", "print-quality=5"}))
            << style << " " << queue.Jobs().back().options.join(' ').toStdString();
    }
}

TEST_F(PrinterJobTest, ThePrintDialogsChoicesHoldForItsJobAndWhatTheQueueAndStyleTake)
{
    m_pm.m_Printmode = PM_MEMO;
    {
        // A queue that prints on one side only offers nothing else.
        CStandInQueue oneSided(QStringLiteral("Front desk"), {QPageSize(QPageSize::A4)}, {});
        CRPrintDialog dialog(m_pm, oneSided);
        dialog.Printers()->insertItem(0, "Front desk", "Front desk");
        dialog.Printers()->setCurrentIndex(0);
        EXPECT_EQ(dialog.TwoSided()->count(), 1);
        EXPECT_FALSE(dialog.TwoSided()->isEnabled());
    }
    CStandInQueue queue;
    PrintJobChoices chosen;
    {
        CRPrintDialog dialog(m_pm, queue);
        dialog.Printers()->insertItem(0, "Office laser", "Office laser");
        dialog.Printers()->setCurrentIndex(0);
        ASSERT_EQ(dialog.TwoSided()->count(), 3);
        EXPECT_TRUE(dialog.TwoSided()->isEnabled());
        EXPECT_FALSE(dialog.Collate()->isEnabled());  // one copy
        dialog.Copies()->setValue(2);
        ASSERT_TRUE(dialog.Collate()->isEnabled());
        dialog.Collate()->setChecked(true);
        dialog.TwoSided()->setCurrentIndex(1);
        dialog.PagesPerSheet()->setCurrentIndex(dialog.PagesPerSheet()->findText("4"));
        dialog.LastPageFirst()->setChecked(true);
        // Labels and envelopes show one page a sheet, first page first, one
        // side, and take no other; the memo's choices come back with it.
        for (const int style : {3, 2}) {
            dialog.Panel()->Styles()->setCurrentRow(style);
            EXPECT_EQ(dialog.TwoSided()->currentIndex(), 0) << style;
            EXPECT_EQ(dialog.PagesPerSheet()->currentText(), "1") << style;
            EXPECT_FALSE(dialog.LastPageFirst()->isChecked()) << style;
            for (QWidget* w : std::initializer_list<QWidget*>{
                     dialog.TwoSided(), dialog.PagesPerSheet(), dialog.LastPageFirst()})
                EXPECT_FALSE(w->isEnabled()) << style << " " << w->objectName().toStdString();
            EXPECT_TRUE(dialog.Copies()->isEnabled());
        }
        dialog.Panel()->Styles()->setCurrentRow(0);
        EXPECT_EQ(dialog.TwoSided()->currentIndex(), 1);
        EXPECT_EQ(dialog.PagesPerSheet()->currentText(), "4");
        EXPECT_TRUE(dialog.LastPageFirst()->isChecked());
        // Every choice shows whole, its text unclipped.
        const QImage picture = Grab(&dialog);
        SavePicture(picture, "print-dialog-printer-options");
        for (QWidget* w : std::initializer_list<QWidget*>{dialog.Copies(), dialog.Collate(),
                 dialog.TwoSided(), dialog.PagesPerSheet(), dialog.LastPageFirst()}) {
            EXPECT_GE(w->width(), w->sizeHint().width()) << w->objectName().toStdString();
            EXPECT_TRUE(dialog.rect().contains(QRect(w->mapTo(&dialog, QPoint()), w->size())))
                << w->objectName().toStdString();
        }
        for (QLabel* caption : dialog.findChildren<QLabel*>())
            EXPECT_TRUE(!caption->isVisible() || caption->width() >= caption->sizeHint().width())
                << caption->text().toStdString();
        QTest::mouseClick(dialog.findChild<QPushButton*>("ctl1"), Qt::LeftButton);
        ASSERT_EQ(dialog.Result(), kResultPrint);
        chosen = dialog.Choices();
    }
    Choose();
    ASSERT_EQ(PrintOnPrinter(m_pm, m_info, queue, "Chosen", nullptr, chosen), 1);
    ASSERT_EQ(queue.Jobs().size(), 1u);
    EXPECT_EQ(queue.Jobs().back().copies, 2);
    EXPECT_EQ(queue.Jobs().back().options,
        (QStringList{"sides=two-sided-long-edge", "Collate=True", "outputorder=reverse", "number-up=4"}))
        << queue.Jobs().back().options.join(' ').toStdString();
    // They stay off the printer: a later job has none of them.
    Choose();
    CPrintInfo later;
    ASSERT_EQ(PrintOnPrinter(m_pm, later, queue, "Later"), 1);
    EXPECT_EQ(queue.Jobs().back().copies, 1);
    EXPECT_EQ(queue.Jobs().back().options, QStringList{"sides=one-sided"});

    // The next dialog offers none of them; a file takes none either.
    CRPrintDialog again(m_pm, queue);
    again.Printers()->insertItem(0, "Office laser", "Office laser");
    again.Printers()->setCurrentIndex(0);
    EXPECT_EQ(again.Copies()->value(), 1);
    EXPECT_EQ(again.TwoSided()->currentIndex(), 0);
    EXPECT_EQ(again.PagesPerSheet()->currentText(), "1");
    EXPECT_FALSE(again.LastPageFirst()->isChecked());
    again.Printers()->setCurrentIndex(again.FileEntry());
    for (QWidget* w : std::initializer_list<QWidget*>{
             again.Collate(), again.TwoSided(), again.PagesPerSheet(), again.LastPageFirst()})
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
}
