#include "telephony/calllog.h"

#include "core/dataman.h"
#include "core/fieldtexts.h"
#include "core/utilities.h"
#include "telephony/callprogress.h"

#include <algorithm>

namespace {

constexpr u32 IDS_LOG_FULL = 59145;
constexpr u32 IDS_MANUAL_DIAL = 59215;

}  // namespace

const std::array<const char*, CLC_COUNT>& CallLogCaptions()
{
    static const std::array<const char*, CLC_COUNT> captions
        = {"No", "Name", "Phone", "Time", "Duration", "Attempts"};
    return captions;
}

bool AddCallLogEntry(DataMan& dataMan, std::unique_ptr<CallLogEntry> entry)
{
    if (dataMan.GetCount(DMK_CALL_LOG) >= kCallLogLimit) {
        MsgStop(IDS_LOG_FULL);
        return false;
    }
    dataMan.Add(std::move(entry));
    dataMan.Save(DFK_NONDATA);
    return true;
}

std::vector<CallLogRow> CallLogRows(const DataMan& dataMan, u32 contactFilter)
{
    std::vector<CallLogRow> rows;
    const int count = dataMan.GetCount(DMK_CALL_LOG);
    for (int i = 0; i < count; ++i) {
        const CallLogEntry* entry = dataMan.GetAt<CallLogEntry>(i);
        if (!entry || (contactFilter != kAllContacts && entry->m_duContactID != contactFilter))
            continue;
        CallLogRow row;
        row.position = i;
        row.cells[CLC_NO] = std::to_string(i + 1);
        row.cells[CLC_NAME]
            = entry->m_dwKind == DIAL_MANUAL ? LoadResString(IDS_MANUAL_DIAL) : entry->m_strName;
        row.cells[CLC_PHONE] = entry->m_strNumber;
        row.cells[CLC_TIME]
            = FormatDate(entry->m_dtStart, DATE_LONGDATE) + " " + FormatTime(entry->m_dtStart, 0);
        row.cells[CLC_DURATION] = FormatCallDuration(entry->m_dtDuration.m_dt);
        row.cells[CLC_ATTEMPTS] = std::to_string(entry->m_dwWord);
        rows.push_back(std::move(row));
    }
    return rows;
}

void RemoveCallLogEntries(DataMan& dataMan, std::vector<int> positions)
{
    // From the last to the first, so that each position still names its entry.
    std::sort(positions.begin(), positions.end(), std::greater<>());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    for (int position : positions)
        dataMan.RemoveAt(DMK_CALL_LOG, position);
    dataMan.Save(DFK_NONDATA);
}

SpeedDialSlot* FindSpeedDialSlot(const DataMan& dataMan, int index)
{
    const int count = dataMan.GetCount(DMK_SPEED_DIAL);
    for (int i = 0; i < count; ++i) {
        SpeedDialSlot* slot = dataMan.GetAt<SpeedDialSlot>(i);
        if (slot && slot->m_dwIndex == u32(index))
            return slot;
    }
    return nullptr;
}

void SetSpeedDialSlot(
    DataMan& dataMan, SpeedDialSlot& slot, const std::string& title, const std::string& number)
{
    slot.m_strName = title;
    slot.m_strNumber = number;
    dataMan.Save(DFK_NONDATA);
}
