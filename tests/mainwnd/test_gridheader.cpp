#include "controls/flatbutton.h"
#include "core/fieldtexts.h"
#include "gridtest.h"
#include "mainwnd/fieldchooser.h"
#include "support/pictures.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QMouseEvent>

namespace {

constexpr int kName = 1;

// Mouse events straight to a widget, with the screen point worked out.
void Mouse(QWidget* w, QEvent::Type type, QPoint local, Qt::MouseButtons buttons = Qt::LeftButton)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, local, w->mapToGlobal(local), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &event);
}

void DragHeader(CFlatHeaderCtrl* header, QPoint from, QPoint to)
{
    Mouse(header, QEvent::MouseButtonPress, from);
    Mouse(header, QEvent::MouseMove, from + QPoint(10, 0));
    Mouse(header, QEvent::MouseMove, to);
    Mouse(header, QEvent::MouseButtonRelease, to, Qt::NoButton);
}

class GridHeaderTest : public GridTest {
protected:
    void SetUp() override
    {
        GridTest::SetUp();
        m_host->move(0, 0);
        m_grid->Refill(false, true);
        Show();
        m_header = m_grid->Header();
    }
    QPoint ItemPoint(int column, double fraction = 0.5) const
    {
        const QRect r = m_header->GetItemRect(m_grid->HeaderItemOfColumn(column));
        return QPoint(r.left() + int(r.width() * fraction), r.center().y());
    }
    CFieldChooserDlg* OpenChooser()
    {
        m_grid->ShowFieldChooser();
        CFieldChooserDlg* chooser = m_grid->GetFieldChooser();
        chooser->move(m_host->width() + 50, 0);
        QCoreApplication::processEvents();
        return chooser;
    }

    bool LayoutSaved() const
    {
        const auto& entries = m_dm->GetRootBook()->m_conditions;
        return std::any_of(entries.begin(), entries.end(),
            [](const BookCondition& c) { return c.m_dwField == 1 && !c.m_strText.empty(); });
    }

    CFlatHeaderCtrl* m_header = nullptr;
};

}  // namespace

TEST_F(GridHeaderTest, LimitsAndDividers)
{
    // The icon column cannot be resized.
    const QPoint iconDivider(m_header->GetItemRect(m_grid->HeaderItemOfColumn(0)).right() + 1, 5);
    Mouse(m_header, QEvent::MouseButtonPress, iconDivider);
    EXPECT_FALSE(m_header->IsTracking());
    Mouse(m_header, QEvent::MouseButtonRelease, iconDivider, Qt::NoButton);
    const int nameItem = m_grid->HeaderItemOfColumn(kName);
    m_header->SetItemLimits(nameItem, 0, 60, 90);
    EXPECT_EQ(m_header->GetItemWidth(nameItem), 90);
    const QPoint nameDivider(m_header->GetItemRect(nameItem).right() + 1, 5);
    Mouse(m_header, QEvent::MouseButtonPress, nameDivider);
    EXPECT_TRUE(m_header->IsTracking());
    Mouse(m_header, QEvent::MouseMove, nameDivider - QPoint(80, 0));
    Mouse(m_header, QEvent::MouseButtonRelease, nameDivider - QPoint(80, 0), Qt::NoButton);
    EXPECT_EQ(m_grid->GetColumnWidth(kName), 60);
    EXPECT_EQ(m_header->GetItemLimits(99).maxWidth, -1);
    EXPECT_EQ(m_header->SetOption(7, 1), 0);

    // Only the grid sets the header's font.
    const QFont before = m_header->HeaderFont();
    QFont big = before;
    big.setPointSize(40);
    m_header->setFont(big);
    EXPECT_EQ(m_header->HeaderFont(), before);
}

TEST_F(GridHeaderTest, ClicksSortAndFlipTheDirection)
{
    const auto click = [&](int column) {
        Mouse(m_header, QEvent::MouseButtonPress, ItemPoint(column));
        Mouse(m_header, QEvent::MouseButtonRelease, ItemPoint(column), Qt::NoButton);
    };
    click(kName);
    EXPECT_EQ(m_grid->GetSortDirection(), 0);
    click(kName);
    EXPECT_EQ(m_grid->GetSortDirection(), 1);
    click(3);
    int ascending = 0;
    EXPECT_EQ(m_header->GetSortItem(&ascending), m_grid->HeaderItemOfColumn(3));
    EXPECT_EQ(ascending, 1);
    EXPECT_EQ(m_grid->GetSortColumn(), 3);

    // The header's menu acts on the item it was opened over.
    int menuItem = -2;
    QObject::connect(
        m_grid, &CRGridCtrl::headerMenuRequested, m_grid, [&](int item, QPoint) { menuItem = item; });
    QContextMenuEvent menu(
        QContextMenuEvent::Mouse, ItemPoint(kName), m_header->mapToGlobal(ItemPoint(kName)));
    QCoreApplication::sendEvent(m_header, &menu);
    EXPECT_EQ(menuItem, m_grid->HeaderItemOfColumn(kName));
    EXPECT_TRUE(m_grid->OnHeaderCommand(ID_HEADER_SORT_DESCENDING));
    EXPECT_EQ(m_grid->GetSortColumn(), kName);
    EXPECT_EQ(m_grid->GetSortDirection(), 0);
    EXPECT_FALSE(m_grid->OnHeaderCommand(ID_CONTACT_NEW));

    // Rows are sorted by the icon column only on a click, never on a refill.
    click(0);
    EXPECT_EQ(m_grid->GetSortColumn(), 0);
    m_grid->Refill(false, true);
    EXPECT_EQ(m_header->GetSortItem(), -1);
}

TEST_F(GridHeaderTest, DraggingItemsMovesThemAndTheArrowFollows)
{
    EXPECT_EQ(m_header->GetSortItem(), m_grid->HeaderItemOfColumn(kName));
    // Onto its own place, or just right of itself: nothing changes.
    DragHeader(m_header, ItemPoint(kName), ItemPoint(kName, 0.8));
    DragHeader(m_header, ItemPoint(kName), ItemPoint(2, 0.2));
    EXPECT_EQ(m_grid->GetShownColumns(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
    DragHeader(m_header, ItemPoint(kName), ItemPoint(3, 0.8));
    EXPECT_EQ(m_grid->GetShownColumns(), (std::vector<int>{0, 2, 3, 1, 4, 5, 6}));
    EXPECT_FALSE(m_header->IsDragging());
    EXPECT_FALSE(m_header->HasDropArrows());
    EXPECT_EQ(m_header->GetSortItem(), m_grid->HeaderItemOfColumn(kName));

    // The arrow stays on its column when a column before it goes.
    m_grid->SetMenuItem(m_grid->HeaderItemOfColumn(2));
    m_grid->RemoveColumn();
    EXPECT_EQ(int(m_header->GetItemData(m_header->GetSortItem())), kName);
    EXPECT_TRUE(LayoutSaved());
}

TEST_F(GridHeaderTest, TheSortArrowReadsAndADraggedItemIsNotLeftPressed)
{
    for (const bool dark : {false, true}) {
        ScopedPalette palette(dark ? DarkPalette() : LightPalette());
        QCoreApplication::processEvents();
        // The arrow: a solid mark that stands out from the header's face.
        const int sortItem = m_header->GetSortItem();
        const QRect item = m_header->GetItemRect(sortItem);
        const QColor face = m_header->palette().color(QPalette::Button);
        const auto ink = [&](const QImage& image) {
            int n = 0;
            for (int y = item.top() + 2; y < item.bottom() - 1; ++y)
                for (int x = item.left() + 2; x < item.right() - 2; ++x)
                    n += std::abs(QColor(image.pixel(x, y)).lightness() - face.lightness()) > 90;
            return n;
        };
        m_header->SetSortItem(-1, 1);
        const int plain = ink(m_header->grab().toImage());
        m_header->SetSortItem(sortItem, 1);
        const QImage before = m_header->grab().toImage().convertToFormat(QImage::Format_RGB32);
        EXPECT_GT(ink(before) - plain, 12) << dark;

        // A drag that ends where it began leaves the item drawn as it was.
        DragHeader(m_header, ItemPoint(3), ItemPoint(3, 0.6));
        QCoreApplication::processEvents();
        const QImage after = m_header->grab().toImage().convertToFormat(QImage::Format_RGB32);
        // A pressed item is drawn inverted: nearly every pixel of it would differ.
        const QRect dragged = m_header->GetItemRect(m_grid->HeaderItemOfColumn(3));
        int changed = 0;
        for (int y = dragged.top(); y <= dragged.bottom(); ++y)
            for (int x = dragged.left(); x <= dragged.right(); ++x)
                changed += std::abs(
                               QColor(before.pixel(x, y)).lightness() - QColor(after.pixel(x, y)).lightness())
                    > 60;
        EXPECT_LT(changed, dragged.width() * dragged.height() / 20) << dark;
    }
}

TEST_F(GridHeaderTest, DroppingOffTheHeaderRemovesOnlyWhileTheChooserIsOpen)
{
    const QPoint below(ItemPoint(3).x(), m_header->height() + 100);
    DragHeader(m_header, ItemPoint(3), below);
    EXPECT_TRUE(m_grid->IsColumnShown(3));

    CFieldChooserDlg* chooser = OpenChooser();
    EXPECT_EQ(m_header->GetDropWindow(), chooser);
    const std::vector<int> listed = chooser->List()->Columns();
    EXPECT_EQ(std::count(listed.begin(), listed.end(), 3), 0);
    DragHeader(m_header, ItemPoint(3), below);
    EXPECT_FALSE(m_grid->IsColumnShown(3));
    const QPoint onChooser = m_header->mapFromGlobal(chooser->mapToGlobal(QPoint(20, 20)));
    DragHeader(m_header, ItemPoint(4), onChooser);
    EXPECT_FALSE(m_grid->IsColumnShown(4));
    const std::vector<int> after = chooser->List()->Columns();
    EXPECT_EQ(std::count(after.begin(), after.end(), 3), 1);
    EXPECT_EQ(std::count(after.begin(), after.end(), 4), 1);

    for (int column : {0, 2, 5, 6})
        DragHeader(m_header, ItemPoint(column), below);
    EXPECT_EQ(m_grid->GetShownColumns(), std::vector<int>{kName});
    DragHeader(m_header, ItemPoint(kName), below);
    EXPECT_EQ(m_grid->GetShownColumns(), std::vector<int>{kName});
    m_grid->SetMenuItem(0);
    m_grid->RemoveColumn();
    ASSERT_EQ(m_messages.shown.size(), 1u);
    EXPECT_EQ(m_messages.shown[0].text, "Can't delete last column");

    // "All fields" lists every column not shown, the icon column too.
    chooser->Groups()->setCurrentIndex(7);
    EXPECT_EQ(chooser->List()->count(), 71);
    EXPECT_EQ(chooser->List()->Columns().front(), 0);
    m_grid->SetMenuItem(m_grid->HeaderItemOfColumn(kName));
    m_grid->SortDescending();
    chooser->RestoreButton()->click();
    EXPECT_EQ(m_grid->GetShownColumns(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(m_grid->GetSortColumn(), kName);
    EXPECT_EQ(m_grid->GetSortDirection(), 1);
    EXPECT_EQ(chooser->List()->count(), 65);
}

TEST_F(GridHeaderTest, FieldsDroppedFromTheChooserLandOnlyOnTheHeader)
{
    CFieldChooserDlg* chooser = OpenChooser();
    chooser->Groups()->setCurrentIndex(5);  // names
    CFieldListBox* list = chooser->List();
    const int first = list->Columns().front();
    EXPECT_EQ(first, 9);
    const QPoint item = list->viewport()->mapToGlobal(list->visualItemRect(list->item(0)).center());
    const QPoint overName = m_header->mapToGlobal(ItemPoint(kName, 0.7));

    // Released over the list, also after passing the header, or below the
    // header at a column's x: nothing.
    ASSERT_TRUE(list->BeginDrag(item));
    list->Dragging(overName);
    list->Dropped(item + QPoint(0, 3));
    ASSERT_TRUE(list->BeginDrag(item));
    list->Dragging(overName + QPoint(0, 200));
    EXPECT_EQ(list->InsertPosition(), -1);
    list->Dropped(overName + QPoint(0, 200));
    EXPECT_FALSE(m_grid->IsColumnShown(first));
    EXPECT_EQ(list->Columns().front(), first);

    ASSERT_TRUE(list->BeginDrag(item));
    list->Dragging(overName);
    EXPECT_EQ(list->InsertPosition(), 2);
    EXPECT_TRUE(m_header->HasDropArrows());
    list->Dropped(overName);
    EXPECT_FALSE(m_header->HasDropArrows());
    EXPECT_EQ(m_grid->GetColumnPosition(first), 2);
    EXPECT_NE(list->Columns().front(), first);
}

TEST_F(GridHeaderTest, ChooseFieldsDialog)
{
    m_user.m_dwFindFlags = 129 | 0x100;
    CDialogChooseFields dialog(m_user);
    QListWidget* list = dialog.List();
    ASSERT_EQ(list->count(), 8);
    EXPECT_EQ(list->item(0)->text(), "All name fields");
    EXPECT_EQ(list->item(1)->text(), "Company");
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(list->item(i)->checkState() == Qt::Checked, i == 0 || i == 7) << i;
    list->item(0)->setCheckState(Qt::Unchecked);
    list->item(2)->setCheckState(Qt::Checked);
    dialog.reject();
    EXPECT_EQ(m_user.m_dwFindFlags, 0x181u);
    dialog.accept();
    EXPECT_EQ(m_user.m_dwFindFlags, 0x184u);
    EXPECT_EQ(dialog.result(), IDOK);
}
