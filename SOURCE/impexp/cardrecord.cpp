#include "impexp/cardrecord.h"

#include "impexp/cardproperties.h"

#include <algorithm>

namespace {

// In the order they are written.
constexpr CardFlagWord kFlagWords[] = {
    {"HOME", CPF_HOME},
    {"WORK", CPF_WORK},
    {"PREF", CPF_PREF},
    {"FAX", CPF_FAX},
    {"MSG", CPF_MSG},
    {"CELL", CPF_CELL},
    {"PARCEL", CPF_PARCEL},
    {"POSTAL", CPF_POSTAL},
    {"QUOTED-PRINTABLE", CPF_QUOTED_PRINTABLE},
    {"CAR", CPF_CAR},
    {"PAGER", CPF_PAGER},
    {"VOICE", CPF_VOICE},
    {"ISDN", CPF_ISDN},
};

// What the rows of the property table say, found once: a parameter word is
// looked up by its row, which the table's own lookup gives quickly.
struct WordRows {
    std::array<u32, kCardPropertyRows> flags{};
    std::array<int, kCardPropertyRows> emailTypes{};

    WordRows()
    {
        emailTypes.fill(-1);
        for (const auto& [word, flag] : kFlagWords)
            flags[size_t(FindCardProperty(word))] = flag;
        for (size_t i = 0; i < std::size(kCardEmailTypes); ++i)
            emailTypes[size_t(FindCardProperty(kCardEmailTypes[i]))] = int(i);
    }
};

const WordRows& Rows()
{
    static const WordRows rows;
    return rows;
}

}  // namespace

u32 CardParamFlagOf(std::string_view word)
{
    const int row = FindCardProperty(word);
    return row < 0 ? 0 : Rows().flags[size_t(row)];
}

int CardEmailTypeOf(std::string_view word)
{
    const int row = FindCardProperty(word);
    return row < 0 ? -1 : Rows().emailTypes[size_t(row)];
}

std::span<const CardFlagWord> CardParamFlagWords()
{
    return kFlagWords;
}

void CardRecord::Clear()
{
    kind = CardKind::None;
    for (std::string* text : {&formattedName, &givenName, &familyName, &additionalNames, &namePrefix,
             &nameSuffix, &nickname, &title, &orgName, &orgUnit, &office, &role, &spouse, &children, &icq,
             &note, &soundText, &timeZone, &position})
        text->clear();
    gender = 0;
    anniversary = DateValue::Null();
    addresses.clear();
    birthday = DateValue::Null();
    untypedUrls.clear();
    untypedPhones.clear();
    for (std::string& url : urls)
        url.clear();
    for (std::string& phone : phones)
        phone.clear();
    for (CardEmail& email : emails) {
        email.address.clear();
        email.flags = 0;
        email.type = kCardEmailInternet;
    }
    // Pictures and sounds may be large: their room is given back.
    sound = {};
    logo = {};
    photo = {};
}
