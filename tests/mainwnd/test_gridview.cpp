#include "core/utilities.h"
#include "gridtest.h"
#include "mainwnd/dragwnd.h"
#include "mainwnd/gridlayout.h"
#include "platform/ui/syscolor.h"

#include <QFile>
#include <QMimeData>
#include <QScrollBar>
#include <QUrl>

namespace {

constexpr int kName = 1;

}  // namespace

TEST_F(GridTest, LayoutsFollowTheCurrentBook)
{
    Book* other = m_dm->AddBook(std::make_unique<Book>(), m_dm->GetRootBook());
    Add("Ann", {}, other);
    m_grid->Refill(false, true);
    m_grid->InsertColumn(11, 1);
    m_grid->SetColumnWidth(m_grid->HeaderItemOfColumn(11), 66);
    m_grid->Sort(kName, 1);
    m_grid->SaveLayout();
    const std::string saved = m_dm->GetRootBook()->m_conditions.at(0).m_strText;
    EXPECT_EQ(saved.rfind("1 1 72 8 24 150 150 ", 0), 0u);
    EXPECT_EQ(saved.substr(saved.size() - 17), " 0 11 1 2 3 4 5 6");

    // Another book shows its own (default) layout; the first one's stays
    // as it was saved and comes back with its book.
    m_dm->SetCurrentBook(other);
    m_grid->Refill(false, true);
    EXPECT_EQ(m_grid->GetShownBook(), other);
    EXPECT_EQ(m_grid->GetShownColumns().size(), 7u);
    EXPECT_EQ(m_grid->GetRowCount(), 1);
    EXPECT_TRUE(other->m_conditions.empty());
    m_dm->SetCurrentBook(m_dm->GetRootBook());
    m_grid->Refill(false, true);
    EXPECT_EQ(m_grid->GetColumnPosition(11), 1);
    EXPECT_EQ(m_grid->GetColumnWidth(11), 66);
    EXPECT_EQ(m_dm->GetRootBook()->m_conditions.at(0).m_strText, saved);
}

TEST_F(GridTest, RowStatesScrollingAndHitTests)
{
    for (int i = 0; i < 40; ++i)
        Add("r" + std::to_string(100 + i));
    m_grid->Refill(false, true);
    Show();
    m_grid->SetRowState(5, GRS_FOCUS | GRS_SELECTED);
    EXPECT_EQ(m_grid->GetFocusRow(), 5);
    EXPECT_EQ(m_grid->GetAnchorRow(), 5);
    EXPECT_EQ(m_grid->GetRowState(0), GRS_SELECTED);  // the old focus row keeps its selection
    m_grid->SetRowState(5, 0);
    EXPECT_EQ(m_grid->GetFocusRow(), -1);
    EXPECT_EQ(m_grid->GetAnchorRow(), -1);
    EXPECT_EQ(m_grid->GetNextSelectedRow(0), -1);
    EXPECT_EQ(m_grid->GetRowState(99), 0u);
    EXPECT_EQ(m_grid->GetRowContact(-1), nullptr);

    m_grid->EnsureVisible(30);
    EXPECT_EQ(m_grid->GetLastFullRow(), 30);
    m_grid->EnsureVisible(2);
    EXPECT_EQ(m_grid->GetFirstVisibleRow(), 2);
    m_grid->SetScrollPosition(1, 1000, true);
    EXPECT_EQ(m_grid->GetScrollPosition(1), m_grid->verticalScrollBar()->maximum());
    EXPECT_EQ(m_grid->GetLastFullRow(), 39);
    m_grid->SetScrollPosition(0, -5, true);
    EXPECT_EQ(m_grid->GetScrollPosition(0), 0);

    const QRect area = m_grid->viewport()->rect();
    EXPECT_EQ(m_grid->HitTest(area.topLeft() - QPoint(1, 1)).flags, GHT_ABOVE | GHT_TOLEFT);
    EXPECT_EQ(m_grid->HitTest(area.bottomRight() + QPoint(1, 1)).flags, GHT_BELOW | GHT_TORIGHT);
    const QPoint inside = m_grid->GetCellRect(35, kName).center() - m_grid->viewport()->pos();
    const GridHitTest hit = m_grid->HitTest(inside);
    EXPECT_EQ(hit.row, 35);
    EXPECT_EQ(hit.column, kName);
    EXPECT_EQ(hit.flags, 0u);
}

TEST_F(GridTest, PaintsGridLinesInTheirColour)
{
    if (!FontsAvailable())
        GTEST_SKIP() << "no font";
    Add("Ann");
    Add("Bob");
    m_user.m_gridPen.lopnStyle = 0;
    m_user.m_gridPen.lopnColor = RGB(255, 0, 0);
    m_user.m_dwListFlags |= CLF_GRID_LINES;
    m_grid->Refill(false, true);
    Show();
    const QRect row = m_grid->GetCellRect(1, 4);
    QImage picture = m_grid->grab().toImage();
    EXPECT_EQ(Pixel(picture, row.center().x(), row.bottom()), 0xFF0000u);
    EXPECT_EQ(Pixel(picture, row.right(), row.center().y()), 0xFF0000u);
    m_user.m_dwListFlags &= ~CLF_GRID_LINES;
    picture = m_grid->grab().toImage();
    EXPECT_EQ(
        Pixel(picture, row.center().x(), row.bottom()), Rgb(ColorFromRef(m_user.GetColor(UC_LIST_BACK))));
}

TEST_F(GridTest, HeaderLimitsWidthsAndDropArrows)
{
    Show();
    CFlatHeaderCtrl* header = m_grid->Header();
    HeaderItem item;
    item.text = QStringLiteral("A title");
    item.width = 5;
    item.data = 99;
    const int index = header->InsertItem(0, item);
    const int plain = header->GetWantedWidth(item, false);
    EXPECT_EQ(header->GetWantedWidth(item, true), plain + 10 + 4);
    header->SetItemLimits(index, HLF_SIZE_TO_TITLE | HLF_ROOM_FOR_ARROW, 0, -1);
    EXPECT_EQ(header->GetItemWidth(index), plain + 14);
    header->SetItemLimits(index, HLF_FIXED_WIDTH, 200, 300);
    EXPECT_EQ(header->GetItemWidth(index), plain + 14);

    EXPECT_EQ(header->SetHotDivider(header->GetItemCount() + 2), header->GetItemCount() + 2);
    EXPECT_FALSE(header->HasDropArrows());
    EXPECT_EQ(header->SetHotDivider(1), 1);
    ASSERT_TRUE(header->HasDropArrows());
    auto* arrows = header->findChild<CDropWnd*>();
    EXPECT_EQ(arrows, nullptr);  // a window of its own, not a child
    EXPECT_EQ(header->SetHotDivider(-1), -1);
    EXPECT_FALSE(header->HasDropArrows());

    CDropWnd drop(CFlatHeaderCtrl::kDropArrowsColor);
    drop.Create(20);
    EXPECT_EQ(drop.size(), QSize(12, 40));
    drop.MoveTo(100, 50);
    EXPECT_EQ(drop.pos(), QPoint(94, 30));
}

TEST_F(GridTest, DroppedFilesAreImportedWhenOneIsACard)
{
    m_grid->Refill(false, true);
    const QString card = m_dir->filePath(QStringLiteral("ann.vcf"));
    const QString text = m_dir->filePath(QStringLiteral("notes.txt"));
    for (const auto& [path, bytes] : {std::pair{card,
                                          QByteArray("BEGIN:VCARD\r\nVERSION:2.1\r\nN:Lee;Ann\r\nFN:Ann "
                                                     "Lee\r\nEND:VCARD\r\n")},
             std::pair{text, QByteArray("just text")}}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QMimeData onlyText;
    onlyText.setUrls({QUrl::fromLocalFile(text)});
    EXPECT_FALSE(m_grid->CanAcceptDrop(&onlyText));
    QMimeData both;
    both.setUrls({QUrl::fromLocalFile(text), QUrl::fromLocalFile(card)});
    ASSERT_TRUE(m_grid->CanAcceptDrop(&both));
    EXPECT_EQ(m_grid->DropFiles(&both), 0u);
    ASSERT_EQ(m_grid->GetRowCount(), 1);
    EXPECT_EQ(m_grid->GetRowContact(0)->m_strLastName, "Lee");

    QMimeData missing;
    missing.setUrls(
        {QUrl::fromLocalFile(m_dir->filePath(QStringLiteral("gone.vcf"))), QUrl::fromLocalFile(card)});
    EXPECT_EQ(m_grid->DropFiles(&missing), RC_CANNOT_OPEN);
    EXPECT_EQ(m_grid->GetRowCount(), 1);
}
