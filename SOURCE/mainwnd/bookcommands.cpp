// The book pane's commands: new, rename, move, copy, delete and properties
// of a book, and the contacts' book membership.
#include "controls/cmdui.h"
#include "core/dataman.h"
#include "core/userman.h"
#include "mainwnd/bookpane.h"
#include "mainwnd/booktree.h"
#include "mainwnd/containerwnd.h"
#include "mainwnd/editinghooks.h"

#include <QApplication>

namespace {

// Gives the focus back to the pane after a command when it had it before.
class FocusKeeper {
public:
    explicit FocusKeeper(QWidget* pane)
        : m_pane(pane)
        , m_had(pane->isAncestorOf(QApplication::focusWidget()))
    {
    }
    ~FocusKeeper()
    {
        if (m_had && m_pane->isVisible())
            m_pane->setFocus();
    }
    FocusKeeper(const FocusKeeper&) = delete;
    FocusKeeper& operator=(const FocusKeeper&) = delete;

private:
    QWidget* m_pane;
    bool m_had;
};

}  // namespace

void CDockWnd::MapCommands()
{
    const auto rule = [this](bool needsEditing, auto test) {
        return [this, needsEditing, test](
                   CCmdUI& ui) { ui.Enable((m_editing || !needsEditing) && SelectedBook() && test()); };
    };
    // Every book command first takes the book a keyboard walk rests on.
    const auto run = [this](auto handler) {
        return [this, handler](u32 id) {
            SettleSelection();
            FocusKeeper keep(this);
            handler(id);
        };
    };
    const auto notBuiltIn = [this] { return !BuiltInSelected(); };
    const auto plainBook = [this] { return !BuiltInSelected() && !TestSelection(2); };
    const auto moveOrCopy = [this](u32 id) { OnMoveCopyBook(id); };
    m_commands.On(
        ID_BOOK_NEW, run([this](u32) { OnNewBook(); }), rule(true, [this] { return !TestSelection(2); }));
    m_commands.On(ID_BOOK_RENAME, run([this](u32) { OnRenameBook(); }), rule(true, plainBook));
    m_commands.On(ID_BOOK_MOVE, run(moveOrCopy), rule(true, notBuiltIn));
    m_commands.On(ID_BOOK_COPY, run(moveOrCopy), rule(true, plainBook));
    m_commands.On(ID_BOOK_DELETE, run([this](u32) { OnDeleteBook(); }), rule(false, notBuiltIn));
    m_commands.On(
        ID_BOOK_PROPERTIES, run([this](u32) { OnBookProperties(); }), rule(true, [] { return true; }));
    m_commands.On(
        ID_BOOKPANE_CAPTION, [this](u32) { OnCaptionButton(); }, [](CCmdUI& ui) { ui.Enable(true); });
}

void CDockWnd::OnNewBook()
{
    Book* parent = SelectedBook();
    std::vector<Book*> books{parent};
    std::string name;
    if (!parent || !m_editing || !m_editing->ChooseBooks(window(), BOOKCHOOSER_NEW, books, name)
        || name.empty())
        return;
    Book* under = books.empty() || !books.front() ? parent : books.front();
    auto book = std::make_unique<Book>();
    book->m_strName = name;
    if (!m_dataMan.AddBook(std::move(book), under))
        return;
    m_dataMan.Save(DFK_DATA);
    ReloadTree();
    if (QTreeWidgetItem* item = FindBookItem(under->m_duID))
        item->setExpanded(true);
    AfterBooksChanged();
}

void CDockWnd::OnRenameBook()
{
    Book* book = m_dataMan.GetCurrentBook();
    if (!book || BuiltInSelected() || !m_editing)
        return;
    std::vector<Book*> books{book};
    std::string name = book->m_strName;
    if (!m_editing->ChooseBooks(window(), BOOKCHOOSER_RENAME, books, name) || name.empty()
        || name == book->m_strName)
        return;
    book->m_strName = name;
    book->SetModified();
    m_dataMan.Save(DFK_DATA);
    if (QTreeWidgetItem* item = FindBookItem(book->m_duID))
        item->setText(0, QString::fromStdString(name));
    AfterBooksChanged();
    if (currentBookChanged)
        currentBookChanged();
}

void CDockWnd::OnMoveCopyBook(u32 id)
{
    Book* book = m_dataMan.GetCurrentBook();
    QTreeWidgetItem* item = book ? FindBookItem(book->m_duID) : nullptr;
    if (!item || BuiltInSelected() || !m_editing)
        return;
    const u32 bookId = book->m_duID;
    std::vector<Book*> books;
    std::string name;
    const int mode = id == ID_BOOK_MOVE ? BOOKCHOOSER_MOVE : BOOKCHOOSER_COPY;
    if (!m_editing->ChooseBooks(window(), mode, books, name) || books.empty() || !books.front())
        return;
    if (id == ID_BOOK_MOVE)
        m_tree->MoveBook(item, books.front()->m_duID);
    else
        m_tree->CopyBook(item, books.front()->m_duID);
    m_bFilling = true;
    if (QTreeWidgetItem* again = FindBookItem(bookId)) {
        m_tree->setCurrentItem(again);
        m_tree->scrollToItem(again);
    } else {
        m_tree->SelectCurrentBook();
    }
    m_bFilling = false;
}

void CDockWnd::OnDeleteBook()
{
    const bool forGood = (QApplication::keyboardModifiers() & Qt::ShiftModifier)
        || (m_userMan.m_dwListFlags & CLF_DELETE_FOR_GOOD);
    const u32 current = m_dataMan.GetCurrentBookId();
    m_bFilling = true;
    const bool deleted = m_tree->DeleteBook(m_tree->currentItem(), forGood);
    m_bFilling = false;
    if (deleted && currentBookChanged && m_dataMan.GetCurrentBookId() != current)
        currentBookChanged();
}

void CDockWnd::OnBookProperties()
{
    Book* book = SelectedBook();
    if (!book || !m_editing)
        return;
    const bool readOnly = BuiltInSelected();
    if (!m_editing->BookProperties(window(), *book, readOnly) || readOnly)
        return;
    m_dataMan.Save(DFK_DATA);
    if (QTreeWidgetItem* item = FindBookItem(book->m_duID))
        item->setText(0, QString::fromStdString(book->m_strName));
    AfterBooksChanged();
    if (currentBookChanged)
        currentBookChanged();
}

std::vector<Contact*> CDockWnd::AddToBook(u32 command, const std::vector<Contact*>& contacts)
{
    SettleSelection();
    std::vector<Contact*> gone;
    Book* current = m_dataMan.GetCurrentBook();
    if (contacts.empty() || !current)
        return gone;
    if (command == ID_CONTACT_REMOVEFROMBOOK) {
        // Only the contacts actually unlinked leave the grid.
        for (Contact* contact : contacts) {
            int permanent = 0;
            if (m_dataMan.RemoveContactFromBook(current, contact, permanent) == 0 && permanent)
                gone.push_back(contact);
        }
        m_dataMan.Save(DFK_DATA);
        return gone;
    }
    std::vector<Book*> books;
    std::string name;
    const int mode = command == ID_CONTACT_ADDTOBOOK ? BOOKCHOOSER_ADD : BOOKCHOOSER_MOVE;
    if (!m_editing || !m_editing->ChooseBooks(window(), mode, books, name) || books.empty())
        return gone;
    if (command == ID_CONTACT_ADDTOBOOK) {
        for (Contact* contact : contacts) {
            for (Book* book : books)
                m_dataMan.AddContactToBook(contact, book);
        }
    } else if (books.front() != current) {
        for (Contact* contact : contacts) {
            if (m_dataMan.MoveContact(current, books.front(), contact) == 0)
                gone.push_back(contact);
        }
    }
    m_dataMan.Save(DFK_DATA);
    return gone;
}
