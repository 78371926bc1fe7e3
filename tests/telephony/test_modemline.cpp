#include "modemdialtest.h"
#include "platform/dialingrules.h"
#include "support/modal.h"
#include "telephony/calllog.h"
#include "telephony/ui/manualdialdlg.h"
#include "telephony/ui/modemdialogs.h"
#include "telephony/ui/telephonyui.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>

namespace {

// A modem that holds the line answers nothing until it lets go; the dial
// waits this long for it, long beside the moment after which the test lets
// go, which a busy machine may stretch.
const ModemTimeouts kHeld{400, 800, 1500, 400, 50, 15000, 1500};
constexpr int kLetGoAfterMs = 300;

class ModemLineTest : public ModemDialTest {
protected:
    // The chosen modem set to software flow control, as its user sets it in
    // "Modem settings".
    void UseSoftwareFlow(TapiMan& tapi)
    {
        InstallTelephonyUi(tapi, *m_dm, nullptr);
        OnModal<CDialogModemSettings>([](CDialogModemSettings* dialog) {
            dialog->FlowBox()->setCurrentIndex(int(ModemConfig::kSoftwareFlow));
            QTest::keyClick(dialog->InitEdit(), Qt::Key_Return);
        });
        ASSERT_EQ(tapi.GetLine()->ConfigDialog(nullptr, 0), 1);
        tapi.SetCallStatusUi(&m_user);
    }
    void HoldLine()
    {
        m_modem.HoldLine(true);
        ASSERT_TRUE(WaitUntil([this] { return !m_modem.PortTakesBytes(); }));
    }
    bool Sent(const std::string& command)
    {
        const std::vector<std::string> commands = m_modem.Commands();
        return std::find(commands.begin(), commands.end(), command) != commands.end();
    }
};

}  // namespace

TEST_F(ModemLineTest, ACommandTheModemHoldsBackGoesOutOnceItLetsGoElseTheDialSaysWhy)
{
    SetModemTimeoutsForTesting(&kHeld);
    TapiMan& tapi = StartModems(m_modem.Path());
    UseSoftwareFlow(tapi);
    m_user.onChange = EndWhenOver;
    tapi.Options().autoRedial = false;

    // Held before the initialisation, let go a moment later: the call goes on.
    HoldLine();
    m_modem.SetScript(Dialing("NO ANSWER"));
    QTimer::singleShot(kLetGoAfterMs, [this] { m_modem.HoldLine(false); });
    EXPECT_EQ(tapi.Dial(kAllContacts, DIAL_MANUAL, "555 0100", ""), 1u);
    ASSERT_FALSE(m_user.statuses.empty());
    EXPECT_EQ(m_user.statuses.back(), "Disconnected: No Answer.");
    EXPECT_TRUE(Sent("ATE0V1X4"));
    EXPECT_TRUE(Sent("ATDT5550100;"));
    EXPECT_TRUE(m_messages.shown.empty()) << Shown().front();

    // Held after the initialisation's OK, and never let go: the dial command
    // never goes out, and the user is told why once the time is up.
    m_modem.SetScript([](const std::string& command) {
        if (command == "ATE0V1X4")
            return std::vector<FakeModem::Say>{{0, "\x13\r\nOK\r\n"}};
        return FakeModem::Plain(command);
    });
    const std::vector<std::string> heldBack{
        "Dial failed.\nThe modem holds the line and takes no command (flow "
        "control). Check that it is switched on and connected, and the "
        "flow control in Modem settings."};
    m_user.statuses.clear();
    QElapsedTimer took;
    took.start();
    EXPECT_EQ(tapi.Dial(kAllContacts, DIAL_MANUAL, "555 0199", ""), 1u);
    EXPECT_EQ(Shown(), heldBack);
    // The modem was given its time (a coarse timer may end a little early).
    EXPECT_GE(took.elapsed(), kHeld.held / 2);
    EXPECT_LT(took.elapsed(), kHeld.held + 3000);
    EXPECT_FALSE(Sent("ATDT5550199;"));
    EXPECT_TRUE(m_user.statuses.empty());
    EXPECT_FALSE(tapi.GetLine()->IsInCall());
    EXPECT_EQ(m_dm->GetCount(DMK_CALL_LOG), 0);

    // Held from the start and never let go: the same.
    m_messages.shown.clear();
    m_modem.SetScript(Dialing("NO ANSWER"));
    ASSERT_TRUE(WaitUntil([this] { return !m_modem.PortTakesBytes(); }));
    tapi.Dial(kAllContacts, DIAL_MANUAL, "555 0199", "");
    EXPECT_EQ(Shown(), heldBack);

    // Once the modem lets go, the next dial goes through.
    m_messages.shown.clear();
    m_modem.HoldLine(false);
    ASSERT_TRUE(WaitUntil([this] { return m_modem.PortTakesBytes(); }));
    tapi.Dial(kAllContacts, DIAL_MANUAL, "555 0199", "");
    EXPECT_EQ(m_user.statuses.back(), "Disconnected: No Answer.");
    EXPECT_TRUE(Sent("ATDT5550199;"));
    EXPECT_TRUE(m_messages.shown.empty()) << Shown().front();
}

TEST_F(ModemLineTest, NumbersWrittenWithoutAPlusAreDialedByTheLocationsRules)
{
    DialingLocation location = DialingLocation::Load();
    location.countryCode = "1";
    location.areaCode = "555";
    location.outsideLine = "9,";
    location.Save();
    TapiMan& tapi = StartModems(m_modem.Path());
    tapi.Options().autoRedial = false;
    m_modem.SetScript(Dialing("NO ANSWER"));
    m_user.onChange = EndWhenOver;
    const std::pair<const char*, const char*> numbers[] = {
        {"(212) 555-0100", "ATDT9,12125550100;"},
        {"0044 20 7946 0958", "ATDT9,011442079460958;"},
        {"(555) 123-4567", "ATDT9,1234567;"},
        {"555-0100", "ATDT9,5550100;"},
    };
    for (const auto& [number, dialed] : numbers) {
        tapi.Dial(kAllContacts, DIAL_MANUAL, number, "");
        EXPECT_TRUE(Sent(dialed)) << number;
    }
    EXPECT_TRUE(m_messages.shown.empty()) << Shown().front();
}

TEST_F(ModemLineTest, ManualDialKeepsOnlyNumbersInItsHistory)
{
    TapiMan& tapi = StartModems(m_modem.Path());
    tapi.Options().autoRedial = false;
    m_modem.SetScript(Dialing("NO ANSWER"));
    m_user.onChange = EndWhenOver;
    {
        CDialogManualDial dialog(tapi);
        dialog.show();
        for (const char* typed : {"call me later", "555-0100", "ATH"}) {
            dialog.NumberBox()->setEditText(QString::fromUtf8(typed));
            QTest::keyClick(dialog.NumberBox(), Qt::Key_Return);
        }
        ASSERT_EQ(m_messages.shown.size(), 2u);
        EXPECT_EQ(m_messages.shown[0].text.rfind("The number \"call me later\" cannot be dialed.", 0), 0u);
        EXPECT_EQ(dialog.History(), std::vector<std::string>{"555-0100"});
        EXPECT_EQ(dialog.NumberBox()->count(), 1);
        dialog.reject();
    }
    Profile::Reopen();
    EXPECT_EQ(Profile::GetString(kTapiSection, "ManualPhones"), "555-0100\n");
}
