#include "core/storerepair.h"

#include "core/dataman.h"
#include "core/errorreport.h"

#include <algorithm>

namespace {

// A damaged file can hold millions of faults; the log keeps the first.
constexpr size_t kMaxNotes = 40;

std::string Id(u32 id)
{
    return std::to_string(id);
}

bool Contains(const std::vector<u32>& ids, u32 id)
{
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

// The ids met so far among a known number of them. Ids as the store gives
// them lie close together, and then one bit per id up to the largest is
// both smaller and much quicker than a hash set; scattered ids take the set.
class SeenIds {
public:
    SeenIds(u32 largest, size_t count)
    {
        if (u64(largest) < 64 * u64(count) + 64)
            m_bits.resize(size_t(largest) + 1);
        else
            m_set.reserve(count);
    }
    // False when the id was met before.
    bool Insert(u32 id)
    {
        if (m_bits.empty())
            return m_set.insert(id).second;
        if (m_bits[id])
            return false;
        m_bits[id] = true;
        return true;
    }

private:
    std::vector<bool> m_bits;
    std::unordered_set<u32> m_set;
};

// Keeps the first of repeated ids.
void DropRepeats(IdArray& ids)
{
    if (ids.size() < 2)
        return;
    SeenIds seen(*std::max_element(ids.begin(), ids.end()), ids.size());
    std::erase_if(ids, [&seen](u32 id) { return !seen.Insert(id); });
}

// Drops every record but the last of its id, and those the test refuses.
template <class T, class Refused>
void KeepLast(std::vector<std::unique_ptr<T>>& records, const char* what, Refused refused, RepairLog& log)
{
    u32 largest = 0;
    for (const auto& record : records)
        largest = std::max(largest, record->m_duID);
    SeenIds seen(largest, records.size());
    std::vector<bool> keep(records.size());
    for (size_t i = records.size(); i-- > 0;) {
        const u32 id = records[i]->m_duID;
        if (refused(id))
            log.Note(std::string(what) + " with id " + Id(id) + " dropped: the id is not free");
        else if (!seen.Insert(id))
            log.Note(std::string(what) + " " + Id(id) + " dropped: a later record has its id");
        else
            keep[i] = true;
    }
    size_t at = 0;
    std::erase_if(records, [&keep, &at](const auto&) { return !keep[at++]; });
}

// How many contacts each book lists.
using ContactCounts = std::unordered_map<const Book*, size_t>;

// Each contact's book list keeps each id once and only ids of books (or
// outside ones). Then a link listed on one side only is completed on the
// other: a contact that is deleted leaves only the books it lists, so a book
// listing it alone would keep a dead id. One pass over the contacts does
// both, as every contact is visited once.
void CompleteLinks(const std::vector<Book*>& books, const std::vector<Contact*>& contacts,
    const TreeShape& shape, CheckedMaps& maps, ContactCounts& listed, RepairLog& log)
{
    // How many contacts list each book.
    ContactCounts listing;
    for (Contact* contact : contacts) {
        DropRepeats(contact->m_books);
        std::erase_if(contact->m_books, [&](u32 id) {
            if (maps.books.count(id) || Contains(shape.outside, id))
                return false;
            log.Note("Book " + Id(id) + " of contact " + Id(contact->m_duID) + " dropped: it names nothing");
            return true;
        });
        for (u32 id : contact->m_books) {
            const auto book = maps.books.find(id);
            if (book == maps.books.end())
                continue;
            ++listing[book->second];
            if (maps.links.insert(LinkKey(id, contact->m_duID)).second) {
                book->second->m_members.push_back(contact->m_duID);
                ++listed[book->second];
            }
        }
    }
    // Every contact that lists a book is now among its members, and neither
    // side repeats an id: a book that lists as many contacts as list it is
    // listed back by each of them.
    for (const Book* book : books) {
        if (listed[book] == listing[book])
            continue;
        for (u32 id : book->m_members) {
            if (const auto contact = maps.contacts.find(id); contact != maps.contacts.end())
                IdListAdd(contact->second->m_books, book->m_duID);
        }
    }
}

}  // namespace

void RepairLog::Note(std::string line)
{
    if (m_lines.size() < kMaxNotes)
        m_lines.push_back(std::move(line));
    ++m_count;
}

void RepairLog::Write(const std::string& title) const
{
    if (Empty())
        return;
    std::string text = title + "\r\n";
    for (const std::string& line : m_lines)
        text += "  " + line + "\r\n";
    if (m_count > m_lines.size())
        text += "  and " + std::to_string(m_count - m_lines.size()) + " more\r\n";
    AppendErrorLogNote(text);
}

void KeepOnePerId(std::vector<std::unique_ptr<Book>>& books, std::vector<std::unique_ptr<Contact>>& contacts,
    const std::vector<u32>& outside, RepairLog& log)
{
    KeepLast(
        books, "Book", [&outside](u32 id) { return id == kNoId || Contains(outside, id); }, log);
    std::unordered_set<u32> bookIds;
    bookIds.reserve(books.size());
    for (const auto& book : books)
        bookIds.insert(book->m_duID);
    KeepLast(
        contacts, "Contact",
        [&](u32 id) { return id == kNoId || Contains(outside, id) || bookIds.count(id); }, log);
}

bool RepairTree(const std::vector<Book*>& books, const std::vector<Contact*>& contacts,
    const TreeShape& shape, CheckedMaps& maps, RepairLog& log)
{
    maps.books.reserve(books.size());
    maps.contacts.reserve(contacts.size());
    for (Book* book : books)
        maps.books.emplace(book->m_duID, book);
    for (Contact* contact : contacts)
        maps.contacts.emplace(contact->m_duID, contact);

    // Each book's parent: the book its parent id names, else the top (or the
    // first outside book). Null for the top and for a book below an outside one.
    const u32 fallback = shape.top ? shape.top->m_duID : shape.outside.empty() ? kNoId : shape.outside[0];
    std::unordered_map<const Book*, Book*> parentOf;
    std::unordered_map<const Book*, u32> newParentId;
    for (Book* book : books) {
        if (book == shape.top)
            continue;
        u32 id = book->m_duParentID;
        if (!Contains(shape.outside, id)) {
            const auto parent = maps.books.find(id);
            if (parent == maps.books.end() || parent->second == book)
                id = fallback;
        }
        if (id != book->m_duParentID)
            newParentId.emplace(book, id);
        const auto parent = maps.books.find(id);
        parentOf.emplace(book, parent == maps.books.end() ? nullptr : parent->second);
    }
    // Each chain of parents must end; one that comes back to a book on it
    // is a cycle, which no choice of parent here mends.
    enum { OnPath = 1, EndsWell = 2 };
    std::unordered_map<const Book*, int> state;
    std::vector<const Book*> path;
    for (const Book* book : books) {
        path.clear();
        for (const Book* at = book; at;) {
            const auto known = state.find(at);
            if (known != state.end()) {
                if (known->second == OnPath)
                    return false;
                break;
            }
            state.emplace(at, OnPath);
            path.push_back(at);
            const auto parent = parentOf.find(at);
            at = parent == parentOf.end() ? nullptr : parent->second;
        }
        for (const Book* on : path)
            state[on] = EndsWell;
    }

    for (Book* book : books) {
        if (const auto id = newParentId.find(book); id != newParentId.end()) {
            log.Note("Book " + Id(book->m_duID) + " moved from parent " + Id(book->m_duParentID) + " to "
                + Id(id->second));
            book->m_duParentID = id->second;
        }
    }
    ContactCounts listed;
    for (Book* book : books) {
        DropRepeats(book->m_members);
        size_t& contactMembers = listed[book];
        std::erase_if(book->m_members, [&](u32 id) {
            if (maps.contacts.count(id)) {
                ++contactMembers;
                return false;
            }
            const auto member = maps.books.find(id);
            const char* why = nullptr;
            if (member == maps.books.end())
                why = "names nothing";
            else if (const auto parent = parentOf.find(member->second);
                     parent == parentOf.end() || parent->second != book)
                why = "is a book listed under another parent";
            if (why)
                log.Note("Member " + Id(id) + " of book " + Id(book->m_duID) + " dropped: it " + why);
            return why != nullptr;
        });
    }
    for (const Book* book : books) {
        const auto parent = parentOf.find(book);
        if (parent != parentOf.end() && parent->second
            && IdListAdd(parent->second->m_members, book->m_duID)) {
            log.Note("Book " + Id(book->m_duID) + " listed by its parent " + Id(parent->second->m_duID));
            if (maps.contacts.count(book->m_duID))
                ++listed[parent->second];
        }
    }
    size_t links = 0;
    for (const Book* book : books)
        links += book->m_members.size();
    maps.links.reserve(links);
    for (const Book* book : books) {
        for (u32 id : book->m_members)
            maps.links.insert(LinkKey(book->m_duID, id));
    }

    CompleteLinks(books, contacts, shape, maps, listed, log);
    if (shape.placeLooseContacts && shape.top) {
        Book* top = maps.books[shape.top->m_duID];
        for (Contact* contact : contacts) {
            if (!contact->m_books.empty())
                continue;
            log.Note("Contact " + Id(contact->m_duID) + " in no book placed in book " + Id(top->m_duID));
            contact->m_books.push_back(top->m_duID);
            top->m_members.push_back(contact->m_duID);
            maps.links.insert(LinkKey(top->m_duID, contact->m_duID));
        }
    }
    return true;
}
