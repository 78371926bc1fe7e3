// One import as a whole: it adds and updates books and contacts, counts
// them, and, unless it is committed, puts the store back as it was, so an
// import that fails part-way leaves nothing half done.
#pragma once

#include "core/records.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

class DataMan;

class ImportTransaction {
public:
    explicit ImportTransaction(DataMan& dataMan);
    // Undoes what was done unless committed.
    ~ImportTransaction();
    ImportTransaction(const ImportTransaction&) = delete;
    ImportTransaction& operator=(const ImportTransaction&) = delete;

    // A new contact of the book; with merge, a contact of the book with the
    // same name parts takes what it carries instead (MergeImportedContact).
    u32 AddContact(std::unique_ptr<Contact> contact, Book* book, bool merge);
    // A new book under the parent; with merge, a sub-book of that name is
    // used instead. Null when it could not be added.
    Book* AddBook(const std::string& name, Book* parent, bool merge);

    DataMan& Store() const { return m_dm; }
    void Commit() { m_committed = true; }
    void Rollback();

    // Contacts added or updated, and books added, so far (counted through
    // this object or added to the store by others meanwhile).
    u32 ContactsImported() const;
    // Of those, the contacts that were there and took what the import gave.
    u32 ContactsUpdated() const { return m_updated; }
    u32 BooksAdded() const;
    bool Changed() const { return ContactsImported() != 0 || BooksAdded() != 0; }

private:
    // The first contact of each name in one book, as the store's own search
    // would find it, so that merging a large file stays linear.
    using NameIndex = std::unordered_map<std::string, Contact*>;
    NameIndex& IndexOf(Book* book);

    DataMan& m_dm;
    int m_firstContact;
    int m_firstBook;
    u32 m_updated = 0;
    bool m_committed = false;
    // Contacts updated, as they were before.
    std::vector<std::pair<Contact*, Contact>> m_before;
    std::unordered_map<const Book*, NameIndex> m_names;
};

// A contact of the same name takes what an imported one carries: each text,
// date, phone, e-mail, web page and address part that it holds. What it
// does not carry keeps its value, and the contact keeps its created date,
// its books and its look; its modified date becomes now.
void MergeImportedContact(Contact& contact, const Contact& imported);

// The name parts that make two contacts the same, folded to one key.
std::string SameNameKey(const Contact& contact);
