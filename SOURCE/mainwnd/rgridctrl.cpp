#include "mainwnd/rgridctrl.h"

#include "core/dataman.h"
#include "core/fieldtexts.h"
#include "core/userman.h"
#include "core/utilities.h"
#include "mainwnd/fieldchooser.h"
#include "mainwnd/gridlayout.h"
#include "platform/fontconv.h"
#include "platform/ui/resources.h"
#include "platform/ui/syscolor.h"
#include "platform/ui/window.h"
#include "platform/ui/wndmessage.h"

#include <QApplication>
#include <QCollator>
#include <QFontMetrics>
#include <QImage>
#include <QScrollBar>
#include <algorithm>
#include <numeric>

namespace {

constexpr int kRowBitmapId = 300;
constexpr int kHeaderBitmapId = 320;
constexpr QRgb kMaskColour = 0xFF00FF;
// The grid opts out of the flat-control manager.
constexpr u32 kOwnLook = 0x80000000;

int g_dragSourceKind = DRAG_SOURCE_NONE;

QString FieldTitle(i32 fieldId)
{
    return QString::fromStdString(LoadResString(u32(fieldId)));
}

}  // namespace

int GetDragSourceKind()
{
    return g_dragSourceKind;
}

void SetDragSourceKind(int kind)
{
    g_dragSourceKind = kind;
}

CRGridCtrl::CRGridCtrl(DataMan& dataMan, UserMan& userMan, QWidget* parent)
    : QAbstractScrollArea(parent)
    , m_dataMan(dataMan)
    , m_userMan(userMan)
    , m_header(new CFlatHeaderCtrl(this))
{
    SetWindowUserData(this, kOwnLook);
    SetWindowUserData(m_header, kOwnLook);
    SetDlgCtrlID(this, kGridCtrlId);
    setObjectName(QStringLiteral("CRGridCtrl"));
    setWindowTitle(QString::fromLatin1(kWindowText));
    setFrameShape(QFrame::StyledPanel);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setMouseTracking(false);

    m_header->SetOwner(this);
    m_rowImages.Add(LoadBitmapResource(kRowBitmapId), kMaskColour);
    m_headerImages.Add(LoadBitmapResource(kHeaderBitmapId), kMaskColour);
    for (int i = 0; i < kGridColumnCount; ++i)
        m_columns[size_t(i)] = *GetGridColumn(i);
    m_header->SetImageList(&m_headerImages);
    m_crText = m_userMan.GetColor(UC_LIST_TEXT);
    m_crHeaderText = m_userMan.GetColor(UC_HEADER_TEXT);
    LoadFonts();
    horizontalScrollBar()->setSingleStep(16);
    verticalScrollBar()->setSingleStep(1);
    LayoutHeader();
    UpdateScrollRanges();
}

CRGridCtrl::~CRGridCtrl()
{
    if (m_pFieldChooser)
        delete m_pFieldChooser.data();
}

void CRGridCtrl::LoadFonts()
{
    const LOGFONT* list = m_userMan.GetFont(UFK_LIST);
    m_font = list ? QFontFromLogFont(*list) : QApplication::font();
    const LOGFONT* header = m_userMan.GetFont(UFK_HEADER);
    m_headerFont = header ? QFontFromLogFont(*header) : QApplication::font();
    SyncHeaderFont();
    GridFontChanged();
}

void CRGridCtrl::GridFontChanged()
{
    const int line = QFontMetrics(m_font).lineSpacing();
    m_nEmptyBoxHeight = line + 2;
    m_nSpacingLow = m_nSpacingHigh = line;
    RemeasureAll();
}

void CRGridCtrl::SyncHeaderFont()
{
    m_header->SetHeaderFont(m_headerFont);
    m_header->SetOption(CFlatHeaderCtrl::kOptionTextColor, qintptr(m_crHeaderText));
}

// ---- rows ----------------------------------------------------------------

Contact* CRGridCtrl::GetRowContact(int row) const
{
    return row >= 0 && row < GetRowCount() ? m_rows[size_t(row)].contact : nullptr;
}

u32 CRGridCtrl::GetRowState(int row) const
{
    return row >= 0 && row < GetRowCount() ? m_rows[size_t(row)].state : 0;
}

void CRGridCtrl::SetRowState(int row, u32 bits)
{
    if (row < 0 || row >= GetRowCount())
        return;
    GridRow& r = m_rows[size_t(row)];
    const u32 old = r.state;
    if (bits & GRS_FOCUS) {
        if (m_nFocusRow >= 0 && m_nFocusRow != row && m_nFocusRow < GetRowCount())
            m_rows[size_t(m_nFocusRow)].state &= ~GRS_FOCUS;
        m_nFocusRow = row;
    } else if ((old & GRS_FOCUS) && m_nFocusRow == row) {
        m_nFocusRow = -1;
    }
    if (bits & GRS_SELECTED)
        m_nAnchorRow = row;
    else if ((old & GRS_SELECTED) && m_nAnchorRow == row)
        m_nAnchorRow = -1;
    r.state = bits;
    InvalidateRow(row);
}

int CRGridCtrl::GetNextSelectedRow(int after) const
{
    for (int i = std::max(after + 1, 0); i < GetRowCount(); ++i) {
        if (m_rows[size_t(i)].state & GRS_SELECTED)
            return i;
    }
    return -1;
}

int CRGridCtrl::GetSelectedCount() const
{
    return int(std::count_if(
        m_rows.begin(), m_rows.end(), [](const GridRow& r) { return (r.state & GRS_SELECTED) != 0; }));
}

void CRGridCtrl::RebuildRowMap() const
{
    m_rowOfContact.clear();
    m_rowOfContact.reserve(m_rows.size());
    for (size_t i = 0; i < m_rows.size(); ++i)
        m_rowOfContact.emplace(m_rows[i].contact->m_duID, int(i));
    m_bRowMapValid = true;
}

int CRGridCtrl::FindContactRow(u32 contactId) const
{
    if (contactId < 1 || contactId == kNoId)
        return -1;
    if (!m_bRowMapValid)
        RebuildRowMap();
    const auto it = m_rowOfContact.find(contactId);
    return it == m_rowOfContact.end() ? -1 : it->second;
}

bool CRGridCtrl::AddContactRow(Contact* contact, bool skipFilter, bool refresh)
{
    if (!contact)
        return false;
    if (!skipFilter && !m_dataMan.IsContactShown(contact))
        return true;
    GridRow row;
    row.contact = contact;
    m_rows.push_back(std::move(row));
    if (m_bRowMapValid)
        m_rowOfContact.emplace(contact->m_duID, GetRowCount() - 1);
    if (refresh) {
        UpdateScrollRanges();
        viewport()->update();
    }
    return true;
}

void CRGridCtrl::UpdateRow(int row)
{
    if (row < 0 || row >= GetRowCount())
        return;
    GridRow& r = m_rows[size_t(row)];
    r.cells.clear();
    r.measuredFor = 0;
    viewport()->update();
}

void CRGridCtrl::ContactChanged(u32 contactId)
{
    UpdateRow(FindContactRow(contactId));
}

void CRGridCtrl::DeleteRow(int row)
{
    if (row >= 0 && row < GetRowCount())
        DeleteRows({row});
}

void CRGridCtrl::DeleteRows(std::vector<int> rows)
{
    std::vector<bool> gone(m_rows.size(), false);
    bool any = false;
    for (int r : rows) {
        if (r >= 0 && r < GetRowCount())
            gone[size_t(r)] = any = true;
    }
    if (!any)
        return;
    // Focus and anchor stay on their rows, or go with them.
    int focus = -1;
    int anchor = -1;
    size_t kept = 0;
    for (size_t i = 0; i < m_rows.size(); ++i) {
        if (gone[i])
            continue;
        if (int(i) == m_nFocusRow)
            focus = int(kept);
        if (int(i) == m_nAnchorRow)
            anchor = int(kept);
        if (kept != i)
            m_rows[kept] = std::move(m_rows[i]);
        ++kept;
    }
    m_rows.resize(kept);
    m_nFocusRow = focus;
    m_nAnchorRow = anchor;
    m_bRowMapValid = false;
    UpdateScrollRanges();
    viewport()->update();
}

void CRGridCtrl::ContactsRemoved(const std::vector<u32>& contactIds)
{
    std::vector<int> rows;
    rows.reserve(contactIds.size());
    for (u32 id : contactIds)
        rows.push_back(FindContactRow(id));
    DeleteRows(std::move(rows));
}

void CRGridCtrl::DeleteAllRows()
{
    m_rows.clear();
    m_rowOfContact.clear();
    m_bRowMapValid = true;
    m_nFocusRow = m_nAnchorRow = -1;
    verticalScrollBar()->setValue(0);
    UpdateScrollRanges();
    viewport()->update();
}

std::vector<Contact*> CRGridCtrl::SelectedContacts() const
{
    std::vector<Contact*> contacts;
    for (const GridRow& r : m_rows) {
        if (r.state & GRS_SELECTED)
            contacts.push_back(r.contact);
    }
    return contacts;
}

int CRGridCtrl::Refill(bool resetLayout, bool fill)
{
    setUpdatesEnabled(false);
    DeleteAllRows();
    Book* book = m_dataMan.GetCurrentBook();
    const bool haveBook = resetLayout || book;
    if (haveBook) {
        if (resetLayout || !m_bHasShownBook || !book || book->m_duID != m_duShownBook) {
            // The book left keeps the arrangement the user gave it.
            if (!resetLayout)
                SaveLayout();
            LoadLayout(resetLayout);
        }
        RefillFieldChooser();
    }
    if (fill && book) {
        // The contact map is built when first asked for.
        m_bRowMapValid = false;
        m_rows.reserve(book->m_members.size());
        size_t position = 0;
        while (Contact* contact = book->GetNextContact(m_dataMan, position))
            AddContactRow(contact, false, false);
        if (m_nSortColumn > 0)
            Sort(m_nSortColumn, m_nSortDirection);
        verticalScrollBar()->setValue(0);
        // Rows are not sorted by the icon column on a refill, so no arrow
        // claims they are.
        if (m_nSortColumn > 0)
            SetSortArrow();
        else
            m_header->SetSortItem(-1, m_nSortDirection);
        if (!m_rows.empty()) {
            m_rows[0].state = GRS_FOCUS | GRS_SELECTED;
            m_nFocusRow = 0;
        }
    }
    UpdateScrollRanges();
    setUpdatesEnabled(true);
    viewport()->update();
    return haveBook ? 1 : 0;
}

// ---- cells and columns ----------------------------------------------------

const GridCell& CRGridCtrl::Cell(GridRow& row, int column)
{
    for (const GridCell& c : row.cells) {
        if (c.column == column)
            return c;
    }
    GridCell cell;
    cell.column = column;
    const GridColumnInfo& info = m_columns[size_t(column)];
    if (info.m_dwFlags & HDF_IMAGE)
        cell.image = GetFieldNumber(*row.contact, u32(info.m_nFieldId), 0);
    if (info.m_dwFlags & HDF_STRING)
        cell.text = FormatFieldText(*row.contact, u32(info.m_nFieldId));
    row.cells.push_back(std::move(cell));
    return row.cells.back();
}

QString CRGridCtrl::GetCellText(int row, int column)
{
    if (row < 0 || row >= GetRowCount() || column < 0 || column >= kGridColumnCount)
        return QString();
    return QString::fromStdString(Cell(m_rows[size_t(row)], column).text);
}

int CRGridCtrl::GetCellImage(int row, int column)
{
    if (row < 0 || row >= GetRowCount() || column < 0 || column >= kGridColumnCount)
        return -1;
    return Cell(m_rows[size_t(row)], column).image;
}

const GridColumnInfo& CRGridCtrl::GetColumnInfo(int column) const
{
    return m_columns[size_t(std::clamp(column, 0, kGridColumnCount - 1))];
}

u32 CRGridCtrl::GetColumnAlignment(int column) const
{
    return GetColumnInfo(column).m_dwFlags & HDF_JUSTIFYMASK;
}

int CRGridCtrl::GetColumnWidth(int column) const
{
    const int item = HeaderItemOfColumn(column);
    return item >= 0 ? m_header->GetItemWidth(item) : GetColumnInfo(column).m_nWidth;
}

std::vector<int> CRGridCtrl::GetShownColumns() const
{
    std::vector<int> columns;
    for (int item : m_header->GetOrderArray())
        columns.push_back(int(m_header->GetItemData(item)));
    return columns;
}

int CRGridCtrl::GetTotalWidth() const
{
    return m_header->TotalWidth();
}

int CRGridCtrl::HeaderItemOfColumn(int column) const
{
    for (int i = 0; i < m_header->GetItemCount(); ++i) {
        if (int(m_header->GetItemData(i)) == column)
            return i;
    }
    return -1;
}

int CRGridCtrl::GetColumnPosition(int column) const
{
    return m_header->IndexToOrder(HeaderItemOfColumn(column));
}

bool CRGridCtrl::IsColumnShown(int column) const
{
    return HeaderItemOfColumn(column) >= 0;
}

int CRGridCtrl::InsertColumn(int column, int position)
{
    if (column < 0 || column >= kGridColumnCount || IsColumnShown(column))
        return -1;
    GridColumnInfo& info = m_columns[size_t(column)];
    HeaderItem item;
    item.format = info.Format();
    item.width = info.m_nWidth;
    item.data = u32(column);
    if (info.m_dwFlags & HDF_IMAGE)
        item.image = 0;
    if (info.m_dwFlags & HDF_STRING)
        item.text = FieldTitle(info.m_nFieldId);
    const int index = m_header->InsertItem(position, item);
    m_header->SetItemLimits(index, info.LimitFlags(), info.m_nMinWidth, info.m_nMaxWidth);
    info.m_nWidth = m_header->GetItemWidth(index);
    RefillFieldChooser();
    RemeasureAll();
    UpdateScrollRanges();
    viewport()->update();
    return index;
}

bool CRGridCtrl::RemoveColumnAt(int item)
{
    const int column = int(m_header->GetItemData(item));
    if (!m_header->DeleteItem(item))
        return false;
    // The cells of the column are no longer shown; they go.
    for (GridRow& r : m_rows) {
        std::erase_if(r.cells, [column](const GridCell& c) { return c.column == column; });
    }
    RefillFieldChooser();
    RemeasureAll();
    UpdateScrollRanges();
    viewport()->update();
    return true;
}

int CRGridCtrl::SetColumnWidth(int item, int width)
{
    const int old = m_header->GetItemWidth(item);
    if (item < 0 || item >= m_header->GetItemCount() || width == old)
        return old;
    m_header->SetItemWidth(item, width);
    m_columns[size_t(m_header->GetItemData(item))].m_nWidth = m_header->GetItemWidth(item);
    RemeasureAll();
    UpdateScrollRanges();
    viewport()->update();
    return old;
}

// ---- header commands --------------------------------------------------------

bool CRGridCtrl::OnHeaderCommand(u32 id)
{
    switch (id) {
    case ID_HEADER_SORT_ASCENDING:
        SortAscending();
        return true;
    case ID_HEADER_SORT_DESCENDING:
        SortDescending();
        return true;
    case ID_HEADER_FIELDS:
        ShowFieldChooser();
        return true;
    case ID_HEADER_REMOVE_COLUMN:
        RemoveColumn();
        return true;
    default:
        return false;
    }
}

void CRGridCtrl::SortAscending()
{
    SortMenuItem(1);
}

void CRGridCtrl::SortDescending()
{
    SortMenuItem(0);
}

void CRGridCtrl::SortMenuItem(int ascending)
{
    const int column = int(m_header->GetItemData(m_nMenuItem));
    if (m_nMenuItem >= 0 && (column != m_nSortColumn || m_nSortDirection != ascending))
        SortBy(column, ascending);
}

void CRGridCtrl::SortBy(int column, int ascending)
{
    m_nSortColumn = column;
    m_nSortDirection = ascending;
    Sort(column, ascending);
    SetSortArrow();
}

void CRGridCtrl::ShowFieldChooser()
{
    if (m_pFieldChooser) {
        m_pFieldChooser->show();
        return;
    }
    auto* chooser = new CFieldChooserDlg(this);
    SetFieldChooser(chooser);
    chooser->show();
}

CFieldChooserDlg* CRGridCtrl::GetFieldChooser() const
{
    return m_pFieldChooser.data();
}

void CRGridCtrl::SetFieldChooser(CFieldChooserDlg* chooser)
{
    m_pFieldChooser = chooser;
    m_header->SetDropWindow(chooser);
}

void CRGridCtrl::RefillFieldChooser()
{
    if (m_pFieldChooser)
        m_pFieldChooser->List()->Fill(-1);
}

void CRGridCtrl::RemoveColumn()
{
    if (m_header->GetItemCount() < 2) {
        MsgStop(IDS_LAST_COLUMN, this);
        return;
    }
    const int item = m_nMenuItem;
    if (item < 0 || item >= m_header->GetItemCount())
        return;
    if (int(m_header->GetItemData(item)) == m_nSortColumn)
        m_nSortColumn = -1;
    RemoveColumnAt(item);
    SetSortArrow();
    SaveLayout();
}

// ---- layouts ---------------------------------------------------------------

const Book* CRGridCtrl::GetShownBook() const
{
    return m_bHasShownBook ? m_dataMan.FindBook(m_duShownBook) : nullptr;
}

void CRGridCtrl::RemoveAllColumns()
{
    for (int pos = m_header->GetItemCount() - 1; pos >= 0; --pos)
        m_header->DeleteItem(m_header->OrderToIndex(pos));
}

void CRGridCtrl::ApplyLayout(const GridLayout& layout)
{
    RemoveAllColumns();
    m_nSortColumn = layout.sortColumn;
    m_nSortDirection = layout.ascending;
    for (int id = 0; id < kGridColumnCount; ++id) {
        if (layout.widths[size_t(id)] >= 0)
            m_columns[size_t(id)].m_nWidth = layout.widths[size_t(id)];
    }
    for (size_t i = 0; i < layout.columns.size(); ++i)
        InsertColumn(layout.columns[i], int(i));
    SetSortArrow();
}

void CRGridCtrl::SetDefaultLayout()
{
    RemoveAllColumns();
    m_nSortColumn = kNameColumn;
    m_nSortDirection = 1;
    for (int id = 0; id < kDefaultColumnCount; ++id)
        InsertColumn(id, id);
    SetSortArrow();
    RefillFieldChooser();
}

bool CRGridCtrl::LoadLayout(bool reset)
{
    if (reset) {
        m_bHasShownBook = false;
        SetDefaultLayout();
        return true;
    }
    Book* book = m_dataMan.GetCurrentBook();
    if (!book)
        return false;
    m_bHasShownBook = true;
    m_duShownBook = book->m_duID;
    const auto it = std::find_if(book->m_conditions.begin(), book->m_conditions.end(),
        [](const BookCondition& c) { return c.m_dwField == kLayoutConditionField; });
    GridLayout layout;
    // A damaged text gives the default layout and is left in the book as it
    // is until the user changes the layout.
    if (it != book->m_conditions.end() && ParseGridLayout(it->m_strText, layout))
        ApplyLayout(layout);
    else
        SetDefaultLayout();
    RefillFieldChooser();
    return true;
}

void CRGridCtrl::SaveLayout()
{
    Book* book = const_cast<Book*>(GetShownBook());
    if (!book)
        return;
    GridLayout layout;
    layout.sortColumn = m_nSortColumn;
    int ascending = 1;
    m_header->GetSortItem(&ascending);
    layout.ascending = m_header->GetSortItem() >= 0 ? ascending : m_nSortDirection;
    for (int id = 0; id < kGridColumnCount; ++id)
        layout.widths[size_t(id)] = m_columns[size_t(id)].m_nWidth;
    layout.columns = GetShownColumns();
    const std::string text = FormatGridLayout(layout);
    const auto it = std::find_if(book->m_conditions.begin(), book->m_conditions.end(),
        [](const BookCondition& c) { return c.m_dwField == kLayoutConditionField; });
    if (it != book->m_conditions.end()) {
        it->m_strText = text;
        return;
    }
    BookCondition entry;
    entry.m_dwField = kLayoutConditionField;
    entry.m_strText = text;
    book->m_conditions.push_back(std::move(entry));
}

void CRGridCtrl::SetSortArrow()
{
    m_header->SetSortItem(m_nSortColumn >= 0 ? HeaderItemOfColumn(m_nSortColumn) : -1, m_nSortDirection);
}
