// The line provider of real modems: voice-capable modems that take Hayes AT
// commands on a serial port. Ports are found in /dev/serial/by-id, as
// /dev/ttyACM* and /dev/ttyUSB*, and as named by the settings value
// "TapiMan" "ModemPorts" (paths separated by ";"); each is asked AT and ATI
// off the thread of the user interface and listed by the name its modem
// gives, or with the reason it cannot be used. Ports that come and go while
// the program runs are reported as LINE_CREATE and, when open, LINE_CLOSE.
//
// A call sends the device's initialisation string, then ATDT<number>; (or
// ATDP), and turns the modem's result codes into call states; dropping the
// call sends ATH and closing the line closes the port, so that a handset
// lifted meanwhile keeps the conversation. Every wait for the modem has a
// time limit, and the port is read only when it has bytes.
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
};

// For tests: the times, and whether the system's port folders are searched
// (off leaves only the ports the settings name).
void SetModemTimeoutsForTesting(const ModemTimeouts* timeouts);
void SetModemSystemPortsForTesting(bool search);

std::unique_ptr<LineProvider> MakeModemLineProvider();
