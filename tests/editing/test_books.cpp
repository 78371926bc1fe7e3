#include "controls/gradientcaption.h"
#include "core/datafile.h"
#include "core/dataman.h"
#include "core/userman.h"
#include "dialogdriver.h"
#include "editing/bookchooser.h"
#include "editing/bookhooks.h"
#include "editing/bookprops.h"
#include "mainwnd/commands.h"
#include "mainwnd/containerwnd.h"
#include "mainwnd/mainframe.h"
#include "platform/programfolder.h"
#include "platform/ui/resources.h"
#include "platform/ui/window.h"
#include "support/pictures.h"
#include "support/testenv.h"
#include "telephony/tapiman.h"

#include <QAction>
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

using Names = std::vector<std::string>;
constexpr const char* kNameMissing = "You must specify a name";

class BookDialogTest : public TolvaTest {
protected:
    void SetUp() override
    {
        TolvaTest::SetUp();
        ASSERT_EQ(m_userMan.Init(1), 0);
        ASSERT_EQ(m_file.Open(), 0u);
        m_dataMan = std::make_unique<DataMan>(m_file, &m_userMan);
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
        m_file.Close();
        TolvaTest::TearDown();
    }

    Book* AddBook(const std::string& name, Book* parent)
    {
        auto book = std::make_unique<Book>();
        book->m_strName = name;
        return m_dataMan->AddBook(std::move(book), parent);
    }

    // A chooser shown in a mode.
    std::unique_ptr<CDialogBookChooser> Chooser(int mode, const std::string& name = {})
    {
        auto dialog = std::make_unique<CDialogBookChooser>(*m_dataMan);
        dialog->m_nMode = mode;
        dialog->m_strName = name;
        dialog->m_books = {m_family, m_deleted};
        dialog->show();
        QApplication::processEvents();
        return dialog;
    }

    // Ticks or unticks a book as the space bar on its item does.
    static void PressSpace(CDialogBookChooser& dialog, const Book* book)
    {
        dialog.Tree()->setCurrentItem(dialog.ItemOf(book));
        QTest::keyClick(dialog.Tree(), Qt::Key_Space);
    }

    static Names Ticked(const CDialogBookChooser& dialog)
    {
        Names names;
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
        CDataFile file;
        EXPECT_EQ(file.Open(), 0u);
        {
            DataMan second(file, &m_userMan);
            EXPECT_EQ(second.Init(), 0u);
            for (int i = 0; i < second.GetBookCount(); ++i)
                descriptions[second.GetBookAt(i)->m_strName] = second.GetBookAt(i)->m_strDescription;
        }
        file.Close();
        ProgramFolder::SetPathForTesting(QString());
        return descriptions;
    }

    UserMan m_userMan;
    CDataFile m_file;
    std::unique_ptr<DataMan> m_dataMan;
    Book* m_root = nullptr;
    Book* m_deleted = nullptr;
    Book* m_work = nullptr;
    Book* m_team = nullptr;
    Book* m_clients = nullptr;
    Book* m_family = nullptr;
};

}  // namespace

TEST_F(BookDialogTest, ContactBooksAreTickedWithSubbooksButNeverDeletedItems)
{
    auto dialog = Chooser(CDialogBookChooser::kModeContactBooks);
    auto* subbooks = dialog->findChild<QCheckBox*>();
    EXPECT_TRUE(subbooks->isVisible());
    EXPECT_FALSE(GetDlgItem(dialog.get(), CDialogBookChooser::kNameId)->isVisible());
    // A contact in "Deleted Items" as well does not bring that tick along.
    EXPECT_EQ(Ticked(*dialog), Names{"Family"});

    // "Select subbooks" over an unticked selection changes nothing.
    subbooks->setChecked(true);
    EXPECT_EQ(Ticked(*dialog), Names{"Family"});
    PressSpace(*dialog, m_work);
    EXPECT_EQ(Ticked(*dialog), (Names{"Family", "Work", "Clients", "Team"}));
    // "Deleted Items" is no book to put a contact in: it is not offered.
    EXPECT_EQ(dialog->ItemOf(m_deleted), nullptr);
    // Unchecking it over a ticked selection unticks the books below.
    dialog->Tree()->setCurrentItem(dialog->ItemOf(m_work));
    subbooks->setChecked(false);
    EXPECT_EQ(Ticked(*dialog), (Names{"Family", "Work"}));

    dialog->OnCheckAll();
    EXPECT_EQ(Ticked(*dialog), (Names{"Contacts", "Family", "Work", "Clients", "Team"}));
    dialog->OnClearAll();
    // With no book ticked the contact would be in none: OK waits.
    EXPECT_FALSE(GetDlgItem(dialog.get(), IDOK)->isEnabled());
    dialog->accept();
    EXPECT_TRUE(dialog->isVisible());

    for (Book* book : {m_team, m_family, m_root})
        PressSpace(*dialog, book);
    dialog->accept();
    EXPECT_EQ(dialog->result(), IDOK);
    EXPECT_EQ(dialog->m_books, (std::vector<Book*>{m_root, m_family, m_team}));
}

TEST_F(BookDialogTest, SelectSubbooksLeavesTheWholeStoreToCheckAll)
{
    // Ticking the root, or checking "Select subbooks" over the ticked
    // root, ticks the root alone; the books below a book still follow it.
    auto dialog = Chooser(CDialogBookChooser::kModeContactBooks);
    auto* subbooks = dialog->findChild<QCheckBox*>();
    QTest::keyClick(subbooks, Qt::Key_Space);
    ASSERT_TRUE(subbooks->isChecked());
    PressSpace(*dialog, m_root);
    EXPECT_EQ(Ticked(*dialog), (Names{"Contacts", "Family"}));
    QTest::keyClick(subbooks, Qt::Key_Space);
    QTest::keyClick(subbooks, Qt::Key_Space);
    EXPECT_EQ(Ticked(*dialog), (Names{"Contacts", "Family"}));
    PressSpace(*dialog, m_work);
    EXPECT_EQ(Ticked(*dialog), (Names{"Contacts", "Family", "Work", "Clients", "Team"}));
    PressSpace(*dialog, m_root);
    EXPECT_EQ(Ticked(*dialog), (Names{"Family", "Work", "Clients", "Team"}));
}

TEST_F(BookDialogTest, BookIconsAreTolvasOwn)
{
    // Root, book and "Deleted Items", each its own picture with the mask
    // colour cut away.
    EXPECT_EQ(LoadBitmapResource(CDialogBookProps::kIconBitmapId).size(), QSize(60, 20));
    std::vector<QImage> icons;
    for (int index = 0; index < 3; ++index) {
        const QImage icon = CDialogBookProps::BookIcon(index, nullptr).toImage();
        ASSERT_EQ(icon.size(), QSize(20, 20));
        int opaque = 0;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x) {
                const QColor c = icon.pixelColor(x, y);
                opaque += c.alpha() == 255;
                EXPECT_FALSE(c.alpha() > 0 && c.rgb() == qRgb(255, 0, 255)) << index << " " << x << "," << y;
            }
        EXPECT_GT(opaque, 100) << index;
        for (const QImage& other : icons)
            EXPECT_NE(icon, other) << index;
        icons.push_back(icon);
    }
}

TEST_F(BookDialogTest, MoveTakesTheSelectedBookAndCancelsWithoutOne)
{
    auto dialog = Chooser(CDialogBookChooser::kModeMoveTo);
    // A book moved into "Deleted Items" is deleted: the target is offered.
    EXPECT_NE(dialog->ItemOf(m_deleted), nullptr);
    EXPECT_FALSE(GetDlgItem(dialog.get(), CDialogBookChooser::kSubbooksId)->isVisible());
    EXPECT_FALSE(dialog->ItemOf(m_family)->flags() & Qt::ItemIsUserCheckable);
    EXPECT_EQ(dialog->BookOf(dialog->Tree()->currentItem()), m_root);
    dialog->Tree()->clearSelection();
    dialog->accept();
    EXPECT_EQ(dialog->result(), IDCANCEL);
}

TEST_F(BookDialogTest, NewAndRenamedBooksNeedAName)
{
    auto rename = Chooser(CDialogBookChooser::kModeRename, "Work");
    EXPECT_FALSE(rename->Tree()->isVisible());
    auto* name = rename->findChild<QLineEdit*>();
    EXPECT_EQ(name->text(), "Work");
    name->setText("   ");
    rename->accept();
    ASSERT_EQ(m_messages.shown.size(), 1u);
    EXPECT_EQ(m_messages.shown[0].text, kNameMissing);
    EXPECT_TRUE(rename->isVisible());
    name->setText("Office");
    rename->accept();
    EXPECT_EQ(rename->m_strName, "Office");

    auto create = Chooser(CDialogBookChooser::kModeNewBook);
    // Without the tree the renaming dialog ends below its buttons.
    EXPECT_LT(rename->height(), create->height());
    create->accept();
    EXPECT_EQ(m_messages.shown.size(), 2u);
    EXPECT_TRUE(create->isVisible());
    create->findChild<QLineEdit*>()->setText("Projects");
    create->Tree()->setCurrentItem(create->ItemOf(m_work));
    create->accept();
    EXPECT_EQ(create->result(), IDOK);
    EXPECT_EQ(create->m_pChosenBook, m_work);
}

TEST_F(BookDialogTest, PropertiesRefuseAnEmptyName)
{
    CBookHooks hooks(*m_dataMan);
    DialogDriver<CDialogBookProps> empty([this](CDialogBookProps& dialog) {
        EXPECT_EQ(dialog.NameEdit()->text(), "Work");
        dialog.NameEdit()->setText(" ");
        dialog.accept();
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(m_messages.shown.at(0).text, kNameMissing);
        dialog.reject();
    });
    EXPECT_FALSE(hooks.BookProperties(nullptr, *m_work, false));
    EXPECT_EQ(m_work->m_strName, "Work");
}

TEST_F(BookDialogTest, PropertiesCountInWordsThatAgree)
{
    CBookHooks hooks(*m_dataMan);
    auto contact = std::make_unique<Contact>();
    contact->m_strName = "Ida Lund";
    ASSERT_EQ(m_dataMan->AddContact(std::move(contact), m_family), 0u);
    AddBook("Cousins", m_family);
    for (const auto& [book, info] : {std::pair{m_family, "This book contains 1 book and 1 contact"},
             std::pair{m_work, "This book contains 2 books and 0 contacts"}}) {
        DialogDriver<CDialogBookProps> props([info = info](CDialogBookProps& dialog) {
            EXPECT_EQ(dialog.Caption()->text(), "Properties of this book");
            EXPECT_EQ(dialog.InfoLine()->text(), info);
            dialog.reject();
        });
        EXPECT_FALSE(hooks.BookProperties(nullptr, *book, false));
        EXPECT_TRUE(props.Came());
    }
}

TEST_F(BookDialogTest, BookCommandsOfTheMainWindowKeepTheirWorkForTheNextRun)
{
    TapiMan tapiMan;
    CBookHooks editing(*m_dataMan);
    CMainFrame frame(m_userMan, *m_dataMan, tapiMan);
    frame.GetContainer()->SetEditingHooks(&editing);
    frame.show();
    const auto trigger = [&frame](u32 id) {
        frame.UpdateAllCommands();
        auto* action = frame.findChild<QAction*>(QStringLiteral("cmd%1").arg(id));
        ASSERT_TRUE(action && action->isEnabled()) << id;
        action->trigger();
    };

    // "Deleted Items" and the books in it are offered as no new book's
    // parent: emptying it would destroy the new book with what it holds.
    Book* old = AddBook("Old", m_deleted);
    DialogDriver<CDialogBookChooser> create([this, old](CDialogBookChooser& dialog) {
        EXPECT_NE(dialog.ItemOf(m_work), nullptr);
        EXPECT_EQ(dialog.ItemOf(m_deleted), nullptr);
        EXPECT_EQ(dialog.ItemOf(old), nullptr);
        for (QTreeWidgetItemIterator it(dialog.Tree()); *it; ++it)
            EXPECT_NE((*it)->text(0), "Deleted Items");
        dialog.findChild<QLineEdit*>()->setText("Projects");
        dialog.accept();
    });
    trigger(ID_BOOK_NEW);
    ASSERT_TRUE(create.Came());
    ASSERT_NE(m_dataMan->FindChildBook(m_root, "Projects"), nullptr);
    // The root's description changes although its name cannot, and is kept.
    DialogDriver<CDialogBookProps> describe([](CDialogBookProps& dialog) {
        EXPECT_TRUE(dialog.NameEdit()->isReadOnly());
        EXPECT_EQ(dialog.InfoLine()->text(), "This book contains 4 books and 0 contacts");
        dialog.NameEdit()->setText("");
        dialog.DescriptionEdit()->setPlainText("Everyone");
        dialog.accept();
    });
    trigger(ID_BOOK_PROPERTIES);
    ASSERT_TRUE(describe.Came());
    EXPECT_EQ(m_root->m_strName, "Contacts");
    const auto stored = StoredDescriptions();
    EXPECT_EQ(stored.count("Projects"), 1u);
    EXPECT_EQ(stored.at("Contacts"), "Everyone");
}

TEST_F(BookDialogTest, PicturesOfTheBookDialogs)
{
    if (!FontsAvailable())
        GTEST_SKIP() << "no fonts";
    for (const bool dark : {false, true}) {
        ScopedPalette palette(dark ? DarkPalette() : LightPalette());
        const QString look = dark ? QStringLiteral("-dark") : QStringLiteral("-light");
        for (const auto& [mode, name] : {std::pair{CDialogBookChooser::kModeContactBooks, ""},
                 std::pair{CDialogBookChooser::kModeNewBook, "-new"},
                 std::pair{CDialogBookChooser::kModeRename, "-rename"}}) {
            const auto chooser = Chooser(mode, "Work");
            SavePicture(Grab(chooser.get()), "bookchooser" + QString::fromLatin1(name) + look);
            const QStringList faults = LayoutFaults(chooser.get());
            EXPECT_TRUE(faults.isEmpty()) << name << look.toStdString() << ":\n"
                                          << faults.join(u'\n').toStdString();
            // The caption strip shows the question whole, and the title
            // bar, in a bold font beside its three buttons, the title.
            const CGradientCaption* caption = chooser->Caption();
            EXPECT_GE(
                caption->contentsRect().width(), caption->fontMetrics().horizontalAdvance(caption->text()));
            QFont bold = chooser->font();
            bold.setBold(true);
            const QFontMetrics title(bold);
            EXPECT_LE(
                title.horizontalAdvance(chooser->windowTitle()) + 3 * 2 * title.height(), chooser->width())
                << chooser->windowTitle().toStdString();
        }
        CDialogBookProps props;
        props.m_strTitle = "Work";
        props.m_strDescription = "Colleagues and clients";
        props.m_strInfo = "This book contains 2 books and 14 contacts";
        SavePicture(Grab(&props), "bookprops" + look);
        const QStringList faults = LayoutFaults(&props);
        EXPECT_TRUE(faults.isEmpty()) << faults.join(u'\n').toStdString();
    }
}
