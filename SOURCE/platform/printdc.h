// The drawing context that printing draws through: logical unit 0.01 mm,
// y growing upwards, origin at the top-left corner of the printable area
// (so the page lies below y = 0). Fonts are LOGFONTs whose height is in
// logical units (negative: character height). Text is placed by the top-left
// corner of its cell, and every measure comes from the same code whatever the
// device, so pages measured before printing are the pages drawn.
#pragma once

#include "platform/wintypes.h"

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QPainterPath>
#include <QPointF>
#include <QRawFont>
#include <QString>
#include <QStringView>
#include <array>
#include <memory>
#include <optional>
#include <vector>

class QPainter;

struct TEXTMETRIC {
    i32 tmHeight = 0;  // ascent + descent: the height of a text cell
    i32 tmAscent = 0;
    i32 tmDescent = 0;
    i32 tmExternalLeading = 0;
    i32 tmAveCharWidth = 0;
};

constexpr u32 PS_SOLID = 0;
constexpr u32 PS_DOT = 2;

// Text alignment: x names the left end, the right end or the centre.
constexpr u32 TA_LEFT = 0;
constexpr u32 TA_RIGHT = 2;
constexpr u32 TA_CENTER = 6;

// Escapements of the two text directions besides the normal one.
constexpr i32 kEscapementUp = 900;
constexpr i32 kEscapementDown = 2700;

// The device's paper, in logical units.
struct PageCaps {
    i32 physicalWidth = 0;
    i32 physicalHeight = 0;
    i32 offsetX = 0;  // the unprintable strips at the left and the top
    i32 offsetY = 0;
    i32 printableWidth = 0;  // HORZRES and VERTRES
    i32 printableHeight = 0;

    i32 RightStrip() const { return physicalWidth - printableWidth - offsetX; }
    i32 BottomStrip() const { return physicalHeight - printableHeight - offsetY; }
    // The printable area: (0, 0) down to (printableWidth, -printableHeight).
    RECT DrawRect() const { return {0, 0, printableWidth, -printableHeight}; }
    // A whole sheet that is printable to its edges.
    static PageCaps FullPage(i32 width, i32 height) { return {width, height, 0, 0, width, height}; }
};

class CPrintDC {
public:
    explicit CPrintDC(const PageCaps& caps);
    virtual ~CPrintDC();
    CPrintDC(const CPrintDC&) = delete;
    CPrintDC& operator=(const CPrintDC&) = delete;

    const PageCaps& GetPageCaps() const { return m_caps; }

    // Each returns what it replaces.
    LOGFONT SelectFont(const LOGFONT& font);
    const LOGFONT& GetFont() const { return m_state.font; }
    COLORREF SetTextColor(COLORREF color);
    COLORREF GetTextColor() const { return m_state.color; }
    LOGPEN SelectPen(const LOGPEN& pen);
    const LOGPEN& GetPen() const { return m_state.pen; }
    u32 SetTextAlign(u32 align);
    u32 GetTextAlign() const { return m_state.align; }

    // Starts a new page on the same device: font, colour, pen, alignment and
    // clipping as a fresh context has them. The fonts made so far are kept,
    // so a job makes and measures each of its fonts once.
    void ResetState();
    // Saves font, colour, pen, alignment and clipping.
    void SaveDC();
    void RestoreDC();
    // Output is kept inside the rectangle (top above bottom).
    void IntersectClipRect(const RECT& rect);

    TEXTMETRIC GetTextMetrics() const;
    // The width of the text and the height of a text cell.
    SIZE GetTextExtent(QStringView text) const;
    // The width with each tab advancing to the next multiple of the stop.
    i32 GetTabbedTextExtent(QStringView text, i32 tabStop) const;
    // How many characters from the start fit the width, tabs expanded.
    qsizetype FitTabbedText(QStringView text, i32 width, i32 tabStop) const;

    void TextOut(i32 x, i32 y, QStringView text);
    void TabbedTextOut(i32 x, i32 y, QStringView text, i32 tabStop);
    void MoveTo(i32 x, i32 y);
    void LineTo(i32 x, i32 y);
    // The outline only.
    void FrameRect(const RECT& rect);
    void RoundRect(const RECT& rect, i32 radius);

protected:
    struct State {
        LOGFONT font;
        COLORREF color = 0;
        LOGPEN pen{PS_SOLID, {1, 0}, 0};
        u32 align = TA_LEFT;
        bool clipped = false;
        RECT clip;
    };
    const State& CurrentState() const { return m_state; }

    // Measures of a font; the device's own way may differ (tests use fixed ones).
    virtual TEXTMETRIC Metrics(const LOGFONT& font) const;
    // Text is measured character by character: the advance of each one,
    // without kerning, so that a line's width is the sum of its characters'.
    virtual double CharWidth(const LOGFONT& font, char16_t c) const;
    double Width(const LOGFONT& font, QStringView text) const;

    // A font made for drawing and measuring, with its measures. The few
    // fonts of a job are kept, since pagination asks for them all the time.
    struct FontEntry {
        LOGFONT logFont;
        QFont font;
        QFontMetricsF metrics;
        TEXTMETRIC textMetric;
        std::array<float, 256> latin1;  // negative until measured
        QHash<char16_t, float> others;
        // Drawing Latin text by its glyphs skips shaping it line by line;
        // made on first use.
        std::optional<QRawFont> raw;
        std::array<quint32, 256> glyphs{};  // 0 until looked up
    };
    const FontEntry& Entry(const LOGFONT& font) const;
    // Set when a kept font was dropped, so a font remembered by address may be gone.
    mutable bool m_painterFontsStale = false;

    // The text's cell starts at (x, y) in the direction of the font's escapement.
    virtual void DrawText(i32 x, i32 y, const QString& text) = 0;
    virtual void DrawLine(POINT from, POINT to) = 0;
    virtual void DrawRoundRect(const RECT& rect, i32 radius) = 0;
    // Called whenever the clipping changed.
    virtual void ClipChanged() { }

private:
    PageCaps m_caps;
    mutable std::vector<std::unique_ptr<FontEntry>> m_fonts;
    mutable const FontEntry* m_lastFont = nullptr;
    State m_state;
    std::vector<State> m_saved;
    POINT m_pos;
};

// Measures only; draws nothing. Pagination runs on it.
class CMeasureDC : public CPrintDC {
public:
    using CPrintDC::CPrintDC;

protected:
    void DrawText(i32, i32, const QString&) override { }
    void DrawLine(POINT, POINT) override { }
    void DrawRoundRect(const RECT&, i32) override { }
};

// Draws with a painter on any device: a printer, a PDF file, a window.
// scale is device pixels per logical unit; origin is where logical (0, 0)
// lies on the device, in device pixels.
class CPainterDC : public CPrintDC {
public:
    CPainterDC(QPainter& painter, const PageCaps& caps, double scale, QPointF origin = {});

protected:
    void DrawText(i32 x, i32 y, const QString& text) override;
    void DrawLine(POINT from, POINT to) override;
    void DrawRoundRect(const RECT& rect, i32 radius) override;
    void ClipChanged() override;

private:
    void ApplyPen();
    // Draws text of the Latin-1 range by its glyphs at the measured
    // advances; false for other text, which goes through shaping.
    bool DrawLatinGlyphs(const FontEntry& entry, QPointF baseline, const QString& text);

    QPainter& m_painter;
    double m_scale;
    const QFont* m_painterFont = nullptr;
    COLORREF m_painterColor = 0xFFFFFFFF;
    bool m_baseClipped = false;
    QPainterPath m_baseClip;  // in the painter's coordinates before ours
};
