// The title strip across the top of the program's dialogs and pages: a
// solid (or shaded) background, an optional border, and the caption text in
// its own font.
#pragma once

#include "platform/ui/syscolor.h"

#include <QLabel>

constexpr u32 DT_LEFT = 0x0;
constexpr u32 DT_CENTER = 0x1;
constexpr u32 DT_RIGHT = 0x2;
constexpr u32 DT_VCENTER = 0x4;
constexpr u32 DT_BOTTOM = 0x8;
constexpr u32 DT_SINGLELINE = 0x20;
constexpr u32 DT_NOCLIP = 0x100;
constexpr u32 kCaptionFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP;

// The alignment a DrawText format asks for.
Qt::Alignment AlignmentOf(u32 drawTextFormat);

// The text colour, or, when it would hardly show on the background (the
// window colour on the shadow colour of a dark desktop), the palette's
// window or text colour, whichever shows more.
QColor LegibleOn(const QColor& text, const QColor& background, const QPalette& palette);

class CGradientCaption : public QLabel {
    Q_OBJECT
public:
    explicit CGradientCaption(QWidget* parent = nullptr);

    void SetColors(
        ThemeColor start, ThemeColor end, ThemeColor border, int borderWidth, bool gradient, int steps);
    // Returns false when the control has no font to start from.
    bool SetFont(ThemeColor text, u32 drawTextFormat, int pointSize, bool bold, bool italic,
        const char* faceName = nullptr);

    // The title strip of the program's dialogs and pages: the window colour on
    // the shadow colour, centred on one line.
    void SetDialogLook(int pointSize, bool bold);

    // The room at each end of the words, in dialog units.
    static constexpr int kTextInset = 4;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ThemeColor m_text = COLOR_WINDOWTEXT;
    ThemeColor m_start = COLOR_3DFACE;
    ThemeColor m_end = COLOR_3DFACE;
    ThemeColor m_border = COLOR_3DFACE;
    int m_borderWidth = 0;
    bool m_gradient = false;
    int m_steps = 256;
    u32 m_format = kCaptionFormat;
};
