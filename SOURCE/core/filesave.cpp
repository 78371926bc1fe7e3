#include "core/filesave.h"

#include "core/utilities.h"
#include "platform/syserror.h"

#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace filesave {

u32 LastError()
{
    return ErrorFromErrno(errno);
}

u32 WriteAll(int fd, const char* data, size_t n)
{
    while (n > 0) {
        const ssize_t done = ::write(fd, data, n);
        if (done < 0) {
            if (errno == EINTR)
                continue;
            return LastError();
        }
        if (done == 0)
            return RC_SHORT_WRITE;
        data += done;
        n -= size_t(done);
    }
    return 0;
}

// Reads up to n bytes at an offset; the count read, or -1 with errno set.
ssize_t ReadAt(int fd, char* data, size_t n, u64 offset)
{
    ssize_t done;
    do
        done = ::pread(fd, data, n, off_t(offset));
    while (done < 0 && errno == EINTR);
    return done;
}

bool IsFileWithData(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0;
}

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

bool IsSaveLeftover(const std::string& name)
{
    const size_t marker = name.find(kSaveMarker);
    const size_t suffix = std::strlen(kSaveSuffix);
    if (marker == std::string::npos || marker == 0 || name.size() < suffix
        || name.compare(name.size() - suffix, suffix, kSaveSuffix) != 0)
        return false;
    const std::string numbers = name.substr(
        marker + std::strlen(kSaveMarker), name.size() - suffix - marker - std::strlen(kSaveMarker));
    return !numbers.empty() && numbers.find_first_not_of("0123456789-") == std::string::npos;
}

// Removes the temporary files of saves that never finished from a folder.
// Only while the program folder is locked: then no other run is saving.
// With a file name, only the leftovers of saves of that file.
void RemoveSaveLeftovers(const std::string& folder, const std::string& only)
{
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (!IsSaveLeftover(name)
            || (!only.empty()
                && name.compare(0, only.size() + std::strlen(kSaveMarker), only + kSaveMarker) != 0))
            continue;
        const std::string path = folder + '/' + name;
        struct stat st;
        if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
            ::unlink(path.c_str());
    }
    ::closedir(dir);
}

// The file a save of the path replaces: the path itself, or for a symbolic
// link the file it leads to, so that the link stays and the file it names
// is saved. A link that leads nowhere or round in a loop cannot be saved
// through.
u32 SaveTargetOf(const std::string& path, std::string& target)
{
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
        target = path;
        return 0;
    }
    if (const u32 error = BrokenLinkError(path))
        return error;
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved)
        return LastError();
    target = resolved;
    std::free(resolved);
    return 0;
}

u32 CopyFileAtomic(const std::string& source, const std::string& target)
{
    const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return LastError();
    PendingFile out(target);
    out.TakeModeOf(in);
    // Not cleared first: every byte written was read just before.
    const auto buffer = std::make_unique_for_overwrite<char[]>(kBufferSize);
    u64 offset = 0;
    u32 error = out.Error();
    while (!error) {
        const ssize_t done = ReadAt(in, buffer.get(), kBufferSize, offset);
        if (done < 0)
            error = LastError();
        else if (done == 0)
            break;
        else
            error = out.Write(buffer.get(), size_t(done));
        offset += u64(std::max<ssize_t>(done, 0));
    }
    ::close(in);
    int fd = -1;
    u64 size = 0;
    if (!error)
        error = out.Commit(fd, size);
    if (fd >= 0)
        ::close(fd);
    return error;
}

}  // namespace filesave
