#include "impexp/fieldmapping.h"

#include "core/addressformat.h"
#include "core/fieldtexts.h"
#include "core/utilities.h"
#include "platform/profile.h"

#include <QDate>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

namespace {

constexpr const char* kSection = "DataMan";
constexpr const char* kImportEntry = "ImportFields";
constexpr const char* kExportEntry = "ExportFields";

const QDate kDayZero(1899, 12, 30);
// What the export writes for a contact of no gender.
constexpr std::string_view kUnspecifiedGender = "Unspecified";
constexpr int kFirstYear = 100;
constexpr int kLastYear = 9999;

// The types of one kind of value: [first, last], the default flag of the
// kind, and the type a value of the kind gets when the column names no type.
struct ValueKind {
    u32 first;
    u32 last;
    u32 defaultFlag;
};
constexpr ValueKind kHomePhones = {1, 10, CV_DEFAULT_HOME_PHONE};
constexpr ValueKind kBusinessPhones = {11, 20, CV_DEFAULT_BUSINESS_PHONE};
constexpr ValueKind kHomeEmails = {1, 5, CV_DEFAULT_HOME_EMAIL};
constexpr ValueKind kBusinessEmails = {6, 10, CV_DEFAULT_BUSINESS_EMAIL};

// The field of the contact's pages that a phone's type starts out in, by
// type. The first field of a kind shows its default phone.
constexpr u32 kPhoneFieldFlags[kPhoneTypeCount + 1] = {0, CV_DEFAULT_HOME_PHONE, 0x20000000, 0, 0x80000000,
    0x40000000, 0, 0, 0, 0, 0, CV_DEFAULT_BUSINESS_PHONE, 0x02000000, 0, 0x04000000};

bool HasFlag(const std::vector<ContactValue>& values, u32 flag)
{
    return std::any_of(
        values.begin(), values.end(), [flag](const ContactValue& v) { return v.m_dwCode & flag; });
}

// A value of one type, with the flag when no value has it yet.
void AddValue(std::vector<ContactValue>& values, u32 type, std::string_view text, u32 flag)
{
    const bool there = std::any_of(values.begin(), values.end(),
        [&](const ContactValue& v) { return v.Type() == type && v.m_strText == text; });
    if (there)
        return;
    values.push_back({type | (HasFlag(values, flag) ? 0 : flag), std::string(text)});
}

// The kind's default value ("Home phone"): the value of the kind with that
// text takes the default flag, or a new one of the kind's first type does.
void SetDefaultValue(std::vector<ContactValue>& values, const ValueKind& kind, std::string_view text)
{
    auto it = std::find_if(values.begin(), values.end(), [&](const ContactValue& v) {
        return v.Type() >= kind.first && v.Type() <= kind.last && v.m_strText == text;
    });
    if (it == values.end())
        it = values.insert(values.end(), {kind.first, std::string(text)});
    for (ContactValue& value : values)
        value.m_dwCode &= ~kind.defaultFlag;
    it->m_dwCode |= kind.defaultFlag;
}

std::string& AddressPart(ContactAddress& address, u32 part)
{
    std::string* parts[] = {&address.m_strStreet, &address.m_strCity, &address.m_strState, &address.m_strZip,
        &address.m_strCountry};
    return *parts[part];
}

void SetAddressPart(Contact& contact, u32 type, u32 part, std::string_view text)
{
    auto it = std::find_if(contact.m_addresses.begin(), contact.m_addresses.end(),
        [type](const ContactAddress& a) { return a.Type() == type; });
    if (it == contact.m_addresses.end())
        it = contact.m_addresses.insert(contact.m_addresses.end(),
            NewContactAddress(type | (contact.m_addresses.empty() ? ADDR_DEFAULT : 0)));
    AddressPart(*it, part) = text;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsDateFormat(int dateFormat)
{
    return dateFormat == IDF_MONTH_DAY_YEAR || dateFormat == IDF_DAY_MONTH_YEAR
        || dateFormat == IDF_YEAR_MONTH_DAY;
}

std::vector<u32> FieldRange(bool importable)
{
    std::vector<u32> fields;
    for (const u32 id : MappedFields())
        fields.push_back(!importable || IsImportableField(id) ? id : 0);
    return fields;
}

// Captions compare without blanks and hyphens, in either case.
std::string CaptionKey(std::string_view text)
{
    std::string key;
    for (const char c : text) {
        if (c == ' ' || c == '\t' || c == '-')
            continue;
        key += c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
    }
    return key;
}

}  // namespace

ContactAddress NewContactAddress(u32 type)
{
    // The three built-in formats lead every list: postal, business, home.
    constexpr size_t kBuiltInFormatCount = 3;
    ContactAddress address;
    address.m_dwType = type;
    address.m_dwFormat = u32(GetAddressFormatIndex(type, kFormatDeleted, kBuiltInFormatCount));
    return address;
}

u32 PhoneFieldFlag(u32 type)
{
    return type < std::size(kPhoneFieldFlags) ? kPhoneFieldFlags[type] : 0;
}

void ShowSecondHomeEmail(Contact& contact)
{
    std::vector<ContactValue>& emails = contact.m_emails;
    if (HasFlag(emails, CV_SECOND_HOME_EMAIL))
        return;
    for (ContactValue& email : emails) {
        if (email.Type() >= kHomeEmails.first && email.Type() <= kHomeEmails.last && !email.m_strText.empty()
            && !(email.m_dwCode & kHomeEmails.defaultFlag)) {
            email.m_dwCode |= CV_SECOND_HOME_EMAIL;
            return;
        }
    }
}

std::span<const u32> MappedFields()
{
    static const std::vector<u32> fields = [] {
        std::vector<u32> list;
        for (u32 id = kFirstMappedField; id <= kLastMappedField; ++id)
            list.push_back(id);
        list.push_back(FID_POSTAL_ADDRESS);
        for (u32 part = 0; part < kAddressPartCount; ++part)
            list.push_back(FID_POSTAL_STREET + part);
        return list;
    }();
    return fields;
}

bool IsImportableField(u32 fieldId)
{
    const auto fields = MappedFields();
    return std::find(fields.begin(), fields.end(), fieldId) != fields.end() && fieldId != FID_BUSINESS_ADDRESS
        && fieldId != FID_HOME_ADDRESS && fieldId != FID_DEFAULT_ADDRESS && fieldId != FID_POSTAL_ADDRESS;
}

std::vector<u32> DefaultImportFields()
{
    return FieldRange(true);
}

std::vector<u32> DefaultExportFields()
{
    return FieldRange(false);
}

u32 FieldOfColumnName(std::string_view name)
{
    static const std::unordered_map<std::string, u32> kCaptions = [] {
        std::unordered_map<std::string, u32> captions;
        for (const u32 id : MappedFields())
            captions.emplace(CaptionKey(LoadResString(id)), id);
        return captions;
    }();
    const auto it = kCaptions.find(CaptionKey(name));
    return it == kCaptions.end() ? 0 : it->second;
}

std::vector<u32> MapColumnsByName(const std::vector<std::string>& names,
    const std::vector<std::string>& storedNames, const std::vector<u32>& storedFields)
{
    // The n-th column of a name meets the n-th stored column of that name.
    std::unordered_map<std::string, std::vector<u32>> stored;
    for (size_t i = storedNames.size(); i-- > 0;)
        if (i < storedFields.size() && !storedNames[i].empty())
            stored[CaptionKey(storedNames[i])].push_back(storedFields[i]);
    std::vector<u32> mapped(names.size(), 0);
    std::vector<bool> known(names.size(), false);
    std::unordered_set<u32> taken;
    for (size_t i = 0; i < names.size(); ++i) {
        const auto it = stored.find(CaptionKey(names[i]));
        if (it == stored.end() || it->second.empty())
            continue;
        const u32 id = it->second.back();
        it->second.pop_back();
        known[i] = true;
        if (IsImportableField(id) && taken.insert(id).second)
            mapped[i] = id;
    }
    for (size_t i = 0; i < names.size(); ++i) {
        const u32 id = known[i] ? 0 : FieldOfColumnName(names[i]);
        if (IsImportableField(id) && taken.insert(id).second)
            mapped[i] = id;
    }
    return mapped;
}

std::vector<u32> LoadFieldList(bool import, bool* stored)
{
    const auto bytes = Profile::GetBinaryAnySize(kSection, import ? kImportEntry : kExportEntry);
    const bool whole = bytes && bytes->size() % qsizetype(sizeof(u32)) == 0;
    if (stored)
        *stored = whole;
    if (!whole)
        return import ? DefaultImportFields() : DefaultExportFields();
    std::vector<u32> fields(size_t(bytes->size()) / sizeof(u32));
    if (!fields.empty())
        std::memcpy(fields.data(), bytes->constData(), size_t(bytes->size()));
    return fields;
}

void SaveFieldList(bool import, const std::vector<u32>& fields)
{
    Profile::WriteBinary(kSection, import ? kImportEntry : kExportEntry, fields.data(),
        qsizetype(fields.size() * sizeof(u32)));
}

bool SetContactFieldFromText(Contact& contact, u32 fieldId, std::string_view text, int dateFormat)
{
    for (const ContactTextField& field : ContactTextFields()) {
        if (field.id == fieldId) {
            contact.*field.member = text;
            return true;
        }
    }
    if (fieldId == FID_GENDER) {
        contact.m_dwGender = text == "Male" ? GENDER_MALE : text == "Female" ? GENDER_FEMALE : 0;
        return contact.m_dwGender != 0 || text.empty() || text == kUnspecifiedGender;
    }
    if (text.empty())
        return true;
    if (fieldId >= FID_FIRST_PHONE && fieldId <= FID_LAST_PHONE) {
        const u32 type = fieldId - FID_FIRST_PHONE + 1;
        AddValue(contact.m_phones, type, text, PhoneFieldFlag(type));
    } else if (fieldId >= FID_FIRST_EMAIL && fieldId <= FID_LAST_EMAIL) {
        const u32 type = fieldId - FID_FIRST_EMAIL + 1;
        AddValue(contact.m_emails, type, text,
            type <= kHomeEmails.last ? kHomeEmails.defaultFlag : kBusinessEmails.defaultFlag);
    } else if (fieldId >= FID_HOME_STREET && fieldId < FID_HOME_STREET + kAddressPartCount) {
        SetAddressPart(contact, ADDR_HOME, fieldId - FID_HOME_STREET, text);
    } else if (fieldId >= FID_BUSINESS_STREET && fieldId < FID_BUSINESS_STREET + kAddressPartCount) {
        SetAddressPart(contact, ADDR_BUSINESS, fieldId - FID_BUSINESS_STREET, text);
    } else if (fieldId >= FID_POSTAL_STREET && fieldId < FID_POSTAL_STREET + kAddressPartCount) {
        SetAddressPart(contact, ADDR_POSTAL, fieldId - FID_POSTAL_STREET, text);
    } else {
        switch (fieldId) {
        case FID_HOME_PHONE:
            SetDefaultValue(contact.m_phones, kHomePhones, text);
            break;
        case FID_BUSINESS_PHONE:
            SetDefaultValue(contact.m_phones, kBusinessPhones, text);
            break;
        case FID_HOME_EMAIL:
            SetDefaultValue(contact.m_emails, kHomeEmails, text);
            break;
        case FID_BUSINESS_EMAIL:
            SetDefaultValue(contact.m_emails, kBusinessEmails, text);
            break;
        case FID_HOME_WEBPAGE:
            contact.m_web.push_back({WEB_HOME_PAGE | CV_WEB_HOME_PAGE_SHOWN, std::string(text)});
            break;
        case FID_BUSINESS_WEBPAGE:
            contact.m_web.push_back({WEB_BUSINESS_PAGE | CV_WEB_BUSINESS_PAGE_SHOWN, std::string(text)});
            break;
        case FID_ICQ:
            contact.m_web.push_back({WEB_ICQ, std::string(text)});
            break;
        case FID_BIRTHDAY:
        case FID_ANNIVERSARY: {
            DateValue date;
            if (ParseDate(text, dateFormat, date) != 0)
                return false;
            (fieldId == FID_BIRTHDAY ? contact.m_dtBirthday : contact.m_dtAnniversary) = date;
            break;
        }
        default:
            break;
        }
    }
    return true;
}

bool DateFromParts(int year, int month, int day, DateValue& date)
{
    const QDate calendar(year, month, day);
    if (year < kFirstYear || year > kLastYear || !calendar.isValid())
        return false;
    date = {double(kDayZero.daysTo(calendar)), DateStatus::Valid};
    return true;
}

int ParseDate(std::string_view text, int dateFormat, DateValue& date)
{
    constexpr int kFailed = 1;
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    int numbers[3];
    int digits[3];
    for (int n = 0; n < 3; ++n) {
        if (n > 0) {
            if (i == text.size() || (text[i] != '.' && text[i] != '/' && text[i] != '-'))
                return kFailed;
            ++i;
        }
        numbers[n] = digits[n] = 0;
        for (; i < text.size() && IsDigit(text[i]); ++i) {
            if (++digits[n] > 4)
                return kFailed;
            numbers[n] = numbers[n] * 10 + (text[i] - '0');
        }
        if (digits[n] == 0)
            return kFailed;
    }
    if (i < text.size() && text[i] != ' ')
        return kFailed;

    int year, month, day;
    // A year of four digits first is how spreadsheets and ISO dates write
    // it, year-month-day, whatever order the user chose for the others.
    if (digits[0] == 4 && IsDateFormat(dateFormat))
        dateFormat = IDF_YEAR_MONTH_DAY;
    switch (dateFormat) {
    case IDF_MONTH_DAY_YEAR:
        month = 0, day = 1, year = 2;
        break;
    case IDF_DAY_MONTH_YEAR:
        day = 0, month = 1, year = 2;
        break;
    case IDF_YEAR_MONTH_DAY:
        year = 0, month = 1, day = 2;
        break;
    default:
        return kFailed;
    }
    const int fullYear = digits[year] <= 2 ? numbers[year] + 1900 : numbers[year];
    return DateFromParts(fullYear, numbers[month], numbers[day], date) ? 0 : kFailed;
}

std::string FormatDateNumbers(const DateValue& date, int dateFormat)
{
    const QDateTime value = DateToQDateTime(date);
    if (!value.isValid())
        return {};
    const QDate d = value.date();
    char text[16];
    if (dateFormat == IDF_DAY_MONTH_YEAR)
        std::snprintf(text, sizeof text, "%02d/%02d/%04d", d.day(), d.month(), d.year());
    else if (dateFormat == IDF_YEAR_MONTH_DAY)
        std::snprintf(text, sizeof text, "%04d/%02d/%02d", d.year(), d.month(), d.day());
    else
        std::snprintf(text, sizeof text, "%02d/%02d/%04d", d.month(), d.day(), d.year());
    return text;
}

bool HasContactData(const Contact& contact)
{
    const auto texts = ContactTextFields();
    const bool anyText = std::any_of(texts.begin(), texts.end(),
        [&](const ContactTextField& field) { return !(contact.*field.member).empty(); });
    return anyText || !contact.m_phones.empty() || !contact.m_emails.empty() || !contact.m_web.empty()
        || !contact.m_addresses.empty() || contact.m_dwGender != 0 || contact.m_dtBirthday.IsValid()
        || contact.m_dtAnniversary.IsValid();
}

std::string JoinNonEmpty(std::initializer_list<std::string_view> parts, std::string_view separator)
{
    std::string joined;
    for (const std::string_view part : parts) {
        if (part.empty())
            continue;
        if (!joined.empty())
            joined += separator;
        joined += part;
    }
    return joined;
}

std::string JoinNameParts(std::string_view first, std::string_view middle, std::string_view last)
{
    return JoinNonEmpty({first, middle, last}, " ");
}

void NameUnnamedContact(Contact& contact)
{
    if (!contact.m_strName.empty())
        return;
    contact.m_strName = JoinNameParts(contact.m_strFirstName, contact.m_strMiddleName, contact.m_strLastName);
    if (contact.m_strName.empty())
        contact.m_strName = contact.m_strCompany;
    if (contact.m_strName.empty() && !contact.m_emails.empty())
        contact.m_strName = contact.m_emails.front().m_strText;
}
