#include "print/ui/printpreviewwnd.h"

#include "core/utilities.h"
#include "print/printman.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

namespace {

constexpr u32 IDS_LABEL_LINES_LEFT_OUT = 59637;

}  // namespace

namespace {

constexpr int kMargin = 8;
int g_rememberedPages = 1;

}  // namespace

CPrintPreviewWnd::CPrintPreviewWnd(PrintMan& printMan, QWidget* parent)
    : QAbstractScrollArea(parent)
    , m_pm(printMan)
{
    setObjectName(QStringLiteral("_PREVIEW_WND_"));
    setFrameShape(QFrame::StyledPanel);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

CPrintPreviewWnd::~CPrintPreviewWnd()
{
    EndJob();
}

int CPrintPreviewWnd::RememberedPageCount()
{
    return g_rememberedPages;
}

void CPrintPreviewWnd::EndJob()
{
    if (m_bJob)
        m_pm.EndPrinting();
    m_bJob = false;
}

void CPrintPreviewWnd::SetPrintView(const PageCaps& caps, CReportPrinter* report, bool contactsFlagged)
{
    EndJob();
    m_caps = caps;
    m_info = CPrintInfo();
    m_info.m_bPreview = true;
    m_info.m_pReport = report;
    m_info.m_bContactsFlagged = contactsFlagged;
    CMeasureDC dc(caps);
    m_pm.PrepareDC(dc);
    m_pm.BeginPrinting(dc, m_info);
    m_bJob = true;
    m_nZoomOutPages = std::clamp(g_rememberedPages, 1, 2);
    m_nPages = m_nZoomOutPages;
    m_nZoomState = ZOOM_OUT;
    m_nCurrentPage
        = std::clamp<u32>(m_info.m_nCurPage, m_info.GetMinPage(), std::max(1u, m_info.GetMaxPage()));
    m_scroll = {};
    Relayout();
    emit stateChanged();
}

bool CPrintPreviewWnd::CanGoNext() const
{
    return u32(m_nPages) + m_nCurrentPage - 1 < m_info.GetMaxPage();
}

bool CPrintPreviewWnd::CanGoPrevious() const
{
    return m_info.GetMinPage() < m_nCurrentPage;
}

bool CPrintPreviewWnd::CanChangePageCount() const
{
    return m_nZoomState == ZOOM_OUT && (m_info.GetMaxPage() > 1 || m_nPages == 2);
}

void CPrintPreviewWnd::OnNumPageChange()
{
    if (!CanChangePageCount())
        return;
    m_nPages = 3 - m_nPages;
    m_nZoomOutPages = m_nPages;
    g_rememberedPages = m_nPages;
    Relayout();
    emit statusText(PageNumberText());
    emit stateChanged();
}

void CPrintPreviewWnd::SetCurrentPage(u32 page)
{
    const u32 last = std::max(m_info.GetMinPage(), m_info.GetMaxPage());
    m_nCurrentPage = std::clamp(page, m_info.GetMinPage(), last);
    if (m_nZoomState == ZOOM_OUT) {
        QSignalBlocker block(verticalScrollBar());
        verticalScrollBar()->setValue(int(m_nCurrentPage));
    }
    viewport()->update();
    emit statusText(PageNumberText());
    emit stateChanged();
}

QString CPrintPreviewWnd::PageNumberText() const
{
    // Labels keep the lines that fit them; the status says when some did
    // not, and which envelopes or labels lack an address.
    QString text = PageRangeText();
    if (m_pm.LabelLinesLeftOut())
        text += QStringLiteral("    ") + QString::fromUtf8(LoadResString(IDS_LABEL_LINES_LEFT_OUT));
    if (const QString note = m_pm.AddresslessNote(); !note.isEmpty())
        text += QStringLiteral("    ") + note;
    return text;
}

QString CPrintPreviewWnd::PageRangeText() const
{
    // The job's page description: the first line for one page, the second for two.
    const QStringList parts = QString::fromStdString(m_info.m_strPageDesc).split(QLatin1Char('\n'));
    const u32 last
        = std::min(m_nCurrentPage + u32(m_nPages) - 1, std::max(m_nCurrentPage, m_info.GetMaxPage()));
    if (m_nPages == 1 || last == m_nCurrentPage)
        return QString(parts.value(0)).replace(QStringLiteral("%u"), QString::number(m_nCurrentPage));
    QString text = parts.value(1);
    text.replace(text.indexOf(QStringLiteral("%u")), 2, QString::number(m_nCurrentPage));
    text.replace(text.indexOf(QStringLiteral("%u")), 2, QString::number(last));
    return text;
}

QSize CPrintPreviewWnd::PageSizeOnScreen() const
{
    const double dpiX = logicalDpiX(), dpiY = logicalDpiY();
    return {std::max(1, int(m_caps.physicalWidth * dpiX / 2540)),
        std::max(1, int(m_caps.physicalHeight * dpiY / 2540))};
}

void CPrintPreviewWnd::Relayout()
{
    const QSize page = PageSizeOnScreen();
    const int width = viewport()->width();
    const int height = viewport()->height();
    const int areaWidth = m_nPages == 2 ? (width - 24) / 2 : width - 16;
    const int areaHeight = height - 16;
    // Zoomed out the page fits the area; by width, unless it would be too tall.
    Ratio out{std::max(1, areaWidth), page.width()};
    if (qint64(page.height()) * out.num / out.den > areaHeight)
        out = {std::max(1, areaHeight), page.height()};
    switch (m_nZoomState) {
    case ZOOM_MIDDLE:
        m_scale = {out.num < out.den ? (out.num + out.den) / 2 : (3 * out.num - out.den) / 2, out.den};
        break;
    case ZOOM_IN:
        m_scale = out.den > out.num ? Ratio{1, 1} : Ratio{2 * out.num - out.den, out.den};
        break;
    default:
        m_scale = out;
        break;
    }
    const QSize scaled(int(qint64(page.width()) * m_scale.num / m_scale.den),
        int(qint64(page.height()) * m_scale.num / m_scale.den));
    if (m_nZoomState == ZOOM_OUT) {
        const int x = kMargin + std::max(0, (areaWidth - scaled.width()) / 2);
        const int y = kMargin + std::max(0, (areaHeight - scaled.height()) / 2);
        m_pageRects[0] = QRect(QPoint(x, y), scaled);
        m_pageRects[1] = m_pageRects[0].translated((width - 8) / 2, 0);
    } else {
        m_pageRects[0] = QRect(QPoint(kMargin, kMargin) - m_scroll, scaled);
        m_pageRects[1] = QRect();
    }
    UpdateScrollBars();
    viewport()->update();
}

void CPrintPreviewWnd::UpdateScrollBars()
{
    QScrollBar* v = verticalScrollBar();
    QScrollBar* h = horizontalScrollBar();
    QSignalBlocker blockV(v), blockH(h);
    if (m_nZoomState == ZOOM_OUT) {
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        const u32 max = m_info.GetMaxPage();
        const bool pages = max > m_info.GetMinPage() && max < 32768;
        setVerticalScrollBarPolicy(pages ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
        v->setRange(int(m_info.GetMinPage()), int(std::max(m_info.GetMinPage(), max)));
        v->setPageStep(1);
        v->setSingleStep(1);
        v->setValue(int(m_nCurrentPage));
        return;
    }
    const QSize total = m_pageRects[0].size() + QSize(16, 16);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    h->setRange(0, std::max(0, total.width() - viewport()->width()));
    v->setRange(0, std::max(0, total.height() - viewport()->height()));
    h->setPageStep(viewport()->width());
    v->setPageStep(viewport()->height());
    h->setSingleStep(std::max(1, viewport()->width() / 10));
    v->setSingleStep(std::max(1, viewport()->height() / 10));
    h->setValue(m_scroll.x());
    v->setValue(m_scroll.y());
}

QRect CPrintPreviewWnd::PageRect(int slot) const
{
    return slot >= 0 && slot < m_nPages ? m_pageRects[slot] : QRect();
}

QPoint CPrintPreviewWnd::PageCentre() const
{
    return m_pageRects[0].center();
}

void CPrintPreviewWnd::SetZoomState(int state, int slot, QPoint point)
{
    state = std::clamp(state, int(ZOOM_OUT), int(ZOOM_IN));
    if (state == m_nZoomState)
        return;
    // The point of the page under the mouse, as a fraction of the page.
    const QRect before = m_pageRects[std::clamp(slot, 0, 1)];
    const double fx = before.width() ? double(point.x() - before.left()) / before.width() : 0.5;
    const double fy = before.height() ? double(point.y() - before.top()) / before.height() : 0.5;
    if (state != ZOOM_OUT && slot == 1)
        m_nCurrentPage = std::min(m_nCurrentPage + 1, std::max(1u, m_info.GetMaxPage()));
    m_nZoomState = state;
    m_nPages = state == ZOOM_OUT ? m_nZoomOutPages : 1;
    m_scroll = {};
    Relayout();
    if (state != ZOOM_OUT) {
        // Keep the clicked point under the mouse.
        const QRect after = m_pageRects[0];
        m_scroll = QPoint(int(after.left() + fx * after.width()) - point.x(),
            int(after.top() + fy * after.height()) - point.y());
        m_scroll.setX(std::clamp(m_scroll.x(), 0, horizontalScrollBar()->maximum()));
        m_scroll.setY(std::clamp(m_scroll.y(), 0, verticalScrollBar()->maximum()));
        Relayout();
    }
    emit statusText(PageNumberText());
    emit stateChanged();
}

void CPrintPreviewWnd::DrawPage(QPainter& painter, int slot, u32 page)
{
    const QRect r = m_pageRects[slot];
    // Outline, shadow and the paper.
    painter.setPen(QPen(palette().color(QPalette::Button), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(r.adjusted(-1, -1, 1, 1));
    painter.setPen(QPen(palette().color(QPalette::Shadow), 3));
    painter.drawLine(r.right() + 3, r.top() + 3, r.right() + 3, r.bottom() + 3);
    painter.drawLine(r.left() + 3, r.bottom() + 3, r.right() + 3, r.bottom() + 3);
    painter.fillRect(r, Qt::white);  // paper is white, whatever the desktop's colours
    if (!m_bJob || page > m_info.GetMaxPage() || page < m_info.GetMinPage())
        return;

    painter.save();
    // Nothing is drawn past the paper, not even an envelope wider than it.
    painter.setClipRect(r);
    const double scale = double(r.width()) / std::max(1, m_caps.physicalWidth);
    CPainterDC dc(
        painter, m_caps, scale, QPointF(r.left() + m_caps.offsetX * scale, r.top() + m_caps.offsetY * scale));
    m_pm.PrepareDC(dc);
    m_info.m_nCurPage = page;
    m_info.m_rectDraw = m_caps.DrawRect();
    m_pm.PrintPage(dc, m_info);
    painter.restore();
    painter.resetTransform();
}

void CPrintPreviewWnd::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), palette().color(QPalette::Dark));
    for (int slot = 0; slot < m_nPages; ++slot)
        DrawPage(painter, slot, m_nCurrentPage + u32(slot));
}

void CPrintPreviewWnd::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    Relayout();
}

void CPrintPreviewWnd::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint at = event->position().toPoint();
    for (int slot = 0; slot < m_nPages; ++slot)
        if (m_pageRects[slot].contains(at)) {
            SetZoomState(m_nZoomState == ZOOM_IN ? ZOOM_OUT : m_nZoomState + 1, slot, at);
            return;
        }
}

void CPrintPreviewWnd::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    bool overPage = false;
    for (int slot = 0; slot < m_nPages; ++slot)
        overPage = overPage || m_pageRects[slot].contains(at);
    viewport()->setCursor(overPage && m_nZoomState < ZOOM_IN ? Qt::CrossCursor : Qt::ArrowCursor);
}

void CPrintPreviewWnd::scrollContentsBy(int, int)
{
    if (m_nZoomState == ZOOM_OUT) {
        const u32 page = u32(verticalScrollBar()->value());
        if (page != m_nCurrentPage)
            SetCurrentPage(page);
        return;
    }
    m_scroll = {horizontalScrollBar()->value(), verticalScrollBar()->value()};
    m_pageRects[0].moveTopLeft(QPoint(kMargin, kMargin) - m_scroll);
    viewport()->update();
}
