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

u16 Le16(std::span<const u8> b, std::size_t at)
{
    return u16(b[at] | (b[at + 1] << 8));
}
u32 Le32(std::span<const u8> b, std::size_t at)
{
    return u32(b[at]) | (u32(b[at + 1]) << 8) | (u32(b[at + 2]) << 16) | (u32(b[at + 3]) << 24);
}

void PutLe32(u8* out, u32 v)
{
    for (int i = 0; i < 4; ++i)
        out[i] = u8(v >> (8 * i));
}

bool IsKnownHeaderSize(u32 size)
{
    // Info header, its two mask-extended forms, the OS/2 2.x header and the
    // version 4 and 5 headers: all begin with the 40-byte fields.
    switch (size) {
    case 40:
    case 52:
    case 56:
    case 64:
    case 108:
    case 124:
        return true;
    default:
        return false;
    }
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

DibBlock ReadDIB(std::span<const u8> file)
{
    std::size_t pos = 0;
    u64 bitsOffset = 0;
    if (file.size() >= kFileHeaderSize && file[0] == 'B' && file[1] == 'M') {
        bitsOffset = Le32(file, 10);
        pos = kFileHeaderSize;
    }
    if (file.size() - pos < 4)
        return {};
    const u32 headerSize = Le32(file, pos);
    if (file.size() - pos < headerSize)
        return {};

    i64 width = 0;
    i64 height = 0;
    int bpp = 0;
    u32 compression = BI_RGB;
    u32 colorsUsed = 0;
    i32 xPels = 0;
    i32 yPels = 0;
    std::size_t entrySize = 4;
    if (headerSize == 12) {
        // The OS/2 core header: 16-bit sizes and 3-byte colour entries.
        width = Le16(file, pos + 4);
        height = Le16(file, pos + 6);
        bpp = Le16(file, pos + 10);
        entrySize = 3;
    } else if (IsKnownHeaderSize(headerSize)) {
        width = i32(Le32(file, pos + 4));
        height = i32(Le32(file, pos + 8));
        bpp = Le16(file, pos + 14);
        compression = Le32(file, pos + 16);
        xPels = i32(Le32(file, pos + 24));
        yPels = i32(Le32(file, pos + 28));
        colorsUsed = Le32(file, pos + 32);
    } else {
        return {};
    }
    const bool topDown = height < 0;
    height = topDown ? -height : height;
    if ((bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24) || compression != BI_RGB || width <= 0 || height <= 0
        || u64(width) * u64(height) > kMaxImagePixels)
        return {};

    // A table may list more colours than the depth can address; only those
    // the pixels can reach are kept.
    const u64 fileColors = colorsUsed != 0 ? colorsUsed : (bpp <= 8 ? 1u << bpp : 0);
    if (bpp <= 8 && fileColors > 256)
        return {};
    const int colors = bpp <= 8 ? int(std::min<u64>(fileColors, 1u << bpp)) : 0;
    const u64 tablePos = pos + headerSize;
    if (tablePos + u64(colors) * entrySize > file.size())
        return {};
    if (bitsOffset == 0)
        bitsOffset = tablePos + fileColors * entrySize;
    const u64 rowBytes = DibRowBytes(bpp, width);
    const u64 imageSize = rowBytes * u64(height);
    if (bitsOffset > file.size() || file.size() - bitsOffset < imageSize)
        return {};

    DibBlock dib(kInfoHeaderSize + std::size_t(colors) * 4 + imageSize);
    if (dib.IsNull())
        return {};
    BITMAPINFOHEADER& h = dib.Header();
    h.biSize = kInfoHeaderSize;
    h.biWidth = i32(width);
    h.biHeight = i32(height);
    h.biPlanes = 1;
    h.biBitCount = u16(bpp);
    h.biCompression = BI_RGB;
    h.biSizeImage = u32(imageSize);
    h.biXPelsPerMeter = xPels;
    h.biYPelsPerMeter = yPels;
    h.biClrUsed = u32(colors);
    RGBQUAD* table = dib.ColorTable();
    for (int i = 0; i < colors; ++i) {
        const std::size_t at = tablePos + std::size_t(i) * entrySize;
        table[i] = {file[at], file[at + 1], file[at + 2], 0};
    }
    const u8* src = file.data() + bitsOffset;
    u8* bits = dib.Bits();
    if (topDown) {
        for (i64 y = 0; y < height; ++y)
            std::memcpy(bits + (height - 1 - y) * rowBytes, src + y * rowBytes, rowBytes);
    } else {
        std::memcpy(bits, src, imageSize);
    }
    return dib;
}

DibBlock ReadDIBFile(const std::string& path)
{
    QByteArray bytes;
    if (!ReadImageFileBytes(path, bytes))
        return {};
    return ReadDIB({reinterpret_cast<const u8*>(bytes.constData()), std::size_t(bytes.size())});
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
