// Checks of a dialog's context help against the topics file that ships with
// the program: each pair names a control of the dialog and a topic with a
// text, and a right click or the help key on a control shows that text.
#pragma once

#include "controls/contexthelp.h"
#include "platform/helptopics.h"
#include "platform/programfolder.h"
#include "platform/ui/helpballoon.h"
#include "platform/ui/msgboxsink.h"
#include "platform/ui/window.h"
#include "support/testenv.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QTest>
#include <QWidget>
#include <algorithm>
#include <gtest/gtest.h>

// Shows real balloons from the shipped topics file for the life of a scope.
class ShippedHelp {
public:
    ShippedHelp()
        : m_sink(m_widgets)
    {
        ProgramFolder::SetSharedPathForTesting(TestDataPath(QStringLiteral("../../SOURCE/res")));
    }
    ~ShippedHelp()
    {
        CloseBalloon();
        ProgramFolder::SetSharedPathForTesting({});
    }
    static const HelpTopics& Topics()
    {
        return HelpTopicsOfFile(
            ProgramFolder::SharedPath(QStringLiteral("help/popup/topics.txt")).toStdString());
    }
    static void CloseBalloon()
    {
        if (CHelpBalloon* balloon = CHelpBalloon::Current()) {
            balloon->close();
            QApplication::processEvents();
        }
    }

private:
    WidgetMessageSink m_widgets;
    ScopedMessageSink m_sink;
};

// The text of the balloon on screen ("" when none), which is then closed.
inline QString TakeBalloonText()
{
    QApplication::processEvents();
    CHelpBalloon* balloon = CHelpBalloon::Current();
    const QString text = balloon && balloon->isVisible() ? balloon->text() : QString();
    ShippedHelp::CloseBalloon();
    return text;
}

// A right click in the middle of the control, delivered as the window
// system delivers it: to the innermost widget there.
inline QString RightClickHelp(QWidget* control)
{
    const QPoint centre = control->rect().center();
    QWidget* target = control->childAt(centre);
    if (!target)
        target = control;
    const QPoint at = target->mapFrom(control, centre);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, target->mapToGlobal(at));
    QApplication::sendEvent(target, &event);
    return TakeBalloonText();
}

// F1 with the focus on the control.
inline QString HelpKeyHelp(QWidget* control)
{
    control->setFocus();
    QWidget* focus = QApplication::focusWidget() ? QApplication::focusWidget() : control;
    QTest::keyClick(focus, Qt::Key_F1);
    return TakeBalloonText();
}

inline QString TopicText(u32 topic)
{
    return QString::fromStdString(ShippedHelp::Topics().Text(topic));
}

// Every pair of the widget's table names a control inside it and a topic
// with a text; the help key on each control shows its topic.
inline void ExpectSoundHelp(QWidget* dialog, size_t pairCount)
{
    const HelpPairs* pairs = ContextHelpPairs(dialog);
    ASSERT_NE(pairs, nullptr) << dialog->metaObject()->className();
    const auto named
        = std::count_if(pairs->begin(), pairs->end(), [](const auto& pair) { return pair.first != 0; });
    EXPECT_EQ(size_t(named), pairCount) << dialog->metaObject()->className();
    for (const auto& [control, topic] : *pairs) {
        if (control == 0)
            continue;
        QWidget* widget = GetDlgCtrlID(dialog) == int(control) ? dialog : GetDlgItem(dialog, int(control));
        EXPECT_NE(widget, nullptr) << dialog->metaObject()->className() << " has no control " << control;
        EXPECT_FALSE(TopicText(topic).isEmpty()) << "topic " << topic << " has no text";
    }
}
