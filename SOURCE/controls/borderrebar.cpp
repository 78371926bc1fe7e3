#include "controls/borderrebar.h"

#include "controls/flatdraw.h"
#include "core/userman.h"
#include "platform/ui/syscolor.h"

#include <QHBoxLayout>
#include <QPainter>

CBorderReBar::CBorderReBar(QWidget* parent)
    : QWidget(parent)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(kBorder, kBorder, kBorder, kBorder);
    layout->setSpacing(0);
}

void CBorderReBar::AddBar(QWidget* bar)
{
    layout()->addWidget(bar);
}

void CBorderReBar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QPalette& pal = palette();
    const QRect r = rect();
    p.fillRect(r.adjusted(kBorder, kBorder, -kBorder, -kBorder), GetSysColor(COLOR_3DFACE, pal));
    Draw3dRect(p, r, GetSysColor(COLOR_3DSHADOW, pal), GetSysColor(COLOR_3DHILIGHT, pal));
    const UserMan* settings = AppUserMan();
    const bool innerEdge = settings && (settings->m_dwRebarFlags & kInnerEdge);
    if (innerEdge)
        Draw3dRect(
            p, r.adjusted(1, 1, -1, -1), GetSysColor(COLOR_3DHILIGHT, pal), GetSysColor(COLOR_3DSHADOW, pal));
    else
        Draw3dRect(
            p, r.adjusted(1, 1, -1, -1), GetSysColor(COLOR_3DFACE, pal), GetSysColor(COLOR_3DFACE, pal));
}
