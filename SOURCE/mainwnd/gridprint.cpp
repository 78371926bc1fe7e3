// The contact list on paper: its shown columns, in their order and with
// their widths, become the columns of a report.
#include "core/utilities.h"
#include "mainwnd/rgridctrl.h"
#include "print/columnreport.h"

#include <optional>
#include <tuple>

namespace {

// What a report's columns are made from: the shown columns with their
// widths and alignments, and the cell inset.
struct ReportKey {
    std::vector<std::tuple<int, int, u32>> columns;
    int inset = 0;
    bool operator==(const ReportKey&) const = default;
};

ReportKey KeyOf(const CRGridCtrl& grid, int inset)
{
    ReportKey key;
    key.inset = inset;
    for (const int id : grid.GetShownColumns())
        key.columns.emplace_back(id, grid.GetColumnWidth(id), grid.GetColumnAlignment(id));
    return key;
}

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

// A job asks for the same columns row after row: their titles are looked
// up once, and made anew only when the shown columns change.
CColumnReport& CachedReport(const CRGridCtrl& grid, int inset)
{
    static std::optional<ReportKey> key;
    static std::optional<CColumnReport> report;
    ReportKey now = KeyOf(grid, inset);
    if (!report || !(*key == now)) {
        report.emplace(ReportOf(grid, inset));
        key = std::move(now);
    }
    return *report;
}

}  // namespace

void CRGridCtrl::PrintHeader(bool draw, RECT& rect, CPrintDC& dc)
{
    CachedReport(*this, m_nInset).PrintHeader(draw, rect, dc);
}

int CRGridCtrl::PrintRow(bool draw, RECT& rect, CPrintDC& dc, const Contact& contact, bool force)
{
    return CachedReport(*this, m_nInset).PrintRow(draw, rect, dc, contact, force);
}
