// Reduction of a true-colour picture to a palette of a few colours, for
// pictures whose decoder cannot do it in red, green and blue itself: a
// median cut over a histogram of the colours, then error diffusion while
// each pixel takes the nearest palette colour.
#pragma once

#include "platform/wintypes.h"

#include <functional>

struct ReducedPalette {
    int count = 0;
    u8 red[256] = {};
    u8 green[256] = {};
    u8 blue[256] = {};
};

// rgb holds height rows of width pixels, 3 bytes each (red, green, blue),
// top row first. Each row of palette indexes is written to indexRow(y).
// maxColors is 1 to 256.
ReducedPalette ReduceColors(
    const u8* rgb, int width, int height, int maxColors, const std::function<u8*(int y)>& indexRow);
