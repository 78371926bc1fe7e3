// The contact grid's column header: flat painting, width limits per item,
// a sort arrow, divider tracking within those limits, and column dragging
// of its own: an item is moved to a new place, or dragged onto the field
// chooser (or, while the chooser is open, anywhere off the header) to be
// removed. What the owner decides is asked through CFlatHeaderOwner.
#pragma once

#include "mainwnd/gridcolumns.h"
#include "platform/ui/imagelist.h"

#include <QColor>
#include <QFont>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <vector>

class CDragWnd;
class CDropWnd;

// Width-limit flags of a header item.
constexpr u32 HLF_SIZE_TO_TITLE = 0x1;
constexpr u32 HLF_ROOM_FOR_ARROW = 0x2;
constexpr u32 HLF_FIXED_WIDTH = 0x4;
constexpr u32 HLF_TITLE_BITMAP = 0x8;

// The header's notifications.
constexpr int HDN_BEGINDRAG = -310;
constexpr int HDN_ENDDRAG = -311;

struct HeaderItem {
    u32 format = HDF_STRING;
    int width = 0;
    QString text;
    int image = -1;
    u32 data = 0;  // the grid's column id
};

struct HeaderLimits {
    u32 flags = 0;
    int minWidth = 0;
    int maxWidth = -1;  // below the minimum: no limit
    bool Limited() const { return minWidth <= maxWidth; }
};

class CFlatHeaderOwner {
public:
    virtual ~CFlatHeaderOwner() = default;
    // True refuses the drag.
    virtual bool OnHeaderBeginDrag(int /*item*/) { return false; }
    // True cancels the header's own reordering.
    virtual bool OnHeaderEndDrag(int /*item*/, int /*dropMode*/) { return false; }
    virtual void OnHeaderOrderChanged() { }
    virtual void OnHeaderItemClick(int /*item*/) { }
    virtual void OnHeaderItemWidthChanged(int /*item*/, int /*oldWidth*/) { }
    // From the press on a divider to the release.
    virtual void OnHeaderTrack(int /*item*/, bool /*begin*/) { }
    virtual void OnHeaderDividerDblClick(int /*item*/) { }
    virtual void OnHeaderContextMenu(int /*item*/, QPoint /*globalPos*/) { }
};

class CFlatHeaderCtrl : public QWidget {
    Q_OBJECT
public:
    enum Option {
        kOptionSpacing = 1,
        kOptionArrowSize = 2,  // low word width, high word height
        kOptionWideLayout = 3,
        kOptionNoDropCursor = 4,
        kOptionDropWindow = 5,  // use SetDropWindow
        kOptionTextColor = 6,  // a COLORREF
    };
    enum DropMode { kDropMove = 0, kDropOnWindow = 1, kDropOff = -1 };
    static constexpr COLORREF kDropArrowsColor = 0xFF0000;
    static constexpr int kDividerZone = 4;

    explicit CFlatHeaderCtrl(QWidget* parent = nullptr);
    ~CFlatHeaderCtrl() override;

    void SetOwner(CFlatHeaderOwner* owner) { m_owner = owner; }
    // 0 for an option outside 1-6, else 1.
    int SetOption(int option, qintptr value);
    void SetDropWindow(QWidget* window);
    QWidget* GetDropWindow() const { return m_dropWindow; }

    // Items, by item index; display positions are kept apart.
    int InsertItem(int position, const HeaderItem& item);
    bool DeleteItem(int item);
    int GetItemCount() const { return int(m_items.size()); }
    const HeaderItem* GetItem(int item) const;
    u32 GetItemData(int item) const;
    QString GetItemText(int item) const;
    int GetItemWidth(int item) const;
    bool SetItemWidth(int item, int width);
    std::vector<int> GetOrderArray() const { return m_order; }
    bool SetOrderArray(const std::vector<int>& order);
    int OrderToIndex(int position) const;
    int IndexToOrder(int item) const;
    // In client coordinates, after the horizontal offset.
    QRect GetItemRect(int item) const;
    int TotalWidth() const;
    void SetOffset(int x);
    int Offset() const { return m_offset; }

    void SetItemLimits(int item, u32 flags, int minWidth, int maxWidth);
    HeaderLimits GetItemLimits(int item) const;
    int GetWantedWidth(const HeaderItem& item, bool withArrow) const;

    void SetSortItem(int item, int ascending);
    int GetSortItem(int* ascending = nullptr) const;

    bool IsDragging() const { return m_bDragging; }
    bool IsTracking() const { return m_bTracking; }
    int GetDropMode() const { return m_nDropMode; }
    int GetHotDivider() const { return m_nDropPos; }
    // Shows the drop arrows at a display position; a position outside
    // 0 to count + 1 hides them. Returns the position.
    int SetHotDivider(int position);
    // The position for a point on the screen: the item under it, plus one
    // right of its centre, or -1 when the point is not on the header.
    int SetHotDividerAt(QPoint globalPos);
    bool HasDropArrows() const { return m_dropWnd != nullptr; }
    // Ends a drag without reordering, as losing the mouse does.
    void CancelDrag();

    // The item under a point (client coordinates), -1 for none; divider
    // set when the point is on the item's right divider.
    int HitTest(QPoint point, bool* divider = nullptr) const;

    void SetImageList(const ImageList* images) { m_images = images; }
    // The owner's font; fonts set on the widget by anyone else are not used.
    void SetHeaderFont(const QFont& font);
    const QFont& HeaderFont() const { return m_font; }
    // The height the header lays itself out at.
    int LayoutHeight() const;

    virtual void DrawItem(QPainter& p, const QRect& dirty);
    virtual void DrawItemContent(
        QPainter& p, const QRect& r, const HeaderItem& item, bool isSortItem, bool ascending);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QColor TextColor() const;
    QColor LegibleOnFace(const QColor& colour) const;
    QPixmap TitleBitmap() const;
    void DrawSortArrow(QPainter& p, const QRect& r, bool ascending) const;
    void UpdateCursor(QPoint point);
    void StartDrag();
    void DragTo(QPoint globalPos);
    void EndDrag(bool drop);

    CFlatHeaderOwner* m_owner = nullptr;
    std::vector<HeaderItem> m_items;
    std::vector<HeaderLimits> m_limits;
    std::vector<int> m_order;  // display position -> item
    const ImageList* m_images = nullptr;
    QFont m_font;
    int m_offset = 0;

    int m_nSpacing = 4;
    QSize m_arrowSize{10, 9};
    bool m_bWideLayout = false;
    int m_nNoDropCursor = 0;
    QPointer<QWidget> m_dropWindow;
    COLORREF m_crText = 0;
    bool m_bOwnTextColor = false;

    int m_nSortItem = -1;
    int m_nSortAscending = 1;

    // Mouse state.
    int m_nPressItem = -1;
    QPoint m_pressPos;
    bool m_bPressInside = false;
    bool m_bTracking = false;
    int m_nTrackItem = -1;
    int m_nTrackStartWidth = 0;
    bool m_bDragging = false;
    int m_nDropPos = -1;
    int m_nDropMode = kDropMove;
    QRect m_dropWindowRect;
    CDragWnd* m_dragWnd = nullptr;
    CDropWnd* m_dropWnd = nullptr;
};
