#include "fakemodem.h"
#include "platform/dialingrules.h"
#include "platform/modemanswer.h"
#include "platform/modemport.h"
#include "platform/profile.h"
#include "support/testenv.h"

#include <QProcess>
#include <QSettings>
#include <sys/file.h>

namespace {

using ModemTest = TolvaTest;

std::vector<ModemAnswer> Answers(ModemAnswerReader& reader)
{
    std::vector<ModemAnswer> answers;
    ModemAnswer answer;
    while (reader.Next(answer))
        answers.push_back(answer);
    return answers;
}

ModemProbe Probe(const std::string& path, int timeoutMs = 300)
{
    const std::atomic<bool> stop{false};
    return ProbeModemPort(path, ModemConfig(), timeoutMs, stop);
}

}  // namespace

TEST_F(ModemTest, AnswersAreSplitClassifiedAndBounded)
{
    ModemAnswerReader reader;
    reader.Feed("AT\r\r\nOK\r\n3\rCONNECT 33600/ARQ\r\nNO DIAL TONE\nvcon\r\x01\xffX\r7\r");
    reader.Feed("NO CAR");
    const std::vector<ModemAnswer> answers = Answers(reader);
    ASSERT_EQ(answers.size(), 8u);
    EXPECT_TRUE(answers[0].echo);
    EXPECT_EQ(answers[1].result, ModemResult::Ok);
    EXPECT_EQ(answers[2].result, ModemResult::NoCarrier);
    EXPECT_EQ(answers[3].result, ModemResult::Connect);
    EXPECT_EQ(answers[4].result, ModemResult::NoDialtone);
    EXPECT_EQ(answers[5].result, ModemResult::Connect);
    // Bytes a modem should not send are shown, never passed on.
    EXPECT_EQ(answers[6].result, ModemResult::None);
    EXPECT_EQ(answers[6].text, "??X");
    EXPECT_EQ(answers[7].result, ModemResult::Busy);
    // A line split between two reads counts once it is complete.
    reader.Feed("RIER\r\n");
    ASSERT_EQ(Answers(reader).front().result, ModemResult::NoCarrier);

    // Neither an endless line nor a flood of lines takes more than the limits.
    reader.Feed(std::string(100000, 'A') + "\r");
    EXPECT_EQ(Answers(reader).front().text.size(), ModemAnswerReader::kMaxLineBytes);
    for (int i = 0; i < 100; ++i)
        reader.Feed("line " + std::to_string(i) + "\r\n");
    const std::vector<ModemAnswer> flood = Answers(reader);
    ASSERT_EQ(flood.size(), ModemAnswerReader::kMaxPendingLines);
    EXPECT_EQ(flood.back().text, "line 99");
    EXPECT_EQ(ClassifyModemLine("OK extra"), ModemResult::None);
}

TEST_F(ModemTest, DialingRulesTurnStoredNumbersIntoDialStrings)
{
    DialingLocation home;
    home.areaCode = "555";
    DialingLocation office = home;
    office.outsideLine = "9,";
    office.pulse = true;
    DialingLocation us = home;
    us.outsideLine = "9,";
    DialingLocation uk;
    uk.countryCode = "44";
    uk.areaCode = "20";
    uk.longDistance = "0";
    uk.international = "00";
    const struct {
        const char* number;
        const DialingLocation& location;
        const char* dialed;
    } cases[] = {
        {"+1 (555) 123-4567", home, "T1234567"},
        {"+1 (212) 555-0100", home, "T12125550100"},
        {"+15551234567", home, "T1234567"},
        {"+44 20 7946 0000", home, "T011442079460000"},
        {"555 1234", home, "T5551234"},
        {"  555.1234 ext", home, nullptr},
        {"+1 (555) 123-4567", office, "P9,1234567"},
        {"*67 555-0100", home, "T*675550100"},
        {"555-0100 w 12#", home, "T5550100W12#"},
        // Anything a modem would read as a command never reaches it.
        {"555;ATH", home, nullptr},
        {"555!", home, nullptr},
        {"555@", home, nullptr},
        {"1-800-FLOWERS", home, nullptr},
        {"+", home, nullptr},
        {"( ) -", home, nullptr},
        // Numbers written without "+" in a form that says where they lead.
        {"(212) 555-0100", us, "T9,12125550100"},
        {"(555) 123-4567", us, "T9,1234567"},
        {"1-212-555-0100", us, "T9,12125550100"},
        {"0044 20 7946 0958", us, "T9,011442079460958"},
        {"011 44 20 7946 0958", us, "T9,011442079460958"},
        {"0044 (0)20 7946 0958", us, "T9,011442079460958"},
        {"00 1 555 123 4567", us, "T9,1234567"},
        // Local numbers, short codes and numbers with dialing codes go out as written.
        {"555 1234", us, "T9,5551234"},
        {"911", us, "T9,911"},
        {"1", us, "T9,1"},
        {"011", us, "T9,011"},
        {"*67 (212) 555-0100", us, "T9,*672125550100"},
        {"call me later", us, nullptr},
        {"020 7946 0958", uk, "T79460958"},
        {"0161 496 0000", uk, "T01614960000"},
        // A national number that begins as another country's international prefix.
        {"0118 496 0000", uk, "T01184960000"},
        {"001 212 555 0100", uk, "T0012125550100"},
        {"011 1 212 555 0100", us, "T9,12125550100"},
        {"(212) 555-0100", uk, "T2125550100"},
    };
    for (const auto& [number, location, dialed] : cases) {
        std::string result = "untouched";
        EXPECT_EQ(TranslateNumber(number, location, result), dialed != nullptr) << number;
        EXPECT_EQ(result, dialed ? dialed : "untouched") << number;
        if (dialed) {
            EXPECT_TRUE(IsDialString(result)) << result;
        }
    }
    EXPECT_FALSE(IsDialString("T555;"));
    EXPECT_FALSE(IsDialString("5551234"));
    EXPECT_FALSE(IsDialString("T"));
}

TEST_F(ModemTest, TheLocationIsKeptAndBadStoredValuesFallBack)
{
    DialingLocation location;
    location.countryCode = "49";
    location.areaCode = "30";
    location.outsideLine = "0,";
    location.longDistance = "0";
    location.international = "00";
    location.pulse = true;
    location.Save();
    QSettings(QSettings::IniFormat, QSettings::UserScope, "Vexa+", "Tolva").sync();
    const DialingLocation read = DialingLocation::Load();
    EXPECT_EQ(read.countryCode, "49");
    EXPECT_EQ(read.areaCode, "30");
    EXPECT_EQ(read.outsideLine, "0,");
    EXPECT_EQ(read.longDistance, "0");
    EXPECT_EQ(read.international, "00");
    EXPECT_TRUE(read.pulse);

    Profile::WriteString("TapiMan\\Location", "OutsideLine", "9;ATZ");
    Profile::WriteString("TapiMan\\Location", "AreaCode", "12345678901");
    const DialingLocation fallen = DialingLocation::Load();
    EXPECT_EQ(fallen.outsideLine, "");
    EXPECT_EQ(fallen.areaCode, "");
    EXPECT_EQ(fallen.countryCode, "49");
}

TEST_F(ModemTest, TheConfigurationBlobRoundTripsAndRefusesForeignBytes)
{
    ModemConfig config;
    config.speed = 57600;
    config.flow = ModemConfig::kSoftwareFlow;
    config.init = "AT&F E0 V1 X4";
    const std::vector<u8> bytes = EncodeModemConfig(config);
    ModemConfig read;
    ASSERT_TRUE(DecodeModemConfig(bytes, read));
    EXPECT_EQ(read, config);

    const ModemConfig untouched;
    const auto refused = [&](std::vector<u8> bad) {
        ModemConfig target;
        return !DecodeModemConfig(bad, target) && target == untouched;
    };
    EXPECT_TRUE(refused({'S', 'I', 'M', 0}));  // the simulator's bytes
    EXPECT_TRUE(refused({}));
    std::vector<u8> shortInit = bytes;
    shortInit.pop_back();
    EXPECT_TRUE(refused(shortInit));
    std::vector<u8> oddSpeed = bytes;
    oddSpeed[4] = 7;
    EXPECT_TRUE(refused(oddSpeed));
    std::vector<u8> badFlow = bytes;
    badFlow[8] = 9;
    EXPECT_TRUE(refused(badFlow));
    // A dial hidden behind an extended command, also where the stored
    // settings hold it.
    for (const char* init :
        {"ATDT911", "AT;", "ATZ\rATD1", "XYZ", "AT+FCLASS=8;D5551234", "AT+X;DT911", "AT+VLS=1;H1"}) {
        ModemConfig dialing = config;
        dialing.init = init;
        EXPECT_FALSE(IsValidInitString(init)) << init;
        EXPECT_TRUE(refused(EncodeModemConfig(dialing))) << init;
    }
    EXPECT_TRUE(IsValidInitString(""));
    EXPECT_TRUE(IsValidInitString("AT&F&D2 S7=60"));
    EXPECT_TRUE(IsValidInitString("ATE0+FCLASS=8"));
    EXPECT_FALSE(IsValidInitString("AT&C1 D"));
    EXPECT_FALSE(IsValidInitString("ATX4;+VLS=1"));
}

TEST_F(ModemTest, AProbeNamesTheModemOrSaysWhyThePortCannotBeUsed)
{
    FakeModem modem;
    const ModemProbe found = Probe(modem.Path());
    EXPECT_EQ(found.state, ModemProbe::kModem);
    EXPECT_EQ(found.name, "Tolva Test Voice Modem");
    EXPECT_EQ(modem.Commands(), (std::vector<std::string>{"AT", "ATI"}));

    // Nonsense, and then nothing at all, within the time allowed.
    modem.SetScript([](const std::string&) {
        return std::vector<FakeModem::Say>{{0, "\x7f\x02garble\r\n"}};
    });
    EXPECT_EQ(Probe(modem.Path()).state, ModemProbe::kSilent);
    modem.SetScript([](const std::string&) { return std::vector<FakeModem::Say>{}; });
    EXPECT_EQ(Probe(modem.Path()).state, ModemProbe::kSilent);
    modem.SetScript(FakeModem::Plain);

    // A terminal program's lock, and a program that merely holds the port.
    {
        const int held = ::open(modem.Path().c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(held, 0);
        ASSERT_EQ(::flock(held, LOCK_EX), 0);
        const ModemProbe locked = Probe(modem.Path());
        EXPECT_EQ(locked.state, ModemProbe::kBusy);
        EXPECT_EQ(locked.detail, "another program");
        ::close(held);
    }
    QProcess holder;
    holder.setStandardInputFile(QString::fromStdString(modem.Path()));
    holder.start(QStringLiteral("sleep"), {QStringLiteral("30")});
    ASSERT_TRUE(holder.waitForStarted());
    const ModemProbe held = Probe(modem.Path());
    EXPECT_EQ(held.state, ModemProbe::kBusy);
    EXPECT_EQ(held.detail, "sleep");
    holder.kill();
    holder.waitForFinished();
    EXPECT_EQ(Probe(modem.Path()).state, ModemProbe::kModem);

    const std::string path = modem.Path();
    modem.Unplug();
    EXPECT_EQ(Probe(path).state, ModemProbe::kGone);
    EXPECT_EQ(Probe(m_dir->filePath("plain-file").toStdString()).state, ModemProbe::kGone);
}
