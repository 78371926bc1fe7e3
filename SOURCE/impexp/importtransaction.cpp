#include "impexp/importtransaction.h"

#include "core/dataman.h"

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
            existing->UpdateFrom(*contact);
            existing->SetModified();
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
