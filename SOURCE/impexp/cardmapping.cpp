// From cards to contacts: each property of a card lands in the record, and
// the record becomes a contact.
#include "core/utilities.h"
#include "impexp/cardexchange.h"
#include "impexp/cardproperties.h"
#include "impexp/fieldmapping.h"

#include <QIODevice>
#include <algorithm>
#include <initializer_list>
#include <span>

namespace {

// What a property or a field of the property table is mapped by.
enum class Target : std::uint8_t {
    None,
    Text,  // one text of the record
    Part,  // one part of an address
    Fields,  // N and ORG: their fields are mapped one by one
    Address,
    Label,
    Phone,
    Email,
    Url,
    Birthday,
    Sound,
    Logo,
    Photo,
};

struct RowTarget {
    Target target = Target::None;
    std::string CardRecord::*text = nullptr;
    std::string CardAddress::*part = nullptr;
};

// What each row of the property table maps to, and the rows the mapping
// tells apart, found once. OUN3 and OUN4 have no place; OUN2 is the office.
struct Rows {
    std::array<RowTarget, kCardPropertyRows> targets{};
    int card = FindCardProperty("VCARD");
    int calendar = FindCardProperty("VCALENDAR");
    int event = FindCardProperty("VEVENT");
    int toDo = FindCardProperty("VTODO");

    Rows()
    {
        const std::pair<std::string_view, std::string CardRecord::*> texts[]
            = {{"FN", &CardRecord::formattedName}, {"G", &CardRecord::givenName},
                {"F", &CardRecord::familyName}, {"ADDN", &CardRecord::additionalNames},
                {"NPRE", &CardRecord::namePrefix}, {"NSUF", &CardRecord::nameSuffix},
                {"ORGNAME", &CardRecord::orgName}, {"OUN", &CardRecord::orgUnit},
                {"OUN2", &CardRecord::office}, {"TITLE", &CardRecord::title}, {"ROLE", &CardRecord::role},
                {"TZ", &CardRecord::timeZone}, {"GEO", &CardRecord::position}, {"NOTE", &CardRecord::note}};
        const std::pair<std::string_view, std::string CardAddress::*> parts[]
            = {{"BOX", &CardAddress::postOfficeBox}, {"EXT ADD", &CardAddress::extended},
                {"STREET", &CardAddress::street}, {"L", &CardAddress::locality}, {"R", &CardAddress::region},
                {"PC", &CardAddress::postalCode}, {"C", &CardAddress::country}};
        const std::pair<std::string_view, Target> others[] = {{"N", Target::Fields}, {"ORG", Target::Fields},
            {"ADR", Target::Address}, {"LABEL", Target::Label}, {"TEL", Target::Phone},
            {"EMAIL", Target::Email}, {"URL", Target::Url}, {"BDAY", Target::Birthday},
            {"SOUND", Target::Sound}, {"LOGO", Target::Logo}, {"PHOTO", Target::Photo}};
        for (const auto& [name, text] : texts)
            targets[size_t(FindCardProperty(name))] = {Target::Text, text, nullptr};
        for (const auto& [name, part] : parts)
            targets[size_t(FindCardProperty(name))] = {Target::Part, nullptr, part};
        for (const auto& [name, target] : others)
            targets[size_t(FindCardProperty(name))].target = target;
    }
};

const Rows& TableRows()
{
    static const Rows rows;
    return rows;
}

const RowTarget& TargetOf(const CardNode& node)
{
    static const RowTarget none;
    return node.row < 0 ? none : TableRows().targets[size_t(node.row)];
}

std::string_view TextOf(const CardNode& node)
{
    return node.type == CardValueType::Text ? node.value : std::string_view();
}

// A number, address or page written as a link ("tel:+1-555-0100",
// "mailto:ann@example.com", "URL:http://example.org"): what it links to,
// which is empty for a link to nothing. Only the front of the text is
// looked at: "http://example.org/Help:URL:Syntax" is a page as it stands.
std::string_view LinkTarget(std::string_view text, std::string_view scheme, bool* linked = nullptr)
{
    while (text.size() >= scheme.size() && EqualsNoCase(text.substr(0, scheme.size()), scheme)) {
        text.remove_prefix(scheme.size());
        if (linked)
            *linked = true;
    }
    return text;
}

bool StartsWithNoCase(std::string_view text, std::string_view start)
{
    return text.size() >= start.size() && EqualsNoCase(text.substr(0, start.size()), start);
}

// A "tel:" link's extension ("tel:+1-555-0100;ext=12") as typed numbers
// carry it: "+1-555-0100 x12". Its other parameters stay as written.
std::string PhoneNumberOf(std::string_view text)
{
    bool linked = false;
    text = LinkTarget(text, "tel:", &linked);
    const size_t semicolon = text.find(';');
    if (!linked || semicolon == std::string_view::npos)
        return std::string(text);
    std::string number(text.substr(0, semicolon));
    std::string extension;
    std::string rest;
    for (size_t at = semicolon; at < text.size();) {
        const size_t next = std::min(text.find(';', at + 1), text.size());
        const std::string_view parameter = text.substr(at + 1, next - at - 1);
        if (StartsWithNoCase(parameter, "ext="))
            extension = parameter.substr(4);
        else
            rest.append(text.substr(at, next - at));
        at = next;
    }
    if (!extension.empty())
        number += " x" + extension;
    return number + rest;
}

// A "mailto:" link's address: what comes before its "?subject=...".
std::string_view EmailAddressOf(std::string_view text)
{
    bool linked = false;
    text = LinkTarget(text, "mailto:", &linked);
    return linked ? text.substr(0, text.find('?')) : text;
}

u32 ParamFlags(const CardNode& property)
{
    u32 flags = 0;
    for (const CardNode& child : property.Children())
        if (child.IsParam())
            flags |= CardParamFlagOf(child.ParamWord());
    return flags;
}

// The place this program's writer gave a value among those of its type
// (1 for the first), or 0 when the card says none up to count.
size_t SlotMark(const CardNode& property, size_t count)
{
    for (const CardNode& child : property.Children()) {
        if (!child.IsParam() || child.type != CardValueType::ByteString
            || !EqualsNoCase(child.name, kCardSlotParam))
            continue;
        const std::string_view v = child.value;
        if (v.size() == 1 && v[0] >= '1' && size_t(v[0] - '0') <= count)
            return size_t(v[0] - '0');
    }
    return 0;
}

// An address's kind: the first of WORK, HOME and POSTAL it names; else
// another kind when it names one (OTHER, DOM, INTL, PARCEL or any other
// type), else none.
u32 AddressKind(const CardNode& property, u32 flags)
{
    for (const u32 kind : {CPF_WORK, CPF_HOME, CPF_POSTAL})
        if (flags & kind)
            return kind;
    for (const CardNode& child : property.Children()) {
        if (!child.IsParam())
            continue;
        const std::string_view word = child.ParamWord();
        const bool typed = child.type == CardValueType::ByteString
            ? EqualsNoCase(child.name, "TYPE") && !word.empty() && !EqualsNoCase(word, "PREF")
            : EqualsNoCase(word, "OTHER") || EqualsNoCase(word, "DOM") || EqualsNoCase(word, "INTL")
                || EqualsNoCase(word, "PARCEL");
        if (typed)
            return kCardOtherAddress;
    }
    return kCardUntypedAddress;
}

// The block an ADR line or a label of the kind fills: the last one of the
// kind when that still lacks what the line gives, else a new one.
CardAddress& AddressBlock(CardRecord& record, u32 kind, bool forAdr, bool domestic)
{
    for (auto it = record.addresses.rbegin(); it != record.addresses.rend(); ++it) {
        if (!(it->flags & kind))
            continue;
        const bool taken = forAdr ? it->adrRead : !(domestic ? it->domesticLabel : it->label).empty();
        if (!taken)
            return *it;
        break;
    }
    record.addresses.push_back({});
    record.addresses.back().flags = kind;
    return record.addresses.back();
}

// The phone slot a TEL line's types ask for. VOICE is what a number is
// unless it says otherwise, and a number of no kind is a home number.
size_t PreferredPhoneSlot(u32 flags)
{
    constexpr std::pair<u32, size_t> kDevices[]
        = {{CPF_FAX, 3}, {CPF_CELL, 4}, {CPF_CAR, 6}, {CPF_PAGER, 7}, {CPF_ISDN, 9}};
    const size_t kind = (flags & CPF_WORK) ? 10 : 0;
    for (const auto& [device, slot] : kDevices)
        if (flags & device)
            return kind + slot;
    return (flags & CPF_PREF) && !(flags & (CPF_WORK | CPF_HOME)) ? 2 : kind;
}

// Takes a number of minDigits to maxDigits digits off the front of text.
bool TakeNumber(std::string_view& text, size_t minDigits, size_t maxDigits, int& value)
{
    size_t n = 0;
    value = 0;
    for (; n < text.size() && n < maxDigits && text[n] >= '0' && text[n] <= '9'; ++n)
        value = value * 10 + (text[n] - '0');
    text.remove_prefix(n);
    return n >= minDigits;
}

// "1981-07-09" or "19810709", either with a time after "T": the date as it
// is written, whatever the locale says about dates.
DateValue ReadIsoDate(std::string_view text)
{
    text = text.substr(0, text.find_first_of("Tt"));
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    const bool dashes = text.find('-') != std::string_view::npos;
    int year, month, day;
    bool ok = TakeNumber(text, 4, 4, year);
    ok = ok && (!dashes || (text.starts_with('-') && (text.remove_prefix(1), true)));
    ok = ok && TakeNumber(text, dashes ? 1 : 2, 2, month);
    ok = ok && (!dashes || (text.starts_with('-') && (text.remove_prefix(1), true)));
    ok = ok && TakeNumber(text, dashes ? 1 : 2, 2, day);
    DateValue date;
    return ok && text.empty() && DateFromParts(year, month, day, date) ? date : DateValue::Null();
}

// Of a value that could not be read, what the notes show.
constexpr size_t kShownValueBytes = 80;

void SetText(std::string& field, std::string_view text)
{
    if (!text.empty())
        field = text;
}

// A field of N, ORG or ADR, or a property whose text goes to one place.
void MapText(CardRecord& record, const RowTarget& to, std::string_view text, CardAddress* address)
{
    if (to.text)
        SetText(record.*to.text, text);
    else if (to.part && address)
        SetText(address->*to.part, text);
}

void MapFields(CardRecord& record, const CardNode& property, CardAddress* address)
{
    for (const CardNode& field : property.Children())
        if (field.type == CardValueType::Text)
            MapText(record, TargetOf(field), field.value, address);
}

bool HasParamNoCase(const CardNode& property, std::span<const std::string_view> words)
{
    for (const CardNode& child : property.Children())
        if (child.IsParam())
            for (const std::string_view word : words)
                if (EqualsNoCase(child.ParamWord(), word))
                    return true;
    return false;
}

// The first free slot of a kind that no number of another type is meant
// for: radio and telex slots hold only what the card says is radio or telex.
int FreeOrdinarySlot(const CardRecord& record, size_t kindFirst)
{
    for (size_t i = kindFirst; i < kindFirst + 10; ++i)
        if (i - kindFirst != kCardRadioSlot && i - kindFirst != kCardTelexSlot && record.phones[i].empty())
            return int(i);
    return -1;
}

struct PhoneKind {
    u32 flags = 0;
    bool radio = false;
    bool telex = false;
    size_t mark = 0;
};

void PlacePhone(CardRecord& record, const std::string& number, const PhoneKind& kind)
{
    size_t preferred = PreferredPhoneSlot(kind.flags);
    const size_t kindFirst = preferred < 10 ? 0 : 10;
    if (kind.radio)
        preferred = kindFirst + kCardRadioSlot;
    else if (kind.telex)
        preferred = kindFirst + kCardTelexSlot;
    else if (kind.mark > 0 && preferred - kindFirst < kCardVoiceSlots)
        preferred = kindFirst + kind.mark - 1;
    const size_t otherFirst = 10 - kindFirst;
    // The three phones of a kind are one type; every other slot is a type
    // of its own.
    const bool voice = preferred - kindFirst < kCardVoiceSlots;
    const size_t typeFirst = voice ? kindFirst : preferred;
    const size_t typeCount = voice ? kCardVoiceSlots : 1;
    // A number whose slot is taken keeps its type in the other kind before
    // it takes a slot of another type (a voice number is no fax), and a
    // radio or telex slot only when nothing else is left.
    int slot = FindFreeSlot(record.phones, preferred, typeFirst, typeCount);
    if (slot < 0)
        slot = FindFreeSlot(
            record.phones, typeFirst + otherFirst - kindFirst, typeFirst + otherFirst - kindFirst, typeCount);
    if (slot < 0)
        slot = FreeOrdinarySlot(record, kindFirst);
    if (slot < 0)
        slot = FreeOrdinarySlot(record, otherFirst);
    if (slot < 0)
        slot = FindFreeSlot(record.phones, preferred, kindFirst, 10);
    if (slot < 0)
        slot = FindFreeSlot(record.phones, otherFirst, otherFirst, 10);
    if (slot >= 0)
        record.phones[size_t(slot)] = number;
}

// Numbers whose types name a slot are placed as they come; those of no
// kind wait for the slots the others leave.
void MapPhone(CardRecord& record, const CardNode& property)
{
    std::string number = PhoneNumberOf(TextOf(property));
    if (number.empty())
        return;
    PhoneKind kind;
    kind.flags = ParamFlags(property);
    kind.radio = HasParamNoCase(property, kCardRadioParams);
    kind.telex = !kind.radio && HasParamNoCase(property, kCardTelexParams);
    kind.mark = SlotMark(property, kCardVoiceSlots);
    constexpr u32 kTypes
        = CPF_WORK | CPF_HOME | CPF_PREF | CPF_CELL | CPF_FAX | CPF_CAR | CPF_PAGER | CPF_ISDN;
    if (!(kind.flags & kTypes) && !kind.radio && !kind.telex && kind.mark == 0)
        record.untypedPhones.push_back(std::move(number));
    else
        PlacePhone(record, number, kind);
}

void MapEmail(CardRecord& record, const CardNode& property)
{
    const std::string_view address = EmailAddressOf(TextOf(property));
    if (address.empty())
        return;
    const u32 flags = ParamFlags(property);
    constexpr size_t kOfKind = kCardEmailSlots / 2;
    const size_t kindFirst = (flags & CPF_HOME) ? 0 : kOfKind;
    const size_t mark = SlotMark(property, kOfKind);
    int slot = FindFreeSlot(record.emails, kindFirst + (mark > 0 ? mark - 1 : 0), kindFirst, kOfKind);
    if (slot < 0)
        slot = FindFreeSlot(record.emails, kOfKind - kindFirst, kOfKind - kindFirst, kOfKind);
    if (slot < 0)
        return;
    CardEmail& email = record.emails[size_t(slot)];
    email.address = address;
    email.flags = flags;
    for (const CardNode& child : property.Children()) {
        const int type = child.IsParam() ? CardEmailTypeOf(child.ParamWord()) : -1;
        if (type >= 0)
            email.type = type;
    }
}

// A page of a kind goes to its slot as it comes; a page of none waits for
// the slots the others leave.
void MapUrl(CardRecord& record, const CardNode& property)
{
    const std::string_view url = LinkTarget(TextOf(property), "URL:");
    if (url.empty())
        return;
    const u32 flags = ParamFlags(property);
    const size_t mark = SlotMark(property, kCardUrlSlots);
    if (mark == 0 && !(flags & (CPF_HOME | CPF_WORK))) {
        record.untypedUrls.emplace_back(url);
        return;
    }
    const size_t preferred = mark > 0               ? mark - 1
        : (flags & CPF_HOME) && !(flags & CPF_WORK) ? kCardUrlHome
                                                    : kCardUrlBusiness;
    const int slot = FindFreeSlot(record.urls, preferred, 0, kCardUrlSlots);
    if (slot >= 0)
        record.urls[size_t(slot)] = url;
}

void PlaceUntyped(CardRecord& record)
{
    for (const std::string& url : record.untypedUrls)
        if (const int slot = FindFreeSlot(record.urls, kCardUrlBusiness, 0, kCardUrlSlots); slot >= 0)
            record.urls[size_t(slot)] = url;
    for (const std::string& number : record.untypedPhones)
        PlacePhone(record, number, {});
    record.untypedUrls.clear();
    record.untypedPhones.clear();
}

std::string_view BytesOf(const CardNode& node)
{
    return node.type == CardValueType::Bytes ? node.value : std::string_view();
}

// Where a card's address parts go in a contact's address: the extended
// address and the post-office box become lines of the street, so that
// nothing of the address is lost.
ContactAddress ContactAddressOf(const CardAddress& from, u32 type)
{
    ContactAddress address = NewContactAddress(type);
    if (from.adrRead) {
        address.m_strStreet = JoinNonEmpty({from.street, from.extended, from.postOfficeBox}, "\n");
    } else {
        address.m_strStreet = !from.label.empty() ? from.label : from.domesticLabel;
    }
    address.m_strCity = from.locality;
    address.m_strState = from.region;
    address.m_strZip = from.postalCode;
    address.m_strCountry = from.country;
    return address;
}

bool IsEmptyAddress(const ContactAddress& a)
{
    return a.m_strStreet.empty() && a.m_strCity.empty() && a.m_strState.empty() && a.m_strZip.empty()
        && a.m_strCountry.empty();
}

bool IsAnyOf(std::string_view name, std::initializer_list<std::string_view> names)
{
    return std::any_of(
        names.begin(), names.end(), [name](std::string_view n) { return EqualsNoCase(name, n); });
}

// "M", "Male", "F", "Female", and a 4.0 GENDER's sex before its ';'.
u32 GenderOf(std::string_view text)
{
    text = text.substr(0, text.find(';'));
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    if (IsAnyOf(text, {"M", "Male"}))
        return GENDER_MALE;
    if (IsAnyOf(text, {"F", "Female"}))
        return GENDER_FEMALE;
    return 0;
}

// Properties the property table does not list, under the names this
// program writes and those other address books write. Returns what could
// not be read, for the user.
std::string MapUnlisted(CardRecord& record, const CardNode& property)
{
    const std::string_view name = property.name;
    const std::string_view text = TextOf(property);
    if (EqualsNoCase(name, "NICKNAME")) {
        SetText(record.nickname, text);
    } else if (IsAnyOf(name,
                   {"ANNIVERSARY", "X-ANNIVERSARY", "X-EVOLUTION-ANNIVERSARY",
                       "X-KADDRESSBOOK-X-Anniversary"})) {
        if (const DateValue date = ReadIsoDate(text); date.IsValid())
            record.anniversary = date;
        else if (!text.empty())
            return "the anniversary \"" + std::string(text.substr(0, kShownValueBytes))
                + "\" is no date with a year and was left out";
    } else if (IsAnyOf(name, {"X-SPOUSE", "X-EVOLUTION-SPOUSE", "X-KADDRESSBOOK-X-SpousesName"})) {
        SetText(record.spouse, text);
    } else if (EqualsNoCase(name, "RELATED")) {
        // A link to another card ("urn:uuid:...") names no one.
        constexpr std::string_view kSpouse[] = {"spouse"};
        if (HasParamNoCase(property, kSpouse) && !StartsWithNoCase(text, "urn:"))
            SetText(record.spouse, text);
    } else if (EqualsNoCase(name, "X-CHILDREN")) {
        SetText(record.children, text);
    } else if (IsAnyOf(name, {"X-GENDER", "GENDER"})) {
        if (const u32 gender = GenderOf(text))
            record.gender = gender;
    } else if (EqualsNoCase(name, "X-ICQ")) {
        SetText(record.icq, text);
    }
    return {};
}

// Line breaks as the contact pages store what the user types: LF alone,
// whether the card wrote CR LF, CR or LF.
void OneKindOfLineBreak(std::string& text)
{
    if (text.find('\r') == std::string::npos)
        return;
    size_t n = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r')
            text[n++] = text[i];
        else if (i + 1 >= text.size() || text[i + 1] != '\n')
            text[n++] = '\n';
    }
    text.resize(n);
}

void OneKindOfLineBreak(Contact& c)
{
    for (std::string* text : {&c.m_strName, &c.m_strTitle, &c.m_strFirstName, &c.m_strMiddleName,
             &c.m_strLastName, &c.m_strNickName, &c.m_strSuffix, &c.m_strCompany, &c.m_strDepartment,
             &c.m_strOffice, &c.m_strJobTitle, &c.m_strNotes, &c.m_strSpouse, &c.m_strChildren})
        OneKindOfLineBreak(*text);
    for (std::vector<ContactValue>* values : {&c.m_phones, &c.m_emails, &c.m_web})
        for (ContactValue& value : *values)
            OneKindOfLineBreak(value.m_strText);
    for (ContactAddress& a : c.m_addresses)
        for (std::string* text : {&a.m_strStreet, &a.m_strCity, &a.m_strState, &a.m_strZip, &a.m_strCountry})
            OneKindOfLineBreak(*text);
}

}  // namespace

void CCardExchange::Reset(bool full)
{
    m_record.Clear();
    m_built.Clear();
    if (full) {
        m_contacts.clear();
        m_reader.ClearIssues();
        m_loaded = false;
    }
}

void CCardExchange::Classify(const CardNode& object)
{
    const Rows& rows = TableRows();
    m_record.kind = object.row == rows.card ? CardKind::Card
        : object.row == rows.calendar       ? CardKind::Calendar
        : object.row == rows.event          ? CardKind::Event
        : object.row == rows.toDo           ? CardKind::ToDo
                                            : CardKind::None;
    // Events and to-dos have no place in a contact.
    if (m_record.kind != CardKind::Card)
        return;
    for (const CardNode& property : object.Children())
        MapProperty(property);
    PlaceUntyped(m_record);
}

void CCardExchange::MapProperty(const CardNode& property)
{
    CardRecord& record = m_record;
    const RowTarget& to = TargetOf(property);
    switch (to.target) {
    case Target::None:
        // Not in the property table, so its name is as the card wrote it.
        if (std::string problem = MapUnlisted(record, property); !problem.empty())
            m_reader.AddIssue(0, std::move(problem));
        break;
    case Target::Fields:
        MapFields(record, property, nullptr);
        break;
    case Target::Address: {
        const u32 flags = ParamFlags(property);
        CardAddress& address = AddressBlock(record, AddressKind(property, flags), true, false);
        address.adrRead = true;
        address.flags |= flags & CPF_PREF;
        MapFields(record, property, &address);
        break;
    }
    case Target::Label: {
        const std::string_view text = TextOf(property);
        if (text.empty())
            break;
        const bool domestic = property.HasParam("DOM");
        CardAddress& address
            = AddressBlock(record, AddressKind(property, ParamFlags(property)), false, domestic);
        (domestic ? address.domesticLabel : address.label) = text;
        break;
    }
    case Target::Phone:
        MapPhone(record, property);
        break;
    case Target::Email:
        MapEmail(record, property);
        break;
    case Target::Url:
        MapUrl(record, property);
        break;
    case Target::Birthday:
        if (const DateValue date = ReadIsoDate(TextOf(property)); date.IsValid())
            record.birthday = date;
        else if (!TextOf(property).empty())
            m_reader.AddIssue(0,
                "the birthday \"" + std::string(TextOf(property).substr(0, kShownValueBytes))
                    + "\" is no date with a year and was left out");
        break;
    case Target::Sound:
        if (property.HasParam("WAVE"))
            SetText(record.sound, BytesOf(property));
        else
            SetText(record.soundText, TextOf(property));
        break;
    case Target::Logo:
        SetText(record.logo, BytesOf(property));
        break;
    case Target::Photo:
        SetText(record.photo, BytesOf(property));
        break;
    default:
        MapText(record, to, TextOf(property), nullptr);
        break;
    }
}

std::unique_ptr<Contact> CCardExchange::ContactFromRecord() const
{
    const CardRecord& r = m_record;
    auto contact = std::make_unique<Contact>();
    Contact& c = *contact;
    c.m_strName = r.formattedName;
    c.m_strTitle = r.namePrefix;
    c.m_strFirstName = r.givenName;
    c.m_strMiddleName = r.additionalNames;
    c.m_strLastName = r.familyName;
    c.m_strNickName = r.nickname;
    c.m_strSuffix = r.nameSuffix;
    c.m_strCompany = r.orgName;
    c.m_strDepartment = r.orgUnit;
    c.m_strOffice = r.office;
    // Cards put the job title in TITLE, and ROLE says the part a person
    // plays; this program writes both.
    c.m_strJobTitle = !r.title.empty() ? r.title : r.role;
    c.m_strNotes = r.note;
    c.m_dtBirthday = r.birthday;
    c.m_dtAnniversary = r.anniversary;
    c.m_strSpouse = r.spouse;
    c.m_strChildren = r.children;
    c.m_dwGender = r.gender;

    // Business addresses first, then home and postal ones, then those of
    // other kinds, which are postal addresses too. An address of no kind is
    // the business address of a card that names none, else of another kind.
    const bool typedWork = std::any_of(r.addresses.begin(), r.addresses.end(), [](const CardAddress& a) {
        return (a.flags & CPF_WORK) && !IsEmptyAddress(ContactAddressOf(a, ADDR_BUSINESS));
    });
    const u32 untyped = kCardUntypedAddress;
    const std::pair<u32, u32> kinds[]
        = {{CPF_WORK | (typedWork ? 0 : untyped), ADDR_BUSINESS}, {CPF_HOME, ADDR_HOME},
            {CPF_POSTAL, ADDR_POSTAL}, {kCardOtherAddress | (typedWork ? untyped : 0), ADDR_POSTAL}};
    int preferred = -1;
    for (const auto& [kind, type] : kinds) {
        for (const CardAddress& from : r.addresses) {
            ContactAddress address = (from.flags & kind) ? ContactAddressOf(from, type) : ContactAddress();
            if (IsEmptyAddress(address))
                continue;
            if ((from.flags & CPF_PREF) && preferred < 0)
                preferred = int(c.m_addresses.size());
            c.m_addresses.push_back(std::move(address));
        }
    }
    if (preferred < 0) {
        for (const u32 type : {ADDR_BUSINESS, ADDR_HOME}) {
            const auto it = std::find_if(c.m_addresses.begin(), c.m_addresses.end(),
                [type](const ContactAddress& a) { return a.m_dwType == type; });
            if (it != c.m_addresses.end()) {
                preferred = int(it - c.m_addresses.begin());
                break;
            }
        }
    }
    if (preferred >= 0)
        c.m_addresses[size_t(preferred)].m_dwType |= ADDR_DEFAULT;

    for (size_t i = 0; i < kCardPhoneSlots; ++i) {
        const u32 type = u32(i + 1);
        if (!r.phones[i].empty())
            c.m_phones.push_back({type | PhoneFieldFlag(type), r.phones[i]});
    }
    // The default e-mail of a kind: the one the card prefers, else the first.
    constexpr size_t kOfKind = kCardEmailSlots / 2;
    for (size_t first = 0; first < kCardEmailSlots; first += kOfKind) {
        const auto begin = r.emails.begin() + ptrdiff_t(first);
        auto chosen = std::find_if(begin, begin + kOfKind,
            [](const CardEmail& e) { return !e.address.empty() && (e.flags & CPF_PREF); });
        if (chosen == begin + kOfKind)
            chosen
                = std::find_if(begin, begin + kOfKind, [](const CardEmail& e) { return !e.address.empty(); });
        for (auto it = begin; it != begin + kOfKind; ++it) {
            if (it->address.empty())
                continue;
            const u32 flag = it != chosen ? 0
                : first == 0              ? CV_DEFAULT_HOME_EMAIL
                                          : CV_DEFAULT_BUSINESS_EMAIL;
            c.m_emails.push_back({u32(it - r.emails.begin() + 1) | flag, it->address});
        }
    }
    ShowSecondHomeEmail(c);
    const u32 webCodes[kCardUrlSlots]
        = {WEB_BUSINESS_PAGE | CV_WEB_BUSINESS_PAGE_SHOWN, WEB_HOME_PAGE | CV_WEB_HOME_PAGE_SHOWN, 2};
    for (size_t i = 0; i < kCardUrlSlots; ++i)
        if (!r.urls[i].empty())
            c.m_web.push_back({webCodes[i], r.urls[i]});
    if (!r.icq.empty())
        c.m_web.push_back({WEB_ICQ, r.icq});
    OneKindOfLineBreak(c);

    if (!HasContactData(c))
        return nullptr;
    NameUnnamedContact(c);
    return contact;
}

bool CCardExchange::MakeContact()
{
    const bool card = m_record.kind == CardKind::Card;
    std::unique_ptr<Contact> contact = card ? ContactFromRecord() : nullptr;
    Reset(false);
    if (!contact) {
        if (card)
            m_reader.AddBlockIssue("the card holds nothing a contact keeps and was left out");
        return false;
    }
    if (m_contactHandler)
        (*m_contactHandler)(std::move(contact));
    else
        m_contacts.push_back(std::move(contact));
    return true;
}

u32 CCardExchange::LoadFromFile(QIODevice* file)
{
    return LoadFromFile(file, {});
}

u32 CCardExchange::LoadFromFile(QIODevice* file, const ContactHandler& handler)
{
    if (!file)
        return RC_MISSING;
    Reset(true);
    const qint64 start = file->pos();
    int made = 0;
    m_contactHandler = handler ? &handler : nullptr;
    Parse(*file, [&](const CardNode& object) {
        Classify(object);
        made += MakeContact();
    });
    m_contactHandler = nullptr;
    if (made == 0) {
        if (!file->isSequential())
            file->seek(start);
        return RC_MISSING;
    }
    m_loaded = true;
    return 0;
}
