// The tool tip a view shows when the mouse rests on a point of it, as the
// window system's hover delivers it: "" when none is shown.
#pragma once

#include <QAbstractItemView>
#include <QApplication>
#include <QHelpEvent>
#include <QToolTip>

// A tip fades away in its own time: it is put away at once, so that the
// next point asked starts from none.
inline void PutAwayToolTip()
{
    QToolTip::hideText();
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->inherits("QTipLabel"))
            window->hide();
    }
}

inline QString ToolTipAt(QAbstractItemView* view, QPoint pos)
{
    PutAwayToolTip();
    QHelpEvent event(QEvent::ToolTip, pos, view->viewport()->mapToGlobal(pos));
    QApplication::sendEvent(view->viewport(), &event);
    QApplication::processEvents();
    const QString text = QToolTip::isVisible() ? QToolTip::text() : QString();
    PutAwayToolTip();
    return text;
}
