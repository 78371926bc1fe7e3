// The panes around the grid and the dialogs behind the contact commands:
// books, new and edited contacts, the information pane's place, menus from
// the keyboard, help pages and print flags.
#define QTEST_QPA_MOUSE_HANDLING
#include "framefixture.h"
#include "mainwnd/bookbanner.h"
#include "mainwnd/bookpane.h"
#include "mainwnd/booktree.h"
#include "mainwnd/contactinfopane.h"
#include "mainwnd/menus.h"

#include <QDesktopServices>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <memory>

namespace {

using Names = std::vector<std::string>;

QTreeWidgetItem* ItemNamed(QTreeWidget* tree, const QString& name)
{
    const auto found = tree->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.front();
}

// Closes the next pop-up menu and tells what it held.
std::shared_ptr<QStringList> CloseNextMenu()
{
    auto texts = std::make_shared<QStringList>();
    QTimer::singleShot(0, [texts] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            *texts << menu->objectName();
            for (const QAction* action : menu->actions())
                *texts << action->text();
            menu->close();
        }
    });
    return texts;
}

}  // namespace

class PageRecorder : public QObject {
    Q_OBJECT
public:
    PageRecorder() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "Open"); }
    ~PageRecorder() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    Q_INVOKABLE void Open(const QUrl& url) { opened << url.toLocalFile(); }
    QStringList opened;
};

TEST_F(FrameTest, ChoosingABookShowsItsContactsAndBuiltInBooksStay)
{
    auto book = std::make_unique<Book>();
    book->m_strName = "Work";
    Book* work = m_dataMan->AddBook(std::move(book), m_dataMan->GetRootBook());
    m_dataMan->AddContactToBook(m_dataMan->GetContactAt(1), work);
    Frame();
    QTreeWidget* tree = Container().BookPane()->Tree();
    tree->setCurrentItem(ItemNamed(tree, QStringLiteral("Work")));
    EXPECT_EQ(m_dataMan->GetCurrentBook(), work);
    EXPECT_EQ(Container().Banner()->BookName(), u"Work");
    ASSERT_EQ(Grid().RowCount(), 1);
    EXPECT_EQ(Grid().ShownContacts()[0]->m_strName, "Bruno Cole");

    // Root and "Deleted Items" cannot be deleted, moved or renamed.
    tree->setCurrentItem(ItemNamed(tree, QStringLiteral("Deleted Items")));
    EXPECT_FALSE(Enabled(ID_BOOK_DELETE));
    EXPECT_FALSE(Enabled(ID_BOOK_MOVE));
    tree->setCurrentItem(ItemNamed(tree, QStringLiteral("Contacts")));
    EXPECT_FALSE(Enabled(ID_BOOK_DELETE));
    Container().SetEditingHooks(&m_editing);
    EXPECT_TRUE(Enabled(ID_BOOK_NEW));
    EXPECT_FALSE(Enabled(ID_BOOK_RENAME));

    // Delete in the tree deletes the book into "Deleted Items"; its
    // contacts stay in the root.
    tree->setCurrentItem(ItemNamed(tree, QStringLiteral("Work")));
    tree->setFocus();
    QTest::keyClick(tree, Qt::Key_Delete);
    EXPECT_EQ(work->m_duParentID, m_dataMan->GetDeletedItemsBook()->m_duID);
    EXPECT_EQ(m_dataMan->GetCurrentBook(), m_dataMan->GetRootBook());
    EXPECT_EQ(Grid().RowCount(), 3);
    tree->setCurrentItem(ItemNamed(tree, QStringLiteral("Work")));
    EXPECT_TRUE(Enabled(ID_BOOK_DELETE));
    EXPECT_FALSE(Enabled(ID_BOOK_NEW));
}

TEST_F(FrameTest, NewContactJoinsTheListAndASwitchedDialogThatIsCancelledLeavesNothing)
{
    Frame();
    Container().SetEditingHooks(&m_editing);
    auto made = std::make_unique<Contact>();
    made->m_strName = "Dora Eck";
    int index = -1;
    m_dataMan->AddContact(std::move(made), m_dataMan->GetRootBook(), &index);
    m_editing.newIndex = index;
    Trigger(ID_CONTACT_NEW);
    EXPECT_EQ(Grid().RowCount(), 4);
    EXPECT_EQ(StoredNames("Contacts"), (Names{"Anna Berg", "Bruno Cole", "Carla Dean", "Dora Eck"}));
    EXPECT_EQ(m_userMan->m_dwDialogOpen, 0u);

    // The user asked for the other dialog and then cancelled it.
    struct Switching : FakeEditing {
        int NewContact(QWidget*, bool, const std::string&, const std::string&, bool& switchMode) override
        {
            switchMode = true;
            return newIndex;
        }
    } switching;
    switching.editOk = false;
    made = std::make_unique<Contact>();
    made->m_strName = "Emil Falk";
    m_dataMan->AddContact(std::move(made), m_dataMan->GetRootBook(), &switching.newIndex);
    Container().SetEditingHooks(&switching);
    const u32 flags = m_userMan->m_dwListFlags;
    Trigger(ID_CONTACT_NEW);
    EXPECT_EQ(m_userMan->m_dwListFlags, flags);
    EXPECT_EQ(Grid().RowCount(), 4);
    EXPECT_EQ(m_dataMan->GetContactCount(), 4);
}

TEST_F(FrameTest, EditedContactIsSavedAndACancelledEditRestoresIt)
{
    Frame();
    Container().SetEditingHooks(&m_editing);
    Select({2});
    m_editing.editedName = "Carla Dean-Ross";
    Trigger(ID_CONTACT_PROPERTIES);
    EXPECT_EQ(Grid().FirstSelectedContact()->m_strName, "Carla Dean-Ross");
    EXPECT_EQ(StoredNames("Contacts"), (Names{"Anna Berg", "Bruno Cole", "Carla Dean-Ross"}));

    m_editing.editOk = false;
    m_editing.editedName = "Changed and then cancelled";
    QTest::keyClick(&Frame(), Qt::Key_M, Qt::ControlModifier);
    EXPECT_EQ(Grid().FirstSelectedContact()->m_strName, "Carla Dean-Ross");
}

TEST_F(FrameTest, InformationPaneMovesWithItsKeysAndItsSplitterClamps)
{
    m_userMan->m_dwMainFlags |= MWF_INFOPANE;
    m_userMan->m_dwInfoDockState = INFO_DOCK_BOTTOM;
    Frame().resize(900, 600);
    QApplication::processEvents();
    CContactInfoPane* pane = Container().InfoPane();
    ASSERT_NE(pane, nullptr);
    EXPECT_GT(pane->y(), Grid().Widget()->geometry().bottom());
    // The keypad's 8, 6 and 2 with the grid focused, NumLock on (digits)
    // or off (arrows); the grid keeps its own arrows.
    QWidget* grid = Grid().Widget();
    grid->setFocus();
    const Qt::KeyboardModifiers keypad = Qt::ControlModifier | Qt::KeypadModifier;
    QTest::keyClick(grid, Qt::Key_8, keypad);
    EXPECT_EQ(m_userMan->m_dwInfoDockState, INFO_DOCK_TOP);
    EXPECT_LT(pane->geometry().bottom(), grid->y());
    QTest::keyClick(grid, Qt::Key_Down, keypad);
    EXPECT_EQ(m_userMan->m_dwInfoDockState, INFO_DOCK_BOTTOM);
    QTest::keyClick(grid, Qt::Key_Up, keypad);
    EXPECT_EQ(m_userMan->m_dwInfoDockState, INFO_DOCK_TOP);
    QTest::keyClick(grid, Qt::Key_Right, keypad);
    EXPECT_EQ(m_userMan->m_dwInfoDockState, INFO_DOCK_RIGHT);
    EXPECT_GT(pane->x(), grid->geometry().right());
    QTest::keyClick(grid, Qt::Key_2, keypad);
    EXPECT_EQ(m_userMan->m_dwInfoDockState, INFO_DOCK_BOTTOM);
    QTest::keyClick(grid, Qt::Key_6, keypad);
    EXPECT_EQ(m_userMan->m_dwInfoDockState, INFO_DOCK_RIGHT);
    EXPECT_TRUE(grid->hasFocus());
    // The same keys off the keypad are not the pane's.
    QTest::keyClick(grid, Qt::Key_8, Qt::ControlModifier);
    QTest::keyClick(grid, Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(m_userMan->m_dwInfoDockState, INFO_DOCK_RIGHT);

    // Dragged far past the window's edge, it keeps 100 pixels.
    const QPoint edge(pane->x() - 2, pane->geometry().center().y());
    QTest::mousePress(&Container(), Qt::LeftButton, {}, edge);
    QTest::mouseRelease(&Container(), Qt::LeftButton, {}, edge + QPoint(2000, 0));
    EXPECT_EQ(m_userMan->m_nInfoRight, 100);
    EXPECT_EQ(pane->width(), 100);
}

TEST_F(FrameTest, MenusFromTheKeyboardAndTheTray)
{
    Frame();
    Select({0});
    auto texts = CloseNextMenu();
    QContextMenuEvent fromKeys(QContextMenuEvent::Keyboard, QPoint(), QPoint());
    QApplication::sendEvent(Grid().Widget(), &fromKeys);
    ASSERT_FALSE(texts->isEmpty());
    EXPECT_EQ(texts->front(), QString::fromLatin1(kMenuContactPopup));
    EXPECT_TRUE(texts->contains(u"&Delete_Del"));

    texts = CloseNextMenu();
    QApplication::sendEvent(Container().BookPane()->Tree(), &fromKeys);
    ASSERT_FALSE(texts->isEmpty());
    EXPECT_EQ(texts->front(), QString::fromLatin1(kMenuBookPopup));

    // The tray's menu starts with Restore.
    texts = CloseNextMenu();
    Frame().OnTrayMenu(QPoint(10, 10));
    ASSERT_FALSE(texts->isEmpty());
    EXPECT_EQ(texts->value(1), u"&Restore");
}

TEST_F(FrameTest, HelpOpensTheInstalledPages)
{
    PageRecorder pages;
    Frame();
    Trigger(ID_HELP_KEYBOARD);
    Trigger(ID_HELP_FINDER);
    ASSERT_EQ(pages.opened.size(), 2) << (m_messages.shown.empty() ? "" : m_messages.shown.back().text);
    EXPECT_TRUE(pages.opened[0].endsWith(u"/share/tolva/help/keyboard.htm"));
    EXPECT_TRUE(pages.opened[1].endsWith(u"/share/tolva/help/tolva_welcome.htm"));
}

TEST_F(FrameTest, PrintRangesFlagTheirContacts)
{
    Frame();
    const auto flagged = [this] {
        std::vector<std::string> names;
        for (int i = 0; i < m_dataMan->GetContactCount(); ++i) {
            Contact* c = m_dataMan->GetContactAt(i);
            if (c->m_dwDisplayFlags & CDF_PRINT)
                names.push_back(c->m_strName);
            c->m_dwDisplayFlags &= ~CDF_PRINT;
        }
        return names;
    };
    Select({0, 2});
    Container().FlagContactsForPrint(4);
    EXPECT_EQ(flagged(), (Names{"Anna Berg", "Carla Dean"}));
    Container().FlagContactsForPrint(101);
    EXPECT_EQ(flagged(), Names{"Anna Berg"});
    Container().FlagContactsForPrint(3);
    EXPECT_EQ(flagged().size(), 3u);
    Container().FlagContactsForPrint(7);
    EXPECT_TRUE(flagged().empty());
}

TEST_F(FrameTest, DeleteAndEnterInTheGrid)
{
    m_userMan->m_dwListFlags &= ~CLF_CONFIRM_DELETE;
    Frame();
    Container().SetEditingHooks(&m_editing);
    Select({1});
    QTest::keyClick(Grid().Widget(), Qt::Key_Return);
    EXPECT_EQ(Grid().FirstSelectedContact()->m_strName, "Edited");
    QTest::keyClick(Grid().Widget(), Qt::Key_Delete);
    EXPECT_EQ(Grid().RowCount(), 2);
    EXPECT_EQ(StoredNames("Deleted Items"), Names{"Edited"});
    // Shift+Delete deletes for good anywhere.
    Select({0});
    QTest::keyClick(Grid().Widget(), Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(m_dataMan->GetContactCount(), 2);
    EXPECT_EQ(StoredNames("Deleted Items"), Names{"Edited"});
}

TEST_F(FrameTest, AfterDeleteTheRowThatTookThePlaceIsSelected)
{
    m_userMan->m_dwListFlags &= ~CLF_CONFIRM_DELETE;
    AddContact("Dora Eck");
    Frame();
    Grid().Widget()->setFocus();
    const auto selected = [this] {
        std::vector<std::string> names;
        for (const Contact* contact : Grid().SelectedContacts())
            names.push_back(contact->m_strName);
        return names;
    };
    // The next row moves up into the place and takes the selection, so
    // Delete pressed again goes on down the list.
    Select({1});
    QTest::keyClick(Grid().Widget(), Qt::Key_Delete);
    EXPECT_EQ(selected(), Names{"Carla Dean"});
    EXPECT_EQ(Grid().FirstSelectedContact(), Container().GetFocusedContact());
    // Several rows, the last among them: the closest row above.
    Select({1, 2});
    QTest::keyClick(Grid().Widget(), Qt::Key_Delete);
    EXPECT_EQ(selected(), Names{"Anna Berg"});
    QTest::keyClick(Grid().Widget(), Qt::Key_Delete);
    EXPECT_EQ(Grid().RowCount(), 0);
    EXPECT_TRUE(selected().empty());
}

TEST_F(FrameTest, TheDeleteQuestionShortensAWordTooLongForALine)
{
    const std::string word(70, 'x');
    Contact* doctor = AddContact("Dr " + word);
    m_userMan->m_dwListFlags |= CLF_CONFIRM_DELETE;
    Frame();
    Grid().SelectContact(doctor);
    m_messages.reply = IDCANCEL;
    Trigger(ID_CONTACT_DELETE);
    ASSERT_EQ(m_messages.shown.size(), 1u);
    const std::string& question = m_messages.shown[0].text;
    EXPECT_NE(question.find("\"Dr " + std::string(39, 'x') + "\xe2\x80\xa6\""), std::string::npos)
        << question;
    EXPECT_EQ(question.find(word), std::string::npos);
    EXPECT_EQ(m_dataMan->GetContactCount(), 4);  // cancelled
}

TEST_F(FrameTest, InformationPaneShowsTheSelectedContactAfterARefill)
{
    m_userMan->m_dwMainFlags |= MWF_INFOPANE;
    AddAlphabet("ABC");
    Frame();
    ASSERT_NE(Container().InfoPane(), nullptr);
    // A letter, then "All": each refill selects the first row, and the
    // pane shows that row's contact, as at start.
    for (u32 letter : {kFilterFirstLetter + 1, kFilterAll}) {
        Frame().OnCommand(letter);
        QApplication::processEvents();
        ASSERT_GT(Grid().RowCount(), 0) << letter;
        ASSERT_NE(Grid().FirstSelectedContact(), nullptr);
        EXPECT_EQ(Container().InfoPane()->Shown(), Grid().FirstSelectedContact()) << letter;
    }
}

TEST_F(FrameTest, EverySecondRowFromTheFirstSelected)
{
    for (const char* name : {"Dora Eck", "Emil Falk", "Fritz Gans"})
        AddContact(name);
    Frame();
    Select({1, 4});
    Grid().Widget()->setFocus();
    Trigger(ID_SELECT_EVERY_SECOND);
    std::vector<std::string> names;
    for (const Contact* c : Grid().SelectedContacts())
        names.push_back(c->m_strName);
    EXPECT_EQ(names, (Names{"Bruno Cole", "Dora Eck", "Fritz Gans"}));
}

#include "test_panes.moc"
