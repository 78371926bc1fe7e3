// Arbitrary bytes as an export file imported into a store that already holds
// books and contacts, in either mode, into the root or a sub-book. The store
// must stay one that the next run loads.
#include "datastore_fuzz.h"

namespace {

void Populate(DataMan& dm)
{
    const auto book = [&dm](const char* name, Book* parent) {
        auto b = std::make_unique<Book>();
        b->m_strName = name;
        return dm.AddBook(std::move(b), parent);
    };
    const auto contact = [&dm](const char* name, Book* in) {
        auto c = std::make_unique<Contact>();
        c->m_strName = name;
        dm.AddContact(std::move(c), in);
    };
    Book* friends = book("Friends", dm.GetRootBook());
    Book* work = book("Work", friends);
    contact("", dm.GetRootBook());
    contact("Ann", friends);
    contact("Bob", work);
    contact("Ann", work);
    dm.AddContactToBook(dm.GetContactAt(1), work);
    dm.DeleteContact(dm.GetContactAt(2), true);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const u8 options = size ? data[0] : 0;
    fuzzstore::OnlyFile("in.dtv", data + (size ? 1 : 0), size ? size - 1 : 0);
    fuzzstore::Run run;
    if (run.result != 0)
        std::abort();
    Populate(run.dm);
    Book* target = (options & 2) ? run.dm.GetBookAt(3) : run.dm.GetRootBook();
    const int contactsBefore = run.dm.GetContactCount();
    u32 books = 0;
    u32 contacts = 0;
    const u32 result = run.dm.ImportFile(fuzzstore::PathOf("in.dtv"), &books, &contacts, options & 1, target);
    if (result != 0 && run.dm.GetContactCount() != contactsBefore)
        std::abort();
    // The counts are those the file held; merged or repeated records add none.
    if (result == 0 && run.dm.GetContactCount() > contactsBefore + int(contacts))
        std::abort();
    run.dm.EmptyDeletedItems();
    fuzzstore::SaveAndReload(run);
    return 0;
}
