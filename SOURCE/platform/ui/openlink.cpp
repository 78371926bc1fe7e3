#include "platform/ui/openlink.h"

#include <QDesktopServices>

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
