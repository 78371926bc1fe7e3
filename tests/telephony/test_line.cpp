#include "telephonytest.h"

#include <QObject>

namespace {

class LineTest : public TelephonyTest {
protected:
    // A line on the script, with every report it posts collected.
    TapiLine& Line(const std::string& script)
    {
        LineScript parsed;
        std::string error;
        EXPECT_TRUE(ParseLineScript(script, parsed, error)) << error;
        m_line = std::make_unique<TapiLine>(MakeScriptLineProvider(std::move(parsed)));
        m_line->SetWaitTimesForTesting(200, 10);
        m_line->SetStatusReceiver(&m_receiver, [this](const LineStatus& s) { m_reports.push_back(s); });
        return *m_line;
    }
    void TearDown() override
    {
        m_line.reset();
        TelephonyTest::TearDown();
    }

    QObject m_receiver;
    std::vector<LineStatus> m_reports;
    std::unique_ptr<TapiLine> m_line;
};

struct Row {
    const char* event;
    std::vector<std::pair<std::string, u32>> reports;
    bool released;
};

}  // namespace

TEST_F(LineTest, EveryCallStateReportsItsTextAndCode)
{
    const Row rows[] = {
        {"idle", {{"Line idle. Shutting down...", TCS_IDLE}}, true},
        {"dialtone", {{"Dial Tone...", TCS_DIALING}, {"Dialing 555...", TCS_DIALING}}, false},
        {"dialing", {{"Dialing 555...", TCS_DIALING}}, false},
        {"proceeding", {{"Dialing 555...", TCS_DIALING}}, false},
        {"ringback", {{"Ring back", TCS_RINGBACK}}, false},
        {"busy", {{"Line busy. Shutting down...", TCS_BUSY}}, true},
        {"specialinfo", {{"Couldn't dial number...", TCS_BUSY}}, true},
        {"connected", {{"Connected to 555", TCS_CONNECTED}}, false},
        {"onhold", {}, false},
        {"disconnected normal", {{"Remote Party disconnected.", TCS_DISCONNECTED}}, true},
        {"disconnected unknown", {{"Disconnected: Unknown reason.", TCS_DISCONNECTED}}, true},
        {"disconnected reject", {{"Remote Party rejected call.", TCS_DISCONNECTED}}, true},
        {"disconnected pickup", {{"Local phone picked up.", TCS_DISCONNECTED}}, true},
        {"disconnected busy", {{"Disconnected: Busy.", TCS_BUSY}}, true},
        {"disconnected noanswer", {{"Disconnected: No Answer.", TCS_DISCONNECTED}}, true},
        {"disconnected badaddress", {{"Disconnected: Bad Address.", TCS_DISCONNECTED}}, true},
        {"disconnected unreachable", {{"Disconnected: Unreachable.", TCS_DISCONNECTED}}, true},
        {"disconnected congestion", {{"Disconnected: Congestion.", TCS_DISCONNECTED}}, true},
        {"disconnected incompatible", {{"Disconnected: Incompatible.", TCS_DISCONNECTED}}, true},
        {"disconnected unavail", {{"Disconnected: Unavail.", TCS_DISCONNECTED}}, true},
        {"disconnected nodialtone", {{"Disconnected: No Dial Tone.", TCS_DISCONNECTED}}, true},
        // A mode without a text of its own keeps the text before it.
        {"disconnected forwarded", {{"", TCS_DISCONNECTED}}, true},
    };
    for (const Row& row : rows) {
        m_reports.clear();
        TapiLine& line = Line(std::string("device - Modem\ncall 555\n5 ") + row.event + "\n");
        ASSERT_EQ(line.Initialize(), 1);
        ASSERT_EQ(line.Dial("555", 0), 1) << row.event;
        WaitUntil(
            [&] { return m_reports.size() >= row.reports.size() && !(row.released && line.IsInCall()); },
            500);
        WaitUntil([] { return false; }, 20);
        std::vector<std::pair<std::string, u32>> got;
        for (const LineStatus& report : m_reports)
            got.emplace_back(report.text, report.status);
        EXPECT_EQ(got, row.reports) << row.event;
        EXPECT_EQ(line.IsInCall(), !row.released) << row.event;
        if (!m_reports.empty()) {
            EXPECT_EQ(m_reports.back().redialable, std::string(row.event) != "specialinfo") << row.event;
        }
    }
    EXPECT_TRUE(m_messages.shown.empty());
}

TEST_F(LineTest, DialFailuresAreToldAndReleaseTheLine)
{
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"device noversion Modem\ndevice - Other\n", {"Unable to Use Line"}},
        {"device nomedia Modem\n",
            {"The selected line doesn't support \n LINEMEDIAMODE_DATAMODEM and "
             "LINEMEDIAMODE_INTERACTIVEVOICE \n "
             "capabilities"}},
        {"device nocaps Modem\n", {}},
        {"device inuse Modem\n", {"Line is already in use."}},
        {"device noaddress Modem\n", {"Unable to Use Line"}},
        {"device notranslate Modem\n",
            {"The number \"555\" cannot be dialed.\nA number may hold digits, spaces and ( ) - . /, a "
             "leading +, * # , W as dialing codes, and an extension after it (x89, ext. 12)."}},
        {"device - Modem\ncall *\nreply 1 OPERATIONFAILED\n", {"Dial failed."}},
        {"device - Modem\ncall *\nreply 1 NODRIVER\n",
            {"There is a problem with your Telephony device driver.\n", "Dial failed."}},
        {"device - Modem\ncall *\nreply 1 NOMEM\n", {"Out of memory. Cancelling action.", "Dial failed."}},
        // An answer that never comes ends as a failure instead of waiting forever.
        {"device - Modem\ncall *\nreply 0 never\n", {"Dial failed."}},
    };
    for (const auto& [script, texts] : cases) {
        m_messages.shown.clear();
        TapiLine& line = Line(script);
        ASSERT_EQ(line.Initialize(), 1);
        EXPECT_EQ(line.Dial("555", 0), 0) << script;
        EXPECT_EQ(Shown(), texts) << script;
        EXPECT_FALSE(line.IsInCall()) << script;
    }
}

TEST_F(LineTest, RefusedRequestsPlaceNothing)
{
    TapiLine& line = Line("device - Modem\ncall *\n50 connected\n");
    ASSERT_EQ(line.Initialize(), 1);
    EXPECT_EQ(line.Dial("", 0), 0);
    EXPECT_EQ(line.Dial("555", 1), 0);
    EXPECT_EQ(line.Dial("555", -1), 0);
    EXPECT_EQ(line.Dial("555", kNoTapiDevice), 0);
    EXPECT_TRUE(m_messages.shown.empty());
    ASSERT_EQ(line.Dial("555", 0), 1);
    EXPECT_EQ(line.Dial("556", 0), 0);
    EXPECT_EQ(Shown(), std::vector<std::string>{"A call is already being handled."});
    line.HangUp();
    EXPECT_EQ(line.GetStatusText(), "Call stopped.");
}

TEST_F(LineTest, AnErrorReplyAbortsTheCallAndLineStatesReleaseIt)
{
    TapiLine& line
        = Line("device - Modem\ncall 1\nreply 1 OPERATIONFAILED\ncall 2\n5 linestate maintenance\n");
    ASSERT_EQ(line.Initialize(), 1);
    EXPECT_EQ(line.Dial("1", 0), 0);
    WaitUntil([&] { return !m_reports.empty(); }, 500);
    ASSERT_EQ(m_reports.size(), 1u);
    EXPECT_EQ(m_reports[0].text, "Call aborted.");
    EXPECT_EQ(m_reports[0].status, TCS_ABORTED);

    m_messages.shown.clear();
    ASSERT_EQ(line.Dial("2", 0), 1);
    EXPECT_TRUE(WaitUntil([&] { return !line.IsInCall(); }, 500));
    EXPECT_EQ(Shown(), std::vector<std::string>{"Line selected is now out for maintenance."});
}

TEST_F(LineTest, InitialisationFailuresAndDeviceNames)
{
    EXPECT_EQ(Line("init NODRIVER\n").Initialize(), 0);
    EXPECT_EQ(Shown(), std::vector<std::string>{"There is a problem with your Telephony device driver.\n"});
    m_messages.shown.clear();
    EXPECT_EQ(Line("init REINIT\n").Initialize(), 0);
    ASSERT_EQ(m_messages.shown.size(), 1u);
    EXPECT_NE(m_messages.shown[0].text.find("relinquish their use of Telephony"), std::string::npos);

    TapiLine& line = Line("device - Office modem\ndevice noversion Old modem\ndevice nocaps Odd modem\n");
    ASSERT_EQ(line.Initialize(), 1);
    EXPECT_EQ(line.GetDeviceCount(), 3u);
    bool available = false;
    EXPECT_EQ(line.GetDeviceName(0, available), "Office modem");
    EXPECT_TRUE(available);
    EXPECT_EQ(line.GetDeviceName(1, available), "Device unavail. - TAPI v.");
    EXPECT_FALSE(available);
    EXPECT_EQ(line.GetDeviceName(2, available), "Device unavail. - TAPI v.20001");
    EXPECT_EQ(line.GetDeviceName(3, available), "Device unavail. - TAPI v.");
    // The configuration read at start goes back to the provider unchanged.
    EXPECT_EQ(line.GetConfig(0)->blob, (std::vector<u8>{'S', 'I', 'M', 0}));
    EXPECT_EQ(line.ConfigDialog(nullptr, 0), 1);
    EXPECT_EQ(line.ConfigDialog(nullptr, kNoTapiDevice), -1);
}
