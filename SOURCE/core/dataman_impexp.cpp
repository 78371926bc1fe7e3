// Export files: export of a book subtree, and import with renumbered ids
// and merge. Whatever is read is checked whole before it joins the store.
#include "core/datafile.h"
#include "core/dataman.h"
#include "core/seexception.h"
#include "core/storerepair.h"
#include "core/utilities.h"

#include <algorithm>
#include <unordered_map>

namespace {

// Books read from another store bring neither its built-in books nor its
// current book.
void MakePlain(const std::vector<std::unique_ptr<Book>>& books)
{
    for (const auto& book : books) {
        if (book->m_dwFlags & (DIF_ROOT_BOOK | DIF_DELETED_ITEMS)) {
            book->m_dwFlags = DIF_BOOK;
            book->m_dwImage = kBookImage;
        }
        book->m_dwFlags &= ~DIF_CURRENT_BOOK;
    }
}
// The name parts that a merge matches contacts by, each on its own: every
// folded part goes in behind its length, so no two splits of the same
// letters give the same key.
std::string NameKey(const Contact& contact)
{
    std::string key;
    for (const std::string* part :
        {&contact.m_strName, &contact.m_strFirstName, &contact.m_strMiddleName, &contact.m_strLastName}) {
        const std::string folded = FoldCase(*part);
        const u32 length = u32(folded.size());
        key.append(reinterpret_cast<const char*>(&length), sizeof length);
        key += folded;
    }
    return key;
}
}  // namespace

// New ids for records read from an export file, none of them used in the
// store: every id moves by the same shift when that fits below 0xFFFFFFFF,
// else the ids are laid densely from the next free id in their order.
class DataMan::IdPlan {
public:
    bool Make(u32 nextFree, const Body& body)
    {
        u32 lo = nextFree;
        u32 hi = nextFree;
        std::vector<u32> ids;
        ids.reserve(body.books.size() + body.contacts.size());
        for (const auto& book : body.books)
            ids.push_back(book->m_duID);
        for (const auto& contact : body.contacts)
            ids.push_back(contact->m_duID);
        for (u32 id : ids) {
            lo = std::min(lo, id);
            hi = std::max(hi, id);
        }
        m_shift = nextFree - lo;
        if (u64(m_shift) + hi < kNoId) {
            m_next = m_shift + hi + 1;
            return true;
        }
        std::sort(ids.begin(), ids.end());
        ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
        if (u64(nextFree) + ids.size() > kNoId)
            return false;
        m_dense = true;
        m_next = nextFree;
        for (u32 id : ids)
            m_ids.emplace(id, m_next++);
        return true;
    }

    u32 operator()(u32 id) const
    {
        if (!m_dense)
            return id + m_shift;
        const auto it = m_ids.find(id);
        return it == m_ids.end() ? id : it->second;
    }

    u32 NextFree() const { return m_next; }

private:
    u32 m_shift = 0;
    u32 m_next = 0;
    bool m_dense = false;
    std::unordered_map<u32, u32> m_ids;
};

// Merging imported books into existing ones. Imported contacts that meet a
// contact of the same name are absorbed by it; every book that listed the
// imported contact then lists the existing one, so no link is lost.
class DataMan::Merge {
public:
    Merge(DataMan& dm, u32 firstImported)
        : m_dm(dm)
        , m_firstImported(firstImported)
    {
    }

    u32 Into(Book* imported, Book* existing)
    {
        const IdArray members = imported->m_members;
        for (u32 id : members) {
            if (Book* book = m_dm.FindBook(id)) {
                if (Book* same = m_dm.FindChildBook(existing, book->m_strName)) {
                    if (const u32 error = Into(book, same))
                        return error;
                } else {
                    m_dm.Attach(*book, *existing);
                }
            } else if (Contact* contact = Resolve(id)) {
                MergeContact(contact, imported, existing);
            } else {
                return RC_MISSING;
            }
        }
        m_dm.DropBook(imported);
        return 0;
    }

private:
    using NameIndex = std::unordered_map<std::string, Contact*>;

    // An absorbed contact's id stands for the contact that absorbed it.
    Contact* Resolve(u32 id) const
    {
        for (auto absorbed = m_absorbed.find(id); absorbed != m_absorbed.end();
             absorbed = m_absorbed.find(id))
            id = absorbed->second;
        return m_dm.FindContact(id);
    }

    // The first member contact of each name, as FindSameNameContact finds it.
    NameIndex& IndexOf(const Book* book)
    {
        const auto [it, made] = m_names.try_emplace(book);
        if (made) {
            it->second.reserve(book->m_members.size());
            size_t position = 0;
            while (Contact* contact = book->GetNextContact(m_dm, position))
                it->second.emplace(NameKey(*contact), contact);
        }
        return it->second;
    }

    Contact* SameName(const Book* book, const Contact& contact)
    {
        const NameIndex& index = IndexOf(book);
        const auto it = index.find(NameKey(contact));
        return it == index.end() ? nullptr : it->second;
    }

    void Link(Contact* contact, Book* book)
    {
        m_dm.AddContactToBook(contact, book);
        if (const auto index = m_names.find(book); index != m_names.end())
            index->second.emplace(NameKey(*contact), contact);
    }

    void MergeContact(Contact* contact, Book* imported, Book* existing)
    {
        const bool fromFile = contact->m_duID >= m_firstImported;
        Contact* same = SameName(existing, *contact);
        if (fromFile && same && same != contact) {
            Absorb(contact, same, imported);
            return;
        }
        IdListRemove(contact->m_books, imported->m_duID);
        if (!same) {
            Link(contact, existing);
        } else if (same != contact) {
            same->UpdateFrom(*contact);
            same->m_dtModified = m_now;
        }
    }

    void Absorb(Contact* imported, Contact* existing, const Book* walked)
    {
        existing->UpdateFrom(*imported);
        existing->m_dtModified = m_now;
        for (u32 id : imported->m_books) {
            Book* book = m_dm.FindBook(id);
            if (!book || book == walked)
                continue;
            m_dm.ReplaceMember(*book, imported->m_duID, existing->m_duID);
            IdListAdd(existing->m_books, id);
            if (const auto index = m_names.find(book); index != m_names.end()) {
                const auto entry = index->second.find(NameKey(*existing));
                if (entry != index->second.end() && entry->second == imported)
                    entry->second = existing;
            }
        }
        imported->m_books.clear();
        m_absorbed.emplace(imported->m_duID, existing->m_duID);
        m_dm.DropContact(imported);
    }

    DataMan& m_dm;
    const u32 m_firstImported;
    const DateValue m_now = DateNow();
    std::unordered_map<u32, u32> m_absorbed;
    std::unordered_map<const Book*, NameIndex> m_names;
};
u32 DataMan::ExportBook(const std::string& path, const Book* book)
{
    m_dwLastError = 0;
    if (!book)
        return m_dwLastError = DME_NULL_ARGUMENT;
    // The book, then the books below it depth first in member order.
    std::vector<const Book*> books{book};
    std::unordered_set<u32> bookIds{book->m_duID};
    struct Frame {
        const Book* book;
        size_t next;
    };
    for (std::vector<Frame> frames{{book, 0}}; !frames.empty();) {
        Frame& frame = frames.back();
        if (frame.next == frame.book->m_members.size()) {
            frames.pop_back();
            continue;
        }
        const Book* sub = FindBook(frame.book->m_members[frame.next++]);
        // Deleted contacts go out only with "Deleted Items" chosen itself.
        if (sub && sub != m_pDeletedItems && bookIds.insert(sub->m_duID).second) {
            books.push_back(sub);
            frames.push_back({sub, 0});
        }
    }
    std::vector<Contact*> contacts;
    std::unordered_set<u32> contactIds;
    for (const Book* b : books) {
        for (u32 id : b->m_members) {
            Contact* contact = FindContact(id);
            if (contact && contactIds.insert(id).second)
                contacts.push_back(contact);
        }
    }

    if (const u32 error = m_file.OpenExtra(path, false))
        return m_dwLastError = error;
    const RecordIo io = WriteIo(DFK_EXPORT);
    u32 error = 0;
    try {
        error = WriteHeader(DFK_EXPORT);
        const u32 counts[2] = {u32(books.size()), u32(contacts.size())};
        if (!error)
            error = m_file.Write(DFK_EXPORT, counts, sizeof counts);
        for (auto it = books.begin(); it != books.end() && !error; ++it)
            error = (*it)->Write(io);
        // Each contact goes out with only the ids of exported books.
        IdArray exported;
        for (auto it = contacts.begin(); it != contacts.end() && !error; ++it) {
            Contact& contact = **it;
            exported.clear();
            std::copy_if(contact.m_books.begin(), contact.m_books.end(), std::back_inserter(exported),
                [&bookIds](u32 id) { return bookIds.count(id) != 0; });
            std::swap(contact.m_books, exported);
            error = contact.Write(io);
            std::swap(contact.m_books, exported);
        }
    } catch (CSeException* e) {
        ReportFault(e);
        error = RC_MISSING;
    }
    if (error) {
        // Nothing is left of a half-written export; an older file stays.
        m_file.DiscardExtra();
        return m_dwLastError = error;
    }
    error = m_file.CloseExtra();
    m_dwLastError = error;
    return error;
}

u32 DataMan::ImportFile(const std::string& path, u32* booksAdded, u32* contactsAdded, u32 mode, Book* target)
{
    m_dwLastError = 0;
    if (booksAdded)
        *booksAdded = 0;
    if (contactsAdded)
        *contactsAdded = 0;
    if (const u32 error = m_file.OpenExtra(path, true))
        return m_dwLastError = error;
    u32 books = 0;
    u32 contacts = 0;
    u32 result = ReadHeader(DFK_EXPORT);
    const u32 headError = m_dwLastError;
    if (result == 0)
        result = ImportCurrent(path, mode, target, books, contacts);
    else if (result == 1 && headError == DME_EXPORT_TAG)
        result = ImportOldFormat(path, books, contacts);
    m_file.CloseExtra();
    if (result == 0) {
        if (booksAdded)
            *booksAdded = books;
        if (contactsAdded)
            *contactsAdded = contacts;
    }
    return result;
}

u32 DataMan::ImportCurrent(
    const std::string& path, u32 mode, Book* target, u32& booksAdded, u32& contactsAdded)
{
    Book* into = target ? target : GetCurrentBook();
    if (!into)
        return m_dwLastError = DME_NULL_ARGUMENT;
    Body body;
    if (const u32 error = ReadBody(DFK_EXPORT, true, body))
        return m_dwLastError = error;
    if (body.books.empty())
        return m_dwLastError = body.contacts.empty() ? 0 : RC_BAD_RECORD;

    // The exported book comes first; when a later record repeats its id,
    // that one stands for it.
    const u32 topId = body.books.front()->m_duID;
    RepairLog log;
    NoteZeroLengths(m_file, log);
    body.NoteReading(log);
    KeepOnePerId(body.books, body.contacts, {}, log);
    if (body.books.empty())
        return m_dwLastError = RC_BAD_RECORD;
    const auto topAt = std::find_if(
        body.books.begin(), body.books.end(), [topId](const auto& book) { return book->m_duID == topId; });
    Book* top = (topAt == body.books.end() ? body.books.front() : *topAt).get();
    const bool holdsRoot = top->m_dwFlags & DIF_ROOT_BOOK;
    // The other store's "Deleted Items" (and a plain book of that name that
    // an import made of it before) is no book of this one.
    std::vector<u32> deletedIds;
    for (const auto& book : body.books)
        if (m_pDeletedItems
            && ((book->m_dwFlags & DIF_DELETED_ITEMS)
                || EqualsIgnoringCase(book->m_strName, m_pDeletedItems->m_strName)))
            deletedIds.push_back(book->m_duID);
    MakePlain(body.books);
    CheckedMaps maps;
    if (!RepairTree(Pointers(body.books), Pointers(body.contacts), TreeShape{top, {}, true}, maps, log))
        return m_dwLastError = RC_BAD_RECORD;
    log.Write("Mended while importing \"" + path + "\":");
    IdPlan plan;
    if (!plan.Make(m_duNextID, body))
        return m_dwLastError = DME_NO_ID_LEFT;

    const u32 firstImported = m_duNextID;
    for (const auto& book : body.books) {
        book->m_duID = plan(book->m_duID);
        book->m_duParentID = book.get() == top ? into->m_duID : plan(book->m_duParentID);
        std::transform(
            book->m_members.begin(), book->m_members.end(), book->m_members.begin(), std::cref(plan));
    }
    for (const auto& contact : body.contacts) {
        contact->m_duID = plan(contact->m_duID);
        std::transform(
            contact->m_books.begin(), contact->m_books.end(), contact->m_books.begin(), std::cref(plan));
    }
    m_duNextID = plan.NextFree();

    Batch batch(*this);
    for (auto& book : body.books)
        InsertBook(std::move(book));
    for (auto& contact : body.contacts)
        InsertContact(std::move(contact));

    // What the other store had deleted stays deleted here: its books and
    // the contacts of no other book join this store's "Deleted Items".
    bool topDeleted = false;
    for (const u32 id : deletedIds) {
        // One that the repair dropped has no book of the file under its id.
        Book* deleted = FindBook(plan(id));
        if (!deleted || deleted->m_duID < firstImported)
            continue;
        if (Book* parent = FindBook(deleted->m_duParentID))
            RemoveMember(*parent, deleted->m_duID);
        for (const u32 member : IdArray(deleted->m_members)) {
            if (Book* book = FindBook(member)) {
                Attach(*book, *m_pDeletedItems);
            } else if (Contact* contact = FindContact(member)) {
                IdListRemove(contact->m_books, deleted->m_duID);
                if (contact->m_books.empty())
                    AddContactToBook(contact, m_pDeletedItems);
            }
        }
        topDeleted = topDeleted || deleted == top;
        DropBook(deleted);
    }

    Merge merge(*this, firstImported);
    u32 result = 0;
    if (topDeleted) {
        // Its contents went into "Deleted Items" above.
    } else if (holdsRoot && into == m_pRoot && mode == IMPORT_ATTACH) {
        // The exported root's members join the real root; no second root.
        const IdArray members = top->m_members;
        for (u32 id : members) {
            if (Book* book = FindBook(id)) {
                Attach(*book, *m_pRoot);
            } else if (Contact* contact = FindContact(id)) {
                IdListRemove(contact->m_books, top->m_duID);
                AddContactToBook(contact, m_pRoot);
            }
        }
        DropBook(top);
    } else if (holdsRoot && into == m_pRoot) {
        result = merge.Into(top, into);
    } else if (Book* same = mode == IMPORT_MERGE ? FindChildBook(into, top->m_strName) : nullptr) {
        result = merge.Into(top, same);
    } else {
        Attach(*top, *into);
    }
    // The records read, merged ones included: the user is told what the
    // file held, whatever its counts said.
    booksAdded = body.bookCount + body.booksPast;
    contactsAdded = body.contactCount + body.contactsPast;
    m_dwLastError = result;
    return result;
}

u32 DataMan::ImportOldFormat(const std::string& path, u32& booksAdded, u32& contactsAdded)
{
    if (!m_pRoot || !m_pDeletedItems)
        return m_dwLastError = DME_NOT_FOUND;
    Body body;
    if (const u32 error = ReadBody(DFK_EXPORT, false, body))
        return m_dwLastError = error;
    IdPlan plan;
    if (!plan.Make(m_duNextID, body))
        return m_dwLastError = DME_NO_ID_LEFT;

    // The old file's own root and "Deleted Items" give way to the real ones:
    // what hung under them (by parent id or book list) hangs under these.
    const u32 builtIn[2] = {m_pRoot->m_duID, m_pDeletedItems->m_duID};
    const auto isBuiltIn = [&builtIn](u32 id) { return id == builtIn[0] || id == builtIn[1]; };
    std::erase_if(body.books, [&isBuiltIn](const auto& book) { return isBuiltIn(book->m_duID); });
    MakePlain(body.books);
    RepairLog log;
    NoteZeroLengths(m_file, log);
    body.NoteReading(log);
    const std::vector<u32> outside{builtIn[0], builtIn[1]};
    KeepOnePerId(body.books, body.contacts, outside, log);
    CheckedMaps maps;
    if (!RepairTree(
            Pointers(body.books), Pointers(body.contacts), TreeShape{nullptr, outside, false}, maps, log))
        return m_dwLastError = RC_BAD_RECORD;
    log.Write("Mended while importing \"" + path + "\":");

    const auto renumber = [&](u32 id) { return isBuiltIn(id) ? id : plan(id); };
    {
        Batch batch(*this);
        for (auto& book : body.books) {
            book->m_duID = plan(book->m_duID);
            book->m_duParentID = renumber(book->m_duParentID);
            std::transform(
                book->m_members.begin(), book->m_members.end(), book->m_members.begin(), std::cref(plan));
            Book* added = InsertBook(std::move(book));
            if (isBuiltIn(added->m_duParentID))
                AddMember(*FindBook(added->m_duParentID), added->m_duID);
        }
        for (auto& contact : body.contacts) {
            contact->m_duID = plan(contact->m_duID);
            std::transform(
                contact->m_books.begin(), contact->m_books.end(), contact->m_books.begin(), renumber);
            Contact* added = InsertContact(std::move(contact));
            for (u32 id : added->m_books) {
                if (isBuiltIn(id))
                    AddMember(*FindBook(id), added->m_duID);
            }
        }
        m_duNextID = plan.NextFree();
    }
    booksAdded = u32(body.books.size());
    contactsAdded = u32(body.contacts.size());
    return Save(DFK_DATA);
}
