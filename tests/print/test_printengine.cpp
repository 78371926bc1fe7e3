#include "core/fieldtexts.h"
#include "platform/oledate.h"
#include "print/columnreport.h"
#include "print/textout.h"
#include "printtesting.h"

namespace {

using MemoTest = PrintFixture;
using ReportTest = PrintFixture;
using PaginationTest = PrintFixture;

QDateTime FixedNow()
{
    return QDateTime(QDate(2024, 3, 5), QTime(14, 30));
}

// Where a memo page's body begins and ends on A5 with 1 mm margins and
// header and footer on.
struct MemoPage {
    i32 h;
    i32 top = -100 - 2 * h;
    i32 bottom = -20900 + 2 * h;
};

}  // namespace

TEST_F(MemoTest, HeaderAndFooterSitOnTheMarginsWithTheirPlaceholders)
{
    SetClockForTesting(FixedNow);
    m_pm.m_memoHead = {"L", "C", "R"};
    m_pm.m_memoFoot = {"[Page #] word", "", "[Current date]/[Current date]"};
    for (int i = 0; i < 3; ++i)
        Add("Contact " + std::to_string(i));
    m_pm.m_Flags1 |= PF_MEMO_EMPTY_FIELDS;  // every field shows: three pages at least
    ASSERT_GE(Paginate(), 3u);
    const auto dc = Page(3);
    SetClockForTesting(nullptr);

    const i32 h = FontHeight();
    const i32 w = h / 2;  // one character
    ASSERT_NE(dc->FindText("L"), nullptr);
    EXPECT_EQ(dc->FindText("L")->at, (POINT{100, -100}));
    EXPECT_EQ(dc->FindText("C")->at, (POINT{100 + (14700 - w - 100) / 2, -100}));
    EXPECT_EQ(dc->FindText("R")->at, (POINT{14700 - w, -100}));
    ASSERT_NE(dc->FindText("page 3 word"), nullptr);
    EXPECT_EQ(dc->FindText("page 3 word")->at, (POINT{100, -20900 + h}));
    const QString date = QString::fromUtf8(FormatDate(DateFromQDateTime(FixedNow()), DATE_LONGDATE));
    EXPECT_NE(dc->FindText(date + "/" + date), nullptr);

    // The rules under the header and over the footer, with the wide pen.
    const auto lines = dc->Lines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0].at, (POINT{100, -100 - h - h / 4}));
    EXPECT_EQ(lines[0].to, (POINT{14700, -100 - h - h / 4}));
    EXPECT_EQ(lines[0].pen.lopnWidth.x, 80);
    EXPECT_EQ(lines[1].at.y, -20900 + h + h / 4);
}

TEST_F(MemoTest, AContactWithOnlyANamePrintsItsCaptionValueAndRule)
{
    Add("Ann Smith").m_dwGender = 3;  // no gender: "Unspecified" would print
    m_pm.m_Flags1 &= ~(PF_MEMO_HEADER | PF_MEMO_FOOTER);
    ASSERT_EQ(Paginate(), 1u);
    const auto dc = Page(1);
    const i32 h = FontHeight();
    const i32 tab = 8 * (h / 2);

    const auto texts = dc->Texts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].text, "Full name :");
    EXPECT_EQ(texts[0].at, (POINT{100, -100}));  // no header: the body starts at the margin
    EXPECT_EQ(texts[0].font.lfWeight, FW_BOLD);
    EXPECT_EQ(texts[1].text, "Ann Smith");
    EXPECT_EQ(texts[1].at, (POINT{100 + 3 * tab, -100}));
    EXPECT_EQ(texts[1].font.lfWeight, FW_NORMAL);
    const auto lines = dc->Lines();
    ASSERT_EQ(lines.size(), 1u);
    const i32 ruleY = -100 - h - h;  // the name's single line, then one "g"
    EXPECT_EQ(lines[0].at, (POINT{100, ruleY}));
    EXPECT_EQ(lines[0].pen.lopnWidth.x, 2);
}

TEST_F(MemoTest, LaterPhonesOfATypeReplaceEarlierOnesAndEmptyFieldsFollowTheFlag)
{
    Contact& c = Add("Bo");
    c.m_phones = {{1, "111"}, {1, "222"}, {99, "dropped"}};
    c.m_dwGender = 3;
    m_pm.m_Flags1 &= ~(PF_MEMO_HEADER | PF_MEMO_FOOTER);
    Paginate();
    auto dc = Page(1);
    EXPECT_NE(dc->FindText("222"), nullptr);
    EXPECT_EQ(dc->FindText("111"), nullptr);
    EXPECT_EQ(dc->FindText("dropped"), nullptr);
    EXPECT_EQ(dc->FindText("Gender :"), nullptr);
    EXPECT_EQ(dc->Texts().size(), 4u);

    m_pm.EndPrinting();
    c.m_dwDisplayFlags |= CDF_PRINT;
    m_pm.m_Flags1 |= PF_MEMO_EMPTY_FIELDS;
    Paginate();
    dc = Page(1);
    EXPECT_NE(dc->FindText("Gender :"), nullptr);
    EXPECT_NE(dc->FindText("Home phone 2 :"), nullptr);
}

TEST_F(MemoTest, EachAddressLineComesFromAnAddressOfItsOwnKindOrIsLeftOut)
{
    m_pm.m_Flags1 &= ~(PF_MEMO_HEADER | PF_MEMO_FOOTER);
    Contact& c = Add("Chloe Xenon", false);
    c.m_strFirstName = "Chloe";
    c.m_strLastName = "Xenon";
    c.m_dwGender = 3;  // no gender line
    // What the contact's memo says, line by line.
    auto memo = [&](std::vector<ContactAddress> addresses) {
        c.m_addresses = std::move(addresses);
        c.m_dwDisplayFlags |= CDF_PRINT;
        m_pm.EndPrinting();
        Paginate();
        QStringList texts;
        for (const auto& item : Page(1)->Texts())
            texts << item.text;
        return texts.join('|').toStdString();
    };
    const ContactAddress home{ADDR_HOME | ADDR_DEFAULT, "1 Home Lane", "", "", "", "", 2, 0};
    const ContactAddress work{ADDR_BUSINESS, "2 Work Way", "", "", "", "", 1, 0};
    EXPECT_EQ(memo({home}), "Full name :|Chloe Xenon|Home address :|1 Home Lane");
    EXPECT_EQ(memo({work}), "Full name :|Chloe Xenon|Business address :|2 Work Way");
    // No address: neither line, and never the name in place of one.
    EXPECT_EQ(memo({}), "Full name :|Chloe Xenon");
    // Each line reads its own address, whatever format the address names.
    ContactAddress workInHomeLayout = work;
    workInHomeLayout.m_dwFormat = 2;
    EXPECT_EQ(memo({home, workInHomeLayout}),
        "Full name :|Chloe Xenon|Business address :|2 Work Way|Home address :|1 Home Lane");
}

TEST_F(MemoTest, LongNotesContinueOnTheNextPageWhereTheyStopped)
{
    Contact& c = Add("Long");
    QString notes;
    for (int i = 0; i < 400; ++i)
        notes += QStringLiteral("word%1 ").arg(i, 3, 10, QLatin1Char('0'));
    c.m_strNotes = notes.trimmed().toStdString();
    const u32 pages = Paginate();
    ASSERT_GE(pages, 2u);
    EXPECT_EQ(m_pm.m_pageContact[2], 0u);
    EXPECT_EQ(m_pm.m_Fields[m_pm.m_pageField[2]] & 0xFFFF, 46u);
    const u32 offset = m_pm.m_pageOffset[2];
    ASSERT_GT(offset, 0u);

    const auto first = Page(1);
    const auto second = Page(2);
    const auto texts = second->Texts();
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts[0].text, "Notes :");
    // The second page goes on with the first word the first page left out.
    const QString rest = notes.mid(offset).trimmed();
    EXPECT_TRUE(rest.startsWith(texts[1].text.left(7))) << texts[1].text.toStdString();
    QString firstPageText;
    for (const auto& t : first->Texts())
        firstPageText += t.text + " ";
    EXPECT_FALSE(firstPageText.contains(texts[1].text.left(7)));
}

TEST_F(MemoTest, LongOneLineValuesStayWithinTheTextWidth)
{
    Contact& c = Add("Wide");
    const std::string email = "someone." + std::string(120, 'e') + "@example.com";
    const std::string phone = "+44 " + std::string(150, '9');
    c.m_emails = {{1, email}};
    c.m_phones = {{1, phone}};
    m_pm.m_Flags1 &= ~(PF_MEMO_HEADER | PF_MEMO_FOOTER);
    ASSERT_EQ(Paginate(), 1u);
    const auto dc = Page(1);
    QString printed;
    for (const auto& t : dc->Texts()) {
        // A5 less the 1 mm margins: nothing passes the right margin.
        EXPECT_LE(t.at.x + dc->GetTextExtent(t.text).cx, 14800 - 100) << t.text.toStdString();
        printed += t.text;
    }
    // Every character is printed, on the lines that follow.
    EXPECT_TRUE(printed.contains(QString::fromStdString(email).right(40)));
    EXPECT_EQ(printed.count(QLatin1Char('9')), 150);
}

TEST_F(MemoTest, MarginsLargerThanThePaperStillLeaveTheTextItsRoom)
{
    for (int i = 0; i < 6; ++i)
        Add("Name " + std::to_string(i));
    m_pm.m_Margins = {100, 20000, 100, 20000};  // 200 mm top and bottom on A5
    const u32 pages = Paginate();
    EXPECT_GE(pages, 1u);
    EXPECT_LT(pages, 6u);
    const auto dc = Page(1);
    ASSERT_NE(dc->FindText("Full name :"), nullptr);
    ASSERT_NE(dc->FindText("Name 0"), nullptr);
    EXPECT_EQ(dc->FindText("Name 0")->at.y, dc->FindText("Full name :")->at.y);
    for (const auto& t : dc->Texts())
        EXPECT_TRUE(t.at.y <= 0 && t.at.y >= -21000) << t.text.toStdString();
}

TEST_F(MemoTest, AWordWiderThanTheColumnBreaksInsideAndEveryPageMakesProgress)
{
    CRecordDC dc(A5Page());
    LOGFONT font;
    font.lfHeight = -100;  // 50 units a character
    dc.SelectFont(font);
    RECT rect{0, 0, 500, -1000};
    const QString word(25, QLatin1Char('x'));
    EXPECT_EQ(PrintTextInRect(true, dc, rect, word), 25);
    ASSERT_EQ(dc.Texts().size(), 3u);
    EXPECT_EQ(dc.Texts()[0].text, QString(10, QLatin1Char('x')));
    EXPECT_EQ(rect.bottom, -300);

    // A page a few lines high still takes every field of a contact, page by page.
    Contact& c = Add(std::string(300, 'y'));
    c.m_strNotes = std::string(2000, 'z');
    const u32 pages = Paginate(PageCaps::FullPage(3000, 1500));
    EXPECT_GT(pages, 2u);
    EXPECT_LT(pages, 5000u);
}

TEST_F(PaginationTest, CountsPagesPerStyleAndSortsByNameWithoutCase)
{
    EXPECT_EQ(Paginate(), 0u);
    m_pm.m_Printmode = PM_REPORT;
    EXPECT_EQ(Paginate(), 0u);
    m_pm.m_Printmode = PM_ENVELOPE;
    EXPECT_EQ(Paginate(), 0u);
    m_pm.m_Printmode = PM_LABELS;
    m_pm.m_LabelPrintRange = PR_LABEL_SHEET;
    EXPECT_EQ(Paginate(), 1u);
    m_pm.m_LabelPrintRange = PR_LABEL_SELECTION;
    EXPECT_EQ(Paginate(), 0u);
    m_pm.m_Label.m_wColumns = 3;
    m_pm.m_Label.m_wRows = 8;
    for (int i = 0; i < 24; ++i)
        Add("x" + std::to_string(i));
    EXPECT_EQ(Paginate(), 1u);
    for (int i = 0; i < 25; ++i)
        Add("x" + std::to_string(i));
    EXPECT_EQ(Paginate(), 2u);
    EXPECT_EQ(m_pm.m_contacts.size(), 25u);
    // The begin pass takes the choice away again.
    EXPECT_EQ(Paginate(), 0u);

    m_pm.m_Printmode = PM_ENVELOPE;
    m_userMan.m_dwNameColumnFlags = 2;
    Contact& b1 = Add("beta");
    Add("Alpha");
    Contact& b2 = Add("BETA");
    Add("");
    EXPECT_EQ(Paginate(), 4u);
    ASSERT_EQ(m_pm.m_contacts.size(), 4u);
    EXPECT_EQ(m_pm.JobContact(0)->m_strName, "");
    EXPECT_EQ(m_pm.JobContact(1)->m_strName, "Alpha");
    EXPECT_EQ(m_pm.JobContact(2), &b1);  // equal names keep their order
    EXPECT_EQ(m_pm.JobContact(3), &b2);
}

namespace {

// Two text columns of 100 and 50 screen pixels.
CColumnReport TwoColumns()
{
    return CColumnReport({{FID_NAME, "Name", 100, 0, false},
        {FID_COMPANY, "Company", 50, kColumnAlignRight, false}, {FID_ICON, "", 16, 0, true}});
}

}  // namespace

TEST_F(ReportTest, EveryPageStartsWithTheTitlesAndEndsWithTheFrame)
{
    CColumnReport report = TwoColumns();
    m_info.m_pReport = &report;
    m_pm.m_Printmode = PM_REPORT;
    m_pm.m_Flags1 &= ~(PF_REPORT_HEADER | PF_REPORT_FOOTER);
    for (int i = 0; i < 60; ++i) {
        Contact& c = Add("Person " + std::to_string(100 + i));
        c.m_strCompany = "Co";
    }
    const u32 pages = Paginate();
    ASSERT_GE(pages, 2u);
    const i32 h = FontHeight();
    const i32 scale = 14600 / 150;
    for (u32 page = 1; page <= 2; ++page) {
        const auto dc = Page(page);
        const auto texts = dc->Texts();
        ASSERT_GE(texts.size(), 4u);
        EXPECT_EQ(texts[0].text, "Name");
        EXPECT_EQ(texts[0].font.lfWeight, FW_BOLD);
        EXPECT_EQ(texts[0].at.x, 100 + (100 * scale - 4 * (h / 2)) / 2);
        EXPECT_EQ(texts[1].text, "Company");
        // The first row below the titles, the company right-aligned in its cell.
        const i32 rowTop = -100 - h * 3 / 2;
        EXPECT_EQ(texts[2].at, (POINT{100 + 2 * scale, rowTop}));
        EXPECT_EQ(texts[3].text, "Co");
        EXPECT_EQ(texts[3].at.x, 100 + 150 * scale - 2 * scale - 2 * (h / 2));
        // The frame: down the left, along the bottom, up the right.
        const auto lines = dc->Lines();
        ASSERT_GE(lines.size(), 3u);
        const auto& last = lines.back();
        EXPECT_EQ(last.pen.lopnWidth.x, 80);
        EXPECT_EQ(last.at, (POINT{14700, -20900}));
        EXPECT_EQ(last.to, (POINT{14700, -100}));
    }
    EXPECT_EQ(m_pm.m_contacts.size(), 60u);
}

TEST_F(ReportTest, ColumnsWithoutWidthPrintNothingAndNeverDivideByZero)
{
    CColumnReport report({{FID_NAME, "Name", 0, 0, false}, {FID_ICON, "", 16, 0, true}});
    EXPECT_EQ(report.Scale({0, 0, 1000, -1000}), 0);
    m_info.m_pReport = &report;
    m_pm.m_Printmode = PM_REPORT;
    Add("Ann");
    EXPECT_EQ(Paginate(), 1u);
    const auto dc = Page(1);
    EXPECT_EQ(dc->FindText("Ann"), nullptr);

    // Without a contact list at all the rows are left out, and pagination ends.
    m_info.m_pReport = nullptr;
    Add("Bea");
    EXPECT_EQ(Paginate(), 1u);
}

TEST_F(ReportTest, RowsInTheContactsOwnFontWhenAsked)
{
    CColumnReport report = TwoColumns();
    m_info.m_pReport = &report;
    m_pm.m_Printmode = PM_REPORT;
    m_pm.m_Flags1 |= PF_REPORT_CONTACT_FONT;
    LOGFONT listFont;
    listFont.lfHeight = -20;
    m_userMan.SetFont(2, listFont);
    Contact& listed = Add("Listed");
    listed.m_dwDisplayFlags |= CDF_DEFAULT_FONT;
    Contact& own = Add("Own");
    own.m_dwDisplayFlags &= ~(CDF_DEFAULT_FONT | CDF_DEFAULT_TEXT_COLOR);
    own.m_font.lfHeight = -32;
    own.m_crText = RGB(200, 0, 0);
    Paginate();
    const auto dc = Page(1);
    ASSERT_NE(dc->FindText("Listed"), nullptr);
    EXPECT_EQ(dc->FindText("Listed")->font.lfHeight, PrintFontFromScreenFont(listFont).lfHeight);
    ASSERT_NE(dc->FindText("Own"), nullptr);
    EXPECT_EQ(dc->FindText("Own")->font.lfHeight, PrintFontFromScreenFont(own.m_font).lfHeight);
    EXPECT_EQ(dc->FindText("Own")->color, RGB(200, 0, 0));
}

TEST_F(PaginationTest, TheChosenLabelSheetIsKeptWithTheSettings)
{
    m_pm.m_Label.SetName("Kept");
    m_pm.m_Label.m_wColumns = 3;
    m_pm.m_Label.m_wRows = 7;
    m_pm.Save();
    PrintMan loaded;
    loaded.Load();
    EXPECT_EQ(loaded.m_Label.Name(), "Kept");
    EXPECT_EQ(loaded.m_Label.m_wRows, 7);

    // A stored sheet without rows is not taken: it could not be laid out.
    m_pm.m_Label.m_wRows = 0;
    m_pm.Save();
    PrintMan refused;
    refused.Load();
    EXPECT_EQ(refused.m_Label.m_wRows, 1);
    EXPECT_FALSE(m_pm.IsLabelSheetUsable());
}
