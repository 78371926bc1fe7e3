// Device-independent bitmaps: one block holding a 40-byte header, the colour
// table and the pixel rows. Row 0 is the bottom row of the picture; every row
// is padded to a multiple of 4 bytes; true-colour pixels are blue, green, red.
// When the image has a palette the colour table holds 16-bit palette indexes
// instead of colours, so the same block can be drawn with either.
#pragma once

#include "platform/wintypes.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <string>

using i64 = std::int64_t;

class CImagePalette;
class QIODevice;

constexpr u32 BI_RGB = 0;
constexpr u32 BI_BITFIELDS = 3;

// The two forms of a colour table.
constexpr int DIB_RGB_COLORS = 0;
constexpr int DIB_PAL_COLORS = 1;

// The largest picture held in memory. Files asking for more are refused
// before anything is allocated, so a few bytes cannot claim gigabytes.
constexpr u64 kMaxImagePixels = 64ull * 1024 * 1024;

struct BITMAPINFOHEADER {
    u32 biSize;
    i32 biWidth;
    i32 biHeight;
    u16 biPlanes;
    u16 biBitCount;
    u32 biCompression;
    u32 biSizeImage;
    i32 biXPelsPerMeter;
    i32 biYPelsPerMeter;
    u32 biClrUsed;
    u32 biClrImportant;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40);

struct RGBQUAD {
    u8 rgbBlue;
    u8 rgbGreen;
    u8 rgbRed;
    u8 rgbReserved;
};
static_assert(sizeof(RGBQUAD) == 4);

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = sizeof(BITMAPINFOHEADER);

// The block of one DIB, zero-filled when made. Empty when there was no memory.
class DibBlock {
public:
    DibBlock() = default;
    explicit DibBlock(std::size_t size);

    bool IsNull() const { return !m_data; }
    std::size_t Size() const { return m_size; }
    u8* Data() { return m_data.get(); }
    const u8* Data() const { return m_data.get(); }

    BITMAPINFOHEADER& Header() { return *reinterpret_cast<BITMAPINFOHEADER*>(m_data.get()); }
    const BITMAPINFOHEADER& Header() const
    {
        return *reinterpret_cast<const BITMAPINFOHEADER*>(m_data.get());
    }
    RGBQUAD* ColorTable() { return reinterpret_cast<RGBQUAD*>(m_data.get() + Header().biSize); }
    const RGBQUAD* ColorTable() const
    {
        return reinterpret_cast<const RGBQUAD*>(m_data.get() + Header().biSize);
    }
    u8* Bits();
    const u8* Bits() const;

private:
    struct Free {
        void operator()(u8* p) const { std::free(p); }
    };
    std::unique_ptr<u8, Free> m_data;
    std::size_t m_size = 0;
};

// Bytes per row, a multiple of 4, in 64 bits so no depth or width overflows.
constexpr u64 DibRowBytes(int bpp, i64 width)
{
    return (u64(bpp) * u64(width) + 31) / 32 * 4;
}
// The depths the program holds: palette images of 1, 2, 4 or 8 bits, true colour of 24.
bool IsSupportedDibDepth(int bpp);
// Entries of the colour table: colours used, or 2 to the power bpp up to 8 bits.
int DibNumColors(const BITMAPINFOHEADER& header);
// Where the bits start: header, colour table (or the 12 mask bytes of BI_BITFIELDS).
std::size_t DibBitsOffset(const BITMAPINFOHEADER& header);

// One palette index in a packed row; the leftmost pixel is in the high bits.
inline int DibReadIndex(const u8* row, int bpp, int x)
{
    switch (bpp) {
    case 8:
        return row[x];
    case 4:
        return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF;
    case 2:
        return (row[x >> 2] >> (6 - 2 * (x & 3))) & 0x3;
    case 1:
        return (row[x >> 3] >> (7 - (x & 7))) & 0x1;
    default:
        return -1;
    }
}
void DibWriteIndex(u8* row, int bpp, int x, int index);
// A packed row of up to 8 bits per pixel as one index byte per pixel.
void DibExpandRow(const u8* row, int bpp, int width, u8* indexes);

// A new picture: standard header, no compression, the 16 standard colours
// repeated through the colour table. Empty for sizes beyond kMaxImagePixels,
// depths not held, or no memory.
DibBlock CreateDIB(int bpp, int width, int height);

// A BMP file (or a bare DIB without the file header) as a DIB with a
// 40-byte header and bottom-up rows: 16- and 32-bit pixels (with or without
// bit-field masks) become 24-bit, run-length pictures are expanded. Empty
// for a damaged, truncated or unsupported file; for a picture with more
// than kMaxImagePixels, tooLarge (when given) receives its size.
struct DibSize {
    u64 width = 0;
    u64 height = 0;
};
DibBlock ReadDIB(std::span<const u8> file, DibSize* tooLarge = nullptr);
DibBlock ReadDIBFile(const std::string& path);

// Writes the file header, then header, colour table and bits.
bool SaveDIB(QIODevice& out, const DibBlock& dib);
bool SaveDIB(const std::string& path, const DibBlock& dib);

// Fills the colour table: DIB_PAL_COLORS writes indexes 0..n-1, any other
// form the palette's colours (the standard colours when there is none).
void SetDIBPalette(DibBlock& dib, const CImagePalette* palette, int form);
// A palette of the colour table's colours; none when the table is empty.
std::unique_ptr<CImagePalette> CreateDIBPalette(const DibBlock& dib, u8 flags);
