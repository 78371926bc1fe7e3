// The vCard reader on arbitrary bytes: every tree handed over is walked in
// full, and a second read of the same bytes must agree with the first. Each
// card is then mapped onto a contact, and what Tolva writes of that contact
// must read back into one contact with the same fields.
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

// Every field the writer carries: the texts, dates and gender, and every
// phone, e-mail, page and address with its type and flags.
std::string Fields(const Contact& c)
{
    std::string out;
    for (u32 id = kFirstMappedField; id <= FID_DEFAULT_STREET + 4; ++id) {
        out += FormatFieldText(c, id);
        out += '\n';
    }
    for (const std::string* text :
        {&c.m_strTitle, &c.m_strSuffix, &c.m_strNickName, &c.m_strSpouse, &c.m_strChildren, &c.m_strNotes}) {
        out += *text;
        out += '\n';
    }
    out += std::to_string(c.m_dwGender) + '\n';
    for (const std::vector<ContactValue>* values : {&c.m_phones, &c.m_emails, &c.m_web})
        for (const ContactValue& v : *values)
            out += std::to_string(v.m_dwCode) + ' ' + v.m_strText + '\n';
    for (const ContactAddress& a : c.m_addresses)
        out += std::to_string(a.m_dwType) + ' ' + a.m_strStreet + '|' + a.m_strCity + '|' + a.m_strState + '|'
            + a.m_strZip + '|' + a.m_strCountry + '\n';
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
