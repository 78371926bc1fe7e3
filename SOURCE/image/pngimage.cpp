#include "image/pngimage.h"

#include <QIODevice>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <png.h>
#include <vector>

// Every library call that can fail jumps back to the point set before it;
// the functions holding that point keep no objects that need destroying.

namespace {

struct PngSource {
    const u8* data;
    std::size_t size;
    std::size_t pos;
};

[[noreturn]] void PngError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}
void PngWarning(png_structp, png_const_charp)
{
}

void PngReadData(png_structp png, png_bytep out, std::size_t count)
{
    auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
    if (source->size - source->pos < count)
        png_error(png, "file ends early");
    std::memcpy(out, source->data + source->pos, count);
    source->pos += count;
}

void PngWriteData(png_structp png, png_bytep data, std::size_t count)
{
    auto* device = static_cast<QIODevice*>(png_get_io_ptr(png));
    if (device->write(reinterpret_cast<const char*>(data), qint64(count)) != qint64(count))
        png_error(png, "write failed");
}

void PngFlush(png_structp)
{
}

// The level of grey index i of a grey picture with bpp bits per pixel.
u8 GreyLevel(int i, int bpp)
{
    return u8(i * 255 / ((1 << bpp) - 1));
}

u8 Blend(u8 value, u8 alpha, u8 background)
{
    return u8((value * alpha + background * (255 - alpha) + 127) / 255);
}

// Blue, green, red, alpha onto the background as blue, green, red.
void FlattenRow(const u8* bgra, u8* bgr, int width)
{
    const u8* bg = CPngImage::kBackground;
    for (int x = 0; x < width; ++x, bgra += 4, bgr += 3) {
        bgr[0] = Blend(bgra[0], bgra[3], bg[2]);
        bgr[1] = Blend(bgra[1], bgra[3], bg[1]);
        bgr[2] = Blend(bgra[2], bgra[3], bg[0]);
    }
}

// How the library's rows reach the DIB.
enum class PngRows { Indexed, Grey, Bgr, Bgra };

// Chunks are read into memory whole: none may claim more than the file
// holds, or unpack to more than that, beyond this floor.
constexpr std::size_t kMinChunkLimit = 64 * 1024;
// Wider or taller pictures than libpng's usual limits are refused before
// any row buffer is made.
constexpr png_uint_32 kMaxPngSide = 1000000;
// Text and other ancillary chunks kept in the info structure.
constexpr png_uint_32 kMaxCachedChunks = 100;

struct PngReadJob {
    PngSource source{};
    // The largest single allocation the library may make: the file's size
    // until the header is known, then also one row of the widest pixels.
    std::size_t allocLimit = 0;
    // Every row was read; damage in the chunks after them is then ignored.
    bool rowsRead = false;
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::vector<png_bytep> rows;
    // Rows before they are laid over the background; left unfilled, since the
    // library writes every byte before it is read.
    std::unique_ptr<u8[]> pixels;

    ~PngReadJob() { png_destroy_read_struct(&png, &info, nullptr); }
};

// The library reads a chunk into a buffer of the length the chunk claims
// before it learns that the file is shorter; such claims are refused here.
png_voidp PngAlloc(png_structp png, png_alloc_size_t size)
{
    const auto* job = static_cast<const PngReadJob*>(png_get_mem_ptr(png));
    return size > job->allocLimit ? nullptr : std::malloc(size);
}
void PngFree(png_structp, png_voidp p)
{
    std::free(p);
}

void SetPngPalette(png_structp png, png_infop info, CImageImpl& image)
{
    png_colorp palette = nullptr;
    int count = 0;
    png_get_PLTE(png, info, &palette, &count);
    png_bytep alpha = nullptr;
    int alphaCount = 0;
    png_get_tRNS(png, info, &alpha, &alphaCount, nullptr);
    u8 rgb[3 * 256];
    for (int i = 0; i < count && i < 256; ++i) {
        const u8 a = i < alphaCount ? alpha[i] : 255;
        rgb[3 * i] = Blend(palette[i].red, a, CPngImage::kBackground[0]);
        rgb[3 * i + 1] = Blend(palette[i].green, a, CPngImage::kBackground[1]);
        rgb[3 * i + 2] = Blend(palette[i].blue, a, CPngImage::kBackground[2]);
    }
    image.SetPaletteEntries(count, rgb);
}

bool DecodePng(PngReadJob& job, CImageImpl& image)
{
    png_structp png = job.png;
    png_infop info = job.info;
    if (setjmp(png_jmpbuf(job.png)))
        return job.rowsRead;
    png_set_read_fn(png, &job.source, PngReadData);
    png_set_user_limits(png, kMaxPngSide, kMaxPngSide);
    png_set_chunk_cache_max(png, kMaxCachedChunks);
    png_set_chunk_malloc_max(png, std::max(job.source.size, kMinChunkLimit));
    png_read_info(png, info);
    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    const int depth = png_get_bit_depth(png, info);
    const int type = png_get_color_type(png, info);
    const bool hasTrns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    if (u64(width) * height > kMaxImagePixels)
        return false;
    // Row buffers hold up to 8 bytes a pixel for a width rounded up to 8
    // pixels, plus the filter byte and some alignment.
    job.allocLimit = std::max(job.allocLimit, (std::size_t(width) + 16) * 8 + 256);

    PngRows kind = PngRows::Bgr;
    int bpp = 24;
    if (depth == 16)
        png_set_strip_16(png);
    if (type == PNG_COLOR_TYPE_PALETTE) {
        kind = PngRows::Indexed;
        bpp = depth;
    } else if (type == PNG_COLOR_TYPE_GRAY && !hasTrns) {
        kind = PngRows::Grey;
        bpp = depth == 16 ? 8 : depth;
    } else {
        if (!(type & PNG_COLOR_MASK_COLOR))
            png_set_gray_to_rgb(png);
        if (hasTrns)
            png_set_tRNS_to_alpha(png);
        png_set_bgr(png);
        if ((type & PNG_COLOR_MASK_ALPHA) || hasTrns)
            kind = PngRows::Bgra;
    }
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);

    // The DIB is sized by the rows the library will deliver after its transforms.
    const std::size_t rowBytes = png_get_rowbytes(png, info);
    const u64 expected = kind == PngRows::Bgra ? 4 * u64(width) : (u64(width) * u64(bpp) + 7) / 8;
    const int colorType = bpp == 24 ? COLOR_TYPE_COLOR : 0;
    if (rowBytes != expected || !image.Create(int(width), int(height), bpp, colorType))
        return false;
    if (kind == PngRows::Indexed) {
        SetPngPalette(png, info, image);
    } else if (kind == PngRows::Grey) {
        u8 levels[256];
        for (int i = 0; i < (1 << bpp); ++i)
            levels[i] = GreyLevel(i, bpp);
        image.SetPaletteRGB(1 << bpp, levels, nullptr, nullptr);
    }

    const int h = int(height);
    if (kind != PngRows::Bgra) {
        job.rows.resize(height);
        for (int y = 0; y < h; ++y)
            job.rows[std::size_t(y)] = image.RowBits(h - 1 - y);
        png_read_image(png, job.rows.data());
    } else if (passes == 1) {
        job.pixels.reset(new (std::nothrow) u8[rowBytes]);
        if (!job.pixels)
            return false;
        for (int y = 0; y < h; ++y) {
            png_read_row(png, job.pixels.get(), nullptr);
            FlattenRow(job.pixels.get(), image.RowBits(h - 1 - y), int(width));
        }
    } else {
        // Interlaced passes fill the rows bit by bit, so the whole picture waits.
        job.pixels.reset(new (std::nothrow) u8[rowBytes * height]);
        if (!job.pixels)
            return false;
        job.rows.resize(height);
        for (int y = 0; y < h; ++y)
            job.rows[std::size_t(y)] = job.pixels.get() + rowBytes * std::size_t(y);
        png_read_image(png, job.rows.data());
        for (int y = 0; y < h; ++y)
            FlattenRow(job.rows[std::size_t(y)], image.RowBits(h - 1 - y), int(width));
    }
    job.rowsRead = true;
    png_read_end(png, nullptr);
    return true;
}

struct PngWriteJob {
    png_structp png = nullptr;
    png_infop info = nullptr;
    png_color palette[256] = {};
    int paletteCount = 0;
    int type = PNG_COLOR_TYPE_RGB;
    int depth = 8;

    ~PngWriteJob() { png_destroy_write_struct(&png, &info); }
};

bool EncodePng(PngWriteJob& job, QIODevice& out, const CImageImpl& image)
{
    png_structp png = job.png;
    png_infop info = job.info;
    if (setjmp(png_jmpbuf(job.png)))
        return false;
    png_set_write_fn(png, &out, PngWriteData, PngFlush);
    png_set_IHDR(png, info, png_uint_32(image.GetWidth()), png_uint_32(image.GetHeight()), job.depth,
        job.type, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (job.paletteCount > 0)
        png_set_PLTE(png, info, job.palette, job.paletteCount);
    png_write_info(png, info);
    if (job.type == PNG_COLOR_TYPE_RGB)
        png_set_bgr(png);
    const int height = image.GetHeight();
    for (int y = 0; y < height; ++y)
        png_write_row(png, image.RowBits(height - 1 - y));
    png_write_end(png, info);
    return true;
}

}  // namespace

bool CPngImage::ReadBytes(std::span<const u8> data)
{
    BeginRead();
    // The header's size is checked before the library starts, so a picture
    // too large to hold is told apart from a damaged one.
    constexpr std::size_t kIhdrEnd = 8 + 8 + 8;
    if (data.size() >= kIhdrEnd && png_sig_cmp(data.data(), 0, 8) == 0
        && std::memcmp(data.data() + 12, "IHDR", 4) == 0) {
        const auto be32 = [&data](std::size_t at) {
            return u64(data[at]) << 24 | u64(data[at + 1]) << 16 | u64(data[at + 2]) << 8 | u64(data[at + 3]);
        };
        if (!CheckPictureSize(be32(16), be32(20)))
            return false;
    }
    PngReadJob job;
    job.source = {data.data(), data.size(), 0};
    job.allocLimit = std::max(data.size(), kMinChunkLimit);
    job.png = png_create_read_struct_2(
        PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning, &job, PngAlloc, PngFree);
    if (job.png)
        job.info = png_create_info_struct(job.png);
    if (job.info && DecodePng(job, *this))
        return true;
    return FailRead(ImageReadFault::Damaged);
}

bool CPngImage::WriteTo(QIODevice& out)
{
    if (!IsValid())
        return false;
    PngWriteJob job;
    if (m_bpp <= 8) {
        // A palette of nothing but the grey levels of the depth is a grey picture.
        const ImageColors colors = GetColors();
        const int count = 1 << m_bpp;
        bool greyRamp = true;
        for (int i = 0; i < count; ++i) {
            const u8 level = GreyLevel(i, m_bpp);
            greyRamp = greyRamp && colors[i].peRed == level && colors[i].peGreen == level
                && colors[i].peBlue == level;
            job.palette[i] = {colors[i].peRed, colors[i].peGreen, colors[i].peBlue};
        }
        job.type = greyRamp ? PNG_COLOR_TYPE_GRAY : PNG_COLOR_TYPE_PALETTE;
        job.paletteCount = greyRamp ? 0 : count;
        job.depth = m_bpp;
    }
    job.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
    if (job.png)
        job.info = png_create_info_struct(job.png);
    return job.info && EncodePng(job, out, *this);
}
