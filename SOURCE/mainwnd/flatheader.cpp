#include "mainwnd/flatheader.h"

#include "controls/flatdraw.h"
#include "controls/gradientcaption.h"
#include "mainwnd/dragwnd.h"
#include "platform/ui/resources.h"
#include "platform/ui/syscolor.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

namespace {

constexpr int kTitleBitmapId = 320;
constexpr int kTitleTextLimit = 256;
constexpr QRgb kMaskColour = 0xFF00FF;

}  // namespace

CFlatHeaderCtrl::CFlatHeaderCtrl(QWidget* parent)
    : QWidget(parent)
    , m_font(QApplication::font())
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
}

CFlatHeaderCtrl::~CFlatHeaderCtrl()
{
    EndDrag(false);
    // The arrows may stand for a drag from the field chooser.
    SetHotDivider(-1);
}

int CFlatHeaderCtrl::SetOption(int option, qintptr value)
{
    switch (option) {
    case kOptionSpacing:
        m_nSpacing = std::max(0, int(value));
        break;
    case kOptionArrowSize:
        m_arrowSize = QSize(int(value & 0xFFFF), int((value >> 16) & 0xFFFF));
        break;
    case kOptionWideLayout:
        m_bWideLayout = value != 0;
        break;
    case kOptionNoDropCursor:
        m_nNoDropCursor = int(value);
        break;
    case kOptionDropWindow:
        // A window cannot travel as a number here; SetDropWindow takes it.
        if (value == 0)
            m_dropWindow = nullptr;
        break;
    case kOptionTextColor:
        m_crText = COLORREF(value);
        m_bOwnTextColor = true;
        break;
    default:
        return 0;
    }
    update();
    return 1;
}

void CFlatHeaderCtrl::SetDropWindow(QWidget* window)
{
    m_dropWindow = window;
    update();
}

int CFlatHeaderCtrl::InsertItem(int position, const HeaderItem& item)
{
    const int index = GetItemCount();
    m_items.push_back(item);
    m_items.back().width = std::max(0, item.width);
    m_limits.emplace_back();
    position = std::clamp(position, 0, index);
    m_order.insert(m_order.begin() + position, index);
    update();
    return index;
}

bool CFlatHeaderCtrl::DeleteItem(int item)
{
    if (item < 0 || item >= GetItemCount())
        return false;
    m_items.erase(m_items.begin() + item);
    m_limits.erase(m_limits.begin() + item);
    m_order.erase(std::find(m_order.begin(), m_order.end(), item));
    for (int& i : m_order) {
        if (i > item)
            --i;
    }
    // The arrow stays on the item it marks.
    if (m_nSortItem == item)
        m_nSortItem = -1;
    else if (m_nSortItem > item)
        --m_nSortItem;
    update();
    return true;
}

const HeaderItem* CFlatHeaderCtrl::GetItem(int item) const
{
    return item >= 0 && item < GetItemCount() ? &m_items[size_t(item)] : nullptr;
}

u32 CFlatHeaderCtrl::GetItemData(int item) const
{
    const HeaderItem* i = GetItem(item);
    return i ? i->data : 0;
}

QString CFlatHeaderCtrl::GetItemText(int item) const
{
    const HeaderItem* i = GetItem(item);
    return i ? i->text.left(kTitleTextLimit) : QString();
}

int CFlatHeaderCtrl::GetItemWidth(int item) const
{
    const HeaderItem* i = GetItem(item);
    return i ? i->width : 0;
}

bool CFlatHeaderCtrl::SetItemWidth(int item, int width)
{
    if (item < 0 || item >= GetItemCount())
        return false;
    m_items[size_t(item)].width = std::max(0, width);
    update();
    return true;
}

bool CFlatHeaderCtrl::SetOrderArray(const std::vector<int>& order)
{
    if (int(order.size()) != GetItemCount())
        return false;
    std::vector<int> sorted = order;
    std::sort(sorted.begin(), sorted.end());
    for (int i = 0; i < int(sorted.size()); ++i) {
        if (sorted[size_t(i)] != i)
            return false;
    }
    m_order = order;
    update();
    return true;
}

int CFlatHeaderCtrl::OrderToIndex(int position) const
{
    return position >= 0 && position < GetItemCount() ? m_order[size_t(position)] : -1;
}

int CFlatHeaderCtrl::IndexToOrder(int item) const
{
    const auto it = std::find(m_order.begin(), m_order.end(), item);
    return it == m_order.end() ? -1 : int(it - m_order.begin());
}

QRect CFlatHeaderCtrl::GetItemRect(int item) const
{
    int left = -m_offset;
    for (int i : m_order) {
        const int w = m_items[size_t(i)].width;
        if (i == item)
            return QRect(left, 0, w, height());
        left += w;
    }
    return QRect();
}

int CFlatHeaderCtrl::TotalWidth() const
{
    int total = 0;
    for (const HeaderItem& i : m_items)
        total += i.width;
    return total;
}

void CFlatHeaderCtrl::SetOffset(int x)
{
    if (x != m_offset) {
        m_offset = x;
        update();
    }
}

void CFlatHeaderCtrl::SetItemLimits(int item, u32 flags, int minWidth, int maxWidth)
{
    if (item < 0 || item >= GetItemCount())
        return;
    HeaderLimits& limits = m_limits[size_t(item)];
    limits = {flags, minWidth, maxWidth};
    HeaderItem& it = m_items[size_t(item)];
    int width = it.width;
    if (flags & HLF_SIZE_TO_TITLE)
        width = GetWantedWidth(it, (flags & HLF_ROOM_FOR_ARROW) != 0);
    if (!(flags & HLF_FIXED_WIDTH) && limits.Limited())
        width = std::clamp(width, minWidth, maxWidth);
    if (width != it.width)
        SetItemWidth(item, width);
}

HeaderLimits CFlatHeaderCtrl::GetItemLimits(int item) const
{
    return item >= 0 && item < GetItemCount() ? m_limits[size_t(item)] : HeaderLimits{};
}

int CFlatHeaderCtrl::GetWantedWidth(const HeaderItem& item, bool withArrow) const
{
    int width = m_nSpacing;
    if ((item.format & HDF_IMAGE) && m_images)
        width += m_images->ImageSize().width() + m_nSpacing;
    if (withArrow)
        width += m_arrowSize.width() + m_nSpacing;
    if ((item.format & HDF_STRING) && !item.text.isEmpty())
        width += QFontMetrics(m_font).horizontalAdvance(item.text) + m_nSpacing;
    return width;
}

void CFlatHeaderCtrl::SetSortItem(int item, int ascending)
{
    m_nSortItem = item >= 0 && item < GetItemCount() ? item : -1;
    m_nSortAscending = ascending ? 1 : 0;
    update();
}

int CFlatHeaderCtrl::GetSortItem(int* ascending) const
{
    if (ascending)
        *ascending = m_nSortAscending;
    return m_nSortItem;
}

void CFlatHeaderCtrl::SetHeaderFont(const QFont& font)
{
    m_font = font;
    updateGeometry();
    update();
}

int CFlatHeaderCtrl::LayoutHeight() const
{
    const int text = QFontMetrics(m_font).height();
    const int image = m_images ? m_images->ImageSize().height() : 16;
    return std::max(text, image) + 2 * 3 + (m_bWideLayout ? 2 : 0);
}

QSize CFlatHeaderCtrl::sizeHint() const
{
    return QSize(TotalWidth(), LayoutHeight());
}

QColor CFlatHeaderCtrl::TextColor() const
{
    const QColor wanted = m_bOwnTextColor ? ColorFromRef(m_crText) : GetSysColor(COLOR_BTNTEXT, this);
    return LegibleOnFace(wanted);
}

QColor CFlatHeaderCtrl::LegibleOnFace(const QColor& colour) const
{
    return LegibleOn(colour, GetSysColor(COLOR_3DFACE, this), palette());
}

QPixmap CFlatHeaderCtrl::TitleBitmap() const
{
    // The first image of the strip, its shape drawn in the text colour.
    static const QImage strip = LoadBitmapResource(kTitleBitmapId);
    const int size = m_images ? m_images->ImageSize().height() : 16;
    if (strip.isNull() || strip.height() < size)
        return QPixmap();
    QImage shape = strip.copy(0, 0, size, size).convertToFormat(QImage::Format_ARGB32);
    const QRgb colour = TextColor().rgb();
    for (int y = 0; y < shape.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(shape.scanLine(y));
        for (int x = 0; x < shape.width(); ++x)
            line[x] = (line[x] & 0xFFFFFF) == kMaskColour || (line[x] & 0xFFFFFF) == 0xFFFFFF ? 0 : colour;
    }
    return QPixmap::fromImage(shape);
}

void CFlatHeaderCtrl::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    DrawItem(p, event->rect());
}

void CFlatHeaderCtrl::DrawItem(QPainter& p, const QRect& dirty)
{
    const QColor face = GetSysColor(COLOR_3DFACE, this);
    const QColor light = GetSysColor(COLOR_3DHILIGHT, this);
    const QColor shadow = GetSysColor(COLOR_3DSHADOW, this);
    p.fillRect(rect(), face);
    p.setFont(m_font);
    const QPoint cursor = mapFromGlobal(QCursor::pos());
    int left = -m_offset;
    for (int item : m_order) {
        const HeaderItem& it = m_items[size_t(item)];
        const QRect r(left, 0, it.width, height());
        left += it.width;
        if (!r.intersects(dirty) || r.isEmpty())
            continue;
        p.save();
        p.setClipRect(r);
        DrawItemContent(
            p, r.adjusted(m_nSpacing, 0, -m_nSpacing, 0), it, item == m_nSortItem, m_nSortAscending != 0);
        p.restore();
        const bool pressed = item == m_nPressItem && m_bPressInside && !m_bDragging && !m_bTracking;
        if (pressed && r.contains(cursor)) {
            p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
            p.fillRect(r, Qt::white);
            p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        }
        p.fillRect(QRect(r.right() - 1, 2, 1, height() - 4), shadow);
        p.fillRect(QRect(r.right(), 2, 1, height() - 4), light);
    }
    Draw3dRect(p, QRect(-m_offset, 0, TotalWidth(), height()), light, shadow);
}

void CFlatHeaderCtrl::DrawItemContent(
    QPainter& p, const QRect& r, const HeaderItem& item, bool isSortItem, bool ascending)
{
    // A copy of an item (the drag window's) finds its limits by its data.
    u32 limitFlags = 0;
    for (size_t i = 0; i < m_items.size(); ++i) {
        if (m_items[i].data == item.data)
            limitFlags = m_limits[i].flags;
    }
    QPixmap image;
    if (limitFlags & HLF_TITLE_BITMAP)
        image = TitleBitmap();
    if (image.isNull() && (item.format & HDF_IMAGE) && m_images)
        image = m_images->Image(item.image);

    const bool hasText = (item.format & HDF_STRING) && !item.text.isEmpty();
    const QFontMetrics fm(p.font());
    const int textWidth = hasText ? fm.horizontalAdvance(item.text) : 0;
    int wanted = 0;
    if (!image.isNull())
        wanted += image.width();
    if (hasText)
        wanted += (wanted ? m_nSpacing : 0) + textWidth;
    if (isSortItem)
        wanted += (wanted ? m_nSpacing : 0) + m_arrowSize.width();
    int x = r.left();
    const u32 align = item.format & HDF_JUSTIFYMASK;
    if (wanted < r.width()) {
        if (align == HDF_RIGHT)
            x = r.right() + 1 - wanted;
        else if (align == HDF_CENTER)
            x = r.left() + (r.width() - wanted) / 2;
    }
    int room = r.right() + 1 - x;

    if (!image.isNull()) {
        if (room <= 0 && !hasText)
            return;
        const int w = std::min(image.width(), room);
        p.drawPixmap(
            QPoint(x, r.top() + (r.height() - image.height()) / 2), image, QRect(0, 0, w, image.height()));
        x += image.width() + m_nSpacing;
        room = r.right() + 1 - x;
        if (room <= 0)
            return;
    }
    if (hasText) {
        const int arrowRoom = isSortItem ? m_arrowSize.width() + m_nSpacing : 0;
        const int textRoom = std::max(0, room - arrowRoom);
        const QString shown = fm.elidedText(item.text, Qt::ElideRight, textRoom);
        p.setPen(TextColor());
        p.drawText(QRect(x, r.top(), textRoom, r.height()),
            Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
        x += std::min(textWidth, textRoom) + m_nSpacing;
        room = r.right() + 1 - x;
    }
    if (isSortItem && room >= m_arrowSize.width())
        DrawSortArrow(p, QRect(x, r.top(), m_arrowSize.width(), r.height()), ascending);
}

void CFlatHeaderCtrl::DrawSortArrow(QPainter& p, const QRect& r, bool ascending) const
{
    // A solid triangle in the header's text colour reads on any face colour,
    // where the raised edges of the old look vanish on a light one.
    const int w = m_arrowSize.width();
    const int h = m_arrowSize.height();
    const int left = r.left();
    const int top = r.top() + (r.height() - h) / 2;
    QPolygon triangle;
    if (ascending)
        triangle << QPoint(left + w / 2, top) << QPoint(left + w - 1, top + h - 1)
                 << QPoint(left, top + h - 1);
    else
        triangle << QPoint(left, top) << QPoint(left + w - 1, top) << QPoint(left + w / 2, top + h - 1);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(TextColor());
    p.setBrush(TextColor());
    p.drawPolygon(triangle);
    p.restore();
}

int CFlatHeaderCtrl::HitTest(QPoint point, bool* divider) const
{
    if (divider)
        *divider = false;
    if (point.y() < 0 || point.y() >= height())
        return -1;
    int left = -m_offset;
    for (size_t pos = 0; pos < m_order.size(); ++pos) {
        const int item = m_order[pos];
        const int right = left + m_items[size_t(item)].width;
        // The zone round a divider belongs to the item left of it; the
        // next item's zone starts past it.
        if (divider && std::abs(point.x() - right) <= kDividerZone) {
            *divider = true;
            return item;
        }
        if (point.x() >= left && point.x() < right)
            return item;
        left = right;
    }
    return -1;
}

void CFlatHeaderCtrl::UpdateCursor(QPoint point)
{
    bool divider = false;
    const int item = HitTest(point, &divider);
    const bool resizable = item >= 0 && divider && !(m_limits[size_t(item)].flags & HLF_FIXED_WIDTH);
    if (resizable)
        setCursor(Qt::SplitHCursor);
    else
        unsetCursor();
}

void CFlatHeaderCtrl::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (event->button() != Qt::LeftButton || m_bDragging)
        return;
    bool divider = false;
    const int item = HitTest(pos, &divider);
    if (item < 0)
        return;
    if (divider) {
        if (m_limits[size_t(item)].flags & HLF_FIXED_WIDTH)
            return;
        m_bTracking = true;
        m_nTrackItem = item;
        m_nTrackStartWidth = m_items[size_t(item)].width;
        m_pressPos = pos;
        if (m_owner)
            m_owner->OnHeaderTrack(item, true);
        return;
    }
    m_nPressItem = item;
    m_bPressInside = true;
    m_pressPos = pos;
    update();
}

void CFlatHeaderCtrl::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (m_bTracking) {
        const HeaderLimits& limits = m_limits[size_t(m_nTrackItem)];
        int width = std::max(0, m_nTrackStartWidth + pos.x() - m_pressPos.x());
        if (limits.Limited())
            width = std::clamp(width, limits.minWidth, limits.maxWidth);
        const int old = m_items[size_t(m_nTrackItem)].width;
        if (width != old) {
            SetItemWidth(m_nTrackItem, width);
            if (m_owner)
                m_owner->OnHeaderItemWidthChanged(m_nTrackItem, old);
        }
        return;
    }
    if (m_bDragging) {
        DragTo(event->globalPosition().toPoint());
        return;
    }
    if (m_nPressItem >= 0 && (event->buttons() & Qt::LeftButton)) {
        const QPoint d = pos - m_pressPos;
        if (std::abs(d.x()) > QApplication::startDragDistance()
            || std::abs(d.y()) > QApplication::startDragDistance()) {
            StartDrag();
            if (m_bDragging)
                DragTo(event->globalPosition().toPoint());
            return;
        }
        const bool inside = HitTest(pos) == m_nPressItem;
        if (inside != m_bPressInside) {
            m_bPressInside = inside;
            update();
        }
        return;
    }
    UpdateCursor(pos);
}

void CFlatHeaderCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    if (m_bTracking) {
        m_bTracking = false;
        const int item = m_nTrackItem;
        m_nTrackItem = -1;
        if (m_owner)
            m_owner->OnHeaderTrack(item, false);
        return;
    }
    if (m_bDragging) {
        EndDrag(true);
        return;
    }
    const int item = m_nPressItem;
    const bool click = item >= 0 && HitTest(event->position().toPoint()) == item;
    m_nPressItem = -1;
    m_bPressInside = false;
    update();
    if (click && m_owner)
        m_owner->OnHeaderItemClick(item);
}

void CFlatHeaderCtrl::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    bool divider = false;
    const int item = HitTest(event->position().toPoint(), &divider);
    if (item < 0)
        return;
    if (divider) {
        if (!(m_limits[size_t(item)].flags & HLF_FIXED_WIDTH) && m_owner)
            m_owner->OnHeaderDividerDblClick(item);
        return;
    }
    // A second click on an item is a click like the first.
    mousePressEvent(event);
}

void CFlatHeaderCtrl::contextMenuEvent(QContextMenuEvent* event)
{
    if (m_owner)
        m_owner->OnHeaderContextMenu(HitTest(event->pos()), event->globalPos());
}

void CFlatHeaderCtrl::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && m_bDragging)
        CancelDrag();
    else
        QWidget::keyPressEvent(event);
}

void CFlatHeaderCtrl::hideEvent(QHideEvent* event)
{
    CancelDrag();
    QWidget::hideEvent(event);
}

void CFlatHeaderCtrl::StartDrag()
{
    const int item = m_nPressItem;
    if (m_owner && m_owner->OnHeaderBeginDrag(item)) {
        m_nPressItem = -1;
        m_bPressInside = false;
        update();
        return;
    }
    const QRect r = GetItemRect(item);
    m_dragWnd = new CDragWnd;
    m_dragWnd->Create(QRect(mapToGlobal(r.topLeft()), r.size()), this, item, m_items[size_t(item)]);
    m_dropWindowRect = QRect();
    if (m_dropWindow && m_dropWindow->isVisible())
        m_dropWindowRect = QRect(m_dropWindow->mapToGlobal(QPoint(0, 0)), m_dropWindow->size());
    m_bDragging = true;
    m_nDropPos = -1;
    m_nDropMode = kDropMove;
    // The item is drawn pressed only until it is dragged.
    update();
}

void CFlatHeaderCtrl::DragTo(QPoint globalPos)
{
    if (m_dragWnd)
        m_dragWnd->CentreOn(globalPos);
    const QPoint local = mapFromGlobal(globalPos);
    const int over = rect().contains(local) ? HitTest(local) : -1;
    int position = -1;
    if (over >= 0) {
        const QRect r = GetItemRect(over);
        position = IndexToOrder(over) + (local.x() > r.center().x() ? 1 : 0);
        m_nDropMode = kDropMove;
        unsetCursor();
    } else if (m_dropWindowRect.contains(globalPos)) {
        m_nDropMode = kDropOnWindow;
        unsetCursor();
    } else {
        m_nDropMode = kDropOff;
        QCursor noDrop(Qt::ForbiddenCursor);
        if (m_nNoDropCursor)
            LoadCursorResource(m_nNoDropCursor, &noDrop);
        setCursor(noDrop);
    }
    const int own = IndexToOrder(m_nPressItem);
    if (position == own || position == own + 1)
        position = -1;
    if (position != m_nDropPos)
        m_nDropPos = SetHotDivider(position);
}

void CFlatHeaderCtrl::EndDrag(bool drop)
{
    if (!m_bDragging)
        return;
    const int item = m_nPressItem;
    const int position = m_nDropPos;
    m_bDragging = false;
    if (drop) {
        const bool cancel = m_owner && m_owner->OnHeaderEndDrag(item, m_nDropMode);
        if (!cancel && position >= 0 && item >= 0 && item < GetItemCount()) {
            std::vector<int> order = m_order;
            const int from = IndexToOrder(item);
            order.erase(order.begin() + from);
            order.insert(order.begin() + (position > from ? position - 1 : position), item);
            m_order = order;
            if (m_owner)
                m_owner->OnHeaderOrderChanged();
        }
    }
    if (m_dragWnd) {
        m_dragWnd->close();
        m_dragWnd = nullptr;
    }
    m_nPressItem = -1;
    m_bPressInside = false;
    SetHotDivider(-1);
    m_nDropPos = -1;
    unsetCursor();
    update();
}

void CFlatHeaderCtrl::CancelDrag()
{
    EndDrag(false);
}

int CFlatHeaderCtrl::SetHotDivider(int position)
{
    const int count = GetItemCount();
    if (position < 0 || position > count + 1 || count == 0) {
        if (m_dropWnd) {
            m_dropWnd->close();
            m_dropWnd = nullptr;
        }
        return position;
    }
    if (!m_dropWnd) {
        m_dropWnd = new CDropWnd(kDropArrowsColor);
        m_dropWnd->Create(height());
    }
    const int x = position >= count ? GetItemRect(OrderToIndex(count - 1)).right() + 1
                                    : GetItemRect(OrderToIndex(position)).left() - 1;
    const QPoint at = mapToGlobal(QPoint(x, height() / 2));
    m_dropWnd->MoveTo(at.x(), at.y());
    return position;
}

int CFlatHeaderCtrl::SetHotDividerAt(QPoint globalPos)
{
    const QPoint local = mapFromGlobal(globalPos);
    int position = -1;
    if (rect().contains(local)) {
        const int over = HitTest(local);
        if (over >= 0)
            position = IndexToOrder(over) + (local.x() > GetItemRect(over).center().x() ? 1 : 0);
        else if (GetItemCount() > 0 && local.x() >= TotalWidth() - m_offset)
            position = GetItemCount();
    }
    return SetHotDivider(position);
}
