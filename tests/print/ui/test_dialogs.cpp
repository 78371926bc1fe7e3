#include "platform/fontconv.h"
#include "platform/profile.h"
#include "platform/programfolder.h"
#include "print/labelfile.h"
#include "print/printtesting.h"
#include "print/standinqueue.h"
#include "print/ui/envelopeoptionsdlg.h"
#include "print/ui/labeldefdlg.h"
#include "print/ui/labeloptionsdlg.h"
#include "print/ui/measureedit.h"
#include "print/ui/memooptionsdlg.h"
#include "print/ui/printdlg.h"
#include "print/ui/printfieldsdlg.h"
#include "print/ui/printingdlg.h"
#include "print/ui/printsetup.h"
#include "support/contexthelpcheck.h"
#include "support/keyboard.h"
#include "support/pictures.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPageSetupDialog>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <array>

namespace {

using PrintDialogTest = PrintFixture;

const MeasureUnit kCm{true, "."};
const MeasureUnit kInch{false, "."};

// Types into a measure and lets the dialog check it.
bool Type(CMeasureEdit* edit, const QString& text)
{
    edit->Edit()->setText(text);
    return edit->Check();
}

// What a person sees of a dialog: every shown caption fits its control, and
// every shown control lies inside the dialog.
void ExpectReadable(const QWidget* dialog)
{
    const QStringList faults = LayoutFaults(dialog);
    EXPECT_TRUE(faults.isEmpty()) << dialog->metaObject()->className() << ":\n"
                                  << faults.join(u'\n').toStdString();
}

LabelDefinition Sheet(const char* name, u16 maker)
{
    LabelDefinition l;
    l.SetName(name);
    l.m_wMaker = maker;
    l.m_wColumns = 2;
    l.m_wRows = 5;
    l.m_wWidth = 5000;
    l.m_wHeight = 2000;
    l.m_wPaper = 9;
    l.m_wGroup = 1;
    return l;
}

}  // namespace

TEST_F(PrintDialogTest, FieldsResetMoveAndStoreTheirOrder)
{
    m_pm.m_Fields = {3 | PFL_PRINTED, 1, 2 | PFL_PRINTED};
    CDialogPrintFields dialog(m_pm);
    dialog.show();
    QListWidget* list = dialog.List();
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(0)->text(), "Department");
    EXPECT_EQ(list->item(1)->checkState(), Qt::Unchecked);
    EXPECT_FALSE(dialog.findChild<QPushButton*>("ctl1530")->isEnabled());  // up, on the first row
    list->setCurrentRow(2);
    EXPECT_FALSE(dialog.findChild<QPushButton*>("ctl1531")->isEnabled());
    dialog.OnMoveUp();
    dialog.accept();
    EXPECT_EQ(m_pm.m_Fields, (std::vector<u32>{3 | PFL_PRINTED, 2 | PFL_PRINTED, 1}));

    CDialogPrintFields again(m_pm);
    again.show();
    again.OnReset();
    again.accept();
    ASSERT_EQ(m_pm.m_Fields.size(), 46u);
    for (u32 n = 1; n <= 46; ++n)
        EXPECT_EQ(m_pm.m_Fields[n - 1], n | PFL_PRINTED);
}

TEST_F(PrintDialogTest, MemoOptionsPlaceholdersAndTheReportVariant)
{
    CDialogMemoOptions memo(m_pm, PM_MEMO, false);
    memo.show();
    memo.InsertPlaceholder("[Page #]");  // no edit had the focus yet
    EXPECT_TRUE(memo.FooterEdit(2)->text().isEmpty());
    memo.FooterEdit(2)->setFocus();
    memo.FooterEdit(2)->setText("Sheet");
    QCoreApplication::processEvents();
    memo.findChild<QPushButton*>("ctl1251")->click();
    EXPECT_EQ(memo.FooterEdit(2)->text(), "Sheet[Page #]");
    memo.findChild<QCheckBox*>("ctl1263")->setChecked(true);
    memo.findChild<QPushButton*>("ctl1")->setFocus();
    memo.accept();
    EXPECT_EQ(memo.Result(), kResultPrint);
    EXPECT_EQ(m_pm.m_memoFoot[2], "Sheet[Page #]");
    EXPECT_TRUE(m_pm.m_Flags1 & PF_MEMO_EMPTY_FIELDS);

    CDialogMemoOptions report(m_pm, PM_REPORT, true);
    report.show();
    EXPECT_EQ(report.windowTitle(), "Report options");
    EXPECT_FALSE(report.findChild<QPushButton*>("ctl1533")->isVisible());  // no field list
    EXPECT_FALSE(report.findChild<QPushButton*>("ctl1575")->isVisible());  // options only: no preview
    EXPECT_EQ(report.findChild<QPushButton*>("ctl1")->text(), "OK");
    auto* contactFont = report.findChild<QCheckBox*>("ctl1263");
    EXPECT_EQ(contactFont->text(), "Use contact font");
    contactFont->setChecked(true);
    EXPECT_FALSE(report.findChild<QPushButton*>("ctl1246")->isEnabled());
}

TEST_F(PrintDialogTest, PrintStylePanelRangesAndTheStartLabel)
{
    m_pm.m_Printmode = PM_LABELS;
    m_pm.m_LabelPrintRange = PR_LABEL_SINGLE;
    m_pm.m_LabelItem = (2 << 16) | 9;  // column 9 of a sheet of 3
    CPrintStylePanel panel(m_pm, 3, 8);
    panel.show();
    EXPECT_EQ(panel.ColumnEdit()->text(), "3");
    EXPECT_EQ(panel.RowEdit()->text(), "2");
    EXPECT_TRUE(panel.ColumnEdit()->isVisible());
    EXPECT_TRUE(panel.GridLines()->isVisible());

    panel.ColumnEdit()->setText("4");
    EXPECT_FALSE(panel.Save());
    ASSERT_EQ(m_messages.shown.size(), 1u);
    EXPECT_EQ(m_messages.shown[0].text, "Please enter an integer between 1 and 3.");

    // A full sheet hides the start label and does not check it.
    panel.Ranges()->setCurrentIndex(1);
    EXPECT_FALSE(panel.ColumnEdit()->isVisible());
    panel.GridLines()->setChecked(true);
    EXPECT_TRUE(panel.Save());
    EXPECT_EQ(m_pm.m_LabelPrintRange, u32(PR_LABEL_SHEET));
    EXPECT_TRUE(m_pm.m_Flags1 & PF_LABEL_OUTLINES);

    // Other styles list the four ranges and no label controls.
    panel.Styles()->setCurrentRow(2);
    EXPECT_EQ(panel.Ranges()->count(), 4);
    EXPECT_FALSE(panel.GridLines()->isVisible());
    panel.Ranges()->setCurrentIndex(3);
    int finished = 0;
    QObject::connect(&panel, &CPrintStylePanel::finished, [&finished](int result) { finished = result; });
    panel.findChild<QPushButton*>("ctl1017")->click();
    EXPECT_EQ(finished, kResultPageSetup);
    EXPECT_EQ(m_pm.m_Printmode, u32(PM_ENVELOPE));
    EXPECT_EQ(m_pm.m_PrinttypeEnv, 4u);
}

TEST_F(PrintDialogTest, EnvelopeOptionsSizesMeasuresAndFormats)
{
    m_pm.m_EnvelopeData.m_wPaper = 999;
    {
        CDialogEnvelopeOptions dialog(m_pm, nullptr, false, kCm);
        dialog.show();
        EXPECT_EQ(dialog.Sizes()->currentIndex(), 1);  // "Size 6 3/4"
        EXPECT_FALSE(dialog.CustomSize()->isVisible());
        dialog.Sizes()->setCurrentIndex(0);
        EXPECT_TRUE(dialog.CustomSize()->isVisible());
        EXPECT_TRUE(Type(dialog.MeasureEdit(CDialogEnvelopeOptions::ENV_WIDTH), "22"));
        EXPECT_TRUE(Type(dialog.MeasureEdit(CDialogEnvelopeOptions::ENV_HEIGHT), "11"));
        EXPECT_FALSE(Type(dialog.MeasureEdit(CDialogEnvelopeOptions::RET_LEFT), "60"));
        EXPECT_EQ(m_messages.shown.back().text, "The measurement must be between 0 cm and 55.88 cm.");
        EXPECT_FALSE(Type(dialog.MeasureEdit(CDialogEnvelopeOptions::RET_LEFT), "wide"));
        EXPECT_EQ(m_messages.shown.back().text, "This is not a valid measurement.");
        // A wrong measure keeps the dialog open.
        dialog.findChild<QPushButton*>("ctl1")->setFocus();
        dialog.accept();
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_TRUE(Type(dialog.MeasureEdit(CDialogEnvelopeOptions::RET_LEFT), "1.5"));
        dialog.FeedButton(5)->click();
        dialog.accept();
        EXPECT_EQ(dialog.Result(), kResultPrint);
    }
    EXPECT_EQ(m_pm.m_EnvelopeData.m_wWidth, 2200);
    EXPECT_EQ(m_pm.m_EnvelopeData.m_wHeight, 1100);
    EXPECT_EQ(m_pm.m_EnvelopeData.m_wPaper, kEnvelopeCustomPaper);
    EXPECT_EQ(m_pm.m_EnvelopeData.Name(), "Custom size...");
    EXPECT_EQ(m_pm.m_AddrRetMargins.left, 150);
    EXPECT_EQ(m_pm.m_EnvelopeFeed, 5);

    Contact& c = Add("Ann");
    c.m_strFirstName = "Ann";
    ContactAddress home;
    home.m_dwType = ADDR_HOME;
    home.m_strStreet = "Elm Row";
    c.m_addresses = {home};
    CDialogEnvelopeOptions inches(m_pm, &c, true, kInch);
    inches.m_chooseFormat = [](u32&, QWidget*) { return false; };
    inches.show();
    EXPECT_FALSE(inches.findChild<QPushButton*>("ctl1575")->isVisible());
    EXPECT_TRUE(Type(inches.MeasureEdit(CDialogEnvelopeOptions::DELIV_LEFT), "10 cm"));
    EXPECT_EQ(inches.MeasureEdit(CDialogEnvelopeOptions::DELIV_LEFT)->Edit()->text(), "3.94 in");
    EXPECT_TRUE(inches.Delivery()->toPlainText().contains("Elm Row"));
    EXPECT_TRUE(inches.FormatButton()->isEnabled());
    inches.ContactFormat()->setChecked(true);
    EXPECT_FALSE(inches.FormatButton()->isEnabled());
    // No address is flagged the default: the one there is shows, in its own format.
    EXPECT_EQ(inches.Delivery()->toPlainText(), "Ann\nElm Row");
}

TEST_F(PrintDialogTest, LabelDefinitionChecksItsMeasuresNameAndPage)
{
    LabelDefinition standard = Sheet("Standard", 1);
    CDialogLabelDef dialog(standard, false, kCm);
    dialog.show();
    EXPECT_TRUE(dialog.NameEdit()->isReadOnly());
    EXPECT_EQ(dialog.windowTitle(), "Standard information");
    // Changing a standard sheet makes a new sheet of one's own, which needs a name.
    dialog.Columns()->setValue(2);
    EXPECT_TRUE(Type(dialog.MeasureEdit(CDialogLabelDef::WIDTH), "1 in"));
    EXPECT_EQ(dialog.MeasureEdit(CDialogLabelDef::WIDTH)->Edit()->text(), "2.54 cm");
    EXPECT_EQ(dialog.windowTitle(), "New label information");
    EXPECT_FALSE(dialog.NameEdit()->isReadOnly());
    EXPECT_FALSE(Type(dialog.MeasureEdit(CDialogLabelDef::HEIGHT), "0"));
    EXPECT_EQ(m_messages.shown.back().text, "Label width and height must be positive values.");
    EXPECT_TRUE(Type(dialog.MeasureEdit(CDialogLabelDef::HEIGHT), "2"));
    dialog.findChild<QPushButton*>()->setFocus();
    dialog.accept();
    EXPECT_EQ(m_messages.shown.back().text, "Please enter a name for this label.");
    EXPECT_TRUE(dialog.isVisible());

    // 2 x 9 cm, 0.5 cm apart, 1 cm in: A4 takes it, A5 does not.
    dialog.NameEdit()->setText("Mine");
    dialog.Paper()->setCurrentIndex(dialog.Paper()->findData(11));
    EXPECT_TRUE(Type(dialog.MeasureEdit(CDialogLabelDef::WIDTH), "9"));
    EXPECT_TRUE(Type(dialog.MeasureEdit(CDialogLabelDef::COLUMN_SPACING), "0.5"));
    EXPECT_TRUE(Type(dialog.MeasureEdit(CDialogLabelDef::LEFT_MARGIN), "1"));
    dialog.accept();
    EXPECT_EQ(m_messages.shown.back().text,
        "The margins, label size, and number of rows or columns values produce a page that is larger than "
        "the "
        "label page size.");
    dialog.Paper()->setCurrentIndex(dialog.Paper()->findData(9));
    dialog.accept();
    EXPECT_FALSE(dialog.isVisible());
    ASSERT_TRUE(dialog.New());
    const LabelDefinition& made = dialog.Definition();
    EXPECT_EQ(made.m_wMaker, LABEL_CUSTOM);
    EXPECT_EQ(made.Name(), "Mine");
    EXPECT_EQ(made.m_wWidth, 5102);  // 9 cm, rounded to the twip
    EXPECT_EQ(made.m_wFlags, 17);
    EXPECT_EQ(made.m_wColumns, 2);
}

TEST_F(PrintDialogTest, LabelOptionsListEditDeleteAndChoose)
{
    QDir().mkpath(ProgramPath("data"));
    const u32 magic = kStandardLabelMagic;
    Put("data/tlvlbl.data", QByteArray(reinterpret_cast<const char*>(&magic), 4) + Sheet("Std", 1).ToBytes());
    ASSERT_TRUE(SaveCustomLabels({Sheet("One", 0), Sheet("Two", 0), Sheet("Three", 0)}));
    Profile::WriteInt(kPrintManSection, kLabelListPosEntry, 2);

    CDialogLabelOptions dialog(m_pm, nullptr, false, kCm);
    dialog.show();
    ASSERT_EQ(dialog.List()->count(), 4);
    EXPECT_EQ(dialog.List()->item(0)->text(), "Avery - Std - Address");
    EXPECT_EQ(dialog.List()->currentRow(), 2);
    EXPECT_EQ(dialog.List()->item(1)->text(), "One - Custom Address");
    EXPECT_EQ(dialog.Info(1632)->text(), "5 x 2 (Rows x Columns)");
    EXPECT_EQ(dialog.Info(1631)->text(), "A4 (21 x 29.7 cm)");
    EXPECT_TRUE(dialog.DeleteButton()->isEnabled());

    // Deleting the first custom sheet leaves the others with their own measures.
    dialog.List()->setCurrentRow(1);
    dialog.OnDelete();
    ASSERT_EQ(dialog.List()->count(), 3);
    dialog.List()->setCurrentRow(2);
    EXPECT_EQ(dialog.List()->item(2)->text(), "Three - Custom Address");
    EXPECT_EQ(Contents("data/tlvlblcs.data").size(), 4 + 2 * 124);

    // "Details" of the standard sheet with a change adds a sheet; the standard one stays.
    dialog.m_editLabel = [](LabelDefinition& l, bool isNew) {
        EXPECT_FALSE(isNew);
        l.m_wMaker = LABEL_CUSTOM;
        l.SetName("Changed");
        return true;
    };
    dialog.List()->setCurrentRow(0);
    dialog.OnDetails();
    ASSERT_EQ(dialog.List()->count(), 4);
    EXPECT_EQ(dialog.List()->item(0)->text(), "Avery - Std - Address");
    EXPECT_EQ(dialog.List()->currentItem()->text(), "Changed - Custom Address");

    dialog.findChild<QPushButton*>("ctl1")->setFocus();
    dialog.accept();
    EXPECT_EQ(dialog.Result(), kResultPrint);
    EXPECT_EQ(m_pm.m_Label.Name(), "Changed");
    EXPECT_EQ(Profile::GetInt(kPrintManSection, kLabelListPosEntry, -1), 3);

    // The print dialog takes the saved sheet without a window.
    PrintMan other;
    CDialogLabelOptions::ApplySavedLabel(other);
    EXPECT_EQ(other.m_Label.Name(), "Changed");
}

TEST_F(PrintDialogTest, ACustomLabelFileThatDidNotReadWholeIsNeverRewritten)
{
    LabelDefinition bad = Sheet("Bad", 0);
    bad.m_wRows = 0;
    const u32 magic = kCustomLabelMagic;
    const QByteArray file = QByteArray(reinterpret_cast<const char*>(&magic), 4) + Sheet("One", 0).ToBytes()
        + bad.ToBytes() + Sheet("Three", 0).ToBytes();
    QDir().mkpath(ProgramPath("data"));
    Put("data/tlvlblcs.data", file);

    CDialogLabelOptions dialog(m_pm, nullptr, false, kCm);
    dialog.m_editLabel = [](LabelDefinition& l, bool) {
        l.SetName("Mine");
        return true;
    };
    dialog.show();
    ASSERT_EQ(dialog.List()->count(), 1);  // what came before the damage
    const size_t before = m_messages.shown.size();
    dialog.List()->setCurrentRow(0);
    for (const char* button : {"ctl1612", "ctl1613", "ctl1614"}) {
        QTest::mouseClick(dialog.findChild<QPushButton*>(button), Qt::LeftButton);
        // Each change is refused by name, and the file keeps the sheets after the damage.
        ASSERT_EQ(m_messages.shown.size(), before + 1) << button;
        EXPECT_TRUE(m_messages.shown.back().text.find("tlvlblcs.data") != std::string::npos);
        m_messages.shown.pop_back();
        EXPECT_EQ(Contents("data/tlvlblcs.data"), file) << button;
    }
    EXPECT_EQ(dialog.List()->count(), 1);
}

TEST_F(PrintDialogTest, PageSettingsKeepTheMarginsWithinThePaperAndAboveTheMinimum)
{
    m_pm.m_MarginsMin = {500, 500, 500, 500};
    AppPrinter().setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    CDialogMemoOptions memo(m_pm, PM_MEMO, false);
    memo.show();
    // The page setup is answered in turn: first with top and bottom margins
    // that take the whole sheet, then with ones that fit.
    const std::vector<std::array<double, 4>> answers{{10, 200, 10, 200}, {2, 20, 10, 20}};
    size_t answered = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QPageSetupDialog*>(QApplication::activeModalWidget());
        if (!dialog || answered >= answers.size())
            return;
        const auto& a = answers[answered++];
        const char* names[] = {"leftMargin", "topMargin", "rightMargin", "bottomMargin"};
        for (int i = 0; i < 4; ++i) {
            auto* box = dialog->findChild<QDoubleSpinBox*>(names[i]);
            ASSERT_NE(box, nullptr) << names[i];
            box->setValue(a[size_t(i)]);
        }
        dialog->accept();
    });
    timer.start(10);
    QTest::mouseClick(memo.findChild<QPushButton*>("ctl1534"), Qt::LeftButton);
    EXPECT_EQ(answered, 2u);
    ASSERT_EQ(m_messages.shown.size(), 1u);
    EXPECT_NE(m_messages.shown.back().text.find("no room on the paper"), std::string::npos);
    // Nothing below the minimum margins (5 mm) is taken.
    EXPECT_EQ(m_pm.m_Margins, (RECT{500, 2000, 1000, 2000}));

    // Margins stored larger than the paper still leave the text its room.
    m_pm.m_Margins = {1000, 20000, 1000, 20000};
    const RECT kept = MarginsWithinPaper(m_pm.m_Margins, m_pm.m_MarginsMin, 21000, 29700);
    EXPECT_TRUE(MarginsFitPaper(kept, 21000, 29700));
    EXPECT_EQ(kept.top, kept.bottom);
    EXPECT_EQ(kept.left, 1000);
}

TEST_F(PrintDialogTest, TabGoesThroughTheOptionDialogsRowByRow)
{
    const auto check = [](CPrintOptionsDialog& dialog, const char* what) {
        dialog.show();
        QApplication::processEvents();
        const QStringList reading = DescribeControls(ReadingOrder(&dialog));
        ASSERT_GT(reading.size(), 10) << what;
        EXPECT_EQ(
            DescribeControls(TabOrder(&dialog)).join(u'\n').toStdString(), reading.join(u'\n').toStdString())
            << what;
    };
    {
        CDialogMemoOptions memo(m_pm, PM_MEMO, false);
        check(memo, "memo");
    }
    {
        CDialogMemoOptions report(m_pm, PM_REPORT, false);
        report.SetPageSetup();
        check(report, "report as page setup");
    }
    {
        CDialogEnvelopeOptions envelope(m_pm, nullptr, false, kCm);
        envelope.Sizes()->setCurrentIndex(0);  // the custom size shown
        check(envelope, "envelope");
    }
}

TEST_F(PrintDialogTest, TabFollowsTheLayoutOfThePrintAndLabelDefinitionDialogs)
{
    const auto check = [](QWidget& dialog, const char* what) {
        dialog.show();
        QApplication::processEvents();
        const QStringList reading = DescribeControls(ReadingOrder(&dialog));
        ASSERT_GT(reading.size(), 6) << what;
        EXPECT_EQ(
            DescribeControls(TabOrder(&dialog)).join(u'\n').toStdString(), reading.join(u'\n').toStdString())
            << what;
    };
    // Printing to a file, and to a printer with its own choices shown.
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(ProgramPath("out.pdf"));
    {
        CRPrintDialog print(m_pm, printer);
        check(print, "print to a file");
    }
    {
        m_pm.m_Printmode = PM_LABELS;
        m_pm.m_LabelPrintRange = PR_LABEL_SINGLE;
        CRPrintDialog print(m_pm, printer);
        check(print, "print labels from one label on");
    }
    {
        CStandInQueue queue;
        CRPrintDialog print(m_pm, queue);
        print.Printers()->insertItem(0, "Office laser", "Office laser");
        print.Printers()->setCurrentIndex(0);
        print.Copies()->setValue(2);
        check(print, "print on a printer");
    }
    CDialogLabelDef definition(Sheet("Address 2 x 5", 0), true, kCm);
    check(definition, "label definition");
}

// Run again on a screen of 1600 x 1000 pixels at scale factor 2.
TEST_F(PrintDialogTest, TheDialogsFitTheScreen)
{
    const QRect room = QGuiApplication::primaryScreen()->availableGeometry();
    const auto check = [&room](QDialog& dialog, const char* what) {
        dialog.show();
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog)) << what;
        const QRect frame = dialog.frameGeometry();
        EXPECT_TRUE(room.contains(frame)) << what << ": " << frame.width() << "x" << frame.height() << " on "
                                          << room.width() << "x" << room.height();
        if (dialog.devicePixelRatio() > 1 && FontsAvailable()) {
            for (const bool dark : {false, true}) {
                ScopedPalette palette(dark ? DarkPalette() : LightPalette());
                SavePicture(Grab(&dialog),
                    QStringLiteral("fit-%1-%2-x2")
                        .arg(QString::fromLatin1(what).replace(u' ', u'-'), dark ? u"dark" : u"light"));
            }
        }
        // Each button can be brought into view and pressed.
        for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
            if (!button->isVisibleTo(&dialog) || !button->isEnabled())
                continue;
            button->setFocus(Qt::TabFocusReason);
            EXPECT_EQ(button->visibleRegion().boundingRect(), button->rect())
                << what << ": " << button->text().toStdString();
        }
        dialog.reject();
    };
    Contact c;
    {
        CDialogEnvelopeOptions envelope(m_pm, &c, false, kCm);
        envelope.Sizes()->setCurrentIndex(0);  // the custom size shown
        check(envelope, "envelope");
    }
    {
        CDialogEnvelopeOptions envelope(m_pm, &c, false, kCm);
        envelope.SetPageSetup();
        check(envelope, "envelope page setup");
    }
    {
        CDialogMemoOptions memo(m_pm, PM_MEMO, false);
        check(memo, "memo");
    }
    {
        CDialogLabelOptions labels(m_pm, &c, false, kCm);
        check(labels, "labels");
    }
    {
        CDialogLabelDef definition(Sheet("Address 2 x 5", 0), true, kCm);
        check(definition, "label definition");
    }
    {
        CRPrintDialog print(m_pm, AppPrinter());
        check(print, "print");
    }
}

TEST_F(PrintDialogTest, PicturesOfTheOptionDialogs)
{
    if (!FontsAvailable())
        GTEST_SKIP() << "no fonts";
    QDir().mkpath(ProgramPath("data"));
    const u32 magic = kStandardLabelMagic;
    Put("data/tlvlbl.data",
        QByteArray(reinterpret_cast<const char*>(&magic), 4) + Sheet("63.5 x 38.1 mm", 4).ToBytes());
    ASSERT_TRUE(SaveCustomLabels({Sheet("Address 2 x 5", 0)}));
    LOGFONT font = DesktopFont();
    font.lfHeight = -13;
    for (int element = 1; element <= 9; ++element)
        m_pm.SetFont(element, font);
    Contact& c = Add("Ann Lee");
    c.m_strFirstName = "Ann";
    c.m_strLastName = "Lee";
    ContactAddress home;
    home.m_dwType = ADDR_HOME;
    home.m_strStreet = "12 Elm Row";
    home.m_strCity = "Oldtown";
    c.m_addresses = {home};
    m_pm.m_AddrRet = "Tolva Ltd\r\n1 Long Road";
    for (const auto& [palette, name] :
        {std::pair{LightPalette(), "light"}, std::pair{DarkPalette(), "dark"}}) {
        ScopedPalette scoped(palette);
        CDialogMemoOptions memo(m_pm, PM_MEMO, false);
        SavePicture(Grab(&memo), QStringLiteral("print-memo-options-%1").arg(name));
        ExpectReadable(&memo);
        // Page setup from the menu: the options with an OK of their own.
        CDialogMemoOptions report(m_pm, PM_REPORT, false);
        report.SetPageSetup();
        SavePicture(Grab(&report), QStringLiteral("print-report-pagesetup-%1").arg(name));
        ExpectReadable(&report);
        CDialogPrintFields fields(m_pm);
        SavePicture(Grab(&fields), QStringLiteral("print-fields-%1").arg(name));
        ExpectReadable(&fields);
        CDialogEnvelopeOptions envelope(m_pm, &c, false, kCm);
        SavePicture(Grab(&envelope), QStringLiteral("print-envelope-options-%1").arg(name));
        ExpectReadable(&envelope);
        CDialogEnvelopeOptions envelopeSetup(m_pm, &c, false, kCm);
        envelopeSetup.SetPageSetup();
        SavePicture(Grab(&envelopeSetup), QStringLiteral("print-envelope-pagesetup-%1").arg(name));
        ExpectReadable(&envelopeSetup);
        // The page setup behind "Page settings", as it opens over the
        // minimum margins.
        QTimer timer;
        bool seen = false;
        QObject::connect(&timer, &QTimer::timeout, [&] {
            auto* setup = qobject_cast<QPageSetupDialog*>(QApplication::activeModalWidget());
            if (!setup)
                return;
            timer.stop();
            seen = true;
            SavePicture(Grab(setup), QStringLiteral("print-page-setup-%1").arg(name));
            ExpectReadable(setup);
            setup->reject();
        });
        timer.start(10);
        EXPECT_FALSE(DoPageSetup(m_pm, AppPrinter(), &memo));
        EXPECT_TRUE(seen);
        CDialogLabelOptions labels(m_pm, &c, false, kCm);
        SavePicture(Grab(&labels), QStringLiteral("print-label-options-%1").arg(name));
        ExpectReadable(&labels);
        CDialogLabelDef definition(Sheet("Address 2 x 5", 0), false, kCm);
        SavePicture(Grab(&definition), QStringLiteral("print-label-definition-%1").arg(name));
        ExpectReadable(&definition);
        CRPrintDialog print(m_pm, AppPrinter());
        SavePicture(Grab(&print), QStringLiteral("print-dialog-%1").arg(name));
        ExpectReadable(&print);
        // The style list shows its four styles whole, each with its picture.
        QListWidget* styles = print.Panel()->Styles();
        EXPECT_GE(styles->viewport()->height(), styles->sizeHintForRow(0) * 4);
        EXPECT_FALSE(styles->item(3)->icon().isNull());
        CPrintingDialog printing(QStringLiteral("Tolva - Address Book"),
            QStringLiteral("/home/ann/Documents/Printing/2026/December/the contacts of the whole family.pdf"),
            true);
        printing.SetPage(391, 589);
        SavePicture(Grab(&printing), QStringLiteral("print-printing-%1").arg(name));
        ExpectReadable(&printing);
    }
}

TEST_F(PrintDialogTest, TheChosenFeedMethodStandsOutInBothPalettes)
{
    if (!FontsAvailable())
        GTEST_SKIP() << "no fonts";
    m_pm.m_EnvelopeFeed = 2;
    for (const QPalette& palette : {LightPalette(), DarkPalette()}) {
        ScopedPalette scoped(palette);
        CDialogEnvelopeOptions dialog(m_pm, nullptr, false, kCm);
        dialog.show();
        QApplication::processEvents();
        // The pixels in the highlight colour: the envelope of every picture,
        // and a frame around the chosen one.
        auto highlighted = [&](int feed) {
            const QImage picture = Grab(dialog.FeedButton(feed));
            const QColor mark = palette.color(QPalette::Highlight);
            int count = 0;
            for (int y = 0; y < picture.height(); ++y)
                for (int x = 0; x < picture.width(); ++x) {
                    const QColor c = picture.pixelColor(x, y);
                    count += std::abs(c.red() - mark.red()) + std::abs(c.green() - mark.green())
                            + std::abs(c.blue() - mark.blue())
                        < 24;
                }
            return count;
        };
        ASSERT_TRUE(dialog.FeedButton(2)->isChecked());
        EXPECT_GT(highlighted(2), highlighted(1) + 200);
        EXPECT_GT(highlighted(2), highlighted(5) + 200);
        dialog.FeedButton(5)->click();
        EXPECT_GT(highlighted(5), highlighted(2) + 200);
    }
}

TEST_F(PrintDialogTest, OptionDialogsExplainTheirControls)
{
    ShippedHelp help;
    CDialogLabelOptions labels(m_pm, nullptr, false, kCm);
    ExpectSoundHelp(&labels, 9);
    LabelDefinition sheet = Sheet("Own", 0);
    CDialogLabelDef definition(sheet, true, kCm);
    ExpectSoundHelp(&definition, 16);
    CDialogEnvelopeOptions envelope(m_pm, nullptr, false, kCm);
    ExpectSoundHelp(&envelope, 28);
    CDialogPrintFields fields(m_pm);
    ExpectSoundHelp(&fields, 4);
    // The third box prints empty fields in a memo and uses the contact's
    // font in a report: each has its own text.
    CDialogMemoOptions report(m_pm, PM_REPORT, false);
    ExpectSoundHelp(&report, 22);
    CDialogMemoOptions memo(m_pm, PM_MEMO, false);
    ExpectSoundHelp(&memo, 22);
    memo.show();
    EXPECT_EQ(RightClickHelp(GetDlgItem(&memo, 1263)), TopicText(1284));
    EXPECT_EQ(RightClickHelp(GetDlgItem(&memo, 1260)), TopicText(1282));
    report.show();
    EXPECT_EQ(RightClickHelp(GetDlgItem(&report, 1263)), TopicText(1295));
    // A measure answers on its edit and on its arrows alike.
    envelope.show();
    EXPECT_EQ(RightClickHelp(GetDlgItem(&envelope, 1565)), TopicText(1269));
}
