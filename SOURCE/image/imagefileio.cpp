#include "image/imagefileio.h"

#include "platform/regularfile.h"
#include "platform/savefile.h"

#include <QFile>
#include <QSaveFile>

bool ReadImageFileBytes(const std::string& path, QByteArray& bytes)
{
    CRegularFile file(QString::fromStdString(path));
    if (path.empty() || !file.open(QIODevice::ReadOnly))
        return false;
    const qint64 size = file.size();
    if (size <= 0 || size > kMaxImageFileBytes)
        return false;
    bytes.resize(size);
    return file.read(bytes.data(), size) == size;
}

SaveStatus SaveImageFileBytes(const std::string& path, const std::function<bool(QIODevice&)>& write)
{
    QSaveFile file(QString::fromStdString(path));
    if (path.empty() || !file.open(QIODevice::WriteOnly))
        return SaveStatus::CannotOpen;
    if (!write(file)) {
        file.cancelWriting();
        return SaveStatus::WriteFailed;
    }
    return CommitWholeFile(file) ? SaveStatus::Saved : SaveStatus::WriteFailed;
}
