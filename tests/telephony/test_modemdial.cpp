#define QTEST_QPA_MOUSE_HANDLING
#include "controls/flatbutton.h"
#include "modemdialtest.h"
#include "platform/modemprovider.h"
#include "platform/serialports.h"
#include "support/modal.h"
#include "support/pictures.h"
#include "telephony/calllog.h"
#include "telephony/ui/modemdialogs.h"
#include "telephony/ui/telephonyui.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>
#include <QTest>
#include <QThreadPool>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <termios.h>
#include <thread>

TEST_F(ModemDialTest, ADialRunsFromTheModemsOkToTheLoggedCall)
{
    TapiMan& tapi = StartModems(m_modem.Path());
    EXPECT_EQ(
        DeviceName(0), "Tolva Test Voice Modem on " + m_modem.Path().substr(m_modem.Path().rfind('/') + 1));
    m_modem.SetScript([this](const std::string& command) {
        if (command.rfind("ATD", 0) == 0) {
            // Dialed; the far end answers a little later.
            m_modem.Send("\r\nVCON\r\n");
            return std::vector<FakeModem::Say>{{20, "\r\nOK\r\n"}};
        }
        return FakeModem::Plain(command);
    });
    m_user.onChange = AnswerWhenConnected;
    EXPECT_EQ(tapi.Dial(40, DIAL_CONTACT, "+1 (555) 123-4567", "Ann"), 1u);
    EXPECT_EQ(m_user.statuses,
        (std::vector<std::string>{"Dialing +1 (555) 123-4567...", "Connected to +1 (555) 123-4567"}));
    ASSERT_EQ(m_dm->GetCount(DMK_CALL_LOG), 1);
    EXPECT_EQ(LogEntry(0)->m_strNumber, "+1 (555) 123-4567");
    EXPECT_TRUE(m_messages.shown.empty()) << Shown().front();
    // Initialised, dialed by tone without the own area code, then let go.
    ASSERT_TRUE(WaitForHangUp(m_modem));
    const std::vector<std::string> commands = m_modem.Commands();
    ASSERT_GE(commands.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(commands.begin() + 2, commands.end()),
        (std::vector<std::string>{"ATE0V1X4", "ATDT1234567;", "ATH"}));
    EXPECT_FALSE(tapi.GetLine()->IsInCall());
}

TEST_F(ModemDialTest, EachResultCodeEndsTheCallAsTheStatusDialogShowsIt)
{
    TapiMan& tapi = StartModems(m_modem.Path());
    tapi.Options().autoRedial = false;
    m_user.onChange = EndWhenOver;
    const std::pair<std::string, std::string> cases[] = {
        {"BUSY", "Number is busy..."},
        {"7", "Number is busy..."},
        {"NO DIALTONE", "Disconnected: No Dial Tone."},
        {"NO CARRIER", "Disconnected: Unreachable."},
        {"NO ANSWER", "Disconnected: No Answer."},
        {"ERROR", "Disconnected: Bad Address."},
        {"DELAYED", "Disconnected: Congestion."},
    };
    for (const auto& [code, status] : cases) {
        m_modem.SetScript(Dialing(code));
        m_user.statuses.clear();
        EXPECT_EQ(tapi.Dial(kAllContacts, DIAL_MANUAL, "555 0100", ""), 1u);
        ASSERT_FALSE(m_user.statuses.empty()) << code;
        EXPECT_EQ(m_user.statuses.back(), status) << code;
        EXPECT_FALSE(tapi.GetLine()->IsInCall()) << code;
    }
    EXPECT_EQ(m_dm->GetCount(DMK_CALL_LOG), 0);
    EXPECT_TRUE(m_messages.shown.empty()) << Shown().front();

    // A ring back reported by the modem, then the far end hangs up.
    m_modem.SetScript([](const std::string& command) {
        if (command.rfind("ATD", 0) == 0)
            return std::vector<FakeModem::Say>{
                {0, "\r\nOK\r\n"}, {20, "RINGING\r\n"}, {20, "\r\nCONNECT\r\n"}, {20, "\r\nNO CARRIER\r\n"}};
        return FakeModem::Plain(command);
    });
    m_user.statuses.clear();
    tapi.Dial(kAllContacts, DIAL_MANUAL, "555 0100", "");
    EXPECT_EQ(m_user.statuses,
        (std::vector<std::string>{
            "Dialing 555 0100...", "Ring back", "Connected to 555 0100", "Remote Party disconnected."}));
}

namespace {

// How long a slow modem pauses before each answer: long beside what a busy
// machine may keep a thread from running, so that a wait for it on the
// program's thread stands out. The times allowed take the pauses.
constexpr int kPause = 800;
const ModemTimeouts kPatientOfPauses{400, 2 * kPause, 3 * kPause + 100, 2 * kPause, 50};

}  // namespace

TEST_F(ModemDialTest, ASlowGarbledSilentOrVanishingModemNeverHoldsTheProgram)
{
    SetModemTimeoutsForTesting(&kPatientOfPauses);
    // Named through a link that goes with the modem, as a USB modem's device
    // goes when it is pulled out: the terminal's own number may be taken
    // again at once by another program's terminal.
    const QString link = m_dir->filePath(QStringLiteral("modem"));
    ASSERT_TRUE(QFile::link(QString::fromStdString(m_modem.Path()), link));
    TapiMan& tapi = StartModems(link.toStdString());
    tapi.Options().autoRedial = false;
    m_user.onChange = EndWhenOver;
    // The event loop keeps turning whatever the modem does.
    QTimer tick;
    QElapsedTimer sinceTick;
    qint64 longestGap = 0;
    QObject::connect(
        &tick, &QTimer::timeout, [&] { longestGap = std::max(longestGap, sinceTick.restart()); });
    sinceTick.start();
    tick.start(5);
    // A hang-up still running refuses a dial; the user dials again later.
    const std::vector<std::string> hangingUp{
        "Line is already in use.\nThe modem is still hanging up the last call. Try again in a moment."};
    const auto dialOnceFree = [&] {
        const QDeadlineTimer deadline(20000);
        do {
            m_messages.shown.clear();
            tapi.Dial(kAllContacts, DIAL_MANUAL, "555 0100", "");
            if (Shown() != hangingUp)
                return;
            WaitUntil([] { return false; }, 50);
        } while (!deadline.hasExpired());
        ADD_FAILURE() << "the hang-up never let go of the port";
    };

    // Slow and garbled, but the answers come in time.
    m_modem.SetScript([](const std::string& command) {
        if (command.rfind("ATD", 0) == 0)
            return std::vector<FakeModem::Say>{{kPause, "\r\n\x13\xfe#?!\r\n"}, {kPause, "\r\nBUSY\r\n"}};
        return std::vector<FakeModem::Say>{{kPause, "\r\n%$\r\nOK\r\n"}};
    });
    tapi.Dial(kAllContacts, DIAL_MANUAL, "555 0100", "");
    EXPECT_EQ(m_user.statuses.back(), "Number is busy...");
    // The slow modem finishes its answer to the hang-up before it falls silent.
    ASSERT_TRUE(WaitForHangUp(m_modem));

    // No answer to the initialisation: the dial fails and says so.
    m_modem.SetScript([](const std::string&) { return std::vector<FakeModem::Say>{}; });
    dialOnceFree();
    EXPECT_EQ(Shown(),
        std::vector<std::string>{
            "Dial failed.\nThe modem did not answer. Check that it is switched on and connected."});
    EXPECT_FALSE(tapi.GetLine()->IsInCall());

    // No result after the dial command; the hang-up is slow too.
    m_messages.shown.clear();
    m_modem.SetScript([](const std::string& command) {
        if (command == "ATH")
            return std::vector<FakeModem::Say>{{kPause, "\r\nOK\r\n"}};
        return command.rfind("ATD", 0) == 0 ? std::vector<FakeModem::Say>{} : FakeModem::Plain(command);
    });
    tapi.Dial(kAllContacts, DIAL_MANUAL, "555 0100", "");
    EXPECT_EQ(m_user.statuses.back(), "Disconnected: Modem not answering.");
    // The hang-up runs off this thread and holds the port until the modem
    // answers: a dial meanwhile waits for it, then goes out.
    m_messages.shown.clear();
    m_user.statuses.clear();
    tapi.Dial(kAllContacts, DIAL_MANUAL, "555 0100", "");
    EXPECT_TRUE(m_messages.shown.empty()) << Shown().front();
    ASSERT_FALSE(m_user.statuses.empty());
    EXPECT_EQ(m_user.statuses.back(), "Disconnected: Modem not answering.");

    // The modem is unplugged in the middle of the dial.
    m_modem.SetScript([this, link](const std::string& command) {
        if (command.rfind("ATD", 0) == 0)
            QTimer::singleShot(0, qApp, [this, link] {
                m_modem.Unplug();
                QFile::remove(link);
            });
        return FakeModem::Plain(command);
    });
    dialOnceFree();
    // Said apart from a modem that fell silent.
    EXPECT_EQ(m_user.statuses.back(), "Disconnected: Modem unplugged.");
    EXPECT_FALSE(tapi.GetLine()->IsInCall());
    EXPECT_TRUE(WaitUntil([&] { return DeviceName(0).find(": unplugged") != std::string::npos; }))
        << DeviceName(0);
    // Dialing the unplugged modem is refused with a reason.
    m_messages.shown.clear();
    tapi.Dial(kAllContacts, DIAL_MANUAL, "555 0100", "");
    EXPECT_EQ(Shown(), std::vector<std::string>{"Unable to Use Line.\nThe modem was unplugged."});
    // A wait for the modem on this thread would last at least its pause
    // before an answer; a busy machine may hold the thread a fraction of it.
    EXPECT_LT(longestGap, kPause * 2 / 3);
    std::printf("longest wait of the event loop while the modem was slow: %lld ms\n", longestGap);
}

TEST_F(ModemDialTest, NumbersWithCommandCharactersNeverReachTheModem)
{
    TapiMan& tapi = StartModems(m_modem.Path());
    for (const char* number :
        {"555;ATH", "555!", "555@W", "1-800-FLOWERS", "555-0100 ext. twelve", "555 x"}) {
        m_messages.shown.clear();
        tapi.Dial(kAllContacts, DIAL_MANUAL, number, "");
        ASSERT_EQ(m_messages.shown.size(), 1u) << number;
        EXPECT_EQ(
            m_messages.shown[0].text.rfind(std::string("The number \"") + number + "\" cannot be dialed.", 0),
            0u);
    }
    for (const std::string& command : m_modem.Commands())
        EXPECT_EQ(command.rfind("ATD", 0), std::string::npos) << command;
}

TEST_F(ModemDialTest, ModemsPluggedInOrOutAreSeenWhileTheProgramRuns)
{
    const QString link = m_dir->filePath(QStringLiteral("modem"));
    TapiMan& tapi = StartModems(link.toStdString());
    EXPECT_EQ(tapi.GetLine()->GetConfigCount(), 0);
    ASSERT_TRUE(QFile::link(QString::fromStdString(m_modem.Path()), link));
    ASSERT_TRUE(WaitUntil([&] { return tapi.GetLine()->GetConfigCount() == 1; }));
    // Named by the link the user gave, not by the device behind it.
    ASSERT_TRUE(WaitUntil([&] { return DeviceName(0) == "Tolva Test Voice Modem on modem"; }))
        << DeviceName(0);

    // Plugged out while a call waits for the far end: the line closes.
    tapi.SetCurDevice(0);
    m_modem.SetScript(Dialing("OK"));
    m_user.onChange = [&](CallProgress& progress) {
        if (progress.LastStatus() == TCS_DIALING && tapi.GetLine()->IsInCall() && QFile::exists(link))
            QFile::remove(link);
        EndWhenOver(progress);
    };
    tapi.Dial(kAllContacts, DIAL_MANUAL, "555 0100", "");
    EXPECT_EQ(m_user.statuses.back(), "Disconnected: Modem unplugged.");
    EXPECT_FALSE(tapi.GetLine()->IsInCall());
    EXPECT_NE(DeviceName(0).find(": unplugged"), std::string::npos);

    // Back again under the same device.
    ASSERT_TRUE(QFile::link(QString::fromStdString(m_modem.Path()), link));
    ASSERT_TRUE(WaitUntil([&] { return DeviceName(0).rfind("Tolva Test Voice Modem", 0) == 0; }));
    EXPECT_EQ(tapi.GetLine()->GetConfigCount(), 1);
}

TEST_F(ModemDialTest, APortAnotherProgramHoldsIsListedAsSuchAndFreedLater)
{
    QProcess holder;
    holder.setStandardInputFile(QString::fromStdString(m_modem.Path()));
    holder.start(QStringLiteral("sleep"), {QStringLiteral("30")});
    ASSERT_TRUE(holder.waitForStarted());
    TapiMan& tapi = StartModems(m_modem.Path());
    const std::string port = m_modem.Path().substr(m_modem.Path().rfind('/') + 1);
    EXPECT_EQ(DeviceName(0), port + ": in use by sleep");
    tapi.Dial(kAllContacts, DIAL_MANUAL, "555 0100", "");
    EXPECT_EQ(Shown(), std::vector<std::string>{"Line is already in use."});
    EXPECT_TRUE(m_modem.Commands().empty());

    // Once the other program lets go, the port is a modem again.
    holder.kill();
    holder.waitForFinished();
    ASSERT_TRUE(WaitUntil([&] { return DeviceName(0) == "Tolva Test Voice Modem on " + port; }, 20000))
        << DeviceName(0);
}

TEST_F(ModemDialTest, TheDeviceDialogEditsTheSettingsTheNextDialUses)
{
    TapiMan& tapi = StartModems(m_modem.Path());
    InstallTelephonyUi(tapi, *m_dm, nullptr);
    OnModal<CDialogModemSettings>([this](CDialogModemSettings* dialog) {
        QTest::keyClick(dialog->SpeedBox(), Qt::Key_Up);
        dialog->InitEdit()->selectAll();
        QTest::keyClicks(dialog->InitEdit(), "ATDT911");
        QTest::keyClick(dialog->InitEdit(), Qt::Key_Return);
        // Refused, and the dialog stays for the mend.
        EXPECT_EQ(m_messages.shown.size(), 1u);
        EXPECT_TRUE(dialog->isVisible());
        dialog->InitEdit()->selectAll();
        QTest::keyClicks(dialog->InitEdit(), "AT+FCLASS=8;D5551234");
        QTest::keyClick(dialog->InitEdit(), Qt::Key_Return);
        EXPECT_EQ(m_messages.shown.size(), 2u);
        EXPECT_TRUE(dialog->isVisible());
        dialog->InitEdit()->selectAll();
        QTest::keyClicks(dialog->InitEdit(), "AT&F E0 V1 X4 M0");
        QTest::keyClick(dialog->InitEdit(), Qt::Key_Return);
    });
    EXPECT_EQ(tapi.GetLine()->ConfigDialog(nullptr, 0), 1);
    ModemConfig stored;
    ASSERT_TRUE(DecodeModemConfig(tapi.GetLine()->GetConfig(0)->blob, stored));
    EXPECT_EQ(stored.speed, 57600u);
    EXPECT_EQ(stored.init, "AT&F E0 V1 X4 M0");

    // Cancel changes nothing.
    OnModal<CDialogModemSettings>(
        [](CDialogModemSettings* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
    EXPECT_EQ(tapi.GetLine()->ConfigDialog(nullptr, 0), -1);
    ASSERT_TRUE(DecodeModemConfig(tapi.GetLine()->GetConfig(0)->blob, stored));
    EXPECT_EQ(stored.init, "AT&F E0 V1 X4 M0");

    // Kept across a restart, and sent before the next dial.
    TapiMan& again = StartModems(m_modem.Path());
    m_modem.SetScript(Dialing("NO ANSWER"));
    m_user.onChange = EndWhenOver;
    again.Dial(kAllContacts, DIAL_MANUAL, "555 0100", "");
    const std::vector<std::string> commands = m_modem.Commands();
    EXPECT_NE(std::find(commands.begin(), commands.end(), "AT&F E0 V1 X4 M0"), commands.end());
}

TEST_F(ModemDialTest, TheDialingPropertiesChangeWhatTheModemDials)
{
    TapiMan& tapi = StartModems(m_modem.Path());
    InstallTelephonyUi(tapi, *m_dm, nullptr);
    OnModal<CDialogDialingRules>([](CDialogDialingRules* dialog) {
        EXPECT_EQ(dialog->Preview()->text(), "1234567 (tone)");
        dialog->AreaEdit()->selectAll();
        QTest::keyClicks(dialog->AreaEdit(), "21x2;");
        EXPECT_EQ(dialog->AreaEdit()->text(), "212");
        QTest::keyClicks(dialog->OutsideEdit(), "9,@");
        EXPECT_EQ(dialog->OutsideEdit()->text(), "9,");
        dialog->PulseButton()->setFocus();
        QTest::keyClick(dialog->PulseButton(), Qt::Key_Space);
        EXPECT_EQ(dialog->Preview()->text(), "9,15551234567 (pulse)");
        QTest::keyClick(dialog->AreaEdit(), Qt::Key_Return);
    });
    tapi.TranslateDialog("+1 (555) 123-4567");
    m_modem.SetScript(Dialing("BUSY"));
    tapi.Options().autoRedial = false;
    tapi.Dial(kAllContacts, DIAL_MANUAL, "+1 (212) 555-0100", "");
    const std::vector<std::string> commands = m_modem.Commands();
    EXPECT_NE(std::find(commands.begin(), commands.end(), "ATDP9,5550100;"), commands.end());

    OnModal<CDialogDialingRules>([](CDialogDialingRules* dialog) {
        dialog->AreaEdit()->clear();
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    tapi.TranslateDialog("");
    EXPECT_EQ(DialingLocation::Load().areaCode, "212");
}

TEST_F(ModemDialTest, ModemDialogPictures)
{
    if (!FontsAvailable())
        GTEST_SKIP() << "no font";
    const std::pair<const char*, QPalette> palettes[] = {{"light", LightPalette()}, {"dark", DarkPalette()}};
    // Every caption and button shows its whole text inside the dialog.
    const auto checkFits = [](QDialog& dialog, const char* name) {
        for (QWidget* child : dialog.findChildren<QWidget*>()) {
            if (!child->isVisible())
                continue;
            const QRect inDialog(child->mapTo(&dialog, QPoint()), child->size());
            EXPECT_TRUE(dialog.rect().contains(inDialog)) << name << " " << child->metaObject()->className();
            const auto* label = qobject_cast<QLabel*>(child);
            const auto* button = qobject_cast<QAbstractButton*>(child);
            if ((label && !label->wordWrap()) || button) {
                EXPECT_GE(child->width(), child->sizeHint().width())
                    << name << " " << child->metaObject()->className();
            }
        }
    };
    ModemConfig config;
    config.init = "AT&F E0 V1 X4";
    DialingLocation location;
    location.areaCode = "555";
    location.outsideLine = "9,";
    for (const auto& [name, palette] : palettes) {
        ScopedPalette scoped(palette);
        CDialogModemSettings settings("U.S. Voice Modem 56K on ttyACM0", config);
        Grab(&settings);
        checkFits(settings, "settings");
        SavePicture(Grab(&settings), QStringLiteral("modemsettings-%1").arg(name));
        CDialogDialingRules rules(location, "+1 (212) 555-0100");
        Grab(&rules);
        checkFits(rules, "rules");
        SavePicture(Grab(&rules), QStringLiteral("dialingrules-%1").arg(name));
    }
}

namespace {

bool SameLine(const termios& a, const termios& b)
{
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag
        && a.c_lflag == b.c_lflag && cfgetispeed(&a) == cfgetispeed(&b) && cfgetospeed(&a) == cfgetospeed(&b)
        && std::equal(std::begin(a.c_cc), std::end(a.c_cc), std::begin(b.c_cc));
}

// Line settings another program left on the port: 9600 baud, canonical
// input with echo, no flow control.
termios OtherProgramsSettings(int fd)
{
    termios settings{};
    ::tcgetattr(fd, &settings);
    cfsetispeed(&settings, B9600);
    cfsetospeed(&settings, B9600);
    settings.c_cflag &= ~CRTSCTS;
    settings.c_lflag |= ICANON | ECHO;
    ::tcsetattr(fd, TCSANOW, &settings);
    ::tcgetattr(fd, &settings);
    return settings;
}

termios LineOf(int fd)
{
    termios settings{};
    ::tcgetattr(fd, &settings);
    return settings;
}

}  // namespace

TEST_F(ModemDialTest, AUsbSerialPortNobodyChoseIsListedByItsNameAndNeverTouched)
{
    const termios before = OtherProgramsSettings(m_modem.Master());
    DeviceFolder({{QStringLiteral("ttyUSB87"), m_modem.Path()},
        {QStringLiteral("serial/by-id/usb-Vexa_Voice_Modem_56K_0042-if00"), "../../ttyUSB87"}});
    TapiMan& tapi = StartPlain();
    ASSERT_EQ(tapi.GetLine()->GetConfigCount(), 1);
    EXPECT_EQ(DeviceName(0), "Vexa Voice Modem 56K 0042 on ttyUSB87");
    // Rescans come and go; a probe would have come with the first.
    EXPECT_FALSE(WaitUntil([this] { return !m_modem.Commands().empty(); }, 1000));
    EXPECT_TRUE(SameLine(LineOf(m_modem.Master()), before));
    // Another start, after this one saved its settings, leaves it alone too.
    StartPlain();
    EXPECT_FALSE(WaitUntil([this] { return !m_modem.Commands().empty(); }, 500));
    EXPECT_EQ(m_tapi->GetCurDevice(), kNoTapiDevice);
    EXPECT_TRUE(SameLine(LineOf(m_modem.Master()), before));

    // Chosen: looked at, named by its modem, and given back as it was.
    m_tapi->SetCurDevice(0);
    ASSERT_TRUE(WaitUntil([this] { return DeviceName(0) == "Tolva Test Voice Modem on ttyUSB87"; }))
        << DeviceName(0);
    EXPECT_EQ(m_modem.Commands(), (std::vector<std::string>{"AT", "ATI"}));
    EXPECT_TRUE(SameLine(LineOf(m_modem.Master()), before));
    // A dial through it too.
    m_modem.SetScript(Dialing("NO ANSWER"));
    m_user.onChange = EndWhenOver;
    m_tapi->Dial(kAllContacts, DIAL_MANUAL, "555 0100", "");
    EXPECT_EQ(m_user.statuses.back(), "Disconnected: No Answer.");
    // Given back once the hang-up, which follows the call, has gone out.
    EXPECT_TRUE(WaitUntil([&] { return SameLine(LineOf(m_modem.Master()), before); }));
    // The choice holds for the next start, which looks at the port again.
    StartPlain();
    EXPECT_EQ(m_tapi->GetCurDevice(), 0);
    EXPECT_TRUE(WaitUntil([this] { return DeviceName(0) == "Tolva Test Voice Modem on ttyUSB87"; }));
}

TEST_F(ModemDialTest, SeveralPortsNamedInTheSettingsFileAreAllUsedAndKept)
{
    FakeModem second;
    const auto nameBoth = [&](const std::string& value) {
        Profile::Reopen();
        QFile file(Profile::FilePath());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        QByteArray text = file.readAll();
        file.close();
        const qsizetype section = text.indexOf("[TapiMan]\n");
        ASSERT_GE(section, 0);
        text.insert(section + 10, QByteArray::fromStdString("ModemPorts=" + value + "\n"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    };
    const std::vector<std::string> both{m_modem.Path(), second.Path()};
    for (const std::string& value :
        {m_modem.Path() + ";" + second.Path(), m_modem.Path() + ", " + second.Path()}) {
        nameBoth(value);
        StartPlain();
        ASSERT_EQ(m_tapi->GetLine()->GetConfigCount(), 2) << value;
        EXPECT_TRUE(WaitUntil([this] { return DeviceNamed("Tolva Test Voice Modem") != kNoTapiDevice; }));
        EXPECT_TRUE(WaitUntil([&] { return !second.Commands().empty(); })) << value;
        // Written again at exit: both paths stay.
        m_tapi.reset();
        Profile::Reopen();
        const std::optional<std::string> kept = Profile::GetFileText(kTapiSection, "ModemPorts");
        ASSERT_TRUE(kept) << value;
        EXPECT_EQ(SplitPortList(*kept), both) << *kept;
        // A ";" is kept from being read as a comment by quotes around the value.
        if (value.find(';') != std::string::npos) {
            EXPECT_EQ(kept->front(), '"') << *kept;
        }
        Profile::Remove(kTapiSection, "ModemPorts");
    }
}

TEST_F(ModemDialTest, EachPortKeepsItsSettingsAndTheChoiceWhilePortsComeAndGo)
{
    FakeModem other;
    const QString folder
        = DeviceFolder({{QStringLiteral("serial/by-id/usb-Other_Adapter_1-if00"), other.Path()},
            {QStringLiteral("serial/by-id/usb-Vexa_Voice_Modem_2-if00"), m_modem.Path()}});
    TapiMan& tapi = StartPlain();
    ASSERT_EQ(tapi.GetLine()->GetConfigCount(), 2);
    const i32 vexa = DeviceNamed("Vexa Voice Modem 2");
    ASSERT_NE(vexa, kNoTapiDevice);
    tapi.SetCurDevice(vexa);
    InstallTelephonyUi(tapi, *m_dm, nullptr);
    OnModal<CDialogModemSettings>([](CDialogModemSettings* dialog) {
        QTest::keyClick(dialog->SpeedBox(), Qt::Key_Up);
        dialog->InitEdit()->selectAll();
        QTest::keyClicks(dialog->InitEdit(), "AT&F E0 V1 X4 M0");
        QTest::keyClick(dialog->InitEdit(), Qt::Key_Return);
    });
    ASSERT_EQ(tapi.GetLine()->ConfigDialog(nullptr, vexa), 1);
    const auto expectKept = [this](const char* when) {
        const i32 current = m_tapi->GetCurDevice();
        ASSERT_NE(current, kNoTapiDevice) << when;
        EXPECT_EQ(DeviceName(current).rfind("Tolva Test Voice Modem", 0) == 0
                || DeviceName(current).rfind("Vexa Voice Modem 2", 0) == 0
                || DeviceName(current).rfind("Looking", 0) == 0,
            true)
            << when << ": " << DeviceName(current);
        ModemConfig stored;
        ASSERT_TRUE(DecodeModemConfig(m_tapi->GetLine()->GetConfig(current)->blob, stored)) << when;
        EXPECT_EQ(stored.speed, 57600u) << when;
        EXPECT_EQ(stored.init, "AT&F E0 V1 X4 M0") << when;
        EXPECT_TRUE(m_messages.shown.empty()) << when << ": " << Shown().front();
    };

    // Unplugged between two runs: one port fewer.
    ASSERT_TRUE(QFile::remove(folder + QStringLiteral("/serial/by-id/usb-Other_Adapter_1-if00")));
    StartPlain();
    ASSERT_EQ(m_tapi->GetLine()->GetConfigCount(), 1);
    expectKept("one port fewer");
    // Back, with a third port, in another order.
    FakeModem third;
    ASSERT_TRUE(QFile::link(QString::fromStdString(other.Path()),
        folder + QStringLiteral("/serial/by-id/usb-Other_Adapter_1-if00")));
    ASSERT_TRUE(QFile::link(QString::fromStdString(third.Path()), folder + QStringLiteral("/ttyACM0")));
    StartPlain();
    ASSERT_EQ(m_tapi->GetLine()->GetConfigCount(), 3);
    expectKept("two ports more");

    // The chosen port itself gone: nothing else is chosen in its place.
    m_tapi.reset();
    ASSERT_TRUE(QFile::remove(folder + QStringLiteral("/serial/by-id/usb-Vexa_Voice_Modem_2-if00")));
    StartPlain();
    EXPECT_EQ(m_tapi->GetCurDevice(), kNoTapiDevice);
    EXPECT_EQ(Shown(),
        std::vector<std::string>{
            "The number of telephony devices has changed!\n Please, verify modem settings in Preferences."});
    // Plugged in again while the program runs: its settings come back.
    ASSERT_TRUE(QFile::link(QString::fromStdString(m_modem.Path()),
        folder + QStringLiteral("/serial/by-id/usb-Vexa_Voice_Modem_2-if00")));
    ASSERT_TRUE(WaitUntil([this] { return DeviceNamed("Vexa Voice Modem 2") != kNoTapiDevice; }));
    ModemConfig stored;
    ASSERT_TRUE(
        DecodeModemConfig(m_tapi->GetLine()->GetConfig(DeviceNamed("Vexa Voice Modem 2"))->blob, stored));
    EXPECT_EQ(stored.init, "AT&F E0 V1 X4 M0");
    // Still the choice of the next run, which finds it again.
    m_messages.shown.clear();
    StartPlain();
    const i32 found = m_tapi->GetCurDevice();
    ASSERT_NE(found, kNoTapiDevice);
    EXPECT_EQ(QFileInfo(QString::fromStdString(m_tapi->GetLine()->GetConfig(found)->name)).fileName(),
        QStringLiteral("usb-Vexa_Voice_Modem_2-if00"));
    EXPECT_TRUE(m_messages.shown.empty()) << Shown().front();
    for (FakeModem* unchosen : {&other, &third})
        EXPECT_TRUE(unchosen->Commands().empty());
}

TEST_F(ModemDialTest, AModemSwitchedOnLaterIsAskedAgain)
{
    const std::string port = m_modem.Path().substr(m_modem.Path().rfind('/') + 1);
    // When chosen again.
    m_modem.SetScript(Silent());
    StartModems(m_modem.Path());
    EXPECT_EQ(DeviceName(0), port + ": no modem answers");
    m_modem.SetScript(FakeModem::Plain);
    m_tapi->SetCurDevice(0);
    EXPECT_TRUE(WaitUntil([&] { return DeviceName(0) == "Tolva Test Voice Modem on " + port; }))
        << DeviceName(0);

    // At a dial.
    m_modem.SetScript(Silent());
    StartModems(m_modem.Path());
    EXPECT_EQ(DeviceName(0), port + ": no modem answers");
    m_modem.SetScript(Dialing("NO ANSWER"));
    m_user.onChange = EndWhenOver;
    m_tapi->Dial(kAllContacts, DIAL_MANUAL, "555 0100", "");
    EXPECT_EQ(m_user.statuses.back(), "Disconnected: No Answer.");
    EXPECT_TRUE(WaitUntil([&] { return DeviceName(0) == "Tolva Test Voice Modem on " + port; }))
        << DeviceName(0);

    // Now and then while the program runs.
    static const ModemTimeouts retrying{400, 800, 1500, 400, 50, 100};
    SetModemTimeoutsForTesting(&retrying);
    m_modem.SetScript(Silent());
    StartModems(m_modem.Path());
    EXPECT_EQ(DeviceName(0), port + ": no modem answers");
    m_modem.SetScript(FakeModem::Plain);
    EXPECT_TRUE(WaitUntil([&] { return DeviceName(0) == "Tolva Test Voice Modem on " + port; }))
        << DeviceName(0);
}

TEST_F(ModemDialTest, CancelAgainstAModemThatFellSilentClosesTheDialogAtOnce)
{
    // Each answer to the hang-up may be waited for long.
    static const ModemTimeouts patient{400, 800, 60000, 30000, 50};
    SetModemTimeoutsForTesting(&patient);
    TapiMan& tapi = StartModems(m_modem.Path());
    m_modem.SetScript([this](const std::string& command) {
        if (command.rfind("ATD", 0) == 0) {
            m_modem.SetScript(Silent());
            return std::vector<FakeModem::Say>{};
        }
        return FakeModem::Plain(command);
    });
    m_user.onChange = [](CallProgress& progress) {
        if (progress.StatusText().rfind("Dialing", 0) == 0)
            progress.Cancel(false);
    };
    tapi.Dial(kAllContacts, DIAL_MANUAL, "555 0100", "");
    EXPECT_FALSE(tapi.GetLine()->IsInCall());
    EXPECT_EQ(tapi.GetFlags() & TAPIMAN_IN_CALL, 0u);
    // The dialog was gone before the modem was even sent its hang-up: the
    // hang-up goes on without the window.
    const std::vector<std::string> commands = m_modem.Commands();
    EXPECT_EQ(std::find(commands.begin(), commands.end(), "ATH"), commands.end());
    EXPECT_TRUE(m_messages.shown.empty()) << Shown().front();
    // Unplugged, the port the hang-up still holds is let go.
    m_modem.Unplug();
}

TEST_F(ModemDialTest, SettingsOfAnEarlierRunThatNoLongerFitOpenNoPort)
{
    // Stored by index, before ports were kept by name, for one port.
    FakeModem other;
    DeviceFolder({{QStringLiteral("serial/by-id/usb-Other_Adapter_1-if00"), other.Path()},
        {QStringLiteral("serial/by-id/usb-Vexa_Voice_Modem_2-if00"), m_modem.Path()}});
    const std::vector<u8> config = EncodeModemConfig(ModemConfig());
    Profile::WriteInt(kTapiSection, "NumDevs", 1);
    Profile::WriteBinary(kTapiSection, "Device_0", config.data(), qsizetype(config.size()));
    Profile::WriteInt(kTapiSection, "CurDevice", 0);
    StartPlain();
    EXPECT_EQ(Shown(),
        std::vector<std::string>{"The number of telephony devices has changed!\n Please, "
                                 "verify modem settings in Preferences."});
    EXPECT_FALSE(WaitUntil([&] { return !m_modem.Commands().empty() || !other.Commands().empty(); }, 1000));
}

TEST_F(ModemDialTest, ALookAtAPortThatWaitsItsTurnPastTheEndOfTheProgramTouchesNothing)
{
    // Every thread that looks at ports is busy, as when slow modems hang up
    // on a machine with few processors: the look at the chosen port waits.
    QThreadPool* pool = QThreadPool::globalInstance();
    std::atomic<bool> release{false};
    for (int i = 0; i < pool->maxThreadCount(); ++i)
        pool->start([&release] {
            while (!release)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        });
    Profile::WriteString(kTapiSection, "ModemPorts", m_modem.Path());
    StartPlain();
    ASSERT_EQ(m_tapi->GetLine()->GetConfigCount(), 1);
    m_tapi->SetCurDevice(0);
    EXPECT_EQ(DeviceName(0).rfind("Looking for a modem", 0), 0u) << DeviceName(0);
    // The program ends first. Its port's number may by then be another
    // program's terminal: the look opens nothing and says nothing.
    m_tapi.reset();
    release = true;
    pool->waitForDone();
    EXPECT_TRUE(m_modem.Commands().empty());
}
