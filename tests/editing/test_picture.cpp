#include "core/errorreport.h"
#include "dialogdriver.h"
#include "editing/imageopendialog.h"
#include "editing/imageviewwnd.h"
#include "platform/profile.h"
#include "platform/ui/syscolor.h"
#include "support/fifowatch.h"
#include "support/pictures.h"
#include "support/testenv.h"

#include <QCheckBox>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QPainter>
#include <QTest>
#include <QTreeView>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

constexpr QRgb kRed = 0xFF0000;

// As the user types a file name into the dialog.
void TypeName(QFileDialog& dialog, const QString& path)
{
    dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(path);
}

class PictureTest : public TolvaTest {
protected:
    void SetUp() override
    {
        TolvaTest::SetUp();
        QImage wide(40, 20, QImage::Format_RGB32);
        wide.fill(QColor(kRed));
        ASSERT_TRUE(wide.save(Path("wide.png")));
        QImage portrait(60, 90, QImage::Format_RGB32);
        portrait.fill(QColor(40, 90, 160));
        QPainter(&portrait).fillRect(10, 10, 40, 40, QColor(250, 200, 40));
        ASSERT_TRUE(portrait.save(Path("portrait.bmp")));
        Write("broken.png", QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(40, 'x'));
        Write("notes.txt", "not a picture");
    }

    QString Path(const char* name) const { return m_dir->filePath(QString::fromLatin1(name)); }
    std::string StdPath(const char* name) const { return Path(name).toStdString(); }
    void Write(const char* name, const QByteArray& bytes) const
    {
        QFile file(Path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    // A dialog showing the test folder, with the preview setting given.
    std::unique_ptr<CImageOpenDialog> OpenDialog(bool preview)
    {
        Profile::WriteInt("UserMan", "ImageDlg", preview ? 1 : 0);
        auto dialog = std::make_unique<CImageOpenDialog>();
        dialog->setDirectory(m_dir->path());
        dialog->show();
        QApplication::processEvents();
        return dialog;
    }
};

}  // namespace

TEST_F(PictureTest, ViewKeepsOnlyPicturesThatDecodedAndFitsThem)
{
    QWidget parent;
    auto* view = new CImageViewWnd(&parent);
    view->Create(&parent, QRect(0, 0, 104, 104));
    view->SetFile(StdPath("broken.png"), IMAGE_TYPE_PNG);
    EXPECT_EQ(view->GetImage(), nullptr);
    EXPECT_EQ(view->GetImageType(), IMAGE_TYPE_UNKNOWN);
    view->SetFile(StdPath("wide.png"), -1);
    view->SetImage(nullptr);
    ASSERT_NE(view->GetImage(), nullptr);
    EXPECT_EQ(view->GetFileName(), StdPath("wide.png"));
    EXPECT_EQ(view->GetImageType(), IMAGE_TYPE_PNG);
    parent.show();

    // The wider side fills the window, the other keeps the proportions and
    // is centred.
    const QRectF client = view->contentsRect();
    const QRectF fit = view->PictureRect();
    EXPECT_DOUBLE_EQ(fit.width(), client.width());
    EXPECT_DOUBLE_EQ(fit.height(), client.width() / 2);
    EXPECT_DOUBLE_EQ(fit.center().y(), client.center().y());
    const QPoint middle = client.center().toPoint();
    const QImage shot = view->grab().toImage();
    EXPECT_EQ(Pixel(shot, middle.x(), middle.y()), kRed);
    EXPECT_EQ(Pixel(shot, middle.x(), int(client.top()) + 5), Rgb(GetSysColor(COLOR_3DFACE, view)));

    view->SetZoom(2.0f);
    EXPECT_DOUBLE_EQ(view->PictureRect().width(), 2 * client.width());
    EXPECT_EQ(view->PictureRect().center(), fit.center());
    EXPECT_EQ(Pixel(view->grab().toImage(), middle.x(), int(client.top()) + 5), kRed);
    // Zoomed as far as it goes, the middle pixel fills the window.
    view->SetZoom(1e30f);
    EXPECT_EQ(view->GetZoom(), CImageViewWnd::kMaxZoom);
    EXPECT_EQ(Pixel(view->grab().toImage(), int(client.left()) + 1, int(client.top()) + 1), kRed);

    auto image = view->DetachImage();
    EXPECT_EQ(image->GetWidth(), 40);
    EXPECT_EQ(view->GetImage(), nullptr);
}

TEST_F(PictureTest, PreviewFollowsTheSelectionWhileSwitchedOnAndZooms)
{
    // A JPEG whose extension is in capitals is previewed as one.
    CImageFile jpeg;
    ASSERT_TRUE(jpeg.MakeImpl(StdPath("Holiday.JPEG"), IMAGE_TYPE_JPEG));
    ASSERT_GT(jpeg.Create(16, 8, 24, COLOR_TYPE_COLOR), 0);
    ASSERT_TRUE(jpeg.GetImpl()->Write(StdPath("Holiday.JPEG")));

    auto dialog = OpenDialog(false);
    EXPECT_FALSE(dialog->ShowPreviewBox()->isChecked());
    emit dialog->currentChanged(Path("wide.png"));
    dialog->ShowFile(StdPath("wide.png"), IMAGE_TYPE_PNG);
    emit dialog->currentChanged(Path("Holiday.JPEG"));
    EXPECT_EQ(dialog->Preview()->GetImage(), nullptr);
    // Switched on, the selected file shows at once.
    dialog->ShowPreviewBox()->setChecked(true);
    EXPECT_EQ(dialog->Preview()->GetImageType(), IMAGE_TYPE_JPEG);
    // A file of another kind leaves the preview as it was; a broken
    // picture is not shown in place of the previous one.
    emit dialog->currentChanged(Path("notes.txt"));
    EXPECT_EQ(dialog->Preview()->GetImageType(), IMAGE_TYPE_JPEG);
    emit dialog->currentChanged(Path("broken.png"));
    EXPECT_EQ(dialog->Preview()->GetImage(), nullptr);
    emit dialog->currentChanged(Path("Holiday.JPEG"));
    EXPECT_EQ(dialog->Preview()->GetImageType(), IMAGE_TYPE_JPEG);

    for (int i = 0; i < 3; ++i)
        dialog->OnZoomIn();
    EXPECT_EQ(dialog->GetZoom(), 1.953125f);
    EXPECT_EQ(dialog->Preview()->GetZoom(), 1.953125f);
    dialog->OnZoomOut();
    dialog->OnPan();
    EXPECT_FLOAT_EQ(dialog->GetZoom(), 1.5625f);
    dialog->OnRestore();
    EXPECT_EQ(dialog->GetZoom(), 1.0f);

    dialog->ShowPreviewBox()->setChecked(false);
    EXPECT_EQ(dialog->Preview()->GetImage(), nullptr);
    // The setting is kept for the next run.
    dialog.reset();
    Profile::Reopen();
    EXPECT_FALSE(CImageOpenDialog().ShowPreviewBox()->isChecked());
}

TEST_F(PictureTest, OnlyAPictureThatDecodedIsChosen)
{
    auto dialog = OpenDialog(true);
    for (const char* name : {"broken.png", "notes.txt", "missing.png"}) {
        TypeName(*dialog, Path(name));
        dialog->accept();
        EXPECT_TRUE(dialog->isVisible()) << name;
    }
    ASSERT_EQ(m_messages.shown.size(), 3u);
    EXPECT_NE(m_messages.shown[0].text.find("damaged"), std::string::npos);
    EXPECT_NE(m_messages.shown[1].text.find("not a picture file"), std::string::npos);
    EXPECT_NE(m_messages.shown[2].text.find("does not exist"), std::string::npos);

    // The modal run hands over nothing for a broken file, and the picture
    // that was read for a good one.
    dialog->hide();
    DialogDriver<CImageOpenDialog> broken([this](CImageOpenDialog& d) {
        TypeName(d, Path("broken.png"));
        d.accept();
        d.reject();
    });
    EXPECT_EQ(dialog->DoModal(), IDCANCEL);
    EXPECT_EQ(dialog->DetachImage(), nullptr);
    DialogDriver<CImageOpenDialog> good([this](CImageOpenDialog& d) {
        TypeName(d, Path("portrait.bmp"));
        d.accept();
    });
    ASSERT_EQ(dialog->DoModal(), IDOK);
    auto image = dialog->DetachImage();
    ASSERT_TRUE(image);
    EXPECT_EQ(image->GetFileName(), StdPath("portrait.bmp"));
    EXPECT_EQ(image->GetType(), IMAGE_TYPE_BMP);
    EXPECT_EQ(image->GetWidth(), 60);
}

// A pipe or a device under a picture's name exists: Open says what it is,
// and so does the preview when it is selected.
TEST_F(PictureTest, APipeOrADeviceIsSaidToBeNoOrdinaryFile)
{
    const QString pipe = Path("face.png");
    FifoWatch watch(pipe);
    ASSERT_TRUE(watch.Made());
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), Path("zero.jpg")));
    auto dialog = OpenDialog(true);
    for (const char* name : {"face.png", "zero.jpg"}) {
        m_messages.shown.clear();
        TypeName(*dialog, Path(name));
        QTest::keyClick(dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")), Qt::Key_Return);
        EXPECT_TRUE(dialog->isVisible()) << name;
        ASSERT_EQ(m_messages.shown.size(), 1u) << name;
        EXPECT_EQ(m_messages.shown[0].text,
            "\"" + StdPath(name)
                + "\" cannot be shown as a picture: it is not an ordinary file but a folder, a pipe or a "
                  "device.");

        emit dialog->currentChanged(Path("wide.png"));
        ASSERT_NE(dialog->Preview()->GetImage(), nullptr);
        emit dialog->currentChanged(Path(name));
        EXPECT_EQ(dialog->Preview()->GetImage(), nullptr) << name;
        EXPECT_EQ(dialog->Preview()->GetMessage(),
            u"This file cannot be shown: it is not an ordinary file but a folder, a pipe or a device.");
    }
    EXPECT_FALSE(watch.Blocked());
}

TEST_F(PictureTest, TheDialogOpensAtTheCurrentPictureAndOpenTakesIt)
{
    auto dialog = OpenDialog(true);
    dialog->hide();
    DialogDriver<CImageOpenDialog> driver([this](CImageOpenDialog& d) {
        EXPECT_EQ(d.directory().absolutePath(), m_dir->path());
        EXPECT_EQ(d.selectedFiles(), QStringList{Path("portrait.bmp")});
        EXPECT_EQ(d.Preview()->GetFileName(), StdPath("portrait.bmp"));
        QTest::keyClick(&d, Qt::Key_Return);
    });
    dialog->setDirectory(QDir::homePath());
    dialog->ShowFile(StdPath("portrait.bmp"), IMAGE_TYPE_BMP);
    ASSERT_EQ(dialog->DoModal(), IDOK);
    EXPECT_EQ(dialog->DetachImage()->GetFileName(), StdPath("portrait.bmp"));
}

TEST_F(PictureTest, TheFileListShowsItsColumnsWhole)
{
    Write("a rather long name for a holiday picture.png", QByteArray(3 * 1024 * 1024, 'x'));
    auto dialog = OpenDialog(true);
    QApplication::processEvents();
    auto* list = dialog->findChild<QTreeView*>(QStringLiteral("treeView"));
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(list->isVisible());
    // Wait for the folder to be listed.
    for (int i = 0; i < 200 && list->model()->rowCount(list->rootIndex()) < 5; ++i)
        QTest::qWait(10);
    ASSERT_GE(list->model()->rowCount(list->rootIndex()), 5);
    QApplication::processEvents();
    const QHeaderView* header = list->header();
    for (int column = 0; column < header->count(); ++column) {
        if (header->isSectionHidden(column))
            continue;
        const int right = header->sectionViewportPosition(column) + header->sectionSize(column);
        EXPECT_LE(right, list->viewport()->width()) << column;
        if (column > 0) {
            const QAbstractItemView* view = list;
            EXPECT_GE(header->sectionSize(column), view->sizeHintForColumn(column)) << column;
        }
    }
    // The preview keeps a useful size beside the list.
    EXPECT_GE(dialog->Preview()->width(), dialog->Preview()->sizeHint().width() / 2);
}

TEST_F(PictureTest, ADamagedPictureIsSaidToBeDamagedAndTheLogHoldsWhy)
{
    // A GIF whose only image asks for 12-bit LZW codes.
    QByteArray gif("GIF89a");
    gif += QByteArray::fromHex("04000200800000") + QByteArray(6, '\0');
    gif += QByteArray::fromHex("2c000000000400020000") + QByteArray::fromHex("0c0100") + ';';
    Write("codes.gif", gif);
    QWidget parent;
    auto* view = new CImageViewWnd(&parent);
    view->Create(&parent, QRect(0, 0, 104, 104));
    view->SetFile(StdPath("codes.gif"), IMAGE_TYPE_GIF);
    EXPECT_EQ(view->GetImage(), nullptr);
    EXPECT_EQ(view->GetMessage(), u"This picture cannot be shown: the picture is damaged.");
    const QByteArray log = Contents(kErrorLogName);
    EXPECT_TRUE(log.contains("codes.gif")) << log.constData();
    EXPECT_TRUE(log.contains("LZW code size")) << log.constData();
}

TEST_F(PictureTest, AFileThatCannotBeShownSaysWhy)
{
    // A PNG whose header asks for 20000 x 20000 pixels: valid, but more
    // than a picture may have.
    QByteArray header = QByteArray("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16);
    for (int side : {20000, 20000})
        header += char(side >> 24) + QByteArray(1, char(side >> 16)) + char(side >> 8) + char(side);
    Write("huge.png", header + QByteArray("\x08\x02\0\0\0", 5) + QByteArray(4, '\0'));

    auto dialog = OpenDialog(true);
    emit dialog->currentChanged(Path("wide.png"));
    ASSERT_NE(dialog->Preview()->GetImage(), nullptr);
    for (const char* name : {"broken.png", "huge.png"}) {
        emit dialog->currentChanged(Path(name));
        CImageViewWnd* preview = dialog->Preview();
        EXPECT_EQ(preview->GetImage(), nullptr) << name;
        const QString message = preview->GetMessage();
        EXPECT_TRUE(message.startsWith(QStringLiteral("This file cannot be shown"))) << name;
        // The words fit the preview.
        const QRect inside = preview->contentsRect();
        const QRect needed
            = preview->fontMetrics().boundingRect(inside, Qt::AlignCenter | Qt::TextWordWrap, message);
        EXPECT_TRUE(inside.contains(needed)) << name << " " << message.toStdString();
    }
    EXPECT_NE(dialog->Preview()->GetMessage().indexOf(QStringLiteral("too large")), -1);
    // A picture shown again clears the words.
    emit dialog->currentChanged(Path("wide.png"));
    EXPECT_TRUE(dialog->Preview()->GetMessage().isEmpty());

    TypeName(*dialog, Path("huge.png"));
    dialog->accept();
    EXPECT_TRUE(dialog->isVisible());
    ASSERT_EQ(m_messages.shown.size(), 1u);
    const std::string& text = m_messages.shown[0].text;
    EXPECT_NE(text.find("too large: 20000 x 20000 pixels, more than the "), std::string::npos) << text;
    EXPECT_EQ(text.find("damaged"), std::string::npos) << text;

    // A lossless JPEG, which the library does not decode, in its words.
    CImageFile jpeg;
    ASSERT_TRUE(jpeg.MakeImpl(StdPath("plain.jpg"), IMAGE_TYPE_JPEG));
    ASSERT_GT(jpeg.Create(16, 8, 24, COLOR_TYPE_COLOR), 0);
    ASSERT_TRUE(jpeg.GetImpl()->Write(StdPath("plain.jpg")));
    QFile plain(Path("plain.jpg"));
    ASSERT_TRUE(plain.open(QIODevice::ReadOnly));
    QByteArray lossless = plain.readAll();
    lossless[lossless.indexOf("\xFF\xC0") + 1] = char(0xC3);
    Write("lossless.jpg", lossless);
    TypeName(*dialog, Path("lossless.jpg"));
    dialog->accept();
    ASSERT_EQ(m_messages.shown.size(), 2u);
    EXPECT_NE(m_messages.shown[1].text.find(
                  "this kind of JPEG picture is not supported (Unsupported JPEG process: SOF type 0xc3)"),
        std::string::npos)
        << m_messages.shown[1].text;
}

TEST_F(PictureTest, PicturesOfThePictureViewAndTheImageDialog)
{
    if (!FontsAvailable())
        GTEST_SKIP() << "no fonts";
    for (const bool dark : {false, true}) {
        ScopedPalette palette(dark ? DarkPalette() : LightPalette());
        const QString look = dark ? QStringLiteral("-dark") : QStringLiteral("-light");
        QWidget frame;
        auto* view = new CImageViewWnd(&frame);
        (new QVBoxLayout(&frame))->addWidget(view);
        view->SetFile(StdPath("portrait.bmp"), IMAGE_TYPE_BMP);
        frame.resize(180, 140);
        const QImage shown = Grab(&frame);
        SavePicture(shown, "imageview" + look);
        // The portrait is drawn: the view is not one plain colour.
        const QRgb corner = Pixel(shown, 1, 1);
        bool drawn = false;
        for (int y = 0; y < shown.height() && !drawn; y += 3)
            for (int x = 0; x < shown.width() && !drawn; x += 3)
                drawn = Pixel(shown, x, y) != corner;
        EXPECT_TRUE(drawn);

        auto dialog = OpenDialog(true);
        emit dialog->currentChanged(Path("portrait.bmp"));
        SavePicture(Grab(dialog.get()), "imageopendialog" + look);
        QStringList faults = LayoutFaults(dialog.get());
        EXPECT_TRUE(faults.isEmpty()) << faults.join(u'\n').toStdString();
        emit dialog->currentChanged(Path("broken.png"));
        SavePicture(Grab(dialog.get()), "imageopendialog-broken" + look);
        faults = LayoutFaults(dialog.get());
        EXPECT_TRUE(faults.isEmpty()) << faults.join(u'\n').toStdString();
    }
}
