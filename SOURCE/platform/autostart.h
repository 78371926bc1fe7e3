// Starting the program at desktop log-in: an XDG autostart entry
// ($XDG_CONFIG_HOME/autostart/tolva.desktop) that runs the program with
// "-regrun". The entry is made from the installed desktop entry, so it
// carries the program's name, icon and translations.
#pragma once

#include <QByteArray>
#include <QString>

namespace Autostart {

QString EntryPath();
bool IsEnabled();
// The autostart entry's text: the installed entry's main group with its
// command replaced (other groups, which start other commands, are left
// out), or a minimal entry when the installed one is empty.
QByteArray MakeEntry(const QByteArray& installed, const QString& programPath);
// Writes the entry for the program; false when it cannot be written or
// the path cannot be written into a desktop entry.
bool Enable(const QString& programPath);
// Removes the entry; true when none is left.
bool Disable();

}  // namespace Autostart
