#include "mainwnd/booktree.h"

#include "controls/cuttexttip.h"
#include "core/dataman.h"
#include "core/userman.h"
#include "core/utilities.h"
#include "mainwnd/contactpayload.h"
#include "mainwnd/rgridctrl.h"
#include "mainwnd/treedroptarget.h"
#include "platform/fontconv.h"
#include "platform/ui/syscolor.h"

#include <QApplication>
#include <QDrag>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOption>
#include <unordered_set>

namespace {

constexpr int kMinIndent = 22;
constexpr int kIconSize = 20;
constexpr int kDragThreshold = 2;

// The book icons: the root book, a book, "Deleted Items".
QIcon BookIcon(u32 image)
{
    static const std::array<QIcon, 3> icons = [] {
        std::array<QIcon, 3> made;
        for (u32 i = 0; i < made.size(); ++i) {
            QPixmap pixmap(kIconSize * 2, kIconSize * 2);
            pixmap.setDevicePixelRatio(2);
            pixmap.fill(Qt::transparent);
            QPainter p(&pixmap);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(QPen(QColor(0x40, 0x40, 0x40), 1));
            if (i == kDeletedItemsImage) {
                p.setBrush(QColor(0xB0, 0xB0, 0xB0));
                p.drawRect(QRectF(5.5, 6.5, 9, 11));
                p.drawLine(QPointF(3.5, 5.5), QPointF(16.5, 5.5));
                p.drawRect(QRectF(8.5, 3.5, 3, 2));
                for (double x : {8.0, 10.0, 12.0})
                    p.drawLine(QPointF(x, 8.5), QPointF(x, 15.5));
                made[i] = QIcon(pixmap);
                continue;
            }
            const QColor cover = i == kRootImage ? QColor(0x2E, 0x6C, 0xB5) : QColor(0xC0, 0x6A, 0x2B);
            if (i == kRootImage) {
                p.setBrush(cover.lighter(130));
                p.drawRect(QRectF(6.5, 2.5, 10, 13));
            }
            p.setBrush(cover);
            p.drawRect(QRectF(3.5, 4.5, 10, 13));
            p.setPen(QPen(Qt::white, 1));
            p.drawLine(QPointF(5.5, 5.5), QPointF(5.5, 16.5));
            made[i] = QIcon(pixmap);
        }
        return made;
    }();
    return icons[image < icons.size() ? image : kBookImage];
}

}  // namespace

CBookTreeCtrl::CBookTreeCtrl(DataMan& dataMan, UserMan& userMan, QWidget* parent)
    : QTreeWidget(parent)
    , m_dataMan(dataMan)
    , m_userMan(userMan)
{
    setObjectName(QStringLiteral("_BOOK_TREE_"));
    setHeaderHidden(true);
    setRootIsDecorated(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setIconSize(QSize(kIconSize, kIconSize));
    // A long name cut at the pane's edge can be read whole.
    EnableCutTextTips(this);
    if (indentation() < kMinIndent)
        setIndentation(kMinIndent);
    setFrameShape(QFrame::NoFrame);
    ApplySettings();
    m_dropTarget = new CTreeDropTarget(this);
    m_hoverTimer.setInterval(kHoverExpandMs);
    connect(&m_hoverTimer, &QTimer::timeout, this, &CBookTreeCtrl::OnHoverTimer);
}

void CBookTreeCtrl::ApplySettings()
{
    if (const LOGFONT* font = m_userMan.GetFont(UFK_BOOKTREE))
        setFont(QFontFromLogFont(*font));
    // The selection is drawn inverted: the background colour on the text
    // colour, on the shadow colour while the tree has no focus.
    const QColor text = ColorFromRef(m_userMan.m_crTreeText);
    const QColor back = ColorFromRef(m_userMan.m_crTreeBack);
    QPalette pal = palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        pal.setColor(group, QPalette::Base, back);
        pal.setColor(group, QPalette::Window, back);
        pal.setColor(group, QPalette::Text, text);
        pal.setColor(group, QPalette::WindowText, text);
        pal.setColor(group, QPalette::ButtonText, text);
        pal.setColor(group, QPalette::HighlightedText, back);
    }
    pal.setColor(QPalette::Active, QPalette::Highlight, text);
    pal.setColor(QPalette::Inactive, QPalette::Highlight, GetSysColor(COLOR_3DSHADOW, this));
    setPalette(pal);
    viewport()->setAutoFillBackground(true);
}

QTreeWidgetItem* CBookTreeCtrl::NewItem(const BookTreeItem& item)
{
    auto* node = new QTreeWidgetItem({QString::fromStdString(item.name)});
    node->setData(0, kBookIdRole, item.book->m_duID);
    node->setIcon(0, BookIcon(item.image));
    return node;
}

void CBookTreeCtrl::FillItems(QTreeWidgetItem* parent, const std::vector<BookTreeItem>& items)
{
    for (const BookTreeItem& item : items) {
        QTreeWidgetItem* node = NewItem(item);
        if (parent)
            parent->addChild(node);
        else
            addTopLevelItem(node);
        FillItems(node, item.children);
    }
}

bool CBookTreeCtrl::Fill()
{
    std::unordered_set<u32> expanded;
    for (QTreeWidgetItemIterator it(this); *it; ++it) {
        if ((*it)->isExpanded())
            expanded.insert(BookIdOf(*it));
    }
    const bool first = topLevelItemCount() == 0;
    const QSignalBlocker quiet(this);
    m_bFilling = true;
    m_hHoverItem = nullptr;
    m_hDragItem = nullptr;
    clear();
    std::vector<BookTreeItem> items;
    if (const Book* root = m_dataMan.GetRootBook())
        m_dataMan.FillBookTree(items, root->m_duID, false);
    FillItems(nullptr, items);
    for (QTreeWidgetItemIterator it(this); *it; ++it) {
        if (expanded.count(BookIdOf(*it)) || (first && !(*it)->parent()))
            (*it)->setExpanded(true);
    }
    m_bFilling = false;
    return !items.empty();
}

u32 CBookTreeCtrl::BookIdOf(const QTreeWidgetItem* item) const
{
    return item ? item->data(0, kBookIdRole).toUInt() : 0;
}

Book* CBookTreeCtrl::BookOf(const QTreeWidgetItem* item) const
{
    return item ? m_dataMan.FindBook(BookIdOf(item)) : nullptr;
}

QTreeWidgetItem* CBookTreeCtrl::FindBookItem(u32 bookId, QTreeWidgetItem* start) const
{
    if (!start) {
        for (int i = 0; i < topLevelItemCount(); ++i) {
            if (QTreeWidgetItem* found = FindBookItem(bookId, topLevelItem(i)))
                return found;
        }
        return nullptr;
    }
    if (BookIdOf(start) == bookId)
        return start;
    for (int i = 0; i < start->childCount(); ++i) {
        if (QTreeWidgetItem* found = FindBookItem(bookId, start->child(i)))
            return found;
    }
    return nullptr;
}

bool CBookTreeCtrl::IsDescendant(const QTreeWidgetItem* item, const QTreeWidgetItem* ancestor)
{
    for (const QTreeWidgetItem* up = item ? item->parent() : nullptr; up; up = up->parent()) {
        if (up == ancestor)
            return true;
    }
    return false;
}

bool CBookTreeCtrl::InDeletedItems(const QTreeWidgetItem* item) const
{
    const Book* deleted = m_dataMan.GetDeletedItemsBook();
    for (; item; item = item->parent()) {
        if (deleted && BookIdOf(item) == deleted->m_duID)
            return true;
    }
    return false;
}

void CBookTreeCtrl::SelectCurrentBook()
{
    if (QTreeWidgetItem* item = FindBookItem(m_dataMan.GetCurrentBookId())) {
        setCurrentItem(item);
        scrollToItem(item);
    }
}

bool CBookTreeCtrl::RefuseBook(u32 messageId)
{
    MsgStop(messageId, window());
    return false;
}

void CBookTreeCtrl::AfterBooksChanged()
{
    m_dataMan.Save(DFK_DATA);
    if (booksChanged)
        booksChanged();
}

bool CBookTreeCtrl::CopyBook(QTreeWidgetItem* dragged, u32 targetId)
{
    QTreeWidgetItem* target = FindBookItem(targetId);
    Book* book = BookOf(dragged);
    Book* targetBook = m_dataMan.FindBook(targetId);
    if (!target || !book || !targetBook)
        return false;
    if (target == dragged)
        return RefuseBook(IDS_COPY_BOOK_INTO_ITSELF);
    if (IsDescendant(target, dragged))
        return RefuseBook(IDS_COPY_BOOK_INTO_SUBBOOK);
    if (InDeletedItems(target))
        return RefuseBook(IDS_COPY_BOOK_INTO_TRAY);
    Book* previous = m_dataMan.GetCurrentBook();
    if (const u32 error = m_dataMan.CopyBook(book, targetBook)) {
        ShowErrorText(nullptr, error);
        return false;
    }
    // The copy is the current book now; it gets a name none of its new
    // siblings has.
    if (Book* copy = m_dataMan.GetCurrentBook(); copy && copy != book) {
        const auto taken = [&](const std::string& name) {
            for (u32 id : targetBook->m_members) {
                const Book* sibling = m_dataMan.FindBook(id);
                if (sibling && sibling != copy && sibling->m_strName == name)
                    return true;
            }
            return false;
        };
        while (taken(copy->m_strName))
            copy->m_strName = IncrementTrailingNumber(copy->m_strName);
    }
    m_dataMan.SetCurrentBook(previous);
    Fill();
    if (QTreeWidgetItem* item = FindBookItem(targetId))
        item->setExpanded(true);
    AfterBooksChanged();
    return true;
}

bool CBookTreeCtrl::MoveBook(QTreeWidgetItem* dragged, u32 targetId)
{
    Book* book = BookOf(dragged);
    QTreeWidgetItem* target = FindBookItem(targetId);
    Book* targetBook = m_dataMan.FindBook(targetId);
    if (!book || !target || !targetBook)
        return false;
    if (target == dragged)
        return RefuseBook(IDS_MOVE_BOOK_INTO_ITSELF);
    if (IsDescendant(target, dragged))
        return RefuseBook(IDS_MOVE_BOOK_INTO_SUBBOOK);
    if (InDeletedItems(target))
        return DeleteBook(dragged, false);
    if (const u32 error = m_dataMan.MoveBook(book, targetBook)) {
        ShowErrorText(nullptr, error);
        return false;
    }
    Fill();
    if (QTreeWidgetItem* item = FindBookItem(targetId))
        item->setExpanded(true);
    AfterBooksChanged();
    return true;
}

bool CBookTreeCtrl::DeleteBook(QTreeWidgetItem* item, bool forGood)
{
    Book* book = BookOf(item);
    if (!book || book == m_dataMan.GetRootBook() || book == m_dataMan.GetDeletedItemsBook())
        return false;
    const bool inDeleted = InDeletedItems(item);
    forGood = forGood || inDeleted;
    if ((m_userMan.m_dwTreeFlags & BTF_CONFIRM_DELETE) || inDeleted) {
        const std::string text = FormatResString(
            forGood ? IDS_CONFIRM_DELETE_BOOK_FOR_GOOD : IDS_CONFIRM_DELETE_BOOK, book->m_strName);
        if (MsgQuestionText(text, window(), MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
            return false;
    }
    // A current book that goes away, or into "Deleted Items", leaves its
    // parent current.
    const QTreeWidgetItem* current = FindBookItem(m_dataMan.GetCurrentBookId());
    const bool currentGoes = current == item || IsDescendant(current, item);
    Book* parent = m_dataMan.FindBook(book->m_duParentID);
    if (const u32 error = m_dataMan.DeleteBook(book, forGood)) {
        ShowErrorText(nullptr, error);
        return false;
    }
    if (currentGoes || !m_dataMan.GetCurrentBook())
        m_dataMan.SetCurrentBook(parent ? parent : m_dataMan.GetRootBook());
    Fill();
    SelectCurrentBook();
    AfterBooksChanged();
    return true;
}

bool CBookTreeCtrl::MoveContacts(const QMimeData* data, u32 targetId)
{
    const auto* dragged = qobject_cast<const CContactDragData*>(data);
    Book* target = m_dataMan.FindBook(targetId);
    Book* current = m_dataMan.GetCurrentBook();
    if (!dragged || !target || !current)
        return false;
    std::vector<Contact*> contacts;
    for (u32 id : dragged->ContactIds()) {
        if (Contact* contact = m_dataMan.FindContact(id))
            contacts.push_back(contact);
    }
    if (contacts.empty())
        return false;
    if (target == m_dataMan.GetDeletedItemsBook()) {
        if (deleteContacts)
            deleteContacts(contacts);
        return true;
    }
    std::vector<Contact*> gone;
    for (Contact* contact : contacts) {
        const std::vector<Book*> from = movedFrom ? movedFrom(*contact) : std::vector<Book*>{current};
        bool moved = false;
        for (Book* book : from) {
            if (book != target)
                moved = m_dataMan.MoveContact(book, target, contact) == 0 || moved;
        }
        if (moved)
            gone.push_back(contact);
    }
    m_dataMan.Save(DFK_DATA);
    if (contactsLeft)
        contactsLeft(gone);
    return !gone.empty();
}

bool CBookTreeCtrl::CopyContacts(const QMimeData* data, u32 targetId)
{
    Book* target = m_dataMan.FindBook(targetId);
    std::vector<std::unique_ptr<Contact>> contacts;
    if (!target)
        return false;
    if (const u32 error = ReadContactPayload(data, contacts)) {
        ShowErrorText(nullptr, error);
        return false;
    }
    for (auto& contact : contacts) {
        if (const u32 error = m_dataMan.AddContact(std::move(contact), target)) {
            ShowErrorText(nullptr, error);
            break;
        }
    }
    m_dataMan.Save(DFK_DATA);
    if (contactsAdded)
        contactsAdded();
    return true;
}

void CBookTreeCtrl::DropBook(const QMimeData* data, u32 effect, QPoint point)
{
    u32 draggedId = 0;
    QTreeWidgetItem* target = itemAt(point);
    // Only the book this tree is dragging is taken; the payload must name it.
    if (data && m_hDragItem && target && ReadBookPayload(data->data(BookFormatMime()), draggedId)
        && draggedId == BookIdOf(m_hDragItem)) {
        const u32 targetId = BookIdOf(target);
        if (effect == DROPEFFECT_MOVE)
            MoveBook(m_hDragItem, targetId);
        else if (effect == DROPEFFECT_COPY)
            CopyBook(m_hDragItem, targetId);
    }
    SelectCurrentBook();
}

void CBookTreeCtrl::DropContacts(const QMimeData* data, u32 effect, QPoint point)
{
    if (QTreeWidgetItem* target = itemAt(point)) {
        const u32 targetId = BookIdOf(target);
        if (effect == DROPEFFECT_MOVE)
            MoveContacts(data, targetId);
        else if (effect == DROPEFFECT_COPY)
            CopyContacts(data, targetId);
    }
    SelectCurrentBook();
}

int CBookTreeCtrl::HoverHitTest(QPoint point)
{
    m_lastPoint = point;
    m_hHoverItem = itemAt(point);
    if (!m_hHoverItem)
        return HOVER_NOTHING;
    scrollToItem(m_hHoverItem);
    setCurrentItem(m_hHoverItem);
    const u32 id = BookIdOf(m_hHoverItem);
    const Book* deleted = m_dataMan.GetDeletedItemsBook();
    if (deleted && id == deleted->m_duID)
        return HOVER_DELETED_ITEMS;
    if (id == m_dataMan.GetCurrentBookId())
        return m_bDragging ? HOVER_BOOK : HOVER_CURRENT_BOOK;
    return HOVER_BOOK;
}

void CBookTreeCtrl::StartHover()
{
    m_bHovering = true;
    m_savedCaretBook = BookIdOf(currentItem());
    m_hoverTimer.start();
}

void CBookTreeCtrl::StopHover(bool restore)
{
    m_hoverTimer.stop();
    m_hHoverItem = nullptr;
    if (restore) {
        if (QTreeWidgetItem* saved = FindBookItem(m_savedCaretBook))
            setCurrentItem(saved);
    }
    m_bHovering = false;
}

void CBookTreeCtrl::OnHoverTimer()
{
    // A book the cursor rests on opens.
    if (m_hHoverItem && itemAt(m_lastPoint) == m_hHoverItem) {
        m_hHoverItem->setExpanded(true);
        m_hHoverItem = nullptr;
    }
}

bool CBookTreeCtrl::DragScroll(int direction)
{
    QScrollBar* bar = verticalScrollBar();
    if (direction == 0 && bar->value() > bar->minimum()) {
        bar->setValue(bar->value() - bar->singleStep());
        return true;
    }
    if (direction == 1 && bar->value() < bar->maximum()) {
        bar->setValue(bar->value() + bar->singleStep());
        return true;
    }
    return false;
}

void CBookTreeCtrl::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_pressPoint = event->position().toPoint();
        QTreeWidgetItem* item = itemAt(m_pressPoint);
        m_pressBook = BookIdOf(item);
        m_bDragPending = true;
        // A press on a book may start a drag, which must not choose the
        // book: it is chosen on the release of a click. The expand arrow
        // left of the text is the tree's own.
        if (item && m_pressPoint.x() >= visualItemRect(item).left()) {
            m_bSelectOnRelease = true;
            setFocus(Qt::MouseFocusReason);
            return;
        }
    }
    m_bSelectOnRelease = false;
    QTreeWidget::mousePressEvent(event);
}

void CBookTreeCtrl::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint d = event->position().toPoint() - m_pressPoint;
    if (m_bDragPending && (event->buttons() & Qt::LeftButton)
        && (std::abs(d.x()) >= kDragThreshold || std::abs(d.y()) >= kDragThreshold)) {
        m_bDragPending = false;
        BeginDrag();
        return;
    }
    QTreeWidget::mouseMoveEvent(event);
}

void CBookTreeCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = m_bSelectOnRelease && m_bDragPending;
    m_bDragPending = false;
    m_bSelectOnRelease = false;
    if (click && event->button() == Qt::LeftButton) {
        if (QTreeWidgetItem* item = FindBookItem(m_pressBook))
            setCurrentItem(item);
        return;
    }
    QTreeWidget::mouseReleaseEvent(event);
}

void CBookTreeCtrl::drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const
{
    // The selection is drawn in the text colour, so an arrow drawn on it
    // would vanish: the arrow stays on the tree's background, as for any
    // other book.
    painter->fillRect(rect, palette().color(QPalette::Base));
    if (!model()->hasChildren(index))
        return;
    QStyleOption arrow;
    arrow.initFrom(this);
    arrow.rect = QRect(rect.right() + 1 - indentation(), rect.top(), indentation(), rect.height());
    arrow.state = QStyle::State_Item | QStyle::State_Children | QStyle::State_Enabled;
    if (isExpanded(index))
        arrow.state |= QStyle::State_Open;
    style()->drawPrimitive(QStyle::PE_IndicatorBranch, &arrow, painter, this);
}

void CBookTreeCtrl::keyPressEvent(QKeyEvent* event)
{
    m_bKeyMove = true;
    QTreeWidget::keyPressEvent(event);
    m_bKeyMove = false;
}

void CBookTreeCtrl::BeginDrag()
{
    QTreeWidgetItem* item = FindBookItem(m_pressBook);
    const Book* book = BookOf(item);
    // The built-in books keep their places.
    if (!book || book == m_dataMan.GetRootBook() || book == m_dataMan.GetDeletedItemsBook())
        return;
    const u32 bookId = book->m_duID;
    const u32 before = BookIdOf(currentItem());
    auto* data = new QMimeData;
    data->setData(BookFormatMime(), WriteBookPayload(bookId));
    m_hDragItem = item;
    m_bDragging = true;
    SetDragSourceKind(DRAG_SOURCE_BOOK);
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    drag->exec(Qt::CopyAction | Qt::MoveAction);
    m_bDragging = false;
    SetDragSourceKind(DRAG_SOURCE_NONE);
    m_hDragItem = nullptr;
    // The book chosen before the drag stays chosen, wherever the dragged
    // one went (into "Deleted Items" too).
    if (QTreeWidgetItem* select = FindBookItem(before))
        setCurrentItem(select);
}
