// The phone and e-mail fields of the contact pages. Each field is a slot:
// it shows the value of the contact's phone or e-mail list that carries the
// slot's flag in the high bits of its code, and the user picks which type
// of value it shows from the slot's type table. A value keeps its flag
// until another value takes the slot; values no slot shows stay in the
// contact untouched.
#pragma once

#include "core/records.h"

#include <span>
#include <string>

struct ContactTypeEntry {
    u32 type;
    u32 captionId;
};

enum class SlotList { Phones, Emails };

std::span<const ContactTypeEntry> HomePhoneTypes();
std::span<const ContactTypeEntry> BusinessPhoneTypes();
std::span<const ContactTypeEntry> HomeEmailTypes();
std::span<const ContactTypeEntry> BusinessEmailTypes();

// Slot flags of the pages' fields.
constexpr u32 SLOT_BUSINESS_PHONE1 = 0x01000000;
constexpr u32 SLOT_BUSINESS_PHONE2 = 0x02000000;
constexpr u32 SLOT_BUSINESS_PHONE3 = 0x04000000;
constexpr u32 SLOT_BUSINESS_EMAIL = 0x10000000;
constexpr u32 SLOT_HOME_PHONE1 = 0x10000000;
constexpr u32 SLOT_HOME_PHONE2 = 0x20000000;
constexpr u32 SLOT_HOME_PHONE3 = 0x40000000;
constexpr u32 SLOT_HOME_PHONE4 = 0x80000000;
constexpr u32 SLOT_HOME_EMAIL1 = 0x20000000;
constexpr u32 SLOT_HOME_EMAIL2 = 0x40000000;

struct ContactSlot {
    SlotList list;
    u32 flag;
    std::span<const ContactTypeEntry> table;
    // The type the slot shows now.
    u32 type;
};

std::vector<ContactValue>& SlotValues(Contact& contact, SlotList list);
const std::vector<ContactValue>& SlotValues(const Contact& contact, SlotList list);

// The caption of a type on the slot's button: from the slot's table, else
// from any table of the same list; "" for an unknown type.
std::string SlotTypeCaption(const ContactSlot& slot, u32 type);

// The text the slot shows after opening: the last value carrying the flag
// sets the slot's type and text; without one the slot keeps its type and
// shows nothing.
std::string LoadSlot(const Contact& contact, ContactSlot& slot);

// The user picked a type for the slot: the value that carried the flag
// loses it (its text stays), the first value of the picked type takes it,
// or a new empty value of that type is added. Returns the text to show.
std::string PickSlotType(Contact& contact, ContactSlot& slot, u32 type);

// The user typed in the slot: the value carrying the flag takes the text,
// or a new value of the slot's type is added.
void SetSlotText(Contact& contact, const ContactSlot& slot, const std::string& text);

// Whether the contact has a value of that type with text (the type menu's
// check marks).
bool HasTypedValue(const Contact& contact, SlotList list, u32 type);

// Removes phones and e-mails without text.
void RemoveEmptyValues(Contact& contact);
