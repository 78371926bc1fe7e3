// Text as the program keeps it: UTF-8 byte strings. Bytes from outside that
// are not valid UTF-8 are read as Windows-1252, the code page such files
// were most likely written in.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace TextCodec {

bool IsValidUtf8(std::string_view bytes);
// No byte above 0x7F: the same text in every code page the program reads.
bool IsAscii(std::string_view bytes);
QString DecodeWindows1252(std::string_view bytes);
// UTF-8 when valid, else Windows-1252.
QString Decode(std::string_view bytes);
// The same, back to the program's UTF-8 form.
std::string ToUtf8(std::string_view bytes);

// The text of a fixed, zero-padded field of a stored record: up to the first
// zero, or the whole field when it holds none.
std::string FromFixedField(const char* field, size_t size);
// Fills a fixed field, zero-padded; a text too long is cut at a character
// boundary so that a terminating zero always fits.
void ToFixedField(std::string_view text, char* field, size_t size);

inline QString ToQString(const std::string& s)
{
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}
inline std::string FromQString(const QString& s)
{
    return s.toStdString();
}

}  // namespace TextCodec
