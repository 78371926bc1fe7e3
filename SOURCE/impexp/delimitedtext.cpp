#include "impexp/delimitedtext.h"

#include "platform/codepage437.h"
#include "platform/msgbox.h"
#include "platform/syserror.h"
#include "platform/textcodec.h"
#include "res/strings.h"

#include <QIODevice>
#include <algorithm>

namespace {

constexpr size_t kReadChunk = 64 * 1024;
constexpr size_t kWriteChunk = 64 * 1024;
constexpr u32 IDS_FILE_NOT_ORDINARY = 59126;

}  // namespace

DelimitedTextFile::DelimitedTextFile(QIODevice& device)
    : m_device(device)
{
}

DelimitedTextFile::~DelimitedTextFile()
{
    Flush();
}

bool DelimitedTextFile::Fail(std::string text)
{
    if (!m_failed)
        m_error = std::move(text);
    m_failed = true;
    return false;
}

bool DelimitedTextFile::Fill()
{
    if (m_failed)
        return false;
    m_in.resize(kReadChunk);
    const qint64 got = m_device.read(m_in.data(), qint64(m_in.size()));
    if (got < 0)
        return Fail("the file could not be read: " + m_device.errorString().toStdString());
    m_inPos = 0;
    m_inCount = size_t(got);
    if (!m_started) {
        m_started = true;
        const std::string_view head(m_in.data(), m_inCount);
        if (head.starts_with("\xFF\xFE") || head.starts_with("\xFE\xFF"))
            return Fail("the file is UTF-16 text; save it as UTF-8 to import it");
        // Spreadsheets mark UTF-8 files so; the mark is not part of the first field.
        if (head.starts_with("\xEF\xBB\xBF")) {
            m_inPos = 3;
            m_offset = 3;
        }
    }
    return m_inPos < m_inCount;
}

int DelimitedTextFile::PeekChar()
{
    if (m_inPos == m_inCount && !Fill())
        return -1;
    return static_cast<unsigned char>(m_in[m_inPos]);
}

int DelimitedTextFile::ReadChar()
{
    const int c = PeekChar();
    if (c >= 0) {
        ++m_inPos;
        ++m_offset;
    }
    return c;
}

bool DelimitedTextFile::ReadField(
    char separator, std::string& field, bool& endOfRecord, bool& endOfFile, bool oem)
{
    field.clear();
    endOfRecord = endOfFile = false;
    const int sep = static_cast<unsigned char>(separator);
    bool quoted = false;
    bool first = true;
    for (;;) {
        const int c = ReadChar();
        if (c < 0) {
            if (m_failed)
                return false;
            endOfRecord = endOfFile = true;
            break;
        }
        if (c == 0)
            return Fail("the file holds a NUL byte at offset " + std::to_string(m_offset - 1)
                + " and is not a text file");
        if (quoted) {
            if (c != '"') {
                field += char(c);
            } else if (PeekChar() == '"') {
                ReadChar();
                field += '"';
            } else {
                // The closing quote; anything up to the separator is kept as text.
                quoted = false;
            }
        } else if (c == sep) {
            break;
        } else if (c == '\n') {
            endOfRecord = true;
            break;
        } else if (c == '\r' && PeekChar() == '\n') {
            ReadChar();
            endOfRecord = true;
            break;
        } else if (c == '"' && first) {
            quoted = true;
        } else {
            field += char(c);
        }
        first = false;
        if (field.size() > kMaxFieldBytes)
            return Fail("a field longer than 1 MiB ends before offset " + std::to_string(m_offset)
                + "; a quote may be missing");
    }
    if (!TextCodec::IsAscii(field))
        field = oem ? CodePage437::ToUtf8(field) : TextCodec::ToUtf8(field);
    return true;
}

bool DelimitedTextFile::ReadRecord(
    char separator, std::vector<std::string>& fields, bool& endOfFile, bool oem)
{
    fields.clear();
    bool endOfRecord = false;
    std::string field;
    while (!endOfRecord) {
        if (!ReadField(separator, field, endOfRecord, endOfFile, oem))
            return false;
        fields.push_back(std::move(field));
    }
    return true;
}

bool DelimitedTextFile::WriteField(char separator, std::string_view text, bool last, bool oem)
{
    std::size_t lost = 0;
    const std::string converted
        = oem && !TextCodec::IsAscii(text) ? CodePage437::FromUtf8(text, &lost) : std::string();
    if (lost)
        ++m_lossyFields;
    if (!converted.empty())
        text = converted;
    // Commas always quote, as spreadsheets expect; otherwise only what would
    // not read back: the separator, a quote, a tab, a line break, or a
    // byte-order mark that would be taken for the file's own.
    const bool quote = !text.empty()
        && (separator == ',' || text.find_first_of("\"\t\r\n") != text.npos
            || text.find(separator) != text.npos || text.starts_with("\xEF\xBB\xBF"));
    if (quote) {
        m_out += '"';
        for (const char c : text) {
            if (c == '"')
                m_out += '"';
            m_out += c;
        }
        m_out += '"';
    } else {
        m_out += text;
    }
    if (last)
        m_out += "\r\n";
    else
        m_out += separator;
    return m_out.size() < kWriteChunk || Flush();
}

bool DelimitedTextFile::WriteRecord(char separator, std::span<const std::string> fields, bool oem)
{
    for (size_t i = 0; i < fields.size(); ++i)
        if (!WriteField(separator, fields[i], i + 1 == fields.size(), oem))
            return false;
    return true;
}

bool DelimitedTextFile::Write(std::string_view bytes)
{
    m_out += bytes;
    return m_out.size() < kWriteChunk || Flush();
}

bool DelimitedTextFile::Flush()
{
    if (m_out.empty())
        return !m_failed;
    const qint64 wrote = m_failed ? -1 : m_device.write(m_out.data(), qint64(m_out.size()));
    const bool ok = wrote == qint64(m_out.size());
    m_out.clear();
    if (!ok)
        return Fail("the file could not be written: " + m_device.errorString().toStdString());
    return true;
}

bool WriteHeaderLine(DelimitedTextFile& file, char separator, std::span<const u32> fieldIds, bool oem)
{
    for (size_t i = 0; i < fieldIds.size(); ++i) {
        const char* caption = FindResString(fieldIds[i]);
        if (!file.WriteField(separator, caption ? caption : "", i + 1 == fieldIds.size(), oem))
            return false;
    }
    return true;
}

int FileCauseFromError(u32 error)
{
    switch (error) {
    case ERROR_SUCCESS:
        return kFileNone;
    case ERROR_FILE_NOT_FOUND:
        return kFileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_FILENAME_EXCED_RANGE:
        return kFileBadPath;
    case ERROR_TOO_MANY_OPEN_FILES:
        return kFileTooManyOpen;
    case ERROR_ACCESS_DENIED:
    case ERROR_DIRECTORY:
    case ERROR_WRITE_PROTECT:
        return kFileAccessDenied;
    case ERROR_BAD_FILE_TYPE:
        return kFileNotOrdinary;
    case ERROR_INVALID_HANDLE:
        return kFileInvalid;
    case ERROR_SHARING_VIOLATION:
        return kFileSharingViolation;
    case ERROR_DISK_FULL:
        return kFileDiskFull;
    case ERROR_HANDLE_EOF:
        return kFileEndOfFile;
    default:
        return kFileGeneric;
    }
}

u32 FileErrorStringId(int cause)
{
    // Causes with a message, in the order of their strings.
    constexpr int kCauses[] = {kFileGeneric, kFileNotFound, kFileBadPath, kFileTooManyOpen, kFileAccessDenied,
        kFileInvalid, kFileBadSeek, kFileHardIO, kFileSharingViolation, kFileLockViolation, kFileEndOfFile};
    constexpr u32 kFirstId = 59128;
    if (cause == kFileNotOrdinary)
        return IDS_FILE_NOT_ORDINARY;
    const auto it = std::find(std::begin(kCauses), std::end(kCauses), cause);
    return it == std::end(kCauses) ? 59127 : kFirstId + u32(it - std::begin(kCauses));
}

void ReportFileException(QObject* owner, u32 stringId, const std::string& fileName, int cause)
{
    const char* lead = FindResString(stringId);
    const char* why = FindResString(FileErrorStringId(cause));
    const std::string text = std::string(lead ? lead : "") + fileName + "\n\n" + (why ? why : "");
    CurrentMessageSink().ShowMessage(owner, text, "Tolva", MB_OK | MB_ICONSTOP);
}
