// The settings profile: what the program keeps under
// HKEY_CURRENT_USER\Software\Vexa+\Tolva, stored in an INI file of the user's
// configuration folder. A section written with backslashes ("UserMan\MainWnd")
// is a group path ("UserMan/MainWnd").
#pragma once

#include "platform/wintypes.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <string>

namespace Profile {

int GetInt(const char* section, const char* entry, int defaultValue);
bool WriteInt(const char* section, const char* entry, int value);

std::string GetString(const char* section, const char* entry, const std::string& defaultValue = {});
bool WriteString(const char* section, const char* entry, const std::string& value);

// A binary value is returned only when it has exactly the size asked for.
std::optional<QByteArray> GetBinary(const char* section, const char* entry, qsizetype size);
// Any size, for the few values whose length varies.
std::optional<QByteArray> GetBinaryAnySize(const char* section, const char* entry);
bool WriteBinary(const char* section, const char* entry, const void* data, qsizetype size);

template <typename T> bool GetStruct(const char* section, const char* entry, T& out)
{
    const auto bytes = GetBinary(section, entry, qsizetype(sizeof(T)));
    if (!bytes)
        return false;
    std::memcpy(&out, bytes->constData(), sizeof(T));
    return true;
}
template <typename T> bool WriteStruct(const char* section, const char* entry, const T& value)
{
    return WriteBinary(section, entry, &value, qsizetype(sizeof(T)));
}

bool Remove(const char* section, const char* entry);
// Removes a whole section with everything under it.
bool RemoveSection(const char* section);
bool Exists(const char* section, const char* entry);

// Writes pending changes to disk.
void Sync();

// Writes pending changes and drops the open settings, so the next access
// reads the file afresh (a new process would see the same).
void Reopen();

// The file behind the profile; tests point it elsewhere with XDG_CONFIG_HOME.
QString FilePath();

}  // namespace Profile
