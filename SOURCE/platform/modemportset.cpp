#include "platform/modemportset.h"

#include "platform/profile.h"

#include <QMetaObject>
#include <QThreadPool>
#include <algorithm>
#include <atomic>
#include <mutex>

namespace {

constexpr const char* kPortsEntry = "ModemPorts";

}  // namespace

std::vector<std::string> ReadNamedModemPorts()
{
    const std::string read = Profile::GetString("TapiMan", kPortsEntry);
    const std::vector<std::string> paths = SplitPortList(read);
    // The settings reader ends an unquoted value at ";" and takes one with
    // "," for a list it does not give as text: the file then holds more.
    const std::optional<std::string> text = Profile::GetFileText("TapiMan", kPortsEntry);
    if (!text)
        return paths;
    std::vector<std::string> written = SplitPortList(*text);
    if (written.size() <= paths.size() || !std::equal(paths.begin(), paths.end(), written.begin()))
        return paths;
    // Kept whole when the settings are written again, rather than cut
    // at the first ";".
    if (text->find(';') != std::string::npos && !text->starts_with('"'))
        Profile::WriteString("TapiMan", kPortsEntry, *text);
    return written;
}

// What work running on another thread reports back through; the set cuts
// it off when it goes.
struct ModemPortSet::Channel {
    std::mutex mutex;
    QObject* target = nullptr;
    std::atomic<bool> stop{false};
};

ModemPortSet::ModemPortSet(std::function<bool(u32)> inUse)
    : m_channel(std::make_shared<Channel>())
    , m_inUse(std::move(inUse))
{
    m_channel->target = &m_context;
}

ModemPortSet::~ModemPortSet()
{
    const std::lock_guard lock(m_channel->mutex);
    m_channel->target = nullptr;
    m_channel->stop = true;
}

std::vector<u32> ModemPortSet::Rescan(
    const std::string& devFolder, const ModemTimeouts& timeouts, std::vector<u32>& gone)
{
    std::vector<u32> added;
    const std::vector<SerialPortName> listed = ListSerialPorts(devFolder, m_named);
    std::vector<bool> seen(m_ports.size(), false);
    const auto listedKey = [&listed](const std::string& key) {
        return std::any_of(
            listed.begin(), listed.end(), [&key](const SerialPortName& name) { return name.key == key; });
    };
    for (const SerialPortName& name : listed) {
        // A port is known by the name it keeps across plugs: a modem plugged
        // back in on another device node is the same port, with its choice
        // and its settings.
        auto known = std::find_if(m_ports.begin(), m_ports.end(),
            [&name](const Port& port) { return port.listed.key == name.key; });
        // The same device, now or no longer listed through a by-id link;
        // two different by-id links are two devices, whatever node each
        // had.
        if (known == m_ports.end())
            known = std::find_if(m_ports.begin(), m_ports.end(), [&](const Port& port) {
                return port.listed.canonical == name.canonical && !listedKey(port.listed.key)
                    && (port.listed.label.empty() || name.label.empty());
            });
        if (known == m_ports.end()) {
            // Listed by its name only; looked at once the user chose it.
            Port port;
            port.listed = name;
            port.chosen = name.named;
            m_ports.push_back(std::move(port));
            seen.push_back(true);
            added.push_back(u32(m_ports.size() - 1));
            StartProbe(added.back(), timeouts);
            continue;
        }
        const u32 device = u32(known - m_ports.begin());
        seen[device] = true;
        const bool moved = known->listed.canonical != name.canonical;
        const bool back = !known->present || moved;
        // The key stays the name the port's settings are stored under.
        const std::string key = known->listed.key;
        const bool named = known->listed.named;
        known->listed = name;
        known->listed.key = key;
        known->listed.named = named || name.named;
        known->present = true;
        if (back) {
            // What was seen before it went says nothing of what came back.
            known->probed = false;
            known->state = ModemProbe::kSilent;
        }
        if (!known->chosen)
            continue;
        if (back) {
            StartProbe(device, timeouts);
        } else if (known->state == ModemProbe::kBusy) {
            // Usable again once the other program lets go.
            StartProbe(device, timeouts);
        } else if (known->state == ModemProbe::kSilent && known->probed
            && known->sinceProbe.hasExpired(timeouts.silentRetry)) {
            // A modem switched on after it was last asked.
            StartProbe(device, timeouts);
        }
    }
    for (std::size_t device = 0; device < seen.size(); ++device) {
        Port& port = m_ports[device];
        if (seen[device] || !port.present)
            continue;
        port.present = false;
        gone.push_back(u32(device));
    }
    return added;
}

void ModemPortSet::Choose(u32 device, const ModemTimeouts& timeouts)
{
    // Chosen, so asked again when it did not answer before: the modem
    // may have been switched on since.
    Port& port = m_ports[device];
    port.chosen = true;
    if (port.state != ModemProbe::kModem || !port.probed)
        StartProbe(device, timeouts);
}

void ModemPortSet::StartProbe(u32 device, const ModemTimeouts& timeouts)
{
    Port& port = m_ports[device];
    if (!port.chosen || port.probing || port.finishing || (m_inUse && m_inUse(device)))
        return;
    port.probing = true;
    QThreadPool::globalInstance()->start([this, channel = m_channel, device, path = port.listed.path,
                                             config = port.config, timeout = timeouts.probe] {
        ModemProbe probe = ProbeModemPort(path, config, timeout, channel->stop);
        const std::lock_guard lock(channel->mutex);
        if (!channel->target)
            return;
        QMetaObject::invokeMethod(
            channel->target, [this, device, probe = std::move(probe)] { OnProbed(device, probe); },
            Qt::QueuedConnection);
    });
}

void ModemPortSet::HandOff(
    u32 device, int fd, const termios& original, bool stopDial, const ModemTimeouts& timeouts)
{
    ++m_ports[device].finishing;
    QThreadPool::globalInstance()->start(
        [this, channel = m_channel, device, fd, original, stopDial, timeouts] {
            HangUpModemPort(fd, original, stopDial, timeouts.hangUp);
            const std::lock_guard lock(channel->mutex);
            if (channel->target)
                QMetaObject::invokeMethod(
                    channel->target, [this, device, timeouts] { OnFinished(device, timeouts); },
                    Qt::QueuedConnection);
        });
}

void ModemPortSet::OnFinished(u32 device, ModemTimeouts timeouts)
{
    // A port that was not known as a modem is asked again after each dial.
    Port& port = m_ports[device];
    if (--port.finishing == 0 && port.state != ModemProbe::kModem && port.present)
        StartProbe(device, timeouts);
}

void ModemPortSet::OnProbed(u32 device, const ModemProbe& probe)
{
    Port& port = m_ports[device];
    port.probing = false;
    port.probed = true;
    port.sinceProbe.start();
    port.state = probe.state;
    port.name = probe.name;
    port.detail = probe.detail;
    if (probe.state == ModemProbe::kGone)
        port.present = false;
}

std::string ModemPortSet::Name(u32 device) const
{
    const Port& port = m_ports[device];
    const std::string& base = port.listed.base;
    if (!port.present)
        return base + ": unplugged";
    // Never looked at: what its name tells.
    if (!port.probing && !port.probed)
        return port.listed.label.empty() ? base : port.listed.label + " on " + base;
    // A port looked at again keeps what was last seen.
    if (port.probing && !port.probed)
        return "Looking for a modem on " + base + "...";
    switch (port.state) {
    case ModemProbe::kModem:
        return port.name + " on " + base;
    case ModemProbe::kBusy:
        return base + ": in use by " + port.detail;
    case ModemProbe::kDenied:
        return base + ": not allowed (" + port.detail + ")";
    case ModemProbe::kGone:
        return base + ": unplugged";
    case ModemProbe::kSilent:
        break;
    }
    return base + ": no modem answers";
}
