// The text of any contact field by its field id: what the grid, the
// information pane, printing, export and search show. A field id is also the
// string id of the field's caption.
#pragma once

#include "core/records.h"

#include <span>
#include <string>
#include <string_view>

class CAddressFormatArray;

enum ContactFieldId : u32 {
    FID_NAME = 59441,
    FID_COMPANY = 59442,
    FID_DEPARTMENT = 59443,
    FID_OFFICE = 59444,
    FID_JOB_TITLE = 59445,
    FID_BUSINESS_ADDRESS = 59446,
    FID_HOME_ADDRESS = 59447,
    FID_FIRST_PHONE = 59448,  // one id per phone type 1-20: "Home phone 1" ... "Business ISDN"
    FID_LAST_PHONE = 59467,
    FID_FIRST_EMAIL = 59468,  // one id per e-mail type 1-10: "Home email 1" ... "Business email 5"
    FID_LAST_EMAIL = 59477,
    FID_HOME_WEBPAGE = 59478,
    FID_BUSINESS_WEBPAGE = 59479,
    FID_ICQ = 59480,
    FID_GENDER = 59481,
    FID_CHILDREN = 59482,
    FID_SPOUSE = 59483,
    FID_BIRTHDAY = 59484,
    FID_ANNIVERSARY = 59485,
    FID_NOTES = 59486,
    FID_DEFAULT_ADDRESS = 59487,
    FID_HOME_EMAIL = 59488,
    FID_BUSINESS_EMAIL = 59489,
    FID_HOME_PHONE = 59490,
    FID_BUSINESS_PHONE = 59491,
    FID_FIRST_NAME = 59492,
    FID_MIDDLE_NAME = 59493,
    FID_LAST_NAME = 59494,
    FID_TITLE = 59495,
    FID_SUFFIX = 59496,
    FID_NICK_NAME = 59497,
    FID_HOME_STREET = 59498,  // street, city, state, zip, country
    FID_BUSINESS_STREET = 59503,
    FID_DEFAULT_STREET = 59508,
    FID_ICON = 59513,
    FID_CREATED = 59671,
    FID_MODIFIED = 59672,
    // A postal address has no caption of its own among the ids above: it
    // takes the built-in postal format's name, and its parts follow it.
    FID_POSTAL_ADDRESS = 59700,
    FID_POSTAL_STREET = 59703,  // street, city, state, zip, country
};
constexpr u32 kAddressPartCount = 5;

// Date and time text flags, with the numbers callers pass.
constexpr u32 DATE_SHORTDATE = 0x1;
constexpr u32 DATE_LONGDATE = 0x2;
constexpr u32 LOCALE_NOUSEROVERRIDE = 0x80000000;

// The fields that are one text of the contact as it stands (names,
// company, notes...), by field id.
struct ContactTextField {
    u32 id;
    std::string Contact::*member;
};
std::span<const ContactTextField> ContactTextFields();

// The address of a kind that every view shows and edits: the contact's
// default address when it is of that kind, else the first of the kind;
// null when the contact has none.
const ContactAddress* ContactAddressOfKind(const Contact& contact, u32 type);
ContactAddress* ContactAddressOfKind(Contact& contact, u32 type);

// Unknown ids give "". Whole addresses take their format from the
// application's UserMan.
std::string FormatFieldText(const Contact& contact, u32 fieldId);
// The contact's icon index for "Icon", else -1; 0 whenever flag is set.
int GetFieldNumber(const Contact& contact, u32 fieldId, int flag);

// Fills a template of bracketed captions for a contact. A null contact
// leaves the text as it was.
void ExpandAddressFormat(
    std::string_view format, std::string& text, const Contact* contact, bool keepLineBreaks);
// The same with one address of the contact as the one laid out: its own
// kind's fields come from it, and a postal address, which has no fields of
// its own in a template, fills the home and the business ones.
void ExpandAddressFormat(std::string_view format, std::string& text, const Contact& contact,
    const ContactAddress& address, bool keepLineBreaks);
// The text of a whole address of the contact through the format it names;
// "" when no format serves. On one line unless line breaks are kept.
std::string FormatAddressText(const Contact& contact, const ContactAddress& address,
    const CAddressFormatArray& formats, bool keepLineBreaks = false);

// In the user's locale; "" for a date that is not valid.
std::string FormatDate(const DateValue& date, u32 flags);
std::string FormatTime(const DateValue& date, u32 flags);

// Whether daylight saving time holds now at the location.
bool IsDaylightSavingNow(const TimeZoneEntry& entry);
// The location's current time: mode 1 the time, 2 the long date, 3 both
// joined by the separator; another mode leaves the text as it was.
void FormatZoneTime(
    const TimeZoneEntry& entry, std::string& text, int mode, const std::string& separator = " ");
// Minutes to add to the local time to get UTC, daylight saving included.
i32 GetLocalBias();
DateValue GetLocalNow();
