// Repair of books and contacts read from a data or export file before they
// join the store. Other programs and older versions wrote files whose links
// do not all agree: such a file is read whole and mended so that the store
// is sound again, and nothing the user typed is lost: a record whose id is
// taken keeps its data under a fresh id. Only a tree that turns back on
// itself is refused. What was mended is noted for the error log.
#pragma once

#include "core/records.h"

class CDataFile;

#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

// What the repaired records hang from.
struct TreeShape {
    // The top of the tree (the root, or the exported book); it has no parent
    // in the set. Null when every book hangs from outside the set.
    const Book* top = nullptr;
    // Ids of books outside the set that records may name as parent or book;
    // the first takes a book whose parent names nothing when there is no top.
    std::vector<u32> outside;
    // A contact left in no book joins the top.
    bool placeLooseContacts = false;
};

// The maps of a repaired set, ready for the store.
struct CheckedMaps {
    std::unordered_map<u32, Book*> books;
    std::unordered_map<u32, Contact*> contacts;
    std::unordered_set<u64> links;
};

class RepairLog {
public:
    void Note(std::string line);
    // Takes in the notes of another log, after its own.
    void Append(const RepairLog& other);
    bool Empty() const { return m_count == 0; }
    // Appends the notes under a title to the error log; nothing when empty.
    void Write(const std::string& title) const;

private:
    std::vector<std::string> m_lines;
    size_t m_count = 0;
};

// Texts stored with the length 0 were read as empty, and texts with a NUL
// before their end without it; the notes say how many.
void NoteZeroLengths(CDataFile& file, RepairLog& log);

// How notes name a book and a contact: by name and id.
std::string BookLabel(const Book& book);
std::string ContactLabel(const Contact& contact);
// The texts of the record just read that held a NUL, one note each, under
// the record's label.
void NoteCutTexts(CDataFile& file, const Book& book, RepairLog& log);
void NoteCutTexts(CDataFile& file, const Contact& contact, RepairLog& log);

template <class T> std::vector<T*> Pointers(const std::vector<std::unique_ptr<T>>& records)
{
    std::vector<T*> pointers;
    pointers.reserve(records.size());
    for (const auto& record : records)
        pointers.push_back(record.get());
    return pointers;
}

inline u64 LinkKey(u32 book, u32 member)
{
    return (u64(book) << 32) | member;
}

// Leaves one record per id. The last book of an id keeps it, then the last
// contact of an id no book has; 0xFFFFFFFF and the outside ids are never
// kept. Every other record gets a fresh id and keeps its data, and the
// links its own lists make follow it to that id; only a record that is
// byte for byte the same as the one keeping its id (the same record written
// twice) is dropped.
void KeepOnePerId(std::vector<std::unique_ptr<Book>>& books, std::vector<std::unique_ptr<Contact>>& contacts,
    const std::vector<u32>& outside, RepairLog& log);

// Makes the set a tree under the shape: each book below the one its parent
// id names (else the top, or the first outside id) and listed by it alone,
// every member and book id naming a record, each link listed on both sides.
// False, with the records' lists partly mended, only for a cycle of parents.
bool RepairTree(const std::vector<Book*>& books, const std::vector<Contact*>& contacts,
    const TreeShape& shape, CheckedMaps& maps, RepairLog& log);
