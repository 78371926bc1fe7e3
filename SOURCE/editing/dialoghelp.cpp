#include "editing/dialoghelp.h"

#include "core/utilities.h"

#include <QEvent>
#include <QKeyEvent>
#include <QWidget>

namespace {

class ContextHelpFilter : public QObject {
public:
    ContextHelpFilter(QWidget* dialog, HelpPairs pairs)
        : QObject(dialog)
        , m_dialog(dialog)
        , m_pairs(std::move(pairs))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const bool help = event->type() == QEvent::ContextMenu
            || (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1);
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!help || !widget || widget->window() != m_dialog)
            return false;
        ShowHelpPopup(m_dialog, m_pairs);
        return true;
    }

private:
    QWidget* m_dialog;
    HelpPairs m_pairs;
};

}  // namespace

void EnableContextHelp(QWidget* dialog, HelpPairs pairs)
{
    auto* filter = new ContextHelpFilter(dialog, std::move(pairs));
    dialog->installEventFilter(filter);
    for (QWidget* child : dialog->findChildren<QWidget*>())
        child->installEventFilter(filter);
}
