// Side tables: the alphabets, the call log, the speed dial and the time zones.
#include "core/dataman.h"
#include "core/dataman_arrays.h"
#include "core/seexception.h"
#include "core/utilities.h"

#include <type_traits>

template <class Entry, class Tables> auto& DataMan::Table(Tables& tables)
{
    if constexpr (std::is_same_v<Entry, Alphabet>)
        return tables.alphabets;
    else if constexpr (std::is_same_v<Entry, CallLogEntry>)
        return tables.callLog;
    else if constexpr (std::is_same_v<Entry, SpeedDialSlot>)
        return tables.speedDial;
    else
        return tables.timeZones;
}

int DataMan::GetCount(u32 kind) const
{
    switch (kind) {
    case DMK_ALPHABET:
        return int(m_tables.alphabets.size());
    case DMK_CALL_LOG:
        return int(m_tables.callLog.size());
    case DMK_SPEED_DIAL:
        return int(m_tables.speedDial.size());
    case DMK_TIME_ZONE:
        return int(m_tables.timeZones.size());
    default:
        return -100;
    }
}

template <class Entry> Entry* DataMan::GetAt(int index) const
{
    return At(Table<Entry>(m_tables), index);
}

template <class Entry> int DataMan::Add(std::unique_ptr<Entry> entry)
{
    m_dwLastError = 0;
    auto& table = Table<Entry>(m_tables);
    try {
        table.push_back(std::move(entry));
        return int(table.size()) - 1;
    } catch (CSeException* e) {
        ReportFault(e);
        m_dwLastError = RC_MISSING;
        return -1;
    }
}

void DataMan::RemoveAt(u32 kind, int index)
{
    switch (kind) {
    case DMK_ALPHABET:
        EraseAt(m_tables.alphabets, index);
        break;
    case DMK_CALL_LOG:
        EraseAt(m_tables.callLog, index);
        break;
    case DMK_SPEED_DIAL:
        EraseAt(m_tables.speedDial, index);
        break;
    case DMK_TIME_ZONE:
        EraseAt(m_tables.timeZones, index);
        break;
    default:
        break;
    }
}

template Alphabet* DataMan::GetAt<Alphabet>(int) const;
template CallLogEntry* DataMan::GetAt<CallLogEntry>(int) const;
template SpeedDialSlot* DataMan::GetAt<SpeedDialSlot>(int) const;
template TimeZoneEntry* DataMan::GetAt<TimeZoneEntry>(int) const;
template int DataMan::Add<Alphabet>(std::unique_ptr<Alphabet>);
template int DataMan::Add<CallLogEntry>(std::unique_ptr<CallLogEntry>);
template int DataMan::Add<SpeedDialSlot>(std::unique_ptr<SpeedDialSlot>);
template int DataMan::Add<TimeZoneEntry>(std::unique_ptr<TimeZoneEntry>);
