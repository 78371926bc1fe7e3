// What the control tests share besides the pictures: the flat look.
#pragma once

#include "support/pictures.h"

#include <QRect>

// The flat look on for the whole test program.
void EnsureFlatLook();

// The contrast ratio against background of the pixel in the area that
// stands out most: how well drawn text there reads.
double StrongestContrast(const QImage& picture, const QRect& area, const QColor& background);
