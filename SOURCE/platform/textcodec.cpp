#include "platform/textcodec.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

// 0x80-0x9F of Windows-1252; the five unassigned bytes keep their C1 value.
constexpr char16_t kHigh1252[32] = {
    0x20AC,
    0x0081,
    0x201A,
    0x0192,
    0x201E,
    0x2026,
    0x2020,
    0x2021,
    0x02C6,
    0x2030,
    0x0160,
    0x2039,
    0x0152,
    0x008D,
    0x017D,
    0x008F,
    0x0090,
    0x2018,
    0x2019,
    0x201C,
    0x201D,
    0x2022,
    0x2013,
    0x2014,
    0x02DC,
    0x2122,
    0x0161,
    0x203A,
    0x0153,
    0x009D,
    0x017E,
    0x0178,
};

}  // namespace

namespace TextCodec {

bool IsValidUtf8(std::string_view bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int extra;
        char32_t cp;
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (end - p <= extra)
            return false;
        for (int i = 1; i <= extra; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (p[i] & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF.
        if ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF))
            || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        p += extra + 1;
    }
    return true;
}

bool IsAscii(std::string_view bytes)
{
    // Eight bytes at a time: most text read from files is plain ASCII.
    const char* p = bytes.data();
    const char* end = p + bytes.size();
    std::uint64_t high = 0;
    for (; end - p >= 8; p += 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        high |= word;
    }
    for (; p < end; ++p)
        high |= static_cast<unsigned char>(*p);
    return (high & 0x8080808080808080ull) == 0;
}

QString DecodeWindows1252(std::string_view bytes)
{
    QString out;
    out.resize(qsizetype(bytes.size()));
    QChar* dst = out.data();
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        *dst++ = (c >= 0x80 && c < 0xA0) ? QChar(kHigh1252[c - 0x80]) : QChar(c);
    }
    return out;
}

QString Decode(std::string_view bytes)
{
    if (IsValidUtf8(bytes))
        return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
    return DecodeWindows1252(bytes);
}

std::string ToUtf8(std::string_view bytes)
{
    if (IsValidUtf8(bytes))
        return std::string(bytes);
    return DecodeWindows1252(bytes).toStdString();
}

std::string FromFixedField(const char* field, size_t size)
{
    return std::string(field, strnlen(field, size));
}

void ToFixedField(std::string_view text, char* field, size_t size)
{
    if (size == 0)
        return;
    size_t n = std::min(text.size(), size - 1);
    while (n > 0 && n < text.size() && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80)
        --n;
    std::memset(field, 0, size);
    if (n > 0)
        std::memcpy(field, text.data(), n);
}

}  // namespace TextCodec
