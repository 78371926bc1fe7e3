// The application style while the flat look is on: it draws every control
// that has a flat handler through that handler and leaves everything else
// to the desktop style it wraps.
#pragma once

#include <QProxyStyle>

class CFlatStyle : public QProxyStyle {
    Q_OBJECT
public:
    CFlatStyle();

    void drawPrimitive(PrimitiveElement pe, const QStyleOption* option, QPainter* p,
        const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement ce, const QStyleOption* option, QPainter* p,
        const QWidget* widget = nullptr) const override;
    void drawComplexControl(ComplexControl cc, const QStyleOptionComplex* option, QPainter* p,
        const QWidget* widget = nullptr) const override;
    QRect subControlRect(ComplexControl cc, const QStyleOptionComplex* option, SubControl sc,
        const QWidget* widget = nullptr) const override;
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr, const QWidget* widget = nullptr,
        QStyleHintReturn* returnData = nullptr) const override;
    int pixelMetric(
        PixelMetric pm, const QStyleOption* option = nullptr, const QWidget* widget = nullptr) const override;
};
