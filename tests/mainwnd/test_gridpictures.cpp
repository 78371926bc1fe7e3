#include "gridtest.h"
#include "mainwnd/fieldchooser.h"
#include "platform/fontconv.h"
#include "platform/ui/syscolor.h"

#include <QScrollBar>
#include <climits>

namespace {

class GridPictureTest : public GridTest {
protected:
    void Fill()
    {
        const char* names[][3] = {{"Ann Baker", "Baker", "555 0101"}, {"Carl Diaz", "Diaz", "555 0102"},
            {"Eve Fischer", "Fischer", ""}, {"Gus Hall", "Hall", "555 0104"},
            {"Ida Jones", "Jones", "555 0105"}, {"Kim Lopez", "Lopez", ""},
            {"Max Novak", "Novak", "555 0107"}};
        u32 icon = 0;
        for (const auto& n : names) {
            Contact* c = Add(n[0], n[1]);
            c->m_dwIcon = icon++;
            if (*n[2])
                c->m_phones = {{1 | CV_DEFAULT_HOME_PHONE, n[2]}};
            c->m_emails = {{1 | CV_DEFAULT_HOME_EMAIL, std::string(n[1]) + "@example.org"}};
            c->m_addresses = {{ADDR_HOME | ADDR_DEFAULT, "1 Main Street", "Springfield", "", "", "", 0, 0}};
        }
        m_grid->Refill(false, true);
        m_host->resize(720, 220);
        m_grid->setGeometry(m_host->rect());
    }
};

}  // namespace

TEST_F(GridPictureTest, Pictures)
{
    if (!FontsAvailable())
        GTEST_SKIP() << "no font";
    Fill();
    for (bool dark : {false, true}) {
        ScopedPalette palette(dark ? DarkPalette() : LightPalette());
        const QString look = dark ? QStringLiteral("dark") : QStringLiteral("light");
        m_user.m_dwListFlags |= CLF_GRID_LINES;
        m_grid->SelectRange(1, 3, true, false, false);
        m_grid->setFocus();
        SavePicture(Grab(m_host.get()), QStringLiteral("grid-lines-") + look);
        m_user.m_dwListFlags &= ~CLF_GRID_LINES;
        m_grid->Header()->SetSortItem(m_grid->Header()->GetSortItem(), 0);
        m_host->update();
        const QImage plain = Grab(m_host.get());
        SavePicture(plain, QStringLiteral("grid-nolines-") + look);
        m_grid->Header()->SetSortItem(m_grid->Header()->GetSortItem(), 1);
        // Selected rows show in the highlight colour while the grid has the
        // focus, else in the face colour.
        const QRect second = m_grid->GetCellRect(2, 1);
        const auto role = m_grid->hasFocus() ? QPalette::Highlight : QPalette::Button;
        const qreal scale = plain.devicePixelRatio();
        EXPECT_EQ(Pixel(plain, int((second.right() - 2) * scale), int(second.center().y() * scale)),
            Rgb(m_grid->palette().color(role)));

        m_grid->ShowFieldChooser();
        CFieldChooserDlg* chooser = m_grid->GetFieldChooser();
        SavePicture(Grab(chooser), QStringLiteral("fieldchooser-") + look);
        chooser->close();
        CDialogChooseFields choose(m_user);
        SavePicture(Grab(&choose), QStringLiteral("choosefields-") + look);
        QCoreApplication::processEvents();
        EXPECT_EQ(m_grid->GetFieldChooser(), nullptr);
    }
    m_grid->DeleteAllRows();
    SavePicture(Grab(m_host.get()), QStringLiteral("grid-empty-light"));
}

TEST_F(GridPictureTest, TheEmptyListSaysSoInsideItsBorders)
{
    if (!FontsAvailable())
        GTEST_SKIP() << "no font";
    ScopedPalette palette(LightPalette());
    const QFont font(QStringLiteral("DejaVu Sans"), 20);
    m_user.SetFont(UFK_LIST, LogFontFromQFont(font));
    m_grid->ApplySettings(false, true);
    m_grid->Refill(false, true);
    ASSERT_EQ(m_grid->GetRowCount(), 0);
    // Widths where the words take one line, two lines, the first of them
    // just fitting, and one word a line.
    const int justFits
        = QFontMetrics(font).horizontalAdvance(QStringLiteral("There are no contacts to show in this")) + 8;
    for (const int width : {900, justFits, 430, 330, 180}) {
        m_host->resize(width, 300);
        m_grid->setGeometry(m_host->rect());
        const QImage picture = Grab(m_host.get());
        SavePicture(picture, QStringLiteral("grid-empty-%1").arg(width));
        // Where the text's ink lies inside the list.
        const QRect inside(m_grid->viewport()->mapTo(m_host.get(), QPoint(0, 0)), m_grid->viewport()->size());
        const qreal scale = picture.devicePixelRatio();
        const QRgb back = Rgb(ColorFromRef(m_user.GetColor(UC_LIST_BACK)));
        int left = INT_MAX;
        int right = -1;
        for (int y = inside.top(); y <= inside.bottom(); ++y)
            for (int x = inside.left(); x <= inside.right(); ++x)
                if (Pixel(picture, int(x * scale), int(y * scale)) != back) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
        ASSERT_GE(right, 0) << width;
        // The words keep a margin on both sides and stand in the middle.
        const int margin = QFontMetrics(font).averageCharWidth() / 2;
        EXPECT_GE(left - inside.left(), margin) << width;
        EXPECT_GE(inside.right() - right, margin) << width;
        EXPECT_LE(std::abs((left - inside.left()) - (inside.right() - right)), margin) << width;
    }
}
