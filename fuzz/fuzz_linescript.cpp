// The telephony simulator's script reader on arbitrary bytes. A script that
// reads must keep within the reader's limits, and an error must name a line.
#include "platform/linescript.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    LineScript script;
    std::string error;
    if (ParseLineScript(text, script, error)) {
        if (script.devices.size() > LineScript::kMaxDevices || script.calls.size() > LineScript::kMaxCalls)
            std::abort();
        for (const LineScript::Call& call : script.calls) {
            if (call.events.size() > LineScript::kMaxEventsPerCall
                || call.replyDelayMs > LineScript::kMaxDelayMs)
                std::abort();
            for (const LineScript::Event& event : call.events) {
                if (event.delayMs > LineScript::kMaxDelayMs)
                    std::abort();
            }
            // Every number dialed finds its block or none, at any attempt.
            (void)script.FindCall(call.number, 3);
        }
    } else if (error.rfind("line ", 0) != 0 || !script.devices.empty() || !script.calls.empty()) {
        std::abort();
    }
    return 0;
}
