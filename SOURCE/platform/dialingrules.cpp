#include "platform/dialingrules.h"

#include "platform/profile.h"

#include <optional>
#include <string>

namespace {

constexpr const char* kSection = "TapiMan\\Location";

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool AllOf(std::string_view text, bool (*allowed)(char))
{
    for (const char c : text) {
        if (!allowed(c))
            return false;
    }
    return true;
}

// Dialing codes a modem understands inside a number: "*" and "#" on the
// keypad, "," a pause and "W" a wait for the second dial tone.
bool IsDialCode(char c)
{
    return IsDigit(c) || c == '*' || c == '#' || c == ',' || c == 'W';
}

// What people write between the digits of a number.
bool IsSeparator(char c)
{
    return c == ' ' || c == '-' || c == '(' || c == ')' || c == '.' || c == '/';
}

std::string Stored(const char* entry, const std::string& fallback, bool (*valid)(std::string_view))
{
    const std::string value = Profile::GetString(kSection, entry, fallback);
    return valid(value) ? value : fallback;
}

bool IsOptionalDialingCode(std::string_view code)
{
    return code.empty() || IsDialingCode(code);
}

}  // namespace

bool IsDialingCode(std::string_view code)
{
    return !code.empty() && code.size() <= DialingLocation::kMaxCodeLength && AllOf(code, IsDigit);
}

bool IsOutsideLinePrefix(std::string_view prefix)
{
    return prefix.size() <= DialingLocation::kMaxCodeLength
        && AllOf(prefix, [](char c) { return IsDigit(c) || c == '*' || c == '#' || c == ','; });
}

DialingLocation DialingLocation::Load()
{
    const DialingLocation defaults;
    DialingLocation location;
    location.countryCode = Stored("CountryCode", defaults.countryCode, IsOptionalDialingCode);
    location.areaCode = Stored("AreaCode", defaults.areaCode, IsOptionalDialingCode);
    location.outsideLine = Stored("OutsideLine", defaults.outsideLine, IsOutsideLinePrefix);
    location.longDistance = Stored("LongDistance", defaults.longDistance, IsOptionalDialingCode);
    location.international = Stored("International", defaults.international, IsOptionalDialingCode);
    location.pulse = Profile::GetInt(kSection, "Pulse", 0) == 1;
    return location;
}

void DialingLocation::Save() const
{
    Profile::WriteString(kSection, "CountryCode", countryCode);
    Profile::WriteString(kSection, "AreaCode", areaCode);
    Profile::WriteString(kSection, "OutsideLine", outsideLine);
    Profile::WriteString(kSection, "LongDistance", longDistance);
    Profile::WriteString(kSection, "International", international);
    Profile::WriteInt(kSection, "Pulse", pulse ? 1 : 0);
}

namespace {

// The number before an extension and the extension's digits. False when
// what follows the number is no extension.
bool SplitExtension(std::string_view number, std::string_view& main, std::string_view& extension)
{
    main = number;
    extension = {};
    // The markers people write before an extension; no letter of them is a
    // dialing code, so the first one starts it.
    const std::size_t at = number.find_first_of("xXeE");
    if (at == std::string_view::npos)
        return true;
    main = number.substr(0, at);
    while (!main.empty() && main.back() == ' ')
        main.remove_suffix(1);
    std::string_view rest = number.substr(at);
    const auto take = [&rest](std::string_view marker) {
        if (rest.size() < marker.size())
            return false;
        for (std::size_t i = 0; i < marker.size(); ++i)
            if ((rest[i] | 0x20) != marker[i])
                return false;
        rest.remove_prefix(marker.size());
        return true;
    };
    if (!take("extension") && !take("ext") && !take("x"))
        return false;
    while (!rest.empty() && (rest.front() == ' ' || rest.front() == '.' || rest.front() == ':'))
        rest.remove_prefix(1);
    while (!rest.empty() && rest.back() == ' ')
        rest.remove_suffix(1);
    if (rest.empty() || !AllOf(rest, IsDigit))
        return false;
    extension = rest;
    return true;
}

}  // namespace

std::string DialExtension(std::string_view number)
{
    std::string_view main;
    std::string_view extension;
    return SplitExtension(number, main, extension) ? std::string(extension) : std::string();
}

namespace {

// The text after its first count digits, separators before them skipped;
// empty when a dialing code comes first or fewer digits remain after them.
std::optional<std::string_view> AfterDigits(std::string_view text, std::size_t count)
{
    std::size_t at = 0;
    for (std::size_t digits = 0; digits < count; ++at) {
        if (at == text.size())
            return std::nullopt;
        if (IsDigit(text[at]))
            ++digits;
        else if (!IsSeparator(text[at]))
            return std::nullopt;
    }
    return text.substr(at);
}

// A number written without "+" that plainly stands for a "+" number: one
// behind an international prefix (the location's, "00" or "011"), one in
// the location's national form (its long-distance prefix before the area
// code), or, where the country code is 1, ten digits whose area code
// cannot begin with 0 or 1. The written grouping is kept after the "+"
// and the country code. Empty for every other number, which is dialed as
// written: a local number, a short code, one with dialing codes in it.
std::optional<std::string> AsCanonical(
    std::string_view number, std::string_view digits, const DialingLocation& location)
{
    if (digits.empty() || !AllOf(digits, IsDigit))
        return std::nullopt;
    const std::string_view longDistance = location.longDistance;
    const auto behind = [&](std::string_view prefix) {
        return !prefix.empty() && digits.size() > prefix.size() && digits.starts_with(prefix);
    };
    // "00" and "011" where they are no prefix of the location: a national
    // number that begins with the long-distance prefix ("0118 496 0000"
    // in the United Kingdom) keeps its meaning.
    for (const std::string_view prefix :
        {std::string_view(location.international), std::string_view("00"), std::string_view("011")}) {
        if (!behind(prefix))
            continue;
        if (prefix != location.international && !longDistance.empty() && digits.starts_with(longDistance))
            continue;
        if (const auto rest = AfterDigits(number, prefix.size()))
            return std::string("+").append(*rest);
    }
    const std::string& country = location.countryCode;
    if (country.empty())
        return std::nullopt;
    if (behind(longDistance)) {
        if (const auto rest = AfterDigits(number, longDistance.size()))
            return "+" + country + " " + std::string(*rest);
    }
    if (country == "1" && digits.size() == 10 && digits.front() >= '2')
        return "+1 " + std::string(number);
    return std::nullopt;
}

}  // namespace

bool TranslateNumber(std::string_view number, const DialingLocation& location, std::string& dialable)
{
    std::string_view extension;
    if (!SplitExtension(number, number, extension))
        return false;
    while (!number.empty() && number.front() == ' ')
        number.remove_prefix(1);
    const bool canonical = !number.empty() && number.front() == '+';
    if (canonical)
        number.remove_prefix(1);
    // The digits and dialing codes in order. A "(0)" right behind the
    // country code is the trunk prefix the country's own long-distance
    // calls begin with: it is no part of the number, and dialed from
    // abroad it would be taken for the start of the area code.
    std::string codes;
    bool countryEnded = !canonical;
    for (std::size_t i = 0; i < number.size(); ++i) {
        const char c = number[i] == 'w' ? 'W' : number[i];
        if (IsSeparator(c)) {
            if (!countryEnded && !codes.empty()) {
                countryEnded = true;
                const std::size_t next = number.find_first_not_of(' ', i);
                if (next != std::string_view::npos && number.substr(next).starts_with("(0)"))
                    i = next + 2;
            }
            continue;
        }
        if (!IsDialCode(c))
            return false;
        codes += c;
    }
    if (codes.find_first_of("0123456789") == std::string::npos)
        return false;

    if (!canonical) {
        if (const auto written = AsCanonical(number, codes, location))
            return TranslateNumber(*written, location, dialable);
    }
    std::string body = codes;
    if (canonical) {
        // Country codes, and the area codes of a country, are chosen so that
        // none begins another: the digits alone say which country and area a
        // number lies in, however the writer grouped them.
        const std::string& country = location.countryCode;
        if (country.empty() || !codes.starts_with(country)) {
            body = location.international + codes;
        } else {
            const std::string national = codes.substr(country.size());
            const std::string& area = location.areaCode;
            const bool ownArea = !area.empty() && national.size() > area.size() && national.starts_with(area);
            body = ownArea ? national.substr(area.size()) : location.longDistance + national;
        }
    }
    dialable = (location.pulse ? "P" : "T") + location.outsideLine + body;
    return true;
}

bool IsDialString(std::string_view dialable)
{
    if (dialable.size() < 2 || (dialable.front() != 'T' && dialable.front() != 'P'))
        return false;
    return AllOf(dialable.substr(1), IsDialCode);
}
