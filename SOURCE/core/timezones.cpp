#include "core/timezones.h"

#include "core/fieldtexts.h"
#include "platform/oledate.h"

#include <QLocale>
#include <QTimeZone>
#include <algorithm>
#include <array>

namespace {

constexpr const char* kNotSet = "Not set for this time zone";

// The areas whose zones the picker offers; the database's other names are
// aliases ("US/Eastern") or fixed offsets ("Etc/GMT+5").
constexpr std::array<std::string_view, 10> kAreas = {"Africa", "America", "Antarctica", "Arctic", "Asia",
    "Atlantic", "Australia", "Europe", "Indian", "Pacific"};

bool IsAreaCityId(const QByteArray& id)
{
    const int slash = id.indexOf('/');
    if (slash <= 0)
        return false;
    const std::string_view area(id.constData(), size_t(slash));
    return std::find(kAreas.begin(), kAreas.end(), area) != kAreas.end();
}

QDateTime YearStart(int year)
{
    return QDateTime(QDate(year, 1, 1), QTime(0, 0), Qt::UTC);
}

// A yearly rule for the wall-clock moment: the week of the month counts 5
// for the weekday's last occurrence, as the rules of longer months need.
SYSTEMTIME RuleOf(const QDateTime& wall)
{
    const QDate date = wall.date();
    const QTime time = wall.time();
    SYSTEMTIME rule;
    rule.wMonth = u16(date.month());
    rule.wDayOfWeek = u16(date.dayOfWeek() % 7);
    rule.wDay = u16(date.day() > date.daysInMonth() - 7 ? 5 : (date.day() - 1) / 7 + 1);
    rule.wHour = u16(time.hour());
    rule.wMinute = u16(time.minute());
    rule.wSecond = u16(time.second());
    return rule;
}

QString RuleText(const QDate& date, const QTime& time, const QString& pattern)
{
    const QLocale locale;
    QString text = pattern;
    text.replace(QLatin1String("%A"), locale.standaloneDayName(date.dayOfWeek(), QLocale::LongFormat));
    text.replace(QLatin1String("%B"), locale.standaloneMonthName(date.month(), QLocale::LongFormat));
    text.replace(QLatin1String("%d"), QStringLiteral("%1").arg(date.day(), 2, 10, QLatin1Char('0')));
    text.replace(QLatin1String("%H:%M:%S"), time.toString(QStringLiteral("HH:mm:ss")));
    return text;
}

// The text of a display name before its offset's closing bracket.
std::string_view OffsetPrefix(std::string_view name)
{
    const size_t close = name.find(')');
    return close == std::string_view::npos ? name : name.substr(0, close + 1);
}

}  // namespace

std::string ZoneDisplayName(const QTimeZone& zone)
{
    const int offset = zone.standardTimeOffset(ClockNow()) / 60;
    const int minutes = offset < 0 ? -offset : offset;
    return QStringLiteral("(UTC%1%2:%3) %4")
        .arg(offset < 0 ? QLatin1Char('-') : QLatin1Char('+'))
        .arg(minutes / 60, 2, 10, QLatin1Char('0'))
        .arg(minutes % 60, 2, 10, QLatin1Char('0'))
        .arg(QString::fromLatin1(zone.id()))
        .toStdString();
}

bool ZoneOrderLess(const std::string& a, const std::string& b)
{
    const std::string_view pa = OffsetPrefix(a);
    const std::string_view pb = OffsetPrefix(b);
    const bool plusA = pa.find('+') != std::string_view::npos;
    const bool plusB = pb.find('+') != std::string_view::npos;
    if (plusA != plusB)
        return !plusA;
    if (pa != pb)
        return plusA ? pa < pb : pa > pb;
    return a < b;
}

std::vector<ZoneChoice> ListSystemZones()
{
    std::vector<ZoneChoice> zones;
    for (const QByteArray& id : QTimeZone::availableTimeZoneIds()) {
        if (!IsAreaCityId(id))
            continue;
        const QTimeZone zone(id);
        if (zone.isValid())
            zones.push_back({id.toStdString(), ZoneDisplayName(zone)});
    }
    std::sort(zones.begin(), zones.end(),
        [](const ZoneChoice& a, const ZoneChoice& b) { return ZoneOrderLess(a.displayName, b.displayName); });
    return zones;
}

bool FillZoneRecord(const std::string& keyName, int year, TimeZoneEntry& entry)
{
    const QTimeZone zone(QByteArray::fromStdString(keyName));
    if (keyName.empty() || !zone.isValid())
        return false;
    const QDateTime start = YearStart(year);
    const QDateTime end = YearStart(year + 1);

    // The year's daylight-saving start and end; a zone that only moved its
    // standard offset, or kept daylight saving all year, has no rules.
    SYSTEMTIME daylightDate;
    SYSTEMTIME standardDate;
    i32 daylightBias = 0;
    for (const QTimeZone::OffsetData& change : zone.transitions(start, end)) {
        const qint64 before = zone.offsetFromUtc(change.atUtc.addSecs(-1));
        const QDateTime wall = change.atUtc.toUTC().addSecs(before);
        if (change.daylightTimeOffset > 0 && daylightDate.wMonth == 0) {
            daylightDate = RuleOf(wall);
            daylightBias = -change.daylightTimeOffset / 60;
        } else if (change.daylightTimeOffset == 0 && standardDate.wMonth == 0
            && zone.isDaylightTime(change.atUtc.addSecs(-1))) {
            standardDate = RuleOf(wall);
        }
    }
    if (daylightDate.wMonth == 0 || standardDate.wMonth == 0) {
        daylightDate = {};
        standardDate = {};
        daylightBias = 0;
    }

    const QDateTime middle = start.addDays(182);
    entry.m_strText2 = ZoneDisplayName(zone);
    entry.m_strText3 = keyName;
    entry.m_lBias = -zone.standardTimeOffset(middle) / 60;
    entry.m_lStandardBias = 0;
    entry.m_lDaylightBias = daylightBias;
    entry.m_standardDate = standardDate;
    entry.m_daylightDate = daylightDate;
    return true;
}

std::string FormatTransitionRule(const SYSTEMTIME& rule, int year)
{
    if (rule.wMonth == 0 || rule.wMonth > 12)
        return kNotSet;
    const QTime time(rule.wHour, rule.wMinute, rule.wSecond);
    if (rule.wYear != 0) {
        const QDate date(rule.wYear, rule.wMonth, rule.wDay);
        if (!date.isValid() || !time.isValid())
            return kNotSet;
        return RuleText(date, time, QStringLiteral("At %A, %d of %B at %H:%M:%S")).toStdString();
    }
    static constexpr std::array<const char*, 5> kOrdinals = {"First", "Second", "Third", "Fourth", "Last"};
    std::string text = rule.wDay >= 1 && rule.wDay <= 5 ? kOrdinals[rule.wDay - 1u] : "";
    // The weekday's first day in the month names the weekday and the month.
    for (QDate day(year, rule.wMonth, 1); day.isValid() && day.month() == rule.wMonth; day = day.addDays(1)) {
        if (day.dayOfWeek() % 7 == rule.wDayOfWeek) {
            text
                += RuleText(day, time.isValid() ? time : QTime(0, 0), QStringLiteral(" %A of %B at %H:%M:%S"))
                       .toStdString();
            break;
        }
    }
    return text;
}

QDateTime ZoneWallTime(const TimeZoneEntry& entry, const QDateTime& utc)
{
    QDateTime wall;
    const QTimeZone zone(QByteArray::fromStdString(entry.m_strText3));
    if (!entry.m_strText3.empty() && zone.isValid()) {
        wall = utc.toTimeZone(zone);
    } else {
        const i32 bias
            = entry.m_lBias + (IsDaylightSavingNow(entry) ? entry.m_lDaylightBias : entry.m_lStandardBias);
        wall = utc.toUTC().addSecs(-qint64(bias) * 60);
    }
    // Held as a zone-less value: a wall time in this computer's own
    // daylight-saving gap must not be moved.
    return QDateTime(wall.date(), wall.time(), Qt::UTC);
}

std::string ZoneTimeText(const TimeZoneEntry& entry, int mode, const std::string& separator)
{
    const DateValue value = DateFromQDateTime(ZoneWallTime(entry, ClockNow().toUTC()));
    const std::string time = FormatTime(value, 0);
    const std::string date = FormatDate(value, DATE_LONGDATE);
    switch (mode) {
    case 1:
        return time;
    case 2:
        return date;
    default:
        return time + separator + date;
    }
}
