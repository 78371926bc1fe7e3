#include "platform/recorddc.h"

#include <cstdlib>

TEXTMETRIC CRecordDC::Metrics(const LOGFONT& font) const
{
    const i32 h = std::abs(font.lfHeight);
    TEXTMETRIC tm;
    tm.tmHeight = h;
    tm.tmAscent = h * 4 / 5;
    tm.tmDescent = h - tm.tmAscent;
    tm.tmAveCharWidth = h / 2;
    return tm;
}

double CRecordDC::CharWidth(const LOGFONT& font, char16_t) const
{
    return double(std::abs(font.lfHeight) / 2);
}

CRecordDC::Item CRecordDC::Make(Kind kind) const
{
    const State& s = CurrentState();
    Item item;
    item.kind = kind;
    item.font = s.font;
    item.color = s.color;
    item.pen = s.pen;
    item.clipped = s.clipped;
    item.clip = s.clip;
    return item;
}

void CRecordDC::DrawText(i32 x, i32 y, const QString& text)
{
    Item item = Make(Kind::Text);
    item.at = {x, y};
    item.text = text;
    items.push_back(item);
}

void CRecordDC::DrawLine(POINT from, POINT to)
{
    Item item = Make(Kind::Line);
    item.at = from;
    item.to = to;
    items.push_back(item);
}

void CRecordDC::DrawRoundRect(const RECT& rect, i32 radius)
{
    Item item = Make(Kind::Frame);
    item.at = {rect.left, rect.top};
    item.to = {rect.right, rect.bottom};
    item.radius = radius;
    items.push_back(item);
}

std::vector<CRecordDC::Item> CRecordDC::OfKind(Kind kind) const
{
    std::vector<Item> result;
    for (const Item& item : items)
        if (item.kind == kind)
            result.push_back(item);
    return result;
}

std::vector<CRecordDC::Item> CRecordDC::Texts() const
{
    return OfKind(Kind::Text);
}

std::vector<CRecordDC::Item> CRecordDC::Lines() const
{
    return OfKind(Kind::Line);
}

std::vector<CRecordDC::Item> CRecordDC::Frames() const
{
    return OfKind(Kind::Frame);
}

const CRecordDC::Item* CRecordDC::FindText(const QString& text) const
{
    for (const Item& item : items)
        if (item.kind == Kind::Text && item.text == text)
            return &item;
    return nullptr;
}
