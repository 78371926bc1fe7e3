#include "controls/cuttexttip.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QStyle>
#include <QToolTip>

namespace {

// Whether the item's text is wider than the room the view gives it: its
// cell, as far as the viewport shows it, without the icon and the margins
// the item is drawn with.
bool IsCut(const QAbstractItemView& view, const QModelIndex& index, const QString& text)
{
    const QRect cell = view.visualRect(index).intersected(view.viewport()->rect());
    const int margin = view.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &view) + 1;
    int room = cell.width() - 2 * margin;
    if (!index.data(Qt::DecorationRole).isNull()) {
        const QSize icon = view.iconSize().isValid()
            ? view.iconSize()
            : QSize(view.style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, &view), 0);
        room -= icon.width() + 2 * margin;
    }
    const QVariant font = index.data(Qt::FontRole);
    const QFontMetrics metrics(font.isValid() ? font.value<QFont>() : view.font());
    return metrics.horizontalAdvance(text) > room;
}

class CutTextTips : public QObject {
public:
    explicit CutTextTips(QAbstractItemView* view)
        : QObject(view)
        , m_view(view)
    {
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::ToolTip)
            return false;
        const auto* help = static_cast<QHelpEvent*>(event);
        const QModelIndex index = m_view->indexAt(help->pos());
        // An item's own tip is the view's to show.
        if (!index.isValid() || index.data(Qt::ToolTipRole).isValid())
            return false;
        const QString text = index.data(Qt::DisplayRole).toString();
        if (text.isEmpty() || !IsCut(*m_view, index, text)) {
            QToolTip::hideText();
            return true;
        }
        QToolTip::showText(help->globalPos(), text, m_view->viewport(), m_view->visualRect(index));
        return true;
    }

private:
    QAbstractItemView* m_view;
};

}  // namespace

void EnableCutTextTips(QAbstractItemView* view)
{
    view->viewport()->installEventFilter(new CutTextTips(view));
}
