// Which serial port is the modem across starts, plugs and dials: only the
// one the user chose, known by its name, is ever opened.
#include "controls/flatbutton.h"
#include "modemdialtest.h"
#include "platform/modemport.h"
#include "support/machine.h"
#include "telephony/calllog.h"
#include "telephony/ui/callstatusdlg.h"
#include "telephony/ui/telephonyui.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QTest>
#include <QTimer>

namespace {

void StoreModemSettings(int index, const std::string& name, const ModemConfig& config)
{
    const std::vector<u8> bytes = EncodeModemConfig(config);
    Profile::WriteBinary(
        kTapiSection, ("Device_" + std::to_string(index)).c_str(), bytes.data(), qsizetype(bytes.size()));
    Profile::WriteString(kTapiSection, ("DeviceName_" + std::to_string(index)).c_str(), name);
}

ModemConfig UsersSettings()
{
    ModemConfig config;
    config.speed = 57600;
    config.flow = ModemConfig::kSoftwareFlow;
    return config;
}

}  // namespace

TEST_F(ModemDialTest, APortThatAppearsAfterAStartIsNobodysChoice)
{
    // A first start with no serial port at all saves its settings.
    const QString folder = DeviceFolder({});
    StartPlain();
    EXPECT_EQ(m_tapi->GetCurDevice(), kNoTapiDevice);
    m_tapi.reset();
    // Then a USB serial device is plugged in: a GPS receiver, say.
    ASSERT_TRUE(QFile::link(QString::fromStdString(m_modem.Path()), folder + QStringLiteral("/ttyUSB86")));
    StartPlain();
    ASSERT_EQ(m_tapi->GetLine()->GetConfigCount(), 1);
    EXPECT_EQ(m_tapi->GetCurDevice(), kNoTapiDevice);
    StartPlain();
    EXPECT_EQ(m_tapi->GetCurDevice(), kNoTapiDevice);
    EXPECT_FALSE(WaitUntil([this] { return !m_modem.Commands().empty(); }, 1000));

    // A modem the user chose stays the choice by its name, also over a start
    // that finds no port at all.
    m_tapi->SetCurDevice(0);
    m_tapi.reset();
    ASSERT_TRUE(QFile::remove(folder + QStringLiteral("/ttyUSB86")));
    StartPlain();
    EXPECT_EQ(m_tapi->GetCurDevice(), kNoTapiDevice);
    m_tapi.reset();
    ASSERT_TRUE(QFile::link(QString::fromStdString(m_modem.Path()), folder + QStringLiteral("/ttyUSB86")));
    StartPlain();
    EXPECT_EQ(m_tapi->GetCurDevice(), 0);
}

TEST_F(ModemDialTest, AModemPluggedBackInOnAnotherNodeIsTheSamePort)
{
    const QString folder = DeviceFolder({{QStringLiteral("ttyUSB87"), m_modem.Path()}});
    const std::string key = (folder + QStringLiteral("/ttyUSB87")).toStdString();
    // Set up in an earlier run; an earlier version saved a second record
    // under the same name, with the default settings.
    Profile::WriteInt(kTapiSection, "NumDevs", 2);
    StoreModemSettings(0, key, UsersSettings());
    StoreModemSettings(1, key, ModemConfig());
    Profile::WriteString(kTapiSection, "CurDeviceName", key);
    TapiMan& tapi = StartPlain();
    ASSERT_EQ(tapi.GetCurDevice(), 0);
    const auto expectKept = [this](const char* when) {
        ASSERT_EQ(m_tapi->GetLine()->GetConfigCount(), 1) << when;
        EXPECT_EQ(m_tapi->GetCurDevice(), 0) << when;
        ModemConfig stored;
        ASSERT_TRUE(DecodeModemConfig(m_tapi->GetLine()->GetConfig(0)->blob, stored)) << when;
        EXPECT_EQ(stored, UsersSettings()) << when;
    };
    expectKept("at start");
    ASSERT_TRUE(WaitUntil([this] { return DeviceName(0) == "Tolva Test Voice Modem on ttyUSB87"; }))
        << DeviceName(0);

    // Unplugged, and back as a new device node under the same name.
    ASSERT_TRUE(QFile::remove(folder + QStringLiteral("/ttyUSB87")));
    m_modem.Unplug();
    ASSERT_TRUE(WaitUntil([this] { return DeviceName(0) == "ttyUSB87: unplugged"; })) << DeviceName(0);
    FakeModem replugged;
    ASSERT_TRUE(QFile::link(QString::fromStdString(replugged.Path()), folder + QStringLiteral("/ttyUSB87")));
    EXPECT_TRUE(WaitUntil([this] { return DeviceName(0) == "Tolva Test Voice Modem on ttyUSB87"; }))
        << DeviceName(0);
    expectKept("plugged back in");
    replugged.SetScript(Dialing("NO ANSWER"));
    m_user.onChange = EndWhenOver;
    tapi.Dial(kAllContacts, DIAL_MANUAL, "555 0100", "");
    ASSERT_FALSE(m_user.statuses.empty()) << (Shown().empty() ? "" : Shown().front());
    EXPECT_EQ(m_user.statuses.back(), "Disconnected: No Answer.");
    EXPECT_TRUE(m_messages.shown.empty()) << Shown().front();

    // Saved once under its name, and found so at the next start.
    m_tapi.reset();
    EXPECT_EQ(Profile::GetInt(kTapiSection, "NumDevs", 0), 1);
    EXPECT_EQ(Profile::GetString(kTapiSection, "DeviceName_1"), "");
    StartPlain();
    expectKept("next start");
}

namespace {

// Each answer may be waited for long; the modem may hold a command 3 s.
const ModemTimeouts kPatientHangUp{400, 800, 60000, 3000, 50, 15000, 3000};

}  // namespace

TEST_F(ModemDialTest, CancelClosesTheCallAtOnceOnceTheModemTookTheDial)
{
    SetModemTimeoutsForTesting(&kPatientHangUp);
    // The modem dials and reports the far end ringing; then it holds the
    // line by flow control, or falls silent. The user clicks Cancel Call.
    const auto cancelWhileRinging = [this](FakeModem& modem, bool hold) {
        modem.SetScript([&modem, hold](const std::string& command) {
            if (command.rfind("ATD", 0) != 0)
                return FakeModem::Plain(command);
            if (hold)
                modem.HoldLine(true);
            else
                modem.SetScript(Silent());
            return std::vector<FakeModem::Say>{{0, "\r\nOK\r\n"}, {30, "\r\nRINGING\r\n"}};
        });
        InstallTelephonyUi(*m_tapi, *m_dm, nullptr);
        qint64 cancelling = -1;
        QTimer clicker;
        QObject::connect(&clicker, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<CDialogCallStatus*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            const QList<QLabel*> labels = dialog->findChildren<QLabel*>();
            const bool ringing = std::any_of(labels.begin(), labels.end(),
                [](const QLabel* label) { return label->text() == QStringLiteral("Ring back"); });
            // Once the line is held, the port takes nothing more.
            if (!ringing || (hold && modem.PortTakesBytes()))
                return;
            clicker.stop();
            QElapsedTimer timer;
            timer.start();
            QTest::mouseClick(dialog->CancelButton(), Qt::LeftButton);
            cancelling = dialog->isVisible() ? -2 : timer.elapsed();
        });
        clicker.start(5);
        m_tapi->Dial(kAllContacts, DIAL_MANUAL, "555 0100", "");
        EXPECT_FALSE(m_tapi->GetLine()->IsInCall());
        EXPECT_TRUE(m_messages.shown.empty()) << Shown().front();
        return cancelling;
    };

    StartModems(m_modem.Path());
    const qint64 held = cancelWhileRinging(m_modem, true);
    EXPECT_GE(held, 0);
    EXPECT_LT(held, 1000);
    // The modem lets go: the hang-up, off the thread of the window, reaches it.
    m_modem.HoldLine(false);
    EXPECT_TRUE(WaitForHangUp(m_modem));

    // Another port: the one chosen before is gone, and the user is told.
    FakeModem silent;
    StartModems(silent.Path());
    m_messages.shown.clear();
    const qint64 unanswered = cancelWhileRinging(silent, false);
    EXPECT_GE(unanswered, 0);
    EXPECT_LT(unanswered, 1000);
    std::printf(
        "Cancel took %lld ms against a held line, %lld ms against a silent modem\n", held, unanswered);
}

TEST_F(ModemDialTest, ANumberThatIsNotDialedOpensNoPort)
{
    TapiMan& tapi = StartModems(m_modem.Path());
    const int opened = DeviceChecks(m_modem.Path());
    for (const std::string number : {"call me later", "555-0100;ATH"}) {
        m_messages.shown.clear();
        tapi.Dial(kAllContacts, DIAL_MANUAL, number, "");
        ASSERT_EQ(m_messages.shown.size(), 1u) << number;
        EXPECT_EQ(m_messages.shown[0].text.rfind("The number \"" + number + "\" cannot be dialed.", 0), 0u);
    }
    EXPECT_EQ(DeviceChecks(m_modem.Path()), opened);
}
