// The bar that holds the main tool bar: a two-pixel border of its own, with
// an inner edge when the user's "RebarFlags" bit 0 asks for one.
#pragma once

#include "platform/wintypes.h"

#include <QWidget>

class CBorderReBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int kBorder = 2;
    static constexpr u32 kInnerEdge = 0x1;

    explicit CBorderReBar(QWidget* parent = nullptr);
    void AddBar(QWidget* bar);

protected:
    void paintEvent(QPaintEvent* event) override;
};
