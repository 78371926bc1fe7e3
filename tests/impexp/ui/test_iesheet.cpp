// The wizard's window driven as a user drives it: pages, buttons, the file
// chooser, the overwrite question, the mapping list and its dialog, and
// pictures of each page.
#define QTEST_QPA_MOUSE_HANDLING
#include "core/fieldtexts.h"
#include "core/utilities.h"
#include "impexp/fieldmapping.h"
#include "impexp/iedrivers.h"
#include "impexp/ui/dialogchangemapping.h"
#include "impexp/ui/iefilechooser.h"
#include "impexp/ui/iepages.h"
#include "impexp/ui/iesheet.h"
#include "impexp/wizardtesting.h"
#include "platform/ui/window.h"
#include "support/contexthelpcheck.h"
#include "support/fifowatch.h"
#include "support/messagepicture.h"
#include "support/pictures.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

namespace {

// Chooses the file it was given, and remembers what it was asked.
struct FakeChooser : IEFileChooser {
    QString answer;
    Result result = kChosen;
    bool lastOpen = false;
    QString lastFilter;
    QString lastExtension;

    Result Choose(QWidget*, bool open, const QString&, const QString& filter, const QString& extension,
        QString& chosen) override
    {
        lastOpen = open;
        lastFilter = filter;
        lastExtension = extension;
        chosen = answer;
        return result;
    }
};

// Answers the next modal Change Mapping dialog with a field; fails the test
// if none came.
struct MappingAnswer {
    bool came = false;
    explicit MappingAnswer(u32 fieldId)
    {
        QTimer::singleShot(0, [this, fieldId] {
            auto* dialog = qobject_cast<CDialogChangeMapping*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            came = true;
            dialog->Fields()->setCurrentIndex(dialog->Fields()->findData(fieldId));
            dialog->accept();
        });
    }
    ~MappingAnswer() { EXPECT_TRUE(came); }
};

class SheetTest : public WizardStoreTest {
protected:
    void SetUp() override
    {
        WizardStoreTest::SetUp();
        m_previousChooser = SetFileChooser(&m_chooser);
    }
    void TearDown() override
    {
        SetFileChooser(m_previousChooser);
        WizardStoreTest::TearDown();
    }

    template <class T> T* Item(CIESheet& sheet, int id) { return qobject_cast<T*>(GetDlgItem(&sheet, id)); }
    QPushButton* Button(CIESheet& sheet, int id) { return Item<QPushButton>(sheet, id); }
    bool Shown(CIESheet& sheet, int id) { return Button(sheet, id)->isVisible(); }
    void ChooseFormat(CIESheet& sheet, int format)
    {
        auto* list = Item<QListWidget>(sheet, IDC_IE_FORMATS);
        for (int row = 0; row < list->count(); ++row)
            if (list->item(row)->data(Qt::UserRole).toInt() == format)
                list->setCurrentRow(row);
    }
    // From the Start page to the File page.
    void ToFilePage(CIESheet& sheet, bool import, int format)
    {
        Item<QRadioButton>(sheet, import ? IDC_IE_IMPORT : IDC_IE_EXPORT)->setChecked(true);
        QTest::mouseClick(Button(sheet, ID_WIZNEXT), Qt::LeftButton);
        ChooseFormat(sheet, format);
        QTest::mouseClick(Button(sheet, ID_WIZNEXT), Qt::LeftButton);
        QTest::mouseClick(Button(sheet, ID_WIZNEXT), Qt::LeftButton);
        ASSERT_EQ(sheet.Wizard().Page(), IEP_FILE);
    }

    FakeChooser m_chooser;
    IEFileChooser* m_previousChooser = nullptr;
};

}  // namespace

TEST_F(SheetTest, ImportACardFileFromStartToFinish)
{
    Put("in.vcf", "BEGIN:VCARD\r\nFN:Ann\r\nEND:VCARD\r\n");
    Book* book = NewBook("Friends", m_dm.GetRootBook());
    IEWizard wizard;
    CIESheet sheet(wizard, m_dm);
    sheet.show();
    EXPECT_EQ(sheet.windowTitle(), "Import and Export Wizard");
    EXPECT_TRUE(Shown(sheet, ID_WIZNEXT) && !Shown(sheet, ID_WIZBACK) && !Shown(sheet, ID_WIZFINISH));

    QTest::keyClick(&sheet, Qt::Key_Return);
    EXPECT_EQ(wizard.Page(), IEP_TYPE);
    EXPECT_EQ(sheet.windowTitle(), "Import operation");
    EXPECT_EQ(Item<QListWidget>(sheet, IDC_IE_FORMATS)->count(), 8);
    ChooseFormat(sheet, IEF_VCARD);
    EXPECT_EQ(wizard.m_nFormat, IEF_VCARD);
    QTest::mouseClick(Button(sheet, ID_WIZNEXT), Qt::LeftButton);

    auto* tree = Item<QTreeWidget>(sheet, IDC_IE_BOOKS);
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        if ((*it)->text(0) == "Friends")
            tree->setCurrentItem(*it);
    Item<QCheckBox>(sheet, IDC_IE_DUPLICATES)->setChecked(false);
    QTest::mouseClick(Button(sheet, ID_WIZNEXT), Qt::LeftButton);
    EXPECT_EQ(wizard.m_state.m_pTargetBook, book);
    EXPECT_EQ(wizard.m_state.m_nDuplicatesFlag, 1);

    // A card file finishes here, and Browse offers the format's files.
    EXPECT_TRUE(!Shown(sheet, ID_WIZNEXT) && Shown(sheet, ID_WIZFINISH));
    EXPECT_FALSE(Button(sheet, IDC_IE_DEFAULT_BOOK)->isVisible());
    m_chooser.answer = ProgramPath("in.vcf");
    QTest::mouseClick(Button(sheet, IDC_IE_BROWSE), Qt::LeftButton);
    EXPECT_TRUE(m_chooser.lastOpen);
    EXPECT_EQ(m_chooser.lastFilter, "vCard file (*.vcf)|*.vcf||");
    EXPECT_EQ(NameFilters(m_chooser.lastFilter), QStringList{"vCard file (*.vcf)"});
    EXPECT_EQ(Item<QLineEdit>(sheet, IDC_IE_PATH)->text(), ProgramPath("in.vcf"));
    m_chooser.result = IEFileChooser::kFailed;
    QTest::mouseClick(Button(sheet, IDC_IE_BROWSE), Qt::LeftButton);
    EXPECT_EQ(m_messages.shown.back().text, "Error in export/import operation");

    QTest::mouseClick(Button(sheet, ID_WIZFINISH), Qt::LeftButton);
    EXPECT_EQ(sheet.result(), QDialog::Accepted);
    EXPECT_EQ(RunImportExport(wizard, m_dm, &sheet).contacts, 1u);
    EXPECT_EQ(Names(book), std::vector<std::string>{"Ann"});
}

TEST_F(SheetTest, ExportAsksBeforeReplacingAndBackReturns)
{
    AddNamed("Ann", m_dm.GetCurrentBook());
    Put("out.csv", "old");
    IEWizard wizard;
    CIESheet sheet(wizard, m_dm);
    sheet.show();
    ToFilePage(sheet, false, IEF_CSV);
    EXPECT_EQ(Item<QListWidget>(sheet, IDC_IE_FORMATS)->count(), 6);
    Item<QLineEdit>(sheet, IDC_IE_PATH)->setText(ProgramPath("out.csv"));
    m_messages.reply = IDNO;
    QTest::mouseClick(Button(sheet, ID_WIZNEXT), Qt::LeftButton);
    EXPECT_EQ(wizard.Page(), IEP_FILE);
    EXPECT_NE(m_messages.shown.back().text.find("This file already exists!"), std::string::npos);
    m_messages.reply = IDYES;
    QTest::mouseClick(Button(sheet, ID_WIZNEXT), Qt::LeftButton);
    ASSERT_EQ(wizard.Page(), IEP_FIELDS);
    // Export: a list of fields to tick, no date format or separator.
    auto* list = Item<QTableWidget>(sheet, IDC_IE_MAPPING);
    EXPECT_EQ(list->rowCount(), 73);
    EXPECT_FALSE(GetDlgItem(&sheet, IDC_IE_DATE_FORMAT)->isVisible());
    for (int row = 1; row < list->rowCount(); ++row)
        list->item(row, 0)->setCheckState(Qt::Unchecked);
    QTest::mouseClick(Button(sheet, ID_WIZBACK), Qt::LeftButton);
    EXPECT_EQ(wizard.Page(), IEP_FILE);
    EXPECT_EQ(Item<QLineEdit>(sheet, IDC_IE_PATH)->text(), ProgramPath("out.csv"));
    QTest::mouseClick(Button(sheet, ID_WIZNEXT), Qt::LeftButton);
    QTest::mouseClick(Button(sheet, ID_WIZFINISH), Qt::LeftButton);
    ASSERT_EQ(sheet.result(), QDialog::Accepted);
    EXPECT_EQ(RunImportExport(wizard, m_dm, &sheet).result, 0u);
    EXPECT_EQ(Contents("out.csv"), "\"Name\"\r\n\"Ann\"\r\n");
}

// A pipe or a device named on the file page: the message says what it is,
// whichever reader the format has, and the page stays.
TEST_F(SheetTest, APipeOrADeviceToImportIsSaidToBeNoOrdinaryFile)
{
    const QString pipe = ProgramPath("pipe.csv");
    FifoWatch watch(pipe);
    ASSERT_TRUE(watch.Made());
    for (const int format : {IEF_CSV, IEF_VCARD, IEF_DATA_FILE}) {
        for (const QString& path : {pipe, QStringLiteral("/dev/zero")}) {
            m_messages.shown.clear();
            IEWizard wizard;
            CIESheet sheet(wizard, m_dm);
            sheet.show();
            ToFilePage(sheet, true, format);
            auto* edit = Item<QLineEdit>(sheet, IDC_IE_PATH);
            edit->clear();
            QTest::keyClicks(edit, path);
            QPushButton* onward
                = Shown(sheet, ID_WIZNEXT) ? Button(sheet, ID_WIZNEXT) : Button(sheet, ID_WIZFINISH);
            QTest::mouseClick(onward, Qt::LeftButton);
            EXPECT_EQ(wizard.Page(), IEP_FILE) << format;
            EXPECT_TRUE(sheet.isVisible()) << format;
            ASSERT_EQ(m_messages.shown.size(), 1u) << format << " " << path.toStdString();
            EXPECT_EQ(m_messages.shown[0].text,
                path.toStdString() + "\n\nIt is not an ordinary file but a folder, a pipe or a device.\n");
            EXPECT_EQ(m_messages.shown[0].type, MB_OK | MB_ICONSTOP);
        }
    }
    EXPECT_FALSE(watch.Blocked());
}

TEST_F(SheetTest, MappingListRules)
{
    Put("in.txt", "Who;Mail\r\nAnn;a@x\r\n");
    SaveFieldList(true, {0, 0});
    IEWizard wizard;
    CIESheet sheet(wizard, m_dm);
    sheet.show();
    sheet.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&sheet));
    ToFilePage(sheet, true, IEF_USER_SEPARATOR);
    Item<QLineEdit>(sheet, IDC_IE_PATH)->setText(ProgramPath("in.txt"));
    QTest::mouseClick(Button(sheet, ID_WIZNEXT), Qt::LeftButton);
    ASSERT_EQ(wizard.Page(), IEP_FIELDS);
    auto* list = Item<QTableWidget>(sheet, IDC_IE_MAPPING);
    ASSERT_EQ(list->rowCount(), 2);
    EXPECT_EQ(list->item(1, 0)->text(), "Mail");
    EXPECT_TRUE(GetDlgItem(&sheet, IDC_IE_SEPARATOR)->isVisible());

    // Tab leaves the list for the next control, and the arrows move in it.
    list->setFocus(Qt::TabFocusReason);
    list->setCurrentCell(0, 0);
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(list->currentRow(), 1);
    QTest::keyClick(list, Qt::Key_Tab);
    EXPECT_NE(QApplication::focusWidget(), list);
    EXPECT_FALSE(list->isAncestorOf(QApplication::focusWidget()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), list);

    // Finishing with nothing mapped is refused.
    QTest::mouseClick(Button(sheet, ID_WIZFINISH), Qt::LeftButton);
    EXPECT_EQ(m_messages.shown.back().text, "Please map any file field to some Tolva field");
    EXPECT_TRUE(sheet.isVisible());

    // Another separator reads the file again; an empty one is ";" again.
    auto* separator = Item<QLineEdit>(sheet, IDC_IE_SEPARATOR);
    separator->setFocus();
    separator->selectAll();
    QTest::keyClicks(separator, ",");
    EXPECT_EQ(list->rowCount(), 1);
    QTest::keyClick(separator, Qt::Key_Backspace);
    QTest::keyClick(separator, Qt::Key_Tab);
    EXPECT_EQ(separator->text(), ";");
    EXPECT_EQ(list->rowCount(), 2);
    // Without the names line the columns are numbered.
    QTest::mouseClick(Item<QCheckBox>(sheet, IDC_IE_FIRST_LINE), Qt::LeftButton);
    EXPECT_EQ(list->item(0, 0)->text(), "Field 0");
    EXPECT_FALSE(wizard.m_state.m_bFirstLineNames);
    QTest::mouseClick(Item<QCheckBox>(sheet, IDC_IE_FIRST_LINE), Qt::LeftButton);

    // Ticking a column without a field asks for its field.
    {
        MappingAnswer answer(FID_NAME);
        list->item(0, 0)->setCheckState(Qt::Checked);
    }
    EXPECT_EQ(list->item(0, 1)->text(), QString::fromStdString(LoadResString(FID_NAME)));
    // The same field for the second column takes it from the first.
    list->setCurrentCell(1, 0);
    {
        MappingAnswer answer(FID_NAME);
        QTest::mouseClick(Button(sheet, IDC_IE_CHANGE), Qt::LeftButton);
    }
    EXPECT_EQ(list->item(0, 1)->text(), "");
    EXPECT_EQ(list->item(0, 0)->checkState(), Qt::Unchecked);
    EXPECT_EQ(list->item(1, 0)->checkState(), Qt::Checked);
    // Reading the file again keeps the choices.
    QTest::mouseClick(Item<QCheckBox>(sheet, IDC_IE_FIRST_LINE), Qt::LeftButton);
    EXPECT_EQ(list->item(1, 0)->text(), "Field 1");
    EXPECT_EQ(list->item(1, 0)->checkState(), Qt::Checked);
    // Enter in the list changes the mapping instead of finishing.
    list->setFocus();
    {
        MappingAnswer answer(FID_FIRST_EMAIL);
        QTest::keyClick(list, Qt::Key_Return);
    }
    EXPECT_TRUE(sheet.isVisible());

    sheet.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&sheet));
    QTest::mouseClick(Button(sheet, ID_WIZFINISH), Qt::LeftButton);
    EXPECT_EQ(sheet.result(), QDialog::Accepted);
    EXPECT_EQ(wizard.m_state.m_fields, (std::vector<u32>{0, FID_FIRST_EMAIL}));
}

TEST_F(SheetTest, ChangeMappingDialogRefusesNoChoice)
{
    CDialogChangeMapping dialog(FID_COMPANY, "Firm");
    dialog.show();
    EXPECT_EQ(dialog.Fields()->currentData().toUInt(), u32(FID_COMPANY));
    EXPECT_EQ(qobject_cast<QLabel*>(GetDlgItem(&dialog, IDC_MAPPING_NAME))->text(), "Firm");
    dialog.Fields()->setCurrentIndex(-1);
    dialog.accept();
    EXPECT_EQ(m_messages.shown.back().text, "Please specify a field");
    EXPECT_TRUE(dialog.isVisible());
    dialog.Fields()->setCurrentIndex(0);
    dialog.accept();
    EXPECT_EQ(dialog.result(), IDOK);
    EXPECT_EQ(dialog.m_nFieldId, 0u);
}

TEST_F(SheetTest, CancelledCommandChangesNothing)
{
    QTimer::singleShot(0, [] {
        if (QWidget* sheet = QApplication::activeModalWidget())
            QTest::keyClick(sheet, Qt::Key_Escape);
    });
    const int contacts = m_dm.GetContactCount();
    const IEOutcome outcome = RunImportExportCommand(m_dm, nullptr);
    EXPECT_FALSE(outcome.changed);
    EXPECT_EQ(m_dm.GetContactCount(), contacts);
    EXPECT_TRUE(m_messages.shown.empty());
}

TEST_F(SheetTest, CommandSavesTheStoreOnlyWhenSomethingCameIn)
{
    const auto run = [this](const char* file) {
        QTimer::singleShot(0, [this, file] {
            auto* sheet = qobject_cast<CIESheet*>(QApplication::activeModalWidget());
            ASSERT_NE(sheet, nullptr);
            ToFilePage(*sheet, true, IEF_VCARD);
            Item<QLineEdit>(*sheet, IDC_IE_PATH)->setText(ProgramPath(file));
            sheet->PressFinish();
        });
        return RunImportExportCommand(m_dm, nullptr);
    };
    Put("empty.vcf", "nothing");
    Put("one.vcf", "BEGIN:VCARD\r\nFN:Ann\r\nEND:VCARD\r\n");
    const QByteArray before = Contents("tolva.rdf");
    EXPECT_EQ(run("empty.vcf").result, RC_MISSING);
    EXPECT_EQ(Contents("tolva.rdf"), before);
    EXPECT_EQ(m_messages.shown.back().text.find("Error in import/export operation"), 0u);
    EXPECT_TRUE(run("one.vcf").changed);
    EXPECT_NE(Contents("tolva.rdf"), before);
    EXPECT_EQ(m_messages.shown.back().text, "Successfully imported 0 book(s) and 1 contact(s).");
}

TEST_F(SheetTest, Pictures)
{
    if (!FontsAvailable())
        GTEST_SKIP() << "no font";
    Put("in.csv", "Name,Company,E-mail,Phone\r\nAnn,Acme,a@x,555\r\n");
    SaveFieldList(true, {FID_NAME, FID_COMPANY, 0, FID_HOME_PHONE});
    NewBook("Friends", m_dm.GetRootBook());
    NewBook("Work", m_dm.GetRootBook());
    const char* pages[] = {"start", "type", "book", "file", "fields"};
    for (const auto& [palette, name] : {std::pair{LightPalette(), "light"}, {DarkPalette(), "dark"}}) {
        ScopedPalette scoped(palette);
        IEWizard wizard;
        CIESheet sheet(wizard, m_dm);
        sheet.show();
        for (int page = 0; page < 5; ++page) {
            if (page > 0)
                QTest::mouseClick(Button(sheet, ID_WIZNEXT), Qt::LeftButton);
            if (page == 1)
                ChooseFormat(sheet, IEF_CSV);
            if (page == 3)
                Item<QLineEdit>(sheet, IDC_IE_PATH)->setText(ProgramPath("in.csv"));
            ASSERT_EQ(int(wizard.Page()), page);
            SavePicture(Grab(&sheet), QStringLiteral("iesheet-%1-%2").arg(pages[page], name));
        }
        CDialogChangeMapping dialog(FID_COMPANY, "Company", &sheet);
        SavePicture(Grab(&dialog), QStringLiteral("changemapping-%1").arg(name));
    }
    // The report at the end: new and updated contacts, and an entry that
    // gave none.
    AddNamed("Ann", m_dm.GetCurrentBook());
    Put("some.vcf",
        "BEGIN:VCARD\r\nFN:Ann\r\nTEL:555\r\nEND:VCARD\r\nBEGIN:VCARD\r\nFN:Bob\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nEND:VCARD\r\n");
    for (const auto& [palette, name] : {std::pair{LightPalette(), "light"}, {DarkPalette(), "dark"}}) {
        ScopedPalette scoped(palette);
        RealMessages messages;
        QTimer::singleShot(0, [this] {
            auto* sheet = qobject_cast<CIESheet*>(QApplication::activeModalWidget());
            ASSERT_NE(sheet, nullptr);
            ToFilePage(*sheet, true, IEF_VCARD);
            sheet->Wizard().m_state.m_nDuplicatesFlag = 1;  // a contact of the same name is updated
            Item<QLineEdit>(*sheet, IDC_IE_PATH)->setText(ProgramPath("some.vcf"));
            sheet->PressFinish();
        });
        RunImportExportCommand(m_dm, nullptr);
        ASSERT_EQ(messages.Shown(), 1);
        SavePicture(messages.Last().picture, QStringLiteral("iesheet-result-%1").arg(name));
        EXPECT_TRUE(messages.Last().faults.isEmpty()) << messages.Last().faults.join(u'\n').toStdString();
    }
}

TEST_F(SheetTest, EveryPageAndTheMappingDialogExplainTheirControls)
{
    ShippedHelp help;
    IEWizard wizard;
    CIESheet sheet(wizard, m_dm);
    ExpectSoundHelp(sheet.Page(IEP_START), 2);
    ExpectSoundHelp(sheet.Page(IEP_TYPE), 1);
    ExpectSoundHelp(sheet.Page(IEP_BOOK), 2);
    ExpectSoundHelp(sheet.Page(IEP_FILE), 3);
    ExpectSoundHelp(sheet.Page(IEP_FIELDS), 5);
    CDialogChangeMapping mapping(FID_COMPANY, "Firm");
    ExpectSoundHelp(&mapping, 2);

    // The first page as it opens: a right click on the export choice.
    sheet.show();
    EXPECT_EQ(RightClickHelp(GetDlgItem(sheet.Page(IEP_START), IDC_IE_EXPORT)), TopicText(1221));
}
