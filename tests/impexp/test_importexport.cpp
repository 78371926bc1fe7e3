// The delimited-text and vCard drivers against a real store.
#include "contacttesting.h"
#include "core/datafile.h"
#include "core/dataman.h"
#include "core/userman.h"
#include "core/utilities.h"
#include "impexp/iesheetstate.h"
#include "impexp/vcardimport.h"
#include "wizardtesting.h"

#include <QFile>
#include <algorithm>
#include <map>

namespace {

class ImportExportTest : public WizardStoreTest {
protected:
    Contact* Add(const Contact& contact, Book* book)
    {
        int index = -1;
        EXPECT_EQ(m_dm.AddContact(std::make_unique<Contact>(contact), book, &index), 0u);
        return m_dm.GetContactAt(index);
    }
    std::vector<const Contact*> Members(const Book* book) const
    {
        std::vector<const Contact*> contacts;
        size_t position = 0;
        while (const Contact* c = book->GetNextContact(m_dm, position))
            contacts.push_back(c);
        return contacts;
    }
    // Exports the book with the defaults and imports the file into a new book.
    Book* RoundTrip(Book* from, char separator, bool oem)
    {
        m_sheet.m_pTargetBook = from;
        m_sheet.m_chSeparator = separator;
        m_sheet.m_bOem = oem;
        m_sheet.m_strExportPath = m_sheet.m_strImportPath = Path("round.txt");
        m_sheet.m_fields = DefaultExportFields();
        EXPECT_EQ(m_sheet.ExportDelimitedText(m_dm), 0u);
        Book* into = NewBook("Back", m_dm.GetRootBook());
        m_sheet.m_pTargetBook = into;
        m_sheet.m_fields = DefaultImportFields();
        EXPECT_EQ(m_sheet.ImportDelimitedText(m_dm), 0u) << m_sheet.m_strError;
        return into;
    }

    IESheetState m_sheet;
};

std::vector<u32> ImportedFields()
{
    std::vector<u32> ids;
    for (const u32 id : DefaultImportFields())
        if (id != 0)
            ids.push_back(id);
    return ids;
}

}  // namespace

TEST_F(ImportExportTest, DefaultExportReimportsIntoTheSameFields)
{
    Book* book = NewBook("People", m_dm.GetRootBook());
    Contact sparse;
    sparse.m_strFirstName = "Bo";
    sparse.m_phones = {{CV_DEFAULT_BUSINESS_PHONE | 12, "555"}};
    const Contact* contacts[] = {Add(FullContact(), book), Add(sparse, book)};
    for (const auto& [separator, oem] : {std::pair{',', false}, {'\t', false}, {',', true}, {'\t', true}}) {
        SCOPED_TRACE(std::string(1, separator) + (oem ? " DOS" : ""));
        const std::vector<const Contact*> back = Members(RoundTrip(book, separator, oem));
        ASSERT_EQ(back.size(), 2u);
        // The nameless contact got a name, and empty columns made nothing.
        Contact named = *contacts[1];
        named.m_strName = "Bo";
        ExpectSameFields(*contacts[0], *back[0], ImportedFields());
        ExpectSameFields(named, *back[1], ImportedFields());
        EXPECT_EQ(back[1]->m_phones.size(), 1u);
        EXPECT_TRUE(back[1]->m_emails.empty() && back[1]->m_web.empty() && back[1]->m_addresses.empty());
    }
}

TEST_F(ImportExportTest, PhoneColumnsKeepTheFieldsThatShowThem)
{
    // Phones as the contact's pages leave them when each field is typed
    // in: home 1, 2, mobile and fax, business 1, 2 and fax; the other types
    // in no field.
    const std::map<u32, u32> fieldFlags = {{1, 0x10000000}, {2, 0x20000000}, {5, 0x40000000}, {4, 0x80000000},
        {11, 0x01000000}, {12, 0x02000000}, {14, 0x04000000}};
    const auto flagOf = [&](u32 type) { return fieldFlags.contains(type) ? fieldFlags.at(type) : 0u; };
    Book* book = NewBook("Phones", m_dm.GetRootBook());
    Contact every;
    every.m_strName = "Every";
    for (u32 type = 1; type <= kPhoneTypeCount; ++type)
        every.m_phones.push_back({type | flagOf(type), "555 " + std::to_string(type)});
    Contact mobile;
    mobile.m_strName = "Mobile";
    mobile.m_phones = {{5 | flagOf(5), "5"}};
    Contact faxes;
    faxes.m_strName = "Faxes";
    faxes.m_phones = {{14 | flagOf(14), "14"}, {4 | flagOf(4), "4"}, {13, "13"}};
    const Contact* originals[] = {Add(every, book), Add(mobile, book), Add(faxes, book)};
    const std::vector<const Contact*> back = Members(RoundTrip(book, ',', false));
    ASSERT_EQ(back.size(), 3u);
    for (size_t i = 0; i < back.size(); ++i) {
        auto sorted = [](ContactPhoneArray phones) {
            std::sort(phones.begin(), phones.end(),
                [](const ContactValue& a, const ContactValue& b) { return a.Type() < b.Type(); });
            return phones;
        };
        EXPECT_EQ(sorted(back[i]->m_phones), sorted(originals[i]->m_phones)) << originals[i]->m_strName;
    }
}

TEST_F(ImportExportTest, ImportSkipsWhatHoldsNothingAndNamesTheNameless)
{
    Put("in.csv",
        "Company,Email,Phone,Birthday\r\n"
        ",,,\r\n"
        "\r\n"
        "Acme,,,\n"
        ",solo@example.org,,\n"
        ",,\"555, ext. 2\",12/31/1899\n"
        "\"Quote \"\"Q\"\" Inc\",,,\r\n");
    m_sheet.m_strImportPath = Path("in.csv");
    m_sheet.m_fields = {FID_COMPANY, FID_FIRST_EMAIL, FID_HOME_PHONE, FID_BIRTHDAY};
    ASSERT_EQ(m_sheet.ImportDelimitedText(m_dm), 0u);
    EXPECT_EQ(m_sheet.m_nContactsImported, 4u);
    const auto contacts = Members(m_dm.GetCurrentBook());
    ASSERT_EQ(contacts.size(), 4u);
    EXPECT_EQ(contacts[0]->m_strName, "Acme");
    EXPECT_EQ(contacts[1]->m_strName, "solo@example.org");
    EXPECT_EQ(contacts[2]->m_strName, "");
    EXPECT_EQ(contacts[2]->m_phones, (ContactPhoneArray{{CV_DEFAULT_HOME_PHONE | 1, "555, ext. 2"}}));
    EXPECT_EQ(contacts[2]->m_dtBirthday, Day(1899, 12, 31));
    EXPECT_EQ(contacts[3]->m_strCompany, "Quote \"Q\" Inc");
    for (const Contact* c : contacts)
        EXPECT_TRUE(c->m_addresses.empty());

    // Nothing imported, a file that is not text, no file: each a failure.
    Put("names.csv", "Company\r\n");
    m_sheet.m_strImportPath = Path("names.csv");
    EXPECT_EQ(m_sheet.ImportDelimitedText(m_dm), RC_MISSING);
    Put("nul.csv", QByteArray("Company\r\nAcme\0,x\r\n", 17));
    m_sheet.m_strImportPath = Path("nul.csv");
    EXPECT_EQ(m_sheet.ImportDelimitedText(m_dm), RC_MISSING);
    EXPECT_NE(m_sheet.m_strError.find("NUL"), std::string::npos);
    m_sheet.m_strImportPath = Path("missing.csv");
    EXPECT_EQ(m_sheet.ImportDelimitedText(m_dm), RC_CANNOT_OPEN);
    ASSERT_EQ(m_messages.shown.size(), 1u);
    EXPECT_NE(m_messages.shown[0].text.find("The file could not be located."), std::string::npos);
    EXPECT_EQ(Members(m_dm.GetCurrentBook()).size(), 4u);
}

TEST_F(ImportExportTest, ExportWalksSubBooksDepthFirst)
{
    Book* top = NewBook("Top", m_dm.GetRootBook());
    Book* a = NewBook("A", top);
    Book* a1 = NewBook("A1", a);
    Book* b = NewBook("B", top);
    Contact c;
    for (const auto& [name, book] : {std::pair{"t", top}, {"a", a}, {"a1", a1}, {"b", b}}) {
        c.m_strName = name;
        Add(c, book);
    }
    Contact* shared = m_dm.GetContactAt(m_dm.GetContactCount() - 1);
    m_dm.AddContactToBook(shared, a1);
    m_sheet.m_pTargetBook = top;
    m_sheet.m_strExportPath = Path("out.txt");
    m_sheet.m_chSeparator = '\t';
    m_sheet.m_fields = {FID_NAME, FID_BIRTHDAY};
    EXPECT_EQ(m_sheet.ExportDelimitedText(m_dm), 0u);
    // The contact of two books is written once, with the first.
    EXPECT_EQ(Contents("out.txt"), "Name\tBirthday\r\nt\t\r\na\t\r\na1\t\r\nb\t\r\n");
    m_sheet.m_nDuplicatesFlag = 1;  // sub-books left out
    EXPECT_EQ(m_sheet.ExportDelimitedText(m_dm), 0u);
    EXPECT_EQ(Contents("out.txt"), "Name\tBirthday\r\nt\t\r\n");

    // A file that cannot be written leaves what was there.
    m_sheet.m_strExportPath = Path("no/such/folder/out.txt");
    EXPECT_EQ(m_sheet.ExportDelimitedText(m_dm), RC_CANNOT_OPEN);
    EXPECT_EQ(m_messages.shown.size(), 1u);
}

TEST_F(ImportExportTest, VCardFilesInAndOut)
{
    FixedClock clock;
    Contact ann;
    ann.m_strName = "Ann";
    m_sheet.m_strExportPath = Path("ann.vcf");
    ASSERT_EQ(m_sheet.ExportContactVCard(ann), 0u);
    EXPECT_EQ(Contents("ann.vcf"),
        "BEGIN:VCARD\r\nVERSION:2.1\r\nFN:Ann\r\nREV:20240305T133015Z\r\nEND:VCARD\r\n\r\n");
    m_sheet.m_strExportPath = Path("no/such/folder/ann.vcf");
    EXPECT_EQ(m_sheet.ExportContactVCard(ann), RC_CANNOT_OPEN);
    EXPECT_EQ(m_messages.shown.size(), 1u);

    Book* book = NewBook("Cards", m_dm.GetRootBook());
    Contact old;
    old.m_strName = "ann";
    old.m_strNotes = "old";
    Contact* existing = Add(old, book);
    QFile file(ProgramPath("two.vcf"));
    Put("two.vcf",
        "BEGIN:VCARD\r\nFN:Ann\r\nNOTE:new\r\nEND:VCARD\r\nBEGIN:VCARD\r\nFN:Bob\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nFN:Bob\r\nNOTE:second\r\nEND:VCARD\r\n");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    u32 count = 0;
    // Merging: Ann updates the contact of that name, the second Bob the first.
    EXPECT_EQ(ImportVCardContacts(m_dm, &file, true, book, count), 0u);
    EXPECT_EQ(count, 3u);
    const auto merged = Members(book);
    ASSERT_EQ(merged.size(), 2u);
    EXPECT_EQ(merged[0], existing);
    EXPECT_EQ(existing->m_strNotes, "new");
    EXPECT_EQ(merged[1]->m_strNotes, "second");
    // Without merging every card is a new contact; an empty file is a failure.
    file.seek(0);
    EXPECT_EQ(ImportVCardContacts(m_dm, &file, false, nullptr, count), 0u);
    EXPECT_EQ(count, 3u);
    EXPECT_EQ(Members(m_dm.GetCurrentBook()).size(), 3u);
    Put("empty.vcf", "");
    QFile empty(ProgramPath("empty.vcf"));
    ASSERT_TRUE(empty.open(QIODevice::ReadOnly));
    EXPECT_EQ(ImportVCardContacts(m_dm, &empty, false, book, count), RC_MISSING);
    EXPECT_EQ(count, 0u);
}
