#include "platform/oledate.h"

#include <cmath>

namespace {

const QDate kEpoch(1899, 12, 30);
constexpr double kMsPerDay = 86400000.0;
// Automation dates span the years 100 to 9999.
constexpr double kMinDay = -657434.0;
constexpr double kMaxDay = 2958465.99999999;

QDateTime SystemClock()
{
    return QDateTime::currentDateTime();
}
ClockFunction g_clock = &SystemClock;

}  // namespace

DateValue DateFromQDateTime(const QDateTime& local)
{
    if (!local.isValid())
        return {0.0, DateStatus::Invalid};
    const qint64 days = kEpoch.daysTo(local.date());
    const double fraction = local.time().msecsSinceStartOfDay() / kMsPerDay;
    const double dt = days >= 0 ? days + fraction : days - fraction;
    return {dt, DateStatus::Valid};
}

QDateTime DateToQDateTime(const DateValue& date)
{
    if (!date.IsValid() || !std::isfinite(date.m_dt) || date.m_dt < kMinDay || date.m_dt > kMaxDay + 1)
        return {};
    const double whole = std::trunc(date.m_dt);
    double fraction = std::fabs(date.m_dt - whole);
    qint64 ms = qint64(std::llround(fraction * kMsPerDay));
    qint64 days = qint64(whole);
    if (ms >= qint64(kMsPerDay)) {
        ms -= qint64(kMsPerDay);
        days += date.m_dt >= 0 ? 1 : -1;
    }
    return QDateTime(kEpoch.addDays(days), QTime::fromMSecsSinceStartOfDay(int(ms)));
}

DateValue DateFromSystemTime(const SYSTEMTIME& st)
{
    const QDate d(st.wYear, st.wMonth, st.wDay);
    const QTime t(st.wHour, st.wMinute, st.wSecond, st.wMilliseconds);
    if (!d.isValid() || !t.isValid())
        return {0.0, DateStatus::Invalid};
    return DateFromQDateTime(QDateTime(d, t));
}

bool DateToSystemTime(const DateValue& date, SYSTEMTIME& st)
{
    const QDateTime dt = DateToQDateTime(date);
    if (!dt.isValid())
        return false;
    st.wYear = u16(dt.date().year());
    st.wMonth = u16(dt.date().month());
    st.wDay = u16(dt.date().day());
    st.wDayOfWeek = u16(dt.date().dayOfWeek() % 7);
    st.wHour = u16(dt.time().hour());
    st.wMinute = u16(dt.time().minute());
    st.wSecond = u16(dt.time().second());
    st.wMilliseconds = u16(dt.time().msec());
    return true;
}

DateValue DateNow()
{
    if (g_clock != &SystemClock)
        return DateFromQDateTime(g_clock());
    // Every new record asks for the time, so the local offset is worked out
    // at most once a second rather than for each record.
    static bool offsetKnown = false;
    static qint64 offsetCheckedAt = 0;
    static qint64 offsetMs = 0;
    const qint64 utcMs = QDateTime::currentMSecsSinceEpoch();
    if (!offsetKnown || utcMs - offsetCheckedAt >= 1000 || utcMs < offsetCheckedAt) {
        offsetKnown = true;
        offsetMs = qint64(QDateTime::fromMSecsSinceEpoch(utcMs).offsetFromUtc()) * 1000;
        offsetCheckedAt = utcMs;
    }
    // Local milliseconds since the automation epoch, 30 December 1899.
    constexpr qint64 kEpochToUnixMs = 25569LL * 86400000LL;
    const qint64 localMs = utcMs + offsetMs + kEpochToUnixMs;
    const qint64 days = localMs / qint64(kMsPerDay);
    return {double(days) + double(localMs % qint64(kMsPerDay)) / kMsPerDay, DateStatus::Valid};
}

QDateTime ClockNow()
{
    return g_clock();
}

void SetClockForTesting(ClockFunction clock)
{
    g_clock = clock ? clock : &SystemClock;
}
