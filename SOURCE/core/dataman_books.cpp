// Books: adding, moving, copying and deleting them, the current book and
// the tree of books.
#include "core/dataman.h"
#include "core/utilities.h"
#include "platform/syserror.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

Book* DataMan::AddBook(std::unique_ptr<Book> book, Book* parent, int* index)
{
    m_dwLastError = 0;
    if (!book || !parent) {
        m_dwLastError = DME_NULL_ARGUMENT;
        return nullptr;
    }
    const u32 id = NewId();
    if (id == kNoId)
        return nullptr;
    book->m_duID = id;
    book->m_duParentID = parent->m_duID;
    if (!AddMember(*parent, id))
        return nullptr;
    if (index)
        *index = int(m_books.size());
    return InsertBook(std::move(book));
}

u32 DataMan::MoveBook(Book* book, Book* newParent)
{
    m_dwLastError = 0;
    if (!book || !newParent)
        return m_dwLastError = DME_NULL_ARGUMENT;
    Book* oldParent = FindBook(book->m_duParentID);
    if (oldParent == newParent)
        return 0;
    // A book under itself would cut its subtree off the tree.
    if (book == m_pRoot || IsInSubtree(newParent, book))
        return m_dwLastError = ERROR_INVALID_PARAMETER;
    if (!oldParent)
        return m_dwLastError = DME_NOT_FOUND;
    RemoveMember(*oldParent, book->m_duID);
    Attach(*book, *newParent);
    return 0;
}

u32 DataMan::CopyBook(Book* book, Book* newParent)
{
    m_dwLastError = 0;
    if (!book || !newParent)
        return m_dwLastError = DME_NULL_ARGUMENT;
    if (book == newParent)
        return 0;
    // The member lists below are walked by id: a renumbering set off by the
    // copy's first new id must happen before they are taken.
    if (m_duNextID >= kRenumberFrom)
        Renumber();
    // The subtree is copied as it stands now: a copy placed inside it is not
    // copied again.
    std::unordered_map<const Book*, IdArray> members;
    for (std::vector<const Book*> pending{book}; !pending.empty();) {
        const Book* source = pending.back();
        pending.pop_back();
        if (!members.emplace(source, source->m_members).second)
            continue;
        for (u32 id : source->m_members) {
            if (const Book* sub = FindBook(id))
                pending.push_back(sub);
        }
    }

    struct Frame {
        Book* copy;
        const IdArray* members;
        size_t next;
    };
    std::vector<Frame> frames;
    const auto copyUnder = [&](const Book& source, Book& parent) -> Book* {
        const u32 id = NewId();
        if (id == kNoId)
            return nullptr;
        auto copy = std::make_unique<Book>();
        copy->CopyFrom(source, parent.m_duID);
        copy->m_duID = id;
        copy->m_dtCreated = DateNow();
        copy->m_dtModified = copy->m_dtCreated;
        copy->m_members.clear();
        // A copy is a plain book, whichever book it was made from.
        copy->m_dwFlags &= ~(DIF_CURRENT_BOOK | DIF_ROOT_BOOK | DIF_DELETED_ITEMS);
        Book* added = InsertBook(std::move(copy));
        AddMember(parent, id);
        frames.push_back({added, &members.at(&source), 0});
        return added;
    };

    Book* top = copyUnder(*book, *newParent);
    if (!top)
        return m_dwLastError = DME_NO_ID_LEFT;
    u32 result = 0;
    while (!frames.empty() && !result) {
        Frame& frame = frames.back();
        if (frame.next == frame.members->size()) {
            frames.pop_back();
            continue;
        }
        const u32 id = (*frame.members)[frame.next++];
        Book* copy = frame.copy;
        if (const Book* sub = FindBook(id)) {
            if (!copyUnder(*sub, *copy))
                result = DME_NO_ID_LEFT;
        } else if (Contact* contact = FindContact(id)) {
            AddContactToBook(contact, copy);
        } else {
            result = DME_NOT_FOUND;
        }
    }
    SetCurrentBook(top);
    m_dwLastError = result;
    return result;
}

u32 DataMan::DeleteBook(Book* book, bool permanent)
{
    m_dwLastError = 0;
    if (!book)
        return m_dwLastError = DME_NULL_ARGUMENT;
    // The built-in books stay: every other book hangs under them. "Deleted
    // Items" may have been moved under the book destroyed here.
    if (book == m_pRoot || book == m_pDeletedItems || (permanent && IsInSubtree(m_pDeletedItems, book)))
        return m_dwLastError = ERROR_INVALID_PARAMETER;
    if (!permanent) {
        if (!m_pDeletedItems)
            return m_dwLastError = DME_NOT_FOUND;
        return MoveBook(book, m_pDeletedItems);
    }
    Batch batch(*this);
    return DestroyBook(book);
}

// Destroys a book, its sub-books and the contacts left in no book, walking
// copies of the member lists as they were before any change.
u32 DataMan::DestroyBook(Book* book)
{
    struct Frame {
        Book* book;
        IdArray members;
        size_t next;
    };
    const auto enter = [this](Book* b) {
        if (GetCurrentBook() == b && m_pRoot != b)
            SetCurrentBook(m_pRoot);
        return Frame{b, b->m_members, 0};
    };
    std::vector<Frame> frames;
    frames.push_back(enter(book));
    std::unordered_set<const Book*> entered{book};
    while (!frames.empty()) {
        Frame& frame = frames.back();
        if (frame.next == frame.members.size()) {
            Book* done = frame.book;
            frames.pop_back();
            if (Book* parent = FindBook(done->m_duParentID); parent && parent != done)
                RemoveMember(*parent, done->m_duID);
            DropBook(done);
            continue;
        }
        const u32 id = frame.members[frame.next++];
        const u32 bookId = frame.book->m_duID;
        if (Book* sub = FindBook(id)) {
            if (entered.insert(sub).second)
                frames.push_back(enter(sub));
        } else if (Contact* contact = FindContact(id)) {
            IdListRemove(contact->m_books, bookId);
            if (contact->m_books.empty())
                DeleteContact(contact, false);
        }
    }
    m_dwLastError = 0;
    return 0;
}

u32 DataMan::EmptyDeletedItems()
{
    m_dwLastError = 0;
    if (!m_pDeletedItems)
        return m_dwLastError = DME_NOT_FOUND;
    Batch batch(*this);
    const IdArray members = m_pDeletedItems->m_members;
    u32 result = 0;
    for (auto it = members.rbegin(); it != members.rend(); ++it) {
        u32 error = 0;
        if (Book* book = FindBook(*it)) {
            error = DestroyBook(book);
        } else if (Contact* contact = FindContact(*it)) {
            // A contact that another book still holds only leaves the waste
            // book; deleting it would lose it from the other book too.
            if (contact->m_books.size() > 1 && IdListContains(contact->m_books, m_pDeletedItems->m_duID)) {
                RemoveMember(*m_pDeletedItems, contact->m_duID);
                IdListRemove(contact->m_books, m_pDeletedItems->m_duID);
            } else {
                error = DeleteContact(contact, false);
            }
        } else {
            return m_dwLastError = RC_MISSING;
        }
        if (!result)
            result = error;
    }
    m_dwLastError = result;
    return result;
}

u32 DataMan::SetCurrentBook(Book* book)
{
    m_dwLastError = 0;
    if (!book)
        return m_dwLastError = DME_NULL_ARGUMENT;
    if (m_pCurrent)
        m_pCurrent->m_dwFlags &= ~DIF_CURRENT_BOOK;
    book->m_dwFlags |= DIF_CURRENT_BOOK;
    m_pCurrent = book;
    m_duCurrentBookID = book->m_duID;
    return 0;
}

Book* DataMan::GetCurrentBook() const
{
    if (m_pCurrent)
        return m_pCurrent;
    for (const auto& book : m_books) {
        if (book->m_dwFlags & DIF_CURRENT_BOOK)
            return book.get();
    }
    return nullptr;
}

std::string DataMan::GetCurrentBookName() const
{
    const Book* book = GetCurrentBook();
    return book ? book->m_strName : std::string();
}

u32 DataMan::FillBookTree(std::vector<BookTreeItem>& items, u32 bookId, bool oneLevel)
{
    m_dwLastError = 0;
    Book* book = FindBook(bookId);
    if (!book) {
        if (!FindContact(bookId))
            m_dwLastError = DME_NOT_FOUND;
        return 0;
    }
    BookTreeItem item{book, book->m_strName, book->m_dwImage, HasSubBooks(book), {}};
    if (!oneLevel) {
        for (u32 id : book->m_members) {
            if (FindBook(id))
                FillBookTree(item.children, id, false);
        }
    }
    // As a sorted tree control inserts: after every item of the same name.
    const std::string key = FoldCase(item.name);
    const auto at = std::upper_bound(items.begin(), items.end(), key,
        [](const std::string& k, const BookTreeItem& other) { return k < FoldCase(other.name); });
    items.insert(at, std::move(item));
    return 0;
}
