// Files named by the user or by a data file (pictures, import files, label
// files, telephony scripts, dropped files) are read only when they are
// regular files: opening a FIFO blocks until a writer comes, and a device may
// never end, so either would freeze the program. Anything else is refused
// with a plain error.
#pragma once

#include <QFile>
#include <cerrno>
#include <string>

// errno after a refusal; ErrorFromErrno maps it to ERROR_BAD_FILE_TYPE.
constexpr int kNotRegularFileErrno = ENODEV;

// A descriptor open for reading, or -1 with errno set (kNotRegularFileErrno
// for a folder, FIFO, device or socket). Never blocks on the file's kind.
int OpenRegularFileForReading(const std::string& path);

// A QFile that opens for reading only a regular file; a refusal leaves a
// plain errorString() and errno set as above. Opening for writing is QFile's.
class CRegularFile : public QFile {
public:
    using QFile::open;
    using QFile::QFile;
    bool open(OpenMode mode) override;
};
