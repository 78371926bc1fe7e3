// The book chooser: the book tree in a small framed dialog, to pick the
// book to move or copy to or to put a new book under, to tick the books of
// a contact, or to type the name of a new or renamed book.
#pragma once

#include "controls/framedialog.h"

#include <string>
#include <vector>

class Book;
class CFlatButton;
class DataMan;
class QCheckBox;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

class CDialogBookChooser : public CFramedDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 139;
    static constexpr int kCheckAllId = 1504;
    static constexpr int kClearAllId = 1505;
    static constexpr int kSubbooksId = 1506;
    static constexpr int kTreeId = 1508;
    static constexpr int kNameId = 1519;
    static constexpr int kNameLimit = 255;

    // Modes.
    static constexpr int kModeContactBooks = 1;
    static constexpr int kModeMoveTo = 2;
    static constexpr int kModeCopyTo = 3;
    static constexpr int kModeNewBook = 4;
    static constexpr int kModeRename = 5;

    // The state images of the check boxes.
    static constexpr int kNotTicked = 1;
    static constexpr int kTicked = 2;

    CDialogBookChooser(DataMan& dataMan, QWidget* parent = nullptr);

    // Set by the caller before the dialog runs.
    int m_nMode = kModeMoveTo;
    // The name shown in modes 4 and 5; after OK, the name typed.
    std::string m_strName;
    // Mode 1: the contact's books in; after OK, the ticked books in tree
    // order (each book before the books below it).
    std::vector<Book*> m_books;
    // Modes 2 to 4: after OK, the selected book.
    Book* m_pChosenBook = nullptr;

    QTreeWidget* Tree() const { return m_tree; }
    // The item of a book, null when the tree does not show it.
    QTreeWidgetItem* ItemOf(const Book* book) const;
    Book* BookOf(const QTreeWidgetItem* item) const;
    // kTicked or kNotTicked.
    int GetCheckState(const QTreeWidgetItem* item) const;
    // Sets one item as a click on its check box would, "Select subbooks"
    // included.
    void SetCheckState(QTreeWidgetItem* item, int state);

    void OnCheckAll();
    void OnClearAll();

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    void ApplyModeLayout();
    bool FillTree();
    void FillItems(QTreeWidgetItem* parent, const std::vector<struct BookTreeItem>& items);
    static bool IsRoot(const QTreeWidgetItem* item);
    void SetItemState(QTreeWidgetItem* item, int state, bool withSubtree);
    void CollectTicked(const QTreeWidgetItem* item, std::vector<Book*>& books) const;
    std::vector<Book*> TickedBooks() const;
    void OnItemChanged(QTreeWidgetItem* item, int column);
    void OnSelectSubbooks(bool checked);
    void UpdateOkButton();
    bool IsDeletedItems(const QTreeWidgetItem* item) const;
    QString TypedName() const;

    DataMan& m_dataMan;
    QLineEdit* m_name;
    QTreeWidget* m_tree;
    QCheckBox* m_subbooks;
    CFlatButton* m_checkAll;
    CFlatButton* m_clearAll;
    CFlatButton* m_ok;
    CFlatButton* m_cancel;
    bool m_bSelectSubbooks = false;
    // Set while the dialog itself changes check states.
    bool m_bTicking = false;
};
