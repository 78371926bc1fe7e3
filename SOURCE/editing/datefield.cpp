#include "editing/datefield.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>

QString FourDigitYearFormat(const QString& format)
{
    QString result;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format.at(i);
        if (c == QLatin1Char('\'')) {
            quoted = !quoted;
        } else if (!quoted && c == QLatin1Char('y')) {
            qsizetype end = i;
            while (end < format.size() && format.at(end) == c)
                ++end;
            result += QStringLiteral("yyyy");
            i = end;
            continue;
        }
        result += c;
        ++i;
    }
    return result;
}

int YearOfTwoDigits(int twoDigits, int thisYear)
{
    constexpr int kYearsBack = 80;
    constexpr int kYearsAhead = 19;
    const int year = thisYear - thisYear % 100 + twoDigits;
    if (year > thisYear + kYearsAhead)
        return year - 100;
    if (year < thisYear - kYearsBack)
        return year + 100;
    return year;
}

void CYearDateEdit::CompleteYear()
{
    // While typed short, the year is only an intermediate text: the control
    // would put the old year back when the typing ends.
    const QString typed = sectionText(QDateTimeEdit::YearSection);
    if (typed.isEmpty() || typed.size() > 2)
        return;
    bool ok = false;
    const int twoDigits = locale().toInt(typed, &ok);
    if (!ok || twoDigits < 0)
        return;
    QLocale digits = locale();
    digits.setNumberOptions(QLocale::OmitGroupSeparator);
    // As if typed: the control reads the text again.
    setCurrentSection(QDateTimeEdit::YearSection);
    lineEdit()->setSelection(lineEdit()->cursorPosition(), int(typed.size()));
    lineEdit()->insert(digits.toString(YearOfTwoDigits(twoDigits, QDate::currentDate().year())));
}

void CYearDateEdit::focusOutEvent(QFocusEvent* event)
{
    CompleteYear();
    QDateEdit::focusOutEvent(event);
}

void CYearDateEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        CompleteYear();
    QDateEdit::keyPressEvent(event);
}

bool CYearDateEdit::focusNextPrevChild(bool next)
{
    // Tab moves between the parts of the date before it leaves it.
    CompleteYear();
    return QDateEdit::focusNextPrevChild(next);
}

CDateField::CDateField(QWidget* parent)
    : QWidget(parent)
    , m_check(new QCheckBox(this))
    , m_edit(new CYearDateEdit(this))
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_check);
    layout->addWidget(m_edit, 1);
    m_check->setToolTip(tr("Date given"));
    m_edit->setCalendarPopup(true);
    m_edit->setDisplayFormat(FourDigitYearFormat(QLocale().dateFormat(QLocale::ShortFormat)));
    m_edit->setMinimumDate(QDate(1753, 1, 1));
    setFocusProxy(m_edit);
    connect(m_check, &QCheckBox::toggled, this, &CDateField::OnToggled);
    connect(m_edit, &QDateEdit::dateChanged, this, [this] { m_touched = true; });
    SetValue(DateValue::Null());
}

void CDateField::SetValue(const DateValue& value)
{
    m_original = value;
    const bool valid = value.IsValid();
    const QDate date = valid ? DateToQDateTime(value).date() : QDate::currentDate();
    m_check->setChecked(valid);
    m_edit->setDate(date);
    m_edit->setEnabled(valid);
    m_touched = false;
}

DateValue CDateField::Value() const
{
    // OK by its key leaves the focus where it was, with the year perhaps
    // still typed short.
    m_edit->CompleteYear();
    if (!m_check->isChecked())
        return m_original.IsValid() ? DateValue::Null() : m_original;
    if (!m_touched && m_original.IsValid())
        return m_original;
    return DateFromQDateTime(QDateTime(m_edit->date(), QTime(0, 0)));
}

void CDateField::OnToggled(bool on)
{
    m_edit->setEnabled(on);
    m_touched = true;
    if (on)
        m_edit->setFocus();
}
