#include "editing/contactslots.h"

#include "core/utilities.h"

#include <algorithm>

namespace {

constexpr ContactTypeEntry kHomePhones[] = {{1, 59404}, {2, 59405}, {3, 59406}, {4, 59410}, {5, 59411},
    {6, 59412}, {7, 59413}, {8, 59414}, {9, 59415}, {10, 59416}};
constexpr ContactTypeEntry kBusinessPhones[] = {{11, 59407}, {12, 59408}, {13, 59409}, {14, 59417},
    {15, 59418}, {16, 59419}, {17, 59420}, {18, 59421}, {19, 59422}, {20, 59423}};
constexpr ContactTypeEntry kHomeEmails[] = {{1, 59429}, {2, 59430}, {3, 59431}, {4, 59432}, {5, 59433}};
constexpr ContactTypeEntry kBusinessEmails[] = {{6, 59424}, {7, 59425}, {8, 59426}, {9, 59427}, {10, 59428}};

u32 CaptionIn(std::span<const ContactTypeEntry> table, u32 type)
{
    for (const ContactTypeEntry& e : table)
        if (e.type == type)
            return e.captionId;
    return 0;
}

ContactValue* FlaggedValue(std::vector<ContactValue>& values, u32 flag)
{
    for (ContactValue& v : values)
        if (v.m_dwCode & flag)
            return &v;
    return nullptr;
}

}  // namespace

std::span<const ContactTypeEntry> HomePhoneTypes()
{
    return kHomePhones;
}
std::span<const ContactTypeEntry> BusinessPhoneTypes()
{
    return kBusinessPhones;
}
std::span<const ContactTypeEntry> HomeEmailTypes()
{
    return kHomeEmails;
}
std::span<const ContactTypeEntry> BusinessEmailTypes()
{
    return kBusinessEmails;
}

std::vector<ContactValue>& SlotValues(Contact& contact, SlotList list)
{
    return list == SlotList::Phones ? contact.m_phones : contact.m_emails;
}

const std::vector<ContactValue>& SlotValues(const Contact& contact, SlotList list)
{
    return list == SlotList::Phones ? contact.m_phones : contact.m_emails;
}

std::string SlotTypeCaption(const ContactSlot& slot, u32 type)
{
    u32 id = CaptionIn(slot.table, type);
    if (!id && slot.list == SlotList::Phones)
        id = CaptionIn(type <= 10 ? HomePhoneTypes() : BusinessPhoneTypes(), type);
    if (!id && slot.list == SlotList::Emails)
        id = CaptionIn(type <= 5 ? HomeEmailTypes() : BusinessEmailTypes(), type);
    return LoadResString(id);
}

std::string LoadSlot(const Contact& contact, ContactSlot& slot)
{
    std::string text;
    for (const ContactValue& v : SlotValues(contact, slot.list)) {
        if (v.m_dwCode & slot.flag) {
            slot.type = v.Type();
            text = v.m_strText;
        }
    }
    return text;
}

std::string PickSlotType(Contact& contact, ContactSlot& slot, u32 type)
{
    std::vector<ContactValue>& values = SlotValues(contact, slot.list);
    slot.type = type;
    if (ContactValue* old = FlaggedValue(values, slot.flag))
        old->m_dwCode &= ~slot.flag;
    for (ContactValue& v : values) {
        if (v.Type() == type) {
            v.m_dwCode |= slot.flag;
            return v.m_strText;
        }
    }
    values.push_back({type | slot.flag, {}});
    return {};
}

void SetSlotText(Contact& contact, const ContactSlot& slot, const std::string& text)
{
    std::vector<ContactValue>& values = SlotValues(contact, slot.list);
    if (ContactValue* v = FlaggedValue(values, slot.flag))
        v->m_strText = text;
    else
        values.push_back({slot.type | slot.flag, text});
}

bool HasTypedValue(const Contact& contact, SlotList list, u32 type)
{
    const auto& values = SlotValues(contact, list);
    return std::any_of(values.begin(), values.end(),
        [type](const ContactValue& v) { return v.Type() == type && !v.m_strText.empty(); });
}

void RemoveEmptyValues(Contact& contact)
{
    for (auto* values : {&contact.m_phones, &contact.m_emails}) {
        std::erase_if(*values, [](const ContactValue& v) { return v.m_strText.empty(); });
        values->shrink_to_fit();
    }
}
