// Every format through the wizard both ways, the reports of what happened,
// imports that fail part-way, and the address-book property table.
#include "core/fieldtexts.h"
#include "core/filelimit.h"
#include "core/utilities.h"
#include "impexp/addressbook.h"
#include "impexp/fieldmapping.h"
#include "impexp/iedrivers.h"
#include "impexp/importtransaction.h"
#include "impexp/vcardimport.h"
#include "wizardtesting.h"

#include <QFile>
#include <string>
#include <tuple>

namespace {

class WizardDriverTest : public WizardStoreTest {
protected:
    // Exports the book in the format and imports the file into a new book,
    // both through the wizard's pages.
    Book* RoundTrip(int format, Book* from, const char* file)
    {
        IEWizard out;
        EXPECT_TRUE(WalkToFile(out, IED_EXPORT, format, from, Path(file)));
        if (out.HasFieldsPage()) {
            EXPECT_TRUE(out.Finish());
        }
        const IEOutcome exported = RunImportExport(out, m_dm, nullptr);
        EXPECT_EQ(exported.result, 0u) << OutcomeText(exported);
        EXPECT_EQ(OutcomeText(exported), "");

        Book* into = NewBook("Back", m_dm.GetRootBook());
        IEWizard in;
        EXPECT_TRUE(WalkToFile(in, IED_IMPORT, format, into, Path(file)));
        if (in.HasFieldsPage()) {
            EXPECT_TRUE(in.Finish());
        }
        m_last = RunImportExport(in, m_dm, nullptr);
        EXPECT_EQ(m_last.result, 0u) << OutcomeText(m_last);
        return into;
    }

    // The book "People" with Ann and Bob, and its sub-book "Sub" with Cy
    // and Dee, exported through the wizard: the file's bytes.
    QByteArray ExportPeople()
    {
        Book* people = NewBook("People", m_dm.GetRootBook());
        Book* sub = NewBook("Sub", people);
        for (const char* name : {"Ann", "Bob"})
            AddNamed(name, people);
        for (const char* name : {"Cy", "Dee"})
            AddNamed(name, sub);
        IEWizard out;
        EXPECT_TRUE(WalkToFile(out, IED_EXPORT, IEF_DATA_FILE, people, Path("own.dtv")));
        EXPECT_EQ(RunImportExport(out, m_dm, nullptr).result, 0u);
        return Contents("own.dtv");
    }
    // The book count and the contact count follow the tag (its length word,
    // the letters and a NUL) and the 40 bytes of the header.
    static constexpr qsizetype kCountsAt
        = qsizetype(4 + std::char_traits<char>::length(kExportFileTag) + 1 + 40);
    static QByteArray WithCounts(QByteArray bytes, u32 books, u32 contacts)
    {
        bytes.replace(kCountsAt, 4, QByteArray(reinterpret_cast<const char*>(&books), 4));
        bytes.replace(kCountsAt + 4, 4, QByteArray(reinterpret_cast<const char*>(&contacts), 4));
        return bytes;
    }
    IEOutcome ImportOwnFile(const QByteArray& bytes, Book* into)
    {
        Put("in.dtv", bytes);
        IEWizard in;
        EXPECT_TRUE(WalkToFile(in, IED_IMPORT, IEF_DATA_FILE, into, Path("in.dtv")));
        return RunImportExport(in, m_dm, nullptr);
    }

    IEOutcome m_last;
};

// An address book made in the test: containers with entries, and a failure
// on demand.
struct FakeContainer : AddressBookContainer {
    std::string name;
    u32 flags = AB_RECIPIENTS;
    std::vector<AbEntry> entries;
    std::vector<FakeContainer> children;
    u32 failEntries = 0;

    std::string Name() const override { return name; }
    u32 Flags() const override { return flags; }
    u32 GetChildren(std::vector<std::unique_ptr<AddressBookContainer>>& out) override
    {
        for (const FakeContainer& child : children)
            out.push_back(std::make_unique<FakeContainer>(child));
        return 0;
    }
    u32 GetEntries(std::vector<AbEntry>& out) override
    {
        out = entries;
        return failEntries;
    }
};

struct FakeSource : AddressBookSource {
    FakeContainer root;
    u32 Open(std::unique_ptr<AddressBookContainer>& out) override
    {
        out = std::make_unique<FakeContainer>(root);
        return 0;
    }
};

AbProperty Text(u32 tag, std::string text)
{
    AbProperty p;
    p.tag = tag;
    p.text = std::move(text);
    return p;
}

AbEntry Person(const char* name)
{
    return {Text(0x3001001E, name), Text(0x3A09001E, "555-1")};
}

class ScopedAddressBook {
public:
    explicit ScopedAddressBook(const FakeContainer& root)
    {
        SetAddressBookOpener([root](const std::string&, u32& result) {
            result = 0;
            auto source = std::make_unique<FakeSource>();
            source->root = root;
            return std::unique_ptr<AddressBookSource>(std::move(source));
        });
    }
    ~ScopedAddressBook() { SetAddressBookOpener({}); }
};

}  // namespace

TEST_F(WizardDriverTest, ADosExportSaysHowManyValuesLostCharacters)
{
    // Letters of code page 437, a question mark of the name's own, and
    // names whose letters it lacks (Polish, Greek, Japanese; one company).
    Book* book = NewBook("People", m_dm.GetRootBook());
    for (const char* name :
        {"J\u00fcrgen \u00c5berg", "Who?", "\u0141ukasz", "\u039d\u03af\u03ba\u03b7", "\u5c71\u7530"})
        AddNamed(name, book);
    AddNamed("Ann", book)->m_strCompany = "Gda\u0144sk Ltd";
    for (const auto& [format, file, lost] :
        {std::tuple{IEF_CSV_DOS, "a.csv", 4}, {IEF_TSV_DOS, "b.txt", 4}, {IEF_CSV, "c.csv", 0}}) {
        SCOPED_TRACE(file);
        IEWizard wizard;
        ASSERT_TRUE(WalkToFile(wizard, IED_EXPORT, format, book, Path(file)));
        ASSERT_TRUE(wizard.Finish());
        const IEOutcome outcome = RunImportExport(wizard, m_dm, nullptr);
        EXPECT_EQ(outcome.result, 0u);
        // Three names and a company lose characters.
        const std::string text = OutcomeText(outcome);
        if (lost)
            EXPECT_EQ(
                text.rfind("The file was written, but " + std::to_string(lost) + " value(s) held", 0), 0u)
                << text;
        else
            EXPECT_EQ(text, "");
    }
    // The file holds the "?" the message speaks of, and the letters the code page has.
    const QByteArray dos = Contents("a.csv");
    EXPECT_TRUE(dos.contains("\"?ukasz\""));
    EXPECT_TRUE(dos.contains("\"J\x81rgen \x8f"
                             "berg\""));
}

TEST_F(WizardDriverTest, EveryFileFormatBothWays)
{
    Book* book = NewBook("People", m_dm.GetRootBook());
    Book* sub = NewBook("Sub", book);
    AddNamed("Ann", book)->m_strCompany = "Acme";
    AddNamed("Bob", sub);
    SaveFieldList(true, DefaultImportFields());
    for (const auto& [format, file] : {std::pair{IEF_CSV_DOS, "a.csv"}, {IEF_CSV, "b.csv"},
             {IEF_TSV_DOS, "c.txt"}, {IEF_TSV, "d.txt"}, {IEF_VCARD, "e.vcf"}}) {
        SCOPED_TRACE(file);
        const Book* back = RoundTrip(format, book, file);
        EXPECT_EQ(Names(back), (std::vector<std::string>{"Ann", "Bob"}));
        EXPECT_TRUE(m_last.changed);
        EXPECT_EQ(OutcomeText(m_last), "Successfully imported 0 book(s) and 2 contact(s).");
    }
    // The own file carries the books.
    RoundTrip(IEF_DATA_FILE, book, "f.dtv");
    EXPECT_EQ(m_last.books, 2u);
    EXPECT_EQ(m_last.contacts, 2u);

    // A user separator is read as typed.
    Put("g.txt", "Name;Company\r\nCy;Co\r\n");
    IEWizard wizard;
    ASSERT_TRUE(WalkToFile(wizard, IED_IMPORT, IEF_USER_SEPARATOR, book, Path("g.txt")));
    ASSERT_EQ(wizard.m_fields.m_rows.size(), 2u);
    ASSERT_TRUE(wizard.Finish());
    EXPECT_EQ(RunImportExport(wizard, m_dm, nullptr).result, 0u);
    EXPECT_EQ(Names(book).back(), "Cy");
}

TEST_F(WizardDriverTest, OwnFileRecordsPastItsCountsComeInAndAreLogged)
{
    const QByteArray good = ExportPeople();
    ASSERT_EQ(WithCounts(good, 2, 4), good);
    for (const auto& [books, contacts] : {std::pair{2u, 1u}, {2u, 0u}, {1u, 4u}, {0u, 3u}}) {
        SCOPED_TRACE(std::to_string(books) + " " + std::to_string(contacts));
        QFile::remove(ProgramPath("tolva_error.log"));
        Book* into = NewBook("Back", m_dm.GetRootBook());
        const IEOutcome outcome = ImportOwnFile(WithCounts(good, books, contacts), into);
        EXPECT_EQ(OutcomeText(outcome), "Successfully imported 2 book(s) and 4 contact(s).");
        const Book* top = m_dm.FindChildBook(into, "People");
        ASSERT_NE(top, nullptr);
        EXPECT_EQ(Names(top), (std::vector<std::string>{"Ann", "Bob"}));
        const Book* below = m_dm.FindChildBook(top, "Sub");
        ASSERT_NE(below, nullptr);
        EXPECT_EQ(Names(below), (std::vector<std::string>{"Cy", "Dee"}));
        const QByteArray log = Contents("tolva_error.log");
        EXPECT_TRUE(log.contains(QByteArray::number(2 - books) + " book(s) and "
            + QByteArray::number(4 - contacts) + " contact(s) past the counts of the file read and kept"))
            << log.toStdString();
    }
}

TEST_F(WizardDriverTest, OwnFileWithBytesAfterItsRecordsIsRefusedAsDamaged)
{
    const QByteArray good = ExportPeople();
    Book* people = m_dm.FindChildBook(m_dm.GetRootBook(), "People");
    Book* sub = m_dm.FindChildBook(people, "Sub");
    const int books = m_dm.GetBookCount();
    const int contacts = m_dm.GetContactCount();
    // A file cut short is damaged; so is one with more after its records
    // than whole contacts, and the import says the same of both.
    const std::string damagedText = OutcomeText(ImportOwnFile(good.chopped(1), people));
    EXPECT_EQ(damagedText, LoadResString(IDS_IE_FAILED) + "\n\nNothing was imported.");
    IEWizard subOut;
    ASSERT_TRUE(WalkToFile(subOut, IED_EXPORT, IEF_DATA_FILE, sub, Path("sub.dtv")));
    ASSERT_EQ(RunImportExport(subOut, m_dm, nullptr).result, 0u);
    // The book "Sub" and its two contacts, without head and counts.
    const QByteArray subRecords = Contents("sub.dtv").mid(kCountsAt + 8);
    const QByteArray damaged[] = {
        good + "abc",
        good + subRecords,
        WithCounts(good, 2, 3) + subRecords.right(subRecords.size() / 3),
        WithCounts(good, 2, 3) + QByteArray(4, '\0'),
    };
    for (const QByteArray& bytes : damaged) {
        SCOPED_TRACE(bytes.toHex().right(60).toStdString());
        const IEOutcome outcome = ImportOwnFile(bytes, people);
        EXPECT_NE(outcome.result, 0u);
        EXPECT_FALSE(outcome.changed);
        EXPECT_EQ(OutcomeText(outcome), damagedText);
        EXPECT_EQ(m_dm.GetBookCount(), books);
        EXPECT_EQ(m_dm.GetContactCount(), contacts);
    }
}

TEST_F(WizardDriverTest, VCardImportMergesUnlessDuplicatesAllowed)
{
    Book* book = NewBook("Cards", m_dm.GetRootBook());
    AddNamed("Ann", book)->m_strNotes = "old";
    Put("in.vcf", "BEGIN:VCARD\r\nFN:Ann\r\nNOTE:new\r\nEND:VCARD\r\nBEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n");
    IEWizard wizard;
    ASSERT_TRUE(WalkToFile(wizard, IED_IMPORT, IEF_VCARD, book, Path("in.vcf")));
    wizard.m_state.m_nDuplicatesFlag = 1;
    const IEOutcome merged = RunImportExport(wizard, m_dm, nullptr);
    EXPECT_EQ(Names(book), (std::vector<std::string>{"Ann"}));
    EXPECT_EQ(
        m_dm.FindSameNameContact(book, m_dm.GetContactAt(m_dm.GetContactCount() - 1))->m_strNotes, "new");
    // The calendar gave no contact, and the report says so.
    EXPECT_EQ(OutcomeText(merged),
        "Successfully imported 0 book(s) and 0 new contact(s), and updated 1 contact(s) of the same name.\n\n"
        "1 of the 2 entries of the file gave no contact and were left out.");
    wizard.m_state.m_nDuplicatesFlag = 0;
    RunImportExport(wizard, m_dm, nullptr);
    EXPECT_EQ(Names(book).size(), 2u);
}

TEST_F(WizardDriverTest, DamagedCardsAreReportedAndLogged)
{
    Book* book = NewBook("Cards", m_dm.GetRootBook());
    // The last card's picture holds a character that is no BASE64, and the
    // file ends without its END line.
    Put("damaged.vcf",
        "BEGIN:VCARD\r\nFN:Ann\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nFN:Bob\r\nNOTE:kept\r\nPHOTO;ENCODING=BASE64;TYPE=GIF:\r\n  R0lG*ODlh\r\n\r\n");
    IEWizard wizard;
    ASSERT_TRUE(WalkToFile(wizard, IED_IMPORT, IEF_VCARD, book, Path("damaged.vcf")));
    const IEOutcome outcome = RunImportExport(wizard, m_dm, nullptr);
    ASSERT_EQ(outcome.result, 0u);
    EXPECT_EQ(Names(book), (std::vector<std::string>{"Ann", "Bob"}));
    EXPECT_EQ(m_dm.GetContactAt(m_dm.GetContactCount() - 1)->m_strNotes, "kept");
    const std::string text = OutcomeText(outcome);
    EXPECT_TRUE(text.starts_with("Successfully imported 0 book(s) and 2 contact(s).\n\n")) << text;
    EXPECT_NE(text.find("damaged.vcf: 1 card(s) could not be read whole"), std::string::npos) << text;
    EXPECT_NE(text.find("- BASE64 data with a character that is not BASE64 was skipped (line 7)"),
        std::string::npos)
        << text;
    EXPECT_NE(text.find("- the block has no END line (line 4)"), std::string::npos) << text;
    EXPECT_NE(text.find("The error log lists every problem."), std::string::npos) << text;
    const std::string log = Contents("tolva_error.log").toStdString();
    EXPECT_NE(log.find("damaged.vcf: what could not be read was left out"), std::string::npos) << log;
    EXPECT_NE(log.find("not BASE64 was skipped (line 7)"), std::string::npos) << log;
    EXPECT_NE(log.find("the block has no END line (line 4)"), std::string::npos) << log;

    // A whole file says nothing more than its counts.
    Put("whole.vcf", "BEGIN:VCARD\r\nFN:Cy\r\nEND:VCARD\r\n");
    IEWizard again;
    ASSERT_TRUE(WalkToFile(again, IED_IMPORT, IEF_VCARD, book, Path("whole.vcf")));
    EXPECT_EQ(OutcomeText(RunImportExport(again, m_dm, nullptr)),
        "Successfully imported 0 book(s) and 1 contact(s).");
}

TEST_F(WizardDriverTest, FailuresAreReportedAndChangeNothing)
{
    Book* book = NewBook("Mine", m_dm.GetRootBook());
    AddNamed("Keep", book);
    const int contacts = m_dm.GetContactCount();

    // A text file that stops being text part-way: the rows before it go too.
    Put("bad.csv", QByteArray("Name\r\nA\r\nB\r\nC\0\r\n", 17));
    SaveFieldList(true, {FID_NAME});
    IEWizard wizard;
    ASSERT_TRUE(WalkToFile(wizard, IED_IMPORT, IEF_CSV, book, Path("bad.csv")));
    ASSERT_TRUE(wizard.Finish());
    const IEOutcome failed = RunImportExport(wizard, m_dm, nullptr);
    EXPECT_NE(failed.result, 0u);
    EXPECT_FALSE(failed.changed);
    EXPECT_EQ(m_dm.GetContactCount(), contacts);
    const std::string text = OutcomeText(failed);
    EXPECT_EQ(text.find("Error in import/export operation"), 0u);
    EXPECT_EQ(text.find("Successfully"), std::string::npos);
    EXPECT_NE(text.find("Nothing was imported."), std::string::npos);
    ReportOutcome(failed, nullptr);
    EXPECT_EQ(m_messages.shown.back().type & MB_ICONMASK, MB_ICONSTOP);

    // A file with no card, and an export that cannot be written, leave the
    // old file as it was.
    Put("empty.vcf", "nothing here\r\n");
    IEWizard cards;
    ASSERT_TRUE(WalkToFile(cards, IED_IMPORT, IEF_VCARD, book, Path("empty.vcf")));
    EXPECT_EQ(RunImportExport(cards, m_dm, nullptr).result, RC_MISSING);
    IEWizard out;
    ASSERT_TRUE(WalkToFile(out, IED_EXPORT, IEF_VCARD, book, Path("no/such/folder/out.vcf")));
    const IEOutcome unwritten = RunImportExport(out, m_dm, nullptr);
    EXPECT_EQ(unwritten.result, RC_CANNOT_OPEN);
    EXPECT_EQ(OutcomeText(unwritten), "Error in import/export operation");
    EXPECT_EQ(m_dm.GetContactCount(), contacts);
}

TEST_F(WizardDriverTest, AnExportTheDiskCannotHoldFailsAndKeepsTheOldFile)
{
    // Far less than the buffer a saved file fills before it reaches the
    // disk: the failure shows only when that buffer is written out.
    Book* book = NewBook("Many", m_dm.GetRootBook());
    for (int i = 0; i < 40; ++i)
        AddNamed(("Contact number " + std::to_string(i)).c_str(), book);
    SaveFieldList(false, {FID_NAME});
    for (const auto& [format, file] : {std::pair{IEF_VCARD, "full.vcf"}, {IEF_CSV, "full.csv"}}) {
        SCOPED_TRACE(file);
        IEWizard wizard;
        ASSERT_TRUE(WalkToFile(wizard, IED_EXPORT, format, book, Path(file)));
        if (wizard.HasFieldsPage()) {
            ASSERT_TRUE(wizard.Finish());
        }
        // An earlier export, written over once the user said so.
        Put(file, "the export before\r\n");
        IEOutcome outcome;
        {
            const FileSizeLimit full(512);
            outcome = RunImportExport(wizard, m_dm, nullptr);
        }
        EXPECT_NE(outcome.result, 0u);
        EXPECT_EQ(OutcomeText(outcome).find("Successfully"), std::string::npos);
        EXPECT_EQ(Contents(file), "the export before\r\n");
    }
}

TEST_F(WizardDriverTest, DroppedCardFilesStopAtTheFirstUnreadable)
{
    Put("one.vcf", "BEGIN:VCARD\r\nFN:One\r\nEND:VCARD\r\nBEGIN:VCARD\r\nFN:Two\r\nEND:VCARD\r\n");
    Book* current = m_dm.GetCurrentBook();
    const IEOutcome both
        = ImportVCardFiles(m_dm, {Path("one.vcf"), Path("missing.vcf"), Path("one.vcf")}, nullptr);
    EXPECT_EQ(both.result, RC_CANNOT_OPEN);
    EXPECT_EQ(both.contacts, 2u);
    EXPECT_TRUE(both.changed);
    EXPECT_EQ(Names(current), (std::vector<std::string>{"One", "Two"}));
    EXPECT_NE(
        OutcomeText(both).find("2 contact(s) from the files before it were imported."), std::string::npos);
}

TEST_F(WizardDriverTest, AddressBookEntriesBecomeContacts)
{
    AbProperty emails;
    emails.tag = 0x3A56101E;
    emails.list = {"a@x", "", "b@x", "c@x", "d@x", "e@x", "f@x", "g@x"};
    AbProperty gender;
    gender.tag = 0x3A4D0002;
    gender.shortValue = 1;
    AbProperty birthday;
    birthday.tag = 0x3A420040;
    birthday.fileTime = 125911584000000000ull;  // 2000-01-01
    const AbEntry entry = {Text(0x3001001E, "Eve Smith"), Text(0x3A09001E, "111"), Text(0x3A2F001E, "222"),
        Text(0x3A08001E, "333"), Text(0x3A5D001E, "Home St 1"), Text(0x3A59001E, "Hometown"),
        Text(0x3A29001E, "Work Rd 2"), Text(0x3A15001E, "Work Rd 2\r\nWorkville"), emails, gender, birthday,
        Text(0x3A17001E, "Boss"), Text(0x3004001E, "note")};
    const auto eve = ContactFromEntry(entry, false);
    EXPECT_EQ(eve->m_strName, "Eve Smith");
    EXPECT_EQ(eve->m_strJobTitle, "Boss");
    EXPECT_EQ(eve->m_dwGender, u32(GENDER_FEMALE));
    EXPECT_EQ(FormatDateNumbers(eve->m_dtBirthday, IDF_YEAR_MONTH_DAY), "2000/01/01");
    // Two home numbers of different tags: two entries, each with its code.
    EXPECT_EQ(
        eve->m_phones, (ContactPhoneArray{{0x10000001, "111"}, {0x20000002, "222"}, {0x0100000B, "333"}}));
    // Seven addresses in the list give five e-mails.
    ASSERT_EQ(eve->m_emails.size(), 5u);
    EXPECT_EQ(eve->m_emails[4], (ContactValue{6, "e@x"}));
    // The postal address is the business one.
    ASSERT_EQ(eve->m_addresses.size(), 2u);
    EXPECT_EQ(eve->m_addresses[0].m_dwType, u32(ADDR_HOME));
    EXPECT_EQ(eve->m_addresses[1].m_dwType, u32(ADDR_BUSINESS | ADDR_DEFAULT));
    EXPECT_EQ(eve->m_addresses[0].m_strCity, "Hometown");
    // No street named: no default, even though "" is in every text.
    EXPECT_TRUE(
        ContactFromEntry({Text(0x3A59001E, "City"), Text(0x3A15001E, "x")}, false)->m_addresses[0].m_dwType
        == ADDR_HOME);
    // The default book keeps the first name and notes it meets.
    const auto mapi = ContactFromEntry({Text(0x3001001E, "One"), Text(0x3001001E, "Two"),
                                           Text(0x3004001E, "first"), Text(0x1000001E, "body")},
        true);
    EXPECT_EQ(mapi->m_strName, "One");
    EXPECT_EQ(mapi->m_strNotes, "first");
    AbProperty odd;
    odd.tag = 0x12340003;
    EXPECT_EQ(PropertyToText(odd, false), "UNKNOWN MAPI PROPERTY: 3");
}

TEST_F(WizardDriverTest, DefaultAddressBookTwiceMergesBooksAndContacts)
{
    FakeContainer friends;
    friends.name = "Friends";
    friends.entries = {Person("Ann"), Person("Bob")};
    FakeContainer work;
    work.name = "Work";
    work.flags = AB_SUBCONTAINERS | AB_RECIPIENTS;
    work.entries = {Person("Cy")};
    work.children = {friends};
    FakeContainer root;
    root.flags = AB_SUBCONTAINERS;
    root.children = {work};
    ScopedAddressBook installed(root);

    Book* target = NewBook("Import", m_dm.GetRootBook());
    IEWizard wizard;
    ASSERT_TRUE(WalkToFile(wizard, IED_IMPORT, IEF_ADDRESS_BOOK, target, ""));
    wizard.m_state.m_nDuplicatesFlag = 1;
    const IEOutcome first = RunImportExport(wizard, m_dm, nullptr);
    ASSERT_EQ(first.result, 0u) << OutcomeText(first);
    EXPECT_EQ(OutcomeText(first), "Successfully imported 2 book(s) and 3 contact(s).");
    Book* workBook = m_dm.FindChildBook(target, "Work");
    ASSERT_NE(workBook, nullptr);
    EXPECT_EQ(Names(m_dm.FindChildBook(workBook, "Friends")), (std::vector<std::string>{"Ann", "Bob"}));

    const int books = m_dm.GetBookCount();
    const int contacts = m_dm.GetContactCount();
    const IEOutcome second = RunImportExport(wizard, m_dm, nullptr);
    EXPECT_EQ(second.books, 0u);
    EXPECT_EQ(second.contacts, 3u);
    EXPECT_EQ(m_dm.GetBookCount(), books);
    EXPECT_EQ(m_dm.GetContactCount(), contacts);
}

TEST_F(WizardDriverTest, AFailingContainerUndoesTheWholeImport)
{
    FakeContainer good;
    good.name = "Good";
    good.entries = {Person("Ann")};
    FakeContainer bad;
    bad.name = "Bad";
    bad.failEntries = 0x80040111;
    FakeContainer root;
    root.children = {good, bad};
    ScopedAddressBook installed(root);

    Book* target = NewBook("Import", m_dm.GetRootBook());
    Contact* ann = AddNamed("Ann", NewBook("Good", target));
    ann->m_strNotes = "mine";
    const int books = m_dm.GetBookCount();
    const int contacts = m_dm.GetContactCount();
    IEWizard wizard;
    ASSERT_TRUE(WalkToFile(wizard, IED_IMPORT, IEF_ADDRESS_BOOK, target, ""));
    wizard.m_state.m_nDuplicatesFlag = 1;
    const IEOutcome outcome = RunImportExport(wizard, m_dm, nullptr);
    EXPECT_EQ(outcome.result, 0x80040111u);
    EXPECT_NE(OutcomeText(outcome).find("MAPI import error 80040111"), std::string::npos);
    EXPECT_EQ(m_dm.GetBookCount(), books);
    EXPECT_EQ(m_dm.GetContactCount(), contacts);
    // The merged contact has its own data back.
    EXPECT_EQ(ann->m_phones.size(), 0u);
    EXPECT_EQ(ann->m_strNotes, "mine");
}

TEST_F(WizardDriverTest, WithoutAReaderTheAddressBookSaysItIsNotAvailable)
{
    IEWizard wizard;
    wizard.m_nFormat = IEF_ADDRESS_BOOK;
    const IEOutcome outcome = RunImportExport(wizard, m_dm, nullptr);
    EXPECT_EQ(outcome.result, kAddressBookLibraryMissing);
    EXPECT_NE(
        OutcomeText(outcome).find("Windows address books cannot be read on this system."), std::string::npos);
}

// Room for the cards of a large file is made by counting them first: the
// import still reads the file from where it stood, every card of it, and a
// first line cut by the counter's chunks is a card like any other.
TEST_F(WizardDriverTest, LargeCardFilesImportEveryCardFromTheStart)
{
    std::string text = "BEGIN:VCARD\r\nFN:Skipped\r\nEND:VCARD\r\n";
    const qint64 start = qint64(text.size());
    int cards = 0;
    while (text.size() < (5u << 18)) {
        const std::string number = std::to_string(cards);
        text += (cards % 2 ? "begin:vcard\r\n" : "BEGIN:VCARD\r\n") + std::string("FN:Card ") + number
            + "\r\nNOTE:" + std::string(size_t(cards % 97), 'x') + "\r\nEND:VCARD\r\n";
        ++cards;
    }
    Put("large.vcf", QByteArray::fromStdString(text));
    Book* book = NewBook("Large", m_dm.GetRootBook());
    const int before = m_dm.GetContactCount();

    QFile file(ProgramPath("large.vcf"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    ASSERT_TRUE(file.seek(start));
    u32 count = 0;
    ASSERT_EQ(ImportVCardContacts(m_dm, &file, false, book, count), 0u);
    EXPECT_EQ(count, u32(cards));
    const std::vector<std::string> names = Names(book);
    ASSERT_EQ(names.size(), size_t(cards));
    EXPECT_EQ(names.front(), "Card 0");
    EXPECT_EQ(names.back(), "Card " + std::to_string(cards - 1));

    const IEOutcome again = ImportVCardFiles(m_dm, {Path("large.vcf")}, book);
    EXPECT_EQ(again.result, 0u);
    EXPECT_EQ(again.contacts, u32(cards + 1));
    EXPECT_EQ(m_dm.GetContactCount(), before + 2 * cards + 1);
}
