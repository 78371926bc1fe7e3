#include "editing/bookchooser.h"

#include "controls/contexthelp.h"
#include "controls/flatbutton.h"
#include "core/dataman.h"
#include "core/utilities.h"
#include "platform/ui/window.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int kBookIdRole = Qt::UserRole;

// The tree's least size, in dialog units.
constexpr int kTreeWidth = 180;
constexpr int kTreeHeight = 120;
constexpr int kNameWidth = 150;

constexpr u32 IDS_NEW_BOOK_NAME = 59514;
constexpr u32 IDS_MOVE_TO_BOOK = 59515;
constexpr u32 IDS_COPY_TO_BOOK = 59516;
constexpr u32 IDS_CONTACT_BOOKS = 59517;
constexpr u32 IDS_RENAME_BOOK = 59522;
constexpr u32 IDS_NAME_MISSING = 59523;

// What a mode asks in the caption strip, and the window's title: short, so
// that a title bar with its buttons shows it whole.
struct ModeTexts {
    u32 captionId;
    const char* title;
};

ModeTexts TextsOf(int mode)
{
    switch (mode) {
    case CDialogBookChooser::kModeContactBooks:
        return {IDS_CONTACT_BOOKS, "Add Books"};
    case CDialogBookChooser::kModeMoveTo:
        return {IDS_MOVE_TO_BOOK, "Move Book"};
    case CDialogBookChooser::kModeCopyTo:
        return {IDS_COPY_TO_BOOK, "Copy Book"};
    case CDialogBookChooser::kModeNewBook:
        return {IDS_NEW_BOOK_NAME, "New Book"};
    default:
        return {IDS_RENAME_BOOK, "Rename Book"};
    }
}

}  // namespace

CDialogBookChooser::CDialogBookChooser(DataMan& dataMan, QWidget* parent)
    : CFramedDialog(kTemplateId, parent)
    , m_dataMan(dataMan)
    , m_name(new QLineEdit(Frame()))
    , m_tree(new QTreeWidget(Frame()))
    , m_subbooks(new QCheckBox(QStringLiteral("Select subbooks"), Frame()))
    , m_checkAll(new CFlatButton(QStringLiteral("Check All"), Frame()))
    , m_clearAll(new CFlatButton(QStringLiteral("Clear All"), Frame()))
    , m_ok(new CFlatButton(QStringLiteral("OK"), Frame()))
    , m_cancel(new CFlatButton(QStringLiteral("Cancel"), Frame()))
{
    SetDlgCtrlID(m_name, kNameId);
    SetDlgCtrlID(m_tree, kTreeId);
    SetDlgCtrlID(m_subbooks, kSubbooksId);
    SetDlgCtrlID(m_checkAll, kCheckAllId);
    SetDlgCtrlID(m_clearAll, kClearAllId);
    SetDlgCtrlID(m_ok, IDOK);
    SetDlgCtrlID(m_cancel, IDCANCEL);
    m_name->setMaxLength(kNameLimit);
    m_name->setMinimumWidth(DialogUnitsToPixelsX(this, kNameWidth));
    m_tree->setHeaderHidden(true);
    m_tree->setUniformRowHeights(true);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->setMinimumSize(DialogUnitsToPixelsX(this, kTreeWidth), DialogUnitsToPixelsY(this, kTreeHeight));
    m_ok->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_checkAll);
    buttons->addWidget(m_clearAll);
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(Frame());
    layout->addWidget(m_name);
    layout->addWidget(m_tree, 1);
    layout->addWidget(m_subbooks);
    layout->addLayout(buttons);
    setTabOrder(m_name, m_tree);
    setTabOrder(m_tree, m_subbooks);
    setTabOrder(m_subbooks, m_checkAll);
    setTabOrder(m_checkAll, m_clearAll);
    setTabOrder(m_clearAll, m_ok);
    setTabOrder(m_ok, m_cancel);

    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_checkAll, &QPushButton::clicked, this, &CDialogBookChooser::OnCheckAll);
    connect(m_clearAll, &QPushButton::clicked, this, &CDialogBookChooser::OnClearAll);
    connect(m_subbooks, &QCheckBox::toggled, this, &CDialogBookChooser::OnSelectSubbooks);
    connect(m_tree, &QTreeWidget::itemChanged, this, &CDialogBookChooser::OnItemChanged);

    EnableContextHelp(this,
        {{kTreeId, 1076}, {kNameId, 1080}, {kCheckAllId, 1077}, {kClearAllId, 1078}, {kSubbooksId, 1079}});
}

bool CDialogBookChooser::OnInitDialog()
{
    CFramedDialog::OnInitDialog();
    ApplyModeLayout();
    if (!FillTree())
        return false;
    if (QTreeWidgetItem* current = ItemOf(m_dataMan.GetCurrentBook())) {
        m_tree->setCurrentItem(current);
        m_tree->scrollToItem(current);
        current->setExpanded(true);
    }
    if (m_nMode == kModeContactBooks) {
        for (Book* book : m_books) {
            QTreeWidgetItem* item = ItemOf(book);
            if (!item)
                continue;
            SetItemState(item, kTicked, false);
            // The contact's books are all in sight.
            for (QTreeWidgetItem* above = item->parent(); above; above = above->parent())
                above->setExpanded(true);
        }
    }
    UpdateOkButton();
    if (m_name->isVisibleTo(this)) {
        m_name->setFocus();
        m_name->selectAll();
    } else {
        m_tree->setFocus();
    }
    return true;
}

void CDialogBookChooser::ApplyModeLayout()
{
    const bool withName = m_nMode == kModeNewBook || m_nMode == kModeRename;
    const bool ticking = m_nMode == kModeContactBooks;
    m_name->setVisible(withName);
    m_name->setText(QString::fromStdString(m_strName));
    m_tree->setVisible(m_nMode != kModeRename);
    m_subbooks->setVisible(ticking);
    m_checkAll->setVisible(ticking);
    m_clearAll->setVisible(ticking);
    const ModeTexts texts = TextsOf(m_nMode);
    Caption()->setText(QString::fromStdString(LoadResString(texts.captionId)));
    setWindowTitle(QString::fromLatin1(texts.title));
    // Without the tree (renaming) the dialog ends below the buttons.
    Frame()->layout()->activate();
    layout()->activate();
    adjustSize();
}

bool CDialogBookChooser::FillTree()
{
    const QSignalBlocker blocker(m_tree);
    m_tree->clear();
    const Book* top = m_dataMan.GetBookAt(0);
    if (!top)
        return false;
    std::vector<BookTreeItem> items;
    if (m_dataMan.FillBookTree(items, top->m_duID, false) != 0 || m_dataMan.GetLastError() != 0)
        return false;
    FillItems(nullptr, items);
    return true;
}

void CDialogBookChooser::FillItems(QTreeWidgetItem* parent, const std::vector<BookTreeItem>& items)
{
    for (const BookTreeItem& entry : items) {
        // A new book made inside "Deleted Items" would be destroyed, with all
        // it holds, when the waste book is emptied: it is not offered as a
        // parent, nor anything below it. Nor is it a book to put a contact
        // in: that is what deleting does.
        if ((m_nMode == kModeNewBook || m_nMode == kModeContactBooks)
            && entry.book == m_dataMan.GetDeletedItemsBook())
            continue;
        const QStringList text{QString::fromStdString(entry.name)};
        auto* item = parent ? new QTreeWidgetItem(parent, text) : new QTreeWidgetItem(m_tree, text);
        item->setData(0, kBookIdRole, entry.book->m_duID);
        if (m_nMode == kModeContactBooks)
            item->setCheckState(0, Qt::Unchecked);
        else
            item->setFlags(item->flags() & ~Qt::ItemIsUserCheckable);
        FillItems(item, entry.children);
    }
}

QTreeWidgetItem* CDialogBookChooser::ItemOf(const Book* book) const
{
    if (!book)
        return nullptr;
    for (QTreeWidgetItemIterator it(m_tree); *it; ++it) {
        if ((*it)->data(0, kBookIdRole).toUInt() == book->m_duID)
            return *it;
    }
    return nullptr;
}

Book* CDialogBookChooser::BookOf(const QTreeWidgetItem* item) const
{
    return item ? m_dataMan.FindBook(item->data(0, kBookIdRole).toUInt()) : nullptr;
}

bool CDialogBookChooser::IsDeletedItems(const QTreeWidgetItem* item) const
{
    const Book* book = BookOf(item);
    return book && book == m_dataMan.GetDeletedItemsBook();
}

int CDialogBookChooser::GetCheckState(const QTreeWidgetItem* item) const
{
    return item && item->checkState(0) == Qt::Checked ? kTicked : kNotTicked;
}

void CDialogBookChooser::SetItemState(QTreeWidgetItem* item, int state, bool withSubtree)
{
    const bool wasTicking = m_bTicking;
    m_bTicking = true;
    // A contact is never put into "Deleted Items" by ticking it: that is
    // what deleting does.
    const bool ticked = state == kTicked && !IsDeletedItems(item);
    item->setCheckState(0, ticked ? Qt::Checked : Qt::Unchecked);
    if (withSubtree) {
        for (int i = 0; i < item->childCount(); ++i)
            SetItemState(item->child(i), state, true);
    }
    m_bTicking = wasTicking;
}

bool CDialogBookChooser::IsRoot(const QTreeWidgetItem* item)
{
    // "Select subbooks" reaches the books below a chosen book, never the
    // whole store through its root: that is what "Check All" is for.
    return item && !item->parent();
}

void CDialogBookChooser::SetCheckState(QTreeWidgetItem* item, int state)
{
    if (!item || m_nMode != kModeContactBooks)
        return;
    SetItemState(item, state, m_bSelectSubbooks && !IsRoot(item));
    UpdateOkButton();
}

void CDialogBookChooser::OnItemChanged(QTreeWidgetItem* item, int column)
{
    // The view has already turned the box over; the dialog's rules (the
    // subtree, "Deleted Items") follow from the state it left.
    if (m_bTicking || column != 0 || m_nMode != kModeContactBooks)
        return;
    SetCheckState(item, item->checkState(0) == Qt::Checked ? kTicked : kNotTicked);
}

void CDialogBookChooser::OnCheckAll()
{
    if (QTreeWidgetItem* top = m_tree->topLevelItem(0)) {
        SetItemState(top, kTicked, true);
        UpdateOkButton();
    }
}

void CDialogBookChooser::OnClearAll()
{
    if (QTreeWidgetItem* top = m_tree->topLevelItem(0)) {
        SetItemState(top, kNotTicked, true);
        UpdateOkButton();
    }
}

void CDialogBookChooser::OnSelectSubbooks(bool checked)
{
    m_bSelectSubbooks = checked;
    const QList<QTreeWidgetItem*> selected = m_tree->selectedItems();
    if (m_nMode != kModeContactBooks || selected.isEmpty() || GetCheckState(selected.front()) != kTicked)
        return;
    QTreeWidgetItem* item = selected.front();
    if (IsRoot(item))
        return;
    for (int i = 0; i < item->childCount(); ++i)
        SetItemState(item->child(i), checked ? kTicked : kNotTicked, true);
    UpdateOkButton();
}

void CDialogBookChooser::CollectTicked(const QTreeWidgetItem* item, std::vector<Book*>& books) const
{
    if (GetCheckState(item) == kTicked) {
        if (Book* book = BookOf(item))
            books.push_back(book);
    }
    for (int i = 0; i < item->childCount(); ++i)
        CollectTicked(item->child(i), books);
}

std::vector<Book*> CDialogBookChooser::TickedBooks() const
{
    std::vector<Book*> books;
    if (const QTreeWidgetItem* top = m_tree->topLevelItem(0))
        CollectTicked(top, books);
    return books;
}

void CDialogBookChooser::UpdateOkButton()
{
    // A contact stays in at least one book: with nothing ticked there is
    // nothing to take.
    m_ok->setEnabled(m_nMode != kModeContactBooks || !TickedBooks().empty());
}

QString CDialogBookChooser::TypedName() const
{
    return m_name->text().trimmed();
}

void CDialogBookChooser::OnOK()
{
    switch (m_nMode) {
    case kModeContactBooks: {
        std::vector<Book*> books = TickedBooks();
        if (books.empty())
            return;
        m_books = std::move(books);
        EndDialog(IDOK);
        return;
    }
    case kModeRename:
    case kModeNewBook:
        if (TypedName().isEmpty()) {
            MsgStop(IDS_NAME_MISSING, this);
            m_name->setFocus();
            return;
        }
        m_strName = TypedName().toStdString();
        if (m_nMode == kModeRename) {
            EndDialog(IDOK);
            return;
        }
        break;
    default:
        break;
    }
    const QList<QTreeWidgetItem*> selected = m_tree->selectedItems();
    m_pChosenBook = selected.isEmpty() ? nullptr : BookOf(selected.front());
    EndDialog(m_pChosenBook ? IDOK : IDCANCEL);
}
