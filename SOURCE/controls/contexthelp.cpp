#include "controls/contexthelp.h"

#include "core/utilities.h"
#include "platform/programfolder.h"
#include "platform/ui/openlink.h"
#include "platform/ui/window.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextEdit>
#include <QWhatsThis>
#include <QWidget>

namespace {

constexpr const char* kHelpTopicsPage = "tolva_welcome.htm";
constexpr u32 IDS_HELP_PAGE_MISSING = 59722;

// Kept as a child of the dialog, so the table goes with it.
class HelpTable : public QObject {
public:
    HelpTable(QWidget* dialog, HelpPairs pairs)
        : QObject(dialog)
        , m_pairs(std::move(pairs))
    {
    }
    const HelpPairs& Pairs() const { return m_pairs; }

private:
    HelpPairs m_pairs;
};

const HelpTable* TableOf(const QWidget* widget)
{
    for (const QObject* child : widget->children()) {
        if (const auto* table = dynamic_cast<const HelpTable*>(child))
            return table;
    }
    return nullptr;
}

// The nearest dialog or page around the widget that has a table.
const HelpTable* NearestTable(const QWidget* widget, const QWidget** owner)
{
    for (; widget; widget = widget->isWindow() ? nullptr : widget->parentWidget()) {
        if (const HelpTable* table = TableOf(widget)) {
            *owner = widget;
            return table;
        }
    }
    return nullptr;
}

// Text the user types keeps its own menu of the right button; read-only
// text has nothing there that the keyboard does not do.
bool IsTextField(const QWidget* widget, const QWidget* owner)
{
    for (; widget; widget = widget == owner ? nullptr : widget->parentWidget()) {
        if (const auto* line = qobject_cast<const QLineEdit*>(widget))
            return !line->isReadOnly();
        if (const auto* text = qobject_cast<const QTextEdit*>(widget))
            return !text->isReadOnly();
        if (const auto* plain = qobject_cast<const QPlainTextEdit*>(widget))
            return !plain->isReadOnly();
        if (const auto* spin = qobject_cast<const QAbstractSpinBox*>(widget))
            return !spin->isReadOnly();
    }
    return false;
}

// The list whose items the widget shows, when it is a list's viewport.
bool IsListViewport(const QWidget* widget)
{
    const auto* view = qobject_cast<const QAbstractItemView*>(widget->parentWidget());
    return view && view->viewport() == widget;
}

// One filter on the application sees the help requests of every dialog
// that has a table, whichever control they reach first.
class ContextHelpFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if (type != QEvent::ContextMenu && type != QEvent::KeyPress && type != QEvent::WhatsThis
            && type != QEvent::QueryWhatsThis && type != QEvent::MouseButtonPress
            && type != QEvent::MouseButtonDblClick)
            return false;
        if (!watched->isWidgetType())
            return false;
        // Typing passes by at once: only the help key is looked at further.
        if (type == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() != Qt::Key_F1)
            return false;
        // Of the mouse only the right button on a list's items: it asks for
        // help, which leaves the chosen item chosen.
        if ((type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick)
            && (static_cast<QMouseEvent*>(event)->button() != Qt::RightButton
                || !IsListViewport(static_cast<QWidget*>(watched))))
            return false;
        auto* widget = static_cast<QWidget*>(watched);
        const QWidget* owner = nullptr;
        const HelpTable* table = NearestTable(widget, &owner);
        if (!table)
            return false;

        switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            // The context menu event that follows shows the help.
            return PairedControl(widget, owner, table->Pairs()) != nullptr;
        case QEvent::KeyPress: {
            if (static_cast<QKeyEvent*>(event)->modifiers() & Qt::ShiftModifier)
                QWhatsThis::enterWhatsThisMode();
            else if (PairedControl(widget, nullptr, table->Pairs()))
                ShowHelpPopup(widget, table->Pairs());
            else
                // Nothing to say about this control: the help pages.
                OpenHelpPage(widget->window());
            return true;
        }
        case QEvent::ContextMenu:
            if (IsTextField(widget, owner))
                return false;
            ShowHelpPopup(widget, table->Pairs());
            return true;
        case QEvent::QueryWhatsThis:
            event->setAccepted(PairedControl(widget, owner, table->Pairs()) != nullptr);
            return true;
        default:
            ShowHelpPopup(widget, table->Pairs());
            return true;
        }
    }
};

}  // namespace

void EnableContextHelp(QWidget* dialog, HelpPairs pairs)
{
    static QPointer<ContextHelpFilter> filter;
    if (!filter) {
        filter = new ContextHelpFilter(qApp);
        qApp->installEventFilter(filter);
    }
    delete TableOf(dialog);
    new HelpTable(dialog, std::move(pairs));
    if (dialog->isWindow() && !dialog->isVisible())
        dialog->setWindowFlag(Qt::WindowContextHelpButtonHint);
}

const HelpPairs* ContextHelpPairs(const QWidget* dialog)
{
    const HelpTable* table = TableOf(dialog);
    return table ? &table->Pairs() : nullptr;
}

bool OpenHelpPage(QWidget* parent, const QString& page)
{
    const QString path = ProgramFolder::SharedPath(QStringLiteral("help/") + page);
    if (OpenLocalPage(path, ProgramFolder::SharedPath(QStringLiteral("help"))))
        return true;
    MsgStopText(FormatResString(IDS_HELP_PAGE_MISSING, path.toStdString()), parent);
    return false;
}

bool OpenHelpPage(QWidget* parent)
{
    return OpenHelpPage(parent, QString::fromLatin1(kHelpTopicsPage));
}
