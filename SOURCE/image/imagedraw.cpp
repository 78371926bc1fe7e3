#include "image/imagedraw.h"

#include "image/imagefile.h"

#include <QPainter>
#include <cstring>

QImage ImageToQImage(const CImageImpl& image, bool withTransparency)
{
    if (!image.IsValid())
        return {};
    const int width = image.GetWidth();
    const int height = image.GetHeight();
    const int bpp = image.GetBpp();
    if (bpp == 24) {
        QImage out(width, height, QImage::Format_BGR888);
        if (out.isNull())
            return {};
        for (int y = 0; y < height; ++y)
            std::memcpy(out.scanLine(y), image.RowBits(height - 1 - y), 3 * std::size_t(width));
        return out;
    }
    QImage out(width, height, QImage::Format_Indexed8);
    if (out.isNull())
        return {};
    // One table entry for every index the depth can address, so no pixel
    // points past the table.
    const ImageColors colors = image.GetColors();
    QList<QRgb> table(1 << bpp);
    for (int i = 0; i < table.size(); ++i)
        table[i] = qRgb(colors[i].peRed, colors[i].peGreen, colors[i].peBlue);
    const int transparent = image.GetTransparentIndex();
    if (withTransparency && transparent >= 0 && transparent < table.size())
        table[transparent] = qRgba(0, 0, 0, 0);
    out.setColorTable(table);
    for (int y = 0; y < height; ++y)
        DibExpandRow(image.RowBits(height - 1 - y), bpp, width, out.scanLine(y));
    return out;
}

namespace {

// -1 stands for the given size.
int SizeOr(int value, int size)
{
    return value == -1 ? size : value;
}

}  // namespace

int CImageFile::Draw(QPainter* dc, int x, int y, int width, int height, int srcX, int srcY)
{
    if (!IsValid())
        return 0;
    if (dc)
        dc->drawImage(QPoint(x, y), ImageToQImage(*m_impl, false),
            QRect(srcX, srcY, SizeOr(width, GetWidth()), SizeOr(height, GetHeight())));
    return 1;
}

int CImageFile::StretchDIB(
    QPainter* dc, int x, int y, int width, int height, int srcX, int srcY, int srcWidth, int srcHeight)
{
    if (!IsValid())
        return 0;
    if (dc) {
        const QRect target(x, y, SizeOr(width, GetWidth()), SizeOr(height, GetHeight()));
        const QRect source(
            srcX, srcY, SizeOr(srcWidth, GetWidth() - srcX), SizeOr(srcHeight, GetHeight() - srcY));
        // Nearest pixel, as colour-on-colour stretching keeps palette colours unmixed.
        dc->save();
        dc->setRenderHint(QPainter::SmoothPixmapTransform, false);
        dc->drawImage(target, ImageToQImage(*m_impl, true), source);
        dc->restore();
    }
    return 1;
}

int CImageFile::Stretch(
    QPainter& dc, int x, int y, int width, int height, int srcX, int srcY, int srcWidth, int srcHeight)
{
    return StretchDIB(&dc, x, y, width, height, srcX, srcY, srcWidth, srcHeight);
}
