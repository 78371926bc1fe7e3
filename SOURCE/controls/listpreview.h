// A painted sample of the contact list's look for the preferences: a header
// row in the header font and a list row in the list font, with the grid
// lines, background and text colours chosen there.
#pragma once

#include "controls/styledline.h"
#include "platform/wintypes.h"

#include <QWidget>

class CListPreviewStatic : public QWidget {
    Q_OBJECT
public:
    // Line styles: 0 solid, 1-4 the styled-line styles, 5 no grid lines.
    static constexpr int kSolidLines = 0;
    static constexpr int kNoLines = 5;

    using QWidget::QWidget;

    // The caller repaints.
    void SetSample(const LOGFONT& headerFont, const LOGFONT& listFont, int lineStyle, COLORREF gridColour,
        COLORREF background, COLORREF headerText, COLORREF listText);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    LOGFONT m_headerFont;
    LOGFONT m_listFont;
    int m_nLineStyle = kSolidLines;
    COLORREF m_gridColour = 0x808080;
    COLORREF m_background = 0xFFFFFF;
    COLORREF m_headerText = 0;
    COLORREF m_listText = 0;
    StyledLine m_line;
};
