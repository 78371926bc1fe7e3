// What every picture fuzz target does with its input: decode it, build
// what drawing would draw, and write it back and read that again, which
// must work and, for the lossless formats, give the same colours.
#pragma once

#include "image/imagedraw.h"
#include "image/imageimpl.h"

#include <QBuffer>
#include <cstddef>
#include <cstdint>

// Big pictures are decoded but not drawn or written back, to keep each run short.
constexpr u64 kRoundTripPixels = 1 << 16;

template <class Format> void FuzzImageFormat(const uint8_t* data, std::size_t size, bool lossless)
{
    Format image("");
    if (!image.ReadBytes({data, size}) || !image.IsValid())
        return;
    const int width = image.GetWidth();
    const int height = image.GetHeight();
    if (u64(width) * u64(height) > kRoundTripPixels)
        return;
    ImageToQImage(image, true);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    // A BMP file cannot hold the 2-bit pictures other formats give.
    if (!image.WriteTo(buffer) && image.GetBpp() != 2)
        __builtin_trap();
    Format back("");
    if (bytes.isEmpty()
        || !back.ReadBytes({reinterpret_cast<const u8*>(bytes.constData()), std::size_t(bytes.size())}))
        __builtin_trap();
    if (!lossless)
        return;
    if (back.GetWidth() != width || back.GetHeight() != height)
        __builtin_trap();
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            u8 r1, g1, b1, r2, g2, b2;
            image.GetPixelColor(x, y, &r1, &g1, &b1);
            back.GetPixelColor(x, y, &r2, &g2, &b2);
            if (r1 != r2 || g1 != g2 || b1 != b2)
                __builtin_trap();
        }
    }
}
