// A book's grid layout text as it comes from a data file: it is either read
// whole into a sound layout, which writes back to a text that reads the
// same, or refused.
#include "mainwnd/gridlayout.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    GridLayout layout;
    if (!ParseGridLayout(text, layout))
        return 0;
    if (layout.columns.empty() || layout.columns.size() > size_t(kGridColumnCount))
        std::abort();
    GridLayout again;
    if (!ParseGridLayout(FormatGridLayout(layout), again) || again.columns != layout.columns
        || again.sortColumn != layout.sortColumn || again.ascending != layout.ascending)
        std::abort();
    return 0;
}
