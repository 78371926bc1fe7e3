// Data files whose counts or links disagree with the records they hold, as
// the program meets them at start and leaves them at quit.
#include "core/utilities.h"
#include "dataman_support.h"
#include "platform/programfolder.h"

#include <QDir>
#include <cstring>
#include <map>
#include <set>

namespace {

// The book count follows the head: the tag (its length word, the letters
// and a NUL) and the 40 bytes of the header.
const qsizetype kBookCountAt = qsizetype(4 + std::strlen(kDataFileTag) + 1 + 40);

class DataFileRepairTest : public DataManTest {
protected:
    using Membership = std::map<std::string, std::set<std::string>>;

    // Three books below the root and 40 contacts, some of them in two books.
    void Populate()
    {
        ASSERT_EQ(0u, Start());
        Book* work = NewBook("Work", Root());
        Book* home = NewBook("Home", work);
        Book* club = NewBook("Club", Root());
        m_clubId = club->m_duID;
        Book* books[] = {Root(), work, home, club};
        for (int i = 0; i < 40; ++i) {
            Contact* contact = NewContact("Contact " + std::to_string(i), books[i % 4]);
            if (i % 5 == 0)
                m_dm->AddContactToBook(contact, club);
        }
        m_bookCount = u32(m_dm->GetBookCount());
        m_firstContact = RecordBytes(*m_dm->GetContactAt(0));
        m_saved = Everyone();
        ASSERT_EQ(0u, Stop());
        m_file.reset();
        m_good = Contents("tolva.rdf");
        m_contactCountAt = m_good.indexOf(m_firstContact) - 4;
        ASSERT_GT(m_contactCountAt, kBookCountAt);
        ASSERT_EQ(40u, Word(m_contactCountAt));
        ASSERT_EQ(m_bookCount, Word(kBookCountAt));
    }

    u32 Word(qsizetype at) const
    {
        u32 word = 0;
        std::memcpy(&word, m_good.constData() + at, sizeof word);
        return word;
    }
    QByteArray WithWord(qsizetype at, u32 value) const
    {
        return QByteArray(m_good).replace(at, 4, Bytes().Word(value).Data());
    }

    // Every contact by name with the names of the books that hold it; each
    // link is listed on both sides.
    Membership Everyone() const
    {
        Membership books;
        for (int i = 0; i < m_dm->GetContactCount(); ++i) {
            const Contact* contact = m_dm->GetContactAt(i);
            std::set<std::string>& names = books[contact->m_strName];
            for (u32 id : contact->m_books) {
                const Book* book = m_dm->FindBook(id);
                EXPECT_NE(nullptr, book) << contact->m_strName;
                if (!book)
                    continue;
                EXPECT_TRUE(m_dm->IsMember(book, contact->m_duID)) << contact->m_strName;
                names.insert(book->m_strName);
            }
        }
        return books;
    }

    // A fresh program folder but for the data file, an older copy of it and
    // the second data file.
    void PutFiles(const QByteArray& data)
    {
        QDir(ProgramPath("backup")).removeRecursively();
        QFile::remove(ProgramPath(kErrorLogName));
        Put("tolva.rdf", data);
        Put("tolva.rd0", "the copy");
        Put("tolva.ndf", EmptyTables());
        m_messages.shown.clear();
    }

    u32 m_bookCount = 0;
    u32 m_clubId = 0;
    qsizetype m_contactCountAt = 0;
    QByteArray m_firstContact;
    QByteArray m_good;
    Membership m_saved;
};

TEST_F(DataFileRepairTest, RecordsPastTheCountsAreKeptThroughAStartAndAQuit)
{
    Populate();
    Membership withLate = m_saved;
    withLate["Late"] = {"Club"};
    struct Case {
        const char* what;
        QByteArray bytes;
        const Membership& expected;
    };
    const Case cases[] = {
        {"contact count lowered by 20", WithWord(m_contactCountAt, 20), m_saved},
        {"contact count 0", WithWord(m_contactCountAt, 0), m_saved},
        {"book count lowered by 2", WithWord(kBookCountAt, m_bookCount - 2), m_saved},
        {"book count 0", WithWord(kBookCountAt, 0), m_saved},
        // Another program's record: it lists its book, which does not list it.
        {"a whole contact appended", m_good + ContactBytes(900, {m_clubId}, "Late"), withLate},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PutFiles(c.bytes);
        ASSERT_EQ(0u, Start());
        EXPECT_EQ(c.expected, Everyone());
        // Told once, and noted in the error log.
        ASSERT_EQ(1u, m_messages.shown.size());
        const std::string& text = m_messages.shown[0].text;
        EXPECT_NE(std::string::npos, text.find(Path("tolva.rdf"))) << text;
        EXPECT_NE(std::string::npos, text.find("backup")) << text;
        EXPECT_TRUE(ErrorLog().contains("past the counts")) << ErrorLog().toStdString();

        // The file as it was read is kept before the first save, and no
        // later save replaces it.
        EXPECT_EQ("<missing>", Contents("backup/tolva.rdf"));
        ASSERT_EQ(0u, m_dm->Save(DFK_DATA));
        EXPECT_EQ(c.bytes, Contents("backup/tolva.rdf"));
        ASSERT_NE(nullptr, NewContact("Added", Root()));
        ASSERT_EQ(0u, m_dm->Save(DFK_DATA));
        EXPECT_EQ(c.bytes, Contents("backup/tolva.rdf"));
        m_dm->DeleteContact(m_dm->GetContactAt(m_dm->GetContactCount() - 1), false);
        EXPECT_EQ(0u, Stop());
        EXPECT_EQ(1u, m_messages.shown.size());
        EXPECT_EQ(c.bytes, Contents("backup/tolva.rdf"));
        // Both the data file and its copy hold every contact.
        const QByteArray saved = Contents("tolva.rdf");
        EXPECT_EQ(saved, Contents("tolva.rd0"));

        // Saved sound: the next run reads it all with nothing to say.
        QFile::remove(ProgramPath(kErrorLogName));
        m_messages.shown.clear();
        ASSERT_EQ(0u, Start());
        EXPECT_EQ(c.expected, Everyone());
        EXPECT_TRUE(m_messages.shown.empty()) << m_messages.shown.front().text;
        EXPECT_FALSE(ErrorLog().contains("Mended")) << ErrorLog().toStdString();
        EXPECT_EQ(0u, Stop());
    }
}

TEST_F(DataFileRepairTest, BytesPastTheBodyThatAreNoWholeContactAreDamage)
{
    Populate();
    auto wrongClosing = QByteArray(m_firstContact);
    wrongClosing.replace(wrongClosing.size() - 4, 4, Bytes().Word(33).Data());
    const QByteArray damaged[] = {
        m_good + "abc",
        m_good + m_firstContact.chopped(5),
        m_good + wrongClosing,
        m_good + BookBytes(900, 0, {}, "A book"),
        m_good + m_firstContact + QByteArray(3, '\0'),
        // A book count lowered, with a book that does not read whole.
        WithWord(kBookCountAt, m_bookCount - 1).replace(m_contactCountAt - 4, 4, Bytes().Word(33).Data()),
    };
    for (const QByteArray& bytes : damaged) {
        SCOPED_TRACE(bytes.toHex().right(60).toStdString());
        PutFiles(bytes);
        EXPECT_NE(0u, Start());
        ASSERT_EQ(1u, m_messages.shown.size());
        // The copy is no data file either: renaming it would not help.
        EXPECT_EQ(FormatResString(61706, ProgramFolder::Path().toStdString()) + "\n\nThe files \""
                + Path("tolva.rdf") + "\" and \"" + Path("tolva.rd0") + "\" are left as they are.",
            m_messages.shown[0].text);
        EXPECT_EQ(0, m_dm->GetContactCount());
        EXPECT_NE(0u, Stop());
        EXPECT_EQ(bytes, Contents("tolva.rdf"));
        EXPECT_EQ("the copy", Contents("tolva.rd0"));
        EXPECT_EQ("<missing>", Contents("backup/tolva.rdf"));
    }
}

TEST_F(DataFileRepairTest, AMendedFileIsNotSavedOverUntilItAndItsCopyAreKeptInBackup)
{
    Populate();
    const QByteArray bytes = WithWord(m_contactCountAt, 20);
    PutFiles(bytes);
    // A file where the folder should be: nothing can be written into it.
    Put("backup", "not a folder");
    ASSERT_EQ(0u, Start());
    m_messages.shown.clear();
    ASSERT_NE(nullptr, NewContact("Added", Root()));
    EXPECT_NE(0u, m_dm->Save(DFK_DATA));
    // Said as every failed save says it: what is not saved, why, and what
    // to do; and noted in the error log.
    ASSERT_EQ(1u, m_messages.shown.size());
    const std::string& text = m_messages.shown[0].text;
    EXPECT_EQ(0u,
        text.find(
            FormatResString(61701, Path("tolva.rdf")) + "\n" + FormatResString(61708, Path("backup")) + "\n"))
        << text;
    EXPECT_TRUE(text.ends_with(LoadResString(61703))) << text;
    EXPECT_TRUE(ErrorLog().contains(QByteArray::fromStdString(FormatResString(61708, Path("backup")))))
        << ErrorLog().toStdString();
    EXPECT_EQ(bytes, Contents("tolva.rdf"));

    // Once the folder can be made, the next save keeps the file as it was
    // read and the copy as it was, then saves; the copy is refreshed at the
    // end of the run only after that.
    QFile::remove(ProgramPath("backup"));
    EXPECT_EQ(0u, m_dm->Save(DFK_DATA));
    EXPECT_EQ(bytes, Contents("backup/tolva.rdf"));
    EXPECT_EQ("the copy", Contents("backup/tolva.rd0"));
    EXPECT_EQ(1u, m_messages.shown.size());
    EXPECT_EQ(0u, Stop());
    EXPECT_EQ(Contents("tolva.rdf"), Contents("tolva.rd0"));
    EXPECT_EQ("the copy", Contents("backup/tolva.rd0"));
    ASSERT_EQ(0u, Start());
    Membership expected = m_saved;
    expected["Added"] = {"Contacts"};
    EXPECT_EQ(expected, Everyone());
}

// The copy read in place of an empty data file is the file that was mended:
// the log and the backup name it, and the empty data file is no backup.
TEST_F(DataFileRepairTest, ACopyMendedInPlaceOfAnEmptyDataFileIsTheOneNamedAndKept)
{
    Populate();
    const QByteArray bytes = WithWord(m_contactCountAt, 20);
    PutFiles("");
    Put("tolva.rd0", bytes);
    ASSERT_EQ(0u, Start());
    EXPECT_EQ(m_saved, Everyone());
    const QByteArray log = ErrorLog();
    EXPECT_TRUE(log.contains("Mended while reading \"" + ProgramPath("tolva.rd0").toUtf8() + "\":"))
        << log.toStdString();
    EXPECT_TRUE(log.contains("The file as it was read is kept as \"" + ProgramPath("backup").toUtf8()
        + "/tolva.rd0\" before it is next saved"))
        << log.toStdString();
    EXPECT_FALSE(log.contains("tolva.rdf")) << log.toStdString();
    EXPECT_EQ(0u, Stop());
    EXPECT_EQ(bytes, Contents("backup/tolva.rd0"));
    EXPECT_EQ("<missing>", Contents("backup/tolva.rdf"));
    EXPECT_EQ(Contents("tolva.rdf"), Contents("tolva.rd0"));
}

TEST_F(DataFileRepairTest, SecondDataFileKeepsWholeEntriesOfItsLastTablePastTheCount)
{
    // The tables as Tolva saves them; its last table is empty.
    ASSERT_EQ(0u, Start());
    ASSERT_EQ(0u, Stop());
    const QByteArray data = Contents("tolva.rdf");
    const QByteArray good = Contents("tolva.ndf");
    const QByteArray tables = good.chopped(4);
    FurtherEntry2 first;
    first.m_str1 = "first";
    first.m_contact.m_strName = "Kept";
    FurtherEntry2 second = first;
    second.m_str2 = "second";
    const QByteArray entries = RecordBytes(first) + RecordBytes(second);
    struct Case {
        const char* what;
        QByteArray bytes;
        const char* note;
    };
    const Case cases[] = {
        {"two entries appended", good + entries,
            "2 entry(ies) of the last table past its count read and kept"},
        {"the last count lowered", tables + Bytes().Word(1).Data() + entries,
            "1 entry(ies) of the last table past its count read and kept"},
    };
    const QByteArray saved = tables + Bytes().Word(2).Data() + entries;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PutFiles(data);
        Put("tolva.ndf", c.bytes);
        ASSERT_EQ(0u, Start());
        EXPECT_TRUE(m_messages.shown.empty()) << m_messages.shown.front().text;
        EXPECT_TRUE(ErrorLog().contains(c.note)) << ErrorLog().toStdString();
        // The file as it was read is kept before the first save, which
        // writes the entries under their count; no later save replaces it.
        EXPECT_EQ("<missing>", Contents("backup/tolva.ndf"));
        ASSERT_EQ(0u, m_dm->Save(DFK_NONDATA));
        EXPECT_EQ(c.bytes, Contents("backup/tolva.ndf"));
        EXPECT_EQ(saved.toHex(), Contents("tolva.ndf").toHex());
        ASSERT_EQ(1, m_dm->Add(std::make_unique<Alphabet>()));
        ASSERT_EQ(0u, Stop());
        EXPECT_EQ(c.bytes, Contents("backup/tolva.ndf"));
        EXPECT_EQ("<missing>", Contents("backup/tolva.rdf"));

        QFile::remove(ProgramPath(kErrorLogName));
        ASSERT_EQ(0u, Start());
        EXPECT_EQ(2, m_dm->GetCount(DMK_ALPHABET));
        EXPECT_FALSE(ErrorLog().contains("Mended")) << ErrorLog().toStdString();
        m_dm->RemoveAt(DMK_ALPHABET, 1);
        EXPECT_EQ(0u, Stop());
        EXPECT_EQ(saved.toHex(), Contents("tolva.ndf").toHex());
    }

    // Bytes after the tables that are no whole entry of the last table: the
    // file is left as it is and never saved over.
    FurtherEntry2 book = first;
    book.m_contact.m_dwFlags = DIF_BOOK;
    QByteArray wrongClosing = RecordBytes(first);
    wrongClosing.replace(wrongClosing.size() - 4, 4, Bytes().Word(33).Data());
    const QByteArray damaged[] = {
        good + "abc",
        good + RecordBytes(first).chopped(3),
        good + wrongClosing,
        good + RecordBytes(book),
        good + RecordBytes(first) + QByteArray(3, '\0'),
        // An entry of another table.
        good + RecordBytes(SpeedDialSlot()),
    };
    for (const QByteArray& bytes : damaged) {
        SCOPED_TRACE(bytes.toHex().right(60).toStdString());
        PutFiles(data);
        Put("tolva.ndf", bytes);
        EXPECT_NE(0u, Start());
        ASSERT_EQ(1u, m_messages.shown.size());
        const std::string& text = m_messages.shown[0].text;
        EXPECT_EQ(
            0u, text.find("There was an error while reading the second data file \"" + Path("tolva.ndf")))
            << text;
        EXPECT_EQ(RC_NOTHING_LOADED, m_dm->Save(DFK_NONDATA));
        Stop();
        EXPECT_EQ(bytes, Contents("tolva.ndf"));
        EXPECT_EQ("<missing>", Contents("backup/tolva.ndf"));
    }
}

TEST_F(DataFileRepairTest, AContactInNoBookIsPlacedInTheRootAndNoted)
{
    // Ann's only book names nothing; Bob lists no book; no book lists either.
    Put("tolva.rdf",
        DataFile(BuiltInBooks({20}) + BookBytes(20, 0, {}, "Work"), 3,
            ContactBytes(40, {7}, "Ann") + ContactBytes(41, {}, "Bob") + ContactBytes(42, {20}, "Cy"), 3));
    ASSERT_EQ(0u, Start());
    const Membership expected{{"Ann", {"Contacts"}}, {"Bob", {"Contacts"}}, {"Cy", {"Work"}}};
    EXPECT_EQ(expected, Everyone());
    m_dm->SetAlphabetFilter(kFilterAll);
    EXPECT_TRUE(m_dm->IsContactShown(m_dm->FindContact(41)));
    const std::string log = ErrorLog().toStdString();
    for (const char* note : {"Contact \"Ann\" (id 40): its book 7 dropped, it names nothing",
             "Contact \"Ann\" (id 40) in no book placed in the book \"Contacts\" (id 0)",
             "Contact \"Bob\" (id 41) in no book placed in the book \"Contacts\" (id 0)"})
        EXPECT_NE(std::string::npos, log.find(note)) << note << "\n" << log;
    ASSERT_EQ(0u, Restart());
    EXPECT_EQ(expected, Everyone());
}

TEST_F(DataFileRepairTest, ABookWhoseIdIsDamagedKeepsItsContactsAndTheLogSaysSo)
{
    // "Work" was stored as 15, the id its contacts list, and now reads 50.
    Put("tolva.rdf",
        DataFile(BuiltInBooks({50}) + BookBytes(50, 0, {40, 41}, "Work"), 3,
            ContactBytes(40, {15}, "Ann") + ContactBytes(41, {15, 0}, "Bob"), 2));
    ASSERT_EQ(0u, Start());
    const Membership expected{{"Ann", {"Work"}}, {"Bob", {"Contacts", "Work"}}};
    EXPECT_EQ(expected, Everyone());
    const std::string log = ErrorLog().toStdString();
    for (const char* note : {"Contact \"Ann\" (id 40): its book id(s) 15 name nothing; it stays in the book "
                             "\"Work\" (id 50) that "
                             "list(s) it",
             "Contact \"Bob\" (id 41): its book id(s) 15 name nothing; it stays in the book \"Work\" (id 50) "
             "that list(s) it"})
        EXPECT_NE(std::string::npos, log.find(note)) << note << "\n" << log;
    EXPECT_EQ(std::string::npos, log.find("dropped")) << log;
    ASSERT_EQ(0u, Restart());
    EXPECT_EQ(expected, Everyone());
}

TEST_F(DataFileRepairTest, AContactWhoseIdABookTakesStaysInItsBooks)
{
    // Two books "Old" and "New" share the id 30, "New" keeps it; Ann, in
    // "Old", has the id of the book "Clash", which keeps it too.
    Put("tolva.rdf",
        DataFile(BuiltInBooks({30, 40}) + BookBytes(30, 0, {40}, "Old") + BookBytes(30, 0, {}, "New")
                + BookBytes(40, 0, {}, "Clash"),
            5, ContactBytes(40, {30}, "Ann") + ContactBytes(41, {30}, "Bob"), 2));
    ASSERT_EQ(0u, Start());
    const Membership expected{{"Ann", {"Old"}}, {"Bob", {"New"}}};
    EXPECT_EQ(expected, Everyone());
    EXPECT_TRUE(m_dm->FindBook(40)->m_members.empty());
    EXPECT_FALSE(ErrorLog().contains("Member 40")) << ErrorLog().toStdString();
    ASSERT_EQ(0u, Restart());
    EXPECT_EQ(expected, Everyone());
}

}  // namespace

TEST_F(DataFileRepairTest, AContactWhoseIdItsOwnBookTakesStaysInThatBook)
{
    // The book "Clients" has the id of its member Ann and keeps it. Ann lists
    // it too, or lists only another book, or none: Clients alone holds her.
    struct Case {
        const char* what;
        QByteArray ann;
        Membership expected;
    };
    const Case cases[] = {
        {"listed on both sides", ContactBytes(40, {40, 20}, "Ann"), {{"Ann", {"Clients", "Work"}}}},
        {"listed by the book and her other book", ContactBytes(40, {20}, "Ann"),
            {{"Ann", {"Clients", "Work"}}}},
        {"listed by the book alone", ContactBytes(40, {}, "Ann"), {{"Ann", {"Clients"}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PutFiles(DataFile(
            BuiltInBooks({20, 40}) + BookBytes(20, 0, {}, "Work") + BookBytes(40, 0, {40}, "Clients"), 4,
            c.ann, 1));
        ASSERT_EQ(0u, Start());
        EXPECT_EQ(c.expected, Everyone());
        EXPECT_EQ("Clients", m_dm->FindBook(40)->m_strName);
        const std::string log = ErrorLog().toStdString();
        EXPECT_NE(std::string::npos, log.find("Contact \"Ann\" (id 40) now has the id 41: a book has the id"))
            << log;
        EXPECT_EQ(std::string::npos, log.find("dropped")) << log;
        EXPECT_EQ(std::string::npos, log.find("placed")) << log;
        ASSERT_EQ(0u, Restart());
        EXPECT_EQ(c.expected, Everyone());
        EXPECT_EQ(0u, Stop());
    }
}
