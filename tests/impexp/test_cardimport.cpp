// Cards written by phones and mail programs become contacts with every name,
// phone, e-mail and address they hold.
#include "contacttesting.h"
#include "support/testenv.h"

#include <QFile>

namespace {

// One line per thing a contact keeps, in a form a reader can check.
std::string Summary(const Contact& c)
{
    std::string out = "name " + c.m_strName + " ["
        + JoinNonEmpty(
            {c.m_strTitle, c.m_strFirstName, c.m_strMiddleName, c.m_strLastName, c.m_strSuffix}, "|")
        + "]\n";
    if (!c.m_strCompany.empty() || !c.m_strJobTitle.empty())
        out += "org " + c.m_strCompany + "|" + c.m_strDepartment + "|" + c.m_strJobTitle + "\n";
    for (const ContactValue& v : c.m_phones)
        out += "tel " + std::to_string(v.Type()) + " " + v.m_strText + "\n";
    for (const ContactValue& v : c.m_emails)
        out += "email " + std::to_string(v.Type()) + " " + v.m_strText + "\n";
    for (const ContactValue& v : c.m_web)
        out += "web " + std::to_string(v.Type()) + " " + v.m_strText + "\n";
    for (const ContactAddress& a : c.m_addresses) {
        out += "adr " + std::to_string(a.m_dwType & 0xF) + ((a.m_dwType & ADDR_DEFAULT) ? "*" : "") + " "
            + JoinNonEmpty({a.m_strStreet, a.m_strCity, a.m_strState, a.m_strZip, a.m_strCountry}, "|")
            + "\n";
    }
    if (const std::string birthday = FormatDateNumbers(c.m_dtBirthday, IDF_YEAR_MONTH_DAY); !birthday.empty())
        out += "bday " + birthday + "\n";
    return out;
}

std::vector<std::string> Load(const char* name)
{
    QFile file(TestDataPath(QStringLiteral("impexp/") + QLatin1String(name)));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    CCardExchange exchange;
    EXPECT_EQ(exchange.LoadFromFile(&file), 0u) << name;
    std::vector<std::string> contacts;
    for (const auto& contact : exchange.Contacts())
        contacts.push_back(Summary(*contact));
    return contacts;
}

}  // namespace

TEST(CardImport, PhonesIn21)
{
    const auto contacts = Load("phone_21.vcf");
    ASSERT_EQ(contacts.size(), 3u);
    EXPECT_EQ(contacts[0],
        "name Ayşe Öztürk [Ayşe|Öztürk]\n"
        "tel 1 0212 555 44 33\n"
        "tel 5 +90 532 555 01 23\n"
        "tel 14 0212 555 44 34\n"
        "email 1 ayse@example.com.tr\n"
        "adr 1* Bağdat Cad. 12/4|İstanbul|34728|Türkiye\n");
    EXPECT_EQ(contacts[1],
        "name Jan Kowalski [Jan|Maria|Kowalski]\n"
        "org Firma Sp. z o.o.|Dział Sprzedaży|\n"
        "tel 8 +48 601 555 000\n"
        "tel 11 +48 22 555 12 34\n"
        "tel 12 +48 22 555 12 35\n"
        "email 6 jan.kowalski@firma.example.pl\n"
        "web 8 http://www.firma.example.pl\n"
        "bday 1975/03/14\n");
    // No name but a company: the company names it, and its one number stays.
    EXPECT_EQ(contacts[2], "name Pizzeria Napoli []\norg Pizzeria Napoli||\ntel 11 +39 081 555 7788\n");
}

TEST(CardImport, MailProgramsIn30)
{
    const auto contacts = Load("mail_30.vcf");
    ASSERT_EQ(contacts.size(), 2u);
    EXPECT_EQ(contacts[0],
        "name Dr. Siobhán Mary O'Neill PhD [Dr.|Siobhán|Mary|O'Neill|PhD]\n"
        "org Trinity Research Labs|Genomics|Principal Investigator\n"
        "tel 4 +353 1 555 0102\n"
        "tel 5 +353 87 555 0199\n"
        "tel 11 +353 1 555 0101\n"
        "email 6 siobhan.oneill@example.ie\n"
        "email 7 s.oneill@lab.example.ie\n"
        "web 8 https://lab.example.ie/people/oneill\n"
        "adr 2 College Green\nBuilding 4, Room 12|Dublin|D02 PN40|Ireland\n"
        "adr 1* 12 Seaview Terrace\nFlat 3|Howth|Co. Dublin|D13 X2Y4|Ireland\n"
        "bday 1981/07/09\n");
    EXPECT_EQ(contacts[1],
        "name 中村 由紀 [Yuki|Nakamura]\n"
        "tel 1 03-5555-0123\n"
        "email 6 yuki.nakamura@example.jp\n"
        "adr 1* 1-2-3 Shibuya|Shibuya-ku|Tokyo|150-0002|Japan\n");
}

TEST(CardImport, OldProgramsWithoutCharset)
{
    EXPECT_EQ(Load("legacy_1252.vcf"),
        (std::vector<std::string>{"name Jürgen Müller [Jürgen|Müller]\n"
                                  "tel 11 0221 555 17\n"
                                  "email 6 j.mueller@example.de\n"
                                  "adr 2* Hauptstraße 7|Köln|50667|Deutschland\n"}));
}

TEST(CardImport, MixedSourcesAndNoCalendarContact)
{
    const auto contacts = Load("mixed_sources.vcf");
    ASSERT_EQ(contacts.size(), 4u);
    EXPECT_EQ(contacts[0],
        "name François Dupont [M.|François|Dupont]\n"
        "org Société d'Exemple|Comptabilité|Chef comptable\n"
        "tel 1 +33 1 55 55 02 02\n"
        "tel 5 +33 6 55 55 03 03\n"
        "tel 11 +33 1 55 55 01 01\n"
        "tel 14 +33 1 55 55 01 09\n"
        "email 1 francois@maison.example.fr\n"
        "email 6 f.dupont@example.fr\n"
        "web 8 http://www.example.fr/\n"
        "adr 2* 12 rue de la Paix|Paris|Île-de-France|75002|France\n"
        "adr 1 3 allée des Tilleuls\nEscalier 2\nBâtiment C|Lyon|69003|France\n"
        "bday 1970/04/12\n");
    EXPECT_EQ(contacts[1],
        "name Johnny Appleseed [Johnny|Appleseed]\n"
        "org Orchard Co.||\n"
        "tel 1 (555) 010-0003\n"
        "tel 5 (555) 010-0001\n"
        "tel 15 (555) 010-0002\n"
        "email 1 johnny@orchard.example\n"
        "web 8 http://orchard.example\n"
        "adr 1* 1 Orchard Way\nUnit 5|Cupertino|CA|95014|USA\n");
    EXPECT_EQ(contacts[2], "name newsletter@shop.example []\nemail 6 newsletter@shop.example\n");
    EXPECT_EQ(contacts[3],
        "name Hanna Grünwald [Hanna|Grünwald]\ntel 1 +49 30 555 000\n"
        "adr 1* Lindenstraße 4\n10969 Berlin\n");
}
