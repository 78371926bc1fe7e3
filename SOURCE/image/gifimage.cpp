#include "image/gifimage.h"

#include "core/utilities.h"
#include "image/colorreduce.h"
#include "image/gifcodec.h"
#include "image/imagefileio.h"

#include <QIODevice>
#include <algorithm>
#include <cstring>
#include <memory>
#include <unordered_map>
#include <vector>

namespace {

constexpr std::size_t kHeaderSize = 13;
constexpr std::size_t kDescriptorSize = 9;
constexpr int kMaxGifSide = 0xFFFF;
constexpr u8 kExtensionIntroducer = '!';
constexpr u8 kImageSeparator = ',';
constexpr u8 kTrailer = ';';
constexpr int kGraphicControlLabel = 0xF9;

// Every image of a file is drawn where it belongs on the logical screen,
// over what the images before it left, so the picture is the one a viewer
// shows after the last image. A cell of the screen names the colour table
// and index of its pixel, or is empty where no image drew.
constexpr u32 kEmptyCell = 0xFFFFFFFF;
// Clearing, saving and drawing cells of all images together stops here:
// many images of a few bytes each could otherwise keep it busy for hours.
constexpr u64 kMaxScreenWork = 4 * kMaxImagePixels;

// A palette being built.
struct GifColours {
    u8 rgb[3 * 256];
    int count = 0;
};

// Every colour table of a file as read, table 0 the global one (without
// colours when the file has none), then the local ones in file order.
class GifTables {
public:
    // A cell keeps the table number in 24 bits.
    static constexpr std::size_t kMaxTables = (1u << 24) - 1;

    // Reads a table of the size the packed byte gives; false when the file
    // ends first.
    bool Read(GifInput& in, u8 packed)
    {
        const std::size_t bytes = std::size_t(3) * std::size_t(2 << (packed & 7));
        const std::size_t at = m_colours.size();
        m_colours.resize(at + bytes);
        if (in.Read(m_colours.data() + at, bytes) != bytes) {
            m_colours.resize(at);
            return false;
        }
        m_tables.push_back({at, int(bytes / 3)});
        return true;
    }
    void AddEmpty() { m_tables.push_back({m_colours.size(), 0}); }

    std::size_t Count() const { return m_tables.size(); }
    int Size(u32 table) const { return m_tables[table].count; }
    const u8* Colours(u32 table) const { return m_colours.data() + m_tables[table].offset; }

private:
    struct Table {
        std::size_t offset;
        int count;
    };
    std::vector<u8> m_colours;
    std::vector<Table> m_tables;
};

// What a graphic control block says about the next image.
struct GifControl {
    int transparent = -1;
    int disposal = 0;
};

// How an image leaves the screen for the next one.
constexpr int kDisposeToBackground = 2;
constexpr int kDisposeToPrevious = 3;

struct CellRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

class GifScreen {
public:
    GifScreen(int width, int height)
        : m_width(width)
        , m_height(height)
        , m_cells(std::size_t(width) * std::size_t(height), kEmptyCell)
    {
    }

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    u32 Cell(int x, int y) const { return m_cells[std::size_t(y) * std::size_t(m_width) + std::size_t(x)]; }
    bool OverBudget() const { return m_work > kMaxScreenWork; }

    // The part of an image's rectangle on the screen.
    CellRect Clip(int left, int top, int width, int height) const
    {
        CellRect r;
        r.left = std::min(left, m_width);
        r.top = std::min(top, m_height);
        r.right = std::min(left + width, m_width);
        r.bottom = std::min(top + height, m_height);
        return r;
    }

    // Before an image that is to be undone: keeps what lies under it.
    void Save(const CellRect& r)
    {
        m_saved.clear();
        for (int y = r.top; y < r.bottom; ++y)
            m_saved.insert(m_saved.end(), Row(y) + r.left, Row(y) + r.right);
        m_work += m_saved.size();
    }

    // After an image: what it leaves for the next one.
    void Dispose(int disposal, const CellRect& r)
    {
        if (disposal != kDisposeToBackground && disposal != kDisposeToPrevious)
            return;
        const std::size_t width = std::size_t(std::max(0, r.right - r.left));
        std::size_t at = 0;
        for (int y = r.top; y < r.bottom; ++y, at += width) {
            if (disposal == kDisposeToBackground)
                std::fill(Row(y) + r.left, Row(y) + r.right, kEmptyCell);
            else if (at + width <= m_saved.size())
                std::copy_n(m_saved.begin() + std::ptrdiff_t(at), width, Row(y) + r.left);
        }
        m_work += width * std::size_t(std::max(0, r.bottom - r.top));
    }

    // One decoded row of an image at row y of the screen; its transparent
    // pixels leave the cells as they were.
    void DrawRow(int left, int y, const u8* row, int length, u32 table, int transparent)
    {
        if (y < 0 || y >= m_height || left >= m_width)
            return;
        const int count = std::min(length, m_width - left);
        u32* cells = Row(y) + left;
        for (int x = 0; x < count; ++x)
            if (row[x] != transparent)
                cells[x] = table << 8 | row[x];
        m_work += u64(std::max(count, 0));
    }

private:
    u32* Row(int y) { return m_cells.data() + std::size_t(y) * std::size_t(m_width); }

    int m_width;
    int m_height;
    std::vector<u32> m_cells;
    std::vector<u32> m_saved;
    u64 m_work = 0;
};

// Decoded lines of one image to their screen rows: in order, or in the four
// interlace passes.
class GifRowStore {
public:
    GifRowStore(GifScreen& screen, int left, int top, int height, bool interlaced, u32 table, int transparent)
        : m_screen(screen)
        , m_left(left)
        , m_top(top)
        , m_height(height)
        , m_interlaced(interlaced)
        , m_table(table)
        , m_transparent(transparent)
    {
    }

    int PutRow(const u8* row, int length)
    {
        // Rows past the last row or the last interlace pass are dropped.
        if (m_row >= m_height)
            return -1;
        m_screen.DrawRow(m_left, m_top + m_row, row, length, m_table, m_transparent);
        if (!m_interlaced) {
            ++m_row;
            return 0;
        }
        // Passes start at rows 0, 4, 2, 1 with steps 8, 8, 4, 2; a pass
        // starting below the picture is skipped.
        static constexpr int kStart[] = {0, 4, 2, 1};
        static constexpr int kStep[] = {8, 8, 4, 2};
        m_row += kStep[m_pass];
        while (m_row >= m_height && m_pass < 3) {
            ++m_pass;
            m_row = kStart[m_pass];
        }
        return 0;
    }

private:
    GifScreen& m_screen;
    int m_left;
    int m_top;
    int m_height;
    bool m_interlaced;
    u32 m_table;
    int m_transparent;
    int m_pass = 0;
    int m_row = 0;
};

// A graphic control block gives the transparent index and the disposal of
// the next image.
bool ReadExtension(GifInput& in, GifControl& control)
{
    const int label = in.ReadByte();
    if (label < 0)
        return false;
    if (label == kGraphicControlLabel) {
        const int size = in.ReadByte();
        u8 block[4];
        if (in.Read(block, sizeof block) != sizeof block || size != 4)
            return false;
        if (block[0] & 1)
            control.transparent = block[3];
        control.disposal = (block[0] >> 2) & 7;
    }
    return in.SkipSubBlocks();
}

void PutLe16(u8* out, int v)
{
    out[0] = u8(v);
    out[1] = u8(v >> 8);
}

}  // namespace

struct CGifImage::ReadState {
    GifDecoder decoder;
    // Entry 0 is the global table (no colours when the file has none),
    // then every local table in file order.
    GifTables tables;
    GifControl control;
    int screenWidth = 0;
    int screenHeight = 0;
    int background = 0;
    std::unique_ptr<GifScreen> screen;
    // The last transparent index an image gave, and the last image's own.
    int transparent = -1;
    int lastTransparent = -1;
    // How the image before the next one leaves the screen.
    int disposal = 0;
    CellRect disposed;
    // Whether an image was decoded, for an image that cannot be.
    bool decodedAny = false;
};

bool CGifImage::ReadBytes(std::span<const u8> data)
{
    BeginRead();
    GifInput in(data);
    u8 header[kHeaderSize];
    if (in.Read(header, kHeaderSize) != kHeaderSize || std::memcmp(header, "GIF8", 4) != 0)
        return FailRead(ImageReadFault::Damaged);
    auto state = std::make_unique<ReadState>();
    state->screenWidth = header[6] | (header[7] << 8);
    state->screenHeight = header[8] | (header[9] << 8);
    state->background = header[11];
    if (!(header[10] & 0x80))
        state->tables.AddEmpty();
    else if (!state->tables.Read(in, header[10]))
        return true;

    for (;;) {
        const int block = in.ReadByte();
        if (block == kExtensionIntroducer) {
            if (!ReadExtension(in, state->control))
                break;
        } else if (block == kImageSeparator) {
            const BlockResult result = ReadImage(in, *state);
            if (result == BlockResult::Fail)
                return false;
            if (result == BlockResult::Stop)
                break;
            state->control = {};
        } else {
            break;
        }
    }
    return MakePicture(*state);
}

CGifImage::BlockResult CGifImage::ReadImage(GifInput& in, ReadState& state)
{
    u8 descriptor[kDescriptorSize];
    if (in.Read(descriptor, kDescriptorSize) != kDescriptorSize)
        return BlockResult::Stop;
    int left = descriptor[0] | (descriptor[1] << 8);
    int top = descriptor[2] | (descriptor[3] << 8);
    const int width = descriptor[4] | (descriptor[5] << 8);
    const int height = descriptor[6] | (descriptor[7] << 8);
    const u8 packed = descriptor[8];
    // A local table belongs to its own image only.
    u32 table = 0;
    if (packed & 0x80) {
        table = u32(state.tables.Count());
        if (table >= GifTables::kMaxTables || !state.tables.Read(in, packed))
            return BlockResult::Stop;
    }
    if (width == 0 || height == 0)
        return in.ReadByte() >= 0 && in.SkipSubBlocks() ? BlockResult::Next : BlockResult::Stop;

    if (!state.screen) {
        // The screen the file gives is the picture; an image reaching past
        // it is drawn at its place and clipped. Only a side some writers
        // leave 0 takes the first image's size, and the image then starts
        // at that side's edge: a position on a screen of nothing means nothing.
        if (state.screenWidth == 0)
            left = 0;
        if (state.screenHeight == 0)
            top = 0;
        const int screenWidth = state.screenWidth ? state.screenWidth : width;
        const int screenHeight = state.screenHeight ? state.screenHeight : height;
        if (!CheckPictureSize(u64(screenWidth), u64(screenHeight)))
            return BlockResult::Fail;
        state.screen = std::make_unique<GifScreen>(screenWidth, screenHeight);
    }
    GifScreen& screen = *state.screen;
    if (screen.OverBudget())
        return BlockResult::Stop;
    screen.Dispose(state.disposal, state.disposed);
    const CellRect rect = screen.Clip(left, top, width, height);
    if (state.control.disposal == kDisposeToPrevious)
        screen.Save(rect);
    state.disposal = state.control.disposal;
    state.disposed = rect;
    const int transparent = state.control.transparent;
    if (transparent >= 0)
        state.transparent = transparent;
    state.lastTransparent = transparent;

    GifRowStore store(screen, left, top, height, (packed & 0x40) != 0, table, transparent);
    // Damaged data ends an image's decoding with the rows decoded so far,
    // and the images after it are read.
    const int result = state.decoder.Decode(
        in, width, [&store](const u8* row, int length) { return store.PutRow(row, length); });
    if (result == kGifBadCodeSize) {
        // An image of a code size no reader decodes cannot be shown, nor
        // what would come after it: the picture is what the images before
        // it left, and without them there is none.
        if (state.decodedAny)
            return BlockResult::Stop;
        FailRead(ImageReadFault::Damaged,
            "its image data cannot be decoded: the LZW code size lies outside 1 to 11 bits");
        return BlockResult::Fail;
    }
    state.decodedAny = true;
    return BlockResult::Next;
}

bool CGifImage::MakePicture(const ReadState& state)
{
    if (!state.screen)
        return true;
    const GifScreen& screen = *state.screen;
    const int width = screen.Width();
    const int height = screen.Height();
    // Which tables and indexes the pixels use, and whether a cell was left
    // empty.
    std::vector<bool> tableUsed(state.tables.Count(), false);
    bool indexUsed[256] = {};
    bool empty = false;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const u32 cell = screen.Cell(x, y);
            if (cell == kEmptyCell) {
                empty = true;
                continue;
            }
            tableUsed[cell >> 8] = true;
            indexUsed[cell & 0xFF] = true;
        }
    // The picture is transparent where no image drew, and, like a file of
    // one image, wherever the last image had a transparent colour.
    const bool transparency = state.transparent >= 0 && (empty || state.lastTransparent >= 0);
    const auto used = std::count(tableUsed.begin(), tableUsed.end(), true);
    if (used > 1)
        return MakePictureOfColours(state, transparency);

    if (!Create(width, height, 8, -1))
        return FailRead(ImageReadFault::TooLarge);
    const auto it = std::find(tableUsed.begin(), tableUsed.end(), true);
    const u32 table = it == tableUsed.end() ? 0 : u32(it - tableUsed.begin());
    const int tableSize = state.tables.Size(table);
    // The transparent index is one no pixel uses; without transparency
    // empty cells show the background colour.
    int transparent = -1;
    if (transparency) {
        transparent = state.transparent;
        for (int i = tableSize; indexUsed[transparent] && i < 256 + tableSize; ++i)
            transparent = i % 256;
        if (indexUsed[transparent])
            transparent = -1;
    }
    const u8 fill = u8(transparent >= 0 ? transparent : state.background);
    for (int y = 0; y < height; ++y) {
        u8* row = RowBits(height - 1 - y);
        for (int x = 0; x < width; ++x) {
            const u32 cell = screen.Cell(x, y);
            row[x] = cell == kEmptyCell ? fill : u8(cell);
        }
    }
    if (tableSize)
        MakePalette(state.tables.Colours(table), tableSize, transparent);
    SetTransparentIndex(transparent);
    return true;
}

bool CGifImage::MakePictureOfColours(const ReadState& state, bool transparency)
{
    // Images with tables of their own: the colours themselves, reduced when
    // there are more than a palette holds, one entry kept for transparency.
    // Each table and index in use is looked up once, not each pixel.
    const GifScreen& screen = *state.screen;
    const int width = screen.Width();
    const int height = screen.Height();
    const int limit = transparency ? 255 : 256;
    const auto colourOf = [&state](u32 cell) {
        const u32 table = cell >> 8;
        const int index = int(cell & 0xFF);
        if (index >= state.tables.Size(table))
            return u32(0);
        const u8* c = state.tables.Colours(table) + 3 * index;
        return u32(c[0]) << 16 | u32(c[1]) << 8 | c[2];
    };
    // The cell that empty cells show: transparent, or the background colour.
    const u32 background = u32(state.background);
    std::unordered_map<u32, int> paletteOfCell;
    std::unordered_map<u32, int> paletteOfColour;
    GifColours colours;
    bool fits = true;
    u32 lastSeen = kEmptyCell;
    for (int y = 0; y < height && fits; ++y)
        for (int x = 0; x < width && fits; ++x) {
            u32 cell = screen.Cell(x, y);
            if (cell == kEmptyCell) {
                if (transparency)
                    continue;
                cell = background;
            }
            if (cell == lastSeen || paletteOfCell.count(cell))
                continue;
            lastSeen = cell;
            const u32 colour = colourOf(cell);
            const auto [at, added] = paletteOfColour.emplace(colour, colours.count);
            if (added) {
                fits = colours.count < limit;
                if (!fits)
                    break;
                colours.rgb[3 * colours.count] = u8(colour >> 16);
                colours.rgb[3 * colours.count + 1] = u8(colour >> 8);
                colours.rgb[3 * colours.count + 2] = u8(colour);
                ++colours.count;
            }
            paletteOfCell.emplace(cell, at->second);
        }
    if (!Create(width, height, 8, -1))
        return FailRead(ImageReadFault::TooLarge);
    const int transparent = transparency ? (fits ? colours.count : limit) : -1;
    if (fits) {
        u32 lastCell = kEmptyCell;
        u8 lastIndex = u8(std::max(transparent, 0));
        for (int y = 0; y < height; ++y) {
            u8* row = RowBits(height - 1 - y);
            for (int x = 0; x < width; ++x) {
                u32 cell = screen.Cell(x, y);
                if (cell == kEmptyCell && !transparency)
                    cell = background;
                if (cell != lastCell) {
                    lastCell = cell;
                    lastIndex = u8(cell == kEmptyCell ? transparent : paletteOfCell[cell]);
                }
                row[x] = lastIndex;
            }
        }
    } else {
        std::vector<u8> rgb(3 * std::size_t(width) * std::size_t(height));
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const u32 cell = screen.Cell(x, y);
                const u32 colour = colourOf(cell == kEmptyCell ? background : cell);
                u8* p = rgb.data() + 3 * (std::size_t(y) * std::size_t(width) + std::size_t(x));
                p[0] = u8(colour >> 16);
                p[1] = u8(colour >> 8);
                p[2] = u8(colour);
            }
        const ReducedPalette reduced = ReduceColors(
            rgb.data(), width, height, limit, [this, height](int y) { return RowBits(height - 1 - y); });
        colours.count = reduced.count;
        for (int i = 0; i < reduced.count; ++i) {
            colours.rgb[3 * i] = reduced.red[i];
            colours.rgb[3 * i + 1] = reduced.green[i];
            colours.rgb[3 * i + 2] = reduced.blue[i];
        }
        if (transparency)
            for (int y = 0; y < height; ++y) {
                u8* row = RowBits(height - 1 - y);
                for (int x = 0; x < width; ++x)
                    if (screen.Cell(x, y) == kEmptyCell)
                        row[x] = u8(transparent);
            }
    }
    MakePalette(colours.rgb, colours.count, transparent);
    SetTransparentIndex(transparent);
    return true;
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
