// The context-help topics reader on arbitrary bytes: a file reads whole or
// not at all, and every topic read has a number in range.
#include "platform/helptopics.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    HelpTopics topics;
    std::string error;
    const bool read = ParseHelpTopics(bytes, topics, error);
    if (read != error.empty() || (!read && !topics.texts.empty()))
        std::abort();
    for (const auto& [id, text] : topics.texts) {
        if (id == 0 || id > HelpTopics::kMaxTopicId || text.size() > size)
            std::abort();
    }
    return 0;
}
