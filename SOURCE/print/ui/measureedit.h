// An edit for a length in the dialog's unit, with a spin that moves it by
// 0.01 of the unit. A typed value is checked when the edit loses the focus
// (and before the dialog takes it): a wrong one is reported, and the focus
// goes back to the edit.
#pragma once

#include "print/measure.h"

#include <QWidget>

class QLineEdit;
class QToolButton;

class CMeasureEdit : public QWidget {
    Q_OBJECT
public:
    CMeasureEdit(int editId, int spinId, const MeasureUnit& unit, QWidget* parent = nullptr);

    QLineEdit* Edit() const { return m_edit; }
    double Value() const { return m_value; }
    void SetValue(double value);
    // Values above it are refused.
    void SetMaximum(double maximum) { m_maximum = maximum; }
    double Maximum() const { return m_maximum; }
    // A length of 0 is refused too (a label's width and height).
    void SetMustBePositive(bool on) { m_mustBePositive = on; }

    // Reads the typed text; false after showing why it is wrong.
    bool Check();
    void StepBy(int hundredths);

signals:
    void valueChanged(double value);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    MeasureUnit m_unit;
    QLineEdit* m_edit;
    double m_value = 0;
    double m_maximum = 0;
    bool m_mustBePositive = false;
    bool m_checking = false;
};
