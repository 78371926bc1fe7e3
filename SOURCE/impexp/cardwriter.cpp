// From contacts to cards: a contact is copied into the record, the record is
// built into a card's tree, and the tree is written as vCard 2.1 text that
// any card reader, this program's own included, reads back unchanged.
#include "core/utilities.h"
#include "impexp/cardexchange.h"
#include "impexp/cardproperties.h"
#include "impexp/delimitedtext.h"
#include "impexp/fieldmapping.h"

#include <algorithm>
#include <cstdio>
#include <span>

namespace {

struct BuildRows {
    int vcard = FindCardProperty("VCARD");
    int n = FindCardProperty("N");
    int org = FindCardProperty("ORG");
    int adr = FindCardProperty("ADR");
};

const BuildRows& Rows()
{
    static const BuildRows rows;
    return rows;
}

// What a text needs to be written so that it reads back: its character set
// when it is not ASCII; quoted-printable for line breaks and backslashes.
struct TextNeeds {
    bool charset = false;
    bool quotedPrintable = false;

    void Add(std::string_view text)
    {
        // A reader drops the blanks that begin a field.
        quotedPrintable = quotedPrintable || text.starts_with(' ') || text.starts_with('\t');
        for (const char c : text) {
            charset = charset || static_cast<unsigned char>(c) >= 0x80;
            quotedPrintable = quotedPrintable || c == '\r' || c == '\n' || c == '\\';
        }
    }
};

// Street, "city, state zip" and country on lines of their own, each line
// ended as vCard ends lines.
std::string PostalLabel(const ContactAddress& a)
{
    const std::string place
        = JoinNonEmpty({a.m_strCity, JoinNonEmpty({a.m_strState, a.m_strZip}, " ")}, ", ");
    std::string street;
    for (size_t i = 0; i < a.m_strStreet.size(); ++i) {
        const char c = a.m_strStreet[i];
        if (c == '\n' && (i == 0 || a.m_strStreet[i - 1] != '\r'))
            street += '\r';
        street += c;
    }
    return JoinNonEmpty({street, place, a.m_strCountry}, "\r\n");
}

class Builder {
public:
    explicit Builder(CardTree& tree)
        : m_tree(tree)
    {
    }

    CardNode* Object(int row) { return m_tree.NewNode(CardPropertyAt(row).name, row); }

    CardNode* Property(CardNode* owner, std::string_view name, std::string_view value = {}, int row = -1)
    {
        CardNode* node = m_tree.Append(owner, name, row);
        if (!value.empty()) {
            node->type = CardValueType::Text;
            node->value = value;
        }
        return node;
    }

    void Param(CardNode* property, std::string_view name, std::string_view value = {})
    {
        CardNode* node = m_tree.Append(property, name, -1);
        if (!value.empty()) {
            node->type = CardValueType::ByteString;
            node->value = value;
        }
    }

    void Field(CardNode* property, std::string_view name, std::string_view text)
    {
        CardNode* node = m_tree.Append(property, name, -1);
        node->type = CardValueType::Text;
        node->value = text;
    }

    void Flags(CardNode* property, u32 flags)
    {
        for (const CardFlagWord& word : CardParamFlagWords())
            if (flags & word.flag)
                Param(property, word.word);
    }

    // Says what the texts need: their character set when they are not
    // ASCII, quoted-printable when they hold line breaks.
    void Encoding(CardNode* property)
    {
        TextNeeds needs;
        needs.Add(property->value);
        for (const CardNode& child : property->Children())
            if (child.type == CardValueType::Text)
                needs.Add(child.value);
        if (needs.charset)
            Param(property, "CHARSET", "UTF-8");
        if (needs.quotedPrintable && !property->HasParam("QUOTED-PRINTABLE"))
            Param(property, "ENCODING", "QUOTED-PRINTABLE");
    }

    void Text(CardNode* card, std::string_view name, std::string_view value)
    {
        if (!value.empty())
            Encoding(Property(card, name, value));
    }

    void Bytes(CardNode* card, std::string_view name, std::string_view type, std::string_view bytes)
    {
        if (bytes.empty())
            return;
        CardNode* node = Property(card, name);
        node->type = CardValueType::Bytes;
        node->value = bytes;
        Param(node, type);
        Param(node, "BASE64");
    }

    std::string_view Copy(std::string_view text) { return m_tree.Copy(text); }

    // The place of a value among those of its type; the first needs none.
    void SlotMark(CardNode* property, size_t index)
    {
        if (index > 0)
            Param(property, kCardSlotParam, Copy(std::to_string(index + 1)));
    }

private:
    CardTree& m_tree;
};

void AppendHex(std::string& out, unsigned char byte)
{
    static const char kHex[] = "0123456789ABCDEF";
    out += '=';
    out += kHex[byte >> 4];
    out += kHex[byte & 15];
}

// A field of a compound value escapes ';' so that it stays in the field. A
// value of its own holds ';' plain, as card readers show it, except right
// after a backslash, where the pair would read as an escape; quoted-printable
// also encodes what a line cannot hold.
void WriteText(std::string_view text, bool quotedPrintable, bool field, std::string& out)
{
    auto special = [&](unsigned char c, size_t i) {
        return (c == ';' && (field || (i > 0 && text[i - 1] == '\\'))) || c == '\r' || c == '\n'
            || (quotedPrintable
                && (c == '=' || c == '\\' || c >= 0x80 || (i == 0 && (c == ' ' || c == '\t'))));
    };
    size_t run = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (!special(c, i))
            continue;
        out.append(text.data() + run, i - run);
        run = i + 1;
        if (c == ';')
            out += "\\;";
        else if (quotedPrintable || i + 1 < text.size())
            AppendHex(out, c);
    }
    out.append(text.data() + run, text.size() - run);
}

void WriteBase64(std::string_view bytes, std::string& out)
{
    static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    constexpr int kGroupsPerLine = 16;
    out += "\r\n";
    int groups = 0;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        if (groups == 0)
            out += "\t   ";
        const size_t n = std::min<size_t>(3, bytes.size() - i);
        std::uint32_t bits = 0;
        for (size_t k = 0; k < 3; ++k)
            bits = (bits << 8) | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0u);
        for (size_t k = 0; k < 4; ++k)
            out += k <= n ? kDigits[(bits >> (18 - 6 * k)) & 63] : '=';
        if (++groups == kGroupsPerLine || i + 3 >= bytes.size()) {
            out += '\n';
            groups = 0;
        }
    }
}

const CardNode* FindText(const CardNode& property, std::string_view name)
{
    for (const CardNode& child : property.Children())
        if (child.type == CardValueType::Text && child.name == name)
            return &child;
    return nullptr;
}

bool IsSubField(std::span<const std::string_view> fields, std::string_view name)
{
    return std::find(fields.begin(), fields.end(), name) != fields.end();
}

void WriteProperty(const CardNode& property, std::string& out)
{
    const CardPropertyRow* row = property.row >= 0 ? &CardPropertyAt(property.row) : nullptr;
    if (row && (row->flags & kCardComponent)) {
        WriteCardObject(property, out);
        out += "\r\n";
        return;
    }
    // 'A.B.TEL' keeps its groups as TEL > B > A.
    std::string_view groups[CardReader::kMaxGroups + 1];
    size_t groupCount = 0;
    for (const CardNode* g = property.Find("Grouping"); g && groupCount < std::size(groups);
         g = g->Find("Grouping"))
        groups[groupCount++] = g->value;
    while (groupCount > 0) {
        out += groups[--groupCount];
        out += '.';
    }
    out += property.name;

    const auto fields = row ? row->subFields : std::span<const std::string_view>();
    for (const CardNode& child : property.Children()) {
        if (child.name == "Grouping" || (child.type == CardValueType::Text && IsSubField(fields, child.name)))
            continue;
        if (child.row >= 0 && (CardPropertyAt(child.row).flags & kCardInternal))
            continue;
        out += ';';
        out += child.name;
        if (child.type == CardValueType::ByteString) {
            out += '=';
            out += child.value;
        }
    }

    const bool qp = property.HasParam("QUOTED-PRINTABLE");
    out += ':';
    bool wroteFields = false;
    if (!fields.empty()) {
        size_t count = 0;
        for (size_t i = 0; i < fields.size(); ++i)
            if (FindText(property, fields[i]))
                count = i + 1;
        for (size_t i = 0; i < count; ++i) {
            if (i > 0)
                out += ';';
            if (const CardNode* field = FindText(property, fields[i]))
                WriteText(field->value, qp, true, out);
        }
        wroteFields = count > 0;
    }
    switch (property.type) {
    case CardValueType::ByteString:
    case CardValueType::Text:
        if (wroteFields)
            out += ';';
        WriteText(property.value, qp, false, out);
        break;
    case CardValueType::UInt:
    case CardValueType::ULong:
        out += std::to_string(property.number);
        break;
    case CardValueType::Bytes:
        WriteBase64(property.value, out);
        break;
    case CardValueType::Object:
        if (property.object) {
            out += "\r\n";
            WriteCardObject(*property.object, out);
        }
        break;
    case CardValueType::None:
        break;
    }
    out += "\r\n";
}

// Values of types 1 to the number of slots into the slot of their type; the
// first half of the slots is the home kind, the second the business kind.
template <class Slots, class Set>
void PlaceValues(const std::vector<ContactValue>& values, Slots& places, Set set)
{
    const size_t half = places.size() / 2;
    for (const ContactValue& value : values) {
        const size_t type = value.Type();
        if (type < 1 || type > places.size() || value.m_strText.empty())
            continue;
        const bool home = type <= half;
        const int slot = FindFreeSlot(places, type - 1, home ? 0 : half, half);
        if (slot >= 0)
            set(places[size_t(slot)], value, home);
    }
}

}  // namespace

void WriteCardObject(const CardNode& object, std::string& out)
{
    out += "BEGIN:";
    out += object.name;
    out += "\r\n";
    for (const CardNode& property : object.Children())
        WriteProperty(property, out);
    out += "END:";
    out += object.name;
}

void CCardExchange::CopyContact(const Contact& contact)
{
    CardRecord& r = m_record;
    r.kind = CardKind::Card;
    r.formattedName = !contact.m_strName.empty()
        ? contact.m_strName
        : JoinNameParts(contact.m_strFirstName, contact.m_strMiddleName, contact.m_strLastName);
    r.namePrefix = contact.m_strTitle;
    r.givenName = contact.m_strFirstName;
    r.additionalNames = contact.m_strMiddleName;
    r.familyName = contact.m_strLastName;
    r.nickname = contact.m_strNickName;
    r.nameSuffix = contact.m_strSuffix;
    r.orgName = contact.m_strCompany;
    r.orgUnit = contact.m_strDepartment;
    r.office = contact.m_strOffice;
    // Card readers look for the job title in TITLE, this program in ROLE.
    r.role = contact.m_strJobTitle;
    r.title = contact.m_strJobTitle;

    for (const auto& [type, kind] :
        {std::pair{ADDR_BUSINESS, CPF_WORK}, {ADDR_HOME, CPF_HOME}, {ADDR_POSTAL, CPF_POSTAL}}) {
        for (const ContactAddress& a : contact.m_addresses) {
            if (a.Type() != type)
                continue;
            CardAddress& to = r.addresses.emplace_back();
            to.flags = kind | ((a.m_dwType & ADDR_DEFAULT) ? CPF_PREF : 0);
            to.adrRead = true;
            to.street = a.m_strStreet;
            to.locality = a.m_strCity;
            to.region = a.m_strState;
            to.postalCode = a.m_strZip;
            to.country = a.m_strCountry;
            to.label = PostalLabel(a);
        }
    }
    for (const ContactValue& web : contact.m_web) {
        const u32 type = web.Type();
        const size_t preferred = type == WEB_BUSINESS_PAGE ? kCardUrlBusiness
            : type == WEB_HOME_PAGE                        ? kCardUrlHome
            : type == 2                                    ? 2
                                                           : kCardUrlSlots;
        const int slot = preferred < kCardUrlSlots && !web.m_strText.empty()
            ? FindFreeSlot(r.urls, preferred, 0, kCardUrlSlots)
            : -1;
        if (slot >= 0)
            r.urls[size_t(slot)] = web.m_strText;
    }
    PlaceValues(contact.m_phones, r.phones,
        [](std::string& slot, const ContactValue& value, bool) { slot = value.m_strText; });
    // The default e-mail of a kind is the one the card prefers.
    PlaceValues(contact.m_emails, r.emails, [](CardEmail& slot, const ContactValue& value, bool home) {
        const bool preferred = value.m_dwCode & (home ? CV_DEFAULT_HOME_EMAIL : CV_DEFAULT_BUSINESS_EMAIL);
        slot = {
            value.m_strText, (home ? CPF_HOME : CPF_WORK) | (preferred ? CPF_PREF : 0), kCardEmailInternet};
    });
    r.birthday = contact.m_dtBirthday;
    r.note = contact.m_strNotes;
    r.anniversary = contact.m_dtAnniversary;
    r.spouse = contact.m_strSpouse;
    r.children = contact.m_strChildren;
    r.gender = contact.m_dwGender;
    for (const ContactValue& web : contact.m_web) {
        if (web.Type() == WEB_ICQ && !web.m_strText.empty()) {
            r.icq = web.m_strText;
            break;
        }
    }
}

const CardNode* CCardExchange::BuildCard()
{
    m_built.Clear();
    if (m_record.kind == CardKind::None)
        return nullptr;
    const CardRecord& r = m_record;
    const BuildRows& rows = Rows();
    Builder b(m_built);
    CardNode* card = b.Object(rows.vcard);
    b.Property(card, "VERSION", "2.1");

    if (!r.familyName.empty() || !r.givenName.empty() || !r.additionalNames.empty() || !r.namePrefix.empty()
        || !r.nameSuffix.empty()) {
        CardNode* n = b.Property(card, "N", {}, rows.n);
        b.Field(n, "F", r.familyName);
        b.Field(n, "G", r.givenName);
        b.Field(n, "ADDN", r.additionalNames);
        b.Field(n, "NPRE", r.namePrefix);
        b.Field(n, "NSUF", r.nameSuffix);
        b.Encoding(n);
    }
    b.Text(card, "FN", r.formattedName);
    b.Text(card, "NICKNAME", r.nickname);
    if (!r.orgName.empty() || !r.orgUnit.empty() || !r.office.empty()) {
        CardNode* org = b.Property(card, "ORG", {}, rows.org);
        b.Field(org, "ORGNAME", r.orgName);
        b.Field(org, "OUN", r.orgUnit);
        if (!r.office.empty())
            b.Field(org, "OUN2", r.office);
        b.Encoding(org);
    }
    b.Text(card, "NOTE", r.note);
    b.Text(card, "TZ", r.timeZone);
    b.Text(card, "GEO", r.position);
    b.Text(card, "SOUND", r.soundText);
    b.Text(card, "TITLE", r.title);

    constexpr size_t kEmailsOfKind = kCardEmailSlots / 2;
    for (size_t i = 0; i < kCardEmailSlots; ++i) {
        const CardEmail& email = r.emails[i];
        if (email.address.empty())
            continue;
        CardNode* node = b.Property(card, "EMAIL", email.address);
        b.Flags(node, email.flags);
        b.Param(node, kCardEmailTypes[size_t(email.type)]);
        b.SlotMark(node, i % kEmailsOfKind);
        b.Encoding(node);
    }
    // Each slot's types read back into the same slot; radio and telex
    // numbers, which cards have no type for, are voice numbers of their kind
    // with a mark of this program's own.
    constexpr u32 kVoice = CPF_VOICE;
    constexpr u32 kPhoneFlags[kCardPhoneSlots] = {CPF_HOME | kVoice, CPF_HOME, CPF_PREF, CPF_HOME | CPF_FAX,
        CPF_CELL | kVoice, CPF_HOME | kVoice, CPF_CAR | kVoice, CPF_PAGER | kVoice, CPF_HOME | kVoice,
        CPF_ISDN, CPF_WORK | kVoice, CPF_WORK | kVoice, CPF_WORK | kVoice, CPF_WORK | CPF_FAX,
        CPF_WORK | CPF_CELL | kVoice, CPF_WORK | kVoice, CPF_WORK | CPF_CAR | kVoice,
        CPF_WORK | CPF_PAGER | kVoice, CPF_WORK | kVoice, CPF_WORK | CPF_ISDN};
    for (size_t i = 0; i < kCardPhoneSlots; ++i) {
        if (r.phones[i].empty())
            continue;
        CardNode* node = b.Property(card, "TEL", r.phones[i]);
        b.Flags(node, kPhoneFlags[i]);
        if (i % 10 == kCardRadioSlot)
            b.Param(node, kCardRadioParam);
        else if (i % 10 == kCardTelexSlot)
            b.Param(node, kCardTelexParam);
        else if (i % 10 < kCardVoiceSlots)
            b.SlotMark(node, i % 10);
        b.Encoding(node);
    }
    for (const u32 kind : {CPF_WORK, CPF_HOME, CPF_POSTAL}) {
        for (const CardAddress& a : r.addresses) {
            if (!(a.flags & kind))
                continue;
            if (a.adrRead) {
                CardNode* adr = b.Property(card, "ADR", {}, rows.adr);
                TextNeeds needs;
                for (const std::string* part : {&a.postOfficeBox, &a.extended, &a.street, &a.locality,
                         &a.region, &a.postalCode, &a.country})
                    needs.Add(*part);
                b.Flags(
                    adr, kind | (a.flags & CPF_PREF) | (needs.quotedPrintable ? CPF_QUOTED_PRINTABLE : 0));
                if (!a.postOfficeBox.empty())
                    b.Field(adr, "BOX", a.postOfficeBox);
                b.Field(adr, "STREET", a.street);
                b.Field(adr, "EXT ADD", a.extended);
                b.Field(adr, "L", a.locality);
                b.Field(adr, "R", a.region);
                b.Field(adr, "PC", a.postalCode);
                b.Field(adr, "C", a.country);
                b.Encoding(adr);
            }
            for (const bool domestic : {true, false}) {
                const std::string& label = domestic ? a.domesticLabel : a.label;
                if (label.empty())
                    continue;
                // The label carries its address's parameters, so that
                // readers pair the two.
                CardNode* node = b.Property(card, "LABEL", label);
                b.Flags(node, kind | (a.flags & CPF_PREF));
                if (domestic)
                    b.Param(node, "DOM");
                b.Encoding(node);
            }
        }
    }
    for (size_t i = 0; i < kCardUrlSlots; ++i) {
        if (r.urls[i].empty())
            continue;
        CardNode* node = b.Property(card, "URL", r.urls[i]);
        b.Flags(node, i == kCardUrlBusiness ? CPF_WORK : i == kCardUrlHome ? CPF_HOME : 0);
        if (i == kCardUrlOther)
            b.SlotMark(node, i);
        b.Encoding(node);
    }
    b.Text(card, "ROLE", r.role);
    char stamp[32];
    if (const QDateTime birthday = DateToQDateTime(r.birthday); birthday.isValid()) {
        const QDate d = birthday.date();
        std::snprintf(stamp, sizeof stamp, "%04d%02d%02d", d.year(), d.month(), d.day());
        b.Property(card, "BDAY", b.Copy(stamp));
    }
    // What vCard has no property for goes where other address books look:
    // ANNIVERSARY as newer cards have it, the X- names in cards of this age.
    if (const QDateTime anniversary = DateToQDateTime(r.anniversary); anniversary.isValid()) {
        const QDate d = anniversary.date();
        std::snprintf(stamp, sizeof stamp, "%04d%02d%02d", d.year(), d.month(), d.day());
        b.Property(card, "ANNIVERSARY", b.Copy(stamp));
        std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d", d.year(), d.month(), d.day());
        b.Property(card, "X-ANNIVERSARY", b.Copy(stamp));
    }
    b.Text(card, "X-SPOUSE", r.spouse);
    b.Text(card, "X-CHILDREN", r.children);
    if (r.gender == GENDER_MALE || r.gender == GENDER_FEMALE)
        b.Property(card, "X-GENDER", r.gender == GENDER_MALE ? "Male" : "Female");
    b.Text(card, "X-ICQ", r.icq);
    // The time of the revision in UTC, so that it means the same anywhere;
    // the cards of one export share it.
    if (m_revision.empty()) {
        const QDateTime now = ClockNow().toUTC();
        std::snprintf(stamp, sizeof stamp, "%04d%02d%02dT%02d%02d%02dZ", now.date().year(),
            now.date().month(), now.date().day(), now.time().hour(), now.time().minute(),
            now.time().second());
        m_revision = stamp;
    }
    b.Property(card, "REV", m_revision);
    b.Bytes(card, "SOUND", "WAVE", r.sound);
    b.Bytes(card, "LOGO", "GIF", r.logo);
    b.Bytes(card, "PHOTO", "GIF", r.photo);
    return card;
}

void CCardExchange::WriteCard(std::string& out)
{
    if (const CardNode* card = BuildCard())
        WriteCardObject(*card, out);
}

u32 CCardExchange::SaveToFile(DelimitedTextFile* file)
{
    m_record.kind = CardKind::Card;
    if (!m_loaded)
        return RC_NOTHING_LOADED;
    if (!file)
        return RC_MISSING;
    m_text.clear();
    WriteCard(m_text);
    m_built.Clear();
    return file->Write(m_text) ? 0 : RC_SHORT_WRITE;
}
