// A list of equally sized images cut from a strip bitmap whose mask colour
// (magenta in the program's bitmaps) is transparent.
#pragma once

#include <QColor>
#include <QPixmap>
#include <QSize>
#include <vector>

class QImage;
class QPainter;
class QPalette;

class ImageList {
public:
    ImageList() = default;
    explicit ImageList(QSize imageSize)
        : m_size(imageSize)
    {
    }

    // Cuts the strip into images of the list's size, left to right; a
    // trailing part narrower than one image is dropped. Returns the index of
    // the first image added, or -1 when nothing was added.
    int Add(const QImage& strip, QRgb maskColour);
    void Clear() { m_images.clear(); }

    int Count() const { return int(m_images.size()); }
    QSize ImageSize() const { return m_size; }
    // Null for an index out of range.
    QPixmap Image(int index) const;

    void Draw(QPainter& painter, int index, QPoint at) const;
    // The image embossed as a disabled control shows it.
    void DrawDisabled(QPainter& painter, int index, QPoint at, const QPalette& palette) const;

private:
    QSize m_size{16, 16};
    std::vector<QPixmap> m_images;
};

// Draws the pixmap's shape in the disabled colour, embossed with the
// highlight where that reads (see DisabledColor and ReliefReads).
void DrawDisabledPixmap(QPainter& painter, QPoint at, const QPixmap& pixmap, const QPalette& palette);
