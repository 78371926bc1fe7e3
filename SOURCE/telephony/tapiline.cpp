#include "telephony/tapiline.h"

#include "core/utilities.h"
#include "platform/profile.h"

namespace {

constexpr const char* kNumDevsEntry = "NumDevs";
// "NumDevs" when nothing was ever stored: the provider's own configurations stay.
constexpr int kNothingStored = -1234;
constexpr u32 IDS_DEVICE_COUNT_CHANGED = 59574;

std::string DeviceEntry(std::size_t index)
{
    return "Device_" + std::to_string(index);
}

}  // namespace

void TapiDeviceConfig::SetBlob(const void* data, std::size_t size)
{
    const auto* bytes = static_cast<const u8*>(data);
    blob.assign(bytes, bytes + size);
}

TapiLine::~TapiLine()
{
    Shutdown();
}

int TapiLine::Initialize()
{
    if (m_initialized)
        return 1;
    // No provider is configured, so the line application comes up with no
    // devices to dial through.
    m_apiVersion = kTapiVersion21;
    m_oldTapi = false;
    m_numDevs = 0;
    m_configs.clear();
    m_initialized = true;
    return 1;
}

int TapiLine::Shutdown()
{
    m_initialized = false;
    return 1;
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
    // Compared with the records, which are what SaveDeviceConfigs counts: a
    // trailing device that cannot be used has no record, and comparing with
    // the provider's count would then lose the stored configurations on
    // every start.
    if (stored != GetConfigCount()) {
        MsgWarning(IDS_DEVICE_COUNT_CHANGED);
        return m_configs.empty() ? kNoTapiDevice : 0;
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
    Profile::WriteInt(kTapiSection, kNumDevsEntry, GetConfigCount());
    for (std::size_t i = 0; i < m_configs.size(); ++i) {
        const auto& blob = m_configs[i].blob;
        Profile::WriteBinary(kTapiSection, DeviceEntry(i).c_str(), blob.data(), qsizetype(blob.size()));
    }
}
