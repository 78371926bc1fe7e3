#include "core/fieldtexts.h"
#include "platform/fontconv.h"
#include "print/columnreport.h"
#include "print/printtesting.h"
#include "print/ui/printpreview.h"
#include "support/pictures.h"

#include <QAction>
#include <QPainter>
#include <QStyle>
#include <QTest>

namespace {

class PreviewTest : public PrintFixture {
protected:
    void SetUp() override
    {
        PrintFixture::SetUp();
        // Real fonts for pictures: the desktop's, at 10 points.
        LOGFONT font = DesktopFont();
        font.lfHeight = -13;
        for (int element = 1; element <= 9; ++element)
            m_pm.SetFont(element, font);
        m_pm.m_memoHead = {"Contacts", "", "[Page #]"};
        m_pm.m_memoFoot = {"", "[Current date]", ""};
        m_pm.m_reportHead = m_pm.m_memoHead;
    }

    void AddPeople(int count)
    {
        for (int i = 0; i < count; ++i) {
            Contact& c = Add("Person " + std::to_string(100 + i));
            c.m_strFirstName = "Person";
            c.m_strLastName = std::to_string(100 + i);
            c.m_strCompany = "Company " + std::to_string(i % 7);
            c.m_phones = {{1, "+1 555 0100"}, {11, "+1 555 0200"}};
            c.m_emails = {{1, "person" + std::to_string(i) + "@example.org"}};
            ContactAddress home;
            home.m_dwType = ADDR_HOME | ADDR_DEFAULT;
            home.m_strStreet = std::to_string(i + 1) + " Main Street";
            home.m_strCity = "Springfield";
            home.m_strZip = "12345";
            c.m_addresses = {home};
            c.m_strNotes = "Met at the conference. Prefers mail to calls.";
        }
    }

    // The first page of the job in the current style, as a picture.
    QImage FirstPage(const PageCaps& caps, CReportPrinter* report = nullptr)
    {
        CRecordDC measure(caps);
        m_info = CPrintInfo();
        m_info.m_pReport = report;
        m_info.m_bPreview = true;
        m_pm.BeginPrinting(measure, m_info);
        const double scale = 0.04;
        QImage image(int(caps.physicalWidth * scale), int(caps.physicalHeight * scale), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        CPainterDC dc(painter, caps, scale);
        m_info.m_nCurPage = 1;
        m_info.m_rectDraw = caps.DrawRect();
        m_pm.PrintPage(dc, m_info);
        painter.end();
        m_pm.EndPrinting();
        return image;
    }
};

// Whether anything but white was drawn in the rectangle.
bool Inked(const QImage& image, const QRect& rect)
{
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (Pixel(image, x, y) != 0xFFFFFF)
                return true;
    return false;
}

}  // namespace

TEST_F(PreviewTest, PagesCommandsZoomAndTheRememberedPageCount)
{
    AddPeople(3);
    m_pm.m_Printmode = PM_ENVELOPE;
    CPrintPreview preview(m_pm);
    preview.resize(800, 600);
    CPrintPreviewWnd& pages = *preview.Pages();
    pages.SetPrintView(PageCaps::FullPage(21000, 29700), nullptr, true);
    preview.show();
    QCoreApplication::processEvents();
    CPreviewBar& bar = *preview.Bar();
    ASSERT_EQ(pages.Info().GetMaxPage(), 3u);
    EXPECT_FALSE(bar.Action(AFX_ID_PREVIEW_PREV)->isEnabled());
    EXPECT_TRUE(bar.Action(AFX_ID_PREVIEW_NEXT)->isEnabled());
    EXPECT_EQ(bar.Action(AFX_ID_PREVIEW_NUMPAGE)->text(), "&Two Page");

    // Two pages, then next: pages 2-3, and no further.
    bar.Action(AFX_ID_PREVIEW_NUMPAGE)->trigger();
    EXPECT_EQ(pages.PagesShown(), 2);
    EXPECT_EQ(bar.Action(AFX_ID_PREVIEW_NUMPAGE)->text(), "&One Page");
    bar.Action(AFX_ID_PREVIEW_NEXT)->trigger();
    EXPECT_EQ(pages.CurrentPage(), 2u);
    EXPECT_EQ(pages.PageNumberText(), "Pages 2-3");
    EXPECT_FALSE(bar.Action(AFX_ID_PREVIEW_NEXT)->isEnabled());
    EXPECT_TRUE(bar.Action(AFX_ID_PREVIEW_PREV)->isEnabled());
    EXPECT_EQ(CPrintPreviewWnd::RememberedPageCount(), 2);

    // Zoom in twice by the bar, then once more by a click: back to the whole page.
    bar.Action(AFX_ID_PREVIEW_ZOOMIN)->trigger();
    EXPECT_EQ(pages.ZoomState(), CPrintPreviewWnd::ZOOM_MIDDLE);
    EXPECT_EQ(pages.PagesShown(), 1);
    EXPECT_FALSE(bar.Action(AFX_ID_PREVIEW_NUMPAGE)->isEnabled());
    const int middleWidth = pages.PageRect(0).width();
    bar.Action(AFX_ID_PREVIEW_ZOOMIN)->trigger();
    EXPECT_EQ(pages.ZoomState(), CPrintPreviewWnd::ZOOM_IN);
    EXPECT_GT(pages.PageRect(0).width(), middleWidth);
    EXPECT_FALSE(bar.Action(AFX_ID_PREVIEW_ZOOMIN)->isEnabled());
    const QPoint onPage = pages.PageRect(0).intersected(pages.viewport()->rect()).center();
    QTest::mouseClick(pages.viewport(), Qt::LeftButton, {}, onPage);
    EXPECT_EQ(pages.ZoomState(), CPrintPreviewWnd::ZOOM_OUT);
    EXPECT_EQ(pages.PagesShown(), 2);

    // Jumping far needs no measuring: the page is drawn from where it starts.
    pages.SetCurrentPage(1000);
    EXPECT_EQ(pages.CurrentPage(), 3u);

    // A new preview shows two pages again; a job of one page cannot.
    CPrintPreview again(m_pm);
    m_dataMan.GetContactAt(0)->m_dwDisplayFlags |= CDF_PRINT;
    again.Pages()->SetPrintView(PageCaps::FullPage(21000, 29700), nullptr, true);
    EXPECT_EQ(again.Pages()->PagesShown(), 2);
    again.Bar()->Action(AFX_ID_PREVIEW_NUMPAGE)->trigger();
    EXPECT_EQ(again.Pages()->PagesShown(), 1);
    EXPECT_FALSE(again.Bar()->Action(AFX_ID_PREVIEW_NUMPAGE)->isEnabled());
    EXPECT_FALSE(again.Bar()->Action(AFX_ID_PREVIEW_NEXT)->isEnabled());
}

TEST_F(PreviewTest, FirstPagesOfEveryStyleAndThePreviewWindow)
{
    if (!FontsAvailable())
        GTEST_SKIP() << "no fonts";
    AddPeople(40);
    const PageCaps a4 = PageCaps::FullPage(21000, 29700);
    QList<QImage> styles;

    auto choose = [this] {
        for (int i = 0; i < m_dataMan.GetContactCount(); ++i)
            m_dataMan.GetContactAt(i)->m_dwDisplayFlags |= CDF_PRINT;
    };
    choose();
    m_pm.m_Printmode = PM_MEMO;
    styles << FirstPage(a4);
    SavePicture(styles.back(), "print-memo");

    CColumnReport report({{FID_NAME, "Name", 120, 0, false}, {FID_COMPANY, "Company", 90, 0, false},
        {FID_HOME_PHONE, "Home phone", 80, kColumnAlignRight, false},
        {FID_HOME_EMAIL, "Home email", 140, 0, false}});
    choose();
    m_pm.m_Printmode = PM_REPORT;
    styles << FirstPage(a4, &report);
    SavePicture(styles.back(), "print-report");

    choose();
    m_pm.m_Printmode = PM_ENVELOPE;
    m_pm.m_EnvelopeData = kEnvelopeSizeTable[15];  // DL
    m_pm.m_EnvelopeFeed = 5;
    m_pm.m_AddrRet = "Tolva Ltd\r\n1 Long Road\r\nOldtown";
    m_pm.m_AddrRetMargins = {100, 100, 0, 0};
    m_pm.m_AddrDelivMargins = {1000, 500, 0, 0};
    styles << FirstPage(a4);
    SavePicture(styles.back(), "print-envelope");
    choose();
    m_pm.m_EnvelopeFeed = 2;  // turned: the text runs down the page
    const QImage turned = FirstPage(a4);
    SavePicture(turned, "print-envelope-turned");
    EXPECT_TRUE(Inked(turned, QRect(turned.width() / 2, 0, turned.width() / 2, turned.height() / 3)));
    m_pm.m_EnvelopeFeed = 5;

    choose();
    m_pm.m_Printmode = PM_LABELS;
    m_pm.m_LabelPrintRange = PR_LABEL_SELECTION;
    LabelDefinition& l = m_pm.m_Label;
    l.m_wColumns = 3;
    l.m_wRows = 7;
    l.m_wWidth = 3600;
    l.m_wHeight = 2160;
    l.m_wColumnSpacing = 142;
    l.m_wLeftMargin = 408;
    l.m_wTopMargin = 859;
    m_pm.m_LabelFields = 0;
    styles << FirstPage(a4);
    SavePicture(styles.back(), "print-labels");
    SavePicture(Montage(styles), "print-styles");

    // Every style put ink near the top left of its page, where its first text belongs.
    for (const QImage& page : styles)
        EXPECT_TRUE(Inked(page, QRect(0, 0, page.width() / 2, page.height() / 3)));

    for (const auto& [palette, name] :
        {std::pair{LightPalette(), "light"}, std::pair{DarkPalette(), "dark"}}) {
        ScopedPalette scoped(palette);
        choose();
        m_pm.m_Printmode = PM_MEMO;
        CPrintPreview preview(m_pm);
        preview.resize(900, 640);
        preview.Pages()->SetPrintView(a4, nullptr, true);
        SavePicture(Grab(&preview), QStringLiteral("print-preview-%1").arg(name));
        // Tolva's own pictures: the Print button shows no save picture, and
        // every button has one.
        const QImage save = preview.style()->standardIcon(QStyle::SP_DialogSaveButton).pixmap(16).toImage();
        for (u32 id : {AFX_ID_PREVIEW_PRINT, AFX_ID_PREVIEW_PREV, AFX_ID_PREVIEW_NEXT, AFX_ID_PREVIEW_NUMPAGE,
                 AFX_ID_PREVIEW_ZOOMIN, AFX_ID_PREVIEW_ZOOMOUT, ID_PREVIEW_PAGESETUP, AFX_ID_PREVIEW_CLOSE}) {
            const QImage picture = preview.Bar()->Action(id)->icon().pixmap(16).toImage();
            EXPECT_FALSE(picture.isNull()) << id;
            EXPECT_NE(picture.convertToFormat(save.format()), save) << id;
        }
    }
}

TEST_F(PreviewTest, AnEnvelopeWiderThanThePaperIsNotDrawnPastIt)
{
    // A DL envelope fed in landscape is 220 mm across, on A4 paper.
    AddPeople(1);
    m_dataMan.GetContactAt(0)->m_dwDisplayFlags |= CDF_PRINT;
    m_pm.m_Printmode = PM_ENVELOPE;
    m_pm.m_EnvelopeData = kEnvelopeSizeTable[15];
    ASSERT_EQ(m_pm.m_EnvelopeData.m_wWidth, 2200);
    m_pm.m_EnvelopeFeed = 4;
    m_pm.m_AddrDelivMargins = {2000, 500, 0, 0};
    CPrintPreview preview(m_pm);
    preview.resize(900, 640);
    preview.Pages()->SetPrintView(PageCaps::FullPage(21000, 29700), nullptr, true);
    preview.show();
    QApplication::processEvents();
    CPrintPreviewWnd* pages = preview.Pages();
    const QImage picture = pages->viewport()->grab().toImage();
    const QRect page = pages->PageRect(0);
    ASSERT_FALSE(page.isEmpty());
    // Beyond the page's edge and its shadow lies the background alone.
    const QRgb background = Pixel(picture, picture.width() - 1, picture.height() - 1);
    int drawn = 0;
    for (int y = page.top(); y <= page.top() + page.height() / 2; ++y)
        for (int x = page.right() + 6; x < std::min(picture.width(), page.right() + 40); ++x)
            drawn += Pixel(picture, x, y) != background;
    EXPECT_EQ(drawn, 0);
}
