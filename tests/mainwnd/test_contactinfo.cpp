#include "core/records.h"
#include "core/userman.h"
#include "mainwnd/contactinfohtml.h"
#include "mainwnd/contactinfopane.h"
#include "support/pictures.h"
#include "support/testenv.h"

#include <QCoreApplication>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextTable>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

u32 Shown(u32 field)
{
    return kInfoFieldShown | field;
}

std::vector<u32> AllFields()
{
    std::vector<u32> fields;
    for (u32 n = kInfoFirstField; n <= kInfoLastField; ++n)
        fields.push_back(Shown(n));
    return fields;
}

Contact FullContact()
{
    Contact c;
    c.m_strName = "Ann Lee";
    c.m_strFirstName = "Ann";
    c.m_strLastName = "Lee";
    c.m_strCompany = "Lee & Daughters";
    c.m_strDepartment = "Sales";
    c.m_strOffice = "2nd floor";
    c.m_strJobTitle = "Manager";
    c.m_addresses.push_back({ADDR_BUSINESS, "1 Quay Road", "Portby", "", "PB1 2CD", "Kingdom", 99, 0});
    c.m_addresses.push_back({ADDR_HOME, "4 Elm Lane", "Hillton", "", "HT3", "", 2, 0});
    c.m_phones = {{1, "+1 555 0101"}, {8, "+1 555 0199"}, {20, "isdn 7"}};
    c.m_emails = {{6, "ann@lee.example"}, {6, "second@lee.example"}, {1, "ann@home.example"}};
    c.m_web = {{WEB_HOME_PAGE, "www.lee.example"}, {WEB_BUSINESS_PAGE, "https://lee.example/shop"},
        {WEB_ICQ, "123456"}};
    c.m_dwGender = GENDER_FEMALE;
    c.m_strChildren = "Bo\nCy";
    c.m_strSpouse = "Dan";
    c.m_dtBirthday = DateFromQDateTime(QDateTime(QDate(1980, 5, 17), QTime(0, 0)));
    c.m_strNotes = "Likes tea.\n\tAsk about <b>the boat</b>.";
    return c;
}

class ContactInfoTest : public TolvaTest {
protected:
    void SetUp() override
    {
        TolvaTest::SetUp();
        m_user.Init(1);
    }
    std::string Html(const Contact& contact, const std::vector<u32>& fields) const
    {
        return MakeContactInfoHtml(contact, fields, m_user.m_addressFormats);
    }
    std::string Value(const Contact& contact, u32 field) const
    {
        return ContactInfoValue(contact, field, m_user.m_addressFormats);
    }
    UserMan m_user;
};

}  // namespace

TEST_F(ContactInfoTest, RowsFollowTheFieldListAndSkipEmptyOrUnknownFields)
{
    const std::string start = "<table width=100% border=0 cellspacing=1 cellpadding=5>";
    EXPECT_EQ(start + "</table>", Html(Contact(), AllFields()));

    const Contact c = FullContact();
    // Words of another high half, field 0 and numbers past the last field
    // are skipped; the list's order is the rows' order.
    const std::string html
        = Html(c, {Shown(5), 0x2000'0001, 1, Shown(0), Shown(47), Shown(0xFFFF), Shown(1)});
    EXPECT_EQ(start + "<tr><td width=1% class=left>Job title</td><td class=right>Manager</td></tr>"
            + "<tr><td width=1% class=left>Name</td><td class=right>Ann Lee</td></tr></table>",
        html);
}

TEST_F(ContactInfoTest, ValuesOfEachFieldKind)
{
    const Contact c = FullContact();
    EXPECT_EQ("Lee &amp; Daughters", Value(c, 2));
    // A format number past the user's list falls back to the business one.
    EXPECT_EQ("1 Quay Road<br>Portby, PB1 2CD<br>Kingdom", Value(c, 6));
    EXPECT_NE(std::string::npos, Value(c, 7).find("4 Elm Lane"));
    EXPECT_EQ("+1 555 0101", Value(c, 8));
    EXPECT_EQ("+1 555 0199", Value(c, 15));
    // Of two business mails of one type only the first is shown.
    EXPECT_EQ("<a href=\"mailto:ann@lee.example\">ann@lee.example</a>", Value(c, 33));
    EXPECT_EQ("<a href=\"mailto:ann@home.example\">ann@home.example</a>", Value(c, 28));
    EXPECT_EQ("<a href=\"http://www.lee.example\">www.lee.example</a>", Value(c, 38));
    // A page with its own scheme keeps it.
    EXPECT_EQ("<a href=\"https://lee.example/shop\">https://lee.example/shop</a>", Value(c, 39));
    EXPECT_EQ("Female", Value(c, 41));
    EXPECT_EQ("Bo<br>Cy", Value(c, 42));
    EXPECT_FALSE(Value(c, 44).empty());
    EXPECT_EQ("", Value(c, 45));
    EXPECT_EQ("Likes tea.<br>&nbsp;&nbsp;&nbsp;&nbsp;Ask about &lt;b&gt;the boat&lt;/b&gt;.", Value(c, 46));

    // No address of the type shows nothing rather than another address.
    Contact home;
    home.m_addresses.push_back({ADDR_HOME, "Home only", "", "", "", "", 0, 0});
    EXPECT_EQ("", Value(home, 6));
}

TEST_F(ContactInfoTest, ContactTextNeverBecomesMarkupOrALocalLink)
{
    Contact c;
    c.m_strName = "<script>alert('x')</script>";
    c.m_strChildren = "<img src=file:///etc/passwd>";
    c.m_strSpouse = "\" onmouseover=\"x";
    c.m_emails = {{1, "a@b.c?attach=/etc/passwd"}, {2, "x'><script>y</script>"}};
    c.m_web = {{WEB_HOME_PAGE, "file:///etc/passwd"}, {WEB_BUSINESS_PAGE, "javascript:alert(1)"}};
    for (u32 field = kInfoFirstField; field <= kInfoLastField; ++field) {
        const std::string value = Value(c, field);
        EXPECT_EQ(std::string::npos, value.find("<script")) << field;
        EXPECT_EQ(std::string::npos, value.find("<img")) << field;
        EXPECT_EQ(std::string::npos, value.find("href=\"file")) << field;
        EXPECT_EQ(std::string::npos, value.find("href=\"javascript")) << field;
    }
    EXPECT_EQ("&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt;", Value(c, 1));
    EXPECT_EQ("&quot; onmouseover=&quot;x", Value(c, 43));
    EXPECT_EQ("file:///etc/passwd", Value(c, 38));
    EXPECT_EQ("javascript:alert(1)", Value(c, 39));
    // The "?" belongs to the address: no header reaches the mail program.
    EXPECT_EQ("<a href=\"mailto:a@b.c%3Fattach=/etc/passwd\">a@b.c?attach=/etc/passwd</a>", Value(c, 28));

    // A very long text arrives whole.
    Contact big;
    big.m_strNotes = std::string(200000, 'n');
    EXPECT_EQ(big.m_strNotes, Value(big, 46));
}

TEST_F(ContactInfoTest, PaneShowsEveryRowAndClosesThroughTheContainer)
{
    m_user.m_infoFields = AllFields();
    QWidget container;
    container.resize(420, 700);
    CContactInfoPane pane(m_user, &container);
    pane.setGeometry(0, 0, 420, 700);
    u32 command = 0;
    pane.onCommand = [&command](u32 id) { command = id; };

    const Contact c = FullContact();
    pane.FillHtml(&c);
    EXPECT_EQ(&c, pane.Shown());
    QTextDocument* document = pane.Browser()->document();
    const QString text = document->toPlainText();
    for (const char* expected :
        {"Ann Lee", "Manager", "Kingdom", "ann@lee.example", "Bo", "Cy", "<b>the boat</b>"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected;
    EXPECT_FALSE(text.contains(QStringLiteral("second@lee.example")));
    // Every row is laid out: Qt drops the rows of a table of fixed height.
    QTextTable* table = nullptr;
    for (QTextFrame* frame : document->rootFrame()->childFrames())
        table = table ? table : qobject_cast<QTextTable*>(frame);
    ASSERT_NE(nullptr, table);
    EXPECT_EQ(20, table->rows());

    pane.FillHtml(nullptr);
    EXPECT_EQ(nullptr, pane.Shown());
    EXPECT_TRUE(pane.Browser()->document()->toPlainText().trimmed().isEmpty());

    pane.CloseButton()->click();
    EXPECT_EQ(0u, command);  // not inside the click
    QCoreApplication::processEvents();
    EXPECT_EQ(CContactInfoPane::kCloseCommand, command);
}

TEST_F(ContactInfoTest, PaneShowsTheAddressOfEachKindThatThePagesShowAndThePostalOne)
{
    m_user.m_infoFields = AllFields();
    CContactInfoPane pane(m_user);
    pane.resize(420, 700);
    Contact c;
    c.m_strName = "Ann Lee";
    c.m_addresses = {{ADDR_BUSINESS | ADDR_DEFAULT, "1 Work Way", "Portby", "", "", "", 1, 0},
        {ADDR_BUSINESS, "9 Other St", "Elsewhere", "", "", "", 1, 0},
        {ADDR_HOME, "4 Elm Lane", "Hillton", "", "", "", 2, 0},
        {ADDR_HOME, "8 Old Lane", "Hillton", "", "", "", 2, 0},
        {ADDR_POSTAL, "PO Box 77", "Portby", "", "PB9", "", 0, 0}};
    pane.FillHtml(&c);
    const QString text = pane.Browser()->document()->toPlainText();
    for (const char* shown : {"1 Work Way", "4 Elm Lane", "Postal address", "PO Box 77"})
        EXPECT_TRUE(text.contains(QLatin1String(shown))) << shown;
    for (const char* hidden : {"9 Other St", "8 Old Lane"})
        EXPECT_FALSE(text.contains(QLatin1String(hidden))) << hidden;
    // The postal row follows the home address row and goes with it.
    EXPECT_LT(text.indexOf(QLatin1String("4 Elm Lane")), text.indexOf(QLatin1String("PO Box 77")));
    EXPECT_EQ(std::string::npos, Html(c, {Shown(1), Shown(6)}).find("PO Box 77"));
}

TEST_F(ContactInfoTest, Pictures)
{
    if (!FontsAvailable())
        GTEST_SKIP() << "no fonts";
    m_user.m_infoFields = AllFields();
    const Contact c = FullContact();
    for (const bool dark : {false, true}) {
        ScopedPalette palette(dark ? DarkPalette() : LightPalette());
        CContactInfoPane pane(m_user);
        pane.resize(360, 640);
        pane.FillHtml(&c);
        SavePicture(Grab(&pane), dark ? QStringLiteral("infopane-dark") : QStringLiteral("infopane-light"));
        const QStringList faults = LayoutFaults(&pane);
        EXPECT_TRUE(faults.isEmpty()) << faults.join(u'\n').toStdString();
        // The contact's name is on screen in a colour that reads on the
        // pane's background.
        const QTextBrowser* browser = pane.Browser();
        EXPECT_TRUE(browser->document()->toPlainText().contains(QStringLiteral("Ann Lee")));
        const QColor text = browser->palette().color(QPalette::Text);
        const QColor base = browser->palette().color(QPalette::Base);
        EXPECT_GT(std::abs(text.lightness() - base.lightness()), 100);
    }
}
