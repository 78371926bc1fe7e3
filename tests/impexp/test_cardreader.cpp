#include "cardtesting.h"

#include <QBuffer>
#include <gtest/gtest.h>

namespace {

std::string One(std::string_view text, CCardExchange* exchange = nullptr)
{
    const auto cards = ParseCards(text, exchange);
    return cards.size() == 1 ? cards[0] : "<" + std::to_string(cards.size()) + " cards>";
}

std::string Card(std::string_view body)
{
    return "BEGIN:VCARD\r\n" + std::string(body) + "END:VCARD\r\n";
}

}  // namespace

TEST(CardReader, BlocksOpenInAnyCaseAndSpacing)
{
    const auto cards = ParseCards("\r\n\r\nbegin:vcard\r\nFN:A\r\nend:vcard\r\n\r\n"
                                  "BEGIN : VCARD\r\nBEGIN:FOO\r\nFN:B\r\nEND:VCARD\r\n\r\n");
    ASSERT_EQ(cards.size(), 2u);
    EXPECT_EQ(cards[0], "VCARD\n  FN: A\n");
    EXPECT_EQ(cards[1], "VCARD\n  BEGIN: FOO\n  FN: B\n");
    EXPECT_EQ(One("BEGIN:VCARD\nEND:VCARD"), "VCARD\n");
}

TEST(CardReader, FieldsOfStructuredNamesAndWholeValuesOfOthers)
{
    EXPECT_EQ(One(Card("N:Doe;John;;Dr.\r\nTEL:1;2\r\nADR:;;Main St;Town;;;;extra;more\r\n")),
        "VCARD\n"
        "  N\n    F: Doe\n    G: John\n    NPRE: Dr.\n"
        "  TEL: 1;2\n"
        "  ADR: extra;more\n    STREET: Main St\n    L: Town\n");
    // An empty value is empty; it does not take the next line.
    EXPECT_EQ(One(Card("TITLE:\r\nORG:Acme\r\n")), "VCARD\n  TITLE\n  ORG\n    ORGNAME: Acme\n");
}

TEST(CardReader, GroupsNestFromTheLast)
{
    EXPECT_EQ(One(Card("a.home.TEL:5\r\nitem1.EMAIL:x@y\r\n")),
        "VCARD\n  TEL: 5\n    Grouping=HOME\n      Grouping=a\n  EMAIL: x@y\n    Grouping=item1\n");
    CCardExchange exchange;
    EXPECT_EQ(One(Card("a.b.c.d.e.f.g.h.i.TEL:5\r\nFN:x\r\n"), &exchange), "VCARD\n  FN: x\n");
    ASSERT_EQ(exchange.IssueCount(), 1);
    EXPECT_EQ(exchange.Issues()[0].line, 2);
}

TEST(CardReader, ParametersCountTheSameHoweverWritten)
{
    const std::string text
        = Card("TEL;WORK;voice:1\r\nTEL;TYPE=work,VOICE:2\r\nTEL;type=WORK;TYPE=\"voice\":3\r\n"
               "TEL;Work , Voice;QP;DATASIZE=9;CID=x:4\r\n");
    EXPECT_EQ(One(text),
        "VCARD\n"
        "  TEL: 1\n    WORK\n    VOICE\n"
        "  TEL: 2\n    TYPE=WORK\n    TYPE=VOICE\n"
        "  TEL: 3\n    type=WORK\n    TYPE=VOICE\n"
        "  TEL: 4\n    WORK\n    VOICE\n    QUOTED-PRINTABLE\n    CONTENT-ID=x\n");
    CCardExchange exchange;
    int both = 0;
    exchange.Parse(text, [&](const CardNode& card) {
        for (const CardNode& tel : card.Children())
            both += tel.HasParam("WORK") && tel.HasParam("VOICE");
    });
    EXPECT_EQ(both, 4);
    // A group is no parameter, even when it is called "home".
    exchange.Parse(
        Card("home.TEL:1\r\n"), [&](const CardNode& card) { EXPECT_FALSE(card.first->HasParam("HOME")); });
}

TEST(CardReader, FoldedLinesJoinByVersion)
{
    // 2.1 folds at white space, which stays; 3.0 drops the one blank of the fold.
    EXPECT_EQ(One(Card("NOTE:one\r\n two\r\nN:Doe;\r\n John\r\n")),
        "VCARD\n  NOTE: one two\n  N\n    F: Doe\n    G: John\n");
    EXPECT_EQ(One(Card("VERSION:3.0\r\nNOTE:sequ\r\n encing\r\nTEL;TY\r\n PE=CELL:1\r\n")),
        "VCARD\n  VERSION: 3.0\n  NOTE: sequencing\n  TEL: 1\n    TYPE=CELL\n");
}

TEST(CardReader, QuotedPrintableDecodesAndStillSplitsFields)
{
    EXPECT_EQ(One(Card("N;ENCODING=QUOTED-PRINTABLE:D=C3=B6e;J=\r\nohn\r\n"
                       "NOTE;QUOTED-PRINTABLE:a=0D=0Ab=\r\n\r\n"
                       "NOTE:=41 stays\r\n")),
        "VCARD\n"
        "  N\n    ENCODING=QUOTED-PRINTABLE\n    F: D\xC3\xB6"
        "e\n    G: John\n"
        "  NOTE: a\r\nb\n    QUOTED-PRINTABLE\n"
        "  NOTE: =41 stays\n");
    // Bad escapes stay as text; a last '=' before END:VCARD does not take it.
    EXPECT_EQ(One(Card("NOTE;ENCODING=QUOTED-PRINTABLE:x=3Dy =G1 =0d =\r\n")),
        "VCARD\n  NOTE: x=y =G1 =0d \n    ENCODING=QUOTED-PRINTABLE\n");
}

TEST(CardReader, Base64WithAndWithoutTheEmptyLine)
{
    // "Hello!" with a blank line after the data, then indented lines, then
    // none at all before the next property and the card's end.
    EXPECT_EQ(One(Card("PHOTO;ENCODING=BASE64;GIF:\r\n    SGVs\r\n    bG8h\r\n\r\nFN:a\r\n"
                       "LOGO;BASE64:SGVsbG8\r\nTEL:1\r\n"
                       "VERSION:3.0\r\nSOUND;ENCODING=b:SGVsbG8h\r\n SGk=\r\n"
                       "KEY;BASE64:SGVsbG8h\r\n")),
        "VCARD\n"
        "  PHOTO <6 bytes>\n    ENCODING=BASE64\n    GIF\n"
        "  FN: a\n"
        "  LOGO <5 bytes>\n    BASE64\n"
        "  TEL: 1\n"
        "  VERSION: 3.0\n"
        "  SOUND <8 bytes>\n    ENCODING=b\n"
        "  KEY <6 bytes>\n    BASE64\n");
    CCardExchange exchange;
    EXPECT_EQ(One(Card("PHOTO;BASE64:SGV*bG8h\r\nFN:a\r\n"), &exchange), "VCARD\n  FN: a\n");
    EXPECT_EQ(exchange.IssueCount(), 1);
}

TEST(CardReader, CharactersFollowTheCharsetElseUtf8ElseWindows1252)
{
    EXPECT_EQ(One("\xEF\xBB\xBF"
                  + Card("N;CHARSET=ISO-8859-1;QP:M=FCller\r\nFN:M\xC3\xBCller\r\n"
                         "NOTE:M\xFCller \x80\r\nORG;CHARSET=X-UNKNOWN:\xFC\r\n")),
        "VCARD\n  N\n    CHARSET=ISO-8859-1\n    QUOTED-PRINTABLE\n    F: M\xC3\xBCller\n"
        "  FN: M\xC3\xBCller\n  NOTE: M\xC3\xBCller \xE2\x82\xAC\n"
        "  ORG\n    CHARSET=X-UNKNOWN\n    ORGNAME: \xC3\xBC\n");
    CCardExchange exchange;
    EXPECT_EQ(ParseCards(std::string("\xFF\xFE"
                                     "B\0E\0",
                             6),
                  &exchange)
                  .size(),
        0u);
    EXPECT_EQ(exchange.IssueCount(), 1);
}

TEST(CardReader, BackslashEscapesByVersion)
{
    EXPECT_EQ(One(Card("VERSION:3.0\r\nN:a\\;b;c\\,d\r\nNOTE:x\\ny\\\\z\\q\r\n")),
        "VCARD\n  VERSION: 3.0\n  N\n    F: a;b\n    G: c,d\n  NOTE: x\r\ny\\z\\q\n");
    EXPECT_EQ(One(Card("N:a\\;b;c\\,d\r\nNOTE:x\\ny\r\n")),
        "VCARD\n  N\n    F: a;b\n    G: c\\,d\n  NOTE: x\\ny\n");
}

TEST(CardReader, LineEndsOfEveryKind)
{
    EXPECT_EQ(One("BEGIN:VCARD\rFN:a\r NOTE:b\rEND:VCARD\r"), "VCARD\n  FN: a NOTE:b\n");
    EXPECT_EQ(One("BEGIN:VCARD\nFN:a\nEND:VCARD"), "VCARD\n  FN: a\n");
    // CR CR LF is one line end: data and soft breaks go on over it, and
    // lines are counted once.
    CCardExchange exchange;
    EXPECT_EQ(One("BEGIN:VCARD\r\r\nPHOTO;BASE64:\r\r\n SGVs\r\r\n bG8h\r\r\n\r\r\n"
                  "NOTE;QUOTED-PRINTABLE:a=\r\r\nb\r\r\nno colon\r\r\nEND:VCARD\r\r\n",
                  &exchange),
        "VCARD\n  PHOTO <6 bytes>\n    BASE64\n  NOTE: ab\n    QUOTED-PRINTABLE\n");
    ASSERT_EQ(exchange.IssueCount(), 1);
    EXPECT_EQ(exchange.Issues()[0].line, 8);
}

TEST(CardReader, ABackslashEndingA21LineCarriesTheValueOn)
{
    EXPECT_EQ(One(Card("ADR;HOME:;;12 High St\\\r\nFlat 3\\\r\nRear;Leeds;;LS1 1AA;UK\r\n"
                       "NOTE:C:\\\r\nTEL;CELL:5\r\nNOTE:see\\\r\nEND:VCARD\r\n")),
        "VCARD\n  ADR\n    HOME\n    STREET: 12 High St\r\nFlat 3\r\nRear\n    L: Leeds\n    PC: LS1 1AA\n   "
        " C: UK\n"
        "  NOTE: C:\\\n  TEL: 5\n    CELL\n  NOTE: see\\\n");
    // Version 3.0 escapes its line breaks instead.
    CCardExchange exchange;
    EXPECT_EQ(
        One(Card("VERSION:3.0\r\nNOTE:a\\\r\nb\r\n"), &exchange), "VCARD\n  VERSION: 3.0\n  NOTE: a\\\n");
    EXPECT_EQ(exchange.IssueCount(), 1);
}

TEST(CardReader, BadSpotsCostOnlyTheirLineOrCard)
{
    CCardExchange exchange;
    const auto cards = ParseCards("junk before\r\n" + Card("no colon here\r\n1TEL:5\r\nFN:a\r\nEND:VTODO\r\n")
            + "BEGIN:VCARD\r\nFN:cut short\r\n" + Card("FN:b\r\n") + "BEGIN:VCARD\r\nFN:c\r\n",
        &exchange);
    ASSERT_EQ(cards.size(), 4u);
    EXPECT_EQ(cards[0], "VCARD\n  FN: a\n");
    EXPECT_EQ(cards[1], "VCARD\n  FN: b\n");
    EXPECT_EQ(cards[2], "VCARD\n  FN: c\n");
    EXPECT_EQ(cards[3], "VCARD\n  FN: cut short\n");
    std::vector<int> lines;
    for (const CardIssue& issue : exchange.Issues())
        lines.push_back(issue.line);
    // Junk, no colon, no name, stray END:VTODO, the two cards with no end.
    EXPECT_EQ(lines, (std::vector<int>{1, 3, 4, 6, 13, 8}));
}

TEST(CardReader, OversizedPartsAreSkippedWithAnIssue)
{
    CCardExchange exchange;
    std::string nested;
    for (int i = 0; i < 12; ++i)
        nested += "BEGIN:VEVENT\r\n";
    const std::string longValue = "NOTE:" + std::string(CardReader::kMaxValueBytes + 1, 'x') + "\r\n";
    const std::string bigPhoto
        = "PHOTO;BASE64:" + std::string(CardReader::kMaxBinaryBytes / 3 * 4 + 8, 'A') + "\r\n";
    const auto cards
        = ParseCards(Card(nested + "FN:deep\r\n") + Card(longValue + bigPhoto + "FN:kept\r\n"), &exchange);
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_EQ(cards[0], "VCARD\n  FN: kept\n");
    ASSERT_EQ(exchange.IssueCount(), 3);
    EXPECT_EQ(exchange.Issues()[0].line, 1);
    EXPECT_NE(exchange.Issues()[0].text.find("at line 11"), std::string::npos);
    EXPECT_EQ(exchange.Issues()[2].line, 18);
}

TEST(CardReader, CalendarsHoldEventsAndToDos)
{
    EXPECT_EQ(One("BEGIN:VCALENDAR\r\nVERSION:1.0\r\nBEGIN:VEVENT\r\nDALARM:20240101T090000;PT5M;;Wake\r\n"
                  "END:VEVENT\r\nBEGIN:VTODO\r\nDUE:20240102\r\nEND:VTODO\r\nEND:VCALENDAR\r\n"),
        "VCALENDAR\n  VERSION: 1.0\n  VEVENT\n    DALARM\n      RUNTIME: 20240101T090000\n"
        "      SNOOZETIME: PT5M\n      DISPLAYSTRING: Wake\n  VTODO\n    DUE: 20240102\n");
}

TEST(CardReader, AnAgentCardStaysInsideItsCardAndOtherCardsStandAlone)
{
    EXPECT_EQ(One(Card("FN:Boss\r\nAGENT:\r\nBEGIN:VCARD\r\nFN:Assistant\r\nEND:VCARD\r\nTEL:1\r\n")),
        "VCARD\n  FN: Boss\n  AGENT\n    VCARD\n      FN: Assistant\n  TEL: 1\n");
    // The outer card keeps what follows the cards written inside it.
    CCardExchange exchange;
    const auto cards = ParseCards(Card("VERSION:3.0\r\nFN:Team\r\n" + Card("FN:Ann\r\n" + Card("FN:Bob\r\n"))
                                      + "TEL:1\r\n" + Card("VERSION:2.1\r\nFN:Cy\r\n") + "NOTE:a\\nb\r\n"),
        &exchange);
    EXPECT_EQ(cards,
        (std::vector<std::string>{"VCARD\n  FN: Bob\n", "VCARD\n  FN: Ann\n",
            "VCARD\n  VERSION: 2.1\n  FN: Cy\n",
            "VCARD\n  VERSION: 3.0\n  FN: Team\n  TEL: 1\n  NOTE: a\r\nb\n"}));
    EXPECT_EQ(exchange.IssueCount(), 0);
}

TEST(CardReader, ReadsFromADevice)
{
    QByteArray bytes = QByteArray::fromStdString(Card("FN:a\r\n"));
    QBuffer buffer(&bytes);
    ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
    CCardExchange exchange;
    int cards = 0;
    EXPECT_EQ(exchange.Parse(buffer, [&](const CardNode&) { ++cards; }), 1);
    EXPECT_EQ(cards, 1);
    QBuffer closed;
    EXPECT_EQ(exchange.Parse(closed, [&](const CardNode&) { ++cards; }), -1);
    EXPECT_EQ(exchange.IssueCount(), 1);
}
