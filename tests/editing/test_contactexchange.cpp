// Contacts made in the contact dialog, exported and imported back through
// the wizard: every phone and e-mail returns to the field it was typed in.
#include "controls/flatbutton.h"
#include "editing/contactaddresspage.h"
#include "editing/contactgeneralpage.h"
#include "editing/contactpropsdlg.h"
#include "editing/contactservices.h"
#include "editing/slotfields.h"
#include "editingtest.h"
#include "impexp/fieldmapping.h"
#include "impexp/iedrivers.h"
#include "impexp/iewizard.h"

#include <QLineEdit>
#include <QTest>
#include <algorithm>
#include <functional>

namespace {

class ContactExchangeTest : public EditingTest {
protected:
    void TearDown() override
    {
        ContactServices() = {};
        EditingTest::TearDown();
    }

    static void Type(QLineEdit* edit, const QString& text)
    {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }

    // A new contact through the dialog: the name, then whatever fill types
    // into the Home and Business pages' fields; OK as the user presses it.
    void MakeInDialog(const QString& first, const std::function<void(CSlotFields&, CSlotFields&)>& fill)
    {
        CDialogContactProps dialog(*m_dataMan, *m_userMan);
        dialog.StartNew("", "");
        ShowActive(dialog);
        Type(dialog.GeneralPage()->FirstEdit(), first);
        Type(dialog.GeneralPage()->LastEdit(), QStringLiteral("Field"));
        fill(*dialog.HomePage()->Slots(), *dialog.BusinessPage()->Slots());
        dialog.OkButton()->click();
        ASSERT_FALSE(dialog.isVisible());
        ASSERT_EQ(dialog.Finish(dialog.result()), IDOK);
    }

    // Runs the wizard one way for the book and the file, through its pages.
    IEOutcome Run(int direction, int format, Book* book, const std::string& path)
    {
        IEWizard wizard;
        wizard.SetDirection(direction);
        EXPECT_TRUE(wizard.Next());
        wizard.SelectFormat(format);
        EXPECT_TRUE(wizard.Next());
        wizard.m_state.m_pTargetBook = book;
        EXPECT_TRUE(wizard.Next());
        wizard.Path() = path;
        if (wizard.HasFieldsPage()) {
            EXPECT_TRUE(wizard.Next());
        }
        EXPECT_TRUE(wizard.Finish());
        return RunImportExport(wizard, *m_dataMan, nullptr);
    }

    std::vector<const Contact*> Members(const Book* book) const
    {
        std::vector<const Contact*> contacts;
        size_t position = 0;
        while (const Contact* c = book->GetNextContact(*m_dataMan, position))
            contacts.push_back(c);
        return contacts;
    }
};

// The values with their flags, in type order.
std::vector<std::pair<u32, std::string>> Codes(std::vector<ContactValue> values)
{
    std::sort(values.begin(), values.end(),
        [](const ContactValue& a, const ContactValue& b) { return a.Type() < b.Type(); });
    std::vector<std::pair<u32, std::string>> codes;
    for (const ContactValue& v : values)
        codes.emplace_back(v.m_dwCode, v.m_strText);
    return codes;
}

}  // namespace

TEST_F(ContactExchangeTest, ExportedAndImportedContactsShowEachValueInItsField)
{
    auto made = std::make_unique<Book>();
    made->m_strName = "Made";
    Book* book = m_dataMan->AddBook(std::move(made), m_dataMan->GetRootBook());
    ASSERT_EQ(m_dataMan->SetCurrentBook(book), 0u);
    // Home: phone 1, 2, mobile, fax, e-mail 1, 2; Business: phone 1, 2,
    // fax, e-mail.
    MakeInDialog(QStringLiteral("Every"), [](CSlotFields& home, CSlotFields& business) {
        const char* homeTexts[]
            = {"555-0101", "555-0102", "555-0105", "555-0104", "ann@home.example", "a.field@home.example"};
        for (int i = 0; i < 6; ++i)
            Type(home.Edit(i), QString::fromLatin1(homeTexts[i]));
        const char* businessTexts[] = {"555-0111", "555-0112", "555-0114", "ann@work.example"};
        for (int i = 0; i < 4; ++i)
            Type(business.Edit(i), QString::fromLatin1(businessTexts[i]));
    });
    MakeInDialog(QStringLiteral("Devices"), [](CSlotFields& home, CSlotFields&) {
        Type(home.Edit(2), QStringLiteral("555-0205"));
        Type(home.Edit(3), QStringLiteral("555-0204"));
        Type(home.Edit(4), QStringLiteral("dev@home.example"));
    });
    // The second e-mail field set to "Home 3" before typing.
    MakeInDialog(QStringLiteral("Picked"), [](CSlotFields& home, CSlotFields& business) {
        Type(home.Edit(4), QStringLiteral("one@home.example"));
        home.PickTypeFor(5, 3);
        Type(home.Edit(5), QStringLiteral("three@home.example"));
        Type(business.Edit(0), QStringLiteral("555-0311"));
    });
    const std::vector<const Contact*> originals = Members(book);
    ASSERT_EQ(originals.size(), 3u);
    ASSERT_EQ(originals[0]->m_phones.size(), 7u);
    ASSERT_EQ(originals[0]->m_emails.size(), 3u);

    SaveFieldList(true, DefaultImportFields());
    for (const auto& [format, file] :
        {std::pair{IEF_VCARD, "made.vcf"}, {IEF_CSV, "made.csv"}, {IEF_TSV_DOS, "made.txt"}}) {
        SCOPED_TRACE(file);
        const std::string path = ProgramPath(QString::fromLatin1(file)).toStdString();
        ASSERT_EQ(Run(IED_EXPORT, format, book, path).result, 0u);
        auto into = std::make_unique<Book>();
        into->m_strName = std::string("Back ") + file;
        Book* back = m_dataMan->AddBook(std::move(into), m_dataMan->GetRootBook());
        ASSERT_EQ(Run(IED_IMPORT, format, back, path).result, 0u);
        const std::vector<const Contact*> imported = Members(back);
        ASSERT_EQ(imported.size(), originals.size());
        for (size_t i = 0; i < originals.size(); ++i) {
            EXPECT_EQ(imported[i]->m_strName, originals[i]->m_strName);
            EXPECT_EQ(Codes(imported[i]->m_phones), Codes(originals[i]->m_phones)) << originals[i]->m_strName;
            EXPECT_EQ(Codes(imported[i]->m_emails), Codes(originals[i]->m_emails)) << originals[i]->m_strName;
        }
    }
}
