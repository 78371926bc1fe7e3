// What a modem says back on its serial port: lines ended by CR or LF, each
// an echo of the command, a result code (verbose "NO CARRIER" or numeric
// "3"), or information text such as the answer to ATI. The bytes come from
// a device, so nothing about them is trusted: a line is cut at a limit,
// unprintable bytes are replaced, and only a bounded number of lines wait.
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>

enum class ModemResult {
    None,  // information text, or an echo of the command
    Ok,
    Connect,  // also a voice modem's "VCON"
    Ring,
    Ringing,  // the far end rings (modems that report ring back)
    NoCarrier,
    Error,
    NoDialtone,
    Busy,
    NoAnswer,
    Delayed,
    Blacklisted,
};

struct ModemAnswer {
    ModemResult result = ModemResult::None;
    bool echo = false;
    std::string text;  // printable ASCII, at most kMaxLineBytes
};

// The result code a line stands for; None for anything else.
ModemResult ClassifyModemLine(std::string_view line);

class ModemAnswerReader {
public:
    static constexpr std::size_t kMaxLineBytes = 256;
    static constexpr std::size_t kMaxPendingLines = 64;

    void Feed(std::string_view bytes);
    // The next complete line, oldest first; false when none waits.
    bool Next(ModemAnswer& answer);
    void Reset();

private:
    void EndLine();

    std::string m_partial;
    std::deque<ModemAnswer> m_lines;
};
