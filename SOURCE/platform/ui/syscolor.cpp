#include "platform/ui/syscolor.h"

#include <QApplication>
#include <QPalette>
#include <QWidget>
#include <cmath>

QColor GetSysColor(int index, const QPalette& palette)
{
    switch (index) {
    case COLOR_MENU:
        return palette.color(QPalette::Active, QPalette::Window);
    case COLOR_WINDOW:
        return palette.color(QPalette::Active, QPalette::Base);
    case COLOR_WINDOWFRAME:
    case COLOR_MENUTEXT:
        return palette.color(QPalette::Active, QPalette::WindowText);
    case COLOR_WINDOWTEXT:
        return palette.color(QPalette::Active, QPalette::Text);
    case COLOR_HIGHLIGHT:
        return palette.color(QPalette::Active, QPalette::Highlight);
    case COLOR_HIGHLIGHTTEXT:
        return palette.color(QPalette::Active, QPalette::HighlightedText);
    case COLOR_3DFACE:
        return palette.color(QPalette::Active, QPalette::Button);
    case COLOR_3DSHADOW:
        return palette.color(QPalette::Active, QPalette::Dark);
    case COLOR_GRAYTEXT:
        return palette.color(QPalette::Disabled, QPalette::Text);
    case COLOR_BTNTEXT:
        return palette.color(QPalette::Active, QPalette::ButtonText);
    case COLOR_3DHILIGHT:
        return palette.color(QPalette::Active, QPalette::Light);
    case COLOR_3DDKSHADOW:
        return palette.color(QPalette::Active, QPalette::Shadow);
    case COLOR_3DLIGHT:
        return palette.color(QPalette::Active, QPalette::Midlight);
    default:
        return palette.color(QPalette::Active, QPalette::Text);
    }
}

QColor GetSysColor(int index, const QWidget* widget)
{
    return GetSysColor(index, widget ? widget->palette() : QApplication::palette());
}

namespace {

double Luminance(const QColor& c)
{
    const auto linear
        = [](float v) { return v <= 0.03928f ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
}

}  // namespace

double ContrastRatio(const QColor& a, const QColor& b)
{
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor DisabledColor(const QPalette& palette, const QColor& background)
{
    // The classic light palette's shadow on its face reads at about 2.3:1.
    constexpr double kReads = 2.0;
    for (const int index : {COLOR_3DSHADOW, COLOR_GRAYTEXT}) {
        const QColor colour = GetSysColor(index, palette);
        if (ContrastRatio(colour, background) >= kReads)
            return colour;
    }
    return palette.color(QPalette::Active, QPalette::ButtonText);
}

bool ReliefReads(const QColor& relief, const QColor& shape)
{
    constexpr double kClearlyLighter = 0.25;
    return Luminance(relief) - Luminance(shape) >= kClearlyLighter;
}
