// What one print job carries from pass to pass: the page range, the page
// being drawn and its rectangle, whether it runs for the preview, and the
// contact grid that lays out report rows.
#pragma once

#include "platform/printdc.h"
#include "platform/wintypes.h"

#include <string>

class Contact;

// The report style prints the contact list's heading and rows; the list
// knows its columns, so it does the drawing.
class CReportPrinter {
public:
    virtual ~CReportPrinter() = default;
    // The column-title row at the rectangle's top; the top moves below it.
    virtual void PrintHeader(bool draw, RECT& rect, CPrintDC& dc) = 0;
    // The contact's row at the rectangle's top; the top moves below it.
    // 1 when the row does not fit above the rectangle's bottom (nothing is
    // drawn then) unless force is set, which places it anyway.
    virtual int PrintRow(bool draw, RECT& rect, CPrintDC& dc, const Contact& contact, bool force) = 0;
};

constexpr u32 kUnknownMaxPage = 0xFFFF;

class CPrintInfo {
public:
    u32 GetMinPage() const { return m_nMinPage; }
    u32 GetMaxPage() const { return m_nMaxPage; }
    void SetMaxPage(u32 page) { m_nMaxPage = page; }
    // The first and last page to print, kept within the job's pages.
    u32 GetFromPage() const;
    u32 GetToPage() const;

    u32 m_nMinPage = 1;
    u32 m_nMaxPage = kUnknownMaxPage;
    u32 m_nFromPage = 1;
    u32 m_nToPage = kUnknownMaxPage;
    u32 m_nCurPage = 1;
    RECT m_rectDraw;
    bool m_bPreview = false;
    bool m_bContinuePrinting = true;
    // Set when the contacts of the range are already flagged for printing.
    bool m_bContactsFlagged = false;
    CReportPrinter* m_pReport = nullptr;
    std::string m_strPageDesc = "Page %u\nPages %u-%u\n";
};

inline u32 CPrintInfo::GetFromPage() const
{
    return m_nFromPage < m_nMinPage ? m_nMinPage : m_nFromPage;
}

inline u32 CPrintInfo::GetToPage() const
{
    return m_nToPage > m_nMaxPage ? m_nMaxPage : m_nToPage;
}
