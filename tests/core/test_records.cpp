#include "core/datafile.h"
#include "core/records.h"
#include "core/utilities.h"
#include "samples.h"
#include "support/testenv.h"

#include <QFile>
#include <map>

namespace {

QDateTime FixedNow()
{
    return QDateTime(QDate(2024, 3, 1), QTime(12, 30));
}

class RecordsTest : public TolvaTest {
protected:
    void SetUp() override
    {
        TolvaTest::SetUp();
        SetClockForTesting(FixedNow);
    }
    void TearDown() override
    {
        SetClockForTesting(nullptr);
        TolvaTest::TearDown();
    }
};

// Little-endian bytes written out by hand, as the file format lays them.
struct Bytes {
    QByteArray b;
    Bytes& w(u32 v) { return raw(&v, 4); }
    Bytes& f(double v) { return raw(&v, 8); }
    Bytes& d(u32 status, double v) { return w(status).f(v); }
    Bytes& s(const char* text) { return w(u32(std::strlen(text) + 1)).raw(text, std::strlen(text) + 1); }
    Bytes& raw(const void* p, size_t n)
    {
        b.append(static_cast<const char*>(p), qsizetype(n));
        return *this;
    }
    Bytes& zero(size_t n) { return raw(QByteArray(qsizetype(n), 0).constData(), n); }
};

struct AllRecords {
    Book book = SampleBook();
    Contact contact = SampleContact();
    Alphabet alphabet{ALPHABET_CURRENT, "Latin", "ABC"};
    CallLogEntry call{42, 2, "Ann", "555-1", {45000.75, DateStatus::Valid}, {0.01, DateStatus::Valid}, 9};
    SpeedDialSlot slot{1, 3, "Bob", "555-3"};
    TimeZoneEntry zone{
        TZ_UNDEFINED, "Undefined time zone", "a", "b", -60, 0, -60, {0, 10, 0, 5, 3}, {0, 3, 0, 5, 2}};
    FurtherEntry1 further1{7, "x", "y", "z"};
    FurtherEntry2 further2{1, 2, "p", "q", SampleContact()};

    template <class F> void Each(F f)
    {
        f(book), f(contact), f(alphabet), f(call), f(slot), f(zone), f(further1), f(further2);
    }
};

class FakeMap : public RecordMap {
public:
    std::map<u32, Book*> books;
    std::map<u32, Contact*> contacts;
    Book* FindBook(u32 id) const override { return books.count(id) ? books.at(id) : nullptr; }
    Contact* FindContact(u32 id) const override { return contacts.count(id) ? contacts.at(id) : nullptr; }
};

TEST_F(RecordsTest, FreshRecordsHoldTheirDefaults)
{
    const DateValue now = DateFromQDateTime(FixedNow());
    Contact c;
    EXPECT_EQ(DIF_CONTACT, c.m_dwFlags);
    EXPECT_TRUE(c.m_dtCreated == now && c.m_dtModified == now);
    EXPECT_TRUE(c.m_dtBirthday.IsNull() && c.m_dtAnniversary.IsNull());
    EXPECT_EQ(13u, c.m_dwDisplayFlags);
    EXPECT_EQ(0u, c.m_dwIcon + c.m_dwGender);
    EXPECT_EQ(-1, c.m_nPictureType);
    EXPECT_EQ(1.0, c.m_dValue1);
    EXPECT_EQ(DIF_BOOK, Book().m_dwFlags);
    EXPECT_EQ(1u, Book().m_dwImage);
    EXPECT_EQ(4u, BookCondition().m_dwType);
    EXPECT_EQ(now, CallLogEntry().m_dtStart);
    EXPECT_EQ(kFreshSpeedDialSlot, SpeedDialSlot().m_dwIndex);
}

// The file contract: a small book and a contact as their bytes stand.
TEST_F(RecordsTest, ReferenceLayoutOfABookAndAContact)
{
    Book book;
    book.m_dtCreated = {45000.5, DateStatus::Valid};
    book.m_dtModified = {45001.0, DateStatus::Valid};
    book.m_duID = 7;
    book.m_members = {3, 9};
    book.m_conditions.resize(1);
    book.m_conditions[0].m_dwType = 7;  // a type without value bytes
    book.m_conditions[0].m_dwField = 5;
    book.m_conditions[0].m_strText = "a";
    book.m_strName = "Work";
    book.m_font = LOGFONT();
    book.m_crText = 0x112233;
    book.m_crBack = 0xFFFFFF;
    book.m_dwWord1 = 6;
    book.m_dwWord2 = 5;
    Bytes expected;
    expected.w(16).w(1).w(0).d(0, 45000.5).d(0, 45001.0).w(7).w(0).w(2).w(3).w(9);
    expected.w(1).w(7).w(5).s("a").s("").s("").w(0);
    expected.w(0).s("Work").s("").zero(60).w(0x112233).w(0xFFFFFF).w(5).w(6).w(1).w(32);
    EXPECT_EQ(expected.b.toHex(), RecordBytes(book).toHex());
    Book read;
    ASSERT_EQ(0u, ReadRecordBytes(expected.b, read));
    EXPECT_EQ(RecordBytes(book), RecordBytes(read));

    Contact contact;
    contact.m_dtCreated = contact.m_dtModified = {45000.5, DateStatus::Valid};
    contact.m_duID = 5;
    contact.m_books = {0};
    contact.m_strName = "Al";
    contact.m_phones = {{1, "9"}};
    contact.m_font = LOGFONT();
    contact.m_crText = 0;
    contact.m_crBack = 0xFFFFFF;
    Bytes c;
    c.w(16).w(2).w(0).d(0, 45000.5).d(0, 45000.5).w(5).w(1).w(0);
    c.s("Al").s("").s("").s("").s("").s("").s("").w(0).w(0).s("").w(0xFFFFFFFF).f(1.0).f(0.0);
    c.w(1).w(1).s("9").w(0).w(0).w(0).w(0);
    c.s("").s("").s("").s("").s("").s("").s("").d(2, 0.0).d(2, 0.0).s("").s("").w(0);
    c.w(0).w(0xFFFFFF).zero(60).w(0).w(0).w(13).w(0).w(32);
    EXPECT_EQ(c.b.toHex(), RecordBytes(contact).toHex());
}

// Every record gives the same bytes through every kind, and reads back into
// a record that writes them again.
TEST_F(RecordsTest, EveryRecordRoundTripsThroughEveryKind)
{
    AllRecords records;
    QByteArray reference;
    records.Each([&](const auto& r) { reference += RecordBytes(r); });

    CDataFile file;
    ASSERT_EQ(0u, file.Open());
    const std::string exportPath = ProgramPath("out.dtv").toStdString();
    for (DataFileKind kind : {DFK_DATA, DFK_NONDATA, DFK_EXPORT}) {
        SCOPED_TRACE(kind);
        const QString path = kind == DFK_DATA ? ProgramPath("tolva.rdf")
            : kind == DFK_NONDATA             ? ProgramPath("tolva.ndf")
                                              : QString::fromStdString(exportPath);
        auto writeAll = [&](AllRecords& r) {
            if (kind == DFK_EXPORT) {
                ASSERT_EQ(0u, file.OpenExtra(exportPath, false));
            }
            ASSERT_EQ(0u, file.Rewind(kind));
            r.Each([&](const auto& record) { EXPECT_EQ(0u, record.Write({file, kind})); });
            ASSERT_EQ(0u, kind == DFK_EXPORT ? file.CloseExtra() : file.SetEnd(kind));
            QFile written(path);
            ASSERT_TRUE(written.open(QIODevice::ReadOnly));
            EXPECT_EQ(reference, written.readAll());
        };
        writeAll(records);
        if (kind == DFK_EXPORT) {
            ASSERT_EQ(0u, file.OpenExtra(exportPath, true));
        }
        ASSERT_EQ(0u, file.Rewind(kind));
        AllRecords read;
        read.Each([&](auto& record) { record = {}; });
        read.Each([&](auto& record) { EXPECT_EQ(0u, record.Read({file, kind})); });
        writeAll(read);
    }

    // Through the memory channel contacts arrive as new ones; the rest is kept.
    AllRecords pasted;
    file.AttachMemory(reference);
    pasted.Each([&](auto& record) { EXPECT_EQ(0u, record.Read({file, DFK_MEMORY})); });
    for (Contact* c : {&records.contact, &records.further2.m_contact}) {
        c->m_duID = 0;
        c->m_books.clear();
        c->m_dtModified = DateFromQDateTime(FixedNow());
    }
    QByteArray expected, actual;
    records.Each([&](const auto& r) { expected += RecordBytes(r); });
    pasted.Each([&](const auto& r) { actual += RecordBytes(r); });
    EXPECT_EQ(expected, actual);
}

TEST_F(RecordsTest, OldAddressesTakeTheFormatOfTheirType)
{
    Contact contact;
    for (u32 type : {ADDR_HOME, ADDR_BUSINESS | ADDR_DEFAULT, ADDR_POSTAL})
        contact.m_addresses.push_back({type, "street", "", "", "", "", 9, 9});
    const QByteArray old = RecordBytes(contact, 0x2400);
    EXPECT_EQ(RecordBytes(contact).size() - 3 * 8, old.size());
    Contact read;
    ASSERT_EQ(0u, ReadRecordBytes(old, read, 0x2400));
    ASSERT_EQ(3u, read.m_addresses.size());
    EXPECT_EQ(2u, read.m_addresses[0].m_dwFormat);
    EXPECT_EQ(1u, read.m_addresses[1].m_dwFormat);
    EXPECT_EQ(0u, read.m_addresses[2].m_dwFormat + read.m_addresses[2].m_dwWord);
}

TEST_F(RecordsTest, DamagedBytesGiveAnErrorAndNoCrash)
{
    AllRecords records;
    records.Each([&](const auto& record) {
        const QByteArray bytes = RecordBytes(record);
        for (qsizetype cut = 0; cut < bytes.size(); ++cut) {
            std::remove_cvref_t<decltype(record)> read;
            ASSERT_NE(0u, ReadRecordBytes(bytes.left(cut), read)) << cut;
        }
    });

    // A fresh contact's phone count lies at 112: framing and base (40),
    // books (4), seven empty strings (35), gender, picture (9), picture
    // type and the two 8-byte values.
    const QByteArray fresh = RecordBytes(Contact());
    auto patched = [&](qsizetype offset, u32 value) {
        QByteArray b = fresh;
        std::memcpy(b.data() + offset, &value, 4);
        Contact c;
        return ReadRecordBytes(b, c);
    };
    EXPECT_EQ(0u, patched(112, 0));
    EXPECT_EQ(RC_BAD_RECORD, patched(0, 17));
    EXPECT_EQ(0u, patched(fresh.size() - 4, 0));  // the closing word is not compared
    EXPECT_EQ(RC_SHORT_READ, patched(40, 0x40000000));  // books
    EXPECT_EQ(RC_SHORT_READ, patched(44, 0xFFFFFFF0));  // name length
    EXPECT_EQ(RC_SHORT_READ, patched(112, 0x7FFFFFFF));  // phones
}

TEST_F(RecordsTest, CopyingKeepsOrTakesIdsAsAsked)
{
    Book copy;
    EXPECT_EQ(1, copy.CopyFrom(SampleBook(), 77));
    EXPECT_EQ(77u, copy.m_duParentID);
    copy.m_duParentID = SampleBook().m_duParentID;
    EXPECT_EQ(RecordBytes(SampleBook()), RecordBytes(copy));

    Contact target;
    target.m_duID = 5;
    target.m_books = {8};
    target.UpdateFrom(SampleContact());
    EXPECT_EQ(5u, target.m_duID);
    EXPECT_EQ(IdArray{8}, target.m_books);
    target.m_duID = 42;
    target.m_books = SampleContact().m_books;
    EXPECT_EQ(RecordBytes(SampleContact()), RecordBytes(target));
}

TEST_F(RecordsTest, IterationFollowsTheRecordMap)
{
    Book root, sub;
    Contact a, b;
    FakeMap map;
    map.books = {{1, &sub}};
    map.contacts = {{2, &a}, {3, &b}};
    root.m_members = {2, 1, 404, 3};
    size_t pos = 0;
    EXPECT_EQ(&a, root.GetNextContact(map, pos));
    EXPECT_EQ(&b, root.GetNextContact(map, pos));
    EXPECT_EQ(nullptr, root.GetNextContact(map, pos));
    pos = 0;
    EXPECT_EQ(&sub, root.GetNextBook(map, pos));
    u32 contacts = 9, books = 9;
    root.CountMembers(map, contacts, books);
    EXPECT_EQ(2u, contacts);
    EXPECT_EQ(1u, books);

    a.m_books = {4};
    pos = 0;
    EXPECT_EQ(4u, a.GetNextBookId(pos));
    EXPECT_EQ(0xFFFFFFFFu, a.GetNextBookId(pos));
    EXPECT_EQ(0u, pos);
}

}  // namespace
