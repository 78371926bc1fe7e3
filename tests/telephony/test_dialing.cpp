#include "telephony/calllog.h"
#include "telephonytest.h"

namespace {

using DialingTest = TelephonyTest;

// Lifts the receiver once the far end answers, then hangs up with the name given.
std::function<void(CallProgress&)> AnswerAndHangUp(const std::string& logName = {})
{
    return [logName](CallProgress& progress) {
        if (progress.StatusText().rfind("Connected to", 0) == 0 && !progress.IsHungUp()
            && progress.IsOkEnabled()) {
            progress.Ok();
            if (!logName.empty())
                progress.SetLogName(logName);
            progress.Ok();
        }
    };
}

}  // namespace

TEST_F(DialingTest, BusyNumberCountsDownAndRedialsUntilAnswered)
{
    TapiMan& tapi = StartTapi("device - Modem\ncall 555\n2 busy\ncall 555\n2 ringback\n4 connected\n");
    m_user.onChange = AnswerAndHangUp();
    EXPECT_EQ(tapi.Dial(40, DIAL_CONTACT, "555", "Ann"), 1u);
    EXPECT_EQ(
        m_user.countdowns, (std::vector<std::string>{"5 sec", "4 sec", "3 sec", "2 sec", "1 sec", "0 sec"}));
    EXPECT_EQ(
        m_user.statuses, (std::vector<std::string>{"Number is busy...", "Ring back", "Connected to 555"}));
    ASSERT_EQ(m_dm->GetCount(DMK_CALL_LOG), 1);
    EXPECT_EQ(LogEntry(0)->m_dwWord, 2u);
    EXPECT_EQ(LogEntry(0)->m_duContactID, 40u);
    EXPECT_EQ(LogEntry(0)->m_strName, "Ann");
    EXPECT_EQ(tapi.GetFlags() & TAPIMAN_IN_CALL, 0u);
    EXPECT_FALSE(tapi.GetLine()->IsInCall());
}

TEST_F(DialingTest, AScriptMatchesAStoredNumberByItsDigits)
{
    // The store writes numbers with spaces and brackets; the script need not.
    TapiMan& tapi = StartTapi("device - Modem\ncall +1 (555) 010-0\n2 busy\ncall 5550100\n2 specialinfo\n"
                              "call *\n2 connected\n");
    tapi.Options().autoRedial = false;
    tapi.Dial(kAllContacts, DIAL_MANUAL, "+1 555 0100", "");
    EXPECT_EQ(m_user.statuses.back(), "Number is busy...");
    tapi.Dial(kAllContacts, DIAL_MANUAL, "555-0100", "");
    EXPECT_EQ(m_user.statuses.back(), "Couldn't dial number...");
}

TEST_F(DialingTest, BusyWithoutRedialOrARefusedNumberEndsTheCallUnlogged)
{
    TapiMan& tapi = StartTapi("device - Modem\ncall 1\n2 busy\ncall 2\n2 busy\ncall 2\n2 specialinfo\n");
    tapi.Options().autoRedial = false;
    EXPECT_EQ(tapi.Dial(kAllContacts, DIAL_MANUAL, "1", ""), 1u);
    EXPECT_TRUE(m_user.countdowns.empty());
    EXPECT_EQ(m_dm->GetCount(DMK_CALL_LOG), 0);

    // Busy, then refused: the second attempt is the last.
    tapi.Options().autoRedial = true;
    tapi.Options().redialInterval = 1;
    m_user.statuses.clear();
    EXPECT_EQ(tapi.Dial(kAllContacts, DIAL_MANUAL, "2", ""), 1u);
    EXPECT_EQ(m_user.statuses.back(), "Couldn't dial number...");
    EXPECT_EQ(m_dm->GetCount(DMK_CALL_LOG), 0);
}

TEST_F(DialingTest, HungUpCallIsLoggedUnderTheNameTheUserGave)
{
    // Letting go of the line is answered with an error: the conversation
    // goes on on the handset and is still logged.
    TapiMan& tapi = StartTapi("device - Modem\ncall *\ndrop OPERATIONFAILED\n3 connected\n");
    m_user.onChange = AnswerAndHangUp("Ann at home");
    EXPECT_EQ(tapi.Dial(kAllContacts, DIAL_SPEED_DIAL, "777", "Ann"), 1u);
    ASSERT_EQ(m_dm->GetCount(DMK_CALL_LOG), 1);
    const CallLogEntry* entry = LogEntry(0);
    EXPECT_EQ(entry->m_strName, "Ann at home");
    EXPECT_EQ(entry->m_strNumber, "777");
    EXPECT_EQ(entry->m_dwKind, u32(DIAL_SPEED_DIAL));
    EXPECT_EQ(entry->m_dwWord, 1u);
    EXPECT_GE(entry->m_dtDuration.m_dt, 0.0);
    EXPECT_GT(entry->m_dtStart.m_dt, 40000.0);
    EXPECT_TRUE(m_messages.shown.empty());

    // The entry was saved when it was made.
    EXPECT_TRUE(Contents("tolva.ndf").contains("Ann at home"));

    // Unchecking "Log this call" logs nothing.
    m_user.onChange = [](CallProgress& progress) {
        progress.SetLogThisCall(false);
        AnswerAndHangUp()(progress);
    };
    tapi.Dial(kAllContacts, DIAL_MANUAL, "777", "");
    EXPECT_EQ(m_dm->GetCount(DMK_CALL_LOG), 1);
}

TEST_F(DialingTest, FailedOrCancelledCallsAreNotLogged)
{
    TapiMan& tapi = StartTapi("device inuse Modem\n");
    EXPECT_EQ(tapi.Dial(kAllContacts, DIAL_MANUAL, "555", ""), 1u);
    EXPECT_EQ(Shown(), std::vector<std::string>{"Line is already in use."});
    EXPECT_EQ(m_dm->GetCount(DMK_CALL_LOG), 0);

    TapiMan& ringing = StartTapi("device - Modem\ncall *\n2 ringback\n");
    m_user.onChange = [](CallProgress& progress) {
        if (progress.LastStatus() == TCS_RINGBACK)
            progress.Cancel(false);
    };
    ringing.Dial(kAllContacts, DIAL_MANUAL, "555", "");
    EXPECT_EQ(m_dm->GetCount(DMK_CALL_LOG), 0);
    EXPECT_FALSE(ringing.GetLine()->IsInCall());

    m_messages.shown.clear();
    ringing.SetCurDevice(kNoTapiDevice);
    EXPECT_EQ(ringing.Dial(kAllContacts, DIAL_MANUAL, "555", ""), 0u);
    EXPECT_EQ(Shown(), std::vector<std::string>{kNoDevices});
}

TEST_F(DialingTest, AFullLogRefusesTheEntry)
{
    for (int i = 0; i < kCallLogLimit - 1; ++i)
        m_dm->Add(std::make_unique<CallLogEntry>());
    EXPECT_TRUE(AddCallLogEntry(*m_dm, std::make_unique<CallLogEntry>()));
    EXPECT_FALSE(AddCallLogEntry(*m_dm, std::make_unique<CallLogEntry>()));
    EXPECT_EQ(m_dm->GetCount(DMK_CALL_LOG), kCallLogLimit);
    EXPECT_EQ(Shown(), std::vector<std::string>{"Log is full ! Please clear it or delete some entries."});
}

TEST_F(DialingTest, ManualHistoryIsCappedWhenRead)
{
    std::string stored;
    for (int i = 1; i <= 60; ++i)
        stored += std::to_string(i) + "\n";
    Profile::WriteString(kTapiSection, "ManualPhones", stored);
    const auto numbers = TapiMan::LoadManualPhones();
    ASSERT_EQ(numbers.size(), TapiMan::kManualPhonesLimit);
    EXPECT_EQ(numbers.front(), "10");
    EXPECT_EQ(numbers.back(), "60");
}

TEST_F(DialingTest, CallDurationsReadAsHoursMinutesSeconds)
{
    EXPECT_EQ(FormatCallDuration(0.0), "00:00:00");
    EXPECT_EQ(FormatCallDuration((3600.0 + 62.0) / 86400.0), "01:01:02");
    EXPECT_EQ(FormatCallDuration(-1.0), "00:00:00");
}
