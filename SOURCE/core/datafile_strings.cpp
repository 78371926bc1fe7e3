// The strings of the file layer: a length word, the text's bytes and a NUL.
#include "core/datafile.h"
#include "platform/syserror.h"

#include <cstring>

namespace {

// More texts with a NUL than any record holds: the rest are only counted.
constexpr size_t kMaxCutTexts = 100;

// Whether bytes that follow a NUL inside a stored text are text of their
// own. A byte of a text damaged into a NUL leaves text behind it; a stored
// length one byte too long takes in the NUL that ends the text and the
// first byte of the next field, a length or a flag: a control character.
bool IsTextPiece(std::string_view piece)
{
    bool visible = false;
    for (const unsigned char c : piece) {
        const bool space = c == ' ' || c == '\t' || c == '\r' || c == '\n';
        if ((c < 0x20 && !space) || c == 0x7F)
            return false;
        visible = visible || !space;
    }
    return visible;
}

}  // namespace

u32 CDataFile::ReadString(DataFileKind kind, std::string& text, DataFileHandle* handle, const char* field)
{
    u32 n = 0;
    u32 error = Read(kind, &n, sizeof n, handle);
    if (!error)
        error = CheckAvailable(kind, n, handle);
    if (error)
        return error;
    // Every stored text carries at least its NUL: a length of 0 is damage,
    // read as an empty text and counted for the reader to report.
    if (n == 0)
        NoteZeroLengthString();
    const ReadSpan span = Peek(kind, handle);
    if (span.size >= n) {
        error = TextOfStored(span.data, n, text, field);
        Skip(kind, n, handle);
        return error;
    }
    std::string bytes(n, '\0');
    if (const u32 readError = Read(kind, bytes.data(), n, handle))
        return readError;
    return TextOfStored(bytes.data(), n, text, field);
}

u32 CDataFile::TextOfStored(const char* bytes, u32 n, std::string& text, const char* field)
{
    // Only the closing NUL belongs there. A text with one before it is read
    // as it would be written, without its NULs, and keeps of what follows
    // them only what is text: never bytes of the next field.
    const size_t length = n && bytes[n - 1] == '\0' ? n - 1 : n;
    // An empty text may stand where no byte is left to point at.
    if (length == 0) {
        text.clear();
        return 0;
    }
    const char* nul = static_cast<const char*>(std::memchr(bytes, 0, length));
    if (!nul) {
        text.assign(bytes, length);
        return 0;
    }
    text.assign(bytes, nul);
    const char* end = bytes + length;
    CutText cut{field};
    for (const char* at = nul; at < end;) {
        const char* start = at + 1;
        const char* next = static_cast<const char*>(std::memchr(start, 0, size_t(end - start)));
        at = next ? next : end;
        const std::string_view piece(start, size_t(at - start));
        if (IsTextPiece(piece)) {
            text.append(piece);
            cut.tailKept = true;
        } else if (!piece.empty()) {
            cut.tailDropped = true;
        }
    }
    ++m_cutStrings;
    if (m_cutTexts.size() < kMaxCutTexts)
        m_cutTexts.push_back(cut);
    return 0;
}

std::vector<CDataFile::CutText> CDataFile::TakeCutTexts()
{
    m_cutStrings = 0;
    return std::exchange(m_cutTexts, {});
}

u32 CDataFile::TakeCutStrings()
{
    m_cutTexts.clear();
    return std::exchange(m_cutStrings, 0);
}

u32 CDataFile::WriteString(DataFileKind kind, const std::string& text, DataFileHandle* handle)
{
    // A NUL inside the text would end it when read back, losing the rest:
    // the text is written without it.
    if (text.find('\0') != std::string::npos) {
        std::string whole = text;
        StripNul(whole);
        return WriteString(kind, whole, handle);
    }
    if (text.size() >= 0xFFFFFFFFu)
        return ERROR_INVALID_PARAMETER;
    const u32 n = u32(text.size() + 1);
    const u32 error = Write(kind, &n, sizeof n, handle);
    return error ? error : Write(kind, text.c_str(), n, handle);
}
