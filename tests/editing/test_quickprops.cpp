#include "controls/flatbutton.h"
#include "editing/datefield.h"
#include "editing/quickpropsdlg.h"
#include "editing/slotfields.h"
#include "editingtest.h"

#include <QDateEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

namespace {

class QuickPropsTest : public EditingTest {
protected:
    Contact* AddContact(Contact contact)
    {
        int index = -1;
        EXPECT_EQ(m_dataMan->AddContact(
                      std::make_unique<Contact>(std::move(contact)), m_dataMan->GetRootBook(), &index),
            0u);
        return m_dataMan->GetContactAt(index);
    }
    static int PressOk(CDialogQuickProps& dialog)
    {
        dialog.OkButton()->click();
        return dialog.isVisible() ? -1 : dialog.Finish(dialog.result());
    }
    static void Type(QLineEdit* edit, const QString& text)
    {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
};

}  // namespace

TEST_F(QuickPropsTest, DisplayNameIsBuiltFromTheNamesAndOkNeedsOne)
{
    CDialogQuickProps dialog(*m_dataMan, *m_userMan);
    dialog.StartNew("555-0199", {});
    ShowActive(dialog);
    EXPECT_EQ(dialog.windowTitle(), "New contact");
    EXPECT_FALSE(dialog.OkButton()->isEnabled());
    EXPECT_EQ(dialog.Slots()->Edit(0)->text(), "555-0199");
    Type(dialog.LastEdit(), "  Holm ");
    EXPECT_EQ(dialog.DisplayName(), "Holm");
    EXPECT_EQ(dialog.windowTitle(), "Holm properties");
    Type(dialog.FirstEdit(), "Nina");
    EXPECT_EQ(dialog.DisplayName(), "Nina Holm");
    EXPECT_TRUE(dialog.OkButton()->isEnabled());
    ASSERT_EQ(PressOk(dialog), IDOK);

    const auto stored = StoredContacts();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0]->m_strName, "Nina Holm");
    EXPECT_EQ(stored[0]->m_phones, (ContactPhoneArray{{0x10000001, "555-0199"}}));
    EXPECT_TRUE(stored[0]->m_addresses.empty());
}

TEST_F(QuickPropsTest, SwitchClosesWithoutAName)
{
    CDialogQuickProps dialog(*m_dataMan, *m_userMan);
    dialog.StartNew({}, {});
    ShowActive(dialog);
    dialog.SwitchButton()->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(m_messages.shown.empty());
    EXPECT_EQ(dialog.Finish(dialog.result()), IDOK);
    EXPECT_TRUE(dialog.m_bSwitchMode);
}

TEST_F(QuickPropsTest, CustomDisplayNameAndUnshownValuesAreKept)
{
    Contact only;
    only.m_strName = "The Plumber";
    Contact* plumber = AddContact(only);
    CDialogQuickProps dialog(*m_dataMan, *m_userMan);
    dialog.StartEdit(plumber);
    ShowActive(dialog);
    EXPECT_TRUE(dialog.OkButton()->isEnabled()) << "a contact with only a display name can be kept";
    ASSERT_EQ(PressOk(dialog), IDOK);
    EXPECT_EQ(plumber->m_strName, "The Plumber");

    Contact* full = AddContact(MakeFullContact());
    const Contact before = *full;
    CDialogQuickProps edit(*m_dataMan, *m_userMan);
    edit.StartEdit(full);
    ShowActive(edit);
    EXPECT_EQ(edit.StreetEdit()->toPlainText(), "2 Home Rd\nFlat 3") << "the first home address";
    Type(edit.CityEdit(), "Newtown");
    ASSERT_EQ(PressOk(edit), IDOK);
    EXPECT_EQ(full->m_strName, before.m_strName);
    ContactAddressArray addresses = before.m_addresses;
    addresses[1].m_strCity = "Newtown";
    EXPECT_EQ(full->m_addresses, addresses);
    EXPECT_EQ(full->m_web, before.m_web);
    EXPECT_EQ(full->m_phones, before.m_phones);
    EXPECT_EQ(full->m_books, before.m_books);
}

TEST_F(QuickPropsTest, ANewHomeAddressIsNeverASecondDefault)
{
    Contact worker;
    worker.m_strName = "Worker";
    worker.m_addresses = {{ADDR_BUSINESS | ADDR_DEFAULT, "1 Work St", {}, {}, {}, {}, 1, 0}};
    Contact* contact = AddContact(worker);
    CDialogQuickProps dialog(*m_dataMan, *m_userMan);
    dialog.StartEdit(contact);
    ShowActive(dialog);
    Type(dialog.CityEdit(), "Hometown");
    ASSERT_EQ(PressOk(dialog), IDOK);
    ASSERT_EQ(contact->m_addresses.size(), 2u);
    EXPECT_EQ(contact->m_addresses[1].m_dwType, ADDR_HOME);
    EXPECT_EQ(contact->m_addresses[1].m_dwFormat, 2u);

    Contact alone;
    alone.m_strName = "Alone";
    Contact* second = AddContact(alone);
    CDialogQuickProps again(*m_dataMan, *m_userMan);
    again.StartEdit(second);
    ShowActive(again);
    Type(again.CityEdit(), "Hometown");
    ASSERT_EQ(PressOk(again), IDOK);
    ASSERT_EQ(second->m_addresses.size(), 1u);
    EXPECT_EQ(second->m_addresses[0].m_dwType, ADDR_HOME | ADDR_DEFAULT);
}

TEST_F(QuickPropsTest, CancelAndUnchangedOkLeaveTheStoreAlone)
{
    Contact* contact = AddContact(MakeFullContact());
    ASSERT_EQ(m_dataMan->Save(DFK_DATA), 0u);
    const Contact before = *contact;
    const QByteArray file = DataFile();
    {
        CDialogQuickProps dialog(*m_dataMan, *m_userMan);
        dialog.StartEdit(contact);
        ShowActive(dialog);
        Type(dialog.FirstEdit(), "Changed");
        dialog.Slots()->PickTypeFor(1, 15);
        QTest::keyClick(dialog.FirstEdit(), Qt::Key_Escape);
        EXPECT_EQ(dialog.Finish(dialog.result()), IDCANCEL);
    }
    CDialogQuickProps dialog(*m_dataMan, *m_userMan);
    dialog.StartEdit(contact);
    ShowActive(dialog);
    ASSERT_EQ(PressOk(dialog), IDOK);
    EXPECT_EQ(contact->m_dtModified, before.m_dtModified);
    EXPECT_EQ(contact->m_strFirstName, before.m_strFirstName);
    EXPECT_EQ(contact->m_phones, before.m_phones);
    EXPECT_EQ(DataFile(), file);
}

TEST_F(QuickPropsTest, TheBirthdayShowsAndTakesAFourDigitYearUnderAnAmericanLocale)
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    Contact c;
    c.m_strName = c.m_strLastName = "Holm";
    c.m_dtBirthday = DateFromQDateTime(QDateTime(QDate(1931, 10, 9), QTime(0, 0)));
    Contact* contact = AddContact(c);
    CDialogQuickProps dialog(*m_dataMan, *m_userMan);
    dialog.StartEdit(contact);
    ShowActive(dialog);
    QDateEdit* edit = dialog.BirthdayField()->Edit();
    EXPECT_EQ(edit->text().toStdString(), "10/9/1931");
    EXPECT_GE(edit->width(), edit->sizeHint().width()) << "the four-digit year fits";
    edit->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(edit, "10151960");
    QTest::keyClick(edit, Qt::Key_Tab);
    const int result = PressOk(dialog);
    QLocale::setDefault(saved);
    ASSERT_EQ(result, IDOK);
    const auto stored = StoredContacts();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(
        DateToQDateTime(stored[0]->m_dtBirthday).date().toString(Qt::ISODate).toStdString(), "1960-10-15");
}
