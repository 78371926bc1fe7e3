#include "mainwnd/vcardfiles.h"

#include "core/records.h"
#include "impexp/cardexchange.h"

#include <QDir>
#include <QSaveFile>
#include <QTemporaryDir>

namespace {

constexpr int kMaxBaseName = 100;

}  // namespace

QString VCardFileName(const Contact& contact)
{
    std::string name = contact.m_strName;
    if (name.empty())
        name = contact.m_strFirstName + " " + contact.m_strMiddleName + " " + contact.m_strLastName;
    QString base = QString::fromStdString(name).simplified();
    // Nothing of the name may lead out of the folder or name a device.
    for (QChar& c : base) {
        if (c == u'/' || c == u'\\' || c == u':' || c == u'*' || c == u'?' || c == u'"' || c == u'<'
            || c == u'>' || c == u'|' || c.category() == QChar::Other_Control)
            c = u'_';
    }
    while (base.startsWith(u'.'))
        base.remove(0, 1);
    base = base.left(kMaxBaseName).trimmed();
    if (base.isEmpty())
        base = QStringLiteral("contact");
    return base + QStringLiteral(".vcf");
}

QString VCardDialogFilter(const QString& tableFilter)
{
    const QStringList parts = tableFilter.split(u'|', Qt::SkipEmptyParts);
    return parts.size() >= 2 ? parts[0] : tableFilter;
}

bool WriteVCardFile(const Contact& contact, const QString& path)
{
    CCardExchange exchange;
    exchange.CopyContact(contact);
    std::string text;
    exchange.WriteCard(text);
    text += "\r\n";
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(text.data(), qint64(text.size())) != qint64(text.size())) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool ForwardVCard(
    const Contact& contact, const std::function<bool(const QString& path, const QString& name)>& mailer)
{
    if (!mailer)
        return false;
    // QTemporaryDir makes the folder readable by this user only.
    QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/tolva-vcard-XXXXXX"));
    if (!folder.isValid())
        return false;
    const QString name = VCardFileName(contact);
    const QString path = folder.filePath(name);
    if (!WriteVCardFile(contact, path))
        return false;
    // The mailer returns once the mail program has taken the file; the
    // folder goes with this scope.
    return mailer(path, name);
}
