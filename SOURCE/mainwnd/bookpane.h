// The book pane: a small caption ("Address books" with one caption button)
// above the book tree. It is docked at the left of the container, shown in
// its pop-up window under the banner's book button, or closed. It makes the
// chosen book current and carries out the book commands, which reach it
// before the container's own.
#pragma once

#include "mainwnd/commands.h"
#include "mainwnd/popupwnd.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <vector>

class Book;
class CBookTreeCtrl;
class CEditingHooks;
class Contact;
class DataMan;
class QToolButton;
class QTreeWidgetItem;
class UserMan;

// Dock states of the book pane.
constexpr u32 BOOKPANE_CLOSED = 1;
constexpr u32 BOOKPANE_POPUP = 3;
constexpr u32 BOOKPANE_DOCKED = 4;

// The pane's flags: a keyboard selection waits for the hover timer.
constexpr u32 DPF_SELECTION_WAITING = 1u << 28;

// "UserMan\BookTree" State: 1 start in the root book.
constexpr u32 BTS_START_IN_ROOT = 1;

class CDockWnd : public QWidget {
    Q_OBJECT
public:
    static constexpr int kCaptionButtonId = 1362;
    static constexpr int kHoverMs = 500;
    static constexpr int kMinWidth = 100;

    CDockWnd(DataMan& dataMan, UserMan& userMan, QWidget* container);
    ~CDockWnd() override;

    bool ReloadTree();
    u32 FillTree();
    void ApplySettings();
    // 0 the selection is the root, 1 "Deleted Items", 2 "Deleted Items" or
    // below it: 1 or 0, and 0 with no selection; -1 for another question.
    int TestSelection(int what) const;
    QTreeWidgetItem* FindBookItem(u32 bookId, QTreeWidgetItem* start = nullptr) const;
    Book* SelectedBook() const;
    CBookTreeCtrl* Tree() const { return m_tree; }

    u32 DockState() const { return m_nDockState; }
    u32 PaneFlags() const { return m_dwPaneFlags; }
    void SetDocked();
    void SetClosed();
    void SetPopupState();
    // The caption button: docked closes, in the pop-up docks.
    void OnCaptionButton();
    // Opens the pop-up at a rectangle of the screen; null while docked.
    CPopupWnd* OpenPopup(const QRect& screenRect);
    CPopupWnd* Popup() const { return m_popup; }
    void ClosePopup();
    // A keyboard selection still waiting for the timer becomes current now.
    void SettleSelection();

    const CommandMap& Commands() const { return m_commands; }
    void SetEditingHooks(CEditingHooks* hooks) { m_editing = hooks; }
    // Add to, move to or remove from a book; returns the contacts whose
    // rows leave the grid.
    std::vector<Contact*> AddToBook(u32 command, const std::vector<Contact*>& contacts);

    // Set by the container.
    std::function<void()> currentBookChanged;
    std::function<void()> dockChanged;
    std::function<void()> booksChanged;
    std::function<void(u32 command)> runCommand;
    std::function<bool()> gridDragging;
    // The container's width, which bounds the pane's.
    std::function<int()> containerWidth;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnSelectionChanged();
    void MakeCurrent(QTreeWidgetItem* item);
    void MapCommands();
    void OnNewBook();
    void OnRenameBook();
    void OnMoveCopyBook(u32 id);
    void OnDeleteBook();
    void OnBookProperties();
    void AfterBooksChanged();
    void RunCommand(u32 command);
    bool BuiltInSelected() const;

    DataMan& m_dataMan;
    UserMan& m_userMan;
    QWidget* m_container;
    CEditingHooks* m_editing = nullptr;
    QToolButton* m_captionButton;
    CBookTreeCtrl* m_tree;
    QPointer<CPopupWnd> m_popup;
    u32 m_nDockState = BOOKPANE_CLOSED;
    u32 m_dwPaneFlags = 0;
    bool m_bFilling = false;
    bool m_bKeyMove = false;
    QTimer m_hoverTimer;
    CommandMap m_commands;
};
