// Font texts and measures shared by the dialogs and views.
#pragma once

#include "platform/wintypes.h"

#include <string>

class QFont;

// "10pt. DejaVu Sans": the size in points at the given logical resolution.
std::string FormatFontName(const LOGFONT& font, int logicalDpi);
// The size of one line of text in the font, tabs expanded.
SIZE GetWindowTextExtent(const QFont& font, const std::string& text);
// Whether an installed font family holds the face name (case-sensitive).
bool IsFontInstalled(const char* face);
