#include "image/gifcodec.h"
#include "image/gifimage.h"
#include "imagetestutil.h"
#include "support/testenv.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <bit>
#include <vector>

namespace {

struct Frame {
    int width = 0;
    int height = 0;
    std::vector<u8> pixels;  // top row first
    bool interlaced = false;
    QByteArray localTable;
    int transparent = -1;
    int extraRows = 0;  // rows of data beyond the picture
    int left = 0;
    int top = 0;
    int disposal = 0;
};

QByteArray Le16(int v)
{
    return QByteArray(1, char(v & 0xFF)) + char(v >> 8);
}

// The image data of a frame: code size 8, sub-blocks, the zero-length block.
QByteArray FrameData(const Frame& f)
{
    std::vector<int> order;
    for (int start : f.interlaced ? std::vector<int>{0, 4, 2, 1} : std::vector<int>{0})
        for (int y = start; y < f.height; y += !f.interlaced ? 1 : start == 0 ? 8 : start * 2)
            order.push_back(y);
    for (int i = 0; i < f.extraRows; ++i)
        order.push_back(i % f.height);
    QByteArray data(1, 8);
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly | QIODevice::Append);
    const auto rows = [&](int row, u8* out) {
        std::copy_n(f.pixels.begin() + order[std::size_t(row)] * f.width, f.width, out);
    };
    EXPECT_TRUE(GifEncoder().Compress(rows, f.width, int(order.size()), buffer));
    return data + '\0';
}

// The size bits of a colour table in a packed byte.
int TableBits(const QByteArray& table)
{
    return table.isEmpty() ? 0 : 0x80 | (std::countr_zero(unsigned(table.size() / 3)) - 1);
}

// The logical screen is the first frame's size unless given.
QByteArray BuildGif(const char* version, const QByteArray& globalTable, const std::vector<Frame>& frames,
    const QByteArray& extensions = {}, int screenWidth = -1, int screenHeight = -1)
{
    QByteArray gif = QByteArray("GIF") + version + Le16(screenWidth < 0 ? frames[0].width : screenWidth)
        + Le16(screenHeight < 0 ? frames[0].height : screenHeight);
    gif += char(TableBits(globalTable) | (globalTable.isEmpty() ? 0 : 0x70)) + QByteArray(2, '\0')
        + globalTable;
    gif += extensions;
    for (const Frame& f : frames) {
        if (f.transparent >= 0 || f.disposal)
            gif += QByteArray::fromHex("21f904") + char(f.disposal << 2 | (f.transparent >= 0 ? 1 : 0))
                + QByteArray(2, '\0') + char(std::max(f.transparent, 0)) + '\0';
        gif += ',' + Le16(f.left) + Le16(f.top) + Le16(f.width) + Le16(f.height);
        gif += char(TableBits(f.localTable) | (f.interlaced ? 0x40 : 0)) + f.localTable;
        gif += f.width && f.height ? FrameData(f) : QByteArray::fromHex("08010000");
    }
    return gif + ';';
}

QByteArray Table(int count, int seed)
{
    QByteArray t;
    for (int i = 0; i < 3 * count; ++i)
        t += char(i * 7 + seed);
    return t;
}

Frame Picture(int width, int height, int colors)
{
    Frame f;
    f.width = width;
    f.height = height;
    for (int i = 0; i < width * height; ++i)
        f.pixels.push_back(u8((i * 5 + i / width) % colors));
    return f;
}

// An image with these codes in one sub-block, of codeSize + 1 bits unless
// widths gives each code's own: by default code size 2 (clear 4, end 5,
// first free 6) and 3-bit codes.
QByteArray CodedImage(int width, int height, const std::vector<int>& codes, int codeSize = 2,
    const std::vector<int>& widths = {})
{
    QByteArray bytes;
    u32 acc = 0;
    int bits = 0;
    for (std::size_t i = 0; i < codes.size(); ++i) {
        acc |= u32(codes[i]) << bits;
        for (bits += i < widths.size() ? widths[i] : codeSize + 1; bits >= 8; bits -= 8, acc >>= 8)
            bytes += char(acc & 0xFF);
    }
    if (bits > 0)
        bytes += char(acc & 0xFF);
    return ',' + Le16(0) + Le16(0) + Le16(width) + Le16(height) + '\0' + char(codeSize) + char(bytes.size())
        + bytes + '\0';
}

}  // namespace

using GifTest = TolvaTest;

TEST(GifReadTest, VersionsInterlaceAndCommentsReadAlike)
{
    const QByteArray table = Table(16, 1);
    Frame plain = Picture(9, 10, 16);
    Frame interlaced = plain;
    interlaced.interlaced = true;
    for (const QByteArray& gif : {BuildGif("87a", table, {plain}), BuildGif("89a", table, {interlaced}),
             BuildGif("89a", table, {plain}, QByteArray::fromHex("21fe0568656c6c6f00"))}) {
        CGifImage image("");
        ASSERT_TRUE(image.ReadBytes(Bytes(gif)));
        EXPECT_EQ(image.GetBpp(), 8);
        EXPECT_EQ(image.GetColorType(), 3);
        EXPECT_EQ(image.GetPalette()->GetEntryCount(), 16);
        EXPECT_EQ(image.GetTransparentIndex(), -1);
        EXPECT_EQ(Indexes(image), plain.pixels);
        ExpectSamePixels(image, QImage::fromData(gif, "GIF"));
    }
}

TEST(GifReadTest, TransparentIndexBuildsAFullPalette)
{
    Frame f = Picture(4, 4, 16);
    f.transparent = 3;
    CGifImage image("");
    ASSERT_TRUE(image.ReadBytes(Bytes(BuildGif("89a", Table(16, 2), {f}))));
    const CImagePalette& palette = *image.GetPalette();
    ASSERT_EQ(palette.GetEntryCount(), 256);
    EXPECT_EQ(image.GetTransparentIndex(), 3);
    u8 r, g, b;
    palette.GetEntry(3, &r, &g, &b);
    EXPECT_EQ(r + g + b, 0);
    for (int i = 16; i < 256; ++i) {
        palette.GetEntry(i, &r, &g, &b);
        EXPECT_EQ(r & g & b, 255) << i;
    }
}

TEST(GifReadTest, FullTableWithTransparencyKeepsEveryColour)
{
    // 256 colours, none of them white: no entry the pixels use turns white.
    Frame f = Picture(16, 16, 256);
    f.transparent = 0;
    const QByteArray table = Table(256, 1);
    CGifImage image("");
    ASSERT_TRUE(image.ReadBytes(Bytes(BuildGif("89a", table, {f}))));
    ASSERT_EQ(image.GetPalette()->GetEntryCount(), 256);
    for (int i = 1; i < 256; ++i) {
        u8 r, g, b;
        image.GetPalette()->GetEntry(i, &r, &g, &b);
        EXPECT_EQ((r << 16) | (g << 8) | b,
            (u8(table[3 * i]) << 16) | (u8(table[3 * i + 1]) << 8) | u8(table[3 * i + 2]))
            << i;
    }
}

TEST(GifReadTest, LocalTableAndTransparencyBelongToTheirImage)
{
    // Several images: the last one is kept, with the global table and no
    // transparency, since the first image's local table and control block
    // were its own.
    Frame first = Picture(3, 2, 4);
    first.localTable = Table(4, 50);
    first.transparent = 1;
    Frame zeroWide;
    zeroWide.height = 5;
    Frame last = Picture(3, 2, 4);
    CGifImage image("");
    ASSERT_TRUE(image.ReadBytes(Bytes(BuildGif("89a", Table(4, 9), {first, zeroWide, last}))));
    EXPECT_EQ(image.GetTransparentIndex(), -1);
    ASSERT_EQ(image.GetPalette()->GetEntryCount(), 4);
    u8 r, g, b;
    image.GetPalette()->GetEntry(0, &r, &g, &b);
    EXPECT_EQ(r, 9);

    // An image of width 0 alone: read, and nothing to show.
    CGifImage empty("");
    EXPECT_TRUE(empty.ReadBytes(Bytes(BuildGif("89a", Table(4, 9), {zeroWide}))));
    EXPECT_FALSE(empty.IsValid());
}

TEST(GifReadTest, DamagedDataEndsDecodingButNotReading)
{
    const QByteArray table = Table(4, 3);
    const QByteArray head = BuildGif("87a", table, {Picture(4, 2, 4)}).left(13 + 12);
    const QByteArray next = CodedImage(2, 1, {4, 2, 3, 5}) + ';';

    // Code 7 is beyond the next free one and ends this image's data; the
    // following image still reads, drawn over it.
    const QByteArray badData = CodedImage(4, 2, {4, 1, 7, 1, 1});
    CGifImage bad("");
    ASSERT_TRUE(bad.ReadBytes(Bytes(head + badData + ';')));
    EXPECT_EQ(Indexes(bad), std::vector<u8>({1, 0, 0, 0, 0, 0, 0, 0}));
    ASSERT_TRUE(bad.ReadBytes(Bytes(head + badData + next)));
    EXPECT_EQ(Indexes(bad), std::vector<u8>({2, 3, 0, 0, 0, 0, 0, 0}));

    // A zero-length sub-block ends the data even without an end code.
    ASSERT_TRUE(bad.ReadBytes(Bytes(head + CodedImage(4, 2, {4, 1}) + next)));
    EXPECT_EQ(Indexes(bad), std::vector<u8>({2, 3, 0, 0, 0, 0, 0, 0}));

    // An image of a code size no reader decodes is refused with its reason
    // when it comes first; after other images, the picture is what they left.
    const QByteArray codeSize12 = QByteArray::fromHex("0c0100");
    GifInput input(Bytes(codeSize12));
    EXPECT_EQ(GifDecoder().Decode(input, 4, [](const u8*, int) { return 0; }), kGifBadCodeSize);
    for (const char* data : {"0c0100", "ff0100", "000100"}) {
        const QByteArray badImage
            = ',' + Le16(0) + Le16(0) + Le16(4) + Le16(2) + '\0' + QByteArray::fromHex(data);
        for (const QByteArray& after : {QByteArray(";"), '\0' + next}) {
            EXPECT_FALSE(bad.ReadBytes(Bytes(head + badImage + after))) << data;
            EXPECT_FALSE(bad.IsValid());
            EXPECT_EQ(bad.GetReadError().fault, ImageReadFault::Damaged);
            EXPECT_NE(bad.GetReadError().reason.find("LZW code size"), std::string::npos);
        }
        const QByteArray ones = CodedImage(2, 1, {4, 1, 1, 5}) + ';';
        ASSERT_TRUE(bad.ReadBytes(Bytes(head + next.chopped(1) + badImage + '\0' + ones))) << data;
        EXPECT_EQ(bad.GetReadError().fault, ImageReadFault::None);
        EXPECT_EQ(Indexes(bad), std::vector<u8>({2, 3, 0, 0, 0, 0, 0, 0}));
    }

    // Code size 1 has 2-bit codes: clear 2, pixel 1, end 3 give colour 1, in
    // the file as it is written.
    const QByteArray twoColours = QByteArray("GIF89a") + Le16(1) + Le16(1) + char(0x80) + QByteArray(2, '\0')
        + QByteArray::fromHex("000000ffffff") + CodedImage(1, 1, {2, 1, 3}, 1) + ';';
    const QString seedPath = TestDataPath(QStringLiteral("fuzz/fuzz_gif/codesize1.gif"));
    QFile seed(seedPath);
    ASSERT_TRUE(seed.open(QIODevice::ReadOnly));
    EXPECT_EQ(seed.readAll(), twoColours);
    CImageFile tiny(seedPath.toStdString());
    ASSERT_TRUE(tiny.IsValid());
    EXPECT_EQ(Indexes(*tiny.GetImpl()), std::vector<u8>{1});
    // Entry 4 is the first that the code after the first pixel may name, so
    // that code is already 3 bits wide: 1, 0, 4 (1 0), 5 (0 1), 6 (1 0 0),
    // and after entry 7 the end code takes 4 bits.
    const QByteArray nine = QByteArray("GIF89a") + Le16(9) + Le16(1) + char(0x80) + QByteArray(2, '\0')
        + QByteArray::fromHex("000000ffffff")
        + CodedImage(9, 1, {2, 1, 0, 4, 5, 6, 3}, 1, {2, 2, 3, 3, 3, 3, 4}) + ';';
    CGifImage grown("");
    ASSERT_TRUE(grown.ReadBytes(Bytes(nine)));
    EXPECT_EQ(Indexes(grown), std::vector<u8>({1, 0, 1, 0, 0, 1, 1, 0, 0}));

    // Code size 11 has 12-bit codes, clear 2048 and end 2049; a pixel code
    // beyond a palette's 256 colours is damage and ends the data.
    CGifImage wide("");
    ASSERT_TRUE(wide.ReadBytes(Bytes(head + CodedImage(4, 1, {2048, 3, 1, 2050, 2049}, 11) + ';')));
    EXPECT_EQ(Indexes(wide), std::vector<u8>({3, 1, 3, 1, 0, 0, 0, 0}));
    ASSERT_TRUE(wide.ReadBytes(Bytes(head + CodedImage(4, 1, {2048, 3, 300, 1, 2049}, 11) + ';')));
    EXPECT_EQ(Indexes(wide), std::vector<u8>({3, 0, 0, 0, 0, 0, 0, 0}));

    // A file cut in the middle of the data keeps the rows decoded so far.
    Frame big = Picture(64, 64, 4);
    const QByteArray whole = BuildGif("87a", table, {big});
    CGifImage cut("");
    ASSERT_TRUE(cut.ReadBytes(Bytes(whole.left(whole.size() / 2))));
    ASSERT_TRUE(cut.IsValid());
    const std::vector<u8> got = Indexes(cut);
    EXPECT_TRUE(std::equal(got.begin(), got.begin() + 64, big.pixels.begin()));
    EXPECT_EQ(got.back(), 0);

    // Rows beyond the last row or interlace pass are dropped.
    for (bool interlaced : {false, true}) {
        Frame extra = Picture(5, 10, 4);
        extra.interlaced = interlaced;
        extra.extraRows = 7;
        CGifImage image("");
        ASSERT_TRUE(image.ReadBytes(Bytes(BuildGif("89a", table, {extra}))));
        EXPECT_EQ(Indexes(image), extra.pixels);
        const Frame following = Picture(5, 10, 3);
        ASSERT_TRUE(image.ReadBytes(Bytes(BuildGif("89a", table, {extra, following}))));
        EXPECT_EQ(Indexes(image), following.pixels);
    }

    // A picture bigger than the program holds is refused, with its size;
    // an image bigger than its screen is clipped to it.
    ASSERT_TRUE(bad.ReadBytes(Bytes(head + CodedImage(65535, 65535, {4, 1, 5}) + ';')));
    EXPECT_EQ(Indexes(bad), std::vector<u8>({1, 0, 0, 0, 0, 0, 0, 0}));
    const QByteArray noScreen = BuildGif("87a", table, {Picture(4, 2, 4)}, {}, 0, 0).left(13 + 12);
    EXPECT_FALSE(bad.ReadBytes(Bytes(noScreen + CodedImage(65535, 65535, {4, 5}) + ';')));
    EXPECT_FALSE(bad.IsValid());
    EXPECT_EQ(bad.GetReadError().fault, ImageReadFault::TooLarge);
    EXPECT_EQ(bad.GetReadError().width, 65535u);

    CGifImage notGif("");
    EXPECT_FALSE(notGif.ReadBytes(Bytes("GIF7a")));
    EXPECT_FALSE(notGif.ReadBytes(Bytes("PNG89a1234567890")));
}

TEST_F(GifTest, ImagesAreLaidOnTheScreenOverWhatCameBefore)
{
    // A still picture of four quarters, each an image of its own: the
    // whole screen, as Qt's reader shows it after the last image.
    const QByteArray table = Table(16, 4);
    std::vector<Frame> quarters;
    for (int i = 0; i < 4; ++i) {
        Frame f = Picture(16, 16, 16);
        for (u8& p : f.pixels)
            p = u8((p + i * 3) % 16);
        f.left = 16 * (i % 2);
        f.top = 16 * (i / 2);
        quarters.push_back(f);
    }
    const QByteArray still = BuildGif("89a", table, quarters, {}, 32, 32);
    QFile file(ProgramPath("still.gif"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(still);
    file.close();
    CImageFile picture(ProgramPath("still.gif").toStdString());
    ASSERT_TRUE(picture.IsValid());
    const CImageImpl& image0 = *picture.GetImpl();
    EXPECT_EQ(image0.GetWidth(), 32);
    EXPECT_EQ(image0.GetHeight(), 32);
    CGifImage image("");
    ASSERT_TRUE(image.ReadBytes(Bytes(still)));
    EXPECT_EQ(Indexes(image), Indexes(image0));
    ASSERT_EQ(image.GetWidth(), 32);
    ASSERT_EQ(image.GetHeight(), 32);
    EXPECT_EQ(image.GetPalette()->GetEntryCount(), 16);
    const std::vector<u8> got = Indexes(image);
    for (int i = 0; i < 4; ++i)
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                ASSERT_EQ(got[std::size_t(
                              (quarters[std::size_t(i)].top + y) * 32 + quarters[std::size_t(i)].left + x)],
                    quarters[std::size_t(i)].pixels[std::size_t(y * 16 + x)])
                    << i << " " << x << "," << y;
    QByteArray stillCopy = still;
    QBuffer stillBuffer(&stillCopy);
    QImageReader reader(&stillBuffer, "GIF");
    QImage last;
    for (QImage frame; reader.read(&frame);)
        last = frame;
    ExpectSamePixels(image, last);

    // A small patch with a table of its own and a transparent colour over
    // a full first image: the first image shows through the patch's holes.
    Frame base = Picture(12, 8, 1);
    Frame patch = Picture(4, 2, 4);
    patch.left = 3;
    patch.top = 2;
    patch.localTable = Table(4, 77);
    patch.transparent = 0;
    const QByteArray globalTable = Table(4, 9);
    ASSERT_TRUE(image.ReadBytes(Bytes(BuildGif("89a", globalTable, {base, patch}))));
    ASSERT_EQ(image.GetWidth(), 12);
    // No pixel is transparent: the patch's holes show the first image.
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 12; ++x)
            EXPECT_NE(image.GetPixelIndex(x, y), image.GetTransparentIndex());
    const auto colour = [](const QByteArray& t, int i) {
        return u32(u8(t[3 * i])) << 16 | u32(u8(t[3 * i + 1])) << 8 | u8(t[3 * i + 2]);
    };
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 12; ++x) {
            const bool inPatch = x >= 3 && x < 7 && y >= 2 && y < 4;
            const int index = inPatch ? patch.pixels[std::size_t((y - 2) * 4 + x - 3)] : 0;
            EXPECT_EQ(PixelAt(image, x, y), index ? colour(patch.localTable, index) : colour(globalTable, 0))
                << x << "," << y;
        }

    // Disposal: an image that is undone leaves the background or what lay
    // under it for the next one.
    Frame full = Picture(6, 4, 4);
    for (u8& p : full.pixels)
        p = 3;
    Frame corner = Picture(2, 2, 1);
    for (u8& p : corner.pixels)
        p = 1;
    Frame last2 = Picture(2, 2, 2);
    last2.left = 4;
    last2.top = 2;
    for (int disposal : {1, 2, 3}) {
        corner.disposal = disposal;
        ASSERT_TRUE(image.ReadBytes(Bytes(BuildGif("89a", table, {full, corner, last2}))));
        const std::vector<u8> indexes = Indexes(image);
        // 1 keeps the image, 2 clears to the background colour 0, 3 restores.
        EXPECT_EQ(indexes[0], disposal == 1 ? 1 : disposal == 2 ? 0 : 3) << disposal;
        EXPECT_EQ(indexes[7], disposal == 1 ? 1 : disposal == 2 ? 0 : 3) << disposal;
        EXPECT_EQ(indexes[2], 3);
        EXPECT_EQ(indexes[2 * 6 + 4], last2.pixels[0]);
    }

    // A first image reaching past its screen is drawn where it lies and
    // clipped; one lying wholly outside leaves the screen empty. A side of
    // the screen left 0 takes the image's size.
    Frame wide = Picture(6, 3, 4);
    wide.left = 1;
    wide.top = 2;
    ASSERT_TRUE(image.ReadBytes(Bytes(BuildGif("89a", Table(4, 1), {wide}, {}, 4, 4))));
    ASSERT_EQ(image.GetWidth(), 4);
    ASSERT_EQ(image.GetHeight(), 4);
    std::vector<u8> clipped(16, 0);
    for (int y = 2; y < 4; ++y)
        for (int x = 1; x < 4; ++x)
            clipped[std::size_t(y * 4 + x)] = wide.pixels[std::size_t((y - 2) * 6 + x - 1)];
    EXPECT_EQ(Indexes(image), clipped);
    Frame astray = Picture(6, 3, 4);
    astray.top = 65280;
    ASSERT_TRUE(image.ReadBytes(Bytes(BuildGif("89a", Table(4, 1), {astray}, {}, 4, 4))));
    EXPECT_EQ(image.GetWidth(), 4);
    EXPECT_EQ(Indexes(image), std::vector<u8>(16, 0));
    ASSERT_TRUE(image.ReadBytes(Bytes(BuildGif("89a", Table(4, 1), {astray}, {}, 0, 0))));
    EXPECT_EQ(image.GetWidth(), 6);
    EXPECT_EQ(image.GetHeight(), 3);
    EXPECT_EQ(Indexes(image), astray.pixels);

    // Where no image drew, a file with transparency is transparent.
    Frame middle = Picture(4, 4, 2);
    middle.left = middle.top = 2;
    middle.transparent = 3;
    ASSERT_TRUE(image.ReadBytes(Bytes(BuildGif("89a", Table(4, 1), {middle}, {}, 8, 8))));
    ASSERT_EQ(image.GetWidth(), 8);
    EXPECT_EQ(image.GetTransparentIndex(), 3);
    EXPECT_EQ(image.GetPixelIndex(0, 0), 3);
    EXPECT_EQ(image.GetPixelIndex(2, 5), middle.pixels[0]);
}

TEST_F(GifTest, WrittenGifDecodesInQtToTheSamePixels)
{
    for (int bpp : {1, 4, 8}) {
        for (int size : {2, 61, 300}) {
            CGifImage image("");
            MakePatternImage(image, size, size / 2 + 1, bpp);
            // Plenty of codes, so the table fills and is cleared.
            if (size == 300)
                for (int y = 0; y < image.GetHeight(); ++y)
                    for (int x = 0; x < size; ++x)
                        image.SetPixelIndex(x, y, (x * x * 31 + y * 17 + (x ^ y)) % (1 << bpp));
            const QByteArray gif = WriteToBytes(image);
            ASSERT_TRUE(gif.startsWith("GIF87a"));
            ExpectSamePixels(image, QImage::fromData(gif, "GIF"));
            CGifImage back("");
            ASSERT_TRUE(back.ReadBytes(Bytes(gif)));
            EXPECT_EQ(Indexes(back), Indexes(image)) << bpp << " " << size;
        }
    }
}

TEST_F(GifTest, WriterRefusesAndReportsFailures)
{
    CGifImage colour("");
    colour.Create(4, 4, 24, -1);
    EXPECT_FALSE(colour.Write(ProgramPath("c.gif").toStdString()));
    CGifImage image("");
    MakePatternImage(image, 40, 40, 8);
    EXPECT_FALSE(image.Write(ProgramPath("no/such/folder/a.gif").toStdString()));
    ASSERT_EQ(m_messages.shown.size(), 2u);
    EXPECT_EQ(m_messages.shown[0].text, "GIF Images must be 8 bit or less");
    EXPECT_EQ(m_messages.shown[1].text, "Can't open GIF for writing");

    CGifImage wide("");
    wide.Create(70000, 1, 8, -1);
    EXPECT_TRUE(WriteToBytes(wide).isEmpty());
    EXPECT_TRUE(image.Write(ProgramPath("a.gif").toStdString()));
}
