#include "platform/modemanswer.h"

#include <cctype>

namespace {

struct Named {
    std::string_view verbose;
    std::string_view numeric;
    ModemResult result;
};

// The verbose and numeric forms of the basic result codes, and the words
// of the extended ones; numeric connect speeds ("5", "10") count as CONNECT.
constexpr Named kResults[] = {
    {"OK", "0", ModemResult::Ok},
    {"CONNECT", "1", ModemResult::Connect},
    {"RING", "2", ModemResult::Ring},
    {"NO CARRIER", "3", ModemResult::NoCarrier},
    {"ERROR", "4", ModemResult::Error},
    {"NO DIALTONE", "6", ModemResult::NoDialtone},
    {"NO DIAL TONE", "", ModemResult::NoDialtone},
    {"BUSY", "7", ModemResult::Busy},
    {"NO ANSWER", "8", ModemResult::NoAnswer},
    {"VCON", "", ModemResult::Connect},
    {"RINGING", "", ModemResult::Ringing},
    {"RINGBACK", "", ModemResult::Ringing},
    {"DELAYED", "", ModemResult::Delayed},
    {"BLACKLISTED", "", ModemResult::Blacklisted},
};

bool SameWords(std::string_view line, std::string_view word)
{
    if (line.size() != word.size())
        return false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(line[i])) != word[i])
            return false;
    }
    return true;
}

bool IsDigits(std::string_view text)
{
    if (text.empty())
        return false;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

}  // namespace

ModemResult ClassifyModemLine(std::string_view line)
{
    while (!line.empty() && line.front() == ' ')
        line.remove_prefix(1);
    while (!line.empty() && line.back() == ' ')
        line.remove_suffix(1);
    for (const Named& named : kResults) {
        if (SameWords(line, named.verbose) || (!named.numeric.empty() && line == named.numeric))
            return named.result;
    }
    // "CONNECT 33600/ARQ" and the numeric speeds of the extended set.
    if (line.size() > 8 && SameWords(line.substr(0, 8), "CONNECT "))
        return ModemResult::Connect;
    if (IsDigits(line) && line.size() <= 2 && (line == "5" || (line >= "10" && line.size() == 2)))
        return ModemResult::Connect;
    return ModemResult::None;
}

void ModemAnswerReader::Feed(std::string_view bytes)
{
    for (const char c : bytes) {
        if (c == '\r' || c == '\n') {
            EndLine();
            continue;
        }
        if (m_partial.size() >= kMaxLineBytes)
            continue;
        const auto byte = static_cast<unsigned char>(c);
        m_partial += byte >= 0x20 && byte < 0x7F ? c : '?';
    }
}

void ModemAnswerReader::EndLine()
{
    if (m_partial.empty())
        return;
    ModemAnswer answer;
    answer.text = std::move(m_partial);
    m_partial.clear();
    answer.echo = answer.text.size() >= 2 && SameWords(answer.text.substr(0, 2), "AT");
    if (!answer.echo)
        answer.result = ClassifyModemLine(answer.text);
    // A modem that floods the port loses its oldest lines, never memory.
    if (m_lines.size() >= kMaxPendingLines)
        m_lines.pop_front();
    m_lines.push_back(std::move(answer));
}

bool ModemAnswerReader::Next(ModemAnswer& answer)
{
    if (m_lines.empty())
        return false;
    answer = std::move(m_lines.front());
    m_lines.pop_front();
    return true;
}

void ModemAnswerReader::Reset()
{
    m_partial.clear();
    m_lines.clear();
}
