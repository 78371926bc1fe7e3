// The simulated line provider and the script it plays. A script lists the
// devices and, per dialed number, what the exchange does after the call is
// requested:
//
//   # a comment
//   init REINIT                 initialising fails with this error
//   device - Office modem       a device; instead of "-", a comma list of
//                               noversion nocaps nomedia inuse noaddress
//                               notranslate
//   call +1 (555) 123-4567      the events of dialing this number ("*": any
//                               other), matched by its digits and "+" alone;
//                               blocks of one number play in turn, the last
//                               one for every further attempt
//   reply 20 [ERROR|never]      the answer to the call request (default:
//                               at once, success)
//   drop ERROR                  the answer to hanging up (default success)
//   100 dialtone                a call state so many ms after the request:
//   900 disconnected noanswer   idle dialtone dialing proceeding ringback
//                               busy specialinfo connected, or disconnected
//                               with normal unknown reject pickup busy
//                               noanswer badaddress unreachable congestion
//                               incompatible unavail nodialtone
//   300 linestate maintenance   a line state: maintenance disconnected
//                               outofservice
//   400 close                   the provider closes the line
//
// ERROR is a result name without its prefix (OPERATIONFAILED, REINIT,
// NODRIVER, NOMEM, RESOURCEUNAVAIL, NOMULTIPLEINSTANCE, ALLOCATED ...).
#pragma once

#include "platform/lineprovider.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct LineScript {
    // Limits a script is read within.
    static constexpr std::size_t kMaxBytes = 1 << 20;
    static constexpr std::size_t kMaxLineBytes = 1024;
    static constexpr std::size_t kMaxDevices = 64;
    static constexpr std::size_t kMaxCalls = 1000;
    static constexpr std::size_t kMaxEventsPerCall = 1000;
    static constexpr u32 kMaxDelayMs = 3600000;

    enum class EventKind { CallState, LineState, Close };
    struct Event {
        u32 delayMs = 0;
        EventKind kind = EventKind::CallState;
        u32 state = 0;
        u32 mode = 0;
    };
    struct Device {
        std::string name;
        bool noVersion = false;
        bool noCaps = false;
        bool noMedia = false;
        bool inUse = false;
        bool noAddress = false;
        bool noTranslate = false;
    };
    struct Call {
        std::string number;  // its digits and "+"; "*" for any number without a block of its own
        u32 replyDelayMs = 0;
        i32 replyResult = 0;
        bool replyNever = false;
        i32 dropResult = 0;
        std::vector<Event> events;
    };

    i32 initResult = 0;
    std::vector<Device> devices;
    std::vector<Call> calls;

    // The block for the attempt-th dial (0 first) of a number, or null.
    const Call* FindCall(std::string_view number, std::size_t attempt) const;
};

// Reads a script. On failure returns false with "line N: what is wrong".
bool ParseLineScript(std::string_view text, LineScript& script, std::string& error);

// The result code of a name without its prefix, as scripts write them.
std::optional<i32> LineErrorFromName(std::string_view name);

std::unique_ptr<LineProvider> MakeScriptLineProvider(LineScript script);
