// A year typed with two digits into the date controls of the contact
// dialogs is the year the user means, under the locales whose short dates
// show the year in two digits (en_US) and in four (de_DE).
#include "editing/contactpersonalpage.h"
#include "editing/contactpropsdlg.h"
#include "editing/datefield.h"
#include "editing/quickpropsdlg.h"
#include "editingtest.h"
#include "platform/oledate.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QPushButton>
#include <QTest>

namespace {

class TwoDigitYearTest : public EditingTest, public testing::WithParamInterface<QLocale::Territory> {
protected:
    void SetUp() override
    {
        EditingTest::SetUp();
        QLocale::setDefault(GetParam() == QLocale::Germany
                ? QLocale(QLocale::German, QLocale::Germany)
                : QLocale(QLocale::English, QLocale::UnitedStates));
    }
    void TearDown() override
    {
        QLocale::setDefault(m_saved);
        EditingTest::TearDown();
    }

    Contact* AddWithBirthday(const QDate& birthday)
    {
        auto contact = std::make_unique<Contact>();
        contact->m_strName = contact->m_strLastName = "Holm";
        contact->m_dtBirthday = DateFromQDateTime(QDateTime(birthday, QTime(0, 0)));
        int index = -1;
        EXPECT_EQ(m_dataMan->AddContact(std::move(contact), m_dataMan->GetRootBook(), &index), 0u);
        return m_dataMan->GetContactAt(index);
    }
    // Tabs into the control, on to its year, and types there.
    static void TypeYear(QDateEdit* edit, int twoDigits)
    {
        edit->setFocus(Qt::TabFocusReason);
        for (int i = 0; edit->sectionAt(i) != QDateTimeEdit::YearSection; ++i)
            QTest::keyClick(edit, Qt::Key_Tab);
        QTest::keyClicks(edit, Digits(twoDigits));
    }
    // The whole date typed in the order the locale shows it.
    static void TypeDate(QDateEdit* edit, int month, int day, int twoDigits)
    {
        edit->setFocus(Qt::TabFocusReason);
        for (int i = 0; i < edit->sectionCount(); ++i) {
            const QDateTimeEdit::Section section = edit->sectionAt(i);
            QTest::keyClicks(edit,
                section == QDateTimeEdit::YearSection        ? Digits(twoDigits)
                    : section == QDateTimeEdit::MonthSection ? Digits(month)
                                                             : Digits(day));
            if (section == QDateTimeEdit::YearSection && i + 1 < edit->sectionCount())
                QTest::keyClick(edit, Qt::Key_Tab);
        }
    }
    template <class Dialog> static int PressOk(Dialog& dialog)
    {
        dialog.OkButton()->click();
        return dialog.isVisible() ? -1 : dialog.Finish(dialog.result());
    }
    static QString Digits(int value) { return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0')); }
    // Dates as text, so that a failure reads.
    static std::string Stored(const DateValue& value) { return Iso(DateToQDateTime(value).date()); }
    static std::string Iso(const QDate& date) { return date.toString(Qt::ISODate).toStdString(); }

    // Years as they are typed: decades back (a birthday) and a few ahead.
    const int m_thisYear = QDate::currentDate().year();
    const int m_longAgo = m_thisYear - 66;
    const int m_before = m_thisYear - 67;
    const int m_ahead = m_thisYear + 5;

private:
    QLocale m_saved;
};

}  // namespace

TEST_P(TwoDigitYearTest, TheContactDialogTakesTheCenturyMeant)
{
    Contact* contact = AddWithBirthday(QDate(1955, 7, 4));
    CDialogContactProps dialog(*m_dataMan, *m_userMan);
    dialog.StartEdit(contact);
    ShowActive(dialog);
    dialog.OnShowPage(CDialogContactProps::ID_PAGE_PERSONAL);
    CContactPersonalPage* page = dialog.PersonalPage();
    QDateEdit* birthday = page->BirthdayField()->Edit();
    TypeYear(birthday, m_longAgo % 100);
    QTest::keyClick(birthday, Qt::Key_Tab);
    EXPECT_EQ(Iso(birthday->date()), Iso(QDate(m_longAgo, 7, 4)));
    EXPECT_TRUE(birthday->text().contains(QString::number(m_longAgo))) << birthday->text().toStdString();

    QTest::mouseClick(page->AnniversaryField()->Check(), Qt::LeftButton);
    TypeDate(page->AnniversaryField()->Edit(), 11, 30, m_before % 100);
    QTest::keyClick(page->AnniversaryField()->Edit(), Qt::Key_Tab);
    ASSERT_EQ(PressOk(dialog), IDOK);
    EXPECT_EQ(Stored(contact->m_dtBirthday), Iso(QDate(m_longAgo, 7, 4)));
    EXPECT_EQ(Stored(contact->m_dtAnniversary), Iso(QDate(m_before, 11, 30)));
    const auto stored = StoredContacts();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(Stored(stored[0]->m_dtBirthday), Iso(QDate(m_longAgo, 7, 4)));
    EXPECT_EQ(Stored(stored[0]->m_dtAnniversary), Iso(QDate(m_before, 11, 30)));
}

TEST_P(TwoDigitYearTest, TheQuickDialogTakesTheCenturyMeant)
{
    Contact* contact = AddWithBirthday(QDate(1931, 10, 9));
    {
        // Left by Tab.
        CDialogQuickProps dialog(*m_dataMan, *m_userMan);
        dialog.StartEdit(contact);
        ShowActive(dialog);
        QDateEdit* birthday = dialog.BirthdayField()->Edit();
        TypeYear(birthday, m_ahead % 100);
        QTest::keyClick(birthday, Qt::Key_Tab);
        ASSERT_EQ(PressOk(dialog), IDOK);
        EXPECT_EQ(Stored(contact->m_dtBirthday), Iso(QDate(m_ahead, 10, 9)));
    }
    // Ended by Enter, which is OK here.
    CDialogQuickProps dialog(*m_dataMan, *m_userMan);
    dialog.StartEdit(contact);
    ShowActive(dialog);
    QDateEdit* birthday = dialog.BirthdayField()->Edit();
    TypeDate(birthday, 3, 15, m_before % 100);
    QTest::keyClick(birthday, Qt::Key_Return);
    ASSERT_FALSE(dialog.isVisible());
    ASSERT_EQ(dialog.Finish(dialog.result()), IDOK);
    const auto stored = StoredContacts();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(Stored(stored[0]->m_dtBirthday), Iso(QDate(m_before, 3, 15)));
}

INSTANTIATE_TEST_SUITE_P(Locales, TwoDigitYearTest, testing::Values(QLocale::UnitedStates, QLocale::Germany),
    [](const testing::TestParamInfo<QLocale::Territory>& info) {
        return info.param == QLocale::Germany ? std::string("de_DE") : std::string("en_US");
    });
