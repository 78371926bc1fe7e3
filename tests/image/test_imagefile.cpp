#include "image/bmpimage.h"
#include "image/dib.h"
#include "image/gifimage.h"
#include "image/imagedraw.h"
#include "image/imagefile.h"
#include "image/jpegimage.h"
#include "image/pngimage.h"
#include "imagetestutil.h"
#include "support/testenv.h"

#include <QBuffer>
#include <QPainter>
#include <QtEndian>
#include <cstring>

using ImageFileTest = TolvaTest;

TEST(ImageTypeTest, ExtensionsChooseTheFormat)
{
    const std::pair<const char*, int> types[] = {{"JPG", IMAGE_TYPE_JPEG}, {"jpg", IMAGE_TYPE_JPEG},
        {"jpeg", IMAGE_TYPE_UNKNOWN}, {"Png", IMAGE_TYPE_PNG}, {"bmp", IMAGE_TYPE_BMP},
        {"gif", IMAGE_TYPE_GIF}, {"xpm", IMAGE_TYPE_XPM}, {"", IMAGE_TYPE_UNKNOWN}};
    for (const auto& [extension, type] : types)
        EXPECT_EQ(FindImageType(extension), type) << extension;
    EXPECT_EQ(GetFileExtension("/a.b/face.tar.JPG"), "JPG");
    EXPECT_EQ(GetFileExtension("/a.b/face."), "");
    EXPECT_EQ(GetFileExtension("/a.b/gif"), "gif");
    EXPECT_EQ(GetFileExtension("gif"), "gif");

    CImageFile xpm;
    EXPECT_FALSE(xpm.SetFile("face.xpm"));
    EXPECT_EQ(xpm.GetImpl(), nullptr);
}

TEST(DibTest, RowAndImageSizesHoldForEveryDepth)
{
    struct Case {
        int bpp, width, row;
    } cases[] = {{1, 7, 4}, {1, 33, 8}, {2, 3, 4}, {2, 17, 8}, {4, 9, 8}, {8, 5, 8}, {24, 5, 16}};
    for (const auto& c : cases) {
        const DibBlock dib = CreateDIB(c.bpp, c.width, 3);
        ASSERT_FALSE(dib.IsNull()) << c.bpp;
        EXPECT_EQ(dib.Header().biSizeImage, u32(c.row * 3)) << c.bpp << "x" << c.width;
        EXPECT_EQ(dib.Size(), DibBitsOffset(dib.Header()) + c.row * 3);
    }
    EXPECT_EQ(DibRowBytes(24, 0x7FFFFFFF), 6442450944ull);

    // Over the pixel limit, bad sizes and depths: no picture and nothing allocated.
    CImageImpl image;
    EXPECT_EQ(image.Create(8193, 8192, 8, -1), 0);
    EXPECT_EQ(image.Create(65535, 65535, 24, -1), 0);
    EXPECT_EQ(image.Create(0, 5, 8, -1), 0);
    EXPECT_EQ(image.Create(5, -5, 8, -1), 0);
    EXPECT_EQ(image.Create(5, 5, 16, -1), 0);
    EXPECT_FALSE(image.IsValid());
    EXPECT_EQ(image.GetWidth(), 0);
}

TEST(DibTest, PixelAccessBelowEightBitsAddressesTheRightBits)
{
    for (int bpp : {1, 2, 4}) {
        CImageImpl image;
        ASSERT_EQ(image.Create(11, 2, bpp, -1), 4 * ((bpp * 11 + 31) / 32));
        const int max = (1 << bpp) - 1;
        for (int x = 0; x < 11; ++x)
            image.SetPixelIndex(x, 1, x % 2 ? max : 0);
        for (int x = 0; x < 11; ++x) {
            EXPECT_EQ(image.GetPixelIndex(x, 1), x % 2 ? max : 0) << bpp;
            EXPECT_EQ(image.GetPixelIndex(x, 0), 0);
        }
        // The leftmost pixel sits in the high bits.
        EXPECT_EQ(image.RowBits(1)[0], bpp == 1 ? 0x55 : bpp == 2 ? 0x33 : 0x0F);
        EXPECT_EQ(image.GetPixelIndex(11, 0), -1);
        EXPECT_EQ(image.GetPixelIndex(0, 2), -1);
    }
}

TEST_F(ImageFileTest, ColoursWithAndWithoutPalette)
{
    CImageImpl image;
    image.Create(4, 1, 8, -1);
    // The standard colours stand in the colour table until a palette is set.
    image.SetPixelIndex(1, 0, 1);
    EXPECT_EQ(PixelAt(image, 1, 0), 0x800000u);
    image.SetPixelColor(2, 0, 250, 250, 5);
    EXPECT_EQ(PixelAt(image, 2, 0), 0xFFFF00u);

    const u8 grey[3] = {0, 128, 255};
    image.SetPaletteRGB(3, grey, nullptr, nullptr);
    EXPECT_EQ(image.GetColorType(), 3);
    const u16* table = reinterpret_cast<const u16*>(image.GetDib().ColorTable());
    EXPECT_TRUE(table[0] == 0 && table[255] == 255);
    image.SetPixelColor(3, 0, 120, 130, 140);
    EXPECT_EQ(image.GetPixelIndex(3, 0), 1);
    EXPECT_EQ(PixelAt(image, 3, 0), 0x808080u);
    u8 r, g, b;
    EXPECT_FALSE(image.GetPalette()->GetEntry(3, &r, &g, &b));
    EXPECT_TRUE(m_messages.shown.empty());
    image.SetPaletteEntries(1, grey);
    ASSERT_EQ(m_messages.shown.size(), 1u);
    EXPECT_EQ(m_messages.shown[0].text, "CImageImpl::imagePalette already exists!");
    EXPECT_EQ(image.GetPalette()->GetEntryCount(), 1);

    CImageImpl colour;
    colour.Create(2, 2, 24, -1);
    EXPECT_EQ(colour.GetColorType(), 2);
    colour.SetPixelColor(1, 1, 1, 2, 3);
    EXPECT_EQ(colour.RowBits(1)[3], 3);  // blue first
    EXPECT_EQ(colour.GetPixelIndex(1, 1), -1);
}

TEST_F(ImageFileTest, BmpOfEveryDepthRoundTripsAndQtAgrees)
{
    for (int bpp : {1, 4, 8, 24}) {
        CBmpImage image("");
        MakePatternImage(image, 13, 5, bpp);
        const std::string path = ProgramPath(QStringLiteral("p%1.bmp").arg(bpp)).toStdString();
        ASSERT_TRUE(image.Write(path)) << bpp;
        // Writing left the palette indexes in memory.
        if (bpp <= 8) {
            EXPECT_EQ(reinterpret_cast<const u16*>(image.GetDib().ColorTable())[1], 1);
        }

        QImage qt(QString::fromStdString(path));
        ExpectSamePixels(image, qt);
        CImageFile back(path);
        ASSERT_TRUE(back.IsValid()) << bpp;
        EXPECT_EQ(back.GetBpp(), bpp);
        EXPECT_EQ(back.GetColorType(), bpp == 24 ? 0 : 3);
        EXPECT_EQ(back.GetPalette() != nullptr, bpp != 24);
        ExpectSamePixels(*back.GetImpl(), qt);
    }

    // A picture Qt wrote reads to Qt's pixels.
    QImage qt(7, 3, QImage::Format_RGB32);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 7; ++x)
            qt.setPixel(x, y, qRgb(x * 30, y * 80, 200));
    const QString qtPath = ProgramPath(QStringLiteral("qt.bmp"));
    ASSERT_TRUE(qt.save(qtPath, "BMP"));
    CImageFile fromQt(qtPath.toStdString());
    ASSERT_TRUE(fromQt.IsValid());
    ExpectSamePixels(*fromQt.GetImpl(), qt);
}

namespace {

// A 4 x 2 8-bit BMP: file header, info header, 256 colours, two rows.
QByteArray SmallBmp()
{
    CBmpImage image("");
    MakePatternImage(image, 4, 2, 8);
    return WriteToBytes(image);
}

void Put32(QByteArray& b, int at, u32 v)
{
    qToLittleEndian(v, b.data() + at);
}

}  // namespace

TEST(BmpTest, CoreHeaderAndTopDownRowsReadAsTheUsualForm)
{
    const QByteArray usual = SmallBmp();
    CBmpImage reference("");
    ASSERT_TRUE(reference.ReadBytes(Bytes(usual)));

    // 12-byte header: 16-bit sizes, 3-byte colour entries.
    QByteArray core("BM", 2);
    core.append(12, '\0');
    core.append(QByteArray::fromHex("0c0000000400020001000800"));
    for (int i = 0; i < 256; ++i)
        core.append(usual.mid(54 + 4 * i, 3));
    Put32(core, 10, u32(core.size()));
    core.append(usual.mid(54 + 1024));
    CBmpImage os2("");
    ASSERT_TRUE(os2.ReadBytes(Bytes(core)));
    EXPECT_EQ(os2.GetDib().Header().biSize, 40u);

    // A negative height lists the rows from the top.
    QByteArray topDown = usual;
    Put32(topDown, 22, u32(-2));
    topDown.replace(54 + 1024, 8, usual.mid(54 + 1024 + 4, 4) + usual.mid(54 + 1024, 4));
    CBmpImage flipped("");
    ASSERT_TRUE(flipped.ReadBytes(Bytes(topDown)));
    for (const CBmpImage* image : {&os2, &flipped}) {
        EXPECT_EQ(image->GetHeight(), 2);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 4; ++x)
                EXPECT_EQ(PixelAt(*image, x, y), PixelAt(reference, x, y));
    }
}

TEST(BmpTest, DamagedHeadersAreRefused)
{
    const QByteArray good = SmallBmp();
    struct Damage {
        const char* what;
        int at;
        int size;
        u32 value;
    } damages[] = {
        {"header length", 14, 4, 20},
        {"bit depth 3", 28, 2, 3},
        {"bit depth 12", 28, 2, 12},
        {"runs of 4 bits in an 8-bit picture", 30, 4, 2},
        {"embedded JPEG", 30, 4, 4},
        {"300 colours", 46, 4, 300},
        {"width 0", 18, 4, 0},
        {"negative width", 18, 4, u32(-4)},
        {"height 0", 22, 4, 0},
        {"height INT_MIN", 22, 4, 0x80000000u},
        {"huge", 18, 4, 100000},
        {"bits past the end", 10, 4, 5000},
    };
    std::vector<QByteArray> bad;
    for (const auto& d : damages) {
        QByteArray& b = bad.emplace_back(good);
        if (d.size == 4)
            Put32(b, d.at, d.value);
        else
            qToLittleEndian(u16(d.value), b.data() + d.at);
        if (std::strcmp(d.what, "huge") == 0)
            Put32(b, 22, 100000);
    }
    for (int cut : {0, 10, 30, 54 + 1024 + 7})
        bad.push_back(good.left(cut));
    ExpectBadFilesLeaveNothing<CBmpImage>(good, bad);
}

TEST_F(ImageFileTest, FacadeReadsAgainAndReplacesByType)
{
    CBmpImage source("");
    MakePatternImage(source, 3, 3, 4);
    const std::string bmp = ProgramPath("a.bmp").toStdString();
    ASSERT_TRUE(source.Write(bmp));

    CImageFile file(bmp);
    ASSERT_TRUE(file.IsValid());
    CImageImpl* first = file.GetImpl();
    EXPECT_TRUE(file.SetFile(bmp));
    EXPECT_EQ(file.GetImpl(), first);
    EXPECT_FALSE(file.SetFile(ProgramPath("missing.bmp").toStdString()));
    EXPECT_FALSE(file.IsValid());
    EXPECT_EQ(file.GetWidth(), 0);
    EXPECT_FALSE(file.SetFile(bmp, IMAGE_TYPE_PNG));
    EXPECT_EQ(file.GetType(), IMAGE_TYPE_PNG);

    CImageFile made;
    EXPECT_EQ(made.Create(5, 5, 24, -1), 16);
    EXPECT_EQ(made.GetType(), IMAGE_TYPE_BMP);
    EXPECT_TRUE(made.IsValid());
}

TEST(ImageDrawTest, DrawAndStretchWithTransparency)
{
    CImageFile file;
    file.Create(3, 2, 8, -1);
    const u8 red[3] = {255, 0, 0}, green[3] = {0, 255, 0}, blue[3] = {0, 0, 255};
    file.SetPaletteRGB(3, red, green, blue);
    for (int x = 0; x < 3; ++x) {
        file.SetPixelIndex(x, 1, x);  // top row: red, green, blue
        file.SetPixelIndex(x, 0, 1);  // bottom row green
    }
    file.GetImpl()->SetTransparentIndex(2);

    QImage canvas(10, 8, QImage::Format_RGB32);
    canvas.fill(qRgb(9, 9, 9));
    {
        QPainter painter(&canvas);
        EXPECT_EQ(file.Draw(&painter, 1, 1), 1);
        EXPECT_EQ(file.StretchDIB(&painter, 4, 2, 6, 4), 1);
    }
    // Unscaled: the whole picture, the transparent colour drawn as it is.
    EXPECT_EQ(canvas.pixel(1, 1), qRgb(255, 0, 0));
    EXPECT_EQ(canvas.pixel(3, 1), qRgb(0, 0, 255));
    EXPECT_EQ(canvas.pixel(1, 2), qRgb(0, 255, 0));
    EXPECT_EQ(canvas.pixel(1, 3), qRgb(9, 9, 9));
    // Doubled, nearest pixel, the background showing through blue.
    EXPECT_EQ(canvas.pixel(4, 2), qRgb(255, 0, 0));
    EXPECT_EQ(canvas.pixel(5, 3), qRgb(255, 0, 0));
    EXPECT_EQ(canvas.pixel(7, 3), qRgb(0, 255, 0));
    EXPECT_EQ(canvas.pixel(8, 2), qRgb(9, 9, 9));
    EXPECT_EQ(canvas.pixel(9, 5), qRgb(0, 255, 0));

    // A destination of -1 is the picture's own size, whatever the source.
    canvas.fill(qRgb(9, 9, 9));
    {
        QPainter painter(&canvas);
        EXPECT_EQ(file.StretchDIB(&painter, 2, 3, -1, -1, 0, 0, 1, 1), 1);
    }
    EXPECT_EQ(canvas.pixel(2, 3), qRgb(255, 0, 0));
    EXPECT_EQ(canvas.pixel(4, 4), qRgb(255, 0, 0));
    EXPECT_EQ(canvas.pixel(5, 3), qRgb(9, 9, 9));
    EXPECT_EQ(canvas.pixel(2, 5), qRgb(9, 9, 9));

    CImageFile empty;
    QPainter painter(&canvas);
    EXPECT_EQ(empty.StretchDIB(&painter, 0, 0), 0);
    EXPECT_EQ(empty.Draw(&painter, 0, 0), 0);
}

TEST(ImageWriteTest, EveryWriterReportsAFailingDevice)
{
    CBmpImage bmp("");
    CGifImage gif("");
    CJpegImage jpeg("");
    CPngImage png("");
    for (CFileImageImpl* image : std::initializer_list<CFileImageImpl*>{&bmp, &gif, &jpeg, &png}) {
        MakePatternImage(*image, 40, 40, 8);
        const qint64 size = WriteToBytes(*image).size();
        ASSERT_GT(size, 0);
        for (qint64 limit : {qint64(0), size / 2, size - 1}) {
            FailingDevice device(limit);
            EXPECT_FALSE(image->WriteTo(device)) << limit << " of " << size;
        }
    }
    // A BMP file cannot hold 2 bits per pixel.
    MakePatternImage(bmp, 4, 4, 2);
    EXPECT_TRUE(WriteToBytes(bmp).isEmpty());
}
