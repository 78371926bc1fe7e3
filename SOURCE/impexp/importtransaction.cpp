#include "impexp/importtransaction.h"

#include "core/dataman.h"
#include "core/fieldtexts.h"

#include <algorithm>
#include <unordered_map>

namespace {

void TakeText(std::string& field, const std::string& text)
{
    if (!text.empty())
        field = text;
}

// Each element that the import carries meets the contact's element of its
// type at the same place among those of that type (update); one with no such
// element before the merge is added (add).
template <class T, class Update, class Add>
void MatchByType(std::vector<T>& own, const std::vector<T>& imported, Update update, Add add)
{
    const size_t before = own.size();
    std::unordered_map<u32, size_t> met;
    for (const T& item : imported) {
        size_t n = met[item.Type()]++;
        T* same = nullptr;
        for (size_t i = 0; i < before && !same; ++i)
            if (own[i].Type() == item.Type() && n-- == 0)
                same = &own[i];
        if (same)
            update(*same, item);
        else
            add(item);
    }
}

// A value added keeps none of the slot and default flags that a value of
// the contact holds.
void TakeValues(std::vector<ContactValue>& values, const std::vector<ContactValue>& imported)
{
    MatchByType(
        values, imported,
        [](ContactValue& own, const ContactValue& value) { own.m_strText = value.m_strText; },
        [&values](const ContactValue& value) {
            u32 flags = value.m_dwCode & ~CV_TYPE_MASK;
            for (const ContactValue& other : values)
                flags &= ~(other.m_dwCode & ~CV_TYPE_MASK);
            values.push_back({value.Type() | flags, value.m_strText});
        });
}

// The parts of an address that the import carries replace those of the
// contact's address; its layout and its choice of default stay.
void TakeAddresses(std::vector<ContactAddress>& addresses, const std::vector<ContactAddress>& imported)
{
    MatchByType(
        addresses, imported,
        [](ContactAddress& own, const ContactAddress& address) {
            TakeText(own.m_strStreet, address.m_strStreet);
            TakeText(own.m_strCity, address.m_strCity);
            TakeText(own.m_strState, address.m_strState);
            TakeText(own.m_strZip, address.m_strZip);
            TakeText(own.m_strCountry, address.m_strCountry);
        },
        [&addresses](const ContactAddress& address) {
            const bool hasDefault = std::any_of(addresses.begin(), addresses.end(),
                [](const ContactAddress& a) { return a.m_dwType & ADDR_DEFAULT; });
            addresses.push_back(address);
            if (hasDefault)
                addresses.back().m_dwType &= ~ADDR_DEFAULT;
        });
}

}  // namespace

void MergeImportedContact(Contact& contact, const Contact& imported)
{
    for (const ContactTextField& field : ContactTextFields())
        TakeText(contact.*field.member, imported.*field.member);
    if (imported.m_dwGender != 0)
        contact.m_dwGender = imported.m_dwGender;
    if (imported.m_dtBirthday.IsValid())
        contact.m_dtBirthday = imported.m_dtBirthday;
    if (imported.m_dtAnniversary.IsValid())
        contact.m_dtAnniversary = imported.m_dtAnniversary;
    TakeValues(contact.m_phones, imported.m_phones);
    TakeValues(contact.m_emails, imported.m_emails);
    TakeValues(contact.m_web, imported.m_web);
    TakeAddresses(contact.m_addresses, imported.m_addresses);
    StripNul(contact);
    contact.SetModified();
}

ImportTransaction::ImportTransaction(DataMan& dataMan)
    : m_dm(dataMan)
    , m_firstContact(dataMan.GetContactCount())
    , m_firstBook(dataMan.GetBookCount())
{
}

ImportTransaction::~ImportTransaction()
{
    if (!m_committed)
        Rollback();
}

std::string SameNameKey(const Contact& contact)
{
    std::string key;
    for (const std::string* part :
        {&contact.m_strName, &contact.m_strFirstName, &contact.m_strMiddleName, &contact.m_strLastName}) {
        key += FoldCase(*part);
        key += '\0';
    }
    return key;
}

ImportTransaction::NameIndex& ImportTransaction::IndexOf(Book* book)
{
    const auto [it, added] = m_names.try_emplace(book);
    if (added) {
        size_t position = 0;
        while (Contact* member = book->GetNextContact(m_dm, position))
            it->second.emplace(SameNameKey(*member), member);
    }
    return it->second;
}

u32 ImportTransaction::AddContact(std::unique_ptr<Contact> contact, Book* book, bool merge)
{
    if (!book)
        book = m_dm.GetCurrentBook();
    if (!contact || !book)
        return DME_NULL_ARGUMENT;
    NameIndex* names = merge ? &IndexOf(book) : nullptr;
    if (names) {
        const auto same = names->find(SameNameKey(*contact));
        if (same != names->end()) {
            Contact* existing = same->second;
            m_before.emplace_back(existing, *existing);
            MergeImportedContact(*existing, *contact);
            ++m_updated;
            return 0;
        }
    }
    Contact* added = contact.get();
    if (const u32 error = m_dm.AddContact(std::move(contact), book))
        return error;
    if (names)
        names->emplace(SameNameKey(*added), added);
    return 0;
}

Book* ImportTransaction::AddBook(const std::string& name, Book* parent, bool merge)
{
    if (merge)
        if (Book* existing = m_dm.FindChildBook(parent, name))
            return existing;
    auto book = std::make_unique<Book>();
    book->m_strName = name;
    return m_dm.AddBook(std::move(book), parent);
}

u32 ImportTransaction::ContactsImported() const
{
    return u32(m_dm.GetContactCount() - m_firstContact) + m_updated;
}

u32 ImportTransaction::BooksAdded() const
{
    return u32(m_dm.GetBookCount() - m_firstBook);
}

void ImportTransaction::Rollback()
{
    // Newest first: each record then leaves the end of its arrays and lists.
    while (m_dm.GetContactCount() > m_firstContact)
        m_dm.DeleteContact(m_dm.GetContactAt(m_dm.GetContactCount() - 1), false);
    while (m_dm.GetBookCount() > m_firstBook)
        m_dm.DeleteBook(m_dm.GetBookAt(m_dm.GetBookCount() - 1), true);
    for (auto it = m_before.rbegin(); it != m_before.rend(); ++it)
        *it->first = it->second;
    m_before.clear();
    m_updated = 0;
    m_names.clear();
    m_committed = true;
}
