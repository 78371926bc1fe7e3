// Message boxes and context-help pop-ups. Everything goes through one
// interface: the program installs the one that shows real windows, tests
// install one that records what would have been shown.
#pragma once

#include "platform/wintypes.h"

#include <string>
#include <utility>
#include <vector>

class QObject;

constexpr u32 MB_OK = 0x0;
constexpr u32 MB_OKCANCEL = 0x1;
constexpr u32 MB_YESNOCANCEL = 0x3;
constexpr u32 MB_YESNO = 0x4;
constexpr u32 MB_ICONHAND = 0x10;
constexpr u32 MB_ICONSTOP = MB_ICONHAND;
constexpr u32 MB_ICONQUESTION = 0x20;
constexpr u32 MB_ICONEXCLAMATION = 0x30;
constexpr u32 MB_ICONINFORMATION = 0x40;
constexpr u32 MB_DEFBUTTON2 = 0x100;
constexpr u32 MB_TASKMODAL = 0x2000;
constexpr u32 MB_TOPMOST = 0x40000;
constexpr u32 MB_TYPEMASK = 0xF;
constexpr u32 MB_ICONMASK = 0xF0;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Pairs of control id and help topic id, as dialogs hand them to the pop-up.
using HelpPairs = std::vector<std::pair<u32, u32>>;

class MessageSink {
public:
    virtual ~MessageSink() = default;
    // owner may be null; the result is IDOK, IDCANCEL, IDYES or IDNO.
    virtual int ShowMessage(QObject* owner, const std::string& text, const std::string& title, u32 type) = 0;
    virtual void ShowHelpPopup(QObject* owner, const std::string& helpPath, const HelpPairs& pairs) = 0;
};

// The sink in use. Before one is installed, messages go to standard error
// and are answered with their default button.
MessageSink& CurrentMessageSink();
// Installs a sink (not owned); null restores the default. Returns the previous one.
MessageSink* SetMessageSink(MessageSink* sink);
bool CurrentMessageSinkIs(const MessageSink* sink);

// Records every message instead of showing it; answers with a set reply.
class RecordingMessageSink : public MessageSink {
public:
    struct Shown {
        std::string text;
        std::string title;
        u32 type = 0;
        // The window the message was shown over.
        QObject* parent = nullptr;
    };
    std::vector<Shown> shown;
    std::vector<std::pair<std::string, HelpPairs>> popups;
    int reply = IDOK;

    int ShowMessage(QObject* parent, const std::string& text, const std::string& title, u32 type) override
    {
        shown.push_back({text, title, type, parent});
        return reply;
    }
    void ShowHelpPopup(QObject*, const std::string& helpPath, const HelpPairs& pairs) override
    {
        popups.emplace_back(helpPath, pairs);
    }
};

// Installs a sink for the life of a scope.
class ScopedMessageSink {
public:
    explicit ScopedMessageSink(MessageSink& sink)
        : m_previous(SetMessageSink(&sink))
    {
    }
    ~ScopedMessageSink() { SetMessageSink(m_previous); }
    ScopedMessageSink(const ScopedMessageSink&) = delete;
    ScopedMessageSink& operator=(const ScopedMessageSink&) = delete;

private:
    MessageSink* m_previous;
};
