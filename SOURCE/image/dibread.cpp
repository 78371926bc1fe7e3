// Reading BMP files: every depth and compression files commonly hold is
// turned into a DIB of a depth the program keeps (palette images for 8 bits
// or fewer, 24-bit true colour above), bottom-up, uncompressed.

#include "image/dib.h"
#include "image/imagefileio.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

constexpr u32 BI_RLE8 = 1;
constexpr u32 BI_RLE4 = 2;
constexpr std::size_t kMaskBytes = 12;
constexpr std::size_t kCoreHeaderSize = 12;
constexpr std::size_t kOs2HeaderSize = 64;

u16 Le16(std::span<const u8> b, std::size_t at)
{
    return u16(b[at] | (b[at + 1] << 8));
}
u32 Le32(std::span<const u8> b, std::size_t at)
{
    return u32(b[at]) | (u32(b[at + 1]) << 8) | (u32(b[at + 2]) << 16) | (u32(b[at + 3]) << 24);
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

// One colour of a bit-field pixel, scaled to 8 bits.
class MaskChannel {
public:
    // False for a mask whose bits are not one run or do not fit the depth.
    bool Set(u32 mask, int bpp)
    {
        if (bpp == 16 && mask > 0xFFFF)
            return false;
        m_mask = mask;
        m_shift = mask ? std::countr_zero(mask) : 0;
        const u32 bits = mask >> m_shift;
        m_bits = std::popcount(bits);
        return (bits & (bits + 1)) == 0;
    }

    u8 Extract(u32 pixel) const
    {
        const u32 v = (pixel & m_mask) >> m_shift;
        if (m_bits >= 8)
            return u8(v >> (m_bits - 8));
        return m_bits == 0 ? 0 : u8(v * 255 / ((1u << m_bits) - 1));
    }

private:
    u32 m_mask = 0;
    int m_shift = 0;
    int m_bits = 0;
};

// What the headers say about the picture and where its parts lie.
struct BmpLayout {
    i64 width = 0;
    i64 height = 0;
    bool topDown = false;
    int bpp = 0;
    u32 compression = BI_RGB;
    i32 xPels = 0;
    i32 yPels = 0;
    std::size_t entrySize = 4;
    u64 tablePos = 0;
    u64 fileColors = 0;
    u64 bitsOffset = 0;
    u32 masks[3] = {};
    // A readable header that asks for more pixels than are held.
    bool tooLarge = false;
};

bool IsReadableForm(const BmpLayout& l, u32 headerSize)
{
    // The OS/2 header numbers other compressions (Huffman, 24-bit runs) 3 and 4.
    if (headerSize == kOs2HeaderSize && l.compression > BI_RLE4)
        return false;
    switch (l.compression) {
    case BI_RGB:
        return l.bpp == 1 || l.bpp == 4 || l.bpp == 8 || l.bpp == 16 || l.bpp == 24 || l.bpp == 32;
    case BI_RLE8:
        return l.bpp == 8;
    case BI_RLE4:
        return l.bpp == 4;
    case BI_BITFIELDS:
        return l.bpp == 16 || l.bpp == 32;
    default:
        return false;
    }
}

bool ReadLayout(std::span<const u8> file, BmpLayout& l)
{
    std::size_t pos = 0;
    if (file.size() >= kFileHeaderSize && file[0] == 'B' && file[1] == 'M') {
        l.bitsOffset = Le32(file, 10);
        pos = kFileHeaderSize;
    }
    if (file.size() - pos < 4)
        return false;
    const u32 headerSize = Le32(file, pos);
    if (file.size() - pos < headerSize)
        return false;
    u32 colorsUsed = 0;
    if (headerSize == kCoreHeaderSize) {
        // The OS/2 core header: 16-bit sizes and 3-byte colour entries.
        l.width = Le16(file, pos + 4);
        l.height = Le16(file, pos + 6);
        l.bpp = Le16(file, pos + 10);
        l.entrySize = 3;
    } else if (IsKnownHeaderSize(headerSize)) {
        l.width = i32(Le32(file, pos + 4));
        l.height = i32(Le32(file, pos + 8));
        l.bpp = Le16(file, pos + 14);
        l.compression = Le32(file, pos + 16);
        l.xPels = i32(Le32(file, pos + 24));
        l.yPels = i32(Le32(file, pos + 28));
        colorsUsed = Le32(file, pos + 32);
    } else {
        return false;
    }
    l.topDown = l.height < 0;
    l.height = l.topDown ? -l.height : l.height;
    if (!IsReadableForm(l, headerSize) || l.width <= 0 || l.height <= 0)
        return false;
    if (u64(l.width) * u64(l.height) > kMaxImagePixels) {
        l.tooLarge = true;
        return false;
    }

    l.tablePos = pos + headerSize;
    if (l.compression == BI_BITFIELDS) {
        // The masks follow a 40-byte header and are part of the longer ones.
        const u64 at = headerSize == kInfoHeaderSize ? l.tablePos : pos + kInfoHeaderSize;
        if (at + kMaskBytes > file.size())
            return false;
        for (int i = 0; i < 3; ++i)
            l.masks[i] = Le32(file, std::size_t(at) + 4 * std::size_t(i));
        if (headerSize == kInfoHeaderSize)
            l.tablePos += kMaskBytes;
    } else if (l.bpp == 16) {
        l.masks[0] = 0x7C00, l.masks[1] = 0x03E0, l.masks[2] = 0x001F;
    } else if (l.bpp == 32) {
        l.masks[0] = 0xFF0000, l.masks[1] = 0xFF00, l.masks[2] = 0xFF;
    }
    // A table may list more colours than the depth can address; only those
    // the pixels can reach are kept. True-colour files may carry one too.
    l.fileColors = colorsUsed != 0 ? colorsUsed : (l.bpp <= 8 ? 1u << l.bpp : 0);
    if (l.bpp <= 8 && l.fileColors > 256)
        return false;
    if (l.bitsOffset == 0)
        l.bitsOffset = l.tablePos + l.fileColors * l.entrySize;
    return l.bitsOffset <= file.size();
}

// A DIB for the picture: 40-byte header, the colour table for 8 bits or
// fewer, zeroed bits at the depth the program keeps.
DibBlock NewDib(std::span<const u8> file, const BmpLayout& l)
{
    const int bpp = l.bpp <= 8 ? l.bpp : 24;
    const int colors = bpp <= 8 ? int(std::min<u64>(l.fileColors, 1u << bpp)) : 0;
    if (l.tablePos + u64(colors) * l.entrySize > file.size())
        return {};
    const u64 imageSize = DibRowBytes(bpp, l.width) * u64(l.height);
    DibBlock dib(kInfoHeaderSize + std::size_t(colors) * 4 + imageSize);
    if (dib.IsNull())
        return {};
    BITMAPINFOHEADER& h = dib.Header();
    h.biSize = kInfoHeaderSize;
    h.biWidth = i32(l.width);
    h.biHeight = i32(l.height);
    h.biPlanes = 1;
    h.biBitCount = u16(bpp);
    h.biCompression = BI_RGB;
    h.biSizeImage = u32(imageSize);
    h.biXPelsPerMeter = l.xPels;
    h.biYPelsPerMeter = l.yPels;
    h.biClrUsed = u32(colors);
    RGBQUAD* table = dib.ColorTable();
    for (int i = 0; i < colors; ++i) {
        const std::size_t at = std::size_t(l.tablePos) + std::size_t(i) * l.entrySize;
        table[i] = {file[at], file[at + 1], file[at + 2], 0};
    }
    return dib;
}

// The DIB row (counted from the bottom) of the file's row r.
i64 DibRow(const BmpLayout& l, i64 r)
{
    return l.topDown ? l.height - 1 - r : r;
}

// Uncompressed rows; 16- and 32-bit pixels become blue, green, red.
bool CopyRows(std::span<const u8> file, const BmpLayout& l, DibBlock& dib)
{
    const u64 srcRowBytes = DibRowBytes(l.bpp, l.width);
    if (file.size() - l.bitsOffset < srcRowBytes * u64(l.height))
        return false;
    MaskChannel channels[3];
    for (int i = 0; i < 3; ++i)
        if (!channels[i].Set(l.masks[i], l.bpp))
            return false;
    const u64 dstRowBytes = DibRowBytes(dib.Header().biBitCount, l.width);
    const int bytesPerPixel = l.bpp / 8;
    for (i64 r = 0; r < l.height; ++r) {
        const u8* src = file.data() + l.bitsOffset + u64(r) * srcRowBytes;
        u8* dst = dib.Bits() + u64(DibRow(l, r)) * dstRowBytes;
        if (l.bpp != 16 && l.bpp != 32) {
            std::memcpy(dst, src, srcRowBytes);
            continue;
        }
        for (i64 x = 0; x < l.width; ++x, src += bytesPerPixel, dst += 3) {
            u32 pixel = src[0] | (u32(src[1]) << 8);
            if (bytesPerPixel == 4)
                pixel |= (u32(src[2]) << 16) | (u32(src[3]) << 24);
            dst[0] = channels[2].Extract(pixel);
            dst[1] = channels[1].Extract(pixel);
            dst[2] = channels[0].Extract(pixel);
        }
    }
    return true;
}

// Run-length rows into the palette image. Runs and copies are clipped to
// the picture. Pixels that deltas and line ends skip keep index 0, as does
// the rest of a picture whose data ends before its end code.
void ExpandRuns(std::span<const u8> file, const BmpLayout& l, DibBlock& dib)
{
    const u64 rowBytes = DibRowBytes(l.bpp, l.width);
    const bool four = l.bpp == 4;
    i64 x = 0;
    i64 r = 0;
    const auto put = [&](int index) {
        if (x < l.width && r < l.height)
            DibWriteIndex(dib.Bits() + u64(DibRow(l, r)) * rowBytes, l.bpp, int(x), index);
        ++x;
    };
    std::size_t p = std::size_t(l.bitsOffset);
    const std::size_t end = file.size();
    while (r < l.height && end - p >= 2) {
        const int count = file[p];
        const int value = file[p + 1];
        p += 2;
        if (count > 0) {
            // Only the pixels inside the row are drawn, so long runs cost nothing.
            const int shown = int(std::clamp<i64>(l.width - x, 0, count));
            for (int i = 0; i < shown; ++i)
                put(four ? (i & 1 ? value & 0xF : value >> 4) : value);
            x += count - shown;
        } else if (value == 0) {
            x = 0;
            ++r;
        } else if (value == 1) {
            break;
        } else if (value == 2) {
            if (end - p < 2)
                break;
            x += file[p];
            r += file[p + 1];
            p += 2;
        } else {
            // A copy of value pixels, its bytes padded to a whole word.
            const std::size_t bytes = four ? std::size_t(value + 1) / 2 : std::size_t(value);
            if (end - p < bytes)
                break;
            for (int i = 0; i < value; ++i)
                put(four ? (i & 1 ? file[p + i / 2] & 0xF : file[p + i / 2] >> 4) : file[p + i]);
            p += std::min(end - p, (bytes + 1) & ~std::size_t(1));
        }
    }
}

}  // namespace

DibBlock ReadDIB(std::span<const u8> file, DibSize* tooLarge)
{
    BmpLayout layout;
    if (!ReadLayout(file, layout)) {
        if (layout.tooLarge && tooLarge)
            *tooLarge = {u64(layout.width), u64(layout.height)};
        return {};
    }
    DibBlock dib = NewDib(file, layout);
    if (dib.IsNull())
        return {};
    if (layout.compression == BI_RLE8 || layout.compression == BI_RLE4)
        ExpandRuns(file, layout, dib);
    else if (!CopyRows(file, layout, dib))
        return {};
    return dib;
}

DibBlock ReadDIBFile(const std::string& path)
{
    QByteArray bytes;
    if (!ReadImageFileBytes(path, bytes))
        return {};
    return ReadDIB({reinterpret_cast<const u8*>(bytes.constData()), std::size_t(bytes.size())});
}
