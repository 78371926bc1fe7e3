// A date picker with a "no date" state: the check box beside the date says
// whether there is one. A date the user never touched is given back exactly
// as it came, time of day included.
#pragma once

#include "platform/oledate.h"

#include <QDateEdit>
#include <QWidget>

class QCheckBox;

// The locale's short date format with the year in four digits: in a
// two-digit year the century is a guess, and a wrong one (a birthday in
// 1960 typed as "60") would be saved.
QString FourDigitYearFormat(const QString& format);

// The year a year typed with one or two digits stands for: the one within
// the hundred years from 80 years before thisYear to 19 after it, so that
// "60" typed in 2026 is 1960 and "30" is 2030.
int YearOfTwoDigits(int twoDigits, int thisYear);

// A date control that reads a year typed with one or two digits as the
// year it stands for (YearOfTwoDigits) when the typing ends: on leaving
// the year, on Enter, and when the value is asked for.
class CYearDateEdit : public QDateEdit {
public:
    using QDateEdit::QDateEdit;
    // Writes the whole year in place of a short one; nothing otherwise.
    void CompleteYear();

protected:
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;
};

class CDateField : public QWidget {
    Q_OBJECT
public:
    explicit CDateField(QWidget* parent = nullptr);

    void SetValue(const DateValue& value);
    // Null while the check box is clear.
    DateValue Value() const;

    QCheckBox* Check() const { return m_check; }
    QDateEdit* Edit() const { return m_edit; }

private:
    void OnToggled(bool on);

    QCheckBox* m_check;
    CYearDateEdit* m_edit;
    DateValue m_original = DateValue::Null();
    bool m_touched = false;
};
