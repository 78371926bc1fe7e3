// The contacts and book payloads of the clipboard and of drag and drop:
// what one copy of the program writes another reads back, and a payload
// that is not sound gives nothing at all.
#include "core/records.h"
#include "core/utilities.h"
#include "mainwnd/contactpayload.h"

#include <QMimeData>
#include <gtest/gtest.h>

namespace {

std::vector<std::unique_ptr<Contact>> MakeContacts(std::initializer_list<const char*> names)
{
    std::vector<std::unique_ptr<Contact>> contacts;
    for (const char* name : names) {
        auto contact = std::make_unique<Contact>();
        contact->m_strName = name;
        contact->m_duID = 77;
        contact->m_books = {1, 2};
        contact->m_phones.push_back({1, "555-0100"});
        contacts.push_back(std::move(contact));
    }
    return contacts;
}

QByteArray PayloadOf(const std::vector<std::unique_ptr<Contact>>& contacts)
{
    std::vector<Contact*> pointers;
    for (const auto& contact : contacts)
        pointers.push_back(contact.get());
    return WriteContactPayload(pointers);
}

}  // namespace

TEST(ContactPayload, ContactsComeBackAsNewContactsWithTheirFields)
{
    const QByteArray bytes = PayloadOf(MakeContacts({"Anna Berg", "Bruno Cole"}));
    std::vector<std::unique_ptr<Contact>> read;
    ASSERT_EQ(ReadContactPayload(bytes, read), 0u);
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0]->m_strName, "Anna Berg");
    EXPECT_EQ(read[1]->m_strName, "Bruno Cole");
    EXPECT_EQ(read[1]->m_phones.at(0).m_strText, "555-0100");
    // Taken in, they are new contacts of no book.
    EXPECT_EQ(read[0]->m_duID, 0u);
    EXPECT_TRUE(read[0]->m_books.empty());

    QMimeData mime;
    mime.setData(ContactFormatMime(), bytes);
    ASSERT_EQ(ReadContactPayload(&mime, read), 0u);
    EXPECT_EQ(read.size(), 2u);
    EXPECT_NE(ReadContactPayload(static_cast<const QMimeData*>(nullptr), read), 0u);
    QMimeData text;
    text.setText(QStringLiteral("Anna"));
    EXPECT_NE(ReadContactPayload(&text, read), 0u);
}

TEST(ContactPayload, AnUnsoundPayloadGivesNothing)
{
    const QByteArray good = PayloadOf(MakeContacts({"Anna Berg", "Bruno Cole"}));
    std::vector<std::unique_ptr<Contact>> read;
    const auto refused = [&read](const QByteArray& bytes) {
        read = MakeContacts({"left over"});
        return ReadContactPayload(bytes, read) == RC_BAD_RECORD && read.empty();
    };
    EXPECT_TRUE(refused({}));
    EXPECT_TRUE(refused(good.left(3)));
    // Cut inside the second record: the first one is not taken either.
    EXPECT_TRUE(refused(good.left(good.size() - 5)));
    EXPECT_TRUE(refused(good + QByteArray(1, '\0')));

    QByteArray moreThanThere = good;
    moreThanThere[0] = 3;
    EXPECT_TRUE(refused(moreThanThere));
    QByteArray huge = good;
    huge.replace(0, 4, QByteArray("\xff\xff\xff\x7f", 4));
    EXPECT_TRUE(refused(huge));
    QByteArray badFrame = good;
    badFrame[4] = char(badFrame[4] + 1);
    EXPECT_TRUE(refused(badFrame));

    // No contacts at all is a sound, empty payload.
    EXPECT_EQ(ReadContactPayload(QByteArray(4, '\0'), read), 0u);
    EXPECT_TRUE(read.empty());
}

TEST(ContactPayload, ABookIsExactlyOneId)
{
    u32 id = 0;
    ASSERT_TRUE(ReadBookPayload(WriteBookPayload(4711), id));
    EXPECT_EQ(id, 4711u);
    EXPECT_FALSE(ReadBookPayload(QByteArray(3, '\1'), id));
    EXPECT_FALSE(ReadBookPayload(QByteArray(5, '\1'), id));
    EXPECT_NE(ContactFormatMime(), BookFormatMime());
    EXPECT_TRUE(ContactFormatMime().endsWith(QLatin1String("TolvaDataFormat")));
}
