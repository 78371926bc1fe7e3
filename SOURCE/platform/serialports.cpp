#include "platform/serialports.h"

#include "platform/textline.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <atomic>

namespace {

constexpr std::size_t kMaxLabel = 80;

std::atomic<SerialDeviceCheck> g_deviceCheck = nullptr;

// Adds a port unless its device is listed already; returns the one added.
SerialPortName* AddPort(std::vector<SerialPortName>& ports, const QString& path, bool named)
{
    const QFileInfo info(path);
    const std::string canonical = info.canonicalFilePath().toStdString();
    if (canonical.empty())
        return nullptr;
    for (SerialPortName& known : ports) {
        if (known.canonical == canonical) {
            known.named = known.named || named;
            return nullptr;
        }
    }
    SerialPortName port;
    port.path = path.toStdString();
    port.canonical = canonical;
    port.key = port.path;
    port.named = named;
    // Named as listed: a link the user gave keeps its own name.
    port.base = info.fileName().toStdString();
    ports.push_back(std::move(port));
    return &ports.back();
}

}  // namespace

void SetSerialDeviceCheckForTesting(SerialDeviceCheck check)
{
    g_deviceCheck = check;
}

bool SerialDeviceAllowed(const std::string& path)
{
    const SerialDeviceCheck check = g_deviceCheck;
    return !check || check(path);
}

std::vector<SerialPortName> ListSerialPorts(
    const std::string& devFolder, const std::vector<std::string>& named)
{
    std::vector<SerialPortName> ports;
    if (!devFolder.empty() && SerialDeviceAllowed(devFolder)) {
        const QString dev = QString::fromStdString(devFolder);
        const QDir byId(dev + QStringLiteral("/serial/by-id"));
        for (const QString& name : byId.entryList(QDir::System | QDir::Files, QDir::Name)) {
            if (SerialPortName* port = AddPort(ports, byId.filePath(name), false)) {
                port->label = ByIdLabel(name.toStdString());
                // The device the link names ("../../ttyUSB0"), as the system calls it.
                port->base
                    = QFileInfo(QFileInfo(byId.filePath(name)).symLinkTarget()).fileName().toStdString();
                if (port->base.empty())
                    port->base = QFileInfo(QString::fromStdString(port->canonical)).fileName().toStdString();
            }
        }
        const QDir devices(dev);
        for (const QString& name : devices.entryList(
                 {QStringLiteral("ttyACM*"), QStringLiteral("ttyUSB*")}, QDir::System, QDir::Name))
            AddPort(ports, devices.filePath(name), false);
    }
    for (const std::string& path : named)
        AddPort(ports, QString::fromStdString(path), true);
    return ports;
}

std::string ByIdLabel(std::string_view linkName)
{
    std::string_view name = linkName;
    if (name.starts_with("usb-"))
        name.remove_prefix(4);
    // The interface and port of a device with several come last.
    if (const std::size_t at = name.rfind("-if"); at != std::string_view::npos && at > 0)
        name = name.substr(0, at);
    std::string label;
    for (const char c : name) {
        if (label.size() == kMaxLabel)
            break;
        if (c == '_')
            label += ' ';
        else if (c >= 0x20 && c <= 0x7E)
            label += c;
        else
            label += '?';
    }
    return label.empty() ? "?" : label;
}

std::vector<std::string> SplitPortList(std::string_view value)
{
    value = TrimBlanks(value);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    std::vector<std::string> paths;
    while (!value.empty()) {
        const std::size_t end = value.find_first_of(";,");
        const std::string_view path = TrimBlanks(value.substr(0, end));
        if (!path.empty())
            paths.emplace_back(path);
        if (end == std::string_view::npos)
            break;
        value.remove_prefix(end + 1);
    }
    return paths;
}
