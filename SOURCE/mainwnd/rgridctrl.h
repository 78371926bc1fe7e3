// The contact list of the main window: a view over DataMan's current book.
// A row is a contact; its cells are the texts of the shown columns, made
// when first needed and kept until the contact changes. Painting, row
// measuring and hit tests walk only the rows on screen, so a book of
// 100,000 contacts stays quick. Callers speak contacts (SelectedContacts,
// FocusedContact, FindContactRow) and tell the grid of single changes
// (AddContactRow, UpdateRow, DeleteRows); a full Refill is for another book
// or filter.
#pragma once

#include "mainwnd/commands.h"
#include "mainwnd/flatheader.h"
#include "mainwnd/gridcolumns.h"
#include "platform/ui/imagelist.h"
#include "print/printinfo.h"

#include <QAbstractScrollArea>
#include <QPointer>
#include <QUrl>
#include <array>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

class Book;
class CFieldChooserDlg;
class Contact;
class DataMan;
class QMenu;
class QMimeData;
class UserMan;

constexpr int kGridCtrlId = 1007;
// WM_NOTIFY code sent to the parent after every selection change.
constexpr int GN_SELCHANGED = -2052;

// Commands the grid posts or carries out.
constexpr u32 ID_HEADER_FIELDS = 32929;
constexpr u32 ID_HEADER_SORT_ASCENDING = 32931;
constexpr u32 ID_HEADER_SORT_DESCENDING = 32932;
constexpr u32 ID_HEADER_REMOVE_COLUMN = 32933;

constexpr u32 IDS_LAST_COLUMN = 59533;
constexpr u32 IDS_NO_CONTACTS = 59538;

// Row state bits.
constexpr u32 GRS_FOCUS = 0x1;
constexpr u32 GRS_SELECTED = 0x2;

// "ContList" "Flags1" bits the grid reads.
constexpr u32 CLF_CELL_ACTIONS = 1u << 2;
constexpr u32 CLF_GRID_LINES = 1u << 3;

// Hit-test flags for a point outside the rows area.
constexpr u32 GHT_ABOVE = 0x100;
constexpr u32 GHT_BELOW = 0x200;
constexpr u32 GHT_TORIGHT = 0x400;
constexpr u32 GHT_TOLEFT = 0x800;

// What a drag of the program's own carries (the drop targets read it).
constexpr int DRAG_SOURCE_NONE = 0;
constexpr int DRAG_SOURCE_BOOK = 1;
constexpr int DRAG_SOURCE_CONTACTS = 2;
int GetDragSourceKind();
void SetDragSourceKind(int kind);

// The address a web-page cell opens: an http or https address ("http://"
// added when the text names no scheme); invalid for anything else, so that
// a contact's text never runs a program or opens a local file.
QUrl WebPageUrl(const QString& text);

struct GridHitTest {
    QPoint point;
    u32 flags = 0;
    int row = -1;
    int column = -1;  // column id
};

struct GridCell {
    int column = -1;
    int image = -1;
    int check = -1;  // -1 none, 0 clear, 1 set
    std::string text;  // UTF-8, as the store keeps it
};

struct GridRow {
    Contact* contact = nullptr;
    u32 state = 0;
    // Measured for the grid's layout generation that it names.
    int height = 0;
    u32 measuredFor = 0;
    // Only the cells asked for so far.
    std::vector<GridCell> cells;
};

class CRGridCtrl : public QAbstractScrollArea, private CFlatHeaderOwner, public CReportPrinter {
    Q_OBJECT
public:
    static constexpr int kInset = 4;
    static constexpr const char* kWindowText = "Nothing to be spied really ;-)";

    CRGridCtrl(DataMan& dataMan, UserMan& userMan, QWidget* parent = nullptr);
    ~CRGridCtrl() override;

    // Asked before a phone number is dialled; true while a call runs.
    void SetCallInProgress(std::function<bool()> query) { m_callInProgress = std::move(query); }
    // Makes the data of a contacts drag (the container's clipboard format).
    void SetDragDataMaker(std::function<QMimeData*(const std::vector<Contact*>&)> maker)
    {
        m_makeDragData = std::move(maker);
    }

    CFlatHeaderCtrl* Header() const { return m_header; }

    // Rows. A bad row index gives the neutral result.
    int GetRowCount() const { return int(m_rows.size()); }
    Contact* GetRowContact(int row) const;
    u32 GetRowState(int row) const;
    void SetRowState(int row, u32 bits);
    int GetNextSelectedRow(int after) const;
    int GetSelectedCount() const;
    int GetFocusRow() const { return m_nFocusRow; }
    int GetAnchorRow() const { return m_nAnchorRow; }
    int FindContactRow(u32 contactId) const;
    bool AddContactRow(Contact* contact, bool skipFilter, bool refresh);
    void UpdateRow(int row);
    void DeleteRow(int row);
    // Many rows in one pass; indexes in any order.
    void DeleteRows(std::vector<int> rows);
    void DeleteAllRows();
    int Refill(bool resetLayout, bool fill);

    // Contacts.
    std::vector<Contact*> SelectedContacts() const;
    Contact* FocusedContact() const { return GetRowContact(m_nFocusRow); }
    void ContactChanged(u32 contactId);
    void ContactsRemoved(const std::vector<u32>& contactIds);

    // Cells and columns, by column id.
    QString GetCellText(int row, int column);
    int GetCellImage(int row, int column);
    QRect GetCellRect(int row, int column);
    const GridColumnInfo& GetColumnInfo(int column) const;
    // Text alignment of a column: HDF_LEFT, HDF_RIGHT or HDF_CENTER.
    u32 GetColumnAlignment(int column) const;
    int GetColumnWidth(int column) const;
    std::vector<int> GetShownColumns() const;

    // The report style prints the shown columns, scaled to the page (gridprint.cpp).
    void PrintHeader(bool draw, RECT& rect, CPrintDC& dc) override;
    int PrintRow(bool draw, RECT& rect, CPrintDC& dc, const Contact& contact, bool force) override;
    int GetTotalWidth() const;
    int InsertColumn(int column, int position);
    bool RemoveColumnAt(int item);
    int SetColumnWidth(int item, int width);
    int GetColumnPosition(int column) const;
    bool IsColumnShown(int column) const;
    int HeaderItemOfColumn(int column) const;

    // Header pop-up menu commands, on the header item under the menu.
    int GetMenuItem() const { return m_nMenuItem; }
    void SetMenuItem(int item) { m_nMenuItem = item; }
    bool OnHeaderCommand(u32 id);
    // The header's pop-up menu: the four commands, in the menu's order.
    static void AppendHeaderMenu(QMenu* menu);
    void SortAscending();
    void SortDescending();
    void ShowFieldChooser();
    void RemoveColumn();
    CFieldChooserDlg* GetFieldChooser() const;
    void SetFieldChooser(CFieldChooserDlg* chooser);
    void RefillFieldChooser();

    // Layouts kept in the books.
    bool LoadLayout(bool reset);
    void SaveLayout();
    void SetDefaultLayout();
    const Book* GetShownBook() const;

    // Sorting: a stable sort; rows that compare equal keep their order.
    void Sort(int column, int ascending);
    int GetSortColumn() const { return m_nSortColumn; }
    int GetSortDirection() const { return m_nSortDirection; }

    void ApplySettings(bool a, bool b);
    void SetRowImages(const QImage& strip);
    void SetSpacing(int kind, int value);

    // Selection and scrolling.
    GridHitTest HitTest(QPoint point);
    void SelectRange(int focus, int other, bool select, bool keep, bool toggle);
    void SelectAll();
    void EnsureVisible(int row);
    int GetScrollPosition(int bar) const;
    void SetScrollPosition(int bar, int position, bool redraw);
    int GetFirstVisibleRow() const;
    int GetLastFullRow();
    // The first row of the screen whose last whole row is the one given.
    int TopRowEndingAt(int last);
    int GetRowHeight(int row);
    QFont RowFont(const Contact& contact) const;
    const QFont& GridFont() const { return m_font; }

    // Dragging contacts out, and drops (the drop target calls these).
    virtual void BeginDrag(QPoint start);
    virtual bool CanAcceptDrop(const QMimeData* data) const;
    virtual u32 DropFiles(const QMimeData* data);
    virtual u32 DropContacts(const QMimeData* data);
    // While the rows are the results of a search, contacts that come in by
    // a paste or a drop join them instead of the book's listing replacing them.
    void SetShowsFindResults(bool on) { m_bFindResults = on; }
    virtual u32 ImportVCardFile(const QString& path);
    // Shows the contacts the store gained from index firstNew on.
    void ShowContactsAdded(int firstNew);

    // Double-click on a cell (row or column -1 when nothing is hit).
    void OnCellActivate(int row, int column);

signals:
    // A right click on the header; the container shows the header's menu
    // and hands its command to OnHeaderCommand. While nothing listens, the
    // grid shows the menu and carries the command out itself.
    void headerMenuRequested(int item, QPoint globalPos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    // CFlatHeaderOwner
    bool OnHeaderEndDrag(int item, int dropMode) override;
    void OnHeaderOrderChanged() override;
    void OnHeaderItemClick(int item) override;
    void OnHeaderItemWidthChanged(int item, int oldWidth) override;
    void OnHeaderTrack(int item, bool begin) override;
    void OnHeaderDividerDblClick(int item) override;
    void OnHeaderContextMenu(int item, QPoint globalPos) override;

    const GridCell& Cell(GridRow& row, int column);
    void SortMenuItem(int ascending);
    // Makes the column and direction the grid's, sorts and sets the arrow.
    void SortBy(int column, int ascending);
    // The text a row sorts by in a column, case folded.
    std::string SortKey(int row, int column);
    int MeasureRow(GridRow& row);
    void RemeasureAll() { ++m_nLayoutGen; }
    void RemoveAllColumns();
    void ApplyLayout(const struct GridLayout& layout);
    void SetSortArrow();
    void ClampFocusAnchor();
    void RebuildRowMap() const;
    void UpdateScrollRanges();
    void LayoutHeader();
    void NotifySelection();
    void InvalidateRow(int row);
    void ApplyOrder(const std::vector<int>& order);
    void PaintRows(QPainter& p, const QRect& dirty);
    void PaintRow(QPainter& p, const QRect& dirty, int row, int top, int height, bool gridLines);
    bool GridLines() const;
    int RowsAreaHeight() const;
    void ScrollPage(bool down);
    void MoveFocus(int row, Qt::KeyboardModifiers modifiers);
    void LoadFonts();
    void GridFontChanged();
    void SyncHeaderFont();

    DataMan& m_dataMan;
    UserMan& m_userMan;
    std::function<bool()> m_callInProgress;
    std::function<QMimeData*(const std::vector<Contact*>&)> m_makeDragData;

    CFlatHeaderCtrl* m_header;
    ImageList m_rowImages;
    ImageList m_headerImages;
    int m_nInset = kInset;
    int m_nSpacingLow = 8;
    int m_nSpacingHigh = 8;
    QFont m_font;
    QFont m_headerFont;
    COLORREF m_crText = 0;
    COLORREF m_crHeaderText = 0;

    std::array<GridColumnInfo, kGridColumnCount> m_columns;
    std::vector<GridRow> m_rows;
    mutable std::unordered_map<u32, int> m_rowOfContact;
    mutable bool m_bRowMapValid = false;
    u32 m_nLayoutGen = 1;

    int m_nFocusRow = -1;
    int m_nAnchorRow = -1;
    bool m_bFocus = false;
    int m_nSortColumn = kNameColumn;
    int m_nSortDirection = 1;
    u32 m_duShownBook = 0;
    bool m_bHasShownBook = false;
    QPointer<CFieldChooserDlg> m_pFieldChooser;
    int m_nMenuItem = -1;
    int m_nEmptyBoxHeight = 10;

    // Mouse.
    QPoint m_pressPoint;
    bool m_bDragArmed = false;
    bool m_bPendingSingle = false;
    bool m_bDragging = false;
    bool m_bFindResults = false;
    bool m_bTracking = false;
    int m_nTrackItem = -1;
};
