// The book tree and its pane: the effect a drag gets, copying, moving and
// deleting books with their messages, contacts dropped on books and on the
// grid, the keyboard delay, and the pane's pop-up window.
#define QTEST_QPA_MOUSE_HANDLING
#include "core/utilities.h"
#include "framefixture.h"
#include "mainwnd/bookpane.h"
#include "mainwnd/booktree.h"
#include "mainwnd/contactpayload.h"
#include "mainwnd/gridcontactview.h"
#include "mainwnd/rgridctrl.h"
#include "mainwnd/treedroptarget.h"
#include "support/fifowatch.h"
#include "support/pictures.h"
#include "support/tooltip.h"

#include <QDropEvent>
#include <QMouseEvent>
#include <QTest>

namespace {

using Names = std::vector<std::string>;

class BookTreeTest : public FrameTest {
protected:
    Book* NewBook(const std::string& name, Book* parent = nullptr)
    {
        auto book = std::make_unique<Book>();
        book->m_strName = name;
        return m_dataMan->AddBook(std::move(book), parent ? parent : m_dataMan->GetRootBook());
    }
    CDockWnd* Pane() { return Container().BookPane(); }
    CBookTreeCtrl* Tree() { return Pane()->Tree(); }
    QTreeWidgetItem* Item(const Book* book) { return Tree()->FindBookItem(book->m_duID); }
    QPoint At(const Book* book)
    {
        Tree()->scrollToItem(Item(book));
        return Tree()->visualItemRect(Item(book)).center();
    }
    Names Children(const Book* book)
    {
        Names names;
        for (u32 id : book->m_members) {
            if (const Book* sub = m_dataMan->FindBook(id))
                names.push_back(sub->m_strName);
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    bool Told(u32 id) const
    {
        const std::string text = LoadResString(id);
        return std::any_of(m_messages.shown.begin(), m_messages.shown.end(),
            [&text](const auto& shown) { return shown.text == text; });
    }
    // A whole drag over a window's viewport ending in a drop; the effect
    // the target gave while dragging.
    Qt::DropAction Drop(QWidget* viewport, QMimeData* data, QPoint at, Qt::KeyboardModifiers keys = {})
    {
        const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction;
        QDragEnterEvent enter(at, offered, data, Qt::LeftButton, keys);
        QApplication::sendEvent(viewport, &enter);
        QDragMoveEvent move(at, offered, data, Qt::LeftButton, keys);
        QApplication::sendEvent(viewport, &move);
        const Qt::DropAction effect = move.isAccepted() ? move.dropAction() : Qt::IgnoreAction;
        QDropEvent drop(at, offered, data, Qt::LeftButton, keys);
        QApplication::sendEvent(viewport, &drop);
        QApplication::processEvents();
        return effect;
    }
};

}  // namespace

TEST(DropEffect, FollowsTheWindowTheSourceTheFormatsAndCtrl)
{
    const auto tree = [](int hover, bool ctrl, bool offers = true) {
        return DropEffectOf({DROPMODE_TREE, DRAG_SOURCE_CONTACTS, false, offers, ctrl, hover, false});
    };
    EXPECT_EQ(tree(HOVER_DELETED_ITEMS, false), DROPEFFECT_MOVE);
    EXPECT_EQ(tree(HOVER_DELETED_ITEMS, true), DROPEFFECT_MOVE);
    EXPECT_EQ(tree(HOVER_CURRENT_BOOK, false), DROPEFFECT_NONE);
    EXPECT_EQ(tree(HOVER_CURRENT_BOOK, true), DROPEFFECT_COPY);
    EXPECT_EQ(tree(HOVER_NOTHING, true), DROPEFFECT_NONE);
    EXPECT_EQ(tree(HOVER_BOOK, false), DROPEFFECT_MOVE);
    EXPECT_EQ(tree(HOVER_BOOK, true), DROPEFFECT_COPY);
    EXPECT_EQ(tree(HOVER_BOOK, false, false), DROPEFFECT_NONE);
    EXPECT_EQ(tree(7, false), DROPEFFECT_NONE);

    const auto grid = [](int source, bool contacts, bool ctrl, bool accepts) {
        return DropEffectOf({DROPMODE_GRID, source, source == DRAG_SOURCE_BOOK, contacts, ctrl, 0, accepts});
    };
    // Contacts onto their own grid only with Ctrl; a book never; files when
    // the grid takes them.
    EXPECT_EQ(grid(DRAG_SOURCE_CONTACTS, true, false, false), DROPEFFECT_NONE);
    EXPECT_EQ(grid(DRAG_SOURCE_CONTACTS, true, true, false), DROPEFFECT_COPY);
    EXPECT_EQ(grid(DRAG_SOURCE_CONTACTS, false, true, true), DROPEFFECT_NONE);
    EXPECT_EQ(grid(DRAG_SOURCE_BOOK, false, true, true), DROPEFFECT_NONE);
    EXPECT_EQ(grid(DRAG_SOURCE_NONE, false, false, true), DROPEFFECT_COPY);
    EXPECT_EQ(grid(DRAG_SOURCE_NONE, true, true, false), DROPEFFECT_NONE);
}

TEST_F(BookTreeTest, CopiedBooksGetUniqueNamesAndRefuseImpossibleTargets)
{
    Book* friends = NewBook("Friends");
    Book* club = NewBook("Club");
    Book* inner = NewBook("Inner", club);
    Book* lot = NewBook("Lot9");
    NewBook("Lot9", club);
    Book* room = NewBook("Room 5 A");
    NewBook("Room 5 A", club);
    Book* year = NewBook("Y99999999999999999999");
    NewBook("Y99999999999999999999", club);
    Frame();
    const u32 current = m_dataMan->GetCurrentBookId();

    // Copies into the root beside the original.
    EXPECT_TRUE(Tree()->CopyBook(Item(friends), m_dataMan->GetRootBook()->m_duID));
    EXPECT_TRUE(Tree()->CopyBook(Item(friends), m_dataMan->GetRootBook()->m_duID));
    const Names root = Children(m_dataMan->GetRootBook());
    EXPECT_EQ(std::count(root.begin(), root.end(), "Friends1"), 1);
    EXPECT_EQ(std::count(root.begin(), root.end(), "Friends2"), 1);
    EXPECT_EQ(m_dataMan->GetCurrentBookId(), current);
    // The trailing number counts on; a number inside the name stays.
    EXPECT_TRUE(Tree()->CopyBook(Item(lot), club->m_duID));
    EXPECT_TRUE(Tree()->CopyBook(Item(room), club->m_duID));
    EXPECT_TRUE(Tree()->CopyBook(Item(year), club->m_duID));
    EXPECT_EQ(Children(club),
        (Names{"Inner", "Lot10", "Lot9", "Room 5 A", "Room 5 A1", "Y100000000000000000000",
            "Y99999999999999999999"}));
    EXPECT_EQ(StoredNames("Lot10"), Names{});

    const size_t books = size_t(m_dataMan->GetBookCount());
    EXPECT_FALSE(Tree()->CopyBook(Item(club), club->m_duID));
    EXPECT_TRUE(Told(IDS_COPY_BOOK_INTO_ITSELF));
    EXPECT_FALSE(Tree()->CopyBook(Item(club), inner->m_duID));
    EXPECT_TRUE(Told(IDS_COPY_BOOK_INTO_SUBBOOK));
    EXPECT_FALSE(Tree()->CopyBook(Item(club), m_dataMan->GetDeletedItemsBook()->m_duID));
    EXPECT_TRUE(Told(IDS_COPY_BOOK_INTO_TRAY));
    EXPECT_EQ(size_t(m_dataMan->GetBookCount()), books);
}

TEST_F(BookTreeTest, MovedBooksStayOutOfThemselvesAndGoToDeletedItemsAsADelete)
{
    Book* club = NewBook("Club");
    Book* inner = NewBook("Inner", club);
    Book* work = NewBook("Work");
    Frame();
    EXPECT_FALSE(Tree()->MoveBook(Item(club), club->m_duID));
    EXPECT_TRUE(Told(IDS_MOVE_BOOK_INTO_ITSELF));
    EXPECT_FALSE(Tree()->MoveBook(Item(club), inner->m_duID));
    EXPECT_TRUE(Told(IDS_MOVE_BOOK_INTO_SUBBOOK));
    EXPECT_EQ(club->m_duParentID, m_dataMan->GetRootBook()->m_duID);

    EXPECT_TRUE(Tree()->MoveBook(Item(club), work->m_duID));
    EXPECT_EQ(club->m_duParentID, work->m_duID);
    EXPECT_TRUE(Item(work)->isExpanded());

    // Onto "Deleted Items" it is deleted there, after the question.
    m_messages.shown.clear();
    EXPECT_TRUE(Tree()->MoveBook(Item(club), m_dataMan->GetDeletedItemsBook()->m_duID));
    EXPECT_EQ(club->m_duParentID, m_dataMan->GetDeletedItemsBook()->m_duID);
    ASSERT_EQ(m_messages.shown.size(), 1u);
    EXPECT_EQ(m_messages.shown[0].text, FormatResString(IDS_CONFIRM_DELETE_BOOK, "Club"));
}

TEST_F(BookTreeTest, DeletingBooksAsksAndKeepsTheBuiltInBooks)
{
    Book* work = NewBook("Work");
    Book* home = NewBook("Home");
    Frame();
    EXPECT_FALSE(Tree()->DeleteBook(Item(m_dataMan->GetRootBook()), true));
    EXPECT_FALSE(Tree()->DeleteBook(Item(m_dataMan->GetDeletedItemsBook()), true));

    // Cancelled: nothing happens.
    m_messages.reply = IDCANCEL;
    EXPECT_FALSE(Tree()->DeleteBook(Item(work), false));
    EXPECT_EQ(work->m_duParentID, m_dataMan->GetRootBook()->m_duID);

    // Without the setting no question, but below "Deleted Items" the book
    // goes for good and that is always asked.
    m_messages.reply = IDOK;
    m_userMan->m_dwTreeFlags &= ~BTF_CONFIRM_DELETE;
    m_messages.shown.clear();
    EXPECT_TRUE(Tree()->DeleteBook(Item(work), false));
    EXPECT_TRUE(m_messages.shown.empty());
    const u32 workId = work->m_duID;
    EXPECT_TRUE(Tree()->DeleteBook(Item(work), false));
    ASSERT_EQ(m_messages.shown.size(), 1u);
    EXPECT_EQ(m_messages.shown[0].text, FormatResString(IDS_CONFIRM_DELETE_BOOK_FOR_GOOD, "Work"));
    EXPECT_EQ(m_dataMan->FindBook(workId), nullptr);
    EXPECT_EQ(Tree()->FindBookItem(workId), nullptr);

    // Delete in the docked tree deletes the one book selected.
    Tree()->setCurrentItem(Item(home));
    Tree()->setFocus();
    const int books = m_dataMan->GetBookCount();
    QTest::keyClick(Tree(), Qt::Key_Delete);
    EXPECT_EQ(home->m_duParentID, m_dataMan->GetDeletedItemsBook()->m_duID);
    EXPECT_EQ(m_dataMan->GetBookCount(), books);
    EXPECT_EQ(m_dataMan->GetCurrentBook(), m_dataMan->GetRootBook());
}

TEST_F(BookTreeTest, KeyboardWalkChoosesTheBookOnlyWhenTheKeysRestButCommandsTakeItAtOnce)
{
    Book* alpha = NewBook("Alpha");
    Book* beta = NewBook("Beta");
    Frame();
    Container().SetEditingHooks(&m_editing);
    Tree()->setCurrentItem(Item(alpha));
    ASSERT_EQ(m_dataMan->GetCurrentBook(), alpha);
    Tree()->setFocus();
    QTest::keyClick(Tree(), Qt::Key_Down);
    EXPECT_EQ(Tree()->currentItem(), Item(beta));
    EXPECT_EQ(m_dataMan->GetCurrentBook(), alpha);
    EXPECT_TRUE(Pane()->PaneFlags() & DPF_SELECTION_WAITING);
    QTest::qWait(CDockWnd::kHoverMs + 200);
    EXPECT_EQ(m_dataMan->GetCurrentBook(), beta);

    // A rename straight after a key renames the book the user sees.
    QTest::keyClick(Tree(), Qt::Key_Up);
    struct Renaming : FakeEditing {
        bool ChooseBooks(QWidget*, int mode, std::vector<Book*>&, std::string& name) override
        {
            name = mode == BOOKCHOOSER_RENAME ? "Renamed" : name;
            return true;
        }
    } renaming;
    Container().SetEditingHooks(&renaming);
    Trigger(ID_BOOK_RENAME);
    EXPECT_EQ(alpha->m_strName, "Renamed");
    EXPECT_EQ(beta->m_strName, "Beta");
}

TEST_F(BookTreeTest, ContactsDroppedOnABookAreTheDraggedOnesAndAreSaved)
{
    Book* work = NewBook("Work");
    Frame();
    const std::vector<Contact*> shown = Grid().ShownContacts();
    Contact* dragged = shown.at(0);
    Select({1, 2});

    SetDragSourceKind(DRAG_SOURCE_CONTACTS);
    CContactDragData move({dragged});
    EXPECT_EQ(Drop(Tree()->viewport(), &move, At(work)), Qt::MoveAction);
    EXPECT_EQ(GetDragSourceKind(), DRAG_SOURCE_NONE);
    EXPECT_EQ(StoredNames("Work"), Names{dragged->m_strName});
    EXPECT_EQ(Grid().RowCount(), 2);
    EXPECT_EQ(Grid().SelectedCount(), 2);
    // The tree shows the current book again.
    EXPECT_EQ(Tree()->currentItem(), Item(m_dataMan->GetRootBook()));

    // With Ctrl a copy: a new contact in the target.
    SetDragSourceKind(DRAG_SOURCE_CONTACTS);
    CContactDragData copy({shown.at(1)});
    EXPECT_EQ(Drop(Tree()->viewport(), &copy, At(work), Qt::ControlModifier), Qt::CopyAction);
    EXPECT_EQ(StoredNames("Work"), (Names{dragged->m_strName, shown.at(1)->m_strName}));
    EXPECT_EQ(Grid().RowCount(), 2);

    // Onto the book it is in, only Ctrl does anything.
    SetDragSourceKind(DRAG_SOURCE_CONTACTS);
    EXPECT_EQ(Drop(Tree()->viewport(), &copy, At(m_dataMan->GetRootBook())), Qt::IgnoreAction);
    EXPECT_EQ(Grid().RowCount(), 2);

    // Onto "Deleted Items" as the Delete command does.
    SetDragSourceKind(DRAG_SOURCE_CONTACTS);
    CContactDragData gone({shown.at(2)});
    EXPECT_EQ(Drop(Tree()->viewport(), &gone, At(m_dataMan->GetDeletedItemsBook())), Qt::MoveAction);
    EXPECT_EQ(StoredNames("Deleted Items"), Names{shown.at(2)->m_strName});
    EXPECT_EQ(Grid().RowCount(), 1);
}

TEST_F(BookTreeTest, InFindModeAMoveTakesTheContactOutOfTheBooksTheSearchCovered)
{
    Book* work = NewBook("Work");
    Book* friends = NewBook("Friends");
    Book* root = m_dataMan->GetRootBook();
    Contact* anna = m_dataMan->GetContactAt(0);
    Contact* bruno = m_dataMan->GetContactAt(1);
    Contact* carla = m_dataMan->GetContactAt(2);
    m_dataMan->MoveContact(root, work, anna);
    m_dataMan->AddContactToBook(bruno, work);
    m_dataMan->AddContactToBook(carla, work);
    Frame();
    Trigger(ID_FIND_CONTACT);
    const auto drop = [&](Contact* contact, Book* target) {
        SetDragSourceKind(DRAG_SOURCE_CONTACTS);
        CContactDragData dragged({contact});
        return Drop(Tree()->viewport(), &dragged, At(target));
    };

    // Searched in every book: Anna, found in Work only, and Bruno, found in
    // Contacts and Work, leave them for Friends, where they are still found.
    Container().Find(QStringLiteral("anna"), true, 0x1);
    ASSERT_EQ(Grid().RowCount(), 1);
    EXPECT_EQ(drop(anna, friends), Qt::MoveAction);
    EXPECT_EQ(anna->m_books, IdArray{friends->m_duID});
    EXPECT_EQ(Grid().RowCount(), 1);
    Container().Find(QStringLiteral("bruno"), true, 0x1);
    EXPECT_EQ(drop(bruno, friends), Qt::MoveAction);
    EXPECT_EQ(bruno->m_books, IdArray{friends->m_duID});
    EXPECT_EQ(Grid().RowCount(), 1);
    EXPECT_EQ(StoredNames("Work"), Names{"Carla Dean"});
    EXPECT_EQ(StoredNames("Friends"), (Names{"Anna Berg", "Bruno Cole"}));

    // Searched in the current book: Carla leaves it, and the results, but
    // stays in Work.
    Container().Find(QStringLiteral("carla"), false, 0x1);
    ASSERT_EQ(Grid().RowCount(), 1);
    EXPECT_EQ(drop(carla, friends), Qt::MoveAction);
    EXPECT_EQ(carla->m_books, (IdArray{work->m_duID, friends->m_duID}));
    EXPECT_EQ(Grid().RowCount(), 0);
    EXPECT_FALSE(m_dataMan->IsMember(root, carla->m_duID));
}

TEST_F(BookTreeTest, TheGridTakesCopiesWithCtrlAndRefusesBadPayloadsAndBooks)
{
    Frame();
    auto& view = static_cast<CGridContactView&>(Container().Grid());
    QWidget* viewport = view.Viewport();
    const QPoint at = viewport->rect().center();
    Contact* first = Grid().ShownContacts().at(0);

    SetDragSourceKind(DRAG_SOURCE_CONTACTS);
    CContactDragData again({first});
    EXPECT_EQ(Drop(viewport, &again, at), Qt::IgnoreAction);
    EXPECT_EQ(Grid().RowCount(), 3);
    SetDragSourceKind(DRAG_SOURCE_CONTACTS);
    EXPECT_EQ(Drop(viewport, &again, at, Qt::ControlModifier), Qt::CopyAction);
    EXPECT_EQ(Grid().RowCount(), 4);
    EXPECT_EQ(StoredNames("Contacts").size(), 4u);

    // A damaged payload adds nothing and says so.
    QMimeData bad;
    bad.setData(ContactFormatMime(), QByteArray("\x02\0\0\0\x10\0\0\0", 8));
    m_messages.shown.clear();
    EXPECT_NE(view.Ctrl()->DropContacts(&bad), 0u);
    EXPECT_EQ(Grid().RowCount(), 4);
    EXPECT_FALSE(m_messages.shown.empty());

    // A book is never dropped on the grid.
    SetDragSourceKind(DRAG_SOURCE_BOOK);
    QMimeData book;
    book.setData(BookFormatMime(), WriteBookPayload(m_dataMan->GetRootBook()->m_duID));
    EXPECT_EQ(Drop(viewport, &book, at, Qt::ControlModifier), Qt::IgnoreAction);
    SetDragSourceKind(DRAG_SOURCE_NONE);
}

// A pipe or a device dropped from the file manager: one message that says
// what it is, and nothing imported.
TEST_F(BookTreeTest, APipeOrADeviceDroppedOnTheGridIsReportedOnceAsNoOrdinaryFile)
{
    const QString pipe = ProgramPath(QStringLiteral("pipe.vcf"));
    FifoWatch watch(pipe);
    ASSERT_TRUE(watch.Made());
    const QString device = ProgramPath(QStringLiteral("zero.vcf"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), device));
    Frame();
    auto& view = static_cast<CGridContactView&>(Container().Grid());
    const int rows = Grid().RowCount();
    for (const QString& path : {pipe, device}) {
        m_messages.shown.clear();
        QMimeData files;
        files.setUrls({QUrl::fromLocalFile(path)});
        SetDragSourceKind(DRAG_SOURCE_NONE);
        EXPECT_EQ(Drop(view.Viewport(), &files, view.Viewport()->rect().center()), Qt::CopyAction);
        ASSERT_EQ(m_messages.shown.size(), 1u) << path.toStdString();
        const std::string& text = m_messages.shown[0].text;
        EXPECT_NE(text.find(path.toStdString() + ": It is not an ordinary file"), std::string::npos) << text;
        EXPECT_NE(text.find("Nothing was imported."), std::string::npos) << text;
        EXPECT_EQ(m_messages.shown[0].type & MB_ICONMASK, MB_ICONSTOP);
        EXPECT_EQ(Grid().RowCount(), rows);
    }
    EXPECT_FALSE(watch.Blocked());
}

TEST_F(BookTreeTest, ABookDroppedOnTheTreeIsMovedByTheTreeAndHoverOpensBooks)
{
    Book* club = NewBook("Club");
    NewBook("Inner", club);
    Book* work = NewBook("Work");
    Frame();
    Item(club)->setExpanded(false);

    // Resting on a closed book opens it.
    Tree()->StartHover();
    EXPECT_EQ(Tree()->HoverHitTest(At(club)), HOVER_BOOK);
    EXPECT_EQ(Tree()->HoverHitTest(At(m_dataMan->GetDeletedItemsBook())), HOVER_DELETED_ITEMS);
    EXPECT_EQ(Tree()->HoverHitTest(At(m_dataMan->GetRootBook())), HOVER_CURRENT_BOOK);
    EXPECT_EQ(Tree()->HoverHitTest(At(club)), HOVER_BOOK);
    QTest::qWait(CBookTreeCtrl::kHoverExpandMs + 200);
    EXPECT_TRUE(Item(club)->isExpanded());
    Tree()->StopHover(true);
    EXPECT_EQ(m_dataMan->GetCurrentBook(), m_dataMan->GetRootBook());

    // A book payload from outside the tree's own drag moves nothing.
    QMimeData outside;
    outside.setData(BookFormatMime(), WriteBookPayload(work->m_duID));
    SetDragSourceKind(DRAG_SOURCE_BOOK);
    Drop(Tree()->viewport(), &outside, At(club));
    EXPECT_EQ(work->m_duParentID, m_dataMan->GetRootBook()->m_duID);
}

TEST_F(BookTreeTest, APressChoosesNoBookOnlyAClickDoesAndADragKeepsTheChosenOne)
{
    Book* work = NewBook("Work");
    Book* club = NewBook("Club");
    Frame();
    QWidget* viewport = Tree()->viewport();
    const auto send = [viewport](QEvent::Type type, QPoint at, Qt::MouseButtons held) {
        QMouseEvent event(type, at, viewport->mapToGlobal(at),
            type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(viewport, &event);
        QApplication::processEvents();
    };
    send(QEvent::MouseButtonPress, At(work), Qt::LeftButton);
    EXPECT_EQ(m_dataMan->GetCurrentBook(), m_dataMan->GetRootBook());
    send(QEvent::MouseButtonRelease, At(work), Qt::NoButton);
    EXPECT_EQ(m_dataMan->GetCurrentBook(), work);

    // A press that becomes a drag leaves "Work" chosen, whatever the drag did.
    const QPoint from = At(club);
    send(QEvent::MouseButtonPress, from, Qt::LeftButton);
    send(QEvent::MouseMove, from + QPoint(0, 12), Qt::LeftButton);
    send(QEvent::MouseButtonRelease, from + QPoint(0, 12), Qt::NoButton);
    EXPECT_EQ(m_dataMan->GetCurrentBook(), work);
    EXPECT_EQ(Tree()->currentItem(), Item(work));
}

TEST_F(BookTreeTest, TheTreeScrollsOneLineAtATimeUntilTheEnd)
{
    for (int i = 0; i < 40; ++i)
        NewBook("Book " + std::to_string(i));
    Frame();
    Tree()->scrollToTop();
    int steps = 0;
    while (Tree()->DragScroll(1) && steps < 1000)
        ++steps;
    EXPECT_GT(steps, 1);
    EXPECT_LT(steps, 1000);
    EXPECT_FALSE(Tree()->DragScroll(1));
    EXPECT_TRUE(Tree()->DragScroll(0));
    EXPECT_FALSE(Tree()->DragScroll(2));
    CTreeDropTarget* target = Tree()->DropTarget();
    const QRect r = Tree()->viewport()->rect();
    EXPECT_EQ(target->ScrollDirection(r.center()), 0xFFFFu);
    EXPECT_EQ(target->ScrollDirection(QPoint(r.center().x(), r.bottom() - 2)), 0x01FFu);
    EXPECT_EQ(target->ScrollDirection(QPoint(r.center().x(), 2)), 0x00FFu);
}

TEST_F(BookTreeTest, RemoveFromBookRemovesTheRowsOfTheContactsItUnlinked)
{
    Book* work = NewBook("Work");
    const std::vector<Contact*> all{m_dataMan->GetContactAt(0), m_dataMan->GetContactAt(1)};
    for (Contact* contact : all)
        m_dataMan->AddContactToBook(contact, work);
    Contact* onlyHere = AddContact("Zoe Only", work);
    Frame();
    Tree()->setCurrentItem(Item(work));
    ASSERT_EQ(Grid().RowCount(), 3);
    Select({0, 1, 2});
    // The one only in this book would be deleted: the user says no.
    m_userMan->m_dwListFlags |= CLF_CONFIRM_DELETE;
    m_messages.reply = IDCANCEL;
    Trigger(ID_CONTACT_REMOVEFROMBOOK);
    ASSERT_EQ(Grid().RowCount(), 1);
    EXPECT_EQ(Grid().ShownContacts()[0], onlyHere);
}

TEST_F(BookTreeTest, ThePanePopsUpDocksAndCloses)
{
    Frame();
    // F7 twice closes the docked pane and docks it again.
    Trigger(ID_VIEW_BOOKTREE);
    EXPECT_EQ(Pane()->DockState(), BOOKPANE_CLOSED);
    EXPECT_FALSE(m_userMan->m_dwMainFlags & MWF_BOOKPANE);
    Trigger(ID_VIEW_BOOKTREE);
    EXPECT_EQ(Pane()->DockState(), BOOKPANE_DOCKED);
    EXPECT_TRUE(m_userMan->m_dwMainFlags & MWF_BOOKPANE);
    EXPECT_EQ(Pane()->parentWidget(), &Container());
    EXPECT_TRUE(Pane()->isVisible());

    // The banner's book button drops the closed pane down; Escape closes it.
    Trigger(ID_VIEW_BOOKTREE);
    Frame().OnCommand(ID_BANNER_BOOK_BUTTON);
    ASSERT_NE(Pane()->Popup(), nullptr);
    EXPECT_EQ(Pane()->DockState(), BOOKPANE_POPUP);
    EXPECT_EQ(m_userMan->m_dwTreeDockState, BOOKPANE_POPUP);
    EXPECT_EQ(Pane()->window(), Pane()->Popup());
    QTest::keyClick(Tree(), Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_EQ(Pane()->DockState(), BOOKPANE_CLOSED);
    EXPECT_EQ(Pane()->parentWidget(), &Container());

    // The tree losing the focus closes it too.
    Frame().OnCommand(ID_BANNER_BOOK_BUTTON);
    ASSERT_EQ(Pane()->DockState(), BOOKPANE_POPUP);
    QFocusEvent out(QEvent::FocusOut, Qt::MouseFocusReason);
    QApplication::sendEvent(Tree(), &out);
    QApplication::processEvents();
    EXPECT_EQ(Pane()->DockState(), BOOKPANE_CLOSED);

    // Its caption button docks it at its width.
    Frame().OnCommand(ID_BANNER_BOOK_BUTTON);
    ASSERT_NE(Pane()->Popup(), nullptr);
    Pane()->Popup()->resize(260, Pane()->Popup()->height());
    QApplication::processEvents();
    const int width = Pane()->width();
    Pane()->OnCaptionButton();
    QApplication::processEvents();
    EXPECT_EQ(Pane()->DockState(), BOOKPANE_DOCKED);
    EXPECT_EQ(m_userMan->m_nTreeDimX, width);
    EXPECT_EQ(Pane()->parentWidget(), &Container());
    EXPECT_EQ(Pane()->Popup(), nullptr);

    // The main window may close while the pane is dropped down.
    Trigger(ID_VIEW_BOOKTREE);
    Frame().OnCommand(ID_BANNER_BOOK_BUTTON);
    ASSERT_NE(Pane()->Popup(), nullptr);
    m_frame.reset();
}

TEST_F(BookTreeTest, ThePaneKeepsItsWidthThroughAnyNumberOfClosesAndDocks)
{
    m_userMan->m_nTreeDimX = 233;
    Frame();
    ASSERT_EQ(Pane()->width(), 233);
    for (int cycle = 0; cycle < 4; ++cycle) {
        Trigger(ID_VIEW_BOOKTREE);
        ASSERT_EQ(Pane()->DockState(), BOOKPANE_CLOSED);
        // Dropped down from the banner, then docked again by F7.
        if (cycle % 2)
            Frame().OnCommand(ID_BANNER_BOOK_BUTTON);
        Trigger(ID_VIEW_BOOKTREE);
        ASSERT_EQ(Pane()->DockState(), BOOKPANE_DOCKED);
        EXPECT_EQ(m_userMan->m_nTreeDimX, 233) << cycle;
        EXPECT_EQ(Pane()->width(), 233) << cycle;
    }
}

TEST_F(BookTreeTest, ABookNameCutByThePaneShowsWholeInItsTip)
{
    const std::string name = "Customers of the northern region, sorted by the year of their first order";
    Book* longBook = NewBook(name);
    Book* shortBook = NewBook("Work");
    Frame();
    ASSERT_LT(
        Tree()->viewport()->width(), Tree()->fontMetrics().horizontalAdvance(QString::fromStdString(name)));
    EXPECT_EQ(ToolTipAt(Tree(), At(longBook)), QString::fromStdString(name));
    // A name that fits has no tip, nor has the space below the books.
    EXPECT_EQ(ToolTipAt(Tree(), At(shortBook)), QString());
    EXPECT_EQ(ToolTipAt(Tree(), QPoint(5, Tree()->viewport()->height() - 2)), QString());
}

TEST_F(BookTreeTest, PicturesOfTheBookPane)
{
    if (!FontsAvailable())
        GTEST_SKIP() << "no font";
    Book* work = NewBook("Work");
    NewBook("Projects", work);
    NewBook("Family");
    Frame();
    Item(work)->setExpanded(true);
    for (const auto& [name, palette] :
        {std::pair{"light", LightPalette()}, std::pair{"dark", DarkPalette()}}) {
        ScopedPalette scoped(palette);
        Frame().OnCommand(ID_BANNER_BOOK_BUTTON);
        QApplication::processEvents();
        // The selected book's arrow reads while the tree has the focus.
        Tree()->setCurrentItem(Item(work));
        Tree()->setFocus();
        QApplication::processEvents();
        const QImage docked = Grab(Pane());
        SavePicture(docked, QStringLiteral("bookpane-docked-%1").arg(QLatin1String(name)));
        const QStringList faults = LayoutFaults(Pane());
        EXPECT_TRUE(faults.isEmpty()) << faults.join(u'\n').toStdString();
        const QRect text = Tree()->visualItemRect(Item(work));
        const QRect branch(
            Tree()->viewport()->mapTo(Pane(), QPoint(text.left() - Tree()->indentation(), text.top())),
            QSize(Tree()->indentation(), text.height()));
        const QColor back = Tree()->palette().color(QPalette::Base);
        // The picture counts device pixels.
        const qreal scale = docked.devicePixelRatio();
        int arrow = 0;
        for (int y = int(branch.top() * scale); y < int((branch.bottom() + 1) * scale); ++y)
            for (int x = int(branch.left() * scale); x < int((branch.right() + 1) * scale); ++x)
                arrow += std::abs(QColor(docked.pixel(x, y)).lightness() - back.lightness()) > 100;
        EXPECT_GT(arrow, 4) << name;
        Trigger(ID_VIEW_BOOKTREE);
        Frame().OnCommand(ID_BANNER_BOOK_BUTTON);
        ASSERT_NE(Pane()->Popup(), nullptr);
        QApplication::processEvents();
        SavePicture(Grab(Pane()->Popup()), QStringLiteral("bookpane-popup-%1").arg(QLatin1String(name)));
        const QStringList popupFaults = LayoutFaults(Pane()->Popup());
        EXPECT_TRUE(popupFaults.isEmpty()) << popupFaults.join(u'\n').toStdString();
        Pane()->OnCaptionButton();
        QApplication::processEvents();
    }
}
