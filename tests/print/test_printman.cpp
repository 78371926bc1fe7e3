#include "platform/profile.h"
#include "print/printman.h"
#include "support/testenv.h"

#include <QGuiApplication>
#include <QPalette>

namespace {

using PrintManTest = TolvaTest;

COLORREF DesktopWindowText()
{
    const QColor c = QGuiApplication::palette().color(QPalette::WindowText);
    return RGB(unsigned(c.red()), unsigned(c.green()), unsigned(c.blue()));
}

u32 StoredInt(const char* name)
{
    return u32(Profile::GetInt(kPrintManSection, name, -1));
}

// Every stored setting, for comparing two print managers.
auto Settings(const PrintMan& p)
{
    return std::tie(p.m_Flags1, p.m_Printtype, p.m_PrinttypeEnv, p.m_LabelPrintRange, p.m_Printmode,
        p.m_fonts, p.m_colors, p.m_memoHead, p.m_memoFoot, p.m_reportHead, p.m_reportFoot, p.m_AddrRet,
        p.m_AddrRetMargins, p.m_AddrDelivMargins, p.m_EnvelopeFeed, p.m_EnvelopeAddressFormat,
        p.m_EnvelopeData, p.m_LabelItem, p.m_LabelFields, p.m_Margins, p.m_MarginsMin, p.m_Fields);
}

}  // namespace

TEST_F(PrintManTest, FirstRunGivesTheDefaults)
{
    // A centre header stored with a Latin C is not the centre header.
    Profile::WriteString(kPrintManSection, "HeadCent", "Latin");
    PrintMan pm;
    EXPECT_EQ(pm.Load(), 0u);
    EXPECT_EQ(pm.m_memoHead[1], "");
    EXPECT_EQ(pm.m_Flags1, 99u);
    EXPECT_EQ(pm.m_Printmode, u32(PM_MEMO));
    EXPECT_EQ(pm.m_Printtype, 3u);
    EXPECT_EQ(pm.m_LabelPrintRange, 101u);
    EXPECT_EQ(pm.GetPrintRange(), 3u);
    EXPECT_EQ(pm.m_LabelItem, 0x10001u);
    EXPECT_EQ(pm.m_Margins, (RECT{100, 100, 100, 100}));
    EXPECT_EQ(pm.m_AddrDelivMargins, (RECT{1000, 500, 300, 300}));
    EXPECT_EQ(pm.m_EnvelopeData.Name(), "US Letter\t(8 1/2 x 11 in)");
    EXPECT_EQ(pm.m_EnvelopeData.m_wPaper, 1);
    ASSERT_EQ(pm.m_Fields.size(), 46u);
    for (u32 n = 1; n <= 46; ++n)
        EXPECT_EQ(pm.m_Fields[n - 1], n | 0x10000000u);

    for (int element = 1; element <= 9; ++element) {
        EXPECT_EQ(pm.GetColor(element), DesktopWindowText());
        ASSERT_NE(pm.GetFont(element), nullptr);
        EXPECT_EQ(pm.GetFont(element)->lfWeight, FW_NORMAL);
    }
    // Numbers outside the nine elements.
    EXPECT_EQ(pm.GetFont(0), nullptr);
    EXPECT_EQ(pm.GetFont(10), nullptr);
    EXPECT_EQ(pm.GetColor(10), DesktopWindowText());
}

TEST_F(PrintManTest, EverySettingSurvivesANewProfile)
{
    PrintMan pm;
    pm.m_Flags1 = 0x20187;
    pm.m_Printtype = 4;
    pm.m_LabelPrintRange = PR_LABEL_SINGLE;
    pm.m_Printmode = PM_LABELS;
    for (int element = 1; element <= 9; ++element) {
        LOGFONT font = *pm.GetFont(element);
        font.lfHeight = -10 - element;
        font.lfItalic = 1;
        pm.SetFont(element, font);
        pm.SetColor(element, RGB(10 * element, 0, 200));
    }
    pm.m_memoHead = {"[Current date]", "Mitte", "[Page #]"};
    pm.m_memoFoot = {"a", "b", "c"};
    pm.m_reportHead = {"d", "Zentrum ä", "f"};
    pm.m_reportFoot = {"g", "h", "i"};
    pm.m_AddrRet = "Vexa+\r\nMain Street 1";
    pm.m_AddrDelivMargins = {900, 700, 1, 2};
    pm.m_EnvelopeFeed = 6;
    pm.m_EnvelopeAddressFormat = 2;
    pm.m_EnvelopeData = kEnvelopeSizeTable[kEnvelopeCustomRow];
    pm.m_LabelItem = 0x30002;
    pm.m_LabelFields = 1;
    pm.m_Margins = {200, 300, 400, 500};
    std::swap(pm.m_Fields[0], pm.m_Fields[45]);
    pm.m_Fields[3] &= ~PFL_PRINTED;
    EXPECT_EQ(pm.GetPrintRange(), u32(PR_LABEL_SINGLE));
    EXPECT_EQ(pm.Save(), 0u);
    Profile::Reopen();

    PrintMan back;
    EXPECT_EQ(back.Load(), 0u);
    EXPECT_TRUE(Settings(back) == Settings(pm));

    // The centre header part is not stored under a Latin C.
    EXPECT_EQ(Profile::GetString(kPrintManSection, "HeadCent", "none"), "none");
}

TEST_F(PrintManTest, BinaryValuesOfAnotherSizeKeepTheDefaults)
{
    PrintMan defaults;
    const std::pair<const char*, qsizetype> values[] = {{"Margins", 16}, {"MarginsMin", 16}, {"HeadFont", 60},
        {"FootFont", 60}, {"MainFont", 60}, {"HeadFont2", 60}, {"FootFont2", 60}, {"MainFont2", 60},
        {"AddrDelivFont", 60}, {"AddrRetFont", 60}, {"AddrDelivMargins", 16}, {"AddrRetMargins", 16},
        {"EnvelopeData", 250}, {"LabelFont", 60}};
    const std::vector<char> junk(300, 'x');
    for (const auto& [name, size] : values)
        Profile::WriteBinary(kPrintManSection, name, junk.data(), size - 4);
    Profile::Reopen();

    PrintMan pm;
    pm.Load();
    EXPECT_TRUE(Settings(pm) == Settings(defaults));
}

TEST_F(PrintManTest, FieldListOfAnotherSizeGivesTheDefaultListAndANote)
{
    const std::vector<u32> shortList(45, 1);
    Profile::WriteBinary(kPrintManSection, "Fields", shortList.data(), 180);
    Profile::Reopen();

    PrintMan pm;
    pm.Load();
    EXPECT_EQ(pm.m_Fields, PrintMan().m_Fields);
    EXPECT_TRUE(Contents("tolva_error.log").contains("\"Fields\" in \"PrintMan\") holds 180 bytes"));

    // Saving writes the list that is printed.
    EXPECT_EQ(pm.Save(), 0u);
    Profile::Reopen();
    EXPECT_EQ(Profile::GetBinaryAnySize(kPrintManSection, "Fields")->size(), 184);
}

TEST_F(PrintManTest, LabelFormatBeyondTheFormatsIsSavedAsFirst)
{
    CAddressFormatArray formats;
    formats.SetSize(5);
    PrintMan pm(nullptr, &formats);
    pm.m_LabelFields = 4;
    pm.Save();
    EXPECT_EQ(StoredInt("LabelFields"), 4u);
    pm.m_LabelFields = 7;
    pm.Save();
    EXPECT_EQ(pm.m_LabelFields, 0u);
    EXPECT_EQ(StoredInt("LabelFields"), 0u);

    // With no formats at all there is nothing to reset to.
    PrintMan noFormats;
    noFormats.m_LabelFields = 7;
    noFormats.Save();
    EXPECT_EQ(StoredInt("LabelFields"), 7u);
}
