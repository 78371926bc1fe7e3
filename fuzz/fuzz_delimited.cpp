// The delimited-text reader on arbitrary bytes, with the separator and code
// page taken from the first byte. Whatever it reads must read back the same
// after Tolva writes it.
#include "impexp/delimitedtext.h"

#include <QBuffer>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Records = std::vector<std::vector<std::string>>;

bool ReadAll(QByteArray bytes, char separator, bool oem, Records& records)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    DelimitedTextFile file(buffer);
    std::vector<std::string> fields;
    for (bool endOfFile = false; !endOfFile;) {
        if (!file.ReadRecord(separator, fields, endOfFile, oem))
            return false;
        records.push_back(fields);
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    static const char kSeparators[] = {',', '\t', ';', '|'};
    const char separator = kSeparators[data[0] & 3];
    const bool oem = data[0] & 4;
    Records records;
    if (!ReadAll(QByteArray(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1)), separator, false,
            records))
        return 0;
    // The last record is the empty one at the end of the file, or one cut
    // short by it; either way it reads back as written.
    QByteArray written;
    {
        QBuffer buffer(&written);
        buffer.open(QIODevice::WriteOnly);
        DelimitedTextFile file(buffer);
        for (const auto& record : records)
            if (!file.WriteRecord(separator, record, oem))
                std::abort();
        if (!file.Flush())
            std::abort();
    }
    Records back;
    if (!ReadAll(written, separator, oem, back))
        std::abort();
    back.pop_back();  // the empty record after the last line end
    if (oem)
        return 0;  // characters outside code page 437 became '?'
    if (back != records && !(records.size() == 1 && records[0] == std::vector<std::string>{""}))
        std::abort();
    return 0;
}
