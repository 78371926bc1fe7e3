// The data model: books, contacts and the entries of DataMan's side tables.
// Each persistent record writes and reads itself field by field through
// CDataFile, so one routine serves the data files, export files and the
// memory channel of the clipboard.
#pragma once

#include "platform/oledate.h"
#include "platform/wintypes.h"

#include <string>
#include <vector>

class CDataFile;
class DataFileHandle;
class Book;
class Contact;

enum DataFileKind : u32 {
    DFK_DATA = 1,  // "tolva.rdf": books and contacts
    DFK_NONDATA = 2,  // "tolva.ndf": the side tables
    DFK_EXPORT = 4,  // an export file being written or read
    DFK_MEMORY = 5,  // the memory channel of the clipboard and drag and drop
};

// Record flags.
constexpr u32 DIF_BOOK = 0x00000001;
constexpr u32 DIF_CONTACT = 0x00000002;
constexpr u32 DIF_CURRENT_BOOK = 0x00010000;
constexpr u32 DIF_ROOT_BOOK = 0x10000000;
constexpr u32 DIF_DELETED_ITEMS = 0x20000000;

// Framing words around every book and contact record. A record read with
// another opening word gives RC_BAD_RECORD (core/utilities.h).
constexpr u32 kRecordOpening = 16;
constexpr u32 kRecordClosing = 32;

// Contact display flags.
constexpr u32 CDF_DEFAULT_FONT = 0x1;
constexpr u32 CDF_PRINT = 0x2;
constexpr u32 CDF_DEFAULT_TEXT_COLOR = 0x4;
constexpr u32 CDF_DEFAULT_BK_COLOR = 0x8;
constexpr u32 kContactDisplayFlagsDefault = 13;

// ContactValue codes: the low 16 bits say what the value is.
constexpr u32 CV_TYPE_MASK = 0x0000FFFF;
constexpr u32 CV_DEFAULT_HOME_PHONE = 0x10000000;
constexpr u32 CV_DEFAULT_BUSINESS_PHONE = 0x01000000;
constexpr u32 CV_DEFAULT_HOME_EMAIL = 0x20000000;
constexpr u32 CV_DEFAULT_BUSINESS_EMAIL = 0x10000000;
constexpr u32 CV_WEB_HOME_PAGE_SHOWN = 0x20000000;
constexpr u32 CV_WEB_BUSINESS_PAGE_SHOWN = 0x40000000;
constexpr u32 kPhoneTypeCount = 20;  // 1-10 home, 11-20 business
constexpr u32 kEmailTypeCount = 10;  // 1-5 home, 6-10 business
constexpr u32 WEB_HOME_PAGE = 1;
constexpr u32 WEB_BUSINESS_PAGE = 8;
constexpr u32 WEB_ICQ = 15;

// ContactAddress types.
constexpr u32 ADDR_HOME = 1;
constexpr u32 ADDR_BUSINESS = 2;
constexpr u32 ADDR_POSTAL = 4;
constexpr u32 ADDR_DEFAULT = 0x10000000;

// Gender.
constexpr u32 GENDER_MALE = 1;
constexpr u32 GENDER_FEMALE = 2;

// The file version that records are read in; older versions lay some
// records out differently.
constexpr u32 kFormatVersion = 0x2500;

// Lets a book find the records its member ids name.
class RecordMap {
public:
    virtual ~RecordMap() = default;
    virtual Book* FindBook(u32 id) const = 0;
    virtual Contact* FindContact(u32 id) const = 0;
};

// What a record reads or writes through: the data-file object, the kind of
// file, an optional explicit handle, and the version of the file being read.
struct RecordIo {
    CDataFile& file;
    DataFileKind kind;
    DataFileHandle* handle = nullptr;
    u32 version = kFormatVersion;
    // A book or contact must end in its closing word: for records that no
    // count vouches for, where only whole records may be taken.
    bool wholeRecords = false;
};

struct ContactValue {
    u32 m_dwCode = 0;
    std::string m_strText;

    u32 Type() const { return m_dwCode & CV_TYPE_MASK; }
    bool operator==(const ContactValue&) const = default;
};

struct ContactAddress {
    u32 m_dwType = 0;
    std::string m_strStreet;
    std::string m_strCity;
    std::string m_strState;
    std::string m_strZip;
    std::string m_strCountry;
    u32 m_dwFormat = 0;
    u32 m_dwWord = 0;

    u32 Type() const { return m_dwType & CV_TYPE_MASK; }
    bool operator==(const ContactAddress&) const = default;
};

struct BookCondition {
    u32 m_dwField = 0;
    u32 m_dwType = 4;
    std::string m_strText;
    u8 m_value[16] = {};
    std::string m_strText2;
    std::string m_strText3;
    u32 m_dwWord = 0;

    // How many bytes of the value the type uses: 4, 16, 8 or none.
    static u32 ValueSize(u32 type);
    bool operator==(const BookCondition&) const = default;
};

using ContactPhoneArray = std::vector<ContactValue>;
using ContactEmailArray = std::vector<ContactValue>;
using ContactWebArray = std::vector<ContactValue>;
using ContactAddressArray = std::vector<ContactAddress>;
using BookConditionArray = std::vector<BookCondition>;
using IdArray = std::vector<u32>;

// Id lists hold each id once.
bool IdListContains(const IdArray& ids, u32 id);
bool IdListAdd(IdArray& ids, u32 id);  // false when already there
bool IdListRemove(IdArray& ids, u32 id);  // removes the first occurrence
bool IdListReplace(IdArray& ids, u32 oldId, u32 newId);

// A NUL ends a stored text when it is read back, so text that enters a
// record is kept without it.
void StripNul(std::string& text);
void StripNul(Contact& contact);

class DataItem {
public:
    DataItem();
    virtual ~DataItem() = default;

    bool IsBook() const { return m_dwFlags & DIF_BOOK; }
    bool IsContact() const { return m_dwFlags & DIF_CONTACT; }
    void SetModified() { m_dtModified = DateNow(); }

    u32 m_dwFlags = 0;
    u32 m_dwReserved = 0;
    DateValue m_dtCreated;
    DateValue m_dtModified;
    u32 m_duID = 0;

protected:
    DataItem(const DataItem&) = default;
    DataItem& operator=(const DataItem&) = default;
};

class Book : public DataItem {
public:
    Book();

    // Copies every field of another book, its id and dates included, under
    // the given parent.
    int CopyFrom(const Book& other, u32 parentId);

    // From a position that they advance (0 to start), the next member that
    // the map finds as a contact (a book); null at the end.
    Contact* GetNextContact(const RecordMap& map, size_t& position) const;
    Book* GetNextBook(const RecordMap& map, size_t& position) const;
    void CountMembers(const RecordMap& map, u32& contacts, u32& books) const;

    u32 Write(const RecordIo& io) const;
    u32 Read(const RecordIo& io);

    u32 m_duParentID = 0;
    IdArray m_members;
    BookConditionArray m_conditions;
    u32 m_dwWord = 0;
    std::string m_strName;
    std::string m_strDescription;
    LOGFONT m_font;
    COLORREF m_crText = 0;
    COLORREF m_crBack = 0;
    u32 m_dwWord1 = 0;
    u32 m_dwWord2 = 0;
    u32 m_dwImage = 1;
};

class Contact : public DataItem {
public:
    Contact();
    Contact(const Contact&) = default;
    Contact& operator=(const Contact&) = default;

    // Takes every data field of another contact; keeps this one's id and books.
    void UpdateFrom(const Contact& other);

    // The next id of the book list; 0xFFFFFFFF (and position 0) at the end.
    u32 GetNextBookId(size_t& position) const;

    u32 Write(const RecordIo& io) const;
    // Read from the memory channel (clipboard, drag and drop), a contact
    // arrives as a new one: id 0, no books, modified now.
    u32 Read(const RecordIo& io);

    IdArray m_books;
    std::string m_strName;
    std::string m_strTitle;
    std::string m_strFirstName;
    std::string m_strMiddleName;
    std::string m_strLastName;
    std::string m_strNickName;
    std::string m_strSuffix;
    u32 m_dwGender = 0;
    ContactValue m_picture;
    i32 m_nPictureType = -1;
    double m_dValue1 = 1.0;
    double m_dValue2 = 0.0;
    ContactPhoneArray m_phones;
    ContactEmailArray m_emails;
    ContactWebArray m_web;
    ContactAddressArray m_addresses;
    BookConditionArray m_custom;
    std::string m_strCompany;
    std::string m_strDepartment;
    std::string m_strOffice;
    std::string m_strJobTitle;
    std::string m_strExtra1;
    std::string m_strExtra2;
    std::string m_strChildren;
    DateValue m_dtBirthday = DateValue::Null();
    DateValue m_dtAnniversary = DateValue::Null();
    std::string m_strNotes;
    std::string m_strSpouse;
    u32 m_dwWord = 0;
    COLORREF m_crText = 0;
    COLORREF m_crBack = 0;
    LOGFONT m_font;
    u32 m_dwWord1 = 0;
    u32 m_dwWord2 = 0;
    u32 m_dwDisplayFlags = kContactDisplayFlagsDefault;
    u32 m_dwIcon = 0;
};

// Side-table entries (DataMan kinds 1 to 4 and the two further tables).
constexpr u32 ALPHABET_CURRENT = 0x10000;
constexpr u32 TZ_UNDEFINED = 0x10000;
constexpr u32 kFreshSpeedDialSlot = 0xFFFFFFFF;

struct Alphabet {
    u32 m_dwFlags = 0;
    std::string m_strName;
    std::string m_strLetters;

    u32 Write(const RecordIo& io) const;
    u32 Read(const RecordIo& io);
};

struct CallLogEntry {
    u32 m_duContactID = 0;
    u32 m_dwKind = 0;
    std::string m_strName;
    std::string m_strNumber;
    DateValue m_dtStart = DateNow();
    DateValue m_dtDuration;
    u32 m_dwWord = 0;

    u32 Write(const RecordIo& io) const;
    u32 Read(const RecordIo& io);
};

struct SpeedDialSlot {
    u32 m_dwWord = 0;
    u32 m_dwIndex = kFreshSpeedDialSlot;
    std::string m_strName;
    std::string m_strNumber;

    u32 Write(const RecordIo& io) const;
    u32 Read(const RecordIo& io);
};

struct TimeZoneEntry {
    u32 m_dwFlags = 0;
    std::string m_strName;
    std::string m_strText2;
    std::string m_strText3;
    i32 m_lBias = 0;
    i32 m_lStandardBias = 0;
    i32 m_lDaylightBias = 0;
    SYSTEMTIME m_standardDate;
    SYSTEMTIME m_daylightDate;

    u32 Write(const RecordIo& io) const;
    u32 Read(const RecordIo& io);
};

struct FurtherEntry1 {
    u32 m_dwWord = 0;
    std::string m_str1;
    std::string m_str2;
    std::string m_str3;

    u32 Write(const RecordIo& io) const;
    u32 Read(const RecordIo& io);
};

struct FurtherEntry2 {
    u32 m_dwWord1 = 0;
    u32 m_dwWord2 = 0;
    std::string m_str1;
    std::string m_str2;
    Contact m_contact;

    u32 Write(const RecordIo& io) const;
    u32 Read(const RecordIo& io);
};

// Where fresh records take their fonts and colours from: the desktop's
// icon-title font and window colours for books, the contact list's settings
// for contacts. The program installs its own at start-up; until then a
// neutral default is used.
struct RecordDefaults {
    LOGFONT bookFont;
    COLORREF bookText = RGB(0, 0, 0);
    COLORREF bookBack = RGB(255, 255, 255);
    LOGFONT contactFont;
    COLORREF contactText = RGB(0, 0, 0);
    COLORREF contactBack = RGB(255, 255, 255);
};
const RecordDefaults& GetRecordDefaults();
void SetRecordDefaults(const RecordDefaults& defaults);
