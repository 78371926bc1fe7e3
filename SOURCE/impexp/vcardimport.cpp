#include "impexp/vcardimport.h"

#include "core/dataman.h"
#include "impexp/cardexchange.h"
#include "impexp/importtransaction.h"

#include <QIODevice>
#include <unordered_map>

u32 ImportVCardContacts(DataMan& dataMan, QIODevice* file, bool merge, Book* book, u32& count)
{
    count = 0;
    if (!book)
        book = dataMan.GetCurrentBook();
    // The book's contacts by name, the first of each name as the store's own
    // search finds it, so that merging a large file stays linear.
    std::unordered_map<std::string, Contact*> byName;
    if (merge && book) {
        size_t position = 0;
        while (Contact* member = book->GetNextContact(dataMan, position))
            byName.emplace(SameNameKey(*member), member);
    }
    u32 error = 0;
    CCardExchange exchange;
    const u32 result = exchange.LoadFromFile(file, [&](std::unique_ptr<Contact> contact) {
        if (error)
            return;
        if (merge) {
            const auto same = byName.find(SameNameKey(*contact));
            if (same != byName.end()) {
                same->second->UpdateFrom(*contact);
                same->second->SetModified();
                ++count;
                return;
            }
        }
        int index = -1;
        Contact* added = contact.get();
        error = dataMan.AddContact(std::move(contact), book, &index);
        if (error)
            return;
        if (merge)
            byName.emplace(SameNameKey(*added), added);
        ++count;
    });
    return error ? error : result;
}
