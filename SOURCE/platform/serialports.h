// The serial ports a modem may sit on, found from their names alone: none
// is opened to list it, since opening a port raises DTR and resets or
// disturbs whatever device is behind it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct SerialPortName {
    std::string path;  // as listed: a by-id link, a device, or as the settings name it
    std::string canonical;  // the device node it leads to
    std::string key;  // the same across plugs and runs: the by-id link, else the path
    std::string label;  // vendor and model from the by-id link, else empty
    std::string base;  // the short name messages use: the device, or the link the user named
    bool named = false;  // named in the settings: the user chose it
};

// For tests: each device folder about to be listed and each port about to
// be opened is first shown to the check, and left alone when it says no.
// Set before any port is looked at; ports are opened off the thread of the
// user interface too.
using SerialDeviceCheck = bool (*)(const std::string& path);
void SetSerialDeviceCheckForTesting(SerialDeviceCheck check);
// True unless a test's check refuses the path.
bool SerialDeviceAllowed(const std::string& path);

// by-id links first, then the ttyACM and ttyUSB devices of devFolder (none
// when it is empty), then the named paths; each device once.
std::vector<SerialPortName> ListSerialPorts(
    const std::string& devFolder, const std::vector<std::string>& named);

// "usb-Vexa_Modem_56K_0042-if00-port0" gives "Vexa Modem 56K 0042"; a name
// of another form gives itself, at most 80 printable characters.
std::string ByIdLabel(std::string_view linkName);

// The paths of a "ModemPorts" value: separated by ";" or ",", quotes
// around the whole value and spaces around each path dropped.
std::vector<std::string> SplitPortList(std::string_view value);
