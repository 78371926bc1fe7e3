#include "platform/regularfile.h"

#include "res/strings.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int OpenRegularFileForReading(const std::string& path)
{
    // Without O_NONBLOCK the open of a FIFO itself waits for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return -1;
    struct stat st;
    const bool known = ::fstat(fd, &st) == 0;
    if (!known || !S_ISREG(st.st_mode)) {
        const int error = known ? kNotRegularFileErrno : errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

bool CRegularFile::open(OpenMode mode)
{
    if (mode & (WriteOnly | Append))
        return QFile::open(mode);
    const int fd = OpenRegularFileForReading(QFile::encodeName(fileName()).toStdString());
    if (fd < 0) {
        const int error = errno;
        setErrorString(error == kNotRegularFileErrno ? QStringLiteral("It is " TOLVA_NOT_ORDINARY_FILE ".")
                                                     : QString::fromLocal8Bit(std::strerror(error)));
        errno = error;
        return false;
    }
    if (!QFile::open(fd, mode, AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
}
