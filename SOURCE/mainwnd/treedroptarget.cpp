#include "mainwnd/treedroptarget.h"

#include "core/records.h"
#include "mainwnd/booktree.h"
#include "mainwnd/contactpayload.h"
#include "mainwnd/rgridctrl.h"

#include <QDragMoveEvent>
#include <QDropEvent>
#include <QScrollBar>

namespace {

Qt::DropAction ActionOf(u32 effect)
{
    switch (effect & ~DROPEFFECT_SCROLL) {
    case DROPEFFECT_COPY:
        return Qt::CopyAction;
    case DROPEFFECT_MOVE:
        return Qt::MoveAction;
    default:
        return Qt::IgnoreAction;
    }
}

}  // namespace

u32 DropEffectOf(const DropQuery& q)
{
    if (q.mode == DROPMODE_TREE) {
        if (!q.offersBook && !q.offersContacts)
            return DROPEFFECT_NONE;
        switch (q.hover) {
        case HOVER_DELETED_ITEMS:
            return DROPEFFECT_MOVE;
        case HOVER_CURRENT_BOOK:
            return q.ctrl ? DROPEFFECT_COPY : DROPEFFECT_NONE;
        case HOVER_BOOK:
            return q.ctrl ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
        default:
            return DROPEFFECT_NONE;
        }
    }
    if (q.mode == DROPMODE_GRID) {
        if (q.sourceKind == DRAG_SOURCE_CONTACTS)
            return q.offersContacts && q.ctrl ? DROPEFFECT_COPY : DROPEFFECT_NONE;
        if (q.sourceKind == DRAG_SOURCE_NONE)
            return q.gridAccepts ? DROPEFFECT_COPY : DROPEFFECT_NONE;
    }
    return DROPEFFECT_NONE;
}

CContactDragData::CContactDragData(const std::vector<Contact*>& contacts)
{
    for (const Contact* contact : contacts)
        m_ids.push_back(contact->m_duID);
    setData(ContactFormatMime(), WriteContactPayload(contacts));
}

CTreeDropTarget::CTreeDropTarget(int mode, QWidget* viewport)
    : QObject(viewport)
    , m_mode(mode)
    , m_viewport(viewport)
{
    m_viewport->setAcceptDrops(true);
    m_viewport->installEventFilter(this);
    m_scrollTimer.setInterval(kScrollDelayMs);
    connect(&m_scrollTimer, &QTimer::timeout, this, &CTreeDropTarget::OnScrollTimer);
}

CTreeDropTarget::CTreeDropTarget(CBookTreeCtrl* tree)
    : CTreeDropTarget(DROPMODE_TREE, tree->viewport())
{
    m_tree = tree;
}

CTreeDropTarget::CTreeDropTarget(CRGridCtrl* grid)
    : CTreeDropTarget(DROPMODE_GRID, grid->viewport())
{
    m_grid = grid;
}

u32 CTreeDropTarget::OnDragEnter(const QMimeData* data, Qt::KeyboardModifiers keys, QPoint point)
{
    if (m_tree)
        m_tree->StartHover();
    return OnDragOver(data, keys, point);
}

u32 CTreeDropTarget::OnDragOver(const QMimeData* data, Qt::KeyboardModifiers keys, QPoint point)
{
    DropQuery q;
    q.mode = m_mode;
    q.sourceKind = GetDragSourceKind();
    q.offersBook = data && data->hasFormat(BookFormatMime());
    q.offersContacts = data && data->hasFormat(ContactFormatMime());
    q.ctrl = (keys & Qt::ControlModifier) != 0;
    if (m_tree && (q.offersBook || q.offersContacts))
        q.hover = m_tree->HoverHitTest(point);
    if (m_grid && q.sourceKind == DRAG_SOURCE_NONE)
        q.gridAccepts = m_grid->CanAcceptDrop(data);
    return DropEffectOf(q);
}

u32 CTreeDropTarget::OnDropEx(const QMimeData* data, u32 effect, QPoint point)
{
    StopScroll();
    const int kind = GetDragSourceKind();
    SetDragSourceKind(DRAG_SOURCE_NONE);
    if (m_tree && kind == DRAG_SOURCE_BOOK) {
        m_tree->StopHover(false);
        m_tree->DropBook(data, effect, point);
        // The tree has moved the book itself: the source removes nothing.
        return DROPEFFECT_NONE;
    }
    if (m_tree && kind == DRAG_SOURCE_CONTACTS) {
        m_tree->DropContacts(data, effect, point);
        m_tree->StopHover(true);
        return effect;
    }
    if (m_grid && kind == DRAG_SOURCE_CONTACTS) {
        m_grid->DropContacts(data);
        return effect;
    }
    if (m_grid && kind == DRAG_SOURCE_NONE && m_grid->CanAcceptDrop(data)) {
        m_grid->DropFiles(data);
        return effect;
    }
    if (m_tree)
        m_tree->StopHover(true);
    return DROPEFFECT_NONE;
}

void CTreeDropTarget::OnDragLeave()
{
    StopScroll();
    if (m_tree)
        m_tree->StopHover(true);
}

u32 CTreeDropTarget::ScrollDirection(QPoint point) const
{
    const QRect client = m_viewport->rect();
    const QRect inner = client.adjusted(kScrollInset, kScrollInset, -kScrollInset, -kScrollInset);
    if (!client.contains(point) || inner.contains(point))
        return 0xFFFF;
    const u32 x = point.x() < inner.left() ? 0 : point.x() > inner.right() ? 1 : 0xFF;
    const u32 y = point.y() < inner.top() ? 0 : point.y() > inner.bottom() ? 1 : 0xFF;
    return (y << 8) | x;
}

bool CTreeDropTarget::ScrollStep(u32 direction)
{
    // The tree scrolls by lines, up or down only.
    const u32 vertical = direction >> 8;
    return m_tree && vertical <= 1 && m_tree->DragScroll(int(vertical));
}

void CTreeDropTarget::OnScrollTimer()
{
    if (!ScrollStep(m_scrollDirection))
        StopScroll();
}

void CTreeDropTarget::StopScroll()
{
    m_scrollTimer.stop();
    m_scrollDirection = 0xFFFF;
}

bool CTreeDropTarget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_viewport)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        const QPoint point = drag->position().toPoint();
        u32 effect = event->type() == QEvent::DragEnter
            ? OnDragEnter(drag->mimeData(), drag->modifiers(), point)
            : OnDragOver(drag->mimeData(), drag->modifiers(), point);
        if (m_mode == DROPMODE_TREE) {
            const u32 direction = ScrollDirection(point);
            if (direction == 0xFFFF) {
                StopScroll();
            } else if (direction != m_scrollDirection) {
                // A new direction steps at once, then every scroll delay
                // while it holds.
                if (ScrollStep(direction)) {
                    m_scrollDirection = direction;
                    m_scrollTimer.start();
                } else {
                    StopScroll();
                }
            }
            if (m_scrollTimer.isActive())
                effect |= DROPEFFECT_SCROLL;
        }
        // Asked again on every move (an empty rectangle), so that the effect
        // follows the point.
        if (effect & ~DROPEFFECT_SCROLL) {
            drag->setDropAction(ActionOf(effect));
            drag->accept(QRect());
        } else {
            drag->ignore(QRect());
        }
        return true;
    }
    case QEvent::DragLeave:
        OnDragLeave();
        return true;
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const u32 effect = OnDragOver(drop->mimeData(), drop->modifiers(), drop->position().toPoint());
        if (!effect) {
            OnDragLeave();
            SetDragSourceKind(DRAG_SOURCE_NONE);
            drop->ignore();
            return true;
        }
        const u32 result = OnDropEx(drop->mimeData(), effect, drop->position().toPoint());
        drop->setDropAction(ActionOf(result));
        drop->accept();
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}
