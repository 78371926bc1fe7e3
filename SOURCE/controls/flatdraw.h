// Drawing primitives of the program's flat and 3-D looks: frames built from
// one-pixel rectangles in system colours, edges, and pixel-exact polylines.
#pragma once

#include <QColor>
#include <QPoint>
#include <QRect>
#include <initializer_list>

class QPainter;
class QPalette;

// The sizes the classic desktop gives its scroll bars and edges.
constexpr int SM_CXEDGE = 2;
constexpr int SM_CXHSCROLL = 17;
constexpr int SM_CXHTHUMB = 17;

// A one-pixel rectangle: topLeft on the top and left sides, bottomRight on
// the right and bottom sides (the top-right and bottom-left corner pixels
// take bottomRight).
void Draw3dRect(QPainter& p, const QRect& r, const QColor& topLeft, const QColor& bottomRight);

// Nested one-pixel rectangles, each one pixel inside the one before, with
// colours given as system colour indices in pairs (top-left, bottom-right):
// two pairs make a double frame, three a triple frame.
void DrawFrames(QPainter& p, const QRect& r, const QPalette& palette, std::initializer_list<int> colours);

constexpr unsigned BDR_RAISEDOUTER = 0x1;
constexpr unsigned BDR_SUNKENOUTER = 0x2;
constexpr unsigned BDR_RAISEDINNER = 0x4;
constexpr unsigned BDR_SUNKENINNER = 0x8;
constexpr unsigned EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER;
constexpr unsigned EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER;
constexpr unsigned BF_LEFT = 0x1;
constexpr unsigned BF_TOP = 0x2;
constexpr unsigned BF_RIGHT = 0x4;
constexpr unsigned BF_BOTTOM = 0x8;
constexpr unsigned BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM;

// A two-pixel 3-D edge on the chosen sides of the rectangle.
void DrawEdge(QPainter& p, const QRect& r, unsigned edge, unsigned sides, const QPalette& palette);

// Lines drawn as a classic device context draws them: each LineTo stops one
// pixel short of its end point, which becomes the next start. Only
// horizontal, vertical and 45-degree lines are drawn.
class PixelPen {
public:
    PixelPen(QPainter& p, const QColor& colour)
        : m_painter(p)
        , m_colour(colour)
    {
    }
    void SetColour(const QColor& colour) { m_colour = colour; }
    void MoveTo(int x, int y) { m_at = QPoint(x, y); }
    void LineTo(int x, int y);

private:
    QPainter& m_painter;
    QColor m_colour;
    QPoint m_at;
};

enum class ArrowDirection { Up, Down, Left, Right };
// A solid arrow glyph centred in the rectangle, its base size pixels long.
void DrawArrowGlyph(QPainter& p, const QRect& r, ArrowDirection direction, int size, const QColor& colour);
