#include "platform/programfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

namespace {
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
    QDir().mkpath(path);
    return path;
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
