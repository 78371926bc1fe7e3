// A report laid out in columns: the contact list hands its shown columns
// over, and this draws the column-title row and a contact's row on a page,
// the column widths scaled to the page's width.
#pragma once

#include "print/printinfo.h"

#include <QString>
#include <vector>

// Column alignment, the low bits of a column's format.
constexpr u32 kColumnAlignRight = 1;
constexpr u32 kColumnAlignCenter = 2;
constexpr u32 kColumnAlignMask = 3;

struct ReportColumn {
    u32 fieldId = 0;  // the contact field shown
    QString title;
    i32 width = 0;  // on screen, pixels
    u32 format = 0;  // alignment bits
    bool imageOnly = false;  // shows a picture only: not printed
};

class CColumnReport : public CReportPrinter {
public:
    // inset: the space on either side of a cell's text on screen, pixels.
    explicit CColumnReport(std::vector<ReportColumn> columns, i32 inset = 2);

    void PrintHeader(bool draw, RECT& rect, CPrintDC& dc) override;
    int PrintRow(bool draw, RECT& rect, CPrintDC& dc, const Contact& contact, bool force) override;

    // Logical units per screen pixel for the rectangle: the whole number of
    // times the columns fit across it; 0 when there are no widths at all.
    i32 Scale(const RECT& rect) const;

private:
    std::vector<ReportColumn> m_columns;
    i32 m_inset;
};
