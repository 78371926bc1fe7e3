// Helpers shared by the picture tests: byte views, in-memory writing, a
// device that fails, and pixel comparison with Qt's decoders.
#pragma once

#include "image/imagefile.h"

#include <QByteArray>
#include <QIODevice>
#include <QImage>
#include <functional>
#include <gtest/gtest.h>
#include <span>
#include <vector>

inline std::span<const u8> Bytes(const QByteArray& b)
{
    return {reinterpret_cast<const u8*>(b.constData()), std::size_t(b.size())};
}

// What a format writes, or an empty array when it reports failure.
QByteArray WriteToBytes(CFileImageImpl& image);

// Accepts limit bytes, then fails every write.
class FailingDevice : public QIODevice {
public:
    explicit FailingDevice(qint64 limit)
        : m_limit(limit)
    {
        open(QIODevice::WriteOnly);
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 len) override;

private:
    qint64 m_limit;
    qint64 m_written = 0;
};

// The index of each pixel, top row first.
std::vector<u8> Indexes(const CImageImpl& image);

// The colour of a pixel counted from the top, as 0xRRGGBB.
u32 PixelAt(const CImageImpl& image, int x, int yFromTop);
// Every pixel of the image has the colour Qt decodes at the same place, up
// to a tolerance per channel; what Qt gives as transparent is laid over the
// background transparent parts show.
void ExpectSamePixels(const CImageImpl& image, const QImage& expected, int tolerance = 0);

// A picture with a pattern of colours; below 9 bits a palette with a
// distinct colour per index.
void MakePatternImage(CImageImpl& image, int width, int height, int bpp);

// After a good file, each bad one fails to read and leaves an empty image.
template <class Format>
void ExpectBadFilesLeaveNothing(const QByteArray& good, const std::vector<QByteArray>& bad)
{
    for (const QByteArray& bytes : bad) {
        Format image("");
        ASSERT_TRUE(image.ReadBytes(Bytes(good)));
        EXPECT_FALSE(image.ReadBytes(Bytes(bytes)))
            << bytes.size() << " bytes: " << bytes.left(40).toHex().data();
        EXPECT_FALSE(image.IsValid());
        EXPECT_EQ(image.GetWidth(), 0);
        EXPECT_EQ(image.GetPalette(), nullptr);
    }
}

// The most heap memory held at once while a call runs, in bytes; -1 in a
// build without the address sanitizer, which supplies the allocation hooks.
i64 PeakHeapDuring(const std::function<void()>& call);
