#include "platform/ui/syscolor.h"

#include <QApplication>
#include <QPalette>
#include <QWidget>

QColor GetSysColor(int index, const QPalette& palette)
{
    switch (index) {
    case COLOR_MENU:
        return palette.color(QPalette::Active, QPalette::Window);
    case COLOR_WINDOW:
        return palette.color(QPalette::Active, QPalette::Base);
    case COLOR_WINDOWFRAME:
    case COLOR_MENUTEXT:
        return palette.color(QPalette::Active, QPalette::WindowText);
    case COLOR_WINDOWTEXT:
        return palette.color(QPalette::Active, QPalette::Text);
    case COLOR_HIGHLIGHT:
        return palette.color(QPalette::Active, QPalette::Highlight);
    case COLOR_HIGHLIGHTTEXT:
        return palette.color(QPalette::Active, QPalette::HighlightedText);
    case COLOR_3DFACE:
        return palette.color(QPalette::Active, QPalette::Button);
    case COLOR_3DSHADOW:
        return palette.color(QPalette::Active, QPalette::Dark);
    case COLOR_GRAYTEXT:
        return palette.color(QPalette::Disabled, QPalette::Text);
    case COLOR_BTNTEXT:
        return palette.color(QPalette::Active, QPalette::ButtonText);
    case COLOR_3DHILIGHT:
        return palette.color(QPalette::Active, QPalette::Light);
    case COLOR_3DDKSHADOW:
        return palette.color(QPalette::Active, QPalette::Shadow);
    case COLOR_3DLIGHT:
        return palette.color(QPalette::Active, QPalette::Midlight);
    default:
        return palette.color(QPalette::Active, QPalette::Text);
    }
}

QColor GetSysColor(int index, const QWidget* widget)
{
    return GetSysColor(index, widget ? widget->palette() : QApplication::palette());
}
