// The book pane: a caption with a close button above the tree of books.
// Choosing a book makes it current; the book commands act on the chosen
// book.
#pragma once

#include "mainwnd/commands.h"

#include <QWidget>
#include <functional>

class Book;
class CEditingHooks;
class Contact;
class DataMan;
class QTreeWidget;
class QTreeWidgetItem;
class QToolButton;
class UserMan;

// Dock states of the book pane.
constexpr u32 BOOKPANE_CLOSED = 1;
constexpr u32 BOOKPANE_POPUP = 3;
constexpr u32 BOOKPANE_DOCKED = 4;

class CDockWnd : public QWidget {
    Q_OBJECT
public:
    CDockWnd(DataMan& dataMan, UserMan& userMan, QWidget* parent = nullptr);

    // Fills the tree again and selects the current book.
    bool ReloadTree();
    // 0 root, 1 "Deleted Items", 2 "Deleted Items" or below it; false with
    // no selection.
    bool TestSelection(int what) const;
    Book* SelectedBook() const;
    QTreeWidget* Tree() const { return m_tree; }

    u32 DockState() const { return m_nDockState; }
    void SetDocked();
    void SetClosed();

    // The book commands; the book pane sees every command first.
    const CommandMap& Commands() const { return m_commands; }
    void SetEditingHooks(CEditingHooks* hooks) { m_editing = hooks; }
    // Add to, move to or remove from a book; returns the contacts that
    // left the current book (their rows go).
    std::vector<Contact*> AddToBook(u32 command, const std::vector<Contact*>& contacts);

    // Called after the current book changed.
    std::function<void()> currentBookChanged;
    // Called after the pane opened or closed.
    std::function<void()> dockChanged;
    // Called after books changed in the store.
    std::function<void()> booksChanged;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FillItems(QTreeWidgetItem* parent, const std::vector<struct BookTreeItem>& items);
    void OnSelectionChanged();
    void MapCommands();
    void OnDeleteBook();
    void OnNewBook();
    void OnRenameBook();
    void OnMoveCopyBook(u32 id);
    void OnBookProperties();
    void SaveBooks();

    DataMan& m_dataMan;
    UserMan& m_userMan;
    CEditingHooks* m_editing = nullptr;
    QToolButton* m_captionButton;
    QTreeWidget* m_tree;
    u32 m_nDockState = BOOKPANE_DOCKED;
    bool m_bFilling = false;
    CommandMap m_commands;
};
