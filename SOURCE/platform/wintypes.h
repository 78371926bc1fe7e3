// Fixed-size records and numbers shared with stored files and the settings
// profile. Their layouts are part of the file format and must not change.
#pragma once

#include <cstdint>
#include <cstring>

using u8 = std::uint8_t;
using u16 = std::uint16_t;
using u32 = std::uint32_t;
using i32 = std::int32_t;
using u64 = std::uint64_t;

using COLORREF = u32;

constexpr COLORREF RGB(unsigned r, unsigned g, unsigned b)
{
    return COLORREF((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr unsigned GetRValue(COLORREF c)
{
    return c & 0xFF;
}
constexpr unsigned GetGValue(COLORREF c)
{
    return (c >> 8) & 0xFF;
}
constexpr unsigned GetBValue(COLORREF c)
{
    return (c >> 16) & 0xFF;
}

constexpr int LF_FACESIZE = 32;

// A font as it is stored: 60 bytes, the face name in UTF-8 and NUL-padded.
struct LOGFONT {
    i32 lfHeight = 0;
    i32 lfWidth = 0;
    i32 lfEscapement = 0;
    i32 lfOrientation = 0;
    i32 lfWeight = 0;
    u8 lfItalic = 0;
    u8 lfUnderline = 0;
    u8 lfStrikeOut = 0;
    u8 lfCharSet = 0;
    u8 lfOutPrecision = 0;
    u8 lfClipPrecision = 0;
    u8 lfQuality = 0;
    u8 lfPitchAndFamily = 0;
    char lfFaceName[LF_FACESIZE] = {};

    bool operator==(const LOGFONT& o) const { return std::memcmp(this, &o, sizeof *this) == 0; }
};
static_assert(sizeof(LOGFONT) == 60);

constexpr i32 FW_NORMAL = 400;
constexpr i32 FW_BOLD = 700;

struct SYSTEMTIME {
    u16 wYear = 0;
    u16 wMonth = 0;
    u16 wDayOfWeek = 0;
    u16 wDay = 0;
    u16 wHour = 0;
    u16 wMinute = 0;
    u16 wSecond = 0;
    u16 wMilliseconds = 0;

    bool operator==(const SYSTEMTIME&) const = default;
};
static_assert(sizeof(SYSTEMTIME) == 16);

struct RECT {
    i32 left = 0;
    i32 top = 0;
    i32 right = 0;
    i32 bottom = 0;
    bool operator==(const RECT&) const = default;
};
static_assert(sizeof(RECT) == 16);

struct POINT {
    i32 x = 0;
    i32 y = 0;
    bool operator==(const POINT&) const = default;
};

// A pen as it is stored: style, width (x and y) and colour.
struct LOGPEN {
    u32 lopnStyle = 0;
    POINT lopnWidth;
    COLORREF lopnColor = 0;
    bool operator==(const LOGPEN&) const = default;
};
static_assert(sizeof(LOGPEN) == 16);

struct SIZE {
    i32 cx = 0;
    i32 cy = 0;
    bool operator==(const SIZE&) const = default;
};

// MulDiv as the drawing code expects it: rounded, and -1 when the divisor is 0.
inline i32 MulDiv(i32 number, i32 numerator, i32 denominator)
{
    if (denominator == 0)
        return -1;
    const std::int64_t product = std::int64_t(number) * numerator;
    const std::int64_t half = (denominator < 0 ? -denominator : denominator) / 2;
    const std::int64_t rounded = ((product < 0) != (denominator < 0)) ? (product - half) / denominator
                                                                      : (product + half) / denominator;
    return i32(rounded);
}
