#include "core/utilities.h"

#include <gtest/gtest.h>

TEST(Utilities, IncrementTrailingNumberAddsOneToTheValue)
{
    EXPECT_EQ("1", IncrementTrailingNumber(""));
    EXPECT_EQ("Book1", IncrementTrailingNumber("Book"));
    EXPECT_EQ("Book10", IncrementTrailingNumber("Book9"));
    EXPECT_EQ("Book8", IncrementTrailingNumber("Book007"));
    EXPECT_EQ("Book1", IncrementTrailingNumber("Book000"));
    EXPECT_EQ("Book 2024 1", IncrementTrailingNumber("Book 2024 0"));
    // Far beyond any machine word, the text still counts on.
    EXPECT_EQ("B100000000000000000000000000", IncrementTrailingNumber("B099999999999999999999999999"));
}
