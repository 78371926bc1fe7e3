// The print preview: the pages of the current job drawn on screen by the
// same passes that print them, one or two side by side, in three zoom
// states, with page scrolling. The pages are measured once, when the job
// is set up; showing any page later draws that page alone.
#pragma once

#include "platform/printdc.h"
#include "print/printinfo.h"

#include <QAbstractScrollArea>
#include <QRect>

class PrintMan;

// Preview commands.
constexpr u32 AFX_ID_PREVIEW_CLOSE = 0xE300;
constexpr u32 AFX_ID_PREVIEW_NUMPAGE = 0xE301;
constexpr u32 AFX_ID_PREVIEW_NEXT = 0xE302;
constexpr u32 AFX_ID_PREVIEW_PREV = 0xE303;
constexpr u32 AFX_ID_PREVIEW_PRINT = 0xE304;
constexpr u32 AFX_ID_PREVIEW_ZOOMIN = 0xE305;
constexpr u32 AFX_ID_PREVIEW_ZOOMOUT = 0xE306;
constexpr u32 ID_PREVIEW_PAGESETUP = 32936;

class CPrintPreviewWnd : public QAbstractScrollArea {
    Q_OBJECT
public:
    enum Zoom { ZOOM_OUT = 0, ZOOM_MIDDLE = 1, ZOOM_IN = 2 };

    explicit CPrintPreviewWnd(PrintMan& printMan, QWidget* parent = nullptr);
    ~CPrintPreviewWnd() override;

    // Runs the begin pass of a job on the paper; the report style lays its
    // rows out by the report printer. The previous job, if any, ends first.
    void SetPrintView(const PageCaps& caps, CReportPrinter* report, bool contactsFlagged);

    const CPrintInfo& Info() const { return m_info; }
    u32 CurrentPage() const { return m_nCurrentPage; }
    int PagesShown() const { return m_nPages; }
    int ZoomState() const { return m_nZoomState; }
    // Where a shown page lies in the window; empty for a slot not shown.
    QRect PageRect(int slot) const;

    void SetCurrentPage(u32 page);
    void SetZoomState(int state, int slot, QPoint point);

    bool CanGoNext() const;
    bool CanGoPrevious() const;
    bool CanChangePageCount() const;
    bool CanZoomIn() const { return m_nZoomState < ZOOM_IN; }
    bool CanZoomOut() const { return m_nZoomState > ZOOM_OUT; }
    void OnNextPage() { SetCurrentPage(m_nCurrentPage + 1); }
    void OnPreviousPage() { SetCurrentPage(m_nCurrentPage - 1); }
    void OnNumPageChange();
    void OnZoomIn() { SetZoomState(m_nZoomState + 1, 0, PageCentre()); }
    void OnZoomOut() { SetZoomState(m_nZoomState - 1, 0, PageCentre()); }

    // "Page 3" or "Pages 3-4", and whether the labels leave lines out.
    QString PageNumberText() const;

    // The number of pages shown when zoomed out, remembered for the run.
    static int RememberedPageCount();

signals:
    // Something the commands depend on changed.
    void stateChanged();
    void statusText(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    // "Page 3" or "Pages 3-4".
    QString PageRangeText() const;
    struct Ratio {
        int num = 1;
        int den = 1;
    };
    void EndJob();
    void Relayout();
    QSize PageSizeOnScreen() const;
    QPoint PageCentre() const;
    void UpdateScrollBars();
    void DrawPage(QPainter& painter, int slot, u32 page);

    PrintMan& m_pm;
    CPrintInfo m_info;
    PageCaps m_caps;
    bool m_bJob = false;
    u32 m_nCurrentPage = 1;
    int m_nPages = 1;
    int m_nZoomOutPages = 1;
    int m_nZoomState = ZOOM_OUT;
    Ratio m_scale;
    QRect m_pageRects[2];
    QPoint m_scroll;  // zoomed in: the offset of the view into the page
};
