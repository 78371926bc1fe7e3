#include "framefixture.h"
#include "gridtest.h"
#include "mainwnd/commands.h"
#include "mainwnd/printcommands.h"
#include "platform/profile.h"
#include "platform/recorddc.h"
#include "print/labelfile.h"
#include "print/printman.h"
#include "print/printoutput.h"
#include "print/printtesting.h"
#include "print/ui/envelopeoptionsdlg.h"
#include "print/ui/labeloptionsdlg.h"
#include "print/ui/memooptionsdlg.h"
#include "print/ui/printdlg.h"
#include "print/ui/printingdlg.h"
#include "print/ui/printqueue.h"
#include "print/ui/printsetup.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <functional>

namespace {

using GridPrintTest = GridTest;

// Labels of the selected contacts, one label to a sheet: a page per contact.
void OneLabelSheets(PrintMan& pm)
{
    pm.m_Printmode = PM_LABELS;
    pm.m_LabelPrintRange = PR_LABEL_SELECTION;
    pm.m_Label.m_wColumns = 1;
    pm.m_Label.m_wRows = 1;
    pm.m_Label.m_wWidth = 4000;
    pm.m_Label.m_wHeight = 2000;
    pm.m_Label.m_wPaper = 9;
}

class FramePrintTest : public FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        m_pm.SetSources(m_dataMan.get(), m_userMan.get());
    }
    // The frame's print commands, over the test's print manager.
    CPrintCommands* PrintCommands() { return new CPrintCommands(Frame(), m_pm, *m_dataMan); }
    // The label preview of the first three contacts, one label to a page,
    // opened by the frame's command.
    CPrintCommands* OpenLabelPreview()
    {
        OneLabelSheets(m_pm);
        auto* commands = PrintCommands();
        Select({0, 1, 2});
        Trigger(ID_FILE_PRINT_PREVIEW);
        return commands;
    }
    // A fresh profile's label sheets: the standard label file as shipped.
    void ShipStandardLabels(LabelDefinitionArray& sheets)
    {
        QDir().mkpath(ProgramPath("data"));
        ASSERT_TRUE(QFile::copy(TOLVA_STANDARD_LABELS, ProgramPath("data/tlvlbl.data")));
        ASSERT_TRUE(LoadStandardLabels(sheets));
    }
    PrintMan m_pm;
};

}  // namespace

TEST_F(GridPrintTest, TheShownColumnsPrintAsTheReportsHeadingAndRows)
{
    m_grid->Refill(false, true);
    Add("Zed Young");
    CRecordDC dc(PageCaps::FullPage(21000, 29700));
    LOGFONT font;
    font.lfHeight = -400;
    dc.SelectFont(font);
    RECT rect{0, 0, 20000, -29000};
    m_grid->PrintHeader(true, rect, dc);
    // The icon column prints nothing; the others give their titles, centred.
    ASSERT_NE(dc.FindText("Name"), nullptr);
    EXPECT_EQ(rect.top, -600);
    const i32 total = m_grid->GetTotalWidth() - m_grid->GetColumnWidth(0);
    ASSERT_GT(total, 0);
    const i32 scale = 20000 / total;
    EXPECT_EQ(dc.FindText("Name")->at.x, (m_grid->GetColumnWidth(1) * scale - 4 * 200) / 2);

    const Contact& contact = *m_dm->GetContactAt(0);
    EXPECT_EQ(m_grid->PrintRow(true, rect, dc, contact, false), 0);
    ASSERT_NE(dc.FindText("Zed Young"), nullptr);
    EXPECT_EQ(dc.FindText("Zed Young")->at, (POINT{CRGridCtrl::kInset * scale, -600}));
    // A row that does not fit is left for the next page.
    RECT full{0, -600, 20000, -700};
    EXPECT_EQ(m_grid->PrintRow(true, full, dc, contact, false), 1);

    // A column made wider in the list is wider on the next page too.
    const POINT before = dc.FindText("Zed Young")->at;
    const std::vector<int> shown = m_grid->GetShownColumns();
    m_grid->SetColumnWidth(1, m_grid->GetColumnWidth(shown.at(1)) + 200);
    CRecordDC next(PageCaps::FullPage(21000, 29700));
    next.SelectFont(font);
    RECT again{0, 0, 20000, -29000};
    m_grid->PrintHeader(true, again, next);
    ASSERT_EQ(m_grid->PrintRow(true, again, next, contact, false), 0);
    ASSERT_NE(next.FindText("Zed Young"), nullptr);
    EXPECT_NE(next.FindText("Zed Young")->at, before);
}

TEST_F(FramePrintTest, PrintPreviewTakesThePanesPlaceUntilClosed)
{
    m_pm.m_Printmode = PM_MEMO;
    m_pm.m_Printtype = PR_LIST;
    auto* commands = PrintCommands();
    QWidget* panes = Frame().centralWidget();
    Select({0});
    Trigger(ID_FILE_PRINT_PREVIEW);
    ASSERT_TRUE(commands->InPreview());
    EXPECT_EQ(Frame().centralWidget(), commands->Preview());
    EXPECT_EQ(commands->Preview()->Pages()->Info().GetMaxPage(), 1u);
    // The begin pass took every shown contact and cleared their marks.
    for (Contact* contact : Grid().ShownContacts())
        EXPECT_FALSE(contact->m_dwDisplayFlags & CDF_PRINT);
    EXPECT_FALSE(Enabled(ID_FILE_PRINT_PREVIEW));

    commands->Preview()->Bar()->Action(AFX_ID_PREVIEW_CLOSE)->trigger();
    QApplication::processEvents();
    EXPECT_FALSE(commands->InPreview());
    EXPECT_EQ(Frame().centralWidget(), panes);
    EXPECT_TRUE(Enabled(ID_FILE_PRINT_PREVIEW));
}

TEST_F(FramePrintTest, EnterInPageSetupTakesTheLayoutAndPrintsNothing)
{
    m_pm.m_Printtype = PR_SELECTION;
    auto* commands = PrintCommands();
    QPrinter& printer = AppPrinter();
    const QString path = m_dir->filePath("memo.pdf");
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    Select({0});
    QStringList buttons;
    bool answered = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<CDialogMemoOptions*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        answered = true;
        for (const QPushButton* button : dialog->findChildren<QPushButton*>())
            if (button->isDefault())
                buttons << button->text();
        // The left header edit, typed into and left with Enter.
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("ctl1446"));
        edit->setFocus();
        QTest::keyClicks(edit, QStringLiteral("Heading"));
        QTest::keyClick(edit, Qt::Key_Return);
    });
    Trigger(ID_PAGESETUP_MEMO);
    printer.setOutputFileName(QString());
    ASSERT_TRUE(answered);
    EXPECT_EQ(buttons, QStringList{QStringLiteral("OK")});
    EXPECT_EQ(m_pm.m_Printmode, PM_MEMO);
    EXPECT_EQ(m_pm.m_memoHead[0], "Heading");
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_FALSE(commands->InPreview());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(FramePrintTest, EnterInTheEnvelopePageSetupTakesTheSettings)
{
    m_pm.m_Printmode = PM_MEMO;
    auto* commands = PrintCommands();
    Select({0});
    QString focused;
    QTimer::singleShot(0, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog)
            return;
        // The control the dialog opens on takes the key.
        QWidget* start = dialog->focusWidget();
        auto* button = qobject_cast<QPushButton*>(start);
        focused = button ? button->text() : QStringLiteral("no button");
        ASSERT_NE(start, nullptr);
        QTest::keyClick(start, Qt::Key_Return);
    });
    Trigger(ID_PAGESETUP_ENVELOPE);
    EXPECT_EQ(focused.toStdString(), "OK");
    EXPECT_EQ(m_pm.m_Printmode, PM_ENVELOPE);
    EXPECT_FALSE(commands->InPreview());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(FramePrintTest, ContactsFreedWhileThePreviewIsOpenAreLeftBlank)
{
    CPrintCommands* commands = OpenLabelPreview();
    ASSERT_TRUE(commands->InPreview());
    ASSERT_EQ(commands->Preview()->Pages()->Info().GetMaxPage(), 3u);

    // The contacts go to "Deleted Items" and from there for good, while the
    // preview still shows their labels.
    m_messages.reply = IDOK;
    // Delete with Shift held deletes for good; a run of many tests in one
    // process may have left Shift down.
    if (QWindow* window = Frame().windowHandle())
        QTest::keyRelease(window, Qt::Key_Shift);
    Trigger(ID_CONTACT_DELETE);
    Trigger(ID_EMPTY_DELETED);
    ASSERT_EQ(m_dataMan->GetContactCount(), 0);

    // Two pages, then the next ones: each page is drawn without the freed
    // records (the sanitizers watch).
    CPreviewBar* bar = commands->Preview()->Bar();
    bar->Action(AFX_ID_PREVIEW_NUMPAGE)->trigger();
    commands->Preview()->Pages()->viewport()->repaint();
    bar->Action(AFX_ID_PREVIEW_NEXT)->trigger();
    commands->Preview()->Pages()->viewport()->repaint();
    EXPECT_EQ(commands->Preview()->Pages()->PagesShown(), 2);
    commands->ClosePreview();
}

TEST_F(FramePrintTest, TheStatusBarNamesThePagesShown)
{
    for (int i = 0; i < m_dataMan->GetContactCount(); ++i) {
        ContactAddress home;
        home.m_dwType = ADDR_HOME;
        home.m_strStreet = "Elm Row " + std::to_string(i);
        m_dataMan->GetContactAt(i)->m_addresses = {home};
    }
    CPrintCommands* commands = OpenLabelPreview();
    ASSERT_TRUE(commands->InPreview());
    // The preview opens with as many pages as it showed last in this run.
    if (commands->Preview()->Pages()->PagesShown() == 2)
        commands->Preview()->Bar()->Action(AFX_ID_PREVIEW_NUMPAGE)->trigger();
    EXPECT_EQ(Frame().statusBar()->currentMessage(), "Page 1");
    commands->Preview()->Bar()->Action(AFX_ID_PREVIEW_NEXT)->trigger();
    EXPECT_EQ(Frame().statusBar()->currentMessage(), "Page 2");
    commands->Preview()->Bar()->Action(AFX_ID_PREVIEW_NUMPAGE)->trigger();
    EXPECT_EQ(Frame().statusBar()->currentMessage(), "Pages 2-3");
    commands->Preview()->Bar()->Action(AFX_ID_PREVIEW_NUMPAGE)->trigger();
    EXPECT_EQ(Frame().statusBar()->currentMessage(), "Page 2");
    commands->ClosePreview();
}

TEST_F(FramePrintTest, ALabelSheetLargerThanItsPaperIsRefusedWithAMessage)
{
    OneLabelSheets(m_pm);
    m_pm.m_Label.m_wColumns = 3;
    m_pm.m_Label.m_wWidth = 5000;  // three labels of 8.8 cm across A4
    auto* commands = PrintCommands();
    Select({0});
    Trigger(ID_FILE_PRINT_PREVIEW);
    EXPECT_FALSE(commands->InPreview());
    ASSERT_FALSE(m_messages.shown.empty());
    EXPECT_TRUE(m_messages.shown.back().text.find("larger than the label page size") != std::string::npos);

    m_pm.m_Label.m_wColumns = 2;
    Trigger(ID_FILE_PRINT_PREVIEW);
    EXPECT_TRUE(commands->InPreview());
    commands->ClosePreview();
}

TEST_F(FramePrintTest, AFileChosenInThePrintDialogIsNamedAfterTheWindowAndKept)
{
    if (QStandardPaths::findExecutable("pdfinfo").isEmpty())
        GTEST_SKIP() << "poppler-utils are not installed";
    m_pm.m_Printmode = PM_MEMO;
    m_pm.m_Printtype = PR_LIST;
    auto* commands = PrintCommands();
    const QString path = QDir::toNativeSeparators(m_dir->filePath("contacts.pdf"));
    // Each print dialog is answered in turn: the first one is sent to the
    // file and goes to the preview; the later ones show what they offer.
    std::vector<std::function<void(CRPrintDialog&)>> answers;
    size_t answered = 0;
    std::function<void()> answer = [&] {
        CRPrintDialog* dialog = nullptr;
        for (auto* d : Frame().findChildren<CRPrintDialog*>())
            if (d->isVisible())
                dialog = d;
        if (!dialog || answered >= answers.size()) {
            QTimer::singleShot(10, answer);
            return;
        }
        answers[answered++](*dialog);
    };
    bool keptInPreview = false, keptAfterPrinting = false;
    answers.push_back([&](CRPrintDialog& d) {
        d.Printers()->setCurrentIndex(d.FileEntry());
        d.FileName()->setText(path);
        EXPECT_FALSE(d.Copies()->isEnabled());  // a file is written once
        QTest::mouseClick(d.findChild<QPushButton*>("ctl1018"), Qt::LeftButton);  // Preview
    });
    answers.push_back([&](CRPrintDialog& d) {
        keptInPreview = d.Printers()->currentIndex() == d.FileEntry() && d.FileName()->text() == path;
        QTest::mouseClick(d.findChild<QPushButton*>("ctl1"), Qt::LeftButton);  // OK: print
    });
    answers.push_back([&](CRPrintDialog& d) {
        keptAfterPrinting = d.Printers()->currentIndex() == d.FileEntry() && d.FileName()->text() == path;
        QTest::mouseClick(d.findChild<QPushButton*>("ctl2"), Qt::LeftButton);  // Cancel
    });

    Select({0});
    QTimer::singleShot(0, answer);
    Trigger(ID_PRINT);
    ASSERT_TRUE(commands->InPreview());
    // The preview's Print comes back to the print dialog with the file still chosen.
    QTimer::singleShot(0, answer);
    commands->Preview()->Bar()->Action(AFX_ID_PREVIEW_PRINT)->trigger();
    QApplication::processEvents();
    EXPECT_TRUE(keptInPreview);
    ASSERT_TRUE(QFile::exists(path));
    QProcess info;
    info.start("pdfinfo", {path});
    info.waitForFinished();
    EXPECT_TRUE(QString::fromUtf8(info.readAllStandardOutput())
                    .contains(QRegularExpression("Title:\\s+"
                        + QRegularExpression::escape(Frame().windowTitle().remove("[*]").left(31)))));

    QTimer::singleShot(0, answer);
    Trigger(ID_PRINT);
    EXPECT_TRUE(keptAfterPrinting);
    EXPECT_EQ(answered, 3u);
}

namespace {

// The page size pdfinfo gives, in points.
QSizeF PdfPageSize(const QString& path)
{
    QProcess p;
    p.start("pdfinfo", {path});
    p.waitForFinished();
    const auto m = QRegularExpression("Page size:\\s+([0-9.]+) x ([0-9.]+) pts")
                       .match(QString::fromUtf8(p.readAllStandardOutput()));
    return m.hasMatch() ? QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble()) : QSizeF();
}

// Answers the next label options dialog with the button of the id.
void AnswerLabelOptions(int button)
{
    QTimer::singleShot(0, [button] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<CDialogLabelOptions*>(w); d && d->isVisible()) {
                QTest::mouseClick(
                    d->findChild<QPushButton*>(QStringLiteral("ctl%1").arg(button)), Qt::LeftButton);
                return;
            }
        ADD_FAILURE() << "no label options dialog";
    });
}

}  // namespace

TEST_F(FramePrintTest, EverySheetOfTheStandardLabelFilePrintsAndPreviewsOnItsOwnPaper)
{
    if (!CanReadPdf())
        GTEST_SKIP() << "poppler-utils are not installed";
    // A fresh profile: the shipped sheets and the print manager's defaults.
    LabelDefinitionArray sheets;
    ASSERT_NO_FATAL_FAILURE(ShipStandardLabels(sheets));
    ASSERT_GE(sheets.size(), 10u);
    auto* commands = PrintCommands();
    QPrinter& printer = AppPrinter();
    const QString path = m_dir->filePath("labels.pdf");
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    Select({0});

    for (size_t i = 0; i < sheets.size(); ++i) {
        const LabelDefinition& sheet = sheets[i];
        const std::string name = sheet.Name();
        Profile::WriteInt(kPrintManSection, kLabelListPosEntry, int(i));
        QFile::remove(path);
        m_messages.shown.clear();
        AnswerLabelOptions(1);  // Print
        Trigger(ID_PAGESETUP_LABELS);
        ASSERT_TRUE(m_messages.shown.empty()) << name << ": " << m_messages.shown.front().text;
        ASSERT_EQ(m_pm.m_Label.Name(), name);
        // One sheet of its own paper, every word of it on the paper.
        const QSizeF paper = PaperOfCode(sheet.m_wPaper).size(QPageSize::Point);
        const QSizeF page = PdfPageSize(path);
        EXPECT_NEAR(std::min(page.width(), page.height()), paper.width(), 1.0) << name;
        EXPECT_NEAR(std::max(page.width(), page.height()), paper.height(), 1.0) << name;
        const auto words = PdfWords(path);
        EXPECT_FALSE(words.empty()) << name;
        for (const auto& [word, box] : words)
            EXPECT_TRUE(QRectF(QPointF(), page).contains(box)) << name << " " << word.toStdString();

        AnswerLabelOptions(1575);  // Preview
        Trigger(ID_PAGESETUP_LABELS);
        EXPECT_TRUE(m_messages.shown.empty()) << name;
        EXPECT_TRUE(commands->InPreview()) << name;
        commands->ClosePreview();
    }
    printer.setOutputFileName(QString());
}

TEST_F(FramePrintTest, LabelsBreakNamesAtHyphensAndThePreviewSaysWhenLinesAreLeftOut)
{
    if (!CanReadPdf())
        GTEST_SKIP() << "poppler-utils are not installed";
    LabelDefinitionArray sheets;
    ASSERT_NO_FATAL_FAILURE(ShipStandardLabels(sheets));
    int small = -1;
    for (size_t i = 0; i < sheets.size(); ++i)
        if (sheets[i].Name().starts_with("63.5 x 38.1 mm"))
            small = int(i);
    ASSERT_GE(small, 0);
    Profile::WriteInt(kPrintManSection, kLabelListPosEntry, small);
    auto* commands = PrintCommands();
    Select({0});
    Contact& contact = *Grid().FirstSelectedContact();
    contact.m_strFirstName = "Anne-Marie-Louise-Genevieve-Bernadette-Antoinette";
    contact.m_strLastName.clear();
    ContactAddress home;
    home.m_dwType = ADDR_HOME;
    home.m_strStreet = "1 Short Street";
    home.m_strCity = "Oldtown";
    contact.m_addresses = {home};

    // A short address fits its label: the status names the page alone.
    AnswerLabelOptions(1575);  // Preview
    Trigger(ID_PAGESETUP_LABELS);
    ASSERT_TRUE(commands->InPreview());
    EXPECT_EQ(Frame().statusBar()->currentMessage(), "Page 1");
    commands->ClosePreview();

    // The name breaks after its hyphens, never inside a part.
    QPrinter& printer = AppPrinter();
    const QString path = m_dir->filePath("labels.pdf");
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    AnswerLabelOptions(1);  // Print
    Trigger(ID_PAGESETUP_LABELS);
    printer.setOutputFileName(QString());
    const QRegularExpression part("^(Anne|Marie|Louise|Genevieve|Bernadette|Antoinette)(-|$)");
    int pieces = 0;
    for (const auto& [word, box] : PdfWords(path))
        if (word.contains(QRegularExpression("^(Anne|.*-)"))) {
            ++pieces;
            for (const QString& piece : word.split('-', Qt::SkipEmptyParts))
                EXPECT_TRUE(part.match(piece).hasMatch()) << word.toStdString();
        }
    EXPECT_GT(pieces, 1);

    // An address longer than the label: the preview says lines are left out.
    home.m_strStreet = "Flat 7\r\nSecond floor\r\nBlock C\r\nThe Courtyard\r\nLong Lane 12\r\nEast Quarter";
    home.m_strCountry = "Norway";
    contact.m_addresses = {home};
    AnswerLabelOptions(1575);
    Trigger(ID_PAGESETUP_LABELS);
    ASSERT_TRUE(commands->InPreview());
    EXPECT_TRUE(Frame().statusBar()->currentMessage().startsWith("Page 1"));
    EXPECT_TRUE(Frame().statusBar()->currentMessage().contains("left out"))
        << Frame().statusBar()->currentMessage().toStdString();
    commands->ClosePreview();
}

namespace {

// The words of a PDF's page, as pdftotext gives them.
QStringList PdfPageWords(const QString& path, int page)
{
    QProcess p;
    p.start("pdftotext", {"-f", QString::number(page), "-l", QString::number(page), path, "-"});
    p.waitForFinished();
    return QString::fromUtf8(p.readAllStandardOutput()).split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
}

}  // namespace

TEST_F(FramePrintTest, EnvelopesGoToTheAddressEachContactHasAndTheResultNamesWhoHasNone)
{
    if (!CanReadPdf())
        GTEST_SKIP() << "poppler-utils are not installed";
    m_pm.m_PrinttypeEnv = PR_SELECTION;
    auto* commands = PrintCommands();
    // Anna has a business address alone, Bruno a home address, Carla none;
    // the envelopes use the postal format, which reads the home fields.
    Select({0, 1, 2});
    for (Contact* c : Grid().SelectedContacts()) {
        if (c->m_strName == "Anna Berg")
            c->m_addresses = {{ADDR_BUSINESS | ADDR_DEFAULT, "7 Trade Road", "", "", "", "", 1, 0}};
        if (c->m_strName == "Bruno Cole")
            c->m_addresses = {{ADDR_HOME | ADDR_DEFAULT, "3 Elm Row", "", "", "", "", 2, 0}};
    }
    QPrinter& printer = AppPrinter();
    const QString path = m_dir->filePath("envelopes.pdf");
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    auto answer = [](const char* button) {
        QTimer::singleShot(0, [button] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* d = qobject_cast<CDialogEnvelopeOptions*>(w); d && d->isVisible())
                    return QTest::mouseClick(d->findChild<QPushButton*>(button), Qt::LeftButton);
            ADD_FAILURE() << "no envelope options dialog";
        });
    };
    answer("ctl1");  // Print
    Trigger(ID_PAGESETUP_ENVELOPE);
    printer.setOutputFileName(QString());
    ASSERT_EQ(PdfPages(path), 3);
    // By last name: Berg, Cole, Dean.
    EXPECT_EQ(PdfPageWords(path, 1), (QStringList{"Berg", "7", "Trade", "Road"}));
    EXPECT_EQ(PdfPageWords(path, 2), (QStringList{"Cole", "3", "Elm", "Row"}));
    EXPECT_EQ(PdfPageWords(path, 3), QStringList{"Dean"});
    const QString note = "Carla Dean has no address: the envelope carries the name alone.";
    EXPECT_EQ(Frame().statusBar()->currentMessage(), note);
    // The preview says it too, after the page.
    answer("ctl1575");
    Trigger(ID_PAGESETUP_ENVELOPE);
    ASSERT_TRUE(commands->InPreview());
    EXPECT_TRUE(Frame().statusBar()->currentMessage().endsWith(note));
    commands->ClosePreview();
}

TEST_F(FramePrintTest, ThePrintDialogKeepsTheFileAfterAPrinterJobAndFitsEachStyle)
{
    m_pm.m_Printmode = PM_MEMO;
    m_pm.m_Printtype = PR_SELECTION;
    auto* commands = PrintCommands();
    // The height of the dialog opened in the memo style.
    int memoHeight = 0;
    {
        CRPrintDialog memo(m_pm, AppPrinter(), &Frame());
        memo.show();
        QApplication::processEvents();
        memoHeight = memo.height();
    }
    // A queue that takes every job.
    int queued = 0;
    SetPrintQueueSubmit([&queued](const PrintQueueJob&) { return ++queued > 0; });
    const QString path = QDir::toNativeSeparators(m_dir->filePath("kept.pdf"));
    auto answer = [](std::function<void(CRPrintDialog&)> act) {
        QTimer::singleShot(0, [act] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* d = qobject_cast<CRPrintDialog*>(w); d && d->isVisible())
                    return act(*d);
            ADD_FAILURE() << "no print dialog";
        });
    };
    Select({0});
    // To a file, then to a printer.
    answer([&](CRPrintDialog& d) {
        d.Printers()->setCurrentIndex(d.FileEntry());
        d.FileName()->setText(path);
        QTest::mouseClick(d.findChild<QPushButton*>("ctl1"), Qt::LeftButton);
    });
    Trigger(ID_PRINT);
    EXPECT_TRUE(QFile::exists(path));
    answer([&](CRPrintDialog& d) {
        d.Printers()->insertItem(0, "Office laser", "Office laser");
        d.Printers()->setCurrentIndex(0);
        QTest::mouseClick(d.findChild<QPushButton*>("ctl1"), Qt::LeftButton);
    });
    Trigger(ID_PRINT);
    EXPECT_EQ(queued, 1);
    // The next dialog offers that file again; in the label style and back
    // in the memo style it is as high as what it shows.
    m_pm.m_Printmode = PM_LABELS;
    QString offered;
    int labelHeight = 0, backToMemo = 0;
    answer([&](CRPrintDialog& d) {
        offered = d.FileName()->text();
        labelHeight = d.height();
        d.Panel()->Styles()->setCurrentRow(0);
        QApplication::processEvents();
        backToMemo = d.height();
        QTest::mouseClick(d.findChild<QPushButton*>("ctl2"), Qt::LeftButton);
    });
    Trigger(ID_PRINT);
    SetPrintQueueSubmit({});
    EXPECT_EQ(offered.toStdString(), path.toStdString());
    EXPECT_GT(labelHeight, memoHeight);
    EXPECT_NEAR(backToMemo, memoHeight, 2);
    (void)commands;
}

TEST_F(FramePrintTest, ThePreviewKeepsTheMemoOutOfThePrintersStrips)
{
    m_pm.m_Printmode = PM_MEMO;
    m_pm.m_Printtype = PR_SELECTION;
    auto* commands = PrintCommands();
    // A printer that cannot print within 6.35 mm of the sides and 12.7 mm
    // of the top and the bottom; the memo's margins are a new user's 1 mm.
    QPrinter& printer = AppPrinter();
    const QPageLayout before = printer.pageLayout();
    // The strips as the queue reports them, for the paper in portrait; in
    // landscape the page lies on the paper turned, and so do they.
    const QMarginsF strips(6.35, 12.7, 6.35, 12.7);
    for (const auto orientation : {QPageLayout::Portrait, QPageLayout::Landscape}) {
        printer.setPageLayout(
            QPageLayout(QPageSize(QPageSize::A4), orientation, strips, QPageLayout::Millimeter, strips));
        const bool turned = orientation == QPageLayout::Landscape;
        Select({0});
        Trigger(ID_FILE_PRINT_PREVIEW);
        ASSERT_TRUE(commands->InPreview());
        CPrintPreviewWnd* pages = commands->Preview()->Pages();
        QApplication::processEvents();
        const QImage picture = pages->viewport()->grab().toImage();
        const QRect page = pages->PageRect(0);
        ASSERT_FALSE(page.isEmpty());
        EXPECT_EQ(page.width() > page.height(), turned);
        // The first ink on the paper, from its left and from its top.
        int left = page.width(), top = page.height();
        for (int y = page.top() + 2; y < page.bottom() - 2; ++y)
            for (int x = page.left() + 2; x < page.right() - 2; ++x)
                if (qGray(picture.pixel(x, y)) < 160) {
                    left = std::min(left, x - page.left());
                    top = std::min(top, y - page.top());
                }
        const double width = turned ? 297 : 210, height = turned ? 210 : 297;
        EXPECT_GE(double(left) / page.width(), (turned ? 12.7 : 6.35) / width - 0.005)
            << left << " of " << page.width();
        EXPECT_GE(double(top) / page.height(), (turned ? 6.35 : 12.7) / height - 0.005)
            << top << " of " << page.height();
        commands->ClosePreview();
    }
    printer.setPageLayout(before);
}

TEST_F(FramePrintTest, ACancelledPrintSaysThatNothingWasSent)
{
    m_pm.m_Printmode = PM_ENVELOPE;
    m_pm.m_PrinttypeEnv = PR_SELECTION;
    auto* commands = PrintCommands();
    int queued = 0;
    SetPrintQueueSubmit([&queued](const PrintQueueJob&) { return ++queued > 0; });
    // The print dialog sends the job to a queue; its first page is drawn
    // when Cancel is clicked in the printing dialog.
    bool sent = false, cancelled = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* d = qobject_cast<CRPrintDialog*>(w); d && d->isVisible() && !sent) {
                sent = true;
                d->Printers()->insertItem(0, "Office laser", "Office laser");
                d->Printers()->setCurrentIndex(0);
                QTest::mouseClick(d->findChild<QPushButton*>("ctl1"), Qt::LeftButton);
            }
            if (auto* d = qobject_cast<CPrintingDialog*>(w); d && d->isVisible() && !cancelled) {
                cancelled = true;
                QTest::mouseClick(d->CancelButton(), Qt::LeftButton);
            }
        }
    });
    watch.start(0);
    Select({0, 1, 2});
    Trigger(ID_PRINT);
    watch.stop();
    SetPrintQueueSubmit({});
    EXPECT_TRUE(cancelled);
    EXPECT_EQ(queued, 0);
    QStatusBar* bar = Frame().statusBar();
    EXPECT_EQ(bar->currentMessage(), "Printing cancelled: nothing was printed.");
    // Whole in the narrowest window: the bar draws the message from 6
    // pixels in to 2 before the first pane at its right.
    Frame().resize(Frame().minimumWidth(), Frame().height());
    QApplication::processEvents();
    int room = bar->width() - 12;
    for (QWidget* pane : bar->findChildren<QLabel*>())
        if (pane->isVisible() && pane->x() > 0)
            room = std::min(room, pane->x() - 2);
    EXPECT_LE(bar->fontMetrics().horizontalAdvance(bar->currentMessage()), room - 6)
        << bar->currentMessage().toStdString();
    (void)commands;
}

TEST_F(FramePrintTest, ThePrintDialogLeavesNoEmptyBandAfterAnotherStyle)
{
    m_pm.m_Printmode = PM_MEMO;
    m_pm.m_LabelPrintRange = PR_LABEL_SINGLE;
    CRPrintDialog dialog(m_pm, AppPrinter(), &Frame());
    dialog.show();
    QApplication::processEvents();
    auto* ok = dialog.findChild<QPushButton*>("ctl1");
    auto* preview = dialog.findChild<QPushButton*>("ctl1018");
    ASSERT_TRUE(ok && preview);
    // The room between the style's last row of buttons and OK.
    auto band = [&] {
        QApplication::processEvents();
        return ok->mapTo(&dialog, QPoint()).y() - preview->mapTo(&dialog, QPoint(0, preview->height())).y();
    };
    const int memoBand = band();
    const int memoHeight = dialog.height();
    QListWidget* styles = dialog.Panel()->Styles();
    styles->setFocus();
    for (int row : {3, 0, 1, 3, 2, 3, 0}) {
        QTest::mouseClick(
            styles->viewport(), Qt::LeftButton, {}, styles->visualItemRect(styles->item(row)).center());
        EXPECT_EQ(styles->currentRow(), row);
        if (row == 0) {
            EXPECT_EQ(band(), memoBand);
            EXPECT_EQ(dialog.height(), memoHeight);
        }
    }
    // OK and Cancel stay whole within the dialog.
    auto* cancel = dialog.findChild<QPushButton*>("ctl2");
    EXPECT_TRUE(dialog.rect().contains(QRect(cancel->mapTo(&dialog, QPoint()), cancel->size())));
}
