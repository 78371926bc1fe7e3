#include "mainwnd/dragwnd.h"

#include "controls/flatdraw.h"
#include "platform/ui/syscolor.h"

#include <QPainter>
#include <QPolygon>
#include <QRegion>

namespace {

// Floating, never activated, never in the way of the mouse.
void MakeFloating(QWidget* w)
{
    w->setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    w->setAttribute(Qt::WA_ShowWithoutActivating);
    w->setAttribute(Qt::WA_TransparentForMouseEvents);
    w->setAttribute(Qt::WA_DeleteOnClose);
    w->setFocusPolicy(Qt::NoFocus);
}

}  // namespace

CDragWnd::CDragWnd()
    : QWidget(nullptr)
{
    MakeFloating(this);
}

bool CDragWnd::Create(const QRect& rect, CFlatHeaderCtrl* header, int item, const HeaderItem& description)
{
    if (!header || rect.isEmpty())
        return false;
    m_header = header;
    m_nItem = item;
    m_item = description;
    setGeometry(rect);
    return true;
}

void CDragWnd::CentreOn(QPoint globalPos)
{
    move(globalPos - QPoint(width() / 2, height() / 2));
    if (!isVisible())
        show();
}

void CDragWnd::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QPalette& pal = m_header ? m_header->palette() : palette();
    p.fillRect(rect(), GetSysColor(COLOR_3DFACE, pal));
    Draw3dRect(p, rect(), GetSysColor(COLOR_3DHILIGHT, pal), GetSysColor(COLOR_3DSHADOW, pal));
    if (!m_header)
        return;
    p.setFont(m_header->HeaderFont());
    int ascending = 1;
    const bool sorted = m_nItem >= 0 && m_header->GetSortItem(&ascending) == m_nItem;
    m_header->DrawItemContent(p, rect().adjusted(4, 0, -4, 0), m_item, sorted, ascending != 0);
}

CDropWnd::CDropWnd(COLORREF colour)
    : QWidget(nullptr)
    , m_colour(ColorFromRef(colour))
{
    MakeFloating(this);
}

bool CDropWnd::Create(int headerHeight)
{
    m_nHeight = std::max(headerHeight, 0) + kExtraHeight;
    const int h = m_nHeight;
    resize(kWidth, h);
    const QPolygon down({{8, 0}, {8, 4}, {11, 4}, {6, 9}, {1, 4}, {4, 4}, {4, 0}});
    const QPolygon up({{4, h}, {4, h - 4}, {0, h - 4}, {6, h - 10}, {12, h - 4}, {8, h - 4}, {8, h}});
    setMask(QRegion(down).united(QRegion(up)));
    return true;
}

void CDropWnd::MoveTo(int x, int y)
{
    move(x - kWidth / 2, y - m_nHeight / 2);
    if (!isVisible())
        show();
}

void CDropWnd::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), m_colour);
}
