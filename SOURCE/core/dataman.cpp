// The store: starting and closing it, its arrays, maps and link index, ids
// and lookups.
#include "core/dataman.h"

#include "core/datafile.h"
#include "core/dataman_arrays.h"
#include "core/seexception.h"
#include "core/storerepair.h"
#include "core/userman.h"
#include "core/utilities.h"
#include "platform/profile.h"

#include <algorithm>

namespace {

constexpr const char* kProfileSection = "DataMan";
constexpr const char* kCurrentCharEntry = "CurrentChar";

constexpr const char* kRootName = "Contacts";
constexpr const char* kDeletedItemsName = "Deleted Items";
constexpr const char* kLatinName = "Latin";
constexpr const char* kLatinLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr const char* kUndefinedZoneName = "Undefined time zone";
constexpr u32 kSpeedDialSlots = 10;

// The stages of Init, as the last error names them after a fault.
constexpr u32 kInitBooks = 5;
constexpr u32 kInitTables = 6;
constexpr u32 kInitLoad = 7;
constexpr u32 kInitSettings = 8;

}  // namespace

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
