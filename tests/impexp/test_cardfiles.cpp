// Cards as phones and mail programs write them: nothing a contact needs may
// be lost on the way in.
#include "cardtesting.h"
#include "support/testenv.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

struct ReadFile {
    std::vector<std::string> cards;
    std::vector<CardIssue> issues;
};

ReadFile Read(const char* name)
{
    QFile file(TestDataPath(QStringLiteral("impexp/") + QLatin1String(name)));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    CCardExchange exchange;
    ReadFile result;
    exchange.Parse(file, [&](const CardNode& card) { result.cards.push_back(DumpCard(card)); });
    result.issues = exchange.Issues();
    return result;
}

}  // namespace

TEST(CardFiles, PhoneExportIn21WithQuotedPrintableAndAPhoto)
{
    const ReadFile file = Read("phone_21.vcf");
    EXPECT_TRUE(file.issues.empty());
    ASSERT_EQ(file.cards.size(), 3u);
    EXPECT_EQ(file.cards[0],
        "VCARD\n  VERSION: 2.1\n"
        "  N\n    CHARSET=UTF-8\n    ENCODING=QUOTED-PRINTABLE\n    F: Öztürk\n    G: Ayşe\n"
        "  FN: Ayşe Öztürk\n    CHARSET=UTF-8\n    ENCODING=QUOTED-PRINTABLE\n"
        "  TEL: +90 532 555 01 23\n    CELL\n    PREF\n"
        "  TEL: 0212 555 44 33\n    HOME\n"
        "  TEL: 0212 555 44 34\n    WORK\n    FAX\n"
        "  EMAIL: ayse@example.com.tr\n    INTERNET\n    HOME\n"
        "  ADR\n    HOME\n    CHARSET=UTF-8\n    ENCODING=QUOTED-PRINTABLE\n"
        "    STREET: Bağdat Cad. 12/4\n    L: İstanbul\n    PC: 34728\n    C: Türkiye\n"
        "  NOTE: Ofis numarası değişti.\r\nYeni adres: Kadıköy.\n    CHARSET=UTF-8\n"
        "    ENCODING=QUOTED-PRINTABLE\n"
        "  PHOTO <713 bytes>\n    ENCODING=BASE64\n    TYPE=JPEG\n");
    EXPECT_NE(file.cards[1].find("  N\n    F: Kowalski\n    G: Jan\n    ADDN: Maria\n"), std::string::npos);
    EXPECT_NE(file.cards[1].find("  TITLE\n  ORG\n    ORGNAME: Firma Sp. z o.o.\n    OUN: Dział Sprzedaży\n"),
        std::string::npos);
    EXPECT_NE(
        file.cards[1].find("  TEL: +48 22 555 12 34\n    VOICE\n    WORK\n  TEL: +48 22 555 12 35\n    WORK\n"
                           "    VOICE\n  TEL: +48 601 555 000\n    PAGER\n"),
        std::string::npos);
    EXPECT_NE(
        file.cards[1].find("  NOTE: Spotkanie w czwartek o 10:00, sala 2; proszę przynieść umowę i aneks.\r\n"
                           "Drugi wiersz notatki.\n"),
        std::string::npos);
    EXPECT_NE(file.cards[2].find("  ORG\n    ORGNAME: Pizzeria Napoli\n  TEL: +39 081 555 7788\n    WORK\n"),
        std::string::npos);
}

TEST(CardFiles, MailProgramExportIn30WithTypesFoldsAndEscapes)
{
    const ReadFile file = Read("mail_30.vcf");
    EXPECT_TRUE(file.issues.empty());
    ASSERT_EQ(file.cards.size(), 2u);
    const std::string& card = file.cards[0];
    for (const char* expected : {
             "  N\n    F: O'Neill\n    G: Siobhán\n    ADDN: Mary\n    NPRE: Dr.\n    NSUF: PhD\n",
             "  EMAIL: siobhan.oneill@example.ie\n    Grouping=item1\n    type=INTERNET\n    type=PREF\n",
             "  EMAIL: s.oneill@lab.example.ie\n    TYPE=INTERNET\n    TYPE=WORK\n",
             "  TEL: +353 1 555 0101\n    type=WORK\n    type=VOICE\n    type=PREF\n",
             "  TEL: +353 87 555 0199\n    TYPE=CELL\n    TYPE=VOICE\n",
             "  TEL: +353 1 555 0102\n    TYPE=HOME\n    TYPE=FAX\n",
             "  ADR\n    TYPE=WORK\n    EXT ADD: Building 4, Room 12\n    STREET: College Green\n    L: "
             "Dublin\n"
             "    PC: D02 PN40\n    C: Ireland\n",
             "    STREET: 12 Seaview Terrace\r\nFlat 3\n    L: Howth\n    R: Co. Dublin\n",
             "  NOTE: Met at the 2019 conference in Lisbon. Interested in collaborating on the sequencing "
             "pipeline; follow up in spring.\n",
             "  BDAY: 1981-07-09\n",
             "  PHOTO <713 bytes>\n    ENCODING=b\n    TYPE=JPEG\n",
         })
        EXPECT_NE(card.find(expected), std::string::npos) << expected;
    EXPECT_NE(file.cards[1].find("  FN: 中村 由紀\n"), std::string::npos);
}

TEST(CardFiles, OldProgramsWithoutCharsetAreWindows1252)
{
    const ReadFile file = Read("legacy_1252.vcf");
    ASSERT_EQ(file.cards.size(), 1u);
    for (const char* expected : {
             "  N\n    F: Müller\n    G: Jürgen\n",
             "    STREET: Hauptstraße 7\n    L: Köln\n",
             "  LABEL: Hauptstraße 7\r\n50667 Köln\n",
             "  NOTE: Preis 100 € netto\n",
         })
        EXPECT_NE(file.cards[0].find(expected), std::string::npos) << expected;
}

TEST(CardFiles, CalendarWithAnEventAndAToDo)
{
    const ReadFile file = Read("calendar.vcs");
    ASSERT_EQ(file.cards.size(), 1u);
    EXPECT_NE(file.cards[0].find("  VEVENT\n    DTSTART: 20240312T090000Z\n"), std::string::npos);
    EXPECT_NE(file.cards[0].find("    SUMMARY: Team meeting – planning\n"), std::string::npos);
    EXPECT_NE(file.cards[0].find("  VTODO\n    DUE: 20240315T170000Z\n"), std::string::npos);
}

TEST(CardFiles, DamagedFileKeepsEveryCardItCan)
{
    const ReadFile file = Read("damaged.vcf");
    ASSERT_EQ(file.cards.size(), 4u);
    EXPECT_EQ(file.cards[0],
        "VCARD\n  VERSION: 2.1\n  N\n    F: Okafor\n    G: Chidi\n  TITLE\n"
        "  TEL: +234 803 555 0000\n    CELL\n"
        "  NOTE: 50% =G1 off = good\n    ENCODING=QUOTED-PRINTABLE\n"
        "  PHOTO <43 bytes>\n    ENCODING=BASE64\n    TYPE=GIF\n");
    // A card inside a card stands alone, and the outer one ends after it.
    EXPECT_NE(file.cards[1].find("EMAIL: after@example.org"), std::string::npos);
    EXPECT_NE(file.cards[2].find("F: Truncated"), std::string::npos);
    EXPECT_EQ(file.cards[3],
        "VCARD\n  N\n    F: Last\n    G: One\n"
        "  NOTE: ends with a stray soft break\n    ENCODING=QUOTED-PRINTABLE\n");
    EXPECT_EQ(file.issues.size(), 2u);
}
