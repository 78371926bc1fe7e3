// Tolva's own pictures for printing: the print styles of the print dialog
// and the buttons of the preview's tool bar, drawn at any size so they stay
// sharp at every scale.
#pragma once

#include "platform/wintypes.h"

#include <QIcon>

// The pictures of the preview tool bar, by their place in its strip.
enum PreviewPicture : int {
    PP_PRINT = 0,
    PP_PREVIOUS = 1,
    PP_NEXT = 2,
    PP_ONE_PAGE = 3,
    PP_TWO_PAGES = 4,
    PP_ZOOM_IN = 5,
    PP_ZOOM_OUT = 6,
    PP_PAGE_SETUP = 7,
    PP_CLOSE = 8,
};

QIcon PreviewIcon(PreviewPicture picture);
// The picture of a print style (memo, report, envelope, labels).
QIcon PrintStyleIcon(u32 style);
