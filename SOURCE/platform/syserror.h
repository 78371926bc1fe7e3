// System error codes as the file layer reports them, and their texts.
// C library and Qt failures are mapped onto these numbers in one place.
#pragma once

#include "platform/wintypes.h"

#include <QFileDevice>
#include <string>

constexpr u32 ERROR_SUCCESS = 0;
constexpr u32 ERROR_INVALID_FUNCTION = 1;
constexpr u32 ERROR_FILE_NOT_FOUND = 2;
constexpr u32 ERROR_PATH_NOT_FOUND = 3;
constexpr u32 ERROR_TOO_MANY_OPEN_FILES = 4;
constexpr u32 ERROR_ACCESS_DENIED = 5;
constexpr u32 ERROR_INVALID_HANDLE = 6;
constexpr u32 ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr u32 ERROR_WRITE_PROTECT = 19;
constexpr u32 ERROR_SHARING_VIOLATION = 32;
constexpr u32 ERROR_HANDLE_EOF = 38;
constexpr u32 ERROR_FILE_EXISTS = 80;
constexpr u32 ERROR_INVALID_PARAMETER = 87;
constexpr u32 ERROR_DISK_FULL = 112;
constexpr u32 ERROR_INVALID_NAME = 123;
constexpr u32 ERROR_ALREADY_EXISTS = 183;
constexpr u32 ERROR_FILENAME_EXCED_RANGE = 206;
// A folder, pipe, device or socket where a file to read was named.
constexpr u32 ERROR_BAD_FILE_TYPE = 222;
constexpr u32 ERROR_DIRECTORY = 267;
// A symbolic link whose target does not exist.
constexpr u32 ERROR_CANT_ACCESS_FILE = 1920;
// Symbolic links that lead round in a loop.
constexpr u32 ERROR_CANT_RESOLVE_FILENAME = 1921;

// The code of the last failed C library call (errno).
u32 ErrorFromErrno(int err);
u32 ErrorFromFileDevice(QFileDevice::FileError err, int fallbackErrno);
// For a path that is a symbolic link that leads nowhere or round in a
// loop, the code that says so; 0 for any other path.
u32 BrokenLinkError(const std::string& path);
// The system's text for a code, empty when the system has none.
std::string SystemErrorText(u32 code);
