// The names vCard and vCalendar text may use, with the canonical form each is
// stored under, the fields of structured values and which names open blocks.
#pragma once

#include <span>
#include <string_view>

struct CardPropertyRow {
    std::string_view name;
    std::string_view alias;  // the name that replaces this one, or empty
    std::span<const std::string_view> subFields;  // fields of a ';'-separated value, in order
    unsigned flags;
};

// The name opens a component block written with BEGIN:/END:.
constexpr unsigned kCardComponent = 0x1;
// Internal, never written as a parameter.
constexpr unsigned kCardInternal = 0x2;

constexpr int kCardPropertyRows = 158;

std::span<const CardPropertyRow> CardPropertyTable();

// The row a name stands for (case-insensitive, first match wins, an alias
// followed to its own row), or -1.
int FindCardProperty(std::string_view name);
inline const CardPropertyRow& CardPropertyAt(int row)
{
    return CardPropertyTable()[size_t(row)];
}
// The row of a row's sub-field.
int CardSubFieldRow(int row, size_t field);
// The form a name is stored under: the row's written form, or the name
// itself when no row has it.
std::string_view CanonicalCardName(std::string_view name, int row);
bool EqualsNoCase(std::string_view a, std::string_view b);
