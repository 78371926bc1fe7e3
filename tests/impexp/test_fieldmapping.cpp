// Field lists, date texts and storing column texts into contacts.
#include "contacttesting.h"
#include "platform/profile.h"
#include "support/testenv.h"

#include <map>

namespace {

using FieldMappingTest = TolvaTest;

std::map<u32, std::string> Codes(const std::vector<ContactValue>& values)
{
    std::map<u32, std::string> byCode;
    for (const ContactValue& value : values)
        byCode[value.m_dwCode] = value.m_strText;
    return byCode;
}

Contact From(std::initializer_list<std::pair<u32, const char*>> columns, int dateFormat = IDF_MONTH_DAY_YEAR)
{
    Contact contact;
    for (const auto& [id, text] : columns)
        SetContactFieldFromText(contact, id, text, dateFormat);
    return contact;
}

}  // namespace

TEST(FieldMapping, ParseDateByFormatWithOneYearRule)
{
    struct Case {
        const char* text;
        int format;
        DateValue date;  // Null when the text must fail
    };
    const Case cases[] = {
        {"12/31/1999", IDF_MONTH_DAY_YEAR, Day(1999, 12, 31)},
        {"31.12.1999", IDF_DAY_MONTH_YEAR, Day(1999, 12, 31)},
        {"1999/12/31", IDF_YEAR_MONTH_DAY, Day(1999, 12, 31)},
        {"  1.2/1999 10:30", IDF_MONTH_DAY_YEAR, Day(1999, 1, 2)},
        {"1/2/1899", IDF_MONTH_DAY_YEAR, Day(1899, 1, 2)},
        {"1/2/99", IDF_MONTH_DAY_YEAR, Day(1999, 1, 2)},
        {"1/2/5", IDF_MONTH_DAY_YEAR, Day(1905, 1, 2)},
        {"1/2/205", IDF_MONTH_DAY_YEAR, Day(205, 1, 2)},
        {"1999-12-31", IDF_MONTH_DAY_YEAR, Day(1999, 12, 31)},
        {"1982-05-17 00:00", IDF_DAY_MONTH_YEAR, Day(1982, 5, 17)},
        {"17-05-1982", IDF_DAY_MONTH_YEAR, Day(1982, 5, 17)},
        {"1982-17-05", IDF_DAY_MONTH_YEAR, DateValue::Null()},
        {"1/2/0099", IDF_MONTH_DAY_YEAR, DateValue::Null()},
        {"2/30/2000", IDF_MONTH_DAY_YEAR, DateValue::Null()},
        {"1/2/3/4", IDF_MONTH_DAY_YEAR, DateValue::Null()},
        {"1/2/1999x", IDF_MONTH_DAY_YEAR, DateValue::Null()},
        {"   ", IDF_MONTH_DAY_YEAR, DateValue::Null()},
        {"12/31/1999", 3, DateValue::Null()},
    };
    for (const Case& c : cases) {
        DateValue date = DateValue::Null();
        const int result = ParseDate(c.text, c.format, date);
        EXPECT_EQ(result == 0, c.date.IsValid()) << c.text;
        EXPECT_EQ(date, c.date) << c.text;
    }
    EXPECT_EQ(FormatDateNumbers(Day(1899, 5, 7), IDF_DAY_MONTH_YEAR), "07/05/1899");
    EXPECT_EQ(FormatDateNumbers(DateValue::Null(), IDF_MONTH_DAY_YEAR), "");
}

TEST(FieldMapping, ColumnTextsIntoContacts)
{
    const Contact c = From({{FID_NAME, "Ann"}, {FID_NOTES, "a\r\nb"}, {FID_GENDER, "Female"},
        {FID_FIRST_PHONE + 1, "h2"}, {FID_FIRST_PHONE, "h1"}, {FID_FIRST_PHONE + 11, "b2"},
        {FID_FIRST_PHONE, "h1"}, {FID_FIRST_PHONE + 3, ""}, {FID_FIRST_EMAIL + 5, "b@x"},
        {FID_FIRST_EMAIL, "h@x"}, {FID_HOME_WEBPAGE, "h.example"}, {FID_BUSINESS_WEBPAGE, "b.example"},
        {FID_ICQ, "42"}, {FID_BUSINESS_STREET + 1, "Leeds"}, {FID_HOME_STREET, "1 High St"},
        {FID_BUSINESS_STREET, "2 Low St"}, {FID_HOME_STREET + 4, ""}, {FID_BIRTHDAY, "12/31/1999"},
        {FID_ANNIVERSARY, "bad"}, {FID_HOME_ADDRESS, "whole"}, {59513, "icon"}});
    EXPECT_EQ(c.m_strName + "|" + c.m_strNotes, "Ann|a\r\nb");
    EXPECT_EQ(c.m_dwGender, GENDER_FEMALE);
    // A phone takes the field its column names (home 1 is the default); a
    // repeat and an empty text add nothing.
    EXPECT_EQ(Codes(c.m_phones),
        (std::map<u32, std::string>{{0x20000002, "h2"}, {0x10000001, "h1"}, {0x0200000c, "b2"}}));
    EXPECT_EQ(Codes(c.m_emails), (std::map<u32, std::string>{{0x10000006, "b@x"}, {0x20000001, "h@x"}}));
    EXPECT_EQ(Codes(c.m_web),
        (std::map<u32, std::string>{{0x20000001, "h.example"}, {0x40000008, "b.example"}, {15, "42"}}));
    ASSERT_EQ(c.m_addresses.size(), 2u);
    EXPECT_EQ(c.m_addresses[0].m_dwType, ADDR_BUSINESS | ADDR_DEFAULT);
    EXPECT_EQ(c.m_addresses[0].m_strStreet + "|" + c.m_addresses[0].m_strCity, "2 Low St|Leeds");
    EXPECT_EQ(c.m_addresses[1].m_dwType, ADDR_HOME);
    EXPECT_EQ(c.m_dtBirthday, Day(1999, 12, 31));
    EXPECT_TRUE(c.m_dtAnniversary.IsNull());
    EXPECT_EQ(From({{FID_GENDER, "male"}}).m_dwGender, 0u);
    EXPECT_EQ(From({{FID_BIRTHDAY, "31.12.1999"}}, IDF_DAY_MONTH_YEAR).m_dtBirthday, Day(1999, 12, 31));

    // "Home phone" names the default: the same number takes the flag, a new
    // one comes in as the kind's first type.
    EXPECT_EQ(
        Codes(From({{FID_FIRST_PHONE, "1"}, {FID_FIRST_PHONE + 1, "2"}, {FID_HOME_PHONE, "2"}}).m_phones),
        (std::map<u32, std::string>{{1, "1"}, {0x30000002, "2"}}));
    EXPECT_EQ(Codes(From({{FID_FIRST_PHONE + 10, "1"}, {FID_BUSINESS_PHONE, "9"}}).m_phones),
        (std::map<u32, std::string>{{11, "1"}, {0x100000b, "9"}}));
    EXPECT_EQ(
        Codes(From({{FID_HOME_EMAIL, "h"}, {FID_BUSINESS_EMAIL, "b"}, {FID_FIRST_EMAIL, "h"}}).m_emails),
        (std::map<u32, std::string>{{0x20000001, "h"}, {0x10000006, "b"}}));
}

TEST_F(FieldMappingTest, FieldListsAndTheirDefaults)
{
    const std::vector<u32> exported = DefaultExportFields();
    const std::vector<u32> imported = DefaultImportFields();
    ASSERT_EQ(exported.size(), 73u);
    ASSERT_EQ(imported.size(), exported.size());
    for (size_t i = 0; i < exported.size(); ++i) {
        // The postal address and its parts follow the business country.
        const u32 postal = i == 67 ? u32(FID_POSTAL_ADDRESS) : u32(FID_POSTAL_STREET + i - 68);
        EXPECT_EQ(exported[i], i < 67 ? u32(kFirstMappedField + i) : postal);
        const bool whole = exported[i] == FID_BUSINESS_ADDRESS || exported[i] == FID_HOME_ADDRESS
            || exported[i] == FID_DEFAULT_ADDRESS || exported[i] == FID_POSTAL_ADDRESS;
        EXPECT_EQ(imported[i], whole ? 0u : exported[i]);
    }
    EXPECT_EQ(LoadFieldList(true), imported);
    EXPECT_EQ(LoadFieldList(false), exported);

    SaveFieldList(true, {59441, 0, 59494});
    SaveFieldList(false, {});
    Profile::Reopen();
    EXPECT_EQ(LoadFieldList(true), (std::vector<u32>{59441, 0, 59494}));
    EXPECT_TRUE(LoadFieldList(false).empty());
    Profile::WriteBinary("DataMan", "ImportFields", "abcde", 5);
    EXPECT_EQ(LoadFieldList(true), imported);
}
