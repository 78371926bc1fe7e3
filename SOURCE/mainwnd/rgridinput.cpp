// The grid's answers to the user: hit tests, selection by mouse and keys,
// scrolling, double-click actions, dragging contacts out and drops.
#include "core/dataman.h"
#include "core/fieldtexts.h"
#include "core/userman.h"
#include "core/utilities.h"
#include "impexp/iedrivers.h"
#include "mainwnd/contactpayload.h"
#include "mainwnd/rgridctrl.h"
#include "platform/fontconv.h"
#include "platform/ui/openlink.h"
#include "platform/ui/wndmessage.h"

#include <QApplication>
#include <QDrag>
#include <QFile>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QUrl>
#include <algorithm>

namespace {

constexpr int kDragThreshold = 2;

}  // namespace

QUrl WebPageUrl(const QString& text)
{
    const QUrl url = LinkUrl(text.trimmed().toStdString());
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https")) ? url
                                                                                                  : QUrl();
}

GridHitTest CRGridCtrl::HitTest(QPoint point)
{
    GridHitTest hit;
    hit.point = point;
    const QRect area = viewport()->rect();
    if (point.y() < area.top())
        hit.flags |= GHT_ABOVE;
    else if (point.y() > area.bottom())
        hit.flags |= GHT_BELOW;
    if (point.x() < area.left())
        hit.flags |= GHT_TOLEFT;
    else if (point.x() > area.right())
        hit.flags |= GHT_TORIGHT;
    if (hit.flags)
        return hit;
    int top = 0;
    for (int row = GetFirstVisibleRow(); row < GetRowCount() && top <= area.bottom(); ++row) {
        const int height = GetRowHeight(row);
        if (point.y() >= top && point.y() < top + height) {
            hit.row = row;
            break;
        }
        top += height;
    }
    int x = -horizontalScrollBar()->value();
    for (int item : m_header->GetOrderArray()) {
        const int width = m_header->GetItemWidth(item);
        if (point.x() >= x && point.x() < x + width) {
            hit.column = int(m_header->GetItemData(item));
            break;
        }
        x += width;
    }
    return hit;
}

QRect CRGridCtrl::GetCellRect(int row, int column)
{
    const int first = GetFirstVisibleRow();
    if (row < 0 || row >= GetRowCount())
        return QRect();
    int top = 0;
    if (row >= first) {
        for (int r = first; r < row; ++r)
            top += GetRowHeight(r);
    } else {
        for (int r = row; r < first; ++r)
            top -= GetRowHeight(r);
    }
    const int origin = -horizontalScrollBar()->value();
    QRect rect(origin, top, GetTotalWidth(), GetRowHeight(row));
    if (column >= 0) {
        const int item = HeaderItemOfColumn(column);
        if (item < 0)
            return QRect();
        const QRect header = m_header->GetItemRect(item);
        rect.setLeft(header.left());
        rect.setWidth(header.width());
    }
    return rect.translated(viewport()->pos());
}

// ---- selection --------------------------------------------------------------

void CRGridCtrl::SelectRange(int focus, int other, bool select, bool keep, bool toggle)
{
    if (focus < 0 || focus >= GetRowCount()) {
        for (GridRow& r : m_rows)
            r.state &= ~(GRS_FOCUS | GRS_SELECTED);
        m_nFocusRow = -1;
        viewport()->update();
        NotifySelection();
        return;
    }
    if (m_nFocusRow >= 0 && m_nFocusRow < GetRowCount())
        m_rows[size_t(m_nFocusRow)].state &= ~GRS_FOCUS;
    m_nFocusRow = focus;
    m_rows[size_t(focus)].state |= GRS_FOCUS;
    if (select) {
        other = std::clamp(other, 0, GetRowCount() - 1);
        const int low = std::min(focus, other);
        const int high = std::max(focus, other);
        for (int i = 0; i < GetRowCount(); ++i) {
            u32& state = m_rows[size_t(i)].state;
            if (i >= low && i <= high)
                state = toggle ? state ^ GRS_SELECTED : state | GRS_SELECTED;
            else if (!keep)
                state &= ~GRS_SELECTED;
        }
    }
    viewport()->update();
    NotifySelection();
}

void CRGridCtrl::SelectAll()
{
    for (GridRow& r : m_rows)
        r.state |= GRS_SELECTED;
    viewport()->update();
    NotifySelection();
}

void CRGridCtrl::EnsureVisible(int row)
{
    if (row < 0 || row >= GetRowCount())
        return;
    const int first = GetFirstVisibleRow();
    if (row < first) {
        verticalScrollBar()->setValue(row);
        return;
    }
    if (row <= GetLastFullRow())
        return;
    // The row becomes the last whole row on screen.
    verticalScrollBar()->setValue(TopRowEndingAt(row));
}

int CRGridCtrl::GetScrollPosition(int bar) const
{
    return bar == 0 ? horizontalScrollBar()->value() : verticalScrollBar()->value();
}

void CRGridCtrl::SetScrollPosition(int bar, int position, bool redraw)
{
    QScrollBar* scroll = bar == 0 ? horizontalScrollBar() : verticalScrollBar();
    scroll->setValue(std::clamp(position, scroll->minimum(), scroll->maximum()));
    if (redraw)
        viewport()->update();
}

// ---- mouse --------------------------------------------------------------------

void CRGridCtrl::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    const QPoint point = event->position().toPoint();
    m_pressPoint = point;
    m_bDragArmed = true;
    m_bPendingSingle = false;
    const int row = HitTest(point).row;
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool shift = mods & Qt::ShiftModifier;
    const bool ctrl = mods & Qt::ControlModifier;
    if (row < 0) {
        SelectRange(-1, -1, false, false, false);
        m_nAnchorRow = -1;
        return;
    }
    // Without an anchor a range has nowhere to start: the row stands alone.
    if (shift && m_nAnchorRow < 0) {
        SelectRange(row, row, true, false, false);
        m_nAnchorRow = row;
    } else if (shift && ctrl) {
        SelectRange(m_nAnchorRow, row, true, true, false);
        m_nAnchorRow = row;
    } else if (shift) {
        SelectRange(m_nAnchorRow, row, true, false, false);
    } else if (ctrl) {
        SelectRange(row, row, true, true, true);
        m_nAnchorRow = row;
    } else if ((GetRowState(row) & GRS_SELECTED) && GetNextSelectedRow(GetNextSelectedRow(-1)) >= 0) {
        // Several rows stay selected so that a drag takes them all.
        m_bPendingSingle = true;
    } else {
        SelectRange(row, row, true, false, false);
        m_nAnchorRow = row;
    }
}

void CRGridCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && m_bPendingSingle) {
        const int row = HitTest(event->position().toPoint()).row;
        if (row >= 0) {
            SelectRange(row, row, true, false, false);
            m_nAnchorRow = row;
        }
    }
    m_bPendingSingle = false;
    m_bDragArmed = false;
}

void CRGridCtrl::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton) || !m_bDragArmed)
        return;
    const QPoint point = event->position().toPoint();
    const QPoint d = point - m_pressPoint;
    if (std::abs(d.x()) < kDragThreshold && std::abs(d.y()) < kDragThreshold)
        return;
    const int row = HitTest(point).row;
    if (row >= 0 && (GetRowState(row) & GRS_SELECTED)) {
        m_bDragArmed = false;
        m_bPendingSingle = false;
        BeginDrag(m_pressPoint);
    }
}

void CRGridCtrl::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const GridHitTest hit = HitTest(event->position().toPoint());
    OnCellActivate(hit.row, hit.column);
}

void CRGridCtrl::OnCellActivate(int row, int column)
{
    QObject* parentWindow = parent();
    if (row < 0) {
        PostMessage(parentWindow, WM_COMMAND, ID_CONTACT_NEW);
        return;
    }
    if ((m_userMan.m_dwListFlags & CLF_CELL_ACTIONS) && column >= 0) {
        const QString text = GetCellText(row, column);
        const u32 field = u32(m_columns[size_t(column)].m_nFieldId);
        if (!text.isEmpty()) {
            if (IsPhoneField(field)) {
                if (!(m_callInProgress && m_callInProgress()))
                    PostMessage(parentWindow, Registered().WM_DIAL_PHONE, 0, 0, text);
                return;
            }
            if (IsEmailField(field)) {
                PostMessage(parentWindow, Registered().WM_SEND_MAIL, 0, 0, text);
                return;
            }
            if (IsWebField(field)) {
                // Only a web address is opened; a contact's text never runs
                // anything or opens a local file.
                const QUrl url = WebPageUrl(text);
                if (url.isValid())
                    OpenLink(url.toString(QUrl::FullyEncoded).toStdString());
                return;
            }
        }
    }
    PostMessage(parentWindow, WM_COMMAND, ID_CONTACT_PROPERTIES);
}

// ---- keyboard -------------------------------------------------------------------

void CRGridCtrl::MoveFocus(int row, Qt::KeyboardModifiers mods)
{
    if (mods & Qt::ShiftModifier && m_nAnchorRow >= 0) {
        SelectRange(row, m_nAnchorRow, true, false, false);
    } else {
        m_nAnchorRow = row;
        SelectRange(row, row, true, false, false);
    }
}

void CRGridCtrl::ScrollPage(bool down)
{
    QScrollBar* v = verticalScrollBar();
    const int first = GetFirstVisibleRow();
    if (down) {
        v->setValue(GetLastFullRow() + 1);
        return;
    }
    // The row before the old first row becomes the last row on screen.
    if (first > 0)
        v->setValue(TopRowEndingAt(first - 1));
}

void CRGridCtrl::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool shift = mods & Qt::ShiftModifier;
    const bool ctrl = mods & Qt::ControlModifier;
    const int count = GetRowCount();
    const int focus = m_nFocusRow;
    switch (event->key()) {
    case Qt::Key_Space:
        if (focus >= 0)
            SelectRange(focus, focus, true, true, ctrl);
        break;
    case Qt::Key_Up:
    case Qt::Key_Down: {
        const int next = focus + (event->key() == Qt::Key_Up ? -1 : 1);
        if (next < 0 || next >= count)
            break;
        if (ctrl)
            SelectRange(next, next, false, false, false);
        else
            MoveFocus(next, mods);
        EnsureVisible(next);
        break;
    }
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
        if (count == 0)
            break;
        const bool down = event->key() == Qt::Key_PageDown;
        if (focus == (down ? GetLastFullRow() : GetFirstVisibleRow()))
            ScrollPage(down);
        MoveFocus(down ? GetLastFullRow() : GetFirstVisibleRow(), mods);
        break;
    }
    case Qt::Key_Home:
        if (count == 0 || focus == 0)
            break;
        verticalScrollBar()->setValue(0);
        if (!shift || m_nAnchorRow < 0)
            m_nAnchorRow = 0;
        SelectRange(0, m_nAnchorRow, true, false, false);
        break;
    case Qt::Key_End:
        if (count == 0)
            break;
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
        if (!shift || m_nAnchorRow < 0)
            m_nAnchorRow = count - 1;
        SelectRange(m_nAnchorRow, count - 1, true, false, false);
        break;
    case Qt::Key_Left:
    case Qt::Key_Right:
        horizontalScrollBar()->triggerAction(event->key() == Qt::Key_Left
                ? QAbstractSlider::SliderSingleStepSub
                : QAbstractSlider::SliderSingleStepAdd);
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
}

void CRGridCtrl::focusInEvent(QFocusEvent* event)
{
    m_bFocus = true;
    viewport()->update();
    QAbstractScrollArea::focusInEvent(event);
}

void CRGridCtrl::focusOutEvent(QFocusEvent* event)
{
    m_bFocus = false;
    viewport()->update();
    QAbstractScrollArea::focusOutEvent(event);
}

bool CRGridCtrl::viewportEvent(QEvent* event)
{
    // The arrow keys are the grid's own, not focus moves.
    return QAbstractScrollArea::viewportEvent(event);
}

void CRGridCtrl::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange)
        viewport()->update();
    QAbstractScrollArea::changeEvent(event);
}

// ---- settings -----------------------------------------------------------------

void CRGridCtrl::ApplySettings(bool a, bool b)
{
    if (!a && !b)
        return;
    if ((!a || b) && m_userMan.GetFont(UFK_LIST)) {
        m_font = QFontFromLogFont(*m_userMan.GetFont(UFK_LIST));
        m_crText = m_userMan.GetColor(UC_LIST_TEXT);
        GridFontChanged();
    }
    if (a && m_userMan.GetFont(UFK_HEADER)) {
        m_headerFont = QFontFromLogFont(*m_userMan.GetFont(UFK_HEADER));
        m_crHeaderText = m_userMan.GetColor(UC_HEADER_TEXT);
        SyncHeaderFont();
    }
    RemeasureAll();
    UpdateScrollRanges();
    viewport()->update();
}

void CRGridCtrl::SetRowImages(const QImage& strip)
{
    m_rowImages.Clear();
    m_rowImages.Add(strip, 0xFF00FF);
    RemeasureAll();
    viewport()->update();
}

void CRGridCtrl::SetSpacing(int kind, int value)
{
    if (kind == 1)
        m_nInset = std::max(0, value);
    else if (kind == 2) {
        m_nSpacingLow = value & 0xFFFF;
        m_nSpacingHigh = (value >> 16) & 0xFFFF;
    }
    RemeasureAll();
    UpdateScrollRanges();
    viewport()->update();
}

// ---- drag and drop ----------------------------------------------------------------

namespace {

bool IsCardFile(const QUrl& url)
{
    return url.isLocalFile() && url.toLocalFile().endsWith(QLatin1String(".vcf"), Qt::CaseInsensitive);
}

}  // namespace

void CRGridCtrl::BeginDrag(QPoint)
{
    if (!m_makeDragData)
        return;
    QMimeData* data = m_makeDragData(SelectedContacts());
    if (!data)
        return;
    SetDragSourceKind(DRAG_SOURCE_CONTACTS);
    m_bDragging = true;
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    drag->exec(Qt::CopyAction | Qt::MoveAction);
    m_bDragging = false;
    SetDragSourceKind(DRAG_SOURCE_NONE);
}

bool CRGridCtrl::CanAcceptDrop(const QMimeData* data) const
{
    if (!data || !data->hasUrls())
        return false;
    const QList<QUrl> urls = data->urls();
    return std::any_of(urls.begin(), urls.end(), IsCardFile);
}

u32 CRGridCtrl::DropFiles(const QMimeData* data)
{
    if (!data)
        return RC_MISSING;
    // Only card files are taken; each one comes in or fails on its own and
    // is reported, so a bad file neither stops nor hides the others.
    u32 result = 0;
    bool changed = false;
    const int firstNew = m_dataMan.GetContactCount();
    for (const QUrl& url : data->urls()) {
        if (!IsCardFile(url))
            continue;
        const u32 error = ImportVCardFile(url.toLocalFile());
        if (error == 0)
            changed = true;
        else if (result == 0)
            result = error;
    }
    if (changed) {
        m_dataMan.Save(DFK_DATA);
        ShowContactsAdded(firstNew);
    }
    return result;
}

void CRGridCtrl::ShowContactsAdded(int firstNew)
{
    if (!m_bFindResults) {
        Refill(false, true);
        return;
    }
    for (int i = firstNew; i < m_dataMan.GetContactCount(); ++i)
        AddContactRow(m_dataMan.GetContactAt(i), true, false);
    UpdateScrollRanges();
    viewport()->update();
}

u32 CRGridCtrl::ImportVCardFile(const QString& path)
{
    const IEOutcome outcome = ImportVCardFiles(m_dataMan, {path.toStdString()}, nullptr);
    ReportOutcome(outcome, this);
    return outcome.result;
}

u32 CRGridCtrl::DropContacts(const QMimeData* data)
{
    // A payload that does not read adds nothing and says so.
    std::vector<std::unique_ptr<Contact>> contacts;
    if (const u32 error = ReadContactPayload(data, contacts)) {
        ShowErrorText(nullptr, error);
        return error;
    }
    u32 result = 0;
    Book* book = m_dataMan.GetCurrentBook();
    const int firstNew = m_dataMan.GetContactCount();
    for (auto& contact : contacts) {
        if ((result = m_dataMan.AddContact(std::move(contact), book)) != 0) {
            ShowErrorText(nullptr, result);
            break;
        }
    }
    m_dataMan.Save(DFK_DATA);
    ShowContactsAdded(firstNew);
    return result;
}
