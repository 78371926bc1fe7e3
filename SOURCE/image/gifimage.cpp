#include "image/gifimage.h"

#include "core/utilities.h"
#include "image/gifcodec.h"
#include "image/imagefileio.h"

#include <QIODevice>
#include <algorithm>
#include <cstring>
#include <memory>

namespace {

constexpr std::size_t kHeaderSize = 13;
constexpr std::size_t kDescriptorSize = 9;
constexpr int kMaxGifSide = 0xFFFF;
constexpr u8 kExtensionIntroducer = '!';
constexpr u8 kImageSeparator = ',';
constexpr u8 kTrailer = ';';
constexpr int kGraphicControlLabel = 0xF9;

// Decoded lines into the DIB, the top picture row being the last DIB row.
class GifRowStore {
public:
    GifRowStore(CImageImpl& image, bool interlaced)
        : m_image(image)
        , m_interlaced(interlaced)
    {
    }

    int PutRow(const u8* row, int length)
    {
        const int height = m_image.GetHeight();
        // Rows past the last row or the last interlace pass are dropped.
        if (m_row >= height)
            return -1;
        std::memcpy(
            m_image.RowBits(height - 1 - m_row), row, std::size_t(std::min(length, m_image.GetWidth())));
        if (!m_interlaced) {
            ++m_row;
            return 0;
        }
        // Passes start at rows 0, 4, 2, 1 with steps 8, 8, 4, 2; a pass
        // starting below the picture is skipped.
        static constexpr int kStart[] = {0, 4, 2, 1};
        static constexpr int kStep[] = {8, 8, 4, 2};
        m_row += kStep[m_pass];
        while (m_row >= height && m_pass < 3) {
            ++m_pass;
            m_row = kStart[m_pass];
        }
        return 0;
    }

private:
    CImageImpl& m_image;
    bool m_interlaced;
    int m_pass = 0;
    int m_row = 0;
};

bool ReadColorTable(GifInput& in, u8 packed, u8* table, int& count)
{
    count = 2 << (packed & 7);
    return in.Read(table, std::size_t(3 * count)) == std::size_t(3 * count);
}

// A graphic control block gives the transparent index of the next image.
bool ReadExtension(GifInput& in, int& transparent)
{
    const int label = in.ReadByte();
    if (label < 0)
        return false;
    if (label == kGraphicControlLabel) {
        const int size = in.ReadByte();
        u8 control[4];
        if (in.Read(control, sizeof control) != sizeof control || size != 4)
            return false;
        if (control[0] & 1)
            transparent = control[3];
    }
    return in.SkipSubBlocks();
}

void PutLe16(u8* out, int v)
{
    out[0] = u8(v);
    out[1] = u8(v >> 8);
}

}  // namespace

bool CGifImage::ReadBytes(std::span<const u8> data)
{
    Clear();
    GifInput in(data);
    u8 header[kHeaderSize];
    if (in.Read(header, kHeaderSize) != kHeaderSize || std::memcmp(header, "GIF8", 4) != 0)
        return false;
    u8 globalTable[3 * 256];
    int globalCount = 0;
    if ((header[10] & 0x80) && !ReadColorTable(in, header[10], globalTable, globalCount))
        return true;

    auto decoder = std::make_unique<GifDecoder>();
    int transparent = -1;
    for (;;) {
        const int block = in.ReadByte();
        if (block == kExtensionIntroducer) {
            if (!ReadExtension(in, transparent))
                break;
        } else if (block == kImageSeparator) {
            const BlockResult result = ReadImage(in, *decoder, globalTable, globalCount, transparent);
            if (result == BlockResult::Fail) {
                Clear();
                return false;
            }
            if (result == BlockResult::Stop)
                break;
            transparent = -1;
        } else {
            break;
        }
    }
    return true;
}

CGifImage::BlockResult CGifImage::ReadImage(
    GifInput& in, GifDecoder& decoder, const u8* globalTable, int globalCount, int transparent)
{
    u8 descriptor[kDescriptorSize];
    if (in.Read(descriptor, kDescriptorSize) != kDescriptorSize)
        return BlockResult::Stop;
    const int width = descriptor[4] | (descriptor[5] << 8);
    const int height = descriptor[6] | (descriptor[7] << 8);
    const u8 packed = descriptor[8];
    // A local table belongs to its own image only.
    u8 localTable[3 * 256];
    const u8* table = globalCount ? globalTable : nullptr;
    int count = globalCount;
    if (packed & 0x80) {
        if (!ReadColorTable(in, packed, localTable, count))
            return BlockResult::Stop;
        table = localTable;
    }
    if (width == 0 || height == 0)
        return in.ReadByte() >= 0 && in.SkipSubBlocks() ? BlockResult::Next : BlockResult::Stop;

    if (!Create(width, height, 8, -1))
        return BlockResult::Fail;
    if (table)
        MakePalette(table, count, transparent);
    SetTransparentIndex(transparent);
    GifRowStore store(*this, (packed & 0x40) != 0);
    decoder.Decode(in, width, [&store](const u8* row, int length) { return store.PutRow(row, length); });
    return BlockResult::Next;
}

void CGifImage::MakePalette(const u8* table, int count, int transparent)
{
    u8 red[256];
    u8 green[256];
    u8 blue[256];
    for (int i = 0; i < count; ++i) {
        red[i] = table[3 * i];
        green[i] = table[3 * i + 1];
        blue[i] = table[3 * i + 2];
    }
    if (transparent >= 0) {
        // Masks are drawn with black and white: the transparent entry becomes
        // black and the entries past the table white. A full table has no
        // entry to spare, and none of its colours is given up for white.
        std::fill(red + count, red + 256, 0xFF);
        std::fill(green + count, green + 256, 0xFF);
        std::fill(blue + count, blue + 256, 0xFF);
        red[transparent] = green[transparent] = blue[transparent] = 0;
        count = 256;
    }
    SetPaletteRGB(count, red, green, blue);
}

bool CGifImage::Write(const std::string& name)
{
    RememberName(name);
    if (!IsValid())
        return false;
    if (m_bpp > 8) {
        MsgWarningText("GIF Images must be 8 bit or less");
        return false;
    }
    if (m_width > kMaxGifSide || m_height > kMaxGifSide)
        return false;
    switch (SaveImageFileBytes(name, [this](QIODevice& out) { return WriteTo(out); })) {
    case SaveStatus::Saved:
        return true;
    case SaveStatus::CannotOpen:
        MsgWarningText("Can't open GIF for writing");
        return false;
    case SaveStatus::WriteFailed:
        break;
    }
    MsgWarningText("Write Error in GIF file");
    return false;
}

bool CGifImage::WriteTo(QIODevice& out)
{
    if (!IsValid() || m_bpp > 8 || m_width > kMaxGifSide || m_height > kMaxGifSide)
        return false;
    // Header, logical screen with a global table of 256 entries and 8-bit
    // colour resolution, the table, one image descriptor, code size 8.
    u8 head[kHeaderSize + 3 * 256 + 1 + kDescriptorSize + 1] = {'G', 'I', 'F', '8', '7', 'a'};
    PutLe16(head + 6, m_width);
    PutLe16(head + 8, m_height);
    head[10] = 0xF7;
    const ImageColors colors = GetColors();
    u8* p = head + kHeaderSize;
    for (const PALETTEENTRY& c : colors) {
        *p++ = c.peRed;
        *p++ = c.peGreen;
        *p++ = c.peBlue;
    }
    *p++ = kImageSeparator;
    PutLe16(p + 4, m_width);
    PutLe16(p + 6, m_height);
    p += kDescriptorSize;
    *p = 8;
    if (out.write(reinterpret_cast<const char*>(head), sizeof head) != qint64(sizeof head))
        return false;
    const auto pixels = [this](int row, u8* indexes) {
        DibExpandRow(RowBits(m_height - 1 - row), m_bpp, m_width, indexes);
    };
    if (!std::make_unique<GifEncoder>()->Compress(pixels, m_width, m_height, out))
        return false;
    const char tail[] = {0, char(kTrailer)};
    return out.write(tail, sizeof tail) == qint64(sizeof tail);
}
