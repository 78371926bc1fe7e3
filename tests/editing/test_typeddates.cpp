// A date typed into the contact dialog is kept as typed or refused with a
// message, never changed into another date, under a locale that shows the
// month first (en_US) and one that shows the day first (de_DE).
#include "editing/contactpersonalpage.h"
#include "editing/contactpropsdlg.h"
#include "editing/datefield.h"
#include "editingtest.h"
#include "platform/oledate.h"
#include "support/messagepicture.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QPushButton>
#include <QTest>

namespace {

class TypedDateTest : public EditingTest, public testing::WithParamInterface<QLocale::Territory> {
protected:
    void SetUp() override
    {
        EditingTest::SetUp();
        QLocale::setDefault(Germany() ? QLocale(QLocale::German, QLocale::Germany)
                                      : QLocale(QLocale::English, QLocale::UnitedStates));
        auto contact = std::make_unique<Contact>();
        contact->m_strName = contact->m_strLastName = "Holm";
        contact->m_dtBirthday = DateFromQDateTime(QDateTime(QDate(1955, 7, 4), QTime(0, 0)));
        int index = -1;
        EXPECT_EQ(m_dataMan->AddContact(std::move(contact), m_dataMan->GetRootBook(), &index), 0u);
        m_contact = m_dataMan->GetContactAt(index);
        m_dialog = std::make_unique<CDialogContactProps>(*m_dataMan, *m_userMan);
        m_dialog->StartEdit(m_contact);
        ShowActive(*m_dialog);
        m_dialog->OnShowPage(CDialogContactProps::ID_PAGE_PERSONAL);
        m_birthday = m_dialog->PersonalPage()->BirthdayField()->Edit();
        m_birthday->setFocus(Qt::TabFocusReason);
    }
    void TearDown() override
    {
        m_dialog.reset();
        QLocale::setDefault(m_saved);
        EditingTest::TearDown();
    }

    static bool Germany() { return GetParam() == QLocale::Germany; }
    // Day, month and year in the locale's order and with its separator.
    static QString Typed(int day, int month, const QString& year)
    {
        return Germany() ? QStringLiteral("%1.%2.%3").arg(day).arg(month).arg(year)
                         : QStringLiteral("%1/%2/%3").arg(month).arg(day).arg(year);
    }
    // Over the whole text, as after select-all.
    void TypeOverAll(const QString& text)
    {
        QTest::keyClick(m_birthday, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(m_birthday, text);
    }
    int PressOk()
    {
        m_dialog->OkButton()->click();
        return m_dialog->isVisible() ? -1 : m_dialog->Finish(m_dialog->result());
    }
    std::string Shown() const { return Iso(m_birthday->date()); }
    static std::string Iso(const QDate& date) { return date.toString(Qt::ISODate).toStdString(); }
    static std::string Stored(const DateValue& value) { return Iso(DateToQDateTime(value).date()); }

    Contact* m_contact = nullptr;
    std::unique_ptr<CDialogContactProps> m_dialog;
    QDateEdit* m_birthday = nullptr;

private:
    QLocale m_saved;
};

}  // namespace

TEST_P(TypedDateTest, ADateTypedOverTheWholeTextIsTakenWhole)
{
    TypeOverAll(Typed(1, 1, QStringLiteral("1980")));
    QTest::keyClick(m_birthday, Qt::Key_Tab);
    EXPECT_EQ(Shown(), "1980-01-01");

    TypeOverAll(Typed(9, 11, QStringLiteral("60")));
    ASSERT_EQ(PressOk(), IDOK);
    EXPECT_TRUE(m_messages.shown.empty());
    const int year = YearOfTwoDigits(60, QDate::currentDate().year());
    EXPECT_EQ(Stored(m_contact->m_dtBirthday), Iso(QDate(year, 11, 9)));
    const auto stored = StoredContacts();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(Stored(stored[0]->m_dtBirthday), Iso(QDate(year, 11, 9)));
}

TEST_P(TypedDateTest, ADateThatDoesNotExistIsRefusedAndTheEarlierOneKept)
{
    // The 29th of February of a year without it, typed whole and part by
    // part: the control would drop the day, or make it the 28th.
    TypeOverAll(Typed(29, 2, QStringLiteral("2001")));
    QTest::keyClick(m_birthday, Qt::Key_Tab);
    ASSERT_EQ(m_messages.shown.size(), 1u);
    EXPECT_NE(
        m_messages.shown[0].text.find(Typed(29, 2, QStringLiteral("2001")).toStdString()), std::string::npos)
        << m_messages.shown[0].text;
    EXPECT_EQ(Shown(), "1955-07-04");
    EXPECT_TRUE(m_birthday->hasFocus());

    m_messages.shown.clear();
    for (int i = 0; i < m_birthday->sectionCount(); ++i) {
        const QDateTimeEdit::Section section = m_birthday->sectionAt(i);
        m_birthday->setSelectedSection(section);
        QTest::keyClicks(m_birthday,
            section == QDateTimeEdit::DaySection         ? QStringLiteral("29")
                : section == QDateTimeEdit::MonthSection ? QStringLiteral("02")
                                                         : QStringLiteral("2001"));
    }
    ASSERT_EQ(PressOk(), IDOK);
    EXPECT_EQ(m_messages.shown.size(), 1u);
    EXPECT_EQ(Stored(m_contact->m_dtBirthday), "1955-07-04");

    // In a leap year the same day is taken.
    m_messages.shown.clear();
    CDialogContactProps again(*m_dataMan, *m_userMan);
    again.StartEdit(m_contact);
    ShowActive(again);
    again.OnShowPage(CDialogContactProps::ID_PAGE_PERSONAL);
    m_birthday = again.PersonalPage()->BirthdayField()->Edit();
    m_birthday->setFocus(Qt::TabFocusReason);
    TypeOverAll(Typed(29, 2, QStringLiteral("2004")));
    QTest::keyClick(m_birthday, Qt::Key_Tab);
    EXPECT_TRUE(m_messages.shown.empty());
    EXPECT_EQ(Shown(), "2004-02-29");
}

TEST_P(TypedDateTest, AYearBegunWithZeroIsTheYearOfTheWindow)
{
    m_birthday->setSelectedSection(QDateTimeEdit::YearSection);
    QTest::keyClicks(m_birthday, QStringLiteral("05"));
    EXPECT_TRUE(m_birthday->text().endsWith(QStringLiteral("05"))) << m_birthday->text().toStdString();
    EXPECT_FALSE(m_birthday->text().contains(QStringLiteral("0000"))) << m_birthday->text().toStdString();
    QTest::keyClick(m_birthday, Qt::Key_Tab);
    EXPECT_EQ(Shown(), "2005-07-04");
    ASSERT_EQ(PressOk(), IDOK);
    EXPECT_EQ(Stored(m_contact->m_dtBirthday), "2005-07-04");
    EXPECT_TRUE(m_messages.shown.empty());
}

TEST_P(TypedDateTest, AnArrowKeyEndsTheTypingBeforeItStepsTheDate)
{
    m_birthday->setSelectedSection(QDateTimeEdit::YearSection);
    QTest::keyClicks(m_birthday, QStringLiteral("05"));
    QTest::keyClick(m_birthday, Qt::Key_Up);
    EXPECT_EQ(Shown(), "2006-07-04");
    EXPECT_TRUE(m_messages.shown.empty());

    // A text that is no date is refused, and the key steps nothing.
    TypeOverAll(Typed(29, 2, QStringLiteral("2001")));
    QTest::keyClick(m_birthday, Qt::Key_Down);
    EXPECT_EQ(m_messages.shown.size(), 1u);
    EXPECT_EQ(Shown(), "2006-07-04");
}

TEST_P(TypedDateTest, TheFieldSaysHowToTypeAndWhichYearsTwoDigitsStandFor)
{
    const int thisYear = QDate::currentDate().year();
    const QString tip = m_birthday->toolTip();
    EXPECT_TRUE(tip.contains(QString::number(thisYear - 80))) << tip.toStdString();
    EXPECT_TRUE(tip.contains(QString::number(thisYear + 19))) << tip.toStdString();
    const QString example = Germany() ? QStringLiteral("31.12.%1") : QStringLiteral("12/31/%1");
    EXPECT_TRUE(tip.contains(example.arg(thisYear))) << tip.toStdString();
}

TEST_P(TypedDateTest, TheRefusalReadsWholeInItsMessageBox)
{
    if (!FontsAvailable())
        GTEST_SKIP() << "no font";
    RealMessages messages;
    TypeOverAll(Typed(29, 2, QStringLiteral("2001")));
    QTest::keyClick(m_birthday, Qt::Key_Tab);
    ASSERT_EQ(messages.Shown(), 1);
    SavePicture(messages.Last().picture,
        QStringLiteral("datefield-refused-%1").arg(Germany() ? QStringLiteral("de") : QStringLiteral("us")));
    EXPECT_TRUE(messages.Last().faults.isEmpty()) << messages.Last().faults.join(u'\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Locales, TypedDateTest, testing::Values(QLocale::UnitedStates, QLocale::Germany),
    [](const testing::TestParamInfo<QLocale::Territory>& info) {
        return info.param == QLocale::Germany ? std::string("de_DE") : std::string("en_US");
    });
