// The grid on screen: painting, measuring rows, hit tests, selection by
// mouse and keys, scrolling, double-click actions, and drags.
#include "controls/styledline.h"
#include "core/dataman.h"
#include "core/userman.h"
#include "core/utilities.h"
#include "mainwnd/rgridctrl.h"
#include "platform/fontconv.h"
#include "platform/ui/syscolor.h"
#include "platform/ui/wndmessage.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextLayout>
#include <algorithm>

namespace {

constexpr int kRowCutMargin = 10;

// Text wrapped at word boundaries over the lines of a tall row, centred
// as a block. A word wider than the cell (an e-mail address, a web
// address) ends its line in an ellipsis rather than being cut unseen.
void DrawWrappedCell(QPainter& p, const QRect& r, int align, const QString& text)
{
    const QFontMetrics fm = p.fontMetrics();
    QStringList lines;
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
        QTextLayout layout(paragraph, p.font());
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(r.width());
            lines << paragraph.mid(line.textStart(), line.textLength());
        }
        layout.endLayout();
    }
    int y = r.top() + (r.height() - int(lines.size()) * fm.height()) / 2;
    for (const QString& line : lines) {
        const QRect box(r.left(), y, r.width(), fm.height());
        y += fm.height();
        if (!box.intersects(r))
            continue;
        const QString shown = fm.horizontalAdvance(line.trimmed()) > r.width()
            ? fm.elidedText(line.trimmed(), Qt::ElideRight, r.width())
            : line;
        p.drawText(box, align | Qt::AlignVCenter | Qt::TextExpandTabs, shown);
    }
}

// A grid line: solid for style 0, else the pen's dash pattern. Drawn from
// the first point up to, not including, the second.
void DrawGridLine(QPainter& p, StyledLine& line, int x1, int y1, int x2, int y2, int style)
{
    if (style != 0) {
        line.DrawLine(p, x1, y1, x2, y2, style);
    } else if (x1 == x2 && y2 > y1) {
        p.drawLine(x1, y1, x2, y2 - 1);
    } else if (x2 > x1) {
        p.drawLine(x1, y1, x2 - 1, y2);
    }
}

}  // namespace

bool CRGridCtrl::GridLines() const
{
    return (m_userMan.m_dwListFlags & CLF_GRID_LINES) != 0;
}

int CRGridCtrl::RowsAreaHeight() const
{
    return viewport()->height();
}

QFont CRGridCtrl::RowFont(const Contact& contact) const
{
    if (contact.m_dwDisplayFlags & CDF_DEFAULT_FONT)
        return m_font;
    QFont font = QFontFromLogFont(contact.m_font);
    // The contact's face and style, at the list's size.
    if (m_font.pixelSize() > 0)
        font.setPixelSize(m_font.pixelSize());
    else
        font.setPointSizeF(m_font.pointSizeF());
    return font;
}

int CRGridCtrl::MeasureRow(GridRow& row)
{
    if (row.measuredFor == m_nLayoutGen)
        return row.height;
    const QFontMetrics fm(RowFont(*row.contact));
    int height = 0;
    for (int item : m_header->GetOrderArray()) {
        const int column = int(m_header->GetItemData(item));
        if (!(m_columns[size_t(column)].m_dwFlags & HDF_STRING))
            continue;
        const QString text = QString::fromStdString(Cell(row, column).text);
        if (text.isEmpty())
            continue;
        const int width = std::max(1, m_header->GetItemWidth(item) - 2 * m_nInset);
        const bool oneLine = !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\t'))
            && fm.horizontalAdvance(text) <= width;
        const int h = oneLine
            ? fm.height()
            : fm.boundingRect(QRect(0, 0, width, 1 << 20), Qt::TextWordWrap | Qt::TextExpandTabs, text)
                  .height();
        height = std::max(height, h);
    }
    // Never lower than an image, and never taller than the rows area; at
    // any window size a row keeps a height.
    const int least = m_rowImages.ImageSize().height() + 2 + (GridLines() ? 1 : 0);
    const int area = RowsAreaHeight();
    if (height >= area)
        height = area - kRowCutMargin + (GridLines() ? 1 : 0);
    row.height = std::max(height, least);
    row.measuredFor = m_nLayoutGen;
    return row.height;
}

int CRGridCtrl::GetRowHeight(int row)
{
    return row >= 0 && row < GetRowCount() ? MeasureRow(m_rows[size_t(row)]) : 0;
}

int CRGridCtrl::GetFirstVisibleRow() const
{
    return verticalScrollBar()->value();
}

int CRGridCtrl::TopRowEndingAt(int last)
{
    int y = 0;
    int top = last;
    while (top >= 0) {
        y += GetRowHeight(top);
        if (y > RowsAreaHeight())
            break;
        --top;
    }
    // A row taller than the screen is its own screen.
    return std::max(0, std::min(last, top + 1));
}

int CRGridCtrl::GetLastFullRow()
{
    const int first = GetFirstVisibleRow();
    int y = 0;
    int last = first - 1;
    for (int row = first; row < GetRowCount(); ++row) {
        y += GetRowHeight(row);
        if (y > RowsAreaHeight())
            break;
        last = row;
    }
    // A row taller than the screen still counts as shown.
    return std::max(last, std::min(first, GetRowCount() - 1));
}

void CRGridCtrl::UpdateScrollRanges()
{
    QScrollBar* h = horizontalScrollBar();
    const int width = viewport()->width();
    h->setRange(0, std::max(0, GetTotalWidth() - width));
    h->setPageStep(std::max(1, width));
    h->setSingleStep(std::max(1, width / 8));
    // The last full screen.
    const int first = GetRowCount() > 0 ? TopRowEndingAt(GetRowCount() - 1) : 0;
    QScrollBar* v = verticalScrollBar();
    v->setRange(0, std::min(first, std::max(0, GetRowCount() - 1)));
    v->setPageStep(std::max(1, GetLastFullRow() - GetFirstVisibleRow() + 1));
    LayoutHeader();
}

void CRGridCtrl::LayoutHeader()
{
    const int h = m_header->LayoutHeight();
    setViewportMargins(0, h, 0, 0);
    const QRect area = viewport()->geometry();
    m_header->setGeometry(area.left(), area.top() - h, area.width(), h);
    m_header->SetOffset(horizontalScrollBar()->value());
}

void CRGridCtrl::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    RemeasureAll();
    UpdateScrollRanges();
}

void CRGridCtrl::scrollContentsBy(int, int)
{
    m_header->SetOffset(horizontalScrollBar()->value());
    viewport()->update();
}

void CRGridCtrl::NotifySelection()
{
    NMHDR head{this, kGridCtrlId, GN_SELCHANGED};
    SendMessage(parent(), WM_NOTIFY, kGridCtrlId, reinterpret_cast<qintptr>(&head));
}

void CRGridCtrl::InvalidateRow(int)
{
    // Rows on screen only: the viewport is all there is to repaint.
    viewport()->update();
}

// ---- painting ---------------------------------------------------------------

void CRGridCtrl::paintEvent(QPaintEvent* event)
{
    QPainter p(viewport());
    PaintRows(p, event->rect());
}

void CRGridCtrl::PaintRows(QPainter& p, const QRect& dirty)
{
    if (dirty.isEmpty())
        return;
    p.fillRect(dirty, ColorFromRef(m_userMan.GetColor(UC_LIST_BACK)));
    const bool gridLines = GridLines();
    const QRect area = viewport()->rect();
    if (m_rows.empty()) {
        p.setFont(m_font);
        p.setPen(ColorFromRef(m_userMan.GetColor(UC_LIST_TEXT)));
        const QString text = QString::fromStdString(LoadResString(IDS_NO_CONTACTS));
        // The words wrap with the same margin on both sides, wide enough
        // for a large list font.
        const int margin = std::max(4, p.fontMetrics().averageCharWidth());
        const QRect box(
            area.left() + margin, area.top() + 2, std::max(1, area.width() - 2 * margin), 1 << 16);
        const int measured = p.fontMetrics().boundingRect(box, Qt::TextWordWrap, text).height();
        p.drawText(QRect(box.topLeft(), QSize(box.width(), std::max(m_nEmptyBoxHeight, measured))),
            Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, text);
        return;
    }
    int top = 0;
    int row = GetFirstVisibleRow();
    for (; row < GetRowCount() && top <= dirty.bottom(); ++row) {
        const int height = GetRowHeight(row);
        if (top + height > dirty.top())
            PaintRow(p, dirty, row, top, height, gridLines);
        top += height;
    }
    if (gridLines) {
        p.setPen(ColorFromRef(m_userMan.GetColor(UC_GRID_LINES)));
        StyledLine line;
        line.SetDC(viewport());
        int x = -horizontalScrollBar()->value();
        for (int item : m_header->GetOrderArray()) {
            x += m_header->GetItemWidth(item);
            DrawGridLine(p, line, x - 1, 0, x - 1, top, int(m_userMan.m_gridPen.lopnStyle));
        }
    }
    if (m_bTracking && m_nTrackItem >= 0) {
        const int x = m_header->GetItemRect(m_nTrackItem).right();
        p.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
        p.fillRect(QRect(x, 0, 1, area.height()), Qt::black);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
}

void CRGridCtrl::PaintRow(QPainter& p, const QRect& dirty, int row, int top, int height, bool gridLines)
{
    GridRow& r = m_rows[size_t(row)];
    const Contact& c = *r.contact;
    QColor text;
    QColor back;
    if (r.state & GRS_SELECTED) {
        text = GetSysColor(m_bFocus ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT, this);
        back = GetSysColor(m_bFocus ? COLOR_HIGHLIGHT : COLOR_3DFACE, this);
    } else {
        text = ColorFromRef(
            (c.m_dwDisplayFlags & CDF_DEFAULT_TEXT_COLOR) ? m_userMan.GetColor(UC_LIST_TEXT) : c.m_crText);
        back = ColorFromRef(
            (c.m_dwDisplayFlags & CDF_DEFAULT_BK_COLOR) ? m_userMan.GetColor(UC_LIST_BACK) : c.m_crBack);
    }
    const int origin = -horizontalScrollBar()->value();
    const QRect rowRect(origin, top, GetTotalWidth(), height);
    p.fillRect(rowRect, back);
    p.setFont(RowFont(c));
    p.setPen(text);
    const int imageWidth = m_rowImages.ImageSize().width();
    int x = origin;
    for (int item : m_header->GetOrderArray()) {
        if (x > dirty.right())
            break;
        const int width = m_header->GetItemWidth(item);
        const QRect columnRect(x, top, width, height);
        x += width;
        if (!columnRect.intersects(dirty))
            continue;
        const int column = int(m_header->GetItemData(item));
        const GridCell& cell = Cell(r, column);
        QRect inner = columnRect.adjusted(m_nInset, 0, -m_nInset, 0);
        p.save();
        p.setClipRect(inner.intersected(columnRect));
        if (cell.image >= 0 && m_rowImages.Count() > 0) {
            const int y = top + (height - m_rowImages.ImageSize().height()) / 2;
            m_rowImages.Draw(p, cell.image, QPoint(inner.left(), y));
            inner.setLeft(inner.left() + imageWidth + m_nInset);
        }
        const QString cellText = QString::fromStdString(cell.text);
        if (!cellText.isEmpty() && inner.width() > 0) {
            int align = Qt::AlignLeft;
            const u32 format = m_columns[size_t(column)].m_dwFlags & HDF_JUSTIFYMASK;
            if (format == HDF_RIGHT)
                align = Qt::AlignRight;
            else if (format == HDF_CENTER)
                align = Qt::AlignHCenter;
            const QFontMetrics fm = p.fontMetrics();
            const bool oneLine = !cellText.contains(QLatin1Char('\n'));
            const int width = fm.horizontalAdvance(cellText);
            if (inner.height() < 2 * fm.height() && width > inner.width())
                p.drawText(
                    inner, align | Qt::AlignVCenter, fm.elidedText(cellText, Qt::ElideRight, inner.width()));
            else if (oneLine && width <= inner.width())
                p.drawText(inner, align | Qt::AlignVCenter | Qt::TextExpandTabs, cellText);
            else
                DrawWrappedCell(p, inner, align, cellText);
        }
        p.restore();
    }
    if (gridLines) {
        p.setPen(ColorFromRef(m_userMan.GetColor(UC_GRID_LINES)));
        StyledLine line;
        line.SetDC(viewport());
        DrawGridLine(p, line, rowRect.left(), rowRect.bottom(), rowRect.right() + 1, rowRect.bottom(),
            int(m_userMan.m_gridPen.lopnStyle));
    }
    if (m_bFocus && row == m_nFocusRow) {
        const QRect focus = gridLines ? rowRect.adjusted(1, 0, -1, -1) : rowRect;
        QPen pen(text, 1, Qt::DotLine);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(focus.adjusted(0, 0, -1, -1));
    }
}
