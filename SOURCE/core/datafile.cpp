#include "core/datafile.h"

#include "core/filesave.h"
#include "core/utilities.h"
#include "platform/programfolder.h"
#include "platform/regularfile.h"
#include "platform/syserror.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace filesave;

namespace {
constexpr u32 kMsgFolderInUse = 61700;
}  // namespace

// Reads come from the file as it was opened (or last saved); writes build
// its next version (PendingFile) until SetEnd or Flush finish the save.
class DataFileHandle {
public:
    // Reads come from the file open as fd, which is the one at the path
    // unless another (readPath) stands in for it until the first save.
    DataFileHandle(std::string path, int fd, std::string readPath = {})
        : m_path(std::move(path))
        , m_readPath(readPath.empty() ? m_path : std::move(readPath))
        , m_fd(fd)
    {
        struct stat st;
        if (m_fd >= 0 && ::fstat(m_fd, &st) == 0)
            m_size = u64(st.st_size);
    }
    ~DataFileHandle()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    DataFileHandle(const DataFileHandle&) = delete;
    DataFileHandle& operator=(const DataFileHandle&) = delete;

    const std::string& Path() const { return m_path; }
    // The file the reads come from: the one at the path once it is saved.
    const std::string& ReadPath() const { return m_readPath; }
    u64 Remaining() const { return m_size > m_pos ? m_size - m_pos : 0; }
    // The last save was finished and none has been started since.
    bool SavedClean() const { return m_saved && !m_pending; }

    u32 Read(void* data, u32 n)
    {
        if (m_fd < 0)
            return ERROR_ACCESS_DENIED;
        char* out = static_cast<char*>(data);
        while (n > 0) {
            if (Buffered()) {
                const size_t offset = size_t(m_pos - m_bufferStart);
                const size_t take = std::min<size_t>(n, m_bufferUsed - offset);
                std::memcpy(out, m_buffer.get() + offset, take);
                out += take;
                n -= u32(take);
                m_pos += take;
                continue;
            }
            if (n < kBufferSize) {
                if (const u32 error = Fill())
                    return error;
                continue;
            }
            const ssize_t done = ReadAt(m_fd, out, n, m_pos);
            if (done < 0)
                return LastError();
            if (done == 0)
                return RC_SHORT_READ;
            out += done;
            n -= u32(done);
            m_pos += u64(done);
        }
        return 0;
    }

    CDataFile::ReadSpan Peek()
    {
        if (m_fd < 0 || (!Buffered() && (Remaining() == 0 || Fill() != 0)))
            return {};
        const size_t offset = size_t(m_pos - m_bufferStart);
        return {m_buffer.get() + offset, m_bufferUsed - offset, Remaining()};
    }
    void Skip(size_t n) { m_pos += n; }
    u32 ReadAhead(void* data, u32 n)
    {
        const u64 at = m_pos;
        const u32 error = Read(data, n);
        m_pos = at;
        return error;
    }

    CDataFile::WriteSpan WriteSpace()
    {
        if (!m_pending)
            StartSave();
        return m_pending->Space();
    }
    void Commit(size_t n)
    {
        if (m_pending)
            m_pending->Commit(n);
    }

    u32 Write(const void* data, u32 n)
    {
        if (!m_pending)
            StartSave();
        return m_pending->Write(data, n);
    }

    u32 StartSave()
    {
        m_pending = std::make_unique<PendingFile>(m_path);
        return m_pending->Error();
    }

    u32 Rewind()
    {
        m_pos = 0;
        if (m_pending)
            m_pending->Restart();
        return 0;
    }

    u32 Finish()
    {
        if (!m_pending)
            return 0;
        int fd = -1;
        u64 size = 0;
        const u32 error = m_pending->Commit(fd, size);
        m_pending.reset();
        m_saved = error == 0;
        if (error)
            return error;
        // The saved version is now the file: later reads come from it, and
        // its position is at its end as after writing in place.
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
        m_readPath = m_path;
        m_size = size;
        m_pos = size;
        m_bufferUsed = 0;
        return 0;
    }

    bool Holds(std::string_view bytes) const
    {
        if (m_fd < 0 || m_size != bytes.size())
            return false;
        auto buffer = std::make_unique_for_overwrite<char[]>(kBufferSize);
        for (u64 at = 0; at < m_size;) {
            const ssize_t done
                = ReadAt(m_fd, buffer.get(), size_t(std::min<u64>(kBufferSize, m_size - at)), at);
            if (done <= 0 || std::memcmp(buffer.get(), bytes.data() + at, size_t(done)) != 0)
                return false;
            at += u64(done);
        }
        return true;
    }

    u32 Flush()
    {
        if (m_pending)
            return Finish();
        if (m_fd >= 0 && ::fsync(m_fd) != 0)
            return LastError();
        return 0;
    }

private:
    bool Buffered() const { return m_pos >= m_bufferStart && m_pos < m_bufferStart + m_bufferUsed; }

    // The buffer holds the bytes from the position on; a read that finds
    // none is a short read.
    u32 Fill()
    {
        if (!m_buffer)
            m_buffer = std::make_unique_for_overwrite<char[]>(kBufferSize);
        const ssize_t done = ReadAt(m_fd, m_buffer.get(), kBufferSize, m_pos);
        m_bufferStart = m_pos;
        m_bufferUsed = size_t(std::max<ssize_t>(done, 0));
        if (done < 0)
            return LastError();
        return done == 0 ? RC_SHORT_READ : 0;
    }

    std::string m_path;
    std::string m_readPath;
    int m_fd = -1;
    u64 m_size = 0;
    u64 m_pos = 0;
    std::unique_ptr<char[]> m_buffer;
    size_t m_bufferUsed = 0;
    u64 m_bufferStart = 0;
    std::unique_ptr<PendingFile> m_pending;
    bool m_saved = false;
};

struct CDataFile::MemoryChannel {
    QByteArray block;
    qsizetype pos = 0;

    u64 Remaining() const { return u64(block.size() - pos); }
    CDataFile::ReadSpan Peek() const { return {block.constData() + pos, size_t(Remaining()), Remaining()}; }

    u32 Read(void* data, u32 n)
    {
        if (Remaining() < n)
            return RC_SHORT_READ;
        if (n == 0)
            return 0;
        std::memcpy(data, block.constData() + pos, n);
        pos += n;
        return 0;
    }

    u32 Write(const void* data, u32 n)
    {
        if (n == 0)
            return 0;
        const qsizetype end = pos + qsizetype(n);
        if (end > block.size()) {
            if (end > block.capacity())
                block.reserve(std::max(end, 2 * block.capacity()));
            block.resize(end);
        }
        std::memcpy(block.data() + pos, data, n);
        pos = end;
        return 0;
    }
};

CDataFile::CDataFile() = default;

CDataFile::~CDataFile()
{
    Close();
}

u32 CDataFile::GetFullPath(std::string& path, const char* name)
{
    path = ProgramFolder::FilePathUtf8(name);
    return 0;
}

DataFileHandle* CDataFile::HandleOf(DataFileKind kind) const
{
    switch (kind) {
    case DFK_DATA:
        return m_hDataFile.get();
    case DFK_NONDATA:
        return m_hNonDataFile.get();
    case DFK_EXPORT:
        return m_hExtraFile.get();
    default:
        return nullptr;
    }
}

u32 CDataFile::Open()
{
    if (m_folderLock < 0) {
        std::string folder;
        GetFullPath(folder, nullptr);
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            const u32 error = LastError();
            ShowFileError(error, folder);
            return error;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int lockError = errno;
            ::close(fd);
            m_lockedOut = true;
            // Only another run holds the lock; a folder that cannot be
            // locked at all gets the system's words.
            if (lockError == EWOULDBLOCK) {
                MsgStopText(FormatResString(kMsgFolderInUse, ProgramFolder::Path().toStdString()));
                return ERROR_SHARING_VIOLATION;
            }
            const u32 error = ErrorFromErrno(lockError);
            ShowFileError(error, folder);
            return error;
        }
        m_folderLock = fd;
        ProgramFolder::MakePrivate();
        RemoveSaveLeftovers(folder);
        std::string backup;
        GetFullPath(backup, kBackupFolder);
        RemoveSaveLeftovers(backup);
        // A file saved through a symbolic link is saved beside the file the
        // link names: its leftovers are there.
        for (const char* name : {kDataFileName, kNonDataFileName, kDataCopyName}) {
            std::string path;
            std::string target;
            GetFullPath(path, name);
            if (SaveTargetOf(path, target) == 0 && target != path)
                RemoveSaveLeftovers(FolderOf(target), target.substr(target.rfind('/') + 1));
        }
    }
    if (const u32 error
        = OpenDataFile(kDataFileName, kDataCopyName, m_hDataFile, DFF_DATA_EXISTED, DFF_DATA_CREATED))
        return error;
    return OpenDataFile(kNonDataFileName, nullptr, m_hNonDataFile, DFF_NONDATA_EXISTED, DFF_NONDATA_CREATED);
}

u32 CDataFile::OpenDataFile(const char* name, const char* copyName, std::unique_ptr<DataFileHandle>& handle,
    u32 existedFlag, u32 createdFlag)
{
    std::string path;
    GetFullPath(path, name);
    // A link that leads nowhere is the user's to mend: a restored copy or a
    // new empty file must not take its place unannounced.
    std::string target;
    if (const u32 error = SaveTargetOf(path, target)) {
        ShowFileError(error, path);
        return error;
    }
    std::string copyPath;
    bool copyExists = false;
    if (copyName) {
        GetFullPath(copyPath, copyName);
        copyExists = IsFileWithData(copyPath);
    }
    int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    const bool missing = fd < 0 && errno == ENOENT;
    struct stat st;
    const bool empty = missing || (fd >= 0 && ::fstat(fd, &st) == 0 && st.st_size == 0);
    // A data file missing or left empty by a crash holds nothing the copy
    // lacks: the copy is read in its place. The data file is written only by
    // the first save, which follows only a load that worked, so a copy that
    // does not read leaves both files as they were.
    if (copyExists && empty) {
        const int copyFd = ::open(copyPath.c_str(), O_RDONLY | O_CLOEXEC);
        if (copyFd >= 0) {
            if (fd >= 0)
                ::close(fd);
            handle = std::make_unique<DataFileHandle>(path, copyFd, copyPath);
            m_readFromCopy = true;
            m_dwFlags |= existedFlag;
            return 0;
        }
    }
    if (missing)
        fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        const u32 error = LastError();
        ShowFileError(error, path);
        return error;
    }
    handle = std::make_unique<DataFileHandle>(path, fd);
    if (handle->Remaining() > 0) {
        m_dwFlags |= existedFlag;
    } else {
        m_dwFlags |= createdFlag;
        m_keepCopy = m_keepCopy || copyExists;
    }
    return 0;
}

u32 CDataFile::Close()
{
    m_dwFlags = 0;
    if (m_hDataFile && !m_checkOnly) {
        const bool saved = m_hDataFile->SavedClean();
        const std::string dataPath = m_hDataFile->Path();
        m_hDataFile.reset();
        std::string copyPath;
        GetFullPath(copyPath, kDataCopyName);
        if (m_dataLoaded && saved && !m_keepCopy) {
            if (const u32 error = CopyFileAtomic(dataPath, copyPath))
                ReportFailedCopy(copyPath, error, "The data file \"" + dataPath + "\" is saved.");
        } else if (IsFileWithData(copyPath)) {
            std::string backupPath;
            GetFullPath(backupPath, kBackupFolder);
            const std::string kept = "The data file \"" + dataPath + "\" and its copy \"" + copyPath
                + "\" are kept as they were.";
            if (const u32 error = MakeBackupFolder(backupPath))
                ReportFailedCopy(backupPath, error, kept);
            else if (const u32 error = CopyFileAtomic(copyPath, backupPath + '/' + kDataCopyName))
                ReportFailedCopy(backupPath + '/' + kDataCopyName, error, kept);
        }
    }
    m_hDataFile.reset();
    m_hExtraFile.reset();
    m_hNonDataFile.reset();
    m_memory.reset();
    if (m_folderLock >= 0)
        ::close(m_folderLock);
    m_folderLock = -1;
    m_keepCopy = false;
    m_readFromCopy = false;
    m_checkOnly = false;
    m_dataLoaded = false;
    return 0;
}

u32 CDataFile::OpenToCheck(const std::string& path)
{
    if (m_hDataFile || m_hNonDataFile)
        return ERROR_ALREADY_EXISTS;
    const int fd = OpenRegularFileForReading(path);
    if (fd < 0)
        return LastError();
    m_hDataFile = std::make_unique<DataFileHandle>(path, fd);
    m_checkOnly = true;
    m_dwFlags = m_hDataFile->Remaining() > 0 ? DFF_DATA_EXISTED : DFF_DATA_CREATED;
    return 0;
}

u32 CDataFile::MakeBackupFolder(const std::string& path)
{
    struct stat st;
    if (::mkdir(path.c_str(), 0700) == 0)
        return 0;
    if (errno != EEXIST)
        return LastError();
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? 0 : ERROR_ALREADY_EXISTS;
}

u32 CDataFile::KeepInBackup(DataFileKind kind, std::string& failed)
{
    const DataFileHandle* handle = HandleOf(kind);
    if (!handle || m_checkOnly)
        return ERROR_INVALID_HANDLE;
    std::string backupPath;
    GetFullPath(backupPath, kBackupFolder);
    failed = backupPath;
    if (const u32 error = MakeBackupFolder(backupPath))
        return error;
    // What was read, under the name of the file it was read from: the copy
    // "tolva.rd0" when it stood in for a missing or empty data file.
    const std::string& read = handle->ReadPath();
    std::vector<std::pair<std::string, std::string>> copies{{read, read.substr(read.rfind('/'))}};
    // The copy of the data file is refreshed from the mended store at the
    // end of the run, and it holds the last version written before the
    // damage: it is kept too.
    std::string copyPath;
    GetFullPath(copyPath, kDataCopyName);
    if (kind == DFK_DATA && read != copyPath && IsFileWithData(copyPath))
        copies.emplace_back(copyPath, std::string("/") + kDataCopyName);
    for (const auto& [source, name] : copies) {
        failed = backupPath + name;
        if (const u32 error = CopyFileAtomic(source, failed))
            return error;
    }
    failed.clear();
    return 0;
}

std::string CDataFile::PathOf(DataFileKind kind) const
{
    const DataFileHandle* handle = HandleOf(kind);
    return handle ? handle->Path() : std::string();
}

std::string CDataFile::ReadPathOf(DataFileKind kind) const
{
    const DataFileHandle* handle = HandleOf(kind);
    return handle ? handle->ReadPath() : std::string();
}

bool CDataFile::HoldsAsRead(DataFileKind kind, std::string_view bytes) const
{
    const DataFileHandle* handle = HandleOf(kind);
    return handle && handle->Holds(bytes);
}

void CDataFile::ReportFailedCopy(const std::string& path, u32 error, const std::string& kept)
{
    const std::string text = "\"" + path + "\" could not be written:\n" + ErrorText(error) + "\n" + kept;
    MsgStopLogged(text);
}

u32 CDataFile::Read(DataFileKind kind, void* buffer, u32 n, DataFileHandle* handle)
{
    if (!handle && kind == DFK_MEMORY)
        return m_memory ? m_memory->Read(buffer, n) : RC_MISSING;
    return ReadRaw(handle ? handle : HandleOf(kind), buffer, n);
}

u32 CDataFile::Write(DataFileKind kind, const void* buffer, u32 n, DataFileHandle* handle)
{
    if (!handle && kind == DFK_MEMORY)
        return m_memory ? m_memory->Write(buffer, n) : RC_MISSING;
    return WriteRaw(handle ? handle : HandleOf(kind), buffer, n);
}

u32 CDataFile::ReadRaw(DataFileHandle* handle, void* buffer, u32 n)
{
    if (n == 0)
        return 0;
    return handle ? handle->Read(buffer, n) : ERROR_INVALID_HANDLE;
}

u32 CDataFile::WriteRaw(DataFileHandle* handle, const void* buffer, u32 n)
{
    if (n == 0)
        return 0;
    return handle ? handle->Write(buffer, n) : ERROR_INVALID_HANDLE;
}

u32 CDataFile::ReadAhead(DataFileKind kind, void* buffer, u32 n)
{
    if (kind != DFK_MEMORY) {
        DataFileHandle* file = HandleOf(kind);
        return file ? file->ReadAhead(buffer, n) : ERROR_INVALID_HANDLE;
    }
    if (!m_memory)
        return RC_MISSING;
    const qsizetype at = m_memory->pos;
    const u32 error = m_memory->Read(buffer, n);
    m_memory->pos = at;
    return error;
}

u32 CDataFile::CheckAvailable(DataFileKind kind, u64 n, DataFileHandle* handle)
{
    u64 remaining = 0;
    if (!handle && kind == DFK_MEMORY) {
        if (!m_memory)
            return RC_MISSING;
        remaining = m_memory->Remaining();
    } else if (DataFileHandle* file = handle ? handle : HandleOf(kind)) {
        remaining = file->Remaining();
    } else {
        return ERROR_INVALID_HANDLE;
    }
    return remaining >= n ? 0 : RC_SHORT_READ;
}

CDataFile::ReadSpan CDataFile::Peek(DataFileKind kind, DataFileHandle* handle)
{
    if (!handle && kind == DFK_MEMORY)
        return m_memory ? m_memory->Peek() : ReadSpan{};
    DataFileHandle* file = handle ? handle : HandleOf(kind);
    return file ? file->Peek() : ReadSpan{};
}

void CDataFile::Skip(DataFileKind kind, size_t n, DataFileHandle* handle)
{
    if (!handle && kind == DFK_MEMORY) {
        if (m_memory)
            m_memory->pos += qsizetype(n);
    } else if (DataFileHandle* file = handle ? handle : HandleOf(kind)) {
        file->Skip(n);
    }
}

CDataFile::WriteSpan CDataFile::WriteSpace(DataFileKind kind, DataFileHandle* handle)
{
    if (!handle && kind == DFK_MEMORY)
        return {};
    DataFileHandle* file = handle ? handle : HandleOf(kind);
    return file ? file->WriteSpace() : WriteSpan{};
}

void CDataFile::Commit(DataFileKind kind, size_t n, DataFileHandle* handle)
{
    if (!handle && kind == DFK_MEMORY)
        return;
    if (DataFileHandle* file = handle ? handle : HandleOf(kind))
        file->Commit(n);
}

u32 CDataFile::Rewind(DataFileKind kind, DataFileHandle* handle)
{
    if (!handle && kind == DFK_MEMORY) {
        if (!m_memory)
            return RC_MISSING;
        m_memory->pos = 0;
        return 0;
    }
    DataFileHandle* file = handle ? handle : HandleOf(kind);
    return file ? file->Rewind() : ERROR_INVALID_HANDLE;
}

u32 CDataFile::SetEnd(DataFileKind kind, DataFileHandle* handle)
{
    if (!handle && kind == DFK_MEMORY) {
        if (!m_memory)
            return RC_MISSING;
        m_memory->block.truncate(m_memory->pos);
        return 0;
    }
    DataFileHandle* file = handle ? handle : HandleOf(kind);
    return file ? file->Finish() : ERROR_INVALID_HANDLE;
}

u32 CDataFile::Flush(DataFileKind kind, DataFileHandle* handle)
{
    if (!handle && kind == DFK_MEMORY)
        return m_memory ? 0 : RC_MISSING;
    DataFileHandle* file = handle ? handle : HandleOf(kind);
    return file ? file->Flush() : ERROR_INVALID_HANDLE;
}

u32 CDataFile::OpenExtra(const std::string& path, bool forReading)
{
    if (m_hExtraFile)
        CloseExtra();
    u32 error = 0;
    if (forReading) {
        const int fd = OpenRegularFileForReading(path);
        struct stat st;
        if (fd < 0)
            error = LastError();
        else if (::fstat(fd, &st) != 0)
            error = LastError();
        else if (S_ISDIR(st.st_mode))
            error = ERROR_DIRECTORY;
        if (!error)
            m_hExtraFile = std::make_unique<DataFileHandle>(path, fd);
        else if (fd >= 0)
            ::close(fd);
    } else {
        auto handle = std::make_unique<DataFileHandle>(path, -1);
        error = handle->StartSave();
        if (!error)
            m_hExtraFile = std::move(handle);
    }
    if (error)
        ShowFileError(error, path);
    return error;
}

u32 CDataFile::CloseExtra()
{
    if (!m_hExtraFile)
        return 0;
    const u32 error = m_hExtraFile->Finish();
    m_hExtraFile.reset();
    if (error)
        ShowFileError(error, "");
    return error;
}

void CDataFile::DiscardExtra()
{
    m_hExtraFile.reset();
}

int CDataFile::TestOpen(const std::string& path, u32 access, u32 disposition)
{
    int flags = O_CLOEXEC;
    if ((access & GENERIC_READ) && (access & GENERIC_WRITE))
        flags |= O_RDWR;
    else if (access & GENERIC_WRITE)
        flags |= O_WRONLY;
    if (disposition == CREATE_NEW)
        flags |= O_CREAT | O_EXCL;
    else if (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS)
        flags |= O_CREAT;
    const int fd = ::open(path.c_str(), flags, 0600);
    if (fd < 0) {
        ShowFileError(LastError(), path);
        return 0;
    }
    ::close(fd);
    return 1;
}

u32 CDataFile::ResetMemory()
{
    m_memory = std::make_unique<MemoryChannel>();
    return 0;
}

u32 CDataFile::AttachMemory(const QByteArray& block)
{
    ResetMemory();
    m_memory->block = block;
    return 0;
}

QByteArray CDataFile::DetachMemory()
{
    if (!m_memory)
        return {};
    QByteArray block = std::move(m_memory->block);
    m_memory.reset();
    return block;
}
