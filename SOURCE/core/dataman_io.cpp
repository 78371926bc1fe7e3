// The data files: the head, the bodies of the data file and the second data
// file, loading and saving. Whatever is read is checked whole before it
// replaces anything in the store.
#include "core/datafile.h"
#include "core/dataman.h"
#include "core/errorreport.h"
#include "core/filesave.h"
#include "core/seexception.h"
#include "core/storerepair.h"
#include "core/utilities.h"
#include "platform/programfolder.h"
#include "platform/syserror.h"

#include <algorithm>
#include <cstring>
#include <sys/stat.h>

namespace {

constexpr u32 kMsgDataFileDamaged = 59535;
constexpr u32 kMsgNewerFile = 59546;
constexpr u32 kMsgOlderExport = 59559;
constexpr u32 kMsgDataNotSaved = 61701;
constexpr u32 kMsgTablesNotSaved = 61702;
constexpr u32 kMsgSaveAgain = 61703;
constexpr u32 kMsgChangesLost = 61704;
constexpr u32 kMsgReadPastCounts = 59760;
constexpr u32 kMsgCopyDamagedToo = 61706;
constexpr u32 kMsgReadCopyDamaged = 61707;
constexpr u32 kMsgBackupNotWritten = 61708;
constexpr u32 kMsgNothingLost = 61709;
constexpr u32 kMsgNoCopy = 61710;
constexpr u32 kMsgCopyNewer = 61711;
constexpr u32 kDamagedVersion = 0xFFFFFFFF;
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

// Whether the next bytes begin a book record: its opening word, then flags
// that say book. A count of books too low leaves one where the contact count
// should be; a count is never followed by such flags, as a contact record
// follows it, or another count.
bool BookRecordFollows(CDataFile& file, DataFileKind kind)
{
    u32 words[2] = {};
    if (file.ReadAhead(kind, words, sizeof words) != 0)
        return false;
    return words[0] == kRecordOpening && (words[1] & DIF_BOOK) && !(words[1] & DIF_CONTACT);
}

// Whether a record read past the counts is a contact by its flags too: a
// book's record may read whole as a contact's.
bool IsContactRecord(const Contact& contact)
{
    return (contact.m_dwFlags & (DIF_BOOK | DIF_CONTACT)) == DIF_CONTACT;
}

// Where a mended file is kept as it was read, under the name of the file
// it was read from (CDataFile::KeepInBackup), told in the error log.
void NoteKeptInBackup(const CDataFile& file, DataFileKind kind, RepairLog& log)
{
    std::string backup;
    CDataFile::GetFullPath(backup, kBackupFolder);
    const std::string read = file.ReadPathOf(kind);
    std::string kept
        = "The file as it was read is kept as \"" + backup + "/" + read.substr(read.rfind('/') + 1) + "\"";
    // The copy is kept too when it holds data and is not what was read.
    std::string copy;
    CDataFile::GetFullPath(copy, kDataCopyName);
    if (kind == DFK_DATA && read != copy && filesave::IsFileWithData(copy))
        kept += ", and its copy as \"" + backup + "/" + kDataCopyName + "\",";
    log.Note(kept + " before it is next saved");
}

// The files named as left as they are: those that are there.
std::string LeftAsTheyAre(const std::vector<std::string>& paths)
{
    std::vector<std::string> there;
    for (const std::string& path : paths) {
        struct stat st;
        if (::lstat(path.c_str(), &st) == 0)
            there.push_back("\"" + path + "\"");
    }
    if (there.empty())
        return {};
    if (there.size() == 1)
        return "\n\nThe file " + there[0] + " is left as it is.";
    return "\n\nThe files " + there[0] + " and " + there[1] + " are left as they are.";
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

}  // namespace

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
    m_dwKeepAsRead = 0;
    m_bReadPastCounts = false;
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
        if (error && m_dwLastError != DME_NEWER_FILE && !m_bChecking)
            MsgStopText(DamagedDataFileText());
        if (error)
            return error;
        if (m_bReadPastCounts && !m_bChecking)
            MsgWarningText(FormatResString(kMsgReadPastCounts, m_file.ReadPathOf(DFK_DATA)));
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
    // A file created empty stands for the store as the start made it.
    m_dataImageAtStart = fileFlags & DFF_DATA_CREATED ? ImageOf(DFK_DATA) : std::string();
    m_tablesImageAtStart = fileFlags & DFF_NONDATA_CREATED ? ImageOf(DFK_NONDATA) : std::string();
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
        // What was mended at load may be undone from the file as it was read:
        // without that copy the file is not saved over.
        if (m_dwKeepAsRead & kind) {
            std::string backup;
            if (const u32 copyError = m_file.KeepInBackup(kind, backup)) {
                ReportFailedSave(kind, copyError, backup);
                return m_dwLastError = copyError;
            }
            m_dwKeepAsRead &= ~kind;
        }
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

void DataMan::ReportFailedSave(DataFileKind kind, u32 error, const std::string& backup)
{
    std::string path;
    CDataFile::GetFullPath(path, kind == DFK_DATA ? kDataFileName : kNonDataFileName);
    std::string text = FormatResString(kind == DFK_DATA ? kMsgDataNotSaved : kMsgTablesNotSaved, path) + "\n";
    if (!backup.empty())
        text += FormatResString(kMsgBackupNotWritten, backup) + "\n";
    // At quit the window is gone: no later change can save again, and what
    // the file lacks is lost, if anything.
    const u32 advice = !m_bClosing ? kMsgSaveAgain : FileHoldsStore(kind) ? kMsgNothingLost : kMsgChangesLost;
    MsgStopLogged(text + ErrorText(error) + "\n\n" + LoadResString(advice));
}

std::string DataMan::ImageOf(DataFileKind kind)
{
    CDataFile channel;
    channel.ResetMemory();
    const RecordIo io{channel, DFK_MEMORY, nullptr, m_dwFormatVersion};
    u32 error = WriteHead(io, kind);
    if (!error)
        error = kind == DFK_DATA ? WriteDataBody(io) : WriteNonDataBody(io);
    return error ? std::string() : channel.DetachMemory().toStdString();
}

bool DataMan::FileHoldsStore(DataFileKind kind)
{
    const std::string image = ImageOf(kind);
    if (image.empty())
        return false;
    // Until a save fills it, a file created empty holds what the start made.
    const std::string& atStart = kind == DFK_DATA ? m_dataImageAtStart : m_tablesImageAtStart;
    if (!atStart.empty() && m_file.HoldsAsRead(kind, {}))
        return image == atStart;
    return m_file.HoldsAsRead(kind, image);
}

std::string DataMan::DamagedDataFileText()
{
    std::string copy;
    CDataFile::GetFullPath(copy, kDataCopyName);
    const std::string data = m_file.PathOf(DFK_DATA);
    // Renaming the copy helps only when the copy reads.
    u32 id = kMsgReadCopyDamaged;
    if (!m_file.ReadFromCopy()) {
        switch (CheckCopy()) {
        case CopyState::Reads:
            id = kMsgDataFileDamaged;
            break;
        case CopyState::Missing:
            id = kMsgNoCopy;
            break;
        case CopyState::Newer:
            id = kMsgCopyNewer;
            break;
        case CopyState::Damaged:
            id = kMsgCopyDamagedToo;
            break;
        }
    }
    // The copy that reads is the user's to use: only the data file is said
    // to stay.
    return FormatResString(id, ProgramFolder::Path().toStdString())
        + LeftAsTheyAre(id == kMsgDataFileDamaged ? std::vector{data} : std::vector{data, copy});
}

DataMan::CopyState DataMan::CheckCopy() const
{
    std::string path;
    CDataFile::GetFullPath(path, kDataCopyName);
    CDataFile copy;
    const u32 error = copy.OpenToCheck(path);
    if (error == ERROR_FILE_NOT_FOUND || (!error && !(copy.GetFlags() & DFF_DATA_EXISTED)))
        return CopyState::Missing;
    if (error)
        return CopyState::Damaged;
    DataMan check(copy, m_pUserMan, m_reportError);
    check.m_bChecking = true;
    if (check.Init() == 0)
        return CopyState::Reads;
    return check.GetLastError() == DME_NEWER_FILE ? CopyState::Newer : CopyState::Damaged;
}

u32 DataMan::WriteHeader(DataFileKind kind)
{
    const u32 error = m_file.Rewind(kind);
    return error ? error : WriteHead(WriteIo(kind), kind);
}

u32 DataMan::WriteHead(const RecordIo& io, DataFileKind kind) const
{
    u32 error = io.file.WriteString(io.kind, TagOf(kind), io.handle);
    FileHead head;
    head.version = m_dwFormatVersion;
    head.exportFlag = kind == DFK_EXPORT ? kExportFlag : 0;
    if (!error)
        error = io.file.Write(io.kind, &head, sizeof head, io.handle);
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
    // A version word of all ones is what erased or overwritten bytes hold,
    // not a version any Tolva writes: the file is damaged, not newer.
    if (head.version == kDamagedVersion)
        return m_dwLastError = RC_BAD_RECORD;
    m_dwFileVersion = head.version;
    if (head.version > kFormatVersion && head.compatibility != kReadableByOlder) {
        if (!m_bChecking)
            MsgStopText(LoadResString(kMsgNewerFile) + "\n\n\"" + m_file.ReadPathOf(kind)
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
    return WriteDataBody(WriteIo(kind));
}

u32 DataMan::WriteDataBody(const RecordIo& io)
{
    CompactArrays();
    u32 error = WriteList(io, m_books);
    if (!error)
        error = WriteList(io, m_contacts);
    return error;
}

u32 DataMan::ReadBody(DataFileKind kind, bool countsFirst, Body& body)
{
    const RecordIo io = ReadIo(kind);
    // A data or export file goes on past what its counts promise as long as
    // whole records follow: books where the contact count or the first
    // contact should be, contacts after the last one counted. Any other
    // bytes there are damage.
    RecordIo whole = io;
    whole.wholeRecords = true;
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
        for (u32 i = 0; !error && (i < body.bookCount || BookRecordFollows(m_file, kind)); ++i) {
            m_dwLastError = DME_READING_BOOK;
            auto book = std::make_unique<Book>();
            error = book->Read(i < body.bookCount ? io : whole);
            NoteCutTexts(m_file, *book, body.notes);
            m_dwLastError = DME_BOOK_READ;
            body.booksPast += i >= body.bookCount;
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
            NoteCutTexts(m_file, *contact, body.notes);
            body.contacts.push_back(std::move(contact));
        }
        while (!error && m_file.CheckAvailable(kind, 1) == 0) {
            auto contact = std::make_unique<Contact>();
            error = contact->Read(whole);
            NoteCutTexts(m_file, *contact, body.notes);
            if (!error && !IsContactRecord(*contact))
                error = RC_BAD_RECORD;
            ++body.contactsPast;
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
    body.NoteReading(log);
    const bool fileBooks = !body.books.empty();
    const bool fileContacts = !body.contacts.empty();
    Owned<Contact> noContacts;
    KeepOnePerId(fileBooks ? body.books : m_books, fileContacts ? body.contacts : noContacts, {}, log);
    const std::vector<Book*> books = Pointers(fileBooks ? body.books : m_books);
    const std::vector<Contact*> contacts = Pointers(fileContacts ? body.contacts : m_contacts);
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
    // A contact left in no book is seen only by a search over every book:
    // it joins the root.
    if (!RepairTree(books, contacts, TreeShape{root, {}, true}, maps, log))
        return m_dwLastError = RC_BAD_RECORD;
    if (!log.Empty())
        NoteKeptInBackup(m_file, DFK_DATA, log);
    if (!m_bChecking)
        log.Write("Mended while reading \"" + m_file.ReadPathOf(DFK_DATA) + "\":");

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

    if (fileBooks)
        m_books = std::move(body.books);
    if (fileContacts)
        m_contacts = std::move(body.contacts);
    m_dwKeepAsRead = log.Empty() ? m_dwKeepAsRead & ~DFK_DATA : m_dwKeepAsRead | DFK_DATA;
    m_bReadPastCounts = body.booksPast || body.contactsPast;
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
    return WriteNonDataBody(WriteIo(DFK_NONDATA));
}

u32 DataMan::WriteNonDataBody(const RecordIo& io)
{
    return m_tables.InFileOrder([&io](const auto& list) { return WriteList(io, list); });
}

void DataMan::Body::NoteReading(RepairLog& log) const
{
    log.Append(notes);
    if (booksPast || contactsPast)
        log.Note(std::to_string(booksPast) + " book(s) and " + std::to_string(contactsPast)
            + " contact(s) past the counts of the file read and kept");
}

u32 DataMan::ReadNonDataFile()
{
    m_dwLastError = 0;
    const RecordIo io = ReadIo(DFK_NONDATA);
    // Only the last table can run on past its count: an entry of another
    // table past its count stands where the next count should, and the
    // tables after it no longer read. The last table's entries each end in a
    // whole contact, so what follows its counted entries is kept when it
    // reads as such entries, and is damage otherwise.
    RecordIo whole = io;
    whole.wholeRecords = true;
    SideTables tables;
    u32 past = 0;
    try {
        u32 error = tables.InFileOrder([&io](auto& list) { return ReadList(io, list); });
        while (!error && m_file.CheckAvailable(DFK_NONDATA, 1) == 0) {
            auto entry = std::make_unique<FurtherEntry2>();
            error = entry->Read(whole);
            if (!error && !IsContactRecord(entry->m_contact))
                error = RC_BAD_RECORD;
            ++past;
            tables.further2.push_back(std::move(entry));
        }
        if (error)
            return m_dwLastError = error;
    } catch (CSeException* e) {
        ReportFault(e);
        return m_dwLastError = DME_READ_FAULT;
    }
    RepairLog log;
    NoteZeroLengths(m_file, log);
    if (past)
        log.Note(std::to_string(past) + " entry(ies) of the last table past its count read and kept");
    if (!log.Empty())
        NoteKeptInBackup(m_file, DFK_NONDATA, log);
    log.Write("Mended while reading \"" + m_file.ReadPathOf(DFK_NONDATA) + "\":");
    m_dwKeepAsRead = log.Empty() ? m_dwKeepAsRead & ~DFK_NONDATA : m_dwKeepAsRead | DFK_NONDATA;
    m_tables = std::move(tables);
    return 0;
}
