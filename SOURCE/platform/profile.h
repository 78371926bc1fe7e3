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
#include <string_view>

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

// An entry's value as the file holds it, up to the end of its line: the
// settings reader takes an unquoted ";" for the start of a comment and an
// unquoted "," for a list, where a user may have meant neither. Nothing
// when the file has no such line.
std::optional<std::string> GetFileText(const char* section, const char* entry);
// The same on the text of a settings file: the first line of the entry in
// the section (given as in the file's "[...]" header).
std::optional<std::string> FindIniText(
    std::string_view text, std::string_view section, std::string_view entry);

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
