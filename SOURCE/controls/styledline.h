// Dash-and-dot lines for grid lines on screen and paper. Only horizontal and
// vertical lines are drawn, in the painter's pen, from the first end point up
// to (not including) the second.
#pragma once

#include <vector>

class QPainter;
class QPaintDevice;

class StyledLine {
public:
    // Devices wider than this draw the short runs two pixels long.
    static constexpr int kWideDevice = 800;

    // Takes the device's width in pixels (for a window, its screen's), which
    // sets the unit of the short runs.
    void SetDC(const QPaintDevice* device);

    void DrawLine(QPainter& p, int x1, int y1, int x2, int y2, int style);

    // The run lengths of a style, alternately drawn and skipped.
    std::vector<int> Runs(int style) const;

private:
    int m_nRun = 0;
    int m_nHorzRes = 0;
};
