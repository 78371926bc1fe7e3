// Quick find: what it searches, how it matches, and the banner in find mode.
#define QTEST_QPA_MOUSE_HANDLING
#include "framefixture.h"
#include "mainwnd/bookbanner.h"
#include "mainwnd/bookpane.h"
#include "mainwnd/fieldchooser.h"
#include "platform/ui/window.h"
#include "support/modal.h"
#include "support/pictures.h"

#include <QClipboard>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

namespace {

constexpr u32 kNames = 0x1;
constexpr u32 kCompany = 0x2;
constexpr u32 kBusinessAddress = 0x20;
constexpr u32 kNotes = 0x80;

class FindTest : public FrameTest {
protected:
    std::vector<std::string> Found(const char* text, u32 mask, bool allBooks = false)
    {
        Container().Find(QString::fromUtf8(text), allBooks, mask);
        std::vector<std::string> names;
        for (const Contact* contact : Grid().ShownContacts())
            names.push_back(contact->m_strName);
        return names;
    }
    using Names = std::vector<std::string>;
};

}  // namespace

TEST_F(FindTest, SearchesTheChosenFieldsJoinedAndIgnoresCase)
{
    Contact* anna = m_dataMan->GetContactAt(0);
    anna->m_strFirstName = "ANNA";
    anna->m_strTitle = "Dr";
    anna->m_strCompany = "Harbour Works";
    anna->m_strNotes = "likes sailing";
    ContactAddress work;
    work.m_dwType = ADDR_BUSINESS;
    work.m_strCity = "Ostend";
    anna->m_addresses.push_back(work);
    Frame();
    Trigger(ID_FIND_CONTACT);
    EXPECT_EQ(Found("ann", kNames), Names{"Anna Berg"});
    // Fields are joined with nothing between them: the end of the first
    // name runs into the title.
    EXPECT_EQ(Found("NADR", kNames), Names{"Anna Berg"});
    EXPECT_TRUE(Found("harbour", kNames).empty());
    EXPECT_EQ(Found("harbour", kCompany), Names{"Anna Berg"});
    EXPECT_EQ(Found("sailing", kNames | kNotes), Names{"Anna Berg"});
    EXPECT_EQ(Found("ostend", kBusinessAddress), Names{"Anna Berg"});
    // The text is not trimmed: a trailing blank must occur in the text.
    EXPECT_TRUE(Found("berg ", kNames).empty());
    EXPECT_EQ(Found("anna ", kNames), Names{"Anna Berg"});
    EXPECT_EQ(m_messages.shown.back().text, "Could not find the string \"berg \"");
    // Letters beyond ASCII match whatever their case.
    AddContact("Zoë Åberg");
    EXPECT_EQ(Found("zoË åB", kNames), Names{"Zoë Åberg"});
    EXPECT_TRUE(Found("Åbergzoë", kNames).empty());
}

TEST_F(FindTest, FindModeSwitchesTheLetterOffAndPastesJoinTheResults)
{
    AddAlphabet("ABC");
    Frame();
    // The letter "B" lists one contact; copy it.
    Frame().OnCommand(kFilterFirstLetter + 1);
    ASSERT_EQ(Grid().RowCount(), 1);
    const std::string copied = Grid().ShownContacts()[0]->m_strName;
    Select({0});
    Trigger(ID_EDIT_COPY);

    Trigger(ID_FIND_CONTACT);
    EXPECT_EQ(m_dataMan->GetAlphabetFilter(), kFilterAll);
    EXPECT_EQ(Found("an", kNames), (Names{"Anna Berg", "Carla Dean"}));
    // The pasted copy joins the results; the letter's listing does not
    // replace them.
    Trigger(ID_EDIT_PASTE);
    Names shown;
    for (const Contact* contact : Grid().ShownContacts())
        shown.push_back(contact->m_strName);
    EXPECT_EQ(shown, (Names{"Anna Berg", "Carla Dean", copied}));
    EXPECT_EQ(m_dataMan->GetContactCount(), 4);

    // Leaving find mode brings the letter back.
    Trigger(ID_FIND_CONTACT);
    EXPECT_EQ(m_dataMan->GetAlphabetFilter(), kFilterFirstLetter + 1);
    EXPECT_EQ(Grid().RowCount(), 2);
    QGuiApplication::clipboard()->clear();
}

TEST_F(FindTest, BannerRemembersAllBooksAndSelectFieldsEditsTheMask)
{
    Frame();
    CBookBanner* banner = Container().Banner();
    Trigger(ID_FIND_CONTACT);
    auto* all = qobject_cast<QRadioButton*>(GetDlgItem(banner, 1016));
    ASSERT_FALSE(all->isChecked());
    all->setChecked(true);
    QTest::keyClicks(banner->FindEdit(), QStringLiteral("ann"));
    QTest::keyClick(banner->FindEdit(), Qt::Key_Return);
    EXPECT_EQ(Grid().RowCount(), 1);
    if (FontsAvailable()) {
        for (const bool dark : {false, true}) {
            ScopedPalette palette(dark ? DarkPalette() : LightPalette());
            SavePicture(Grab(&Frame()), QStringLiteral("quickfind-%1").arg(dark ? "dark" : "light"));
            for (QWidget* control : banner->FindControls())
                EXPECT_TRUE(banner->rect().contains(control->geometry()));
        }
    }
    Trigger(ID_FIND_CONTACT);
    Trigger(ID_FIND_CONTACT);
    EXPECT_TRUE(all->isChecked());

    // "Select fields" edits the mask that the next search uses.
    m_userMan->m_dwFindFlags = kNotes;
    OnModal<CDialogChooseFields>([](CDialogChooseFields* dialog) {
        dialog->List()->item(0)->setCheckState(Qt::Checked);
        dialog->accept();
    });
    QTest::mouseClick(GetDlgItem(banner, 1018), Qt::LeftButton);
    EXPECT_EQ(m_userMan->m_dwFindFlags, kNames | kNotes);
}

TEST_F(FindTest, BookButtonIsHeldDownWhileItsPopupIsOpen)
{
    Frame();
    Trigger(ID_VIEW_BOOKTREE);
    CBookBanner* banner = Container().Banner();
    ASSERT_TRUE(banner->BannerFlags() & CBookBanner::BF_UNDOCKED);
    Frame().OnCommand(ID_BANNER_BOOK_BUTTON);
    EXPECT_TRUE(banner->BookButton()->isDown());
    Container().BookPane()->ClosePopup();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(banner->BannerFlags() & CBookBanner::BF_BUTTON_DOWN);
    EXPECT_FALSE(banner->BookButton()->isDown());
}
