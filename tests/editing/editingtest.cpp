#include "editingtest.h"

#include "platform/programfolder.h"

#include <QDir>
#include <QFile>
#include <QTest>

void EditingTest::SetUp()
{
    TolvaTest::SetUp();
    m_userMan = std::make_unique<UserMan>();
    ASSERT_EQ(m_userMan->Init(1), 0);
    m_file = std::make_unique<CDataFile>();
    ASSERT_EQ(m_file->Open(), 0u);
    m_dataMan = std::make_unique<DataMan>(*m_file, m_userMan.get());
    ASSERT_EQ(m_dataMan->Init(), 0u);
}

void EditingTest::TearDown()
{
    m_dataMan->Close();
    m_file->Close();
    m_dataMan.reset();
    TolvaTest::TearDown();
}

Contact MakeFullContact()
{
    Contact c;
    c.m_strName = "Dr. Anna Maria Berg";
    c.m_strTitle = "Dr.";
    c.m_strFirstName = "Anna";
    c.m_strMiddleName = "Maria";
    c.m_strLastName = "Berg";
    c.m_strNickName = "Annie";
    c.m_strSuffix = "PhD";
    c.m_dwGender = GENDER_FEMALE;
    c.m_phones = {{0x10000000 | 1, "555-0101"}, {0x20000000 | 2, "555-0102"}, {0x40000000 | 5, "555-0105"},
        {0x80000000 | 4, "555-0104"}, {0x01000000 | 11, "555-0111"}, {0x02000000 | 12, "555-0112"},
        {0x04000000 | 14, "555-0114"}, {3, "555-0103 unshown"}};
    c.m_emails = {{0x20000000 | 1, "anna@home.example"}, {0x40000000 | 2, "a.berg@home.example"},
        {0x10000000 | 6, "anna@work.example"}, {9, "unshown@work.example"}};
    c.m_web = {{0x40000008, "http://work.example"}, {0x20000001, "http://home.example"}, {15, "123456"},
        {3, "http://third.example"}};
    c.m_addresses = {{0x10000002, "1 Work St", "Worktown", "WS", "11111", "Workland", 1, 0},
        {1, "2 Home Rd\r\nFlat 3", "Hometown", "HS", "22222", "Homeland", 2, 0},
        {4, "PO Box 9", "Posttown", "PS", "33333", "Postland", 0, 0},
        {1, "Second home", "Lakeside", "LS", "44444", "Homeland", 2, 0}};
    c.m_strCompany = "Berg Ltd";
    c.m_strDepartment = "Research";
    c.m_strOffice = "B12";
    c.m_strJobTitle = "Chemist";
    c.m_strChildren = "Ole\nLiv\n";
    c.m_dtBirthday = DateFromQDateTime(QDateTime(QDate(1980, 5, 17), QTime(0, 0)));
    c.m_dtAnniversary = DateFromQDateTime(QDateTime(QDate(2005, 6, 1), QTime(0, 0)));
    c.m_strNotes = "First line\r\nSecond line";
    c.m_strSpouse = "Per";
    c.m_picture.m_strText = "/nowhere/anna.png";
    c.m_nPictureType = 4;
    c.m_dwDisplayFlags = CDF_DEFAULT_FONT;
    c.m_crText = RGB(10, 20, 30);
    c.m_crBack = RGB(200, 210, 220);
    return c;
}

Contact* EditingTest::AddFullContact()
{
    auto contact = std::make_unique<Contact>(MakeFullContact());
    int index = -1;
    EXPECT_EQ(m_dataMan->AddContact(std::move(contact), m_dataMan->GetRootBook(), &index), 0u);
    EXPECT_EQ(m_dataMan->Save(DFK_DATA), 0u);
    return m_dataMan->GetContactAt(index);
}

Book* EditingTest::AddBook(const std::string& name)
{
    auto book = std::make_unique<Book>();
    book->m_strName = name;
    return m_dataMan->AddBook(std::move(book), m_dataMan->GetRootBook());
}

std::vector<std::unique_ptr<Contact>> EditingTest::StoredContacts()
{
    const QString copy = m_dir->filePath(QStringLiteral("second-run"));
    QDir(copy).removeRecursively();
    QDir().mkpath(copy);
    EXPECT_TRUE(QFile::copy(ProgramPath(QStringLiteral("tolva.rdf")), copy + QStringLiteral("/tolva.rdf")));
    ProgramFolder::SetPathForTesting(copy);
    std::vector<std::unique_ptr<Contact>> contacts;
    {
        CDataFile file;
        EXPECT_EQ(file.Open(), 0u);
        DataMan second(file, m_userMan.get());
        EXPECT_EQ(second.Init(), 0u);
        for (int i = 0; i < second.GetContactCount(); ++i)
            contacts.push_back(std::make_unique<Contact>(*second.GetContactAt(i)));
        file.Close();
    }
    ProgramFolder::SetPathForTesting(QString());
    return contacts;
}

void ShowActive(QWidget& window)
{
    window.show();
    window.activateWindow();
    (void)QTest::qWaitForWindowActive(&window);
}
