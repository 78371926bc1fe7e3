#include "print/labelfile.h"
#include "print/measure.h"

#include <gtest/gtest.h>

TEST(Measure, ShownWithTheUsersSeparatorAndReadBackInEitherUnit)
{
    const MeasureUnit cm{true, ","};
    const MeasureUnit inch{false, "."};
    EXPECT_EQ(FormatMeasure(12.5, cm), "12,50 cm");
    EXPECT_EQ(FormatMeasure(3.937, inch), "3.94 in");

    double v = 0;
    EXPECT_EQ(ParseMeasure("2,5", cm, 10, v), 0u);
    EXPECT_DOUBLE_EQ(v, 2.5);
    EXPECT_EQ(ParseMeasure("1 in", cm, 10, v), 0u);
    EXPECT_DOUBLE_EQ(v, 2.54);
    EXPECT_EQ(ParseMeasure("10 cm", inch, 22, v), 0u);
    EXPECT_EQ(FormatMeasure(v, inch), "3.94 in");
    EXPECT_EQ(ParseMeasure("abc", cm, 10, v), IDS_MEASURE_INVALID);
    EXPECT_EQ(ParseMeasure("", cm, 10, v), IDS_MEASURE_INVALID);
    EXPECT_EQ(ParseMeasure("-1", cm, 10, v), IDS_MEASURE_RANGE);
    EXPECT_EQ(ParseMeasure("10,01", cm, 10, v), IDS_MEASURE_RANGE);
    EXPECT_EQ(ParseMeasure("0", cm, 10, v), 0u);
    EXPECT_EQ(MeasureRangeText(cm, 55.88), "The measurement must be between 0 cm and 55,88 cm.");

    // Lengths go back to the nearest unit, not the one below.
    EXPECT_EQ(UnitToTwips(TwipsToUnit(2161, cm), cm), 2161);
    EXPECT_EQ(UnitToTenthsMm(2.2, inch), 559);
    EXPECT_EQ(UnitToTenthsMm(22.0, cm), 2200);
}

TEST(Measure, ASheetFitsItsPageOnlyWithEverythingOnIt)
{
    // Two columns of 9 cm, 0.5 cm apart, 1 cm in: 19.5 cm in all.
    LabelDefinition l;
    l.m_wColumns = 2;
    l.m_wRows = 1;
    const MeasureUnit cm{true, "."};
    l.m_wWidth = u16(UnitToTwips(9, cm));
    l.m_wColumnSpacing = u16(UnitToTwips(0.5, cm));
    l.m_wLeftMargin = u16(UnitToTwips(1, cm));
    l.m_wHeight = 1440;
    const LabelPaper* a4 = FindLabelPaper(9);
    const LabelPaper* a5 = FindLabelPaper(11);
    EXPECT_TRUE(LabelSheetFits(l, a4->widthTwips, a4->heightTwips));
    EXPECT_FALSE(LabelSheetFits(l, a5->widthTwips, a5->heightTwips));
}
