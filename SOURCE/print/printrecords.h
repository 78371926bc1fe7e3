// The records a printed address is laid out on: address formats (kept with
// the user settings), label sheets (read and written raw in the label
// files) and envelope sizes (kept raw as the print settings' envelope).
#pragma once

#include "core/addressformat.h"
#include "platform/wintypes.h"

#include <QByteArrayView>
#include <array>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

// Label makers and groups.
constexpr u16 LABEL_CUSTOM = 0;
constexpr u16 LABEL_GROUP_ADDRESS = 1;

// Label flags.
constexpr u16 LDF_PORTRAIT = 0x01;
constexpr u16 LDF_LANDSCAPE = 0x02;
constexpr u16 LDF_TABLE_BIT4 = 0x10;
constexpr u16 LDF_TABLE_BIT5 = 0x20;

constexpr u16 kLabelDefaultPaper = 9;
constexpr u16 kLabelDefaultScale = 100;
constexpr u32 kLabelDefaultTextMargin = 150;

// Lengths in twips. The layout is that of a label-file record.
struct LabelDefinition {
    u32 m_dwReserved = 0;
    char m_szName[64] = {};
    u16 m_wMaker = LABEL_CUSTOM;
    u16 m_wColumns = 0;
    u16 m_wRows = 0;
    u16 m_wPaper = kLabelDefaultPaper;
    u16 m_wGroup = 0;
    u16 m_wFlags = 0;
    u16 m_wWidth = 0;
    u16 m_wHeight = 0;
    u16 m_wColumnSpacing = 0;
    u16 m_wRowSpacing = 0;
    u16 m_wScale1 = kLabelDefaultScale;
    u16 m_wScale2 = kLabelDefaultScale;
    u16 m_wTopMargin = 0;
    u16 m_wLeftMargin = 0;
    u16 m_wRightMargin = 0;
    u16 m_wPadding = 0;
    u32 m_dwTextMarginLeft = kLabelDefaultTextMargin;
    u32 m_dwTextMarginTop = kLabelDefaultTextMargin;
    u32 m_dwTextMarginRight = kLabelDefaultTextMargin;
    u32 m_dwTextMarginBottom = kLabelDefaultTextMargin;
    u32 m_dwReserved2 = 0;
    u32 m_dwReserved3 = 0;

    std::string Name() const;
    void SetName(std::string_view name);
    // Every field but the leading reserved word, which has no meaning.
    void CopyFrom(const LabelDefinition& other);

    static constexpr size_t kSize = 124;
    // Reads one file record; false when fewer bytes remain.
    bool FromBytes(QByteArrayView bytes);
    QByteArray ToBytes() const;
};
static_assert(sizeof(LabelDefinition) == LabelDefinition::kSize);
static_assert(std::is_trivially_copyable_v<LabelDefinition>);

using LabelDefinitionArray = std::vector<LabelDefinition>;

// The maker's and the group's list texts; "" for a number without one.
std::string LabelMakerText(u16 maker);
std::string LabelGroupText(u16 group);

// A paper a label sheet can be printed on.
struct LabelPaper {
    u16 code;
    u32 textId;
    u16 widthTwips;
    u16 heightTwips;
    bool landscape;
};
// In the order the label definition offers them.
extern const std::array<LabelPaper, 13> kLabelPaperTable;
// Null for a code the table does not hold.
const LabelPaper* FindLabelPaper(u16 code);

constexpr u16 kEnvelopeCustomPaper = 256;

// Lengths in 0.1 mm; the name holds a tab before the size in brackets.
struct EnvelopeSize {
    u16 m_wWidth = 0;
    u16 m_wHeight = 0;
    u16 m_wPaper = 0;
    char m_szName[244] = {};

    std::string Name() const;
    void SetName(std::string_view name);
    bool operator==(const EnvelopeSize& other) const;
};
static_assert(sizeof(EnvelopeSize) == 250);
static_assert(std::is_trivially_copyable_v<EnvelopeSize>);

constexpr size_t kEnvelopeSizeCount = 21;
constexpr size_t kEnvelopeCustomRow = 0;
constexpr size_t kEnvelopeUsLetterRow = 20;
extern const std::array<EnvelopeSize, kEnvelopeSizeCount> kEnvelopeSizeTable;
