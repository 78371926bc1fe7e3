// What a user sets in the main window stays set: a book's column
// arrangement across book switches, and fonts chosen in Preferences at once.
#define QTEST_QPA_MOUSE_HANDLING
#include "framefixture.h"
#include "mainwnd/bookpane.h"
#include "mainwnd/booktree.h"
#include "mainwnd/commands.h"
#include "mainwnd/flatheader.h"
#include "mainwnd/gridcontactview.h"
#include "mainwnd/rgridctrl.h"
#include "platform/fontconv.h"

#include <QMouseEvent>
#include <QTest>

namespace {

constexpr int kHomeEmail = 3;

// Preferences that the user leaves with new list and header fonts.
class FontPreferences : public FakeEditing {
public:
    explicit FontPreferences(UserMan& user)
        : m_user(user)
    {
    }
    bool Preferences(QWidget*, int) override
    {
        m_user.SetFont(UFK_LIST, LogFontFromQFont(QFont(QStringLiteral("DejaVu Serif"), 19)));
        m_user.SetFont(UFK_HEADER, LogFontFromQFont(QFont(QStringLiteral("DejaVu Sans"), 15)));
        return true;
    }

private:
    UserMan& m_user;
};

class UserChoicesTest : public FrameTest {
protected:
    CRGridCtrl* Ctrl() { return static_cast<CGridContactView&>(Grid()).Ctrl(); }
    void ChooseBook(const Book* book)
    {
        CBookTreeCtrl* tree = Container().BookPane()->Tree();
        tree->setCurrentItem(tree->FindBookItem(book->m_duID));
        QApplication::processEvents();
        ASSERT_EQ(m_dataMan->GetCurrentBook(), book);
    }
    void ClickHeader(int column)
    {
        CFlatHeaderCtrl* header = Ctrl()->Header();
        const QPoint at = header->GetItemRect(Ctrl()->HeaderItemOfColumn(column)).center();
        for (const auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, at, header->mapToGlobal(at), Qt::LeftButton,
                type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(header, &event);
        }
        QApplication::processEvents();
    }
};

}  // namespace

TEST_F(UserChoicesTest, EachBookKeepsItsColumnArrangementAcrossBookSwitches)
{
    auto made = std::make_unique<Book>();
    made->m_strName = "Work";
    Book* work = m_dataMan->AddBook(std::move(made), m_dataMan->GetRootBook());
    Book* root = m_dataMan->GetRootBook();
    Frame();
    ClickHeader(kHomeEmail);
    ASSERT_EQ(Ctrl()->GetSortColumn(), kHomeEmail);
    Ctrl()->SetColumnWidth(Ctrl()->HeaderItemOfColumn(kHomeEmail), 211);

    ChooseBook(work);
    EXPECT_NE(Ctrl()->GetSortColumn(), kHomeEmail);  // a book of its own layout
    ClickHeader(1);
    ClickHeader(1);
    const int workDirection = Ctrl()->GetSortDirection();

    ChooseBook(root);
    EXPECT_EQ(Ctrl()->GetSortColumn(), kHomeEmail);
    EXPECT_EQ(Ctrl()->GetColumnWidth(kHomeEmail), 211);
    ChooseBook(work);
    EXPECT_EQ(Ctrl()->GetSortColumn(), 1);
    EXPECT_EQ(Ctrl()->GetSortDirection(), workDirection);
}

TEST_F(UserChoicesTest, FontsChosenInPreferencesShowAtOnce)
{
    FontPreferences preferences(*m_userMan);
    Container().SetEditingHooks(&preferences);
    const int rowHeight = Ctrl()->GetRowHeight(0);
    Trigger(ID_PREFERENCES);
    EXPECT_EQ(Ctrl()->GridFont().pointSize(), 19);
    EXPECT_EQ(Ctrl()->Header()->HeaderFont().pointSize(), 15);
    EXPECT_GT(Ctrl()->GetRowHeight(0), rowHeight);
}
