#include "core/dataman.h"

#include "core/baseletter.h"
#include "core/datafile.h"
#include "core/seexception.h"
#include "core/storerepair.h"
#include "core/userman.h"
#include "core/utilities.h"
#include "platform/profile.h"
#include "platform/syserror.h"
#include "platform/textcodec.h"

#include <algorithm>

namespace {

constexpr const char* kProfileSection = "DataMan";
constexpr const char* kCurrentCharEntry = "CurrentChar";

// "UserMan\ContList" "Flags1": ask before a contact is deleted.
constexpr u32 kListConfirmDelete = 0x1;

constexpr u32 kMsgDeletePermanently = 59524;
constexpr u32 kMsgDelete = 59525;

constexpr const char* kRootName = "Contacts";
constexpr const char* kDeletedItemsName = "Deleted Items";
constexpr const char* kLatinName = "Latin";
constexpr const char* kLatinLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr const char* kUndefinedZoneName = "Undefined time zone";
constexpr u32 kSpeedDialSlots = 10;

constexpr const char* kAllLettersText = "All";
constexpr const char* kBadFilterText = "!!! ERROR !!!";

// The stages of Init, as the last error names them after a fault.
constexpr u32 kInitBooks = 5;
constexpr u32 kInitTables = 6;
constexpr u32 kInitLoad = 7;
constexpr u32 kInitSettings = 8;

bool IsAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return u8(c) < 0x80; });
}

char AsciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

char AsciiUpper(char c)
{
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// A text in upper case or folded for comparison: plain ASCII by itself, any
// other text through its characters.
template <class Ascii, class Wide> std::string ChangeCase(std::string_view text, Ascii ascii, Wide wide)
{
    if (IsAscii(text)) {
        std::string changed(text);
        std::transform(changed.begin(), changed.end(), changed.begin(), ascii);
        return changed;
    }
    return wide(TextCodec::Decode(text)).toStdString();
}

std::string ToUpper(std::string_view text)
{
    return ChangeCase(text, AsciiUpper, [](const QString& wide) { return wide.toUpper(); });
}

// The first character of a text after its leading blanks, upper-cased; empty
// when there is none.
std::string UpperFirstCharacter(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    if (text.empty())
        return {};
    if (u8(text.front()) < 0x80)
        return std::string(1, AsciiUpper(text.front()));
    const QString decoded = TextCodec::Decode(text);
    const qsizetype length = decoded.size() > 1 && decoded.at(0).isHighSurrogate() ? 2 : 1;
    return decoded.left(length).toUpper().toStdString();
}

// The character at an index of a text; empty past its end.
std::string CharacterAt(std::string_view text, size_t index)
{
    if (IsAscii(text))
        return index < text.size() ? std::string(1, text[index]) : std::string();
    const QList<uint> characters = TextCodec::Decode(text).toUcs4();
    if (index >= size_t(characters.size()))
        return {};
    const char32_t character = characters.at(qsizetype(index));
    return QString::fromUcs4(&character, 1).toStdString();
}

template <class T> T* At(const std::vector<std::unique_ptr<T>>& items, int index)
{
    return index >= 0 && size_t(index) < items.size() ? items[size_t(index)].get() : nullptr;
}

template <class T> void EraseAt(std::vector<std::unique_ptr<T>>& items, int index)
{
    if (index >= 0 && size_t(index) < items.size())
        items.erase(items.begin() + index);
}

template <class T> void EraseRecord(std::vector<std::unique_ptr<T>>& items, const T* record)
{
    // Records dropped one by one are mostly recent ones.
    const auto it
        = std::find_if(items.rbegin(), items.rend(), [record](const auto& p) { return p.get() == record; });
    if (it != items.rend())
        items.erase(std::next(it).base());
}

}  // namespace

std::string FoldCase(std::string_view text)
{
    return ChangeCase(text, AsciiLower, [](const QString& wide) { return wide.toCaseFolded(); });
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b)
{
    if (IsAscii(a) && IsAscii(b)) {
        return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
            return AsciiLower(x) == AsciiLower(y);
        });
    }
    return FoldCase(a) == FoldCase(b);
}

DataMan::DataMan(CDataFile& file, UserMan* userMan, SeReporter reportError)
    : m_file(file)
    , m_pUserMan(userMan)
    , m_reportError(std::move(reportError))
{
}

DataMan::~DataMan()
{
    ClearStore();
}

const UserMan& DataMan::Settings() const
{
    if (m_pUserMan)
        return *m_pUserMan;
    if (const UserMan* app = AppUserMan())
        return *app;
    static const UserMan defaults;
    return defaults;
}

void DataMan::ReportFault(CSeException* e)
{
    if (m_reportError)
        m_reportError(*e);
    e->Delete();
}

u32 DataMan::Init()
{
    u32 stage = kInitBooks;
    try {
        ClearStore();
        m_dwAlphabetFilter = 0;
        m_nLastAddedContact = -1;
        m_dwFormatVersion = kFormatVersion;
        m_dwFileVersion = kFormatVersion;
        m_dwDataFileVersion = kFormatVersion;
        m_duNextID = 0;

        auto root = std::make_unique<Book>();
        root->m_dwFlags = DIF_BOOK | DIF_CURRENT_BOOK | DIF_ROOT_BOOK;
        root->m_dwImage = kRootImage;
        root->m_strName = kRootName;
        root->m_duID = m_duNextID++;
        m_pRoot = InsertBook(std::move(root));
        SetCurrentBook(m_pRoot);

        auto deleted = std::make_unique<Book>();
        deleted->m_dwFlags = DIF_BOOK | DIF_DELETED_ITEMS;
        deleted->m_dwImage = kDeletedItemsImage;
        deleted->m_strName = kDeletedItemsName;
        m_pDeletedItems = AddBook(std::move(deleted), m_pRoot);
        m_duNextID = kFirstFreeId;

        stage = kInitTables;
        auto latin = std::make_unique<Alphabet>();
        latin->m_dwFlags = ALPHABET_CURRENT;
        latin->m_strName = kLatinName;
        latin->m_strLetters = kLatinLetters;
        m_tables.alphabets.push_back(std::move(latin));
        for (u32 i = 0; i < kSpeedDialSlots; ++i) {
            auto slot = std::make_unique<SpeedDialSlot>();
            slot->m_dwIndex = i;
            m_tables.speedDial.push_back(std::move(slot));
        }
        auto zone = std::make_unique<TimeZoneEntry>();
        zone->m_dwFlags = TZ_UNDEFINED;
        zone->m_strName = kUndefinedZoneName;
        m_tables.timeZones.push_back(std::move(zone));

        stage = kInitLoad;
        if (const u32 error = Load())
            return error;

        stage = kInitSettings;
        // A new user starts on "All", or the contacts just added would seem
        // to vanish behind a letter.
        SetAlphabetFilter(u32(Profile::GetInt(kProfileSection, kCurrentCharEntry, int(kFilterAll))));
        m_dwLastError = 0;
        return 0;
    } catch (CSeException* e) {
        ReportFault(e);
        m_dwLastError = stage;
        return RC_MISSING;
    }
}

void DataMan::UpgradeOldContacts()
{
    m_dwLastError = 0;
    if (m_dwDataFileVersion >= kDisplayColorsVersion)
        return;
    const COLORREF text = Settings().GetColor(UC_LIST_TEXT);
    const COLORREF back = Settings().GetColor(UC_LIST_BACK);
    for (const auto& contact : m_contacts) {
        if (contact->m_dwDisplayFlags & CDF_DEFAULT_FONT) {
            contact->m_crText = text;
            contact->m_crBack = back;
            contact->m_dwDisplayFlags |= CDF_DEFAULT_TEXT_COLOR | CDF_DEFAULT_BK_COLOR;
            continue;
        }
        if (contact->m_crText == text)
            contact->m_dwDisplayFlags |= CDF_DEFAULT_TEXT_COLOR;
        if (contact->m_crBack == back)
            contact->m_dwDisplayFlags |= CDF_DEFAULT_BK_COLOR;
    }
}

u32 DataMan::Close()
{
    m_dwLastError = 0;
    Profile::WriteInt(kProfileSection, kCurrentCharEntry, int(m_dwAlphabetFilter));
    if (Settings().m_dwTreeState == 1 && !m_books.empty())
        SetCurrentBook(m_books.front().get());
    m_bClosing = true;
    const u32 dataError = Save(DFK_DATA);
    const u32 nonDataError = Save(DFK_NONDATA);
    m_bClosing = false;
    // The copy of the data file is refreshed only from a save that worked.
    if (dataError)
        m_file.SetDataLoaded(false);
    ClearStore();
    return dataError ? dataError : nonDataError;
}

// The store's arrays, maps and link index.

Book* DataMan::InsertBook(std::unique_ptr<Book> book)
{
    Book* added = book.get();
    m_books.push_back(std::move(book));
    m_bookMap[added->m_duID] = added;
    for (u32 id : added->m_members)
        m_links.insert(LinkKey(added->m_duID, id));
    return added;
}

Contact* DataMan::InsertContact(std::unique_ptr<Contact> contact)
{
    Contact* added = contact.get();
    m_contacts.push_back(std::move(contact));
    m_contactMap[added->m_duID] = added;
    return added;
}

void DataMan::DropBook(Book* book)
{
    for (u32 id : book->m_members)
        m_links.erase(LinkKey(book->m_duID, id));
    m_bookMap.erase(book->m_duID);
    ReleaseId(book->m_duID);
    if (m_pCurrent == book)
        m_pCurrent = nullptr;
    if (m_pRoot == book)
        m_pRoot = nullptr;
    if (m_pDeletedItems == book)
        m_pDeletedItems = nullptr;
    if (m_nBatchDepth > 0)
        m_dropped.insert(book);
    else
        EraseRecord(m_books, book);
}

void DataMan::DropContact(Contact* contact)
{
    m_contactMap.erase(contact->m_duID);
    ReleaseId(contact->m_duID);
    if (m_nBatchDepth > 0)
        m_dropped.insert(contact);
    else
        EraseRecord(m_contacts, contact);
}

void DataMan::CompactArrays()
{
    if (m_dropped.empty())
        return;
    const auto dropped = [this](const auto& record) { return m_dropped.count(record.get()) != 0; };
    std::erase_if(m_contacts, dropped);
    std::erase_if(m_books, dropped);
    m_dropped.clear();
}

void DataMan::RebuildMaps()
{
    m_bookMap.clear();
    m_contactMap.clear();
    m_links.clear();
    m_bookMap.reserve(m_books.size());
    m_contactMap.reserve(m_contacts.size());
    for (const auto& book : m_books) {
        m_bookMap[book->m_duID] = book.get();
        for (u32 id : book->m_members)
            m_links.insert(LinkKey(book->m_duID, id));
    }
    for (const auto& contact : m_contacts)
        m_contactMap[contact->m_duID] = contact.get();
}

void DataMan::ClearStore()
{
    m_pRoot = nullptr;
    m_pCurrent = nullptr;
    m_pDeletedItems = nullptr;
    m_duCurrentBookID = 0;
    m_bookMap.clear();
    m_contactMap.clear();
    m_links.clear();
    m_dropped.clear();
    m_books.clear();
    m_contacts.clear();
    m_tables = SideTables();
    m_duFreeHint = kFirstFreeId;
    m_dwFlags = 0;
}

bool DataMan::IsUsed(u32 id) const
{
    return m_contactMap.count(id) || m_bookMap.count(id);
}

void DataMan::ReleaseId(u32 id)
{
    if (id >= kFirstFreeId && id < m_duFreeHint)
        m_duFreeHint = id;
}

bool DataMan::AddMember(Book& book, u32 id)
{
    if (!m_links.insert(LinkKey(book.m_duID, id)).second)
        return false;
    book.m_members.push_back(id);
    return true;
}

bool DataMan::RemoveMember(Book& book, u32 id)
{
    if (!m_links.erase(LinkKey(book.m_duID, id)))
        return false;
    const auto it = std::find(book.m_members.rbegin(), book.m_members.rend(), id);
    if (it != book.m_members.rend())
        book.m_members.erase(std::next(it).base());
    return true;
}

void DataMan::ReplaceMember(Book& book, u32 oldId, u32 newId)
{
    if (!IsMember(&book, oldId))
        return;
    if (IsMember(&book, newId)) {
        RemoveMember(book, oldId);
        return;
    }
    m_links.erase(LinkKey(book.m_duID, oldId));
    m_links.insert(LinkKey(book.m_duID, newId));
    IdListReplace(book.m_members, oldId, newId);
}

void DataMan::Attach(Book& book, Book& parent)
{
    book.m_duParentID = parent.m_duID;
    AddMember(parent, book.m_duID);
}

bool DataMan::IsInSubtree(const Book* candidate, const Book* top) const
{
    // The tree is sound, so the walk ends at the root; the count only guards
    // against a damaged one.
    for (size_t steps = 0; candidate && steps <= m_books.size(); ++steps) {
        if (candidate == top)
            return true;
        if (candidate == m_pRoot)
            return false;
        candidate = FindBook(candidate->m_duParentID);
    }
    return false;
}

// Ids.

u32 DataMan::NewId()
{
    if (m_duNextID >= kRenumberFrom)
        Renumber();
    if (m_duNextID > kReuseIdsAbove) {
        u32 id = std::max(m_duFreeHint, kFirstFreeId);
        while (id < kNoId && IsUsed(id))
            ++id;
        m_duFreeHint = id;
        if (id == kNoId)
            m_dwLastError = DME_NO_ID_LEFT;
        return id;
    }
    return m_duNextID++;
}

// Makes the ids from 15 upward dense again, keeping their order, and
// rewrites every reference to a moved id: member lists, parent ids, the
// contacts' book lists and the call log's contacts.
void DataMan::Renumber()
{
    std::vector<u32> ids;
    ids.reserve(m_books.size() + m_contacts.size());
    for (const auto& book : m_books) {
        if (book->m_duID >= kFirstFreeId)
            ids.push_back(book->m_duID);
    }
    for (const auto& contact : m_contacts) {
        if (contact->m_duID >= kFirstFreeId)
            ids.push_back(contact->m_duID);
    }
    std::sort(ids.begin(), ids.end());
    std::unordered_map<u32, u32> moved;
    u32 next = kFirstFreeId;
    for (u32 id : ids) {
        if (id != next)
            moved.emplace(id, next);
        ++next;
    }
    m_duNextID = next;
    m_duFreeHint = next;
    if (moved.empty())
        return;
    const auto renumber = [&moved](u32& id) {
        const auto it = moved.find(id);
        if (it != moved.end())
            id = it->second;
    };
    for (const auto& book : m_books) {
        renumber(book->m_duID);
        renumber(book->m_duParentID);
        std::for_each(book->m_members.begin(), book->m_members.end(), renumber);
    }
    for (const auto& contact : m_contacts) {
        renumber(contact->m_duID);
        std::for_each(contact->m_books.begin(), contact->m_books.end(), renumber);
    }
    for (const auto& entry : m_tables.callLog)
        renumber(entry->m_duContactID);
    renumber(m_duCurrentBookID);
    RebuildMaps();
}

// Lookups.

DataItem* DataMan::FindItem(u32 id) const
{
    if (Contact* contact = FindContact(id))
        return contact;
    return FindBook(id);
}

Contact* DataMan::FindContact(u32 id) const
{
    const auto it = m_contactMap.find(id);
    return it == m_contactMap.end() ? nullptr : it->second;
}

Book* DataMan::FindBook(u32 id) const
{
    const auto it = m_bookMap.find(id);
    return it == m_bookMap.end() ? nullptr : it->second;
}

Contact* DataMan::GetContactAt(int index) const
{
    return At(m_contacts, index);
}

Book* DataMan::GetBookAt(int index) const
{
    return At(m_books, index);
}

bool DataMan::IsContactInBook(const Contact* contact, const Book* book) const
{
    if (!contact || !book)
        return false;
    return std::any_of(
        contact->m_books.begin(), contact->m_books.end(), [&](u32 id) { return FindBook(id) == book; });
}

bool DataMan::IsMember(const Book* book, u32 id) const
{
    return book && m_links.count(LinkKey(book->m_duID, id));
}

Contact* DataMan::FindSameNameContact(const Book* book, const Contact* contact) const
{
    m_dwLastError = 0;
    if (!book || !contact) {
        m_dwLastError = DME_NULL_ARGUMENT;
        return nullptr;
    }
    // Part by part: "Mary" "Ann" is not "MaryAnn" "".
    const auto sameName = [contact](const Contact& other) {
        return EqualsIgnoringCase(other.m_strName, contact->m_strName)
            && EqualsIgnoringCase(other.m_strFirstName, contact->m_strFirstName)
            && EqualsIgnoringCase(other.m_strMiddleName, contact->m_strMiddleName)
            && EqualsIgnoringCase(other.m_strLastName, contact->m_strLastName);
    };
    size_t position = 0;
    while (Contact* member = book->GetNextContact(*this, position)) {
        if (sameName(*member))
            return member;
    }
    return nullptr;
}

Book* DataMan::FindChildBook(const Book* book, std::string_view name) const
{
    if (!book)
        return nullptr;
    size_t position = 0;
    while (Book* child = book->GetNextBook(*this, position)) {
        if (EqualsIgnoringCase(child->m_strName, name))
            return child;
    }
    return nullptr;
}

bool DataMan::HasSubBooks(const Book* book) const
{
    size_t position = 0;
    return book && book->GetNextBook(*this, position);
}

bool DataMan::IsContactShown(const Contact* contact) const
{
    if (!contact || !IsMember(GetCurrentBook(), contact->m_duID))
        return false;
    if (m_dwAlphabetFilter == kFilterAll)
        return true;
    std::string_view text;
    switch (Settings().m_dwFilterFlags) {
    case 1:
        text = contact->m_strLastName.empty() ? contact->m_strName : contact->m_strLastName;
        break;
    case 0:
        text = contact->m_strFirstName.empty() ? contact->m_strName : contact->m_strFirstName;
        break;
    default:
        text = contact->m_strCompany.empty() ? std::string_view(" ") : contact->m_strCompany;
        break;
    }
    const std::string first = UpperFirstCharacter(text);
    if (first.empty())
        return false;
    const std::string letter = ToUpper(GetFilterLetterText());
    if (first == letter)
        return true;
    // An accented initial that is no letter of the alphabet stands under its
    // base letter, so that "Élise" is found under "E".
    if (u8(first.front()) < 0x80 || BaseLetter(first) != letter)
        return false;
    std::string letters;
    GetCurrentAlphabetLetters(letters);
    return ToUpper(letters).find(first) == std::string::npos;
}

// Contacts.

void DataMan::ReserveContacts(size_t more)
{
    m_contacts.reserve(m_contacts.size() + more);
    m_contactMap.reserve(m_contactMap.size() + more);
    m_links.reserve(m_links.size() + more);
}

u32 DataMan::AddContact(std::unique_ptr<Contact> contact, Book* book, int* index)
{
    m_dwLastError = 0;
    if (!contact || !book)
        return m_dwLastError = DME_NULL_ARGUMENT;
    const u32 id = NewId();
    if (id == kNoId)
        return m_dwLastError = DME_NO_ID_LEFT;
    contact->m_duID = id;
    StripNul(*contact);
    // Books it already names are linked both ways too; ids of no book go.
    std::erase_if(contact->m_books, [this](u32 bookId) { return !FindBook(bookId); });
    IdListAdd(contact->m_books, book->m_duID);
    for (u32 bookId : contact->m_books)
        AddMember(*FindBook(bookId), id);
    m_nLastAddedContact = int(m_contacts.size());
    if (index)
        *index = m_nLastAddedContact;
    InsertContact(std::move(contact));
    return 0;
}

u32 DataMan::AddContactToBook(Contact* contact, Book* book)
{
    m_dwLastError = 0;
    if (!contact || !book)
        return m_dwLastError = DME_NULL_ARGUMENT;
    IdListAdd(contact->m_books, book->m_duID);
    AddMember(*book, contact->m_duID);
    return 0;
}

u32 DataMan::MoveContact(Book* from, Book* to, Contact* contact)
{
    m_dwLastError = 0;
    if (!from || !to || !contact)
        return m_dwLastError = DME_NULL_ARGUMENT;
    RemoveMember(*from, contact->m_duID);
    IdListRemove(contact->m_books, from->m_duID);
    return AddContactToBook(contact, to);
}

u32 DataMan::RemoveContactFromBook(Book* book, Contact* contact, int& permanent)
{
    m_dwLastError = 0;
    if (!book || !contact)
        return m_dwLastError = DME_NULL_ARGUMENT;
    // A contact in no book is in no book only here: removing it from a book
    // that does not hold it deletes nothing.
    const bool onlyHere = !contact->m_books.empty()
        && std::all_of(
            contact->m_books.begin(), contact->m_books.end(), [book](u32 id) { return id == book->m_duID; });
    if (!onlyHere) {
        RemoveMember(*book, contact->m_duID);
        IdListRemove(contact->m_books, book->m_duID);
        permanent = 1;
        return 0;
    }
    if (Settings().m_dwListFlags & kListConfirmDelete) {
        const std::string text
            = FormatResString(permanent ? kMsgDeletePermanently : kMsgDelete, contact->m_strName);
        if (MsgQuestionText(text, nullptr, MB_OKCANCEL) == IDCANCEL) {
            permanent = 0;
            return 0;
        }
    }
    const u32 error = DeleteContact(contact, !permanent);
    permanent = 1;
    return error;
}

u32 DataMan::DeleteContact(Contact* contact, bool toDeletedItems)
{
    m_dwLastError = 0;
    if (!contact)
        return m_dwLastError = DME_NULL_ARGUMENT;
    if (FindContact(contact->m_duID) != contact)
        return m_dwLastError = DME_NOT_FOUND;
    for (u32 id : contact->m_books) {
        Book* book = FindBook(id);
        if (!book)
            return m_dwLastError = DME_NOT_FOUND;
        RemoveMember(*book, contact->m_duID);
    }
    if (toDeletedItems) {
        if (!m_pDeletedItems)
            return m_dwLastError = DME_NOT_FOUND;
        contact->m_books.assign(1, m_pDeletedItems->m_duID);
        AddMember(*m_pDeletedItems, contact->m_duID);
        return 0;
    }
    contact->m_books.clear();
    DropContact(contact);
    return 0;
}

u32 DataMan::UnlinkContact(Contact* contact)
{
    m_dwLastError = 0;
    if (!contact)
        return m_dwLastError = DME_NULL_ARGUMENT;
    for (u32 id : contact->m_books) {
        if (Book* book = FindBook(id))
            RemoveMember(*book, contact->m_duID);
        else
            m_dwLastError = DME_NOT_FOUND;
    }
    contact->m_books.clear();
    return m_dwLastError;
}

u32 DataMan::FlagContacts(u32 mode, u32 firstPrintRange, u32 secondPrintRange)
{
    m_dwLastError = 0;
    if (mode == 1 || mode == 2)
        mode = firstPrintRange;
    else if (mode == 3)
        mode = secondPrintRange;
    u32 count = 0;
    if (mode == 1) {
        for (const auto& contact : m_contacts) {
            contact->m_dwDisplayFlags |= CDF_PRINT;
            ++count;
        }
    } else if (mode == 2) {
        if (const Book* current = GetCurrentBook()) {
            size_t position = 0;
            while (Contact* contact = current->GetNextContact(*this, position)) {
                contact->m_dwDisplayFlags |= CDF_PRINT;
                ++count;
            }
        }
    }
    return count;
}

// Books.

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

// The alphabet filter and the alphabets.

void DataMan::SetAlphabetFilter(u32 filter)
{
    m_dwAlphabetFilter = filter >= kFilterFirstLetter && filter <= kFilterAll ? filter : kFilterAll;
}

std::string DataMan::GetFilterLetterText() const
{
    if (m_dwAlphabetFilter >= kFilterFirstLetter && m_dwAlphabetFilter <= kFilterLastLetter) {
        std::string letters;
        GetCurrentAlphabetLetters(letters);
        return CharacterAt(letters, m_dwAlphabetFilter - kFilterFirstLetter);
    }
    return m_dwAlphabetFilter == kFilterAll ? kAllLettersText : kBadFilterText;
}

int DataMan::GetCurrentAlphabetIndex() const
{
    const auto& alphabets = m_tables.alphabets;
    const auto it = std::find_if(alphabets.begin(), alphabets.end(),
        [](const auto& alphabet) { return alphabet && (alphabet->m_dwFlags & ALPHABET_CURRENT); });
    return it == alphabets.end() ? -1 : int(it - alphabets.begin());
}

void DataMan::GetCurrentAlphabetLetters(std::string& letters) const
{
    if (const Alphabet* alphabet = At(m_tables.alphabets, GetCurrentAlphabetIndex()))
        letters = alphabet->m_strLetters;
}

// Side tables.

template <class Entry, class Tables> auto& DataMan::Table(Tables& tables)
{
    if constexpr (std::is_same_v<Entry, Alphabet>)
        return tables.alphabets;
    else if constexpr (std::is_same_v<Entry, CallLogEntry>)
        return tables.callLog;
    else if constexpr (std::is_same_v<Entry, SpeedDialSlot>)
        return tables.speedDial;
    else
        return tables.timeZones;
}

int DataMan::GetCount(u32 kind) const
{
    switch (kind) {
    case DMK_ALPHABET:
        return int(m_tables.alphabets.size());
    case DMK_CALL_LOG:
        return int(m_tables.callLog.size());
    case DMK_SPEED_DIAL:
        return int(m_tables.speedDial.size());
    case DMK_TIME_ZONE:
        return int(m_tables.timeZones.size());
    default:
        return -100;
    }
}

template <class Entry> Entry* DataMan::GetAt(int index) const
{
    return At(Table<Entry>(m_tables), index);
}

template <class Entry> int DataMan::Add(std::unique_ptr<Entry> entry)
{
    m_dwLastError = 0;
    auto& table = Table<Entry>(m_tables);
    try {
        table.push_back(std::move(entry));
        return int(table.size()) - 1;
    } catch (CSeException* e) {
        ReportFault(e);
        m_dwLastError = RC_MISSING;
        return -1;
    }
}

void DataMan::RemoveAt(u32 kind, int index)
{
    switch (kind) {
    case DMK_ALPHABET:
        EraseAt(m_tables.alphabets, index);
        break;
    case DMK_CALL_LOG:
        EraseAt(m_tables.callLog, index);
        break;
    case DMK_SPEED_DIAL:
        EraseAt(m_tables.speedDial, index);
        break;
    case DMK_TIME_ZONE:
        EraseAt(m_tables.timeZones, index);
        break;
    default:
        break;
    }
}

template Alphabet* DataMan::GetAt<Alphabet>(int) const;
template CallLogEntry* DataMan::GetAt<CallLogEntry>(int) const;
template SpeedDialSlot* DataMan::GetAt<SpeedDialSlot>(int) const;
template TimeZoneEntry* DataMan::GetAt<TimeZoneEntry>(int) const;
template int DataMan::Add<Alphabet>(std::unique_ptr<Alphabet>);
template int DataMan::Add<CallLogEntry>(std::unique_ptr<CallLogEntry>);
template int DataMan::Add<SpeedDialSlot>(std::unique_ptr<SpeedDialSlot>);
template int DataMan::Add<TimeZoneEntry>(std::unique_ptr<TimeZoneEntry>);
