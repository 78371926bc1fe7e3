// A drawing context that records what is drawn instead of drawing it, with
// simple fixed measures: every character is half as wide as the font is high,
// and a text cell is exactly the font's height. Tests check positions on it.
#pragma once

#include "platform/printdc.h"

#include <vector>

class CRecordDC : public CPrintDC {
public:
    enum class Kind { Text, Line, Frame };
    struct Item {
        Kind kind = Kind::Text;
        POINT at;  // text: the cell's start; line: the start; frame: left, top
        POINT to;  // line: the end; frame: right, bottom
        QString text;
        LOGFONT font;
        COLORREF color = 0;
        LOGPEN pen;
        i32 radius = 0;
        bool clipped = false;
        RECT clip;
    };

    explicit CRecordDC(const PageCaps& caps)
        : CPrintDC(caps)
    {
    }

    std::vector<Item> items;

    std::vector<Item> Texts() const;
    std::vector<Item> Lines() const;
    std::vector<Item> Frames() const;
    // The first text item that is exactly the text; null when none is.
    const Item* FindText(const QString& text) const;

protected:
    TEXTMETRIC Metrics(const LOGFONT& font) const override;
    double CharWidth(const LOGFONT& font, char16_t c) const override;
    void DrawText(i32 x, i32 y, const QString& text) override;
    void DrawLine(POINT from, POINT to) override;
    void DrawRoundRect(const RECT& rect, i32 radius) override;

private:
    Item Make(Kind kind) const;
    std::vector<Item> OfKind(Kind kind) const;
};
