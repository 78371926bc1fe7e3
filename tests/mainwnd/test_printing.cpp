#include "framefixture.h"
#include "gridtest.h"
#include "mainwnd/commands.h"
#include "mainwnd/printcommands.h"
#include "platform/recorddc.h"
#include "print/printman.h"

namespace {

using GridPrintTest = GridTest;
using FramePrintTest = FrameTest;

}  // namespace

TEST_F(GridPrintTest, TheShownColumnsPrintAsTheReportsHeadingAndRows)
{
    m_grid->Refill(false, true);
    Add("Zed Young");
    CRecordDC dc(PageCaps::FullPage(21000, 29700));
    LOGFONT font;
    font.lfHeight = -400;
    dc.SelectFont(font);
    RECT rect{0, 0, 20000, -29000};
    m_grid->PrintHeader(true, rect, dc);
    // The icon column prints nothing; the others give their titles, centred.
    ASSERT_NE(dc.FindText("Name"), nullptr);
    EXPECT_EQ(rect.top, -600);
    const i32 total = m_grid->GetTotalWidth() - m_grid->GetColumnWidth(0);
    ASSERT_GT(total, 0);
    const i32 scale = 20000 / total;
    EXPECT_EQ(dc.FindText("Name")->at.x, (m_grid->GetColumnWidth(1) * scale - 4 * 200) / 2);

    const Contact& contact = *m_dm->GetContactAt(0);
    EXPECT_EQ(m_grid->PrintRow(true, rect, dc, contact, false), 0);
    ASSERT_NE(dc.FindText("Zed Young"), nullptr);
    EXPECT_EQ(dc.FindText("Zed Young")->at, (POINT{CRGridCtrl::kInset * scale, -600}));
    // A row that does not fit is left for the next page.
    RECT full{0, -600, 20000, -700};
    EXPECT_EQ(m_grid->PrintRow(true, full, dc, contact, false), 1);
}

TEST_F(FramePrintTest, PrintPreviewTakesThePanesPlaceUntilClosed)
{
    PrintMan pm;
    pm.SetSources(m_dataMan.get(), m_userMan.get());
    pm.m_Printmode = PM_MEMO;
    pm.m_Printtype = PR_LIST;
    auto* commands = new CPrintCommands(Frame(), pm, *m_dataMan);
    QWidget* panes = Frame().centralWidget();
    Select({0});
    Trigger(ID_FILE_PRINT_PREVIEW);
    ASSERT_TRUE(commands->InPreview());
    EXPECT_EQ(Frame().centralWidget(), commands->Preview());
    EXPECT_EQ(commands->Preview()->Pages()->Info().GetMaxPage(), 1u);
    // The begin pass took every shown contact and cleared their marks.
    for (Contact* contact : Grid().ShownContacts())
        EXPECT_FALSE(contact->m_dwDisplayFlags & CDF_PRINT);
    EXPECT_FALSE(Enabled(ID_FILE_PRINT_PREVIEW));

    commands->Preview()->Bar()->Action(AFX_ID_PREVIEW_CLOSE)->trigger();
    QApplication::processEvents();
    EXPECT_FALSE(commands->InPreview());
    EXPECT_EQ(Frame().centralWidget(), panes);
    EXPECT_TRUE(Enabled(ID_FILE_PRINT_PREVIEW));
}
