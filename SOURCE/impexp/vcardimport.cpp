#include "impexp/vcardimport.h"

#include "core/dataman.h"
#include "impexp/cardexchange.h"
#include "impexp/importtransaction.h"

#include <QByteArray>
#include <QIODevice>
#include <algorithm>
#include <cstring>
#include <string_view>

namespace {

// Below this the store's arrays grow as cheaply as a count would cost.
constexpr qint64 kReserveFromSize = 1 << 20;

size_t Occurrences(std::string_view text, std::string_view what)
{
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string_view::npos; at = text.find(what, at + what.size()))
        ++count;
    return count;
}

}  // namespace

void ReserveForCards(DataMan& dataMan, QIODevice& file)
{
    if (file.isSequential() || file.size() - file.pos() < kReserveFromSize)
        return;
    static constexpr std::string_view kUpper = "BEGIN:VCARD";
    static constexpr std::string_view kLower = "begin:vcard";
    const qint64 start = file.pos();
    constexpr qint64 kChunk = 1 << 20;
    // A first line cut by the chunk's end is found whole in the next one.
    constexpr qint64 kCarry = qint64(kUpper.size()) - 1;
    QByteArray chunk;
    qint64 carried = 0;
    size_t cards = 0;
    while (true) {
        chunk.resize(carried + kChunk);
        const qint64 got = file.read(chunk.data() + carried, kChunk);
        if (got <= 0)
            break;
        const std::string_view text(chunk.constData(), size_t(carried + got));
        cards += Occurrences(text, kUpper) + Occurrences(text, kLower);
        carried = std::min<qint64>(kCarry, carried + got);
        std::memmove(chunk.data(), chunk.constData() + text.size() - size_t(carried), size_t(carried));
    }
    file.seek(start);
    dataMan.ReserveContacts(cards);
}

u32 ImportVCardContacts(DataMan& dataMan, QIODevice* file, bool merge, Book* book, u32& count)
{
    count = 0;
    if (!book)
        book = dataMan.GetCurrentBook();
    if (file)
        ReserveForCards(dataMan, *file);
    // What came in before a failure stays.
    ImportTransaction transaction(dataMan);
    u32 error = 0;
    CCardExchange exchange;
    const u32 result = exchange.LoadFromFile(file, [&](std::unique_ptr<Contact> contact) {
        if (!error)
            error = transaction.AddContact(std::move(contact), book, merge);
    });
    count = transaction.ContactsImported();
    transaction.Commit();
    return error ? error : result;
}
