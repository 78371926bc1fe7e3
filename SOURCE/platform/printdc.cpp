#include "platform/printdc.h"

#include "platform/fontconv.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPainter>
#include <cmath>
#include <utility>

namespace {

// The font that draws a LOGFONT whose height is in logical units.
QFont MakeFont(const LOGFONT& lf)
{
    LOGFONT face = lf;
    face.lfHeight = 0;
    QFont font = QFontFromLogFont(face);
    font.setPixelSize(std::max(1, std::abs(lf.lfHeight)));
    // Measures must not depend on the device's hinting, or a page measured
    // on one device would break differently on another.
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setKerning(false);
    return font;
}

constexpr size_t kKeptFonts = 16;

}  // namespace

CPrintDC::CPrintDC(const PageCaps& caps)
    : m_caps(caps)
{
}

CPrintDC::~CPrintDC() = default;

LOGFONT CPrintDC::SelectFont(const LOGFONT& font)
{
    return std::exchange(m_state.font, font);
}

COLORREF CPrintDC::SetTextColor(COLORREF color)
{
    return std::exchange(m_state.color, color);
}

LOGPEN CPrintDC::SelectPen(const LOGPEN& pen)
{
    return std::exchange(m_state.pen, pen);
}

u32 CPrintDC::SetTextAlign(u32 align)
{
    return std::exchange(m_state.align, align);
}

void CPrintDC::ResetState()
{
    const bool clipped = m_state.clipped;
    m_state = State();
    m_saved.clear();
    m_pos = {};
    if (clipped)
        ClipChanged();
}

void CPrintDC::SaveDC()
{
    m_saved.push_back(m_state);
}

void CPrintDC::RestoreDC()
{
    if (m_saved.empty())
        return;
    const bool clipChanged
        = m_saved.back().clipped != m_state.clipped || !(m_saved.back().clip == m_state.clip);
    m_state = m_saved.back();
    m_saved.pop_back();
    if (clipChanged)
        ClipChanged();
}

void CPrintDC::IntersectClipRect(const RECT& rect)
{
    if (!m_state.clipped) {
        m_state.clip = rect;
        m_state.clipped = true;
    } else {
        RECT& c = m_state.clip;
        c.left = std::max(c.left, rect.left);
        c.right = std::max(c.left, std::min(c.right, rect.right));
        c.top = std::min(c.top, rect.top);
        c.bottom = std::min(c.top, std::max(c.bottom, rect.bottom));
    }
    ClipChanged();
}

const CPrintDC::FontEntry& CPrintDC::Entry(const LOGFONT& font) const
{
    if (m_lastFont && m_lastFont->logFont == font)
        return *m_lastFont;
    for (const auto& entry : m_fonts)
        if (entry->logFont == font)
            return *(m_lastFont = entry.get());
    if (m_fonts.size() >= kKeptFonts)
        m_fonts.erase(m_fonts.begin());
    const QFont qfont = MakeFont(font);
    const QFontMetricsF fm(qfont);
    TEXTMETRIC tm;
    tm.tmAscent = i32(std::lround(fm.ascent()));
    tm.tmDescent = i32(std::lround(fm.descent()));
    tm.tmHeight = tm.tmAscent + tm.tmDescent;
    tm.tmExternalLeading = std::max(0, i32(std::lround(fm.leading())));
    tm.tmAveCharWidth = std::max(1, i32(std::lround(fm.averageCharWidth())));
    m_fonts.push_back(std::make_unique<FontEntry>(FontEntry{font, qfont, fm, tm, {}, {}, std::nullopt, {}}));
    m_fonts.back()->latin1.fill(-1.0f);
    m_painterFontsStale = true;
    return *(m_lastFont = m_fonts.back().get());
}

TEXTMETRIC CPrintDC::Metrics(const LOGFONT& font) const
{
    return Entry(font).textMetric;
}

double CPrintDC::CharWidth(const LOGFONT& font, char16_t c) const
{
    const FontEntry& entry = Entry(font);
    if (c < 256) {
        float& w = const_cast<FontEntry&>(entry).latin1[c];
        if (w < 0)
            w = float(entry.metrics.horizontalAdvance(QChar(c)));
        return w;
    }
    // A character outside the basic plane is measured by its first half.
    if (QChar::isLowSurrogate(c))
        return 0;
    if (QChar::isHighSurrogate(c))
        return entry.textMetric.tmAveCharWidth;
    auto& others = const_cast<FontEntry&>(entry).others;
    auto it = others.find(c);
    if (it == others.end())
        it = others.insert(c, float(entry.metrics.horizontalAdvance(QChar(c))));
    return *it;
}

double CPrintDC::Width(const LOGFONT& font, QStringView text) const
{
    double width = 0;
    for (const QChar c : text)
        width += CharWidth(font, c.unicode());
    return width;
}

qsizetype CPrintDC::FitTabbedText(QStringView text, i32 width, i32 tabStop) const
{
    tabStop = std::max(1, tabStop);
    double x = 0;  // up to the last tab, already whole
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('\t')) {
            x = double((i32(std::lround(x)) / tabStop + 1) * tabStop);
        } else {
            x += CharWidth(m_state.font, text[i].unicode());
        }
        if (std::lround(x) > width)
            return i;
    }
    return text.size();
}

TEXTMETRIC CPrintDC::GetTextMetrics() const
{
    return Metrics(m_state.font);
}

SIZE CPrintDC::GetTextExtent(QStringView text) const
{
    return {i32(std::lround(Width(m_state.font, text))), Metrics(m_state.font).tmHeight};
}

i32 CPrintDC::GetTabbedTextExtent(QStringView text, i32 tabStop) const
{
    tabStop = std::max(1, tabStop);
    i32 x = 0;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == QLatin1Char('\t')) {
            x += GetTextExtent(text.mid(start, i - start)).cx;
            if (i < text.size())
                x = (x / tabStop + 1) * tabStop;
            start = i + 1;
        }
    }
    return x;
}

void CPrintDC::TextOut(i32 x, i32 y, QStringView text)
{
    if (text.isEmpty())
        return;
    if (m_state.font.lfEscapement == 0 && m_state.align != TA_LEFT) {
        const i32 width = GetTextExtent(text).cx;
        x -= m_state.align == TA_RIGHT ? width : width / 2;
    }
    DrawText(x, y, text.toString());
}

void CPrintDC::TabbedTextOut(i32 x, i32 y, QStringView text, i32 tabStop)
{
    tabStop = std::max(1, tabStop);
    if (!text.contains(QLatin1Char('\t'))) {
        TextOut(x, y, text);
        return;
    }
    // Aligned text is placed as a whole, its tabs expanded in place.
    if (m_state.align != TA_LEFT)
        x -= m_state.align == TA_RIGHT ? GetTabbedTextExtent(text, tabStop)
                                       : GetTabbedTextExtent(text, tabStop) / 2;
    const u32 align = SetTextAlign(TA_LEFT);
    i32 advance = 0;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == QLatin1Char('\t')) {
            const QStringView part = text.mid(start, i - start);
            TextOut(x + advance, y, part);
            advance += GetTextExtent(part).cx;
            if (i < text.size())
                advance = (advance / tabStop + 1) * tabStop;
            start = i + 1;
        }
    }
    SetTextAlign(align);
}

void CPrintDC::MoveTo(i32 x, i32 y)
{
    m_pos = {x, y};
}

void CPrintDC::LineTo(i32 x, i32 y)
{
    DrawLine(m_pos, {x, y});
    m_pos = {x, y};
}

void CPrintDC::FrameRect(const RECT& rect)
{
    DrawRoundRect(rect, 0);
}

void CPrintDC::RoundRect(const RECT& rect, i32 radius)
{
    DrawRoundRect(rect, radius);
}

CPainterDC::CPainterDC(QPainter& painter, const PageCaps& caps, double scale, QPointF origin)
    : CPrintDC(caps)
    , m_painter(painter)
    , m_scale(scale)
{
    m_baseClipped = m_painter.hasClipping();
    if (m_baseClipped)
        m_baseClip = m_painter.clipPath();
    m_painter.resetTransform();
    m_painter.translate(origin);
    m_painter.scale(scale, scale);
    m_painter.setBackgroundMode(Qt::TransparentMode);
    m_painter.setRenderHint(QPainter::Antialiasing);
    m_painter.setRenderHint(QPainter::TextAntialiasing);
}

void CPainterDC::DrawText(i32 x, i32 y, const QString& text)
{
    const State& s = CurrentState();
    const FontEntry& entry = Entry(s.font);
    if (m_painterFont != &entry.font || m_painterFontsStale) {
        m_painter.setFont(entry.font);
        m_painterFont = &entry.font;
        m_painterFontsStale = false;
    }
    if (m_painterColor != s.color) {
        m_painter.setPen(QColor(GetRValue(s.color), GetGValue(s.color), GetBValue(s.color)));
        m_painterColor = s.color;
    }
    // Logical y grows upwards, the painter's downwards.
    if (s.font.lfEscapement == 0) {
        const QPointF baseline(x, -y + entry.textMetric.tmAscent);
        if (!DrawLatinGlyphs(entry, baseline, text))
            m_painter.drawText(baseline, text);
        return;
    }
    m_painter.save();
    m_painter.translate(x, -y);
    m_painter.rotate(-s.font.lfEscapement / 10.0);
    m_painter.drawText(QPointF(0, entry.textMetric.tmAscent), text);
    m_painter.restore();
}

bool CPainterDC::DrawLatinGlyphs(const FontEntry& constEntry, QPointF baseline, const QString& text)
{
    // Latin text needs no shaping: each character is its glyph, placed at
    // the advance it was measured with.
    constexpr char16_t kFirstPrintable = 0x20, kDelete = 0x7F, kLastControl = 0x9F;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < kFirstPrintable || u > 0xFF || (u >= kDelete && u <= kLastControl))
            return false;
    }
    auto& entry = const_cast<FontEntry&>(constEntry);
    if (!entry.raw)
        entry.raw = QRawFont::fromFont(entry.font);
    if (!entry.raw->isValid())
        return false;
    QList<quint32> glyphs(text.size());
    QList<QPointF> positions(text.size());
    double advance = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        quint32& glyph = entry.glyphs[u];
        if (glyph == 0) {
            const QList<quint32> found = entry.raw->glyphIndexesForString(QString(QChar(u)));
            glyph = found.isEmpty() ? 0 : found.front();
            // A character the font lacks needs the fallback fonts of shaping.
            if (glyph == 0)
                return false;
        }
        glyphs[i] = glyph;
        positions[i] = QPointF(advance, 0);
        advance += CharWidth(entry.logFont, u);
    }
    QGlyphRun run;
    run.setRawFont(*entry.raw);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    m_painter.drawGlyphRun(baseline, run);
    return true;
}

void CPainterDC::ApplyPen()
{
    const LOGPEN& lp = CurrentState().pen;
    QPen pen(QColor(GetRValue(lp.lopnColor), GetGValue(lp.lopnColor), GetBValue(lp.lopnColor)));
    const double width = lp.lopnWidth.x;
    // A pen of one unit or less is the thinnest line the device draws.
    if (width * m_scale <= 1.0) {
        pen.setCosmetic(true);
        pen.setWidthF(1.0);
    } else {
        pen.setWidthF(width);
    }
    pen.setStyle(lp.lopnStyle == PS_DOT ? Qt::DotLine : Qt::SolidLine);
    pen.setCapStyle(Qt::FlatCap);
    m_painter.setPen(pen);
    m_painterColor = 0xFFFFFFFF;  // text sets its own pen again
    m_painter.setBrush(Qt::NoBrush);
}

void CPainterDC::DrawLine(POINT from, POINT to)
{
    ApplyPen();
    m_painter.drawLine(QPointF(from.x, -from.y), QPointF(to.x, -to.y));
}

void CPainterDC::DrawRoundRect(const RECT& rect, i32 radius)
{
    ApplyPen();
    const QRectF r(QPointF(rect.left, -rect.top), QPointF(rect.right, -rect.bottom));
    if (radius > 0)
        m_painter.drawRoundedRect(r.normalized(), radius, radius);
    else
        m_painter.drawRect(r.normalized());
}

void CPainterDC::ClipChanged()
{
    // The clip the painter came with (a preview page) always stays.
    const State& s = CurrentState();
    const QTransform transform = m_painter.transform();
    m_painter.resetTransform();
    if (m_baseClipped)
        m_painter.setClipPath(m_baseClip);
    else
        m_painter.setClipping(false);
    m_painter.setTransform(transform);
    if (s.clipped)
        m_painter.setClipRect(
            QRectF(QPointF(s.clip.left, -s.clip.top), QPointF(s.clip.right, -s.clip.bottom)).normalized(),
            m_baseClipped ? Qt::IntersectClip : Qt::ReplaceClip);
}
