// The message sink the program installs: real message boxes, and context
// help shown as What's-This pop-ups.
#pragma once

#include "platform/msgbox.h"

#include <QString>

class WidgetMessageSink : public MessageSink {
public:
    int ShowMessage(QObject* owner, const std::string& text, const std::string& title, u32 type) override;
    // The help path names a topics file (a help file's "::/" part is looked up
    // beside it): ".topic <id>" lines, each followed by the topic's text.
    void ShowHelpPopup(QObject* owner, const std::string& helpPath, const HelpPairs& pairs) override;
};

// The text of one topic in a topics file, empty when it has none.
QString FindHelpTopic(const QString& topicsFile, u32 helpId);
