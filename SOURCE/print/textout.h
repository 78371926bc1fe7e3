// Word-wrapped text in a rectangle, shared by the print styles and the
// contact list's report rows.
#pragma once

#include "platform/printdc.h"

#include <QStringView>

// Places as many whole lines of the text as fit between the rectangle's top
// and bottom, in the DC's font, wrapping at white space (inside a word when a
// line has none). A line break (CR, LF or CR LF) starts a new paragraph.
// force places the first line even when it does not fit. Sets the bottom
// to the y below the last line placed; returns the characters used.
qsizetype PrintTextInRect(bool draw, CPrintDC& dc, RECT& rect, QStringView text, bool force = false);

// 1 when the whole text fits (an empty text at once): then the top moves
// down by the height used. 0 otherwise, and nothing is drawn.
int FitTextToRect(bool draw, RECT& rect, CPrintDC& dc, QStringView text);

// Where the line that starts at pos ends within the paragraph ending at
// paragraphEnd, when the line may be width wide: at the last blank or after
// the last hyphen that leaves the line fitting, inside a word only when the
// line has neither; at least one character.
qsizetype WrapLineEnd(
    const CPrintDC& dc, QStringView text, qsizetype pos, qsizetype paragraphEnd, i32 width, i32 tabStop);
// The first character from pos on that is no blank.
qsizetype SkipBlanks(QStringView text, qsizetype pos, qsizetype end);

// The width of a tab in the DC's font: eight average characters.
i32 TabWidth(const CPrintDC& dc);
