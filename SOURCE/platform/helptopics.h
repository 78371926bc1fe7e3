// The texts of the context-help pop-ups: one file of topics, each a
// ".topic <id>" line followed by its text. Lines beginning with "#" are
// comments; a blank line inside a text starts a new paragraph.
#pragma once

#include "platform/wintypes.h"

#include <map>
#include <string>
#include <string_view>

struct HelpTopics {
    static constexpr size_t kMaxFileSize = 1 << 20;
    static constexpr u32 kMaxTopicId = 0xFFFF;

    // Topic id to its text (UTF-8, paragraphs separated by an empty line).
    std::map<u32, std::string> texts;

    // The text of a topic, or an empty string when it has none.
    const std::string& Text(u32 topicId) const;
};

// Reads a topics file held in memory. On a damaged file returns false with
// the reason and the number of the line at fault in error, and leaves topics
// empty: half a file of help is not offered.
bool ParseHelpTopics(std::string_view bytes, HelpTopics& topics, std::string& error);

// The topics file that a help path names: the part after a help file's
// "::/" is a file beside the help file.
std::string HelpTopicsFileOf(const std::string& helpPath);

// The topics of a file, read on the first request for it and kept for the
// run. A file that is missing or damaged gives no topics; the reason is put
// into firstError on that first request only (and left alone otherwise), so
// the caller reports it once.
const HelpTopics& HelpTopicsOfFile(const std::string& path, std::string* firstError = nullptr);
