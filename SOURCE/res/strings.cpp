#include "res/strings.h"

#include <algorithm>
#include <vector>

namespace {

const StringEntry kEntries[] = {
#include "res/strings/controls.inc"
#include "res/strings/core.inc"
#include "res/strings/editing.inc"
#include "res/strings/image.inc"
#include "res/strings/impexp.inc"
#include "res/strings/mainwnd.inc"
#include "res/strings/print.inc"
#include "res/strings/telephony.inc"
    {0, ""},
};

const std::vector<StringEntry>& Sorted()
{
    static const std::vector<StringEntry> sorted = [] {
        std::vector<StringEntry> v(std::begin(kEntries), std::end(kEntries) - 1);
        std::stable_sort(
            v.begin(), v.end(), [](const StringEntry& a, const StringEntry& b) { return a.id < b.id; });
        return v;
    }();
    return sorted;
}

}  // namespace

const char* FindResString(std::uint32_t id)
{
    const auto& v = Sorted();
    const auto it = std::lower_bound(
        v.begin(), v.end(), id, [](const StringEntry& e, std::uint32_t x) { return e.id < x; });
    return (it != v.end() && it->id == id) ? it->text : nullptr;
}

std::span<const StringEntry> AllResStrings()
{
    return Sorted();
}
