// The date value of stored records: a day count in the automation-date form
// (days since 30 December 1899, the fraction being the time of day) with a
// status word.
#pragma once

#include "platform/wintypes.h"

#include <QDateTime>

enum class DateStatus : u32 { Valid = 0, Invalid = 1, Null = 2 };

struct DateValue {
    double m_dt = 0.0;
    DateStatus m_status = DateStatus::Valid;

    static DateValue Null() { return {0.0, DateStatus::Null}; }
    bool IsValid() const { return m_status == DateStatus::Valid; }
    bool IsNull() const { return m_status == DateStatus::Null; }
    bool operator==(const DateValue&) const = default;
};

// Conversions keep the automation-date rule that the fraction of a negative
// day count counts forwards from midnight of its day.
DateValue DateFromQDateTime(const QDateTime& local);
QDateTime DateToQDateTime(const DateValue& date);
DateValue DateFromSystemTime(const SYSTEMTIME& st);
bool DateToSystemTime(const DateValue& date, SYSTEMTIME& st);

// The local now; tests replace the clock.
DateValue DateNow();
// The clock's now with its own zone, for code that needs the UTC time or the
// offset as well.
QDateTime ClockNow();
using ClockFunction = QDateTime (*)();
void SetClockForTesting(ClockFunction clock);
