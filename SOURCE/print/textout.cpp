#include "print/textout.h"

namespace {

bool IsBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

bool IsLineBreak(QChar c)
{
    return c == QLatin1Char('\r') || c == QLatin1Char('\n');
}

}  // namespace

qsizetype WrapLineEnd(
    const CPrintDC& dc, QStringView text, qsizetype pos, qsizetype paragraphEnd, i32 width, i32 tabStop)
{
    qsizetype end = pos + dc.FitTabbedText(text.mid(pos, paragraphEnd - pos), width, tabStop);
    if (end == pos && paragraphEnd > pos)
        return pos + 1;  // not even one character fits: it goes on a line of its own
    if (end >= paragraphEnd)
        return end;
    for (qsizetype at = end; at > pos; --at) {
        if (IsBlank(text[at]))
            return at;
        // A hyphen ends its line; one that begins the line does not.
        if (text[at - 1] == QLatin1Char('-') && at - 1 > pos)
            return at;
    }
    return end;
}

qsizetype SkipBlanks(QStringView text, qsizetype pos, qsizetype end)
{
    while (pos < end && IsBlank(text[pos]))
        ++pos;
    return pos;
}

i32 TabWidth(const CPrintDC& dc)
{
    return 8 * dc.GetTextMetrics().tmAveCharWidth;
}

qsizetype PrintTextInRect(bool draw, CPrintDC& dc, RECT& rect, QStringView text, bool force)
{
    const TEXTMETRIC tm = dc.GetTextMetrics();
    const i32 lineHeight = tm.tmHeight + tm.tmExternalLeading;
    const i32 tabStop = std::max(1, TabWidth(dc) / 8 / 4);
    const i32 width = rect.right - rect.left;
    i32 x = rect.left;
    if (dc.GetTextAlign() == TA_RIGHT)
        x = rect.right;
    else if (dc.GetTextAlign() == TA_CENTER)
        x = rect.left + width / 2;
    if (draw) {
        dc.SaveDC();
        dc.IntersectClipRect(rect);
    }

    i32 y = rect.top;
    qsizetype pos = 0;
    bool first = true;
    while (pos < text.size()) {
        if (y - lineHeight < rect.bottom && !(force && first))
            break;
        qsizetype paragraphEnd = pos;
        while (paragraphEnd < text.size() && !IsLineBreak(text[paragraphEnd]))
            ++paragraphEnd;
        const qsizetype end = WrapLineEnd(dc, text, pos, paragraphEnd, width, tabStop);
        if (draw)
            dc.TabbedTextOut(x, y, text.mid(pos, end - pos), tabStop);
        y -= lineHeight;
        pos = end;
        if (pos < paragraphEnd) {
            pos = SkipBlanks(text, pos, paragraphEnd);
        } else {
            while (pos < text.size() && text[pos] == QLatin1Char('\r'))
                ++pos;
            if (pos < text.size() && text[pos] == QLatin1Char('\n'))
                ++pos;
        }
        first = false;
    }

    if (draw)
        dc.RestoreDC();
    rect.bottom = y;
    return pos;
}

int FitTextToRect(bool draw, RECT& rect, CPrintDC& dc, QStringView text)
{
    if (text.isEmpty())
        return 1;
    RECT measured = rect;
    if (PrintTextInRect(false, dc, measured, text) < text.size())
        return 0;
    if (draw) {
        RECT drawn = rect;
        PrintTextInRect(true, dc, drawn, text);
    }
    rect.top = measured.bottom;
    return 1;
}
