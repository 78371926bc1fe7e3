// Files as other programs and Tolva itself write them, through the wizard:
// addresses laid out by their kind, merges that keep what the user typed,
// exports without deleted contacts or repeats, header rows read by name,
// values that could not be read, and numbers written as links.
#include "contacttesting.h"
#include "core/fieldtexts.h"
#include "core/utilities.h"
#include "impexp/fieldmapping.h"
#include "impexp/iedrivers.h"
#include "platform/profile.h"
#include "wizardtesting.h"

#include <QFile>
#include <algorithm>
#include <string>
#include <tuple>

namespace {

class ExchangeFileTest : public WizardAppStoreTest {
protected:
    // Goes through the wizard's pages for the book and the file, with the
    // Fields page as it comes up (its mapping and defaults untouched), and
    // runs the import or export. The flag is that of the Book page's box.
    IEOutcome Run(int direction, int format, const char* file, Book* book, int flag)
    {
        IEWizard wizard;
        EXPECT_TRUE(WalkToFile(wizard, direction, format, book, Path(file)));
        wizard.m_state.m_nDuplicatesFlag = flag;
        if (wizard.HasFieldsPage()) {
            EXPECT_TRUE(wizard.Finish());
        }
        return RunImportExport(wizard, m_dm, nullptr);
    }
    IEOutcome Import(int format, const char* file, Book* into, bool allowDuplicates = true)
    {
        return Run(IED_IMPORT, format, file, into, allowDuplicates ? 0 : 1);
    }
    // To a file new to the folder.
    IEOutcome Export(int format, const char* file, Book* from, bool subBooks = true)
    {
        QFile::remove(ProgramPath(file));
        return Run(IED_EXPORT, format, file, from, subBooks ? 0 : 1);
    }
    const Contact* Only(const Book* book)
    {
        size_t position = 0;
        const Contact* contact = book->GetNextContact(m_dm, position);
        EXPECT_NE(contact, nullptr);
        EXPECT_EQ(book->GetNextContact(m_dm, position), nullptr);
        return contact ? contact : &m_none;
    }
    int BooksNamed(const char* name) const
    {
        int count = 0;
        for (int i = 0; i < m_dm.GetBookCount(); ++i)
            count += m_dm.GetBookAt(i)->m_strName == name;
        return count;
    }
    u32 ShownIcon() const { return m_messages.shown.back().type & MB_ICONMASK; }
    // A checked-in file as another program wrote it, into the program folder.
    void PutData(const char* name)
    {
        QFile file(TestDataPath(QStringLiteral("impexp/") + QLatin1String(name)));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name;
        Put(name, file.readAll());
    }
    static std::vector<u32> Proposed(const IEWizard& wizard)
    {
        std::vector<u32> fields;
        for (const IEMappingRow& row : wizard.m_fields.m_rows)
            fields.push_back(row.checked ? row.fieldId : 0);
        return fields;
    }
    static size_t RowNamed(const IEWizard& wizard, const char* name)
    {
        const auto& rows = wizard.m_fields.m_rows;
        const auto it = std::find_if(
            rows.begin(), rows.end(), [name](const IEMappingRow& r) { return r.text == name; });
        EXPECT_NE(it, rows.end()) << name;
        return size_t(it - rows.begin());
    }
    const Contact& Named(const char* name)
    {
        for (int i = 0; i < m_dm.GetContactCount(); ++i)
            if (m_dm.GetContactAt(i)->m_strName == name)
                return *m_dm.GetContactAt(i);
        ADD_FAILURE() << name;
        return m_none;
    }

    Contact m_none;
};

}  // namespace

TEST_F(ExchangeFileTest, ImportedAddressesAreLaidOutByTheirKind)
{
    // A mail program's 2.1 card with a business address only, one of 3.0
    // and one of 4.0 with both kinds, and a spreadsheet's columns.
    Put("work21.vcf",
        "BEGIN:VCARD\r\nVERSION:2.1\r\nN:M\xc3\xbcller;J\xc3\xbcrgen\r\nFN:J\xc3\xbcrgen M\xc3\xbcller\r\n"
        "ADR;WORK;ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:;;Hauptstra=C3=9Fe 5;Berlin;;10115;Deutschland\r\n"
        "END:VCARD\r\n");
    Put("both30.vcf",
        "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lee;Ann;;;\r\nFN:Ann Lee\r\n"
        "ADR;TYPE=HOME:;;1 Elm St;Springfield;IL;62701;USA\r\n"
        "ADR;TYPE=WORK,PREF:;;9 Main St;Chicago;IL;60601;USA\r\nEND:VCARD\r\n");
    Put("both40.vcf",
        "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Ann Lee\r\n"
        "ADR;TYPE=work:;;9 Main St;Chicago;IL;60601;USA\r\n"
        "ADR;TYPE=home;PREF=1:;;1 Elm St;Springfield;IL;62701;USA\r\nEND:VCARD\r\n");
    Put("sheet.csv",
        "Name,Business Street,Business City,Business Zip,Home City\r\n"
        "Ann Lee,9 Main St,Chicago,60601,Springfield\r\n");
    const std::string home = "1 Elm St Springfield IL, 62701 USA";
    const std::string work = "9 Main St Chicago IL, 60601 USA";
    for (const auto& [format, file, business, homeText] : {std::tuple{IEF_VCARD, "work21.vcf",
                                                               std::string("Hauptstra\xc3\x9f"
                                                                           "e 5 Berlin, 10115 Deutschland"),
                                                               std::string()},
             {IEF_VCARD, "both30.vcf", work, home}, {IEF_VCARD, "both40.vcf", work, home},
             {IEF_CSV, "sheet.csv", std::string("9 Main St Chicago, 60601"), std::string("Springfield")}}) {
        SCOPED_TRACE(file);
        Book* book = NewBook(file, m_dm.GetRootBook());
        ASSERT_EQ(Import(format, file, book).result, 0u);
        const Contact& c = *Only(book);
        // What the grid, the information pane, envelopes and labels show.
        EXPECT_EQ(FormatFieldText(c, FID_BUSINESS_ADDRESS), business);
        EXPECT_EQ(FormatFieldText(c, FID_HOME_ADDRESS), homeText);
    }
}

TEST_F(ExchangeFileTest, APostalAddressHasColumnsOfItsOwnAndReadsBackAsPostal)
{
    Book* book = NewBook("People", m_dm.GetRootBook());
    m_dm.AddContact(std::make_unique<Contact>(FullContact()), book);
    ASSERT_EQ(Export(IEF_CSV, "all.csv", book).result, 0u);
    QFile file(ProgramPath("all.csv"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray written = file.readAll();
    const QByteArray header = written.left(written.indexOf("\r\n"));
    EXPECT_TRUE(header.endsWith(R"("Postal address","Postal street","Postal city","Postal state",)"
                                R"("Postal zip","Postal country")"));
    EXPECT_TRUE(written.contains("\"Apartado 55\",\"Madrid\",,\"28080\",\"Espa\xc3\xb1"
                                 "a\"\r\n"));

    Book* back = NewBook("Back", m_dm.GetRootBook());
    ASSERT_EQ(Import(IEF_CSV, "all.csv", back).result, 0u);
    const Contact& read = *Only(back);
    const auto postal = std::find_if(read.m_addresses.begin(), read.m_addresses.end(),
        [](const ContactAddress& a) { return a.Type() == ADDR_POSTAL; });
    ASSERT_NE(postal, read.m_addresses.end());
    EXPECT_EQ(postal->m_strStreet, "Apartado 55");
    EXPECT_EQ(postal->m_strZip, "28080");
    EXPECT_EQ(FormatFieldText(read, FID_HOME_STREET), "Calle del Sol 7, 3\xc2\xba");
    EXPECT_EQ(read.m_addresses.size(), 3u);
}

TEST_F(ExchangeFileTest, AMergeTakesWhatTheCardCarriesAndKeepsWhatTheUserTyped)
{
    Book* book = NewBook("Friends", m_dm.GetRootBook());
    Contact* ann = AddNamed("Ann Lee", book);
    ann->m_strFirstName = "Ann";
    ann->m_strLastName = "Lee";
    ann->m_strSpouse = "Sam";
    ann->m_strNotes = "typed";
    ann->m_phones = {{1 | CV_DEFAULT_HOME_PHONE, "555-0001"}, {5 | 0x40000000, "555-0005"}};
    ann->m_addresses = {{ADDR_HOME | ADDR_DEFAULT, "1 Elm St", "Springfield", "IL", "62701", "USA", 2, 0}};
    ann->m_dtCreated = Day(2020, 1, 2);
    ann->m_dtModified = Day(2020, 1, 3);
    const Contact typed = *ann;
    // A phone's program writes the card again: a new mobile, an e-mail, a
    // note and a new city; nothing of the spouse or the home phone.
    Put("ann.vcf",
        "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Lee;Ann;;;\r\nFN:Ann Lee\r\nTEL;TYPE=CELL:555-0099\r\n"
        "EMAIL;TYPE=INTERNET,HOME:ann@example.com\r\nNOTE:from the phone\r\n"
        "ADR;TYPE=HOME:;;;Shelbyville;;;\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Bob Roe\r\nEND:VCARD\r\n");
    const IEOutcome outcome = Import(IEF_VCARD, "ann.vcf", book, false);
    ASSERT_EQ(outcome.result, 0u);
    EXPECT_EQ(Names(book), (std::vector<std::string>{"Ann Lee", "Bob Roe"}));
    EXPECT_EQ(ann->m_strSpouse, "Sam");
    EXPECT_EQ(ann->m_strNotes, "from the phone");
    EXPECT_EQ(FormatFieldText(*ann, FID_HOME_PHONE), "555-0001");
    EXPECT_EQ(FormatFieldText(*ann, FID_FIRST_PHONE + 4), "555-0099");  // Home Mobile
    EXPECT_EQ(ann->m_phones.size(), 2u);
    EXPECT_EQ(FormatFieldText(*ann, FID_HOME_EMAIL), "ann@example.com");
    EXPECT_EQ(FormatFieldText(*ann, FID_HOME_ADDRESS), "1 Elm St Shelbyville IL, 62701 USA");
    EXPECT_EQ(ann->m_addresses.size(), 1u);
    EXPECT_EQ(ann->m_dtCreated, typed.m_dtCreated);
    EXPECT_NE(ann->m_dtModified, typed.m_dtModified);
    EXPECT_EQ(ann->m_books, typed.m_books);

    // Added and updated are told apart, as a plain report.
    EXPECT_EQ(outcome.updated, 1u);
    EXPECT_EQ(OutcomeText(outcome),
        "Successfully imported 0 book(s) and 1 new contact(s), and updated 1 contact(s) of the same name.");
    ReportOutcome(outcome, nullptr);
    EXPECT_EQ(ShownIcon(), MB_ICONINFORMATION);
}

TEST_F(ExchangeFileTest, ExportsLeaveDeletedItemsOutUnlessChosenAndImportsNeverMakeASecond)
{
    Book* root = m_dm.GetRootBook();
    Book* deleted = m_dm.GetDeletedItemsBook();
    Book* people = NewBook("People", root);
    AddNamed("Ann", people);
    ASSERT_EQ(m_dm.DeleteContact(AddNamed("Gone", people), true), 0u);
    Book* old = NewBook("Old", people);
    AddNamed("Olga", old);
    ASSERT_EQ(m_dm.DeleteBook(old, false), 0u);
    SaveFieldList(false, {FID_NAME});
    for (const auto& [format, file] :
        {std::pair{IEF_VCARD, "all.vcf"}, {IEF_CSV, "all.csv"}, {IEF_DATA_FILE, "all.dtv"}}) {
        SCOPED_TRACE(file);
        ASSERT_EQ(Export(format, file, root).result, 0u);
        const QByteArray bytes = Contents(file);
        EXPECT_TRUE(bytes.contains("Ann"));
        EXPECT_FALSE(bytes.contains("Gone"));
        EXPECT_FALSE(bytes.contains("Olga"));
        EXPECT_FALSE(bytes.contains("Deleted Items"));
    }
    // Chosen itself, "Deleted Items" goes out with what is under it.
    ASSERT_EQ(Export(IEF_VCARD, "deleted.vcf", deleted).result, 0u);
    EXPECT_TRUE(Contents("deleted.vcf").contains("FN:Gone"));
    EXPECT_TRUE(Contents("deleted.vcf").contains("FN:Olga"));
    ASSERT_EQ(Export(IEF_DATA_FILE, "deleted.dtv", deleted).result, 0u);

    // An older Tolva's export of a whole store carried its "Deleted Items"
    // as a book flagged so; this one stands in for it while it is written.
    Book* older = NewBook("Deleted Items", root);
    older->m_dwFlags |= DIF_DELETED_ITEMS;
    AddNamed("Zed", older);
    NewBook("Older book", older);
    ASSERT_EQ(Export(IEF_DATA_FILE, "older.dtv", root).result, 0u);
    ASSERT_EQ(m_dm.DeleteBook(older, true), 0u);
    ASSERT_EQ(BooksNamed("Deleted Items"), 1);

    const std::vector<std::string> before = Names(deleted);
    Book* into = NewBook("Into", root);
    ASSERT_EQ(Import(IEF_DATA_FILE, "deleted.dtv", into).result, 0u);
    ASSERT_EQ(Import(IEF_DATA_FILE, "older.dtv", into).result, 0u);
    ASSERT_EQ(Import(IEF_DATA_FILE, "older.dtv", root, false).result, 0u);
    EXPECT_EQ(BooksNamed("Deleted Items"), 1);
    EXPECT_EQ(m_dm.GetDeletedItemsBook(), deleted);
    // The deleted contacts and books stay deleted, in this store's book.
    std::vector<std::string> now = Names(deleted);
    EXPECT_EQ(std::count(now.begin(), now.end(), "Gone"), 2);
    EXPECT_EQ(std::count(now.begin(), now.end(), "Zed"), 2);
    EXPECT_EQ(now.size(), before.size() + 3);
    EXPECT_NE(m_dm.FindChildBook(deleted, "Older book"), nullptr);
    EXPECT_NE(m_dm.FindChildBook(deleted, "Old"), nullptr);
    EXPECT_EQ(m_dm.FindChildBook(into, "Old"), nullptr);
    // The rest of the file came in as it was.
    EXPECT_EQ(Names(m_dm.FindChildBook(m_dm.FindChildBook(into, "Contacts"), "People")),
        (std::vector<std::string>{"Ann"}));
}

TEST_F(ExchangeFileTest, AContactOfSeveralBooksIsWrittenOncePerFile)
{
    Book* people = NewBook("People", m_dm.GetRootBook());
    Book* work = NewBook("Work", people);
    Contact* ann = AddNamed("Ann", people);
    ASSERT_EQ(m_dm.AddContactToBook(ann, work), 0u);
    AddNamed("Bob", work);
    SaveFieldList(false, {FID_NAME});
    SaveFieldList(true, {FID_NAME});
    for (const auto& [format, file] :
        {std::pair{IEF_VCARD, "p.vcf"}, {IEF_CSV, "p.csv"}, {IEF_TSV, "p.txt"}}) {
        SCOPED_TRACE(file);
        ASSERT_EQ(Export(format, file, people).result, 0u);
        Book* back = NewBook("Back", m_dm.GetRootBook());
        ASSERT_EQ(Import(format, file, back).result, 0u);
        EXPECT_EQ(Names(back), (std::vector<std::string>{"Ann", "Bob"}));
    }
}

TEST_F(ExchangeFileTest, AHeaderRowMapsTheColumnsThatNameFields)
{
    Book* book = NewBook("People", m_dm.GetRootBook());
    m_dm.AddContact(std::make_unique<Contact>(FullContact()), book);
    const Contact& full = *Only(book);
    std::vector<u32> importable;
    for (const u32 id : DefaultExportFields())
        if (IsImportableField(id))
            importable.push_back(id);
    // Every field, then a few in an order of the user's: each read back into
    // its own field, also after an earlier import stored another mapping.
    const std::vector<u32> chosen
        = {FID_NOTES, FID_NAME, FID_FIRST_EMAIL + 5, FID_BIRTHDAY, FID_BUSINESS_STREET + 1};
    for (const bool stored : {false, true}) {
        for (const auto& [format, file, fields] : {std::tuple{IEF_CSV, "all.csv", DefaultExportFields()},
                 {IEF_TSV, "all.txt", DefaultExportFields()}, {IEF_CSV, "some.csv", chosen},
                 {IEF_TSV_DOS, "some.txt", chosen}}) {
            SCOPED_TRACE(std::string(file) + (stored ? " after another mapping" : ""));
            Profile::Remove("DataMan", "ImportFields");
            if (stored)
                SaveFieldList(true, {FID_FIRST_NAME, FID_LAST_NAME, FID_COMPANY, FID_HOME_PHONE});
            SaveFieldList(false, fields);
            ASSERT_EQ(Export(format, file, book, false).result, 0u);
            Book* back = NewBook("Back", m_dm.GetRootBook());
            ASSERT_EQ(Import(format, file, back).result, 0u);
            const bool all = fields.size() > chosen.size();
            ExpectSameFields(full, *Only(back), all ? importable : chosen);
        }
    }

    // A spreadsheet's names: those that are captions, letter case and
    // blanks aside, read their fields; the others wait for the user.
    Profile::Remove("DataMan", "ImportFields");
    Put("sheet.csv",
        "\xEF\xBB\xBF"
        "First Name,Last Name,E-mail Address,Mobile Phone,Nickname,Job Title,Birthday\r\n"
        "Jane,Doe,jane@example.com,+1 555 0100,JD,Editor,5/17/1982\r\n");
    IEWizard wizard;
    ASSERT_TRUE(WalkToFile(wizard, IED_IMPORT, IEF_CSV, book, Path("sheet.csv")));
    std::vector<u32> proposed;
    for (const IEMappingRow& row : wizard.m_fields.m_rows)
        proposed.push_back(row.checked ? row.fieldId : 0);
    EXPECT_EQ(proposed,
        (std::vector<u32>{FID_FIRST_NAME, FID_LAST_NAME, 0, 0, FID_NICK_NAME, FID_JOB_TITLE, FID_BIRTHDAY}));

    // A mapping stored without the columns' names says nothing of them: no
    // column is read by its place.
    SaveFieldList(true, {FID_NAME, FID_COMPANY, FID_HOME_EMAIL, FID_BIRTHDAY});
    IEWizard again;
    ASSERT_TRUE(WalkToFile(again, IED_IMPORT, IEF_CSV, book, Path("sheet.csv")));
    EXPECT_EQ(Proposed(again),
        (std::vector<u32>{FID_FIRST_NAME, FID_LAST_NAME, 0, 0, FID_NICK_NAME, FID_JOB_TITLE, FID_BIRTHDAY}));
    ASSERT_TRUE(again.Finish());
    ASSERT_EQ(RunImportExport(again, m_dm, nullptr).result, 0u);
    const Contact& jane = *m_dm.GetContactAt(m_dm.GetContactCount() - 1);
    EXPECT_EQ(jane.m_strName, "Jane Doe");
    EXPECT_TRUE(jane.m_emails.empty());
    EXPECT_TRUE(jane.m_phones.empty());
    EXPECT_EQ(jane.m_dtBirthday, Day(1982, 5, 17));
}

TEST_F(ExchangeFileTest, ValuesThatCannotBeReadAreCountedAndLogged)
{
    Book* book = NewBook("People", m_dm.GetRootBook());
    Put("people.csv",
        "Name,Birthday,Gender,Anniversary\r\n"
        "Ann,1982-13-17,F,\r\n"
        "Bob,05/17/1982,Male,12/31/1999\r\n"
        "Cy,,Unspecified,31/12/1999\r\n");
    const IEOutcome outcome = Import(IEF_CSV, "people.csv", book);
    ASSERT_EQ(outcome.result, 0u);
    EXPECT_EQ(Names(book), (std::vector<std::string>{"Ann", "Bob", "Cy"}));
    const std::string text = OutcomeText(outcome);
    EXPECT_EQ(text,
        "Successfully imported 0 book(s) and 3 contact(s).\n\n"
        "3 value(s) of the file could not be read and were left out:\n"
        "- row 2, Birthday: \"1982-13-17\"\n- row 2, Gender: \"F\"\n- row 4, Anniversary: \"31/12/1999\"\n"
        "The error log lists every problem.");
    const std::string log = Contents("tolva_error.log").toStdString();
    EXPECT_NE(log.find("people.csv: values that could not be read were left out"), std::string::npos) << log;
    EXPECT_NE(log.find("row 2, Birthday: \"1982-13-17\""), std::string::npos) << log;
    ReportOutcome(outcome, nullptr);
    EXPECT_EQ(ShownIcon(), MB_ICONEXCLAMATION);

    // A card's birthday without a year says so too.
    Put("md.vcf", "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Dee\r\nBDAY:--0517\r\nEND:VCARD\r\n");
    const std::string cards = OutcomeText(Import(IEF_VCARD, "md.vcf", book));
    EXPECT_NE(
        cards.find("- the birthday \"--0517\" is no date with a year and was left out"), std::string::npos)
        << cards;
}

TEST_F(ExchangeFileTest, NumbersAndAddressesWrittenAsLinksKeepOnlyWhatTheyLinkTo)
{
    Put("links.vcf",
        "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Marie Curie\r\nTEL;VALUE=uri;TYPE=cell:tel:+33-6-12-34-56-78\r\n"
        "TEL;VALUE=uri;TYPE=\"work,voice\":TEL:+33-1-44-27-00-00\r\nEMAIL;TYPE=work:mailto:marie@example."
        "fr\r\n"
        "END:VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Sam Roe\r\nTEL:tel:+1-555-0100\r\nTEL;TYPE=HOME,FAX:telephone "
        "555\r\n"
        "EMAIL;TYPE=INTERNET:MAILTO:sam@example.com\r\nEND:VCARD\r\n");
    Book* book = NewBook("Links", m_dm.GetRootBook());
    ASSERT_EQ(Import(IEF_VCARD, "links.vcf", book).result, 0u);
    const Contact& marie = *m_dm.GetContactAt(m_dm.GetContactCount() - 2);
    const Contact& sam = *m_dm.GetContactAt(m_dm.GetContactCount() - 1);
    EXPECT_EQ(FormatFieldText(marie, FID_FIRST_PHONE + 4), "+33-6-12-34-56-78");
    EXPECT_EQ(FormatFieldText(marie, FID_BUSINESS_PHONE), "+33-1-44-27-00-00");
    EXPECT_EQ(FormatFieldText(marie, FID_BUSINESS_EMAIL), "marie@example.fr");
    EXPECT_EQ(FormatFieldText(sam, FID_HOME_PHONE), "+1-555-0100");
    EXPECT_EQ(FormatFieldText(sam, FID_FIRST_PHONE + 3), "telephone 555");
    EXPECT_EQ(FormatFieldText(sam, FID_BUSINESS_EMAIL), "sam@example.com");
}

TEST_F(ExchangeFileTest, AClearedAllowDuplicatesMergesDelimitedFilesByName)
{
    PutData("mail_client.csv");
    Book* book = NewBook("People", m_dm.GetRootBook());
    ASSERT_EQ(Import(IEF_CSV, "mail_client.csv", book).contacts, 3u);
    const std::vector<std::string> people{"Ann Lee", "Bob J. Roe", "Cy Doe"};
    ASSERT_EQ(Names(book), people);
    const_cast<Contact&>(Named("Ann Lee")).m_strSpouse = "Sam";
    // Tolva's own file and the mail client's again, with the box clear.
    ASSERT_EQ(Export(IEF_CSV, "own.csv", book).result, 0u);
    for (const char* file : {"own.csv", "mail_client.csv"}) {
        const IEOutcome outcome = Import(IEF_CSV, file, book, false);
        EXPECT_EQ(OutcomeText(outcome).substr(0, 96),
            "Successfully imported 0 book(s) and 0 new contact(s), "
            "and updated 3 contact(s) of the same name.")
            << file;
        EXPECT_EQ(Names(book), people);
    }
    EXPECT_EQ(Named("Ann Lee").m_strSpouse, "Sam");
    EXPECT_EQ(Named("Ann Lee").m_phones.size(), 1u);
    // Allowed, they come in beside them.
    ASSERT_EQ(Import(IEF_CSV, "own.csv", book).updated, 0u);
    EXPECT_EQ(Names(book).size(), 6u);
}

TEST_F(ExchangeFileTest, AStoredMappingMeetsTheNextFileByColumnName)
{
    PutData("mail_client.csv");
    PutData("spreadsheet.csv");
    Book* book = NewBook("People", m_dm.GetRootBook());
    IEWizard mail;
    ASSERT_TRUE(WalkToFile(mail, IED_IMPORT, IEF_CSV, book, Path("mail_client.csv")));
    mail.m_fields.ChangeMapping(RowNamed(mail, "E-mail Address"), FID_HOME_EMAIL);
    mail.m_fields.ChangeMapping(RowNamed(mail, "Mobile Phone"), FID_FIRST_PHONE + 4);  // Home Mobile
    ASSERT_TRUE(mail.Finish());
    ASSERT_EQ(RunImportExport(mail, m_dm, nullptr).result, 0u);
    // The spreadsheet's own order: the names mapped keep their fields, and
    // one that matches nothing reads nothing, whatever stood at its place.
    IEWizard sheet;
    ASSERT_TRUE(WalkToFile(sheet, IED_IMPORT, IEF_CSV, book, Path("spreadsheet.csv")));
    EXPECT_EQ(Proposed(sheet),
        (std::vector<u32>{FID_FIRST_NAME, FID_LAST_NAME, FID_HOME_EMAIL, FID_FIRST_PHONE + 4, FID_BIRTHDAY,
            FID_COMPANY, 0}));
    ASSERT_TRUE(sheet.Finish());
    ASSERT_EQ(RunImportExport(sheet, m_dm, nullptr).result, 0u);
    const Contact& jane = Named("Jane Doe");
    EXPECT_EQ(FormatFieldText(jane, FID_FIRST_PHONE + 4), "+1 555 0100");
    EXPECT_EQ(FormatFieldText(jane, FID_HOME_EMAIL), "jane@example.com");
    EXPECT_EQ(jane.m_strNickName + jane.m_strTitle, "");
}

TEST_F(ExchangeFileTest, TheReportNamesTheColumnsNotImportedAndReadsYearFirstDates)
{
    PutData("mail_client.csv");
    PutData("spreadsheet.csv");
    const IEOutcome outcome = Import(IEF_CSV, "mail_client.csv", NewBook("Mail", m_dm.GetRootBook()));
    EXPECT_EQ(OutcomeText(outcome),
        "Successfully imported 0 book(s) and 3 contact(s).\n\n"
        "6 column(s) of the file were not imported, and the values they held were left out: "
        "\"E-mail Address\" (3 value(s)), \"E-mail 2 Address\" (1 value(s)), \"Mobile Phone\" (2 value(s)), "
        "\"Business Postal Code\" (1 value(s)), \"Home Postal Code\" (1 value(s)), \"Web Page\" (1 "
        "value(s)).");
    ReportOutcome(outcome, nullptr);
    EXPECT_EQ(ShownIcon(), MB_ICONEXCLAMATION);
    // However many there are, the message names a screenful.
    QByteArray wide = "Name", values = "Ann";
    for (int i = 0; i < 1000; ++i)
        wide += ",c" + QByteArray::number(i), values += ",v";
    Put("wide.csv", wide + "\r\n" + values + "\r\n");
    const std::string text = OutcomeText(Import(IEF_CSV, "wide.csv", NewBook("Wide", m_dm.GetRootBook())));
    EXPECT_NE(text.find("1000 column(s) of the file were not imported"), std::string::npos) << text;
    EXPECT_NE(text.find("\"c19\" (1 value(s)) and 980 more."), std::string::npos) << text;

    // A spreadsheet's "1982-05-17" under every date order.
    for (const int order : {IDF_MONTH_DAY_YEAR, IDF_DAY_MONTH_YEAR, IDF_YEAR_MONTH_DAY}) {
        Book* book = NewBook("Sheet", m_dm.GetRootBook());
        IEWizard wizard;
        ASSERT_TRUE(WalkToFile(wizard, IED_IMPORT, IEF_CSV, book, Path("spreadsheet.csv")));
        wizard.m_state.m_nDateFormat = order;
        ASSERT_TRUE(wizard.Finish());
        const std::string text = OutcomeText(RunImportExport(wizard, m_dm, nullptr));
        EXPECT_EQ(text.find("could not be read"), std::string::npos) << text;
        size_t position = 0;
        EXPECT_EQ(book->GetNextContact(m_dm, position)->m_dtBirthday, Day(1982, 5, 17)) << order;
        EXPECT_EQ(book->GetNextContact(m_dm, position)->m_dtBirthday, Day(1975, 11, 2)) << order;
    }
}

TEST_F(ExchangeFileTest, TolvasOwnFilesReadBackKeepTheDefaultAddressAndCountTheBooksThatAppear)
{
    Book* root = m_dm.GetRootBook();
    Book* book = NewBook("People", root);
    const ContactAddress home{ADDR_HOME, "1 Elm St", "Springfield", "IL", "62701", "USA", 2, 0};
    const ContactAddress work{
        ADDR_BUSINESS | ADDR_DEFAULT, "9 Main St", "Chicago", "IL", "60601", "USA", 1, 0};
    AddNamed("Ann Lee", book)->m_addresses = {home, work};
    // The file's root gives way to this one's, and merged, its book meets
    // the one of its name: one book appears, then none.
    ASSERT_EQ(Export(IEF_DATA_FILE, "all.dtv", root).result, 0u);
    EXPECT_EQ(OutcomeText(Import(IEF_DATA_FILE, "all.dtv", root)),
        "Successfully imported 1 book(s) and 1 contact(s).");
    EXPECT_EQ(Import(IEF_DATA_FILE, "all.dtv", root, false).books, 0u);
    EXPECT_EQ(BooksNamed("People"), 2);

    ASSERT_EQ(Export(IEF_CSV, "own.csv", book).result, 0u);
    Book* back = NewBook("Back", root);
    // Nothing of the whole addresses is lost: their parts came in.
    EXPECT_EQ(
        OutcomeText(Import(IEF_CSV, "own.csv", back)), "Successfully imported 0 book(s) and 1 contact(s).");
    EXPECT_EQ(FormatFieldText(*Only(back), FID_DEFAULT_ADDRESS), "9 Main St Chicago IL, 60601 USA");
}
