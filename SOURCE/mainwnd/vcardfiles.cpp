#include "mainwnd/vcardfiles.h"

#include "core/records.h"
#include "core/utilities.h"
#include "impexp/cardexchange.h"
#include "platform/programfolder.h"
#include "platform/savefile.h"
#include "platform/syserror.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cerrno>

namespace {

constexpr int kMaxBaseName = 100;
constexpr qint64 kForwardKeepSeconds = 3600;

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

u32 WriteVCardFile(const Contact& contact, const QString& path)
{
    CCardExchange exchange;
    exchange.CopyContact(contact);
    std::string text;
    exchange.WriteCard(text);
    text += "\r\n";
    // A new card holds a contact: for this user only. One written over
    // keeps the mode its owner gave it.
    const bool isNew = !QFileInfo(path).exists() && !QFileInfo(path).isSymLink();
    errno = 0;
    QSaveFile file(path);
    const auto failed = [&file] {
        const u32 error = ErrorFromFileDevice(file.error(), errno);
        file.cancelWriting();
        return error ? error : RC_SHORT_WRITE;
    };
    if (!file.open(QIODevice::WriteOnly))
        return failed();
    if (isNew && !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return failed();
    if (file.write(text.data(), qint64(text.size())) != qint64(text.size()) || !CommitWholeFile(file))
        return failed();
    return 0;
}

QString ForwardFolder()
{
    return ProgramFolder::FilePath(QStringLiteral("forward"));
}

void CleanForwardedCards(const QDateTime& now)
{
    // A message written across a restart may still wait for its card: only
    // cards an hour old go.
    const QDateTime cutoff = now.addSecs(-kForwardKeepSeconds);
    const QDir root(ForwardFolder());
    for (const QFileInfo& folder : root.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden)) {
        QDir cards(folder.filePath());
        const QFileInfoList files = cards.entryInfoList(QDir::Files | QDir::Hidden);
        const bool old = std::all_of(
            files.begin(), files.end(), [&](const QFileInfo& file) { return file.lastModified() < cutoff; });
        if (old && folder.lastModified() < cutoff)
            cards.removeRecursively();
    }
}

bool ForwardVCard(
    const Contact& contact, const std::function<bool(const QString& path, const QString& name)>& mailer)
{
    if (!mailer)
        return false;
    // The mail program reads the card when the user sends the message, long
    // after it was started: the card stays until the next start. Only this
    // user may read the folders (QTemporaryDir makes its own 0700).
    const QString root = ForwardFolder();
    if (!QDir().mkpath(root)
        || !QFile::setPermissions(root, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
        return false;
    QTemporaryDir folder(root + QStringLiteral("/XXXXXX"));
    if (!folder.isValid())
        return false;
    folder.setAutoRemove(false);
    const QString name = VCardFileName(contact);
    const QString path = folder.filePath(name);
    if (WriteVCardFile(contact, path) != 0 || !mailer(path, name)) {
        // Nothing will read it.
        folder.remove();
        return false;
    }
    return true;
}
