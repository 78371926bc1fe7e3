#include "editing/contactwrite.h"

#include "core/datafile.h"
#include "core/dataman.h"

namespace {

QByteArray DataBytes(const Contact& contact)
{
    Contact copy = contact;
    copy.m_duID = 0;
    copy.m_books.clear();
    CDataFile channel;
    channel.ResetMemory();
    copy.Write(RecordIo{channel, DFK_MEMORY});
    return channel.DetachMemory();
}

IdArray IdsOf(const std::vector<Book*>& books)
{
    IdArray ids;
    for (const Book* book : books)
        IdListAdd(ids, book->m_duID);
    return ids;
}

}  // namespace

bool SameContactData(const Contact& a, const Contact& b)
{
    return DataBytes(a) == DataBytes(b);
}

Contact* AddNewContact(
    DataMan& dataMan, std::unique_ptr<Contact> contact, const std::vector<Book*>& books, int& index)
{
    contact->m_dtCreated = contact->m_dtModified = DateNow();
    // DataMan links the books the contact names besides the one it is
    // added to: the listed ones make exactly the contact's books.
    Book* first = books.empty() ? dataMan.GetCurrentBook() : books.front();
    contact->m_books = IdsOf(books);
    index = -1;
    if (dataMan.AddContact(std::move(contact), first, &index) != 0)
        return nullptr;
    return dataMan.GetContactAt(index);
}

bool WriteBackContact(DataMan& dataMan, Contact& contact, Contact& edited, const std::vector<Book*>& books)
{
    const IdArray ids = IdsOf(books);
    // A contact is never left in no book at all.
    const bool booksChanged = !ids.empty() && ids != contact.m_books;
    const bool dataChanged = !SameContactData(contact, edited);
    if (dataChanged) {
        edited.SetModified();
        contact.UpdateFrom(edited);
    }
    if (booksChanged) {
        dataMan.UnlinkContact(&contact);
        for (Book* book : books)
            dataMan.AddContactToBook(&contact, book);
    }
    return dataChanged || booksChanged;
}

ContactValue* FindWeb(std::vector<ContactValue>& web, u32 flag, u32 type)
{
    for (ContactValue& v : web)
        if (flag ? (v.m_dwCode & flag) != 0 : v.Type() == type)
            return &v;
    return nullptr;
}

void StoreWeb(std::vector<ContactValue>& web, u32 flag, u32 type, u32 newCode, const std::string& loaded,
    const std::string& text)
{
    if (text == loaded)
        return;
    ContactValue* entry = FindWeb(web, flag, type);
    if (!entry) {
        if (!text.empty())
            web.push_back({newCode, text});
    } else if (text.empty()) {
        web.erase(web.begin() + (entry - web.data()));
    } else {
        entry->m_strText = text;
    }
}

static std::string WithoutCarriageReturns(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '\r')
            out.push_back(c);
    return out;
}

void StoreText(std::string& field, const std::string& shown)
{
    if (WithoutCarriageReturns(field) != WithoutCarriageReturns(shown))
        field = shown;
}

bool IsWebPageGiven(const QString& text)
{
    return !text.isEmpty() && text != QLatin1String("http://");
}
