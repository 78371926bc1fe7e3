#include "editing/datefield.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QHBoxLayout>

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

CDateField::CDateField(QWidget* parent)
    : QWidget(parent)
    , m_check(new QCheckBox(this))
    , m_edit(new QDateEdit(this))
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
