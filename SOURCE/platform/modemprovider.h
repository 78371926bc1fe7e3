// The line provider of real modems: voice-capable modems that take Hayes AT
// commands on a serial port. Ports are found in /dev/serial/by-id, as
// /dev/ttyACM* and /dev/ttyUSB*, and as named by the settings value
// "TapiMan" "ModemPorts" (paths separated by ";" or ","). Listing a port
// never opens it: a serial port may lead to anything, and opening it resets
// some devices. A port is opened only once the user chose it (named it, picked
// it in the list or dials through it); it is then asked AT and ATI off the
// thread of the user interface and listed by the name its modem gives, or
// with the reason it cannot be used, and asked again when chosen anew, after
// a dial it did not answer, and now and then while it stays silent. Every
// port opened gets its line settings back when it is closed. Ports that
// come and go while the program runs are reported as LINE_CREATE and, when
// open, LINE_CLOSE.
//
// A call sends the device's initialisation string, then ATDT<number>; (or
// ATDP), each once the modem takes it (it may hold the line by flow
// control for a while), and turns the modem's result codes into call
// states. Dropping the call sends ATH and closes the port, so that a
// handset lifted meanwhile keeps the conversation; it runs off the thread
// of the user interface, since a modem may hold the line or fall silent at
// any point of a call, and nobody waits for it. Every wait for the modem
// has a time limit, and the port is read only when it has bytes.
#pragma once

#include "platform/dialingrules.h"
#include "platform/lineprovider.h"
#include "platform/modemport.h"

#include <memory>
#include <string>

// The editors the provider shows: the user interface installs them.
class ModemDialogs {
public:
    virtual ~ModemDialogs() = default;
    // The port settings and initialisation string of one device.
    virtual bool EditModemSettings(const std::string& deviceName, ModemConfig& config) = 0;
    // The dialing location; number, when not empty, is shown translated.
    virtual bool EditDialingRules(DialingLocation& location, const std::string& number) = 0;
};

// Installs the editors (not owned); null removes them. Returns the previous ones.
ModemDialogs* SetModemDialogs(ModemDialogs* dialogs);

struct ModemTimeouts {
    int probe = 1500;  // each of AT and ATI when a port is looked at
    int init = 3000;  // the answer to the initialisation string
    int dial = 60000;  // the first result after the dial command
    int hangUp = 3000;  // the answer to ATH
    int rescan = 2000;  // how often the ports are listed again
    int silentRetry = 15000;  // how long a chosen port that did not answer rests before it is asked again
    int held = 5000;  // how long the modem may hold back a command of a dial by flow control
};

// For tests: the times, and whether the system's port folders are searched
// (off leaves only the ports the settings name).
void SetModemTimeoutsForTesting(const ModemTimeouts* timeouts);
void SetModemSystemPortsForTesting(bool search);
// For tests: the folder searched in place of /dev (its serial/by-id, ttyACM*
// and ttyUSB*); empty searches none.
void SetModemDeviceFolderForTesting(const std::string& folder);

std::unique_ptr<LineProvider> MakeModemLineProvider();
