// The program's store. DataMan owns every book, contact and side-table
// entry, gives records their ids, keeps the book tree and the book
// membership of contacts consistent, knows the current book and the
// alphabet filter, loads and saves the data files and exchanges book
// subtrees through export files.
//
// A book's member list and a contact's book list are changed only through
// DataMan: it keeps an index of the links beside them so that membership
// tests stay quick in books of many thousand contacts.
#pragma once

#include "core/records.h"
#include "core/seexception.h"
#include "core/storerepair.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class CDataFile;
class CSeException;
class UserMan;

// Side-table kinds.
constexpr u32 DMK_ALPHABET = 1;
constexpr u32 DMK_CALL_LOG = 2;
constexpr u32 DMK_SPEED_DIAL = 3;
constexpr u32 DMK_TIME_ZONE = 4;

// DataMan flags.
constexpr u32 DMF_LOADED = 0x1;

// Last-error values (besides the result codes of the file layer).
constexpr u32 DME_NULL_ARGUMENT = 0x80004003;
constexpr u32 DME_NOT_FOUND = 25;  // a record named by id is not in its map
constexpr u32 DME_NO_ID_LEFT = 0x216;
constexpr u32 DME_READING_BOOK = 39;
constexpr u32 DME_BOOK_READ = 41;
constexpr u32 DME_READ_FAULT = 48;
constexpr u32 DME_DATA_TAG = 16;
constexpr u32 DME_NONDATA_TAG = 17;
constexpr u32 DME_EXPORT_TAG = 18;
constexpr u32 DME_NEWER_FILE = 20;

// Ids. The root and "Deleted Items" take 0 and 1; 2 to 14 are never given.
constexpr u32 kFirstFreeId = 15;
constexpr u32 kNoId = 0xFFFFFFFF;
// Above this the counter stays and the lowest unused id is given instead.
constexpr u32 kReuseIdsAbove = 0xCCCCCC00;
// At or above this the store is renumbered densely first.
constexpr u32 kRenumberFrom = 0xFFFFFF00;

// The file head.
constexpr u32 kExportFlag = 0x2000;
// A newer file carrying this compatibility word can still be read.
constexpr u32 kReadableByOlder = 0x2000;
// Files before this version carry no display colours in the contacts' flags.
constexpr u32 kDisplayColorsVersion = 0x2200;
constexpr const char* kDataFileTag = "TOLVADATFILE";
constexpr const char* kNonDataFileTag = "TOLVANONDATFILE";
constexpr const char* kExportFileTag = "TOLVAEXPFILE";

// The alphabet bar's commands: a letter by its index, or every contact.
constexpr u32 kFilterFirstLetter = 32800;
constexpr u32 kFilterLastLetter = 32850;
constexpr u32 kFilterAll = 32851;

// Import modes: 1 merges books and contacts of the same name.
constexpr u32 IMPORT_ATTACH = 0;
constexpr u32 IMPORT_MERGE = 1;

// Book-tree images of the built-in books and of every other book.
constexpr u32 kRootImage = 0;
constexpr u32 kBookImage = 1;
constexpr u32 kDeletedItemsImage = 2;

// One item of the book tree as the tree control shows it; siblings are kept
// in the order of a sorted tree control.
struct BookTreeItem {
    Book* book = nullptr;
    std::string name;
    u32 image = 0;
    // The book has sub-books; their items may not be filled yet.
    bool hasChildren = false;
    std::vector<BookTreeItem> children;
};

// Case-insensitive comparison of stored texts, as book and contact names are
// matched.
std::string FoldCase(std::string_view text);
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

class DataMan : public RecordMap {
public:
    // The settings come from the user manager given, else the application's.
    explicit DataMan(CDataFile& file, UserMan* userMan = nullptr, SeReporter reportError = {});
    ~DataMan() override;
    DataMan(const DataMan&) = delete;
    DataMan& operator=(const DataMan&) = delete;

    // Start and end.
    u32 Init();
    // Reads what the data files hold. A data file that cannot be read whole
    // and sound replaces nothing, gives message 59535, and is never saved
    // over in this run. One that had to be mended is kept in "backup" as it
    // was read before it is first saved over; one that held records past its
    // counts is said so.
    u32 Load();
    // 0 or the first error; a failed save leaves the file as it was and
    // says so.
    u32 Save(DataFileKind kind);
    // Decided by the version of the data file that was read.
    void UpgradeOldContacts();
    // Saves both files and frees the store; the first save error.
    u32 Close();

    // The file format.
    u32 WriteHeader(DataFileKind kind);
    u32 ReadHeader(DataFileKind kind);
    u32 WriteDataFile(DataFileKind kind);
    // Reads the body whole, whole records past what its counts promise
    // included, mends its links (ids, members, the tree, the built-in books,
    // contacts in no book; noted in the error log) and only then replaces the
    // store's records. Refused: bytes that do not read, bytes after the body
    // that are no whole contact, no root or "Deleted Items", a cycle of books.
    u32 ReadDataFile(DataFileKind kind);
    u32 WriteNonDataFile();
    // Reads the six tables whole, and whole entries of the last one past its
    // count; any other bytes after them refuse the file.
    u32 ReadNonDataFile();
    u32 ExportBook(const std::string& path, const Book* book);
    // Adds the books and contacts of an export file under the target (the
    // current book when null). Nothing is added unless the whole file reads,
    // whole records past its counts included and nothing else after them,
    // and its links can be mended into a tree; the counts are those of the
    // records read.
    u32 ImportFile(const std::string& path, u32* booksAdded, u32* contactsAdded, u32 mode, Book* target);

    // Ids.
    u32 NewId();

    // Lookups.
    DataItem* FindItem(u32 id) const;
    Contact* FindContact(u32 id) const override;
    Book* FindBook(u32 id) const override;
    Contact* GetContactAt(int index) const;
    Book* GetBookAt(int index) const;
    int GetContactCount() const { return int(m_contacts.size()); }
    int GetBookCount() const { return int(m_books.size()); }
    bool IsContactInBook(const Contact* contact, const Book* book) const;
    bool IsMember(const Book* book, u32 id) const;
    Contact* FindSameNameContact(const Book* book, const Contact* contact) const;
    Book* FindChildBook(const Book* book, std::string_view name) const;
    bool HasSubBooks(const Book* book) const;
    bool IsContactShown(const Contact* contact) const;

    // Room for this many more contacts, each in one book, so that a large
    // import does not regrow the arrays, the id map and the link index as it
    // goes. Only a hint: nothing changes but the room.
    void ReserveContacts(size_t more);
    // Contacts. AddContact takes the contact; on failure it is freed.
    u32 AddContact(std::unique_ptr<Contact> contact, Book* book, int* index = nullptr);
    u32 AddContactToBook(Contact* contact, Book* book);
    u32 MoveContact(Book* from, Book* to, Contact* contact);
    // permanent: in, whether to delete for good; out, 1 when something was
    // done, 0 when the user cancelled.
    u32 RemoveContactFromBook(Book* book, Contact* contact, int& permanent);
    u32 DeleteContact(Contact* contact, bool toDeletedItems);
    u32 UnlinkContact(Contact* contact);
    // Print ranges 1 and 2 of the mode come from the print settings: the
    // first for modes 1 and 2, the second for mode 3.
    u32 FlagContacts(u32 mode, u32 firstPrintRange, u32 secondPrintRange);

    // Books. AddBook takes the book and returns it, or null when it was not
    // added (and freed).
    Book* AddBook(std::unique_ptr<Book> book, Book* parent, int* index = nullptr);
    // A book never moves under itself or one of its sub-books, and the
    // built-in books are never deleted: ERROR_INVALID_PARAMETER.
    u32 MoveBook(Book* book, Book* newParent);
    u32 CopyBook(Book* book, Book* newParent);
    u32 DeleteBook(Book* book, bool permanent);
    u32 EmptyDeletedItems();
    u32 SetCurrentBook(Book* book);
    Book* GetCurrentBook() const;
    u32 GetCurrentBookId() const { return m_duCurrentBookID; }
    std::string GetCurrentBookName() const;
    Book* GetRootBook() const { return m_pRoot; }
    Book* GetDeletedItemsBook() const { return m_pDeletedItems; }
    u32 FillBookTree(std::vector<BookTreeItem>& items, u32 bookId, bool oneLevel);

    // The alphabet filter and the alphabets.
    u32 GetAlphabetFilter() const { return m_dwAlphabetFilter; }
    // A command outside the alphabet bar's range means every contact.
    void SetAlphabetFilter(u32 filter);
    std::string GetFilterLetterText() const;
    int GetCurrentAlphabetIndex() const;
    void GetCurrentAlphabetLetters(std::string& letters) const;

    // Side tables: Alphabet, CallLogEntry, SpeedDialSlot, TimeZoneEntry.
    int GetCount(u32 kind) const;
    template <class Entry> Entry* GetAt(int index) const;
    template <class Entry> int Add(std::unique_ptr<Entry> entry);
    void RemoveAt(u32 kind, int index);

    u32 GetLastError() const { return m_dwLastError; }
    u32 GetFlags() const { return m_dwFlags; }
    u32 GetFileVersion() const { return m_dwFileVersion; }
    u32 GetDataFileVersion() const { return m_dwDataFileVersion; }
    u32 GetNextFreeId() const { return m_duNextID; }
    int GetLastAddedContactIndex() const { return m_nLastAddedContact; }

private:
    template <class T> using Owned = std::vector<std::unique_ptr<T>>;

    struct SideTables {
        Owned<CallLogEntry> callLog;
        Owned<Alphabet> alphabets;
        Owned<SpeedDialSlot> speedDial;
        Owned<TimeZoneEntry> timeZones;
        Owned<FurtherEntry1> further1;
        Owned<FurtherEntry2> further2;

        // Runs an operation on each table in the order of the file, up to
        // the first error.
        template <class Operation> u32 InFileOrder(Operation operation)
        {
            u32 error = operation(callLog);
            if (!error)
                error = operation(speedDial);
            if (!error)
                error = operation(alphabets);
            if (!error)
                error = operation(timeZones);
            if (!error)
                error = operation(further1);
            return error ? error : operation(further2);
        }
    };
    // The books and contacts of a data or export file, as read.
    struct Body {
        u32 bookCount = 0;
        u32 contactCount = 0;
        Owned<Book> books;
        Owned<Contact> contacts;
        // Whole records found past what the counts promised.
        u32 booksPast = 0;
        u32 contactsPast = 0;
        // What was read over in the records' texts, record by record.
        RepairLog notes;

        // Says in the log what was read over in the texts, and how many
        // records were found past the counts.
        void NoteReading(RepairLog& log) const;
    };
    class IdPlan;
    class Merge;

    // Records dropped while a batch runs leave the arrays in one pass at its
    // end, so that deleting many records does not move the arrays each time.
    class Batch {
    public:
        explicit Batch(DataMan& dm)
            : m_dm(dm)
        {
            ++m_dm.m_nBatchDepth;
        }
        ~Batch()
        {
            if (--m_dm.m_nBatchDepth == 0)
                m_dm.CompactArrays();
        }
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

    private:
        DataMan& m_dm;
    };

    template <class Entry, class Tables> static auto& Table(Tables& tables);
    const UserMan& Settings() const;
    // Records are read in the layout of the file's version and written in
    // the current one.
    RecordIo ReadIo(DataFileKind kind) const;
    RecordIo WriteIo(DataFileKind kind) const;
    void ReportFault(CSeException* e);
    // Tells the user, and the error log, that a data file kept its old
    // contents because the save failed; with the path of the copy in
    // "backup" when that is what could not be written.
    void ReportFailedSave(DataFileKind kind, u32 error, const std::string& backup = {});
    // What the user is told when the data file does not read.
    std::string DamagedDataFileText();
    // How the copy "tolva.rd0" reads as a data file, as Load reads one,
    // without a word to the user or the error log.
    enum class CopyState { Reads, Missing, Newer, Damaged };
    CopyState CheckCopy() const;
    // The head and body of a file of a kind, written through any channel.
    u32 WriteHead(const RecordIo& io, DataFileKind kind) const;
    u32 WriteDataBody(const RecordIo& io);
    u32 WriteNonDataBody(const RecordIo& io);
    // The bytes a save of the file of a kind would write now.
    std::string ImageOf(DataFileKind kind);
    // Whether the file of a kind holds the store as it stands, so that a
    // save that cannot be made loses nothing of this run.
    bool FileHoldsStore(DataFileKind kind);

    // The store's arrays, maps and link index.
    Book* InsertBook(std::unique_ptr<Book> book);
    Contact* InsertContact(std::unique_ptr<Contact> contact);
    void DropBook(Book* book);
    void DropContact(Contact* contact);
    void CompactArrays();
    void RebuildMaps();
    void ClearStore();
    bool IsUsed(u32 id) const;
    void ReleaseId(u32 id);
    void Renumber();

    bool AddMember(Book& book, u32 id);
    bool RemoveMember(Book& book, u32 id);
    void ReplaceMember(Book& book, u32 oldId, u32 newId);
    void Attach(Book& book, Book& parent);
    bool IsInSubtree(const Book* candidate, const Book* top) const;
    u32 DestroyBook(Book* book);

    // The file format.
    u32 ReadBody(DataFileKind kind, bool countsFirst, Body& body);
    u32 ImportCurrent(const std::string& path, u32 mode, Book* target, u32& booksAdded, u32& contactsAdded);
    u32 ImportOldFormat(const std::string& path, u32& booksAdded, u32& contactsAdded);

    CDataFile& m_file;
    UserMan* m_pUserMan;
    SeReporter m_reportError;

    u32 m_dwFileVersion = kFormatVersion;
    u32 m_dwDataFileVersion = kFormatVersion;
    u32 m_dwFormatVersion = kFormatVersion;
    u32 m_dwFlags = 0;
    mutable u32 m_dwLastError = 0;
    u32 m_dwAlphabetFilter = 0;
    int m_nLastAddedContact = -1;
    u32 m_duNextID = 0;
    Book* m_pRoot = nullptr;
    Book* m_pCurrent = nullptr;
    Book* m_pDeletedItems = nullptr;
    Owned<Contact> m_contacts;
    Owned<Book> m_books;
    SideTables m_tables;
    std::unordered_map<u32, Contact*> m_contactMap;
    std::unordered_map<u32, Book*> m_bookMap;
    u32 m_duCurrentBookID = 0;

    // Every (book id, member id) pair of the member lists.
    std::unordered_set<u64> m_links;
    // Every id from 15 up to this one is in use (the search for the lowest
    // unused id starts here).
    u32 m_duFreeHint = kFirstFreeId;
    // Which files may be saved: a file that could not be read never is.
    u32 m_dwSavable = 0;
    // The saves of Close run after the window is gone: one that fails
    // cannot be made good by a later change.
    bool m_bClosing = false;
    // The data files (by kind) that were mended as they were read: before
    // one is first saved over, it is kept in "backup" as it was read.
    u32 m_dwKeepAsRead = 0;
    // It held records past its counts, which the user is told of.
    bool m_bReadPastCounts = false;
    // For a file created empty at the start, which no save has filled yet:
    // the store's image as the start made it, which is what the file
    // stands for until then.
    std::string m_dataImageAtStart;
    std::string m_tablesImageAtStart;
    // Reading only to see whether a file reads: nothing is shown or logged.
    bool m_bChecking = false;
    // How many batches run, and what they dropped.
    int m_nBatchDepth = 0;
    std::unordered_set<const DataItem*> m_dropped;
};
