#include "res/strings.h"

#include <gtest/gtest.h>

TEST(StringTable, IdsAreUniqueAndFound)
{
    const auto all = AllResStrings();
    ASSERT_FALSE(all.empty());
    for (size_t i = 1; i < all.size(); ++i)
        EXPECT_LT(all[i - 1].id, all[i].id) << "string id " << all[i].id << " is defined twice";
    EXPECT_STREQ(FindResString(59561), "Tolva is already running");
    EXPECT_EQ(FindResString(1), nullptr);
}
