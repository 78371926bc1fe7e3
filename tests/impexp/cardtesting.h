// Reading vCard text into something a test can compare.
#pragma once

#include "impexp/cardexchange.h"

#include <string>
#include <vector>

// One line per node, two blanks of indent per level: a parameter value after
// '=', a text value after ': ', binary data as its size.
inline std::string DumpCard(const CardNode& node, int depth = 0)
{
    std::string out(size_t(depth) * 2, ' ');
    out += node.name;
    if (node.type == CardValueType::ByteString)
        out += "=" + std::string(node.value);
    else if (node.type == CardValueType::Text)
        out += ": " + std::string(node.value);
    else if (node.type == CardValueType::Bytes)
        out += " <" + std::to_string(node.value.size()) + " bytes>";
    out += "\n";
    for (const CardNode& child : node.Children())
        out += DumpCard(child, depth + 1);
    if (node.object)
        out += DumpCard(*node.object, depth + 1);
    return out;
}

// Each top-level block dumped, in file order.
inline std::vector<std::string> ParseCards(std::string_view text, CCardExchange* exchange = nullptr)
{
    CCardExchange own;
    std::vector<std::string> cards;
    (exchange ? *exchange : own).Parse(text, [&](const CardNode& card) { cards.push_back(DumpCard(card)); });
    return cards;
}
