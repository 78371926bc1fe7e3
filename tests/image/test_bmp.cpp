#include "image/bmpimage.h"
#include "imagetestutil.h"

#include <QtEndian>
#include <vector>

namespace {

constexpr u32 kRle8 = 1;
constexpr u32 kRle4 = 2;

QByteArray Le(u32 v, int bytes)
{
    QByteArray b(bytes, '\0');
    for (int i = 0; i < bytes; ++i)
        b[i] = char(v >> (8 * i));
    return b;
}

struct BmpSpec {
    u32 headerSize = 40;
    int width = 0;
    int height = 0;
    int bpp = 8;
    u32 compression = 0;
    std::vector<u32> masks;  // after a 40-byte header, inside longer ones
    int colors = 0;  // table entries i: red 10 i, green 20 i, blue 30 i
};

QByteArray Bmp(const BmpSpec& s, const QByteArray& bits)
{
    QByteArray dib = Le(s.headerSize, 4) + Le(u32(s.width), 4) + Le(u32(s.height), 4) + Le(1, 2)
        + Le(s.bpp, 2) + Le(s.compression, 4) + Le(u32(bits.size()), 4) + Le(2835, 4) + Le(2835, 4)
        + Le(u32(s.colors), 4) + Le(0, 4);
    QByteArray masks;
    for (u32 m : s.masks)
        masks += Le(m, 4);
    if (s.headerSize == 40)
        dib += masks;
    else
        dib += masks + QByteArray(int(s.headerSize) - 40 - masks.size(), '\0');
    for (int i = 0; i < s.colors; ++i)
        dib += QByteArray(1, char(30 * i)) + char(20 * i) + char(10 * i) + '\0';
    return "BM" + Le(u32(14 + dib.size() + bits.size()), 4) + Le(0, 4) + Le(u32(14 + dib.size()), 4) + dib
        + bits;
}

// Two rows of three pixels, top row first, in colours every form holds exactly.
constexpr u32 kColours[2][3] = {{0xFF0000, 0x00FF00, 0x0000FF}, {0xFFFFFF, 0x000000, 0xFFFF00}};

// The pixel rows of kColours, bottom row first unless topDown, each pixel
// made by pack from red, green and blue, rows padded to 4 bytes.
template <class Pack> QByteArray TrueColourBits(int bytesPerPixel, bool topDown, Pack pack)
{
    QByteArray bits;
    for (int i = 0; i < 2; ++i) {
        QByteArray row;
        for (u32 c : kColours[topDown ? i : 1 - i])
            row += Le(pack(c >> 16, (c >> 8) & 0xFF, c & 0xFF), bytesPerPixel);
        bits += row + QByteArray((4 - row.size() % 4) % 4, '\0');
    }
    return bits;
}

}  // namespace

TEST(BmpTest, TrueColourFormsReadAs24Bits)
{
    const auto bgrx = [](u32 r, u32 g, u32 b) { return (r << 16) | (g << 8) | b; };
    const auto rgb555 = [](u32 r, u32 g, u32 b) { return ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3); };
    const auto rgb565 = [](u32 r, u32 g, u32 b) { return ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3); };
    const auto xbgr = [](u32 r, u32 g, u32 b) { return (b << 24) | (g << 16) | (r << 8); };
    const struct {
        const char* what;
        BmpSpec spec;
        QByteArray bits;
    } forms[] = {
        {"32 bits", {40, 3, 2, 32, 0, {}}, TrueColourBits(4, false, bgrx)},
        {"16 bits", {40, 3, 2, 16, 0, {}}, TrueColourBits(2, false, rgb555)},
        {"16 bits 565, table", {40, 3, 2, 16, 3, {0xF800, 0x07E0, 0x001F}, 5},
            TrueColourBits(2, false, rgb565)},
        {"32 bits masks, version 4, top-down", {108, 3, -2, 32, 3, {0xFF00, 0xFF0000, 0xFF000000}},
            TrueColourBits(4, true, xbgr)},
        {"32 bits, version 5", {124, 3, 2, 32, 0, {}}, TrueColourBits(4, false, bgrx)},
        {"16 bits masks, 52-byte header", {52, 3, 2, 16, 3, {0xF800, 0x07E0, 0x001F}},
            TrueColourBits(2, false, rgb565)},
    };
    for (const auto& f : forms) {
        CBmpImage image("");
        ASSERT_TRUE(image.ReadBytes(Bytes(Bmp(f.spec, f.bits)))) << f.what;
        EXPECT_EQ(image.GetBpp(), 24);
        EXPECT_EQ(image.GetPalette(), nullptr);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                EXPECT_EQ(PixelAt(image, x, y), kColours[y][x]) << f.what << " at " << x << "," << y;
    }
}

TEST(BmpTest, RunLengthPicturesExpandIntoThePalette)
{
    // 5 x 4, bottom row first: a run, a copy, an end of line; a delta two
    // right and one up; a run running past the row's end (clipped); the end.
    const QByteArray rle8 = QByteArray::fromHex("0207"
                                                "000301020300"
                                                "0000"
                                                "00020201"
                                                "0105"
                                                "0000"
                                                "0a09"
                                                "0001");
    CBmpImage eight("");
    ASSERT_TRUE(eight.ReadBytes(Bytes(Bmp({40, 5, 4, 8, kRle8, {}, 16}, rle8))));
    EXPECT_EQ(eight.GetBpp(), 8);
    EXPECT_EQ(eight.GetColorType(), 3);
    EXPECT_EQ(eight.GetDib().Header().biCompression, 0u);
    EXPECT_EQ(Indexes(eight), (std::vector<u8>{9, 9, 9, 9, 9, 0, 0, 5, 0, 0, 0, 0, 0, 0, 0, 7, 7, 1, 2, 3}));
    EXPECT_EQ(PixelAt(eight, 2, 1), 0x326496u) << "index 5 from the table";

    // 4 bits, top-down: runs alternate the two nibbles; a copy of 3 pixels
    // takes one word.
    const QByteArray rle4 = QByteArray::fromHex("0512"
                                                "0000"
                                                "0003abc0"
                                                "03f0");
    CBmpImage four("");
    ASSERT_TRUE(four.ReadBytes(Bytes(Bmp({40, 6, -2, 4, kRle4, {}, 16}, rle4))));
    EXPECT_EQ(four.GetBpp(), 4);
    EXPECT_EQ(Indexes(four), (std::vector<u8>{1, 2, 1, 2, 1, 0, 10, 11, 12, 15, 0, 15}));
    EXPECT_EQ(four.GetPalette()->GetEntryCount(), 16);

    // Data ending without the end code keeps what it gave; a delta below the
    // picture ends it.
    CBmpImage cut("");
    ASSERT_TRUE(
        cut.ReadBytes(Bytes(Bmp({40, 2, 2, 8, kRle8, {}, 4}, QByteArray::fromHex("0203000200ff0101")))));
    EXPECT_EQ(Indexes(cut), (std::vector<u8>{0, 0, 3, 3}));
}

TEST(BmpTest, DamagedMasksAndRunsAreRefused)
{
    const QByteArray good = Bmp({40, 3, 2, 16, 3, {0xF800, 0x07E0, 0x001F}}, QByteArray(16, '\0'));
    std::vector<QByteArray> bad = {
        Bmp({40, 3, 2, 16, 3, {0xF00F, 0x07E0, 0x001F}}, QByteArray(16, '\0')),
        Bmp({40, 3, 2, 16, 3, {0x1F0000, 0x07E0, 0x001F}}, QByteArray(16, '\0')),
        Bmp({40, 3, 2, 24, 3, {0xFF0000, 0xFF00, 0xFF}}, QByteArray(24, '\0')),
        Bmp({40, 3, 2, 32, 0, {}}, QByteArray(23, '\0')),
        Bmp({64, 3, 2, 8, 3, {}}, QByteArray(8, '\0')),
        good.left(14 + 40 + 8),
    };
    // Runs whose bits would start past the end of the file.
    QByteArray runs = Bmp({40, 4, 4, 8, kRle8, {}, 2}, QByteArray::fromHex("0401"));
    qToLittleEndian<u32>(u32(runs.size() + 1), runs.data() + 10);
    bad.push_back(runs);
    ExpectBadFilesLeaveNothing<CBmpImage>(good, bad);
}
