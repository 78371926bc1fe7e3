// Address formats: a named template of bracketed field captions that lays an
// address out. The record is stored raw as a settings value, so its layout
// is a storage format.
#pragma once

#include "platform/wintypes.h"

#include <QByteArray>
#include <QByteArrayView>
#include <cstring>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

class Contact;

constexpr u32 AFF_BUILTIN = 0x1;

// String ids of the two tokens that are not fields.
constexpr u32 IDS_TOKEN_COMMA = 59566;
constexpr u32 IDS_TOKEN_NEWLINE = 59567;

struct AddressFormat {
    char m_szName[56] = {};
    char m_szFormat[256] = {};
    u32 m_dwFlags = 0;
    u32 m_dwReserved = 0;

    // A stored record need not hold a terminating zero: reading stops at
    // the end of the field.
    std::string Name() const;
    std::string Format() const;
    // Texts too long for their field are cut at a character boundary,
    // leaving room for the zero.
    void SetName(std::string_view name);
    void SetFormat(std::string_view format);
    bool IsBuiltIn() const { return m_dwFlags & AFF_BUILTIN; }
    bool operator==(const AddressFormat& other) const { return std::memcmp(this, &other, sizeof *this) == 0; }
};
static_assert(sizeof(AddressFormat) == 320);
static_assert(std::is_trivially_copyable_v<AddressFormat>);

// The caption tokens that the template editor offers, as string ids, in
// its list order.
extern const u32 kAddressFormatTokenIds[24];

class CAddressFormatArray {
public:
    size_t GetSize() const { return m_data.size(); }
    bool IsEmpty() const { return m_data.empty(); }
    AddressFormat GetAt(size_t index) const { return m_data.at(index); }
    AddressFormat& ElementAt(size_t index) { return m_data.at(index); }
    const AddressFormat& operator[](size_t index) const { return m_data.at(index); }
    // New elements are zeroed records; size 0 frees the storage.
    void SetSize(size_t size);
    size_t Add(const AddressFormat& format);
    void RemoveAt(size_t index);
    void RemoveAll() { SetSize(0); }

    // The archive form: a 16-bit count (or 0xFFFF and a 32-bit count), then
    // the records as raw blocks.
    QByteArray Serialize() const;
    // False, with the array unchanged, when the bytes are short or the count
    // promises more records than they hold.
    bool Deserialize(QByteArrayView bytes);

    bool operator==(const CAddressFormatArray& other) const = default;

private:
    std::vector<AddressFormat> m_data;
};

// Where each format of the list went when the list was edited: the new
// index of every old one, kFormatDeleted for one that was deleted.
using AddressFormatRemap = std::vector<u32>;
constexpr u32 kFormatDeleted = 0xFFFFFFFF;

// A stored format index after the list was edited: the same format at its
// new place, the fallback for a deleted one. An index past the old list's
// end meant the default format and stays.
u32 RemapFormatIndex(u32 index, const AddressFormatRemap& remap, u32 fallback);
// The same for every address of a contact; an address whose format was
// deleted takes its type's default. True when one changed.
bool RemapAddressFormats(Contact& contact, const AddressFormatRemap& remap, size_t formatCount);

// The format an address is shown with: its own index when the list has it,
// else 2 for a home address and 1 for a business address, else the first
// format; -1 when the list is empty.
int GetAddressFormatIndex(u32 addressType, u32 formatIndex, size_t formatCount);
