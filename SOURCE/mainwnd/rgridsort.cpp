// Sorting the grid, and what its header tells it.
#include "core/dataman.h"
#include "core/fieldtexts.h"
#include "core/userman.h"
#include "mainwnd/fieldchooser.h"
#include "mainwnd/rgridctrl.h"
#include "platform/ui/menu.h"

#include <QCollator>
#include <QFontMetrics>
#include <QMenu>
#include <QMetaMethod>
#include <QScrollBar>
#include <algorithm>
#include <cmath>
#include <numeric>
#include <variant>

namespace {

// A day count that grows with time also before 1899, where the fraction
// of an automation date counts forwards from the day's midnight.
double DateSortKey(const DateValue& date)
{
    const double day = std::trunc(date.m_dt);
    return day + std::fabs(date.m_dt - day);
}

const DateValue* ContactDate(const Contact& c, u32 fieldId)
{
    switch (fieldId) {
    case FID_BIRTHDAY:
        return &c.m_dtBirthday;
    case FID_ANNIVERSARY:
        return &c.m_dtAnniversary;
    case FID_CREATED:
        return &c.m_dtCreated;
    case FID_MODIFIED:
        return &c.m_dtModified;
    default:
        return nullptr;
    }
}

// How rows of one column compare: numbers where the column holds a value
// (dates, the icon), else the texts case-insensitively in the user's
// locale. An empty value sorts before any other.
struct SortKeys {
    std::vector<bool> empty;
    std::vector<double> numbers;
    // Collation keys; in the C locale the folded texts themselves.
    std::vector<QCollatorSortKey> collated;
    std::vector<std::string> folded;  // UTF-8, whose bytes sort as code points

    int Compare(size_t a, size_t b) const
    {
        if (empty[a] || empty[b])
            return int(empty[b]) - int(empty[a]);
        if (!numbers.empty())
            return numbers[a] < numbers[b] ? -1 : numbers[b] < numbers[a] ? 1 : 0;
        if (!folded.empty())
            return folded[a].compare(folded[b]);
        return collated[a].compare(collated[b]);
    }
};

}  // namespace

std::string CRGridCtrl::SortKey(int row, int column)
{
    GridRow& r = m_rows[size_t(row)];
    const Contact& c = *r.contact;
    if (m_columns[size_t(column)].m_nFieldId != i32(FID_NAME))
        return FoldCase(Cell(r, column).text);
    switch (m_userMan.m_dwNameColumnFlags) {
    case 0:
        return FoldCase(c.m_strFirstName);
    case 1:
        return FoldCase(c.m_strLastName);
    default:
        return FoldCase(c.m_strName);
    }
}

void CRGridCtrl::Sort(int column, int ascending)
{
    const size_t count = m_rows.size();
    if (count < 2 || column < 0 || column >= kGridColumnCount)
        return;
    const u32 field = u32(m_columns[size_t(column)].m_nFieldId);
    SortKeys keys;
    keys.empty.resize(count);
    if (column == kIconColumn || IsDateField(field)) {
        keys.numbers.resize(count);
        for (size_t i = 0; i < count; ++i) {
            const Contact& c = *m_rows[i].contact;
            const DateValue* date = ContactDate(c, field);
            keys.empty[i] = date && !date->IsValid();
            keys.numbers[i] = date ? DateSortKey(*date) : double(GetFieldNumber(c, field, 0));
        }
    } else {
        QCollator collator;
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        const bool codePoints = collator.locale().language() == QLocale::C;
        if (codePoints)
            keys.folded.reserve(count);
        else
            keys.collated.reserve(count);
        for (size_t i = 0; i < count; ++i) {
            // Folded first, so that case never orders texts, whatever the
            // collation of the locale does with it.
            std::string text = SortKey(int(i), column);
            keys.empty[i] = text.empty();
            if (codePoints)
                keys.folded.push_back(std::move(text));
            else
                keys.collated.push_back(collator.sortKey(QString::fromStdString(text)));
        }
    }
    std::vector<int> order(count);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const int r = keys.Compare(size_t(a), size_t(b));
        return ascending ? r < 0 : r > 0;
    });
    ApplyOrder(order);
    if (m_nFocusRow >= 0)
        EnsureVisible(m_nFocusRow);
    viewport()->update();
}

void CRGridCtrl::ApplyOrder(const std::vector<int>& order)
{
    std::vector<GridRow> sorted;
    sorted.reserve(m_rows.size());
    int focus = -1;
    int anchor = -1;
    for (size_t i = 0; i < order.size(); ++i) {
        const int from = order[i];
        if (from == m_nFocusRow)
            focus = int(i);
        if (from == m_nAnchorRow)
            anchor = int(i);
        sorted.push_back(std::move(m_rows[size_t(from)]));
    }
    m_rows = std::move(sorted);
    m_nFocusRow = focus;
    m_nAnchorRow = anchor;
    m_bRowMapValid = false;
}

// ---- header notifications -----------------------------------------------

void CRGridCtrl::OnHeaderItemClick(int item)
{
    const int column = int(m_header->GetItemData(item));
    SortBy(column, column == m_nSortColumn ? !m_nSortDirection : 1);
}

void CRGridCtrl::OnHeaderItemWidthChanged(int item, int)
{
    const int column = int(m_header->GetItemData(item));
    m_columns[size_t(column)].m_nWidth = m_header->GetItemWidth(item);
    // While the divider is dragged the rows keep their heights; they are
    // measured again when it is let go.
    if (!m_bTracking)
        RemeasureAll();
    UpdateScrollRanges();
    viewport()->update();
}

void CRGridCtrl::OnHeaderTrack(int item, bool begin)
{
    m_bTracking = begin;
    m_nTrackItem = begin ? item : -1;
    if (!begin) {
        RemeasureAll();
        UpdateScrollRanges();
    }
    viewport()->update();
}

void CRGridCtrl::OnHeaderDividerDblClick(int item)
{
    const int column = int(m_header->GetItemData(item));
    const QFontMetrics fm(m_font);
    int widest = 0;
    if (m_columns[size_t(column)].m_dwFlags & HDF_STRING) {
        for (int row = 0; row < GetRowCount(); ++row) {
            const QString text = GetCellText(row, column);
            if (text.contains(QLatin1Char('\t')))
                widest = std::max(
                    widest, fm.boundingRect(QRect(0, 0, 1 << 20, 1 << 20), Qt::TextExpandTabs, text).width());
            else if (!text.isEmpty())
                widest = std::max(widest, fm.horizontalAdvance(text));
        }
    }
    const HeaderItem* it = m_header->GetItem(item);
    const int title = it ? m_header->GetWantedWidth(*it, item == m_header->GetSortItem()) : 0;
    SetColumnWidth(item, std::max(widest + 2 * m_nInset, title));
}

bool CRGridCtrl::OnHeaderEndDrag(int item, int dropMode)
{
    if (dropMode != CFlatHeaderCtrl::kDropMove && m_pFieldChooser && m_pFieldChooser->isVisible()) {
        if (m_header->GetItemCount() >= 2) {
            if (int(m_header->GetItemData(item)) == m_nSortColumn)
                m_nSortColumn = -1;
            RemoveColumnAt(item);
            SetSortArrow();
        }
        return true;
    }
    viewport()->update();
    return false;
}

void CRGridCtrl::OnHeaderOrderChanged()
{
    RemeasureAll();
    viewport()->update();
}

void CRGridCtrl::OnHeaderContextMenu(int item, QPoint globalPos)
{
    m_nMenuItem = item;
    if (isSignalConnected(QMetaMethod::fromSignal(&CRGridCtrl::headerMenuRequested))) {
        emit headerMenuRequested(item, globalPos);
        return;
    }
    QMenu menu(this);
    AppendHeaderMenu(&menu);
    if (const QAction* chosen = menu.exec(globalPos))
        OnHeaderCommand(GetCommandId(chosen));
}

void CRGridCtrl::AppendHeaderMenu(QMenu* menu)
{
    AppendMenuItem(menu, ID_HEADER_SORT_ASCENDING, QStringLiteral("Sort &Ascending"));
    AppendMenuItem(menu, ID_HEADER_SORT_DESCENDING, QStringLiteral("Sort &Descending"));
    menu->addSeparator();
    AppendMenuItem(menu, ID_HEADER_FIELDS, QStringLiteral("&Contact List Fields"));
    AppendMenuItem(menu, ID_HEADER_REMOVE_COLUMN, QStringLiteral("&Remove Column"));
}
