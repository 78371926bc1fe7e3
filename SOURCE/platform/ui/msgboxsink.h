// The message sink the program installs: real message boxes, and context
// help shown in a balloon beside the control.
#pragma once

#include "platform/msgbox.h"

class WidgetMessageSink : public MessageSink {
public:
    int ShowMessage(QObject* owner, const std::string& text, const std::string& title, u32 type) override;
    // The help path names a topics file (a help file's "::/" part is looked up
    // beside it). The owner is the control asked about, or a part of it.
    void ShowHelpPopup(QObject* owner, const std::string& helpPath, const HelpPairs& pairs) override;
};
