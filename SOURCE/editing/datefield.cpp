#include "editing/datefield.h"

#include "core/utilities.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>

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
    const int year = thisYear - thisYear % 100 + twoDigits;
    if (year > thisYear + kYearsAhead)
        return year - 100;
    if (year < thisYear - kYearsBack)
        return year + 100;
    return year;
}

namespace {

// 1-12 for a month's name, long or short, with or without its full stop;
// 0 for anything else.
int MonthOfName(const QString& name, const QLocale& locale)
{
    const auto bare = [](QString text) {
        while (text.endsWith(QLatin1Char('.')))
            text.chop(1);
        return text.toCaseFolded();
    };
    const QString wanted = bare(name);
    for (const QLocale& names : {locale, QLocale(QLocale::English)})
        for (int month = 1; month <= 12; ++month)
            for (const QLocale::FormatType type : {QLocale::LongFormat, QLocale::ShortFormat})
                if (bare(names.monthName(month, type)) == wanted
                    || bare(names.standaloneMonthName(month, type)) == wanted)
                    return month;
    return 0;
}

// The parts of a date format in their order: "dMy", "Mdy", "ydM" ...
QString PartOrder(const QString& format)
{
    QString order;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        else if (!quoted && QStringLiteral("dMy").contains(c) && !order.contains(c))
            order += c;
    }
    return order;
}

}  // namespace

QDate DateOfTypedText(const QString& text, const QString& format, const QLocale& locale, int thisYear)
{
    QStringList parts;
    QString run;
    for (const QChar c : text) {
        if (!c.isLetterOrNumber()) {
            if (!run.isEmpty())
                parts << run;
            run.clear();
            continue;
        }
        if (!run.isEmpty() && run.back().isDigit() != c.isDigit()) {
            parts << run;
            run.clear();
        }
        run += c;
    }
    if (!run.isEmpty())
        parts << run;
    QString order = PartOrder(format);
    if (order.size() != 3 || parts.size() != 3)
        return {};
    int day = 0;
    int month = 0;
    int year = 0;
    // A month given by name may stand anywhere; the numbers are then the
    // day and the year in the format's order.
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (parts[i].front().isDigit())
            continue;
        if (month != 0 || (month = MonthOfName(parts[i], locale)) == 0)
            return {};
        parts.removeAt(i--);
        order.remove(QLatin1Char('M'));
    }
    for (qsizetype i = 0; i < order.size(); ++i) {
        const QString& part = parts[i];
        if (part.size() > 4)
            return {};
        int value = 0;
        for (const QChar c : part)
            value = value * 10 + c.digitValue();
        if (order[i] == QLatin1Char('y')) {
            // Three digits are a year typed halfway.
            if (part.size() == 3)
                return {};
            year = part.size() <= 2 ? YearOfTwoDigits(value, thisYear) : value;
        } else if (part.size() > 2) {
            return {};
        } else if (order[i] == QLatin1Char('d')) {
            day = value;
        } else {
            month = value;
        }
    }
    return QDate(year, month, day);
}

QString DateTypingHint(const QString& format, const QLocale& locale, int thisYear)
{
    const QString order = PartOrder(format);
    QStringList names;
    for (const QChar part : order)
        names << (part == QLatin1Char('d') ? QObject::tr("day")
                : part == QLatin1Char('M') ? QObject::tr("month")
                                           : QObject::tr("year"));
    return QObject::tr("Type the date as %1 (%2). A year typed with two digits is one from %3 to %4.")
        .arg(locale.toString(QDate(thisYear, 12, 31), format), names.join(QStringLiteral(", ")))
        .arg(thisYear - kYearsBack)
        .arg(thisYear + kYearsAhead);
}

bool CYearDateEdit::FinishTyping()
{
    if (!m_typing)
        return true;
    const QString typed = lineEdit()->text();
    const int thisYear = QDate::currentDate().year();
    const QDate date = m_wholeText ? DateOfTypedText(typed, displayFormat(), locale(), thisYear)
                                   : DateOfTypedParts(thisYear);
    const bool taken = date.isValid() && date >= minimumDate() && date <= maximumDate();
    m_typing = false;
    m_wholeText = false;
    for (QString& part : m_typedParts)
        part.clear();
    m_lastTypedSection = NoSection;
    setDate(taken ? date : m_before);
    // The same date again leaves the text as it was typed.
    const QString shown = textFromDateTime(dateTime());
    if (lineEdit()->text() != shown)
        lineEdit()->setText(shown);
    if (taken)
        return true;
    MsgStopText(tr("\"%1\" is not a date; the date stays %2.\n\n%3")
                    .arg(typed, shown, DateTypingHint(displayFormat(), locale(), thisYear))
                    .toStdString(),
        this);
    return false;
}

QString* CYearDateEdit::TypedPart(Section section)
{
    switch (section) {
    case DaySection:
        return &m_typedParts[0];
    case MonthSection:
        return &m_typedParts[1];
    case YearSection:
        return &m_typedParts[2];
    default:
        return nullptr;
    }
}

QDate CYearDateEdit::DateOfTypedParts(int thisYear) const
{
    // What was not typed stays as it was before the typing: the control's
    // own parts may have moved it (a day past the month's new end).
    const QString& day = m_typedParts[0];
    const QString& month = m_typedParts[1];
    const QString& year = m_typedParts[2];
    int fullYear = m_before.year();
    if (year.size() == 3)
        return {};
    if (!year.isEmpty())
        fullYear = year.size() <= 2 ? YearOfTwoDigits(year.toInt(), thisYear) : year.toInt();
    return QDate(fullYear, month.isEmpty() ? m_before.month() : month.toInt(),
        day.isEmpty() ? m_before.day() : day.toInt());
}

QValidator::State CYearDateEdit::validate(QString& input, int& pos) const
{
    if (m_wholeText)
        return QValidator::Intermediate;
    QString checked = input;
    int at = pos;
    const QValidator::State state = QDateEdit::validate(checked, at);
    // The control would write another day or year than the one typed (the
    // month's last day for the 31st, "0000" for a year begun with 0): the
    // text stays as typed, and the end of the typing judges it.
    if (state != QValidator::Invalid && checked != input)
        return QValidator::Intermediate;
    // Nor does it take a year of two digits below its earliest year ("05").
    if (state == QValidator::Invalid
        && DateOfTypedText(input, displayFormat(), locale(), QDate::currentDate().year()).isValid())
        return QValidator::Intermediate;
    input = checked;
    pos = at;
    return state;
}

void CYearDateEdit::focusOutEvent(QFocusEvent* event)
{
    FinishTyping();
    QDateEdit::focusOutEvent(event);
}

void CYearDateEdit::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Up || key == Qt::Key_Down
        || key == Qt::Key_PageUp || key == Qt::Key_PageDown) {
        // The typing ends before the key steps the date or closes the
        // dialog; a date refused stays for the user to mend.
        if (FinishTyping())
            QDateEdit::keyPressEvent(event);
        return;
    }
    const QString text = event->text();
    const bool typing = (!text.isEmpty() && text.at(0).isPrint()
                            && !(event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)))
        || key == Qt::Key_Backspace || key == Qt::Key_Delete;
    if (typing) {
        if (!m_typing)
            m_before = date();
        m_typing = true;
        if (lineEdit()->selectedText().size() > sectionText(currentSection()).size())
            m_wholeText = true;
    }
    if (!m_wholeText) {
        // Each part keeps the digits typed into it, whatever the control
        // makes of them on the way.
        if (typing) {
            const Section section = currentSection();
            if (QString* part = TypedPart(section)) {
                if (section != m_lastTypedSection)
                    part->clear();
                if (key == Qt::Key_Backspace || key == Qt::Key_Delete)
                    part->chop(1);
                else if (text.at(0).isDigit())
                    *part += text;
            }
            m_lastTypedSection = section;
        } else {
            // A part picked again is typed anew.
            m_lastTypedSection = NoSection;
        }
        QDateEdit::keyPressEvent(event);
        return;
    }
    switch (key) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Escape:
        QDateEdit::keyPressEvent(event);
        return;
    default: {
        // Plain editing of the text: the parts would put the old text back
        // as soon as the cursor leaves the first of them.
        const QSignalBlocker quiet(lineEdit());
        QAbstractSpinBox::keyPressEvent(event);
    }
    }
}

void CYearDateEdit::mousePressEvent(QMouseEvent* event)
{
    // A click picks a part of the date: the text typed is read first.
    if (m_wholeText)
        FinishTyping();
    m_lastTypedSection = NoSection;
    QDateEdit::mousePressEvent(event);
}

bool CYearDateEdit::focusNextPrevChild(bool next)
{
    // Tab moves between the parts of the date before it leaves it; a date
    // refused keeps the focus here.
    if (!FinishTyping())
        return true;
    m_lastTypedSection = NoSection;
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
    m_edit->setToolTip(
        DateTypingHint(m_edit->displayFormat(), m_edit->locale(), QDate::currentDate().year()));
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
    // OK by its key leaves the focus where it was, with the typing perhaps
    // not ended.
    const bool taken = m_edit->FinishTyping();
    if (!m_check->isChecked())
        return m_original.IsValid() ? DateValue::Null() : m_original;
    const bool backToOriginal
        = !taken && m_original.IsValid() && m_edit->date() == DateToQDateTime(m_original).date();
    if ((!m_touched || backToOriginal) && m_original.IsValid())
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
