#include "core/fieldtexts.h"
#include "core/userman.h"
#include "platform/oledate.h"
#include "support/testenv.h"

#include <QLocale>
#include <cmath>

namespace {

QDateTime g_now;
QDateTime TestClock()
{
    return g_now;
}
QDateTime Utc(int y, int m, int d, int h, int mi = 0)
{
    return QDateTime(QDate(y, m, d), QTime(h, mi), Qt::UTC);
}

// A year-less daylight rule: month, week (5 the last), day of week, hour.
SYSTEMTIME Rule(u16 month, u16 week, u16 dayOfWeek, u16 hour)
{
    return {0, month, dayOfWeek, week, hour, 0, 0, 0};
}

TimeZoneEntry Zone(i32 bias, SYSTEMTIME daylight, SYSTEMTIME standard, i32 standardBias = 0)
{
    TimeZoneEntry entry;
    entry.m_lBias = bias;
    entry.m_lDaylightBias = -60;
    entry.m_lStandardBias = standardBias;
    entry.m_daylightDate = daylight;
    entry.m_standardDate = standard;
    return entry;
}

ContactAddress Address(
    u32 type, const char* street, const char* city = "", const char* zip = "", u32 format = 0)
{
    ContactAddress a;
    a.m_dwType = type;
    a.m_strStreet = street;
    a.m_strCity = city;
    a.m_strZip = zip;
    a.m_dwFormat = format;
    return a;
}

class FieldTextTest : public TolvaTest {
protected:
    void SetUp() override
    {
        TolvaTest::SetUp();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        SetClockForTesting(&TestClock);
        m_contact.m_strFirstName = "Ann";
        m_contact.m_strLastName = "Lee";
    }
    void TearDown() override
    {
        SetAppUserMan(nullptr);
        SetClockForTesting(nullptr);
        QLocale::setDefault(QLocale::system());
        TolvaTest::TearDown();
    }
    std::string Text(u32 id) const { return FormatFieldText(m_contact, id); }
    std::string Expand(std::string_view format, bool keepLineBreaks = true) const
    {
        std::string text = "old";
        ExpandAddressFormat(format, text, &m_contact, keepLineBreaks);
        return text;
    }

    Contact m_contact;
};

}  // namespace

TEST_F(FieldTextTest, ValuesByTypeFlagAndId)
{
    m_contact.m_strSpouse = "Bo";
    m_contact.m_dwGender = GENDER_FEMALE;
    m_contact.m_dwIcon = 5;
    m_contact.m_phones = {{3, "h3"}, {3, "h3 again"}, {11 | CV_DEFAULT_BUSINESS_PHONE, "b1"}, {20, "isdn"},
        {2 | CV_DEFAULT_HOME_PHONE, "h2"}};
    m_contact.m_emails
        = {{1, "a@h"}, {6 | CV_DEFAULT_BUSINESS_EMAIL, "b@w"}, {5 | CV_DEFAULT_HOME_EMAIL, "d@h"}};
    // Web pages go by the flag that shows them, not by their type.
    m_contact.m_web = {{WEB_HOME_PAGE, "unshown"}, {WEB_HOME_PAGE | CV_WEB_HOME_PAGE_SHOWN, "home.example"},
        {WEB_BUSINESS_PAGE | CV_WEB_BUSINESS_PAGE_SHOWN, "work.example"}, {WEB_ICQ, "12345"}};
    // clang-format off
    const std::pair<u32, const char*> expected[] = {
        {FID_FIRST_NAME, "Ann"}, {FID_SPOUSE, "Bo"}, {FID_GENDER, "Female"}, {FID_ICON, "Icon"},
        {59450, "h3"}, {59458, "b1"}, {59467, "isdn"}, {59448, ""}, {FID_HOME_PHONE, "h2"}, {FID_BUSINESS_PHONE, "b1"},
        {59468, "a@h"}, {59472, "d@h"}, {59473, "b@w"}, {59477, ""}, {FID_HOME_EMAIL, "d@h"}, {FID_BUSINESS_EMAIL, "b@w"},
        {FID_HOME_WEBPAGE, "home.example"}, {FID_BUSINESS_WEBPAGE, "work.example"}, {FID_ICQ, "12345"},
        {0, ""}, {59440, ""}, {59514, ""}, {59673, ""}};
    // clang-format on
    for (const auto& [id, text] : expected)
        EXPECT_EQ(Text(id), text) << id;
    for (const auto& [gender, text] : {std::pair{1u, "Male"}, {0u, "Unspecified"}, {7u, "Unspecified"}}) {
        m_contact.m_dwGender = gender;
        EXPECT_EQ(Text(FID_GENDER), text);
    }
    EXPECT_EQ(GetFieldNumber(m_contact, FID_ICON, 0), 5);
    EXPECT_EQ(GetFieldNumber(m_contact, FID_NAME, 0), -1);
    EXPECT_EQ(GetFieldNumber(m_contact, FID_ICON, 1), 0);
}

TEST_F(FieldTextTest, AddressesThroughTheirFormats)
{
    UserMan userMan;
    userMan.Init(1);
    SetAppUserMan(&userMan);
    ContactAddress home = Address(ADDR_HOME | ADDR_DEFAULT, "1 Elm St", "Springfield", "62701", 0);
    home.m_strState = "IL";
    m_contact.m_addresses
        = {Address(ADDR_POSTAL, "PO Box 9"), home, Address(ADDR_BUSINESS, "9 Main", "Chicago", "60601", 7)};
    EXPECT_EQ(Text(59498), "1 Elm St");
    EXPECT_EQ(Text(59500), "IL");
    EXPECT_EQ(Text(59504), "Chicago");
    EXPECT_EQ(Text(59511), "62701");
    EXPECT_EQ(Text(FID_POSTAL_STREET), "PO Box 9");
    // A postal address laid out fills the template's home fields itself.
    EXPECT_EQ(Text(FID_POSTAL_ADDRESS), "Ann Lee PO Box 9");
    const std::string postal = "Ann Lee 1 Elm St Springfield IL, 62701";
    EXPECT_EQ(Text(FID_HOME_ADDRESS), postal);
    EXPECT_EQ(Text(FID_DEFAULT_ADDRESS), postal);
    // Format 7 is past the list: a business address takes format 1.
    EXPECT_EQ(Text(FID_BUSINESS_ADDRESS), "9 Main Chicago, 60601");
    // A street typed or imported on two lines reads as one line, whatever
    // ends its lines.
    for (const char* street : {"9 Main\nSuite 2", "9 Main\r\nSuite 2", "9 Main\rSuite 2"}) {
        m_contact.m_addresses[2].m_strStreet = street;
        EXPECT_EQ(Text(FID_BUSINESS_ADDRESS), "9 Main Suite 2 Chicago, 60601") << street;
    }
    m_contact.m_addresses[2].m_strStreet = "9 Main";

    // With fewer formats than the fallback needs, the first one serves.
    m_contact.m_addresses[1].m_dwFormat = 9;
    userMan.m_addressFormats.SetSize(1);
    EXPECT_EQ(Text(FID_HOME_ADDRESS), postal);
    EXPECT_EQ(Text(FID_BUSINESS_ADDRESS), postal);
    userMan.m_addressFormats.SetSize(0);
    EXPECT_EQ(Text(FID_HOME_ADDRESS), "");
}

TEST_F(FieldTextTest, DatesNullInvalidAndValid)
{
    EXPECT_EQ(Text(FID_BIRTHDAY), "");
    m_contact.m_dtAnniversary = DateFromQDateTime(QDateTime(QDate(2024, 7, 1), QTime(0, 0)));
    EXPECT_EQ(Text(FID_ANNIVERSARY), "Monday, July 1, 2024");
    m_contact.m_dtAnniversary.m_status = DateStatus::Invalid;
    EXPECT_EQ(Text(FID_ANNIVERSARY), "");
    m_contact.m_dtBirthday = {std::nan(""), DateStatus::Valid};
    EXPECT_EQ(Text(FID_BIRTHDAY), "");

    m_contact.m_dtCreated = DateFromQDateTime(QDateTime(QDate(2024, 7, 1), QTime(15, 4, 5)));
    EXPECT_EQ(Text(FID_CREATED), "Monday, July 1, 2024 3:04:05 PM");
    m_contact.m_dtModified = DateValue::Null();
    EXPECT_EQ(Text(FID_MODIFIED), "");
    // The locale's full time format would name the zone; the text never does.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(Text(FID_CREATED), "Montag, 1. Juli 2024 15:04:05");
}

TEST_F(FieldTextTest, ExpandAddressFormatEdgeCases)
{
    const char* format = "[First name] [Last name][NL][Home city][,] [Home zip]";
    m_contact.m_strLastName.clear();
    m_contact.m_addresses = {Address(ADDR_HOME, "", "Oslo")};
    EXPECT_EQ(Expand(format, true), "Ann\r\nOslo");
    EXPECT_EQ(Expand(format, false), "Ann Oslo");
    const std::pair<const char*, const char*> cases[]
        = {{"[first name][Home City]", ""}, {"Dear [First name]!", "Ann"}, {"[,][First name][,]", "Ann"},
            {"[[First name]", "Ann"}, {"][First name]]x]", "Ann"}, {"[First name", ""}, {"", ""}};
    for (const auto& [input, output] : cases)
        EXPECT_EQ(Expand(input), output) << input;

    std::string text = "kept";
    ExpandAddressFormat("[First name]", text, nullptr, true);
    EXPECT_EQ(text, "kept");

    // Templates and field texts take the address of a kind that the pages
    // show: the default one, else the first.
    m_contact.m_addresses = {Address(ADDR_HOME, "first home"), Address(ADDR_BUSINESS, "first work"),
        Address(ADDR_HOME | ADDR_BUSINESS, "both"), Address(ADDR_BUSINESS | ADDR_DEFAULT, "default work")};
    EXPECT_EQ(Expand("[Home street][NL][Business street]"), "first home\r\ndefault work");
    EXPECT_EQ(Text(59498), "first home");
    EXPECT_EQ(Text(59503), "default work");
}

TEST_F(FieldTextTest, DaylightRulesWithWeekFiveAsTheLast)
{
    const TimeZoneEntry europe = Zone(0, Rule(3, 5, 0, 2), Rule(10, 5, 0, 3));
    SYSTEMTIME start = Rule(5, 1, 0, 0), end = Rule(9, 1, 0, 0);
    start.wYear = end.wYear = 2024;
    const std::tuple<TimeZoneEntry, QDateTime, bool> cases[] = {
        {europe, Utc(2024, 3, 31, 1, 59), false},
        {europe, Utc(2024, 3, 31, 2), true},
        // February 2023 has four Sundays: week 5 is the 26th.
        {Zone(0, Rule(2, 5, 0, 2), Rule(10, 5, 0, 3)), Utc(2023, 2, 26, 1), false},
        {Zone(0, Rule(2, 5, 0, 2), Rule(10, 5, 0, 3)), Utc(2023, 2, 26, 3), true},
        // The bias moves now to the location: 01:30 UTC is 02:30 at UTC+1.
        {Zone(-60, Rule(3, 5, 0, 2), Rule(10, 5, 0, 3)), Utc(2024, 3, 31, 1, 30), true},
        // Southern rule: from the first Sunday of October to the first of April.
        {Zone(0, Rule(10, 1, 0, 2), Rule(4, 1, 0, 3)), Utc(2024, 1, 15, 12), true},
        {Zone(0, Rule(10, 1, 0, 2), Rule(4, 1, 0, 3)), Utc(2024, 7, 1, 12), false},
        {Zone(0, start, end), Utc(2024, 7, 1, 12), true},
        {Zone(0, SYSTEMTIME{}, Rule(10, 5, 0, 3)), Utc(2024, 7, 1, 12), false},
        {Zone(0, Rule(3, 5, 9, 2), Rule(10, 5, 0, 3)), Utc(2024, 7, 1, 12), false},
    };
    for (const auto& [zone, now, expected] : cases) {
        g_now = now;
        EXPECT_EQ(IsDaylightSavingNow(zone), expected)
            << zone.m_daylightDate.wMonth << " " << now.toString().toStdString();
    }
}

TEST_F(FieldTextTest, ZoneTimeAddsOneSeasonalBiasOnly)
{
    // Local UTC+2; the location is UTC-5 with a daylight rule and a standard bias of its own.
    const TimeZoneEntry location = Zone(300, Rule(3, 2, 0, 2), Rule(11, 1, 0, 2), 10);
    g_now = QDateTime(QDate(2024, 7, 1), QTime(12, 0), Qt::OffsetFromUTC, 7200);
    EXPECT_EQ(GetLocalBias(), -120);
    std::string text = "unchanged";
    FormatZoneTime(location, text, 0);
    EXPECT_EQ(text, "unchanged");
    FormatZoneTime(location, text, 1);
    EXPECT_EQ(text, "6:00:00 AM");
    FormatZoneTime(location, text, 2);
    EXPECT_EQ(text, "Monday, July 1, 2024");
    FormatZoneTime(location, text, 3, " / ");
    EXPECT_EQ(text, "6:00:00 AM / Monday, July 1, 2024");
    // In standard time the standard bias counts: 12:00 at UTC+1 is 05:50 at 310 minutes west.
    g_now = QDateTime(QDate(2024, 1, 15), QTime(12, 0), Qt::OffsetFromUTC, 3600);
    FormatZoneTime(location, text, 1);
    EXPECT_EQ(text, "5:50:00 AM");
}
