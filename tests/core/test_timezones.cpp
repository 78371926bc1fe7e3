#include "core/timezones.h"

#include <QLocale>
#include <QTimeZone>
#include <gtest/gtest.h>

namespace {

SYSTEMTIME Rule(u16 month, u16 week, u16 weekday, u16 hour, u16 minute = 0)
{
    SYSTEMTIME rule;
    rule.wMonth = month;
    rule.wDay = week;
    rule.wDayOfWeek = weekday;
    rule.wHour = hour;
    rule.wMinute = minute;
    return rule;
}

TimeZoneEntry Zone(const char* id, int year = 2026)
{
    TimeZoneEntry entry;
    EXPECT_TRUE(FillZoneRecord(id, year, entry)) << id;
    return entry;
}

QDateTime Utc(int year, int month, int day, int hour)
{
    return QDateTime(QDate(year, month, day), QTime(hour, 0), Qt::UTC);
}

class TimeZones : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale::c()); }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }
};

}  // namespace

TEST_F(TimeZones, RulesOfZonesWithDaylightSaving)
{
    const TimeZoneEntry berlin = Zone("Europe/Berlin");
    EXPECT_EQ(-60, berlin.m_lBias);
    EXPECT_EQ(0, berlin.m_lStandardBias);
    EXPECT_EQ(-60, berlin.m_lDaylightBias);
    EXPECT_EQ(Rule(3, 5, 0, 2), berlin.m_daylightDate);  // in standard time
    EXPECT_EQ(Rule(10, 5, 0, 3), berlin.m_standardDate);  // in daylight time
    EXPECT_EQ("Europe/Berlin", berlin.m_strText3);
    EXPECT_EQ("(UTC+01:00) Europe/Berlin", berlin.m_strText2);

    const TimeZoneEntry newYork = Zone("America/New_York");
    EXPECT_EQ(300, newYork.m_lBias);
    EXPECT_EQ(Rule(3, 2, 0, 2), newYork.m_daylightDate);
    EXPECT_EQ(Rule(11, 1, 0, 2), newYork.m_standardDate);

    // Southern hemisphere: daylight saving starts late in the year.
    const TimeZoneEntry sydney = Zone("Australia/Sydney");
    EXPECT_EQ(-600, sydney.m_lBias);
    EXPECT_EQ(Rule(10, 1, 0, 2), sydney.m_daylightDate);
    EXPECT_EQ(Rule(4, 1, 0, 3), sydney.m_standardDate);

    // Half-hour standard offset with daylight saving.
    const TimeZoneEntry adelaide = Zone("Australia/Adelaide");
    EXPECT_EQ(-570, adelaide.m_lBias);
    EXPECT_EQ(-60, adelaide.m_lDaylightBias);
    EXPECT_EQ(10, adelaide.m_daylightDate.wMonth);
}

TEST_F(TimeZones, ZonesWithoutDaylightSavingHaveNoRules)
{
    for (const auto& [id, bias, name] : {std::tuple{"Asia/Kolkata", -330, "(UTC+05:30) Asia/Kolkata"},
             std::tuple{"Asia/Kathmandu", -345, "(UTC+05:45) Asia/Kathmandu"},
             std::tuple{"Asia/Tokyo", -540, "(UTC+09:00) Asia/Tokyo"}}) {
        const TimeZoneEntry entry = Zone(id);
        EXPECT_EQ(bias, entry.m_lBias) << id;
        EXPECT_EQ(0, entry.m_lDaylightBias) << id;
        EXPECT_EQ(0, entry.m_daylightDate.wMonth) << id;
        EXPECT_EQ(0, entry.m_standardDate.wMonth) << id;
        EXPECT_EQ(name, entry.m_strText2);
    }
    EXPECT_EQ("(UTC-03:30) America/St_Johns", ZoneDisplayName(QTimeZone("America/St_Johns")));
}

TEST_F(TimeZones, UnknownZoneLeavesTheRecord)
{
    TimeZoneEntry entry;
    entry.m_lBias = 123;
    entry.m_strText3 = "kept";
    EXPECT_FALSE(FillZoneRecord("Nowhere/Atlantis", 2026, entry));
    EXPECT_FALSE(FillZoneRecord("", 2026, entry));
    EXPECT_EQ(123, entry.m_lBias);
    EXPECT_EQ("kept", entry.m_strText3);
}

TEST_F(TimeZones, TransitionRuleTexts)
{
    EXPECT_EQ("Not set for this time zone", FormatTransitionRule(SYSTEMTIME{}, 2026));
    EXPECT_EQ("Last Sunday of March at 02:00:00", FormatTransitionRule(Rule(3, 5, 0, 2), 2026));
    EXPECT_EQ("Second Friday of November at 23:30:00", FormatTransitionRule(Rule(11, 2, 5, 23, 30), 2026));
    EXPECT_EQ(" Monday of May at 01:00:00", FormatTransitionRule(Rule(5, 9, 1, 1), 2026));
    SYSTEMTIME absolute = Rule(4, 7, 2, 6, 15);
    absolute.wYear = 2026;
    EXPECT_EQ("At Tuesday, 07 of April at 06:15:00", FormatTransitionRule(absolute, 2026));
    // Damaged stored rules give no date rather than a wrong one.
    EXPECT_EQ("Not set for this time zone", FormatTransitionRule(Rule(13, 1, 0, 0), 2026));
    absolute.wDay = 31;
    EXPECT_EQ("Not set for this time zone", FormatTransitionRule(absolute, 2026));
}

TEST_F(TimeZones, PickerOrder)
{
    std::vector<std::string> names = {"(UTC+05:45) Asia/Kathmandu", "(UTC-03:30) America/St_Johns",
        "(UTC+00:00) Europe/London", "(UTC) Nowhere", "(UTC-10:00) Pacific/Honolulu",
        "(UTC+05:30) Asia/Kolkata", "(UTC-03:30) America/Goose", "(UTC-12:00) Etc"};
    std::sort(names.begin(), names.end(), ZoneOrderLess);
    const std::vector<std::string> expected = {"(UTC-12:00) Etc", "(UTC-10:00) Pacific/Honolulu",
        "(UTC-03:30) America/Goose", "(UTC-03:30) America/St_Johns", "(UTC) Nowhere",
        "(UTC+00:00) Europe/London", "(UTC+05:30) Asia/Kolkata", "(UTC+05:45) Asia/Kathmandu"};
    EXPECT_EQ(expected, names);

    const std::vector<ZoneChoice> zones = ListSystemZones();
    ASSERT_GT(zones.size(), 100u);
    EXPECT_EQ('-', zones.front().displayName[4]);
    EXPECT_EQ('+', zones.back().displayName[4]);
    EXPECT_TRUE(std::is_sorted(zones.begin(), zones.end(), [](const ZoneChoice& a, const ZoneChoice& b) {
        return ZoneOrderLess(a.displayName, b.displayName);
    }));
    for (const ZoneChoice& zone : zones)
        EXPECT_EQ(std::string::npos, zone.keyName.find("Etc/")) << zone.keyName;
}

TEST_F(TimeZones, WallTimeFollowsDaylightSaving)
{
    const TimeZoneEntry sydney = Zone("Australia/Sydney");
    EXPECT_EQ(QTime(11, 0), ZoneWallTime(sydney, Utc(2026, 1, 15, 0)).time());
    EXPECT_EQ(QTime(10, 0), ZoneWallTime(sydney, Utc(2026, 7, 15, 0)).time());
    // Rules made in one year still hold in the next: the database answers.
    EXPECT_EQ(QTime(11, 0), ZoneWallTime(sydney, Utc(2031, 1, 15, 0)).time());
    const TimeZoneEntry kathmandu = Zone("Asia/Kathmandu");
    EXPECT_EQ(QTime(5, 45), ZoneWallTime(kathmandu, Utc(2026, 1, 15, 0)).time());

    // A record without a known zone keeps to its bias.
    TimeZoneEntry old;
    old.m_lBias = -330;
    EXPECT_EQ(QTime(5, 30), ZoneWallTime(old, Utc(2026, 1, 15, 0)).time());
}
