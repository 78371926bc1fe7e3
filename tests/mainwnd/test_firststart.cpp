// A new user's first start: the letter the list starts on, names with
// accented initials under the alphabet's letters, and where the window is
// placed on the screen.
#include "framefixture.h"
#include "mainwnd/alphabetbar.h"
#include "platform/profile.h"

#include <QScreen>
#include <QTest>
#include <QToolButton>

namespace {

class FirstStartTest : public FrameTest {
protected:
    // Ends the run and starts the store again as the next run reads it;
    // without a stored letter, as a new user's first start does.
    void Restart(bool forgetLetter)
    {
        if (m_frame)
            m_frame->SaveStateAndClose();
        m_frame.reset();
        ASSERT_EQ(m_dataMan->Close(), 0u);
        m_file->Close();
        if (forgetLetter)
            Profile::Remove("DataMan", "CurrentChar");
        Profile::Reopen();
        m_file = std::make_unique<CDataFile>();
        ASSERT_EQ(m_file->Open(), 0u);
        m_dataMan = std::make_unique<DataMan>(*m_file, m_userMan.get());
        ASSERT_EQ(m_dataMan->Init(), 0u);
    }
    void ClickLetter(const QString& letter)
    {
        CLetterToolBar* bar = Container().AlphabetBar();
        for (int i = 0; i < bar->ButtonCount(); ++i) {
            QToolButton* button = bar->Button(kFilterFirstLetter + u32(i));
            if (button && button->text() == letter) {
                // The letters near the end lie below the pager's view.
                button->click();
                QApplication::processEvents();
                return;
            }
        }
        ADD_FAILURE() << "no button " << letter.toStdString();
    }
    std::vector<std::string> ShownNames()
    {
        std::vector<std::string> names;
        for (const Contact* contact : Grid().ShownContacts())
            names.push_back(contact->m_strName);
        std::sort(names.begin(), names.end());
        return names;
    }
};

using Names = std::vector<std::string>;

}  // namespace

TEST_F(FirstStartTest, ANewUserStartsOnAllAndAChosenLetterStays)
{
    m_userMan->m_dwMainFlags |= MWF_CONTACT_COUNT;
    AddContact("Bob Brown");
    Restart(true);
    EXPECT_EQ(m_dataMan->GetAlphabetFilter(), kFilterAll);
    Frame();
    EXPECT_EQ(Grid().RowCount(), 4);
    EXPECT_EQ(Frame().CountText(), u" 4 contacts ");

    ClickLetter(QStringLiteral("B"));
    EXPECT_EQ(ShownNames(), (Names{"Anna Berg", "Bob Brown"}));
    Restart(false);
    EXPECT_EQ(m_dataMan->GetAlphabetFilter(), kFilterFirstLetter + 1);
    EXPECT_EQ(ShownNames(), (Names{"Anna Berg", "Bob Brown"}));
}

TEST_F(FirstStartTest, AccentedInitialsStandUnderTheirBaseLetter)
{
    for (const char* name : {"Élise Éluard", "Åse Ångström", "Øystein Østby", "Emil Ek", "Olga Oja"})
        AddContact(name);
    Frame();
    ClickLetter(QStringLiteral("E"));
    EXPECT_EQ(ShownNames(), (Names{"Emil Ek", "Élise Éluard"}));
    ClickLetter(QStringLiteral("A"));
    EXPECT_EQ(ShownNames(), (Names{"Åse Ångström"}));
    ClickLetter(QStringLiteral("O"));
    EXPECT_EQ(ShownNames(), (Names{"Olga Oja", "Øystein Østby"}));

    // An alphabet that has the letter keeps it apart from its base letter.
    auto nordic = std::make_unique<Alphabet>();
    nordic->m_strName = "Nordic";
    nordic->m_strLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZÆØÅ";
    m_dataMan->Add(std::move(nordic));
    Trigger(ID_ALPHABET_NEXT);
    ClickLetter(QStringLiteral("A"));
    EXPECT_EQ(ShownNames(), Names{});
    ClickLetter(QStringLiteral("Å"));
    EXPECT_EQ(ShownNames(), (Names{"Åse Ångström"}));
    ClickLetter(QStringLiteral("Ø"));
    EXPECT_EQ(ShownNames(), (Names{"Øystein Østby"}));
    ClickLetter(QStringLiteral("E"));
    EXPECT_EQ(ShownNames(), (Names{"Emil Ek", "Élise Éluard"}));
}

TEST_F(FirstStartTest, TheWindowStartsWholeOnTheScreen)
{
    const QRect room = QGuiApplication::primaryScreen()->availableGeometry();
    // The first start's rectangle, one saved on a screen twice as large, and
    // one left on a screen that is gone.
    const RECT stored[] = {kDefaultMainRect, {0, 0, 2 * room.width(), 2 * room.height()},
        {room.right() + 500, room.bottom() + 300, room.right() + 1140, room.bottom() + 780}};
    for (const RECT& rect : stored) {
        m_userMan->m_rcMain = rect;
        m_frame = std::make_unique<CMainFrame>(*m_userMan, *m_dataMan, *m_tapiMan);
        m_userMan->ApplyToMainWindow(*m_frame, false);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_frame.get()));
        const QRect frame = m_frame->frameGeometry();
        EXPECT_TRUE(room.contains(frame)) << rect.left << "," << rect.top << ": " << frame.x() << ","
                                          << frame.y() << " " << frame.width() << "x" << frame.height();
        EXPECT_GE(m_frame->width(), CMainFrame::kMinWidth);
        if (rect.right == kDefaultMainRect.right) {
            // The title bar's top left corner, not the inside's, is at the
            // rectangle's corner, and that is what is stored again.
            EXPECT_EQ(frame.topLeft(), room.topLeft());
            EXPECT_EQ(m_frame->size(), QSize(640, 480));
            m_frame->SaveStateAndClose();
            EXPECT_EQ(m_userMan->m_rcMain.left, room.left());
            EXPECT_EQ(m_userMan->m_rcMain.top, room.top());
            EXPECT_EQ(m_userMan->m_rcMain.right - m_userMan->m_rcMain.left, 640);
        }
        m_frame.reset();
    }
}
