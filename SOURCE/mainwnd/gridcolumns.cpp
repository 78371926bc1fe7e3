#include "mainwnd/gridcolumns.h"

#include "core/fieldtexts.h"

#include <algorithm>

namespace {

constexpr u32 kIconFlags = HDF_IMAGE | GCF_FIXED_WIDTH | GCF_TITLE_BITMAP;
constexpr u32 kTextFlags = HDF_STRING | HDF_LEFT;
constexpr int kWideColumns = 16;  // rows 1-15 are wider than the rest
// The bit of "All fields" that no other group has: every column.
constexpr u32 kEveryColumnBit = 16;

constexpr std::array<u32, kGridColumnCount> kColumnFields{59513, 59441, 59487, 59488, 59489, 59490, 59491,
    59446, 59447, 59492, 59493, 59494, 59495, 59496, 59497, 59481, 59498, 59499, 59500, 59501, 59502, 59448,
    59449, 59450, 59451, 59452, 59453, 59454, 59455, 59456, 59457, 59468, 59469, 59470, 59471, 59472, 59478,
    59480, 59503, 59504, 59505, 59506, 59507, 59442, 59443, 59444, 59445, 59458, 59459, 59460, 59461, 59462,
    59463, 59464, 59465, 59466, 59467, 59473, 59474, 59475, 59476, 59477, 59508, 59509, 59510, 59511, 59512,
    59479, 59484, 59485, 59671, 59672};

std::array<GridColumnInfo, kGridColumnCount> BuildCatalogue()
{
    std::array<GridColumnInfo, kGridColumnCount> rows;
    for (int i = 0; i < kGridColumnCount; ++i) {
        GridColumnInfo& c = rows[size_t(i)];
        c.m_nFieldId = i32(kColumnFields[size_t(i)]);
        if (i == kIconColumn) {
            c.m_dwFlags = kIconFlags;
            c.m_nWidth = c.m_nMinWidth = c.m_nMaxWidth = 24;
            c.m_nReserved = 0;
        } else {
            c.m_dwFlags = kTextFlags;
            c.m_nWidth = i < kWideColumns ? 150 : 100;
            c.m_nMinWidth = 0;
            c.m_nMaxWidth = -1;
        }
    }
    return rows;
}

const std::array<GridColumnInfo, kGridColumnCount>& Catalogue()
{
    static const auto rows = BuildCatalogue();
    return rows;
}

struct FieldRange {
    u32 first;
    u32 last;
};

bool InRanges(u32 field, std::initializer_list<FieldRange> ranges)
{
    return std::any_of(ranges.begin(), ranges.end(),
        [field](const FieldRange& r) { return field >= r.first && field <= r.last; });
}

// Group bits: 1 frequent, 2 names, 4 home, 8 business, 32 phones, 64 mail,
// 256 and 512 the other fields.
bool FieldInGroup(u32 field, u32 bit)
{
    switch (bit) {
    case 1:
        return InRanges(field, {{59441, 59441}, {59446, 59447}, {59487, 59491}, {59513, 59513}});
    case 2:
        return InRanges(field, {{59441, 59441}, {59492, 59497}});
    case 4:
        return InRanges(field,
            {{59447, 59457}, {59468, 59472}, {59478, 59478}, {59480, 59480}, {59488, 59488}, {59490, 59490},
                {59498, 59502}});
    case 8:
        return InRanges(field,
            {{59442, 59446}, {59458, 59467}, {59473, 59477}, {59479, 59479}, {59489, 59489}, {59491, 59491},
                {59503, 59507}});
    case 32:
        return IsPhoneField(field);
    case 64:
        return IsEmailField(field);
    case 256:
    case 512:
        return InRanges(field, {{59481, 59481}, {59484, 59485}, {59671, 59672}});
    default:
        return false;
    }
}

}  // namespace

const GridColumnInfo* GetGridColumn(int id)
{
    return id >= 0 && id < kGridColumnCount ? &Catalogue()[size_t(id)] : nullptr;
}

std::span<const GridColumnInfo, kGridColumnCount> GridColumns()
{
    return Catalogue();
}

int FindFieldColumn(u32 fieldId)
{
    const auto it = std::find(kColumnFields.begin(), kColumnFields.end(), fieldId);
    return it == kColumnFields.end() ? -1 : int(it - kColumnFields.begin());
}

const std::array<FieldGroup, kFieldGroupCount>& FieldGroups()
{
    static const std::array<FieldGroup, kFieldGroupCount> groups{{
        {"Frequently-used fields", 1},
        {"Home-related fields", 4},
        {"Business-related fields", 8},
        {"All phone fields", 32},
        {"All mail fields", 64},
        {"All name fields", 2},
        {"Other fields", 768},
        {"All fields", 894},
    }};
    return groups;
}

bool FieldInGroups(u32 fieldId, u32 mask)
{
    if (mask & kEveryColumnBit)
        return FindFieldColumn(fieldId) >= 0;
    for (u32 bit = 1; bit <= 512; bit <<= 1) {
        if ((mask & bit) && FieldInGroup(fieldId, bit))
            return true;
    }
    return false;
}

bool IsPhoneField(u32 fieldId)
{
    return (fieldId >= FID_FIRST_PHONE && fieldId <= FID_LAST_PHONE) || fieldId == FID_HOME_PHONE
        || fieldId == FID_BUSINESS_PHONE;
}

bool IsEmailField(u32 fieldId)
{
    return (fieldId >= FID_FIRST_EMAIL && fieldId <= FID_LAST_EMAIL) || fieldId == FID_HOME_EMAIL
        || fieldId == FID_BUSINESS_EMAIL;
}

bool IsWebField(u32 fieldId)
{
    return fieldId == FID_HOME_WEBPAGE || fieldId == FID_BUSINESS_WEBPAGE;
}

bool IsDateField(u32 fieldId)
{
    return fieldId == FID_BIRTHDAY || fieldId == FID_ANNIVERSARY || fieldId == FID_CREATED
        || fieldId == FID_MODIFIED;
}

u32 FindFlagField(int bit)
{
    static constexpr u32 kFields[kFindFieldCount]{0, FID_COMPANY, FID_DEPARTMENT, FID_OFFICE, FID_JOB_TITLE,
        FID_BUSINESS_ADDRESS, FID_HOME_ADDRESS, FID_NOTES};
    return bit >= 0 && bit < kFindFieldCount ? kFields[bit] : 0;
}
