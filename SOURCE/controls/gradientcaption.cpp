#include "controls/gradientcaption.h"

#include "controls/flatdraw.h"
#include "platform/ui/window.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

Qt::Alignment AlignmentOf(u32 format)
{
    Qt::Alignment align = (format & DT_CENTER) ? Qt::AlignHCenter
        : (format & DT_RIGHT)                  ? Qt::AlignRight
                                               : Qt::AlignLeft;
    if (format & DT_SINGLELINE)
        align |= (format & DT_VCENTER) ? Qt::AlignVCenter
            : (format & DT_BOTTOM)     ? Qt::AlignBottom
                                       : Qt::AlignTop;
    return align;
}

QColor LegibleOn(const QColor& text, const QColor& background, const QPalette& palette)
{
    const auto luminance
        = [](const QColor& c) { return 0.2126 * c.redF() + 0.7152 * c.greenF() + 0.0722 * c.blueF(); };
    constexpr double kMinContrast = 0.3;
    const double back = luminance(background);
    if (std::abs(luminance(text) - back) >= kMinContrast)
        return text;
    const QColor light = palette.color(QPalette::Active, QPalette::Base);
    const QColor dark = palette.color(QPalette::Active, QPalette::Text);
    return std::abs(luminance(light) - back) > std::abs(luminance(dark) - back) ? light : dark;
}

CGradientCaption::CGradientCaption(QWidget* parent)
    : QLabel(parent)
{
}

void CGradientCaption::SetColors(
    ThemeColor start, ThemeColor end, ThemeColor border, int borderWidth, bool gradient, int steps)
{
    m_start = start;
    m_end = end;
    m_border = border;
    m_borderWidth = std::max(0, borderWidth);
    m_gradient = gradient;
    m_steps = std::max(1, steps);
    update();
}

bool CGradientCaption::SetFont(
    ThemeColor text, u32 drawTextFormat, int pointSize, bool bold, bool italic, const char* faceName)
{
    QFont f = font();
    f.setPixelSize(std::max(1, MulDiv(pointSize, logicalDpiY(), 72)));
    f.setWeight(bold ? QFont::Bold : QFont::Normal);
    f.setItalic(italic);
    f.setStyleStrategy(QFont::PreferAntialias);
    if (faceName && *faceName)
        f.setFamily(QString::fromUtf8(faceName));
    QLabel::setFont(f);
    m_text = text;
    m_format = drawTextFormat;
    updateGeometry();
    update();
    return true;
}

void CGradientCaption::SetDialogLook(int pointSize, bool bold)
{
    SetColors(COLOR_3DSHADOW, COLOR_3DSHADOW, QColor(Qt::black), 0, true, 1);
    SetFont(COLOR_WINDOW, kCaptionFormat, pointSize, bold, false);
}

QSize CGradientCaption::sizeHint() const
{
    const QFontMetrics fm(font());
    // The words keep from the ends of the strip the margin the dialogs keep
    // around their working area.
    const int side = DialogUnitsToPixelsX(this, kTextInset);
    return {fm.horizontalAdvance(text()) + 2 * side + 2 * m_borderWidth, fm.height() + 8 + 2 * m_borderWidth};
}

void CGradientCaption::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRect r = rect();
    const QColor start = m_start.Resolve(palette());
    const QColor end = m_end.Resolve(palette());
    if (m_gradient && start != end && m_steps > 1) {
        // Bands across the width, from the start colour to the end colour.
        for (int i = 0; i < m_steps; ++i) {
            const int x0 = r.width() * i / m_steps;
            const int x1 = r.width() * (i + 1) / m_steps;
            const auto mix = [&](int a, int b) { return a + (b - a) * i / (m_steps - 1); };
            p.fillRect(x0, 0, x1 - x0, r.height(),
                QColor(mix(start.red(), end.red()), mix(start.green(), end.green()),
                    mix(start.blue(), end.blue())));
        }
    } else {
        p.fillRect(r, start);
    }
    const QColor border = m_border.Resolve(palette());
    QRect ring = r;
    for (int i = 0; i < m_borderWidth; ++i) {
        Draw3dRect(p, ring, border, border);
        ring.adjust(1, 1, -1, -1);
    }
    // The text is read at each drawing, so a caption changed after its font
    // was set shows the new text.
    p.setFont(font());
    p.setPen(LegibleOn(m_text.Resolve(palette()), start, palette()));
    p.drawText(r, int(AlignmentOf(m_format)) | Qt::TextShowMnemonic, text());
}
