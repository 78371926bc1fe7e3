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
// the hundred years from kYearsBack years before thisYear to kYearsAhead
// after it, so that "60" typed in 2026 is 1960 and "30" is 2030.
constexpr int kYearsBack = 80;
constexpr int kYearsAhead = 19;
int YearOfTwoDigits(int twoDigits, int thisYear);

// The date a typed text stands for: day, month and year in the order of the
// display format, apart by anything but letters and digits; the month may
// be a name (of the locale or English); a year of one or two digits is
// YearOfTwoDigits's. Invalid when the text names no date that exists.
QDate DateOfTypedText(const QString& text, const QString& format, const QLocale& locale, int thisYear);

// How to type a date into a control of that format, with the years that a
// year of two digits stands for.
QString DateTypingHint(const QString& format, const QLocale& locale, int thisYear);

// A date control that takes the date as the user typed it, or refuses it
// with a message: the control's own typing goes part by part, and would
// silently drop a part typed over the whole text, make the 31st of a short
// month its last day, or put the old year back in place of one typed with
// two digits. The typing ends on Tab, Enter, leaving the control and when
// the value is asked for; the text is then read whole (DateOfTypedText).
class CYearDateEdit : public QDateEdit {
public:
    using QDateEdit::QDateEdit;
    // Takes the date typed since the last end of typing. False when the
    // text is no date: the user is told, and the date from before the
    // typing is back.
    bool FinishTyping();

protected:
    QValidator::State validate(QString& input, int& pos) const override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    QString* TypedPart(Section section);
    QDate DateOfTypedParts(int thisYear) const;

    bool m_typing = false;
    // Typed over more than one part: the text is the user's until the end
    // of the typing, not the parts'.
    bool m_wholeText = false;
    QDate m_before;
    // Day, month and year as typed part by part.
    QString m_typedParts[3];
    Section m_lastTypedSection = NoSection;
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
