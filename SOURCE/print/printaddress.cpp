// The address styles: one envelope per contact, and sheets of labels.
#include "core/addressformat.h"
#include "core/fieldtexts.h"
#include "print/addresstext.h"
#include "print/printinfo.h"
#include "print/printman.h"
#include "print/textout.h"

#include <QRegularExpression>

namespace {

constexpr i32 kTwipsPerInch = 1440;
constexpr i32 kLogicalPerInch = 2540;
constexpr i32 kLabelCornerTwips = 400;
constexpr LOGPEN kLabelOutlinePen{PS_DOT, {1, 0}, RGB(142, 142, 142)};

i32 Twips(i32 twips)
{
    return MulDiv(twips, kLogicalPerInch, kTwipsPerInch);
}

// Writes CR LF separated lines from the start, each wrapped to the room
// the box leaves along the text's direction, the next line one cell further
// across; lines beyond the box are left out, and nothing passes its edges.
// A start outside the box moves to its nearest edge.
void WriteLines(CPrintDC& dc, POINT start, const QString& text, bool turned, const RECT& box)
{
    start.x = std::clamp(start.x, box.left, std::max(box.left, box.right));
    start.y = std::clamp(start.y, std::min(box.bottom, box.top), box.top);
    const i32 h = dc.GetTextExtent(u"g").cy;
    const i32 tabStop = std::max(1, TabWidth(dc));
    const i32 along = turned ? start.y - box.bottom : box.right - start.x;
    const i32 across = turned ? start.x - box.left : start.y - box.bottom;
    dc.SaveDC();
    dc.IntersectClipRect(box);
    POINT at = start;
    i32 used = 0;
    // Typed and imported lines end in LF, the format's own in CR LF.
    static const QRegularExpression kLineBreak(QStringLiteral("\r\n|\n|\r"));
    for (const QString& line : text.split(kLineBreak)) {
        qsizetype pos = 0;
        do {
            if (used + h > across)
                break;
            const qsizetype end = WrapLineEnd(dc, line, pos, line.size(), along, tabStop);
            dc.TabbedTextOut(at.x, at.y, QStringView(line).mid(pos, end - pos), tabStop);
            if (turned)
                at.x -= h;
            else
                at.y -= h;
            used += h;
            pos = SkipBlanks(line, end, line.size());
        } while (pos < line.size());
    }
    dc.RestoreDC();
}

RECT Inset(const RECT& r, i32 left, i32 top, i32 right, i32 bottom)
{
    return {r.left + left, r.top - top, r.right - right, r.bottom + bottom};
}

// Label (c, r) of the sheet, and the part of it the text takes.
RECT LabelRect(const LabelDefinition& l, const RECT& sheet, u32 c, u32 r)
{
    const i32 width = Twips(l.m_wWidth), height = Twips(l.m_wHeight);
    const i32 left = sheet.left + i32(c) * (width + Twips(l.m_wColumnSpacing));
    const i32 top = sheet.top - i32(r) * (height + Twips(l.m_wRowSpacing));
    return RECT{left, top, left + width, top - height};
}

RECT LabelTextRect(const LabelDefinition& l, const RECT& sheet, u32 c, u32 r)
{
    return Inset(LabelRect(l, sheet, c, r), Twips(i32(l.m_dwTextMarginLeft)), Twips(i32(l.m_dwTextMarginTop)),
        Twips(i32(l.m_dwTextMarginRight)), Twips(i32(l.m_dwTextMarginBottom)));
}

RECT Intersect(const RECT& a, const RECT& b)
{
    RECT r{std::max(a.left, b.left), std::min(a.top, b.top), std::min(a.right, b.right),
        std::max(a.bottom, b.bottom)};
    r.right = std::max(r.left, r.right);
    r.bottom = std::min(r.top, r.bottom);
    return r;
}

}  // namespace

std::string AddressTextForContact(
    const Contact& contact, bool useContactFormat, u32& formatSetting, const CAddressFormatArray* formats)
{
    if (!formats || formats->IsEmpty())
        return {};
    const size_t count = formats->GetSize();
    const ContactAddress* address = DefaultOrFirstAddress(contact);
    // The template the text comes from.
    std::string format;
    std::string text;
    if (useContactFormat) {
        if (address)
            format = OwnFormatOf(contact, *address, *formats, &text);
    } else {
        if (formatSetting > count - 1)
            formatSetting = 0;
        format = (*formats)[formatSetting].Format();
        // A format of a kind of address the contact lacks (the home fields
        // of a contact with a business address alone) lays out the
        // contact's default address instead of leaving the name alone.
        if (address && !FormatYieldsAddress(contact, format)) {
            text = AddressThroughFormat(contact, *address, format);
            if (text.empty())
                format = OwnFormatOf(contact, *address, *formats, &text);
        } else {
            ExpandAddressFormat(format, text, &contact, true);
        }
    }
    // Every address goes out with its addressee.
    if (!FormatYieldsName(contact, format)) {
        const std::string name = Addressee(contact);
        // A company-only contact may be named by a format's company line.
        if (!name.empty() && !text.starts_with(name))
            text = text.empty() ? name : name + "\r\n" + text;
    }
    return text;
}

std::string PrintMan::AddressTextFor(const Contact& contact, bool envelope)
{
    return AddressTextForContact(contact,
        (m_Flags1 & (envelope ? PF_ENVELOPE_CONTACT_FORMAT : PF_LABEL_CONTACT_FORMAT)) != 0,
        envelope ? m_EnvelopeAddressFormat : m_LabelFields, Formats());
}

RECT PrintMan::EnvelopeRect(const RECT& paper, i32 paperWidth) const
{
    const i32 length = i32(m_EnvelopeData.m_wWidth) * 10;
    const i32 width = i32(m_EnvelopeData.m_wHeight) * 10;
    const bool turned = m_EnvelopeFeed >= 1 && m_EnvelopeFeed <= 3;
    const i32 across = turned ? width : length;
    const i32 down = turned ? length : width;
    i32 left = 0;
    switch (m_EnvelopeFeed) {
    case 1:
    case 4:
        left = 0;
        break;
    case 2:
    case 5:
        left = (paperWidth - across) / 2;
        break;
    case 3:
    case 6:
        left = paperWidth - across;
        break;
    default:
        return paper;
    }
    return {paper.left + left, paper.top, paper.left + left + across, paper.top - down};
}

void PrintMan::PrintEnvelope(CPrintDC& dc, const RECT& envelope, const Contact& contact, bool preview)
{
    const bool turned = m_EnvelopeFeed >= 1 && m_EnvelopeFeed <= 3;
    const POINT ret{std::abs(m_AddrRetMargins.left * 10), std::abs(m_AddrRetMargins.top * 10)};
    const POINT deliv{std::abs(m_AddrDelivMargins.left * 10), std::abs(m_AddrDelivMargins.top * 10)};

    if (preview) {
        const LOGPEN pen = dc.SelectPen(m_jobPens[JP_DOTTED]);
        dc.FrameRect(envelope);
        const i32 e = envelope.right - envelope.left;
        const i32 f = envelope.top - envelope.bottom;
        const i32 k = turned ? 7 : 2;
        dc.FrameRect({envelope.left + e * 6 / 8, envelope.top - f * (k - 1) / 8, envelope.left + e * 7 / 8,
            envelope.top - f * k / 8});
        dc.SelectPen(pen);
    }

    // The text stays on the envelope and where the printer prints: an
    // envelope reaches the paper's edges, which the printer cannot print on.
    const RECT room = Intersect(envelope, dc.GetPageCaps().DrawRect());
    // On a turned envelope the text runs down the page, its lines stepping
    // to the left, so it reads in order with the envelope turned upright.
    auto place = [&](const LOGFONT& font, COLORREF color, POINT margin, const std::string& text) {
        LOGFONT lf = font;
        lf.lfEscapement = turned ? kEscapementDown : 0;
        const LOGFONT old = dc.SelectFont(lf);
        const COLORREF oldColor = dc.SetTextColor(color);
        const POINT start = turned ? POINT{envelope.right - margin.y, envelope.top - margin.x}
                                   : POINT{envelope.left + margin.x, envelope.top - margin.y};
        WriteLines(dc, start, QString::fromUtf8(text), turned, room);
        dc.SetTextColor(oldColor);
        dc.SelectFont(old);
    };
    if (!m_AddrRet.empty() && !(m_Flags1 & PF_NO_RETURN_ADDRESS))
        place(m_jobFonts[JF_HEADER], GetColor(PTE_RETURN_ADDRESS), ret, m_AddrRet);
    const std::string delivery = AddressTextFor(contact, true);
    if (!delivery.empty())
        place(m_jobFonts[JF_FOOTER], GetColor(PTE_DELIVERY_ADDRESS), deliv, delivery);
}

void PrintMan::PrintLabels(CPrintDC& dc, const RECT& sheet, const RECT& drawRect, u32 page, bool preview)
{
    const LabelDefinition& l = m_Label;
    const u32 columns = l.m_wColumns, rows = l.m_wRows;
    const u32 perSheet = columns * rows;
    if (perSheet == 0 || page < 1)
        return;
    const size_t first = size_t(page - 1) * perSheet;
    const LOGFONT font = dc.SelectFont(PrintFontFromScreenFont(*GetFont(PTE_LABEL)));
    const COLORREF color = dc.SetTextColor(GetColor(PTE_LABEL));
    auto labelRect = [&](u32 c, u32 r) { return LabelRect(l, sheet, c, r); };
    auto textRect = [&](u32 c, u32 r) { return LabelTextRect(l, sheet, c, r); };
    auto write = [&](RECT rect, const std::string& text) {
        if (!text.empty())
            PrintTextInRect(true, dc, rect, QString::fromUtf8(text));
    };
    // A contact deleted since the job was laid out leaves its label blank.
    auto addressOf = [&](size_t index) {
        const Contact* contact = JobContact(index);
        return contact ? AddressTextFor(*contact, false) : std::string();
    };

    if (preview || (m_Flags1 & PF_LABEL_OUTLINES)) {
        const LOGPEN pen = dc.SelectPen(kLabelOutlinePen);
        for (u32 r = 0; r < rows; ++r)
            for (u32 c = 0; c < columns; ++c)
                dc.RoundRect(labelRect(c, r), Twips(kLabelCornerTwips));
        dc.SelectPen(pen);
    }

    if (first < m_contacts.size()) {
        switch (m_LabelPrintRange) {
        case PR_LABEL_SELECTION: {
            const size_t last = std::min(first + perSheet, m_contacts.size());
            for (size_t i = first; i < last; ++i) {
                const u32 n = u32(i - first);
                write(textRect(n % columns, n / columns), addressOf(i));
            }
            break;
        }
        case PR_LABEL_SINGLE: {
            // The start label is kept within the sheet, whatever was stored.
            const u32 column = std::clamp<u32>(m_LabelItem & 0xFFFF, 1, columns);
            const u32 row = std::clamp<u32>(m_LabelItem >> 16, 1, rows);
            write(textRect(column - 1, row - 1), addressOf(first));
            break;
        }
        default: {
            const std::string text = addressOf(first);
            for (u32 r = 0; r < rows; ++r)
                for (u32 c = 0; c < columns; ++c) {
                    RECT rect = textRect(c, r);
                    if (r == 0 || c == 0 || r == rows - 1 || c == columns - 1)
                        rect = Intersect(rect, drawRect);
                    write(rect, text);
                }
            break;
        }
        }
    }
    dc.SetTextColor(color);
    dc.SelectFont(font);
}

bool PrintMan::LabelTextsFit(CPrintDC& dc)
{
    if (!IsLabelSheetUsable())
        return true;
    const LOGFONT font = dc.SelectFont(PrintFontFromScreenFont(*GetFont(PTE_LABEL)));
    const RECT text = LabelTextRect(m_Label, RECT{0, 0, 0, 0}, 0, 0);
    const size_t count = m_LabelPrintRange == PR_LABEL_SELECTION ? m_contacts.size()
                                                                 : std::min<size_t>(1, m_contacts.size());
    bool fit = true;
    for (size_t i = 0; i < count && fit; ++i) {
        const Contact* contact = JobContact(i);
        const QString address = contact ? QString::fromUtf8(AddressTextFor(*contact, false)) : QString();
        RECT room = text;
        fit = PrintTextInRect(false, dc, room, address) >= address.size();
    }
    dc.SelectFont(font);
    return fit;
}

void PrintMan::CountAddressless()
{
    m_addressless = 0;
    m_firstAddressless.clear();
    if (m_Printmode != PM_ENVELOPE && m_Printmode != PM_LABELS)
        return;
    // A sheet of one contact's labels, or its one label, prints the first alone.
    const size_t count = m_Printmode == PM_LABELS && m_LabelPrintRange != PR_LABEL_SELECTION
        ? std::min<size_t>(1, m_contacts.size())
        : m_contacts.size();
    for (size_t i = 0; i < count; ++i) {
        const Contact* contact = JobContact(i);
        if (!contact || DefaultOrFirstAddress(*contact))
            continue;
        if (m_addressless++ == 0)
            m_firstAddressless = Addressee(*contact);
    }
}

QString PrintMan::AddresslessNote() const
{
    if (m_addressless == 0)
        return {};
    const bool envelope = m_Printmode == PM_ENVELOPE;
    if (m_addressless == 1) {
        const QString who = m_firstAddressless.empty() ? QStringLiteral("A contact")
                                                       : QString::fromUtf8(m_firstAddressless);
        const QString what = envelope             ? QStringLiteral("the envelope carries")
            : m_LabelPrintRange == PR_LABEL_SHEET ? QStringLiteral("the labels carry")
                                                  : QStringLiteral("the label carries");
        return QStringLiteral("%1 has no address: %2 the name alone.").arg(who, what);
    }
    return QStringLiteral("%1 contacts have no address: their %2 carry the name alone.")
        .arg(m_addressless)
        .arg(envelope ? QStringLiteral("envelopes") : QStringLiteral("labels"));
}
