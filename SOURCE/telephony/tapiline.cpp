#include "telephony/tapiline.h"

#include "core/utilities.h"
#include "platform/profile.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QMetaObject>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <utility>

namespace {

constexpr const char* kAppName = "Tolva";
constexpr const char* kDeviceClass = "comm/datamodem";
constexpr const char* kNumDevsEntry = "NumDevs";
constexpr u32 IDS_CANNOT_DIAL_NUMBER = 59783;
// The highest device index a provider may announce while the program runs.
constexpr u32 kMaxAddedDevice = 255;
// "NumDevs" when nothing was ever stored: the provider's own configurations stay.
constexpr int kNothingStored = -1234;
constexpr u32 IDS_DEVICE_COUNT_CHANGED = 59574;
constexpr u32 IDS_OUT_OF_MEMORY = 59439;
// Every line-device state except the changed dialing location, and every
// address state.
constexpr u32 kLineStateMessages = 0x00BFFFFF;
constexpr u32 kAddressStateMessages = 0x000001FF;

// How long a dial waits for the hang-up of the last call to let go of
// the port, looking every kPortRetryMs.
constexpr int kPortWaitMs = 3000;
constexpr int kPortRetryMs = 20;

constexpr u32 IDS_MODEM_SILENT = 59593;
constexpr u32 IDS_MODEM_UNPLUGGED = 59594;
constexpr u32 IDS_MODEM_HANGING_UP = 59595;
constexpr u32 IDS_MODEM_HOLDS_LINE = 59596;

std::string DeviceEntry(std::size_t index)
{
    return "Device_" + std::to_string(index);
}

// The stable name of the device whose configuration is "Device_" index.
std::string DeviceNameEntry(std::size_t index)
{
    return "DeviceName_" + std::to_string(index);
}

std::string Hex(u32 value)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%x", value);
    return buffer;
}

struct DisconnectText {
    u32 mode;
    const char* text;
};

constexpr DisconnectText kDisconnectTexts[] = {
    {LINEDISCONNECTMODE_NORMAL, "Remote Party disconnected."},
    {LINEDISCONNECTMODE_UNKNOWN, "Disconnected: Unknown reason."},
    {LINEDISCONNECTMODE_REJECT, "Remote Party rejected call."},
    {LINEDISCONNECTMODE_PICKUP, "Local phone picked up."},
    {LINEDISCONNECTMODE_BUSY, "Disconnected: Busy."},
    {LINEDISCONNECTMODE_NOANSWER, "Disconnected: No Answer."},
    {LINEDISCONNECTMODE_BADADDRESS, "Disconnected: Bad Address."},
    {LINEDISCONNECTMODE_UNREACHABLE, "Disconnected: Unreachable."},
    {LINEDISCONNECTMODE_CONGESTION, "Disconnected: Congestion."},
    {LINEDISCONNECTMODE_INCOMPATIBLE, "Disconnected: Incompatible."},
    {LINEDISCONNECTMODE_UNAVAIL, "Disconnected: Unavail."},
    {LINEDISCONNECTMODE_NODIALTONE, "Disconnected: No Dial Tone."},
    {LINEDISCONNECTMODE_DEVICESILENT, "Disconnected: Modem not answering."},
    {LINEDISCONNECTMODE_DEVICEGONE, "Disconnected: Modem unplugged."},
};

// Lets the event loop run for a while, as a wait that lets messages through.
void PumpFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace

// One wait for the answer to a request. Waits nest (a hang-up during a
// dial waits for the drop), so each keeps its own request and result.
struct TapiLine::Wait {
    i32 request = 0;
    i32 result = LINEERR_OPERATIONFAILED;
    bool arrived = false;
    QEventLoop* loop = nullptr;
};

void TapiDeviceConfig::SetBlob(const void* data, std::size_t size)
{
    const auto* bytes = static_cast<const u8*>(data);
    blob.assign(bytes, bytes + size);
}

TapiLine::TapiLine(std::unique_ptr<LineProvider> provider, SeReporter reportError)
    : m_provider(provider ? std::move(provider) : MakeConfiguredLineProvider())
    , m_reportError(std::move(reportError))
{
}

TapiLine::~TapiLine()
{
    m_receiver = nullptr;
    m_deliver = nullptr;
    Shutdown();
}

void TapiLine::SetWaitTimesForTesting(int replyTimeoutMs, int reinitWaitMs)
{
    m_replyTimeoutMs = replyTimeoutMs;
    m_reinitWaitMs = reinitWaitMs;
}

int TapiLine::CheckError(i32 code)
{
    switch (code) {
    case 0:
        return 1;
    case LINEERR_NODRIVER:
        Tell("There is a problem with your Telephony device driver.\n");
        break;
    case LINEERR_NOMEM:
        Tell(LoadResString(IDS_OUT_OF_MEMORY));
        break;
    case LINEERR_RESOURCEUNAVAIL:
        Tell("A Telephony resource is unavailable at this time.\n");
        break;
    case LINEERR_NOMULTIPLEINSTANCE:
        Tell("Remove one of your copies of your Telephony driver.\n");
        break;
    case LINEERR_REINIT:
        Shutdown();
        break;
    default:
        break;
    }
    return 0;
}

int TapiLine::Initialize()
{
    if (m_hLineApp)
        return 1;
    if (m_bInitializing)
        return 0;
    m_bInitializing = true;
    bool reinitWaited = false;
    for (;;) {
        m_apiVersion = kTapiVersion21;
        m_oldTapi = false;
        i32 result = m_provider->InitializeEx(this, kAppName, m_hLineApp, m_numDevs, m_apiVersion);
        if (result == LINEERR_OPERATIONUNAVAIL || result == LINEERR_INCOMPATIBLEAPIVERSION) {
            m_apiVersion = kTapiVersion14;
            m_oldTapi = true;
            result = m_provider->Initialize(this, kAppName, m_hLineApp, m_numDevs);
        }
        if (result == LINEERR_REINIT) {
            if (!reinitWaited) {
                // Other programs are still letting go of telephony: give them time.
                reinitWaited = true;
                PumpFor(m_reinitWaitMs);
                continue;
            }
            Tell("A change to the system configuration requires that all Telephony applications "
                 "relinquish their use of Telephony before any can progress.  Some have not yet "
                 "done so.");
            m_hLineApp = 0;
            m_bInitializing = false;
            return 0;
        }
        if (result != 0) {
            CheckError(result);
            m_hLineApp = 0;
            m_bInitializing = false;
            return 0;
        }
        break;
    }

    m_configs.clear();
    if (m_numDevs == 0) {
        m_bInitializing = false;
        return 1;
    }
    for (u32 device = 0; device < m_numDevs; ++device) {
        if (const u32 version = NegotiateVersion(device)) {
            if (m_configs.size() <= device)
                m_configs.resize(device + 1);
            m_configs[device] = {i32(device), version, {}, {}};
        }
    }
    m_bInitializing = false;
    try {
        ReadDeviceConfigs();
    } catch (CSeException* e) {
        if (m_reportError)
            m_reportError(*e);
        e->Delete();
    }
    return 1;
}

void TapiLine::ReadDeviceConfigs()
{
    for (TapiDeviceConfig& config : m_configs) {
        if (config.deviceId == kNoTapiDevice)
            continue;
        std::vector<u8> bytes;
        if (m_provider->GetDevConfig(u32(config.deviceId), kDeviceClass, bytes) == 0)
            config.blob = std::move(bytes);
        LineDevCaps caps;
        if (m_provider->GetDevCaps(m_hLineApp, u32(config.deviceId), config.apiVersion, caps) == 0)
            config.name = caps.stableName;
    }
}

void TapiLine::AddDeviceRecord(u32 device)
{
    // A modem plugged in while the program runs can be chosen at once.
    if (!m_hLineApp || device > kMaxAddedDevice
        || (device < m_configs.size() && m_configs[device].deviceId != kNoTapiDevice))
        return;
    const u32 version = NegotiateVersion(device);
    if (!version)
        return;
    if (m_configs.size() <= device)
        m_configs.resize(device + 1);
    m_configs[device] = {i32(device), version, {}, {}};
    std::vector<u8> bytes;
    if (m_provider->GetDevConfig(device, kDeviceClass, bytes) == 0)
        m_configs[device].blob = std::move(bytes);
    LineDevCaps caps;
    if (m_provider->GetDevCaps(m_hLineApp, device, version, caps) == 0)
        m_configs[device].name = caps.stableName;
    // Plugged in again: what was stored for it comes back.
    const auto stored
        = std::find_if(m_absent.begin(), m_absent.end(), [&caps](const TapiDeviceConfig& absent) {
              return !caps.stableName.empty() && absent.name == caps.stableName;
          });
    if (stored != m_absent.end()) {
        m_configs[device].blob = stored->blob;
        m_absent.erase(stored);
    }
}

u32 TapiLine::NegotiateVersion(u32 device)
{
    u32 version = 0;
    const i32 result
        = m_provider->NegotiateAPIVersion(m_hLineApp, device, kTapiVersion13, kTapiVersion21, version);
    return result == 0 ? version : 0;
}

void TapiLine::Tell(const std::string& text)
{
    if (m_held)
        m_held->push_back(text);
    else
        MsgStopText(text);
}

int TapiLine::FailDial(const char* message)
{
    HangUp();
    if (message)
        Tell(message);
    return 0;
}

int TapiLine::Dial(const std::string& number, i32 device, std::vector<std::string>* held)
{
    // A negative index names no device; the provider's numbers start at 0.
    if (number.empty() || device < 0 || device >= GetConfigCount())
        return 0;
    m_number = number;
    m_device = device;
    m_numberRefused = false;
    std::vector<std::string>* const outer = std::exchange(m_held, held);
    const int placed = PlaceCall(number, device);
    m_held = outer;
    return placed;
}

int TapiLine::PlaceCall(const std::string& number, i32 device)
{
    if (m_bInCall) {
        Tell("A call is already being handled.");
        return 0;
    }
    if (!m_hLineApp && !Initialize())
        return 0;
    if (m_numDevs == 0) {
        // No modem control panel exists here to add a driver with, so the
        // offer ends in the message that says it cannot be started.
        if (MsgQuestionText("There are no devices configured for Telephony use.\nWould you like to run the "
                            "Modem Control Panel to add a modem driver?",
                nullptr, MB_OKCANCEL)
            == IDOK)
            Tell("Unable to launch the Modem Control Panel");
        return 0;
    }
    // The records may have been rebuilt by the initialisation above.
    if (device >= GetConfigCount())
        return 0;

    m_bInCall = true;
    const TapiDeviceConfig& config = m_configs[std::size_t(device)];
    const u32 version = config.apiVersion;
    if (version == 0 || config.deviceId < 0)
        return FailDial("Unable to Use Line");
    const u32 deviceId = u32(config.deviceId);

    LineDevCaps caps;
    if (m_provider->GetDevCaps(m_hLineApp, deviceId, version, caps) != 0)
        return FailDial(nullptr);
    if (!(caps.mediaModes & (LINEMEDIAMODE_INTERACTIVEVOICE | LINEMEDIAMODE_DATAMODEM)))
        return FailDial("The selected line doesn't support \n LINEMEDIAMODE_DATAMODEM and "
                        "LINEMEDIAMODE_INTERACTIVEVOICE \n capabilities");

    // A number that is not dialed touches no port: opening one may reset
    // whatever device is behind it.
    std::string dialable;
    const i32 translated = m_provider->TranslateAddress(m_hLineApp, deviceId, version, number, dialable);
    if (translated == LINEERR_INVALADDRESS) {
        m_numberRefused = true;
        // Said plainly: the user can mend the number.
        // The number whole, however long: no formatting buffer cuts it.
        std::string text = LoadResString(IDS_CANNOT_DIAL_NUMBER);
        if (const std::size_t at = text.find("%s"); at != std::string::npos)
            text.replace(at, 2, number);
        return FailDial(text.c_str());
    }
    if (translated != 0) {
        CheckError(translated);
        return FailDial(nullptr);
    }

    i32 opened = m_provider->Open(m_hLineApp, deviceId, m_hLine, version, LINECALLPRIVILEGE_MONITOR);
    if (opened == LINEERR_HANGINGUP) {
        // The last call's hang-up, off this thread, still has the port: a
        // dial right after it (a redial, a number dialed again) goes out
        // once the modem has let go, unless the user cancels meanwhile.
        const u64 hangUps = m_hangUps;
        QElapsedTimer waited;
        waited.start();
        while (opened == LINEERR_HANGINGUP && !waited.hasExpired(kPortWaitMs)) {
            PumpFor(kPortRetryMs);
            if (m_hangUps != hangUps)
                return 0;
            opened = m_provider->Open(m_hLineApp, deviceId, m_hLine, version, LINECALLPRIVILEGE_MONITOR);
        }
    }
    if (opened == LINEERR_ALLOCATED || opened == LINEERR_RESOURCEUNAVAIL)
        return FailDial("Line is already in use.");
    // Held by this program's own hang-up, which ends within its time.
    if (opened == LINEERR_HANGINGUP)
        return FailDial(("Line is already in use.\n" + LoadResString(IDS_MODEM_HANGING_UP)).c_str());
    if (opened != 0) {
        m_hLine = 0;
        CheckError(opened);
        if (opened == LINEERR_NODEVICE) {
            const std::string text = "Unable to Use Line.\n" + LoadResString(IDS_MODEM_UNPLUGGED);
            return FailDial(text.c_str());
        }
        return FailDial("Unable to Use Line.");
    }
    CheckError(m_provider->SetStatusMessages(m_hLine, kLineStateMessages, kAddressStateMessages));

    u32 features = 0;
    if (m_provider->GetAddressStatus(m_hLine, 0, features) != 0 || !(features & LINEADDRFEATURE_MAKECALL))
        return FailDial("Unable to Use Line");

    LineCallParams params;
    params.origAddress = dialable;
    HCALL call = 0;
    const i32 request = m_provider->MakeCall(m_hLine, call, dialable, params);
    if (request > 0)
        m_hCall = call;
    const u64 hangUps = m_hangUps;
    const i32 result = WaitForReply(request);
    if (result == 0)
        return 1;
    // The user cancelled while the request was pending: the line is free
    // already and nothing failed that the user should hear about.
    if (m_hangUps != hangUps)
        return 0;
    CheckError(result);
    // The modem's own failures say what to look at.
    std::string text = "Dial failed.";
    if (result == LINEERR_DEVICESILENT)
        text += "\n" + LoadResString(IDS_MODEM_SILENT);
    else if (result == LINEERR_PORTHELD)
        text += "\n" + LoadResString(IDS_MODEM_HOLDS_LINE);
    else if (result == LINEERR_NODEVICE)
        text += "\n" + LoadResString(IDS_MODEM_UNPLUGGED);
    HangUp();
    Tell(text);
    return 0;
}

i32 TapiLine::WaitForReply(i32 request)
{
    if (request <= 0)
        return request;
    Wait wait;
    wait.request = request;
    const u64 hangUps = m_hangUps;
    const bool hadCall = m_hCall != 0;
    m_waits.push_back(&wait);
    QEventLoop loop;
    wait.loop = &loop;
    // An answer that never comes ends the wait as a failure.
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    timeout.start(m_replyTimeoutMs);
    while (!wait.arrived && timeout.isActive()) {
        // The call was hung up meanwhile: this answer no longer matters.
        if (hadCall && m_hangUps != hangUps) {
            wait.result = 1;
            break;
        }
        loop.exec();
    }
    std::erase(m_waits, &wait);
    return wait.result;
}

void TapiLine::WakeWaits()
{
    for (Wait* wait : m_waits)
        wait->loop->quit();
}

int TapiLine::HangUp()
{
    if (!m_bInCall || m_bHangingUp)
        return 1;
    m_bHangingUp = true;
    if (m_hCall) {
        u32 state = 0;
        if (m_provider->GetCallState(m_hCall, state) != 0 || state != LINECALLSTATE_IDLE)
            WaitForReply(m_provider->Drop(m_hCall));
        CheckError(m_provider->DeallocateCall(m_hCall));
    }
    if (m_hLine)
        CheckError(m_provider->Close(m_hLine));
    m_hCall = 0;
    m_hLine = 0;
    m_bInCall = false;
    m_bHangingUp = false;
    m_statusText = "Call stopped.";
    ++m_hangUps;
    WakeWaits();
    return 1;
}

int TapiLine::Shutdown()
{
    if (!m_hLineApp || m_bShuttingDown)
        return 1;
    m_bShuttingDown = true;
    HangUp();
    CheckError(m_provider->Shutdown(m_hLineApp));
    m_bInCall = false;
    m_hCall = 0;
    m_hLine = 0;
    m_hLineApp = 0;
    m_bShuttingDown = false;
    return 1;
}

int TapiLine::ConfigDialog(QObject*, i32 device)
{
    const TapiDeviceConfig* config = GetConfig(device);
    if (!config || config->deviceId == kNoTapiDevice)
        return -1;
    const u32 deviceId = u32(config->deviceId);
    ApplyDeviceConfig(device);
    std::vector<u8> current;
    if (!CheckError(m_provider->GetDevConfig(deviceId, kDeviceClass, current)))
        return -1;
    std::vector<u8> edited;
    if (!CheckError(m_provider->ConfigDialogEdit(deviceId, kDeviceClass, current, edited)))
        return -1;
    m_configs[std::size_t(device)].blob = std::move(edited);
    return 1;
}

void TapiLine::TranslateDialog(const std::string& address)
{
    CheckError(m_provider->TranslateDialog(m_hLineApp, u32(std::max(m_device, 0)), kTapiVersion21, address));
}

std::string TapiLine::GetDeviceName(i32 device, bool& available)
{
    available = false;
    const std::string unavailable = "Device unavail. - TAPI v.";
    if (device < 0 || u32(device) >= m_numDevs)
        return unavailable;
    const TapiDeviceConfig* config = GetConfig(device);
    if (!config || config->apiVersion == 0 || config->deviceId < 0)
        return unavailable;
    LineDevCaps caps;
    if (m_provider->GetDevCaps(m_hLineApp, u32(config->deviceId), config->apiVersion, caps) != 0)
        return unavailable + Hex(config->apiVersion);
    if (config->blob.empty())
        return caps.lineName + " - Device unavail. TAPI v." + Hex(config->apiVersion);
    available = true;
    return caps.lineName;
}

void TapiLine::ApplyDeviceConfig(i32 device)
{
    const TapiDeviceConfig* config = GetConfig(device);
    if (!config || config->deviceId == kNoTapiDevice)
        return;
    CheckError(m_provider->SetDevConfig(u32(config->deviceId), config->blob, kDeviceClass));
}

void TapiLine::ChooseDevice(i32 device)
{
    const TapiDeviceConfig* config = GetConfig(device);
    if (!config || config->deviceId < 0)
        return;
    ApplyDeviceConfig(device);
    m_provider->ChooseDevice(u32(config->deviceId));
}

i32 TapiLine::FindDevice(const std::string& name) const
{
    for (std::size_t i = 0; i < m_configs.size(); ++i) {
        if (!name.empty() && m_configs[i].name == name)
            return i32(i);
    }
    return kNoTapiDevice;
}

void TapiLine::SetStatusReceiver(QObject* receiver, std::function<void(const LineStatus&)> deliver)
{
    m_receiver = receiver;
    m_deliver = receiver ? std::move(deliver) : nullptr;
}

void TapiLine::SetStatus(const std::string& text, u32 status)
{
    m_statusText = text;
    m_status = status;
    m_redialable = true;
}

void TapiLine::PostStatus()
{
    if (m_receiver && m_deliver && m_status != TCS_NONE) {
        // Queued like a posted message; the report is a copy, so later
        // changes of the line's own text cannot reach it.
        QMetaObject::invokeMethod(
            m_receiver.data(),
            [deliver = m_deliver, report = LineStatus{m_status, m_statusText, m_redialable}] {
                deliver(report);
            },
            Qt::QueuedConnection);
    }
    m_status = TCS_NONE;
}

void TapiLine::LineCallback(u32 device, u32 message, u64 param1, u64 param2, u64 param3)
{
    if (message < LINE_CALLSTATE || message > LINE_CREATE)
        return;
    switch (message) {
    case LINE_CALLSTATE:
        OnCallState(device, u32(param1), u32(param2));
        break;
    case LINE_CLOSE:
        m_hCall = 0;
        m_hLine = 0;
        HangUp();
        break;
    case LINE_LINEDEVSTATE:
        OnLineDevState(u32(param1), param2, param3);
        break;
    case LINE_REPLY:
        if (param2 != 0) {
            SetStatus("Call aborted.", TCS_ABORTED);
            PostStatus();
        }
        for (Wait* wait : m_waits) {
            if (u64(u32(wait->request)) == param1) {
                wait->result = i32(u32(param2));
                wait->arrived = true;
            }
        }
        break;
    case LINE_CREATE:
        if (m_numDevs <= param1)
            m_numDevs = u32(param1) + 1;
        AddDeviceRecord(u32(param1));
        break;
    default:
        break;
    }
    WakeWaits();
}

void TapiLine::OnLineDevState(u32 state, u64 param2, u64 param3)
{
    switch (state) {
    case LINEDEVSTATE_MAINTENANCE:
        Tell("Line selected is now out for maintenance.");
        HangUp();
        break;
    case LINEDEVSTATE_DISCONNECTED:
        Tell("Line selected is now disconnected.");
        HangUp();
        break;
    case LINEDEVSTATE_OUTOFSERVICE:
        Tell("Line selected is now Out of Service.");
        HangUp();
        break;
    case LINEDEVSTATE_REINIT:
        if (param2 == 0)
            Shutdown();
        else if (param2 == LINE_LINEDEVSTATE && param3 != LINEDEVSTATE_REINIT)
            OnLineDevState(u32(param3), 0, 0);
        else if (param2 == LINE_CREATE && m_numDevs <= param3)
            m_numDevs = u32(param3) + 1;
        break;
    default:
        break;
    }
}

void TapiLine::OnCallState(u32 call, u32 state, u32 mode)
{
    if (call != m_hCall || !m_hCall)
        return;
    const std::string dialing = "Dialing " + m_number + "...";
    bool hangUp = false;
    switch (state) {
    case LINECALLSTATE_IDLE:
        SetStatus("Line idle. Shutting down...", TCS_IDLE);
        hangUp = true;
        break;
    case LINECALLSTATE_DIALTONE:
        SetStatus("Dial Tone...", TCS_DIALING);
        PostStatus();
        SetStatus(dialing, TCS_DIALING);
        break;
    case LINECALLSTATE_DIALING:
    case LINECALLSTATE_PROCEEDING:
        SetStatus(dialing, TCS_DIALING);
        break;
    case LINECALLSTATE_RINGBACK:
        SetStatus("Ring back", TCS_RINGBACK);
        break;
    case LINECALLSTATE_BUSY:
        SetStatus("Line busy. Shutting down...", TCS_BUSY);
        hangUp = true;
        break;
    case LINECALLSTATE_SPECIALINFO:
        SetStatus("Couldn't dial number...", TCS_BUSY);
        // The exchange says the number cannot be reached as dialed.
        m_redialable = false;
        hangUp = true;
        break;
    case LINECALLSTATE_CONNECTED:
        SetStatus("Connected to " + m_number, TCS_CONNECTED);
        break;
    case LINECALLSTATE_DISCONNECTED: {
        for (const DisconnectText& entry : kDisconnectTexts) {
            if (entry.mode == mode)
                m_statusText = entry.text;
        }
        m_status = mode == LINEDISCONNECTMODE_BUSY ? TCS_BUSY : TCS_DISCONNECTED;
        m_redialable = true;
        hangUp = true;
        break;
    }
    default:
        return;
    }
    PostStatus();
    if (hangUp)
        HangUp();
}

const TapiDeviceConfig* TapiLine::GetConfig(i32 device) const
{
    if (device < 0 || device >= GetConfigCount())
        return nullptr;
    return &m_configs[std::size_t(device)];
}

void TapiLine::SetDevicesForTesting(std::vector<TapiDeviceConfig> configs)
{
    m_configs = std::move(configs);
    m_numDevs = u32(m_configs.size());
}

std::optional<i32> TapiLine::LoadDeviceConfigs()
{
    const int stored = Profile::GetInt(kTapiSection, kNumDevsEntry, kNothingStored);
    if (stored == kNothingStored)
        return std::nullopt;
    m_absent.clear();
    // Stored with names: each configuration goes back to its device
    // wherever it is listed now, whatever the number of devices.
    bool named = false;
    std::vector<std::string> restored;
    for (int i = 0; i < stored && i <= int(kMaxAddedDevice) * 4; ++i) {
        const std::string name = Profile::GetString(kTapiSection, DeviceNameEntry(std::size_t(i)).c_str());
        const auto blob = Profile::GetBinaryAnySize(kTapiSection, DeviceEntry(std::size_t(i)).c_str());
        if (name.empty())
            continue;
        named = true;
        // A name stored twice (by an earlier version, for a modem plugged
        // back in on another node): the first is the one the user set up.
        if (!blob || std::find(restored.begin(), restored.end(), name) != restored.end())
            continue;
        restored.push_back(name);
        const i32 device = FindDevice(name);
        if (device != kNoTapiDevice) {
            m_configs[std::size_t(device)].SetBlob(blob->constData(), std::size_t(blob->size()));
        } else if (std::none_of(m_absent.begin(), m_absent.end(),
                       [&name](const TapiDeviceConfig& absent) { return absent.name == name; })) {
            TapiDeviceConfig absent;
            absent.SetBlob(blob->constData(), std::size_t(blob->size()));
            absent.name = name;
            m_absent.push_back(std::move(absent));
        }
    }
    if (named)
        return m_configs.empty() ? std::optional<i32>(kNoTapiDevice) : std::nullopt;
    // Compared with the records, which are what SaveDeviceConfigs counts: a
    // trailing device that cannot be used has no record, and comparing with
    // the provider's count would then lose the stored configurations on
    // every start.
    // A device that came since is no choice of the user's: it may be a
    // GPS receiver or a board that resets when opened.
    if (stored != GetConfigCount()) {
        MsgWarning(IDS_DEVICE_COUNT_CHANGED);
        return kNoTapiDevice;
    }
    if (stored == 0)
        return kNoTapiDevice;
    for (std::size_t i = 0; i < m_configs.size(); ++i) {
        if (const auto blob = Profile::GetBinaryAnySize(kTapiSection, DeviceEntry(i).c_str()))
            m_configs[i].SetBlob(blob->constData(), std::size_t(blob->size()));
    }
    return std::nullopt;
}

void TapiLine::SaveDeviceConfigs() const
{
    // The devices present by index, as earlier versions read them; then
    // what is kept for named devices absent now. Each name once, or the
    // next start would take one record's settings for the other's.
    std::vector<const TapiDeviceConfig*> records;
    for (const std::vector<TapiDeviceConfig>* list : {&m_configs, &m_absent}) {
        for (const TapiDeviceConfig& config : *list) {
            if (config.name.empty()
                || std::none_of(records.begin(), records.end(),
                    [&config](const TapiDeviceConfig* kept) { return kept->name == config.name; }))
                records.push_back(&config);
        }
    }
    const std::size_t count = records.size();
    const int before = Profile::GetInt(kTapiSection, kNumDevsEntry, 0);
    Profile::WriteInt(kTapiSection, kNumDevsEntry, int(count));
    for (std::size_t i = 0; i < count; ++i) {
        const TapiDeviceConfig& config = *records[i];
        Profile::WriteBinary(
            kTapiSection, DeviceEntry(i).c_str(), config.blob.data(), qsizetype(config.blob.size()));
        if (config.name.empty())
            Profile::Remove(kTapiSection, DeviceNameEntry(i).c_str());
        else
            Profile::WriteString(kTapiSection, DeviceNameEntry(i).c_str(), config.name);
    }
    // Entries beyond the count would otherwise be read as ports of another run.
    for (int i = int(count); i < before && i <= int(kMaxAddedDevice) * 4; ++i) {
        Profile::Remove(kTapiSection, DeviceEntry(std::size_t(i)).c_str());
        Profile::Remove(kTapiSection, DeviceNameEntry(std::size_t(i)).c_str());
    }
}
