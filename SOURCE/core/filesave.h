// The files beneath the data files: whole writes and reads of a descriptor,
// a new version of a file written beside it and renamed over it, copies
// made the same way, and the temporaries a killed save leaves behind.
#pragma once

#include "core/datafile.h"
#include "platform/syserror.h"
#include "platform/wintypes.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace filesave {

// Reads and writes go through buffers of this size: records move a few bytes
// at a time.
constexpr size_t kBufferSize = 256 * 1024;

// The temporary files of a save are named after their target with this
// between the name and the process and save numbers, so that the ones a
// killed run left behind can be told from any other file.
constexpr const char* kSaveMarker = ".tolva-save-";
constexpr const char* kSaveSuffix = ".tmp";

// The error code of errno.
u32 LastError();
// Writes all n bytes, going on after short writes and interruptions.
u32 WriteAll(int fd, const char* data, size_t n);
// Reads up to n bytes at an offset; the count read, or -1 with errno set.
ssize_t ReadAt(int fd, char* data, size_t n, u64 offset);
bool IsFileWithData(const std::string& path);
std::string FolderOf(const std::string& path);
// Whether a file name is one of a save's temporaries.
bool IsSaveLeftover(const std::string& name);
// Removes the temporary files of saves that never finished from a folder.
// Only while the program folder is locked: then no other run is saving.
// With a file name, only the leftovers of saves of that file.
void RemoveSaveLeftovers(const std::string& folder, const std::string& only = {});
// The file a save of the path replaces: the path itself, or for a symbolic
// link the file it leads to, so that the link stays and the file it names
// is saved. A link that leads nowhere or round in a loop cannot be saved
// through.
u32 SaveTargetOf(const std::string& path, std::string& target);
// Copies a file the way a save writes one: the copy replaces the target
// only once it is whole, and takes the source's mode.
u32 CopyFileAtomic(const std::string& source, const std::string& target);

// A new version of a file, written into a temporary file beside it and
// renamed over it once it is complete and on the disk.
class PendingFile {
public:
    explicit PendingFile(std::string path)
        : m_path(std::move(path))
    {
        m_error = Begin();
    }
    ~PendingFile() { Discard(); }
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    u32 Error() const { return m_error; }

    u32 Write(const void* data, size_t n)
    {
        if (m_error)
            return m_error;
        if (m_used + n > kBufferSize)
            m_error = FlushBuffer();
        if (!m_error && n >= kBufferSize) {
            m_error = WriteAll(m_fd, static_cast<const char*>(data), n);
        } else if (!m_error) {
            std::memcpy(m_buffer.get() + m_used, data, n);
            m_used += n;
        }
        if (m_error)
            Discard();  // the version can no longer be finished; keep no half file
        else
            m_size += n;
        return m_error;
    }

    // Free room at the end of the buffer, flushing it when full.
    CDataFile::WriteSpan Space()
    {
        if (!m_error && m_used == kBufferSize)
            m_error = FlushBuffer();
        if (m_error || m_fd < 0) {
            Discard();
            return {};
        }
        return {m_buffer.get() + m_used, kBufferSize - m_used};
    }
    void Commit(size_t n)
    {
        m_used += n;
        m_size += n;
    }

    // Back to an empty version; a failure so far is forgotten.
    void Restart()
    {
        m_used = 0;
        m_size = 0;
        if (m_fd < 0)
            m_error = Begin();
        else if (::ftruncate(m_fd, 0) != 0 || ::lseek(m_fd, 0, SEEK_SET) != 0)
            m_error = LastError();
        else
            m_error = 0;
        if (m_error)
            Discard();
    }

    // Puts the version in the target's place; on success hands over the
    // descriptor of the new file, else the target is as it was.
    u32 Commit(int& fd, u64& size)
    {
        if (!m_error)
            m_error = FlushBuffer();
        if (!m_error && ::fsync(m_fd) != 0)
            m_error = LastError();
        if (!m_error && ::rename(m_temp.c_str(), m_target.c_str()) != 0)
            m_error = LastError();
        if (m_error) {
            const u32 error = m_error;
            Discard();
            return error;
        }
        // The rename itself must reach the disk before the old file is gone
        // for good.
        const int folder = ::open(FolderOf(m_target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folder >= 0) {
            ::fsync(folder);
            ::close(folder);
        }
        m_temp.clear();
        fd = m_fd;
        size = m_size;
        m_fd = -1;
        return 0;
    }

    // A copy is as private as the file it copies.
    void TakeModeOf(int fd)
    {
        struct stat st;
        if (m_fd >= 0 && ::fstat(fd, &st) == 0)
            ::fchmod(m_fd, st.st_mode & 07777);
    }

private:
    // The link, if the path is one, is followed anew at each start.
    u32 Begin()
    {
        const u32 error = SaveTargetOf(m_path, m_target);
        return error ? error : Create();
    }

    u32 Create()
    {
        static unsigned counter = 0;
        for (int attempt = 0; attempt < 100; ++attempt) {
            m_temp = m_target + kSaveMarker + std::to_string(::getpid()) + '-' + std::to_string(++counter)
                + kSaveSuffix;
            // Private to the user until it is known whose file it replaces.
            m_fd = ::open(m_temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            if (m_fd >= 0)
                break;
            if (errno != EEXIST) {
                m_temp.clear();
                return LastError();
            }
        }
        if (m_fd < 0) {
            m_temp.clear();
            return ERROR_FILE_EXISTS;
        }
        struct stat st;
        if (::stat(m_target.c_str(), &st) == 0)
            ::fchmod(m_fd, st.st_mode & 07777);
        return 0;
    }

    u32 FlushBuffer()
    {
        const u32 error = WriteAll(m_fd, m_buffer.get(), m_used);
        m_used = 0;
        return error;
    }

    void Discard()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
        if (!m_temp.empty())
            ::unlink(m_temp.c_str());
        m_temp.clear();
    }

    std::string m_path;
    std::string m_target;
    std::string m_temp;
    int m_fd = -1;
    std::unique_ptr<char[]> m_buffer = std::make_unique_for_overwrite<char[]>(kBufferSize);
    size_t m_used = 0;
    u64 m_size = 0;
    u32 m_error = 0;
};

}  // namespace filesave
