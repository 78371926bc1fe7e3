// The delimited-text reader on arbitrary bytes, with the separator, code
// page and date format taken from the first byte. Whatever it reads must
// read back the same after Tolva writes it. The first record is read as a
// names line, and the others become contacts through the columns it maps,
// each merged into the one before as an import of the same name would.
#include "impexp/delimitedtext.h"
#include "impexp/fieldmapping.h"
#include "impexp/importtransaction.h"

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

void ImportRecords(const Records& records, int dateFormat)
{
    if (records.empty())
        return;
    // A stored mapping made for the same names, and the captions.
    const std::vector<u32> fields = MapColumnsByName(records.front(), records.front(), DefaultImportFields());
    Contact merged;
    for (size_t r = 1; r < records.size(); ++r) {
        Contact contact;
        for (size_t i = 0; i < records[r].size() && i < fields.size(); ++i)
            SetContactFieldFromText(contact, fields[i], records[r][i], dateFormat);
        MergeImportedContact(merged, contact);
    }
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
    ImportRecords(records, (data[0] >> 3) % 3);
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
