// How the columns of a delimited text file meet the fields of a contact:
// the lists of mapped fields kept between runs, the storing of one column's
// text into a contact, and the reading of date texts.
#pragma once

#include "core/records.h"

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The order of day, month and year in the date texts of an import.
enum ImportDateFormat : int {
    IDF_MONTH_DAY_YEAR = 0,
    IDF_DAY_MONTH_YEAR = 1,
    IDF_YEAR_MONTH_DAY = 2,
};

// The fields the mapping lists offer, in their order: the run from the
// name to the business country, then the postal address and its parts.
constexpr u32 kFirstMappedField = 59441;
constexpr u32 kLastMappedField = 59507;
std::span<const u32> MappedFields();

// Whole addresses are written on export but never read back: their parts
// are columns of their own.
bool IsImportableField(u32 fieldId);
// One entry per column of the default export, so that a file exported with
// the defaults imports with the defaults into the same fields; the whole
// addresses' columns are not imported.
std::vector<u32> DefaultImportFields();
std::vector<u32> DefaultExportFields();
// The field whose caption the name of a column is, letter case, blanks and
// hyphens aside ("FIRST NAME", "Nickname", "Home E-mail" are captions);
// 0 when it is none.
u32 FieldOfColumnName(std::string_view name);
// The mapping of a file whose first line holds the columns' names, by name
// alone: a column of a name that the stored mapping was made for reads the
// field it had there (or nothing); any other column named by a field's
// caption reads that field (a whole address, which is never read back,
// nothing); no field is read from two columns, and a column of any other
// name reads nothing. Names compare as captions do.
std::vector<u32> MapColumnsByName(const std::vector<std::string>& names,
    const std::vector<std::string>& storedNames, const std::vector<u32>& storedFields);

// "ImportFields" or "ExportFields" of the "DataMan" section: the list of the
// last run, else the default (also for a stored value that is no whole
// number of field ids). stored says which.
std::vector<u32> LoadFieldList(bool import, bool* stored = nullptr);
void SaveFieldList(bool import, const std::vector<u32>& fields);

// Stores one column's text into a contact by field id: names and other texts
// replace the field; phones, e-mails and web pages are added; address parts
// go into the first address of their kind; dates are read in the date
// format. An empty text adds nothing, and a phone or e-mail already there
// is not added twice. False when the text says nothing the field can hold
// (a date not in the date format, a gender that is none of "Male",
// "Female" and "Unspecified"): the field is left as it was.
bool SetContactFieldFromText(
    Contact& contact, u32 fieldId, std::string_view text, int dateFormat = IDF_MONTH_DAY_YEAR);

// An empty address of the type (default flag included) laid out as one the
// user types in the editor: a home address in the built-in home format, a
// business address in the business format, any other in the postal one.
ContactAddress NewContactAddress(u32 type);

// The slot flag of the field of the contact's pages that a phone of this
// type starts out in (home 1, 2, mobile, fax; business 1, 2, fax); 0 for
// the types no field shows until the user picks them.
u32 PhoneFieldFlag(u32 type);
// The flag of the Home page's second e-mail field.
constexpr u32 CV_SECOND_HOME_EMAIL = 0x40000000;
// An imported contact's home e-mail shown in the Home page's second field:
// the first one that is not the default (which the first field shows), as
// a user typing two addresses leaves them. Nothing when one has the flag.
void ShowSecondHomeEmail(Contact& contact);

// Reads three numbers of one to four digits separated by ".", "/" or "-", in
// the order of the date format, into a valid date; 0 on success. A first
// number of four digits is the year, of year-month-day ("1982-05-17"). A year written
// with one or two digits is one of the 1900s ("99" is 1999, "5" is 1905);
// a year of three or four digits stands as written ("1899" is 1899).
int ParseDate(std::string_view text, int dateFormat, DateValue& date);
// The date as ParseDate reads it back, zero-padded: "12/31/1999".
std::string FormatDateNumbers(const DateValue& date, int dateFormat);
// A calendar date from the year 100 on; false for a day that does not exist.
bool DateFromParts(int year, int month, int day, DateValue& date);

// Whether the contact holds any text, value, date or gender.
bool HasContactData(const Contact& contact);
// A contact without a name takes its first, middle and last name, else its
// company, else its first e-mail address.
void NameUnnamedContact(Contact& contact);
// The non-empty parts joined by single blanks.
std::string JoinNameParts(std::string_view first, std::string_view middle, std::string_view last);
// The non-empty parts joined by the separator.
std::string JoinNonEmpty(std::initializer_list<std::string_view> parts, std::string_view separator);
