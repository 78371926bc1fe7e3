#include "platform/programfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// What earlier versions made the folder, under the usual umasks 022 and 002.
constexpr mode_t kEarlierMode = 0755;
constexpr mode_t kEarlierGroupMode = 0775;

QString g_override;
QString g_sharedOverride;
}  // namespace

namespace ProgramFolder {

QString Path()
{
    QString path = g_override;
    if (path.isEmpty()) {
        QString base = qEnvironmentVariable("XDG_DATA_HOME");
        if (base.isEmpty())
            base = QDir::homePath() + QStringLiteral("/.local/share");
        path = base + QStringLiteral("/Tolva");
    }
    // The folder holds the user's contacts: only the user may look into it.
    // The folders above it are the desktop's and made as it makes them.
    QDir().mkpath(QFileInfo(path).path());
    ::mkdir(QFile::encodeName(path).constData(), 0700);
    return path;
}

bool MakePrivate()
{
    const QByteArray path = QFile::encodeName(Path());
    struct stat st;
    if (::lstat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
        return false;
    const mode_t mode = st.st_mode & 07777;
    if (mode != kEarlierMode && mode != kEarlierGroupMode)
        return false;
    return ::chmod(path.constData(), 0700) == 0;
}

QString FilePath(const QString& name)
{
    QString relative = name;
    relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return Path() + QLatin1Char('/') + relative;
}

std::string FilePathUtf8(const char* name)
{
    return FilePath(name ? QString::fromUtf8(name) : QString()).toStdString();
}

QString SharedPath(const QString& name)
{
    QString relative = name;
    relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (!g_sharedOverride.isEmpty())
        return QDir::cleanPath(g_sharedOverride + QLatin1Char('/') + relative);
    const QString appDir
        = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
    for (const QString& candidate :
        {appDir + QStringLiteral("/../share/tolva/"), appDir + QStringLiteral("/share/tolva/")}) {
        const QString path = QDir::cleanPath(candidate + relative);
        if (QFile::exists(path))
            return path;
    }
    return QDir::cleanPath(appDir + QStringLiteral("/../share/tolva/") + relative);
}

void SetPathForTesting(const QString& path)
{
    g_override = path;
}

void SetSharedPathForTesting(const QString& path)
{
    g_sharedOverride = path;
}

}  // namespace ProgramFolder
