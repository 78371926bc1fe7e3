// The vCard reader on arbitrary bytes: every tree handed over is walked in
// full, and a second read of the same bytes must agree with the first.
#include "impexp/cardexchange.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void Walk(const CardNode& node, std::string& out)
{
    out += node.name;
    out += char(node.type);
    out.append(node.value.data(), node.value.size());
    for (const CardNode& child : node.Children())
        Walk(child, out);
    if (node.object)
        Walk(*node.object, out);
}

std::string ReadAll(const std::string& text, int& count)
{
    CCardExchange exchange;
    std::string out;
    count = exchange.Parse(text, [&](const CardNode& card) { Walk(card, out); });
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    int first = 0;
    int second = 0;
    const std::string a = ReadAll(text, first);
    const std::string b = ReadAll(text, second);
    if (a != b || first != second)
        std::abort();
    return 0;
}
