// The serial ports the modem provider knows, by device index: listed by
// name, looked at (AT, ATI) off the thread of the user interface only once
// chosen, and hung up off that thread when a modem may not answer. The
// indexes stay while the program runs; a port unplugged keeps its index.
#pragma once

#include "platform/modemport.h"
#include "platform/modemprovider.h"
#include "platform/serialports.h"

#include <QElapsedTimer>
#include <QObject>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// The paths "TapiMan" "ModemPorts" names, read as the user wrote them.
std::vector<std::string> ReadNamedModemPorts();

class ModemPortSet {
public:
    struct Port {
        SerialPortName listed;
        ModemConfig config;
        ModemProbe::State state = ModemProbe::kSilent;
        bool present = true;
        // Named in the settings, picked in the list or dialed through: only
        // such a port is ever opened.
        bool chosen = false;
        bool probing = false;
        bool probed = false;
        int finishing = 0;  // hang-ups still running off this thread
        QElapsedTimer sinceProbe;
        std::string name;
        std::string detail;
    };

    // inUse tells whether a device has an open line: such a port is not
    // looked at.
    explicit ModemPortSet(std::function<bool(u32)> inUse);
    // Cuts off the looks and hang-ups still running.
    ~ModemPortSet();
    ModemPortSet(const ModemPortSet&) = delete;
    ModemPortSet& operator=(const ModemPortSet&) = delete;

    void SetNamed(std::vector<std::string> named) { m_named = std::move(named); }
    // Lists the ports again: the devices added are returned, those gone
    // are marked absent and put in gone.
    std::vector<u32> Rescan(
        const std::string& devFolder, const ModemTimeouts& timeouts, std::vector<u32>& gone);
    // The user chose the device: looked at unless known as a modem.
    void Choose(u32 device, const ModemTimeouts& timeouts);
    void StartProbe(u32 device, const ModemTimeouts& timeouts);
    // Hangs up and closes a port off this thread (see HangUpModemPort).
    void HandOff(u32 device, int fd, const termios& original, bool stopDial, const ModemTimeouts& timeouts);

    // The text the device list shows.
    std::string Name(u32 device) const;
    std::size_t size() const { return m_ports.size(); }
    Port& operator[](u32 device) { return m_ports[device]; }
    const Port& operator[](u32 device) const { return m_ports[device]; }

private:
    struct Channel;

    void OnProbed(u32 device, const ModemProbe& probe);
    void OnFinished(u32 device, ModemTimeouts timeouts);

    QObject m_context;
    std::shared_ptr<Channel> m_channel;
    std::function<bool(u32)> m_inUse;
    std::vector<std::string> m_named;
    std::vector<Port> m_ports;
};
