// Picture decoding against the libraries themselves on the same bytes: the
// GIF reader against giflib, the JPEG and PNG adapters against decoding
// straight through libjpeg and libpng with the same settings.
#include "image/gifimage.h"
#include "image/jpegimage.h"
#include "image/pngimage.h"

#include <QBuffer>
#include <benchmark/benchmark.h>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>
#include <vector>

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;

// A smooth picture with some grain, like a photograph.
void PhotoPixel(int x, int y, u8* rgb)
{
    const int grain = int((x * 7919u + y * 104729u) % 17) - 8;
    rgb[0] = u8(std::clamp(128 + int(100 * std::sin(x / 37.0) * std::cos(y / 23.0)) + grain, 0, 255));
    rgb[1] = u8(std::clamp(128 + int(90 * std::cos((x + y) / 51.0)) + grain, 0, 255));
    rgb[2] = u8(std::clamp(x * 255 / kWidth / 2 + y * 255 / kHeight / 2 + grain, 0, 255));
}

QByteArray Written(CFileImageImpl& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.WriteTo(buffer);
    return bytes;
}

std::span<const u8> Bytes(const QByteArray& b)
{
    return {reinterpret_cast<const u8*>(b.constData()), std::size_t(b.size())};
}

// A 256-colour picture: the photograph's colours, or flat areas like a drawing.
QByteArray MakeGif(bool photo)
{
    CGifImage image("");
    image.Create(kWidth, kHeight, 8, -1);
    u8 red[256], green[256], blue[256];
    for (int i = 0; i < 256; ++i) {
        red[i] = u8((i >> 5) * 36);
        green[i] = u8(((i >> 2) & 7) * 36);
        blue[i] = u8((i & 3) * 85);
    }
    image.SetPaletteRGB(256, red, green, blue);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            u8 rgb[3];
            PhotoPixel(x, y, rgb);
            const int index = photo ? (rgb[0] >> 5) << 5 | (rgb[1] >> 5) << 2 | rgb[2] >> 6
                                    : ((x / 64) * 7 + (y / 48) * 3 + (x * y > 200000)) & 0xFF;
            image.SetPixelIndex(x, y, index);
        }
    }
    return Written(image);
}

const QByteArray& GifData(bool photo)
{
    static const QByteArray data[2] = {MakeGif(false), MakeGif(true)};
    return data[photo];
}

QByteArray MakeJpeg(bool grey)
{
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = kWidth;
    cinfo.image_height = kHeight;
    cinfo.input_components = grey ? 1 : 3;
    cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 85, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<u8> row(3 * kWidth);
    while (cinfo.next_scanline < cinfo.image_height) {
        for (int x = 0; x < kWidth; ++x) {
            u8 rgb[3];
            PhotoPixel(x, int(cinfo.next_scanline), rgb);
            if (grey)
                row[x] = rgb[1];
            else
                std::memcpy(&row[3 * x], rgb, 3);
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    QByteArray out(reinterpret_cast<const char*>(buffer), qsizetype(size));
    std::free(buffer);
    return out;
}

const QByteArray& JpegData(bool grey)
{
    static const QByteArray data[2] = {MakeJpeg(false), MakeJpeg(true)};
    return data[grey];
}

void AppendPng(png_structp png, png_bytep data, std::size_t n)
{
    static_cast<QByteArray*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), qsizetype(n));
}

QByteArray MakePng(int type)
{
    QByteArray out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, AppendPng, nullptr);
    png_set_IHDR(png, info, kWidth, kHeight, 8, type, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
        PNG_FILTER_TYPE_DEFAULT);
    png_color palette[256];
    for (int i = 0; i < 256; ++i)
        palette[i] = {u8(i), u8(255 - i), u8(i * 3)};
    if (type == PNG_COLOR_TYPE_PALETTE)
        png_set_PLTE(png, info, palette, 256);
    png_write_info(png, info);
    const int channels = type == PNG_COLOR_TYPE_RGB_ALPHA ? 4 : type == PNG_COLOR_TYPE_RGB ? 3 : 1;
    std::vector<u8> row(std::size_t(channels) * kWidth);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            u8 rgb[3];
            PhotoPixel(x, y, rgb);
            u8* p = &row[std::size_t(x) * channels];
            if (channels == 1)
                p[0] = u8(rgb[0] ^ rgb[2]);
            else
                std::memcpy(p, rgb, 3);
            if (channels == 4)
                p[3] = u8(x * 255 / kWidth);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

const QByteArray& PngData(int type)
{
    static const QByteArray palette = MakePng(PNG_COLOR_TYPE_PALETTE);
    static const QByteArray rgb = MakePng(PNG_COLOR_TYPE_RGB);
    static const QByteArray rgba = MakePng(PNG_COLOR_TYPE_RGB_ALPHA);
    return type == PNG_COLOR_TYPE_PALETTE ? palette : type == PNG_COLOR_TYPE_RGB ? rgb : rgba;
}

template <class Format> void ReadThroughAdapter(benchmark::State& state, const QByteArray& data)
{
    for (auto _ : state) {
        Format image("");
        if (!image.ReadBytes(Bytes(data)))
            state.SkipWithError("not read");
        benchmark::DoNotOptimize(image.GetBits());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * data.size());
}

struct GifMemory {
    const QByteArray* data;
    int pos;
};

int ReadGifMemory(GifFileType* gif, GifByteType* out, int count)
{
    auto* memory = static_cast<GifMemory*>(gif->UserData);
    const int n = std::min(count, int(memory->data->size()) - memory->pos);
    std::memcpy(out, memory->data->constData() + memory->pos, std::size_t(n));
    memory->pos += n;
    return n;
}

void ReadGifWithGiflib(benchmark::State& state, const QByteArray& data)
{
    for (auto _ : state) {
        GifMemory memory{&data, 0};
        int error = 0;
        GifFileType* gif = DGifOpen(&memory, ReadGifMemory, &error);
        if (!gif || DGifSlurp(gif) != GIF_OK)
            state.SkipWithError("giflib failed");
        benchmark::DoNotOptimize(gif->SavedImages[0].RasterBits);
        DGifCloseFile(gif, &error);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * data.size());
}

struct JpegJump {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

[[noreturn]] void JpegJumpExit(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<JpegJump*>(cinfo->err)->jump, 1);
}

// libjpeg straight into a row buffer: quantised to 128 colours as the
// adapter asks, or plain RGB.
bool DecodeJpegDirect(const QByteArray& data, bool quantize, std::vector<u8>& pixels)
{
    jpeg_decompress_struct cinfo;
    JpegJump err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = JpegJumpExit;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(data.constData()), data.size());
    jpeg_read_header(&cinfo, TRUE);
    if (quantize && cinfo.jpeg_color_space != JCS_GRAYSCALE) {
        cinfo.quantize_colors = TRUE;
        cinfo.desired_number_of_colors = 128;
    }
    jpeg_start_decompress(&cinfo);
    const std::size_t stride = std::size_t(cinfo.output_width) * cinfo.output_components;
    pixels.resize(stride * cinfo.output_height);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW rows[1] = {pixels.data() + stride * cinfo.output_scanline};
        jpeg_read_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

void ReadJpegDirect(benchmark::State& state, const QByteArray& data, bool quantize)
{
    std::vector<u8> pixels;
    for (auto _ : state) {
        if (!DecodeJpegDirect(data, quantize, pixels))
            state.SkipWithError("libjpeg failed");
        benchmark::DoNotOptimize(pixels.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * data.size());
}

struct PngMemory {
    const QByteArray* data;
    std::size_t pos;
};

void ReadPngMemory(png_structp png, png_bytep out, std::size_t count)
{
    auto* memory = static_cast<PngMemory*>(png_get_io_ptr(png));
    if (memory->data->size() - memory->pos < count)
        png_error(png, "short");
    std::memcpy(out, memory->data->constData() + memory->pos, count);
    memory->pos += count;
}

// libpng straight into a buffer of rows, with the adapter's byte order.
bool DecodePngDirect(const QByteArray& data, std::vector<u8>& pixels, std::vector<png_bytep>& rows)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    PngMemory memory{&data, 0};
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &memory, ReadPngMemory);
    png_read_info(png, info);
    png_set_bgr(png);
    png_read_update_info(png, info);
    const std::size_t stride = png_get_rowbytes(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    pixels.resize(stride * height);
    rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y)
        rows[y] = pixels.data() + stride * y;
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

void ReadPngDirect(benchmark::State& state, const QByteArray& data)
{
    std::vector<u8> pixels;
    std::vector<png_bytep> rows;
    for (auto _ : state) {
        if (!DecodePngDirect(data, pixels, rows))
            state.SkipWithError("libpng failed");
        benchmark::DoNotOptimize(pixels.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * data.size());
}

void BM_GifPhoto_Tolva(benchmark::State& s)
{
    ReadThroughAdapter<CGifImage>(s, GifData(true));
}
void BM_GifPhoto_Giflib(benchmark::State& s)
{
    ReadGifWithGiflib(s, GifData(true));
}
void BM_GifDrawing_Tolva(benchmark::State& s)
{
    ReadThroughAdapter<CGifImage>(s, GifData(false));
}
void BM_GifDrawing_Giflib(benchmark::State& s)
{
    ReadGifWithGiflib(s, GifData(false));
}
void BM_JpegColour_Adapter(benchmark::State& s)
{
    ReadThroughAdapter<CJpegImage>(s, JpegData(false));
}
void BM_JpegColour_DirectQuantized(benchmark::State& s)
{
    ReadJpegDirect(s, JpegData(false), true);
}
void BM_JpegColour_DirectRgb(benchmark::State& s)
{
    ReadJpegDirect(s, JpegData(false), false);
}
void BM_JpegGrey_Adapter(benchmark::State& s)
{
    ReadThroughAdapter<CJpegImage>(s, JpegData(true));
}
void BM_JpegGrey_Direct(benchmark::State& s)
{
    ReadJpegDirect(s, JpegData(true), true);
}
void BM_PngPalette_Adapter(benchmark::State& s)
{
    ReadThroughAdapter<CPngImage>(s, PngData(PNG_COLOR_TYPE_PALETTE));
}
void BM_PngPalette_Direct(benchmark::State& s)
{
    ReadPngDirect(s, PngData(PNG_COLOR_TYPE_PALETTE));
}
void BM_PngRgb_Adapter(benchmark::State& s)
{
    ReadThroughAdapter<CPngImage>(s, PngData(PNG_COLOR_TYPE_RGB));
}
void BM_PngRgb_Direct(benchmark::State& s)
{
    ReadPngDirect(s, PngData(PNG_COLOR_TYPE_RGB));
}
void BM_PngRgba_Adapter(benchmark::State& s)
{
    ReadThroughAdapter<CPngImage>(s, PngData(PNG_COLOR_TYPE_RGB_ALPHA));
}
void BM_PngRgba_Direct(benchmark::State& s)
{
    ReadPngDirect(s, PngData(PNG_COLOR_TYPE_RGB_ALPHA));
}

}  // namespace

BENCHMARK(BM_GifPhoto_Tolva)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifPhoto_Giflib)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifDrawing_Tolva)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifDrawing_Giflib)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegColour_Adapter)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegColour_DirectQuantized)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegColour_DirectRgb)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegGrey_Adapter)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegGrey_Direct)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngPalette_Adapter)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngPalette_Direct)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngRgb_Adapter)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngRgb_Direct)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngRgba_Adapter)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngRgba_Direct)->Unit(benchmark::kMillisecond);
