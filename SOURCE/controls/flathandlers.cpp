#include "controls/flathandlers.h"

#include "controls/flatdraw.h"
#include "platform/ui/syscolor.h"

#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QDateTimeEdit>
#include <QHeaderView>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QStyleOption>
#include <QTabBar>
#include <QTextEdit>
#include <algorithm>

namespace {

QColor Sys(int index, const QStyleOption* option)
{
    return GetSysColor(index, option->palette);
}

void Fill(QPainter& p, int x, int y, int w, int h, const QColor& c)
{
    if (w > 0 && h > 0)
        p.fillRect(x, y, w, h, c);
}

}  // namespace

// --- edits and spin boxes ---------------------------------------------------

u16 CFlatEditHandler::ExtraState() const
{
    bool readOnly = false;
    if (auto* edit = qobject_cast<QLineEdit*>(m_hwnd))
        readOnly = edit->isReadOnly();
    else if (auto* text = qobject_cast<QTextEdit*>(m_hwnd))
        readOnly = text->isReadOnly();
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(m_hwnd))
        readOnly = plain->isReadOnly();
    else if (auto* spin = qobject_cast<QAbstractSpinBox*>(m_hwnd))
        readOnly = spin->isReadOnly();
    return readOnly ? kReadOnly : 0;
}

QRect CFlatSpinHandler::SubControlRect(const QStyleOptionComplex* option, QStyle::SubControl sc)
{
    const QRect r = option->rect;
    const QRect inner = r.adjusted(2, 2, -2, -2);
    const auto* spin = qstyleoption_cast<const QStyleOptionSpinBox*>(option);
    const bool buttons = !spin || spin->buttonSymbols != QAbstractSpinBox::NoButtons;
    const QRect column(inner.right() + 1 - kButtonWidth, inner.top(), kButtonWidth, inner.height());
    const int half = inner.height() / 2;
    switch (sc) {
    case QStyle::SC_SpinBoxUp:
        return buttons ? QRect(column.left(), column.top(), column.width(), half) : QRect();
    case QStyle::SC_SpinBoxDown:
        return buttons ? QRect(column.left(), inner.bottom() + 1 - half, column.width(), half) : QRect();
    case QStyle::SC_SpinBoxEditField:
        return buttons ? inner.adjusted(1, 0, -kButtonWidth, 0) : inner.adjusted(1, 0, -1, 0);
    case QStyle::SC_SpinBoxFrame:
        return r;
    default:
        return QRect();
    }
}

void CFlatSpinHandler::DrawBorder(QPainter& p, const QRect& r, const QStyleOption* option)
{
    const auto* spin = qstyleoption_cast<const QStyleOptionSpinBox*>(option);
    const bool enabled = option->state & QStyle::State_Enabled;
    p.fillRect(r.adjusted(2, 2, -2, -2),
        Sys(enabled && !(m_state & kReadOnly) ? COLOR_WINDOW : COLOR_3DFACE, option));
    DrawBaseFrame(p, r, option);
    if (!spin || spin->buttonSymbols == QAbstractSpinBox::NoButtons)
        return;
    const bool hot = enabled && (m_state & kHot);
    const struct {
        QStyle::SubControl sc;
        ArrowDirection direction;
        QAbstractSpinBox::StepEnabledFlag step;
    } halves[] = {{QStyle::SC_SpinBoxUp, ArrowDirection::Up, QAbstractSpinBox::StepUpEnabled},
        {QStyle::SC_SpinBoxDown, ArrowDirection::Down, QAbstractSpinBox::StepDownEnabled}};
    for (const auto& half : halves) {
        const QRect b = SubControlRect(spin, half.sc);
        p.fillRect(b, Sys(COLOR_3DFACE, option));
        if (hot)
            DrawFrames(
                p, b, option->palette, {COLOR_3DFACE, COLOR_3DDKSHADOW, COLOR_3DHILIGHT, COLOR_3DSHADOW});
        else
            DrawFrames(p, b, option->palette, {COLOR_3DHILIGHT, COLOR_3DSHADOW, COLOR_3DFACE, COLOR_3DFACE});
        const bool stepOn = enabled && (spin->stepEnabled & half.step);
        DrawArrowGlyph(p, b, half.direction, b.height() >= 8 ? 5 : 3,
            Sys(stepOn ? COLOR_BTNTEXT : COLOR_GRAYTEXT, option));
    }
}

// --- combo boxes --------------------------------------------------------------

QRect CFlatComboHandler::SubControlRect(const QStyleOptionComplex* option, QStyle::SubControl sc)
{
    const QRect r = option->rect;
    const QRect inner = r.adjusted(2, 2, -2, -2);
    switch (sc) {
    case QStyle::SC_ComboBoxArrow:
        return QRect(inner.right() + 1 - SM_CXHSCROLL, inner.top(), SM_CXHSCROLL, inner.height());
    case QStyle::SC_ComboBoxEditField:
        return inner.adjusted(1, 0, -(SM_CXHSCROLL + 1), 0);
    case QStyle::SC_ComboBoxFrame:
    case QStyle::SC_ComboBoxListBoxPopup:
        return r;
    default:
        return QRect();
    }
}

void CFlatComboHandler::DrawBorder(QPainter& p, const QRect& r, const QStyleOption* option)
{
    const auto* combo = qstyleoption_cast<const QStyleOptionComplex*>(option);
    const bool enabled = option->state & QStyle::State_Enabled;
    const QPalette& pal = option->palette;
    p.fillRect(r.adjusted(2, 2, -2, -2), Sys(enabled ? COLOR_WINDOW : COLOR_3DFACE, option));
    if (!enabled)
        DrawFrames(p, r, pal, {COLOR_3DHILIGHT, COLOR_3DHILIGHT, COLOR_3DHILIGHT, COLOR_3DHILIGHT});
    else if (IsLit())
        DrawFrames(p, r, pal, {COLOR_3DSHADOW, COLOR_3DHILIGHT, COLOR_3DDKSHADOW, COLOR_3DLIGHT});
    else
        DrawFrames(p, r, pal, {COLOR_3DSHADOW, COLOR_3DHILIGHT, COLOR_3DFACE, COLOR_3DFACE});

    const QRect button = SubControlRect(combo, QStyle::SC_ComboBoxArrow);
    p.fillRect(button, Sys(COLOR_3DFACE, option));
    if (!enabled)
        DrawFrames(p, button, pal, {COLOR_3DFACE, COLOR_3DFACE, COLOR_3DFACE, COLOR_3DFACE});
    else if (IsLit())
        DrawFrames(p, button, pal, {COLOR_3DFACE, COLOR_3DDKSHADOW, COLOR_3DHILIGHT, COLOR_3DSHADOW});
    else
        DrawFrames(p, button, pal, {COLOR_3DFACE, COLOR_3DSHADOW, COLOR_3DHILIGHT, COLOR_3DFACE});
    if (enabled) {
        DrawArrowGlyph(p, button, ArrowDirection::Down, 7, Sys(COLOR_BTNTEXT, option));
    } else {
        DrawArrowGlyph(p, button.translated(1, 1), ArrowDirection::Down, 7, Sys(COLOR_3DHILIGHT, option));
        DrawArrowGlyph(p, button, ArrowDirection::Down, 7, Sys(COLOR_3DSHADOW, option));
    }
}

// --- check boxes and radio buttons --------------------------------------------

void CFlatCheckBoxHandler::DrawBorder(QPainter& p, const QRect& r, const QStyleOption* option)
{
    const QRect box(r.x(), r.y() + (r.height() - kBoxSize) / 2, kBoxSize, kBoxSize);
    const bool enabled = option->state & QStyle::State_Enabled;
    const bool mixed = option->state & QStyle::State_NoChange;
    const QPalette& pal = option->palette;
    const QRect inside = box.adjusted(2, 2, -2, -2);
    if (!enabled) {
        p.fillRect(inside, Sys(COLOR_3DFACE, option));
    } else if (mixed) {
        p.fillRect(inside, Sys(COLOR_3DFACE, option));
        p.fillRect(inside, QBrush(Sys(COLOR_3DHILIGHT, option), Qt::Dense4Pattern));
    } else {
        p.fillRect(inside, Sys(COLOR_WINDOW, option));
    }
    const int w = mixed ? COLOR_3DHILIGHT : COLOR_WINDOW;
    if (m_state & kHot)
        DrawFrames(p, box, pal, {COLOR_3DDKSHADOW, COLOR_3DHILIGHT, COLOR_3DSHADOW, COLOR_3DFACE});
    else if (enabled)
        DrawFrames(p, box, pal, {COLOR_3DSHADOW, COLOR_3DHILIGHT, w, w});
    else
        DrawFrames(p, box, pal, {COLOR_3DSHADOW, COLOR_3DHILIGHT, COLOR_3DFACE, COLOR_3DFACE});

    if (!(option->state & (QStyle::State_On | QStyle::State_NoChange)))
        return;
    // The tick: seven columns, three pixels high each, falling then rising.
    static constexpr int kTickTop[7] = {2, 3, 4, 3, 2, 1, 0};
    const QColor ink = Sys(enabled && !mixed ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT, option);
    for (int i = 0; i < 7; ++i)
        p.fillRect(box.x() + 3 + i, box.y() + 3 + kTickTop[i], 1, 3, ink);
}

namespace {

struct Pixel {
    int x;
    int y;
};

// The rings of the 12-pixel radio circle, as the classic look sets them.
constexpr Pixel kOuterUpperLeft[] = {{1, 9}, {1, 8}, {0, 7}, {0, 6}, {0, 5}, {0, 4}, {1, 3}, {1, 2}, {2, 1},
    {3, 1}, {4, 0}, {5, 0}, {6, 0}, {7, 0}, {8, 1}, {9, 1}};
constexpr Pixel kInnerUpperLeft[] = {{2, 8}, {1, 7}, {1, 6}, {1, 5}, {1, 4}, {2, 3}, {2, 2}, {3, 2}, {4, 1},
    {5, 1}, {6, 1}, {7, 1}, {8, 2}, {9, 2}};
constexpr Pixel kInnerLowerRight[] = {{2, 9}, {3, 9}, {4, 10}, {5, 10}, {6, 10}, {7, 10}, {8, 9}, {9, 9},
    {9, 8}, {10, 7}, {10, 6}, {10, 5}, {10, 4}, {9, 3}};
constexpr Pixel kOuterLowerRight[] = {{2, 10}, {3, 10}, {4, 11}, {5, 11}, {6, 11}, {7, 11}, {8, 10}, {9, 10},
    {10, 9}, {10, 8}, {11, 7}, {11, 6}, {11, 5}, {11, 4}, {10, 3}, {10, 2}};

template <size_t N> void SetPixels(QPainter& p, QPoint corner, const Pixel (&points)[N], const QColor& colour)
{
    for (const Pixel& pt : points)
        p.fillRect(corner.x() + pt.x, corner.y() + pt.y, 1, 1, colour);
}

// The inside of the circle: on each row, between the inner ring's pixels.
void FillRadioInside(QPainter& p, QPoint corner, const QColor& colour)
{
    for (int y = 0; y < CFlatRadioHandler::kCircleSize; ++y) {
        int lo = 100;
        int hi = -1;
        for (const auto* ring : {&kInnerUpperLeft, &kInnerLowerRight}) {
            for (const Pixel& pt : *ring) {
                if (pt.y == y) {
                    lo = std::min(lo, pt.x);
                    hi = std::max(hi, pt.x);
                }
            }
        }
        Fill(p, corner.x() + lo + 1, corner.y() + y, hi - lo - 1, 1, colour);
    }
}

}  // namespace

void CFlatRadioHandler::DrawBorder(QPainter& p, const QRect& r, const QStyleOption* option)
{
    const QPoint corner(r.x() + 1, r.y() + (r.height() - CFlatCheckBoxHandler::kBoxSize) / 2);
    const bool enabled = option->state & QStyle::State_Enabled;
    FillRadioInside(p, corner, Sys(enabled ? COLOR_WINDOW : COLOR_3DFACE, option));
    // Outer upper-left, inner upper-left, inner lower-right, outer lower-right.
    static constexpr int kHotRings[4] = {COLOR_3DSHADOW, COLOR_3DDKSHADOW, COLOR_3DFACE, COLOR_WINDOW};
    static constexpr int kEnabledRings[4] = {COLOR_3DSHADOW, COLOR_WINDOW, COLOR_3DFACE, COLOR_WINDOW};
    static constexpr int kDisabledRings[4] = {COLOR_3DSHADOW, COLOR_3DFACE, COLOR_3DFACE, COLOR_3DHILIGHT};
    const int* colours = (m_state & kHot) ? kHotRings : enabled ? kEnabledRings : kDisabledRings;
    SetPixels(p, corner, kOuterUpperLeft, Sys(colours[0], option));
    SetPixels(p, corner, kInnerUpperLeft, Sys(colours[1], option));
    SetPixels(p, corner, kInnerLowerRight, Sys(colours[2], option));
    SetPixels(p, corner, kOuterLowerRight, Sys(colours[3], option));
    if (option->state & QStyle::State_On) {
        const QColor ink = Sys(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT, option);
        p.fillRect(corner.x() + 5, corner.y() + 4, 2, 1, ink);
        p.fillRect(corner.x() + 4, corner.y() + 5, 4, 2, ink);
        p.fillRect(corner.x() + 5, corner.y() + 7, 2, 1, ink);
    }
}

// --- push buttons -------------------------------------------------------------

void CFlatPushButtonHandler::DrawBorder(QPainter& p, const QRect& r, const QStyleOption* option)
{
    const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option);
    const QPalette& pal = option->palette;
    const bool enabled = option->state & QStyle::State_Enabled;
    const bool checked = option->state & QStyle::State_On;
    const bool isDefault = enabled && button && (button->features & QStyleOptionButton::DefaultButton);
    const bool hot = IsLit();
    p.fillRect(r, Sys(COLOR_3DFACE, option));
    if (isDefault) {
        if (hot)
            DrawFrames(p, r, pal,
                {COLOR_3DDKSHADOW, COLOR_3DDKSHADOW, COLOR_3DHILIGHT, COLOR_3DDKSHADOW, COLOR_3DLIGHT,
                    COLOR_3DSHADOW});
        else
            DrawFrames(p, r, pal,
                {COLOR_3DDKSHADOW, COLOR_3DDKSHADOW, COLOR_3DHILIGHT, COLOR_3DSHADOW, COLOR_3DFACE,
                    COLOR_3DFACE});
    } else if (hot && !checked) {
        DrawFrames(p, r, pal,
            {COLOR_3DHILIGHT, COLOR_3DDKSHADOW, COLOR_3DLIGHT, COLOR_3DSHADOW, COLOR_3DFACE, COLOR_3DFACE});
    } else if (hot) {
        DrawFrames(p, r, pal, {COLOR_3DDKSHADOW, COLOR_3DHILIGHT, COLOR_3DSHADOW, COLOR_3DLIGHT});
    } else if (!checked) {
        DrawFrames(p, r, pal,
            {COLOR_3DHILIGHT, COLOR_3DSHADOW, COLOR_3DFACE, COLOR_3DFACE, COLOR_3DFACE, COLOR_3DFACE});
    } else {
        DrawFrames(p, r, pal, {COLOR_3DSHADOW, COLOR_3DHILIGHT, COLOR_3DFACE, COLOR_3DFACE});
    }
}

// --- scroll bars --------------------------------------------------------------

namespace {

struct BarGeometry {
    bool horizontal;
    int length;
    int thickness;
    int arrow;
    int track;
};

BarGeometry GeometryOf(const QStyleOptionSlider* option)
{
    BarGeometry g;
    g.horizontal = option->orientation == Qt::Horizontal;
    g.length = g.horizontal ? option->rect.width() : option->rect.height();
    g.thickness = g.horizontal ? option->rect.height() : option->rect.width();
    g.arrow = g.length < 2 * g.thickness ? g.length / 2 : g.thickness;
    g.track = std::max(0, g.length - 2 * g.arrow);
    return g;
}

// A span along the bar as a rectangle of the widget.
QRect Along(const QStyleOptionSlider* option, const BarGeometry& g, int start, int length)
{
    const QRect& r = option->rect;
    return g.horizontal ? QRect(r.x() + start, r.y(), length, r.height())
                        : QRect(r.x(), r.y() + start, r.width(), length);
}

void DrawBarButton(QPainter& p, const QRect& r, const QStyleOption* option, bool hot)
{
    p.fillRect(r, Sys(COLOR_3DFACE, option));
    if (hot)
        DrawFrames(p, r, option->palette, {COLOR_3DFACE, COLOR_3DDKSHADOW, COLOR_3DHILIGHT, COLOR_3DSHADOW});
    else
        DrawFrames(p, r, option->palette, {COLOR_3DHILIGHT, COLOR_3DSHADOW, COLOR_3DFACE, COLOR_3DFACE});
}

}  // namespace

std::pair<int, int> CFlatScrollBarHandler::ThumbGeometry(const QStyleOptionSlider* option, int trackLength)
{
    const qint64 page = std::max(0, option->pageStep);
    const qint64 span = qint64(option->maximum) - option->minimum;
    const qint64 range = span + page;
    if (trackLength <= 0 || range <= 0)
        return {0, 0};
    int length = page == 0 ? SM_CXHTHUMB : int(page * trackLength / range);
    length = std::max(length, kMinThumb);
    if (length >= trackLength)
        return {0, 0};
    // Nothing to scroll leaves the thumb at the start instead of dividing by zero.
    int start = 0;
    if (span > 0) {
        const qint64 offset = std::clamp<qint64>(qint64(option->sliderPosition) - option->minimum, 0, span);
        start = int((offset * (trackLength - length) + span / 2) / span);
    }
    if (option->upsideDown)
        start = trackLength - length - start;
    return {start, length};
}

QRect CFlatScrollBarHandler::SubControlRect(const QStyleOptionComplex* complex, QStyle::SubControl sc)
{
    const auto* option = qstyleoption_cast<const QStyleOptionSlider*>(complex);
    if (!option)
        return QRect();
    const BarGeometry g = GeometryOf(option);
    const auto [thumbStart, thumbLength] = ThumbGeometry(option, g.track);
    const int thumbAt = g.arrow + thumbStart;
    switch (sc) {
    case QStyle::SC_ScrollBarSubLine:
        return Along(option, g, 0, g.arrow);
    case QStyle::SC_ScrollBarAddLine:
        return Along(option, g, g.length - g.arrow, g.arrow);
    case QStyle::SC_ScrollBarGroove:
        return Along(option, g, g.arrow, g.track);
    case QStyle::SC_ScrollBarSlider:
        return thumbLength ? Along(option, g, thumbAt, thumbLength) : Along(option, g, g.arrow, g.track);
    case QStyle::SC_ScrollBarSubPage:
        return thumbLength ? Along(option, g, g.arrow, thumbStart) : QRect();
    case QStyle::SC_ScrollBarAddPage:
        return thumbLength ? Along(option, g, thumbAt + thumbLength, g.track - thumbStart - thumbLength)
                           : QRect();
    default:
        return QRect();
    }
}

void CFlatScrollBarHandler::DrawScrollBar(
    QPainter& p, const QStyleOptionSlider* option, bool hot, bool ownControl)
{
    const BarGeometry g = GeometryOf(option);
    const bool enabled = option->state & QStyle::State_Enabled;
    const QRect track = Along(option, g, g.arrow, g.track);
    p.fillRect(track, Sys(COLOR_3DFACE, option));
    p.fillRect(track, QBrush(Sys(COLOR_3DHILIGHT, option), Qt::Dense4Pattern));

    const QRect sub = Along(option, g, 0, g.arrow);
    const QRect add = Along(option, g, g.length - g.arrow, g.arrow);
    DrawBarButton(p, sub, option, hot);
    DrawBarButton(p, add, option, hot);
    const int glyph = std::max(1, std::min(7, (g.thickness - 6) | 1));
    const QColor ink = Sys(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT, option);
    DrawArrowGlyph(p, sub, g.horizontal ? ArrowDirection::Left : ArrowDirection::Up, glyph, ink);
    DrawArrowGlyph(p, add, g.horizontal ? ArrowDirection::Right : ArrowDirection::Down, glyph, ink);
    if (ownControl && !enabled)
        return;

    auto [start, length] = ThumbGeometry(option, g.track);
    if (length == 0) {
        if (!ownControl)
            return;
        length = g.track;
    }
    DrawBarButton(p, Along(option, g, g.arrow + start, length), option, hot);
}

void CFlatScrollBarHandler::DrawBorder(QPainter& p, const QRect&, const QStyleOption* option)
{
    if (const auto* slider = qstyleoption_cast<const QStyleOptionSlider*>(option))
        DrawScrollBar(p, slider, IsLit(), true);
}

// --- track bars ---------------------------------------------------------------

QRect CFlatTrackBarHandler::SubControlRect(const QStyleOptionComplex* complex, QStyle::SubControl sc)
{
    const auto* option = qstyleoption_cast<const QStyleOptionSlider*>(complex);
    if (!option)
        return QRect();
    const QRect& r = option->rect;
    const bool horizontal = option->orientation == Qt::Horizontal;
    switch (sc) {
    case QStyle::SC_SliderGroove:
    case QStyle::SC_SliderTickmarks:
        return r;
    case QStyle::SC_SliderHandle: {
        const int before = (option->tickPosition & QSlider::TicksAbove) ? 4 : 0;
        const int after = (option->tickPosition & QSlider::TicksBelow) ? 4 : 0;
        const int span = (horizontal ? r.width() : r.height()) - kThumbLength;
        const int along = QStyle::sliderPositionFromValue(
            option->minimum, option->maximum, option->sliderPosition, std::max(0, span), option->upsideDown);
        const int room = (horizontal ? r.height() : r.width()) - before - after;
        const int thickness = std::min(kThumbThickness, std::max(0, room));
        const int across = before + (room - thickness) / 2;
        return horizontal ? QRect(r.x() + along, r.y() + across, kThumbLength, thickness)
                          : QRect(r.x() + across, r.y() + along, thickness, kThumbLength);
    }
    default:
        return QRect();
    }
}

namespace {

void DrawTicks(QPainter& p, const QStyleOptionSlider* option, const QRect& thumb)
{
    if (option->tickPosition == QSlider::NoTicks)
        return;
    const bool horizontal = option->orientation == Qt::Horizontal;
    const int interval = option->tickInterval > 0 ? option->tickInterval : std::max(1, option->pageStep);
    const qint64 count = (qint64(option->maximum) - option->minimum) / interval;
    if (count > 1000)
        return;
    const QRect& r = option->rect;
    const int span = std::max(0, (horizontal ? r.width() : r.height()) - CFlatTrackBarHandler::kThumbLength);
    const QColor ink = Sys(COLOR_WINDOWTEXT, option);
    for (qint64 i = 0; i <= count; ++i) {
        const int value = int(option->minimum + i * interval);
        const int at = CFlatTrackBarHandler::kThumbLength / 2
            + QStyle::sliderPositionFromValue(
                option->minimum, option->maximum, value, span, option->upsideDown);
        if (horizontal) {
            if (option->tickPosition & QSlider::TicksAbove)
                p.fillRect(r.x() + at, thumb.top() - 4, 1, 3, ink);
            if (option->tickPosition & QSlider::TicksBelow)
                p.fillRect(r.x() + at, thumb.bottom() + 2, 1, 3, ink);
        } else {
            if (option->tickPosition & QSlider::TicksLeft)
                p.fillRect(thumb.left() - 4, r.y() + at, 3, 1, ink);
            if (option->tickPosition & QSlider::TicksRight)
                p.fillRect(thumb.right() + 2, r.y() + at, 3, 1, ink);
        }
    }
}

}  // namespace

void CFlatTrackBarHandler::DrawBorder(QPainter& p, const QRect&, const QStyleOption* opt)
{
    const auto* option = qstyleoption_cast<const QStyleOptionSlider*>(opt);
    if (!option)
        return;
    const QPalette& pal = option->palette;
    const bool horizontal = option->orientation == Qt::Horizontal;
    const bool hot = IsLit();
    const QRect thumb = SubControlRect(option, QStyle::SC_SliderHandle);

    const QRect& r = option->rect;
    const int half = kThumbLength / 2;
    const QRect channel = horizontal ? QRect(r.x() + half, thumb.center().y() - kChannelThickness / 2,
                              r.width() - 2 * half, kChannelThickness)
                                     : QRect(thumb.center().x() - kChannelThickness / 2, r.y() + half,
                                         kChannelThickness, r.height() - 2 * half);
    if (hot)
        DrawFrames(p, channel, pal, {COLOR_3DSHADOW, COLOR_3DHILIGHT, COLOR_3DDKSHADOW, COLOR_3DLIGHT});
    else
        DrawFrames(p, channel, pal, {COLOR_3DSHADOW, COLOR_3DHILIGHT, COLOR_3DFACE, COLOR_3DFACE});
    DrawTicks(p, option, thumb);

    const int l = thumb.x();
    const int t = thumb.y();
    const int rr = thumb.x() + thumb.width();
    const int b = thumb.y() + thumb.height();
    if (option->tickPosition == QSlider::TicksBothSides) {
        p.fillRect(thumb, Sys(COLOR_3DFACE, option));
        if (hot)
            DrawFrames(p, thumb, pal, {COLOR_3DHILIGHT, COLOR_3DDKSHADOW, COLOR_3DLIGHT, COLOR_3DSHADOW});
        else
            DrawFrames(p, thumb, pal, {COLOR_3DHILIGHT, COLOR_3DSHADOW, COLOR_3DFACE, COLOR_3DFACE});
        return;
    }

    const int h = (horizontal ? thumb.width() : thumb.height()) / 2 + 1;
    const bool towardsStart = option->tickPosition == QSlider::TicksAbove;  // up, or left
    QPolygon body;
    if (horizontal && towardsStart)
        body << QPoint(l + h - 2, t) << QPoint(rr - 1, t + h - 1) << QPoint(rr - 1, b - 1) << QPoint(l, b - 1)
             << QPoint(l, t + h - 1);
    else if (horizontal)
        body << QPoint(l, t) << QPoint(rr - 1, t) << QPoint(rr - 1, b - h) << QPoint(l + h - 2, b - 1)
             << QPoint(l, b - h);
    else if (towardsStart)
        body << QPoint(l, t + h - 1) << QPoint(l + h - 1, t) << QPoint(rr - 1, t) << QPoint(rr - 1, b - 1)
             << QPoint(l + h - 1, b - 1);
    else
        body << QPoint(l, t) << QPoint(rr - h, t) << QPoint(rr - 1, t + h - 1) << QPoint(rr - h, b - 1)
             << QPoint(l, b - 1);
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(Sys(COLOR_3DFACE, option));
    p.setRenderHint(QPainter::Antialiasing, false);
    p.drawPolygon(body);
    p.restore();

    const QColor a = Sys(COLOR_3DHILIGHT, option);
    const QColor bb = Sys(hot ? COLOR_3DLIGHT : COLOR_3DFACE, option);
    const QColor c = Sys(hot ? COLOR_3DDKSHADOW : COLOR_3DSHADOW, option);
    const QColor d = Sys(hot ? COLOR_3DSHADOW : COLOR_3DFACE, option);
    PixelPen pen(p, a);
    if (!horizontal && towardsStart) {
        pen.MoveTo(rr - 2, t);
        pen.LineTo(l + h - 1, t);
        pen.LineTo(l, t + h - 1);
        pen.SetColour(c);
        pen.LineTo(l + h - 1, b - 1);
        pen.LineTo(rr - 1, b - 1);
        pen.LineTo(rr - 1, t - 1);
        pen.SetColour(bb);
        pen.MoveTo(rr - 3, t + 1);
        pen.LineTo(l + h - 1, t + 1);
        pen.LineTo(l + 1, t + h - 1);
        pen.SetColour(d);
        pen.LineTo(l + h - 1, b - 2);
        pen.LineTo(rr - 2, b - 2);
        pen.LineTo(rr - 2, t);
    } else if (!horizontal) {
        pen.MoveTo(l, b - 2);
        pen.LineTo(l, t);
        pen.LineTo(rr - h, t);
        pen.LineTo(rr - 1, t + h - 1);
        pen.SetColour(c);
        pen.MoveTo(l, b - 1);
        pen.LineTo(rr - h, b - 1);
        pen.LineTo(rr, t + h - 2);
        pen.SetColour(bb);
        pen.MoveTo(l + 1, b - 3);
        pen.LineTo(l + 1, t + 1);
        pen.LineTo(rr - h, t + 1);
        pen.LineTo(rr - 2, t + h - 1);
        pen.SetColour(d);
        pen.MoveTo(l + 1, b - 2);
        pen.LineTo(rr - h, b - 2);
        pen.LineTo(rr - 1, t + h - 2);
    } else if (towardsStart) {
        pen.MoveTo(l + h - 2, t + 1);
        pen.LineTo(l, t + h - 1);
        pen.LineTo(l, b - 1);
        pen.SetColour(c);
        pen.LineTo(rr - 1, b - 1);
        pen.LineTo(rr - 1, t + h - 1);
        pen.LineTo(l + h - 2, t - 1);
        pen.SetColour(bb);
        pen.MoveTo(l + h - 2, t + 2);
        pen.LineTo(l + 1, t + h - 1);
        pen.LineTo(l + 1, b - 2);
        pen.SetColour(d);
        pen.LineTo(rr - 2, b - 2);
        pen.LineTo(rr - 2, t + h - 1);
        pen.LineTo(l + h - 2, t);
    } else {
        pen.MoveTo(l + h - 2, b - 2);
        pen.LineTo(l, b - h);
        pen.LineTo(l, t);
        pen.LineTo(rr - 1, t);
        pen.SetColour(c);
        pen.LineTo(rr - 1, b - h);
        pen.LineTo(l + h - 2, b);
        pen.SetColour(bb);
        pen.MoveTo(l + h - 2, b - 3);
        pen.LineTo(l + 1, b - h);
        pen.LineTo(l + 1, t + 1);
        pen.LineTo(rr - 2, t + 1);
        pen.SetColour(d);
        pen.LineTo(rr - 2, b - h);
        pen.LineTo(l + h - 2, b - 1);
    }
}

// --- headers and tabs ---------------------------------------------------------

bool CFlatItemHandler::CheckHot(QPoint screen)
{
    const int item = ItemAt(m_hwnd->mapFromGlobal(screen));
    const bool moved = item != m_hotItem;
    if (moved) {
        m_hotItem = item;
        m_hwnd->update();
    }
    return GetFlatCtrlMan().HotWindow() != m_hwnd || moved;
}

void CFlatItemHandler::UpdateBorder()
{
    if (!(m_state & kHot) && m_hotItem != -1) {
        m_hotItem = -1;
        m_hwnd->update();
    }
    CFlatCtrlHandler::UpdateBorder();
}

int CFlatHeaderHandler::ItemAt(QPoint local) const
{
    auto* header = static_cast<QHeaderView*>(m_hwnd);
    if (!header->rect().contains(local))
        return -1;
    return header->logicalIndexAt(local);
}

void CFlatHeaderHandler::UpdateBorder()
{
    CFlatItemHandler::UpdateBorder();
    // The list the header belongs to is lit while one of its items is.
    CFlatCtrlHandler* parent = GetFlatCtrlMan().Find(m_hwnd->parentWidget());
    const bool lit = (m_state & kHot) && m_hotItem != -1;
    if (parent && lit != m_parentLit) {
        parent->SetHotBit(lit);
        parent->UpdateBorder();
        m_parentLit = lit;
    }
}

void CFlatHeaderHandler::DrawBorder(QPainter& p, const QRect& r, const QStyleOption* option)
{
    const auto* header = qstyleoption_cast<const QStyleOptionHeader*>(option);
    bool hot = false;
    if (header && (m_state & kHot) && header->section == m_hotItem) {
        const QWidget* parent = m_hwnd->parentWidget();
        hot = !parent || parent->rect().contains(parent->mapFromGlobal(QCursor::pos()));
    }
    p.fillRect(r, Sys(COLOR_3DFACE, option));
    if (hot)
        DrawFrames(p, r, option->palette, {COLOR_3DHILIGHT, COLOR_3DDKSHADOW, COLOR_3DLIGHT, COLOR_3DSHADOW});
    else
        DrawFrames(p, r, option->palette, {COLOR_3DHILIGHT, COLOR_3DSHADOW, COLOR_3DFACE, COLOR_3DFACE});
}

int CFlatTabHandler::ItemAt(QPoint local) const
{
    return static_cast<QTabBar*>(m_hwnd)->tabAt(local);
}

namespace {

enum class TabSide { Top, Left, Right, Bottom };

TabSide SideOf(QTabBar::Shape shape)
{
    switch (shape) {
    case QTabBar::RoundedWest:
    case QTabBar::TriangularWest:
        return TabSide::Left;
    case QTabBar::RoundedEast:
    case QTabBar::TriangularEast:
        return TabSide::Right;
    case QTabBar::RoundedSouth:
    case QTabBar::TriangularSouth:
        return TabSide::Bottom;
    default:
        return TabSide::Top;
    }
}

}  // namespace

void CFlatTabHandler::DrawBorder(QPainter& p, const QRect& r, const QStyleOption* option)
{
    const auto* tab = qstyleoption_cast<const QStyleOptionTab*>(option);
    if (!tab)
        return;
    const TabSide side = SideOf(tab->shape);
    const bool selected = option->state & QStyle::State_Selected;
    const int index = static_cast<QTabBar*>(m_hwnd)->tabAt(r.center());
    const bool hot = !selected && (m_state & kHot) && index == m_hotItem && index != -1;

    // The tab's own rectangle leaves two pixels towards the tips, into which
    // the selected tab grows, and leaves the rows that the page area shares
    // with the tab bar, over which the selected tab reaches into the page.
    // The first tab does not grow outwards, where there is no room.
    const QWidget* tabWidget = m_hwnd->parentWidget();
    const int overlap
        = std::max(0, m_hwnd->style()->pixelMetric(QStyle::PM_TabBarBaseOverlap, nullptr, tabWidget));
    const bool first
        = tab->position == QStyleOptionTab::Beginning || tab->position == QStyleOptionTab::OnlyOneTab;
    const int out = first ? 0 : 2;
    QRect box = r;
    switch (side) {
    case TabSide::Top:
        box.adjust(0, 2, 0, -overlap);
        if (selected)
            box.adjust(-out, -2, 2, overlap);
        break;
    case TabSide::Left:
        box.adjust(2, 0, -overlap, 0);
        if (selected)
            box.adjust(-2, -out, overlap, 2);
        break;
    case TabSide::Right:
        box.adjust(overlap, 0, -2, 0);
        if (selected)
            box.adjust(-overlap, -out, 2, 2);
        break;
    case TabSide::Bottom:
        box.adjust(0, overlap, 0, -2);
        if (selected)
            box.adjust(-out, -overlap, 2, 2);
        break;
    }
    const QColor hl = Sys(COLOR_3DHILIGHT, option);
    const QColor inner = Sys(hot ? COLOR_3DLIGHT : COLOR_3DFACE, option);
    const QColor outerShadow = Sys(hot ? COLOR_3DDKSHADOW : COLOR_3DSHADOW, option);
    const QColor innerShadow = Sys(hot ? COLOR_3DSHADOW : COLOR_3DFACE, option);
    p.fillRect(box, Sys(COLOR_3DFACE, option));

    const int l = box.x();
    const int t = box.y();
    const int rr = box.x() + box.width();
    const int b = box.y() + box.height();
    const bool before = !(tab->selectedPosition == QStyleOptionTab::PreviousIsSelected);
    const bool after = !(tab->selectedPosition == QStyleOptionTab::NextIsSelected);
    switch (side) {
    case TabSide::Top:
        if (before) {
            Fill(p, l, t + 2, 1, b - t - 2, hl);
            Fill(p, l + 1, t + 2, 1, b - t - 2, inner);
        }
        Fill(p, l + 2, t, rr - l - 4, 1, hl);
        Fill(p, l + 2, t + 1, rr - l - 4, 1, inner);
        if (after) {
            Fill(p, rr - 1, t + 2, 1, b - t - 2, outerShadow);
            Fill(p, rr - 2, t + 2, 1, b - t - 2, innerShadow);
        }
        Fill(p, l + 1, t + 1, 1, 1, hl);
        Fill(p, rr - 2, t + 1, 1, 1, outerShadow);
        break;
    case TabSide::Bottom:
        if (before) {
            Fill(p, l, t, 1, b - t - 2, hl);
            Fill(p, l + 1, t, 1, b - t - 2, inner);
        }
        Fill(p, l + 2, b - 1, rr - l - 4, 1, outerShadow);
        Fill(p, l + 2, b - 2, rr - l - 4, 1, innerShadow);
        if (after) {
            Fill(p, rr - 1, t, 1, b - t - 2, outerShadow);
            Fill(p, rr - 2, t, 1, b - t - 2, innerShadow);
        }
        Fill(p, l + 1, b - 2, 1, 1, outerShadow);
        Fill(p, rr - 2, b - 2, 1, 1, outerShadow);
        break;
    case TabSide::Left:
        if (before) {
            Fill(p, l + 2, t, rr - l - 2, 1, hl);
            Fill(p, l + 2, t + 1, rr - l - 2, 1, inner);
        }
        Fill(p, l, t + 2, 1, b - t - 4, hl);
        Fill(p, l + 1, t + 2, 1, b - t - 4, inner);
        if (after) {
            Fill(p, l + 2, b - 1, rr - l - 2, 1, outerShadow);
            Fill(p, l + 2, b - 2, rr - l - 2, 1, innerShadow);
        }
        Fill(p, l + 1, t + 1, 1, 1, hl);
        Fill(p, l + 1, b - 2, 1, 1, outerShadow);
        break;
    case TabSide::Right:
        if (before) {
            Fill(p, l, t, rr - l - 2, 1, hl);
            Fill(p, l, t + 1, rr - l - 2, 1, inner);
        }
        Fill(p, rr - 1, t + 2, 1, b - t - 4, outerShadow);
        Fill(p, rr - 2, t + 2, 1, b - t - 4, innerShadow);
        if (after) {
            Fill(p, l, b - 1, rr - l - 2, 1, outerShadow);
            Fill(p, l, b - 2, rr - l - 2, 1, innerShadow);
        }
        Fill(p, rr - 2, t + 1, 1, 1, outerShadow);
        Fill(p, rr - 2, b - 2, 1, 1, outerShadow);
        break;
    }
}

void CFlatTabHandler::DrawPane(QPainter& p, const QRect& r, const QStyleOption* option)
{
    Draw3dRect(p, r, Sys(COLOR_3DHILIGHT, option), Sys(COLOR_3DSHADOW, option));
    Draw3dRect(p, r.adjusted(1, 1, -1, -1), Sys(COLOR_3DFACE, option), Sys(COLOR_3DFACE, option));
}

// --- choosing -----------------------------------------------------------------

namespace {

QAbstractScrollArea* ScrollAreaOfBar(const QWidget* bar)
{
    const QWidget* container = bar ? bar->parentWidget() : nullptr;
    auto* area = qobject_cast<QAbstractScrollArea*>(container ? container->parentWidget() : nullptr);
    if (area && (area->verticalScrollBar() == bar || area->horizontalScrollBar() == bar))
        return area;
    return nullptr;
}

bool HasFrame(const QFrame* frame)
{
    return frame->frameShape() != QFrame::NoFrame;
}

}  // namespace

CFlatCtrlHandler* OwnerOfScrollBar(const QWidget* scrollBar)
{
    QAbstractScrollArea* area = ScrollAreaOfBar(scrollBar);
    return area ? GetFlatCtrlMan().Find(area) : nullptr;
}

std::unique_ptr<CFlatCtrlHandler> ChooseFlatHandler(QWidget* w)
{
    // Buttons that draw themselves keep their own look.
    if (w->property("ownerDraw").toBool())
        return nullptr;
    if (auto* button = qobject_cast<QPushButton*>(w))
        return button->isFlat() ? nullptr : std::make_unique<CFlatPushButtonHandler>(w);
    if (qobject_cast<QCheckBox*>(w))
        return std::make_unique<CFlatCheckBoxHandler>(w);
    if (qobject_cast<QRadioButton*>(w))
        return std::make_unique<CFlatRadioHandler>(w);
    if (auto* combo = qobject_cast<QComboBox*>(w))
        return combo->hasFrame() ? std::make_unique<CFlatComboHandler>(w) : nullptr;
    if (auto* date = qobject_cast<QDateTimeEdit*>(w)) {
        if (!date->hasFrame())
            return nullptr;
        if (date->calendarPopup())
            return std::make_unique<CFlatDateTimeHandler>(w);
        return std::make_unique<CFlatSpinHandler>(w);
    }
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(w))
        return spin->hasFrame() ? std::make_unique<CFlatSpinHandler>(w) : nullptr;
    // The edits inside combo and spin boxes have no frame of their own.
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        return edit->hasFrame() ? std::make_unique<CFlatEditHandler>(w) : nullptr;
    if (auto* text = qobject_cast<QTextEdit*>(w))
        return HasFrame(text) ? std::make_unique<CFlatEditHandler>(w) : nullptr;
    if (auto* plain = qobject_cast<QPlainTextEdit*>(w))
        return HasFrame(plain) ? std::make_unique<CFlatEditHandler>(w) : nullptr;
    if (auto* header = qobject_cast<QHeaderView*>(w))
        return header->sectionsClickable() ? std::make_unique<CFlatHeaderHandler>(w) : nullptr;
    if (auto* view = qobject_cast<QAbstractItemView*>(w))
        return HasFrame(view) ? std::make_unique<CFlatCtrlHandler>(w) : nullptr;
    if (qobject_cast<QScrollBar*>(w))
        return ScrollAreaOfBar(w) ? nullptr : std::make_unique<CFlatScrollBarHandler>(w);
    if (qobject_cast<QSlider*>(w))
        return std::make_unique<CFlatTrackBarHandler>(w);
    if (qobject_cast<QTabBar*>(w))
        return std::make_unique<CFlatTabHandler>(w);
    return nullptr;
}
