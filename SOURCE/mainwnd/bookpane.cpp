#include "mainwnd/bookpane.h"

#include "controls/cmdui.h"
#include "core/dataman.h"
#include "core/userman.h"
#include "mainwnd/editinghooks.h"
#include "platform/ui/syscolor.h"

#include <QApplication>
#include <QHeaderView>
#include <QPainter>
#include <QToolButton>
#include <QTreeWidget>

namespace {

constexpr int kCaptionHeight = 24;
constexpr int kBookIdRole = Qt::UserRole + 1;
constexpr u32 kListDeleteForGood = 0x2;

}  // namespace

CDockWnd::CDockWnd(DataMan& dataMan, UserMan& userMan, QWidget* parent)
    : QWidget(parent)
    , m_dataMan(dataMan)
    , m_userMan(userMan)
    , m_captionButton(new QToolButton(this))
    , m_tree(new QTreeWidget(this))
{
    setObjectName(QStringLiteral("BOOK_WINDOW"));
    m_captionButton->setAutoRaise(true);
    m_captionButton->setText(QStringLiteral("\u00D7"));
    m_captionButton->setToolTip(CommandTooltip(ID_VIEW_BOOKTREE));
    m_captionButton->setFocusPolicy(Qt::NoFocus);
    m_tree->setHeaderHidden(true);
    m_tree->setObjectName(QStringLiteral("BookTree"));
    connect(m_captionButton, &QToolButton::clicked, this, [this] {
        SetClosed();
        m_userMan.m_dwMainFlags &= ~MWF_BOOKPANE;
    });
    connect(m_tree, &QTreeWidget::itemSelectionChanged, this, &CDockWnd::OnSelectionChanged);
    m_nDockState = m_userMan.m_dwTreeDockState == BOOKPANE_CLOSED ? BOOKPANE_CLOSED : BOOKPANE_DOCKED;
    MapCommands();
    ReloadTree();
}

void CDockWnd::FillItems(QTreeWidgetItem* parent, const std::vector<BookTreeItem>& items)
{
    for (const BookTreeItem& item : items) {
        auto* node = new QTreeWidgetItem(parent, {QString::fromStdString(item.name)});
        node->setData(0, kBookIdRole, item.book->m_duID);
        FillItems(node, item.children);
    }
}

bool CDockWnd::ReloadTree()
{
    m_bFilling = true;
    m_tree->clear();
    std::vector<BookTreeItem> items;
    Book* root = m_dataMan.GetRootBook();
    if (root)
        m_dataMan.FillBookTree(items, root->m_duID, false);
    for (const BookTreeItem& item : items) {
        auto* node = new QTreeWidgetItem(m_tree, {QString::fromStdString(item.name)});
        node->setData(0, kBookIdRole, item.book->m_duID);
        FillItems(node, item.children);
    }
    m_tree->expandAll();
    const u32 current = m_dataMan.GetCurrentBookId();
    for (QTreeWidgetItemIterator it(m_tree); *it; ++it) {
        if ((*it)->data(0, kBookIdRole).toUInt() == current) {
            m_tree->setCurrentItem(*it);
            m_tree->scrollToItem(*it);
            break;
        }
    }
    m_bFilling = false;
    return !items.empty();
}

Book* CDockWnd::SelectedBook() const
{
    const QTreeWidgetItem* item = m_tree->currentItem();
    return item ? m_dataMan.FindBook(item->data(0, kBookIdRole).toUInt()) : nullptr;
}

bool CDockWnd::TestSelection(int what) const
{
    const Book* book = SelectedBook();
    if (!book)
        return false;
    const Book* deleted = m_dataMan.GetDeletedItemsBook();
    switch (what) {
    case 0:
        return book == m_dataMan.GetRootBook();
    case 1:
        return book == deleted;
    default:
        for (const Book* b = book; b;
             b = b == m_dataMan.GetRootBook() ? nullptr : m_dataMan.FindBook(b->m_duParentID)) {
            if (b == deleted)
                return true;
        }
        return false;
    }
}

void CDockWnd::OnSelectionChanged()
{
    if (m_bFilling)
        return;
    Book* book = SelectedBook();
    if (!book || book == m_dataMan.GetCurrentBook())
        return;
    m_dataMan.SetCurrentBook(book);
    if (currentBookChanged)
        currentBookChanged();
}

void CDockWnd::SetDocked()
{
    m_nDockState = BOOKPANE_DOCKED;
    m_userMan.m_dwTreeDockState = BOOKPANE_DOCKED;
    show();
    if (dockChanged)
        dockChanged();
}

void CDockWnd::SetClosed()
{
    m_nDockState = BOOKPANE_CLOSED;
    m_userMan.m_dwTreeDockState = BOOKPANE_CLOSED;
    hide();
    if (dockChanged)
        dockChanged();
}

void CDockWnd::resizeEvent(QResizeEvent*)
{
    const int button = kCaptionHeight - 4;
    m_captionButton->setGeometry(width() - button - 2, 2, button, button);
    m_tree->setGeometry(0, kCaptionHeight, width(), std::max(0, height() - kCaptionHeight));
}

void CDockWnd::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), GetSysColor(COLOR_WINDOW, this));
    p.setPen(GetSysColor(COLOR_WINDOWTEXT, this));
    p.drawLine(2, kCaptionHeight - 4, width() - 3, kCaptionHeight - 4);
    p.drawText(QRect(5, 2, std::max(0, width() - 30), kCaptionHeight - 6), Qt::AlignLeft | Qt::AlignVCenter,
        tr("Address books"));
}

void CDockWnd::MapCommands()
{
    const auto selected
        = [this](auto rule) { return [this, rule](CCmdUI& ui) { ui.Enable(SelectedBook() && rule()); }; };
    const auto withEditing = [this](auto rule) {
        return [this, rule](CCmdUI& ui) { ui.Enable(m_editing && SelectedBook() && rule()); };
    };
    m_commands.On(
        ID_BOOK_NEW, [this](u32) { OnNewBook(); }, withEditing([this] { return !TestSelection(2); }));
    const auto notBuiltIn = [this] { return !TestSelection(0) && !TestSelection(2); };
    m_commands.On(
        ID_BOOK_RENAME, [this](u32) { OnRenameBook(); }, withEditing(notBuiltIn));
    m_commands.On(
        ID_BOOK_COPY, [this](u32 id) { OnMoveCopyBook(id); }, withEditing(notBuiltIn));
    const auto notRootOrDeleted = [this] { return !TestSelection(0) && !TestSelection(1); };
    m_commands.On(
        ID_BOOK_MOVE, [this](u32 id) { OnMoveCopyBook(id); }, withEditing(notRootOrDeleted));
    m_commands.On(
        ID_BOOK_DELETE, [this](u32) { OnDeleteBook(); }, selected(notRootOrDeleted));
    m_commands.On(
        ID_BOOK_PROPERTIES, [this](u32) { OnBookProperties(); }, withEditing([] { return true; }));
}

void CDockWnd::SaveBooks()
{
    m_dataMan.Save(DFK_DATA);
    if (booksChanged)
        booksChanged();
}

void CDockWnd::OnDeleteBook()
{
    Book* book = SelectedBook();
    if (!book || TestSelection(0) || TestSelection(1))
        return;
    const bool forGood = (QApplication::keyboardModifiers() & Qt::ShiftModifier)
        || (m_userMan.m_dwListFlags & kListDeleteForGood);
    const bool wasCurrent = book == m_dataMan.GetCurrentBook();
    Book* parent = m_dataMan.FindBook(book->m_duParentID);
    if (m_dataMan.DeleteBook(book, forGood) != 0)
        return;
    if (wasCurrent || !m_dataMan.FindBook(m_dataMan.GetCurrentBookId()))
        m_dataMan.SetCurrentBook(parent ? parent : m_dataMan.GetRootBook());
    SaveBooks();
    ReloadTree();
    if (currentBookChanged)
        currentBookChanged();
}

void CDockWnd::OnNewBook()
{
    Book* parent = SelectedBook();
    std::vector<Book*> books{parent};
    std::string name;
    if (!m_editing || !m_editing->ChooseBooks(window(), BOOKCHOOSER_NEW, books, name) || name.empty())
        return;
    auto book = std::make_unique<Book>();
    book->m_strName = name;
    if (!m_dataMan.AddBook(std::move(book), books.empty() || !books.front() ? parent : books.front()))
        return;
    SaveBooks();
    ReloadTree();
}

void CDockWnd::OnRenameBook()
{
    Book* book = SelectedBook();
    std::vector<Book*> books{book};
    std::string name = book ? book->m_strName : std::string();
    if (!book || !m_editing || !m_editing->ChooseBooks(window(), BOOKCHOOSER_RENAME, books, name)
        || name.empty() || name == book->m_strName)
        return;
    book->m_strName = name;
    book->SetModified();
    SaveBooks();
    ReloadTree();
    if (currentBookChanged)
        currentBookChanged();
}

void CDockWnd::OnMoveCopyBook(u32 id)
{
    Book* book = SelectedBook();
    std::vector<Book*> books;
    std::string name;
    const int mode = id == ID_BOOK_MOVE ? BOOKCHOOSER_MOVE : BOOKCHOOSER_COPY;
    if (!book || !m_editing || !m_editing->ChooseBooks(window(), mode, books, name) || books.empty())
        return;
    const u32 error = id == ID_BOOK_MOVE ? m_dataMan.MoveBook(book, books.front())
                                         : m_dataMan.CopyBook(book, books.front());
    if (error != 0)
        return;
    SaveBooks();
    ReloadTree();
}

void CDockWnd::OnBookProperties()
{
    Book* book = SelectedBook();
    if (!book || !m_editing)
        return;
    const bool readOnly = TestSelection(0) || TestSelection(1);
    if (!m_editing->BookProperties(window(), *book, readOnly) || readOnly)
        return;
    SaveBooks();
    ReloadTree();
    if (currentBookChanged)
        currentBookChanged();
}

std::vector<Contact*> CDockWnd::AddToBook(u32 command, const std::vector<Contact*>& contacts)
{
    std::vector<Contact*> gone;
    Book* current = m_dataMan.GetCurrentBook();
    if (contacts.empty() || !current)
        return gone;
    if (command == ID_CONTACT_REMOVEFROMBOOK) {
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
