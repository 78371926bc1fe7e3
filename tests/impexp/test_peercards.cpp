// Cards as two desktop suites and a script library write them, and Tolva's
// own, imported through the wizard: every value lands in the field it
// belongs to, as the other program meant it.
#include "contacttesting.h"
#include "core/utilities.h"
#include "impexp/iedrivers.h"
#include "wizardtesting.h"

#include <QFile>
#include <string>
#include <vector>

namespace {

std::string Date(const DateValue& date)
{
    return FormatDateNumbers(date, IDF_YEAR_MONTH_DAY);
}

// Everything a contact keeps, one thing a line.
std::string Summary(const Contact& c)
{
    std::string out = "name " + c.m_strName + "\n";
    out += "job " + c.m_strJobTitle + "\n";
    for (const ContactValue& v : c.m_phones)
        out += "tel " + std::to_string(v.Type()) + " " + v.m_strText + "\n";
    for (const ContactValue& v : c.m_emails)
        out += "email " + std::to_string(v.Type()) + " " + v.m_strText + "\n";
    for (const ContactValue& v : c.m_web)
        out += "web " + std::to_string(v.Type()) + " " + v.m_strText + "\n";
    for (const ContactAddress& a : c.m_addresses) {
        out += "adr " + std::to_string(a.Type()) + ((a.m_dwType & ADDR_DEFAULT) ? "*" : "") + " "
            + JoinNonEmpty({a.m_strStreet, a.m_strCity, a.m_strState, a.m_strZip, a.m_strCountry}, "|")
            + "\n";
    }
    out += "dates " + Date(c.m_dtBirthday) + " " + Date(c.m_dtAnniversary) + "\n";
    out += "family " + c.m_strSpouse + "|" + c.m_strChildren + "|" + std::to_string(c.m_dwGender) + "\n";
    out += "notes " + c.m_strNotes + "\n";
    return out;
}

class PeerCardTest : public WizardAppStoreTest {
protected:
    // The file through the wizard's pages into a book of its own.
    IEOutcome Import(const char* name)
    {
        QFile data(TestDataPath(QStringLiteral("impexp/") + QLatin1String(name)));
        if (data.exists()) {
            EXPECT_TRUE(data.open(QIODevice::ReadOnly));
            Put(name, data.readAll());
        }
        m_book = NewBook(name, m_dm.GetRootBook());
        IEWizard wizard;
        EXPECT_TRUE(WalkToFile(wizard, IED_IMPORT, IEF_VCARD, m_book, Path(name)));
        return RunImportExport(wizard, m_dm, nullptr);
    }
    std::vector<const Contact*> Contacts() const
    {
        std::vector<const Contact*> contacts;
        size_t position = 0;
        while (const Contact* c = m_book->GetNextContact(m_dm, position))
            contacts.push_back(c);
        return contacts;
    }
    std::vector<std::string> Summaries(const char* name)
    {
        EXPECT_EQ(Import(name).result, 0u) << name;
        std::vector<std::string> out;
        for (const Contact* c : Contacts())
            out.push_back(Summary(*c));
        return out;
    }

    Book* m_book = nullptr;
};

}  // namespace

TEST_F(PeerCardTest, ADesktopSuitesCardLandsWhereItBelongs)
{
    const auto contacts = Summaries("desktop_a_30.vcf");
    ASSERT_EQ(contacts.size(), 1u);
    EXPECT_EQ(contacts[0],
        // TITLE is the job title, whatever ROLE says.
        "name Inês Carvalho\njob Directrice générale\n"
        // Typed numbers first, radio and telex in their slots; those of no
        // kind in what is left, never radio or telex.
        "tel 1 +351 21 555 0101\ntel 2 +351 21 555 0102\ntel 3 +351 21 555 0105\n"
        "tel 4 +351 21 555 0108\ntel 5 +351 91 555 0107\ntel 6 +351 91 555 0106\n"
        "tel 7 +351 21 555 0104\ntel 9 +351 21 555 0109\ntel 11 +351 21 555 0111\n"
        "tel 12 +351 21 555 0112\ntel 13 +351 21 555 0103\ntel 14 +351 21 555 0114\n"
        "email 6 ines@lumen.example.pt\n"
        // The typed page keeps its kind; the untyped one takes what is left.
        "web 8 https://lumen.example.pt/\nweb 1 https://ines.example.pt/\n"
        // The address of another kind is a postal one, after the typed ones;
        // line breaks are LF, as typed.
        "adr 2* 1 Avenida da Liberdade\nPiso 3|Lisboa|1250-096|Portugal\n"
        "adr 1 Rua do Sol 7\nApt 2|Lisboa|1100-001|Portugal\n"
        "adr 4 9 Rua Outra|Porto|4000-001|Portugal\n"
        "dates 1975/03/02 2004/06/12\nfamily Rui Carvalho||0\n"
        "notes Prefere e-mail.\nLigar depois das 10h.\n");
}

TEST_F(PeerCardTest, AddressesOfOtherKindsNeverTakeTheWorkOrHomePlace)
{
    const auto contacts = Summaries("desktop_b_21.vcf");
    ASSERT_EQ(contacts.size(), 2u);
    EXPECT_NE(contacts[0].find("adr 2* 1 Work Way|Osaka|530-0001|Japan\n"
                               "adr 1 2-1 Sakura\nBlock B\nRoom 4|Kyoto|600-8001|Japan\n"
                               "adr 4 5 Parcel Lane|Kobe|650-0001|Japan\n"
                               "adr 4 7 Abroad Road|Seattle|WA|98101|USA\n"),
        std::string::npos)
        << contacts[0];
    // Every view shows the typed addresses.
    const Contact& tanaka = *Contacts()[0];
    for (const u32 id : {FID_BUSINESS_ADDRESS, FID_DEFAULT_ADDRESS})
        EXPECT_EQ(FormatFieldText(tanaka, id), "1 Work Way Osaka, 530-0001 Japan") << id;
    EXPECT_EQ(FormatFieldText(tanaka, FID_BUSINESS_STREET), "1 Work Way");
    EXPECT_EQ(FormatFieldText(tanaka, FID_HOME_STREET + 1), "Kyoto");
    // A card with an address of another kind only has no business address.
    EXPECT_NE(contacts[1].find("adr 4 5 Parcel Lane|Kobe|650-0001|Japan\n"), std::string::npos)
        << contacts[1];
    EXPECT_EQ(FormatFieldText(*Contacts()[1], FID_BUSINESS_ADDRESS), "");
}

TEST_F(PeerCardTest, QuotedPrintableFoldsReadWhole)
{
    // A blank after the soft break, and lines folded anywhere: read without
    // the blanks when they break the text's characters.
    const auto suite = Summaries("desktop_b_21.vcf");
    ASSERT_FALSE(suite.empty());
    EXPECT_NE(suite[0].find("notes Meeting in Tōkyō 日本\nroom 3\n"), std::string::npos) << suite[0];
    Import("script_cards.vcf");
    ASSERT_FALSE(Contacts().empty());
    EXPECT_EQ(Contacts()[0]->m_strCompany,
        "Bäckerei Müller & Söhne GmbH, Große Straße 5, Düsseldorf, Abteilung Kühlräume");
    // A blank that keeps the text whole stays.
    const auto plain = ImportCard("BEGIN:VCARD\r\nNOTE;ENCODING=QUOTED-PRINTABLE:caf=C3=A9 and=\r\n"
                                  " tea, na=C3=AF=\r\n ve\r\nEND:VCARD\r\n");
    EXPECT_EQ(plain->m_strNotes, "café and tea, naï ve");
    // In 3.0 a fold's blank is never text.
    EXPECT_EQ(
        ImportCard("BEGIN:VCARD\r\nVERSION:3.0\r\nNOTE;ENCODING=QUOTED-PRINTABLE:ab=\r\n cd\r\nEND:VCARD\r\n")
            ->m_strNotes,
        "abcd");
}

TEST_F(PeerCardTest, LinksKeepWhatTheyLinkToAndNoCardVanishesSilently)
{
    const IEOutcome outcome = Import("script_cards.vcf");
    ASSERT_EQ(outcome.result, 0u);
    const auto contacts = Contacts();
    ASSERT_EQ(contacts.size(), 3u);
    EXPECT_EQ(Summary(*contacts[1]),
        "name Marie Curie\njob \n"
        // The extension as typed numbers carry it.
        "tel 11 +33-1-44-27-00-00 x12\n"
        // "?subject=" is no part of the address; an empty link is none.
        "email 6 marie@example.fr\n"
        "web 1 https://marie.example.fr/\n"
        "dates  1995/07/26\nfamily Pierre Curie||2\nnotes \n");
    // "URL:" inside a page is part of it.
    EXPECT_EQ(FormatFieldText(*contacts[2], FID_BUSINESS_WEBPAGE), "https://ex.org/?q=URL:");
    auto wiki = ImportCard("BEGIN:VCARD\r\nURL:https://wiki.example.org/Help:URL:Syntax\r\nEND:VCARD\r\n");
    EXPECT_EQ(FormatFieldText(*wiki, FID_BUSINESS_WEBPAGE), "https://wiki.example.org/Help:URL:Syntax");
    // A card left with nothing says so.
    EXPECT_NE(outcome.problems.find("- the card holds nothing a contact keeps and was left out (line 25)"),
        std::string::npos)
        << outcome.problems;
}

TEST_F(PeerCardTest, AnniversarySpouseChildrenGenderAndIcqComeAndGo)
{
    // Other address books' names for them.
    const auto suite = Summaries("desktop_b_21.vcf");
    ASSERT_FALSE(suite.empty());
    EXPECT_NE(suite[0].find("dates  1999/09/09\nfamily Yui Tanaka||0\n"), std::string::npos) << suite[0];
    const auto read
        = ImportCard("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Al\r\nX-ANNIVERSARY:20100101\r\nX-SPOUSE:Bea\r\n"
                     "X-CHILDREN:Cy\r\nX-GENDER:Male\r\nX-ICQ:4711\r\nEND:VCARD\r\n");
    EXPECT_EQ(Summary(*read), "name Al\njob \nweb 15 4711\ndates  2010/01/01\nfamily Bea|Cy|1\nnotes \n");
}

TEST_F(PeerCardTest, TolvasOwnCardsKeepEveryFieldTheExportWrites)
{
    FixedClock clock;
    Book* from = NewBook("From", m_dm.GetRootBook());
    Contact full = FullContact();
    full.m_strChildren = "Pablo\nLucía";
    // A second postal address, and one that is only an address's lines.
    full.m_addresses.push_back({ADDR_POSTAL, "Buzón 9\nPortal 2", "Ávila", "", "05001", "", 0, 0});
    // How an address is laid out is this program's own; a card carries none.
    for (ContactAddress& a : full.m_addresses)
        a.m_dwFormat = NewContactAddress(a.Type()).m_dwFormat;
    ASSERT_EQ(m_dm.AddContact(std::make_unique<Contact>(full), from), 0u);
    QFile::remove(ProgramPath("own.vcf"));
    IEWizard out;
    ASSERT_TRUE(WalkToFile(out, IED_EXPORT, IEF_VCARD, from, Path("own.vcf")));
    ASSERT_EQ(RunImportExport(out, m_dm, nullptr).result, 0u);

    ASSERT_EQ(Import("own.vcf").result, 0u);
    ASSERT_EQ(Contacts().size(), 1u);
    const Contact& back = *Contacts()[0];
    std::vector<u32> ids;
    for (u32 id = kFirstMappedField; id <= FID_DEFAULT_STREET + 4; ++id)
        ids.push_back(id);
    ExpectSameFields(full, back, ids);
    auto texts = [](const std::vector<ContactValue>& values) {
        std::vector<std::string> out;
        for (const ContactValue& v : values)
            out.push_back(std::to_string(v.Type()) + " " + v.m_strText);
        return out;
    };
    EXPECT_EQ(texts(back.m_phones), texts(full.m_phones));
    EXPECT_EQ(texts(back.m_emails), texts(full.m_emails));
    EXPECT_EQ(back.m_web, full.m_web);
    ASSERT_EQ(back.m_addresses.size(), full.m_addresses.size());
    for (size_t i = 0; i < full.m_addresses.size(); ++i) {
        const ContactAddress& a = full.m_addresses[i];
        const ContactAddress& b = back.m_addresses[i];
        EXPECT_EQ(std::vector<std::string>({std::to_string(b.m_dwType), b.m_strStreet, b.m_strCity,
                      b.m_strState, b.m_strZip, b.m_strCountry}),
            std::vector<std::string>({std::to_string(a.m_dwType), a.m_strStreet, a.m_strCity, a.m_strState,
                a.m_strZip, a.m_strCountry}));
    }
    EXPECT_EQ(back.m_strSpouse + "|" + back.m_strChildren + "|" + std::to_string(back.m_dwGender) + "|"
            + Date(back.m_dtAnniversary),
        "Jordi|Pablo\nLucía|2|2001/12/31");
}
