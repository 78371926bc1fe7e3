// Contacts written as cards, and read back.
#include "contacttesting.h"
#include "core/utilities.h"
#include "impexp/delimitedtext.h"
#include "impexp/iesheetstate.h"

#include <algorithm>
#include <map>

namespace {

// The fields a card carries: every one.
std::vector<u32> CardFields()
{
    std::vector<u32> ids;
    for (u32 id = kFirstMappedField; id <= FID_DEFAULT_STREET + 4; ++id)
        ids.push_back(id);
    return ids;
}

// The values of a list with their codes, in type order.
std::multimap<u32, std::string> Codes(const std::vector<ContactValue>& values, u32 mask = ~0u)
{
    std::multimap<u32, std::string> codes;
    for (const ContactValue& v : values)
        codes.emplace(v.m_dwCode & mask, v.m_strText);
    return codes;
}

}  // namespace

TEST(CardWriter, WritesAFullContactByteForByte)
{
    FixedClock clock;
    EXPECT_EQ(ExportCard(FullContact()),
        "BEGIN:VCARD\r\n"
        "VERSION:2.1\r\n"
        "N;CHARSET=UTF-8:López-Núñez;Ana;María;Dr.;PhD\r\n"
        "FN;CHARSET=UTF-8:Dr. Ana María López-Núñez\r\n"
        "NICKNAME:Anita\r\n"
        "ORG:Acme\\; Ltd.;R&D;B-204\r\n"
        "NOTE;ENCODING=QUOTED-PRINTABLE:Line one=0ALine two: a=3Db =5C c; done\r\n"
        "TITLE:Engineer\r\n"
        "EMAIL;HOME;PREF;INTERNET:ana1@example.es\r\n"
        "EMAIL;HOME;INTERNET;X-TOLVA-SLOT=2:ana2@example.es\r\n"
        "EMAIL;HOME;INTERNET;X-TOLVA-SLOT=3:ana3@example.es\r\n"
        "EMAIL;HOME;INTERNET;X-TOLVA-SLOT=4:ana4@example.es\r\n"
        "EMAIL;HOME;INTERNET;X-TOLVA-SLOT=5:ana5@example.es\r\n"
        "EMAIL;WORK;PREF;INTERNET:ana6@example.es\r\n"
        "EMAIL;WORK;INTERNET;X-TOLVA-SLOT=2:ana7@example.es\r\n"
        "EMAIL;WORK;INTERNET;X-TOLVA-SLOT=3:ana8@example.es\r\n"
        "EMAIL;WORK;INTERNET;X-TOLVA-SLOT=4:ana9@example.es\r\n"
        "EMAIL;WORK;INTERNET;X-TOLVA-SLOT=5:ana10@example.es\r\n"
        "TEL;HOME;VOICE:+34 91 555 1001\r\n"
        "TEL;HOME;X-TOLVA-SLOT=2:+34 91 555 1002\r\n"
        "TEL;PREF;X-TOLVA-SLOT=3:+34 91 555 1003\r\n"
        "TEL;HOME;FAX:+34 91 555 1004\r\n"
        "TEL;CELL;VOICE:+34 91 555 1005\r\n"
        "TEL;HOME;VOICE;X-RADIO:+34 91 555 1006\r\n"
        "TEL;CAR;VOICE:+34 91 555 1007\r\n"
        "TEL;PAGER;VOICE:+34 91 555 1008\r\n"
        "TEL;HOME;VOICE;X-TELEX:+34 91 555 1009\r\n"
        "TEL;ISDN:+34 91 555 1010\r\n"
        "TEL;WORK;VOICE:+34 91 555 1011\r\n"
        "TEL;WORK;VOICE;X-TOLVA-SLOT=2:+34 91 555 1012\r\n"
        "TEL;WORK;VOICE;X-TOLVA-SLOT=3:+34 91 555 1013\r\n"
        "TEL;WORK;FAX:+34 91 555 1014\r\n"
        "TEL;WORK;CELL;VOICE:+34 91 555 1015\r\n"
        "TEL;WORK;VOICE;X-RADIO:+34 91 555 1016\r\n"
        "TEL;WORK;CAR;VOICE:+34 91 555 1017\r\n"
        "TEL;WORK;PAGER;VOICE:+34 91 555 1018\r\n"
        "TEL;WORK;VOICE;X-TELEX:+34 91 555 1019\r\n"
        "TEL;WORK;ISDN:+34 91 555 1020\r\n"
        "ADR;WORK;QUOTED-PRINTABLE;CHARSET=UTF-8:;;Edificio 4=0ACalle Mayor "
        "1;Madrid;Madrid;28013;Espa=C3=B1a\r\n"
        "LABEL;WORK;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:Edificio 4=0D=0ACalle Mayor 1=0D=0AMadrid, "
        "Madrid "
        "28013=0D=0AEspa=C3=B1a\r\n"
        "ADR;HOME;PREF;CHARSET=UTF-8:;;Calle del Sol 7, 3º;Toledo;Castilla-La Mancha;45001;España\r\n"
        "LABEL;HOME;PREF;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:Calle del Sol 7, 3=C2=BA=0D=0AToledo, "
        "Castilla-La "
        "Mancha 45001=0D=0AEspa=C3=B1a\r\n"
        "ADR;POSTAL;CHARSET=UTF-8:;;Apartado 55;Madrid;;28080;España\r\n"
        "LABEL;POSTAL;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:Apartado 55=0D=0AMadrid, "
        "28080=0D=0AEspa=C3=B1a\r\n"
        "URL;WORK:https://acme.example/ana\r\n"
        "URL;HOME:http://ana.example/?a=1;b=2\r\n"
        "ROLE:Engineer\r\n"
        "BDAY:18990517\r\n"
        "ANNIVERSARY:20011231\r\n"
        "X-ANNIVERSARY:2001-12-31\r\n"
        "X-SPOUSE:Jordi\r\n"
        "X-CHILDREN;CHARSET=UTF-8:Pablo, Lucía\r\n"
        "X-GENDER:Female\r\n"
        "X-ICQ:123456789\r\n"
        "REV:20240305T133015Z\r\n"
        "END:VCARD");
}

TEST(CardWriter, EveryFieldACardCarriesComesBack)
{
    FixedClock clock;
    const Contact original = FullContact();
    const std::string text = ExportCard(original);
    const auto back = ImportCard(text);
    ExpectSameFields(original, *back, CardFields());
    // Every phone and e-mail in its own field, the default address kept.
    EXPECT_EQ(back->m_phones.size(), 20u);
    EXPECT_EQ(back->m_emails.size(), 10u);
    for (u32 type = 1; type <= 20; ++type)
        EXPECT_EQ(back->m_phones[type - 1].Type(), type);
    EXPECT_EQ(back->m_addresses.size(), 3u);
    EXPECT_EQ(back->m_addresses[1].m_dwType, ADDR_HOME | ADDR_DEFAULT);
    // What comes back writes the same card again.
    EXPECT_EQ(ExportCard(*back), text);
}

TEST(CardWriter, WhatAPartialContactWrites)
{
    FixedClock clock;
    Contact middle;
    middle.m_strMiddleName = "Q";
    middle.m_emails = {{7, "x@y"}};
    const std::string card = ExportCard(middle);
    EXPECT_NE(
        card.find("\r\nN:;;Q;;\r\nFN:Q\r\nEMAIL;WORK;INTERNET;X-TOLVA-SLOT=2:x@y\r\n"), std::string::npos)
        << card;
    EXPECT_EQ(ImportCard(card)->m_strMiddleName, "Q");
    // Types no card names are skipped; a second value of a type takes the
    // next free slot of its kind.
    Contact odd;
    odd.m_strName = "Odd";
    odd.m_phones = {{0, "none"}, {21, "beyond"}, {4, "fax"}, {4, "fax2"}};
    odd.m_web = {{WEB_ICQ, "1"}, {WEB_HOME_PAGE, "h"}};
    odd.m_addresses = {{7, "nowhere", "", "", "", "", 0, 0}};
    EXPECT_EQ(ExportCard(odd),
        "BEGIN:VCARD\r\nVERSION:2.1\r\nFN:Odd\r\nTEL;HOME;VOICE:fax2\r\nTEL;HOME;FAX:fax\r\nURL;HOME:h\r\n"
        "X-ICQ:1\r\nREV:20240305T133015Z\r\nEND:VCARD");
}

TEST(CardWriter, SaveToFileAndTheDrivers)
{
    FixedClock clock;
    CCardExchange exchange;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    DelimitedTextFile file(buffer);
    EXPECT_EQ(exchange.SaveToFile(&file), RC_NOTHING_LOADED);
    exchange.SetLoaded(true);
    EXPECT_EQ(exchange.SaveToFile(nullptr), RC_MISSING);
    EXPECT_EQ(exchange.SaveToFile(&file), 0u);
    file.Flush();
    EXPECT_EQ(bytes, "BEGIN:VCARD\r\nVERSION:2.1\r\nREV:20240305T133015Z\r\nEND:VCARD");

    IESheetState sheet;
    Contact ann;
    ann.m_strName = "Ann";
    EXPECT_EQ(sheet.WriteContactVCard(ann), RC_NO_OUTPUT_FILE);
    // Two contacts in one file, each card followed by an empty line.
    bytes.clear();
    buffer.seek(0);
    sheet.m_pOutput = &file;
    EXPECT_EQ(sheet.WriteContactVCard(ann), 0u);
    EXPECT_EQ(sheet.WriteContactVCard(ann), 0u);
    file.Flush();
    const std::string one
        = "BEGIN:VCARD\r\nVERSION:2.1\r\nFN:Ann\r\nREV:20240305T133015Z\r\nEND:VCARD\r\n\r\n";
    EXPECT_EQ(bytes.toStdString(), one + one);
    EXPECT_EQ(ImportCards(bytes.toStdString()).size(), 2u);
}

TEST(CardWriter, EveryValueReadsBackIntoItsOwnSlot)
{
    FixedClock clock;
    // Values alone, where a type that several slots share sent the value to
    // the first slot of its type.
    std::vector<Contact> contacts;
    for (u32 type = 1; type <= kPhoneTypeCount; ++type) {
        Contact& c = contacts.emplace_back();
        c.m_strName = "Phone";
        // The default phone of a kind in its first field, as the pages keep it.
        const u32 flag = type == 1 ? CV_DEFAULT_HOME_PHONE : type == 11 ? CV_DEFAULT_BUSINESS_PHONE : 0;
        c.m_phones = {{type | flag, "555 " + std::to_string(type)}};
    }
    for (u32 type = 1; type <= kEmailTypeCount; ++type) {
        Contact& c = contacts.emplace_back();
        c.m_strName = "Mail";
        c.m_emails = {{type | (type <= 5 ? CV_DEFAULT_HOME_EMAIL : CV_DEFAULT_BUSINESS_EMAIL), "m@x"}};
    }
    for (const u32 code :
        {WEB_HOME_PAGE | CV_WEB_HOME_PAGE_SHOWN, WEB_BUSINESS_PAGE | CV_WEB_BUSINESS_PAGE_SHOWN, 2u}) {
        Contact& c = contacts.emplace_back();
        c.m_strName = "Page";
        c.m_web = {{code, "https://example.org/"}};
    }
    // Every slot, listed backwards, the default e-mails not the first of
    // their kind.
    Contact full = FullContact();
    std::reverse(full.m_phones.begin(), full.m_phones.end());
    std::reverse(full.m_emails.begin(), full.m_emails.end());
    full.m_web.push_back({2, "https://other.example/"});
    for (ContactValue& email : full.m_emails) {
        email.m_dwCode &= CV_TYPE_MASK;
        if (email.Type() == 3)
            email.m_dwCode |= CV_DEFAULT_HOME_EMAIL;
        // The Home page's second field shows the first other home e-mail.
        if (email.Type() == 1)
            email.m_dwCode |= CV_SECOND_HOME_EMAIL;
        if (email.Type() == 9)
            email.m_dwCode |= CV_DEFAULT_BUSINESS_EMAIL;
    }
    contacts.push_back(full);

    int moved = 0;
    for (const Contact& original : contacts) {
        const auto back = ImportCard(ExportCard(original));
        for (const u32 id : CardFields()) {
            const bool differs = FormatFieldText(original, id) != FormatFieldText(*back, id);
            moved += differs;
            EXPECT_FALSE(differs) << original.m_strName << " field " << id;
        }
        moved += Codes(original.m_phones, CV_TYPE_MASK) != Codes(back->m_phones, CV_TYPE_MASK);
        moved += Codes(original.m_emails) != Codes(back->m_emails);
        moved += Codes(original.m_web) != Codes(back->m_web);
        EXPECT_EQ(Codes(original.m_emails), Codes(back->m_emails)) << original.m_strName;
    }
    EXPECT_EQ(moved, 0);

    // Other programs still find the standard types in front of the mark.
    const std::string text = ExportCard(full);
    for (const char* line : {"\r\nTEL;HOME;X-TOLVA-SLOT=2:", "\r\nTEL;PREF;X-TOLVA-SLOT=3:",
             "\r\nTEL;WORK;VOICE;X-TOLVA-SLOT=3:", "\r\nEMAIL;HOME;PREF;INTERNET;X-TOLVA-SLOT=3:",
             "\r\nEMAIL;WORK;INTERNET;X-TOLVA-SLOT=5:", "\r\nURL;X-TOLVA-SLOT=3:https://other.example/\r\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
    // A mark that names no slot of the type is passed over.
    const auto odd = ImportCard("BEGIN:VCARD\r\nTEL;HOME;FAX;X-TOLVA-SLOT=2:1\r\nEMAIL;X-TOLVA-SLOT=9:a@b\r\n"
                                "EMAIL;x-tolva-slot=2:c@d\r\nEND:VCARD\r\n");
    EXPECT_EQ(Codes(odd->m_phones, CV_TYPE_MASK), (std::multimap<u32, std::string>{{4, "1"}}));
    EXPECT_EQ(Codes(odd->m_emails, CV_TYPE_MASK), (std::multimap<u32, std::string>{{6, "a@b"}, {7, "c@d"}}));
}

TEST(CardWriter, SemicolonsArePlainInValuesOfTheirOwn)
{
    FixedClock clock;
    Contact c;
    c.m_strName = "Lee; Ann";
    c.m_strCompany = "Acme; Ltd.";
    c.m_strJobTitle = "Boss; Chief";
    c.m_strNotes = "a;b \\; c\\";
    const std::string card = ExportCard(c);
    EXPECT_NE(card.find("\r\nFN:Lee; Ann\r\n"), std::string::npos) << card;
    // Fields of a compound value keep the escape.
    EXPECT_NE(card.find("\r\nORG:Acme\\; Ltd.;\r\n"), std::string::npos) << card;
    // The job title as TITLE, where card readers look, and as ROLE.
    EXPECT_NE(card.find("\r\nTITLE:Boss; Chief\r\n"), std::string::npos) << card;
    EXPECT_NE(card.find("\r\nROLE:Boss; Chief\r\n"), std::string::npos) << card;
    // A backslash right before ';' keeps the escape, so the pair reads back.
    EXPECT_NE(card.find("\r\nNOTE;ENCODING=QUOTED-PRINTABLE:a;b =5C\\; c=5C\r\n"), std::string::npos) << card;
    const auto back = ImportCard(card);
    EXPECT_EQ(back->m_strName, c.m_strName);
    EXPECT_EQ(back->m_strCompany, c.m_strCompany);
    EXPECT_EQ(back->m_strJobTitle, c.m_strJobTitle);
    EXPECT_EQ(back->m_strNotes, c.m_strNotes);
    // Both forms read as ';'.
    const auto escaped = ImportCard("BEGIN:VCARD\r\nFN:a\\;b\r\nNOTE:c;d\r\nTITLE:e\\;f\r\nEND:VCARD\r\n");
    EXPECT_EQ(escaped->m_strName + "|" + escaped->m_strNotes + "|" + escaped->m_strJobTitle, "a;b|c;d|e;f");
}
