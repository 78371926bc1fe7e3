// What each card property becomes in a contact.
#include "contacttesting.h"
#include "core/utilities.h"

#include <map>

namespace {

std::string Card(std::string_view body)
{
    return "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Doe;John\r\n" + std::string(body) + "END:VCARD\r\n";
}

// Value type (with its flags) to text.
std::map<u32, std::string> Values(const std::vector<ContactValue>& values)
{
    std::map<u32, std::string> byCode;
    for (const ContactValue& value : values)
        byCode[value.m_dwCode] = value.m_strText;
    return byCode;
}

std::map<u32, std::string> Types(const std::vector<ContactValue>& values)
{
    std::map<u32, std::string> byType;
    for (const ContactValue& value : values)
        byType[value.Type()] = value.m_strText;
    return byType;
}

}  // namespace

TEST(CardMapping, EveryTelephoneFindsASlot)
{
    // VOICE is what a number is unless it says otherwise; no kind is home.
    const std::pair<const char*, u32> cases[] = {
        {"TEL", 1},
        {"TEL;VOICE", 1},
        {"TEL;MSG", 1},
        {"TEL;X-CUSTOM", 1},
        {"TEL;HOME", 1},
        {"TEL;HOME;VOICE", 1},
        {"TEL;HOME;PREF", 1},
        {"TEL;PREF", 3},
        {"TEL;PREF;VOICE", 3},
        {"TEL;FAX", 4},
        {"TEL;HOME;FAX", 4},
        {"TEL;CELL", 5},
        {"TEL;HOME;CELL", 5},
        {"TEL;CELL;PREF", 5},
        {"TEL;CAR", 7},
        {"TEL;PAGER", 8},
        {"TEL;ISDN", 10},
        {"TEL;WORK", 11},
        {"TEL;WORK;VOICE", 11},
        {"TEL;WORK;PREF", 11},
        {"TEL;TYPE=work,voice", 11},
        {"TEL;WORK;FAX", 14},
        {"TEL;WORK;CELL", 15},
        {"TEL;TYPE=WORK;TYPE=CELL", 15},
        {"TEL;WORK;CAR", 17},
        {"TEL;WORK;PAGER", 18},
        {"TEL;WORK;ISDN", 20},
    };
    for (const auto& [line, type] : cases) {
        const auto contact = ImportCard(Card(std::string(line) + ":555\r\n"));
        EXPECT_EQ(Types(contact->m_phones), (std::map<u32, std::string>{{type, "555"}})) << line;
    }
    // A slot taken sends the number to a free slot of its type, in its kind
    // and then in the other; a number of no kind takes what the others leave.
    const auto crowded = ImportCard(Card("TEL;WORK;VOICE:a\r\nTEL;WORK;VOICE:b\r\nTEL;WORK;VOICE:c\r\n"
                                         "TEL;CELL:d\r\nTEL;CELL:e\r\nTEL:f\r\nTEL;WORK;VOICE:g\r\n"));
    EXPECT_EQ(Types(crowded->m_phones),
        (std::map<u32, std::string>{
            {1, "g"}, {2, "f"}, {5, "d"}, {11, "a"}, {12, "b"}, {13, "c"}, {15, "e"}}));
    // The slots the dialogs show carry their flags: the mobile number is
    // the Home page's third field.
    EXPECT_EQ(Values(crowded->m_phones),
        (std::map<u32, std::string>{{0x10000001, "g"}, {0x20000002, "f"}, {0x40000005, "d"}, {0x100000b, "a"},
            {0x200000c, "b"}, {13, "c"}, {15, "e"}}));
    // Only with every voice slot taken does a number go to one of another
    // type, and to a radio or telex slot only when nothing else is left.
    std::string eleven;
    for (int i = 0; i < 11; ++i)
        eleven += "TEL:" + std::to_string(i) + "\r\n";
    const auto many = Types(ImportCard(Card(eleven))->m_phones);
    EXPECT_EQ(many,
        (std::map<u32, std::string>{{1, "0"}, {2, "1"}, {3, "2"}, {11, "3"}, {12, "4"}, {13, "5"}, {4, "6"},
            {5, "7"}, {7, "8"}, {8, "9"}, {10, "10"}}));
}

TEST(CardMapping, EmailsByKindWithADefaultEach)
{
    const auto contact = ImportCard(Card("EMAIL;INTERNET:b1@x\r\nEMAIL;HOME:h1@x\r\nEMAIL:b2@x\r\n"
                                         "EMAIL;TYPE=INTERNET,HOME:h2@x\r\nEMAIL;WORK;AOL:b3@x\r\n"));
    EXPECT_EQ(Values(contact->m_emails),
        (std::map<u32, std::string>{
            {0x20000001, "h1@x"}, {0x40000002, "h2@x"}, {0x10000006, "b1@x"}, {7, "b2@x"}, {8, "b3@x"}}));
    std::string six;
    for (int i = 0; i < 6; ++i)
        six += "EMAIL;HOME:" + std::to_string(i) + "@x\r\n";
    EXPECT_EQ(Types(ImportCard(Card(six))->m_emails),
        (std::map<u32, std::string>{{1, "0@x"}, {2, "1@x"}, {3, "2@x"}, {4, "3@x"}, {5, "4@x"}, {6, "5@x"}}));
}

TEST(CardMapping, WebPagesByKind)
{
    EXPECT_EQ(Values(ImportCard(Card("URL;HOME:h\r\nURL;WORK:b\r\nURL:o\r\n"))->m_web),
        (std::map<u32, std::string>{{0x40000008, "b"}, {0x20000001, "h"}, {2, "o"}}));
    EXPECT_EQ(Values(ImportCard(Card("URL:URL:first\r\nURL:second\r\nURL:third\r\nURL:dropped\r\n"))->m_web),
        (std::map<u32, std::string>{{0x40000008, "first"}, {0x20000001, "second"}, {2, "third"}}));
}

TEST(CardMapping, AddressesOfEveryKindKeepEveryPart)
{
    const auto contact = ImportCard(Card("ADR;HOME:Box 9;Flat 3;1 High St;Leeds;Yorks;LS1 1AA;UK\r\n"
                                         "ADR;POSTAL:;;PO Box 1;York;;YO1;UK\r\n"
                                         "ADR;TYPE=home:;;2 Low St;Hull;;;\r\n"
                                         "ADR:;;3 Mid St;Ely;;;\r\n"
                                         "ADR;WORK:;;;;;;\r\n"));
    ASSERT_EQ(contact->m_addresses.size(), 4u);
    const ContactAddress& business = contact->m_addresses[0];
    EXPECT_EQ(business.m_dwType, ADDR_BUSINESS | ADDR_DEFAULT);  // an address of no kind is a business one
    EXPECT_EQ(business.m_strStreet, "3 Mid St");
    const ContactAddress& home = contact->m_addresses[1];
    EXPECT_EQ(home.m_dwType, ADDR_HOME);
    EXPECT_EQ(home.m_strStreet, "1 High St\nFlat 3\nBox 9");
    EXPECT_EQ(home.m_strCity + "|" + home.m_strState + "|" + home.m_strZip + "|" + home.m_strCountry,
        "Leeds|Yorks|LS1 1AA|UK");
    EXPECT_EQ(contact->m_addresses[2].m_strStreet, "2 Low St");
    EXPECT_EQ(contact->m_addresses[3].m_dwType, ADDR_POSTAL);

    // The address the card prefers is the default; without one, home is.
    const auto preferred = ImportCard(Card("ADR;HOME:;;h;;;;\r\nADR;POSTAL;PREF:;;p;;;;\r\n"));
    EXPECT_EQ(preferred->m_addresses[1].m_dwType, ADDR_POSTAL | ADDR_DEFAULT);
    EXPECT_EQ(ImportCard(Card("ADR;POSTAL:;;p;;;;\r\nADR;HOME:;;h;;;;\r\n"))->m_addresses[0].m_dwType,
        ADDR_HOME | ADDR_DEFAULT);
    // A label without an address line is the address.
    const auto labelled = ImportCard(Card("LABEL;HOME;ENCODING=QUOTED-PRINTABLE:1 High St=0D=0ALeeds\r\n"
                                          "LABEL;WORK:ignored\r\nADR;WORK:;;2 Low St;Hull;;;\r\n"));
    ASSERT_EQ(labelled->m_addresses.size(), 2u);
    EXPECT_EQ(labelled->m_addresses[0].m_strStreet, "2 Low St");
    EXPECT_EQ(labelled->m_addresses[1].m_strStreet, "1 High St\nLeeds");
}

TEST(CardMapping, NamesAndWhatHasNone)
{
    EXPECT_EQ(ImportCard(Card("FN:Johnny\r\n"))->m_strName, "Johnny");
    const auto parts = ImportCard("BEGIN:VCARD\r\nN:Doe;John;;Dr.;Jr.\r\nNICKNAME:JD\r\nEND:VCARD\r\n");
    EXPECT_EQ(parts->m_strName, "John Doe");
    EXPECT_EQ(parts->m_strTitle + "|" + parts->m_strFirstName + "|" + parts->m_strLastName + "|"
            + parts->m_strSuffix + "|" + parts->m_strNickName,
        "Dr.|John|Doe|Jr.|JD");
    EXPECT_EQ(ImportCard("BEGIN:VCARD\r\nORG:Acme;Sales;B-2;Floor\r\nTITLE:Boss\r\nEND:VCARD\r\n")->m_strName,
        "Acme");
    EXPECT_EQ(ImportCard("BEGIN:VCARD\r\nEMAIL:a@x\r\nEND:VCARD\r\n")->m_strName, "a@x");
    const auto org = ImportCard("BEGIN:VCARD\r\nVERSION:3.0\r\nnickname:Al\r\nORG:Acme;Sales;B-2;Floor\r\n"
                                "TITLE:Boss\r\nROLE:Lead\r\nEND:VCARD\r\n");
    EXPECT_EQ(org->m_strNickName + "|" + org->m_strCompany + "|" + org->m_strDepartment + "|"
            + org->m_strOffice + "|" + org->m_strJobTitle,
        "Al|Acme|Sales|B-2|Boss");
    EXPECT_EQ(ImportCard("BEGIN:VCARD\r\nORG:Acme\r\nTITLE:Boss\r\nEND:VCARD\r\n")->m_strJobTitle, "Boss");

    // Nothing a contact keeps: no contact, and the load says so.
    u32 result = 0;
    const auto none
        = ImportCards("BEGIN:VCARD\r\nVERSION:2.1\r\nN:;;;;\r\nFN:\r\nPHOTO;BASE64:R0lG\r\n\r\n"
                      "END:VCARD\r\nBEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nSUMMARY:Meet\r\nEND:VEVENT\r\n"
                      "END:VCALENDAR\r\n",
            &result);
    EXPECT_TRUE(none.empty());
    EXPECT_EQ(result, RC_MISSING);
}

TEST(CardMapping, BirthdaysAreReadAsWritten)
{
    const std::pair<const char*, DateValue> cases[] = {
        {"1981-07-09", Day(1981, 7, 9)},
        {"19810709", Day(1981, 7, 9)},
        {"1981-07-09T00:00:00Z", Day(1981, 7, 9)},
        {"1981-7-9", Day(1981, 7, 9)},
        {"18990517", Day(1899, 5, 17)},
        {"07/09/1981", DateValue::Null()},
        {"1981-02-30", DateValue::Null()},
        {"198107", DateValue::Null()},
    };
    for (const auto& [text, date] : cases)
        EXPECT_EQ(ImportCard(Card("BDAY:" + std::string(text) + "\r\n"))->m_dtBirthday, date) << text;
}

TEST(CardMapping, LoadFromFileTellsFailureAndRewinds)
{
    CCardExchange exchange;
    EXPECT_EQ(exchange.LoadFromFile(nullptr), RC_MISSING);
    QByteArray data("junk\r\nBEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n");
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    buffer.seek(4);
    EXPECT_EQ(exchange.LoadFromFile(&buffer), RC_MISSING);
    EXPECT_EQ(buffer.pos(), 4);
    EXPECT_FALSE(exchange.IsLoaded());

    // Contacts can also be taken one by one as the file is read.
    data = QByteArray::fromStdString(Card("") + Card("FN:Two\r\n"));
    buffer.seek(0);
    std::vector<std::string> names;
    EXPECT_EQ(
        exchange.LoadFromFile(&buffer, [&](std::unique_ptr<Contact> c) { names.push_back(c->m_strName); }),
        0u);
    EXPECT_EQ(names, (std::vector<std::string>{"John Doe", "Two"}));
    EXPECT_TRUE(exchange.Contacts().empty());
    EXPECT_TRUE(exchange.IsLoaded());
}
