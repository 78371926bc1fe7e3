#include "controls/flatbutton.h"
#include "core/datafile.h"
#include "core/dataman.h"
#include "core/userman.h"
#include "dialogdriver.h"
#include "editing/bookchooser.h"
#include "editing/bookhooks.h"
#include "editing/bookprops.h"
#include "platform/programfolder.h"
#include "platform/ui/window.h"
#include "support/pictures.h"
#include "support/testenv.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <map>

namespace {

constexpr const char* kNameMissing = "You must specify a name";

class BookDialogTest : public TolvaTest {
protected:
    void SetUp() override
    {
        TolvaTest::SetUp();
        m_userMan = std::make_unique<UserMan>();
        ASSERT_EQ(m_userMan->Init(1), 0);
        m_file = std::make_unique<CDataFile>();
        ASSERT_EQ(m_file->Open(), 0u);
        m_dataMan = std::make_unique<DataMan>(*m_file, m_userMan.get());
        ASSERT_EQ(m_dataMan->Init(), 0u);
        m_root = m_dataMan->GetRootBook();
        m_deleted = m_dataMan->GetDeletedItemsBook();
        m_work = AddBook("Work", m_root);
        m_team = AddBook("Team", m_work);
        m_clients = AddBook("Clients", m_work);
        m_family = AddBook("Family", m_root);
    }
    void TearDown() override
    {
        m_dataMan->Close();
        m_file->Close();
        m_dataMan.reset();
        TolvaTest::TearDown();
    }

    Book* AddBook(const std::string& name, Book* parent)
    {
        auto book = std::make_unique<Book>();
        book->m_strName = name;
        return m_dataMan->AddBook(std::move(book), parent);
    }

    static void Show(QWidget& dialog)
    {
        dialog.show();
        QApplication::processEvents();
    }

    // Ticks or unticks a book as the space bar on its item does.
    static void PressSpace(CDialogBookChooser& dialog, const Book* book)
    {
        dialog.Tree()->setCurrentItem(dialog.ItemOf(book));
        QTest::keyClick(dialog.Tree(), Qt::Key_Space);
    }

    std::vector<std::string> Ticked(const CDialogBookChooser& dialog)
    {
        std::vector<std::string> names;
        for (QTreeWidgetItemIterator it(dialog.Tree()); *it; ++it) {
            if (dialog.GetCheckState(*it) == CDialogBookChooser::kTicked)
                names.push_back(dialog.BookOf(*it)->m_strName);
        }
        return names;
    }

    // The descriptions a second run reads from the data file, by book name.
    std::map<std::string, std::string> StoredDescriptions()
    {
        const QString copy = m_dir->filePath(QStringLiteral("second-run"));
        QDir().mkpath(copy);
        EXPECT_TRUE(
            QFile::copy(ProgramPath(QStringLiteral("tolva.rdf")), copy + QStringLiteral("/tolva.rdf")));
        ProgramFolder::SetPathForTesting(copy);
        std::map<std::string, std::string> descriptions;
        {
            CDataFile file;
            EXPECT_EQ(file.Open(), 0u);
            DataMan second(file, m_userMan.get());
            EXPECT_EQ(second.Init(), 0u);
            for (int i = 0; i < second.GetBookCount(); ++i)
                descriptions[second.GetBookAt(i)->m_strName] = second.GetBookAt(i)->m_strDescription;
            file.Close();
        }
        ProgramFolder::SetPathForTesting(QString());
        return descriptions;
    }

    std::unique_ptr<UserMan> m_userMan;
    std::unique_ptr<CDataFile> m_file;
    std::unique_ptr<DataMan> m_dataMan;
    Book* m_root = nullptr;
    Book* m_deleted = nullptr;
    Book* m_work = nullptr;
    Book* m_team = nullptr;
    Book* m_clients = nullptr;
    Book* m_family = nullptr;
};

using Names = std::vector<std::string>;

}  // namespace

TEST_F(BookDialogTest, ContactBooksAreTickedWithSubbooksButNeverDeletedItems)
{
    CDialogBookChooser dialog(*m_dataMan);
    dialog.m_nMode = CDialogBookChooser::kModeContactBooks;
    // A contact that sits in "Deleted Items" as well does not bring its tick.
    dialog.m_books = {m_family, m_deleted};
    Show(dialog);
    auto* subbooks = dialog.findChild<QCheckBox*>();
    ASSERT_TRUE(subbooks);
    EXPECT_TRUE(subbooks->isVisible());
    EXPECT_FALSE(GetDlgItem(&dialog, CDialogBookChooser::kNameId)->isVisible());
    EXPECT_EQ(Ticked(dialog), Names{"Family"});

    // Checking "Select subbooks" over an unticked selection changes nothing.
    subbooks->setChecked(true);
    EXPECT_EQ(Ticked(dialog), Names{"Family"});
    PressSpace(dialog, m_work);
    EXPECT_EQ(Ticked(dialog), (Names{"Family", "Work", "Clients", "Team"}));
    PressSpace(dialog, m_deleted);
    EXPECT_EQ(dialog.GetCheckState(dialog.ItemOf(m_deleted)), CDialogBookChooser::kNotTicked);
    // Unchecking it over a ticked selection unticks the books below.
    dialog.Tree()->setCurrentItem(dialog.ItemOf(m_work));
    subbooks->setChecked(false);
    EXPECT_EQ(Ticked(dialog), (Names{"Family", "Work"}));

    dialog.OnCheckAll();
    EXPECT_EQ(Ticked(dialog), (Names{"Contacts", "Family", "Work", "Clients", "Team"}));
    dialog.OnClearAll();
    EXPECT_TRUE(Ticked(dialog).empty());
    // With no book ticked there is nothing to add the contact to.
    auto* ok = qobject_cast<QPushButton*>(GetDlgItem(&dialog, IDOK));
    EXPECT_FALSE(ok->isEnabled());
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible());

    PressSpace(dialog, m_team);
    PressSpace(dialog, m_family);
    PressSpace(dialog, m_root);
    EXPECT_TRUE(ok->isEnabled());
    dialog.accept();
    EXPECT_EQ(dialog.result(), IDOK);
    EXPECT_EQ(dialog.m_books, (std::vector<Book*>{m_root, m_family, m_team}));
}

TEST_F(BookDialogTest, MoveAndCopyTakeTheSelectedBookAndCancelWithoutOne)
{
    for (int mode : {CDialogBookChooser::kModeMoveTo, CDialogBookChooser::kModeCopyTo}) {
        CDialogBookChooser dialog(*m_dataMan);
        dialog.m_nMode = mode;
        Show(dialog);
        EXPECT_FALSE(GetDlgItem(&dialog, CDialogBookChooser::kSubbooksId)->isVisible());
        EXPECT_FALSE(GetDlgItem(&dialog, CDialogBookChooser::kCheckAllId)->isVisible());
        EXPECT_FALSE(dialog.ItemOf(m_family)->flags() & Qt::ItemIsUserCheckable);
        // The current book is selected at the start.
        EXPECT_EQ(dialog.BookOf(dialog.Tree()->currentItem()), m_root);
        dialog.Tree()->setCurrentItem(dialog.ItemOf(m_clients));
        dialog.accept();
        EXPECT_EQ(dialog.result(), IDOK);
        EXPECT_EQ(dialog.m_pChosenBook, m_clients);
    }
    CDialogBookChooser dialog(*m_dataMan);
    dialog.m_nMode = CDialogBookChooser::kModeMoveTo;
    Show(dialog);
    dialog.Tree()->clearSelection();
    dialog.accept();
    EXPECT_EQ(dialog.result(), IDCANCEL);
    EXPECT_EQ(dialog.m_pChosenBook, nullptr);
}

TEST_F(BookDialogTest, NewAndRenamedBooksNeedAName)
{
    CDialogBookChooser rename(*m_dataMan);
    rename.m_nMode = CDialogBookChooser::kModeRename;
    rename.m_strName = "Work";
    Show(rename);
    EXPECT_FALSE(rename.Tree()->isVisible());
    auto* name = rename.findChild<QLineEdit*>();
    EXPECT_EQ(name->text(), "Work");
    name->setText("   ");
    rename.accept();
    ASSERT_EQ(m_messages.shown.size(), 1u);
    EXPECT_EQ(m_messages.shown[0].text, kNameMissing);
    EXPECT_TRUE(rename.isVisible());
    name->setText("Office");
    rename.accept();
    EXPECT_EQ(rename.result(), IDOK);
    EXPECT_EQ(rename.m_strName, "Office");

    CDialogBookChooser create(*m_dataMan);
    create.m_nMode = CDialogBookChooser::kModeNewBook;
    Show(create);
    // Without the tree the renaming dialog ends below its buttons.
    EXPECT_LT(rename.height(), create.height());
    create.accept();
    EXPECT_EQ(m_messages.shown.size(), 2u);
    EXPECT_TRUE(create.isVisible());
    create.findChild<QLineEdit*>()->setText("Projects");
    create.Tree()->setCurrentItem(create.ItemOf(m_work));
    create.accept();
    EXPECT_EQ(create.result(), IDOK);
    EXPECT_EQ(create.m_strName, "Projects");
    EXPECT_EQ(create.m_pChosenBook, m_work);
}

TEST_F(BookDialogTest, ChooserHooksHandBackWhatEachModeChose)
{
    CBookHooks hooks(*m_dataMan);
    std::vector<Book*> books{m_root};
    std::string name;
    DialogDriver<CDialogBookChooser> newBook([this](CDialogBookChooser& dialog) {
        dialog.findChild<QLineEdit*>()->setText("Projects");
        dialog.Tree()->setCurrentItem(dialog.ItemOf(m_family));
        dialog.accept();
    });
    ASSERT_TRUE(hooks.ChooseBooks(nullptr, CDialogBookChooser::kModeNewBook, books, name));
    EXPECT_TRUE(newBook.Came());
    EXPECT_EQ(name, "Projects");
    EXPECT_EQ(books, std::vector<Book*>{m_family});

    books = {m_team};
    DialogDriver<CDialogBookChooser> addTo([](CDialogBookChooser& dialog) {
        EXPECT_EQ(dialog.GetCheckState(dialog.Tree()->topLevelItem(0)), CDialogBookChooser::kNotTicked);
        dialog.OnCheckAll();
        dialog.accept();
    });
    ASSERT_TRUE(hooks.ChooseBooks(nullptr, CDialogBookChooser::kModeContactBooks, books, name));
    EXPECT_EQ(books.size(), 5u);

    DialogDriver<CDialogBookChooser> cancelled([](CDialogBookChooser& dialog) { dialog.reject(); });
    EXPECT_FALSE(hooks.ChooseBooks(nullptr, CDialogBookChooser::kModeMoveTo, books, name));
    EXPECT_EQ(books.size(), 5u);
}

TEST_F(BookDialogTest, PropertiesOfTheRootKeepItsNameAndSaveTheDescription)
{
    CBookHooks hooks(*m_dataMan);
    DialogDriver<CDialogBookProps> driver([](CDialogBookProps& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Contacts Properties");
        EXPECT_TRUE(dialog.NameEdit()->isReadOnly());
        EXPECT_EQ(dialog.InfoLine()->text(), "This book contains 3 books and 0 contacts");
        dialog.NameEdit()->setText("");
        dialog.DescriptionEdit()->setPlainText("Everyone I know");
        dialog.accept();
    });
    // The root's name cannot change, but its description does, and is kept.
    ASSERT_TRUE(hooks.BookProperties(nullptr, *m_root, true));
    EXPECT_TRUE(m_messages.shown.empty());
    EXPECT_EQ(m_root->m_strName, "Contacts");
    EXPECT_EQ(m_root->m_strDescription, "Everyone I know");
    EXPECT_EQ(StoredDescriptions()["Contacts"], "Everyone I know");
}

TEST_F(BookDialogTest, PropertiesRefuseAnEmptyNameAndKeepTheBookOnCancel)
{
    CBookHooks hooks(*m_dataMan);
    DialogDriver<CDialogBookProps> driver([this](CDialogBookProps& dialog) {
        EXPECT_FALSE(dialog.NameEdit()->isReadOnly());
        EXPECT_EQ(dialog.NameEdit()->text(), "Work");
        dialog.NameEdit()->setText(" ");
        dialog.DescriptionEdit()->setPlainText("changed");
        dialog.accept();
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(m_messages.shown.size(), 1u);
        dialog.reject();
    });
    EXPECT_FALSE(hooks.BookProperties(nullptr, *m_work, false));
    ASSERT_EQ(m_messages.shown.size(), 1u);
    EXPECT_EQ(m_messages.shown[0].text, kNameMissing);
    EXPECT_EQ(m_work->m_strName, "Work");
    EXPECT_EQ(m_work->m_strDescription, "");

    DialogDriver<CDialogBookProps> rename([](CDialogBookProps& dialog) {
        dialog.NameEdit()->setText("Office");
        dialog.accept();
    });
    ASSERT_TRUE(hooks.BookProperties(nullptr, *m_work, false));
    EXPECT_EQ(m_work->m_strName, "Office");
    EXPECT_EQ(StoredDescriptions().count("Office"), 1u);
}

TEST_F(BookDialogTest, PicturesOfTheBookDialogs)
{
    if (!FontsAvailable())
        GTEST_SKIP() << "no fonts";
    for (const bool dark : {false, true}) {
        ScopedPalette palette(dark ? DarkPalette() : LightPalette());
        const QString look = dark ? QStringLiteral("-dark") : QStringLiteral("-light");
        CDialogBookChooser chooser(*m_dataMan);
        chooser.m_nMode = CDialogBookChooser::kModeContactBooks;
        chooser.m_books = {m_family, m_team};
        SavePicture(Grab(&chooser), QStringLiteral("bookchooser") + look);
        CDialogBookChooser create(*m_dataMan);
        create.m_nMode = CDialogBookChooser::kModeNewBook;
        create.m_strName = "New book";
        SavePicture(Grab(&create), QStringLiteral("bookchooser-new") + look);
        CDialogBookChooser rename(*m_dataMan);
        rename.m_nMode = CDialogBookChooser::kModeRename;
        rename.m_strName = "Work";
        SavePicture(Grab(&rename), QStringLiteral("bookchooser-rename") + look);
        CDialogBookProps props;
        props.m_strTitle = props.m_strName = "Work";
        props.m_strDescription = "Colleagues and clients";
        props.m_strInfo = "This book contains 2 books and 14 contacts";
        SavePicture(Grab(&props), QStringLiteral("bookprops") + look);
    }
}
