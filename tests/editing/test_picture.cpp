#include "dialogdriver.h"
#include "editing/imageopendialog.h"
#include "editing/imageviewwnd.h"
#include "image/imageimpl.h"
#include "platform/profile.h"
#include "platform/ui/syscolor.h"
#include "support/pictures.h"
#include "support/testenv.h"

#include <QCheckBox>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

constexpr QRgb kRed = 0xFF0000;

// As the user types a file name into the dialog.
void TypeName(QFileDialog& dialog, const QString& path)
{
    auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_TRUE(edit);
    edit->setText(path);
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
        {
            QPainter p(&portrait);
            p.fillRect(10, 10, 40, 40, QColor(250, 200, 40));
            p.fillRect(20, 60, 20, 20, Qt::white);
        }
        ASSERT_TRUE(portrait.save(Path("portrait.bmp")));
        QFile broken(Path("broken.png"));
        ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
        broken.write(QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(40, 'x'));
        broken.close();
        QFile text(Path("notes.txt"));
        ASSERT_TRUE(text.open(QIODevice::WriteOnly));
        text.write("not a picture");
    }

    QString Path(const char* name) const { return m_dir->filePath(QString::fromLatin1(name)); }
    std::string StdPath(const char* name) const { return Path(name).toStdString(); }

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

TEST_F(PictureTest, ViewKeepsOnlyPicturesThatDecoded)
{
    CImageViewWnd view;
    view.SetFile(StdPath("wide.png"), IMAGE_TYPE_PNG);
    ASSERT_NE(view.GetImage(), nullptr);
    EXPECT_EQ(view.GetFileName(), StdPath("wide.png"));
    EXPECT_EQ(view.GetImageType(), IMAGE_TYPE_PNG);
    view.SetFile(StdPath("broken.png"), IMAGE_TYPE_PNG);
    EXPECT_EQ(view.GetImage(), nullptr);
    EXPECT_EQ(view.GetImageType(), IMAGE_TYPE_UNKNOWN);
    // None given is no change.
    view.SetFile(StdPath("portrait.bmp"), -1);
    view.SetImage(nullptr);
    auto image = view.DetachImage();
    ASSERT_TRUE(image);
    EXPECT_EQ(image->GetHeight(), 90);
    EXPECT_EQ(view.GetImage(), nullptr);
}

TEST_F(PictureTest, ViewFitsKeepsProportionsCentresAndZooms)
{
    QWidget parent;
    auto* view = new CImageViewWnd(&parent);
    view->Create(&parent, QRect(0, 0, 104, 104));
    view->SetFile(StdPath("wide.png"), IMAGE_TYPE_PNG);
    parent.resize(120, 120);
    parent.show();
    QApplication::processEvents();
    const QRect client = view->contentsRect();
    const QRectF fit = view->PictureRect();
    EXPECT_DOUBLE_EQ(fit.width(), client.width());
    EXPECT_DOUBLE_EQ(fit.height(), client.width() / 2.0);
    EXPECT_DOUBLE_EQ(fit.center().y(), QRectF(client).center().y());

    const QImage shot = view->grab().toImage();
    EXPECT_EQ(Pixel(shot, client.center().x(), client.center().y()), kRed);
    EXPECT_EQ(Pixel(shot, client.center().x(), client.top() + 5), Rgb(GetSysColor(COLOR_3DFACE, view)));

    view->SetZoom(2.0f);
    EXPECT_DOUBLE_EQ(view->PictureRect().width(), 2.0 * client.width());
    EXPECT_DOUBLE_EQ(view->PictureRect().center().x(), fit.center().x());
    const QImage zoomed = view->grab().toImage();
    EXPECT_EQ(Pixel(zoomed, client.center().x(), client.top() + 5), kRed);
    // Zoomed as far as it goes, the middle pixel still fills the window.
    view->SetZoom(1e30f);
    EXPECT_EQ(view->GetZoom(), CImageViewWnd::kMaxZoom);
    EXPECT_EQ(Pixel(view->grab().toImage(), client.left() + 1, client.top() + 1), kRed);
}

TEST_F(PictureTest, ZoomButtonsStepTheZoomAndRestoreIt)
{
    auto dialog = OpenDialog(true);
    dialog->ShowFile(StdPath("portrait.bmp"), IMAGE_TYPE_BMP);
    for (int i = 0; i < 3; ++i)
        dialog->OnZoomIn();
    EXPECT_EQ(dialog->GetZoom(), 1.953125f);
    EXPECT_EQ(dialog->Preview()->GetZoom(), 1.953125f);
    dialog->OnZoomOut();
    EXPECT_FLOAT_EQ(dialog->GetZoom(), 1.5625f);
    dialog->OnPan();
    EXPECT_FLOAT_EQ(dialog->GetZoom(), 1.5625f);
    dialog->OnRestore();
    EXPECT_EQ(dialog->GetZoom(), 1.0f);
}

TEST_F(PictureTest, PreviewFollowsTheSelectionWhileSwitchedOn)
{
    EXPECT_EQ(CImageOpenDialog::ImageTypeOf("/photos/Holiday.JPEG"), IMAGE_TYPE_JPEG);
    EXPECT_EQ(CImageOpenDialog::ImageTypeOf("a.Gif"), IMAGE_TYPE_GIF);
    EXPECT_EQ(CImageOpenDialog::ImageTypeOf("a.bmp"), IMAGE_TYPE_BMP);
    EXPECT_EQ(CImageOpenDialog::ImageTypeOf("a.tiff"), IMAGE_TYPE_UNKNOWN);
    EXPECT_EQ(CImageOpenDialog::ImageTypeOf("png"), IMAGE_TYPE_UNKNOWN);

    // A JPEG file with its extension in capitals is previewed as one.
    CImageFile jpeg;
    ASSERT_TRUE(jpeg.MakeImpl(StdPath("Holiday.JPEG"), IMAGE_TYPE_JPEG));
    ASSERT_GT(jpeg.Create(16, 8, 24, COLOR_TYPE_COLOR), 0);
    ASSERT_TRUE(jpeg.GetImpl()->Write(StdPath("Holiday.JPEG")));

    auto dialog = OpenDialog(false);
    EXPECT_FALSE(dialog->ShowPreviewBox()->isChecked());
    emit dialog->currentChanged(Path("wide.png"));
    EXPECT_EQ(dialog->Preview()->GetImage(), nullptr);
    emit dialog->currentChanged(Path("Holiday.JPEG"));
    dialog->ShowFile(StdPath("wide.png"), IMAGE_TYPE_PNG);
    EXPECT_EQ(dialog->Preview()->GetImage(), nullptr);

    dialog->ShowPreviewBox()->setChecked(true);
    ASSERT_NE(dialog->Preview()->GetImage(), nullptr);
    EXPECT_EQ(dialog->Preview()->GetImageType(), IMAGE_TYPE_JPEG);
    EXPECT_EQ(dialog->Preview()->GetImage()->GetWidth(), 16);
    // A broken file or another kind leaves the preview as it was.
    emit dialog->currentChanged(Path("broken.png"));
    emit dialog->currentChanged(Path("notes.txt"));
    EXPECT_EQ(dialog->Preview()->GetImageType(), IMAGE_TYPE_JPEG);
    dialog->ShowPreviewBox()->setChecked(false);
    EXPECT_EQ(dialog->Preview()->GetImage(), nullptr);
}

TEST_F(PictureTest, OnlyAPictureThatDecodedIsChosen)
{
    auto dialog = OpenDialog(true);
    for (const char* name : {"broken.png", "notes.txt", "missing.png"}) {
        TypeName(*dialog, Path(name));
        dialog->accept();
        EXPECT_TRUE(dialog->isVisible()) << name;
        EXPECT_EQ(dialog->result(), 0) << name;
    }
    ASSERT_EQ(m_messages.shown.size(), 3u);
    EXPECT_NE(m_messages.shown[0].text.find("damaged"), std::string::npos);
    EXPECT_NE(m_messages.shown[1].text.find("not a picture file"), std::string::npos);
    EXPECT_NE(m_messages.shown[2].text.find("does not exist"), std::string::npos);

    // Through the modal run, as the contact page uses it.
    CImageOpenDialog modal;
    modal.setDirectory(m_dir->path());
    DialogDriver<CImageOpenDialog> broken([this](CImageOpenDialog& d) {
        TypeName(d, Path("broken.png"));
        d.accept();
        d.reject();
    });
    EXPECT_EQ(modal.DoModal(), IDCANCEL);
    EXPECT_EQ(modal.DetachImage(), nullptr);
    DialogDriver<CImageOpenDialog> good([this](CImageOpenDialog& d) {
        TypeName(d, Path("portrait.bmp"));
        d.accept();
    });
    ASSERT_EQ(modal.DoModal(), IDOK);
    auto image = modal.DetachImage();
    ASSERT_TRUE(image);
    EXPECT_EQ(image->GetFileName(), StdPath("portrait.bmp"));
    EXPECT_EQ(image->GetType(), IMAGE_TYPE_BMP);
    EXPECT_EQ(image->GetWidth(), 60);
}

TEST_F(PictureTest, PreviewSettingSurvivesARestart)
{
    EXPECT_TRUE(CImageOpenDialog().IsPreviewOn());
    {
        auto dialog = OpenDialog(true);
        dialog->ShowPreviewBox()->setChecked(false);
    }
    Profile::Reopen();
    EXPECT_EQ(Profile::GetInt("UserMan", "ImageDlg", -1), 0);
    CImageOpenDialog next;
    EXPECT_FALSE(next.IsPreviewOn());
    EXPECT_FALSE(next.ShowPreviewBox()->isChecked());
}

TEST_F(PictureTest, PicturesOfThePictureViewAndTheImageDialog)
{
    if (!FontsAvailable())
        GTEST_SKIP() << "no fonts";
    for (const bool dark : {false, true}) {
        ScopedPalette palette(dark ? DarkPalette() : LightPalette());
        const QString look = dark ? QStringLiteral("-dark") : QStringLiteral("-light");
        QWidget frame;
        auto* layout = new QVBoxLayout(&frame);
        auto* view = new CImageViewWnd(&frame);
        layout->addWidget(view);
        view->SetFile(StdPath("portrait.bmp"), IMAGE_TYPE_BMP);
        frame.resize(180, 140);
        SavePicture(Grab(&frame), QStringLiteral("imageview") + look);

        auto dialog = OpenDialog(true);
        emit dialog->currentChanged(Path("portrait.bmp"));
        dialog->resize(dialog->sizeHint().expandedTo(QSize(760, 420)));
        SavePicture(Grab(dialog.get()), QStringLiteral("imageopendialog") + look);
    }
}
