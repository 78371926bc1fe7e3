#include "controls/styledline.h"

#include <QPaintDevice>
#include <QPainter>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <utility>

void StyledLine::SetDC(const QPaintDevice* device)
{
    m_nHorzRes = device ? device->width() : 0;
    // Drawing on a window goes by the width of its screen, not of the window,
    // so a narrow window on a wide screen draws the same dashes as the rest.
    if (device && device->devType() == QInternal::Widget) {
        if (const QScreen* screen = static_cast<const QWidget*>(device)->screen())
            m_nHorzRes = screen->geometry().width();
    }
}

std::vector<int> StyledLine::Runs(int style) const
{
    const int u = m_nHorzRes > kWideDevice ? 2 : 1;
    switch (style) {
    case 1:
        return {4, 5};
    case 2:
        return {u, u};
    case 3:
        return {4, 4, u, 4};
    case 4:
        return {4, 4, u, u, u, 4};
    default:
        return {1, 1};
    }
}

void StyledLine::DrawLine(QPainter& p, int x1, int y1, int x2, int y2, int style)
{
    const bool vertical = x1 == x2;
    int from = vertical ? y1 : x1;
    int to = vertical ? y2 : x2;
    // A line given from its far end is the same line.
    if (to < from)
        std::swap(from, to);
    const int across = vertical ? x1 : y1;
    const std::vector<int> runs = Runs(style);
    m_nRun = 0;
    for (int at = from; at < to;) {
        const int end = std::min(at + runs[size_t(m_nRun)], to);
        if (m_nRun % 2 == 0) {
            if (vertical)
                p.drawLine(across, at, across, end - 1);
            else
                p.drawLine(at, across, end - 1, across);
        }
        at = end;
        m_nRun = (m_nRun + 1) % int(runs.size());
    }
}
