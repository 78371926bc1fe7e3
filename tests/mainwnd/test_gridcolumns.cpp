#include "core/fieldtexts.h"
#include "mainwnd/gridcolumns.h"
#include "mainwnd/gridlayout.h"

#include <gtest/gtest.h>
#include <set>

TEST(GridCatalogue, RowsAndFieldGroups)
{
    const GridColumnInfo* icon = GetGridColumn(0);
    EXPECT_EQ(icon->m_dwFlags, 0xC0800u);
    EXPECT_EQ(icon->m_nFieldId, 59513);
    EXPECT_EQ(icon->m_nWidth, 24);
    EXPECT_EQ(icon->m_nMaxWidth, 24);
    EXPECT_EQ(icon->m_nReserved, 0);
    EXPECT_EQ(GetGridColumn(15)->m_nWidth, 150);
    EXPECT_EQ(GetGridColumn(16)->m_nWidth, 100);
    EXPECT_EQ(GetGridColumn(11)->m_nFieldId, 59494);
    EXPECT_EQ(GetGridColumn(71)->m_nFieldId, 59672);
    EXPECT_EQ(GetGridColumn(71)->m_nReserved, -1);
    EXPECT_EQ(GetGridColumn(72), nullptr);
    EXPECT_EQ(GetGridColumn(-1), nullptr);
    const GridColumnInfo empty;
    EXPECT_EQ(empty, (GridColumnInfo{0, -1, -1, 0, -1, -1}));

    std::set<i32> fields;
    for (const GridColumnInfo& c : GridColumns())
        fields.insert(c.m_nFieldId);
    EXPECT_EQ(fields.size(), 72u);
    for (u32 none : {FID_CHILDREN, FID_SPOUSE, FID_NOTES})
        EXPECT_EQ(FindFieldColumn(none), -1);

    // Group masks select the table's fields; "All fields" every column.
    EXPECT_TRUE(FieldInGroups(FID_ICON, 1));
    EXPECT_FALSE(FieldInGroups(FID_COMPANY, 1));
    EXPECT_TRUE(FieldInGroups(59457, 4));
    EXPECT_FALSE(FieldInGroups(59458, 4));
    EXPECT_TRUE(FieldInGroups(FID_BUSINESS_PHONE, 32));
    EXPECT_TRUE(FieldInGroups(FID_HOME_EMAIL, 64));
    EXPECT_TRUE(FieldInGroups(FID_NICK_NAME, 2));
    EXPECT_TRUE(FieldInGroups(FID_MODIFIED, 768));
    EXPECT_FALSE(FieldInGroups(FID_ICON, 768));
    int all = 0;
    for (const GridColumnInfo& c : GridColumns())
        all += FieldInGroups(u32(c.m_nFieldId), FieldGroups()[7].mask);
    EXPECT_EQ(all, 72);
    EXPECT_STREQ(FieldGroups()[6].text, "Other fields");
    EXPECT_EQ(FindFlagField(7), u32(FID_NOTES));
}

TEST(GridLayoutText, RoundTrip)
{
    GridLayout layout;
    layout.sortColumn = 11;
    layout.ascending = 0;
    for (int i = 0; i < kGridColumnCount; ++i)
        layout.widths[size_t(i)] = 30 + i;
    layout.columns = {0, 11, 1};
    const std::string text = FormatGridLayout(layout);
    EXPECT_EQ(text.rfind("11 0 72 3 30 31 ", 0), 0u);
    EXPECT_EQ(text.substr(text.size() - 11), " 101 0 11 1");
    GridLayout read;
    ASSERT_TRUE(ParseGridLayout(text, read));
    EXPECT_EQ(read.sortColumn, 11);
    EXPECT_EQ(read.ascending, 0);
    EXPECT_EQ(read.widths, layout.widths);
    EXPECT_EQ(read.columns, layout.columns);
    // Fewer widths than columns leave the rest alone.
    ASSERT_TRUE(ParseGridLayout("1 1 2 1 40 50 1", read));
    EXPECT_EQ(read.widths[1], 50);
    EXPECT_EQ(read.widths[2], -1);
}

TEST(GridLayoutText, DamagedTextsAreRefusedWhole)
{
    GridLayout layout;
    layout.columns = {5};
    for (const char* bad : {"", "1 1 0", "1 1 0 1", "1 1 0 1 2 3", "1 1 0 1 x", "1 1 73 1", "1 2 0 1 1",
             "72 1 0 1 1", "1 1 0 0", "1 1 0 2 1 1", "1 1 0 1 72", "1 1 0 1 -1", "1 1 1 1 -5 1",
             "1 1 1 1 99999 1", "1 1 0 1 1x", "1 1 0 1 99999999999999999999", "1,1,0,1,1"}) {
        EXPECT_FALSE(ParseGridLayout(bad, layout)) << bad;
    }
    EXPECT_EQ(layout.columns, std::vector<int>{5});
    EXPECT_TRUE(ParseGridLayout("-1 1 0 1 3", layout));
}
