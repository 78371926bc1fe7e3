// The telephony line: the program's one connection to the line devices
// (modems) it dials through. It keeps the list of devices with the stored
// "comm/datamodem" configuration of each, opens a line, dials a number,
// follows the call through the provider's messages and reports each step
// to the call in progress as a status code and a text. The modem only
// dials: once the user lifts the receiver the line is let go and the
// conversation goes on on the handset.
#pragma once

#include "core/seexception.h"
#include "platform/lineprovider.h"
#include "platform/wintypes.h"

#include <QPointer>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QObject;

constexpr const char* kTapiSection = "TapiMan";

// A device index meaning "no device".
constexpr i32 kNoTapiDevice = -10;

// API versions: the one asked for first, and the fallback of an older service.
constexpr u32 kTapiVersion21 = 0x00020001;
constexpr u32 kTapiVersion14 = 0x00010004;
constexpr u32 kTapiVersion13 = 0x00010003;

// What the line tells the call in progress.
enum TapiCallStatus : u32 {
    TCS_DIALING = 0,  // dialing or in progress
    TCS_BUSY = 1,  // busy, or refused by the exchange
    TCS_CONNECTED = 2,
    TCS_DISCONNECTED = 3,
    TCS_RINGBACK = 4,
    TCS_IDLE = 5,
    TCS_ABORTED = 6,
    TCS_NONE = 0xFFFF,
};

// One report to the call in progress. The text travels with it by value.
struct LineStatus {
    u32 status = TCS_NONE;
    std::string text;
    // False when the exchange refused the number itself: dialing it again
    // would only be refused again.
    bool redialable = true;
};

// What a line device's configuration is stored as; its meaning belongs to
// the device's provider, so it is kept and handed back byte for byte.
struct TapiDeviceConfig {
    i32 deviceId = kNoTapiDevice;
    u32 apiVersion = 0;  // 0: the device cannot be used
    std::vector<u8> blob;
    // The name the device keeps while its index changes (a port's stable
    // name); empty when its provider has none.
    std::string name;

    void SetBlob(const void* data, std::size_t size);
};

class TapiLine : public LineEventSink {
public:
    // A null provider means the one the settings name.
    explicit TapiLine(std::unique_ptr<LineProvider> provider = {}, SeReporter reportError = {});
    ~TapiLine() override;
    TapiLine(const TapiLine&) = delete;
    TapiLine& operator=(const TapiLine&) = delete;

    // 1 when the line application is ready (also when it already was), 0 on failure.
    int Initialize();
    // 1 when the call was placed. Every failure is told to the user: at
    // once, or, given held, into held for the caller to show once the
    // window of the call has gone.
    int Dial(const std::string& number, i32 device, std::vector<std::string>* held = nullptr);
    // The last dial refused the number itself: it is no number the device can dial.
    bool NumberRefused() const { return m_numberRefused; }
    // Ends the call and closes the line; always 1.
    int HangUp();
    // HangUp, then releases the line application; always 1.
    int Shutdown();

    // The device's configuration in its provider's editor: 1 stored, -1 failed.
    int ConfigDialog(QObject* parent, i32 device);
    void TranslateDialog(const std::string& address);
    // The text for a device list and whether the device can be used.
    std::string GetDeviceName(i32 device, bool& available);
    void ApplyDeviceConfig(i32 device);
    // The user chose the device: its provider looks at it with its stored
    // configuration.
    void ChooseDevice(i32 device);
    // The device of that stable name, or none.
    i32 FindDevice(const std::string& name) const;
    // The agreed version, 0 when there is none.
    u32 NegotiateVersion(u32 device);

    // Restores the stored configurations: by each device's stable name when
    // they were stored with names, so that devices come and go without
    // losing the settings of the others; else by index. When configurations
    // stored by index no longer fit the devices present, the user is told,
    // nothing is restored and the result is no device: a device that
    // appeared since is nobody's choice. The result is empty when the
    // stored choice stands. Stored configurations of named devices absent
    // now are kept and saved again; a name is saved once.
    std::optional<i32> LoadDeviceConfigs();
    void SaveDeviceConfigs() const;

    // Where the reports of the call in progress go, for the length of one
    // call: they are queued to the receiver's thread and dropped when the
    // receiver is gone. A null receiver ends the reports.
    void SetStatusReceiver(QObject* receiver, std::function<void(const LineStatus&)> deliver);

    bool IsInitialized() const { return m_hLineApp != 0; }
    bool IsInCall() const { return m_bInCall; }
    u32 GetDeviceCount() const { return m_numDevs; }
    // The devices a configuration record exists for; device indexes refer to these.
    i32 GetConfigCount() const { return i32(m_configs.size()); }
    const TapiDeviceConfig* GetConfig(i32 device) const;
    u32 GetApiVersion() const { return m_apiVersion; }
    bool IsOldTapi() const { return m_oldTapi; }
    i32 GetCurrentDevice() const { return m_device; }
    const std::string& GetStatusText() const { return m_statusText; }

    // How long a request may go unanswered before it counts as failed, and
    // how long a changed telephony configuration is given to settle.
    void SetWaitTimesForTesting(int replyTimeoutMs, int reinitWaitMs);
    // Stands in for the devices a provider reports.
    void SetDevicesForTesting(std::vector<TapiDeviceConfig> configs);

    void LineCallback(u32 device, u32 message, u64 param1, u64 param2, u64 param3) override;

private:
    struct Wait;

    // 1 for success; tells the user about the errors a user can act on.
    int CheckError(i32 code);
    i32 WaitForReply(i32 request);
    void WakeWaits();
    void PostStatus();
    void SetStatus(const std::string& text, u32 status);
    void OnCallState(u32 call, u32 state, u32 mode);
    void OnLineDevState(u32 state, u64 param2, u64 param3);
    void ReadDeviceConfigs();
    void AddDeviceRecord(u32 device);
    int PlaceCall(const std::string& number, i32 device);
    int FailDial(const char* message);
    // A message to the user, held back while a dial holds its messages.
    void Tell(const std::string& text);

    std::unique_ptr<LineProvider> m_provider;
    SeReporter m_reportError;

    std::string m_number;
    i32 m_device = 0;
    HLINEAPP m_hLineApp = 0;
    HLINE m_hLine = 0;
    HCALL m_hCall = 0;
    u32 m_numDevs = 0;
    u32 m_apiVersion = kTapiVersion21;
    bool m_oldTapi = false;

    bool m_bInitializing = false;
    bool m_bHangingUp = false;
    bool m_bShuttingDown = false;
    bool m_bInCall = false;
    bool m_numberRefused = false;
    std::vector<std::string>* m_held = nullptr;
    // Hang-ups finished so far: a wait that sees one happen stops waiting.
    u64 m_hangUps = 0;
    std::vector<Wait*> m_waits;
    int m_replyTimeoutMs = 30000;
    int m_reinitWaitMs = 5000;

    std::string m_statusText;
    u32 m_status = TCS_NONE;
    bool m_redialable = true;
    QPointer<QObject> m_receiver;
    std::function<void(const LineStatus&)> m_deliver;

    std::vector<TapiDeviceConfig> m_configs;
    // Configurations stored for named devices not present in this run.
    std::vector<TapiDeviceConfig> m_absent;
};
