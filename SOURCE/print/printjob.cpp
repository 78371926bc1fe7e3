// The passes of a print job: fonts and pens, collecting, sorting and
// paginating the contacts, drawing one page, and the page header and footer.
#include "core/dataman.h"
#include "core/fieldtexts.h"
#include "core/userman.h"
#include "platform/fontconv.h"
#include "print/printinfo.h"
#include "print/printman.h"

#include <QLocale>
#include <algorithm>
#include <cstdint>

namespace {

constexpr i32 kTrueTypeOnly = 7;  // OUT_TT_ONLY_PRECIS
constexpr i32 kLogicalPerInch = 2540;
constexpr i32 kTwipsPerInch = 1440;
constexpr i32 kDefaultFontHeight = -13;  // 10 points on a screen of 96 dots per inch

i32 TwipsToLogical(i32 twips)
{
    return MulDiv(twips, kLogicalPerInch, kTwipsPerInch);
}

// The name the contact list's name column shows.
const std::string& SortName(const Contact& contact, u32 nameColumn)
{
    switch (nameColumn) {
    case 0:
        return contact.m_strFirstName;
    case 1:
        return contact.m_strLastName;
    default:
        return contact.m_strName;
    }
}

int CompareNoCase(const std::string& a, const std::string& b)
{
    return QString::compare(QString::fromUtf8(a), QString::fromUtf8(b), Qt::CaseInsensitive);
}

}  // namespace

LOGFONT PrintFontFromScreenFont(const LOGFONT& font)
{
    LOGFONT lf = font;
    // A height of 0 asks for the usual size.
    if (lf.lfHeight == 0)
        lf.lfHeight = kDefaultFontHeight;
    if (lf.lfOutPrecision < 2)
        lf.lfOutPrecision = kTrueTypeOnly;
    const i32 points = -MulDiv(lf.lfHeight, 72, ScreenLogicalDpi());
    lf.lfHeight = -MulDiv(points, kLogicalPerInch, 72);
    return lf;
}

namespace {

// The share of the paper the margins leave at least, in quarters.
using i64 = std::int64_t;
constexpr i32 kTextQuarters = 1;

// The two margins of one direction, shrunk in proportion until the text
// keeps its share of the paper.
void FitPair(i32& first, i32& second, i32 paper)
{
    const i64 room = i64(paper) * (4 - kTextQuarters) / 4;
    const i64 sum = i64(first) + second;
    if (sum <= room || sum <= 0)
        return;
    first = i32(i64(first) * room / sum);
    second = i32(i64(second) * room / sum);
}

}  // namespace

bool MarginsFitPaper(const RECT& m, i32 paperWidth, i32 paperHeight)
{
    return m.left >= 0 && m.top >= 0 && m.right >= 0 && m.bottom >= 0
        && i64(m.left) + m.right <= i64(paperWidth) * (4 - kTextQuarters) / 4
        && i64(m.top) + m.bottom <= i64(paperHeight) * (4 - kTextQuarters) / 4;
}

RECT MarginsWithinPaper(const RECT& margins, const RECT& minimum, i32 paperWidth, i32 paperHeight)
{
    RECT m{std::max({margins.left, minimum.left, 0}), std::max({margins.top, minimum.top, 0}),
        std::max({margins.right, minimum.right, 0}), std::max({margins.bottom, minimum.bottom, 0})};
    FitPair(m.left, m.right, paperWidth);
    FitPair(m.top, m.bottom, paperHeight);
    return m;
}

RECT LeastPrintMargins(const RECT& marginsMin, const PageCaps& caps)
{
    const RECT strips{caps.offsetX, caps.offsetY, caps.RightStrip(), caps.BottomStrip()};
    return MarginsWithinPaper(marginsMin, strips, caps.physicalWidth, caps.physicalHeight);
}

RECT PrintMarginsOnSheet(const RECT& margins, const RECT& marginsMin, const PageCaps& caps)
{
    return MarginsWithinPaper(
        margins, LeastPrintMargins(marginsMin, caps), caps.physicalWidth, caps.physicalHeight);
}

void PrintMan::SetSources(DataMan* dataMan, UserMan* userMan)
{
    m_pDataMan = dataMan;
    m_pUserMan = userMan;
    if (userMan)
        m_addressFormats = &userMan->m_addressFormats;
}

void PrintMan::PrepareDC(CPrintDC& dc) const
{
    dc.SetTextColor(RGB(0, 0, 0));
}

void PrintMan::CreateGdiObjects()
{
    int header = PTE_MEMO_HEADER, footer = PTE_MEMO_FOOTER, body = PTE_MEMO_TEXT;
    if (m_Printmode == PM_REPORT) {
        header = PTE_REPORT_HEADER;
        footer = PTE_REPORT_FOOTER;
    } else if (m_Printmode == PM_ENVELOPE) {
        header = PTE_RETURN_ADDRESS;
        footer = PTE_DELIVERY_ADDRESS;
    }
    if (m_Printmode != PM_MEMO)
        body = PTE_REPORT_TEXT;
    m_jobFonts[JF_HEADER] = PrintFontFromScreenFont(*GetFont(header));
    m_jobFonts[JF_BODY] = PrintFontFromScreenFont(*GetFont(body));
    m_jobFonts[JF_BOLD] = m_jobFonts[JF_BODY];
    m_jobFonts[JF_BOLD].lfWeight = FW_BOLD;
    m_jobFonts[JF_FOOTER] = PrintFontFromScreenFont(*GetFont(footer));
    m_jobPens[JP_THIN] = {PS_SOLID, {2, 0}, RGB(0, 0, 0)};
    m_jobPens[JP_WIDE] = {PS_SOLID, {80, 0}, RGB(0, 0, 0)};
    m_jobPens[JP_DOTTED] = {PS_DOT, {1, 0}, RGB(102, 102, 102)};
}

void PrintMan::ComputeMargins(const PageCaps& caps)
{
    RECT& m = m_printMargins;
    switch (m_Printmode) {
    case PM_ENVELOPE:
        m = {caps.offsetX, caps.offsetY, caps.RightStrip(), caps.BottomStrip()};
        break;
    case PM_LABELS: {
        const LabelDefinition& l = m_Label;
        const i32 columns = l.m_wColumns, rows = l.m_wRows;
        const i32 width = TwipsToLogical(l.m_wWidth), height = TwipsToLogical(l.m_wHeight);
        const i32 left = TwipsToLogical(l.m_wLeftMargin), top = TwipsToLogical(l.m_wTopMargin);
        const i32 columnSpacing = TwipsToLogical(l.m_wColumnSpacing);
        const i32 rowSpacing = TwipsToLogical(l.m_wRowSpacing);
        m.left = left - caps.offsetX;
        m.top = top - caps.offsetY;
        m.right
            = caps.physicalWidth - (columns - 1) * columnSpacing - columns * width - left - caps.RightStrip();
        m.bottom = caps.physicalHeight - (rows - 1) * rowSpacing - rows * height - top - caps.BottomStrip();
        break;
    }
    default: {
        // Text never lands in the strips the printer cannot print on.
        const RECT paper = PrintMarginsOnSheet(m_Margins, m_MarginsMin, caps);
        m = {paper.left - caps.offsetX, paper.top - caps.offsetY, paper.right - caps.RightStrip(),
            paper.bottom - caps.BottomStrip()};
        break;
    }
    }
}

void PrintMan::CollectContacts()
{
    m_contacts.clear();
    if (!m_pDataMan)
        return;
    std::vector<const Contact*> chosen;
    for (int i = 0; i < m_pDataMan->GetContactCount(); ++i) {
        Contact* contact = m_pDataMan->GetContactAt(i);
        if (contact->m_dwDisplayFlags & CDF_PRINT) {
            contact->m_dwDisplayFlags &= ~CDF_PRINT;
            chosen.push_back(contact);
        }
    }
    // A stable sort: contacts of equal names keep the store's order.
    std::stable_sort(chosen.begin(), chosen.end(),
        [this](const Contact* a, const Contact* b) { return CompareContacts(*a, *b) == 0; });
    m_contacts.reserve(chosen.size());
    for (const Contact* contact : chosen)
        m_contacts.push_back(contact->m_duID);
}

const Contact* PrintMan::JobContact(size_t index) const
{
    return index < m_contacts.size() && m_pDataMan ? m_pDataMan->FindContact(m_contacts[index]) : nullptr;
}

int PrintMan::CompareContacts(const Contact& a, const Contact& b) const
{
    const u32 nameColumn = m_pUserMan ? m_pUserMan->m_dwNameColumnFlags : 1;
    const std::string& na = SortName(a, nameColumn);
    const std::string& nb = SortName(b, nameColumn);
    if ((!na.empty() || !nb.empty()) && CompareNoCase(na, nb) < 0)
        return 0;
    return 1;
}

void PrintMan::BeginPrinting(CPrintDC& dc, CPrintInfo& info)
{
    CreateGdiObjects();
    m_pageContact.assign(1, 0);
    m_pageField.assign(1, 0);
    m_pageOffset.assign(1, 0);
    m_curContact = m_curField = m_textOffset = 0;
    m_printStart = GetLocalNow();
    m_firstOnPage = true;
    ComputeMargins(dc.GetPageCaps());
    info.m_rectDraw = dc.GetPageCaps().DrawRect();
    CollectContacts();
    info.SetMaxPage(CountPages(dc, info));
}

RECT PrintMan::BodyRect(bool draw, const RECT& page, CPrintDC& dc, const CPrintInfo& info)
{
    RECT body = page;
    body.top = PrintHeader(draw, page, dc, info);
    body.bottom = PrintFooter(draw, page, dc, info);
    return body;
}

u32 PrintMan::CountPages(CPrintDC& dc, CPrintInfo& info)
{
    const u32 contacts = u32(m_contacts.size());
    m_labelLinesLeftOut = m_Printmode == PM_LABELS && !LabelTextsFit(dc);
    CountAddressless();
    switch (m_Printmode) {
    case PM_ENVELOPE:
        return contacts;
    case PM_LABELS: {
        if (m_LabelPrintRange != PR_LABEL_SELECTION)
            return 1;
        const u32 perSheet = u32(m_Label.m_wRows) * m_Label.m_wColumns;
        return perSheet ? (contacts + perSheet - 1) / perSheet : 0;
    }
    default:
        break;
    }
    const RECT& m = m_printMargins;
    const RECT page{info.m_rectDraw.left + m.left, info.m_rectDraw.top - m.top,
        info.m_rectDraw.right - m.right, info.m_rectDraw.bottom + m.bottom};
    while (m_curContact < contacts) {
        m_pageContact.push_back(m_curContact);
        m_pageField.push_back(m_curField);
        m_pageOffset.push_back(m_textOffset);
        info.m_nCurPage = u32(m_pageContact.size() - 1);
        PrintBody(false, BodyRect(false, page, dc, info), dc, info);
    }
    const u32 pages = u32(m_pageContact.size() - 1);
    m_curContact = m_curField = m_textOffset = 0;
    info.m_nCurPage = info.GetMinPage();
    return pages;
}

void PrintMan::PrintBody(bool draw, RECT body, CPrintDC& dc, CPrintInfo& info)
{
    m_firstOnPage = true;
    m_pageEmpty = true;
    const u32 fieldCount = u32(m_Fields.size());
    while (m_curContact < m_contacts.size()) {
        const Contact* contact = JobContact(m_curContact);
        if (!contact) {
            // Deleted since the job was laid out: its place stays empty.
            ++m_curContact;
            m_curField = m_textOffset = 0;
            continue;
        }
        const int full = PrintRecord(draw, body, dc, *contact, info);
        m_firstOnPage = false;
        if (m_curField >= fieldCount) {
            if (full)
                break;
            ++m_curContact;
            m_curField = m_textOffset = 0;
        } else if (full) {
            break;
        }
    }
}

void PrintMan::PrintPage(CPrintDC& dc, CPrintInfo& info)
{
    const u32 page = info.m_nCurPage;
    const RECT& r = info.m_rectDraw;
    const RECT& m = m_printMargins;
    switch (m_Printmode) {
    case PM_ENVELOPE: {
        const Contact* contact = page >= 1 ? JobContact(page - 1) : nullptr;
        if (!contact)
            return;
        const RECT paper{r.left - m.left, r.top + m.top, r.right + m.right, r.bottom - m.bottom};
        PrintEnvelope(dc, EnvelopeRect(paper, dc.GetPageCaps().physicalWidth), *contact, info.m_bPreview);
        return;
    }
    case PM_LABELS:
        PrintLabels(dc, {r.left + m.left, r.top - m.top, r.right - m.right, r.bottom + m.bottom}, r, page,
            info.m_bPreview);
        return;
    default:
        break;
    }
    if (page < 1 || page >= m_pageContact.size())
        return;
    m_curContact = m_pageContact[page];
    m_curField = m_pageField[page];
    m_textOffset = m_pageOffset[page];
    const RECT pageRect{r.left + m.left, r.top - m.top, r.right - m.right, r.bottom + m.bottom};
    const RECT body = BodyRect(true, pageRect, dc, info);
    PrintBody(true, body, dc, info);
    if (m_Printmode == PM_REPORT) {
        const LOGPEN pen = dc.SelectPen(m_jobPens[JP_WIDE]);
        dc.MoveTo(body.left, body.top);
        dc.LineTo(body.left, body.bottom);
        dc.LineTo(body.right, body.bottom);
        dc.LineTo(body.right, body.top);
        dc.SelectPen(pen);
    }
}

void PrintMan::EndPrinting()
{
    m_contacts.clear();
    m_pageContact.clear();
    m_pageField.clear();
    m_pageOffset.clear();
}

void PrintMan::DrawTextLine(
    const RECT& rect, i32 y, i32 ruleY, CPrintDC& dc, const CPrintInfo& info, bool header)
{
    const bool memo = m_Printmode == PM_MEMO;
    const int element = header ? (memo ? PTE_MEMO_HEADER : PTE_REPORT_HEADER)
                               : (memo ? PTE_MEMO_FOOTER : PTE_REPORT_FOOTER);
    const PrintTextParts& parts
        = header ? (memo ? m_memoHead : m_reportHead) : (memo ? m_memoFoot : m_reportFoot);
    const COLORREF color = dc.SetTextColor(GetColor(element));
    const QString left = ExpandPlaceholders(parts[0], info);
    const QString centre = ExpandPlaceholders(parts[1], info);
    const QString right = ExpandPlaceholders(parts[2], info);
    dc.TextOut(rect.left, y, left);
    dc.TextOut(rect.left + (rect.right - dc.GetTextExtent(centre).cx - rect.left) / 2, y, centre);
    dc.TextOut(rect.right - dc.GetTextExtent(right).cx, y, right);
    if (memo) {
        const LOGPEN pen = dc.SelectPen(m_jobPens[JP_WIDE]);
        dc.MoveTo(rect.left, ruleY);
        dc.LineTo(rect.right, ruleY);
        dc.SelectPen(pen);
    }
    dc.SetTextColor(color);
}

i32 PrintMan::PrintHeader(bool draw, const RECT& rect, CPrintDC& dc, const CPrintInfo& info)
{
    const bool memo = m_Printmode == PM_MEMO;
    if (!(m_Flags1 & (memo ? PF_MEMO_HEADER : PF_REPORT_HEADER)))
        return rect.top;
    const LOGFONT font = dc.SelectFont(m_jobFonts[JF_HEADER]);
    const i32 h = dc.GetTextMetrics().tmHeight;
    if (draw)
        DrawTextLine(rect, rect.top, rect.top - h - h / 4, dc, info, true);
    dc.SelectFont(font);
    return memo ? rect.top - h - h : rect.top - h - h / 4;
}

i32 PrintMan::PrintFooter(bool draw, const RECT& rect, CPrintDC& dc, const CPrintInfo& info)
{
    const bool memo = m_Printmode == PM_MEMO;
    if (!(m_Flags1 & (memo ? PF_MEMO_FOOTER : PF_REPORT_FOOTER)))
        return rect.bottom;
    const LOGFONT font = dc.SelectFont(m_jobFonts[JF_FOOTER]);
    const i32 h = dc.GetTextMetrics().tmHeight;
    if (draw)
        DrawTextLine(rect, rect.bottom + h, rect.bottom + h + h / 4, dc, info, false);
    dc.SelectFont(font);
    return rect.bottom + 2 * h;
}

QString PrintMan::ExpandPlaceholders(const std::string& text, const CPrintInfo& info) const
{
    QString result = QString::fromUtf8(text);
    if (result.isEmpty())
        return result;
    if (result.contains(u"[Current time]"))
        result.replace(QStringLiteral("[Current time]"), QString::fromUtf8(FormatTime(m_printStart, 0)));
    if (result.contains(u"[Current date]"))
        result.replace(
            QStringLiteral("[Current date]"), QString::fromUtf8(FormatDate(m_printStart, DATE_LONGDATE)));
    if (result.contains(u"[Page #]"))
        result.replace(QStringLiteral("[Page #]"), QStringLiteral("page %1").arg(info.m_nCurPage));
    return result;
}
