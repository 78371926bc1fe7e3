#include "platform/msgbox.h"

#include <cstdio>

namespace {

class StderrSink : public MessageSink {
public:
    int ShowMessage(QObject*, const std::string& text, const std::string& title, u32 type) override
    {
        std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
        switch (type & MB_TYPEMASK) {
        case MB_YESNO:
        case MB_YESNOCANCEL:
            return (type & MB_DEFBUTTON2) ? IDNO : IDYES;
        case MB_OKCANCEL:
            return (type & MB_DEFBUTTON2) ? IDCANCEL : IDOK;
        default:
            return IDOK;
        }
    }
    void ShowHelpPopup(QObject*, const std::string&, const HelpPairs&) override { }
};

StderrSink g_stderrSink;
MessageSink* g_sink = nullptr;

}  // namespace

MessageSink& CurrentMessageSink()
{
    return g_sink ? *g_sink : g_stderrSink;
}

bool CurrentMessageSinkIs(const MessageSink* sink)
{
    return g_sink == sink;
}

MessageSink* SetMessageSink(MessageSink* sink)
{
    MessageSink* previous = g_sink;
    g_sink = sink;
    return previous;
}
