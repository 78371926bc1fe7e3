// What names a serial port or lists the ports, on arbitrary bytes: a
// settings file's text searched for an entry, a "ModemPorts" value split
// into paths, a by-id link's name turned into a label. Found values are
// parts of one line, paths are non-empty and hold no separator, labels are
// bounded and printable.
#include "platform/profile.h"
#include "platform/serialports.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (const auto value = Profile::FindIniText(bytes, "TapiMan", "ModemPorts")) {
        if (value->find('\n') != std::string::npos || value->size() > size)
            std::abort();
    }
    for (const std::string& path : SplitPortList(bytes)) {
        if (path.empty() || path.find_first_of(";,") != std::string::npos || path.front() == ' '
            || path.back() == ' ')
            std::abort();
    }
    const std::string label = ByIdLabel(bytes);
    if (label.empty() || label.size() > 80)
        std::abort();
    for (const char c : label) {
        if (c < 0x20 || c > 0x7E)
            std::abort();
    }
    return 0;
}
