// Lines of the text files a user may edit by hand (settings, help topics).
#pragma once

#include <string_view>

// The text without the blanks, tabs and carriage returns at its ends.
inline std::string_view TrimBlanks(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}
