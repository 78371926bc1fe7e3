// The OEM ("DOS") code page, CP437, by our own tables: text files written by
// DOS programs keep their accented letters and box drawing in these bytes.
// Bytes below 0x80 are ASCII, control characters included.
#pragma once

#include <string>
#include <string_view>

namespace CodePage437 {

char16_t ToUnicode(unsigned char byte);
std::string ToUtf8(std::string_view bytes);
// Characters the code page lacks, and bytes that are not UTF-8, become '?';
// lost, when given, counts them.
std::string FromUtf8(std::string_view utf8, std::size_t* lost = nullptr);

}  // namespace CodePage437
