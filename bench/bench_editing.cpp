// Opening the full contact dialog on a contact with every field filled, in
// a store of many books, until its first page is on the screen; and OK
// with nothing changed.
#include "core/datafile.h"
#include "core/dataman.h"
#include "core/userman.h"
#include "editing/contactpropsdlg.h"
#include "platform/msgbox.h"
#include "platform/programfolder.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

constexpr int kBooks = 200;

QApplication& App()
{
    static int argc = 1;
    static char name[] = "bench_editing";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);
    return app;
}

Contact FullContact(const std::vector<u32>& books)
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
    for (u32 type = 1; type <= kPhoneTypeCount; ++type)
        c.m_phones.push_back({type, "+1 555 01" + std::to_string(type)});
    c.m_phones[0].m_dwCode |= 0x10000000;
    c.m_phones[10].m_dwCode |= 0x01000000;
    for (u32 type = 1; type <= kEmailTypeCount; ++type)
        c.m_emails.push_back({type, "anna" + std::to_string(type) + "@example.org"});
    c.m_web = {{0x40000008, "http://work.example"}, {0x20000001, "http://home.example"}, {15, "123456"}};
    c.m_addresses = {{0x10000002, "1 Work St", "Worktown", "WS", "11111", "Workland", 1, 0},
        {1, "2 Home Rd", "Hometown", "HS", "22222", "Homeland", 2, 0}};
    c.m_strCompany = "Berg Ltd";
    c.m_strDepartment = "Research";
    c.m_strOffice = "B12";
    c.m_strJobTitle = "Chemist";
    c.m_strChildren = "Ole\nLiv\nEva\n";
    c.m_dtBirthday = DateFromQDateTime(QDateTime(QDate(1980, 5, 17), QTime(0, 0)));
    c.m_dtAnniversary = DateFromQDateTime(QDateTime(QDate(2005, 6, 1), QTime(0, 0)));
    c.m_strNotes = std::string(2000, 'n');
    c.m_strSpouse = "Per";
    c.m_books = books;
    return c;
}

class Store {
public:
    Store()
    {
        ProgramFolder::SetPathForTesting(m_folder.path());
        m_userMan.Init(1);
        m_file.Open();
        m_dm = std::make_unique<DataMan>(m_file, &m_userMan);
        m_dm->Init();
        std::vector<u32> books;
        for (int i = 0; i < kBooks; ++i) {
            auto book = std::make_unique<Book>();
            book->m_strName = "Book " + std::to_string(i);
            books.push_back(m_dm->AddBook(std::move(book), m_dm->GetRootBook())->m_duID);
        }
        int index = -1;
        m_dm->AddContact(std::make_unique<Contact>(FullContact(books)), m_dm->GetRootBook(), &index);
        m_contact = m_dm->GetContactAt(index);
    }
    ~Store()
    {
        m_dm->Close();
        m_file.Close();
        ProgramFolder::SetPathForTesting(QString());
    }

    QTemporaryDir m_folder;
    UserMan m_userMan;
    CDataFile m_file;
    std::unique_ptr<DataMan> m_dm;
    Contact* m_contact = nullptr;
};

void BM_OpenContactDialog(benchmark::State& state)
{
    App();
    Store store;
    for (auto _ : state) {
        CDialogContactProps dialog(*store.m_dm, store.m_userMan);
        dialog.StartEdit(store.m_contact);
        dialog.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(dialog.GetActivePage());
    }
}
BENCHMARK(BM_OpenContactDialog)->Unit(benchmark::kMillisecond);

void BM_OkWithoutChange(benchmark::State& state)
{
    App();
    Store store;
    for (auto _ : state) {
        state.PauseTiming();
        CDialogContactProps dialog(*store.m_dm, store.m_userMan);
        dialog.StartEdit(store.m_contact);
        state.ResumeTiming();
        dialog.Finish(IDOK);
    }
}
BENCHMARK(BM_OkWithoutChange)->Unit(benchmark::kMicrosecond);

}  // namespace
