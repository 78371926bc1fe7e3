// A button that shows a colour and a drop arrow; the dialog that owns it
// sets and reads the colour and opens the colour pop-up on a click.
#pragma once

#include "platform/wintypes.h"

#include <QPushButton>

class CColorButton : public QPushButton {
    Q_OBJECT
public:
    explicit CColorButton(QWidget* parent = nullptr);

    COLORREF GetColor() const { return m_color; }
    void SetColor(COLORREF color);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    COLORREF m_color = 0xFFFFFF;
};
