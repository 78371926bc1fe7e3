// The data files and export files: the head, the bodies, export of a book
// subtree and import with renumbered ids and merge. Whatever is read is
// checked whole before it replaces or joins anything in the store.
#include "core/datafile.h"
#include "core/dataman.h"
#include "core/errorreport.h"
#include "core/seexception.h"
#include "core/storerepair.h"
#include "core/utilities.h"
#include "platform/programfolder.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr u32 kMsgDataFileDamaged = 59535;
constexpr u32 kMsgNewerFile = 59546;
constexpr u32 kMsgOlderExport = 59559;
constexpr u32 kMsgDataNotSaved = 61701;
constexpr u32 kMsgTablesNotSaved = 61702;
constexpr u32 kMsgSaveAgain = 61703;
constexpr u32 kMsgChangesLost = 61704;
// Fewer bytes than the fixed fields of any book or contact record.
constexpr u32 kMinRecordSize = 64;

struct FileHead {
    u32 version = 0;
    u32 compatibility = 0;
    u32 exportFlag = 0;
    u8 zero[28] = {};
};
static_assert(sizeof(FileHead) == 40);

const char* TagOf(DataFileKind kind)
{
    switch (kind) {
    case DFK_DATA:
        return kDataFileTag;
    case DFK_NONDATA:
        return kNonDataFileTag;
    default:
        return kExportFileTag;
    }
}

u32 TagErrorOf(DataFileKind kind)
{
    switch (kind) {
    case DFK_DATA:
        return DME_DATA_TAG;
    case DFK_NONDATA:
        return DME_NONDATA_TAG;
    default:
        return DME_EXPORT_TAG;
    }
}

// Texts stored with the length 0 were read as empty, texts with a NUL
// before their end only up to it (the next save keeps no more); the note
// says so.
void NoteZeroLengths(CDataFile& file, RepairLog& log)
{
    if (const u32 count = file.TakeZeroLengthStrings())
        log.Note(
            std::to_string(count) + " text(s) with the stored length 0, which no text has, read as empty");
    if (const u32 count = file.TakeCutStrings())
        log.Note(std::to_string(count)
            + " text(s) with a NUL before their end, read up to it: what follows it is not kept");
}

template <class T> std::vector<T*> Pointers(const std::vector<std::unique_ptr<T>>& records)
{
    std::vector<T*> pointers;
    pointers.reserve(records.size());
    for (const auto& record : records)
        pointers.push_back(record.get());
    return pointers;
}

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

template <class T> u32 WriteList(const RecordIo& io, const std::vector<std::unique_ptr<T>>& list)
{
    const u32 count = u32(list.size());
    u32 error = io.file.Write(io.kind, &count, sizeof count, io.handle);
    for (auto it = list.begin(); it != list.end() && !error; ++it)
        error = *it ? (*it)->Write(io) : RC_MISSING;
    return error;
}

template <class T> u32 ReadList(const RecordIo& io, std::vector<std::unique_ptr<T>>& list)
{
    u32 count = 0;
    u32 error = io.file.Read(io.kind, &count, sizeof count, io.handle);
    for (u32 i = 0; i < count && !error; ++i) {
        auto entry = std::make_unique<T>();
        error = entry->Read(io);
        if (!error)
            list.push_back(std::move(entry));
    }
    return error;
}

// The last book with a flag, preferring one that passes a test.
Book* LastFlagged(
    const std::vector<Book*>& books, u32 flag, const std::function<bool(const Book*)>& preferred)
{
    Book* any = nullptr;
    for (auto it = books.rbegin(); it != books.rend(); ++it) {
        if (!((*it)->m_dwFlags & flag))
            continue;
        if (preferred(*it))
            return *it;
        if (!any)
            any = *it;
    }
    return any;
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

struct DataMan::Body {
    u32 bookCount = 0;
    u32 contactCount = 0;
    Owned<Book> books;
    Owned<Contact> contacts;
};

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

RecordIo DataMan::ReadIo(DataFileKind kind) const
{
    return RecordIo{m_file, kind, nullptr, m_dwFileVersion};
}

RecordIo DataMan::WriteIo(DataFileKind kind) const
{
    return RecordIo{m_file, kind, nullptr, m_dwFormatVersion};
}

u32 DataMan::Load()
{
    m_dwLastError = 0;
    m_dwSavable = 0;
    m_dwFlags &= ~DMF_LOADED;
    m_file.SetDataLoaded(false);
    const u32 fileFlags = m_file.GetFlags();
    if (fileFlags & DFF_DATA_EXISTED) {
        u32 error = ReadHeader(DFK_DATA);
        if (!error) {
            m_dwDataFileVersion = m_dwFileVersion;
            error = ReadDataFile(DFK_DATA);
        }
        // A newer file was named by the header check already.
        if (error && m_dwLastError != DME_NEWER_FILE)
            MsgStopText(FormatResString(kMsgDataFileDamaged, ProgramFolder::Path().toStdString())
                + "\n\nThe file \"" + m_file.PathOf(DFK_DATA) + "\" is left as it is.");
        if (error)
            return error;
    }
    m_dwSavable |= DFK_DATA;
    if (fileFlags & DFF_NONDATA_EXISTED) {
        u32 error = ReadHeader(DFK_NONDATA);
        if (!error)
            error = ReadNonDataFile();
        if (error && m_dwLastError != DME_NEWER_FILE)
            MsgStopText("There was an error while reading the second data file \""
                + m_file.PathOf(DFK_NONDATA)
                + "\". Maybe the file is damaged. It is left as it is: to start without its call log, speed "
                  "dial, alphabets and time zones, move it out of the folder.");
        if (error)
            return error;
    }
    m_dwSavable |= DFK_NONDATA;
    m_dwFlags |= DMF_LOADED;
    m_file.SetDataLoaded(true);
    return 0;
}

u32 DataMan::Save(DataFileKind kind)
{
    m_dwLastError = 0;
    u32 error = 0;
    if (kind == DFK_DATA || kind == DFK_NONDATA) {
        if (!(m_dwSavable & kind))
            return m_dwLastError = RC_NOTHING_LOADED;
        error = WriteHeader(kind);
        if (!error)
            error = kind == DFK_DATA ? WriteDataFile(kind) : WriteNonDataFile();
        if (!error)
            error = m_file.SetEnd(kind);
    }
    // A save that stopped half way is never finished: the file stays as it
    // was until the next save starts over.
    if (!error)
        error = m_file.Flush(kind);
    m_dwLastError = error;
    if (error && (kind == DFK_DATA || kind == DFK_NONDATA))
        ReportFailedSave(kind, error);
    return error;
}

void DataMan::ReportFailedSave(DataFileKind kind, u32 error)
{
    std::string path;
    CDataFile::GetFullPath(path, kind == DFK_DATA ? kDataFileName : kNonDataFileName);
    // At quit the window is gone: no later change can save again.
    MsgStopLogged(FormatResString(kind == DFK_DATA ? kMsgDataNotSaved : kMsgTablesNotSaved, path) + "\n"
        + ErrorText(error) + "\n\n" + LoadResString(m_bClosing ? kMsgChangesLost : kMsgSaveAgain));
}

u32 DataMan::WriteHeader(DataFileKind kind)
{
    u32 error = m_file.Rewind(kind);
    if (!error)
        error = m_file.WriteString(kind, TagOf(kind));
    FileHead head;
    head.version = m_dwFormatVersion;
    head.exportFlag = kind == DFK_EXPORT ? kExportFlag : 0;
    if (!error)
        error = m_file.Write(kind, &head, sizeof head);
    return error;
}

u32 DataMan::ReadHeader(DataFileKind kind)
{
    m_dwLastError = 0;
    std::string tag;
    FileHead head;
    u32 error = m_file.Rewind(kind);
    m_file.TakeZeroLengthStrings();
    m_file.TakeCutStrings();
    // The tag's stored length, to tell a damaged one from the tag itself.
    u32 stored = 0;
    if (const CDataFile::ReadSpan start = m_file.Peek(kind); start.size >= sizeof stored)
        std::memcpy(&stored, start.data, sizeof stored);
    if (!error)
        error = m_file.ReadString(kind, tag);
    if (error)
        return error;
    // A file of another kind is told by its tag, however short the rest; an
    // old export file's body still follows its head.
    if (!EqualsIgnoringCase(tag, TagOf(kind))) {
        m_file.Read(kind, &head, sizeof head);
        m_dwLastError = TagErrorOf(kind);
        return 1;
    }
    // A tag read whole with a length that is not its own puts the head in
    // the wrong place: whatever it then says, the file is damaged.
    if (stored != std::strlen(TagOf(kind)) + 1)
        return m_dwLastError = RC_BAD_RECORD;
    if (const u32 readError = m_file.Read(kind, &head, sizeof head))
        return readError;
    m_dwFileVersion = head.version;
    if (head.version > kFormatVersion && head.compatibility != kReadableByOlder) {
        MsgStopText(LoadResString(kMsgNewerFile) + "\n\n\"" + m_file.PathOf(kind)
            + "\" was written by a newer version of Tolva and is left as it is. Use that version to open "
              "it.");
        m_dwLastError = DME_NEWER_FILE;
        return 1;
    }
    if (kind == DFK_EXPORT && head.exportFlag != kExportFlag) {
        MsgInfo(kMsgOlderExport);
        m_dwLastError = DME_EXPORT_TAG;
        return 1;
    }
    return 0;
}

u32 DataMan::WriteDataFile(DataFileKind kind)
{
    CompactArrays();
    const RecordIo io = WriteIo(kind);
    u32 error = WriteList(io, m_books);
    if (!error)
        error = WriteList(io, m_contacts);
    return error;
}

u32 DataMan::ReadBody(DataFileKind kind, bool countsFirst, Body& body)
{
    const RecordIo io = ReadIo(kind);
    const auto readCount = [&](u32& count) { return m_file.Read(kind, &count, sizeof count); };
    // Room for the records a count promises, as far as the bytes left can
    // hold them: a damaged count reserves no more than the file could fill.
    const auto reserve = [&](auto& records, u32 count) {
        records.reserve(size_t(std::min<u64>(count, m_file.Peek(kind).remaining / kMinRecordSize)));
    };
    try {
        u32 error = readCount(body.bookCount);
        if (!error && countsFirst)
            error = readCount(body.contactCount);
        if (!error) {
            reserve(body.books, body.bookCount);
            if (countsFirst)
                reserve(body.contacts, body.contactCount);
        }
        for (u32 i = 0; i < body.bookCount && !error; ++i) {
            m_dwLastError = DME_READING_BOOK;
            auto book = std::make_unique<Book>();
            error = book->Read(io);
            m_dwLastError = DME_BOOK_READ;
            body.books.push_back(std::move(book));
        }
        if (!error && !countsFirst) {
            error = readCount(body.contactCount);
            if (!error)
                reserve(body.contacts, body.contactCount);
        }
        for (u32 i = 0; i < body.contactCount && !error; ++i) {
            auto contact = std::make_unique<Contact>();
            error = contact->Read(io);
            body.contacts.push_back(std::move(contact));
        }
        return error;
    } catch (CSeException* e) {
        ReportFault(e);
        return m_dwLastError = DME_READ_FAULT;
    }
}

u32 DataMan::ReadDataFile(DataFileKind kind)
{
    m_dwLastError = 0;
    Body body;
    if (const u32 error = ReadBody(kind, false, body))
        return error;

    // What the store will hold: a part the file leaves empty keeps what is there.
    RepairLog log;
    NoteZeroLengths(m_file, log);
    Owned<Contact> noContacts;
    KeepOnePerId(
        body.bookCount ? body.books : m_books, body.contactCount ? body.contacts : noContacts, {}, log);
    const std::vector<Book*> books = Pointers(body.bookCount ? body.books : m_books);
    const std::vector<Contact*> contacts = Pointers(body.contactCount ? body.contacts : m_contacts);
    // Which books flagged as the root some book lists as a member.
    std::unordered_set<u32> roots;
    for (const Book* book : books) {
        if (book->m_dwFlags & DIF_ROOT_BOOK)
            roots.insert(book->m_duID);
    }
    std::unordered_set<u32> listed;
    for (const Book* book : books) {
        for (u32 id : book->m_members) {
            if (roots.count(id))
                listed.insert(id);
        }
    }
    Book* root
        = LastFlagged(books, DIF_ROOT_BOOK, [&listed](const Book* b) { return !listed.count(b->m_duID); });
    Book* deleted = LastFlagged(books, DIF_DELETED_ITEMS,
        [root](const Book* b) { return root && IdListContains(root->m_members, b->m_duID); });
    if (!root || !deleted || deleted == root)
        return m_dwLastError = RC_BAD_RECORD;
    if (deleted->m_duParentID != root->m_duID) {
        log.Note("\"" + deleted->m_strName + "\" moved under the root");
        deleted->m_duParentID = root->m_duID;
    }
    CheckedMaps maps;
    if (!RepairTree(books, contacts, TreeShape{root, {}, false}, maps, log))
        return m_dwLastError = RC_BAD_RECORD;
    std::string path;
    CDataFile::GetFullPath(path, kDataFileName);
    log.Write("Mended while reading \"" + path + "\":");

    u32 next = m_duNextID;
    for (const Book* book : books)
        next = std::max(next, book->m_duID + 1);
    for (const Contact* contact : contacts)
        next = std::max(next, contact->m_duID + 1);
    Book* current = nullptr;
    for (Book* book : books) {
        if (book != root)
            book->m_dwFlags &= ~DIF_ROOT_BOOK;
        if (book != deleted)
            book->m_dwFlags &= ~DIF_DELETED_ITEMS;
        if (book->m_dwFlags & DIF_CURRENT_BOOK) {
            if (current)
                current->m_dwFlags &= ~DIF_CURRENT_BOOK;
            current = book;
        }
    }

    if (body.bookCount)
        m_books = std::move(body.books);
    if (body.contactCount)
        m_contacts = std::move(body.contacts);
    m_bookMap = std::move(maps.books);
    m_contactMap = std::move(maps.contacts);
    m_links = std::move(maps.links);
    m_dropped.clear();
    m_duNextID = next;
    m_duFreeHint = kFirstFreeId;
    m_pRoot = root;
    m_pDeletedItems = deleted;
    m_pCurrent = nullptr;
    SetCurrentBook(current ? current : root);
    return 0;
}

u32 DataMan::WriteNonDataFile()
{
    const RecordIo io = WriteIo(DFK_NONDATA);
    return m_tables.InFileOrder([&io](const auto& list) { return WriteList(io, list); });
}

u32 DataMan::ReadNonDataFile()
{
    m_dwLastError = 0;
    const RecordIo io = ReadIo(DFK_NONDATA);
    SideTables tables;
    try {
        if (const u32 error = tables.InFileOrder([&io](auto& list) { return ReadList(io, list); }))
            return m_dwLastError = error;
    } catch (CSeException* e) {
        ReportFault(e);
        return m_dwLastError = DME_READ_FAULT;
    }
    RepairLog log;
    NoteZeroLengths(m_file, log);
    std::string path;
    CDataFile::GetFullPath(path, kNonDataFileName);
    log.Write("Mended while reading \"" + path + "\":");
    m_tables = std::move(tables);
    return 0;
}

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
        if (sub && bookIds.insert(sub->m_duID).second) {
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
    KeepOnePerId(body.books, body.contacts, {}, log);
    if (body.books.empty())
        return m_dwLastError = RC_BAD_RECORD;
    const auto topAt = std::find_if(
        body.books.begin(), body.books.end(), [topId](const auto& book) { return book->m_duID == topId; });
    Book* top = (topAt == body.books.end() ? body.books.front() : *topAt).get();
    const bool holdsRoot = top->m_dwFlags & DIF_ROOT_BOOK;
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

    Merge merge(*this, firstImported);
    u32 result = 0;
    if (holdsRoot && into == m_pRoot && mode == IMPORT_ATTACH) {
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
    // The counts read, merged records included: the user is told what the
    // file held.
    booksAdded = body.bookCount;
    contactsAdded = body.contactCount;
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
