// The letter a name is filed under when the alphabet lacks its initial.
#pragma once

#include <string>
#include <string_view>

// An upper-case character (UTF-8) without its accents: "É" gives "E", "Å"
// "A"; a letter that has none to take off gives the one it is written from
// ("Ø" gives "O"). Anything else gives itself.
std::string BaseLetter(std::string_view character);
