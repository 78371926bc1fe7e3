#include "telephony/tapiman.h"

#include "core/dataman.h"
#include "core/seexception.h"
#include "core/utilities.h"
#include "platform/profile.h"
#include "telephony/calllog.h"
#include "telephony/callprogress.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr const char* kCurDeviceEntry = "CurDevice";
// The stable name of the current device, which its index may not keep.
constexpr const char* kCurDeviceNameEntry = "CurDeviceName";
constexpr const char* kManualPhonesEntry = "ManualPhones";
constexpr const char* kAutoRedialEntry = "AutoRedial";
constexpr const char* kLogCallsEntry = "LogCalls";
constexpr const char* kRedialIntervalEntry = "RedialInterval";
constexpr int kMaxRedialInterval = 100;
constexpr u32 IDS_NO_DEVICES = 59534;
constexpr u32 IDS_DEVICE_COUNT_CHANGED = 59574;

}  // namespace

TapiMan::TapiMan(SeReporter reportError)
    : m_reportError(std::move(reportError))
{
}

TapiMan::~TapiMan()
{
    Shutdown();
}

u32 TapiMan::Init()
{
    try {
        m_line = std::make_unique<TapiLine>(nullptr, m_reportError);
        if (m_line->Initialize())
            m_flags |= TAPIMAN_INITIALIZED;
        else
            MsgStopText("Failed to Initialize TAPI !");
        return LoadSettings();
    } catch (CSeException* e) {
        if (m_reportError)
            m_reportError(*e);
        e->Delete();
        return RC_MISSING;
    }
}

void TapiMan::Shutdown()
{
    if (m_loaded)
        SaveSettings();
    m_loaded = false;
    m_line.reset();
    m_flags = 0;
}

u32 TapiMan::LoadSettings()
{
    const std::optional<i32> fallback
        = m_line ? m_line->LoadDeviceConfigs() : std::optional<i32>(kNoTapiDevice);
    const std::string curName = Profile::GetString(kTapiSection, kCurDeviceNameEntry);
    if (!curName.empty() && m_line) {
        // The device chosen, wherever it is listed now; gone, none is
        // chosen in its place, and the user is told (once).
        m_curDevice = m_line->FindDevice(curName);
        if (m_curDevice == kNoTapiDevice) {
            // Kept for the next run, which may find the device again.
            m_missingChoice = curName;
            if (!fallback)
                MsgWarning(IDS_DEVICE_COUNT_CHANGED);
        }
    } else if (fallback) {
        // The devices changed, and an index stored before may name another
        // device now: none is chosen.
        m_curDevice = *fallback;
    } else {
        m_curDevice = Profile::GetInt(kTapiSection, kCurDeviceEntry, kNoTapiDevice);
        // Any index the line has no record for, negative ones too, means no device.
        if (m_curDevice < 0 || m_curDevice >= m_line->GetConfigCount())
            m_curDevice = kNoTapiDevice;
    }
    // Looked at again as the user's choice; a port nobody chose is never
    // opened.
    if (m_line)
        m_line->ChooseDevice(m_curDevice);
    const TapiDialOptions defaults;
    m_options.autoRedial = Profile::GetInt(kTapiSection, kAutoRedialEntry, defaults.autoRedial) != 0;
    m_options.logCalls = Profile::GetInt(kTapiSection, kLogCallsEntry, defaults.logCalls) != 0;
    const int interval = Profile::GetInt(kTapiSection, kRedialIntervalEntry, int(defaults.redialInterval));
    m_options.redialInterval
        = interval >= 0 && interval <= kMaxRedialInterval ? u32(interval) : defaults.redialInterval;
    m_loaded = true;
    return 0;
}

void TapiMan::SetCurDevice(i32 device)
{
    m_curDevice = device;
    m_missingChoice.clear();
    if (m_line)
        m_line->ChooseDevice(device);
}

void TapiMan::SaveOptions()
{
    Profile::WriteInt(kTapiSection, kAutoRedialEntry, m_options.autoRedial);
    Profile::WriteInt(kTapiSection, kLogCallsEntry, m_options.logCalls);
    Profile::WriteInt(kTapiSection, kRedialIntervalEntry, int(m_options.redialInterval));
}

void TapiMan::SaveSettings()
{
    if (m_line)
        m_line->SaveDeviceConfigs();
    Profile::WriteInt(kTapiSection, kCurDeviceEntry, m_curDevice);
    const TapiDeviceConfig* current = m_line ? m_line->GetConfig(m_curDevice) : nullptr;
    if (current && !current->name.empty())
        Profile::WriteString(kTapiSection, kCurDeviceNameEntry, current->name);
    else if (!m_missingChoice.empty())
        Profile::WriteString(kTapiSection, kCurDeviceNameEntry, m_missingChoice);
    else
        Profile::Remove(kTapiSection, kCurDeviceNameEntry);
    SaveOptions();
}

u32 TapiMan::Dial(u32 contactId, u32 dialKind, const std::string& number, const std::string& name)
{
    if (m_curDevice == kNoTapiDevice || !m_line) {
        MsgStop(IDS_NO_DEVICES);
        return 0;
    }
    // One call at a time: a request while a call runs changes nothing.
    if (m_flags & TAPIMAN_IN_CALL)
        return 0;
    m_flags |= TAPIMAN_IN_CALL;
    m_lastNumberRefused = false;
    int result = IDCANCEL;
    std::vector<std::string> failure;
    {
        CallProgress progress(*m_line, {contactId, dialKind, number, name, m_curDevice},
            m_options.redialInterval, m_options.autoRedial, m_options.logCalls);
        if (m_pCallUi)
            result = m_pCallUi->RunCallStatus(progress);
        failure = progress.Failure();
        m_lastNumberRefused = progress.NumberRefused();
        if (result == IDOK && progress.LogThisCall() && m_pDataMan) {
            auto entry = std::make_unique<CallLogEntry>();
            entry->m_duContactID = contactId;
            entry->m_dwKind = dialKind;
            entry->m_strName = progress.LogName();
            entry->m_strNumber = number;
            entry->m_dtStart = progress.StartTime();
            entry->m_dtDuration = {progress.Elapsed(), DateStatus::Valid};
            entry->m_dwWord = u32(progress.Attempt());
            AddCallLogEntry(*m_pDataMan, std::move(entry));
        }
    }
    if (result != IDOK && m_line)
        m_line->HangUp();
    m_flags &= ~TAPIMAN_IN_CALL;
    for (const std::string& text : failure)
        MsgStopText(text);
    return 1;
}

void TapiMan::TranslateDialog(const std::string& address)
{
    if (m_line)
        m_line->TranslateDialog(address);
}

void TapiMan::Dump(std::string& text) const
{
    if (!m_line) {
        text = "\r\nTAPIMAN = No connects\r\n";
        return;
    }
    char buffer[160];
    std::snprintf(buffer, sizeof buffer,
        "\r\nTAPIMAN\r\nDevices:\t%d\r\nVersion:\t%x\r\nOldTapi:\t%d\r\nCurDevice:\t%d\r\n",
        int(m_line->GetDeviceCount()), m_line->GetApiVersion(), int(m_line->IsOldTapi()),
        m_line->GetCurrentDevice());
    text = buffer;
}

std::vector<std::string> TapiMan::LoadManualPhones()
{
    const std::string stored = Profile::GetString(kTapiSection, kManualPhonesEntry);
    std::vector<std::string> numbers;
    // Every number is followed by "\n"; whatever follows the last one is not a number.
    std::size_t start = 0;
    for (std::size_t end; (end = stored.find('\n', start)) != std::string::npos; start = end + 1)
        numbers.push_back(stored.substr(start, end - start));
    // The history never holds more; a longer stored list keeps its newest.
    if (numbers.size() > kManualPhonesLimit)
        numbers.erase(numbers.begin(), numbers.end() - std::ptrdiff_t(kManualPhonesLimit));
    return numbers;
}

void TapiMan::SaveManualPhones(const std::vector<std::string>& numbers)
{
    std::string joined;
    for (auto it = numbers.begin(); it != numbers.end(); ++it) {
        if (!it->empty() && std::find(numbers.begin(), it, *it) == it)
            joined += *it + '\n';
    }
    Profile::WriteString(kTapiSection, kManualPhonesEntry, joined);
}
