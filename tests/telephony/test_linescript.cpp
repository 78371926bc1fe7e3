#include "telephonytest.h"

namespace {

using LineScriptTest = TelephonyTest;

}  // namespace

TEST_F(LineScriptTest, AScriptListsDevicesAndTheCallsOfEachNumber)
{
    LineScript script;
    std::string error;
    ASSERT_TRUE(ParseLineScript("# two modems\n"
                                "device - Office modem\n"
                                "device noversion,inuse  Old one \r\n"
                                "\n"
                                "call 555\n"
                                "reply 20 NODRIVER\n"
                                "drop REINIT\n"
                                "100 dialtone\n"
                                "900 disconnected noanswer\n"
                                "call 555\n"
                                "5 linestate outofservice\n"
                                "6 close\n"
                                "call *\n"
                                "reply 0 never\n",
        script, error))
        << error;
    ASSERT_EQ(script.devices.size(), 2u);
    EXPECT_EQ(script.devices[1].name, "Old one");
    EXPECT_TRUE(script.devices[1].noVersion && script.devices[1].inUse);
    EXPECT_FALSE(script.devices[1].noMedia);
    ASSERT_EQ(script.calls.size(), 3u);
    const LineScript::Call& first = script.calls[0];
    EXPECT_EQ(first.replyDelayMs, 20u);
    EXPECT_EQ(first.replyResult, LINEERR_NODRIVER);
    EXPECT_EQ(first.dropResult, LINEERR_REINIT);
    ASSERT_EQ(first.events.size(), 2u);
    EXPECT_EQ(first.events[1].state, LINECALLSTATE_DISCONNECTED);
    EXPECT_EQ(first.events[1].mode, LINEDISCONNECTMODE_NOANSWER);
    EXPECT_EQ(script.calls[1].events[1].kind, LineScript::EventKind::Close);

    // Blocks of one number play in turn; the last repeats; others take "*".
    EXPECT_EQ(script.FindCall("555", 0), &script.calls[0]);
    EXPECT_EQ(script.FindCall("555", 1), &script.calls[1]);
    EXPECT_EQ(script.FindCall("555", 7), &script.calls[1]);
    EXPECT_EQ(script.FindCall("556", 0), &script.calls[2]);
    EXPECT_TRUE(script.calls[2].replyNever);
}

TEST_F(LineScriptTest, BadScriptsNameTheLineAtFault)
{
    const std::pair<std::string, std::string> cases[] = {
        {"device - A\nfrobnicate\n", "line 2: unknown keyword"},
        {"100 busy\n", "line 1: an event before the first call"},
        {"call (office)\n", "line 1: call needs a number"},
        {"call 1\n100 disconnected\n", "line 2: disconnected needs a mode"},
        {"call 1\n100 disconnected sideways\n", "line 2: unknown disconnect mode"},
        {"call 1\n99999999999 busy\n", "line 2: bad delay"},
        {"call 1\n-5 busy\n", "line 2: unknown keyword"},
        {"call 1\nreply 5 NOSUCHERROR\n", "line 2: unknown error name"},
        {"device weird A\n", "line 1: unknown device flag"},
        {"device -\n", "line 1: device needs flags (or -) and a name"},
        {"init\n", "line 1: init needs an error name"},
        {"\n\n" + std::string(2000, 'x') + "\n", "line 3: the line is too long"},
        {std::string("call 1\n5 busy\0\n", 15), "line 2: the line holds a NUL byte"},
    };
    for (const auto& [text, expected] : cases) {
        LineScript script;
        std::string error;
        EXPECT_FALSE(ParseLineScript(text, script, error)) << text;
        EXPECT_EQ(error, expected);
        EXPECT_TRUE(script.devices.empty() && script.calls.empty());
    }
    LineScript script;
    std::string error;
    std::string many;
    for (std::size_t i = 0; i <= LineScript::kMaxDevices; ++i)
        many += "device - M\n";
    EXPECT_FALSE(ParseLineScript(many, script, error));
    EXPECT_EQ(error, "line 65: too many devices");
}

TEST_F(LineScriptTest, ABadScriptFileGivesNoDevices)
{
    TapiMan& tapi = StartTapi("device - Modem\ncall 1\n5 exploded\n");
    ASSERT_EQ(m_messages.shown.size(), 1u);
    EXPECT_NE(m_messages.shown[0].text.find("line 3: unknown call state"), std::string::npos);
    EXPECT_EQ(tapi.GetLine()->GetDeviceCount(), 0u);
    EXPECT_EQ(tapi.GetCurDevice(), kNoTapiDevice);

    // Without a script, the line has no devices and says nothing.
    m_messages.shown.clear();
    Profile::Remove(kTapiSection, "LineScript");
    TapiMan plain;
    EXPECT_EQ(plain.Init(), 0u);
    EXPECT_TRUE(plain.IsInitialized());
    EXPECT_EQ(plain.GetLine()->GetDeviceCount(), 0u);
    EXPECT_TRUE(m_messages.shown.empty());
}
