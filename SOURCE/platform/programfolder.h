// The program's folder: where the data files, the "backup" and "data"
// folders, the error log and the help live. Names may be written with
// backslashes ("backup\tolva.rd0"); they become path separators.
#pragma once

#include <QString>
#include <string>

namespace ProgramFolder {

// $XDG_DATA_HOME/Tolva, created on first use, for this user only (0700).
QString Path();
// Earlier versions made the folder readable by everyone: when it still has
// the mode they gave it (0755, or 0775) and is this user's own folder, not
// a link, it becomes 0700. A mode the user chose is kept. True when it was
// changed.
bool MakePrivate();
// The folder joined with a relative name; an empty name gives the folder
// with a trailing separator.
QString FilePath(const QString& name);
std::string FilePathUtf8(const char* name);
// Read-only files that ship with the program (share/tolva beside the binary).
QString SharedPath(const QString& name);

// Tests point the folder at a temporary one; an empty path restores the default.
void SetPathForTesting(const QString& path);
// Tests read the shipped files from the source tree; empty restores the default.
void SetSharedPathForTesting(const QString& path);

}  // namespace ProgramFolder
