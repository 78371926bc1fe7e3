#include "core/fieldtexts.h"
#include "core/utilities.h"
#include "gridtest.h"
#include "mainwnd/gridlayout.h"

#define QTEST_QPA_MOUSE_HANDLING
#include <QCollator>
#include <QScrollBar>
#include <QTest>

namespace {

constexpr int kName = 1;
constexpr int kHomePhone = 5;
constexpr int kHomeEmail = 3;
constexpr int kLastName = 11;

BookCondition* LayoutEntry(Book* book)
{
    for (BookCondition& c : book->m_conditions) {
        if (c.m_dwField == kLayoutConditionField)
            return &c;
    }
    return nullptr;
}

}  // namespace

TEST_F(GridTest, RefillShowsTheBookInItsLayout)
{
    m_grid->Refill(false, true);
    EXPECT_EQ(m_grid->GetRowCount(), 0);
    EXPECT_EQ(m_grid->GetShownColumns(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(m_grid->GetSortColumn(), kName);

    Add("Zed");
    Add("Amy");
    BookCondition entry;
    entry.m_dwField = kLayoutConditionField;
    GridLayout layout;
    layout.columns = {0, 1, 11};
    for (int i = 0; i < kGridColumnCount; ++i)
        layout.widths[size_t(i)] = i == 11 ? 77 : 120;
    entry.m_strText = FormatGridLayout(layout);
    m_dm->GetRootBook()->m_conditions.push_back(entry);
    EXPECT_EQ(m_grid->Refill(true, true), 1);  // a reset gives the default first
    m_grid->LoadLayout(false);
    EXPECT_EQ(m_grid->GetShownColumns(), (std::vector<int>{0, 1, 11}));
    EXPECT_EQ(m_grid->GetColumnWidth(11), 77);
    EXPECT_EQ(m_grid->GetColumnWidth(0), 120);  // a fixed width keeps what it is given
    EXPECT_EQ(Column(kName), (std::vector<std::string>{"Amy", "Zed"}));
    EXPECT_EQ(m_grid->GetFocusRow(), 0);
    EXPECT_EQ(Selected(), std::vector<int>{0});

    // Saving twice keeps one entry; a damaged entry gives the default
    // layout and stays as it was until the layout is saved.
    m_grid->SaveLayout();
    m_grid->SaveLayout();
    EXPECT_EQ(
        std::count_if(m_dm->GetRootBook()->m_conditions.begin(), m_dm->GetRootBook()->m_conditions.end(),
            [](const BookCondition& c) { return c.m_dwField == kLayoutConditionField; }),
        1);
    LayoutEntry(m_dm->GetRootBook())->m_strText = "1 1 72 3 100";
    m_grid->LoadLayout(false);
    EXPECT_EQ(m_grid->GetShownColumns().size(), 7u);
    EXPECT_EQ(LayoutEntry(m_dm->GetRootBook())->m_strText, "1 1 72 3 100");
}

TEST_F(GridTest, RowsFollowSingleChanges)
{
    Contact* a = Add("Alice");
    Contact* b = Add("Bob");
    m_grid->Refill(false, true);
    EXPECT_EQ(m_grid->FindContactRow(b->m_duID), 1);
    EXPECT_EQ(m_grid->FindContactRow(0), -1);

    a->m_phones = {{1 | CV_DEFAULT_HOME_PHONE, "555 1234"}};
    EXPECT_EQ(m_grid->GetCellText(0, kHomePhone), "");  // cached until told
    m_grid->ContactChanged(a->m_duID);
    EXPECT_EQ(m_grid->GetCellText(0, kHomePhone), "555 1234");

    Contact* c = Add("Carol");
    m_grid->AddContactRow(c, false, true);
    EXPECT_EQ(m_grid->FindContactRow(c->m_duID), 2);
    Book* other = m_dm->AddBook(std::make_unique<Book>(), m_dm->GetRootBook());
    Contact* stranger = Add("Dan", {}, other);
    m_grid->AddContactRow(stranger, false, true);
    EXPECT_EQ(m_grid->FindContactRow(stranger->m_duID), -1);

    // Focus and anchor stay on their rows when rows above them go.
    m_grid->SelectRange(2, 2, true, false, false);
    m_grid->SetRowState(2, GRS_FOCUS | GRS_SELECTED);
    m_grid->ContactsRemoved({a->m_duID});
    EXPECT_EQ(m_grid->GetRowCount(), 2);
    EXPECT_EQ(m_grid->GetFocusRow(), 1);
    EXPECT_EQ(m_grid->GetAnchorRow(), 1);
    EXPECT_EQ(m_grid->FocusedContact(), c);
    EXPECT_EQ(m_grid->FindContactRow(c->m_duID), 1);
    m_grid->DeleteRow(1);
    EXPECT_EQ(m_grid->GetFocusRow(), -1);
    EXPECT_EQ(m_grid->GetAnchorRow(), -1);
}

TEST_F(GridTest, SortsStablyByEveryKindOfColumn)
{
    m_user.m_dwNameColumnFlags = 2;  // the full name
    Contact* b1 = Add("b");
    Contact* upper = Add("B");
    Add("a");
    Contact* empty = Add("");
    b1->m_dtBirthday = {40000.0, DateStatus::Valid};
    upper->m_dtBirthday = {-700.75, DateStatus::Valid};
    empty->m_dwIcon = 3;
    m_grid->Refill(false, true);
    EXPECT_EQ(Column(kName), (std::vector<std::string>{"", "a", "b", "B"}));
    m_grid->Sort(kName, 0);
    EXPECT_EQ(Column(kName), (std::vector<std::string>{"b", "B", "a", ""}));

    m_grid->InsertColumn(FindFieldColumn(FID_BIRTHDAY), 2);
    m_grid->Sort(FindFieldColumn(FID_BIRTHDAY), 1);
    EXPECT_EQ(Column(kName), (std::vector<std::string>{"a", "", "B", "b"}));
    m_grid->Sort(kIconColumn, 0);
    EXPECT_EQ(Column(kName).front(), "");

    // By last name (the default); the focus row follows its contact.
    m_user.m_dwNameColumnFlags = 1;
    upper->m_strLastName = "zz";
    m_grid->SelectRange(
        m_grid->FindContactRow(upper->m_duID), m_grid->FindContactRow(upper->m_duID), true, false, false);
    m_grid->Sort(kName, 1);
    EXPECT_EQ(m_grid->GetFocusRow(), 3);
    EXPECT_EQ(m_grid->FocusedContact(), upper);
}

TEST_F(GridTest, SortsInTheCollationOfTheUsersLocaleWhateverTheTexts)
{
    m_user.m_dwNameColumnFlags = 2;  // the full name
    const std::vector<std::string> names = {"zed", "a-b", "ab", "a b", "\xc3\x89mile", "emil", "10", "9",
        "_x", "chata", "hora", "aa", "\xc3\x85se", "b\tc", "Zo\xc3\xab", "~", "a.b", "Ab.C", "cz", "hz"};
    for (const std::string& name : names)
        Add(name);
    const QLocale before;
    // Locales with contractions ("ch" after "h", "aa" as one letter) and one
    // without them.
    for (const char* locale : {"en_US", "cs_CZ", "da_DK", "de_DE"}) {
        QLocale::setDefault(QLocale(QString::fromLatin1(locale)));
        QCollator collator;
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        std::vector<std::string> expected = names;
        std::stable_sort(expected.begin(), expected.end(), [&](const std::string& a, const std::string& b) {
            return collator.compare(QString::fromStdString(FoldCase(a)), QString::fromStdString(FoldCase(b)))
                < 0;
        });
        m_grid->Refill(false, true);
        m_grid->Sort(kName, 1);
        EXPECT_EQ(Column(kName), expected) << locale;
        m_grid->Sort(kName, 0);
        std::reverse(expected.begin(), expected.end());
        EXPECT_EQ(Column(kName), expected) << locale;
    }
    QLocale::setDefault(before);
}

TEST_F(GridTest, SortsAHundredThousandRows)
{
    Book* book = m_dm->GetRootBook();
    for (int i = 0; i < 100000; ++i)
        Add("n" + std::to_string((i * 7919) % 100000), {}, book);
    m_grid->Refill(false, true);
    ASSERT_EQ(m_grid->GetRowCount(), 100000);
    m_grid->InsertColumn(kLastName, 2);
    m_grid->Sort(kLastName, 0);
    const std::vector<std::string> texts = Column(kLastName);
    EXPECT_TRUE(std::is_sorted(texts.rbegin(), texts.rend()));
    m_grid->SelectAll();
    EXPECT_EQ(m_grid->GetSelectedCount(), 100000);
    std::vector<int> rows(10000);
    std::iota(rows.begin(), rows.end(), 5000);
    m_grid->DeleteRows(rows);
    EXPECT_EQ(m_grid->GetRowCount(), 90000);
    EXPECT_EQ(m_grid->GetCellText(5000, kLastName).toStdString(), texts[15000]);
}

TEST_F(GridTest, MouseSelection)
{
    for (const char* name : {"a", "b", "c", "d", "e"})
        Add(name);
    m_grid->Refill(false, true);
    Show();
    QWidget* rows = m_grid->viewport();
    const auto at = [&](int row) { return m_grid->GetCellRect(row, kName).center() - rows->pos(); };
    QTest::mouseClick(rows, Qt::LeftButton, {}, at(1));
    EXPECT_EQ(Selected(), std::vector<int>{1});
    QTest::mouseClick(rows, Qt::LeftButton, Qt::ShiftModifier, at(3));
    EXPECT_EQ(Selected(), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(m_grid->GetFocusRow(), 1);
    QTest::mouseClick(rows, Qt::LeftButton, Qt::ControlModifier, at(2));
    EXPECT_EQ(Selected(), (std::vector<int>{1, 3}));
    EXPECT_EQ(m_grid->GetAnchorRow(), 2);
    EXPECT_GE(m_host->Count(WM_NOTIFY, GN_SELCHANGED), 3);

    // A press on one of several selected rows keeps them for a drag; the
    // release alone selects that row.
    QTest::mousePress(rows, Qt::LeftButton, {}, at(3));
    EXPECT_EQ(Selected(), (std::vector<int>{1, 3}));
    QTest::mouseRelease(rows, Qt::LeftButton, {}, at(3));
    EXPECT_EQ(Selected(), std::vector<int>{3});

    std::vector<Contact*> dragged;
    m_grid->SetDragDataMaker([&](const std::vector<Contact*>& contacts) {
        dragged = contacts;
        return nullptr;
    });
    QTest::mouseClick(rows, Qt::LeftButton, Qt::ControlModifier, at(4));
    QTest::mousePress(rows, Qt::LeftButton, {}, at(4));
    QTest::mouseMove(rows, at(4) + QPoint(0, 2));
    EXPECT_EQ(dragged.size(), 2u);

    // No anchor: Shift selects the row alone instead of clearing everything.
    QTest::mouseClick(rows, Qt::LeftButton, {}, QPoint(5, rows->height() - 3));
    EXPECT_TRUE(Selected().empty());
    EXPECT_EQ(m_grid->GetAnchorRow(), -1);
    QTest::mouseClick(rows, Qt::LeftButton, Qt::ShiftModifier, at(2));
    EXPECT_EQ(Selected(), std::vector<int>{2});
    EXPECT_EQ(m_grid->GetFocusRow(), 2);
    // A plain move last, so no Shift or Ctrl seems held in the tests after.
    QTest::mouseMove(m_grid->viewport(), QPoint(1, 1));
}

TEST_F(GridTest, KeyboardSelection)
{
    for (int i = 0; i < 60; ++i)
        Add("c" + std::to_string(100 + i));
    m_grid->Refill(false, true);
    Show();
    m_grid->setFocus();
    QTest::keyClick(m_grid, Qt::Key_Down);
    QTest::keyClick(m_grid, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(Selected(), (std::vector<int>{1, 2}));
    QTest::keyClick(m_grid, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(m_grid->GetFocusRow(), 3);
    EXPECT_EQ(Selected(), (std::vector<int>{1, 2}));
    QTest::keyClick(m_grid, Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(Selected(), (std::vector<int>{1, 2, 3}));

    QTest::keyClick(m_grid, Qt::Key_End);
    EXPECT_EQ(m_grid->GetFocusRow(), 59);
    EXPECT_EQ(Selected(), std::vector<int>{59});
    EXPECT_GT(m_grid->GetFirstVisibleRow(), 0);
    QTest::keyClick(m_grid, Qt::Key_Down, Qt::ShiftModifier);  // nothing below
    EXPECT_EQ(Selected(), std::vector<int>{59});
    QTest::keyClick(m_grid, Qt::Key_Home, Qt::ShiftModifier);
    EXPECT_EQ(m_grid->GetFocusRow(), 0);
    EXPECT_EQ(m_grid->GetSelectedCount(), 60);
    EXPECT_EQ(m_grid->GetFirstVisibleRow(), 0);

    QTest::keyClick(m_grid, Qt::Key_PageDown);
    const int last = m_grid->GetLastFullRow();
    EXPECT_EQ(m_grid->GetFocusRow(), last);
    QTest::keyClick(m_grid, Qt::Key_PageDown);
    EXPECT_GT(m_grid->GetFocusRow(), last);
    EXPECT_EQ(m_grid->GetFocusRow(), m_grid->GetLastFullRow());

    m_grid->SelectAll();
    QTest::keyClick(m_grid, Qt::Key_End, Qt::ShiftModifier);
    EXPECT_EQ(Selected().front(), m_grid->GetAnchorRow());
    // A plain move last, so no Shift or Ctrl seems held in the tests after.
    QTest::mouseMove(m_grid->viewport(), QPoint(1, 1));
}

TEST_F(GridTest, DoubleClickActions)
{
    Contact* c = Add("Eve");
    c->m_phones = {{1 | CV_DEFAULT_HOME_PHONE, "555 0100"}};
    c->m_emails = {{1 | CV_DEFAULT_HOME_EMAIL, "eve@example.org"}};
    c->m_web = {{WEB_HOME_PAGE, "example.org/eve"}};
    Add("Empty");
    m_user.m_dwListFlags |= CLF_CELL_ACTIONS;
    bool calling = false;
    m_grid->SetCallInProgress([&] { return calling; });
    m_grid->Refill(false, true);
    const int eve = m_grid->FindContactRow(c->m_duID);
    const int empty = 1 - eve;

    m_grid->OnCellActivate(eve, kHomePhone);
    m_grid->OnCellActivate(eve, kHomeEmail);
    calling = true;
    m_grid->OnCellActivate(eve, kHomePhone);
    m_grid->OnCellActivate(empty, kHomePhone);
    m_grid->OnCellActivate(-1, -1);
    QCoreApplication::processEvents();
    ASSERT_EQ(m_host->messages.size(), 4u);
    EXPECT_EQ(m_host->messages[0].message, Registered().WM_DIAL_PHONE);
    EXPECT_EQ(m_host->messages[0].text, "555 0100");
    EXPECT_EQ(m_host->messages[1].message, Registered().WM_SEND_MAIL);
    EXPECT_EQ(m_host->messages[1].text, "eve@example.org");
    EXPECT_EQ(m_host->messages[2].wParam, ID_CONTACT_PROPERTIES);
    EXPECT_EQ(m_host->messages[3].wParam, ID_CONTACT_NEW);

    // A web-page cell opens only web addresses.
    EXPECT_EQ(WebPageUrl(" example.org/eve ").toString(), "http://example.org/eve");
    EXPECT_EQ(WebPageUrl("HTTPS://example.org").scheme(), "https");
    for (const char* refused : {"file:///etc/passwd", "/usr/bin/xterm", "mailto:eve@example.org",
             "javascript:alert(1)", "", "smb://host/share"})
        EXPECT_FALSE(WebPageUrl(refused).isValid()) << refused;

    m_user.m_dwListFlags &= ~CLF_CELL_ACTIONS;
    m_grid->OnCellActivate(eve, kHomeEmail);
    QCoreApplication::processEvents();
    EXPECT_EQ(m_host->messages.back().wParam, ID_CONTACT_PROPERTIES);
}

TEST_F(GridTest, RowHeightsStayPositiveAndFollowWidths)
{
    Contact* c = Add("A name long enough to wrap over several lines in a narrow column of the grid");
    m_user.m_dwNameColumnFlags = 2;
    m_grid->Refill(false, true);
    Show();
    const int wide = m_grid->GetRowHeight(0);
    m_grid->SetColumnWidth(m_grid->HeaderItemOfColumn(kName), 40);
    EXPECT_GT(m_grid->GetRowHeight(0), wide);
    m_grid->resize(120, 30);
    QCoreApplication::processEvents();
    EXPECT_GT(m_grid->GetRowHeight(0), 0);
    EXPECT_GE(m_grid->GetRowHeight(0), 18);
    (void)c;
}
