// A store larger than the file layer's buffers: records and strings that
// straddle a buffer's end, strings longer than a buffer, and damage at such
// places. Written and read back through the program's own save and load.
#include "core/utilities.h"
#include "dataman_support.h"
#include "platform/programfolder.h"

#include <vector>

namespace {

// The file layer reads and writes through buffers of this size.
constexpr int kBuffer = 256 * 1024;

class LargeStoreTest : public DataManTest {
protected:
    // Contacts of every length of note up to a few kilobytes, so that fields
    // of each kind meet a buffer's end somewhere; and two whose notes are
    // longer than a buffer.
    void Populate()
    {
        ASSERT_EQ(0u, Start());
        Book* friends = NewBook("Friends", Root());
        for (int i = 0; i < 3000; ++i) {
            auto contact = std::make_unique<Contact>();
            contact->m_strName = "Contact " + std::to_string(i);
            contact->m_strNotes = std::string(size_t(i * 37 % 1500), char('a' + i % 26));
            contact->m_phones = {{1, std::to_string(i)}, {11, ""}};
            contact->m_addresses = {{ADDR_HOME, "Street", "City", "", "1234", "Land", 2, 0}};
            ASSERT_EQ(0u, m_dm->AddContact(std::move(contact), i % 3 ? Root() : friends));
            if (i == 1000 || i == 2000) {
                auto big = std::make_unique<Contact>();
                big->m_strName = "Big " + std::to_string(i);
                big->m_strNotes = std::string(size_t(kBuffer + i), 'n');
                ASSERT_EQ(0u, m_dm->AddContact(std::move(big), friends));
            }
        }
    }

    // The data file as the records write themselves one by one into memory.
    QByteArray RecordByRecord() const
    {
        Bytes file;
        file.Head(kDataFileTag).Word(u32(m_dm->GetBookCount()));
        for (int i = 0; i < m_dm->GetBookCount(); ++i)
            file.Raw(RecordBytes(*m_dm->GetBookAt(i)));
        file.Word(u32(m_dm->GetContactCount()));
        for (int i = 0; i < m_dm->GetContactCount(); ++i)
            file.Raw(RecordBytes(*m_dm->GetContactAt(i)));
        return file.Data();
    }
};

TEST_F(LargeStoreTest, IsSavedRecordByRecordAndLoadsBackWhole)
{
    Populate();
    ASSERT_EQ(0u, m_dm->Save(DFK_DATA));
    const QByteArray saved = Contents("tolva.rdf");
    ASSERT_GT(saved.size(), 4 * kBuffer);
    EXPECT_TRUE(saved == RecordByRecord());

    ASSERT_EQ(0u, Restart());
    EXPECT_EQ(3002, m_dm->GetContactCount());
    EXPECT_EQ(3, m_dm->GetBookCount());
    EXPECT_TRUE(saved == RecordByRecord());
    ASSERT_EQ(0u, m_dm->Save(DFK_DATA));
    EXPECT_TRUE(saved == Contents("tolva.rdf"));
}

TEST_F(LargeStoreTest, DamageAtABuffersEndIsRefused)
{
    Populate();
    ASSERT_EQ(0u, m_dm->Save(DFK_DATA));
    ASSERT_EQ(0u, m_dm->Save(DFK_NONDATA));
    ASSERT_EQ(0u, Stop());
    const QByteArray good = Contents("tolva.rdf");

    // The first string length after the second buffer's start, made to
    // claim one byte more than the file holds after it.
    const qsizetype name = good.indexOf(QByteArray("Contact 1000"), 2 * kBuffer);
    ASSERT_GT(name, 0);
    QByteArray tooLong = good;
    const u32 claim = u32(good.size() - name + 1);
    std::memcpy(tooLong.data() + name - 4, &claim, 4);

    std::vector<QByteArray> bad{
        good.left(kBuffer - 2), good.left(kBuffer + 1), good.left(3 * kBuffer + 7), good.chopped(1), tooLong};
    for (const QByteArray& bytes : bad) {
        SCOPED_TRACE(bytes.size());
        Put("tolva.rdf", bytes);
        m_messages.shown.clear();
        EXPECT_NE(0u, Start());
        ASSERT_EQ(1u, m_messages.shown.size());
        // The damaged-file message, naming the file it leaves alone.
        const std::string& text = m_messages.shown[0].text;
        EXPECT_EQ(text.rfind(FormatResString(59535, ProgramFolder::Path().toStdString()), 0), 0u) << text;
        EXPECT_NE(text.find("tolva.rdf\" is left as it is"), std::string::npos) << text;
        EXPECT_EQ(0, m_dm->GetContactCount());
        Stop();
        EXPECT_TRUE(bytes == Contents("tolva.rdf"));
    }
}

}  // namespace
