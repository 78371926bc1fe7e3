#include "core/utilities.h"
#include "dataman_support.h"
#include "filelimit.h"
#include "platform/profile.h"
#include "platform/programfolder.h"
#include "platform/syserror.h"

#include <QDir>
#include <map>
#include <set>

namespace {

using DataManStoreTest = DataManTest;

TEST_F(DataManStoreTest, FirstStartHoldsTheBuiltInRecords)
{
    ASSERT_EQ(0u, Start());
    EXPECT_EQ(2, m_dm->GetBookCount());
    EXPECT_EQ(0u, Root()->m_duID);
    EXPECT_EQ(1u, Deleted()->m_duID);
    EXPECT_EQ(Root(), m_dm->GetCurrentBook());
    EXPECT_EQ(kFirstFreeId, m_dm->GetNextFreeId());
    EXPECT_EQ(DMF_LOADED, m_dm->GetFlags());
    EXPECT_EQ("All", m_dm->GetFilterLetterText());
    EXPECT_EQ(1, m_dm->GetCount(DMK_ALPHABET));
    EXPECT_EQ(10, m_dm->GetCount(DMK_SPEED_DIAL));
    EXPECT_EQ(9u, m_dm->GetAt<SpeedDialSlot>(9)->m_dwIndex);
    EXPECT_EQ(nullptr, m_dm->GetAt<SpeedDialSlot>(10));
    EXPECT_EQ(1, m_dm->GetCount(DMK_TIME_ZONE));
    EXPECT_EQ(-100, m_dm->GetCount(5));
    EXPECT_EQ(1, m_dm->Add(std::make_unique<Alphabet>()));
    m_dm->RemoveAt(DMK_ALPHABET, 2);
    m_dm->RemoveAt(DMK_ALPHABET, 0);
    EXPECT_EQ(1, m_dm->GetCount(DMK_ALPHABET));
}

TEST_F(DataManStoreTest, ADataFileThatDoesNotReadReplacesNothingAndIsNeverSavedOver)
{
    const QByteArray ann = ContactBytes(40, {0}, "Ann");
    const QByteArray good = DataFile(BuiltInBooks({40}), 2, ann, 1);
    QByteArray badFraming = good;
    badFraming[good.size() - ann.size()] = 17;  // the contact's opening word
    const QByteArray bad[] = {
        good.left(good.size() - 3),
        Bytes().Head("TOLVANONDATFILE").Data() + good.mid(57),
        DataFile(
            BuiltInBooks({}) + BookBytes(20, 21, {21}, "A") + BookBytes(21, 20, {20}, "B"), 4),  // a cycle
        DataFile(BookBytes(0, 0, {1}, "No root")
                + RecordBytes(*MakeBook(1, 0, {}, "D", DIF_BOOK | DIF_DELETED_ITEMS)),
            2),
        DataFile(RecordBytes(*MakeBook(0, 0, {}, "No Deleted Items", DIF_BOOK | DIF_ROOT_BOOK)), 1),
        badFraming,
    };
    for (const QByteArray& bytes : bad) {
        SCOPED_TRACE(bytes.toHex().right(60).toStdString());
        QDir(ProgramPath("backup")).removeRecursively();
        Put("tolva.rdf", bytes);
        Put("tolva.rd0", "the copy");
        Put("tolva.ndf", EmptyTables());
        m_messages.shown.clear();
        EXPECT_NE(0u, Start());
        ASSERT_EQ(1u, m_messages.shown.size());
        // The copy is no data file either: renaming it would not help.
        EXPECT_EQ(FormatResString(61706, ProgramFolder::Path().toStdString()) + "\n\nThe files \""
                + Path("tolva.rdf") + "\" and \"" + Path("tolva.rd0") + "\" are left as they are.",
            m_messages.shown[0].text);
        EXPECT_EQ(2, m_dm->GetBookCount());
        EXPECT_EQ(0, m_dm->GetContactCount());
        EXPECT_EQ(1, m_dm->GetCount(DMK_ALPHABET));
        EXPECT_EQ(RC_NOTHING_LOADED, m_dm->Save(DFK_DATA));
        EXPECT_EQ(RC_NOTHING_LOADED, Stop());
        EXPECT_EQ(bytes, Contents("tolva.rdf"));
        EXPECT_EQ(EmptyTables(), Contents("tolva.ndf"));
        EXPECT_EQ("the copy", Contents("tolva.rd0"));
        EXPECT_EQ("the copy", Contents("backup/tolva.rd0"));
    }

    // A second data file that does not read is not saved over either.
    Put("tolva.rdf", good);
    Put("tolva.ndf", EmptyTables().chopped(2));
    m_messages.shown.clear();
    EXPECT_EQ(RC_SHORT_READ, Start());
    ASSERT_EQ(1u, m_messages.shown.size());
    EXPECT_NE(std::string::npos, m_messages.shown[0].text.find("\"" + Path("tolva.ndf") + "\""));
    EXPECT_EQ(1, m_dm->GetContactCount());
    Stop();
    EXPECT_EQ(EmptyTables().chopped(2), Contents("tolva.ndf"));
    EXPECT_EQ("the copy", Contents("tolva.rd0"));
}

TEST_F(DataManStoreTest, ADataFileWhoseLinksDisagreeIsMendedAndLoads)
{
    // The root does not list "Deleted Items" and lists 99 (nothing); B is
    // listed by the root and by A, its parent; C's parent is nowhere; book
    // 24 and contact 42 come twice; Ann lists book 7 (nothing); a contact
    // has the id 0xFFFFFFFF, another the id of a book.
    auto root = MakeBook(0, 0, {20, 99, 21, 24, 42}, "Contacts", DIF_BOOK | DIF_CURRENT_BOOK | DIF_ROOT_BOOK);
    const QByteArray books = RecordBytes(*root)
        + RecordBytes(*MakeBook(1, 5, {}, "Deleted Items", DIF_BOOK | DIF_DELETED_ITEMS))
        + BookBytes(20, 0, {21, 40, 41}, "A") + BookBytes(21, 20, {}, "B") + BookBytes(22, 77, {}, "C")
        + BookBytes(24, 0, {}, "Old") + BookBytes(24, 0, {}, "New");
    const QByteArray contacts = ContactBytes(40, {20, 7}, "Ann") + ContactBytes(41, {20}, "Bob")
        + ContactBytes(42, {0}, "First") + ContactBytes(42, {0}, "Second") + ContactBytes(kNoId, {0}, "No id")
        + ContactBytes(22, {0}, "Book's id");
    Put("tolva.rdf", DataFile(books, 7, contacts, 6));
    ASSERT_EQ(0u, Start());
    EXPECT_TRUE(m_messages.shown.empty());

    // The records that lose their id keep their data under fresh ones, from
    // above the highest id in use.
    const auto check = [this] {
        ASSERT_EQ(7, m_dm->GetBookCount());
        ASSERT_EQ(6, m_dm->GetContactCount());
        for (u32 id : {1u, 20u, 22u, 24u, 43u}) {
            EXPECT_EQ(0u, m_dm->FindBook(id)->m_duParentID) << id;
            EXPECT_TRUE(m_dm->IsMember(Root(), id)) << id;
        }
        EXPECT_EQ(Deleted(), m_dm->FindBook(1));
        EXPECT_EQ(20u, m_dm->FindBook(21)->m_duParentID);
        EXPECT_FALSE(m_dm->IsMember(Root(), 21));
        EXPECT_TRUE(m_dm->IsMember(m_dm->FindBook(20), 21));
        EXPECT_FALSE(m_dm->IsMember(Root(), 99));
        EXPECT_EQ("New", m_dm->FindBook(24)->m_strName);
        EXPECT_EQ("Old", m_dm->FindBook(43)->m_strName);
        EXPECT_EQ("Second", m_dm->FindContact(42)->m_strName);
        EXPECT_EQ((IdArray{20}), m_dm->FindContact(40)->m_books);
        EXPECT_EQ((IdArray{20}), m_dm->FindContact(41)->m_books);
        const std::pair<u32, const char*> renumbered[] = {{44, "First"}, {45, "No id"}, {46, "Book's id"}};
        for (const auto& [id, name] : renumbered) {
            ASSERT_NE(nullptr, m_dm->FindContact(id)) << name;
            EXPECT_EQ(name, m_dm->FindContact(id)->m_strName);
            EXPECT_EQ((IdArray{0}), m_dm->FindContact(id)->m_books) << name;
            EXPECT_TRUE(m_dm->IsMember(Root(), id)) << name;
        }
        std::vector<BookTreeItem> tree;
        EXPECT_EQ(0u, m_dm->FillBookTree(tree, 0, false));
    };
    check();
    const std::string log = ErrorLog().toStdString();
    EXPECT_NE(std::string::npos, log.find("Mended while reading")) << log;
    // Books and contacts are named as the user knows them.
    for (const char* note : {"Member 99 of book \"Contacts\" (id 0) dropped: it names nothing",
             "Member book \"B\" (id 21) of book \"Contacts\" (id 0) dropped: it is listed under another "
             "parent",
             "Book \"C\" (id 22) moved from the parent id 77, which is no book, to book \"Contacts\" (id 0)",
             "Book \"C\" (id 22) listed by its parent book \"Contacts\" (id 0)",
             "Book \"Old\" (id 24) now has the id 43: a later book has the id",
             "Contact \"First\" (id 42) now has the id 44: a later contact has the id",
             "Contact \"No id\" (id 4294967295) now has the id 45: the id is reserved",
             "Contact \"Book's id\" (id 22) now has the id 46: a book has the id",
             "Contact \"Ann\" (id 40): its book 7 dropped, it names nothing"})
        EXPECT_NE(std::string::npos, log.find(note)) << note << "\n" << log;
    // Saved back sound: the next run reads it with nothing left to mend.
    ASSERT_EQ(0u, Restart());
    check();
    QFile::remove(ProgramPath(kErrorLogName));
    ASSERT_EQ(0u, Restart());
    EXPECT_FALSE(ErrorLog().contains("Mended")) << ErrorLog().toStdString();
}

// Where the id of the contact of that name lies in a data file as the
// program writes it: behind the record's head, before its book list.
qsizetype ContactIdOffset(const QByteArray& file, const Contact& contact)
{
    const QByteArray name = Bytes().Str(contact.m_strName).Data();
    const qsizetype at = file.indexOf(name);
    return at < 0 ? -1 : at - qsizetype(4 * contact.m_books.size()) - 8;
}

TEST_F(DataManStoreTest, RepairOfASavedFileWhoseIdsCollideLosesNoContact)
{
    ASSERT_EQ(0u, Start());
    Book* work = NewBook("Work", Root());
    const u32 workId = work->m_duID;
    const u32 annId = NewContact("Ann Lee", Root())->m_duID;
    NewContact("Bob Ray", work);
    NewContact("Cy Moss", Root());
    NewContact("Dee Holm", work);
    const QByteArray annRecord = RecordBytes(*m_dm->FindContact(annId));
    ASSERT_EQ(0u, Stop());

    // Another program's damage: Bob takes Ann's id, Cy the book's, Dee the
    // id 0xFFFFFFFF, and Ann is written twice over.
    QByteArray bytes = Contents("tolva.rdf");
    const qsizetype annAt = bytes.indexOf(annRecord);
    ASSERT_GT(annAt, 0);
    ASSERT_EQ(4u, *reinterpret_cast<const u32*>(bytes.constData() + annAt - 4));
    bytes.replace(annAt - 4, 4, Bytes().Word(5).Data());
    bytes += annRecord;
    const auto patch = [&bytes](const char* name, u32 id) {
        Contact probe;
        probe.m_strName = name;
        probe.m_books = {0};
        const qsizetype at = ContactIdOffset(bytes, probe);
        ASSERT_GT(at, 0) << name;
        bytes.replace(at, 4, Bytes().Word(id).Data());
    };
    patch("Bob Ray", annId);
    patch("Cy Moss", workId);
    patch("Dee Holm", kNoId);
    Put("tolva.rdf", bytes);

    const auto everyone = [this](const char* when) {
        SCOPED_TRACE(when);
        std::map<std::string, IdArray> books;
        std::set<u32> ids;
        for (int i = 0; i < m_dm->GetContactCount(); ++i) {
            const Contact* contact = m_dm->GetContactAt(i);
            books[contact->m_strName] = contact->m_books;
            ids.insert(contact->m_duID);
            for (u32 book : contact->m_books)
                EXPECT_TRUE(m_dm->IsMember(m_dm->FindBook(book), contact->m_duID)) << contact->m_strName;
        }
        EXPECT_EQ(4u, ids.size());
        const u32 root = Root()->m_duID;
        const u32 work = m_dm->FindChildBook(Root(), "Work")->m_duID;
        EXPECT_EQ((std::map<std::string, IdArray>{
                      {"Ann Lee", {root}}, {"Bob Ray", {work}}, {"Cy Moss", {root}}, {"Dee Holm", {work}}}),
            books);
    };
    ASSERT_EQ(0u, Start());
    everyone("read");
    ASSERT_NE(nullptr, m_dm->FindContact(annId));
    EXPECT_EQ("Ann Lee", m_dm->FindContact(annId)->m_strName);
    const std::string log = ErrorLog().toStdString();
    for (const std::string& note :
        {"Contact \"Ann Lee\" (id " + std::to_string(annId) + ") was stored twice; one is kept",
            "Contact \"Bob Ray\" (id " + std::to_string(annId) + ") now has the id",
            "Contact \"Cy Moss\" (id " + std::to_string(workId) + ") now has the id",
            std::string("Contact \"Dee Holm\" (id 4294967295) now has the id")})
        EXPECT_NE(std::string::npos, log.find(note)) << note << "\n" << log;
    ASSERT_EQ(0u, Restart());
    everyone("saved and read again");
    // A new contact takes an id none of them has.
    ASSERT_NE(nullptr, NewContact("Eve", Root()));
    std::set<u32> ids;
    for (int i = 0; i < m_dm->GetContactCount(); ++i)
        ids.insert(m_dm->GetContactAt(i)->m_duID);
    EXPECT_EQ(5u, ids.size());
}

TEST_F(DataManStoreTest, ATextStoredWithTheLengthZeroReadsEmptyAndIsNoted)
{
    // What follows the damaged length reads in place: the NUL it lacks is
    // not taken from the next field.
    auto contact = MakeContact(40, {0}, "");
    contact->m_strTitle = "Dr";
    contact->m_strNotes = "kept";
    QByteArray record = RecordBytes(*contact);
    const QByteArray emptyName = Bytes().Word(1).Raw(QByteArray(1, '\0')).Data();
    const qsizetype at = 48;  // after the head, the id and the one book
    ASSERT_EQ(emptyName, record.mid(at, 5));
    record.replace(at, 5, Bytes().Word(0).Data());
    Put("tolva.rdf", DataFile(BuiltInBooks({40}), 2, record, 1));
    ASSERT_EQ(0u, Start());
    ASSERT_EQ(1, m_dm->GetContactCount());
    EXPECT_EQ("", m_dm->FindContact(40)->m_strName);
    EXPECT_EQ("Dr", m_dm->FindContact(40)->m_strTitle);
    EXPECT_EQ("kept", m_dm->FindContact(40)->m_strNotes);
    EXPECT_TRUE(ErrorLog().contains("1 text(s) with the stored length 0")) << ErrorLog().toStdString();
    // Saved with the length a text has, and read without a note.
    ASSERT_EQ(0u, Restart());
    EXPECT_EQ("kept", m_dm->FindContact(40)->m_strNotes);
    QFile::remove(ProgramPath(kErrorLogName));
    ASSERT_EQ(0u, Restart());
    EXPECT_FALSE(ErrorLog().contains("length 0")) << ErrorLog().toStdString();
}

// The stored length one byte too long: the text's NUL and the first byte
// of the next field, the low byte of its length word, are read into it.
static QByteArray WithLengthOneTooLong(QByteArray record, const QByteArray& text)
{
    const QByteArray stored = Bytes().Str(text.toStdString()).Data();
    const qsizetype at = record.indexOf(stored);
    EXPECT_GE(at, 0) << text.toStdString();
    u32 length = 0;
    std::memcpy(&length, record.constData() + at, sizeof length);
    return record.replace(at, 4, Bytes().Word(length + 1).Data());
}

TEST_F(DataManStoreTest, ATextWithANulKeepsWhatFollowsItOnlyWhereThatIsTextAndTheNoteNamesIt)
{
    // Another program stored "Ann" and "Lee" in one text with a NUL between,
    // and the title with two NULs before its own; a byte of a first name
    // was damaged into a NUL.
    auto ann = MakeContact(40, {0}, "Ann#Lee");
    ann->m_strTitle = "Dr##";
    ann->m_strFirstName = "Okafor34";
    ann->m_strNotes = "kept";
    QByteArray first = RecordBytes(*ann);
    first.replace("Ann#Lee", QByteArray("Ann\0Lee", 7));
    first.replace("Dr##", QByteArray("Dr\0\0", 4));
    first.replace("Okafor34", QByteArray("Ok\0for34", 8));
    // Stored lengths one byte too long: a name, an empty nick name, a book.
    auto jun = MakeContact(41, {20}, "Jun Okafor42");
    jun->m_strNickName = "";
    jun->m_strSuffix = "";
    jun->m_strTitle = "";
    QByteArray second = WithLengthOneTooLong(RecordBytes(*jun), "Jun Okafor42");
    // Title, first, middle and last name come before the nick name, each
    // stored empty: the word 1 and a NUL.
    const qsizetype title = second.indexOf(Bytes().Str("").Str("").Str("").Str("").Str("").Data());
    ASSERT_GT(title, 0);
    second.replace(title + 4 * 5, 4, Bytes().Word(2).Data());
    QByteArray family = WithLengthOneTooLong(BookBytes(20, 0, {41}, "Family"), "Family");
    Put("tolva.rdf", DataFile(BuiltInBooks({40, 20}) + family, 3, first + second, 2));
    ASSERT_EQ(0u, Start());
    const Contact* read = m_dm->FindContact(40);
    EXPECT_EQ("AnnLee", read->m_strName);
    EXPECT_EQ("Dr", read->m_strTitle);
    EXPECT_EQ("Okfor34", read->m_strFirstName);
    EXPECT_EQ("kept", read->m_strNotes);
    EXPECT_EQ("Jun Okafor42", m_dm->FindContact(41)->m_strName);
    EXPECT_EQ("", m_dm->FindContact(41)->m_strNickName);
    EXPECT_EQ("Family", m_dm->FindBook(20)->m_strName);
    const std::string log = ErrorLog().toStdString();
    for (const char* note :
        {"Contact \"AnnLee\" (id 40): its name held a NUL, read without it and with the text after it",
            "Contact \"AnnLee\" (id 40): its title held a NUL, read without it\r\n",
            "Contact \"AnnLee\" (id 40): its first name held a NUL, read without it and with the text after "
            "it",
            "Contact \"Jun Okafor42\" (id 41): its name held a NUL followed by bytes that are no text, read "
            "up "
            "to the NUL",
            "Contact \"Jun Okafor42\" (id 41): its nick name held a NUL followed by bytes that are no text",
            "Book \"Family\" (id 20): its name held a NUL followed by bytes that are no text"})
        EXPECT_NE(std::string::npos, log.find(note)) << note << "\n" << log;
    // Saved as read, and read again the same without a note.
    QFile::remove(ProgramPath(kErrorLogName));
    ASSERT_EQ(0u, Restart());
    EXPECT_TRUE(Contents("tolva.rdf").contains(Bytes().Str("AnnLee").Data()));
    EXPECT_TRUE(Contents("tolva.rdf").contains(Bytes().Str("Jun Okafor42").Data()));
    EXPECT_EQ("AnnLee", m_dm->FindContact(40)->m_strName);
    EXPECT_EQ("Family", m_dm->FindBook(20)->m_strName);
    EXPECT_EQ("<missing>", ErrorLog());
}

TEST_F(DataManStoreTest, LinksListedOnOneSideAreCompleted)
{
    // Found by fuzzing: Ann is listed by Book but does not list it, so her
    // deletion left a dead member and the next run refused the file.
    Put("tolva.rdf",
        DataFile(BuiltInBooks({20}, {40}) + BookBytes(20, 0, {40}, "Book"), 3,
            ContactBytes(40, {1}, "Ann") + ContactBytes(41, {20}, "Bob"), 2));
    ASSERT_EQ(0u, Start());
    EXPECT_EQ((IdArray{1, 20}), m_dm->FindContact(40)->m_books);
    EXPECT_EQ((IdArray{40, 41}), m_dm->FindBook(20)->m_members);
    // Emptying "Deleted Items" keeps her: Book still holds her.
    EXPECT_EQ(0u, m_dm->EmptyDeletedItems());
    EXPECT_EQ((IdArray{40, 41}), m_dm->FindBook(20)->m_members);
    EXPECT_EQ((IdArray{20}), m_dm->FindContact(40)->m_books);
    EXPECT_TRUE(m_dm->GetDeletedItemsBook()->m_members.empty());
    EXPECT_EQ(0u, Restart());
}

TEST_F(DataManStoreTest, CloseNeverRefreshesTheCopyAfterAFailedSave)
{
    ASSERT_EQ(0u, Start());
    NewContact("Ann", Root());
    ASSERT_EQ(0u, Restart());
    const QByteArray copy = Contents("tolva.rd0");
    ASSERT_TRUE(copy.contains("Ann"));
    NewContact("Bob", Root());
    // The data file's place is taken by a folder: no save can finish.
    QFile::remove(ProgramPath("tolva.rdf"));
    QDir().mkpath(ProgramPath("tolva.rdf/blocked"));
    EXPECT_NE(0u, m_dm->Save(DFK_DATA));
    EXPECT_NE(0u, Stop());
    EXPECT_EQ(copy, Contents("tolva.rd0"));
}

TEST_F(DataManStoreTest, AFailedSaveSaysWhatWasNotSavedAndIsLogged)
{
    ASSERT_EQ(0u, Start());
    NewContact("Ann", Root());
    ASSERT_EQ(0u, m_dm->Save(DFK_DATA));
    const QByteArray saved = Contents("tolva.rdf");
    NewContact("Bob", Root());
    {
        FileSizeLimit full(rlim_t(saved.size()) + 8);  // Bob does not fit; the log does
        EXPECT_NE(0u, m_dm->Save(DFK_DATA));
    }
    EXPECT_EQ(saved, Contents("tolva.rdf"));
    ASSERT_EQ(1u, m_messages.shown.size());
    const std::string& text = m_messages.shown[0].text;
    EXPECT_NE(std::string::npos, text.find("The contacts and books could not be saved to")) << text;
    EXPECT_NE(std::string::npos, text.find(Path("tolva.rdf"))) << text;
    EXPECT_NE(std::string::npos, text.find("There is not enough space on the disk.")) << text;
    EXPECT_NE(std::string::npos, text.find("as it was before")) << text;
    // What the user can do: the window is still there, so a later change saves.
    EXPECT_NE(std::string::npos,
        text.find(
            "Free some space on the disk or make the folder writable: your next change saves everything "
            "again"))
        << text;
    EXPECT_TRUE(ErrorLog().contains("could not be saved to")) << ErrorLog().toStdString();
    EXPECT_TRUE(ErrorLog().contains("There is not enough space on the disk.\r\n"));

    // Made good by the next change once there is room.
    NewContact("Cid", Root());
    ASSERT_EQ(0u, m_dm->Save(DFK_DATA));
    EXPECT_TRUE(Contents("tolva.rdf").contains("Bob"));
}

TEST_F(DataManStoreTest, IdThresholds)
{
    // Up to 0xCCCCCC00 the counter counts; above it the lowest unused id from
    // 15 is given and the counter stays.
    Put("tolva.rdf", DataFile(BuiltInBooks({0xCCCCCBFF}), 2, ContactBytes(0xCCCCCBFF, {0}, "A"), 1));
    ASSERT_EQ(0u, Start());
    EXPECT_EQ(0xCCCCCC00u, NewContact("B", Root())->m_duID);
    EXPECT_EQ(15u, NewContact("C", Root())->m_duID);
    EXPECT_EQ(16u, NewBook("D", Root())->m_duID);
    EXPECT_EQ(0xCCCCCC01u, m_dm->GetNextFreeId());
    m_dm->DeleteContact(m_dm->FindContact(15), false);
    EXPECT_EQ(15u, NewContact("E", Root())->m_duID);

    // At 0xFFFFFF00 the store is first renumbered densely in id order, with
    // every reference.
    Stop();
    Put("tolva.rdf",
        DataFile(BuiltInBooks({20}) + BookBytes(20, 0, {0x80000000, 0xFFFFFEFF}, "Book")
                + BookBytes(0x80000000, 20, {0xFFFFFEFF}, "Sub"),
            4, ContactBytes(0xFFFFFEFF, {20, 0x80000000}, "Far"), 1));
    CallLogEntry call;
    call.m_duContactID = 0xFFFFFEFF;
    Put("tolva.ndf",
        Bytes().Head(kNonDataFileTag).Word(1).Raw(RecordBytes(call)).Raw(EmptyTables().mid(64)).Data());
    ASSERT_EQ(0u, Start());
    ASSERT_EQ(0xFFFFFF00u, m_dm->GetNextFreeId());
    Book* book = m_dm->FindBook(20);
    m_dm->SetCurrentBook(book);
    EXPECT_EQ(18u, m_dm->NewId());
    EXPECT_EQ(19u, m_dm->GetNextFreeId());
    EXPECT_EQ(book, m_dm->FindBook(15));
    EXPECT_EQ(15u, m_dm->GetCurrentBookId());
    EXPECT_EQ(nullptr, m_dm->FindItem(0xFFFFFEFF));
    EXPECT_EQ((IdArray{1, 15}), Root()->m_members);
    EXPECT_EQ((IdArray{16, 17}), book->m_members);
    EXPECT_EQ(15u, m_dm->FindBook(16)->m_duParentID);
    EXPECT_EQ((IdArray{15, 16}), m_dm->FindContact(17)->m_books);
    EXPECT_TRUE(m_dm->IsMember(m_dm->FindBook(16), 17));
    EXPECT_EQ(17u, m_dm->GetAt<CallLogEntry>(0)->m_duContactID);
}

TEST_F(DataManStoreTest, CopyAtTheRenumberingThresholdLinksTheSameContacts)
{
    // The copy's first new id renumbers the store (16 -> 15, 17 -> 16, ...):
    // the members copied must still be A and B, not whoever takes their ids.
    Put("tolva.rdf",
        DataFile(BuiltInBooks({16, 19, 0xFFFFFEFF}) + BookBytes(16, 0, {17, 18}, "Source"), 3,
            ContactBytes(17, {16}, "A") + ContactBytes(18, {16}, "B") + ContactBytes(19, {0}, "Z")
                + ContactBytes(0xFFFFFEFF, {0}, "Far"),
            4));
    ASSERT_EQ(0u, Start());
    Book* source = m_dm->FindBook(16);
    ASSERT_EQ(0u, m_dm->CopyBook(source, Root()));
    const Book* copy = m_dm->GetCurrentBook();
    ASSERT_NE(source, copy);
    ASSERT_EQ(2u, copy->m_members.size());
    EXPECT_EQ("A", m_dm->FindContact(copy->m_members[0])->m_strName);
    EXPECT_EQ("B", m_dm->FindContact(copy->m_members[1])->m_strName);
    EXPECT_EQ(source->m_members, copy->m_members);
}

TEST_F(DataManStoreTest, ContactsAndDeletedItems)
{
    ASSERT_EQ(0u, Start());
    Book* friends = NewBook("Friends", Root());
    Contact* ann = NewContact("Ann", friends);
    EXPECT_EQ(DME_NULL_ARGUMENT, m_dm->AddContact(nullptr, friends));
    m_dm->AddContactToBook(ann, friends);
    EXPECT_EQ((IdArray{ann->m_duID}), friends->m_members);
    EXPECT_EQ((IdArray{friends->m_duID}), ann->m_books);

    // In two books, removing one link only unlinks, without a question.
    m_dm->AddContactToBook(ann, Root());
    int permanent = 0;
    EXPECT_EQ(0u, m_dm->RemoveContactFromBook(friends, ann, permanent));
    EXPECT_EQ(1, permanent);
    EXPECT_EQ((IdArray{0}), ann->m_books);
    m_dm->MoveContact(Root(), friends, ann);
    EXPECT_EQ((IdArray{friends->m_duID}), ann->m_books);
    EXPECT_FALSE(m_dm->IsMember(Root(), ann->m_duID));
    EXPECT_TRUE(m_messages.shown.empty());

    // A contact in no book is not deleted by removing it from some book.
    Contact* loose = NewContact("Loose", friends);
    m_dm->UnlinkContact(loose);
    EXPECT_EQ(0u, m_dm->RemoveContactFromBook(friends, loose, permanent = 0));
    EXPECT_EQ(IdArray{}, loose->m_books);
    EXPECT_EQ(IdArray{}, Deleted()->m_members);
    m_dm->DeleteContact(loose, false);

    // The last link: asked first; Cancel does nothing, OK moves it to
    // "Deleted Items"; with the permanent flag it goes for good.
    m_messages.reply = IDCANCEL;
    m_dm->RemoveContactFromBook(friends, ann, permanent = 0);
    EXPECT_EQ(0, permanent);
    ASSERT_EQ(1u, m_messages.shown.size());
    EXPECT_EQ("Are you sure you want to delete \"Ann\" ?", m_messages.shown[0].text);
    EXPECT_EQ(u32(MB_OKCANCEL | MB_ICONQUESTION), m_messages.shown[0].type);
    m_messages.reply = IDOK;
    m_dm->RemoveContactFromBook(friends, ann, permanent = 0);
    EXPECT_EQ(1, permanent);
    EXPECT_EQ((IdArray{1}), ann->m_books);
    EXPECT_EQ((IdArray{ann->m_duID}), Deleted()->m_members);
    m_dm->RemoveContactFromBook(Deleted(), ann, permanent = 1);
    EXPECT_EQ("Are you sure you want to permanently delete \"Ann\" ?", m_messages.shown.back().text);
    EXPECT_EQ(0, m_dm->GetContactCount());

    // Emptying "Deleted Items" destroys its books with their sub-books and
    // the contacts left in no book; a contact still in another book stays.
    Book* sub = NewBook("Sub", friends);
    const u32 cid = NewContact("Cid", sub)->m_duID;
    Contact* dan = NewContact("Dan", sub);
    m_dm->AddContactToBook(dan, Root());
    m_dm->SetCurrentBook(sub);
    EXPECT_EQ(0u, m_dm->DeleteBook(friends, false));
    EXPECT_EQ(Deleted()->m_duID, friends->m_duParentID);
    EXPECT_EQ(0u, m_dm->EmptyDeletedItems());
    EXPECT_EQ(2, m_dm->GetBookCount());
    EXPECT_EQ(IdArray{}, Deleted()->m_members);
    EXPECT_EQ(Root(), m_dm->GetCurrentBook());
    EXPECT_EQ(nullptr, m_dm->FindItem(cid));
    ASSERT_EQ(1, m_dm->GetContactCount());
    EXPECT_EQ((IdArray{0}), dan->m_books);
}

TEST_F(DataManStoreTest, BookTreeStaysATree)
{
    ASSERT_EQ(0u, Start());
    Book* a = NewBook("beta", Root());
    Book* b = NewBook("Alpha", a);
    Contact* c = NewContact("C", b);
    EXPECT_EQ(ERROR_INVALID_PARAMETER, m_dm->MoveBook(a, b));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, m_dm->MoveBook(Root(), a));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, m_dm->DeleteBook(Root(), true));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, m_dm->DeleteBook(Deleted(), false));
    // Nor is "Deleted Items" destroyed with a book that it was moved into.
    Book* holder = NewBook("Holder", Root());
    ASSERT_EQ(0u, m_dm->MoveBook(Deleted(), holder));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, m_dm->DeleteBook(holder, true));
    ASSERT_TRUE(Deleted());
    ASSERT_EQ(0u, m_dm->MoveBook(Deleted(), Root()));
    ASSERT_EQ(0u, m_dm->DeleteBook(holder, true));

    // A copy into its own subtree copies the subtree as it was; contacts are
    // linked, not copied; the top copy becomes current.
    ASSERT_EQ(0u, m_dm->CopyBook(a, b));
    EXPECT_EQ(6, m_dm->GetBookCount());
    Book* copyA = m_dm->GetCurrentBook();
    EXPECT_EQ(b->m_duID, copyA->m_duParentID);
    ASSERT_EQ(1u, copyA->m_members.size());
    Book* copyB = m_dm->FindBook(copyA->m_members[0]);
    EXPECT_EQ((IdArray{c->m_duID}), copyB->m_members);
    EXPECT_EQ((IdArray{b->m_duID, copyB->m_duID}), c->m_books);
    ASSERT_EQ(0u, m_dm->CopyBook(Root(), a));
    EXPECT_EQ(DIF_BOOK | DIF_CURRENT_BOOK, m_dm->GetCurrentBook()->m_dwFlags);
    EXPECT_EQ(DIF_BOOK, m_dm->FindChildBook(m_dm->GetCurrentBook(), "deleted items")->m_dwFlags);

    // Sorted as a tree control sorts, ignoring case; one level leaves the
    // children to be filled later.
    const u32 alpha2 = NewBook("alpha2", Root())->m_duID;
    std::vector<BookTreeItem> tree;
    m_dm->FillBookTree(tree, 0, true);
    EXPECT_TRUE(tree.at(0).hasChildren && tree[0].children.empty());
    tree.clear();
    m_dm->FillBookTree(tree, 0, false);
    const auto& level = tree.at(0).children;
    ASSERT_EQ(3u, level.size());
    EXPECT_EQ("alpha2 beta Deleted Items", level[0].name + ' ' + level[1].name + ' ' + level[2].name);
    EXPECT_EQ(kDeletedItemsImage, level[2].image);
    EXPECT_EQ("Alpha", level[1].children.at(0).name);
    m_dm->FillBookTree(tree, 999, false);
    EXPECT_EQ(DME_NOT_FOUND, m_dm->GetLastError());

    // Destroyed for good, a book takes its sub-books and the contacts that
    // were only there; the current book inside gives way to the root.
    m_dm->SetCurrentBook(copyB);
    EXPECT_EQ(0u, m_dm->DeleteBook(a, true));
    EXPECT_EQ(Root(), m_dm->GetCurrentBook());
    EXPECT_EQ(3, m_dm->GetBookCount());
    EXPECT_EQ(0, m_dm->GetContactCount());
    EXPECT_EQ((IdArray{1, alpha2}), Root()->m_members);
}

TEST_F(DataManStoreTest, AlphabetFilter)
{
    Profile::WriteInt("DataMan", "CurrentChar", 40000);
    ASSERT_EQ(0u, Start());
    EXPECT_EQ(kFilterAll, m_dm->GetAlphabetFilter());
    Contact* brown = NewContact("Zed Brown", Root());
    brown->m_strFirstName = "Zed";
    brown->m_strLastName = "brown";
    brown->m_strCompany = "Acme";
    Contact* bare = NewContact("  bob", Root());
    Contact* empty = NewContact("", Root());
    EXPECT_TRUE(m_dm->IsContactShown(empty));
    EXPECT_FALSE(m_dm->IsContactShown(NewContact("Bea", NewBook("Other", Root()))));

    m_dm->SetAlphabetFilter(kFilterFirstLetter + 1);
    EXPECT_TRUE(m_dm->IsContactShown(brown));
    EXPECT_TRUE(m_dm->IsContactShown(bare));
    EXPECT_FALSE(m_dm->IsContactShown(empty));
    m_user.m_dwFilterFlags = 0;
    EXPECT_FALSE(m_dm->IsContactShown(brown));
    m_user.m_dwFilterFlags = 2;
    m_dm->SetAlphabetFilter(kFilterFirstLetter);
    EXPECT_TRUE(m_dm->IsContactShown(brown));
    EXPECT_FALSE(m_dm->IsContactShown(bare));

    // Past the letters of the alphabet nothing is shown.
    m_dm->SetAlphabetFilter(kFilterLastLetter);
    EXPECT_EQ("", m_dm->GetFilterLetterText());
    EXPECT_FALSE(m_dm->IsContactShown(brown));
    m_user.m_dwFilterFlags = 1;
    m_dm->GetAt<Alphabet>(0)->m_strLetters = "\xd0\x90\xd0\x91";  // Cyrillic A, Be
    m_dm->SetAlphabetFilter(kFilterFirstLetter + 1);
    EXPECT_EQ("\xd0\x91", m_dm->GetFilterLetterText());
    brown->m_strLastName = "\xd0\xb1\xd0\xbe";  // be, o
    EXPECT_TRUE(m_dm->IsContactShown(brown));

    Stop();
    EXPECT_EQ(int(kFilterFirstLetter + 1), Profile::GetInt("DataMan", "CurrentChar", 0));
}

TEST_F(DataManStoreTest, SameNameComparesThePartsOneByOne)
{
    ASSERT_EQ(0u, Start());
    Contact* mary = NewContact("M", Root());
    mary->m_strFirstName = "Mary";
    mary->m_strMiddleName = "Ann";
    const auto probe = [this](const char* name, const char* first, const char* middle) {
        auto contact = MakeContact(0, {}, name);
        contact->m_strFirstName = first;
        contact->m_strMiddleName = middle;
        return m_dm->FindSameNameContact(Root(), contact.get());
    };
    EXPECT_EQ(mary, probe("m", "MARY", "ann"));
    EXPECT_EQ(nullptr, probe("M", "MaryAnn", ""));
    EXPECT_EQ(nullptr, probe("M", "Mar", "yAnn"));
    EXPECT_TRUE(EqualsIgnoringCase("\xc3\x84RGER", "\xc3\xa4rger"));  // Ä, ä
}

TEST_F(DataManStoreTest, FlagContactsByPrintRange)
{
    ASSERT_EQ(0u, Start());
    Book* book = NewBook("Book", Root());
    NewContact("A", Root());
    Contact* b = NewContact("B", book);
    m_dm->SetCurrentBook(book);
    // Modes 1 and 2 take the first range, 3 the second.
    EXPECT_EQ(1u, m_dm->FlagContacts(1, 2, 1));
    EXPECT_EQ(CDF_PRINT, b->m_dwDisplayFlags & CDF_PRINT);
    EXPECT_EQ(0u, m_dm->GetContactAt(0)->m_dwDisplayFlags & CDF_PRINT);
    EXPECT_EQ(2u, m_dm->FlagContacts(3, 2, 1));
    EXPECT_EQ(0u, m_dm->FlagContacts(2, 4, 1));
}

}  // namespace
