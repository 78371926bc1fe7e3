#include "platform/codepage437.h"

#include "platform/textcodec.h"

#include <QString>
#include <algorithm>
#include <array>
#include <utility>

namespace {

constexpr char16_t kHigh437[128] = {0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA,
    0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2,
    0x00FB, 0x00F9, 0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3,
    0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D,
    0x255C, 0x255B, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554,
    0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553,
    0x256B, 0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x03B1, 0x00DF, 0x0393, 0x03C0,
    0x03A3, 0x03C3, 0x00B5, 0x03C4, 0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261,
    0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2,
    0x25A0, 0x00A0};

// The upper half sorted by character, for writing.
const std::array<std::pair<char16_t, unsigned char>, 128>& Reverse()
{
    static const auto table = [] {
        std::array<std::pair<char16_t, unsigned char>, 128> t;
        for (int i = 0; i < 128; ++i)
            t[i] = {kHigh437[i], static_cast<unsigned char>(0x80 + i)};
        std::sort(t.begin(), t.end());
        return t;
    }();
    return table;
}

}  // namespace

namespace CodePage437 {

char16_t ToUnicode(unsigned char byte)
{
    return byte < 0x80 ? char16_t(byte) : kHigh437[byte - 0x80];
}

std::string ToUtf8(std::string_view bytes)
{
    if (TextCodec::IsAscii(bytes))
        return std::string(bytes);
    QString text(qsizetype(bytes.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char c : bytes)
        *out++ = QChar(ToUnicode(static_cast<unsigned char>(c)));
    return text.toStdString();
}

std::string FromUtf8(std::string_view utf8, std::size_t* lost)
{
    if (TextCodec::IsAscii(utf8))
        return std::string(utf8);
    const QString text = QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
    const auto& reverse = Reverse();
    std::string out;
    out.reserve(size_t(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (u < 0x80) {
            out += char(u);
            continue;
        }
        // A character outside the basic plane is one '?', not two.
        if (QChar::isHighSurrogate(u) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        const auto it = std::lower_bound(reverse.begin(), reverse.end(), std::make_pair(u, (unsigned char)0));
        const bool found = it != reverse.end() && it->first == u;
        out += found ? char(it->second) : '?';
        if (!found && lost)
            ++*lost;
    }
    return out;
}

}  // namespace CodePage437
