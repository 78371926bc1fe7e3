#include "platform/dialingrules.h"

#include "platform/profile.h"

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

bool TranslateNumber(std::string_view number, const DialingLocation& location, std::string& dialable)
{
    while (!number.empty() && number.front() == ' ')
        number.remove_prefix(1);
    const bool canonical = !number.empty() && number.front() == '+';
    if (canonical)
        number.remove_prefix(1);
    // The digits and dialing codes in order; in a "+" number the country
    // code is the first group of digits and the area code the second.
    std::string codes;
    std::string groups[2];
    std::size_t group = 0;
    bool inGroup = false;
    for (const char raw : number) {
        const char c = raw == 'w' ? 'W' : raw;
        if (IsSeparator(c)) {
            if (inGroup && group < 2)
                ++group;
            inGroup = false;
            continue;
        }
        if (!IsDialCode(c))
            return false;
        codes += c;
        if (IsDigit(c) && group < 2) {
            groups[group] += c;
            inGroup = true;
        }
    }
    if (codes.find_first_of("0123456789") == std::string::npos)
        return false;

    std::string body = codes;
    if (canonical) {
        const std::string& country = location.countryCode;
        if (country.empty() || codes.compare(0, country.size(), country) != 0) {
            body = location.international + codes;
        } else {
            std::string national = codes.substr(country.size());
            // The own area is dialed without its code; the area is known
            // from the grouping when the number has one, else by its start.
            const std::string& area = location.areaCode;
            const bool grouped = groups[0] == country && !groups[1].empty();
            const bool ownArea = !area.empty()
                && (grouped ? groups[1] == area : national.compare(0, area.size(), area) == 0);
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
