// Picture files are read whole into memory and decoded from there, and
// written through a temporary file that replaces the old one only when
// everything was written.
#pragma once

#include <QByteArray>
#include <functional>
#include <string>

class QIODevice;

// The largest picture file read; anything bigger is not a contact picture.
constexpr qint64 kMaxImageFileBytes = 512ll * 1024 * 1024;

bool ReadImageFileBytes(const std::string& path, QByteArray& bytes);

enum class SaveStatus { Saved, CannotOpen, WriteFailed };
SaveStatus SaveImageFileBytes(const std::string& path, const std::function<bool(QIODevice&)>& write);
