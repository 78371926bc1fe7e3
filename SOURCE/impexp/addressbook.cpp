#include "impexp/addressbook.h"

#include "core/dataman.h"
#include "core/utilities.h"
#include "impexp/fieldmapping.h"
#include "impexp/importtransaction.h"

#include <QDate>
#include <algorithm>
#include <cstdio>

namespace {

AddressBookOpener& Opener()
{
    static AddressBookOpener opener;
    return opener;
}

constexpr u32 Tag(u32 id, u32 type)
{
    return id << 16 | type;
}

// The tags an entry is read by.
constexpr u32 PR_POSTAL_ADDRESS = Tag(0x3A15, PT_STRING8);
constexpr u32 PR_DISPLAY_NAME = Tag(0x3001, PT_STRING8);
constexpr u32 PR_NORMALIZED_SUBJECT = Tag(0x0E1D, PT_STRING8);
constexpr u32 PR_GENDER = Tag(0x3A4D, PT_I2);
constexpr u32 PR_COMMENT = Tag(0x3004, PT_STRING8);
constexpr u32 PR_BODY = Tag(0x1000, PT_STRING8);
constexpr u32 PR_EMAIL_ADDRESS = Tag(0x3003, PT_STRING8);
constexpr u32 PR_CONTACT_EMAIL_ADDRESSES = Tag(0x3A56, PT_MV_STRING8);
constexpr u32 PR_BIRTHDAY = Tag(0x3A42, PT_SYSTIME);
constexpr u32 PR_WEDDING_ANNIVERSARY = Tag(0x3A41, PT_SYSTIME);

// Properties that replace a text of the contact.
struct TextTag {
    u32 tag;
    std::string Contact::*member;
};
const TextTag kTextTags[] = {
    {Tag(0x3A06, PT_STRING8), &Contact::m_strFirstName},
    {Tag(0x3A44, PT_STRING8), &Contact::m_strMiddleName},
    {Tag(0x3A11, PT_STRING8), &Contact::m_strLastName},
    {Tag(0x3A05, PT_STRING8), &Contact::m_strSuffix},
    {Tag(0x3A45, PT_STRING8), &Contact::m_strTitle},
    {Tag(0x3A16, PT_STRING8), &Contact::m_strCompany},
    {Tag(0x3A18, PT_STRING8), &Contact::m_strDepartment},
    {Tag(0x3A19, PT_STRING8), &Contact::m_strOffice},
    {Tag(0x3A17, PT_STRING8), &Contact::m_strJobTitle},
    {Tag(0x3A48, PT_STRING8), &Contact::m_strSpouse},
    {Tag(0x3A58, PT_MV_STRING8), &Contact::m_strChildren},
};

// Properties appended as a value with their code (type and slot flags).
struct ValueTag {
    u32 tag;
    std::vector<ContactValue> Contact::*list;
    u32 code;
};
const ValueTag kValueTags[] = {
    {Tag(0x3A09, PT_STRING8), &Contact::m_phones, 0x10000001},  // home
    {Tag(0x3A2F, PT_STRING8), &Contact::m_phones, 0x20000002},  // home 2
    {Tag(0x3A1A, PT_STRING8), &Contact::m_phones, 0x40000003},  // primary
    {Tag(0x3A1C, PT_STRING8), &Contact::m_phones, 0x80000005},  // mobile
    {Tag(0x3A23, PT_STRING8), &Contact::m_phones, 4},  // primary fax
    {Tag(0x3A1D, PT_STRING8), &Contact::m_phones, 6},  // radio
    {Tag(0x3A1E, PT_STRING8), &Contact::m_phones, 7},  // car
    {Tag(0x3A08, PT_STRING8), &Contact::m_phones, 0x0100000B},  // business
    {Tag(0x3A57, PT_STRING8), &Contact::m_phones, 0x0200000C},  // company main
    {Tag(0x3A1B, PT_STRING8), &Contact::m_phones, 0x0400000D},  // business 2
    {Tag(0x3A4B, PT_STRING8), &Contact::m_phones, 13},  // callback
    {Tag(0x3A24, PT_STRING8), &Contact::m_phones, 14},  // business fax
    {Tag(0x3A1F, PT_STRING8), &Contact::m_phones, 15},  // other
    {Tag(0x3A25, PT_STRING8), &Contact::m_phones, 15},  // home fax
    {Tag(0x3A21, PT_STRING8), &Contact::m_phones, 18},  // pager
    {Tag(0x3A2C, PT_STRING8), &Contact::m_phones, 19},  // telex
    {Tag(0x3A2D, PT_STRING8), &Contact::m_phones, 20},  // ISDN
    {PR_EMAIL_ADDRESS, &Contact::m_emails, 0x20000001},
    {Tag(0x3A50, PT_STRING8), &Contact::m_web, 0x20000001},  // personal home page
    {Tag(0x3A51, PT_STRING8), &Contact::m_web, 0x40000008},  // business home page
};
constexpr size_t kMaxListedEmails = 5;
constexpr u32 kFirstListedEmailType = 2;

// Parts of the first home (type 1) or business (type 2) address.
struct AddressTag {
    u32 tag;
    u32 type;
    std::string ContactAddress::*part;
};
const AddressTag kAddressTags[] = {
    {Tag(0x3A5D, PT_STRING8), ADDR_HOME, &ContactAddress::m_strStreet},
    {Tag(0x3A59, PT_STRING8), ADDR_HOME, &ContactAddress::m_strCity},
    {Tag(0x3A5C, PT_STRING8), ADDR_HOME, &ContactAddress::m_strState},
    {Tag(0x3A5B, PT_STRING8), ADDR_HOME, &ContactAddress::m_strZip},
    {Tag(0x3A5A, PT_STRING8), ADDR_HOME, &ContactAddress::m_strCountry},
    {Tag(0x3A29, PT_STRING8), ADDR_BUSINESS, &ContactAddress::m_strStreet},
    {Tag(0x3A27, PT_STRING8), ADDR_BUSINESS, &ContactAddress::m_strCity},
    {Tag(0x3A28, PT_STRING8), ADDR_BUSINESS, &ContactAddress::m_strState},
    {Tag(0x3A2A, PT_STRING8), ADDR_BUSINESS, &ContactAddress::m_strZip},
    {Tag(0x3A26, PT_STRING8), ADDR_BUSINESS, &ContactAddress::m_strCountry},
};

ContactAddress* FirstAddress(Contact& contact, u32 type, bool add)
{
    auto it = std::find_if(contact.m_addresses.begin(), contact.m_addresses.end(),
        [type](const ContactAddress& a) { return a.Type() == type; });
    if (it != contact.m_addresses.end())
        return &*it;
    if (!add)
        return nullptr;
    contact.m_addresses.push_back(NewContactAddress(type));
    return &contact.m_addresses.back();
}

DateValue DateOfFileTime(u64 fileTime)
{
    constexpr u64 kTicksPerDay = 864000000000ull;
    DateValue date;
    const QDate day = QDate(1601, 1, 1).addDays(qint64(fileTime / kTicksPerDay));
    if (!DateFromParts(day.year(), day.month(), day.day(), date))
        date = {};
    return date;
}

// The texts an entry keeps for the default-address rule.
struct KeptTexts {
    std::string postal;
    std::string homeStreet;
    std::string businessStreet;
};

void ApplyProperty(Contact& c, const AbProperty& p, bool defaultBook, KeptTexts& kept)
{
    if (p.tag == PR_POSTAL_ADDRESS) {
        kept.postal = p.text;
        return;
    }
    if (p.tag == PR_BIRTHDAY || p.tag == PR_WEDDING_ANNIVERSARY) {
        (p.tag == PR_BIRTHDAY ? c.m_dtBirthday : c.m_dtAnniversary) = DateOfFileTime(p.fileTime);
        return;
    }
    const std::string text = PropertyToText(p, defaultBook);
    if (p.tag == PR_DISPLAY_NAME) {
        if (!defaultBook || c.m_strName.empty())
            c.m_strName = text;
    } else if (p.tag == PR_NORMALIZED_SUBJECT && defaultBook) {
        c.m_strName = text;
    } else if (p.tag == PR_COMMENT || (p.tag == PR_BODY && defaultBook)) {
        if (!defaultBook || c.m_strNotes.empty())
            c.m_strNotes = text;
    } else if (p.tag == PR_GENDER) {
        c.m_dwGender = p.shortValue == 2 ? GENDER_MALE : p.shortValue == 1 ? GENDER_FEMALE : 0;
    } else if (p.tag == PR_CONTACT_EMAIL_ADDRESSES) {
        u32 type = kFirstListedEmailType;
        for (const std::string& address : p.list)
            if (!address.empty() && type < kFirstListedEmailType + kMaxListedEmails)
                c.m_emails.push_back({type++, address});
    }
    for (const TextTag& t : kTextTags)
        if (t.tag == p.tag)
            c.*t.member = text;
    for (const ValueTag& t : kValueTags)
        if (t.tag == p.tag)
            (c.*t.list).push_back({t.code, text});
    for (const AddressTag& t : kAddressTags) {
        if (t.tag != p.tag)
            continue;
        FirstAddress(c, t.type, true)->*t.part = text;
        if (t.part == &ContactAddress::m_strStreet)
            (t.type == ADDR_HOME ? kept.homeStreet : kept.businessStreet) = text;
    }
}

// Walks a container of the default address book: each child container
// becomes a book under the current one, its entries that book's contacts.
u32 WalkContainer(AddressBookContainer& container, Book* book, bool merge, ImportTransaction& transaction);

u32 ImportEntries(
    AddressBookContainer& container, Book* book, bool merge, bool defaultBook, ImportTransaction& transaction)
{
    std::vector<AbEntry> entries;
    if (const u32 error = container.GetEntries(entries))
        return error;
    for (const AbEntry& entry : entries)
        if (const u32 error = transaction.AddContact(ContactFromEntry(entry, defaultBook), book, merge))
            return error;
    return 0;
}

u32 WalkContainer(AddressBookContainer& container, Book* book, bool merge, ImportTransaction& transaction)
{
    std::vector<std::unique_ptr<AddressBookContainer>> children;
    if (const u32 error = container.GetChildren(children))
        return error;
    for (const auto& child : children) {
        Book* childBook = transaction.AddBook(child->Name(), book, merge);
        if (!childBook)
            return DME_NO_ID_LEFT;
        u32 error = 0;
        if (child->Flags() & AB_SUBCONTAINERS)
            error = WalkContainer(*child, childBook, merge, transaction);
        if (!error && (child->Flags() & AB_RECIPIENTS))
            error = ImportEntries(*child, childBook, merge, true, transaction);
        if (error)
            return error;
    }
    return 0;
}

}  // namespace

void SetAddressBookOpener(AddressBookOpener opener)
{
    Opener() = std::move(opener);
}

bool AddressBookReaderInstalled()
{
    return bool(Opener());
}

std::unique_ptr<AddressBookSource> OpenAddressBook(const std::string& path, u32& result)
{
    result = kAddressBookLibraryMissing;
    return Opener() ? Opener()(path, result) : nullptr;
}

std::string PropertyToText(const AbProperty& property, bool defaultBook)
{
    const u32 type = property.tag & 0xFFFF;
    char text[64];
    switch (type) {
    case PT_I2:
        std::snprintf(text, sizeof text, "%hd", property.shortValue);
        return text;
    case PT_STRING8:
        return property.text;
    case PT_MV_STRING8: {
        std::string joined;
        for (const std::string& value : property.list)
            if (!value.empty())
                joined += value + "\n";
        return joined;
    }
    default:
        std::snprintf(
            text, sizeof text, defaultBook ? "UNKNOWN MAPI PROPERTY: %x" : "UNKNOWN MAPI PROPERTY: %u", type);
        return text;
    }
}

std::unique_ptr<Contact> ContactFromEntry(const AbEntry& entry, bool defaultBook)
{
    auto contact = std::make_unique<Contact>();
    KeptTexts kept;
    for (const AbProperty& property : entry)
        ApplyProperty(*contact, property, defaultBook, kept);
    // The postal address names the default one by its street. An empty
    // street is found in every text and so names nothing.
    const auto holds = [&](const std::string& street) {
        return !street.empty() && kept.postal.find(street) != std::string::npos;
    };
    const u32 type = holds(kept.homeStreet) ? ADDR_HOME : holds(kept.businessStreet) ? ADDR_BUSINESS : 0;
    if (ContactAddress* address = type ? FirstAddress(*contact, type, false) : nullptr)
        address->m_dwType |= ADDR_DEFAULT;
    return contact;
}

u32 ImportAddressBook(
    DataMan& dataMan, const std::string& path, bool merge, Book* book, ImportTransaction& transaction)
{
    if (!book)
        book = dataMan.GetCurrentBook();
    u32 result = 0;
    const auto source = OpenAddressBook(path, result);
    if (!source)
        return result ? result : kAddressBookLibraryMissing;
    std::unique_ptr<AddressBookContainer> root;
    if (const u32 error = source->Open(root))
        return error;
    if (!root)
        return RC_MISSING;
    // A file is read as its one personal address book; the default address
    // book as its tree of containers.
    return path.empty() ? WalkContainer(*root, book, merge, transaction)
                        : ImportEntries(*root, book, merge, false, transaction);
}
