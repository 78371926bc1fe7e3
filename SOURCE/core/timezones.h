// Time-zone locations from the system's zone database. A location record
// keeps the zone's bias and its two transition rules (the daylight-saving
// start and end as "n-th weekday of a month"), made from the zone's
// transitions in one year, and the zone's id, so that the clock can ask the
// database itself and follow every change as it happens.
#pragma once

#include "core/records.h"

#include <QDateTime>
#include <string>
#include <vector>

class QTimeZone;

struct ZoneChoice {
    std::string keyName;  // the database id, "Area/City"
    std::string displayName;  // "(UTC+hh:mm) Area/City"
};

// "(UTC+hh:mm) Area/City" with the zone's standard offset.
std::string ZoneDisplayName(const QTimeZone& zone);
// The order of the zone picker: the most negative offsets first, then those
// without an offset, then the positive ones in ascending order; zones of
// the same offset by name.
bool ZoneOrderLess(const std::string& a, const std::string& b);
// The database's zones named "Area/City", in the picker's order.
std::vector<ZoneChoice> ListSystemZones();

// Fills the record's zone fields (display name, key name, biases and rules)
// from the zone's transitions in the year; false, and the record unchanged,
// when the database does not know the zone.
bool FillZoneRecord(const std::string& keyName, int year, TimeZoneEntry& entry);

// A rule as the labels show it: "Not set for this time zone", an absolute
// date, or the ordinal, weekday, month and time of a yearly rule.
std::string FormatTransitionRule(const SYSTEMTIME& rule, int year);

// The location's wall time (date and time, the zone part meaningless) at
// the UTC instant given. Zones the database
// knows come from it; an entry without a known zone id from its rules.
QDateTime ZoneWallTime(const TimeZoneEntry& entry, const QDateTime& utc);
// The location's current time and long date, as the list and the clock
// show them: mode 1 the time, 2 the date, 3 both joined by the separator.
std::string ZoneTimeText(const TimeZoneEntry& entry, int mode, const std::string& separator = " ");
