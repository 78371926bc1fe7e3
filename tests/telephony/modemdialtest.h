// What the tests of dialing through a modem share: TapiMan on the modems
// of pseudo-terminals in a device folder of the test's own, and the parts
// the user and the modem play in a call.
#pragma once

#include "fakemodem.h"
#include "platform/modemprovider.h"
#include "telephonytest.h"

#include <QDir>
#include <QFile>
#include <algorithm>

// Quick enough for a test, slow enough for a loaded machine.
inline const ModemTimeouts kQuick{400, 800, 1500, 400, 50};

class ModemDialTest : public TelephonyTest {
protected:
    void SetUp() override
    {
        TelephonyTest::SetUp();
        SetModemTimeoutsForTesting(&kQuick);
        SetModemSystemPortsForTesting(false);
        Profile::WriteString("TapiMan\\Location", "AreaCode", "555");
    }
    void TearDown() override
    {
        TelephonyTest::TearDown();
        SetModemTimeoutsForTesting(nullptr);
    }

    // TapiMan on the modems of the ports named, the first one chosen once
    // it has been looked at.
    TapiMan& StartModems(const std::string& ports)
    {
        Profile::WriteString(kTapiSection, "ModemPorts", ports);
        StartPlain();
        if (m_tapi->GetLine()->GetConfigCount() > 0) {
            m_tapi->SetCurDevice(0);
            EXPECT_TRUE(
                WaitUntil([this] { return DeviceName(0).find("Looking") == std::string::npos; }, 20000));
        }
        return *m_tapi;
    }
    // TapiMan as the program starts it, after the last run's TapiMan has
    // saved its settings; nothing chosen here.
    TapiMan& StartPlain()
    {
        m_tapi.reset();
        m_tapi = std::make_unique<TapiMan>();
        m_tapi->Init();
        m_tapi->SetDataMan(m_dm.get());
        m_tapi->SetCallStatusUi(&m_user);
        return *m_tapi;
    }
    // A folder standing for /dev with the serial ports given, each a link
    // to a pseudo-terminal: "ttyUSB87" for a device, "serial/by-id/usb-..."
    // for a by-id link to one.
    QString DeviceFolder(const std::vector<std::pair<QString, std::string>>& links)
    {
        const QString folder = m_dir->filePath(QStringLiteral("dev"));
        QDir(folder).mkpath(QStringLiteral("serial/by-id"));
        for (const auto& [name, target] : links)
            EXPECT_TRUE(QFile::link(QString::fromStdString(target), folder + u'/' + name))
                << name.toStdString();
        SetModemDeviceFolderForTesting(folder.toStdString());
        return folder;
    }
    i32 DeviceNamed(const std::string& start)
    {
        for (i32 device = 0; device < m_tapi->GetLine()->GetConfigCount(); ++device) {
            if (DeviceName(device).rfind(start, 0) == 0)
                return device;
        }
        return kNoTapiDevice;
    }
    std::string DeviceName(i32 device)
    {
        bool available = false;
        return m_tapi->GetLine()->GetDeviceName(device, available);
    }
    // The hang-up goes out off the window's thread, after the call ends.
    static bool WaitForHangUp(FakeModem& modem)
    {
        return WaitUntil([&modem] {
            const std::vector<std::string> commands = modem.Commands();
            return std::find(commands.begin(), commands.end(), "ATH") != commands.end();
        });
    }

    FakeModem m_modem;
};

// Ends the dial as a user who lifts the receiver once the far end answers.
inline void AnswerWhenConnected(CallProgress& progress)
{
    if (progress.LastStatus() == TCS_CONNECTED && !progress.IsHungUp() && progress.IsOkEnabled()) {
        progress.Ok();
        progress.Ok();
    }
}

// The user closes the dialog once the call is over.
inline void EndWhenOver(CallProgress& progress)
{
    if (progress.LastStatus() == TCS_DISCONNECTED)
        progress.Cancel(false);
}

// A modem that dials, says OK, and then reports what the far end does.
inline FakeModem::Script Dialing(std::string afterDial, int delayMs = 0)
{
    return [afterDial, delayMs](const std::string& command) {
        if (command.rfind("ATD", 0) == 0)
            return std::vector<FakeModem::Say>{{delayMs, "\r\n" + afterDial + "\r\n"}};
        return FakeModem::Plain(command);
    };
}

inline FakeModem::Script Silent()
{
    return [](const std::string&) { return std::vector<FakeModem::Say>{}; };
}
