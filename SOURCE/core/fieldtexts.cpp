#include "core/fieldtexts.h"

#include "core/addressformat.h"
#include "core/userman.h"
#include "core/utilities.h"
#include "platform/oledate.h"

#include <QLocale>
#include <QTimeZone>
#include <utility>
#include <vector>

namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kWhiteSpace = " \t\r\n\v\f";
constexpr const char* kIconText = "Icon";

const ContactTextField kStringFields[] = {
    {FID_NAME, &Contact::m_strName},
    {FID_FIRST_NAME, &Contact::m_strFirstName},
    {FID_MIDDLE_NAME, &Contact::m_strMiddleName},
    {FID_LAST_NAME, &Contact::m_strLastName},
    {FID_TITLE, &Contact::m_strTitle},
    {FID_SUFFIX, &Contact::m_strSuffix},
    {FID_NICK_NAME, &Contact::m_strNickName},
    {FID_COMPANY, &Contact::m_strCompany},
    {FID_DEPARTMENT, &Contact::m_strDepartment},
    {FID_OFFICE, &Contact::m_strOffice},
    {FID_JOB_TITLE, &Contact::m_strJobTitle},
    {FID_CHILDREN, &Contact::m_strChildren},
    {FID_SPOUSE, &Contact::m_strSpouse},
    {FID_NOTES, &Contact::m_strNotes},
};

const std::string* ContactString(const Contact& contact, u32 id)
{
    for (const ContactTextField& field : kStringFields) {
        if (field.id == id)
            return &(contact.*field.member);
    }
    return nullptr;
}

// Which part (street, city, state, zip, country) of an address group an id
// names; false for ids outside the group.
bool AddressPart(u32 id, u32 firstId, u32& part)
{
    if (id < firstId || id >= firstId + kAddressPartCount)
        return false;
    part = id - firstId;
    return true;
}

const std::string& PartOf(const ContactAddress& address, u32 part)
{
    switch (part) {
    case 0:
        return address.m_strStreet;
    case 1:
        return address.m_strCity;
    case 2:
        return address.m_strState;
    case 3:
        return address.m_strZip;
    default:
        return address.m_strCountry;
    }
}

std::string PartText(const ContactAddress* address, u32 part)
{
    return address ? PartOf(*address, part) : std::string();
}

const ContactValue* FirstOfType(const std::vector<ContactValue>& values, u32 type)
{
    for (const ContactValue& value : values) {
        if (value.Type() == type)
            return &value;
    }
    return nullptr;
}

const ContactValue* FirstFlagged(const std::vector<ContactValue>& values, u32 flag)
{
    for (const ContactValue& value : values) {
        if (value.m_dwCode & flag)
            return &value;
    }
    return nullptr;
}

std::string TextOf(const ContactValue* value)
{
    return value ? value->m_strText : std::string();
}

const ContactAddress* FirstDefaultAddress(const Contact& contact)
{
    for (const ContactAddress& address : contact.m_addresses) {
        if (address.m_dwType & ADDR_DEFAULT)
            return &address;
    }
    return nullptr;
}

std::string WholeAddress(const Contact& contact, const ContactAddress* address)
{
    static const CAddressFormatArray kNoFormats;
    if (!address)
        return {};
    const UserMan* userMan = AppUserMan();
    return FormatAddressText(contact, *address, userMan ? userMan->m_addressFormats : kNoFormats);
}

// The tokens an address template understands are the captions that its
// editor offers.
struct Token {
    std::string caption;
    u32 id;
};
const std::vector<Token>& Tokens()
{
    static const std::vector<Token> tokens = [] {
        std::vector<Token> list;
        for (u32 id : kAddressFormatTokenIds)
            list.push_back({LoadResString(id), id});
        return list;
    }();
    return tokens;
}

void AppendToken(std::string& text, std::string_view caption, const Contact& contact,
    const ContactAddress* home, const ContactAddress* business)
{
    const Token* token = nullptr;
    for (const Token& candidate : Tokens()) {
        if (candidate.caption == caption) {
            token = &candidate;
            break;
        }
    }
    if (!token)
        return;
    if (token->id == IDS_TOKEN_COMMA) {
        text += ", ";
        return;
    }
    if (token->id == IDS_TOKEN_NEWLINE) {
        text += kCrLf;
        return;
    }
    const std::string* value = ContactString(contact, token->id);
    u32 part = 0;
    if (!value && home && AddressPart(token->id, FID_HOME_STREET, part))
        value = &PartOf(*home, part);
    if (!value && business && AddressPart(token->id, FID_BUSINESS_STREET, part))
        value = &PartOf(*business, part);
    if (value && !value->empty()) {
        text += ' ';
        text += *value;
    }
}

void Trim(std::string& text, std::string_view characters)
{
    const size_t first = text.find_first_not_of(characters);
    if (first == std::string::npos) {
        text.clear();
        return;
    }
    text.erase(text.find_last_not_of(characters) + 1);
    text.erase(0, first);
}

// Runs of blanks become one, and a line never starts with a blank.
std::string SqueezeBlanks(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        if (ch == ' ' && !out.empty() && (out.back() == ' ' || out.back() == '\n' || out.back() == '\r'))
            continue;
        out += ch;
    }
    return out;
}

// Typed and imported text breaks its lines with LF, the format tokens with
// CR LF: every kind of break is one blank.
void ReplaceLineBreaks(std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            out += ' ';
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            out += text[i];
        }
    }
    text.swap(out);
}

QLocale LocaleFor(u32 flags)
{
    const QLocale user;
    if (flags & LOCALE_NOUSEROVERRIDE)
        return QLocale(user.language(), user.script(), user.territory());
    return user;
}

std::string DateText(const QDate& date, u32 flags)
{
    const auto format = (flags & DATE_LONGDATE) ? QLocale::LongFormat : QLocale::ShortFormat;
    return LocaleFor(flags).toString(date, format).toStdString();
}

// The locale's full time format names the time zone, which the program's
// texts never show.
std::string TimeText(const QTime& time, u32 flags)
{
    const QLocale locale = LocaleFor(flags);
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString withoutZone;
    bool quoted = false;
    for (QChar ch : format) {
        if (ch == QLatin1Char('\''))
            quoted = !quoted;
        if (!quoted && ch == QLatin1Char('t'))
            continue;
        withoutZone += ch;
    }
    return locale.toString(time, withoutZone.trimmed()).toStdString();
}

QDateTime Naive(const QDate& date, const QTime& time)
{
    return QDateTime(date, time, Qt::UTC);
}

// A year-less rule: month, week 1-5 (5 the last), day of week, time.
QDateTime RuleDate(const SYSTEMTIME& rule, int year)
{
    const QTime time(rule.wHour, rule.wMinute, rule.wSecond);
    if (rule.wMonth < 1 || rule.wMonth > 12 || rule.wDayOfWeek > 6 || rule.wDay < 1 || rule.wDay > 5
        || !time.isValid())
        return {};
    QDate picked;
    int matches = 0;
    for (QDate day(year, rule.wMonth, 1); day.isValid() && day.month() == rule.wMonth; day = day.addDays(1)) {
        if (day.dayOfWeek() % 7 == rule.wDayOfWeek) {
            picked = day;
            if (++matches == rule.wDay)
                break;
        }
    }
    return Naive(picked, time);
}

QDateTime AbsoluteDate(const SYSTEMTIME& st)
{
    const QDate date(st.wYear, st.wMonth, st.wDay);
    const QTime time(st.wHour, st.wMinute, st.wSecond);
    if (!date.isValid() || !time.isValid())
        return {};
    return Naive(date, time);
}

// A template's home fields name a mailing address (the built-in postal
// format is written in them): a contact without a home address fills them
// from its postal one.
const ContactAddress* TemplateHome(const Contact& contact)
{
    const ContactAddress* home = ContactAddressOfKind(contact, ADDR_HOME);
    return home ? home : ContactAddressOfKind(contact, ADDR_POSTAL);
}

void Expand(std::string_view format, std::string& text, const Contact& contact, const ContactAddress* home,
    const ContactAddress* business, bool keepLineBreaks)
{
    text.clear();
    if (format.empty())
        return;
    std::string raw;
    for (size_t pos = 0;;) {
        const size_t close = format.find(']', pos);
        if (close == std::string_view::npos)
            break;
        // A "[" left of where this scan began belongs to an earlier token.
        const size_t open = format.rfind('[', close);
        if (open != std::string_view::npos && open >= pos)
            AppendToken(raw, format.substr(open + 1, close - open - 1), contact, home, business);
        pos = close + 1;
    }

    text = SqueezeBlanks(raw);
    Trim(text, kWhiteSpace);
    Trim(text, LoadResString(IDS_TOKEN_COMMA));
    Trim(text, kWhiteSpace);
    if (!keepLineBreaks)
        ReplaceLineBreaks(text);
}

}  // namespace

std::span<const ContactTextField> ContactTextFields()
{
    return kStringFields;
}

const ContactAddress* ContactAddressOfKind(const Contact& contact, u32 type)
{
    const ContactAddress* first = nullptr;
    for (const ContactAddress& address : contact.m_addresses) {
        if (address.Type() != type)
            continue;
        if (address.m_dwType & ADDR_DEFAULT)
            return &address;
        if (!first)
            first = &address;
    }
    return first;
}

ContactAddress* ContactAddressOfKind(Contact& contact, u32 type)
{
    return const_cast<ContactAddress*>(ContactAddressOfKind(std::as_const(contact), type));
}

std::string FormatFieldText(const Contact& contact, u32 fieldId)
{
    if (const std::string* value = ContactString(contact, fieldId))
        return *value;
    if (fieldId >= FID_FIRST_PHONE && fieldId <= FID_LAST_PHONE)
        return TextOf(FirstOfType(contact.m_phones, fieldId - FID_FIRST_PHONE + 1));
    if (fieldId >= FID_FIRST_EMAIL && fieldId <= FID_LAST_EMAIL)
        return TextOf(FirstOfType(contact.m_emails, fieldId - FID_FIRST_EMAIL + 1));
    u32 part = 0;
    if (AddressPart(fieldId, FID_HOME_STREET, part))
        return PartText(ContactAddressOfKind(contact, ADDR_HOME), part);
    if (AddressPart(fieldId, FID_BUSINESS_STREET, part))
        return PartText(ContactAddressOfKind(contact, ADDR_BUSINESS), part);
    if (AddressPart(fieldId, FID_POSTAL_STREET, part))
        return PartText(ContactAddressOfKind(contact, ADDR_POSTAL), part);
    if (AddressPart(fieldId, FID_DEFAULT_STREET, part))
        return PartText(FirstDefaultAddress(contact), part);

    switch (fieldId) {
    case FID_GENDER:
        return contact.m_dwGender == GENDER_MALE  ? "Male"
            : contact.m_dwGender == GENDER_FEMALE ? "Female"
                                                  : "Unspecified";
    case FID_BIRTHDAY:
        return FormatDate(contact.m_dtBirthday, LOCALE_NOUSEROVERRIDE | DATE_LONGDATE);
    case FID_ANNIVERSARY:
        return FormatDate(contact.m_dtAnniversary, LOCALE_NOUSEROVERRIDE | DATE_LONGDATE);
    case FID_CREATED:
    case FID_MODIFIED: {
        const DateValue& stamp = fieldId == FID_CREATED ? contact.m_dtCreated : contact.m_dtModified;
        if (!DateToQDateTime(stamp).isValid())
            return {};
        return FormatDate(stamp, DATE_LONGDATE) + ' ' + FormatTime(stamp, 0);
    }
    case FID_HOME_PHONE:
        return TextOf(FirstFlagged(contact.m_phones, CV_DEFAULT_HOME_PHONE));
    case FID_BUSINESS_PHONE:
        return TextOf(FirstFlagged(contact.m_phones, CV_DEFAULT_BUSINESS_PHONE));
    case FID_HOME_EMAIL:
        return TextOf(FirstFlagged(contact.m_emails, CV_DEFAULT_HOME_EMAIL));
    case FID_BUSINESS_EMAIL:
        return TextOf(FirstFlagged(contact.m_emails, CV_DEFAULT_BUSINESS_EMAIL));
    case FID_HOME_WEBPAGE:
        return TextOf(FirstFlagged(contact.m_web, CV_WEB_HOME_PAGE_SHOWN));
    case FID_BUSINESS_WEBPAGE:
        return TextOf(FirstFlagged(contact.m_web, CV_WEB_BUSINESS_PAGE_SHOWN));
    case FID_ICQ:
        return TextOf(FirstOfType(contact.m_web, WEB_ICQ));
    case FID_HOME_ADDRESS:
        return WholeAddress(contact, ContactAddressOfKind(contact, ADDR_HOME));
    case FID_BUSINESS_ADDRESS:
        return WholeAddress(contact, ContactAddressOfKind(contact, ADDR_BUSINESS));
    case FID_POSTAL_ADDRESS:
        return WholeAddress(contact, ContactAddressOfKind(contact, ADDR_POSTAL));
    case FID_DEFAULT_ADDRESS:
        return WholeAddress(contact, FirstDefaultAddress(contact));
    case FID_ICON:
        return kIconText;
    default:
        return {};
    }
}

int GetFieldNumber(const Contact& contact, u32 fieldId, int flag)
{
    if (flag)
        return 0;
    return fieldId == FID_ICON ? int(contact.m_dwIcon) : -1;
}

void ExpandAddressFormat(
    std::string_view format, std::string& text, const Contact* contact, bool keepLineBreaks)
{
    if (!contact)
        return;
    Expand(format, text, *contact, TemplateHome(*contact), ContactAddressOfKind(*contact, ADDR_BUSINESS),
        keepLineBreaks);
}

void ExpandAddressFormat(std::string_view format, std::string& text, const Contact& contact,
    const ContactAddress& address, bool keepLineBreaks)
{
    const ContactAddress* home = TemplateHome(contact);
    const ContactAddress* business = ContactAddressOfKind(contact, ADDR_BUSINESS);
    if (address.Type() == ADDR_BUSINESS) {
        business = &address;
    } else if (address.Type() == ADDR_HOME) {
        home = &address;
    } else {
        home = &address;
        business = &address;
    }
    Expand(format, text, contact, home, business, keepLineBreaks);
}

std::string FormatAddressText(const Contact& contact, const ContactAddress& address,
    const CAddressFormatArray& formats, bool keepLineBreaks)
{
    const int index = GetAddressFormatIndex(address.m_dwType, address.m_dwFormat, formats.GetSize());
    std::string text;
    if (index >= 0)
        ExpandAddressFormat(formats[size_t(index)].Format(), text, contact, address, keepLineBreaks);
    return text;
}

std::string FormatDate(const DateValue& date, u32 flags)
{
    const QDateTime value = DateToQDateTime(date);
    return value.isValid() ? DateText(value.date(), flags) : std::string();
}

std::string FormatTime(const DateValue& date, u32 flags)
{
    const QDateTime value = DateToQDateTime(date);
    return value.isValid() ? TimeText(value.time(), flags) : std::string();
}

bool IsDaylightSavingNow(const TimeZoneEntry& entry)
{
    if (entry.m_daylightDate.wMonth == 0)
        return false;
    const QDateTime utc = ClockNow().toUTC();
    const QDateTime now = Naive(utc.date(), utc.time()).addSecs(-qint64(entry.m_lBias) * 60);
    QDateTime daylightStart;
    QDateTime standardStart;
    if (entry.m_daylightDate.wYear != 0) {
        daylightStart = AbsoluteDate(entry.m_daylightDate);
        standardStart = AbsoluteDate(entry.m_standardDate);
    } else {
        daylightStart = RuleDate(entry.m_daylightDate, utc.date().year());
        standardStart = RuleDate(entry.m_standardDate, utc.date().year());
    }
    if (!daylightStart.isValid() || !standardStart.isValid())
        return false;
    if (standardStart >= daylightStart)
        return daylightStart <= now && now <= standardStart;
    // Southern hemisphere: daylight saving spans the turn of the year.
    return now < standardStart || now > daylightStart;
}

void FormatZoneTime(const TimeZoneEntry& entry, std::string& text, int mode, const std::string& separator)
{
    if (mode < 1 || mode > 3)
        return;
    // One of the two extra biases applies, by the season; never both.
    const i32 bias
        = entry.m_lBias + (IsDaylightSavingNow(entry) ? entry.m_lDaylightBias : entry.m_lStandardBias);
    const QDateTime clock = ClockNow();
    const QDateTime there = Naive(clock.date(), clock.time()).addSecs((qint64(GetLocalBias()) - bias) * 60);
    const std::string time = TimeText(there.time(), 0);
    const std::string date = DateText(there.date(), DATE_LONGDATE);
    if (mode == 1)
        text = time;
    else if (mode == 2)
        text = date;
    else
        text = time + separator + date;
}

i32 GetLocalBias()
{
    const QDateTime now = ClockNow();
    const QTimeZone zone = now.timeZone();
    return zone.isValid() ? -zone.offsetFromUtc(now) / 60 : 0;
}

DateValue GetLocalNow()
{
    return DateNow();
}
