// The grid's column catalogue: one descriptor for each of the 72 contact
// fields the contact list can show, the field groups of the field chooser
// and the fields quick find searches. A column's id is its row in the
// catalogue; the grid, the saved layouts and the field chooser name columns
// by it.
#pragma once

#include "platform/wintypes.h"

#include <array>
#include <span>

// Header item formats (the low 16 bits of a column's flags).
constexpr u32 HDF_LEFT = 0x0000;
constexpr u32 HDF_RIGHT = 0x0001;
constexpr u32 HDF_CENTER = 0x0002;
constexpr u32 HDF_JUSTIFYMASK = 0x0003;
constexpr u32 HDF_BITMAP_ON_RIGHT = 0x1000;
constexpr u32 HDF_BITMAP = 0x2000;
constexpr u32 HDF_STRING = 0x4000;
constexpr u32 HDF_IMAGE = 0x0800;

// Width-limit flags of the header (shifted down by 16 when passed to it).
constexpr u32 GCF_SIZE_TO_TITLE = 1u << 16;
constexpr u32 GCF_ROOM_FOR_ARROW = 1u << 17;
constexpr u32 GCF_FIXED_WIDTH = 1u << 18;
constexpr u32 GCF_TITLE_BITMAP = 1u << 19;
constexpr u32 GCF_LIMIT_MASK = 0x00FF0000;
constexpr u32 GCF_CHECKBOX = 1u << 25;

struct GridColumnInfo {
    u32 m_dwFlags = 0;
    i32 m_nFieldId = -1;
    i32 m_nWidth = -1;
    i32 m_nMinWidth = 0;
    i32 m_nMaxWidth = -1;
    i32 m_nReserved = -1;

    u32 Format() const { return m_dwFlags & 0xFFFF; }
    u32 LimitFlags() const { return (m_dwFlags & GCF_LIMIT_MASK) >> 16; }
    bool operator==(const GridColumnInfo&) const = default;
};

constexpr int kGridColumnCount = 72;
constexpr int kIconColumn = 0;
constexpr int kNameColumn = 1;
// The columns of a book without a layout of its own: Icon, Name, Default
// address, Home email, Business email, Home phone and Business phone.
constexpr int kDefaultColumnCount = 7;

// The catalogue row of a column id; null outside 0-71.
const GridColumnInfo* GetGridColumn(int id);
std::span<const GridColumnInfo, kGridColumnCount> GridColumns();
// The column showing a field, -1 when the field has none.
int FindFieldColumn(u32 fieldId);

// Field chooser groups.
constexpr int kFieldGroupCount = 8;
struct FieldGroup {
    const char* text;
    u32 mask;
};
const std::array<FieldGroup, kFieldGroupCount>& FieldGroups();
// Whether the group mask admits the field. A mask admits a field when it
// has a bit of any group that lists the field.
bool FieldInGroups(u32 fieldId, u32 mask);

// Field kinds the grid acts on when a cell is double-clicked.
bool IsPhoneField(u32 fieldId);
bool IsEmailField(u32 fieldId);
bool IsWebField(u32 fieldId);
bool IsDateField(u32 fieldId);

// Quick find: bit 0 all name fields, bits 1-7 the fields below.
constexpr int kFindFieldCount = 8;
constexpr const char* kFindAllNamesText = "All name fields";
// The field of find bit 1 to 7; 0 for bit 0 (the name fields).
u32 FindFlagField(int bit);
