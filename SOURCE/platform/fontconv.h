// Stored fonts (LOGFONT) and the fonts Qt draws with. A LOGFONT's height is
// in pixels of the screen it was chosen on: negative for the character
// height, positive for the cell height.
#pragma once

#include "platform/wintypes.h"

#include <QFont>
#include <QPalette>

constexpr u8 DEFAULT_CHARSET = 1;
constexpr u8 NONANTIALIASED_QUALITY = 3;
constexpr u8 ANTIALIASED_QUALITY = 4;
constexpr u8 CLEARTYPE_QUALITY = 5;
constexpr u8 FIXED_PITCH = 0x01;
constexpr u8 VARIABLE_PITCH = 0x02;
constexpr u8 FF_ROMAN = 0x10;
constexpr u8 FF_SWISS = 0x20;
constexpr u8 FF_MODERN = 0x30;
constexpr u8 FF_SCRIPT = 0x40;
constexpr u8 FF_DECORATIVE = 0x50;

// Whether a GUI application runs, so that the desktop's fonts, colours and
// screens can be asked for.
bool HasDesktop();

// The desktop's colour for a palette role, or the fallback without a desktop.
COLORREF DesktopColor(QPalette::ColorRole role, COLORREF fallback);
// The desktop's general font.
LOGFONT DesktopFont();

// The vertical logical resolution of the primary screen; 96 without one.
int ScreenLogicalDpi();

// A face that is not installed here becomes the desktop's general font, or
// its fixed font for a fixed-pitch or modern LOGFONT. dpi 0 means the
// screen's.
QFont QFontFromLogFont(const LOGFONT& font, int dpi = 0);
LOGFONT LogFontFromQFont(const QFont& font, int dpi = 0);
