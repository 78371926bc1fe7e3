// The vCard reader on arbitrary bytes: every tree handed over is walked in
// full, and a second read of the same bytes must agree with the first. Each
// card is then mapped onto a contact, and what Tolva writes of that contact
// must read back into the same fields.
#include "core/fieldtexts.h"
#include "impexp/cardexchange.h"
#include "impexp/fieldmapping.h"

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

std::string WriteCard(const Contact& contact)
{
    CCardExchange exchange;
    exchange.CopyContact(contact);
    std::string text;
    exchange.WriteCard(text);
    return text;
}

// Every field the writer carries, by its text. Web pages are left out: a
// page whose address holds "URL:" loses what comes before it each time it
// is read.
std::string Fields(const Contact& contact)
{
    std::string out;
    for (u32 id = kFirstMappedField; id <= FID_DEFAULT_STREET + 4; ++id) {
        if (id == FID_HOME_WEBPAGE || id == FID_BUSINESS_WEBPAGE)
            continue;
        out += FormatFieldText(contact, id);
        out += '\n';
    }
    return out;
}

void RoundTrip(const Contact& first)
{
    CCardExchange exchange;
    std::vector<std::unique_ptr<Contact>> back;
    exchange.Parse(WriteCard(first), [&](const CardNode& card) {
        exchange.Classify(card);
        exchange.MakeContact();
    });
    if (exchange.Contacts().size() != 1 || Fields(*exchange.Contacts().front()) != Fields(first))
        std::abort();
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

    CCardExchange exchange;
    exchange.Parse(text, [&](const CardNode& card) {
        exchange.Classify(card);
        exchange.MakeContact();
    });
    for (const auto& contact : exchange.Contacts())
        RoundTrip(*contact);
    return 0;
}
