#include "platform/syserror.h"

#include "res/strings.h"

#include <cerrno>
#include <sys/stat.h>

u32 ErrorFromErrno(int err)
{
    switch (err) {
    case 0:
        return ERROR_SUCCESS;
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case EMFILE:
    case ENFILE:
        return ERROR_TOO_MANY_OPEN_FILES;
    case EACCES:
    case EPERM:
        return ERROR_ACCESS_DENIED;
    case EISDIR:
        return ERROR_DIRECTORY;
    case ENODEV:  // kNotRegularFileErrno
        return ERROR_BAD_FILE_TYPE;
    case ELOOP:
        return ERROR_CANT_RESOLVE_FILENAME;
    case EBADF:
        return ERROR_INVALID_HANDLE;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case EROFS:
        return ERROR_WRITE_PROTECT;
    case EBUSY:
    case EWOULDBLOCK:
        return ERROR_SHARING_VIOLATION;
    case EEXIST:
        return ERROR_FILE_EXISTS;
    case EINVAL:
        return ERROR_INVALID_PARAMETER;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return ERROR_DISK_FULL;
    case ENAMETOOLONG:
        return ERROR_FILENAME_EXCED_RANGE;
    default:
        return ERROR_INVALID_FUNCTION;
    }
}

u32 BrokenLinkError(const std::string& path)
{
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode) || ::stat(path.c_str(), &st) == 0)
        return 0;
    return errno == ENOENT ? ERROR_CANT_ACCESS_FILE : ErrorFromErrno(errno);
}

u32 ErrorFromFileDevice(QFileDevice::FileError err, int fallbackErrno)
{
    if (fallbackErrno != 0)
        return ErrorFromErrno(fallbackErrno);
    switch (err) {
    case QFileDevice::NoError:
        return ERROR_SUCCESS;
    case QFileDevice::PermissionsError:
        return ERROR_ACCESS_DENIED;
    case QFileDevice::OpenError:
        return ERROR_FILE_NOT_FOUND;
    case QFileDevice::ResourceError:
        return ERROR_DISK_FULL;
    default:
        return ERROR_INVALID_FUNCTION;
    }
}

std::string SystemErrorText(u32 code)
{
    switch (code) {
    case ERROR_SUCCESS:
        return "The operation completed successfully.";
    case ERROR_FILE_NOT_FOUND:
        return "The system cannot find the file specified.";
    case ERROR_PATH_NOT_FOUND:
        return "The system cannot find the path specified.";
    case ERROR_TOO_MANY_OPEN_FILES:
        return "The system cannot open the file.";
    case ERROR_ACCESS_DENIED:
        return "Access is denied.";
    case ERROR_INVALID_HANDLE:
        return "The handle is invalid.";
    case ERROR_NOT_ENOUGH_MEMORY:
        return "Not enough storage is available to process this command.";
    case ERROR_WRITE_PROTECT:
        return "The media is write protected.";
    case ERROR_SHARING_VIOLATION:
        return "The process cannot access the file because it is being used by another process.";
    case ERROR_HANDLE_EOF:
        return "Reached the end of the file.";
    case ERROR_FILE_EXISTS:
        return "The file exists.";
    case ERROR_INVALID_PARAMETER:
        return "The parameter is incorrect.";
    case ERROR_DISK_FULL:
        return "There is not enough space on the disk.";
    case ERROR_INVALID_NAME:
        return "The filename, directory name, or volume label syntax is incorrect.";
    case ERROR_ALREADY_EXISTS:
        return "Cannot create a file when that file already exists.";
    case ERROR_FILENAME_EXCED_RANGE:
        return "The filename or extension is too long.";
    case ERROR_DIRECTORY:
        return "The name is that of a folder, not of a file.";
    case ERROR_BAD_FILE_TYPE:
        return "It is " TOLVA_NOT_ORDINARY_FILE ".";
    case ERROR_CANT_ACCESS_FILE:
        return "The name is a symbolic link to a file that does not exist.";
    case ERROR_CANT_RESOLVE_FILENAME:
        return "The name cannot be followed: its symbolic links lead round in a loop.";
    default:
        return {};
    }
}
