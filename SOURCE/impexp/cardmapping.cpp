// From cards to contacts: each property of a card lands in the record, and
// the record becomes a contact.
#include "core/utilities.h"
#include "impexp/cardexchange.h"
#include "impexp/cardproperties.h"
#include "impexp/fieldmapping.h"

#include <QIODevice>
#include <algorithm>

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

// A number or address written as a link ("tel:+1-555-0100",
// "mailto:ann@example.com"), as vCard 3.0 and 4.0 allow: what it links
// to, so that the card this program writes of it reads back the same. Any
// other text stays as it is.
std::string_view LinkTarget(std::string_view text, std::string_view scheme)
{
    while (text.size() > scheme.size() && EqualsNoCase(text.substr(0, scheme.size()), scheme))
        text.remove_prefix(scheme.size());
    return text;
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

// An address's kind: the first of WORK, HOME and POSTAL it names; without
// any, WORK, which is part of the kind every card reader assumes then.
u32 AddressKind(u32 flags)
{
    for (const u32 kind : {CPF_WORK, CPF_HOME, CPF_POSTAL})
        if (flags & kind)
            return kind;
    return CPF_WORK;
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

void MapPhone(CardRecord& record, const CardNode& property)
{
    const std::string_view number = LinkTarget(TextOf(property), "tel:");
    if (number.empty())
        return;
    size_t preferred = PreferredPhoneSlot(ParamFlags(property));
    const size_t kindFirst = preferred < 10 ? 0 : 10;
    if (property.HasParam(kCardRadioParam))
        preferred = kindFirst + kCardRadioSlot;
    else if (property.HasParam(kCardTelexParam))
        preferred = kindFirst + kCardTelexSlot;
    else if (const size_t mark = SlotMark(property, kCardVoiceSlots);
             mark > 0 && preferred - kindFirst < kCardVoiceSlots)
        preferred = kindFirst + mark - 1;
    const size_t otherFirst = 10 - kindFirst;
    // The three phones of a kind are one type; every other slot is a type
    // of its own.
    const bool voice = preferred - kindFirst < kCardVoiceSlots;
    const size_t typeFirst = voice ? kindFirst : preferred;
    const size_t typeCount = voice ? kCardVoiceSlots : 1;
    // A number whose slot is taken keeps its type in the other kind before
    // it takes a slot of another type (a voice number is no fax), and with
    // every slot of both kinds taken it is dropped.
    int slot = FindFreeSlot(record.phones, preferred, typeFirst, typeCount);
    if (slot < 0)
        slot = FindFreeSlot(
            record.phones, typeFirst + otherFirst - kindFirst, typeFirst + otherFirst - kindFirst, typeCount);
    if (slot < 0)
        slot = FindFreeSlot(record.phones, preferred, kindFirst, 10);
    if (slot < 0)
        slot = FindFreeSlot(record.phones, otherFirst, otherFirst, 10);
    if (slot >= 0)
        record.phones[size_t(slot)] = number;
}

void MapEmail(CardRecord& record, const CardNode& property)
{
    const std::string_view address = LinkTarget(TextOf(property), "mailto:");
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

void MapUrl(CardRecord& record, const CardNode& property)
{
    std::string_view url = TextOf(property);
    if (const size_t inner = url.find("URL:"); inner != std::string_view::npos)
        url.remove_prefix(inner + 4);
    if (url.empty())
        return;
    const u32 flags = ParamFlags(property);
    const size_t mark = SlotMark(property, kCardUrlSlots);
    const size_t preferred = mark > 0               ? mark - 1
        : (flags & CPF_HOME) && !(flags & CPF_WORK) ? kCardUrlHome
                                                    : kCardUrlBusiness;
    const int slot = FindFreeSlot(record.urls, preferred, 0, kCardUrlSlots);
    if (slot >= 0)
        record.urls[size_t(slot)] = url;
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
        address.m_strStreet = JoinNonEmpty({from.street, from.extended, from.postOfficeBox}, "\r\n");
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
}

void CCardExchange::MapProperty(const CardNode& property)
{
    CardRecord& record = m_record;
    const RowTarget& to = TargetOf(property);
    switch (to.target) {
    case Target::None:
        // Not in the property table, so its name is as the card wrote it.
        if (EqualsNoCase(property.name, "NICKNAME"))
            SetText(record.nickname, TextOf(property));
        break;
    case Target::Fields:
        MapFields(record, property, nullptr);
        break;
    case Target::Address: {
        const u32 flags = ParamFlags(property);
        CardAddress& address = AddressBlock(record, AddressKind(flags), true, false);
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
        CardAddress& address = AddressBlock(record, AddressKind(ParamFlags(property)), false, domestic);
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
    // Cards put the job title in TITLE; this program writes it as ROLE.
    c.m_strJobTitle = !r.role.empty() ? r.role : r.title;
    c.m_strNotes = r.note;
    c.m_dtBirthday = r.birthday;

    // Business addresses first, then home and postal ones. The default is
    // the one the card prefers, else the first business or home address.
    constexpr std::pair<u32, u32> kKinds[]
        = {{CPF_WORK, ADDR_BUSINESS}, {CPF_HOME, ADDR_HOME}, {CPF_POSTAL, ADDR_POSTAL}};
    int preferred = -1;
    for (const auto& [kind, type] : kKinds) {
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

    if (!HasContactData(c))
        return nullptr;
    NameUnnamedContact(c);
    return contact;
}

bool CCardExchange::MakeContact()
{
    std::unique_ptr<Contact> contact = m_record.kind == CardKind::Card ? ContactFromRecord() : nullptr;
    Reset(false);
    if (!contact)
        return false;
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
