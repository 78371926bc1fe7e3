// The call log and the speed-dial slots as DataMan keeps them: adding a
// logged call, the rows the call log shows, removing entries, and finding
// a slot. Every change is saved at once, so a crash later in the run loses
// no logged call or edited slot.
#pragma once

#include "core/records.h"
#include "platform/wintypes.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

class DataMan;

// DataMan's call log holds at most this many entries.
constexpr int kCallLogLimit = 100000;
constexpr u32 kAllContacts = 0xFFFFFFFF;
constexpr int kSpeedDialSlotCount = 10;

// Kinds of dial, as stored in a log entry.
enum DialKind : u32 {
    DIAL_CONTACT = 0,
    DIAL_MANUAL = 1,
    DIAL_SPEED_DIAL = 2,
};

enum CallLogColumn { CLC_NO, CLC_NAME, CLC_PHONE, CLC_TIME, CLC_DURATION, CLC_ATTEMPTS, CLC_COUNT };

// The column captions, in the order of the list.
const std::array<const char*, CLC_COUNT>& CallLogCaptions();

struct CallLogRow {
    int position = 0;  // of the entry in the whole log
    std::array<std::string, CLC_COUNT> cells;
};

// Adds the entry and saves the side tables. A full log refuses it with
// message 59145; false then.
bool AddCallLogEntry(DataMan& dataMan, std::unique_ptr<CallLogEntry> entry);
// The entries of one contact (every entry with kAllContacts) in log order.
std::vector<CallLogRow> CallLogRows(const DataMan& dataMan, u32 contactFilter);
// Removes the entries at the positions given (in any order) and saves.
void RemoveCallLogEntries(DataMan& dataMan, std::vector<int> positions);

// The slot numbered index (0-9), or null.
SpeedDialSlot* FindSpeedDialSlot(const DataMan& dataMan, int index);
// Stores a slot's title and number and saves.
void SetSpeedDialSlot(
    DataMan& dataMan, SpeedDialSlot& slot, const std::string& title, const std::string& number);
