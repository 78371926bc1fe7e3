// A modem's serial port: its settings (kept as the device's configuration
// bytes), opening it for this program alone, finding out who else holds it,
// and asking a modem its name. Nothing here waits without a time limit.
#pragma once

#include "platform/modemanswer.h"
#include "platform/wintypes.h"

#include <atomic>
#include <span>
#include <string>
#include <termios.h>
#include <vector>

struct ModemConfig {
    enum Flow : u8 { kNoFlow = 0, kHardwareFlow = 1, kSoftwareFlow = 2 };
    static constexpr std::size_t kMaxInitLength = 60;

    u32 speed = 115200;
    Flow flow = kHardwareFlow;
    // Sent before every dial; answered by OK. E0 no echo, V1 words, X4 busy
    // and dial-tone detection.
    std::string init = "ATE0V1X4";

    bool operator==(const ModemConfig&) const = default;
};

// The speeds a port is offered at.
std::span<const u32> ModemSpeeds();
// An initialisation string: empty, or "AT" and printable characters, at
// most kMaxInitLength; never a dial or a line break.
bool IsValidInitString(std::string_view init);

// The configuration as stored bytes, and back. Reading refuses anything
// that is not a configuration this program wrote, field by field.
std::vector<u8> EncodeModemConfig(const ModemConfig& config);
bool DecodeModemConfig(std::span<const u8> bytes, ModemConfig& config);

struct PortOpening {
    enum Outcome { kOpened, kBusy, kGone, kDenied, kFailed };
    Outcome outcome = kFailed;
    int fd = -1;
    std::string detail;  // who holds the port, or the system's reason
    termios original{};  // the line settings the port had, given back on closing
};

// Opens a serial port without blocking and without becoming its
// controlling terminal, takes it for this program (a lock other programs
// see) and sets it raw at the configuration's speed and flow control.
// Another program's lock gives kBusy; with findHolders, so does another
// program of this user that keeps the port open without a lock, named
// (a search of the process table that takes a while).
PortOpening OpenModemPort(const std::string& path, const ModemConfig& config, bool findHolders);
// Drops what is still to be sent, gives the port back its original line
// settings and closes it; never waits for the device.
void CloseModemPort(int fd, const termios& original);
// Stops a dial still running (stopDial), sends ATH and closes the port,
// waiting at most timeoutMs for the port to take each command (a modem
// holding the line by flow control) and as long for each answer. Blocks:
// run it off the thread of the user interface.
void HangUpModemPort(int fd, const termios& original, bool stopDial, int timeoutMs);

// Writes a command and its CR; false when the port did not take it all.
bool WriteModemCommand(int fd, std::string_view command);

struct ModemProbe {
    enum State { kModem, kSilent, kBusy, kGone, kDenied };
    State state = kSilent;
    std::string name;  // what the modem calls itself
    std::string detail;
};

// Asks the port's modem AT and ATI, each within timeoutMs; stops early
// when stop becomes true, and does not open the port when it already is.
// Blocks the calling thread: run it off the thread of the user interface.
ModemProbe ProbeModemPort(
    const std::string& path, const ModemConfig& config, int timeoutMs, const std::atomic<bool>& stop);
