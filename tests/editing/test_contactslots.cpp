#include "editing/contactpersonalpage.h"
#include "editing/contactslots.h"

#include <gtest/gtest.h>

TEST(ContactSlots, OpeningShowsTheFlaggedValueAndPickingMovesTheFlag)
{
    Contact c;
    c.m_phones = {{SLOT_HOME_PHONE1 | 1, "home"}, {5, "mobile"}};
    ContactSlot slot{SlotList::Phones, SLOT_HOME_PHONE1, HomePhoneTypes(), 2};
    EXPECT_EQ(LoadSlot(c, slot), "home");
    EXPECT_EQ(slot.type, 1u);

    EXPECT_EQ(PickSlotType(c, slot, 5), "mobile");
    EXPECT_EQ(c.m_phones, (ContactPhoneArray{{1, "home"}, {SLOT_HOME_PHONE1 | 5, "mobile"}}));
    EXPECT_EQ(PickSlotType(c, slot, 1), "home");
    EXPECT_EQ(c.m_phones, (ContactPhoneArray{{SLOT_HOME_PHONE1 | 1, "home"}, {5, "mobile"}}));

    // A type the contact lacks: a new empty value takes the slot; typed
    // text goes into it; left empty, it goes away.
    EXPECT_EQ(PickSlotType(c, slot, 8), "");
    SetSlotText(c, slot, "pager");
    EXPECT_EQ(c.m_phones.back(), (ContactValue{SLOT_HOME_PHONE1 | 8, "pager"}));
    SetSlotText(c, slot, "");
    RemoveEmptyValues(c);
    EXPECT_EQ(c.m_phones, (ContactPhoneArray{{1, "home"}, {5, "mobile"}}));
    EXPECT_TRUE(HasTypedValue(c, SlotList::Phones, 5));
    EXPECT_FALSE(HasTypedValue(c, SlotList::Phones, 8));
}

TEST(ContactSlots, CaptionsComeFromTheTables)
{
    ContactSlot slot{SlotList::Emails, SLOT_BUSINESS_EMAIL, BusinessEmailTypes(), 6};
    EXPECT_EQ(SlotTypeCaption(slot, 6), "Business 1");
    EXPECT_EQ(SlotTypeCaption(slot, 3), "Home 3") << "a value of the other group keeps its name";
    EXPECT_EQ(SlotTypeCaption(slot, 99), "");
}

TEST(ContactChildren, StoredWithAFinalLineFeed)
{
    EXPECT_EQ(CContactPersonalPage::JoinChildren({"Ole", "Liv"}), "Ole\nLiv\n");
    EXPECT_EQ(CContactPersonalPage::JoinChildren({}), "");
    EXPECT_EQ(CContactPersonalPage::SplitChildren("Ole\nLiv\n"), (QStringList{"Ole", "Liv"}));
    EXPECT_EQ(CContactPersonalPage::SplitChildren("Ole\r\nLiv"), (QStringList{"Ole", "Liv"}));
    EXPECT_TRUE(CContactPersonalPage::SplitChildren("").isEmpty());
}
