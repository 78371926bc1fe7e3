#include "mainwnd/contactpayload.h"

#include "core/datafile.h"
#include "core/records.h"
#include "core/utilities.h"
#include "platform/messages.h"

#include <QMimeData>
#include <cstring>

namespace {

// Every contact record is framed by an opening and a closing word, so a
// count larger than the bytes could hold is refused before any record is
// read.
constexpr u32 kMinContactRecordSize = 2 * sizeof(u32);

QString MimeOf(u32 format)
{
    return QStringLiteral("application/x-%1").arg(QString::fromStdString(RegisteredName(format)));
}

}  // namespace

QString ContactFormatMime()
{
    return MimeOf(Registered().CF_TOLVA_CONTACTS);
}

QString BookFormatMime()
{
    return MimeOf(Registered().CF_TOLVA_BOOK);
}

QByteArray WriteContactPayload(const std::vector<Contact*>& contacts)
{
    CDataFile file;
    if (file.ResetMemory() != 0)
        return {};
    const u32 count = u32(contacts.size());
    if (file.Write(DFK_MEMORY, &count, sizeof count) != 0)
        return {};
    const RecordIo io{file, DFK_MEMORY};
    for (const Contact* contact : contacts) {
        if (!contact || contact->Write(io) != 0)
            return {};
    }
    return file.DetachMemory();
}

u32 ReadContactPayload(const QByteArray& bytes, std::vector<std::unique_ptr<Contact>>& contacts)
{
    contacts.clear();
    CDataFile file;
    file.AttachMemory(bytes);
    u32 count = 0;
    if (file.Read(DFK_MEMORY, &count, sizeof count) != 0 || count > kMaxPayloadContacts
        || file.CheckAvailable(DFK_MEMORY, u64(count) * kMinContactRecordSize) != 0)
        return RC_BAD_RECORD;
    std::vector<std::unique_ptr<Contact>> read;
    const RecordIo io{file, DFK_MEMORY};
    for (u32 i = 0; i < count; ++i) {
        auto contact = std::make_unique<Contact>();
        if (contact->Read(io) != 0)
            return RC_BAD_RECORD;
        read.push_back(std::move(contact));
    }
    // Bytes after the last record mean the count does not match the records.
    if (file.CheckAvailable(DFK_MEMORY, 1) == 0)
        return RC_BAD_RECORD;
    contacts = std::move(read);
    return 0;
}

u32 ReadContactPayload(const QMimeData* data, std::vector<std::unique_ptr<Contact>>& contacts)
{
    contacts.clear();
    if (!data || !data->hasFormat(ContactFormatMime()))
        return RC_MISSING;
    return ReadContactPayload(data->data(ContactFormatMime()), contacts);
}

QByteArray WriteBookPayload(u32 bookId)
{
    return QByteArray(reinterpret_cast<const char*>(&bookId), sizeof bookId);
}

bool ReadBookPayload(const QByteArray& bytes, u32& bookId)
{
    if (bytes.size() != qsizetype(sizeof bookId))
        return false;
    std::memcpy(&bookId, bytes.constData(), sizeof bookId);
    return true;
}
