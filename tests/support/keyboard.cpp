#include "support/keyboard.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QDialog>
#include <QEvent>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <utility>

namespace {

// The control that takes the focus for this one (an editable combo box's
// line edit, a composite's edit).
QWidget* FocusTarget(QWidget* widget)
{
    while (widget && widget->focusProxy())
        widget = widget->focusProxy();
    return widget;
}

// Of buttons that exclude each other, Tab reaches the one checked.
bool PassedOver(const QWidget* widget)
{
    const auto* button = qobject_cast<const QAbstractButton*>(widget);
    if (!button || !button->isCheckable() || button->isChecked())
        return false;
    const QButtonGroup* group = button->group();
    return group && group->exclusive() && group->checkedButton();
}

bool TakesTab(const QWidget* widget, const QWidget* container)
{
    return widget->isVisibleTo(container) && widget->isEnabledTo(container) && !widget->isWindow()
        && (widget->focusPolicy() & Qt::TabFocus) && !widget->focusProxy() && !PassedOver(widget);
}

// The group box right below the container that holds the widget, or the
// widget itself: what the reading order places as one piece.
QWidget* PieceOf(QWidget* widget, const QWidget* container)
{
    QWidget* piece = widget;
    for (QWidget* w = widget->parentWidget(); w && w != container; w = w->parentWidget()) {
        if (qobject_cast<QGroupBox*>(w))
            piece = w;
    }
    return piece;
}

QRect RectIn(const QWidget* widget, const QWidget* container)
{
    return {widget->mapTo(container, QPoint(0, 0)), widget->size()};
}

}  // namespace

QChar MnemonicOf(const QString& text)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != QLatin1Char('&'))
            continue;
        if (text[i + 1] == QLatin1Char('&')) {
            ++i;
            continue;
        }
        return text[i + 1].toLower();
    }
    return {};
}

QString DescribeControl(const QWidget* widget)
{
    QString text;
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
        text = button->text();
    else if (const auto* label = qobject_cast<const QLabel*>(widget))
        text = label->text();
    else if (const auto* group = qobject_cast<const QGroupBox*>(widget))
        text = group->title();
    return QStringLiteral("%1 %2 \"%3\"")
        .arg(QString::fromLatin1(widget->metaObject()->className()), widget->objectName(), text);
}

QStringList DescribeControls(const QList<QWidget*>& widgets)
{
    QStringList lines;
    for (const QWidget* widget : widgets)
        lines << DescribeControl(widget);
    return lines;
}

QStringList MnemonicFaults(const QWidget* window)
{
    std::map<QChar, QStringList> owners;
    const auto take = [&](const QString& text, const QString& owner) {
        if (const QChar letter = MnemonicOf(text); !letter.isNull())
            owners[letter] << owner;
    };
    for (const QWidget* widget : window->findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(window) || widget->window() != window)
            continue;
        if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
            take(button->text(), DescribeControl(widget));
        } else if (const auto* label = qobject_cast<const QLabel*>(widget)) {
            // Without a buddy the letter leads nowhere.
            if (label->buddy())
                take(label->text(), DescribeControl(widget));
        } else if (const auto* group = qobject_cast<const QGroupBox*>(widget)) {
            take(group->title(), DescribeControl(widget));
        } else if (const auto* tabs = qobject_cast<const QTabBar*>(widget)) {
            for (int i = 0; i < tabs->count(); ++i)
                take(tabs->tabText(i), QStringLiteral("tab \"%1\"").arg(tabs->tabText(i)));
        }
    }
    QStringList faults;
    for (const auto& [letter, names] : owners) {
        if (names.size() > 1)
            faults << QStringLiteral("%1: %2").arg(letter, names.join(QStringLiteral(", ")));
    }
    return faults;
}

QStringList MenuMnemonicFaults(const QMenu* menu, const QStringList& skip)
{
    QStringList faults;
    std::map<QChar, QStringList> owners;
    const QString where = menu->title().isEmpty() ? menu->objectName() : menu->title();
    for (const QAction* action : menu->actions()) {
        if (action->isSeparator() || !action->isVisible())
            continue;
        if (const QMenu* sub = action->menu())
            faults << MenuMnemonicFaults(sub, skip);
        if (skip.contains(action->text()))
            continue;
        const QChar letter = MnemonicOf(action->text());
        if (letter.isNull())
            faults << QStringLiteral("%1: \"%2\" has no letter").arg(where, action->text());
        else
            owners[letter] << action->text();
    }
    for (const auto& [letter, texts] : owners) {
        if (texts.size() > 1)
            faults << QStringLiteral("%1: %2: %3").arg(where, letter, texts.join(QStringLiteral(", ")));
    }
    return faults;
}

QList<QWidget*> ReadingOrder(const QWidget* container)
{
    struct Piece {
        QWidget* widget;
        QRect rect;
    };
    std::vector<Piece> pieces;
    for (QWidget* widget : container->findChildren<QWidget*>()) {
        if (!TakesTab(widget, container))
            continue;
        QWidget* piece = PieceOf(widget, container);
        if (std::none_of(pieces.begin(), pieces.end(), [&](const Piece& p) { return p.widget == piece; }))
            pieces.push_back({piece, RectIn(piece, container)});
    }
    std::stable_sort(pieces.begin(), pieces.end(),
        [](const Piece& a, const Piece& b) { return a.rect.top() < b.rect.top(); });
    // A piece that starts above the middle of the row's first piece stands
    // in that row.
    QList<QWidget*> order;
    for (size_t start = 0; start < pieces.size();) {
        const QRect first = pieces[start].rect;
        size_t end = start + 1;
        while (end < pieces.size() && pieces[end].rect.top() < first.top() + first.height() / 2)
            ++end;
        std::stable_sort(pieces.begin() + qsizetype(start), pieces.begin() + qsizetype(end),
            [](const Piece& a, const Piece& b) { return a.rect.left() < b.rect.left(); });
        for (size_t i = start; i < end; ++i) {
            QWidget* piece = pieces[i].widget;
            // A group box's own check box comes before what it holds.
            if (TakesTab(piece, container))
                order << piece;
            if (qobject_cast<QGroupBox*>(piece))
                order << ReadingOrder(piece);
        }
        start = end;
    }
    return order;
}

QList<QWidget*> TabOrder(const QWidget* container)
{
    const QList<QWidget*> reading = ReadingOrder(container);
    if (reading.isEmpty())
        return {};
    QWidget* first = reading.front();
    first->setFocus(Qt::OtherFocusReason);
    QApplication::processEvents();
    QList<QWidget*> order{FocusTarget(QApplication::focusWidget())};
    // Enough presses to go round the window once, whatever lies outside
    // the container.
    const qsizetype limit = container->window()->findChildren<QWidget*>().size() + 1;
    for (qsizetype i = 0; i < limit; ++i) {
        QWidget* focused = QApplication::focusWidget();
        if (!focused)
            break;
        QTest::keyClick(focused, Qt::Key_Tab);
        QWidget* now = FocusTarget(QApplication::focusWidget());
        if (now == order.front())
            break;
        if (now && container->isAncestorOf(now))
            order << now;
    }
    return order;
}

namespace {

bool IsProgramDialog(const QWidget* window)
{
    if (!qobject_cast<const QDialog*>(window))
        return false;
    // Qt's own dialogs (files, colours, message boxes) are Qt's.
    const QString className = QString::fromLatin1(window->metaObject()->className());
    return className == u"QDialog" || !className.startsWith(QLatin1Char('Q'));
}

// Looks at each dialog of the program once the event loop runs after a
// control of it was shown (a page, a row of a mode), and as it goes.
class DialogMnemonicWatch : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if ((event->type() != QEvent::Show && event->type() != QEvent::Hide) || !watched->isWidgetType())
            return false;
        QWidget* window = static_cast<QWidget*>(watched)->window();
        if (!IsProgramDialog(window))
            return false;
        if (event->type() == QEvent::Hide && watched == window) {
            Check(window);
        } else if (!m_pending.contains(window)) {
            m_pending << window;
            QTimer::singleShot(0, this, [this] {
                const QList<QPointer<QWidget>> pending = std::exchange(m_pending, {});
                for (const QPointer<QWidget>& window : pending) {
                    if (window && window->isVisible())
                        Check(window);
                }
            });
        }
        return false;
    }

private:
    void Check(QWidget* window)
    {
        const QStringList faults = MnemonicFaults(window);
        QStringList& reported = m_reported[window];
        if (faults.isEmpty() || faults == reported)
            return;
        if (reported.isEmpty())
            connect(window, &QObject::destroyed, this, [this, window] { m_reported.remove(window); });
        reported = faults;
        ADD_FAILURE() << "Letters shared in " << window->metaObject()->className() << " \""
                      << window->windowTitle().toStdString() << "\":\n"
                      << faults.join(u'\n').toStdString();
    }

    QList<QPointer<QWidget>> m_pending;
    QHash<QObject*, QStringList> m_reported;
};

}  // namespace

void CheckMnemonicsOfEveryDialog()
{
    qApp->installEventFilter(new DialogMnemonicWatch(qApp));
}
