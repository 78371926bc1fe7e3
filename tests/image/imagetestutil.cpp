#include "imagetestutil.h"

#include "image/pngimage.h"

#include <QBuffer>
#include <algorithm>
#include <cstdlib>

QByteArray WriteToBytes(CFileImageImpl& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    return image.WriteTo(buffer) ? bytes : QByteArray();
}

std::vector<u8> Indexes(const CImageImpl& image)
{
    std::vector<u8> out;
    for (int y = image.GetHeight() - 1; y >= 0; --y)
        for (int x = 0; x < image.GetWidth(); ++x)
            out.push_back(u8(image.GetPixelIndex(x, y)));
    return out;
}

qint64 FailingDevice::writeData(const char*, qint64 len)
{
    if (m_written + len > m_limit)
        return -1;
    m_written += len;
    return len;
}

u32 PixelAt(const CImageImpl& image, int x, int yFromTop)
{
    u8 r = 0, g = 0, b = 0;
    EXPECT_TRUE(image.GetPixelColor(x, image.GetHeight() - 1 - yFromTop, &r, &g, &b));
    return (u32(r) << 16) | (u32(g) << 8) | b;
}

void ExpectSamePixels(const CImageImpl& image, const QImage& expected, int tolerance)
{
    ASSERT_EQ(image.GetWidth(), expected.width());
    ASSERT_EQ(image.GetHeight(), expected.height());
    int differing = 0;
    for (int y = 0; y < expected.height(); ++y) {
        for (int x = 0; x < expected.width(); ++x) {
            const QRgb want = expected.pixel(x, y);
            const u32 got = PixelAt(image, x, y);
            for (int c = 0; c < 3; ++c) {
                const int a = qAlpha(want);
                const int flat
                    = (((want >> (16 - 8 * c)) & 0xFF) * a + CPngImage::kBackground[c] * (255 - a) + 127)
                    / 255;
                differing += std::abs(int((got >> (16 - 8 * c)) & 0xFF) - flat) > tolerance;
            }
        }
    }
    EXPECT_EQ(differing, 0);
}

void MakePatternImage(CImageImpl& image, int width, int height, int bpp)
{
    ASSERT_GT(image.Create(width, height, bpp, -1), 0);
    u8 red[256], green[256], blue[256];
    for (int i = 0; i < 256; ++i)
        red[i] = u8(i * 37), green[i] = u8(255 - i * 11), blue[i] = u8(i * 5 + 3);
    if (bpp <= 8)
        image.SetPaletteRGB(1 << bpp, red, green, blue);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int i = (x * 7 + y * 3 + x * y) % 256;
            if (bpp <= 8)
                image.SetPixelIndex(x, y, i % (1 << bpp));
            else
                image.SetPixelColor(x, y, u8(x * 19), green[i], u8(x * y));
        }
    }
}

#ifdef __SANITIZE_ADDRESS__
extern "C" int __sanitizer_install_malloc_and_free_hooks(
    void (*onMalloc)(const volatile void*, std::size_t), void (*onFree)(const volatile void*));
extern "C" std::size_t __sanitizer_get_allocated_size(const volatile void* p);

namespace {

bool g_tracking = false;
i64 g_held = 0;
i64 g_peak = 0;

void OnMalloc(const volatile void*, std::size_t size)
{
    if (!g_tracking)
        return;
    g_held += i64(size);
    g_peak = std::max(g_peak, g_held);
}

void OnFree(const volatile void* p)
{
    if (g_tracking)
        g_held -= i64(__sanitizer_get_allocated_size(p));
}

}  // namespace

i64 PeakHeapDuring(const std::function<void()>& call)
{
    static const bool installed = __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree) != 0;
    if (!installed)
        return -1;
    g_held = g_peak = 0;
    g_tracking = true;
    call();
    g_tracking = false;
    return g_peak;
}
#else
i64 PeakHeapDuring(const std::function<void()>& call)
{
    call();
    return -1;
}
#endif
