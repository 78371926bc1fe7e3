#include "controls/colorlistctrl.h"

#include "controls/flatctrlman.h"
#include "controls/flatdraw.h"
#include "platform/ui/syscolor.h"
#include "platform/ui/window.h"

#include <QMouseEvent>
#include <QPainter>

CColorListHeader::CColorListHeader(QWidget* parent)
    : QHeaderView(Qt::Horizontal, parent)
{
    // The header draws its own frames.
    SetWindowUserData(this, kFlatOptOut);
    setSectionsClickable(true);
}

void CColorListHeader::paintEvent(QPaintEvent* event)
{
    QHeaderView::paintEvent(event);
    // The frames go over the items after they are drawn, as a post-paint
    // custom draw would put them.
    QPainter painter(viewport());
    const QPalette& pal = palette();
    for (int visual = 0; visual < count(); ++visual) {
        const int logical = logicalIndex(visual);
        if (isSectionHidden(logical))
            continue;
        const QRect rect(sectionViewportPosition(logical), 0, sectionSize(logical), viewport()->height());
        if (logical == m_pressed)
            Draw3dRect(painter, rect, GetSysColor(COLOR_3DDKSHADOW, pal), GetSysColor(COLOR_3DLIGHT, pal));
        else
            Draw3dRect(painter, rect, GetSysColor(COLOR_3DHILIGHT, pal), GetSysColor(COLOR_3DSHADOW, pal));
        Draw3dRect(painter, rect.adjusted(1, 1, -1, -1), GetSysColor(COLOR_3DFACE, pal),
            GetSysColor(COLOR_3DFACE, pal));
    }
}

void CColorListHeader::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_pressed = logicalIndexAt(event->position().toPoint());
        viewport()->update();
    }
    QHeaderView::mousePressEvent(event);
}

void CColorListHeader::mouseReleaseEvent(QMouseEvent* event)
{
    QHeaderView::mouseReleaseEvent(event);
    if (m_pressed != -1) {
        m_pressed = -1;
        viewport()->update();
    }
}

CColorListCtrl::CColorListCtrl(QWidget* parent)
    : QTreeWidget(parent)
{
    setHeader(new CColorListHeader(this));
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
}
