#include "image/dib.h"

#include "image/imagefileio.h"
#include "image/imagepalette.h"

#include <QIODevice>
#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>

static_assert(std::endian::native == std::endian::little, "DIB headers are stored as they lie in memory");

namespace {

// The 16 standard colours as 0xRRGGBB.
constexpr u32 kStandardColors[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080,
    0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};

constexpr std::size_t kWriteChunk = 32768;

RGBQUAD StandardColor(int i)
{
    const u32 c = kStandardColors[i % 16];
    return {u8(c), u8(c >> 8), u8(c >> 16), 0};
}

void PutLe32(u8* out, u32 v)
{
    for (int i = 0; i < 4; ++i)
        out[i] = u8(v >> (8 * i));
}

bool WriteDIBChunks(QIODevice& out, const u8* data, std::size_t size)
{
    while (size > 0) {
        const std::size_t n = std::min(size, kWriteChunk);
        if (out.write(reinterpret_cast<const char*>(data), qint64(n)) != qint64(n))
            return false;
        data += n;
        size -= n;
    }
    return true;
}

}  // namespace

DibBlock::DibBlock(std::size_t size)
    : m_data(static_cast<u8*>(std::calloc(size, 1)))
    , m_size(m_data ? size : 0)
{
}

u8* DibBlock::Bits()
{
    return m_data.get() + DibBitsOffset(Header());
}
const u8* DibBlock::Bits() const
{
    return m_data.get() + DibBitsOffset(Header());
}

bool IsSupportedDibDepth(int bpp)
{
    return bpp == 1 || bpp == 2 || bpp == 4 || bpp == 8 || bpp == 24;
}

int DibNumColors(const BITMAPINFOHEADER& header)
{
    if (header.biClrUsed != 0)
        return int(header.biClrUsed);
    return header.biBitCount <= 8 ? 1 << header.biBitCount : 0;
}

std::size_t DibBitsOffset(const BITMAPINFOHEADER& header)
{
    const std::size_t table
        = header.biCompression == BI_BITFIELDS ? 12 : std::size_t(DibNumColors(header)) * 4;
    return header.biSize + table;
}

void DibWriteIndex(u8* row, int bpp, int x, int index)
{
    switch (bpp) {
    case 8:
        row[x] = u8(index);
        break;
    case 4: {
        const int shift = (x & 1) ? 0 : 4;
        row[x >> 1] = u8((row[x >> 1] & ~(0xF << shift)) | ((index & 0xF) << shift));
        break;
    }
    case 2: {
        const int shift = 6 - 2 * (x & 3);
        row[x >> 2] = u8((row[x >> 2] & ~(0x3 << shift)) | ((index & 0x3) << shift));
        break;
    }
    case 1: {
        const int shift = 7 - (x & 7);
        row[x >> 3] = u8((row[x >> 3] & ~(1 << shift)) | ((index & 1) << shift));
        break;
    }
    default:
        break;
    }
}

void DibExpandRow(const u8* row, int bpp, int width, u8* indexes)
{
    if (bpp == 8) {
        std::memcpy(indexes, row, std::size_t(width));
        return;
    }
    for (int x = 0; x < width; ++x)
        indexes[x] = u8(DibReadIndex(row, bpp, x));
}

DibBlock CreateDIB(int bpp, int width, int height)
{
    if (!IsSupportedDibDepth(bpp) || width <= 0 || height <= 0 || u64(width) * u64(height) > kMaxImagePixels)
        return {};
    const int colors = bpp <= 8 ? 1 << bpp : 0;
    const u64 imageSize = DibRowBytes(bpp, width) * u64(height);
    DibBlock dib(kInfoHeaderSize + std::size_t(colors) * 4 + imageSize);
    if (dib.IsNull())
        return {};
    BITMAPINFOHEADER& h = dib.Header();
    h.biSize = kInfoHeaderSize;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = u16(bpp);
    h.biCompression = BI_RGB;
    h.biSizeImage = u32(imageSize);
    h.biClrUsed = bpp == 4 ? 16 : bpp == 8 ? 256 : 0;
    RGBQUAD* table = dib.ColorTable();
    for (int i = 0; i < colors; ++i)
        table[i] = StandardColor(i);
    return dib;
}

bool SaveDIB(QIODevice& out, const DibBlock& dib)
{
    if (dib.IsNull())
        return false;
    const BITMAPINFOHEADER& h = dib.Header();
    // Sizes from the header's own fields: colours used may be 0 for a table
    // of 2 to the power bpp, and the image size is the real one.
    const u64 imageSize
        = DibRowBytes(h.biBitCount, h.biWidth) * u64(h.biHeight < 0 ? -i64(h.biHeight) : h.biHeight);
    const u64 bitsOffset = DibBitsOffset(h);
    const u64 fileSize = kFileHeaderSize + bitsOffset + imageSize;
    if (bitsOffset + imageSize > dib.Size() || fileSize > UINT32_MAX)
        return false;
    u8 fileHeader[kFileHeaderSize] = {'B', 'M'};
    PutLe32(fileHeader + 2, u32(fileSize));
    PutLe32(fileHeader + 10, u32(kFileHeaderSize + bitsOffset));
    return WriteDIBChunks(out, fileHeader, sizeof fileHeader)
        && WriteDIBChunks(out, dib.Data(), std::size_t(bitsOffset + imageSize));
}

bool SaveDIB(const std::string& path, const DibBlock& dib)
{
    return SaveImageFileBytes(path, [&](QIODevice& out) { return SaveDIB(out, dib); }) == SaveStatus::Saved;
}

void SetDIBPalette(DibBlock& dib, const CImagePalette* palette, int form)
{
    if (dib.IsNull())
        return;
    const BITMAPINFOHEADER& h = dib.Header();
    const int colors = std::min(DibNumColors(h), CImagePalette::kMaxEntries);
    if ((h.biCompression == BI_BITFIELDS && colors == 3) || colors == 0)
        return;
    if (form == DIB_PAL_COLORS) {
        u16 indexes[256];
        for (int i = 0; i < colors; ++i)
            indexes[i] = u16(i);
        std::memcpy(dib.ColorTable(), indexes, std::size_t(colors) * sizeof(u16));
        return;
    }
    RGBQUAD* table = dib.ColorTable();
    for (int i = 0; i < colors; ++i) {
        if (!palette) {
            table[i] = StandardColor(i);
        } else if (i < palette->GetEntryCount()) {
            const PALETTEENTRY& e = palette->Entries()[i];
            table[i] = {e.peBlue, e.peGreen, e.peRed, 0};
        } else {
            table[i] = {0, 0, 0, 0};
        }
    }
}

std::unique_ptr<CImagePalette> CreateDIBPalette(const DibBlock& dib, u8 flags)
{
    if (dib.IsNull())
        return nullptr;
    const int colors = std::min(DibNumColors(dib.Header()), CImagePalette::kMaxEntries);
    if (colors == 0)
        return nullptr;
    PALETTEENTRY entries[CImagePalette::kMaxEntries];
    const RGBQUAD* table = dib.ColorTable();
    for (int i = 0; i < colors; ++i)
        entries[i] = {table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue, flags};
    auto palette = std::make_unique<CImagePalette>();
    palette->Create({entries, std::size_t(colors)});
    return palette;
}
