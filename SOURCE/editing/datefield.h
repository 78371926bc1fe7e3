// A date picker with a "no date" state: the check box beside the date says
// whether there is one. A date the user never touched is given back exactly
// as it came, time of day included.
#pragma once

#include "platform/oledate.h"

#include <QWidget>

class QCheckBox;
class QDateEdit;

// The locale's short date format with the year in four digits: in a
// two-digit year the century is a guess, and a wrong one (a birthday in
// 1960 typed as "60") would be saved.
QString FourDigitYearFormat(const QString& format);

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
    QDateEdit* m_edit;
    DateValue m_original = DateValue::Null();
    bool m_touched = false;
};
