// Bytes offered as contacts or a book by another program in a drag or on
// the clipboard: a payload is taken whole or not at all, and what was taken
// writes back to a payload that reads the same.
#include "core/records.h"
#include "fuzzsupport.h"
#include "mainwnd/contactpayload.h"
#include "platform/programfolder.h"

#include <QTemporaryDir>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir folder;
    static SilentSink sink;
    static const bool ready = [] {
        ProgramFolder::SetPathForTesting(folder.path());
        SetMessageSink(&sink);
        return true;
    }();
    (void)ready;

    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    u32 bookId = 0;
    if (ReadBookPayload(bytes, bookId) != (size == sizeof bookId))
        std::abort();

    std::vector<std::unique_ptr<Contact>> contacts;
    if (ReadContactPayload(bytes, contacts) != 0) {
        if (!contacts.empty())
            std::abort();
        return 0;
    }
    std::vector<Contact*> pointers;
    for (const auto& contact : contacts)
        pointers.push_back(contact.get());
    std::vector<std::unique_ptr<Contact>> again;
    if (ReadContactPayload(WriteContactPayload(pointers), again) != 0 || again.size() != contacts.size())
        std::abort();
    return 0;
}
