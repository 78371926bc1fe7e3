// Dialing rules: where the user dials from, and how a number as the
// contacts hold it ("+1 (555) 123-4567", "555 1234") becomes what a modem
// dials. The location lives in the settings section "TapiMan\Location".
#pragma once

#include <string>
#include <string_view>

struct DialingLocation {
    static constexpr std::size_t kMaxCodeLength = 10;

    std::string countryCode = "1";
    std::string areaCode;
    std::string outsideLine;  // dialed first to reach an outside line
    std::string longDistance = "1";  // before a number in another area
    std::string international = "011";  // before a number in another country
    bool pulse = false;

    // Read from the settings; a value that does not fit keeps its default.
    static DialingLocation Load();
    void Save() const;
};

// Digits only (a country, area or prefix code), at most kMaxCodeLength.
bool IsDialingCode(std::string_view code);
// An outside-line prefix: digits, "*", "#" and "," (a pause).
bool IsOutsideLinePrefix(std::string_view prefix);

// The dial string of a number: "T" or "P", then the outside-line prefix and
// the digits the location needs. An extension written after the number
// ("x89", "ext. 12") is left out: the user keys it once the call is
// answered. False, with nothing written, when the number holds a character
// a modem could take as a command, or no digit.
bool TranslateNumber(std::string_view number, const DialingLocation& location, std::string& dialable);

// The digits of the extension written after a number ("+1 (555) 123-4567
// x89", "555-0100 ext. 12"); empty when it has none or is no number.
std::string DialExtension(std::string_view number);

// A dial string as TranslateNumber makes it: "T" or "P" and then digits,
// "*", "#", "," and "W" only.
bool IsDialString(std::string_view dialable);
