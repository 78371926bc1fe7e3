// The application's telephony service: the chosen line device, the dialing
// options and the one telephony line, started with the program and shut
// down at its exit. Its settings live in the profile section "TapiMan".
#pragma once

#include "core/seexception.h"
#include "platform/wintypes.h"
#include "telephony/tapiline.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class CSeException;
class CallStatusUi;
class DataMan;

// TapiMan's flag bits.
constexpr u32 TAPIMAN_INITIALIZED = 0x1;
constexpr u32 TAPIMAN_IN_CALL = 0x2;

// The dialing options of the preferences, kept in the settings; these are
// the values of a first run.
struct TapiDialOptions {
    bool autoRedial = true;
    bool logCalls = true;
    u32 redialInterval = 5;  // seconds
};

class TapiMan {
public:
    // The application passes its own ReportError for faults caught here.
    explicit TapiMan(SeReporter reportError = {});
    ~TapiMan();
    TapiMan(const TapiMan&) = delete;
    TapiMan& operator=(const TapiMan&) = delete;

    // Start-up: the line, then the settings. 0, so that the program starts
    // without telephony when the line fails; 14 after a processor fault.
    u32 Init();
    // Exit: saves the settings and releases the line.
    void Shutdown();
    u32 LoadSettings();
    void SaveSettings();
    // The dialing options alone, written when the user confirms them.
    void SaveOptions();

    // Dials through the call status dialog: 1 when it ran, 0 when there is
    // no device. A call the user confirms with logging on goes into the
    // call log. Why a dial failed is shown once the dialog has closed.
    u32 Dial(u32 contactId, u32 dialKind, const std::string& number, const std::string& name);
    // The last dial refused its number as no number the device can dial.
    bool LastNumberRefused() const { return m_lastNumberRefused; }
    void TranslateDialog(const std::string& address);

    // Where logged calls go, and what shows a call; set at start-up.
    void SetDataMan(DataMan* dataMan) { m_pDataMan = dataMan; }
    void SetCallStatusUi(CallStatusUi* ui) { m_pCallUi = ui; }

    // The state block of the error report.
    void Dump(std::string& text) const;

    bool IsInitialized() const { return (m_flags & TAPIMAN_INITIALIZED) != 0; }
    u32 GetFlags() const { return m_flags; }
    i32 GetCurDevice() const { return m_curDevice; }
    // Chooses the device: its provider looks at it now.
    void SetCurDevice(i32 device);
    TapiLine* GetLine() const { return m_line.get(); }
    TapiDialOptions& Options() { return m_options; }

    // The Manual Dial history, oldest first, at most kManualPhonesLimit.
    static constexpr std::size_t kManualPhonesLimit = 51;
    static std::vector<std::string> LoadManualPhones();
    // Repeated numbers are kept once, at their first place.
    static void SaveManualPhones(const std::vector<std::string>& numbers);

private:
    SeReporter m_reportError;
    std::unique_ptr<TapiLine> m_line;
    i32 m_curDevice = kNoTapiDevice;
    // The stable name of the device chosen in an earlier run and absent in this one.
    std::string m_missingChoice;
    u32 m_flags = 0;
    bool m_lastNumberRefused = false;
    // Only settings that were loaded are written back, so a start that
    // stopped early leaves the stored ones alone.
    bool m_loaded = false;
    TapiDialOptions m_options;
    DataMan* m_pDataMan = nullptr;
    CallStatusUi* m_pCallUi = nullptr;
};
