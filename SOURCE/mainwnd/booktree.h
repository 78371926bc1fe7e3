// The tree of address books in the book pane: the root book "Contacts",
// its sub-books at any depth and "Deleted Items". Books are dragged within
// the tree to move or copy them; contacts dragged from the grid onto a book
// are moved, copied or, onto "Deleted Items", deleted.
#pragma once

#include "platform/wintypes.h"

#include <QTimer>
#include <QTreeWidget>
#include <functional>
#include <memory>
#include <vector>

class Book;
class CTreeDropTarget;
class Contact;
class DataMan;
class QMimeData;
class UserMan;

// What the tree says about the point under a drag.
constexpr int HOVER_DELETED_ITEMS = 1;
constexpr int HOVER_CURRENT_BOOK = 2;
constexpr int HOVER_NOTHING = 3;
constexpr int HOVER_BOOK = 4;

// Book messages.
constexpr u32 IDS_COPY_BOOK_INTO_ITSELF = 59550;
constexpr u32 IDS_COPY_BOOK_INTO_SUBBOOK = 59551;
constexpr u32 IDS_COPY_BOOK_INTO_TRAY = 59552;
constexpr u32 IDS_MOVE_BOOK_INTO_SUBBOOK = 59553;
constexpr u32 IDS_MOVE_BOOK_INTO_ITSELF = 59554;
constexpr u32 IDS_CONFIRM_DELETE_BOOK_FOR_GOOD = 59524;
constexpr u32 IDS_CONFIRM_DELETE_BOOK = 59525;

// "UserMan\BookTree" Flags1: ask before deleting a book.
constexpr u32 BTF_CONFIRM_DELETE = 0x1;

class CBookTreeCtrl : public QTreeWidget {
    Q_OBJECT
public:
    static constexpr int kControlId = 1001;
    static constexpr int kBookIdRole = Qt::UserRole + 1;
    static constexpr int kHoverExpandMs = 500;

    CBookTreeCtrl(DataMan& dataMan, UserMan& userMan, QWidget* parent = nullptr);

    void ApplySettings();
    // Empties the tree and fills it from DataMan, keeping the books that
    // were expanded open. False when there is no book.
    bool Fill();

    u32 BookIdOf(const QTreeWidgetItem* item) const;
    Book* BookOf(const QTreeWidgetItem* item) const;
    QTreeWidgetItem* FindBookItem(u32 bookId, QTreeWidgetItem* start = nullptr) const;
    static bool IsDescendant(const QTreeWidgetItem* item, const QTreeWidgetItem* ancestor);
    // The item lies in "Deleted Items" or is that book.
    bool InDeletedItems(const QTreeWidgetItem* item) const;
    void SelectCurrentBook();

    // Book operations of a drag or of the book commands. Each says why it
    // refuses; true when the store changed.
    bool CopyBook(QTreeWidgetItem* dragged, u32 targetId);
    bool MoveBook(QTreeWidgetItem* dragged, u32 targetId);
    bool DeleteBook(QTreeWidgetItem* item, bool forGood);
    // Contacts dropped on a book.
    bool MoveContacts(const QMimeData* data, u32 targetId);
    bool CopyContacts(const QMimeData* data, u32 targetId);

    // Drops, given the data, the effect (1 copy, 2 move) and the point in
    // the viewport.
    void DropBook(const QMimeData* data, u32 effect, QPoint point);
    void DropContacts(const QMimeData* data, u32 effect, QPoint point);

    // Hover support for the drop target.
    int HoverHitTest(QPoint point);
    void StartHover();
    void StopHover(bool restore);
    bool DragScroll(int direction);
    bool Hovering() const { return m_bHovering; }
    bool DraggingBook() const { return m_bDragging; }
    // The selection is being moved by a key.
    bool InKeyMove() const { return m_bKeyMove; }
    // Fill is running: selection changes are the tree's own.
    bool Filling() const { return m_bFilling; }
    CTreeDropTarget* DropTarget() const { return m_dropTarget; }

    // Set by the owner: contacts that left the grid's book, contacts to be
    // deleted as by the Delete command, and the store's books changed.
    std::function<void(const std::vector<Contact*>&)> contactsLeft;
    std::function<void(const std::vector<Contact*>&)> deleteContacts;
    std::function<void()> booksChanged;
    std::function<void()> contactsAdded;
    // The books a contact leaves when a drop moves it: those the grid shows
    // it from. Without this hook, the current book.
    std::function<std::vector<Book*>(const Contact&)> movedFrom;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const override;

private:
    void FillItems(QTreeWidgetItem* parent, const std::vector<struct BookTreeItem>& items);
    QTreeWidgetItem* NewItem(const struct BookTreeItem& item);
    void BeginDrag();
    void OnHoverTimer();
    bool RefuseBook(u32 messageId);
    void AfterBooksChanged();

    DataMan& m_dataMan;
    UserMan& m_userMan;
    CTreeDropTarget* m_dropTarget;
    QTreeWidgetItem* m_hHoverItem = nullptr;
    QTreeWidgetItem* m_hDragItem = nullptr;
    u32 m_savedCaretBook = 0;
    QPoint m_lastPoint;
    QPoint m_pressPoint;
    u32 m_pressBook = 0;
    bool m_bDragPending = false;
    bool m_bDragging = false;
    bool m_bSelectOnRelease = false;
    bool m_bHovering = false;
    bool m_bKeyMove = false;
    bool m_bFilling = false;
    QTimer m_hoverTimer;
};
