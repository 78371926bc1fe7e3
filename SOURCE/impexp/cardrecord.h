// The flat record between a card's tree and a contact: what a card says,
// sorted into the places a contact has. Import fills it property by
// property and then makes a contact of it; export copies a contact into it
// and builds a card from it.
#pragma once

#include "platform/oledate.h"
#include "platform/wintypes.h"

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Parameter flags, set from what a parameter says ("WORK", "TYPE=WORK").
constexpr u32 CPF_WORK = 0x1;
constexpr u32 CPF_HOME = 0x2;
constexpr u32 CPF_POSTAL = 0x4;
constexpr u32 CPF_PREF = 0x8;
constexpr u32 CPF_CELL = 0x10;
constexpr u32 CPF_MSG = 0x20;
constexpr u32 CPF_FAX = 0x40;
constexpr u32 CPF_PARCEL = 0x80;
constexpr u32 CPF_QUOTED_PRINTABLE = 0x100;
constexpr u32 CPF_CAR = 0x200;
constexpr u32 CPF_PAGER = 0x400;
constexpr u32 CPF_ISDN = 0x800;
constexpr u32 CPF_VOICE = 0x1000;

struct CardFlagWord {
    std::string_view word;
    u32 flag;
};
// In the order a card carries them: "TEL;HOME;VOICE", "TEL;CELL;VOICE".
std::span<const CardFlagWord> CardParamFlagWords();
// A parameter word's flag, 0 for words that set none.
u32 CardParamFlagOf(std::string_view word);

// E-mail types a card may name; an exported e-mail is an INTERNET one.
constexpr std::string_view kCardEmailTypes[] = {"AOL", "APPLELINK", "ATTMAIL", "CIS", "EWORLD", "IBMMail",
    "INTERNET", "MCIMAIL", "MSN", "POWERSHARE", "PRODIGY", "TLX", "X400"};
constexpr int kCardEmailInternet = 6;
// The index of a parameter word in the list, or -1.
int CardEmailTypeOf(std::string_view word);

// The record's phone and e-mail slots follow the contact's value types:
// slot i holds type i + 1, the home types first.
constexpr size_t kCardPhoneSlots = 20;
constexpr size_t kCardEmailSlots = 10;
// Radio and telex slots within a kind, and the parameters that mark their
// numbers: cards have no type for them.
constexpr size_t kCardRadioSlot = 5;
// The first slots of a kind hold its voice numbers: phones 1 to 3.
constexpr size_t kCardVoiceSlots = 3;
constexpr size_t kCardTelexSlot = 8;
constexpr std::string_view kCardRadioParam = "X-RADIO";
constexpr std::string_view kCardTelexParam = "X-TELEX";
// The same marks as another address book writes them.
constexpr std::string_view kCardRadioParams[] = {kCardRadioParam, "X-EVOLUTION-RADIO"};
constexpr std::string_view kCardTelexParams[] = {kCardTelexParam, "X-EVOLUTION-TELEX"};
// Values of one type share their standard parameters: the second and third
// voice number of a kind, the e-mails of a kind after the first and the
// page that is neither home nor business page. This program's own
// parameter gives their place among the values of their type, counted from
// 1 ("X-TOLVA-SLOT=2"), so that they read back into the same place; other
// readers leave it alone.
constexpr std::string_view kCardSlotParam = "X-TOLVA-SLOT";
constexpr size_t kCardUrlSlots = 3;
// URL slots: the business page, the home page, another page.
constexpr size_t kCardUrlBusiness = 0;
constexpr size_t kCardUrlHome = 1;
constexpr size_t kCardUrlOther = 2;

// Kinds of address a card may give besides WORK, HOME and POSTAL: one of
// another kind (OTHER, DOM, INTL, PARCEL), and one that names no kind.
constexpr u32 kCardOtherAddress = 0x10000;
constexpr u32 kCardUntypedAddress = 0x20000;

struct CardAddress {
    // WORK, HOME, POSTAL or one of the kinds above says the kind; PREF marks
    // the default address; QUOTED-PRINTABLE asks the writer to encode the
    // line.
    u32 flags = 0;
    std::string postOfficeBox;
    std::string extended;
    std::string street;
    std::string locality;
    std::string region;
    std::string postalCode;
    std::string country;
    std::string domesticLabel;
    std::string label;
    // An ADR line was read into the block; without one it holds a label only.
    bool adrRead = false;

    bool HasParts() const
    {
        return !(postOfficeBox.empty() && extended.empty() && street.empty() && locality.empty()
            && region.empty() && postalCode.empty() && country.empty());
    }
};

struct CardEmail {
    std::string address;
    u32 flags = 0;
    int type = kCardEmailInternet;
};

enum class CardKind { None = -1, Card = 0, Calendar = 1, Event = 2, ToDo = 3 };

inline bool IsFreeSlot(const std::string& text)
{
    return text.empty();
}
inline bool IsFreeSlot(const CardEmail& email)
{
    return email.address.empty();
}

// The slot for a value of the kind whose slots are [first, first + count):
// the preferred one when it is free, else the first free one of the kind;
// -1 when every slot of the kind is taken.
template <class Slots> int FindFreeSlot(const Slots& values, size_t preferred, size_t first, size_t count)
{
    if (IsFreeSlot(values[preferred]))
        return int(preferred);
    for (size_t i = first; i < first + count; ++i)
        if (IsFreeSlot(values[i]))
            return int(i);
    return -1;
}

struct CardRecord {
    // Empties every field; the texts keep their room for the next card.
    void Clear();

    CardKind kind = CardKind::None;

    std::string formattedName;  // FN
    std::string givenName;  // G
    std::string familyName;  // F
    std::string additionalNames;  // ADDN
    std::string namePrefix;  // NPRE
    std::string nameSuffix;  // NSUF
    std::string nickname;
    std::string title;  // TITLE
    std::string orgName;  // ORGNAME
    std::string orgUnit;  // OUN
    std::string office;  // OUN2
    std::string role;  // ROLE
    std::string spouse;
    std::string children;
    std::string icq;
    u32 gender = 0;
    DateValue anniversary = DateValue::Null();

    // In the order read; written business, home, postal.
    std::vector<CardAddress> addresses;
    DateValue birthday = DateValue::Null();
    std::array<std::string, kCardUrlSlots> urls;
    std::array<std::string, kCardPhoneSlots> phones;
    // Pages and numbers that name no kind: they take the slots that the
    // typed ones leave, once the whole card is read.
    std::vector<std::string> untypedUrls;
    std::vector<std::string> untypedPhones;
    std::array<CardEmail, kCardEmailSlots> emails;
    // The first e-mail of the card, whatever its slot: a name of last resort.
    std::string firstEmail;

    std::string note;
    std::string soundText;  // SOUND without WAVE
    std::string timeZone;  // TZ
    std::string position;  // GEO
    // Decoded BASE64 data.
    std::string sound;
    std::string logo;
    std::string photo;
};
