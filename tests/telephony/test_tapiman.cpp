#include "platform/profile.h"
#include "support/testenv.h"
#include "telephony/tapiman.h"

namespace {

using TapiManTest = TolvaTest;

std::vector<TapiDeviceConfig> Devices(int count)
{
    std::vector<TapiDeviceConfig> configs;
    for (int i = 0; i < count; ++i)
        configs.push_back({i, kTapiVersion21, {}, {}});
    return configs;
}

}  // namespace

TEST_F(TapiManTest, FirstRunStartsWithoutDevicesAndSavesThatState)
{
    {
        TapiMan tapi;
        EXPECT_EQ(tapi.Init(), 0u);
        EXPECT_TRUE(tapi.IsInitialized());
        EXPECT_EQ(tapi.GetCurDevice(), kNoTapiDevice);
        std::string dump;
        tapi.Dump(dump);
        EXPECT_EQ(dump, "\r\nTAPIMAN\r\nDevices:\t0\r\nVersion:\t20001\r\nOldTapi:\t0\r\nCurDevice:\t0\r\n");
        tapi.Shutdown();
        tapi.Dump(dump);
        EXPECT_EQ(dump, "\r\nTAPIMAN = No connects\r\n");
    }
    Profile::Reopen();
    EXPECT_EQ(Profile::GetInt(kTapiSection, "NumDevs", 99), 0);
    EXPECT_EQ(Profile::GetInt(kTapiSection, "CurDevice", 99), kNoTapiDevice);
    EXPECT_TRUE(m_messages.shown.empty());

    // The stored count of 0 matches the devices present: no message next time.
    TapiMan again;
    EXPECT_EQ(again.Init(), 0u);
    EXPECT_TRUE(m_messages.shown.empty());
}

TEST_F(TapiManTest, DeviceConfigurationsAndChoiceRoundTrip)
{
    TapiMan tapi;
    tapi.Init();
    auto configs = Devices(3);
    configs[1].blob = {1, 2, 3, 0, 255};
    tapi.GetLine()->SetDevicesForTesting(configs);
    tapi.SetCurDevice(2);
    tapi.SaveSettings();
    Profile::Reopen();

    tapi.GetLine()->SetDevicesForTesting(Devices(3));
    tapi.LoadSettings();
    EXPECT_TRUE(tapi.GetLine()->GetConfig(0)->blob.empty());
    EXPECT_EQ(tapi.GetLine()->GetConfig(1)->blob, configs[1].blob);
    EXPECT_EQ(tapi.GetCurDevice(), 2);
    EXPECT_TRUE(m_messages.shown.empty());

    // A stored device the line has no record for means no device.
    for (int stored : {3, 7, -3}) {
        Profile::WriteInt(kTapiSection, "CurDevice", stored);
        tapi.LoadSettings();
        EXPECT_EQ(tapi.GetCurDevice(), kNoTapiDevice) << stored;
    }
}

TEST_F(TapiManTest, ChangedDeviceCountWarnsAndFallsBack)
{
    Profile::WriteInt(kTapiSection, "NumDevs", 2);
    Profile::WriteInt(kTapiSection, "CurDevice", 1);
    const char blob[] = "old";
    Profile::WriteBinary(kTapiSection, "Device_0", blob, sizeof blob);
    Profile::Reopen();

    TapiMan tapi;
    tapi.Init();
    ASSERT_EQ(m_messages.shown.size(), 1u);
    EXPECT_EQ(m_messages.shown[0].text,
        "The number of telephony devices has changed!\n Please, verify modem settings in Preferences.");
    EXPECT_EQ(tapi.GetCurDevice(), kNoTapiDevice);

    // The stored choice may now name another device, and a device that
    // came since is nobody's choice: none stands.
    tapi.GetLine()->SetDevicesForTesting(Devices(3));
    tapi.LoadSettings();
    EXPECT_EQ(m_messages.shown.size(), 2u);
    EXPECT_EQ(tapi.GetCurDevice(), kNoTapiDevice);
    EXPECT_TRUE(tapi.GetLine()->GetConfig(0)->blob.empty());
}

TEST_F(TapiManTest, StoredSettingsAreLeftAloneWhenNeverLoaded)
{
    Profile::WriteInt(kTapiSection, "CurDevice", 1);
    {
        TapiMan neverStarted;
    }
    Profile::Reopen();
    EXPECT_EQ(Profile::GetInt(kTapiSection, "CurDevice", 99), 1);
    EXPECT_FALSE(Profile::Exists(kTapiSection, "NumDevs"));
}

TEST_F(TapiManTest, ManualPhonesKeepOneOfEachNumber)
{
    EXPECT_TRUE(TapiMan::LoadManualPhones().empty());
    TapiMan::SaveManualPhones({"555-1", "", "555-2", "555-1", "555-3"});
    Profile::Reopen();
    EXPECT_EQ(Profile::GetString(kTapiSection, "ManualPhones"), "555-1\n555-2\n555-3\n");
    EXPECT_EQ(TapiMan::LoadManualPhones(), (std::vector<std::string>{"555-1", "555-2", "555-3"}));

    // Text after the last line break is not a number.
    Profile::WriteString(kTapiSection, "ManualPhones", "1\n2\ntail");
    EXPECT_EQ(TapiMan::LoadManualPhones(), (std::vector<std::string>{"1", "2"}));
}
