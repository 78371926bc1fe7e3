#include "print/printoutput.h"
#include "printtesting.h"

#include <QFile>

namespace {

class EnvelopeTest : public PrintFixture {
protected:
    void SetUp() override
    {
        PrintFixture::SetUp();
        m_pm.m_Printmode = PM_ENVELOPE;
        m_pm.m_EnvelopeData = kEnvelopeSizeTable[13];  // C6: 162 x 114 mm
        m_pm.m_AddrRet = "Me\r\nHere";
        m_pm.m_AddrRetMargins = {100, 100, 0, 0};
        m_pm.m_AddrDelivMargins = {300, 300, 0, 0};
        Contact& c = Add("Ann Lee");
        c.m_strFirstName = "Ann";
        c.m_strLastName = "Lee";
        ContactAddress home;
        home.m_dwType = ADDR_HOME;
        home.m_strStreet = "Main St 1";
        c.m_addresses.push_back(home);
    }
    static PageCaps A4() { return PageCaps::FullPage(21000, 29700); }
    std::unique_ptr<CRecordDC> Envelope(bool preview = false)
    {
        m_info.m_bPreview = preview;
        Paginate(A4());
        return Page(1, A4());
    }
};

class LabelTest : public PrintFixture {
protected:
    void SetUp() override
    {
        PrintFixture::SetUp();
        m_pm.m_Printmode = PM_LABELS;
        LabelDefinition& l = m_pm.m_Label;
        l.m_wColumns = 2;
        l.m_wRows = 3;
        l.m_wWidth = 2880;  // 2 in
        l.m_wHeight = 1440;  // 1 in
        l.m_wLeftMargin = l.m_wTopMargin = 720;
        m_pm.m_LabelFields = 2;  // home address: the street alone
        for (int i = 0; i < 7; ++i) {
            Contact& c = Add("L" + std::to_string(i));
            ContactAddress home;
            home.m_dwType = ADDR_HOME;
            home.m_strStreet = "Street " + std::to_string(i);
            c.m_addresses.push_back(home);
        }
    }
};

// 1 mm and 1 twip in logical units.
constexpr i32 kMm = 100;
constexpr i32 kTextMargin = 265;  // 150 twips

}  // namespace

TEST_F(EnvelopeTest, AnUnturnedEnvelopeIsCentredAtTheTopWithBothAddresses)
{
    m_pm.m_EnvelopeFeed = 5;
    const auto dc = Envelope();
    const i32 h = FontHeight();
    const i32 left = (21000 - 16200) / 2;
    ASSERT_NE(dc->FindText("Me"), nullptr);
    EXPECT_EQ(dc->FindText("Me")->at, (POINT{left + 10 * kMm, -10 * kMm}));
    EXPECT_EQ(dc->FindText("Here")->at, (POINT{left + 10 * kMm, -10 * kMm - h}));
    ASSERT_NE(dc->FindText("Ann Lee"), nullptr);
    EXPECT_EQ(dc->FindText("Ann Lee")->at, (POINT{left + 30 * kMm, -30 * kMm}));
    EXPECT_EQ(dc->FindText("Main St 1")->at, (POINT{left + 30 * kMm, -30 * kMm - h}));
    EXPECT_EQ(dc->FindText("Ann Lee")->font.lfEscapement, 0);
    // Paper shows no outline and no stamp box.
    EXPECT_TRUE(dc->Frames().empty());
}

TEST_F(EnvelopeTest, ByDefaultTheReturnAddressIsTopLeftAndTheDeliveryAddressInTheMiddle)
{
    const PrintMan defaults;
    m_pm.m_AddrRetMargins = defaults.m_AddrRetMargins;
    m_pm.m_AddrDelivMargins = defaults.m_AddrDelivMargins;
    m_pm.m_EnvelopeFeed = 4;
    for (const size_t row : {kEnvelopeUsLetterRow, size_t(13)}) {  // #10 and C6
        m_pm.m_EnvelopeData = kEnvelopeSizeTable[row];
        const i32 length = i32(m_pm.m_EnvelopeData.m_wWidth) * 10;
        const i32 height = i32(m_pm.m_EnvelopeData.m_wHeight) * 10;
        m_dataMan.GetContactAt(0)->m_dwDisplayFlags |= CDF_PRINT;
        const auto dc = Envelope();
        const CRecordDC::Item* ret = dc->FindText("Here");
        const CRecordDC::Item* deliv = dc->FindText("Ann Lee");
        ASSERT_TRUE(ret && deliv);
        EXPECT_LT(dc->FindText("Me")->at.x, length / 8);
        EXPECT_GT(dc->FindText("Me")->at.y, -height / 4);
        // The delivery address starts in the middle third, below the return address.
        EXPECT_GT(deliv->at.x, length / 3) << row;
        EXPECT_LT(deliv->at.x, length * 2 / 3) << row;
        EXPECT_LT(deliv->at.y, ret->at.y - FontHeight()) << row;
        EXPECT_GT(deliv->at.y, -height * 2 / 3) << row;
    }
}

TEST_F(EnvelopeTest, ATurnedEnvelopeRunsItsTextDownThePageBesideTheStampBox)
{
    m_pm.m_EnvelopeFeed = 2;
    const auto dc = Envelope(true);
    const i32 h = FontHeight();
    const i32 left = (21000 - 11400) / 2, right = left + 11400, bottom = -16200;
    const auto* me = dc->FindText("Me");
    ASSERT_NE(me, nullptr);
    EXPECT_EQ(me->font.lfEscapement, kEscapementDown);
    EXPECT_EQ(me->at, (POINT{right - 10 * kMm, -10 * kMm}));
    EXPECT_EQ(dc->FindText("Here")->at, (POINT{right - 10 * kMm - h, -10 * kMm}));
    EXPECT_EQ(dc->FindText("Ann Lee")->at, (POINT{right - 30 * kMm, -30 * kMm}));
    // The preview outlines the envelope and its stamp box.
    const auto frames = dc->Frames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].at, (POINT{left, 0}));
    EXPECT_EQ(frames[0].to, (POINT{right, bottom}));
    EXPECT_EQ(frames[1].at, (POINT{left + 11400 * 6 / 8, -16200 * 6 / 8}));
    EXPECT_EQ(frames[1].to, (POINT{left + 11400 * 7 / 8, -16200 * 7 / 8}));
    EXPECT_EQ(frames[0].pen.lopnStyle, PS_DOT);
}

TEST_F(EnvelopeTest, FlagsAndFormatChoiceDecideWhatIsPrinted)
{
    m_pm.m_Flags1 |= PF_NO_RETURN_ADDRESS;
    m_pm.m_EnvelopeAddressFormat = 9;
    auto dc = Envelope();
    EXPECT_EQ(dc->FindText("Me"), nullptr);
    EXPECT_NE(dc->FindText("Ann Lee"), nullptr);
    EXPECT_EQ(m_pm.m_EnvelopeAddressFormat, 0u);

    // The contact's own format, though no address is flagged its default:
    // the address it has goes out, under its name.
    m_pm.m_Flags1 = (m_pm.m_Flags1 & ~PF_NO_RETURN_ADDRESS) | PF_ENVELOPE_CONTACT_FORMAT;
    m_pm.EndPrinting();
    m_dataMan.GetContactAt(0)->m_dwDisplayFlags |= CDF_PRINT;
    dc = Envelope();
    EXPECT_NE(dc->FindText("Me"), nullptr);
    EXPECT_NE(dc->FindText("Ann Lee"), nullptr);
    EXPECT_NE(dc->FindText("Main St 1"), nullptr);
}

TEST_F(EnvelopeTest, AnEnvelopeCarriesTheNameAndAnAddressWhateverTheFormat)
{
    m_pm.m_Flags1 |= PF_NO_RETURN_ADDRESS;
    Contact& c = *m_dataMan.GetContactAt(0);
    auto address = [](u32 type, const char* street, u32 format) {
        return ContactAddress{type, street, "", "", "", "", format, 0};
    };
    // The delivery address's lines, as drawn.
    auto delivery = [&] {
        m_pm.EndPrinting();
        c.m_dwDisplayFlags |= CDF_PRINT;
        QStringList lines;
        for (const auto& item : Envelope()->Texts())
            lines << item.text;
        return lines.join('|').toStdString();
    };
    // The postal format reads home fields: a business or postal address
    // alone goes out in its place rather than the name alone.
    c.m_addresses = {address(ADDR_BUSINESS | ADDR_DEFAULT, "9 Work Way", 1)};
    EXPECT_EQ(delivery(), "Ann Lee|9 Work Way");
    c.m_addresses = {address(ADDR_POSTAL | ADDR_DEFAULT, "PO Box 7", 0)};
    EXPECT_EQ(delivery(), "Ann Lee|PO Box 7");
    // Formats without a name put the name first.
    c.m_addresses = {address(ADDR_BUSINESS | ADDR_DEFAULT, "9 Work Way", 1)};
    m_pm.m_EnvelopeAddressFormat = 1;
    EXPECT_EQ(delivery(), "Ann Lee|9 Work Way");
    c.m_strName.clear();  // named by its parts alone
    EXPECT_EQ(delivery(), "Ann Lee|9 Work Way");
    c.m_strName = "Ann Lee";
    m_pm.m_Flags1 |= PF_ENVELOPE_CONTACT_FORMAT;
    c.m_addresses
        = {address(ADDR_BUSINESS, "9 Work Way", 1), address(ADDR_HOME | ADDR_DEFAULT, "Main St 1", 2)};
    EXPECT_EQ(delivery(), "Ann Lee|Main St 1");
    EXPECT_TRUE(m_pm.AddresslessNote().isEmpty());

    // No address at all: the name alone, and the job's result says so.
    c.m_addresses.clear();
    EXPECT_EQ(delivery(), "Ann Lee");
    EXPECT_EQ(
        m_pm.AddresslessNote().toStdString(), "Ann Lee has no address: the envelope carries the name alone.");
}

TEST_F(EnvelopeTest, TheAddressOfAKindIsItsDefaultElseFirstAndAPostalOneIsPrinted)
{
    Contact& c = *m_dataMan.GetContactAt(0);
    const auto print = [&](std::vector<ContactAddress> addresses) {
        c.m_addresses = std::move(addresses);
        m_pm.EndPrinting();
        c.m_dwDisplayFlags |= CDF_PRINT;
        return Envelope();
    };
    m_pm.m_EnvelopeAddressFormat = 1;
    auto dc = print({{ADDR_BUSINESS | ADDR_DEFAULT, "1 Work Way", "Portby", "", "", "", 1, 0},
        {ADDR_BUSINESS, "9 Other St", "Elsewhere", "", "", "", 1, 0}});
    EXPECT_NE(dc->FindText("1 Work Way"), nullptr);
    EXPECT_EQ(dc->FindText("9 Other St"), nullptr);

    // The postal format's home fields take a postal address when there is
    // no home one.
    m_pm.m_EnvelopeAddressFormat = 0;
    dc = print({{ADDR_POSTAL, "PO Box 77", "Portby", "", "", "", 0, 0}});
    EXPECT_NE(dc->FindText("Ann Lee"), nullptr);
    EXPECT_NE(dc->FindText("PO Box 77"), nullptr);

    // The contact's own format lays out its default address, postal too.
    m_pm.m_Flags1 |= PF_ENVELOPE_CONTACT_FORMAT;
    dc = print({{ADDR_HOME, "Main St 1", "", "", "", "", 2, 0},
        {ADDR_POSTAL | ADDR_DEFAULT, "PO Box 77", "Portby", "", "", "", 0, 0}});
    EXPECT_NE(dc->FindText("PO Box 77"), nullptr);
    EXPECT_EQ(dc->FindText("Main St 1"), nullptr);
}

TEST_F(LabelTest, ASheetPerSixContactsFilledRowByRow)
{
    m_pm.m_LabelPrintRange = PR_LABEL_SELECTION;
    const PageCaps page = PageCaps::FullPage(21000, 29700);
    ASSERT_EQ(Paginate(page), 2u);
    auto dc = Page(1, page);
    const i32 labelLeft = 1270, labelTop = -1270, width = 5080, height = 2540;
    // The home format holds no name: each label puts it first.
    ASSERT_EQ(dc->Texts().size(), 12u);
    EXPECT_EQ(dc->FindText("L0")->at, (POINT{labelLeft + kTextMargin, labelTop - kTextMargin}));
    EXPECT_EQ(dc->FindText("Street 0")->at,
        (POINT{labelLeft + kTextMargin, labelTop - kTextMargin - FontHeight()}));
    EXPECT_EQ(dc->FindText("L1")->at, (POINT{labelLeft + width + kTextMargin, labelTop - kTextMargin}));
    EXPECT_EQ(dc->FindText("L2")->at, (POINT{labelLeft + kTextMargin, labelTop - height - kTextMargin}));
    EXPECT_TRUE(dc->Frames().empty());  // outlines on paper only when asked for

    dc = Page(2, page);
    ASSERT_EQ(dc->Texts().size(), 2u);
    EXPECT_EQ(dc->Texts()[0].at, (POINT{labelLeft + kTextMargin, labelTop - kTextMargin}));

    m_pm.m_Flags1 |= PF_LABEL_OUTLINES;
    dc = Page(2, page);
    const auto frames = dc->Frames();
    ASSERT_EQ(frames.size(), 6u);
    EXPECT_EQ(frames[5].at, (POINT{labelLeft + width, labelTop - 2 * height}));
    EXPECT_EQ(frames[5].radius, 706);
}

TEST_F(LabelTest, ASingleLabelLiesAtItsRowAndColumnAndAFullSheetRepeatsTheFirst)
{
    m_pm.m_LabelPrintRange = PR_LABEL_SINGLE;
    m_pm.m_LabelItem = (3 << 16) | 2;
    const PageCaps page = PageCaps::FullPage(21000, 29700);
    ASSERT_EQ(Paginate(page), 1u);
    m_info.m_bPreview = true;
    auto dc = Page(1, page);
    ASSERT_EQ(dc->Texts().size(), 2u);
    EXPECT_EQ(dc->Texts()[0].text, "L0");
    EXPECT_EQ(dc->Texts()[1].text, "Street 0");
    EXPECT_EQ(dc->Texts()[0].at, (POINT{1270 + 5080 + kTextMargin, -1270 - 2 * 2540 - kTextMargin}));
    EXPECT_EQ(dc->Frames().size(), 6u);  // the preview shows every outline

    for (int i = 0; i < 7; ++i)
        m_dataMan.GetContactAt(i)->m_dwDisplayFlags |= CDF_PRINT;
    m_pm.m_LabelPrintRange = PR_LABEL_SHEET;
    Paginate(page);
    dc = Page(1, page);
    ASSERT_EQ(dc->Texts().size(), 12u);
    for (size_t i = 0; i < dc->Texts().size(); ++i)
        EXPECT_EQ(dc->Texts()[i].text, i % 2 ? "Street 0" : "L0");
}

namespace {

constexpr double kPointsPerLogical = 72.0 / 2540.0;

}  // namespace

TEST_F(EnvelopeTest, PdfFilesHoldThePagesAndTheirText)
{
    if (!CanReadPdf())
        GTEST_SKIP() << "poppler-utils are not installed";
    const QString path = m_dir->filePath("job.pdf");
    const QPageLayout a4(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF());

    // Memo: two contacts, 20 mm margins.
    m_pm.m_Printmode = PM_MEMO;
    m_pm.m_Margins = {2000, 2000, 2000, 2000};
    m_pm.m_Flags1 &= ~(PF_MEMO_HEADER | PF_MEMO_FOOTER);
    Add("Zed Zulu");
    m_dataMan.GetContactAt(0)->m_dwDisplayFlags |= CDF_PRINT;
    EXPECT_EQ(PrintToPdf(m_pm, m_info, path, a4), 1);
    EXPECT_EQ(PdfPages(path), 1);
    const QPointF full = WordAt(path, "Full");
    EXPECT_NEAR(full.x(), 2000 * kPointsPerLogical, 1.0);
    EXPECT_NEAR(full.y(), 2000 * kPointsPerLogical, 1.5);
    EXPECT_GT(WordAt(path, "Zulu").x(), full.x());

    // Envelopes: one page per contact, the delivery address where it belongs.
    m_pm.m_Printmode = PM_ENVELOPE;
    m_pm.m_EnvelopeFeed = 4;
    m_userMan.m_dwNameColumnFlags = 2;  // by the full name: Ann first
    for (int i = 0; i < 2; ++i)
        m_dataMan.GetContactAt(i)->m_dwDisplayFlags |= CDF_PRINT;
    EXPECT_EQ(PrintToPdf(m_pm, m_info, path, a4), 2);
    EXPECT_EQ(PdfPages(path), 2);
    const QPointF ann = WordAt(path, "Ann", 1);
    EXPECT_NEAR(ann.x(), 3000 * kPointsPerLogical, 1.0);
    EXPECT_NEAR(ann.y(), 3000 * kPointsPerLogical, 1.5);

    // No pages: no file.
    QFile::remove(path);
    EXPECT_EQ(PrintToPdf(m_pm, m_info, path, a4), 0);
    EXPECT_FALSE(QFile::exists(path));
}
