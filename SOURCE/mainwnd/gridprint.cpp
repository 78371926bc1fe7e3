// The contact list on paper: its shown columns, in their order and with
// their widths, become the columns of a report.
#include "core/utilities.h"
#include "mainwnd/rgridctrl.h"
#include "print/columnreport.h"

namespace {

CColumnReport ReportOf(const CRGridCtrl& grid, int inset)
{
    std::vector<ReportColumn> columns;
    for (const int id : grid.GetShownColumns()) {
        const GridColumnInfo& info = grid.GetColumnInfo(id);
        ReportColumn column;
        column.fieldId = u32(info.m_nFieldId);
        column.title = QString::fromUtf8(LoadResString(u32(info.m_nFieldId)));
        column.width = grid.GetColumnWidth(id);
        column.format = grid.GetColumnAlignment(id);
        column.imageOnly = (info.m_dwFlags & HDF_IMAGE) != 0;
        columns.push_back(column);
    }
    return CColumnReport(std::move(columns), inset);
}

}  // namespace

void CRGridCtrl::PrintHeader(bool draw, RECT& rect, CPrintDC& dc)
{
    ReportOf(*this, m_nInset).PrintHeader(draw, rect, dc);
}

int CRGridCtrl::PrintRow(bool draw, RECT& rect, CPrintDC& dc, const Contact& contact, bool force)
{
    return ReportOf(*this, m_nInset).PrintRow(draw, rect, dc, contact, force);
}
