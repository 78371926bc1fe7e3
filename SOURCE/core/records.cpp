#include "core/records.h"

#include "core/datafile.h"
#include "core/utilities.h"

#include <algorithm>
#include <bit>
#include <concepts>
#include <cstring>
#include <type_traits>

// Records are stored as they stand in memory, which is the file's order.
static_assert(std::endian::native == std::endian::little);

namespace {

RecordDefaults g_defaults;

// The smallest size in a file of a list's element: a count that promises
// more elements than the remaining bytes can hold is refused before any of
// them is made.
constexpr u32 kMinValueSize = 8;  // code, empty string
constexpr u32 kMinConditionSize = 24;  // type, field, word and three empty strings
constexpr u32 kMinAddressSize = 32;  // type, five empty strings, format, word
constexpr u32 kMinOldAddressSize = 24;  // without format and word

// Writes a record's fields in the file's order. The same field routines
// drive FieldReader, so writing and reading cannot drift apart. Fields go
// straight into the file's buffer while they fit; Finish hands over what
// was put there.
class FieldWriter {
public:
    static constexpr bool kReading = false;
    explicit FieldWriter(const RecordIo& io)
        : m_io(io)
    {
        Refresh();
    }
    const RecordIo& Io() const { return m_io; }
    u32 Finish()
    {
        Sync();
        return m_error;
    }

    void Bytes(const void* data, u32 n)
    {
        if (n == 0)
            return;
        if (n <= size_t(m_end - m_at)) {
            std::memcpy(m_at, data, n);
            m_at += n;
            return;
        }
        Sync();
        if (!m_error)
            m_error = m_io.file.Write(m_io.kind, data, n, m_io.handle);
        Refresh();
    }
    void Word(u32 value) { Bytes(&value, sizeof value); }
    void Int(i32 value) { Bytes(&value, sizeof value); }
    void Real(double value) { Bytes(&value, sizeof value); }
    // A string is its length + 1, its bytes and a NUL, as WriteString puts it;
    // a text holding a NUL goes through WriteString, which leaves it out.
    void Str(const std::string& text, const char* = nullptr)
    {
        if (text.size() >= 0xFFFFFFFFu || std::memchr(text.data(), 0, text.size())) {
            Sync();
            if (!m_error)
                m_error = m_io.file.WriteString(m_io.kind, text, m_io.handle);
            Refresh();
            return;
        }
        Word(u32(text.size() + 1));
        Bytes(text.c_str(), u32(text.size() + 1));
    }
    void Date(const DateValue& date)
    {
        Word(u32(date.m_status));
        Real(date.m_dt);
    }
    void Opening() { Word(kRecordOpening); }
    void Closing() { Word(kRecordClosing); }
    void Ids(const IdArray& ids)
    {
        Word(u32(ids.size()));
        Bytes(ids.data(), u32(ids.size() * sizeof(u32)));
    }
    template <class T> void List(const std::vector<T>& items, u32, const char* name = nullptr)
    {
        Word(u32(items.size()));
        for (const T& item : items)
            ItemFields(*this, item, name);
    }

private:
    void Sync()
    {
        if (m_at != m_start)
            m_io.file.Commit(m_io.kind, size_t(m_at - m_start), m_io.handle);
        m_start = m_at;
    }
    void Refresh()
    {
        const CDataFile::WriteSpan span
            = m_error ? CDataFile::WriteSpan{} : m_io.file.WriteSpace(m_io.kind, m_io.handle);
        m_start = m_at = span.data;
        m_end = span.data + span.size;
    }

    const RecordIo& m_io;
    u32 m_error = 0;
    char* m_start = nullptr;
    char* m_at = nullptr;
    char* m_end = nullptr;
};

// Reads the fields in place from the bytes the file holds in memory while
// they are there, and through the file's checked reads where they are not;
// Finish moves the file past what was read.
class FieldReader {
public:
    static constexpr bool kReading = true;
    explicit FieldReader(const RecordIo& io)
        : m_io(io)
    {
        Refresh();
    }
    const RecordIo& Io() const { return m_io; }
    u32 Finish()
    {
        Sync();
        return m_error;
    }

    void Bytes(void* data, u32 n)
    {
        if (m_error || n == 0)
            return;
        if (n <= size_t(m_end - m_at)) {
            std::memcpy(data, m_at, n);
            Take(n);
            return;
        }
        Sync();
        m_error = m_io.file.Read(m_io.kind, data, n, m_io.handle);
        Refresh();
    }
    void Word(u32& value) { Bytes(&value, sizeof value); }
    void Int(i32& value) { Bytes(&value, sizeof value); }
    void Real(double& value) { Bytes(&value, sizeof value); }
    // field: what the text is, for the note of a text read over a NUL.
    void Str(std::string& text, const char* field = nullptr)
    {
        if (m_error)
            return;
        if (m_end - m_at < 4) {
            Sync();
            m_error = m_io.file.ReadString(m_io.kind, text, m_io.handle, field);
            Refresh();
            return;
        }
        u32 n = 0;
        Word(n);
        if (n == 0 && !m_error)
            m_io.file.NoteZeroLengthString();
        if (n > m_remaining) {
            m_error = RC_SHORT_READ;
        } else if (n <= size_t(m_end - m_at)) {
            m_error = m_io.file.TextOfStored(m_at, n, text, field);
            Take(n);
        } else {
            std::string bytes(n, '\0');
            Bytes(bytes.data(), n);
            if (!m_error)
                m_error = m_io.file.TextOfStored(bytes.data(), n, text, field);
        }
    }
    void Date(DateValue& date)
    {
        u32 status = 0;
        Word(status);
        Real(date.m_dt);
        date.m_status = DateStatus(status);
    }
    void Opening() { Expect(kRecordOpening); }
    // The closing word is read but not compared: files written by others
    // that put another word there have always loaded.
    void Closing()
    {
        if (m_io.wholeRecords) {
            Expect(kRecordClosing);
            return;
        }
        u32 closing = 0;
        Word(closing);
    }
    void Ids(IdArray& ids)
    {
        u32 count = 0;
        if (!Count(count, sizeof(u32)))
            return;
        if (count > 0xFFFFFFFFu / sizeof(u32)) {
            m_error = RC_SHORT_READ;
            return;
        }
        ids.resize(count);
        Bytes(ids.data(), u32(count * sizeof(u32)));
    }
    template <class T> void List(std::vector<T>& items, u32 minSize, const char* name = nullptr)
    {
        u32 count = 0;
        if (!Count(count, minSize))
            return;
        items.clear();
        items.resize(count);
        for (T& item : items)
            ItemFields(*this, item, name);
    }

private:
    void Expect(u32 framing)
    {
        u32 word = 0;
        Word(word);
        if (!m_error && word != framing)
            m_error = RC_BAD_RECORD;
    }

    bool Count(u32& count, u32 minSize)
    {
        Word(count);
        if (!m_error && count > 0 && u64(count) * minSize > m_remaining)
            m_error = RC_SHORT_READ;
        return m_error == 0;
    }

    void Take(size_t n)
    {
        m_at += n;
        m_remaining -= n;
    }
    void Sync()
    {
        if (m_at != m_start)
            m_io.file.Skip(m_io.kind, size_t(m_at - m_start), m_io.handle);
        m_start = m_at;
    }
    void Refresh()
    {
        const CDataFile::ReadSpan span
            = m_error ? CDataFile::ReadSpan{} : m_io.file.Peek(m_io.kind, m_io.handle);
        m_start = m_at = span.data;
        m_end = span.data + span.size;
        m_remaining = span.remaining;
    }

    const RecordIo& m_io;
    u32 m_error = 0;
    const char* m_start = nullptr;
    const char* m_at = nullptr;
    const char* m_end = nullptr;
    // What the whole file or channel holds from m_at on.
    u64 m_remaining = 0;
};

template <class R, class T>
concept RecordOf = std::same_as<std::remove_const_t<R>, T>;

// An address from a file older than 0x2500 carries no format: home
// addresses take the home format, business ones the business format and
// any other the postal one.
u32 OldAddressFormat(u32 type)
{
    switch (type & CV_TYPE_MASK) {
    case ADDR_HOME:
        return 2;
    case ADDR_BUSINESS:
        return 1;
    default:
        return 0;
    }
}

template <class S, RecordOf<ContactValue> R> void Fields(S& s, R& value, const char* name = nullptr)
{
    s.Word(value.m_dwCode);
    s.Str(value.m_strText, name);
}

template <class S, RecordOf<ContactAddress> R> void Fields(S& s, R& address);
template <class S, RecordOf<BookCondition> R> void Fields(S& s, R& condition);

// An element of a list: a value takes the list's name for its text.
template <class S, class R> void ItemFields(S& s, R& item, const char* name)
{
    if constexpr (RecordOf<R, ContactValue>)
        Fields(s, item, name);
    else
        Fields(s, item);
}

template <class S, RecordOf<ContactAddress> R> void Fields(S& s, R& address)
{
    s.Word(address.m_dwType);
    s.Str(address.m_strStreet, "street");
    s.Str(address.m_strCity, "city");
    s.Str(address.m_strState, "state");
    s.Str(address.m_strZip, "zip");
    s.Str(address.m_strCountry, "country");
    if (s.Io().version >= kFormatVersion) {
        s.Word(address.m_dwFormat);
        s.Word(address.m_dwWord);
    } else if constexpr (S::kReading) {
        address.m_dwFormat = OldAddressFormat(address.m_dwType);
        address.m_dwWord = 0;
    }
}

template <class S, RecordOf<BookCondition> R> void Fields(S& s, R& condition)
{
    s.Word(condition.m_dwType);
    s.Word(condition.m_dwField);
    s.Str(condition.m_strText, "condition");
    s.Bytes(condition.m_value, BookCondition::ValueSize(condition.m_dwType));
    s.Str(condition.m_strText2, "condition");
    s.Str(condition.m_strText3, "condition");
    s.Word(condition.m_dwWord);
}

template <class S, class R> void BaseFields(S& s, R& item)
{
    s.Word(item.m_dwFlags);
    s.Word(item.m_dwReserved);
    s.Date(item.m_dtCreated);
    s.Date(item.m_dtModified);
    s.Word(item.m_duID);
}

template <class S, RecordOf<Book> R> void Fields(S& s, R& book)
{
    s.Opening();
    BaseFields(s, book);
    s.Word(book.m_duParentID);
    s.Ids(book.m_members);
    s.List(book.m_conditions, kMinConditionSize);
    s.Word(book.m_dwWord);
    s.Str(book.m_strName, "name");
    s.Str(book.m_strDescription, "description");
    s.Bytes(&book.m_font, sizeof book.m_font);
    s.Word(book.m_crText);
    s.Word(book.m_crBack);
    s.Word(book.m_dwWord2);
    s.Word(book.m_dwWord1);
    s.Word(book.m_dwImage);
    s.Closing();
}

template <class S, RecordOf<Contact> R> void Fields(S& s, R& contact)
{
    s.Opening();
    BaseFields(s, contact);
    s.Ids(contact.m_books);
    if constexpr (S::kReading) {
        if (s.Io().kind == DFK_MEMORY) {
            contact.SetModified();
            contact.m_duID = 0;
            contact.m_books.clear();
        }
    }
    s.Str(contact.m_strName, "name");
    s.Str(contact.m_strTitle, "title");
    s.Str(contact.m_strFirstName, "first name");
    s.Str(contact.m_strMiddleName, "middle name");
    s.Str(contact.m_strLastName, "last name");
    s.Str(contact.m_strNickName, "nick name");
    s.Str(contact.m_strSuffix, "suffix");
    s.Word(contact.m_dwGender);
    Fields(s, contact.m_picture, "picture");
    s.Int(contact.m_nPictureType);
    s.Real(contact.m_dValue1);
    s.Real(contact.m_dValue2);
    s.List(contact.m_phones, kMinValueSize, "phone");
    s.List(contact.m_emails, kMinValueSize, "e-mail");
    s.List(contact.m_web, kMinValueSize, "web page");
    s.List(contact.m_addresses, s.Io().version >= kFormatVersion ? kMinAddressSize : kMinOldAddressSize);
    s.List(contact.m_custom, kMinConditionSize);
    s.Str(contact.m_strCompany, "company");
    s.Str(contact.m_strDepartment, "department");
    s.Str(contact.m_strOffice, "office");
    s.Str(contact.m_strJobTitle, "job title");
    s.Str(contact.m_strExtra1, "further text");
    s.Str(contact.m_strExtra2, "further text");
    s.Str(contact.m_strChildren, "children");
    s.Date(contact.m_dtBirthday);
    s.Date(contact.m_dtAnniversary);
    s.Str(contact.m_strNotes, "notes");
    s.Str(contact.m_strSpouse, "spouse");
    s.Word(contact.m_dwWord);
    s.Word(contact.m_crText);
    s.Word(contact.m_crBack);
    s.Bytes(&contact.m_font, sizeof contact.m_font);
    s.Word(contact.m_dwWord1);
    s.Word(contact.m_dwWord2);
    s.Word(contact.m_dwDisplayFlags);
    s.Word(contact.m_dwIcon);
    s.Closing();
}

template <class S, RecordOf<Alphabet> R> void Fields(S& s, R& alphabet)
{
    s.Word(alphabet.m_dwFlags);
    s.Str(alphabet.m_strName);
    s.Str(alphabet.m_strLetters);
}

template <class S, RecordOf<CallLogEntry> R> void Fields(S& s, R& entry)
{
    s.Word(entry.m_duContactID);
    s.Word(entry.m_dwKind);
    s.Str(entry.m_strName);
    s.Str(entry.m_strNumber);
    s.Date(entry.m_dtStart);
    s.Date(entry.m_dtDuration);
    s.Word(entry.m_dwWord);
}

template <class S, RecordOf<SpeedDialSlot> R> void Fields(S& s, R& slot)
{
    s.Word(slot.m_dwWord);
    s.Word(slot.m_dwIndex);
    s.Str(slot.m_strName);
    s.Str(slot.m_strNumber);
}

template <class S, RecordOf<TimeZoneEntry> R> void Fields(S& s, R& zone)
{
    s.Word(zone.m_dwFlags);
    s.Str(zone.m_strName);
    s.Str(zone.m_strText2);
    s.Str(zone.m_strText3);
    s.Int(zone.m_lBias);
    s.Int(zone.m_lStandardBias);
    s.Int(zone.m_lDaylightBias);
    s.Bytes(&zone.m_standardDate, sizeof zone.m_standardDate);
    s.Bytes(&zone.m_daylightDate, sizeof zone.m_daylightDate);
}

template <class S, RecordOf<FurtherEntry1> R> void Fields(S& s, R& entry)
{
    s.Word(entry.m_dwWord);
    s.Str(entry.m_str1);
    s.Str(entry.m_str2);
    s.Str(entry.m_str3);
}

template <class S, RecordOf<FurtherEntry2> R> void Fields(S& s, R& entry)
{
    s.Word(entry.m_dwWord1);
    s.Word(entry.m_dwWord2);
    s.Str(entry.m_str1);
    s.Str(entry.m_str2);
    Fields(s, entry.m_contact);
}

template <class R> u32 WriteRecord(const RecordIo& io, const R& record)
{
    FieldWriter writer(io);
    Fields(writer, record);
    return writer.Finish();
}

template <class R> u32 ReadRecord(const RecordIo& io, R& record)
{
    FieldReader reader(io);
    Fields(reader, record);
    return reader.Finish();
}

}  // namespace

const RecordDefaults& GetRecordDefaults()
{
    return g_defaults;
}
void SetRecordDefaults(const RecordDefaults& defaults)
{
    g_defaults = defaults;
}

u32 BookCondition::ValueSize(u32 type)
{
    switch (type) {
    case 1:
    case 2:
        return 4;
    case 3:
        return 16;
    case 4:
        return 8;
    default:
        return 0;
    }
}

bool IdListContains(const IdArray& ids, u32 id)
{
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

bool IdListAdd(IdArray& ids, u32 id)
{
    if (IdListContains(ids, id))
        return false;
    ids.push_back(id);
    return true;
}

bool IdListRemove(IdArray& ids, u32 id)
{
    const auto it = std::find(ids.begin(), ids.end(), id);
    if (it == ids.end())
        return false;
    ids.erase(it);
    return true;
}

bool IdListReplace(IdArray& ids, u32 oldId, u32 newId)
{
    const auto it = std::find(ids.begin(), ids.end(), oldId);
    if (it == ids.end())
        return false;
    *it = newId;
    return true;
}

void StripNul(std::string& text)
{
    std::erase(text, '\0');
}

void StripNul(Contact& contact)
{
    for (std::string* text : {&contact.m_strName, &contact.m_strTitle, &contact.m_strFirstName,
             &contact.m_strMiddleName, &contact.m_strLastName, &contact.m_strNickName, &contact.m_strSuffix,
             &contact.m_picture.m_strText, &contact.m_strCompany, &contact.m_strDepartment,
             &contact.m_strOffice, &contact.m_strJobTitle, &contact.m_strExtra1, &contact.m_strExtra2,
             &contact.m_strChildren, &contact.m_strNotes, &contact.m_strSpouse})
        StripNul(*text);
    for (auto* values : {&contact.m_phones, &contact.m_emails, &contact.m_web}) {
        for (ContactValue& value : *values)
            StripNul(value.m_strText);
    }
    for (ContactAddress& a : contact.m_addresses) {
        for (std::string* text : {&a.m_strStreet, &a.m_strCity, &a.m_strState, &a.m_strZip, &a.m_strCountry})
            StripNul(*text);
    }
    for (BookCondition& c : contact.m_custom) {
        for (std::string* text : {&c.m_strText, &c.m_strText2, &c.m_strText3})
            StripNul(*text);
    }
}

DataItem::DataItem()
    : m_dtCreated(DateNow())
    , m_dtModified(m_dtCreated)
{
}

Book::Book()
    : m_font(g_defaults.bookFont)
    , m_crText(g_defaults.bookText)
    , m_crBack(g_defaults.bookBack)
{
    m_dwFlags = DIF_BOOK;
}

int Book::CopyFrom(const Book& other, u32 parentId)
{
    *this = other;
    m_duParentID = parentId;
    return 1;
}

Contact* Book::GetNextContact(const RecordMap& map, size_t& position) const
{
    while (position < m_members.size()) {
        if (Contact* contact = map.FindContact(m_members[position++]))
            return contact;
    }
    return nullptr;
}

Book* Book::GetNextBook(const RecordMap& map, size_t& position) const
{
    while (position < m_members.size()) {
        if (Book* book = map.FindBook(m_members[position++]))
            return book;
    }
    return nullptr;
}

void Book::CountMembers(const RecordMap& map, u32& contacts, u32& books) const
{
    contacts = 0;
    books = 0;
    for (u32 id : m_members) {
        const DataItem* item = map.FindContact(id);
        if (!item)
            item = map.FindBook(id);
        if (item && item->IsBook())
            ++books;
        else if (item && item->IsContact())
            ++contacts;
    }
}

u32 Book::Write(const RecordIo& io) const
{
    return WriteRecord(io, *this);
}
u32 Book::Read(const RecordIo& io)
{
    return ReadRecord(io, *this);
}

Contact::Contact()
    : m_crText(g_defaults.contactText)
    , m_crBack(g_defaults.contactBack)
    , m_font(g_defaults.contactFont)
{
    m_dwFlags = DIF_CONTACT;
}

void Contact::UpdateFrom(const Contact& other)
{
    if (&other == this)
        return;
    const u32 id = m_duID;
    IdArray books = std::move(m_books);
    *this = other;
    m_duID = id;
    m_books = std::move(books);
    StripNul(*this);
}

u32 Contact::GetNextBookId(size_t& position) const
{
    if (position < m_books.size())
        return m_books[position++];
    position = 0;
    return 0xFFFFFFFF;
}

u32 Contact::Write(const RecordIo& io) const
{
    return WriteRecord(io, *this);
}
u32 Contact::Read(const RecordIo& io)
{
    return ReadRecord(io, *this);
}

u32 Alphabet::Write(const RecordIo& io) const
{
    return WriteRecord(io, *this);
}
u32 Alphabet::Read(const RecordIo& io)
{
    return ReadRecord(io, *this);
}
u32 CallLogEntry::Write(const RecordIo& io) const
{
    return WriteRecord(io, *this);
}
u32 CallLogEntry::Read(const RecordIo& io)
{
    return ReadRecord(io, *this);
}
u32 SpeedDialSlot::Write(const RecordIo& io) const
{
    return WriteRecord(io, *this);
}
u32 SpeedDialSlot::Read(const RecordIo& io)
{
    return ReadRecord(io, *this);
}
u32 TimeZoneEntry::Write(const RecordIo& io) const
{
    return WriteRecord(io, *this);
}
u32 TimeZoneEntry::Read(const RecordIo& io)
{
    return ReadRecord(io, *this);
}
u32 FurtherEntry1::Write(const RecordIo& io) const
{
    return WriteRecord(io, *this);
}
u32 FurtherEntry1::Read(const RecordIo& io)
{
    return ReadRecord(io, *this);
}
u32 FurtherEntry2::Write(const RecordIo& io) const
{
    return WriteRecord(io, *this);
}
u32 FurtherEntry2::Read(const RecordIo& io)
{
    return ReadRecord(io, *this);
}
