#include "print/printrecords.h"

#include "core/utilities.h"
#include "platform/textcodec.h"

#include <QByteArray>
#include <algorithm>
#include <cstring>

namespace {

constexpr u32 IDS_FIRST_LABEL_GROUP = 59584;  // "Address", "Shipping", "Return address", "Name badge"
constexpr u16 kLabelGroupCount = 4;
constexpr u32 IDS_FIRST_LABEL_MAKER = 59588;  // "Avery", "Rank Xerox", "Devauzet"
constexpr u16 kLabelMakerCount = 3;

// Where the leading reserved word ends: copies start here.
constexpr size_t kLabelCopyOffset = sizeof(u32);

constexpr EnvelopeSize Envelope(const char* name, u16 width, u16 height, u16 paper)
{
    EnvelopeSize size;
    size.m_wWidth = width;
    size.m_wHeight = height;
    size.m_wPaper = paper;
    for (size_t i = 0; name[i] && i + 1 < sizeof size.m_szName; ++i)
        size.m_szName[i] = name[i];
    return size;
}

}  // namespace

constexpr std::array<LabelPaper, 13> kLabelPaperTable = {{
    {1, 59600, 12240, 15840, false},
    {75, 59601, 15840, 12240, true},
    {9, 59602, 11906, 16838, false},
    {77, 59603, 16838, 11906, true},
    {11, 59604, 8391, 11906, false},
    {78, 59605, 11906, 8391, true},
    {13, 59606, 10318, 14570, false},
    {200, 59607, 6120, 7200, false},
    {201, 59608, 6120, 14400, false},
    {202, 59609, 14400, 6120, true},
    {43, 59610, 5669, 8391, false},
    {81, 59611, 8391, 5669, true},
    {12, 59612, 14570, 20636, false},
}};

constexpr std::array<EnvelopeSize, kEnvelopeSizeCount> kEnvelopeSizeTable = {
    Envelope("Custom size...", 2970, 2100, kEnvelopeCustomPaper),
    Envelope("Size 6 3/4\t(3 5/8 x 6 1/2 in)", 1651, 921, 38),
    Envelope("Size 9\t\t(3 7/8 x 8 7/8 in)", 2254, 984, 19),
    Envelope("Size 10\t\t(4 1/8 x 9 1/2 in)", 2413, 1048, 20),
    Envelope("Size 11\t\t(4 1/2 x 10 3/8 in)", 2635, 1143, 21),
    Envelope("Size 12\t\t(4 3/4 x 11 in)", 2794, 1206, 22),
    Envelope("Size 14\t\t(5 x 11 1/2 in)", 2921, 1270, 23),
    Envelope("B4\t\t(250 x 353 mm)", 3530, 2500, 33),
    Envelope("B5\t\t(176 x 250 mm)", 2500, 1760, 34),
    Envelope("B6\t\t(125 x 176 mm)", 1760, 1250, 35),
    Envelope("C3\t\t(324 x 458 mm)", 4580, 3240, 29),
    Envelope("C4\t\t(229 x 324 mm)", 3240, 2290, 30),
    Envelope("C5\t\t(162 x 229 mm)", 2290, 1620, 28),
    Envelope("C6\t\t(114 x 162 mm)", 1620, 1140, 31),
    Envelope("C65\t\t(114 x 229 mm)", 2290, 1140, 32),
    Envelope("DL\t\t(110 x 220 mm)", 2200, 1100, 27),
    Envelope("Italian\t\t(110 x 230 mm)", 2300, 1100, 36),
    Envelope("Monarch\t(3 7/8 x 7 1/2 in)", 1905, 984, 37),
    Envelope("Invite\t\t(220 x 220 mm)", 2200, 2200, 47),
    Envelope("US Legal\t(8 1/2 x 14 in)", 3556, 2159, 5),
    Envelope("US Letter\t(8 1/2 x 11 in)", 2794, 2159, 1),
};

std::string LabelDefinition::Name() const
{
    return TextCodec::FromFixedField(m_szName, sizeof m_szName);
}

void LabelDefinition::SetName(std::string_view name)
{
    TextCodec::ToFixedField(name, m_szName, sizeof m_szName);
}

void LabelDefinition::CopyFrom(const LabelDefinition& other)
{
    std::memcpy(reinterpret_cast<char*>(this) + kLabelCopyOffset,
        reinterpret_cast<const char*>(&other) + kLabelCopyOffset, kSize - kLabelCopyOffset);
}

bool LabelDefinition::FromBytes(QByteArrayView bytes)
{
    if (bytes.size() < qsizetype(kSize))
        return false;
    std::memcpy(this, bytes.data(), kSize);
    return true;
}

QByteArray LabelDefinition::ToBytes() const
{
    return QByteArray(reinterpret_cast<const char*>(this), kSize);
}

std::string LabelMakerText(u16 maker)
{
    return (maker >= 1 && maker <= kLabelMakerCount) ? LoadResString(IDS_FIRST_LABEL_MAKER + maker - 1)
                                                     : std::string();
}

std::string LabelGroupText(u16 group)
{
    return (group >= 1 && group <= kLabelGroupCount) ? LoadResString(IDS_FIRST_LABEL_GROUP + group - 1)
                                                     : std::string();
}

const LabelPaper* FindLabelPaper(u16 code)
{
    const auto it = std::find_if(kLabelPaperTable.begin(), kLabelPaperTable.end(),
        [code](const LabelPaper& paper) { return paper.code == code; });
    return it != kLabelPaperTable.end() ? &*it : nullptr;
}

std::string EnvelopeSize::Name() const
{
    return TextCodec::FromFixedField(m_szName, sizeof m_szName);
}

void EnvelopeSize::SetName(std::string_view name)
{
    TextCodec::ToFixedField(name, m_szName, sizeof m_szName);
}

bool EnvelopeSize::operator==(const EnvelopeSize& other) const
{
    return std::memcmp(this, &other, sizeof *this) == 0;
}
