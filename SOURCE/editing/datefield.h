// A date picker with a "no date" state: the check box beside the date says
// whether there is one. A date the user never touched is given back exactly
// as it came, time of day included.
#pragma once

#include "platform/oledate.h"

#include <QWidget>

class QCheckBox;
class QDateEdit;

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
