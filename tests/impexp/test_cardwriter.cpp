// Contacts written as cards, and read back.
#include "contacttesting.h"
#include "core/utilities.h"
#include "impexp/delimitedtext.h"
#include "impexp/iesheetstate.h"

namespace {

// The fields a card carries: all but gender, children, spouse, anniversary
// and the ICQ number, for which vCard 2.1 has no property.
std::vector<u32> CardFields()
{
    std::vector<u32> ids;
    for (u32 id = kFirstMappedField; id <= FID_DEFAULT_STREET + 4; ++id)
        if (id != FID_GENDER && id != FID_CHILDREN && id != FID_SPOUSE && id != FID_ANNIVERSARY
            && id != FID_ICQ)
            ids.push_back(id);
    return ids;
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
        "NOTE;ENCODING=QUOTED-PRINTABLE:Line one=0D=0ALine two: a=3Db =5C c\\; done\r\n"
        "EMAIL;HOME;INTERNET:ana1@example.es\r\n"
        "EMAIL;HOME;INTERNET:ana2@example.es\r\n"
        "EMAIL;HOME;INTERNET:ana3@example.es\r\n"
        "EMAIL;HOME;INTERNET:ana4@example.es\r\n"
        "EMAIL;HOME;INTERNET:ana5@example.es\r\n"
        "EMAIL;WORK;INTERNET:ana6@example.es\r\n"
        "EMAIL;WORK;INTERNET:ana7@example.es\r\n"
        "EMAIL;WORK;INTERNET:ana8@example.es\r\n"
        "EMAIL;WORK;INTERNET:ana9@example.es\r\n"
        "EMAIL;WORK;INTERNET:ana10@example.es\r\n"
        "TEL;HOME;VOICE:+34 91 555 1001\r\n"
        "TEL;HOME:+34 91 555 1002\r\n"
        "TEL;PREF:+34 91 555 1003\r\n"
        "TEL;HOME;FAX:+34 91 555 1004\r\n"
        "TEL;CELL;VOICE:+34 91 555 1005\r\n"
        "TEL;HOME;VOICE;X-RADIO:+34 91 555 1006\r\n"
        "TEL;CAR;VOICE:+34 91 555 1007\r\n"
        "TEL;PAGER;VOICE:+34 91 555 1008\r\n"
        "TEL;HOME;VOICE;X-TELEX:+34 91 555 1009\r\n"
        "TEL;ISDN:+34 91 555 1010\r\n"
        "TEL;WORK;VOICE:+34 91 555 1011\r\n"
        "TEL;WORK;VOICE:+34 91 555 1012\r\n"
        "TEL;WORK;VOICE:+34 91 555 1013\r\n"
        "TEL;WORK;FAX:+34 91 555 1014\r\n"
        "TEL;WORK;CELL;VOICE:+34 91 555 1015\r\n"
        "TEL;WORK;VOICE;X-RADIO:+34 91 555 1016\r\n"
        "TEL;WORK;CAR;VOICE:+34 91 555 1017\r\n"
        "TEL;WORK;PAGER;VOICE:+34 91 555 1018\r\n"
        "TEL;WORK;VOICE;X-TELEX:+34 91 555 1019\r\n"
        "TEL;WORK;ISDN:+34 91 555 1020\r\n"
        "ADR;WORK;QUOTED-PRINTABLE;CHARSET=UTF-8:;;Edificio 4=0D=0ACalle Mayor "
        "1;Madrid;Madrid;28013;Espa=C3=B1a\r\n"
        "LABEL;WORK;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:Edificio 4=0D=0ACalle Mayor 1=0D=0AMadrid, "
        "Madrid "
        "28013=0D=0AEspa=C3=B1a\r\n"
        "ADR;HOME;PREF;CHARSET=UTF-8:;;Calle del Sol 7, 3º;Toledo;Castilla-La Mancha;45001;España\r\n"
        "LABEL;HOME;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:Calle del Sol 7, 3=C2=BA=0D=0AToledo, "
        "Castilla-La "
        "Mancha 45001=0D=0AEspa=C3=B1a\r\n"
        "ADR;POSTAL;CHARSET=UTF-8:;;Apartado 55;Madrid;;28080;España\r\n"
        "LABEL;POSTAL;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:Apartado 55=0D=0AMadrid, "
        "28080=0D=0AEspa=C3=B1a\r\n"
        "URL;WORK:https://acme.example/ana\r\n"
        "URL;HOME:http://ana.example/?a=1\\;b=2\r\n"
        "ROLE:Engineer\r\n"
        "BDAY:18990517\r\n"
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
    EXPECT_NE(card.find("\r\nN:;;Q;;\r\nFN:Q\r\nEMAIL;WORK;INTERNET:x@y\r\n"), std::string::npos) << card;
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
        "REV:20240305T133015Z\r\nEND:VCARD");
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
