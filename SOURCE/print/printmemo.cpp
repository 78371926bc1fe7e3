// The two list styles: a contact as a block of captioned fields (memo), or
// as one row of the contact list's columns (report).
#include "core/addressformat.h"
#include "core/fieldtexts.h"
#include "core/userman.h"
#include "core/utilities.h"
#include "print/addresstext.h"
#include "print/printinfo.h"
#include "print/printman.h"
#include "print/textout.h"

namespace {

constexpr u32 IDS_FIRST_FIELD_CAPTION = 59440;  // + field number
constexpr u32 kPrintedMark = PFL_PRINTED >> 16;

enum MemoField : u32 {
    MF_FULL_NAME = 1,
    MF_COMPANY = 2,
    MF_DEPARTMENT = 3,
    MF_OFFICE = 4,
    MF_JOB_TITLE = 5,
    MF_BUSINESS_ADDRESS = 6,
    MF_HOME_ADDRESS = 7,
    MF_FIRST_PHONE = 8,
    MF_LAST_PHONE = 27,
    MF_FIRST_EMAIL = 28,
    MF_LAST_EMAIL = 37,
    MF_HOME_WEBPAGE = 38,
    MF_BUSINESS_WEBPAGE = 39,
    MF_ICQ = 40,
    MF_GENDER = 41,
    MF_CHILDREN = 42,
    MF_SPOUSE = 43,
    MF_BIRTHDAY = 44,
    MF_ANNIVERSARY = 45,
    MF_NOTES = 46,
};

bool IsWrapped(u32 n)
{
    return n <= MF_HOME_ADDRESS || n == MF_HOME_WEBPAGE || n == MF_BUSINESS_WEBPAGE || n == MF_CHILDREN
        || n == MF_NOTES;
}

bool HasWideGap(u32 n)
{
    switch (n) {
    case MF_COMPANY:
    case MF_DEPARTMENT:
    case MF_OFFICE:
    case MF_HOME_WEBPAGE:
    case MF_BUSINESS_WEBPAGE:
        return false;
    default:
        return n < MF_FIRST_PHONE || n > MF_LAST_EMAIL || n == MF_LAST_PHONE || n == MF_LAST_EMAIL;
    }
}

const QString& Caption(u32 n)
{
    static const std::array<QString, kPrintFieldCount + 1> captions = [] {
        std::array<QString, kPrintFieldCount + 1> texts;
        texts[MF_FULL_NAME] = QStringLiteral("Full name");
        for (u32 i = MF_FULL_NAME + 1; i <= kPrintFieldCount; ++i)
            texts[i] = QString::fromUtf8(LoadResString(IDS_FIRST_FIELD_CAPTION + i));
        return texts;
    }();
    return captions[n];
}

QString DateText(const DateValue& date)
{
    return date.IsValid() ? QString::fromUtf8(FormatDate(date, DATE_LONGDATE)) : QString();
}

// Later values of a type replace earlier ones; types outside the slots are dropped.
template <size_t N> void FillSlots(std::array<std::string, N>& table, const std::vector<ContactValue>& values)
{
    for (std::string& slot : table)
        slot.clear();
    for (const ContactValue& value : values)
        if (value.Type() >= 1 && value.Type() < N)
            table[value.Type()] = value.m_strText;
}

}  // namespace

const CAddressFormatArray* PrintMan::Formats() const
{
    return m_addressFormats;
}

QString PrintMan::MemoValue(const Contact& c, u32 n) const
{
    auto text = [](const std::string& s) { return QString::fromUtf8(s); };
    if (n >= MF_FIRST_PHONE && n <= MF_LAST_PHONE)
        return text(m_phoneSlots[n - MF_FIRST_PHONE + 1]);
    if (n >= MF_FIRST_EMAIL && n <= MF_LAST_EMAIL)
        return text(m_emailSlots[n - MF_FIRST_EMAIL + 1]);
    switch (n) {
    case MF_FULL_NAME:
        return text(FormatFieldText(c, FID_NAME));
    case MF_COMPANY:
        return text(c.m_strCompany);
    case MF_DEPARTMENT:
        return text(c.m_strDepartment);
    case MF_OFFICE:
        return text(c.m_strOffice);
    case MF_JOB_TITLE:
        return text(c.m_strJobTitle);
    case MF_BUSINESS_ADDRESS:
    case MF_HOME_ADDRESS: {
        // Each line only from an address of its own kind: without one the
        // line is empty, never another kind's address or the name alone.
        const CAddressFormatArray* formats = Formats();
        const ContactAddress* address
            = AddressOfKind(c, n == MF_BUSINESS_ADDRESS ? ADDR_BUSINESS : ADDR_HOME);
        if (!address || !formats || formats->IsEmpty())
            return {};
        std::string lines;
        OwnFormatOf(c, *address, *formats, &lines);
        return text(lines);
    }
    case MF_HOME_WEBPAGE:
        return text(m_webSlots[WEB_HOME_PAGE]);
    case MF_BUSINESS_WEBPAGE:
        return text(m_webSlots[WEB_BUSINESS_PAGE]);
    case MF_ICQ:
        return text(m_webSlots[WEB_ICQ]);
    case MF_GENDER:
        switch (c.m_dwGender) {
        case 0:
            return QStringLiteral("Unspecified");
        case GENDER_MALE:
            return QStringLiteral("Male");
        case GENDER_FEMALE:
            return QStringLiteral("Female");
        default:
            return {};
        }
    case MF_CHILDREN: {
        QString children = text(c.m_strChildren);
        children.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
        return children;
    }
    case MF_SPOUSE:
        return text(c.m_strSpouse);
    case MF_BIRTHDAY:
        return DateText(c.m_dtBirthday);
    case MF_ANNIVERSARY:
        return DateText(c.m_dtAnniversary);
    case MF_NOTES:
        return text(c.m_strNotes);
    default:
        return {};
    }
}

int PrintMan::PrintRecord(bool draw, RECT& rect, CPrintDC& dc, const Contact& contact, CPrintInfo& info)
{
    if (m_Printmode == PM_REPORT)
        return PrintReportRow(draw, rect, dc, contact, info);
    return PrintMemoRecord(draw, rect, dc, contact);
}

int PrintMan::PrintMemoRecord(bool draw, RECT& rect, CPrintDC& dc, const Contact& contact)
{
    const COLORREF color = dc.SetTextColor(GetColor(PTE_MEMO_TEXT));
    FillSlots(m_phoneSlots, contact.m_phones);
    FillSlots(m_emailSlots, contact.m_emails);
    FillSlots(m_webSlots, contact.m_web);
    const u32 count = u32(m_Fields.size());
    for (; m_curField < count; ++m_curField) {
        const u32 entry = m_Fields[m_curField];
        const u32 n = entry & PFL_FIELD_MASK;
        if ((entry >> 16) != kPrintedMark || n < 1 || n > kPrintFieldCount)
            continue;
        const QString value = MemoValue(contact, n);
        const int placed = IsWrapped(n) ? PrintMemoText(draw, rect, dc, Caption(n), value, HasWideGap(n))
                                        : PrintMemoLine(draw, rect, dc, Caption(n), value, HasWideGap(n));
        if (!placed) {
            dc.SetTextColor(color);
            return 1;
        }
    }
    const LOGFONT font = dc.SelectFont(m_jobFonts[JF_BODY]);
    const i32 h = dc.GetTextMetrics().tmHeight;
    dc.SelectFont(font);
    rect.top -= h;
    if (draw) {
        const LOGPEN pen = dc.SelectPen(m_jobPens[JP_THIN]);
        dc.MoveTo(rect.left, rect.top);
        dc.LineTo(rect.right, rect.top);
        dc.SelectPen(pen);
    }
    rect.top -= 2 * h;
    dc.SetTextColor(color);
    return 0;
}

i32 PrintMan::BeginMemoField(
    bool draw, RECT& rect, CPrintDC& dc, const QString& caption, bool wideGap, i32& tab, LOGFONT& old)
{
    old = dc.SelectFont(m_jobFonts[JF_BOLD]);
    tab = TabWidth(dc);
    const i32 h = dc.GetTextMetrics().tmHeight;
    const i32 lineHeight = wideGap ? i32(h * 1.5) : h;
    if (rect.top - lineHeight < rect.bottom && !m_pageEmpty) {
        dc.SelectFont(old);
        return 0;
    }
    if (draw && !caption.isEmpty())
        dc.TextOut(rect.left, rect.top, caption + QStringLiteral(" :"));
    dc.SelectFont(m_jobFonts[JF_BODY]);
    return lineHeight;
}

int PrintMan::PrintMemoLine(
    bool draw, RECT& rect, CPrintDC& dc, const QString& caption, const QString& value, bool wideGap)
{
    return PrintMemoField(draw, rect, dc, caption, value, wideGap, false);
}

int PrintMan::PrintMemoText(
    bool draw, RECT& rect, CPrintDC& dc, const QString& caption, const QString& value, bool wideGap)
{
    return PrintMemoField(draw, rect, dc, caption, value, wideGap, true);
}

int PrintMan::PrintMemoField(bool draw, RECT& rect, CPrintDC& dc, const QString& caption,
    const QString& value, bool wideGap, bool wrapped)
{
    if (value.isEmpty() && !(m_Flags1 & PF_MEMO_EMPTY_FIELDS))
        return 1;
    i32 tab = 0;
    LOGFONT font;
    const i32 lineHeight = BeginMemoField(draw, rect, dc, caption, wideGap, tab, font);
    if (!lineHeight)
        return 0;
    // A one-line value wider than the text column (a long e-mail address
    // or number) wraps within it rather than running off the paper.
    if (!wrapped && !value.isEmpty())
        wrapped = dc.GetTextExtent(value).cx > rect.right - rect.left - 3 * tab;
    int result = 1;
    if (value.isEmpty()) {
        rect.top -= lineHeight;
    } else if (!wrapped) {
        if (draw)
            dc.TextOut(rect.left + 3 * tab, rect.top, value);
        rect.top -= lineHeight;
    } else {
        // The text goes on from where the previous page left it.
        RECT text{rect.left + 3 * tab, rect.top, rect.right, rect.bottom};
        const qsizetype offset = std::min<qsizetype>(m_textOffset, value.size());
        m_textOffset
            = u32(offset + PrintTextInRect(draw, dc, text, QStringView(value).mid(offset), m_pageEmpty));
        if (m_textOffset >= u32(value.size()))
            m_textOffset = 0;
        else
            result = 0;
        rect.top = text.bottom;
    }
    dc.SelectFont(font);
    m_pageEmpty = false;
    return result;
}

int PrintMan::PrintReportRow(bool draw, RECT& rect, CPrintDC& dc, const Contact& contact, CPrintInfo& info)
{
    m_curField = u32(m_Fields.size());
    // Without the contact list there is nothing to lay a row out by; the
    // row is left out rather than ending every page at the same place.
    CReportPrinter* report = info.m_pReport;
    if (!report)
        return 0;
    const LOGFONT font = dc.GetFont();
    const LOGPEN pen = dc.GetPen();
    const COLORREF color = dc.GetTextColor();
    if (m_firstOnPage) {
        dc.SelectPen(m_jobPens[JP_WIDE]);
        dc.SelectFont(m_jobFonts[JF_BOLD]);
        report->PrintHeader(draw, rect, dc);
        m_firstOnPage = false;
    }
    LOGFONT body = m_jobFonts[JF_BODY];
    if (m_Flags1 & PF_REPORT_CONTACT_FONT) {
        const LOGFONT* listFont = m_pUserMan ? m_pUserMan->GetFont(2) : nullptr;
        const bool listDefault = contact.m_dwDisplayFlags & CDF_DEFAULT_FONT;
        body = PrintFontFromScreenFont(listDefault && listFont ? *listFont : contact.m_font);
        const bool colorDefault = contact.m_dwDisplayFlags & CDF_DEFAULT_TEXT_COLOR;
        dc.SetTextColor(colorDefault && m_pUserMan ? m_pUserMan->GetColor(6) : contact.m_crText);
    } else {
        dc.SetTextColor(GetColor(PTE_REPORT_TEXT));
    }
    dc.SelectFont(body);
    dc.SelectPen(m_jobPens[JP_THIN]);
    const int full = report->PrintRow(draw, rect, dc, contact, m_pageEmpty);
    if (!full)
        m_pageEmpty = false;
    dc.SelectFont(font);
    dc.SelectPen(pen);
    dc.SetTextColor(color);
    return full;
}
