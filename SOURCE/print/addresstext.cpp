#include "print/addresstext.h"

#include "core/addressformat.h"
#include "core/fieldtexts.h"
#include "core/utilities.h"

namespace {

// The built-in home layout: street, city, state and zip, country.
constexpr u32 IDS_HOME_ADDRESS_FORMAT = 59682;

// The parts of a name that make an addressee; a title or suffix alone does not.
constexpr std::string Contact::*kNameParts[] = {&Contact::m_strName, &Contact::m_strFirstName,
    &Contact::m_strMiddleName, &Contact::m_strLastName, &Contact::m_strNickName};

// A contact with the texts a template reads and no address; without its
// name when names is false.
Contact TextsOf(const Contact& contact, bool names)
{
    Contact texts;
    for (const ContactTextField& field : ContactTextFields())
        texts.*field.member = contact.*field.member;
    if (!names)
        for (const auto part : kNameParts)
            (texts.*part).clear();
    return texts;
}

std::string Expand(std::string_view format, const Contact& contact)
{
    std::string text;
    ExpandAddressFormat(format, text, &contact, true);
    return text;
}

// The default address, else the first, of those that hold text.
const ContactAddress* DefaultElseFirst(const Contact& contact)
{
    const ContactAddress* first = nullptr;
    for (const ContactAddress& address : contact.m_addresses) {
        if (!HasAddressText(address))
            continue;
        if (address.m_dwType & ADDR_DEFAULT)
            return &address;
        if (!first)
            first = &address;
    }
    return first;
}

}  // namespace

bool HasAddressText(const ContactAddress& address)
{
    const auto blank
        = [](const std::string& part) { return part.find_first_not_of(" \t\r\n") == std::string::npos; };
    return !blank(address.m_strStreet) || !blank(address.m_strCity) || !blank(address.m_strState)
        || !blank(address.m_strZip) || !blank(address.m_strCountry);
}

const ContactAddress* AddressOfKind(const Contact& contact, u32 kind)
{
    // The one address of the kind every other view shows.
    const ContactAddress* address = ContactAddressOfKind(contact, kind);
    return address && HasAddressText(*address) ? address : nullptr;
}

const ContactAddress* DefaultOrFirstAddress(const Contact& contact)
{
    return DefaultElseFirst(contact);
}

std::string AddressThroughFormat(
    const Contact& contact, const ContactAddress& address, std::string_view format)
{
    Contact only = TextsOf(contact, true);
    const std::string without = Expand(format, only);
    // Whatever kind the template's fields are of, they read this address.
    for (const u32 kind : {ADDR_HOME, ADDR_BUSINESS}) {
        ContactAddress copy = address;
        copy.m_dwType = kind | (address.m_dwType & ADDR_DEFAULT);
        only.m_addresses.push_back(std::move(copy));
    }
    std::string text = Expand(format, only);
    return text == without ? std::string() : text;
}

std::string OwnFormatOf(const Contact& contact, const ContactAddress& address,
    const CAddressFormatArray& formats, std::string* text)
{
    std::string laidOut;
    const int index = GetAddressFormatIndex(address.m_dwType, address.m_dwFormat, formats.GetSize());
    std::string format = index >= 0 ? formats[size_t(index)].Format() : std::string();
    if (!format.empty())
        laidOut = AddressThroughFormat(contact, address, format);
    // A format edited down to names alone would print no address at all.
    if (laidOut.empty()) {
        format = LoadResString(IDS_HOME_ADDRESS_FORMAT);
        if (text)
            laidOut = AddressThroughFormat(contact, address, format);
    }
    if (text)
        *text = std::move(laidOut);
    return format;
}

std::string Addressee(const Contact& contact)
{
    if (!contact.m_strName.empty())
        return contact.m_strName;
    std::string name;
    for (const std::string* part :
        {&contact.m_strFirstName, &contact.m_strMiddleName, &contact.m_strLastName})
        if (!part->empty())
            name += (name.empty() ? "" : " ") + *part;
    return name.empty() ? contact.m_strCompany : name;
}

bool FormatYieldsName(const Contact& contact, std::string_view format)
{
    return Expand(format, TextsOf(contact, true)) != Expand(format, TextsOf(contact, false));
}

bool FormatYieldsAddress(const Contact& contact, std::string_view format)
{
    return Expand(format, contact) != Expand(format, TextsOf(contact, true));
}
