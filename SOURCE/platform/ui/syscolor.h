// The system colours that the drawing code names, read from the desktop
// palette at each drawing so a change of palette shows at once.
#pragma once

#include "platform/wintypes.h"

#include <QColor>

class QPalette;
class QWidget;

enum SysColor : int {
    COLOR_MENU = 4,
    COLOR_WINDOW = 5,
    COLOR_WINDOWFRAME = 6,
    COLOR_MENUTEXT = 7,
    COLOR_WINDOWTEXT = 8,
    COLOR_HIGHLIGHT = 13,
    COLOR_HIGHLIGHTTEXT = 14,
    COLOR_3DFACE = 15,
    COLOR_3DSHADOW = 16,
    COLOR_GRAYTEXT = 17,
    COLOR_BTNTEXT = 18,
    COLOR_3DHILIGHT = 20,
    COLOR_3DDKSHADOW = 21,
    COLOR_3DLIGHT = 22,
};

QColor GetSysColor(int index, const QPalette& palette);
// From the widget's palette (which follows the desktop's unless the widget
// was given its own), or the application palette when there is no widget.
QColor GetSysColor(int index, const QWidget* widget = nullptr);

// How well two colours read as text on ground: 1 (not at all) to 21 (black
// on white), from their relative luminance.
double ContrastRatio(const QColor& a, const QColor& b);
// What disabled text and images are drawn in on background: the shadow
// colour, as the classic look has it, where that still reads; else the
// palette's grey text, else its text colour. On a dark palette the shadow
// is darker than the face and all but vanishes.
QColor DisabledColor(const QPalette& palette, const QColor& background);
// Whether the highlight drawn one pixel off under disabled text or images
// reads as relief: only when it is clearly lighter than what is drawn over
// it. Under light grey text on a dark palette it is a smear.
bool ReliefReads(const QColor& relief, const QColor& shape);

inline QColor ColorFromRef(COLORREF c)
{
    return QColor(int(GetRValue(c)), int(GetGValue(c)), int(GetBValue(c)));
}
inline COLORREF RefFromColor(const QColor& c)
{
    return RGB(unsigned(c.red()), unsigned(c.green()), unsigned(c.blue()));
}

// A colour that is either a system colour, read at each drawing, or a fixed
// one chosen by the program.
class ThemeColor {
public:
    ThemeColor(SysColor index)
        : m_index(index)
    {
    }
    ThemeColor(const QColor& colour)
        : m_colour(colour)
    {
    }

    QColor Resolve(const QPalette& palette) const
    {
        return m_index >= 0 ? GetSysColor(m_index, palette) : m_colour;
    }
    bool IsSystem() const { return m_index >= 0; }

private:
    int m_index = -1;
    QColor m_colour;
};
