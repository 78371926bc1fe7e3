// The text a book keeps its grid layout in: the sort column and direction,
// the widths of the columns by id and the shown columns in display order,
// as decimal numbers separated by blanks:
//   sort-column direction N V width*N column*V
// A book's text comes from its file, so it is read strictly: anything that
// is not a sound layout is refused as a whole.
#pragma once

#include "mainwnd/gridcolumns.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

// The first word of the book condition entry that holds the layout.
constexpr u32 kLayoutConditionField = 1;
// Wider columns are taken for damage rather than a user's choice.
constexpr int kMaxColumnWidth = 10000;

struct GridLayout {
    int sortColumn = kNameColumn;  // -1 none, 0 the icon column
    int ascending = 1;  // 1 ascending, 0 descending
    // Widths by column id; a layout may carry fewer than all, the rest are
    // -1 (unchanged).
    std::array<int, kGridColumnCount> widths;
    std::vector<int> columns;  // column ids in display order

    GridLayout() { widths.fill(-1); }
};

// False, with the layout left as it was, for a text that is not a sound
// layout: missing or extra numbers, non-numbers, counts out of range,
// column ids outside 0-71, repeated columns, widths out of range.
bool ParseGridLayout(std::string_view text, GridLayout& layout);
// Writes every one of the 72 widths; a width of -1 is written as 0.
std::string FormatGridLayout(const GridLayout& layout);
