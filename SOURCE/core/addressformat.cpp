#include "core/addressformat.h"

#include "core/records.h"
#include "platform/textcodec.h"

#include <QtEndian>
#include <algorithm>
#include <cstring>

const u32 kAddressFormatTokenIds[24] = {
    IDS_TOKEN_COMMA,
    IDS_TOKEN_NEWLINE,
    59441,
    59492,
    59493,
    59494,
    59495,
    59496,
    59497,
    59498,
    59499,
    59500,
    59501,
    59502,
    59503,
    59504,
    59505,
    59506,
    59507,
    59442,
    59443,
    59444,
    59445,
    59486,
};

namespace {

// An archive count below this is one 16-bit word.
constexpr u32 kShortCountLimit = 0xFFFF;

}  // namespace

std::string AddressFormat::Name() const
{
    return TextCodec::FromFixedField(m_szName, sizeof m_szName);
}

std::string AddressFormat::Format() const
{
    return TextCodec::FromFixedField(m_szFormat, sizeof m_szFormat);
}

void AddressFormat::SetName(std::string_view name)
{
    TextCodec::ToFixedField(name, m_szName, sizeof m_szName);
}

void AddressFormat::SetFormat(std::string_view format)
{
    TextCodec::ToFixedField(format, m_szFormat, sizeof m_szFormat);
}

void CAddressFormatArray::SetSize(size_t size)
{
    m_data.resize(size);
    if (size == 0)
        m_data.shrink_to_fit();
}

size_t CAddressFormatArray::Add(const AddressFormat& format)
{
    m_data.push_back(format);
    return m_data.size() - 1;
}

void CAddressFormatArray::RemoveAt(size_t index)
{
    if (index < m_data.size())
        m_data.erase(m_data.begin() + std::ptrdiff_t(index));
}

QByteArray CAddressFormatArray::Serialize() const
{
    QByteArray out;
    const u32 count = u32(m_data.size());
    if (count < kShortCountLimit) {
        const u16 word = qToLittleEndian(u16(count));
        out.append(reinterpret_cast<const char*>(&word), sizeof word);
    } else {
        const u16 escape = qToLittleEndian(u16(kShortCountLimit));
        const u32 wide = qToLittleEndian(count);
        out.append(reinterpret_cast<const char*>(&escape), sizeof escape);
        out.append(reinterpret_cast<const char*>(&wide), sizeof wide);
    }
    out.append(
        reinterpret_cast<const char*>(m_data.data()), qsizetype(m_data.size() * sizeof(AddressFormat)));
    return out;
}

bool CAddressFormatArray::Deserialize(QByteArrayView bytes)
{
    qsizetype pos = sizeof(u16);
    if (bytes.size() < pos)
        return false;
    u32 count = qFromLittleEndian<u16>(bytes.data());
    if (count == kShortCountLimit) {
        if (bytes.size() < pos + qsizetype(sizeof(u32)))
            return false;
        count = qFromLittleEndian<u32>(bytes.data() + pos);
        pos += sizeof(u32);
    }
    if (u64(count) * sizeof(AddressFormat) > u64(bytes.size() - pos))
        return false;
    std::vector<AddressFormat> data(count);
    if (count > 0)
        std::memcpy(data.data(), bytes.data() + pos, count * sizeof(AddressFormat));
    m_data = std::move(data);
    return true;
}

int GetAddressFormatIndex(u32 addressType, u32 formatIndex, size_t formatCount)
{
    if (formatCount == 0)
        return -1;
    if (formatIndex < formatCount)
        return int(formatIndex);
    u32 fallback = 0;
    if ((addressType & CV_TYPE_MASK) == ADDR_HOME)
        fallback = 2;
    else if ((addressType & CV_TYPE_MASK) == ADDR_BUSINESS)
        fallback = 1;
    // With fewer formats than the fallback needs, the first one serves.
    return fallback < formatCount ? int(fallback) : 0;
}

u32 RemapFormatIndex(u32 index, const AddressFormatRemap& remap, u32 fallback)
{
    if (index >= remap.size())
        return index;
    return remap[index] == kFormatDeleted ? fallback : remap[index];
}

bool RemapAddressFormats(Contact& contact, const AddressFormatRemap& remap, size_t formatCount)
{
    bool changed = false;
    for (ContactAddress& address : contact.m_addresses) {
        const int fallback = GetAddressFormatIndex(address.m_dwType, kFormatDeleted, formatCount);
        const u32 index = RemapFormatIndex(address.m_dwFormat, remap, u32(std::max(fallback, 0)));
        changed = changed || index != address.m_dwFormat;
        address.m_dwFormat = index;
    }
    return changed;
}
