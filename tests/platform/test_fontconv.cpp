#include "platform/fontconv.h"

#include <QFontDatabase>
#include <gtest/gtest.h>

TEST(FontConversion, RoundTripSizesMissingFacesAndLongNames)
{
    LOGFONT font;
    font.lfHeight = -13;
    font.lfWeight = FW_BOLD;
    font.lfItalic = 1;
    font.lfUnderline = 1;
    font.lfQuality = ANTIALIASED_QUALITY;
    font.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    std::strcpy(font.lfFaceName, "DejaVu Sans");

    const QFont qt = QFontFromLogFont(font, 96);
    EXPECT_EQ(qt.family(), "DejaVu Sans");
    EXPECT_DOUBLE_EQ(qt.pointSizeF(), 9.75);
    EXPECT_TRUE(qt.bold() && qt.italic() && qt.underline() && !qt.strikeOut());
    EXPECT_TRUE(qt.styleStrategy() & QFont::PreferAntialias);

    LOGFONT back = LogFontFromQFont(qt, 96);
    back.lfCharSet = font.lfCharSet;
    EXPECT_EQ(back, font);
    EXPECT_EQ(LogFontFromQFont(qt, 120).lfHeight, -16);
    // A positive height is the cell, leading included: the characters are smaller.
    font.lfHeight = 20;
    EXPECT_LT(QFontFromLogFont(font, 96).pointSizeF(), 15.0);

    std::strcpy(font.lfFaceName, "No Such Face Here");
    EXPECT_EQ(
        QFontFromLogFont(font).family(), QFontDatabase::systemFont(QFontDatabase::GeneralFont).family());
    font.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    EXPECT_EQ(QFontFromLogFont(font).family(), QFontDatabase::systemFont(QFontDatabase::FixedFont).family());

    QFont wide(QString(20, QChar(0x00C4)));
    wide.setPixelSize(20);
    const LOGFONT stored = LogFontFromQFont(wide);
    EXPECT_EQ(stored.lfHeight, -20);
    // 15 two-byte characters fit beside the terminating zero, not 15 and a half.
    EXPECT_EQ(QString::fromUtf8(stored.lfFaceName), QString(15, QChar(0x00C4)));
}

TEST(FontConversion, DamagedStoredHeightGivesAFont)
{
    // A stored record can hold any height; the most negative one has no
    // positive counterpart in 32 bits.
    LOGFONT font;
    font.lfHeight = INT32_MIN;
    std::strcpy(font.lfFaceName, "DejaVu Sans");
    EXPECT_GT(QFontFromLogFont(font, 96).pointSizeF(), 0.0);
}
