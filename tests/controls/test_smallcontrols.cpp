#include "controls/borderrebar.h"
#include "controls/colorbutton.h"
#include "controls/colorlistctrl.h"
#include "controls/colorpopup.h"
#include "controls/fontcolordialog.h"
#include "controls/linkstatic.h"
#include "controls/listpreview.h"
#include "controls/ownerdrawcombo.h"
#include "controls/styledline.h"
#include "controlstest.h"
#include "core/userman.h"
#include "platform/ui/openlink.h"
#include "platform/ui/syscolor.h"
#include "platform/ui/window.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDesktopServices>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace {

// The pixels of a one-pixel line across the image, '#' drawn and '.' not.
QString Trace(int deviceWidth, int x1, int x2, int style)
{
    QImage image(deviceWidth, 3, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setPen(Qt::black);
    StyledLine line;
    line.SetDC(&image);
    line.DrawLine(p, x1, 1, x2, 1, style);
    p.end();
    QString trace;
    for (int x = 0; x < 40; ++x)
        trace += Pixel(image, x, 1) == 0 ? u'#' : u'.';
    return trace;
}

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void Open(const QUrl& url) { opened << url; }
};

}  // namespace

TEST(StyledLine, RunsFollowTheStyleAndTheDeviceWidth)
{
    EXPECT_EQ(Trace(640, 0, 40, 3), "####....#....####....#....####....#....#");
    EXPECT_EQ(Trace(1024, 0, 40, 3), "####....##....####....##....####....##..");
    EXPECT_EQ(Trace(640, 0, 40, 1), "####.....####.....####.....####.....####");
    EXPECT_EQ(Trace(1024, 0, 40, 2), "##..##..##..##..##..##..##..##..##..##..");
    EXPECT_EQ(Trace(640, 0, 40, 4), "####....#.#....####....#.#....####....#.");
    EXPECT_EQ(Trace(640, 0, 40, 9), "#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.#.");
    // The line ends at its end point, inside a drawn run or not.
    EXPECT_EQ(Trace(640, 0, 10, 3), "####....#...............................");
    EXPECT_EQ(Trace(640, 0, 6, 3), "####....................................");
    // Given from its far end it is the same line.
    EXPECT_EQ(Trace(640, 30, 3, 3), Trace(640, 3, 30, 3));

    QImage image(5, 20, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setPen(Qt::black);
    StyledLine line;
    line.SetDC(&image);
    line.DrawLine(p, 2, 0, 2, 20, 1);
    p.end();
    EXPECT_EQ(Pixel(image, 2, 3), 0u);
    EXPECT_EQ(Pixel(image, 2, 4), 0xFFFFFFu);
    EXPECT_EQ(Pixel(image, 2, 9), 0u);

    // On a window the unit follows the screen, whatever the window's width.
    QWidget narrow;
    const int screenWidth = narrow.screen()->geometry().width();
    const std::vector<int> screenRuns
        = screenWidth > StyledLine::kWideDevice ? std::vector{2, 2} : std::vector{1, 1};
    narrow.resize(100, 10);
    QWidget wide;
    wide.resize(screenWidth + 200, 10);
    for (QWidget* window : {&narrow, &wide}) {
        line.SetDC(window);
        EXPECT_EQ(line.Runs(2), screenRuns) << window->width();
    }
}

TEST(LinkStatic, OpensItsOwnTextOrItsTargetButOnlyWebAndMailAddresses)
{
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("http", &catcher, "Open");
    QDesktopServices::setUrlHandler("https", &catcher, "Open");
    QDesktopServices::setUrlHandler("mailto", &catcher, "Open");
    // Blue where it reads; lightened on the dark face, where blue would not.
    std::unique_ptr<QWidget> window;
    CLinkStatic* link = nullptr;
    for (const auto& [name, palette] :
        {std::pair{"dark", DarkPalette()}, std::pair{"light", LightPalette()}}) {
        ScopedPalette scoped(palette);
        window = std::make_unique<QWidget>();
        link = new CLinkStatic("www.example.com/tolva", window.get());
        link->SetLink();
        link->resize(180, 20);
        const QImage picture = Grab(link);
        if (FontsAvailable())
            SavePicture(picture, QStringLiteral("linkstatic_%1").arg(name));
        const QColor face = GetSysColor(COLOR_3DFACE, palette);
        EXPECT_GE(ContrastRatio(link->palette().color(QPalette::WindowText), face), 4.5) << name;
        if (FontsAvailable()) {
            EXPECT_GE(StrongestContrast(picture, picture.rect(), face), 4.5) << name;
        }
    }
    EXPECT_EQ(Rgb(link->palette().color(QPalette::WindowText)), Rgb(Qt::blue));
    EXPECT_TRUE(link->font().underline());
    EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseClick(link, Qt::LeftButton);
    ASSERT_EQ(catcher.opened.size(), 1);
    EXPECT_EQ(catcher.opened[0], QUrl("http://www.example.com/tolva"));

    link->SetLink("mailto:support@example.com");
    QTest::mouseClick(link, Qt::LeftButton);
    EXPECT_EQ(catcher.opened.last(), QUrl("mailto:support@example.com"));
    link->SetLink("file:///etc/passwd");
    QTest::mouseClick(link, Qt::LeftButton);
    EXPECT_EQ(catcher.opened.size(), 2);
    for (const char* scheme : {"http", "https", "mailto"})
        QDesktopServices::unsetUrlHandler(scheme);

    EXPECT_EQ(LinkUrl("https://example.com/a b"), QUrl("https://example.com/a%20b"));
    for (const char* refused :
        {"", "javascript:alert(1)", "file:///tmp/x", "ftp://example.com", "/etc/passwd"})
        EXPECT_FALSE(LinkUrl(refused).isValid()) << refused;
}

TEST(ListPreviewStatic, PaintsTheSampleInTheChosenColoursAndLines)
{
    LOGFONT header;
    header.lfHeight = -13;
    header.lfWeight = FW_BOLD;
    std::strcpy(header.lfFaceName, "DejaVu Sans");
    LOGFONT list = header;
    list.lfWeight = FW_NORMAL;
    CListPreviewStatic preview;
    preview.resize(260, 70);
    preview.SetSample(
        header, list, CListPreviewStatic::kSolidLines, RGB(255, 0, 0), RGB(0xE4, 0xE4, 0xCB), 0x800000, 0);
    const QImage solid = Grab(&preview);
    if (FontsAvailable())
        SavePicture(solid, "listpreview_light");
    const int dpi = preview.logicalDpiY();
    const int rowsTop = 2 + 10 + MulDiv(13, 72, dpi);
    const int lineY = rowsTop + 10 + MulDiv(13, 72, dpi);
    EXPECT_EQ(Pixel(solid, 23, 60), Rgb(Qt::red));
    EXPECT_EQ(Pixel(solid, 260 - 33, 60), Rgb(Qt::red));
    EXPECT_EQ(Pixel(solid, 120, lineY), Rgb(Qt::red));
    EXPECT_EQ(Pixel(solid, 10, 60), Rgb(QColor(0xE4, 0xE4, 0xCB)));
    EXPECT_EQ(Pixel(solid, 0, 30), Rgb(GetSysColor(COLOR_3DSHADOW, &preview)));

    preview.SetSample(
        header, list, CListPreviewStatic::kNoLines, RGB(255, 0, 0), RGB(0xE4, 0xE4, 0xCB), 0, 0);
    EXPECT_EQ(Pixel(Grab(&preview), 23, 60), Rgb(QColor(0xE4, 0xE4, 0xCB)));
    preview.SetSample(header, list, 1, RGB(255, 0, 0), RGB(0xE4, 0xE4, 0xCB), 0, 0);
    const QImage dashed = Grab(&preview);
    EXPECT_EQ(Pixel(dashed, 23, rowsTop), Rgb(Qt::red));
    EXPECT_EQ(Pixel(dashed, 23, rowsTop + 4), Rgb(QColor(0xE4, 0xE4, 0xCB)));
    if (FontsAvailable()) {
        ScopedPalette dark(DarkPalette());
        preview.SetSample(header, list, CListPreviewStatic::kSolidLines, RGB(255, 0, 0),
            RGB(0xE4, 0xE4, 0xCB), 0x800000, 0);
        const QImage onDark = Grab(&preview);
        SavePicture(onDark, "listpreview_dark");
        // The header's navy text, as the grid's own header draws it there,
        // gives way to a colour that reads on the dark face.
        const QRect headerText(2 + 24 + 3, 2 + 3, 260 - 56 - 2 - 24 - 6, rowsTop - 2 - 6);
        EXPECT_GE(StrongestContrast(onDark, headerText, GetSysColor(COLOR_3DFACE, &preview)), 4.5);
    }
}

TEST(ColorListCtrl, HeaderItemsGetThinFramesSunkenWhilePressed)
{
    ScopedPalette scoped(LightPalette());
    CColorListCtrl list;
    list.setHeaderLabels({"Name", "Time zone"});
    list.addTopLevelItem(new QTreeWidgetItem(QStringList{"Berlin", "+01:00"}));
    list.resize(240, 90);
    Grab(&list);
    QHeaderView* header = list.header();
    EXPECT_EQ(GetWindowUserData(header) & 0x80000000u, 0x80000000u);
    const QImage idle = Grab(header);
    EXPECT_EQ(Pixel(idle, 0, 3), Rgb(GetSysColor(COLOR_3DHILIGHT, header)));
    EXPECT_EQ(Pixel(idle, 1, 3), Rgb(GetSysColor(COLOR_3DFACE, header)));
    QTest::mousePress(header->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    const QImage pressed = Grab(header);
    EXPECT_EQ(Pixel(pressed, 0, 3), Rgb(GetSysColor(COLOR_3DDKSHADOW, header)));
    QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(Pixel(Grab(header), 0, 3), Rgb(GetSysColor(COLOR_3DHILIGHT, header)));
    if (FontsAvailable()) {
        SavePicture(Grab(&list), "colorlistctrl_light");
        ScopedPalette dark(DarkPalette());
        SavePicture(Grab(&list), "colorlistctrl_dark");
    }
}

TEST(OwnerDrawCombo, ItemsAreAsHighAsTheFontWithItsLeading)
{
    COwnerDrawCombo combo;
    combo.addItems({"Memo Style", "Report Style"});
    QStyleOptionViewItem option;
    option.font = combo.font();
    option.fontMetrics = QFontMetrics(combo.font());
    const QSize size = combo.itemDelegate()->sizeHint(option, combo.model()->index(0, 0));
    EXPECT_EQ(size.height(), option.fontMetrics.height() + option.fontMetrics.leading());
    combo.resize(160, 24);
    combo.showPopup();
    QAbstractItemView* view = combo.view();
    if (FontsAvailable())
        SavePicture(Grab(view), "ownerdrawcombo_list_light");
    const QRect first = view->visualRect(combo.model()->index(0, 0));
    EXPECT_EQ(Pixel(Grab(view), first.x() + first.width() / 2, first.y() + 1),
        Rgb(GetSysColor(COLOR_HIGHLIGHT, view)));
    combo.hidePopup();
    if (FontsAvailable()) {
        ScopedPalette dark(DarkPalette());
        COwnerDrawCombo onDark;
        onDark.addItems({"Memo Style", "Report Style"});
        onDark.resize(160, 24);
        onDark.showPopup();
        SavePicture(Grab(onDark.view()), "ownerdrawcombo_list_dark");
        onDark.hidePopup();
    }
}

TEST(BorderReBar, InnerEdgeFollowsTheRebarFlags)
{
    ScopedPalette scoped(LightPalette());
    UserMan settings;
    SetAppUserMan(&settings);
    CBorderReBar bar;
    bar.resize(120, 30);
    const QImage plain = Grab(&bar);
    EXPECT_EQ(Pixel(plain, 0, 10), Rgb(GetSysColor(COLOR_3DSHADOW, &bar)));
    EXPECT_EQ(Pixel(plain, 119, 10), Rgb(GetSysColor(COLOR_3DHILIGHT, &bar)));
    EXPECT_EQ(Pixel(plain, 1, 10), Rgb(GetSysColor(COLOR_3DFACE, &bar)));
    settings.m_dwRebarFlags = CBorderReBar::kInnerEdge;
    bar.update();
    const QImage edged = Grab(&bar);
    EXPECT_EQ(Pixel(edged, 1, 10), Rgb(GetSysColor(COLOR_3DHILIGHT, &bar)));
    EXPECT_EQ(Pixel(edged, 118, 10), Rgb(GetSysColor(COLOR_3DSHADOW, &bar)));
    SetAppUserMan(nullptr);
}

TEST(FontColorDialog, ColourButtonPicksTheTextColourThatOnlyOkCommits)
{
    CFontColorDialog dialog(nullptr, RGB(0, 0, 128));
    auto* button = qobject_cast<CColorButton*>(GetDlgItem(&dialog, CFontColorDialog::kColorButtonId));
    ASSERT_TRUE(button);
    EXPECT_EQ(button->GetColor(), RGB(0, 0, 128));
    for (const auto& [name, palette] :
        {std::pair{"light", LightPalette()}, std::pair{"dark", DarkPalette()}}) {
        ScopedPalette scoped(palette);
        CFontColorDialog shown(nullptr, RGB(0, 0, 128));
        shown.show();
        (void)QTest::qWaitForWindowExposed(&shown);
        if (FontsAvailable())
            SavePicture(Grab(&shown), QStringLiteral("fontcolordialog_%1").arg(name));
    }

    const auto pickRed = [&] {
        QTimer::singleShot(0, [] {
            auto* popup = qobject_cast<CColorPopup*>(QApplication::activePopupWidget());
            ASSERT_TRUE(popup);
            QWidget* red = popup->Swatch(CColorPopup::kFirstSwatchId + 4);
            QTest::mousePress(red, Qt::LeftButton);
            QTest::mouseRelease(red, Qt::LeftButton);
        });
        dialog.OnColorButton();
    };
    dialog.show();
    pickRed();
    EXPECT_EQ(button->GetColor(), RGB(255, 0, 0));
    QTimer::singleShot(0, [] {
        if (QWidget* popup = QApplication::activePopupWidget())
            QTest::keyClick(popup, Qt::Key_Escape);
    });
    dialog.OnColorButton();
    EXPECT_EQ(button->GetColor(), RGB(255, 0, 0));
    // Cancel keeps the colour the dialog came with, and shows it next time.
    dialog.reject();
    EXPECT_EQ(dialog.GetColor(), RGB(0, 0, 128));
    dialog.show();
    EXPECT_EQ(button->GetColor(), RGB(0, 0, 128));
    pickRed();
    dialog.accept();
    EXPECT_EQ(dialog.GetColor(), RGB(255, 0, 0));
}

#include "test_smallcontrols.moc"
