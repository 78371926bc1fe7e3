#include "print/printman.h"

#include "core/addressformat.h"
#include "core/errorreport.h"
#include "core/utilities.h"
#include "platform/fontconv.h"
#include "platform/profile.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QPalette>
#include <cstring>

namespace {

// The desktop's window-text colour; black before there is a desktop.
COLORREF WindowTextColor()
{
    return DesktopColor(QPalette::WindowText, RGB(0, 0, 0));
}

// The desktop's message font at normal weight, which every text element
// starts with.
LOGFONT MessageFont()
{
    LOGFONT font = DesktopFont();
    font.lfWeight = FW_NORMAL;
    return font;
}

enum class ValueKind { Int, Bytes, String };

// One profile value of the section and the field it is read into.
struct ProfileValue {
    const char* name;
    ValueKind kind;
    void* field;
    qsizetype size = 0;  // Bytes: the only size taken
    u32 defaultValue = 0;  // Int: the value when the profile has none
};

constexpr const char* kFieldsEntry = "Fields";
// The chosen label sheet, kept with the other settings so that a label job
// prints on it without the label options being opened first.
constexpr const char* kLabelEntry = "Label";

// The stored names of the two centre header parts are spelled with a
// Cyrillic capital Es where the footers have a Latin C; stored settings
// depend on these names.
constexpr const char* kHeadCent = "Head\xD0\xA1"
                                  "ent";
constexpr const char* kHeadCent2 = "Head\xD0\xA1"
                                   "ent2";

// The values up to "EnvelopeAddressFormat", in the order they are stored.
std::vector<ProfileValue> LeadingValues(PrintMan& pm)
{
    const u32 text = WindowTextColor();
    auto font = [&pm](int element) { return static_cast<void*>(pm.GetFont(element)); };
    auto color = [&pm](int element) { return static_cast<void*>(&pm.m_colors[std::size_t(element - 1)]); };
    using K = ValueKind;
    return {
        {"Flags1", K::Int, &pm.m_Flags1, 0, kPrintFlagsDefault},
        {"Printtype", K::Int, &pm.m_Printtype, 0, PR_LIST},
        {"PrinttypeEnv", K::Int, &pm.m_PrinttypeEnv, 0, PR_LIST},
        {"Printmode", K::Int, &pm.m_Printmode, 0, PM_MEMO},
        {"Margins", K::Bytes, &pm.m_Margins, sizeof(RECT)},
        {"MarginsMin", K::Bytes, &pm.m_MarginsMin, sizeof(RECT)},
        {"HeadFont", K::Bytes, font(PTE_MEMO_HEADER), sizeof(LOGFONT)},
        {"HeadColor", K::Int, color(PTE_MEMO_HEADER), 0, text},
        {"FootFont", K::Bytes, font(PTE_MEMO_FOOTER), sizeof(LOGFONT)},
        {"FootColor", K::Int, color(PTE_MEMO_FOOTER), 0, text},
        {"MainFont", K::Bytes, font(PTE_MEMO_TEXT), sizeof(LOGFONT)},
        {"MainColor", K::Int, color(PTE_MEMO_TEXT), 0, text},
        {"HeadFont2", K::Bytes, font(PTE_REPORT_HEADER), sizeof(LOGFONT)},
        {"HeadColor2", K::Int, color(PTE_REPORT_HEADER), 0, text},
        {"FootFont2", K::Bytes, font(PTE_REPORT_FOOTER), sizeof(LOGFONT)},
        {"FootColor2", K::Int, color(PTE_REPORT_FOOTER), 0, text},
        {"MainFont2", K::Bytes, font(PTE_REPORT_TEXT), sizeof(LOGFONT)},
        {"MainColor2", K::Int, color(PTE_REPORT_TEXT), 0, text},
        {"AddrDelivFont", K::Bytes, font(PTE_DELIVERY_ADDRESS), sizeof(LOGFONT)},
        {"AddrDelivColor", K::Int, color(PTE_DELIVERY_ADDRESS), 0, text},
        {"AddrRetFont", K::Bytes, font(PTE_RETURN_ADDRESS), sizeof(LOGFONT)},
        {"AddrRetColor", K::Int, color(PTE_RETURN_ADDRESS), 0, text},
        {"AddrDelivMargins", K::Bytes, &pm.m_AddrDelivMargins, sizeof(RECT)},
        {"AddrRetMargins", K::Bytes, &pm.m_AddrRetMargins, sizeof(RECT)},
        {"EnvelopeData", K::Bytes, &pm.m_EnvelopeData, sizeof(EnvelopeSize)},
        {"HeadLeft", K::String, &pm.m_memoHead[0]},
        {kHeadCent, K::String, &pm.m_memoHead[1]},
        {"HeadRight", K::String, &pm.m_memoHead[2]},
        {"FootLeft", K::String, &pm.m_memoFoot[0]},
        {"FootCent", K::String, &pm.m_memoFoot[1]},
        {"FootRight", K::String, &pm.m_memoFoot[2]},
        {"HeadLeft2", K::String, &pm.m_reportHead[0]},
        {kHeadCent2, K::String, &pm.m_reportHead[1]},
        {"HeadRight2", K::String, &pm.m_reportHead[2]},
        {"FootLeft2", K::String, &pm.m_reportFoot[0]},
        {"FootCent2", K::String, &pm.m_reportFoot[1]},
        {"FootRight2", K::String, &pm.m_reportFoot[2]},
        {"AddrRet", K::String, &pm.m_AddrRet},
        {"EnvelopeFeed", K::Int, &pm.m_EnvelopeFeed, 0, 1},
        {"EnvelopeAddressFormat", K::Int, &pm.m_EnvelopeAddressFormat, 0, 0},
    };
}

// The values after "Fields".
std::vector<ProfileValue> LabelValues(PrintMan& pm)
{
    using K = ValueKind;
    return {
        {"LabelPrintRange", K::Int, &pm.m_LabelPrintRange, 0, PR_LABEL_SHEET},
        {"LabelItem", K::Int, &pm.m_LabelItem, 0, 0x10001},
        {"LabelColor", K::Int, &pm.m_colors[PTE_LABEL - 1], 0, WindowTextColor()},
        {"LabelFont", K::Bytes, pm.GetFont(PTE_LABEL), sizeof(LOGFONT)},
        {"LabelFields", K::Int, &pm.m_LabelFields, 0, 0},
    };
}

void LoadValues(const std::vector<ProfileValue>& values)
{
    for (const ProfileValue& v : values) {
        switch (v.kind) {
        case ValueKind::Int: {
            // Every int field is a 32-bit word, signed or not.
            const u32 n = u32(Profile::GetInt(kPrintManSection, v.name, int(v.defaultValue)));
            std::memcpy(v.field, &n, sizeof n);
            break;
        }
        case ValueKind::Bytes:
            // A value of another size is not this field's: the field keeps what it has.
            if (const auto bytes = Profile::GetBinary(kPrintManSection, v.name, v.size))
                std::memcpy(v.field, bytes->constData(), std::size_t(v.size));
            break;
        case ValueKind::String:
            *static_cast<std::string*>(v.field) = Profile::GetString(kPrintManSection, v.name);
            break;
        }
    }
}

void SaveValues(const std::vector<ProfileValue>& values)
{
    for (const ProfileValue& v : values) {
        switch (v.kind) {
        case ValueKind::Int: {
            u32 n;
            std::memcpy(&n, v.field, sizeof n);
            Profile::WriteInt(kPrintManSection, v.name, int(n));
            break;
        }
        case ValueKind::Bytes:
            Profile::WriteBinary(kPrintManSection, v.name, v.field, v.size);
            break;
        case ValueKind::String:
            Profile::WriteString(kPrintManSection, v.name, *static_cast<const std::string*>(v.field));
            break;
        }
    }
}

}  // namespace

PrintMan::PrintMan(CAddressBookApp* app, const CAddressFormatArray* addressFormats)
    : m_pApp(app)
    , m_addressFormats(addressFormats)
{
    m_fonts.fill(MessageFont());
    m_colors.fill(WindowTextColor());
    m_EnvelopeData = kEnvelopeSizeTable[kEnvelopeUsLetterRow];
    // One Hagaki card (10 x 14.8 cm) per sheet.
    m_Label.m_wColumns = 1;
    m_Label.m_wRows = 1;
    m_Label.m_wPaper = 43;
    m_Label.m_wWidth = 5669;
    m_Label.m_wHeight = 8391;
    for (u32 n = 1; n <= kPrintFieldCount; ++n)
        m_Fields.push_back(n | PFL_PRINTED);
}

PrintMan::~PrintMan() = default;

u32 PrintMan::Load()
{
    LoadValues(LeadingValues(*this));
    // A stored field list of the wrong size cannot say which fields it
    // meant: the default list is printed (an empty one would print nothing
    // but rules) and the bad value is noted.
    if (Profile::Exists(kPrintManSection, kFieldsEntry)) {
        if (const auto bytes
            = Profile::GetBinary(kPrintManSection, kFieldsEntry, kPrintFieldCount * sizeof(u32))) {
            std::memcpy(m_Fields.data(), bytes->constData(), std::size_t(bytes->size()));
        } else {
            const auto stored = Profile::GetBinaryAnySize(kPrintManSection, kFieldsEntry);
            AppendErrorLogNote("The stored print field list (\"Fields\" in \"PrintMan\") holds "
                + std::to_string(stored ? stored->size() : 0) + " bytes instead of "
                + std::to_string(kPrintFieldCount * sizeof(u32)) + "; the default list of fields is used.");
        }
    }
    LoadValues(LabelValues(*this));
    // The chosen label sheet; one that cannot be laid out is not taken.
    if (const auto bytes
        = Profile::GetBinary(kPrintManSection, kLabelEntry, qsizetype(LabelDefinition::kSize))) {
        LabelDefinition label;
        label.FromBytes(*bytes);
        label.m_szName[sizeof label.m_szName - 1] = 0;
        if (label.m_wRows >= 1 && label.m_wRows <= 256 && label.m_wColumns >= 1 && label.m_wColumns <= 256)
            m_Label = label;
    }
    return 0;
}

u32 PrintMan::Save()
{
    SaveValues(LeadingValues(*this));
    // An empty field list is not written, so the stored one stays as it
    // was; the label settings are independent of it and are saved anyway.
    const bool haveFields = !m_Fields.empty();
    if (haveFields)
        Profile::WriteBinary(
            kPrintManSection, kFieldsEntry, m_Fields.data(), qsizetype(m_Fields.size() * sizeof(u32)));
    // Without any formats the count minus one wraps round and nothing is
    // reset: there is no valid index to reset to.
    const u32 formats = m_addressFormats ? u32(m_addressFormats->GetSize()) : 0;
    if (m_LabelFields > formats - 1)
        m_LabelFields = 0;
    SaveValues(LabelValues(*this));
    Profile::WriteBinary(kPrintManSection, kLabelEntry, &m_Label, qsizetype(LabelDefinition::kSize));
    return haveFields ? 0 : RC_MISSING;
}

LOGFONT* PrintMan::GetFont(int element)
{
    return element >= 1 && element <= kPrintTextElements ? &m_fonts[std::size_t(element - 1)] : nullptr;
}

const LOGFONT* PrintMan::GetFont(int element) const
{
    return const_cast<PrintMan*>(this)->GetFont(element);
}

void PrintMan::SetFont(int element, const LOGFONT& font)
{
    if (LOGFONT* target = GetFont(element))
        *target = font;
}

COLORREF PrintMan::GetColor(int element) const
{
    return element >= 1 && element <= kPrintTextElements ? m_colors[std::size_t(element - 1)]
                                                         : WindowTextColor();
}

void PrintMan::SetColor(int element, COLORREF color)
{
    if (element >= 1 && element <= kPrintTextElements)
        m_colors[std::size_t(element - 1)] = color;
}

u32 PrintMan::GetPrintRange() const
{
    switch (m_Printmode) {
    case PM_ENVELOPE:
        return m_PrinttypeEnv;
    case PM_LABELS:
        return m_LabelPrintRange;
    default:
        return m_Printtype;
    }
}
