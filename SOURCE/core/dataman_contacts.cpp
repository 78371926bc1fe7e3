// Contacts: adding them, moving them between books, deleting them and
// marking them for printing.
#include "core/dataman.h"
#include "core/storerepair.h"
#include "core/userman.h"
#include "core/utilities.h"

#include <algorithm>

namespace {

// "UserMan\ContList" "Flags1": ask before a contact is deleted.
constexpr u32 kListConfirmDelete = 0x1;

constexpr u32 kMsgDeletePermanently = 59524;
constexpr u32 kMsgDelete = 59525;

}  // namespace

void DataMan::ReserveContacts(size_t more)
{
    m_contacts.reserve(m_contacts.size() + more);
    m_contactMap.reserve(m_contactMap.size() + more);
    m_links.reserve(m_links.size() + more);
}

u32 DataMan::AddContact(std::unique_ptr<Contact> contact, Book* book, int* index)
{
    m_dwLastError = 0;
    if (!contact || !book)
        return m_dwLastError = DME_NULL_ARGUMENT;
    const u32 id = NewId();
    if (id == kNoId)
        return m_dwLastError = DME_NO_ID_LEFT;
    contact->m_duID = id;
    StripNul(*contact);
    // Books it already names are linked both ways too; ids of no book go.
    std::erase_if(contact->m_books, [this](u32 bookId) { return !FindBook(bookId); });
    IdListAdd(contact->m_books, book->m_duID);
    for (u32 bookId : contact->m_books)
        AddMember(*FindBook(bookId), id);
    m_nLastAddedContact = int(m_contacts.size());
    if (index)
        *index = m_nLastAddedContact;
    InsertContact(std::move(contact));
    return 0;
}

u32 DataMan::AddContactToBook(Contact* contact, Book* book)
{
    m_dwLastError = 0;
    if (!contact || !book)
        return m_dwLastError = DME_NULL_ARGUMENT;
    IdListAdd(contact->m_books, book->m_duID);
    AddMember(*book, contact->m_duID);
    return 0;
}

u32 DataMan::MoveContact(Book* from, Book* to, Contact* contact)
{
    m_dwLastError = 0;
    if (!from || !to || !contact)
        return m_dwLastError = DME_NULL_ARGUMENT;
    RemoveMember(*from, contact->m_duID);
    IdListRemove(contact->m_books, from->m_duID);
    return AddContactToBook(contact, to);
}

u32 DataMan::RemoveContactFromBook(Book* book, Contact* contact, int& permanent)
{
    m_dwLastError = 0;
    if (!book || !contact)
        return m_dwLastError = DME_NULL_ARGUMENT;
    // A contact in no book is in no book only here: removing it from a book
    // that does not hold it deletes nothing.
    const bool onlyHere = !contact->m_books.empty()
        && std::all_of(
            contact->m_books.begin(), contact->m_books.end(), [book](u32 id) { return id == book->m_duID; });
    if (!onlyHere) {
        RemoveMember(*book, contact->m_duID);
        IdListRemove(contact->m_books, book->m_duID);
        permanent = 1;
        return 0;
    }
    if (Settings().m_dwListFlags & kListConfirmDelete) {
        const std::string text
            = FormatResString(permanent ? kMsgDeletePermanently : kMsgDelete, contact->m_strName);
        if (MsgQuestionText(text, nullptr, MB_OKCANCEL) == IDCANCEL) {
            permanent = 0;
            return 0;
        }
    }
    const u32 error = DeleteContact(contact, !permanent);
    permanent = 1;
    return error;
}

u32 DataMan::DeleteContact(Contact* contact, bool toDeletedItems)
{
    m_dwLastError = 0;
    if (!contact)
        return m_dwLastError = DME_NULL_ARGUMENT;
    if (FindContact(contact->m_duID) != contact)
        return m_dwLastError = DME_NOT_FOUND;
    for (u32 id : contact->m_books) {
        Book* book = FindBook(id);
        if (!book)
            return m_dwLastError = DME_NOT_FOUND;
        RemoveMember(*book, contact->m_duID);
    }
    if (toDeletedItems) {
        if (!m_pDeletedItems)
            return m_dwLastError = DME_NOT_FOUND;
        contact->m_books.assign(1, m_pDeletedItems->m_duID);
        AddMember(*m_pDeletedItems, contact->m_duID);
        return 0;
    }
    contact->m_books.clear();
    DropContact(contact);
    return 0;
}

u32 DataMan::UnlinkContact(Contact* contact)
{
    m_dwLastError = 0;
    if (!contact)
        return m_dwLastError = DME_NULL_ARGUMENT;
    for (u32 id : contact->m_books) {
        if (Book* book = FindBook(id))
            RemoveMember(*book, contact->m_duID);
        else
            m_dwLastError = DME_NOT_FOUND;
    }
    contact->m_books.clear();
    return m_dwLastError;
}

u32 DataMan::FlagContacts(u32 mode, u32 firstPrintRange, u32 secondPrintRange)
{
    m_dwLastError = 0;
    if (mode == 1 || mode == 2)
        mode = firstPrintRange;
    else if (mode == 3)
        mode = secondPrintRange;
    u32 count = 0;
    if (mode == 1) {
        for (const auto& contact : m_contacts) {
            contact->m_dwDisplayFlags |= CDF_PRINT;
            ++count;
        }
    } else if (mode == 2) {
        if (const Book* current = GetCurrentBook()) {
            size_t position = 0;
            while (Contact* contact = current->GetNextContact(*this, position)) {
                contact->m_dwDisplayFlags |= CDF_PRINT;
                ++count;
            }
        }
    }
    return count;
}
