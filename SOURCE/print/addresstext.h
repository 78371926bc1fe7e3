// Which of a contact's addresses printing takes, and how one address reads
// through an address format: for the memo's address lines, envelopes and
// labels.
#pragma once

#include "core/records.h"

#include <string>
#include <string_view>

class CAddressFormatArray;

// Whether any part of the address holds text.
bool HasAddressText(const ContactAddress& address);
// The contact's address of the kind (home, business, postal) that the
// pages and the pane show, when it holds text; null otherwise.
const ContactAddress* AddressOfKind(const Contact& contact, u32 kind);
// The contact's default address, else its first, of those that hold text;
// null when the contact has no address.
const ContactAddress* DefaultOrFirstAddress(const Contact& contact);

// One address laid out by a format template for the contact (lines joined
// by CR LF): the template's home and business fields both read this
// address. "" when the template takes no part of it.
std::string AddressThroughFormat(
    const Contact& contact, const ContactAddress& address, std::string_view format);
// The template an address is laid out by: its own format, or the built-in
// home layout when that format takes no part of the address. The address
// laid out by it goes to text when one is given.
std::string OwnFormatOf(const Contact& contact, const ContactAddress& address,
    const CAddressFormatArray& formats, std::string* text = nullptr);

// Whom an envelope or label is addressed to: the contact's full name, else
// its name parts, else its company.
std::string Addressee(const Contact& contact);

// Whether the expanded text came out of the template with some part of the
// contact's name, the contact's addresses as they stand.
bool FormatYieldsName(const Contact& contact, std::string_view format);
// Whether it came out with some part of one of the contact's addresses.
bool FormatYieldsAddress(const Contact& contact, std::string_view format);
