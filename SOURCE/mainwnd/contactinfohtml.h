// The information pane's page for one contact: a two-column table of the
// user's chosen fields. Every contact text is escaped, so nothing a contact
// holds becomes markup; links are made only for web and mail addresses.
#pragma once

#include "platform/wintypes.h"

#include <span>
#include <string>

class CAddressFormatArray;
class Contact;

// A field-list word shows field n (1 to 46) when its high half is that of
// UserMan's kInfoFieldShown.
constexpr u32 kInfoFirstField = 1;
constexpr u32 kInfoLastField = 46;
// Field n's label is the string 59440 + n.
constexpr u32 kInfoLabelBase = 59440;

// The value of field n as HTML; "" for an empty value or an unknown field.
std::string ContactInfoValue(const Contact& contact, u32 field, const CAddressFormatArray& formats);
// The table of the contact's rows in the list's order.
std::string MakeContactInfoHtml(
    const Contact& contact, std::span<const u32> fields, const CAddressFormatArray& formats);
// The template page with the body's table replaced by the one given.
std::string ContactInfoPage(const std::string& templateHtml, const std::string& table);
