#include "mainwnd/popupwnd.h"

#include "mainwnd/bookpane.h"
#include "platform/ui/syscolor.h"

#include <QMouseEvent>
#include <QPainter>

CPopupWnd::CPopupWnd(QWidget* owner, CDockWnd* pane, const QRect& screenRect)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint)
    , m_prevParent(pane->parentWidget())
    , m_pane(pane)
{
    setObjectName(QStringLiteral("_POPUP_WINDOW_"));
    setAttribute(Qt::WA_DeleteOnClose);
    setMouseTracking(true);
    pane->hide();
    pane->setParent(this);
    setGeometry(screenRect);
    setMinimumWidth(CDockWnd::kMinWidth);
    setMaximumWidth(std::max(CDockWnd::kMinWidth, MaxWidth()));
    show();
    pane->SetPopupState();
    activateWindow();
}

CPopupWnd::~CPopupWnd()
{
    // A pop-up that goes alone gives the pane back; one that goes with the
    // main window after the container takes the pane with it.
    if (m_pane && m_pane->parentWidget() == this && m_prevParent)
        ReturnPane(true);
}

int CPopupWnd::MaxWidth() const
{
    return m_prevParent ? m_prevParent->width() - 95 : 10000;
}

void CPopupWnd::ReturnPane(bool close)
{
    if (CDockWnd* pane = m_pane) {
        m_pane = nullptr;
        pane->hide();
        pane->setParent(m_prevParent);
        if (close)
            pane->SetClosed();
        else if (pane->dockChanged)
            pane->dockChanged();
    }
    hide();
    deleteLater();
}

bool CPopupWnd::OnRightBorder(QPoint pos) const
{
    return pos.x() >= width() - kBorder && pos.x() < width();
}

void CPopupWnd::resizeEvent(QResizeEvent*)
{
    if (m_pane)
        m_pane->setGeometry(kBorder, kBorder, width() - 2 * kBorder, height() - 2 * kBorder);
}

void CPopupWnd::paintEvent(QPaintEvent*)
{
    // A raised frame all round; only its right edge sizes the window.
    QPainter p(this);
    p.fillRect(rect(), GetSysColor(COLOR_3DFACE, this));
    p.setPen(GetSysColor(COLOR_3DSHADOW, this));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void CPopupWnd::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && OnRightBorder(event->position().toPoint())) {
        m_bSizing = true;
        m_nSizeOffset = width() - event->position().toPoint().x();
    }
}

void CPopupWnd::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (m_bSizing) {
        resize(pos.x() + m_nSizeOffset, height());
        return;
    }
    setCursor(OnRightBorder(pos) ? Qt::SizeHorCursor : Qt::ArrowCursor);
}

void CPopupWnd::mouseReleaseEvent(QMouseEvent*)
{
    m_bSizing = false;
}
