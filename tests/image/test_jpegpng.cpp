#include "image/jpegimage.h"
#include "image/pngimage.h"
#include "imagetestutil.h"

#include <QBuffer>
#include <QtEndian>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <jpeglib.h>
#include <numeric>
#include <png.h>
#include <vector>
#include <zlib.h>

namespace {

struct PngCase {
    int type;
    int depth;
    bool trns = false;
    bool interlaced = false;
    int Channels() const { return type == 4 ? 2 : type == 2 ? 3 : type == 6 ? 4 : 1; }
};

constexpr int kW = 11;
constexpr int kH = 9;

// Sample c of pixel (x, y); alpha is none in column 0 and full in column 1.
int Sample(const PngCase& p, int x, int y, int c)
{
    const int max = (1 << p.depth) - 1;
    if ((p.type & PNG_COLOR_MASK_ALPHA) && c == p.Channels() - 1 && x < 2)
        return x == 0 ? 0 : max;
    const int s = x * 37 + y * 91 + c * 53 + x * y * 13;
    return p.depth == 16 ? (s * 331) % 65536 : s % (max + 1);
}

png_color PaletteEntry(int i)
{
    return {u8(i * 40), u8(255 - i * 30), u8(i * 17)};
}

QByteArray MakePng(const PngCase& p)
{
    QByteArray out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(
        png, &out,
        [](png_structp png, png_bytep data, std::size_t n) {
            static_cast<QByteArray*>(png_get_io_ptr(png))
                ->append(reinterpret_cast<const char*>(data), qsizetype(n));
        },
        nullptr);
    png_set_IHDR(png, info, kW, kH, p.depth, p.type, p.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
        PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_color palette[256];
    for (int i = 0; i < 256; ++i)
        palette[i] = PaletteEntry(i);
    const png_byte alpha[4] = {0, 60, 120, 180};
    png_color_16 key{};
    key.red = key.gray = png_uint_16(Sample(p, 2, 2, 0));
    key.green = png_uint_16(Sample(p, 2, 2, 1));
    key.blue = png_uint_16(Sample(p, 2, 2, 2));
    if (p.type == PNG_COLOR_TYPE_PALETTE)
        png_set_PLTE(png, info, palette, 1 << p.depth);
    if (p.trns)
        png_set_tRNS(png, info, alpha, p.type == PNG_COLOR_TYPE_PALETTE ? 4 : 0, &key);
    png_write_info(png, info);
    std::vector<std::vector<u8>> rows(kH, std::vector<u8>(std::size_t(kW * p.Channels() * 2), 0));
    std::vector<png_bytep> pointers;
    for (int y = 0; y < kH; ++y) {
        for (int i = 0; i < kW * p.Channels(); ++i) {
            const int v = Sample(p, i / p.Channels(), y, i % p.Channels());
            if (p.depth == 16)
                rows[y][2 * i] = u8(v >> 8), rows[y][2 * i + 1] = u8(v);
            else
                rows[y][i * p.depth / 8] |= u8(v << (8 - p.depth - (i * p.depth) % 8));
        }
        pointers.push_back(rows[y].data());
    }
    png_write_image(png, pointers.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

enum class InkForm { Plain, Adobe, Ycck };

// 16 x 8 pixels in inks, the left half red, the right half blue; or, as a
// gradient, 64 x 64 pixels of smoothly changing inks. Adobe's files hold the
// inks inverted; YCCK is made from them by the library.
QByteArray CmykJpeg(InkForm form, bool gradient = false)
{
    const int width = gradient ? 64 : 16;
    const int height = gradient ? 64 : 8;
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 95, TRUE);
    if (form == InkForm::Ycck)
        jpeg_set_colorspace(&cinfo, JCS_YCCK);
    cinfo.write_Adobe_marker = form != InkForm::Plain;
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<u8> row(4 * std::size_t(width));
    while (cinfo.next_scanline < JDIMENSION(height)) {
        const int y = int(cinfo.next_scanline);
        for (int x = 0; x < width; ++x) {
            const u8 cmyk[4] = {u8(x < 8 ? 0 : 255), 255, u8(x < 8 ? 255 : 0), 0};
            const u8 smooth[4] = {u8(x * 4), u8(y * 4), u8((x + y) * 2), u8(x * y / 32)};
            for (int c = 0; c < 4; ++c) {
                const u8 ink = gradient ? smooth[c] : cmyk[c];
                row[std::size_t(4 * x + c)] = form == InkForm::Plain ? ink : u8(255 - ink);
            }
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    QByteArray out(reinterpret_cast<const char*>(buffer), qsizetype(size));
    std::free(buffer);
    return out;
}

// The peak signal-to-noise ratio of the picture against what Qt decodes, in dB.
double Psnr(const CImageImpl& image, const QImage& qt)
{
    double squares = 0;
    for (int y = 0; y < qt.height(); ++y) {
        for (int x = 0; x < qt.width(); ++x) {
            const u32 got = PixelAt(image, x, y), want = qt.pixel(x, y);
            for (int shift : {0, 8, 16}) {
                const double d = int((got >> shift) & 0xFF) - int((want >> shift) & 0xFF);
                squares += d * d;
            }
        }
    }
    const double mse = squares / (3.0 * qt.width() * qt.height());
    return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

// A JPEG with one byte of its frame header changed.
QByteArray WithFrameByte(const QByteArray& jpeg, int offset, char value)
{
    QByteArray out = jpeg;
    const qsizetype sof = out.indexOf("\xFF\xC0");
    EXPECT_GT(sof, 0);
    out[sof + offset] = value;
    return out;
}

// Mean difference per channel between the picture and what Qt decodes.
double MeanDifference(const CImageImpl& image, const QImage& qt)
{
    double sum = 0;
    for (int y = 0; y < qt.height(); ++y) {
        for (int x = 0; x < qt.width(); ++x) {
            const u32 got = PixelAt(image, x, y), want = qt.pixel(x, y);
            for (int shift : {0, 8, 16})
                sum += std::abs(int((got >> shift) & 0xFF) - int((want >> shift) & 0xFF));
        }
    }
    return sum / (3.0 * qt.width() * qt.height());
}

}  // namespace

TEST(PngTest, EveryKindReadsToItsColoursAndWritesBackAlike)
{
    const PngCase cases[] = {
        {PNG_COLOR_TYPE_PALETTE, 1},
        {PNG_COLOR_TYPE_PALETTE, 2},
        {PNG_COLOR_TYPE_PALETTE, 4},
        {PNG_COLOR_TYPE_PALETTE, 8, true},
        {PNG_COLOR_TYPE_PALETTE, 4, false, true},
        {PNG_COLOR_TYPE_GRAY, 1},
        {PNG_COLOR_TYPE_GRAY, 2},
        {PNG_COLOR_TYPE_GRAY, 4, false, true},
        {PNG_COLOR_TYPE_GRAY, 8},
        {PNG_COLOR_TYPE_GRAY, 16},
        {PNG_COLOR_TYPE_GRAY, 8, true},
        {PNG_COLOR_TYPE_GRAY_ALPHA, 8},
        {PNG_COLOR_TYPE_GRAY_ALPHA, 16},
        {PNG_COLOR_TYPE_RGB, 8},
        {PNG_COLOR_TYPE_RGB, 16},
        {PNG_COLOR_TYPE_RGB, 8, true},
        {PNG_COLOR_TYPE_RGB, 8, false, true},
        {PNG_COLOR_TYPE_RGB_ALPHA, 8},
        {PNG_COLOR_TYPE_RGB_ALPHA, 16},
        {PNG_COLOR_TYPE_RGB_ALPHA, 8, false, true},
        {PNG_COLOR_TYPE_RGB_ALPHA, 16, false, true},
    };
    for (const PngCase& p : cases) {
        SCOPED_TRACE(testing::Message() << "type " << p.type << " depth " << p.depth << " trns " << p.trns);
        const QByteArray png = MakePng(p);
        CPngImage image("");
        ASSERT_TRUE(image.ReadBytes(Bytes(png)));
        const bool keepsDepth
            = p.type == PNG_COLOR_TYPE_PALETTE || (p.type == PNG_COLOR_TYPE_GRAY && !p.trns);
        EXPECT_EQ(image.GetBpp(), keepsDepth ? std::min(p.depth, 8) : 24);
        // Grey pictures carry their grey levels as a palette.
        EXPECT_EQ(image.GetPalette() != nullptr, keepsDepth);
        ExpectSamePixels(image, QImage::fromData(png, "PNG"), 1);

        const QByteArray written = WriteToBytes(image);
        ASSERT_FALSE(written.isEmpty());
        const int writtenType = p.type == PNG_COLOR_TYPE_PALETTE ? 3 : keepsDepth ? 0 : 2;
        EXPECT_EQ(int(written[25]), writtenType);
        CPngImage back("");
        ASSERT_TRUE(back.ReadBytes(Bytes(written)));
        ExpectSamePixels(back, QImage::fromData(png, "PNG"), 1);
        ExpectSamePixels(image, QImage::fromData(written, "PNG"));
    }
}

TEST(PngTest, FailureLeavesNothingHalfMade)
{
    const QByteArray good = MakePng({PNG_COLOR_TYPE_RGB, 8});
    QByteArray huge = good;
    qToBigEndian<u32>(20000, huge.data() + 16);
    qToBigEndian<u32>(20000, huge.data() + 20);
    qToBigEndian<u32>(
        u32(crc32(0, reinterpret_cast<const Bytef*>(huge.constData()) + 12, 17)), huge.data() + 29);
    QByteArray damaged = good;
    damaged[damaged.size() - 20] = char(damaged[damaged.size() - 20] ^ 0x55);

    ExpectBadFilesLeaveNothing<CPngImage>(good,
        {QByteArray(), good.left(8), good.left(good.size() - 30), huge, damaged,
            QByteArray("\x89PNG\r\n\x1a\nrubbish")});
}

namespace {

QByteArray Chunk(const char* type, const QByteArray& data, u32 length)
{
    QByteArray chunk(4, '\0');
    qToBigEndian(length, chunk.data());
    chunk += QByteArray(type, 4) + data;
    QByteArray crc(4, '\0');
    qToBigEndian(u32(crc32(0, reinterpret_cast<const Bytef*>(chunk.constData()) + 4, uInt(chunk.size() - 4))),
        crc.data());
    return chunk + crc;
}

}  // namespace

TEST(PngTest, AChunkCannotClaimMoreMemoryThanTheFileHolds)
{
    // The header of a small picture and chunks claiming up to 2 GB, in
    // files of 52 bytes.
    const QByteArray good = MakePng({PNG_COLOR_TYPE_RGB, 8});
    for (const char* type : {"tEXt", "zTXt", "iTXt", "sPLT"}) {
        for (u32 length : {0x7FFFFFF0u, 0x10000000u, 7999999u}) {
            const QByteArray file = good.left(33) + Chunk(type, "Comment", length).left(19);
            CPngImage image("");
            const i64 peak = PeakHeapDuring([&] { EXPECT_FALSE(image.ReadBytes(Bytes(file))); });
            EXPECT_LT(peak, 1 << 20) << type << " " << length;
        }
    }

    // Row buffers of a wide picture are not such claims.
    QImage wide(20001, 2, QImage::Format_RGBA64);
    wide.fill(QColor(10, 200, 30));
    QByteArray widePng;
    QBuffer buffer(&widePng);
    ASSERT_TRUE(buffer.open(QIODevice::WriteOnly) && wide.save(&buffer, "PNG"));
    CPngImage image("");
    ASSERT_TRUE(image.ReadBytes(Bytes(widePng)));
    EXPECT_EQ(PixelAt(image, 20000, 1), 0x0AC81Eu);
}

TEST(PngTest, DamageAfterTheLastRowKeepsThePicture)
{
    const QByteArray good = MakePng({PNG_COLOR_TYPE_RGB, 8});
    const QImage qt = QImage::fromData(good, "PNG");
    QByteArray badCrc = good;
    badCrc[badCrc.size() - 1] = char(badCrc[badCrc.size() - 1] ^ 0x55);
    const QByteArray noEnd = good.left(good.size() - 12);
    const QByteArray badText = noEnd + Chunk("tEXt", "x", 0x7FFFFFF0u).left(12);
    for (const QByteArray& file : {badCrc, noEnd, badText}) {
        CPngImage image("");
        ASSERT_TRUE(image.ReadBytes(Bytes(file)));
        ExpectSamePixels(image, qt);
    }
}

TEST(JpegTest, ColourAndGreyPicturesReadAndWriteByKind)
{
    CJpegImage colour("");
    colour.SetQuality(95);
    colour.Create(40, 30, 24, -1);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            colour.SetPixelColor(x, y, u8(x * 6), u8(y * 8), u8(128 + x - y));
    const QByteArray colourJpeg = WriteToBytes(colour);
    const QImage qtColour = QImage::fromData(colourJpeg, "JPG");
    EXPECT_FALSE(qtColour.isGrayscale());
    CJpegImage read("");
    ASSERT_TRUE(read.ReadBytes(Bytes(colourJpeg)));
    EXPECT_EQ(read.GetBpp(), 8);
    EXPECT_EQ(read.GetColorType(), 3);
    EXPECT_LE(read.GetPalette()->GetEntryCount(), 128);
    EXPECT_LT(MeanDifference(read, qtColour), 8.0);

    // A grey palette picture is written grey, and reads with 256 grey levels.
    CJpegImage grey("");
    grey.SetQuality(95);
    grey.Create(32, 16, 8, -1);
    u8 levels[256];
    std::iota(levels, levels + 256, 0);
    grey.SetPaletteRGB(256, levels, nullptr, nullptr);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x)
            grey.SetPixelIndex(x, y, x * 8);
    const QByteArray greyJpeg = WriteToBytes(grey);
    const QImage qtGrey = QImage::fromData(greyJpeg, "JPG");
    EXPECT_TRUE(qtGrey.isGrayscale());
    ASSERT_TRUE(read.ReadBytes(Bytes(greyJpeg)));
    ASSERT_EQ(read.GetPalette()->GetEntryCount(), 256);
    const PALETTEENTRY level = read.GetColors()[200];
    EXPECT_TRUE(level.peRed == 200 && level.peGreen == 200 && level.peBlue == 200);
    EXPECT_LT(MeanDifference(read, qtGrey), 1.0);

    CJpegImage palette("");
    MakePatternImage(palette, 16, 16, 4);
    EXPECT_FALSE(QImage::fromData(WriteToBytes(palette), "JPG").isGrayscale());
}

TEST(JpegTest, FailureLeavesNothingHalfMadeAndSaysWhy)
{
    CJpegImage picture("");
    MakePatternImage(picture, 16, 16, 8);
    const QByteArray good = WriteToBytes(picture);
    QByteArray huge = good;
    const qsizetype sof = huge.indexOf("\xFF\xC0");
    ASSERT_GT(sof, 0);
    qToBigEndian<u16>(9000, huge.data() + sof + 5);
    qToBigEndian<u16>(9000, huge.data() + sof + 7);
    // Kinds of JPEG the library is not built for: the lossless process,
    // 12-bit samples, a height left to a DNL marker.
    const QByteArray lossless = WithFrameByte(good, 1, char(0xC3));
    const QByteArray twelveBit = WithFrameByte(good, 4, 12);
    QByteArray dnl = good;
    qToBigEndian<u16>(0, dnl.data() + sof + 5);
    const QByteArray garbage("\xFF\xD8garbage");

    ExpectBadFilesLeaveNothing<CJpegImage>(
        good, {QByteArray(), good.left(20), garbage, huge, lossless, twelveBit, dnl});

    struct Case {
        const QByteArray& file;
        ImageReadFault fault;
        const char* reason;
    };
    for (const Case& c :
        {Case{garbage, ImageReadFault::Damaged, ""}, Case{huge, ImageReadFault::TooLarge, ""},
            Case{lossless, ImageReadFault::Unsupported, "Unsupported JPEG process: SOF type 0xc3"},
            Case{twelveBit, ImageReadFault::Unsupported, "Unsupported JPEG data precision 12"},
            Case{dnl, ImageReadFault::Unsupported, "Empty JPEG image (DNL not supported)"}}) {
        CJpegImage image("");
        EXPECT_FALSE(image.ReadBytes(Bytes(c.file)));
        EXPECT_EQ(image.GetReadError().fault, c.fault) << c.reason;
        EXPECT_EQ(image.GetReadError().reason, c.reason);
    }
    CJpegImage image("");
    ASSERT_FALSE(image.ReadBytes(Bytes(huge)));
    EXPECT_EQ(image.GetReadError().width, 9000u);
    EXPECT_EQ(image.GetReadError().height, 9000u);
    ASSERT_TRUE(image.ReadBytes(Bytes(good)));
    EXPECT_EQ(image.GetReadError().fault, ImageReadFault::None);
}

TEST(JpegTest, InkPicturesReadIntoTheColourPalette)
{
    for (InkForm form : {InkForm::Plain, InkForm::Adobe, InkForm::Ycck}) {
        CJpegImage image("");
        ASSERT_TRUE(image.ReadBytes(Bytes(CmykJpeg(form)))) << int(form);
        EXPECT_EQ(image.GetBpp(), 8);
        EXPECT_EQ(image.GetColorType(), 3);
        EXPECT_LE(image.GetPalette()->GetEntryCount(), 128);
        // Away from the edge between the halves the colours are plain.
        for (int y = 0; y < 8; ++y) {
            for (int x : {1, 4, 11, 14}) {
                const u32 want = x < 8 ? 0xFF0000 : 0x0000FF;
                const u32 got = PixelAt(image, x, y);
                for (int shift : {0, 8, 16})
                    EXPECT_NEAR(int((got >> shift) & 0xFF), int((want >> shift) & 0xFF), 40)
                        << int(form) << " at " << x << "," << y;
            }
        }
    }
}

TEST(JpegTest, InkPicturesAreReducedInRedGreenBlue)
{
    // Reduced after the conversion, an ink picture comes as close to its
    // full colours as an ordinary colour picture does.
    for (InkForm form : {InkForm::Adobe, InkForm::Ycck}) {
        const QByteArray jpeg = CmykJpeg(form, true);
        const QImage qt = QImage::fromData(jpeg, "JPG");
        ASSERT_EQ(qt.width(), 64);
        CJpegImage image("");
        ASSERT_TRUE(image.ReadBytes(Bytes(jpeg)));
        EXPECT_LE(image.GetPalette()->GetEntryCount(), 128);
        EXPECT_GT(Psnr(image, qt), 26.0) << int(form);
    }
}
