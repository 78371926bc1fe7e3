// Makes a program folder holding a store of a few hundred made-up contacts
// in several books, for pictures of the real program and for trying it out.
//   tolva_makestore <program folder> [contacts]
#include "core/datafile.h"
#include "core/dataman.h"
#include "core/userman.h"
#include "platform/programfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>
#include <string>

namespace {

const char* const kFirst[]
    = {"Anna", "Bruno", "Carla", "David", "Elena", "Farid", "Greta", "Hugo", "Ines", "Jonas", "Kira", "Luca",
        "Maren", "Nils", "Olga", "Pavel", "Rosa", "Sven", "Tara", "Ugo", "Vera", "Wim", "Yara", "Zeno"};
const char* const kLast[] = {"Berg", "Cole", "Dahl", "Engel", "Fischer", "Graf", "Hansen", "Ivanova",
    "Jensen", "Keller", "Lund", "Moreau", "Novak", "Olsen", "Petrov", "Quist", "Rossi", "Schmidt", "Torres",
    "Urban", "Vidal", "Weber", "Young", "Zimmer"};
const char* const kCompanies[] = {"Northwind Mills", "Blue Harbor Ltd", "Cedar & Stone", "Atlas Freight",
    "Lumen Optics", "Greenfield Farms"};
const char* const kCities[] = {"Springfield", "Riverton", "Lakeside", "Hillcrest", "Fairview", "Oakdale"};

template <size_t N> const char* Pick(const char* const (&list)[N], int i)
{
    return list[size_t(i) % N];
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <program folder> [contacts]\n", argv[0]);
        return 2;
    }
    const int count = argc > 2 ? std::max(1, std::atoi(argv[2])) : 300;
    QDir().mkpath(QString::fromLocal8Bit(argv[1]));
    ProgramFolder::SetPathForTesting(QString::fromLocal8Bit(argv[1]));
    UserMan user;
    user.Init(1);
    SetAppUserMan(&user);
    CDataFile file;
    if (file.Open() != 0)
        return 1;
    DataMan dm(file, &user);
    if (dm.Init() != 0)
        return 1;
    const auto addBook = [&](const char* name, Book* parent) {
        auto book = std::make_unique<Book>();
        book->m_strName = name;
        return dm.AddBook(std::move(book), parent);
    };
    Book* family = addBook("Family", dm.GetRootBook());
    Book* friends = addBook("Friends", dm.GetRootBook());
    Book* work = addBook("Work", dm.GetRootBook());
    Book* suppliers = addBook("Suppliers", work);
    Book* club = addBook("Chess club", friends);
    Book* books[] = {family, friends, work, suppliers, club};
    for (int i = 0; i < count; ++i) {
        auto c = std::make_unique<Contact>();
        c->m_strFirstName = Pick(kFirst, i * 7);
        c->m_strLastName = Pick(kLast, i * 5 + i / 24);
        c->m_strName = c->m_strFirstName + ' ' + c->m_strLastName;
        const std::string n = std::to_string(1000 + i);
        c->m_phones = {{1 | CV_DEFAULT_HOME_PHONE, "+1 555 01" + n}};
        if (i % 3 == 0)
            c->m_phones.push_back({15, "+1 555 09" + n});
        std::string mail = c->m_strFirstName + "." + c->m_strLastName + "@example.org";
        for (char& ch : mail)
            ch = char(std::tolower(static_cast<unsigned char>(ch)));
        c->m_emails = {{1 | CV_DEFAULT_HOME_EMAIL, mail}};
        if (i % 2 == 0) {
            c->m_strCompany = Pick(kCompanies, i);
            c->m_strJobTitle = i % 4 == 0 ? "Manager" : "Engineer";
        }
        c->m_addresses = {{ADDR_HOME | ADDR_DEFAULT, std::to_string(i + 1) + " Main Street", Pick(kCities, i),
            "", std::to_string(10000 + i * 37 % 89999), "Land", 0, 0}};
        int index = -1;
        dm.AddContact(std::move(c), dm.GetRootBook(), &index);
        dm.AddContactToBook(dm.GetContactAt(index), books[size_t(i) % std::size(books)]);
    }
    dm.SetAlphabetFilter(kFilterAll);
    const u32 error = dm.Close();
    file.Close();
    std::printf("%d contacts in %zu books written to %s\n", count, std::size(books) + 2, argv[1]);
    return error == 0 ? 0 : 1;
}
