#include "core/records.h"
#include "core/utilities.h"
#include "print/printrecords.h"

#include <QtEndian>
#include <gtest/gtest.h>

namespace {

u16 Word(const QByteArray& bytes, int offset)
{
    return qFromLittleEndian<u16>(bytes.constData() + offset);
}

}  // namespace

TEST(AddressFormatRecord, NewRecordIsZeroAndTextsLeaveRoomForTheZero)
{
    AddressFormat format;
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(&format), 320), QByteArray(320, '\0'));
    format.SetFormat(std::string(300, 'x'));
    EXPECT_EQ(format.Format(), std::string(255, 'x'));
}

TEST(AddressFormatRecord, ArchiveRoundTripAndBadCounts)
{
    CAddressFormatArray formats;
    formats.SetSize(2);
    formats.ElementAt(1).SetName("Two");
    const QByteArray bytes = formats.Serialize();
    ASSERT_EQ(bytes.size(), 2 + 2 * 320);
    CAddressFormatArray back;
    ASSERT_TRUE(back.Deserialize(bytes));
    EXPECT_EQ(back, formats);
    // A count that promises more than the bytes hold changes nothing.
    for (const QByteArray& bad : {bytes.left(bytes.size() - 1), QByteArray(6, '\xFF'), QByteArray(1, '\1')})
        EXPECT_FALSE(back.Deserialize(bad));
    EXPECT_EQ(back, formats);

    // 0xFFFF records or more take the long count.
    formats.SetSize(0xFFFF);
    const QByteArray large = formats.Serialize();
    EXPECT_EQ(large.left(6), QByteArray("\xFF\xFF\xFF\xFF\0\0", 6));
    ASSERT_TRUE(back.Deserialize(large));
    EXPECT_EQ(back.GetSize(), 0xFFFFu);
}

TEST(LabelDefinitionRecord, DefaultsAndFileLayout)
{
    LabelDefinition label;
    label.SetName("Avery 3490");
    label.m_wColumns = 3;
    label.m_wWidth = 4000;
    label.m_wRightMargin = 15;
    label.m_dwTextMarginBottom = 99;
    QByteArray bytes = label.ToBytes();
    ASSERT_EQ(bytes.size(), 124);
    EXPECT_EQ(bytes.mid(4, 11), QByteArray("Avery 3490\0", 11));
    const std::pair<int, u16> words[] = {{68, 0}, {70, 3}, {74, 9}, {80, 4000}, {88, 100}, {90, 100},
        {96, 15}, {98, 0}, {100, 150}, {104, 150}, {108, 150}, {112, 99}};
    for (const auto& [offset, value] : words)
        EXPECT_EQ(Word(bytes, offset), value) << offset;

    LabelDefinition read;
    EXPECT_FALSE(read.FromBytes(bytes.left(123)));
    bytes[0] = 'R';
    ASSERT_TRUE(read.FromBytes(bytes));
    // Copies leave the leading reserved word alone.
    LabelDefinition copy;
    copy.CopyFrom(read);
    EXPECT_EQ(copy.m_dwReserved, 0u);
    EXPECT_EQ(copy.ToBytes().mid(4), bytes.mid(4));
}

TEST(LabelDefinitionRecord, PaperTableMakersAndGroups)
{
    std::vector<u16> landscape;
    for (const LabelPaper& paper : kLabelPaperTable) {
        EXPECT_EQ(paper.textId, 59600 + (&paper - kLabelPaperTable.data()));
        if (paper.landscape)
            landscape.push_back(paper.code);
    }
    EXPECT_EQ(landscape, (std::vector<u16>{75, 77, 78, 202, 81}));
    ASSERT_NE(FindLabelPaper(77), nullptr);
    EXPECT_EQ(FindLabelPaper(77)->widthTwips, 16838);
    EXPECT_EQ(LoadResString(FindLabelPaper(12)->textId), "B4 JIS (25.7 x 36.4 cm)");
    EXPECT_EQ(FindLabelPaper(5), nullptr);
    EXPECT_EQ(
        LabelMakerText(3) + LabelMakerText(0) + LabelGroupText(4) + LabelGroupText(5), "DevauzetName badge");
}

TEST(EnvelopeSizeRecord, TableAndLayout)
{
    const EnvelopeSize& custom = kEnvelopeSizeTable[kEnvelopeCustomRow];
    EXPECT_EQ(custom.Name(), "Custom size...");
    EXPECT_EQ(custom.m_wPaper, 256);
    EXPECT_EQ(kEnvelopeSizeTable[15].Name(), "DL\t\t(110 x 220 mm)");
    const EnvelopeSize& letter = kEnvelopeSizeTable[kEnvelopeUsLetterRow];
    const QByteArray bytes(reinterpret_cast<const char*>(&letter), sizeof letter);
    EXPECT_EQ(Word(bytes, 0), 2794);
    EXPECT_EQ(Word(bytes, 2), 2159);
    EXPECT_EQ(Word(bytes, 4), 1);
    EXPECT_EQ(bytes.mid(6, 27), QByteArray("US Letter\t(8 1/2 x 11 in)\0", 27));
}
