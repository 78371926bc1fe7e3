#include "platform/ui/openlink.h"

#include <QDesktopServices>
#include <QFileInfo>

QUrl LinkUrl(const std::string& target)
{
    const QString text = QString::fromUtf8(target.data(), qsizetype(target.size())).trimmed();
    if (text.isEmpty())
        return {};
    QUrl url = QUrl::fromUserInput(text);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != u"http" && scheme != u"https" && scheme != u"mailto"))
        return {};
    return url;
}

bool OpenLink(const std::string& target)
{
    const QUrl url = LinkUrl(target);
    return url.isValid() && QDesktopServices::openUrl(url);
}

QUrl LocalPageUrl(const QString& path, const QString& folder)
{
    const QFileInfo page(path);
    const QString root = QFileInfo(folder).canonicalFilePath();
    const QString canonical = page.canonicalFilePath();
    const QString suffix = page.suffix().toLower();
    if (root.isEmpty() || canonical.isEmpty() || !page.isFile() || (suffix != u"htm" && suffix != u"html")
        || !canonical.startsWith(root + QLatin1Char('/')))
        return {};
    return QUrl::fromLocalFile(canonical);
}

bool OpenLocalPage(const QString& path, const QString& folder)
{
    const QUrl url = LocalPageUrl(path, folder);
    return url.isValid() && QDesktopServices::openUrl(url);
}
