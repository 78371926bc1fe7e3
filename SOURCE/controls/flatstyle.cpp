#include "controls/flatstyle.h"

#include "controls/flatdraw.h"
#include "controls/flathandlers.h"
#include "platform/ui/syscolor.h"

#include <QApplication>
#include <QPainter>
#include <QStyleOption>
#include <QTabBar>
#include <QTabWidget>

namespace {

template <typename Handler> Handler* HandlerOf(const QWidget* widget)
{
    return widget ? dynamic_cast<Handler*>(GetFlatCtrlMan().Find(widget)) : nullptr;
}

// The frame of a plain control or a multi-line edit (both are frames).
CFlatCtrlHandler* FrameHandlerOf(const QWidget* widget)
{
    CFlatCtrlHandler* handler = HandlerOf<CFlatCtrlHandler>(widget);
    if (!handler)
        return nullptr;
    const auto& type = typeid(*handler);
    return (type == typeid(CFlatCtrlHandler) || type == typeid(CFlatEditHandler)) ? handler : nullptr;
}

bool IsFlatScrollBar(const QWidget* widget)
{
    return HandlerOf<CFlatScrollBarHandler>(widget) || OwnerOfScrollBar(widget);
}

}  // namespace

CFlatStyle::CFlatStyle()
    : QProxyStyle(QApplication::style() ? QApplication::style()->name() : QString())
{
}

void CFlatStyle::drawPrimitive(
    PrimitiveElement pe, const QStyleOption* option, QPainter* p, const QWidget* widget) const
{
    switch (pe) {
    case PE_PanelLineEdit:
        if (auto* handler = HandlerOf<CFlatEditHandler>(widget)) {
            const bool plain
                = (option->state & State_Enabled) && !(handler->State() & CFlatCtrlHandler::kReadOnly);
            p->fillRect(option->rect, GetSysColor(plain ? COLOR_WINDOW : COLOR_3DFACE, option->palette));
            handler->DrawBorder(*p, option->rect, option);
            return;
        }
        break;
    case PE_FrameLineEdit:
        if (auto* handler = HandlerOf<CFlatEditHandler>(widget)) {
            handler->DrawBorder(*p, option->rect, option);
            return;
        }
        break;
    case PE_PanelButtonCommand:
    case PE_PanelButtonBevel:
        if (auto* handler = HandlerOf<CFlatPushButtonHandler>(widget)) {
            handler->DrawBorder(*p, option->rect, option);
            return;
        }
        break;
    case PE_FrameDefaultButton:
        if (HandlerOf<CFlatPushButtonHandler>(widget))
            return;
        break;
    case PE_IndicatorCheckBox:
        if (auto* handler = HandlerOf<CFlatCheckBoxHandler>(widget)) {
            handler->DrawBorder(*p, option->rect, option);
            return;
        }
        break;
    case PE_IndicatorRadioButton:
        if (auto* handler = HandlerOf<CFlatRadioHandler>(widget)) {
            handler->DrawBorder(*p, option->rect, option);
            return;
        }
        break;
    case PE_FrameTabWidget:
        if (const auto* tabs = qobject_cast<const QTabWidget*>(widget)) {
            if (HandlerOf<CFlatTabHandler>(
                    tabs->findChild<QTabBar*>(QString(), Qt::FindDirectChildrenOnly))) {
                CFlatTabHandler::DrawPane(*p, option->rect, option);
                return;
            }
        }
        break;
    case PE_Frame:
        if (auto* handler = FrameHandlerOf(widget)) {
            handler->DrawBorder(*p, option->rect, option);
            return;
        }
        break;
    case PE_PanelScrollAreaCorner:
        if (FrameHandlerOf(widget)) {
            p->fillRect(option->rect, GetSysColor(COLOR_3DFACE, option->palette));
            return;
        }
        break;
    default:
        break;
    }
    QProxyStyle::drawPrimitive(pe, option, p, widget);
}

void CFlatStyle::drawControl(
    ControlElement ce, const QStyleOption* option, QPainter* p, const QWidget* widget) const
{
    switch (ce) {
    case CE_ShapedFrame:
        if (auto* handler = FrameHandlerOf(widget)) {
            const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(option);
            if (frame && frame->frameShape != QFrame::NoFrame) {
                handler->DrawBorder(*p, option->rect, option);
                return;
            }
        }
        break;
    case CE_HeaderSection:
        if (auto* handler = HandlerOf<CFlatHeaderHandler>(widget)) {
            handler->DrawBorder(*p, option->rect, option);
            return;
        }
        break;
    case CE_HeaderEmptyArea:
        if (HandlerOf<CFlatHeaderHandler>(widget)) {
            p->fillRect(option->rect, GetSysColor(COLOR_3DFACE, option->palette));
            DrawFrames(*p, option->rect, option->palette,
                {COLOR_3DHILIGHT, COLOR_3DSHADOW, COLOR_3DFACE, COLOR_3DFACE});
            return;
        }
        break;
    case CE_TabBarTabShape:
        if (auto* handler = HandlerOf<CFlatTabHandler>(widget)) {
            handler->DrawBorder(*p, option->rect, option);
            return;
        }
        break;
    case CE_PushButtonBevel:
        if (auto* handler = HandlerOf<CFlatPushButtonHandler>(widget)) {
            handler->DrawBorder(*p, option->rect, option);
            const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option);
            if (button && (button->features & QStyleOptionButton::HasMenu)) {
                const QRect arrow(option->rect.right() - 14, option->rect.y(), 10, option->rect.height());
                DrawArrowGlyph(
                    *p, arrow, ArrowDirection::Down, 7, GetSysColor(COLOR_BTNTEXT, option->palette));
            }
            return;
        }
        break;
    default:
        break;
    }
    QProxyStyle::drawControl(ce, option, p, widget);
}

void CFlatStyle::drawComplexControl(
    ComplexControl cc, const QStyleOptionComplex* option, QPainter* p, const QWidget* widget) const
{
    switch (cc) {
    case CC_ComboBox:
        if (auto* handler = HandlerOf<CFlatComboHandler>(widget)) {
            handler->DrawBorder(*p, option->rect, option);
            return;
        }
        break;
    case CC_SpinBox:
        if (auto* handler = HandlerOf<CFlatSpinHandler>(widget)) {
            handler->DrawBorder(*p, option->rect, option);
            return;
        }
        break;
    case CC_ScrollBar:
        if (auto* handler = HandlerOf<CFlatScrollBarHandler>(widget)) {
            handler->DrawBorder(*p, option->rect, option);
            return;
        }
        if (CFlatCtrlHandler* owner = OwnerOfScrollBar(widget)) {
            if (const auto* slider = qstyleoption_cast<const QStyleOptionSlider*>(option)) {
                CFlatScrollBarHandler::DrawScrollBar(*p, slider, owner->IsLit(), false);
                return;
            }
        }
        break;
    case CC_Slider:
        if (auto* handler = HandlerOf<CFlatTrackBarHandler>(widget)) {
            handler->DrawBorder(*p, option->rect, option);
            return;
        }
        break;
    default:
        break;
    }
    QProxyStyle::drawComplexControl(cc, option, p, widget);
}

QRect CFlatStyle::subControlRect(
    ComplexControl cc, const QStyleOptionComplex* option, SubControl sc, const QWidget* widget) const
{
    switch (cc) {
    case CC_ScrollBar:
        if (IsFlatScrollBar(widget))
            return CFlatScrollBarHandler::SubControlRect(option, sc);
        break;
    case CC_ComboBox:
        if (HandlerOf<CFlatComboHandler>(widget))
            return CFlatComboHandler::SubControlRect(option, sc);
        break;
    case CC_SpinBox:
        if (HandlerOf<CFlatSpinHandler>(widget))
            return CFlatSpinHandler::SubControlRect(option, sc);
        break;
    case CC_Slider:
        if (HandlerOf<CFlatTrackBarHandler>(widget))
            return CFlatTrackBarHandler::SubControlRect(option, sc);
        break;
    default:
        break;
    }
    return QProxyStyle::subControlRect(cc, option, sc, widget);
}

int CFlatStyle::pixelMetric(PixelMetric pm, const QStyleOption* option, const QWidget* widget) const
{
    switch (pm) {
    case PM_DefaultFrameWidth:
        if (FrameHandlerOf(widget))
            return 2;
        break;
    case PM_ComboBoxFrameWidth:
        if (HandlerOf<CFlatComboHandler>(widget))
            return 2;
        break;
    case PM_SpinBoxFrameWidth:
        if (HandlerOf<CFlatSpinHandler>(widget))
            return 2;
        break;
    case PM_IndicatorWidth:
    case PM_IndicatorHeight:
        if (HandlerOf<CFlatCheckBoxHandler>(widget))
            return CFlatCheckBoxHandler::kBoxSize;
        break;
    case PM_ExclusiveIndicatorWidth:
    case PM_ExclusiveIndicatorHeight:
        if (HandlerOf<CFlatRadioHandler>(widget))
            return CFlatCheckBoxHandler::kBoxSize;
        break;
    case PM_ScrollBarExtent:
        if (IsFlatScrollBar(widget))
            return SM_CXHSCROLL;
        break;
    case PM_ScrollBarSliderMin:
        if (IsFlatScrollBar(widget))
            return CFlatScrollBarHandler::kMinThumb;
        break;
    case PM_ButtonShiftHorizontal:
    case PM_ButtonShiftVertical:
        if (HandlerOf<CFlatPushButtonHandler>(widget))
            return 1;
        break;
    case PM_ButtonDefaultIndicator:
        if (HandlerOf<CFlatPushButtonHandler>(widget))
            return 0;
        break;
    case PM_SliderLength:
        if (HandlerOf<CFlatTrackBarHandler>(widget))
            return CFlatTrackBarHandler::kThumbLength;
        break;
    case PM_SliderThickness:
    case PM_SliderControlThickness:
        if (HandlerOf<CFlatTrackBarHandler>(widget))
            return CFlatTrackBarHandler::kThumbThickness;
        break;
    default:
        break;
    }
    return QProxyStyle::pixelMetric(pm, option, widget);
}

int CFlatStyle::styleHint(
    StyleHint hint, const QStyleOption* option, const QWidget* widget, QStyleHintReturn* returnData) const
{
    // The flat border goes round the scroll bars as well, as a list's
    // client edge does.
    if (hint == SH_ScrollView_FrameOnlyAroundContents && FrameHandlerOf(widget))
        return 0;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}
