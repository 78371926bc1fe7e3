#include "platform/autostart.h"

#include "platform/savefile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

constexpr const char* kEntryName = "tolva.desktop";
constexpr const char* kArgument = " -regrun";
constexpr qint64 kMaxInstalledSize = 64 * 1024;
constexpr const char* kMinimalEntry
    = "[Desktop Entry]\nType=Application\nName=Tolva\nIcon=tolva\nTerminal=false\n";

QString ConfigHome()
{
    const QString home = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!home.isEmpty() && QDir::isAbsolutePath(home))
        return home;
    return QDir::homePath() + QStringLiteral("/.config");
}

// The program's path as one argument of an Exec key: quoted where the
// desktop entry rules need it, then escaped as a string value.
QByteArray ExecValue(const QString& programPath)
{
    static const QString kReserved = QStringLiteral(" \t\"'\\><~|&;$*?#()`");
    bool quote = false;
    for (QChar ch : programPath)
        quote = quote || kReserved.contains(ch);
    QString arg;
    for (QChar ch : programPath) {
        if (quote && (ch == u'"' || ch == u'`' || ch == u'$' || ch == u'\\'))
            arg += u'\\';
        arg += ch;
        if (ch == u'%')
            arg += u'%';
    }
    if (quote)
        arg = u'"' + arg + u'"';
    arg.replace(u'\\', QStringLiteral("\\\\"));
    return "Exec=" + arg.toUtf8() + kArgument;
}

// A key whose name (without a language suffix) the entry sets itself.
bool IsOwnKey(const QByteArray& line)
{
    QByteArray key = line;
    for (const char end : {'=', '['}) {
        if (const qsizetype at = key.indexOf(end); at >= 0)
            key.truncate(at);
    }
    key = key.trimmed();
    return key == "Exec" || key == "TryExec" || key == "Hidden";
}

QByteArray InstalledEntry()
{
    QStringList candidates;
    const QString located
        = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, QLatin1String(kEntryName));
    if (!located.isEmpty())
        candidates << located;
    candidates << QCoreApplication::applicationDirPath() + QStringLiteral("/../share/applications/")
            + QLatin1String(kEntryName);
    for (const QString& path : candidates) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly) && file.size() <= kMaxInstalledSize)
            return file.read(kMaxInstalledSize);
    }
    return {};
}

}  // namespace

namespace Autostart {

QString EntryPath()
{
    return ConfigHome() + QStringLiteral("/autostart/") + QLatin1String(kEntryName);
}

bool IsEnabled()
{
    return QFileInfo::exists(EntryPath());
}

QByteArray MakeEntry(const QByteArray& installed, const QString& programPath)
{
    QByteArray entry;
    bool inMain = false;
    bool sawMain = false;
    // A lone carriage return ends a line too, for readers that take it so.
    QByteArray text = installed;
    text.replace('\r', '\n');
    for (const QByteArray& raw : text.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith('[')) {
            inMain = line == "[Desktop Entry]" && !sawMain;
            sawMain = sawMain || inMain;
            if (inMain)
                entry += line + '\n';
            continue;
        }
        // The command and the keys that would keep the entry from running
        // are the program's own.
        if (!inMain || IsOwnKey(line))
            continue;
        entry += line + '\n';
    }
    if (!sawMain)
        entry = kMinimalEntry;
    return entry + ExecValue(programPath) + '\n';
}

bool Enable(const QString& programPath)
{
    // A line break would end the key and start another one.
    if (programPath.isEmpty() || programPath.contains(u'\n') || programPath.contains(u'\r'))
        return false;
    const QString path = EntryPath();
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray entry = MakeEntry(InstalledEntry(), programPath);
    return file.write(entry) == entry.size() && CommitWholeFile(file);
}

bool Disable()
{
    const QString path = EntryPath();
    return !QFileInfo::exists(path) || QFile::remove(path);
}

}  // namespace Autostart
