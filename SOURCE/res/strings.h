// The string table: every message, caption and name the program shows,
// found by its number. Each area of the program keeps its texts in its own
// file under strings/; the ids are unique across all of them.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

// The one wording for a file refused because it is not an ordinary file,
// after "It is " in a sentence of its own and after "it is " in a clause.
#define TOLVA_NOT_ORDINARY_FILE "not an ordinary file but a folder, a pipe or a device"

struct StringEntry {
    std::uint32_t id;
    const char* text;
};

// The text of an id, or null when the table has none.
const char* FindResString(std::uint32_t id);
// Every entry, sorted by id.
std::span<const StringEntry> AllResStrings();
