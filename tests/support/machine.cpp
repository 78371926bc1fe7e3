#include "support/machine.h"

#include "platform/modemprovider.h"
#include "platform/serialports.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <map>
#include <mutex>
#include <set>

namespace {

// Made before any test runs, read from the threads that open ports.
QStringList g_tempRoots;
std::mutex g_devicesMutex;
std::set<QString> g_devices;
std::map<QString, int> g_checks;

bool Within(const QString& path, const QString& folder)
{
    return path == folder || path.startsWith(folder + QLatin1Char('/'));
}

// The path a port or folder leads to.
QString Target(const std::string& path)
{
    const QFileInfo info(QString::fromStdString(path));
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

bool CheckDevice(const std::string& path)
{
    {
        const std::lock_guard lock(g_devicesMutex);
        ++g_checks[Target(path)];
    }
    if (IsTestDevice(path))
        return true;
    ADD_FAILURE() << "The test reached the machine's device \"" << path
                  << "\": tests list and open only the ports of a device folder of their own "
                     "(SetModemDeviceFolderForTesting) and the pseudo-terminals they make.";
    return false;
}

class FreshDeviceFolder : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { SetModemDeviceFolderForTesting({}); }
};

}  // namespace

// The print library keeps each queue's page descriptions for the life of the
// process. Built into every test program, so that a run outside
// scripts/test.sh (a desktop's own ctest) does not take it for a leak.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:_ppdCacheCreateWithPPD\n";
}

MachineIsolation::MachineIsolation()
{
    const QString temp = QDir::tempPath();
    g_tempRoots = {QDir::cleanPath(temp)};
    if (const QString canonical = QFileInfo(temp).canonicalFilePath(); !g_tempRoots.contains(canonical))
        g_tempRoots << canonical;

    if (m_home.isValid()) {
        for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME"}) {
            const QString folder = m_home.filePath(QString::fromLatin1(name));
            QDir().mkpath(folder);
            qputenv(name, QFile::encodeName(folder));
        }
    }
    // No such socket can exist: every call to CUPS finds no server. libcups
    // takes its configuration folder (client.conf, a local queue's
    // description) from one of the test's own, read once, before anything
    // runs: a scheduler a test starts keeps its configuration there.
    qputenv("CUPS_SERVER", "/dev/null/cups.sock");
    if (m_home.isValid())
        qputenv("CUPS_SERVERROOT", QFile::encodeName(m_home.filePath(QStringLiteral("cups"))));
    qunsetenv("PRINTER");
    qunsetenv("LPDEST");
    // CUPS also lists the printers it finds on the network, through the
    // system bus.
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/dev/null/system_bus_socket");

    SetModemDeviceFolderForTesting({});
    SetSerialDeviceCheckForTesting(&CheckDevice);
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshDeviceFolder);
}

void AllowTestDevice(const std::string& path)
{
    const std::lock_guard lock(g_devicesMutex);
    g_devices.insert(QDir::cleanPath(QString::fromStdString(path)));
}

int DeviceChecks(const std::string& path)
{
    const QString target = Target(path);
    const std::lock_guard lock(g_devicesMutex);
    const auto found = g_checks.find(target);
    return found == g_checks.end() ? 0 : found->second;
}

bool IsTestDevice(const std::string& path)
{
    const QString target = Target(path);
    for (const QString& root : g_tempRoots)
        if (Within(target, root))
            return true;
    const std::lock_guard lock(g_devicesMutex);
    return g_devices.count(target) > 0;
}
