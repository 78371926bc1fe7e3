// What every fuzz target needs: no message box may stop a run.
#pragma once

#include "platform/msgbox.h"

class SilentSink : public MessageSink {
public:
    int ShowMessage(QObject*, const std::string&, const std::string&, u32) override { return IDOK; }
    void ShowHelpPopup(QObject*, const std::string&, const HelpPairs&) override { }
};
