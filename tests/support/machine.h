// What a test program may touch of the machine it runs on: nothing of the
// user's. Made first in every test program's main(), before the application
// object:
// - the settings and data folders are temporary ones, so a test that sets
//   up no folders of its own still never reads the user's settings (the
//   modem ports they name) or contacts;
// - CUPS is pointed at a server that is not there and network printers are
//   not looked for, so no queue of the machine is listed, taken as the
//   default printer or printed to: tests print to their stand-in queue, or
//   to a scheduler of their own (print/cupsscheduler.h), whose
//   configuration folder this names;
// - each test starts with no serial device folder, and a device folder or
//   port the modem code would list or open outside the test's temporary
//   folders, other than a pseudo-terminal the test made, fails the test and
//   is left alone.
// Child processes (the program itself, a mail stand-in) inherit all of it.
#pragma once

#include <QTemporaryDir>
#include <string>

class MachineIsolation {
public:
    MachineIsolation();
    MachineIsolation(const MachineIsolation&) = delete;
    MachineIsolation& operator=(const MachineIsolation&) = delete;

private:
    QTemporaryDir m_home;
};

// A pseudo-terminal a test made may be opened as a port from now on.
void AllowTestDevice(const std::string& path);
// Whether a port or device folder lies within what tests may touch.
bool IsTestDevice(const std::string& path);
// How often the modem code went to list or open what the path leads to.
int DeviceChecks(const std::string& path);
