#include "platform/ui/imagelist.h"

#include "platform/ui/syscolor.h"

#include <QImage>
#include <QPainter>

int ImageList::Add(const QImage& strip, QRgb maskColour)
{
    if (strip.isNull() || m_size.width() <= 0 || m_size.height() <= 0 || strip.height() < m_size.height())
        return -1;
    QImage argb = strip.convertToFormat(QImage::Format_ARGB32);
    const QRgb mask = maskColour & 0xFFFFFF;
    for (int y = 0; y < argb.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(argb.scanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            if ((line[x] & 0xFFFFFF) == mask)
                line[x] = 0;
        }
    }
    const int count = argb.width() / m_size.width();
    if (count == 0)
        return -1;
    const int first = Count();
    for (int i = 0; i < count; ++i)
        m_images.push_back(
            QPixmap::fromImage(argb.copy(i * m_size.width(), 0, m_size.width(), m_size.height())));
    return first;
}

QPixmap ImageList::Image(int index) const
{
    return (index >= 0 && index < Count()) ? m_images[size_t(index)] : QPixmap();
}

void ImageList::Draw(QPainter& painter, int index, QPoint at) const
{
    if (index >= 0 && index < Count())
        painter.drawPixmap(at, m_images[size_t(index)]);
}

void ImageList::DrawDisabled(QPainter& painter, int index, QPoint at, const QPalette& palette) const
{
    if (index >= 0 && index < Count())
        DrawDisabledPixmap(painter, at, m_images[size_t(index)], palette);
}

void DrawDisabledPixmap(QPainter& painter, QPoint at, const QPixmap& pixmap, const QPalette& palette)
{
    if (pixmap.isNull())
        return;
    // Only the shape counts: every pixel that is not transparent takes the
    // colour, as a monochrome mask would.
    const auto tinted = [&](const QColor& colour) {
        QImage shape = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < shape.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(shape.scanLine(y));
            for (int x = 0; x < shape.width(); ++x)
                line[x] = qAlpha(line[x]) >= 128 ? colour.rgb() : 0;
        }
        return shape;
    };
    const QColor shape = DisabledColor(palette, GetSysColor(COLOR_3DFACE, palette));
    const QColor relief = GetSysColor(COLOR_3DHILIGHT, palette);
    if (ReliefReads(relief, shape))
        painter.drawImage(at + QPoint(1, 1), tinted(relief));
    painter.drawImage(at, tinted(shape));
}
