#include "impexp/delimitedtext.h"
#include "platform/codepage437.h"
#include "support/testenv.h"

#include <QBuffer>
#include <gtest/gtest.h>

namespace {

using Records = std::vector<std::vector<std::string>>;

// Every record of the bytes; an error ends the list with {"!", message}.
Records ReadAll(const std::string& bytes, char separator = ',', bool oem = false)
{
    QByteArray data = QByteArray::fromStdString(bytes);
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    DelimitedTextFile file(buffer);
    Records records;
    std::vector<std::string> fields;
    for (bool endOfFile = false; !endOfFile;) {
        if (!file.ReadRecord(separator, fields, endOfFile, oem)) {
            records.push_back({"!", file.Error()});
            break;
        }
        records.push_back(fields);
    }
    return records;
}

std::string WriteAll(const Records& records, char separator = ',', bool oem = false)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    {
        DelimitedTextFile file(buffer);
        for (const auto& record : records)
            EXPECT_TRUE(file.WriteRecord(separator, record, oem));
        EXPECT_TRUE(file.Flush());
    }
    return data.toStdString();
}

}  // namespace

TEST(DelimitedText, QuotedFieldsKeepSeparatorsQuotesAndLineBreaks)
{
    EXPECT_EQ(ReadAll("one,\"two, three\",\"say \"\"hi\"\"\"\r\n\"multi\r\nline\",x\r\n"),
        (Records{{"one", "two, three", "say \"hi\""}, {"multi\r\nline", "x"}, {""}}));
    // A trailing empty field, an empty first field, no final line end, and
    // text after a closing quote.
    EXPECT_EQ(ReadAll("a,b,\r\n,b\r\n\"ab\"c,d\"e"), (Records{{"a", "b", ""}, {"", "b"}, {"abc", "d\"e"}}));
}

TEST(DelimitedText, LinesEndingInLfAloneAreRecords)
{
    EXPECT_EQ(ReadAll("a\tb\nc\td\n", '\t'), (Records{{"a", "b"}, {"c", "d"}, {""}}));
    EXPECT_EQ(ReadAll("a;b\rc\n", ';'), (Records{{"a", "b\rc"}, {""}}));
}

TEST(DelimitedText, WritingQuotesWhatWouldNotReadBack)
{
    EXPECT_EQ(WriteAll({{"a", "b", ""}}), "\"a\",\"b\",\r\n");
    EXPECT_EQ(WriteAll({{"plain", "tab\there", "q\"uote", "two\r\nlines", "lf\nonly", ""}}, '\t'),
        "plain\t\"tab\there\"\t\"q\"\"uote\"\t\"two\r\nlines\"\t\"lf\nonly\"\t\r\n");
    EXPECT_EQ(WriteAll({{"a;b", "c"}}, ';'), "\"a;b\";c\r\n");

    const Records awkward = {{"", "\"", "a,b", "x\r\ny", "\t", " lead", "Müller"}, {"only"}};
    for (const char separator : {',', '\t', ';'}) {
        Records back = ReadAll(WriteAll(awkward, separator), separator);
        ASSERT_EQ(back.size(), 3u) << separator;
        back.pop_back();
        EXPECT_EQ(back, awkward) << separator;
    }
}

TEST(DelimitedText, BytesThatAreNotTextAreReported)
{
    const Records nul = ReadAll(std::string("a,b\r\nc\0d\r\n", 10));
    ASSERT_EQ(nul.size(), 2u);
    EXPECT_EQ(nul[1][0], "!");
    EXPECT_NE(nul[1][1].find("NUL byte at offset 6"), std::string::npos);
    EXPECT_EQ(ReadAll("\xFF\xFE"
                      "a\0,\0",
                  ',')[0][0],
        "!");
    EXPECT_EQ(ReadAll(std::string("a\0,\0b\0", 6))[0][0], "!");
    EXPECT_EQ(ReadAll("\"" + std::string(DelimitedTextFile::kMaxFieldBytes + 1, 'x'))[0][0], "!");

    QByteArray data;
    QBuffer readOnly(&data);
    readOnly.open(QIODevice::ReadOnly);
    DelimitedTextFile file(readOnly);
    EXPECT_TRUE(file.WriteField(',', "a", true, false));
    EXPECT_FALSE(file.Flush());
    EXPECT_FALSE(file.Error().empty());
}

TEST(DelimitedText, CodePages)
{
    // UTF-8 as it is, after a byte-order mark; other bytes as Windows-1252.
    EXPECT_EQ(ReadAll("\xEF\xBB\xBFName,M\xC3\xBCller\r\nM\xFCller \x80"),
        (Records{{"Name", "Müller"}, {"Müller €"}}));
    // DOS files are code page 437 both ways; what it lacks becomes '?'.
    EXPECT_EQ(ReadAll("M\x81ller,\xE1,\xC9\xCD\xBB", ',', true), (Records{{"Müller", "ß", "╔═╗"}}));
    EXPECT_EQ(WriteAll({{"Müller", "€", "😀"}}, '\t', true), "M\x81ller\t?\t?\r\n");

    std::string all;
    for (int c = 1; c < 256; ++c)
        all += char(c);
    EXPECT_EQ(CodePage437::FromUtf8(CodePage437::ToUtf8(all)), all);
    EXPECT_EQ(CodePage437::ToUnicode(0x80), u'Ç');
    EXPECT_EQ(CodePage437::ToUnicode(0xFF), u'\u00A0');
}

using DelimitedFileTest = TolvaTest;

TEST_F(DelimitedFileTest, HeaderLineAndFileErrorMessages)
{
    const u32 ids[] = {59132, 1, 59136};
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    {
        DelimitedTextFile file(buffer);
        EXPECT_TRUE(WriteHeaderLine(file, '\t', ids, false));
    }
    EXPECT_EQ(data.toStdString(), "\"Access Denied.\n\"\t\t\"Sharing violation.\n\"\r\n");

    EXPECT_EQ(FileErrorStringId(kFileGeneric), 59128u);
    EXPECT_EQ(FileErrorStringId(kFileBadSeek), 59134u);
    EXPECT_EQ(FileErrorStringId(kFileEndOfFile), 59138u);
    EXPECT_EQ(FileErrorStringId(kFileDiskFull), 59127u);
    ReportFileException(nullptr, 59101, "/tmp/x.csv", FileCauseFromError(2));
    ASSERT_EQ(m_messages.shown.size(), 1u);
    EXPECT_EQ(m_messages.shown[0].text, "/tmp/x.csv\n\nThe file could not be located.\n");
    EXPECT_EQ(m_messages.shown[0].type, MB_OK | MB_ICONSTOP);
}
