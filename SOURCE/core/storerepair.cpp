#include "core/storerepair.h"

#include "core/datafile.h"
#include "core/dataman.h"
#include "core/errorreport.h"

#include <algorithm>
#include <type_traits>

namespace {

// A damaged file can hold millions of faults; the log keeps the first.
constexpr size_t kMaxNotes = 300;

std::string Id(u32 id)
{
    return std::to_string(id);
}

// A name as a note shows it: on one line, and not without end.
std::string OneLine(const std::string& text)
{
    constexpr size_t kLongest = 80;
    std::string line;
    for (char c : text) {
        if (line.size() >= kLongest && (static_cast<unsigned char>(c) & 0xC0) != 0x80)
            return line + "...";
        line.push_back(static_cast<unsigned char>(c) < 0x20 ? ' ' : c);
    }
    return line;
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

// The bytes a record is stored as.
template <class T> std::string Image(const T& record)
{
    CDataFile channel;
    channel.ResetMemory();
    record.Write(RecordIo{channel, DFK_MEMORY});
    return channel.DetachMemory().toStdString();
}

// A book inside a note: "book "Family" (id 16)".
std::string BookNamed(const Book& book)
{
    return "book \"" + OneLine(book.m_strName) + "\" (id " + Id(book.m_duID) + ")";
}

// A book id inside a note: the book by name when the id names one.
std::string BookNamed(const CheckedMaps& maps, u32 id)
{
    const auto book = maps.books.find(id);
    return book == maps.books.end() ? "id " + Id(id) : BookNamed(*book->second);
}

// Drops each record that is byte for byte the same as a later one: the same
// record written twice. Only records whose id repeats are compared.
template <class T, class Label>
void DropRepeatedRecords(std::vector<std::unique_ptr<T>>& records, Label label, RepairLog& log)
{
    u32 largest = 0;
    for (const auto& record : records)
        largest = std::max(largest, record->m_duID);
    SeenIds seen(largest, records.size());
    std::unordered_set<u32> repeated;
    for (const auto& record : records) {
        if (!seen.Insert(record->m_duID))
            repeated.insert(record->m_duID);
    }
    if (repeated.empty())
        return;
    std::unordered_set<std::string> later;
    std::vector<bool> drop(records.size());
    for (size_t i = records.size(); i-- > 0;) {
        if (!repeated.count(records[i]->m_duID))
            continue;
        if (!later.insert(Image(*records[i])).second) {
            drop[i] = true;
            log.Note(label(*records[i]) + " was stored twice; one is kept");
        }
    }
    size_t at = 0;
    std::erase_if(records, [&drop, &at](const auto&) { return drop[at++]; });
}

// Ids for records whose own is taken: above every id in use while there are
// any, then the lowest unused ones from the first free id.
class FreshIds {
public:
    explicit FreshIds(std::unordered_set<u32> used)
        : m_used(std::move(used))
    {
        u64 highest = 0;
        for (u32 id : m_used) {
            if (id != kNoId)
                highest = std::max<u64>(highest, id);
        }
        m_next = std::max<u64>(kFirstFreeId, highest + 1);
    }

    // kNoId when every id is taken.
    u32 Take()
    {
        while (m_next < kNoId && m_used.count(u32(m_next)))
            ++m_next;
        if (m_next >= kNoId && !m_wrapped) {
            m_wrapped = true;
            m_next = kFirstFreeId;
            return Take();
        }
        if (m_next >= kNoId)
            return kNoId;
        m_used.insert(u32(m_next));
        return u32(m_next++);
    }

private:
    std::unordered_set<u32> m_used;
    u64 m_next = kFirstFreeId;
    bool m_wrapped = false;
};

// Who keeps each id: the last book of it, then the last contact of an id
// that no book keeps.
struct IdOwners {
    std::unordered_map<u32, Book*> books;
    std::unordered_map<u32, Contact*> contacts;
    // Contacts that give up their id to a book, by that id, and books that
    // already have a fresh id, by it: the links that name them are followed
    // to their fresh ids too.
    std::unordered_multimap<u32, Contact*> displaced;
    std::unordered_map<u32, Book*> renumbered;

    Book* BookOf(u32 id) const
    {
        if (const auto book = books.find(id); book != books.end())
            return book->second;
        const auto book = renumbered.find(id);
        return book == renumbered.end() ? nullptr : book->second;
    }

    // Whether the record keeping the id belongs to the book: a book below
    // it, a contact listing it.
    bool BelongsTo(u32 id, u32 bookId) const
    {
        if (const auto book = books.find(id); book != books.end())
            return book->second->m_duParentID == bookId;
        const auto contact = contacts.find(id);
        return contact != contacts.end() && IdListContains(contact->second->m_books, bookId);
    }
};

// A contact that left the id `from` for `to`: a book it lists that names the
// old id for it (the record keeping the id does not belong there) names the
// new one instead. So does a book that took the id and lists it among its
// members, whether or not the contact lists the book: no book is its own
// member, so that entry was the contact.
void FollowLostContact(const Contact& contact, u32 from, const IdOwners& owners)
{
    for (u32 bookId : contact.m_books) {
        Book* book = owners.BookOf(bookId);
        if (book && !owners.BelongsTo(from, bookId))
            IdListReplace(book->m_members, from, contact.m_duID);
    }
    if (const auto taker = owners.books.find(from); taker != owners.books.end())
        IdListReplace(taker->second->m_members, from, contact.m_duID);
}

// The same for a book: its members that name it by the old id, and its
// parent, unless the book keeping the id holds them too.
void FollowLostBook(const Book& book, u32 from, const IdOwners& owners)
{
    const auto keeper = owners.books.find(from);
    const IdArray* kept = keeper == owners.books.end() ? nullptr : &keeper->second->m_members;
    for (u32 id : book.m_members) {
        if (kept && IdListContains(*kept, id))
            continue;
        // A contact that a book took the id of is still named by it here.
        for (auto [at, end] = owners.displaced.equal_range(id); at != end; ++at)
            IdListReplace(at->second->m_books, from, book.m_duID);
        if (const auto contact = owners.contacts.find(id); contact != owners.contacts.end()) {
            IdListReplace(contact->second->m_books, from, book.m_duID);
        } else if (const auto sub = owners.books.find(id);
                   sub != owners.books.end() && sub->second != &book && sub->second->m_duParentID == from) {
            sub->second->m_duParentID = book.m_duID;
        }
    }
    const auto parent = owners.books.find(book.m_duParentID);
    if (parent != owners.books.end() && !owners.BelongsTo(from, book.m_duParentID))
        IdListReplace(parent->second->m_members, from, book.m_duID);
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
    // The ids each contact lists that name no book, and the books that list
    // it without being listed by it: a book whose own id was lost still
    // holds its contacts, and then the contact lost no book.
    struct Mended {
        IdArray unknown;
        IdArray listedBy;
    };
    std::unordered_map<const Contact*, Mended> mended;
    for (Contact* contact : contacts) {
        DropRepeats(contact->m_books);
        std::erase_if(contact->m_books, [&](u32 id) {
            if (maps.books.count(id) || Contains(shape.outside, id))
                return false;
            mended[contact].unknown.push_back(id);
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
            const auto contact = maps.contacts.find(id);
            if (contact != maps.contacts.end() && IdListAdd(contact->second->m_books, book->m_duID)) {
                if (const auto known = mended.find(contact->second); known != mended.end())
                    known->second.listedBy.push_back(book->m_duID);
            }
        }
    }
    // In the order of the contacts, as the log reads best.
    for (const Contact* contact : contacts) {
        const auto known = mended.find(contact);
        if (known == mended.end())
            continue;
        const auto ids = [](const IdArray& list) {
            std::string text;
            for (u32 id : list)
                text += (text.empty() ? "" : ", ") + Id(id);
            return text;
        };
        const Mended& m = known->second;
        if (!m.listedBy.empty()) {
            std::string books;
            for (u32 id : m.listedBy)
                books += (books.empty() ? "" : ", ") + BookNamed(maps, id);
            log.Note(ContactLabel(*contact) + ": its book id(s) " + ids(m.unknown)
                + " name nothing; it stays in the " + books + " that list(s) it");
            continue;
        }
        for (u32 id : m.unknown)
            log.Note(ContactLabel(*contact) + ": its book " + Id(id) + " dropped, it names nothing");
    }
}

}  // namespace

std::string BookLabel(const Book& book)
{
    return "Book \"" + OneLine(book.m_strName) + "\" (id " + Id(book.m_duID) + ")";
}

std::string ContactLabel(const Contact& contact)
{
    std::string name = contact.m_strName;
    if (name.empty()) {
        for (const std::string* part :
            {&contact.m_strFirstName, &contact.m_strMiddleName, &contact.m_strLastName}) {
            if (!part->empty())
                name += (name.empty() ? "" : " ") + *part;
        }
    }
    return "Contact \"" + OneLine(name) + "\" (id " + Id(contact.m_duID) + ")";
}

namespace {

void NoteCutTextsUnder(CDataFile& file, const std::string& label, RepairLog& log)
{
    const u32 count = file.CutTextCount();
    const std::vector<CDataFile::CutText> cuts = file.TakeCutTexts();
    for (const CDataFile::CutText& cut : cuts) {
        const std::string field = cut.field ? std::string("its ") + cut.field : std::string("a text");
        log.Note(label + ": " + field
            + (cut.tailDropped     ? " held a NUL followed by bytes that are no text, read up to the NUL"
                    : cut.tailKept ? " held a NUL, read without it and with the text after it"
                                   : " held a NUL, read without it"));
    }
    if (count > cuts.size())
        log.Note(label + ": " + std::to_string(count - cuts.size()) + " more text(s) held a NUL");
}

}  // namespace

// The label is made only for a record that needs it: most have no NUL.
void NoteCutTexts(CDataFile& file, const Book& book, RepairLog& log)
{
    if (file.CutTextCount())
        NoteCutTextsUnder(file, BookLabel(book), log);
}

void NoteCutTexts(CDataFile& file, const Contact& contact, RepairLog& log)
{
    if (file.CutTextCount())
        NoteCutTextsUnder(file, ContactLabel(contact), log);
}

void RepairLog::Note(std::string line)
{
    if (m_lines.size() < kMaxNotes)
        m_lines.push_back(std::move(line));
    ++m_count;
}

void RepairLog::Append(const RepairLog& other)
{
    for (const std::string& line : other.m_lines)
        Note(line);
    m_count += other.m_count - other.m_lines.size();
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

// Texts stored with the length 0 were read as empty, texts with a NUL
// before their end without it; the note says so.
void NoteZeroLengths(CDataFile& file, RepairLog& log)
{
    if (const u32 count = file.TakeZeroLengthStrings())
        log.Note(
            std::to_string(count) + " text(s) with the stored length 0, which no text has, read as empty");
    if (const u32 count = file.TakeCutStrings())
        log.Note(std::to_string(count)
            + " text(s) with a NUL before their end, read without it: what follows it is kept where it is "
              "text");
}

void KeepOnePerId(std::vector<std::unique_ptr<Book>>& books, std::vector<std::unique_ptr<Contact>>& contacts,
    const std::vector<u32>& outside, RepairLog& log)
{
    const auto reserved = [&outside](u32 id) { return id == kNoId || Contains(outside, id); };
    // A sound file, the usual case, is told at the cost of one set of ids.
    {
        u32 largest = 0;
        for (const auto& book : books)
            largest = std::max(largest, book->m_duID);
        for (const auto& contact : contacts)
            largest = std::max(largest, contact->m_duID);
        SeenIds ids(largest, books.size() + contacts.size());
        const auto fresh
            = [&](const auto& record) { return !reserved(record->m_duID) && ids.Insert(record->m_duID); };
        if (std::all_of(books.begin(), books.end(), fresh)
            && std::all_of(contacts.begin(), contacts.end(), fresh))
            return;
    }
    DropRepeatedRecords(books, BookLabel, log);
    DropRepeatedRecords(contacts, ContactLabel, log);

    IdOwners owners;
    owners.books.reserve(books.size());
    owners.contacts.reserve(contacts.size());
    for (auto it = books.rbegin(); it != books.rend(); ++it) {
        if (!reserved((*it)->m_duID))
            owners.books.try_emplace((*it)->m_duID, it->get());
    }
    for (auto it = contacts.rbegin(); it != contacts.rend(); ++it) {
        const u32 id = (*it)->m_duID;
        if (!reserved(id) && !owners.books.count(id))
            owners.contacts.try_emplace(id, it->get());
    }
    if (owners.books.size() == books.size() && owners.contacts.size() == contacts.size())
        return;
    for (const auto& contact : contacts) {
        if (owners.books.count(contact->m_duID))
            owners.displaced.emplace(contact->m_duID, contact.get());
    }
    std::unordered_set<u32> used(outside.begin(), outside.end());
    for (const auto& [id, book] : owners.books)
        used.insert(id);
    for (const auto& [id, contact] : owners.contacts)
        used.insert(id);
    FreshIds fresh(std::move(used));
    const auto why = [&](u32 id, const char* kind) {
        if (reserved(id))
            return std::string(": the id is reserved");
        if (std::string_view(kind) == "contact" && owners.books.count(id))
            return std::string(": a book has the id");
        return std::string(": a later ") + kind + " has the id";
    };
    // Gives the records that do not keep their id a fresh one. A record with
    // no id left to give (the whole range in use) cannot be kept; no store
    // comes near that.
    const auto renumber = [&](auto& records, const char* kind, auto label, auto follow, const auto& kept) {
        std::erase_if(records, [&](const auto& record) {
            const u32 from = record->m_duID;
            const auto keeper = kept.find(from);
            if (keeper != kept.end() && keeper->second == record.get())
                return false;
            const std::string was = label(*record);
            const u32 to = fresh.Take();
            if (to == kNoId) {
                log.Note(was + " dropped: no id is left to give it");
                return true;
            }
            record->m_duID = to;
            log.Note(was + " now has the id " + Id(to) + why(from, kind));
            follow(*record, from, owners);
            if constexpr (std::is_same_v<std::decay_t<decltype(*record)>, Book>)
                owners.renumbered.emplace(to, record.get());
            return false;
        });
    };
    renumber(books, "book", BookLabel, FollowLostBook, owners.books);
    renumber(contacts, "contact", ContactLabel, FollowLostContact, owners.contacts);
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
            const std::string from
                = book->m_duParentID == book->m_duID ? "itself" : "id " + Id(book->m_duParentID);
            log.Note(BookLabel(*book) + " moved from the parent " + from + ", which is no book, to "
                + BookNamed(maps, id->second));
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
            if (member == maps.books.end()) {
                log.Note("Member " + Id(id) + " of " + BookNamed(*book) + " dropped: it names nothing");
                return true;
            }
            if (const auto parent = parentOf.find(member->second);
                parent == parentOf.end() || parent->second != book) {
                log.Note("Member " + BookNamed(*member->second) + " of " + BookNamed(*book)
                    + " dropped: it is listed under another parent");
                return true;
            }
            return false;
        });
    }
    for (const Book* book : books) {
        const auto parent = parentOf.find(book);
        if (parent != parentOf.end() && parent->second
            && IdListAdd(parent->second->m_members, book->m_duID)) {
            log.Note(BookLabel(*book) + " listed by its parent " + BookNamed(*parent->second));
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
            log.Note(ContactLabel(*contact) + " in no book placed in the book \"" + OneLine(top->m_strName)
                + "\" (id " + Id(top->m_duID) + ")");
            contact->m_books.push_back(top->m_duID);
            top->m_members.push_back(contact->m_duID);
            maps.links.insert(LinkKey(top->m_duID, contact->m_duID));
        }
    }
    return true;
}
