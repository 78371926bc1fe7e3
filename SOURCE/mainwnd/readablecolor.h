// Colours chosen for a light desktop can vanish on a dark one: a text
// colour too close to its background gives way to the desktop's own.
#pragma once

#include <QColor>
#include <cstdlib>

inline QColor ReadableColor(const QColor& wanted, const QColor& background, const QColor& fallback)
{
    constexpr int kMinLightnessGap = 96;
    return std::abs(wanted.lightness() - background.lightness()) < kMinLightnessGap ? fallback : wanted;
}
