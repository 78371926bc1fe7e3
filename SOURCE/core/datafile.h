// The file layer: the open files of the program (data file, second data
// file, an export file) and the memory channel of the clipboard, and the
// moving of bytes, words and strings between records and them.
//
// Saving is atomic. A data file is never rewritten in place: the first Write
// after Open, Rewind or a finished save starts a new version of the file in
// a temporary file beside it, while reads still come from the file as it was
// loaded. SetEnd finishes the save: the new version is flushed to the disk
// and renamed over the old file. Flush finishes a save still pending the same
// way (and otherwise only flushes). Once any write of a save has failed, the
// save cannot be finished: SetEnd and Flush return that error, drop the
// temporary file and leave the old file as it was. Rewind starts the pending
// version over from its first byte. An export file written through
// OpenExtra is saved the same way and finished by CloseExtra.
//
// Every length and count read is checked against the bytes that remain
// (CheckAvailable), so no read allocates more than the input holds.
#pragma once

#include "core/records.h"

#include <QByteArray>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// An open file of the data-file layer. Opaque outside the layer; records pass
// one through RecordIo to read or write a file other than the one of a kind.
class DataFileHandle;

// CDataFile flags.
constexpr u32 DFF_DATA_EXISTED = 0x1;
constexpr u32 DFF_NONDATA_EXISTED = 0x2;
constexpr u32 DFF_DATA_CREATED = 0x4;
constexpr u32 DFF_NONDATA_CREATED = 0x8;
constexpr u32 DFF_CONDLIB_LOADED = 0x10;  // never set: no condition library is loaded

// TestOpen's access and disposition, numbered as the callers know them.
constexpr u32 GENERIC_READ = 0x80000000;
constexpr u32 GENERIC_WRITE = 0x40000000;
constexpr u32 CREATE_NEW = 1;
constexpr u32 CREATE_ALWAYS = 2;
constexpr u32 OPEN_EXISTING = 3;
constexpr u32 OPEN_ALWAYS = 4;
constexpr u32 TRUNCATE_EXISTING = 5;

constexpr const char* kDataFileName = "tolva.rdf";
constexpr const char* kNonDataFileName = "tolva.ndf";
constexpr const char* kDataCopyName = "tolva.rd0";
constexpr const char* kBackupFolder = "backup";

class CDataFile {
public:
    CDataFile();
    ~CDataFile();
    CDataFile(const CDataFile&) = delete;
    CDataFile& operator=(const CDataFile&) = delete;

    // The program's folder followed by the name (the folder alone, with a
    // trailing separator, for null). Returns 0.
    static u32 GetFullPath(std::string& path, const char* name);

    // Opens "tolva.rdf" (read from "tolva.rd0" when missing or left empty
    // by a crash, until its first save) and "tolva.ndf", creating them empty
    // when there is nothing to open, and holds them for the run. Returns 0 or
    // the error, shown.
    u32 Open();
    // Closes every file. "tolva.rd0" is refreshed from the data file only
    // when the data loaded (SetDataLoaded) and its last save was finished
    // cleanly; otherwise the copy is kept and also saved into "backup".
    // Returns 0; a failed copy is shown and logged.
    u32 Close();
    // Copies the file of a kind as it was read into "backup", under the name
    // of the file read, replacing an older one there; for the data file, its
    // copy "tolva.rd0" too. Returns 0, or the error and the path that could not
    // be written (shown by the caller, who knows what it stops).
    u32 KeepInBackup(DataFileKind kind, std::string& failed);
    // Opens a file as the data file, for reading only, in an object that
    // holds no other file: a check whether it reads, which writes, copies
    // and locks nothing. Returns 0 or the error, not shown.
    u32 OpenToCheck(const std::string& path);
    // The data file was missing or empty, and its copy is read in its place
    // until the first save.
    bool ReadFromCopy() const { return m_readFromCopy; }
    // DataMan reports whether its data loaded; Close decides by it.
    void SetDataLoaded(bool loaded) { m_dataLoaded = loaded; }
    u32 GetFlags() const { return m_dwFlags; }
    // Open failed because another run holds the program folder: this run
    // must leave everything of that one's alone, settings included.
    bool IsLockedOut() const { return m_lockedOut; }
    // The path of a file kind's open file; empty when none is open.
    std::string PathOf(DataFileKind kind) const;
    // The path of the file its reads come from: the copy "tolva.rd0" while
    // it stands in for the data file, else as PathOf.
    std::string ReadPathOf(DataFileKind kind) const;
    // Whether the file of a kind, as its reads come from it, holds exactly
    // these bytes.
    bool HoldsAsRead(DataFileKind kind, std::string_view bytes) const;

    // Kind 5 goes to the memory channel (14 without one); the other kinds to
    // their file unless an explicit handle is given. A kind with no open file
    // gives ERROR_INVALID_HANDLE. 7 for a short read, 8 for a short write.
    u32 Read(DataFileKind kind, void* buffer, u32 n, DataFileHandle* handle = nullptr);
    u32 Write(DataFileKind kind, const void* buffer, u32 n, DataFileHandle* handle = nullptr);
    static u32 ReadRaw(DataFileHandle* handle, void* buffer, u32 n);
    static u32 WriteRaw(DataFileHandle* handle, const void* buffer, u32 n);

    // A string is its length + 1 as a word, then its bytes and a NUL. A NUL
    // inside a text is not written (it would cut the text when read back),
    // and one met inside a stored text is read over the same way, keeping
    // what follows it where that is text (TextOfStored). The field names
    // the text for the notes of what was read over.
    u32 ReadString(
        DataFileKind kind, std::string& text, DataFileHandle* handle = nullptr, const char* field = nullptr);
    u32 WriteString(DataFileKind kind, const std::string& text, DataFileHandle* handle = nullptr);
    // How many texts with the stored length 0 (which no text has: even an
    // empty one carries its NUL) were read, as empty texts, since the last
    // call.
    u32 TakeZeroLengthStrings() { return std::exchange(m_zeroLengthStrings, 0); }
    void NoteZeroLengthString() { ++m_zeroLengthStrings; }
    // A text that held a NUL before its last byte: its field (null when
    // unnamed), and whether what followed the NUL was kept as text or
    // dropped as the bytes of something else.
    struct CutText {
        const char* field = nullptr;
        bool tailKept = false;
        bool tailDropped = false;
    };
    // How many texts held a NUL before their last byte since the last take.
    u32 CutTextCount() const { return m_cutStrings; }
    // Those texts, the first of them when there were very many, and forgets
    // them all.
    std::vector<CutText> TakeCutTexts();
    // Their count, and forgets them.
    u32 TakeCutStrings();
    // The text of a string from the n bytes that follow its length word,
    // all of them at hand. Every reader of strings goes through here.
    u32 TextOfStored(const char* bytes, u32 n, std::string& text, const char* field = nullptr);
    // Reads n bytes and stays before them: a look at what comes next.
    u32 ReadAhead(DataFileKind kind, void* buffer, u32 n);
    // 0 when at least n bytes remain to be read, else 7 (or the error of a
    // missing file or channel).
    u32 CheckAvailable(DataFileKind kind, u64 n, DataFileHandle* handle = nullptr);

    // In-place access for readers and writers of many small fields, which
    // would otherwise pay a call per field. Peek gives the bytes at the read
    // position that are already in memory (none without an open file or
    // channel, or after a failed read) and how many remain in all; Skip
    // moves past the bytes taken from them. WriteSpace gives free room at
    // the end of what is being written (none for the memory channel or once
    // a write failed) and Commit adds the bytes put there. Whatever does not
    // fit goes through Read and Write, which check and report as always.
    struct ReadSpan {
        const char* data = nullptr;
        size_t size = 0;
        u64 remaining = 0;
    };
    struct WriteSpan {
        char* data = nullptr;
        size_t size = 0;
    };
    ReadSpan Peek(DataFileKind kind, DataFileHandle* handle = nullptr);
    void Skip(DataFileKind kind, size_t n, DataFileHandle* handle = nullptr);
    WriteSpan WriteSpace(DataFileKind kind, DataFileHandle* handle = nullptr);
    void Commit(DataFileKind kind, size_t n, DataFileHandle* handle = nullptr);

    u32 Rewind(DataFileKind kind, DataFileHandle* handle = nullptr);
    u32 SetEnd(DataFileKind kind, DataFileHandle* handle = nullptr);
    u32 Flush(DataFileKind kind, DataFileHandle* handle = nullptr);

    // The extra file (kind 4): an export file read, or written and saved by
    // CloseExtra. Failures are shown and returned.
    u32 OpenExtra(const std::string& path, bool forReading);
    u32 CloseExtra();
    // Drops the extra file unfinished: an export being written is not saved.
    void DiscardExtra();
    // 1 when the file can be opened that way (an existing file is never
    // emptied by the test), else the error is shown and 0 returned.
    static int TestOpen(const std::string& path, u32 access, u32 disposition);

    // The memory channel (kind 5): a growable block written by the sender
    // and handed over by DetachMemory, or read from the block AttachMemory
    // was given. DetachMemory without a channel gives an empty block.
    u32 ResetMemory();
    u32 AttachMemory(const QByteArray& block);
    QByteArray DetachMemory();

private:
    struct MemoryChannel;

    DataFileHandle* HandleOf(DataFileKind kind) const;
    // Makes the folder (only the owner may enter it) unless it is there.
    static u32 MakeBackupFolder(const std::string& path);
    // Names the file not written and what stayed safe.
    static void ReportFailedCopy(const std::string& path, u32 error, const std::string& kept);
    u32 OpenDataFile(const char* name, const char* copyName, std::unique_ptr<DataFileHandle>& handle,
        u32 existedFlag, u32 createdFlag);

    std::unique_ptr<DataFileHandle> m_hDataFile;
    std::unique_ptr<DataFileHandle> m_hExtraFile;
    std::unique_ptr<DataFileHandle> m_hNonDataFile;
    u32 m_dwFlags = 0;
    std::unique_ptr<MemoryChannel> m_memory;
    // The program folder stays locked while the files are open, so that no
    // other instance writes them.
    int m_folderLock = -1;
    bool m_lockedOut = false;
    bool m_dataLoaded = false;
    // The data file had to be created although "tolva.rd0" exists: this
    // run's data must not replace the copy.
    bool m_keepCopy = false;
    bool m_readFromCopy = false;
    // Opened by OpenToCheck: Close leaves every file as it is.
    bool m_checkOnly = false;
    u32 m_zeroLengthStrings = 0;
    u32 m_cutStrings = 0;
    std::vector<CutText> m_cutTexts;
};
