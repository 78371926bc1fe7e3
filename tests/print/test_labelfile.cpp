#include "platform/programfolder.h"
#include "print/labelfile.h"
#include "support/testenv.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QtEndian>
#include <cstring>

namespace {

using LabelFileTest = TolvaTest;

QByteArray Magic(u32 magic)
{
    const u32 le = qToLittleEndian(magic);
    return QByteArray(reinterpret_cast<const char*>(&le), 4);
}

LabelDefinition Sheet(const char* name, u16 maker, u16 columns = 2, u16 rows = 5)
{
    LabelDefinition label;
    label.SetName(name);
    label.m_wMaker = maker;
    label.m_wColumns = columns;
    label.m_wRows = rows;
    label.m_wWidth = 2880;
    return label;
}

}  // namespace

TEST_F(LabelFileTest, ReadsWholeRecordsAndRefusesBadMagicAndCounts)
{
    LabelDefinitionArray labels;
    QByteArray bytes
        = Magic(kCustomLabelMagic) + Sheet("A", 0).ToBytes() + Sheet("B", 0).ToBytes() + "short tail";
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    EXPECT_EQ(ReadLabelRecords(buffer, kCustomLabelMagic, labels), LabelFileStatus::Ok);
    ASSERT_EQ(labels.size(), 2u);
    EXPECT_EQ(labels[1].Name(), "B");

    // The other kind's magic, or too short for one.
    for (QByteArray bad : {Magic(kStandardLabelMagic) + Sheet("A", 0).ToBytes(), QByteArray("\xA3\xCC")}) {
        QBuffer b(&bad);
        b.open(QIODevice::ReadOnly);
        labels.clear();
        EXPECT_EQ(ReadLabelRecords(b, kCustomLabelMagic, labels), LabelFileStatus::BadMagic);
        EXPECT_TRUE(labels.empty());
    }

    // A sheet without rows, or with more than 256 columns, ends the reading;
    // what came before stays.
    for (const LabelDefinition& bad : {Sheet("no rows", 0, 2, 0), Sheet("wide", 0, 257, 1)}) {
        QByteArray file = Magic(kCustomLabelMagic) + Sheet("ok", 0).ToBytes() + bad.ToBytes();
        QBuffer b(&file);
        b.open(QIODevice::ReadOnly);
        labels.clear();
        EXPECT_EQ(ReadLabelRecords(b, kCustomLabelMagic, labels), LabelFileStatus::BadRecord);
        ASSERT_EQ(labels.size(), 1u);
    }

    // A name that fills its field is cut, never read past.
    LabelDefinition full = Sheet("", 0);
    std::memset(full.m_szName, 'n', sizeof full.m_szName);
    QByteArray file = Magic(kCustomLabelMagic) + full.ToBytes();
    QBuffer b(&file);
    b.open(QIODevice::ReadOnly);
    labels.clear();
    ReadLabelRecords(b, kCustomLabelMagic, labels);
    ASSERT_EQ(labels.size(), 1u);
    EXPECT_EQ(labels[0].Name(), std::string(63, 'n'));
}

TEST_F(LabelFileTest, TheFilesWithTheirMessages)
{
    QDir().mkpath(ProgramPath("data"));
    LabelDefinitionArray labels;
    // No custom file yet: nothing to list, nothing to say.
    EXPECT_TRUE(LoadCustomLabels(labels));
    EXPECT_TRUE(labels.empty());
    EXPECT_TRUE(m_messages.shown.empty());

    // Only custom labels are written; they read back.
    EXPECT_TRUE(SaveCustomLabels({Sheet("standard", 1), Sheet("mine", 0), Sheet("also", 0)}));
    EXPECT_EQ(Contents("data/tlvlblcs.data").size(), 4 + 2 * 124);
    EXPECT_TRUE(LoadCustomLabels(labels));
    ASSERT_EQ(labels.size(), 2u);
    EXPECT_EQ(labels[0].Name(), "mine");

    Put("data/tlvlblcs.data", Magic(kStandardLabelMagic));
    EXPECT_FALSE(LoadCustomLabels(labels));
    ASSERT_EQ(m_messages.shown.size(), 1u);
    EXPECT_EQ(m_messages.shown[0].text, "Error reading custom labels data - wrong or broken file");

    Put("data/tlvlbl.data", Magic(kCustomLabelMagic));
    labels.clear();
    EXPECT_FALSE(LoadStandardLabels(labels));
    EXPECT_EQ(m_messages.shown.back().text, "Error reading labels data - wrong or broken file");

    // A file that cannot be opened is named with the reason.
    QFile::remove(ProgramPath("data/tlvlblcs.data"));
    ASSERT_TRUE(QDir().mkpath(ProgramPath("data/tlvlblcs.data")));
    EXPECT_FALSE(LoadCustomLabels(labels));
    const std::string& text = m_messages.shown.back().text;
    const std::string named = "The label data file \"" + ProgramPath("data/tlvlblcs.data").toStdString()
        + "\" could not be opened because of this error: ";
    EXPECT_EQ(text.substr(0, named.size()), named);
    EXPECT_GT(text.size(), named.size());
}

TEST_F(LabelFileTest, TheStandardFileIsMadeFromTheTable)
{
    const std::vector<std::vector<std::string>> rows = {
        {"Name", "Maker"},
        {std::string(70, 'x'), "4", "3", "7", "9", "1", "1", "3600", "2160", "142", "0", "408", "414", "859",
            "100", "100", "1"},
        {"wide", "4", "2", "2", "77", "2", "0", "1", "2", "3", "4", "5", "6", "7", "100", "100", "0"},
    };
    const QByteArray file = MakeStandardLabelFile(rows);
    ASSERT_EQ(file.size(), 4 + 2 * 124);
    QByteArray copy = file;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    LabelDefinitionArray labels;
    ASSERT_EQ(ReadLabelRecords(buffer, kStandardLabelMagic, labels), LabelFileStatus::Ok);
    ASSERT_EQ(labels.size(), 2u);
    EXPECT_EQ(labels[0].Name(), std::string(63, 'x'));
    EXPECT_EQ(labels[0].m_wColumns, 3);
    EXPECT_EQ(labels[0].m_wTopMargin, 859);
    EXPECT_EQ(labels[0].m_wFlags, LDF_TABLE_BIT4 | LDF_PORTRAIT);
    EXPECT_EQ(labels[1].m_wFlags, LDF_TABLE_BIT5 | LDF_LANDSCAPE);
    EXPECT_EQ(labels[1].m_wRightMargin, 6);
    EXPECT_EQ(labels[1].m_dwTextMarginLeft, 150u);
}
