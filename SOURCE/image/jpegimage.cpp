#include "image/jpegimage.h"

#include "image/colorreduce.h"

#include <QIODevice>
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <memory>
#include <numeric>
#include <string>
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
    // The library's words for the error that ended the work.
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void JpegErrorExit(j_common_ptr cinfo)
{
    auto* err = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    (*err->pub.format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
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
    err.message[0] = '\0';
    return &err.pub;
}

// Errors that mean a valid file of a kind the library was not built for,
// rather than damage: lossless and hierarchical processes, 12-bit samples,
// a height given only by a DNL marker, arithmetic coding where it is left
// out, a size beyond the library's limit.
bool IsUnsupportedKind(int code)
{
    switch (code) {
    case JERR_SOF_UNSUPPORTED:
    case JERR_BAD_PRECISION:
    case JERR_EMPTY_IMAGE:
    case JERR_ARITH_NOTIMPL:
    case JERR_NOT_COMPILED:
    case JERR_IMAGE_TOO_BIG:
    case JERR_CONVERSION_NOTIMPL:
        return true;
    default:
        return false;
    }
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

// One row of inks as red, green, blue. Files with the Adobe marker hold the
// inks inverted (0 is full ink).
void InksToRgb(const u8* cmyk, u8* rgb, int width, bool inverted)
{
    for (int x = 0; x < width; ++x, cmyk += 4, rgb += 3) {
        const int k = inverted ? cmyk[3] : 255 - cmyk[3];
        for (int c = 0; c < 3; ++c) {
            const int ink = inverted ? cmyk[c] : 255 - cmyk[c];
            rgb[c] = u8((ink * k + 127) / 255);
        }
    }
}

struct JpegReadJob {
    jpeg_decompress_struct cinfo;
    JpegErrorManager err;
    // Ink pictures: one row of inks, and the whole picture in red, green
    // and blue until it is reduced.
    std::vector<u8> inkRow;
    std::vector<u8> rgb;
    ImageReadError error;
};

enum class JpegForm { Grey, Colour, Ink };

// The library turns YCCK into CMYK but neither into RGB: ink pictures are
// turned into RGB here and then reduced as the library reduces colours.
bool FormOf(J_COLOR_SPACE space, JpegForm& form)
{
    switch (space) {
    case JCS_GRAYSCALE:
        form = JpegForm::Grey;
        return true;
    case JCS_CMYK:
    case JCS_YCCK:
        form = JpegForm::Ink;
        return true;
    case JCS_YCbCr:
    case JCS_RGB:
        form = JpegForm::Colour;
        return true;
    default:
        return false;
    }
}

// Reads every row into the DIB (from the top picture row, the last DIB
// row, down) or, for inks, into the job's picture in red, green, blue.
void ReadRows(JpegReadJob& job, JpegForm form, CImageImpl& image)
{
    jpeg_decompress_struct* cinfo = &job.cinfo;
    const int width = image.GetWidth();
    const int height = image.GetHeight();
    while (cinfo->output_scanline < cinfo->output_height) {
        const int first = int(cinfo->output_scanline);
        if (form == JpegForm::Ink) {
            JSAMPROW row = job.inkRow.data();
            jpeg_read_scanlines(cinfo, &row, 1);
            InksToRgb(row, job.rgb.data() + 3 * std::size_t(width) * std::size_t(first), width,
                cinfo->saw_Adobe_marker);
            continue;
        }
        JSAMPROW rows[kRowsPerCall];
        const int count = std::min(kRowsPerCall, height - first);
        for (int i = 0; i < count; ++i)
            rows[i] = image.RowBits(height - 1 - first - i);
        jpeg_read_scanlines(cinfo, rows, JDIMENSION(count));
    }
}

bool DecodeJpeg(JpegReadJob& job, std::span<const u8> data, CImageImpl& image)
{
    jpeg_decompress_struct* cinfo = &job.cinfo;
    cinfo->err = InitErrorManager(job.err);
    if (setjmp(job.err.jump)) {
        if (IsUnsupportedKind(job.err.pub.msg_code))
            job.error = {ImageReadFault::Unsupported, job.err.message};
        jpeg_destroy_decompress(&job.cinfo);
        return false;
    }
    jpeg_create_decompress(cinfo);
    jpeg_mem_src(cinfo, data.data(), static_cast<unsigned long>(data.size()));
    jpeg_read_header(cinfo, TRUE);
    const J_COLOR_SPACE space = cinfo->jpeg_color_space;
    JpegForm form = JpegForm::Colour;
    if (!FormOf(space, form)) {
        job.error = {ImageReadFault::Unsupported,
            "pictures of " + std::to_string(cinfo->num_components) + " components in this colour space"};
        jpeg_destroy_decompress(cinfo);
        return false;
    }
    cinfo->out_color_space = form == JpegForm::Grey ? JCS_GRAYSCALE
        : form == JpegForm::Ink                     ? JCS_CMYK
                                                    : JCS_RGB;
    if (form == JpegForm::Colour) {
        cinfo->quantize_colors = TRUE;
        cinfo->desired_number_of_colors = kQuantizedColors;
    }
    // The picture is sized by what the library will deliver.
    jpeg_calc_output_dimensions(cinfo);
    const u64 width = cinfo->output_width;
    const u64 height = cinfo->output_height;
    if (width * height > kMaxImagePixels) {
        job.error = {ImageReadFault::TooLarge, {}, width, height};
        jpeg_destroy_decompress(cinfo);
        return false;
    }
    const bool ok = cinfo->output_components == (form == JpegForm::Ink ? 4 : 1)
        && image.Create(int(width), int(height), 8, -1) != 0;
    if (!ok) {
        jpeg_destroy_decompress(cinfo);
        return false;
    }
    if (form == JpegForm::Ink) {
        job.inkRow.resize(4 * width);
        job.rgb.resize(3 * width * height);
    }
    jpeg_start_decompress(cinfo);
    if (form == JpegForm::Grey) {
        u8 levels[256];
        std::iota(levels, levels + 256, 0);
        image.SetPaletteRGB(256, levels, nullptr, nullptr);
    } else if (form == JpegForm::Colour) {
        image.SetPaletteRGB(
            cinfo->actual_number_of_colors, cinfo->colormap[0], cinfo->colormap[1], cinfo->colormap[2]);
    }
    ReadRows(job, form, image);
    jpeg_finish_decompress(cinfo);
    jpeg_destroy_decompress(cinfo);
    if (form == JpegForm::Ink) {
        const int h = image.GetHeight();
        const ReducedPalette palette = ReduceColors(job.rgb.data(), image.GetWidth(), h, kQuantizedColors,
            [&image, h](int y) { return image.RowBits(h - 1 - y); });
        image.SetPaletteRGB(palette.count, palette.red, palette.green, palette.blue);
    }
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
    BeginRead();
    auto job = std::make_unique<JpegReadJob>();
    if (DecodeJpeg(*job, data, *this))
        return true;
    if (job->error.fault == ImageReadFault::TooLarge)
        return CheckPictureSize(job->error.width, job->error.height);
    return FailRead(job->error.fault == ImageReadFault::None ? ImageReadFault::Damaged : job->error.fault,
        job->error.reason);
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
