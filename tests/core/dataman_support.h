// A store on a temporary program folder, and the means to write data and
// export files byte by byte, as another program following the format would.
#pragma once

#include "core/datafile.h"
#include "core/dataman.h"
#include "core/errorreport.h"
#include "core/userman.h"
#include "platform/oledate.h"
#include "samples.h"
#include "support/testenv.h"

#include <QFile>
#include <memory>

// 2024-01-02 12:00 local time, as the stored day count says it.
constexpr double kTestNow = 45293.5;

// Little-endian bytes of the file format.
class Bytes {
public:
    Bytes& Word(u32 value) { return Raw(QByteArray(reinterpret_cast<const char*>(&value), sizeof value)); }
    Bytes& Str(const std::string& text)
    {
        return Word(u32(text.size() + 1)).Raw(QByteArray(text.c_str(), text.size() + 1));
    }
    Bytes& Raw(const QByteArray& bytes)
    {
        m_data.append(bytes);
        return *this;
    }
    Bytes& Head(const std::string& tag, u32 version = 0x2500, u32 compatibility = 0, u32 exportFlag = 0)
    {
        return Str(tag).Word(version).Word(compatibility).Word(exportFlag).Raw(QByteArray(28, '\0'));
    }
    const QByteArray& Data() const { return m_data; }

private:
    QByteArray m_data;
};

inline std::unique_ptr<Book> MakeBook(
    u32 id, u32 parent, std::initializer_list<u32> members, const std::string& name, u32 flags = DIF_BOOK)
{
    auto book = std::make_unique<Book>();
    book->m_duID = id;
    book->m_duParentID = parent;
    book->m_members = members;
    book->m_strName = name;
    book->m_dwFlags = flags;
    return book;
}

inline std::unique_ptr<Contact> MakeContact(u32 id, std::initializer_list<u32> books, const std::string& name)
{
    auto contact = std::make_unique<Contact>();
    contact->m_duID = id;
    contact->m_books = books;
    contact->m_strName = name;
    return contact;
}

inline QByteArray BookBytes(u32 id, u32 parent, std::initializer_list<u32> members, const std::string& name)
{
    return RecordBytes(*MakeBook(id, parent, members, name));
}

inline QByteArray ContactBytes(u32 id, std::initializer_list<u32> books, const std::string& name)
{
    return RecordBytes(*MakeContact(id, books, name));
}

// The two built-in books as a fresh store has them, with members added.
inline QByteArray BuiltInBooks(
    std::initializer_list<u32> rootMembers, std::initializer_list<u32> deletedMembers = {})
{
    auto root = MakeBook(0, 0, {1}, "Contacts", DIF_BOOK | DIF_CURRENT_BOOK | DIF_ROOT_BOOK);
    root->m_members.insert(root->m_members.end(), rootMembers);
    return RecordBytes(*root)
        + RecordBytes(*MakeBook(1, 0, deletedMembers, "Deleted Items", DIF_BOOK | DIF_DELETED_ITEMS));
}

inline QByteArray DataFile(const QByteArray& books, u32 bookCount, const QByteArray& contacts = {},
    u32 contactCount = 0, u32 version = kFormatVersion)
{
    return Bytes()
        .Head(kDataFileTag, version)
        .Word(bookCount)
        .Raw(books)
        .Word(contactCount)
        .Raw(contacts)
        .Data();
}

inline QByteArray ExportFile(
    const QByteArray& books, u32 bookCount, const QByteArray& contacts = {}, u32 contactCount = 0)
{
    return Bytes()
        .Head(kExportFileTag, kFormatVersion, 0, kExportFlag)
        .Word(bookCount)
        .Word(contactCount)
        .Raw(books + contacts)
        .Data();
}

// A second data file with every table empty.
inline QByteArray EmptyTables()
{
    return Bytes().Head(kNonDataFileTag).Word(0).Word(0).Word(0).Word(0).Word(0).Word(0).Data();
}

class DataManTest : public TolvaTest {
protected:
    void SetUp() override
    {
        TolvaTest::SetUp();
        SetClockForTesting([] { return QDateTime(QDate(2024, 1, 2), QTime(12, 0)); });
        m_savedDefaults = GetRecordDefaults();
        RecordDefaults defaults;
        defaults.bookFont.lfHeight = -12;
        defaults.bookText = RGB(1, 2, 3);
        defaults.bookBack = RGB(250, 251, 252);
        SetRecordDefaults(defaults);
    }
    void TearDown() override
    {
        m_dm.reset();
        m_file.reset();
        SetRecordDefaults(m_savedDefaults);
        SetClockForTesting(nullptr);
        TolvaTest::TearDown();
    }

    // Opens the files and starts the store as the program does.
    u32 Start()
    {
        m_dm.reset();
        m_file = std::make_unique<CDataFile>();
        m_dm = std::make_unique<DataMan>(*m_file, &m_user);
        const u32 error = m_file->Open();
        return error ? error : m_dm->Init();
    }
    u32 Stop()
    {
        const u32 error = m_dm->Close();
        m_file->Close();
        return error;
    }
    u32 Restart()
    {
        Stop();
        return Start();
    }

    std::string Path(const char* name) const { return ProgramPath(name).toStdString(); }
    // Imports a file into the store; the counts go to m_books and m_contacts.
    u32 Import(const char* name, u32 mode, Book* target)
    {
        return m_dm->ImportFile(Path(name), &m_books, &m_contacts, mode, target);
    }

    QByteArray ErrorLog() const { return Contents(kErrorLogName); }
    Book* Root() const { return m_dm->GetRootBook(); }
    Book* Deleted() const { return m_dm->GetDeletedItemsBook(); }
    Book* NewBook(const std::string& name, Book* parent)
    {
        auto book = std::make_unique<Book>();
        book->m_strName = name;
        return m_dm->AddBook(std::move(book), parent);
    }
    Contact* NewContact(const std::string& name, Book* book)
    {
        auto contact = std::make_unique<Contact>();
        contact->m_strName = name;
        int index = -1;
        return m_dm->AddContact(std::move(contact), book, &index) ? nullptr : m_dm->GetContactAt(index);
    }

    UserMan m_user;
    std::unique_ptr<CDataFile> m_file;
    std::unique_ptr<DataMan> m_dm;
    RecordDefaults m_savedDefaults;
    u32 m_books = 0;
    u32 m_contacts = 0;
};
