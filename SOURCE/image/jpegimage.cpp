#include "image/jpegimage.h"

#include <QIODevice>
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <memory>
#include <numeric>
#include <vector>

// The library's headers expect FILE and size_t declared before them.
#include <jerror.h>
#include <jpeglib.h>

// Every library call that can fail jumps back to the point set before it;
// the functions holding that point keep no objects that need destroying.

namespace {

constexpr int kQuantizedColors = 128;
constexpr int kRowsPerCall = 16;
constexpr std::size_t kOutputBufferSize = 16384;

struct JpegErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

[[noreturn]] void JpegErrorExit(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<JpegErrorManager*>(cinfo->err)->jump, 1);
}

// Warnings (a file ending early, damaged data) are not shown: the picture
// keeps what the library made of it.
void JpegOutputMessage(j_common_ptr)
{
}

jpeg_error_mgr* InitErrorManager(JpegErrorManager& err)
{
    jpeg_std_error(&err.pub);
    err.pub.error_exit = JpegErrorExit;
    err.pub.output_message = JpegOutputMessage;
    return &err.pub;
}

struct JpegDestination {
    jpeg_destination_mgr pub;
    QIODevice* device;
    JOCTET buffer[kOutputBufferSize];
};

JpegDestination* Destination(j_compress_ptr cinfo)
{
    return reinterpret_cast<JpegDestination*>(cinfo->dest);
}

void InitDestination(j_compress_ptr cinfo)
{
    JpegDestination* dest = Destination(cinfo);
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = kOutputBufferSize;
}

boolean EmptyOutputBuffer(j_compress_ptr cinfo)
{
    JpegDestination* dest = Destination(cinfo);
    if (dest->device->write(reinterpret_cast<const char*>(dest->buffer), kOutputBufferSize)
        != qint64(kOutputBufferSize))
        ERREXIT(cinfo, JERR_FILE_WRITE);
    InitDestination(cinfo);
    return TRUE;
}

void TermDestination(j_compress_ptr cinfo)
{
    JpegDestination* dest = Destination(cinfo);
    const qint64 n = qint64(kOutputBufferSize - dest->pub.free_in_buffer);
    if (n > 0 && dest->device->write(reinterpret_cast<const char*>(dest->buffer), n) != n)
        ERREXIT(cinfo, JERR_FILE_WRITE);
}

// A colour map of cyan, magenta, yellow and black as RGB. Files with the
// Adobe marker hold the inks inverted (0 is full ink).
void SetInkPalette(CImageImpl& image, int count, JSAMPARRAY colormap, bool inverted)
{
    u8 rgb[3][256];
    count = std::clamp(count, 0, 256);
    for (int i = 0; i < count; ++i) {
        const int k = inverted ? colormap[3][i] : 255 - colormap[3][i];
        for (int c = 0; c < 3; ++c) {
            const int ink = inverted ? colormap[c][i] : 255 - colormap[c][i];
            rgb[c][i] = u8((ink * k + 127) / 255);
        }
    }
    image.SetPaletteRGB(count, rgb[0], rgb[1], rgb[2]);
}

struct JpegReadJob {
    jpeg_decompress_struct cinfo;
    JpegErrorManager err;
};

bool DecodeJpeg(JpegReadJob& job, std::span<const u8> data, CImageImpl& image)
{
    jpeg_decompress_struct* cinfo = &job.cinfo;
    cinfo->err = InitErrorManager(job.err);
    if (setjmp(job.err.jump)) {
        jpeg_destroy_decompress(&job.cinfo);
        return false;
    }
    jpeg_create_decompress(cinfo);
    jpeg_mem_src(cinfo, data.data(), static_cast<unsigned long>(data.size()));
    jpeg_read_header(cinfo, TRUE);
    const J_COLOR_SPACE space = cinfo->jpeg_color_space;
    const bool grey = space == JCS_GRAYSCALE;
    // The library turns YCCK into CMYK but neither into RGB: ink pictures are
    // quantised as CMYK and their colour map turned into RGB.
    const bool ink = space == JCS_CMYK || space == JCS_YCCK;
    bool ok = grey || ink || space == JCS_YCbCr || space == JCS_RGB;
    if (ok) {
        cinfo->out_color_space = grey ? JCS_GRAYSCALE : ink ? JCS_CMYK : JCS_RGB;
        if (!grey) {
            cinfo->quantize_colors = TRUE;
            cinfo->desired_number_of_colors = kQuantizedColors;
        }
        // The picture is sized by what the library will deliver.
        jpeg_calc_output_dimensions(cinfo);
        ok = cinfo->output_components == 1
            && u64(cinfo->output_width) * cinfo->output_height <= kMaxImagePixels
            && image.Create(int(cinfo->output_width), int(cinfo->output_height), 8, -1) != 0;
    }
    if (!ok) {
        jpeg_destroy_decompress(cinfo);
        return false;
    }
    jpeg_start_decompress(cinfo);
    if (grey) {
        u8 levels[256];
        std::iota(levels, levels + 256, 0);
        image.SetPaletteRGB(256, levels, nullptr, nullptr);
    } else if (ink) {
        SetInkPalette(image, cinfo->actual_number_of_colors, cinfo->colormap, cinfo->saw_Adobe_marker);
    } else {
        image.SetPaletteRGB(
            cinfo->actual_number_of_colors, cinfo->colormap[0], cinfo->colormap[1], cinfo->colormap[2]);
    }
    const int height = image.GetHeight();
    while (cinfo->output_scanline < cinfo->output_height) {
        JSAMPROW rows[kRowsPerCall];
        const int first = int(cinfo->output_scanline);
        const int count = std::min(kRowsPerCall, height - first);
        for (int i = 0; i < count; ++i)
            rows[i] = image.RowBits(height - 1 - first - i);
        jpeg_read_scanlines(cinfo, rows, JDIMENSION(count));
    }
    jpeg_finish_decompress(cinfo);
    jpeg_destroy_decompress(cinfo);
    return true;
}

struct JpegWriteJob {
    jpeg_compress_struct cinfo;
    JpegErrorManager err;
    JpegDestination dest;
    ImageColors colors;
    std::vector<u8> indexes;
    std::vector<u8> row;
};

bool EncodeJpeg(JpegWriteJob& job, const CImageImpl& image, int quality)
{
    jpeg_compress_struct* cinfo = &job.cinfo;
    cinfo->err = InitErrorManager(job.err);
    if (setjmp(job.err.jump)) {
        jpeg_destroy_compress(&job.cinfo);
        return false;
    }
    jpeg_create_compress(cinfo);
    job.dest.pub.init_destination = InitDestination;
    job.dest.pub.empty_output_buffer = EmptyOutputBuffer;
    job.dest.pub.term_destination = TermDestination;
    cinfo->dest = &job.dest.pub;

    const int width = image.GetWidth();
    const int height = image.GetHeight();
    const int bpp = image.GetBpp();
    // A grey palette picture is written as a grey JPEG, anything else in colour.
    const bool grey = image.HasGreyColors();
    cinfo->image_width = JDIMENSION(width);
    cinfo->image_height = JDIMENSION(height);
    cinfo->input_components = grey ? 1 : 3;
    cinfo->in_color_space = bpp == 24 ? JCS_EXT_BGR : grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(cinfo);
    jpeg_set_quality(cinfo, quality, TRUE);
    jpeg_start_compress(cinfo, TRUE);
    while (cinfo->next_scanline < cinfo->image_height) {
        u8* const src = image.RowBits(height - 1 - int(cinfo->next_scanline));
        JSAMPROW row = src;
        if (bpp != 24) {
            DibExpandRow(src, bpp, width, job.indexes.data());
            u8* out = job.row.data();
            for (int x = 0; x < width; ++x) {
                const PALETTEENTRY& c = job.colors[job.indexes[std::size_t(x)]];
                *out++ = c.peRed;
                if (!grey) {
                    *out++ = c.peGreen;
                    *out++ = c.peBlue;
                }
            }
            row = job.row.data();
        }
        jpeg_write_scanlines(cinfo, &row, 1);
    }
    jpeg_finish_compress(cinfo);
    jpeg_destroy_compress(cinfo);
    return true;
}

}  // namespace

bool CJpegImage::ReadBytes(std::span<const u8> data)
{
    auto job = std::make_unique<JpegReadJob>();
    if (DecodeJpeg(*job, data, *this))
        return true;
    Clear();
    return false;
}

bool CJpegImage::WriteTo(QIODevice& out)
{
    if (!IsValid())
        return false;
    auto job = std::make_unique<JpegWriteJob>();
    job->dest.device = &out;
    job->colors = GetColors();
    if (m_bpp != 24) {
        job->indexes.resize(std::size_t(m_width));
        job->row.resize(3 * std::size_t(m_width));
    }
    return EncodeJpeg(*job, *this, m_quality);
}
