// Delimited text: records of fields separated by a comma, a tab or a
// character the user chooses, with fields in double quotes where they hold
// the separator, a quote or a line break. The "Windows" variants are UTF-8
// (bytes that are not UTF-8 are read as Windows-1252); the "DOS" variants,
// chosen by the oem flag, are code page 437.
#pragma once

#include "platform/wintypes.h"

#include <QtGlobal>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class QIODevice;
class QObject;

class DelimitedTextFile {
public:
    // A longer field (an unclosed quote, or not a text file) stops reading.
    static constexpr size_t kMaxFieldBytes = 1 << 20;

    // Reads from or writes to a device the caller opened and keeps.
    explicit DelimitedTextFile(QIODevice& device);
    // Writes what is still buffered.
    ~DelimitedTextFile();
    DelimitedTextFile(const DelimitedTextFile&) = delete;
    DelimitedTextFile& operator=(const DelimitedTextFile&) = delete;

    // One field, decoded to UTF-8. A record ends at CR LF or a lone LF
    // outside quotes; the end of the file ends the last record. False when
    // the file cannot be read as text (Error() says why): a read error,
    // a NUL byte, UTF-16 text, a field longer than kMaxFieldBytes.
    bool ReadField(char separator, std::string& field, bool& endOfRecord, bool& endOfFile, bool oem);
    // The fields of one record.
    bool ReadRecord(char separator, std::vector<std::string>& fields, bool& endOfFile, bool oem);

    // One field followed by the separator, or by CR LF when it is the last of
    // its record. False when the device fails (Error() says why).
    bool WriteField(char separator, std::string_view text, bool last, bool oem);
    bool WriteRecord(char separator, std::span<const std::string> fields, bool oem);
    // Bytes as they are (a vCard written to the same file).
    bool Write(std::string_view bytes);
    bool Flush();

    const std::string& Error() const { return m_error; }
    // The fields written so far that had characters the DOS code page lacks.
    std::size_t LossyFields() const { return m_lossyFields; }

private:
    // The next byte, or -1 at the end of the data or on a read error.
    int ReadChar();
    int PeekChar();
    bool Fill();
    bool Fail(std::string text);

    QIODevice& m_device;
    std::vector<char> m_in;
    size_t m_inPos = 0;
    size_t m_inCount = 0;
    qint64 m_offset = 0;  // of the next byte, for messages
    bool m_started = false;
    bool m_failed = false;
    std::string m_out;
    std::string m_error;
    std::size_t m_lossyFields = 0;
};

// Field captions as the first record of an export: the text of each field
// id in the string table.
bool WriteHeaderLine(DelimitedTextFile& file, char separator, std::span<const u32> fieldIds, bool oem);

// File exception causes as the design numbers them.
enum FileCause : int {
    kFileNone = 0,
    kFileGeneric = 1,
    kFileNotFound = 2,
    kFileBadPath = 3,
    kFileTooManyOpen = 4,
    kFileAccessDenied = 5,
    kFileInvalid = 6,
    kFileBadSeek = 9,
    kFileHardIO = 10,
    kFileSharingViolation = 11,
    kFileLockViolation = 12,
    kFileDiskFull = 13,
    kFileEndOfFile = 14,
    // A pipe, a device or a folder where a file was expected: no read or
    // write of it would end the way a file's does.
    kFileNotOrdinary = 15,
};

// The cause for a system error code (platform/syserror.h).
int FileCauseFromError(u32 error);
// The string id of a cause's message; 59127 for causes without one.
u32 FileErrorStringId(int cause);
// Shows the text of stringId, the file name, an empty line and the cause's
// message, with the stop icon.
void ReportFileException(QObject* owner, u32 stringId, const std::string& fileName, int cause);
