#include "core/utilities.h"
#include "dataman_support.h"

namespace {

class DataFileFormatTest : public DataManTest {
protected:
    // A store with: Friends (current, Work below it), contacts Ann (Friends,
    // Work), Bob (Friends and the root), Cid (root only).
    void Populate()
    {
        ASSERT_EQ(0u, Start());
        m_friends = NewBook("Friends", Root());
        m_work = NewBook("Work", m_friends);
        m_ann = NewContact("Ann", m_friends);
        m_dm->AddContactToBook(m_ann, m_work);
        m_bob = NewContact("Bob", m_friends);
        m_dm->AddContactToBook(m_bob, Root());
        NewContact("Cid", Root());
        m_dm->SetCurrentBook(m_friends);
    }

    Book* m_friends = nullptr;
    Book* m_work = nullptr;
    Contact* m_ann = nullptr;
    Contact* m_bob = nullptr;
};

TEST_F(DataFileFormatTest, FreshStoreIsSavedAsTheFormatSays)
{
    ASSERT_EQ(0u, Start());
    EXPECT_EQ(0u, m_dm->Save(DFK_DATA));
    EXPECT_EQ(0u, m_dm->Save(DFK_NONDATA));

    LOGFONT font;
    font.lfHeight = -12;
    const double now = kTestNow;
    const QByteArray date = Bytes().Word(0).Raw(QByteArray(reinterpret_cast<const char*>(&now), 8)).Data();
    const auto book = [&](u32 flags, u32 id, QByteArray members, const char* name, u32 image) {
        return Bytes()
            .Word(16)
            .Word(flags)
            .Word(0)
            .Raw(date + date)
            .Word(id)
            .Word(0)
            .Raw(members)
            .Word(0)
            .Word(0)
            .Str(name)
            .Str("")
            .Raw(QByteArray(reinterpret_cast<const char*>(&font), 60))
            .Word(RGB(1, 2, 3))
            .Word(RGB(250, 251, 252))
            .Word(0)
            .Word(0)
            .Word(image)
            .Word(32)
            .Data();
    };
    const QByteArray data = Bytes()
                                .Head("TOLVADATFILE")
                                .Word(2)
                                .Raw(book(0x10010001, 0, Bytes().Word(1).Word(1).Data(), "Contacts", 0))
                                .Raw(book(0x20000001, 1, Bytes().Word(0).Data(), "Deleted Items", 2))
                                .Word(0)
                                .Data();
    EXPECT_EQ(data.toHex(), Contents("tolva.rdf").toHex());

    Bytes tables;
    tables.Head("TOLVANONDATFILE").Word(0).Word(10);
    for (u32 slot = 0; slot < 10; ++slot)
        tables.Word(0).Word(slot).Str("").Str("");
    tables.Word(1).Word(0x10000).Str("Latin").Str("ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    tables.Word(1).Word(0x10000).Str("Undefined time zone").Str("").Str("").Word(0).Word(0).Word(0);
    tables.Raw(QByteArray(32, '\0')).Word(0).Word(0);
    EXPECT_EQ(tables.Data().toHex(), Contents("tolva.ndf").toHex());

    // Read back by the next run and saved again, nothing changes; the copy
    // follows the data file.
    ASSERT_EQ(0u, Restart());
    ASSERT_EQ(0u, Stop());
    EXPECT_EQ(data, Contents("tolva.rdf"));
    EXPECT_EQ(data, Contents("tolva.rd0"));
    EXPECT_EQ(tables.Data(), Contents("tolva.ndf"));
}

TEST_F(DataFileFormatTest, HeadChecks)
{
    struct Case {
        DataFileKind kind;
        QByteArray bytes;
        u32 result, lastError, message;
    };
    const Case cases[] = {
        {DFK_DATA, Bytes().Head("tolvadatfile").Data(), 0, 0, 0},
        {DFK_DATA, Bytes().Head("TOLVANONDATFILE").Data(), 1, 16, 0},
        {DFK_NONDATA, Bytes().Head("TOLVADATFILE").Data(), 1, 17, 0},
        {DFK_EXPORT, Bytes().Head("TOLVADATFILE", 0x2500, 0, 0x2000).Data(), 1, 18, 0},
        {DFK_EXPORT, Bytes().Head("TolvaExpFile", 0x2500, 0, 0x2000).Data(), 0, 0, 0},
        {DFK_EXPORT, Bytes().Head("TOLVAEXPFILE", 0x2500, 0, 0).Data(), 1, 18, 59559},
        {DFK_DATA, Bytes().Head("TOLVADATFILE", 0x2600, 0x2000).Data(), 0, 0, 0},
        {DFK_DATA, Bytes().Head("TOLVADATFILE", 0x2600, 0).Data(), 1, 20, 59546},
        {DFK_EXPORT, Bytes().Head("TOLVAEXPFILE", 0x2501, 0, 0x2000).Data(), 1, 20, 59546},
        {DFK_DATA, Bytes().Head("TOLVADATFILE").Data().left(30), RC_SHORT_READ, 0, 0},
        {DFK_DATA, Bytes().Word(0xFFFFFFF0).Data(), RC_SHORT_READ, 0, 0},
        // A short file of another kind: the tag says so before the head is read.
        {DFK_DATA, Bytes().Str("TOLVAEXPFILE").Word(0x2500).Data(), 1, 16, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes.left(20).toStdString());
        m_dm.reset();
        m_file = std::make_unique<CDataFile>();
        m_dm = std::make_unique<DataMan>(*m_file, &m_user);
        m_messages.shown.clear();
        Put(c.kind == DFK_DATA ? "tolva.rdf" : c.kind == DFK_NONDATA ? "tolva.ndf" : "x.dtv", c.bytes);
        ASSERT_EQ(0u, c.kind == DFK_EXPORT ? m_file->OpenExtra(Path("x.dtv"), true) : m_file->Open());
        EXPECT_EQ(c.result, m_dm->ReadHeader(c.kind));
        EXPECT_EQ(c.lastError, m_dm->GetLastError());
        ASSERT_EQ(c.message ? 1u : 0u, m_messages.shown.size());
        if (c.message) {
            // The newer file's message also names the file.
            const std::string& text = m_messages.shown[0].text;
            EXPECT_EQ(0u, text.find(LoadResString(c.message))) << text;
            if (c.lastError == 20) {
                const char* name = c.kind == DFK_DATA ? "tolva.rdf" : "x.dtv";
                EXPECT_NE(std::string::npos, text.find(Path(name) + "\" was written by a newer version"))
                    << text;
            }
        }
    }
}

TEST_F(DataFileFormatTest, BodyCountsOfZeroKeepWhatIsThere)
{
    // No books: the built-in ones stay and take the file's contacts; no
    // alphabets: none at all, and the list starts on "All".
    Put("tolva.rdf", DataFile({}, 0, ContactBytes(40, {0}, "Ann"), 1));
    Put("tolva.ndf", EmptyTables());
    ASSERT_EQ(0u, Start());
    EXPECT_EQ("Contacts", m_dm->GetBookAt(0)->m_strName);
    EXPECT_EQ(2, m_dm->GetBookCount());
    EXPECT_EQ(1, m_dm->GetContactCount());
    EXPECT_EQ(41u, m_dm->GetNextFreeId());
    EXPECT_EQ(0, m_dm->GetCount(DMK_ALPHABET));
    EXPECT_EQ("All", m_dm->GetFilterLetterText());
}

TEST_F(DataFileFormatTest, OlderFilesAreReadInTheirOwnLayout)
{
    // Before 0x2500 an address has no format index: home takes 2, business 1.
    Contact ann = *MakeContact(40, {0}, "Ann");
    ann.m_addresses = {{ADDR_HOME, "Home St", "", "", "", "", 0, 0},
        {ADDR_BUSINESS | ADDR_DEFAULT, "Work St", "", "", "", "", 0, 0},
        {ADDR_POSTAL, "Box", "", "", "", "", 0, 0}};
    ann.m_dwDisplayFlags = CDF_DEFAULT_FONT;
    Contact bob = *MakeContact(41, {0}, "Bob");
    bob.m_crText = m_user.GetColor(UC_LIST_TEXT);
    bob.m_crBack = RGB(1, 1, 1);
    bob.m_dwDisplayFlags = 0;
    Put("tolva.rdf",
        DataFile(BuiltInBooks({40, 41}), 2, RecordBytes(ann, 0x21FF) + RecordBytes(bob, 0x21FF), 2, 0x21FF));
    Put("tolva.ndf", EmptyTables());  // its own version does not decide the upgrade
    ASSERT_EQ(0u, Start());
    const Contact* read = m_dm->FindContact(40);
    ASSERT_EQ(3u, read->m_addresses.size());
    EXPECT_EQ("Work St", read->m_addresses[1].m_strStreet);
    EXPECT_EQ((std::vector<u32>{2, 1, 0}),
        (std::vector<u32>{read->m_addresses[0].m_dwFormat, read->m_addresses[1].m_dwFormat,
            read->m_addresses[2].m_dwFormat}));

    // Before 0x2200 the display colours are set after start-up.
    m_dm->UpgradeOldContacts();
    EXPECT_EQ(m_user.GetColor(UC_LIST_BACK), read->m_crBack);
    EXPECT_EQ(CDF_DEFAULT_FONT | CDF_DEFAULT_TEXT_COLOR | CDF_DEFAULT_BK_COLOR, read->m_dwDisplayFlags);
    EXPECT_EQ(CDF_DEFAULT_TEXT_COLOR, m_dm->FindContact(41)->m_dwDisplayFlags);

    // Saved in the current layout, the formats stay; a file of 0x2200 is
    // not upgraded.
    ASSERT_EQ(0u, Restart());
    EXPECT_EQ(2u, m_dm->FindContact(40)->m_addresses[0].m_dwFormat);
    Stop();
    Put("tolva.rdf", DataFile(BuiltInBooks({41}), 2, RecordBytes(bob), 1, 0x2200));
    ASSERT_EQ(0u, Start());
    m_dm->UpgradeOldContacts();
    EXPECT_EQ(0u, m_dm->FindContact(41)->m_dwDisplayFlags);
}

TEST_F(DataFileFormatTest, ExportAndImportBack)
{
    Populate();
    ASSERT_EQ(0u, m_dm->ExportBook(Path("friends.dtv"), m_friends));
    // The books in tree order as they stand; Bob's root is not in the file.
    Contact bob = *m_bob;
    bob.m_books = {m_friends->m_duID};
    EXPECT_EQ(ExportFile(RecordBytes(*m_friends) + RecordBytes(*m_work), 2,
                  RecordBytes(*m_ann) + RecordBytes(bob), 2)
                  .toHex(),
        Contents("friends.dtv").toHex());

    // Into the same store: the lowest id read takes the next free id and the
    // others keep their distances; the next free id follows the highest of
    // the ids read and itself.
    const u32 next = m_dm->GetNextFreeId();
    const u32 shift = next - m_friends->m_duID;
    ASSERT_EQ(0u, Import("friends.dtv", IMPORT_ATTACH, m_work));
    EXPECT_EQ(2u, m_books);
    EXPECT_EQ(2u, m_contacts);
    Book* copy = m_dm->FindBook(m_friends->m_duID + shift);
    Book* copyWork = m_dm->FindBook(m_work->m_duID + shift);
    ASSERT_TRUE(copy && copyWork);
    EXPECT_EQ(m_work->m_duID, copy->m_duParentID);
    EXPECT_TRUE(m_dm->IsMember(m_work, copy->m_duID));
    EXPECT_EQ(copy->m_duID, copyWork->m_duParentID);
    EXPECT_EQ((IdArray{copyWork->m_duID, m_ann->m_duID + shift, m_bob->m_duID + shift}), copy->m_members);
    EXPECT_EQ((IdArray{copy->m_duID, copyWork->m_duID}), m_dm->FindContact(m_ann->m_duID + shift)->m_books);
    EXPECT_EQ(shift + next + 1, m_dm->GetNextFreeId());
    EXPECT_EQ(0u, copy->m_dwFlags & DIF_CURRENT_BOOK);
    EXPECT_EQ(m_friends, m_dm->GetCurrentBook());

    // Ids at or above the next free id come in unchanged, under the current
    // book when no target is given.
    Put("high.dtv", ExportFile(BookBytes(1000, 7, {1001}, "High"), 1, ContactBytes(1001, {1000}, "Hal"), 1));
    ASSERT_EQ(0u, Import("high.dtv", IMPORT_ATTACH, nullptr));
    EXPECT_EQ(m_friends->m_duID, m_dm->FindBook(1000)->m_duParentID);
    EXPECT_EQ(1002u, m_dm->GetNextFreeId());

    // Shifting by the next free id would take 0xFFFFFFF8 past the top: the
    // ids are laid densely instead; none is 0 or 0xFFFFFFFF.
    Put("wide.dtv",
        ExportFile(BookBytes(0, 9, {0xFFFFFFF8}, "Wide"), 1, ContactBytes(0xFFFFFFF8, {0}, "Far"), 1));
    ASSERT_EQ(0u, Import("wide.dtv", IMPORT_ATTACH, Root()));
    EXPECT_EQ("Wide", m_dm->FindBook(1002)->m_strName);
    EXPECT_EQ((IdArray{1002}), m_dm->FindContact(1003)->m_books);
    EXPECT_EQ("Contacts", m_dm->FindBook(0)->m_strName);
    EXPECT_EQ(1004u, m_dm->GetNextFreeId());
}

TEST_F(DataFileFormatTest, ImportOfAFileThatDoesNotReadAddsNothing)
{
    Populate();
    ASSERT_EQ(0u, m_dm->ExportBook(Path("friends.dtv"), m_friends));
    const QByteArray good = Contents("friends.dtv");
    const QByteArray top = BookBytes(50, 0, {51}, "Top");
    const QByteArray bad[] = {
        good.left(good.size() - 1),
        ExportFile(top + BookBytes(51, 52, {}, "A cycle") + BookBytes(52, 51, {}, "B"), 3),
        ExportFile({}, 0, ContactBytes(51, {}, "In no book"), 1),
        Bytes().Head(kExportFileTag, 0x2600, 0, kExportFlag).Word(0).Word(0).Data(),
    };
    for (const QByteArray& bytes : bad) {
        Put("bad.dtv", bytes);
        m_books = m_contacts = 9;
        EXPECT_NE(0u, Import("bad.dtv", IMPORT_MERGE, m_friends));
        EXPECT_EQ(0u, m_books + m_contacts);
        EXPECT_EQ(4, m_dm->GetBookCount());
        EXPECT_EQ(3, m_dm->GetContactCount());
        EXPECT_EQ((IdArray{m_work->m_duID, m_ann->m_duID, m_bob->m_duID}), m_friends->m_members);
    }
}

TEST_F(DataFileFormatTest, ExportFilesWithLinksThatDisagreeAreMended)
{
    Populate();
    const QByteArray top = BookBytes(50, 0, {51}, "Top");
    struct Case {
        QByteArray bytes;
        u32 books, contacts;  // read
        int booksKept;
    };
    const Case cases[] = {
        {ExportFile(top, 1, ContactBytes(52, {50}, "Member 51 is nowhere"), 1), 1, 1, 1},
        {ExportFile(top + BookBytes(51, 50, {50}, "Lists the top"), 2), 2, 0, 2},
        {ExportFile(top + BookBytes(51, 50, {}, "In two books") + BookBytes(53, 51, {51}, "Two"), 3), 3, 0,
            3},
        {ExportFile(BookBytes(50, 0, {}, "Top"), 1, ContactBytes(51, {50}, "Not listed back"), 1), 1, 1, 1},
        {ExportFile(top + BookBytes(51, 77, {}, "Parent nowhere"), 2, ContactBytes(52, {}, "In no book"), 1),
            2, 1, 2},
        // Records whose id is taken come in under fresh ones.
        {ExportFile(top + BookBytes(51, 50, {}, "Old") + BookBytes(51, 50, {}, "New"), 3), 3, 0, 3},
        {ExportFile(RecordBytes(*MakeBook(kNoId, 9, {}, "Top")), 1), 1, 0, 1},
        {ExportFile(top, 1, ContactBytes(50, {50}, "Top's id") + ContactBytes(kNoId, {50}, "No id"), 2), 1, 2,
            1},
    };
    const u32 workId = m_work->m_duID;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes.toHex().right(60).toStdString());
        ASSERT_EQ(0u, Restart());
        Book* work = m_dm->FindBook(workId);
        const int books = m_dm->GetBookCount();
        const int contacts = m_dm->GetContactCount();
        Put("mended.dtv", c.bytes);
        ASSERT_EQ(0u, Import("mended.dtv", IMPORT_ATTACH, work));
        EXPECT_EQ(c.books, m_books);
        EXPECT_EQ(c.contacts, m_contacts);
        // Every record the file holds once came in, in the tree below the target.
        ASSERT_TRUE(m_dm->FindChildBook(work, "Top"));
        EXPECT_EQ(books + c.booksKept, m_dm->GetBookCount());
        EXPECT_EQ(contacts + int(c.contacts), m_dm->GetContactCount());
        for (int i = contacts; i < m_dm->GetContactCount(); ++i)
            EXPECT_FALSE(m_dm->GetContactAt(i)->m_books.empty());
        for (int i = books; i < m_dm->GetBookCount(); ++i)
            EXPECT_TRUE(
                m_dm->IsMember(m_dm->FindBook(m_dm->GetBookAt(i)->m_duParentID), m_dm->GetBookAt(i)->m_duID));
        ASSERT_EQ(0u, Restart());
        EXPECT_EQ(books + c.booksKept, m_dm->GetBookCount());
        EXPECT_EQ(contacts + int(c.contacts), m_dm->GetContactCount());
    }
    EXPECT_TRUE(ErrorLog().contains("Mended while importing"));
}

TEST_F(DataFileFormatTest, MergeByName)
{
    Populate();
    // Ann gets new data in the file; Dan is only there.
    m_ann->m_strNotes = "changed";
    Contact* dan = NewContact("Dan", m_work);
    ASSERT_EQ(0u, m_dm->ExportBook(Path("changed.dtv"), m_friends));
    m_dm->DeleteContact(dan, false);
    m_ann->m_strNotes.clear();
    m_ann->m_dtModified = {1.0, DateStatus::Valid};
    m_friends->m_strName = "FRIENDS";
    // Mary is "Ann" by her name, but not by all her name parts.
    Contact* mary = NewContact("Ann", m_work);
    mary->m_strFirstName = "Mary";

    ASSERT_EQ(0u, Import("changed.dtv", IMPORT_MERGE, Root()));
    // Both books met a book of their name and only Dan was really added; the
    // counts say what the file held.
    EXPECT_EQ(2u, m_books);
    EXPECT_EQ(3u, m_contacts);
    EXPECT_EQ(4, m_dm->GetBookCount());
    EXPECT_EQ(5, m_dm->GetContactCount());
    EXPECT_EQ("changed", m_ann->m_strNotes);
    EXPECT_EQ(kTestNow, m_ann->m_dtModified.m_dt);
    EXPECT_EQ("", mary->m_strNotes);
    ASSERT_EQ(3u, m_work->m_members.size());
    Contact* newDan = m_dm->FindContact(m_work->m_members[2]);
    EXPECT_EQ("Dan", newDan->m_strName);
    EXPECT_EQ((IdArray{m_work->m_duID}), newDan->m_books);
}

TEST_F(DataFileFormatTest, MergeKeepsBothLinksOfAContactInTwoImportedBooks)
{
    ASSERT_EQ(0u, Start());
    Book* top = NewBook("Top", Root());
    Book* a = NewBook("A", top);
    Book* b = NewBook("B", top);
    Contact* mary = NewContact("Mary", a);
    const auto file = [](const char* second) {
        return ExportFile(BookBytes(50, 0, {51, 52}, "Top") + BookBytes(51, 50, {60}, "A")
                + BookBytes(52, 50, {60}, second),
            3, ContactBytes(60, {51, 52}, "Mary"), 1);
    };
    Put("two.dtv", file("B"));
    ASSERT_EQ(0u, Import("two.dtv", IMPORT_MERGE, Root()));
    EXPECT_EQ(1u, m_contacts);  // matched, yet read
    EXPECT_EQ(1, m_dm->GetContactCount());
    EXPECT_EQ((IdArray{a->m_duID, b->m_duID}), mary->m_books);
    EXPECT_TRUE(m_dm->IsMember(b, mary->m_duID));

    // A second book new to the store comes in with the existing Mary, not a
    // dead id.
    Put("new.dtv", file("C"));
    ASSERT_EQ(0u, Import("new.dtv", IMPORT_MERGE, Root()));
    EXPECT_EQ(3u, m_books);
    EXPECT_EQ(1u, m_contacts);
    Book* c = m_dm->FindChildBook(top, "C");
    ASSERT_TRUE(c);
    EXPECT_EQ((IdArray{mary->m_duID}), c->m_members);
    EXPECT_EQ((IdArray{a->m_duID, b->m_duID, c->m_duID}), mary->m_books);
}

TEST_F(DataFileFormatTest, RootIntoRoot)
{
    Populate();
    ASSERT_EQ(0u, m_dm->ExportBook(Path("root.dtv"), Root()));
    ASSERT_EQ(0u, Restart());
    // Mode 0: the file's root gives way; its "Deleted Items" stayed home.
    ASSERT_EQ(0u, Import("root.dtv", IMPORT_ATTACH, Root()));
    EXPECT_EQ(3u, m_books);
    EXPECT_EQ(3u, m_contacts);
    ASSERT_EQ(6, m_dm->GetBookCount());
    for (int i = 0; i < m_dm->GetBookCount(); ++i) {
        const Book* book = m_dm->GetBookAt(i);
        EXPECT_EQ(i == 0 ? DIF_ROOT_BOOK | DIF_CURRENT_BOOK
                : i == 1 ? DIF_DELETED_ITEMS
                         : 0,
            book->m_dwFlags & ~DIF_BOOK);
        EXPECT_TRUE(i == 0 || m_dm->IsMember(m_dm->FindBook(book->m_duParentID), book->m_duID));
    }
    EXPECT_EQ("Friends", m_dm->GetBookAt(4)->m_strName);
    const Contact* cid = m_dm->GetContactAt(4);
    EXPECT_EQ("Cid", cid->m_strName);
    EXPECT_EQ((IdArray{0}), cid->m_books);
    EXPECT_TRUE(m_dm->IsMember(Root(), cid->m_duID));

    // Merged, everything finds its own.
    ASSERT_EQ(0u, Import("root.dtv", IMPORT_MERGE, Root()));
    EXPECT_EQ(6u, m_books + m_contacts);
    EXPECT_EQ(6, m_dm->GetBookCount());
    EXPECT_EQ(6, m_dm->GetContactCount());
}

TEST_F(DataFileFormatTest, OldFormImportKeepsTheStoresBooks)
{
    Populate();
    // An old export is a whole data file with its own built-in books.
    Put("old.dtv",
        DataFile(BuiltInBooks({20, 40}, {41}) + BookBytes(20, 0, {42}, "Old book"), 3,
            ContactBytes(40, {0}, "Eve") + ContactBytes(41, {1}, "Gone") + ContactBytes(42, {20}, "Fay"), 3,
            0x1F00));
    const u32 next = m_dm->GetNextFreeId();
    ASSERT_EQ(0u, Import("old.dtv", IMPORT_MERGE, m_work));
    EXPECT_TRUE(m_messages.shown.empty());
    EXPECT_EQ(1u, m_books);
    EXPECT_EQ(3u, m_contacts);
    EXPECT_EQ(5, m_dm->GetBookCount());
    EXPECT_EQ("Friends", m_friends->m_strName);
    // The file's lowest id was 0: every id moved by the next free id.
    Book* old = m_dm->FindBook(20 + next);
    ASSERT_TRUE(old);
    EXPECT_EQ(0u, old->m_duParentID);
    EXPECT_TRUE(m_dm->IsMember(Root(), old->m_duID));
    EXPECT_EQ((IdArray{0}), m_dm->FindContact(40 + next)->m_books);
    EXPECT_TRUE(m_dm->IsMember(Root(), 40 + next));
    EXPECT_TRUE(m_dm->IsMember(Deleted(), 41 + next));
    EXPECT_EQ((IdArray{old->m_duID}), m_dm->FindContact(42 + next)->m_books);
    EXPECT_EQ(next + 43, m_dm->GetNextFreeId());
    EXPECT_TRUE(Contents("tolva.rdf").contains("Old book"));

    // An export file without the export flag is read the same way, after a
    // message.
    Put("flagless.dtv",
        Bytes().Head(kExportFileTag).Word(1).Raw(BookBytes(20, 1, {}, "Was deleted")).Word(0).Data());
    ASSERT_EQ(0u, Import("flagless.dtv", IMPORT_MERGE, m_work));
    ASSERT_EQ(1u, m_messages.shown.size());
    EXPECT_EQ(LoadResString(59559), m_messages.shown[0].text);
    EXPECT_TRUE(m_dm->FindChildBook(Deleted(), "was deleted"));
}

}  // namespace
