// The telephony line: the program's one connection to the line devices
// (modems) it dials through. It keeps the list of devices with the stored
// "comm/datamodem" configuration of each, and saves and restores those
// configurations in the profile section "TapiMan".
//
// No line provider is configured yet, so Initialize answers as a provider
// with no devices: telephony starts, and every dial request finds nothing
// to dial with.
#pragma once

#include "platform/wintypes.h"

#include <cstddef>
#include <optional>
#include <vector>

constexpr const char* kTapiSection = "TapiMan";

// A device index meaning "no device".
constexpr i32 kNoTapiDevice = -10;

// API versions: the one asked for first, and the fallback of an older service.
constexpr u32 kTapiVersion21 = 0x00020001;
constexpr u32 kTapiVersion14 = 0x00010004;

// What a line device's configuration is stored as; its meaning belongs to
// the device's provider, so it is kept and handed back byte for byte.
struct TapiDeviceConfig {
    i32 deviceId = kNoTapiDevice;
    u32 apiVersion = 0;  // 0: the device cannot be used
    std::vector<u8> blob;

    void SetBlob(const void* data, std::size_t size);
};

class TapiLine {
public:
    TapiLine() = default;
    ~TapiLine();
    TapiLine(const TapiLine&) = delete;
    TapiLine& operator=(const TapiLine&) = delete;

    // 1 when the line application is ready (also when it already was), 0 on failure.
    int Initialize();
    // Releases the line application; always 1.
    int Shutdown();

    // Restores the stored configurations. When they no longer fit the
    // devices present, the user is told, nothing is restored and the result
    // is the device TapiMan must fall back to (0, or none when there are no
    // devices); otherwise the result is empty.
    std::optional<i32> LoadDeviceConfigs();
    void SaveDeviceConfigs() const;

    bool IsInitialized() const { return m_initialized; }
    u32 GetDeviceCount() const { return m_numDevs; }
    // The devices a configuration record exists for; device indexes refer to these.
    i32 GetConfigCount() const { return i32(m_configs.size()); }
    const TapiDeviceConfig* GetConfig(i32 device) const;
    u32 GetApiVersion() const { return m_apiVersion; }
    bool IsOldTapi() const { return m_oldTapi; }
    i32 GetCurrentDevice() const { return m_device; }

    // Stands in for the devices a provider reports, until one is configured.
    void SetDevicesForTesting(std::vector<TapiDeviceConfig> configs);

private:
    i32 m_device = 0;
    bool m_initialized = false;
    u32 m_numDevs = 0;
    u32 m_apiVersion = kTapiVersion21;
    bool m_oldTapi = false;
    std::vector<TapiDeviceConfig> m_configs;
};
