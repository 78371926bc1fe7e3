// The context-help balloon: a small pop-up beside a control with a few
// sentences about it, closed by a click anywhere or any key.
#pragma once

#include <QLabel>

class QWidget;

class CHelpBalloon : public QLabel {
    Q_OBJECT
public:
    CHelpBalloon(QWidget* control, const QString& text);

    // The balloon on screen, or null.
    static CHelpBalloon* Current();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
};

// Shows text beside the control: at the mouse when the mouse is over it
// (a right click), else just below the control (the help key). One balloon
// at a time: a new one replaces the last.
void ShowHelpBalloon(QWidget* control, const QString& text);
