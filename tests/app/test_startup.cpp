// The program as the user starts it: a real process in temporary program
// and settings folders, on the offscreen platform, with message boxes
// answered at once and written to standard error.
#include "app/addressbookapp.h"
#include "core/datafile.h"
#include "core/errorreport.h"
#include "core/filelimit.h"
#include "core/samples.h"
#include "platform/profile.h"
#include "platform/programfolder.h"
#include "startuptest.h"
#include "support/machine.h"
#include "support/modalguard.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <string_view>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

TEST_F(StartupTest, FirstStartMakesTheFilesAndSigtermSavesEverything)
{
    Run run = Start();
    EXPECT_EQ(run.firstLine, "started shown=1 contacts=0 run=0");
    // The folder the program made holds contacts: for this user only.
    EXPECT_EQ(ModeOf(ProgramFolder::Path()), 0700u);
    EXPECT_TRUE(QFile::exists(ProgramPath("tolva.rdf")));
    EXPECT_TRUE(QFile::exists(ProgramPath("tolva.ndf")));
    EXPECT_EQ(Stop(run), 0);

    // Closed as Exit closes: the data saved, the copy refreshed from it, the
    // settings written.
    const QByteArray data = Contents("tolva.rdf");
    EXPECT_TRUE(data.contains("TOLVADATFILE"));
    EXPECT_TRUE(data.contains("Deleted Items"));
    EXPECT_EQ(Contents("tolva.rd0"), data);
    EXPECT_TRUE(Contents("tolva.ndf").contains("Undefined time zone"));
    Profile::Reopen();
    EXPECT_EQ(Profile::GetInt("Settings", "RuverOvi", -1), 1);
    EXPECT_TRUE(Profile::Exists("UserMan\\MainWnd", "Flags1"));

    // The run counter counts.
    Run second = Start();
    EXPECT_EQ(second.firstLine, "started shown=1 contacts=0 run=1");
    Stop(second);
}

TEST_F(StartupTest, SecondInstanceLeavesTheFilesAlone)
{
    Run first = Start();
    ASSERT_TRUE(first.firstLine.startsWith("started"));
    const QByteArray data = Contents("tolva.rdf");
    const QByteArray side = Contents("tolva.ndf");

    Profile::Reopen();
    const QByteArray settings = FileBytes(Profile::FilePath());

    const auto [code, errors] = RunToEnd();
    EXPECT_NE(code, 0);
    EXPECT_TRUE(errors.contains("Tolva is already running")) << errors.toStdString();
    EXPECT_EQ(Contents("tolva.rdf"), data);
    EXPECT_EQ(Contents("tolva.ndf"), side);
    // Not even the run counter is written under the running instance.
    EXPECT_EQ(FileBytes(Profile::FilePath()), settings);
    EXPECT_EQ(Stop(first), 0);
}

TEST_F(StartupTest, RunStoppedByTheDataFolderLockWritesNothing)
{
    Run first = Start();
    ASSERT_TRUE(first.firstLine.startsWith("started"));
    Profile::Reopen();
    const QByteArray settings = FileBytes(Profile::FilePath());

    // Another session: its own runtime folder, the same data folder.
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    const QString other = m_dir->filePath(QStringLiteral("other-runtime"));
    QDir().mkpath(other);
    qputenv("XDG_RUNTIME_DIR", other.toUtf8());
    const auto [code, errors] = RunToEnd();
    qputenv("XDG_RUNTIME_DIR", runtime);
    EXPECT_NE(code, 0);
    EXPECT_EQ(errors.count("Tolva: "), 1) << errors.toStdString();
    // Said in the user's words: which folder, and what to do.
    EXPECT_TRUE(errors.contains("Another Tolva is using the data folder \"" + ProgramFolder::Path().toUtf8()
        + "\". Switch to the window"))
        << errors.toStdString();
    EXPECT_FALSE(errors.contains("The process cannot access")) << errors.toStdString();
    EXPECT_EQ(FileBytes(Profile::FilePath()), settings);
    EXPECT_EQ(Stop(first), 0);
}

TEST_F(StartupTest, RefusedStartsSayOnceWhichFileAndWhatToDo)
{
    // A store of more than a thousand bytes, so that a damaged tag length of
    // 1000 still finds bytes to read.
    {
        CDataFile file;
        ASSERT_EQ(file.Open(), 0u);
        UserMan userMan;
        DataMan dataMan(file, &userMan);
        ASSERT_EQ(dataMan.Init(), 0u);
        for (int i = 0; i < 20; ++i) {
            auto contact = std::make_unique<Contact>();
            contact->m_strName = "Contact " + std::to_string(i);
            dataMan.AddContact(std::move(contact), dataMan.GetRootBook());
        }
        ASSERT_EQ(dataMan.Close(), 0u);
        file.Close();
    }
    const QByteArray data = Contents("tolva.rdf");
    ASSERT_GT(data.size(), 2000);
    const QByteArray side = Contents("tolva.ndf");
    struct Case {
        const char* name;
        QByteArray bytes;
        const char* advice;
    };
    QByteArray newer = data;
    // The head's version word follows the tag (its length word, 12 letters, NUL).
    const u32 version = 0x2600;
    newer.replace(17, 4, reinterpret_cast<const char*>(&version), 4);
    // The tag's length word damaged: the head is then read from the wrong
    // place, and whatever it says the file is damaged, not newer.
    const auto tagLength = [](QByteArray bytes, u32 length) {
        return bytes.replace(0, 4, QByteArray(reinterpret_cast<const char*>(&length), 4));
    };
    // A version word of all ones is damage, not a newer version.
    const u32 allOnes = 0xFFFFFFFF;
    const QByteArray erasedVersion
        = QByteArray(data).replace(17, 4, reinterpret_cast<const char*>(&allOnes), 4);
    const QByteArray erasedSideVersion
        = QByteArray(side).replace(4 + 16, 4, reinterpret_cast<const char*>(&allOnes), 4);
    const QByteArray damagedAdvice
        = "To recover your data move the file called \"tolva.rdf\" out of the folder \""
        + ProgramFolder::Path().toUtf8() + "\" and keep it, then rename the file called \"tolva.rd0\"";
    const Case cases[] = {
        {"tolva.rdf", newer, "was written by a newer version of Tolva"},
        {"tolva.rdf", data.left(data.size() - 9), damagedAdvice.constData()},
        {"tolva.rdf", tagLength(data, 12), damagedAdvice.constData()},
        {"tolva.rdf", tagLength(data, 1000), damagedAdvice.constData()},
        {"tolva.rdf", erasedVersion, damagedAdvice.constData()},
        {"tolva.ndf", erasedSideVersion, "Maybe the file is damaged"},
        {"tolva.ndf", side.left(side.size() - 9), "move it out of the folder"},
        {"tolva.ndf", tagLength(side, 1000), "Maybe the file is damaged"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.advice);
        Put("tolva.rdf", data);
        Put("tolva.ndf", side);
        Put(c.name, c.bytes);
        const auto [code, errors] = RunToEnd();
        EXPECT_NE(code, 0);
        EXPECT_EQ(errors.count("Tolva: "), 1) << errors.toStdString();
        EXPECT_TRUE(errors.contains(ProgramPath(c.name).toUtf8())) << errors.toStdString();
        EXPECT_TRUE(errors.contains(c.advice)) << errors.toStdString();
        EXPECT_FALSE(errors.contains("Program error")) << errors.toStdString();
        EXPECT_EQ(errors.contains("newer"), c.bytes == newer) << errors.toStdString();
        EXPECT_EQ(Contents(c.name), c.bytes);
    }
}

TEST_F(StartupTest, DataFolderLeftOpenByAnEarlierVersionBecomesPrivate)
{
    const QByteArray folder = QFile::encodeName(ProgramFolder::Path());
    // 0755 and 0775 are what earlier versions made; 0750 the user chose.
    for (const auto& [before, after] : {std::pair{0755u, 0700u}, {0775u, 0700u}, {0750u, 0750u}}) {
        SCOPED_TRACE(before);
        ASSERT_EQ(::chmod(folder.constData(), before), 0);
        Run run = Start();
        ASSERT_TRUE(run.firstLine.startsWith("started")) << run.firstLine.toStdString();
        EXPECT_EQ(ModeOf(ProgramFolder::Path()), after);
        Stop(run);
    }

    // A folder reached through a link is the user's arrangement: left alone.
    const QString elsewhere = m_dir->filePath(QStringLiteral("synced"));
    const QString path = ProgramFolder::Path();
    ASSERT_TRUE(QDir().rename(path, elsewhere));
    ASSERT_TRUE(QFile::link(elsewhere, path));
    ASSERT_EQ(::chmod(QFile::encodeName(elsewhere).constData(), 0755), 0);
    Run linked = Start();
    ASSERT_TRUE(linked.firstLine.startsWith("started")) << linked.firstLine.toStdString();
    EXPECT_EQ(ModeOf(elsewhere), 0755u);
    Stop(linked);
}

// The save at quit runs after the window is gone: no later change can save
// again, so the message says what the run loses.
TEST_F(StartupTest, SaveThatFailsAtQuitSaysTheChangesAreNotInTheFile)
{
    Run earlier = Start();
    Stop(earlier);
    const QByteArray data = Contents("tolva.rdf");
    int errors[2];
    ASSERT_EQ(::pipe2(errors, O_CLOEXEC), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::dup2(errors[1], 2);
        SetMessageSink(nullptr);
        if (!TheApp()->InitInstance())
            std::_Exit(10);
        DataMan& dm = TheApp()->GetDataMan();
        auto contact = std::make_unique<Contact>();
        contact->m_strName = "Unsaved";
        dm.AddContact(std::move(contact), dm.GetRootBook());
        // The disk is full: the data file with the new contact does not fit.
        FileSizeLimit full(rlim_t(data.size()));
        std::_Exit(TheApp()->ExitInstance(0));
    }
    ::close(errors[1]);
    const QByteArray shown = ReadToEnd(errors[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_TRUE(
        shown.contains("The contacts and books could not be saved to \"" + ProgramPath("tolva.rdf").toUtf8()))
        << shown.toStdString();
    EXPECT_TRUE(
        shown.contains("Tolva has closed, so the changes of this run since the last save that worked are "
                       "not in the file"))
        << shown.toStdString();
    EXPECT_FALSE(shown.contains("your next change")) << shown.toStdString();
    EXPECT_EQ(Contents("tolva.rdf"), data);
}

TEST_F(StartupTest, SettingsBehindABrokenLinkAreReportedAndTheLinkKept)
{
    const QString path = Profile::FilePath();
    QDir().mkpath(QFileInfo(path).path());
    const QString nowhere = m_dir->filePath(QStringLiteral("unplugged/Tolva.ini"));
    for (const QString& target : {nowhere, path}) {
        SCOPED_TRACE(target.toStdString());
        QFile::remove(path);
        ASSERT_TRUE(QFile::link(target, path));
        const auto [code, errors] = RunToEnd();
        EXPECT_NE(code, 0);
        EXPECT_TRUE(errors.contains(target == path ? "loop" : "does not exist")) << errors.toStdString();
        EXPECT_EQ(QFileInfo(path).symLinkTarget(), QFileInfo(target).absoluteFilePath());
        EXPECT_FALSE(QFile::exists(nowhere));
    }
}

TEST_F(StartupTest, RegrunStartsHiddenButOnlyInItsOwnSpelling)
{
    Run hidden = Start({QStringLiteral("-regrun")});
    EXPECT_TRUE(hidden.firstLine.startsWith("started shown=0")) << hidden.firstLine.toStdString();
    // A hidden window closed by a logout still ends the run and saves.
    EXPECT_EQ(Stop(hidden), 0);

    Run shown = Start({QStringLiteral("-REGRUN")});
    EXPECT_TRUE(shown.firstLine.startsWith("started shown=1")) << shown.firstLine.toStdString();
    Stop(shown);
}

TEST_F(StartupTest, AlwaysOnTopStartsShownInEveryShowState)
{
    for (const u32 flags : {MWF_TOPMOST, MWF_TOPMOST | MWF_MAXIMIZE_ON_START}) {
        SCOPED_TRACE(flags);
        Profile::WriteInt("UserMan\\MainWnd", "Flags1", int(0x7BA | flags));
        Profile::Sync();
        Run run = Start();
        EXPECT_TRUE(run.firstLine.startsWith("started shown=1")) << run.firstLine.toStdString();
        Stop(run);
        // The setting is kept for the next start.
        Profile::Reopen();
        EXPECT_TRUE(Profile::GetInt("UserMan\\MainWnd", "Flags1", 0) & MWF_TOPMOST);
    }
}

TEST_F(StartupTest, MissingDataFileIsRestoredFromTheCopy)
{
    {
        CDataFile file;
        ASSERT_EQ(file.Open(), 0u);
        UserMan userMan;
        DataMan dataMan(file, &userMan);
        ASSERT_EQ(dataMan.Init(), 0u);
        for (int i = 0; i < 3; ++i) {
            auto contact = std::make_unique<Contact>();
            contact->m_strName = "Contact " + std::to_string(i);
            dataMan.AddContact(std::move(contact), dataMan.GetRootBook());
        }
        ASSERT_EQ(dataMan.Save(DFK_DATA), 0u);
        dataMan.Close();
        file.Close();
    }
    ASSERT_TRUE(Contents("tolva.rd0").contains("Contact 2"));
    ASSERT_TRUE(QFile::remove(ProgramPath("tolva.rdf")));

    Run run = Start();
    EXPECT_EQ(run.firstLine, "started shown=1 contacts=3 run=0");
    Stop(run);
    EXPECT_TRUE(Contents("tolva.rdf").contains("Contact 2"));
}

TEST_F(StartupTest, UnreadableDataFileIsReportedAndLeftAsItWas)
{
    Run first = Start();
    Stop(first);
    QByteArray damaged = Contents("tolva.rdf");
    damaged.truncate(damaged.size() - 9);
    Put("tolva.rdf", damaged);
    const QByteArray copy = Contents("tolva.rd0");
    const QByteArray side = Contents("tolva.ndf");

    const auto [code, errors] = RunToEnd();
    EXPECT_NE(code, 0);
    EXPECT_TRUE(errors.contains("There was an error while reading data file")) << errors.toStdString();
    EXPECT_EQ(Contents("tolva.rdf"), damaged);
    EXPECT_EQ(Contents("tolva.rd0"), copy);
    EXPECT_EQ(Contents("tolva.ndf"), side);
}

TEST_F(StartupTest, RecordsPastTheCountsOfTheDataFileSurviveAStartAndAQuit)
{
    // A store of 30 contacts, 10 of them in a book of their own.
    QByteArray firstContact;
    u32 workId = 0;
    {
        CDataFile file;
        ASSERT_EQ(file.Open(), 0u);
        UserMan userMan;
        DataMan dataMan(file, &userMan);
        ASSERT_EQ(dataMan.Init(), 0u);
        auto book = std::make_unique<Book>();
        book->m_strName = "Work";
        Book* work = dataMan.AddBook(std::move(book), dataMan.GetRootBook());
        workId = work->m_duID;
        for (int i = 0; i < 30; ++i) {
            auto contact = std::make_unique<Contact>();
            contact->m_strName = "Contact " + std::to_string(i);
            dataMan.AddContact(std::move(contact), i % 3 ? dataMan.GetRootBook() : work);
        }
        firstContact = RecordBytes(*dataMan.GetContactAt(0));
        ASSERT_EQ(dataMan.Save(DFK_DATA), 0u);
        dataMan.Close();
        file.Close();
    }
    const QByteArray good = Contents("tolva.rdf");
    const QByteArray side = Contents("tolva.ndf");
    const qsizetype bookCountAt = qsizetype(4 + std::strlen(kDataFileTag) + 1 + 40);
    const qsizetype contactCountAt = good.indexOf(firstContact) - 4;
    ASSERT_GT(contactCountAt, bookCountAt);
    const auto withWord = [&good](qsizetype at, u32 value) {
        return QByteArray(good).replace(at, 4, reinterpret_cast<const char*>(&value), 4);
    };
    Contact late;
    late.m_duID = 900;
    late.m_books = {workId};
    late.m_strName = "Contact 30";
    const struct {
        const char* what;
        QByteArray bytes;
        int contacts;
    } cases[] = {
        {"contact count lowered by 20", withWord(contactCountAt, 10), 30},
        {"book count lowered by 1", withWord(bookCountAt, 2), 30},
        {"a whole contact appended", good + RecordBytes(late), 31},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QDir(ProgramPath("backup")).removeRecursively();
        Put("tolva.rdf", c.bytes);
        Put("tolva.rd0", good);
        Put("tolva.ndf", side);
        Run run = Start();
        EXPECT_TRUE(run.firstLine.contains(" contacts=" + QByteArray::number(c.contacts) + " "))
            << run.firstLine.toStdString();
        EXPECT_EQ(Stop(run), 0);
        const QByteArray errors = run.process->readAllStandardError();
        EXPECT_EQ(errors.count("Tolva: "), 1) << errors.toStdString();
        EXPECT_TRUE(errors.contains("held more books or contacts than its counts said"))
            << errors.toStdString();
        EXPECT_TRUE(Contents(kErrorLogName).contains("past the counts of the file read and kept"));
        EXPECT_EQ(Contents("backup/tolva.rdf"), c.bytes);
        const QByteArray saved = Contents("tolva.rdf");
        EXPECT_EQ(Contents("tolva.rd0"), saved);
        for (int i = 0; i < c.contacts; ++i)
            EXPECT_TRUE(saved.contains("Contact " + QByteArray::number(i) + '\0')) << i;
    }

    // What follows the last contact and is no whole contact refuses the file.
    QDir(ProgramPath("backup")).removeRecursively();
    Put("tolva.rdf", good + firstContact.chopped(4));
    Put("tolva.rd0", good);
    const auto [code, errors] = RunToEnd();
    EXPECT_NE(code, 0);
    EXPECT_EQ(errors.count("Tolva: "), 1) << errors.toStdString();
    EXPECT_TRUE(errors.contains("There was an error while reading data file")) << errors.toStdString();
    EXPECT_EQ(Contents("tolva.rdf"), good + firstContact.chopped(4));
    EXPECT_EQ(Contents("tolva.rd0"), good);
    EXPECT_EQ(Contents("backup/tolva.rdf"), "<missing>");
}

// A store of contacts "Contact 0" on, saved as the program saves it: the
// data file's bytes, and the first contact's record.
static std::pair<QByteArray, QByteArray> SavedStore(int contacts)
{
    CDataFile file;
    EXPECT_EQ(file.Open(), 0u);
    UserMan userMan;
    DataMan dataMan(file, &userMan);
    EXPECT_EQ(dataMan.Init(), 0u);
    QByteArray first;
    for (int i = dataMan.GetContactCount(); i < contacts; ++i) {
        auto contact = std::make_unique<Contact>();
        contact->m_strName = "Contact " + std::to_string(i);
        dataMan.AddContact(std::move(contact), dataMan.GetRootBook());
    }
    if (contacts > 0)
        first = RecordBytes(*dataMan.GetContactAt(0));
    EXPECT_EQ(dataMan.Save(DFK_DATA), 0u);
    dataMan.Close();
    file.Close();
    QFile data(ProgramFolder::FilePath(QStringLiteral("tolva.rdf")));
    EXPECT_TRUE(data.open(QIODevice::ReadOnly));
    return {data.readAll(), first};
}

// A data file mended as it is read is not saved over until it, and the copy
// that the end of the run refreshes, are kept in "backup" as they were.
TEST_F(StartupTest, AMendedDataFileAndItsOlderCopyAreKeptInBackupBeforeTheyAreReplaced)
{
    const QByteArray older = SavedStore(20).first;
    const auto [good, firstContact] = SavedStore(30);
    const QByteArray side = Contents("tolva.ndf");
    // The contact count lowered: the contacts past it are read and kept.
    const qsizetype contactCountAt = good.indexOf(firstContact) - 4;
    ASSERT_GT(contactCountAt, 0);
    const u32 lowered = 10;
    const QByteArray mended
        = QByteArray(good).replace(contactCountAt, 4, reinterpret_cast<const char*>(&lowered), 4);
    Put("tolva.rdf", mended);
    Put("tolva.rd0", older);
    Put("tolva.ndf", side);

    // The disk has no room for the backup: the run's quit says what is lost
    // and what to do, and both files stay as they were.
    Put("backup", "not a folder");
    Run blocked = Start();
    EXPECT_TRUE(blocked.firstLine.contains(" contacts=30 ")) << blocked.firstLine.toStdString();
    EXPECT_EQ(Stop(blocked), 0);
    const QByteArray errors = blocked.process->readAllStandardError();
    EXPECT_TRUE(errors.contains(
        "The contacts and books could not be saved to \"" + ProgramPath("tolva.rdf").toUtf8()))
        << errors.toStdString();
    EXPECT_TRUE(errors.contains("it is kept as it was read at \"" + ProgramPath("backup").toUtf8()))
        << errors.toStdString();
    EXPECT_TRUE(
        errors.contains("Tolva has closed, so the changes of this run since the last save that worked are "
                        "not in the file"))
        << errors.toStdString();
    EXPECT_EQ(Contents("tolva.rdf"), mended);
    EXPECT_EQ(Contents("tolva.rd0"), older);

    // With room again, the quit keeps both and then saves and refreshes.
    ASSERT_TRUE(QFile::remove(ProgramPath("backup")));
    Run run = Start();
    EXPECT_TRUE(run.firstLine.contains(" contacts=30 ")) << run.firstLine.toStdString();
    EXPECT_EQ(Stop(run), 0);
    EXPECT_EQ(Contents("backup/tolva.rdf"), mended);
    EXPECT_EQ(Contents("backup/tolva.rd0"), older);
    const QByteArray saved = Contents("tolva.rdf");
    for (int i = 0; i < 30; ++i)
        EXPECT_TRUE(saved.contains("Contact " + QByteArray::number(i) + '\0')) << i;
    EXPECT_EQ(Contents("tolva.rd0"), saved);
    EXPECT_TRUE(Contents(kErrorLogName)
                    .contains("and its copy as \"" + ProgramPath("backup").toUtf8()
                        + "/tolva.rd0\", before it is next saved"));

    // Sound now: the next quit refreshes the copy and leaves the backup be.
    Run sound = Start();
    EXPECT_EQ(Stop(sound), 0);
    EXPECT_EQ(Contents("backup/tolva.rd0"), older);
}

// Renaming the copy helps only when it reads; otherwise the message says
// what to do instead, names only the files that are there and the file that
// was read, and neither file is touched.
TEST_F(StartupTest, WhenTheCopyCannotTakeTheDataFilesPlaceTheMessageSaysWhatToDo)
{
    const QByteArray good = SavedStore(5).first;
    const QByteArray side = Contents("tolva.ndf");
    const QByteArray damaged = good.chopped(9);
    QByteArray newer = good;
    const u32 version = 0x2600;
    newer.replace(17, 4, reinterpret_cast<const char*>(&version), 4);
    const QByteArray missing = "<missing>";
    const QByteArray data = "\"" + ProgramPath("tolva.rdf").toUtf8() + "\"";
    const QByteArray copy = "\"" + ProgramPath("tolva.rd0").toUtf8() + "\"";
    const QByteArray both = "The files " + data + " and " + copy + " are left as they are.";
    const QByteArray bothAdvice = "move \"tolva.rdf\" and \"tolva.rd0\" out of that folder and keep them";
    const QByteArray copyAdvice
        = "read in its place, is damaged or of an old version. To start Tolva with an "
          "empty address book, move \"tolva.rd0\" out of that folder and keep it";
    const struct {
        const char* what;
        QByteArray data;
        QByteArray copy;
        QByteArray advice;
        QByteArray left;
    } cases[] = {
        {"both damaged", damaged, damaged, "cannot be read either, so it cannot take the place", both},
        {"no copy", damaged, missing,
            "It has no copy \"tolva.rd0\" in the folder \"" + ProgramFolder::Path().toUtf8()
                + "\" that could take its place. To start Tolva with an empty address book, move "
                  "\"tolva.rdf\" "
                  "out of that folder and keep it",
            "The file " + data + " is left as it is."},
        {"an empty data file and a damaged copy", "", damaged, copyAdvice, both},
        {"no data file and a damaged copy", missing, damaged, copyAdvice,
            "The file " + copy + " is left as it is."},
        {"a sound copy", damaged, good, "then rename the file called \"tolva.rd0\" to \"tolva.rdf\"",
            "The file " + data + " is left as it is."},
        {"a sound copy of a newer version", damaged, newer,
            "Its copy \"tolva.rd0\" in the folder \"" + ProgramFolder::Path().toUtf8()
                + "\" was written by a newer version of Tolva, which this version cannot read. To recover "
                  "your "
                  "data, move \"tolva.rdf\" out of that folder and keep it, then rename \"tolva.rd0\" to "
                  "\"tolva.rdf\" and open it with that newer version.",
            both},
        // The copy read in place of an empty data file is the newer one.
        {"an empty data file and a copy of a newer version", "", newer,
            copy + " was written by a newer version of Tolva and is left as it is", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QDir(ProgramPath("backup")).removeRecursively();
        for (const auto& [name, bytes] : {std::pair{"tolva.rdf", c.data}, {"tolva.rd0", c.copy}}) {
            QFile::remove(ProgramPath(name));
            if (bytes != missing)
                Put(name, bytes);
        }
        Put("tolva.ndf", side);
        const auto [code, errors] = RunToEnd();
        EXPECT_NE(code, 0);
        EXPECT_EQ(errors.count("Tolva: "), 1) << errors.toStdString();
        EXPECT_TRUE(errors.contains(c.advice)) << errors.toStdString();
        EXPECT_TRUE(errors.contains(c.left)) << errors.toStdString();
        EXPECT_FALSE(errors.contains("is missing or cannot be read")) << errors.toStdString();
        EXPECT_FALSE(errors.contains(data + " was written by a newer")) << errors.toStdString();
        EXPECT_EQ(errors.contains("rename"), c.copy == good || (c.copy == newer && c.data == damaged))
            << errors.toStdString();
        EXPECT_EQ(Contents("tolva.rdf"), c.data);
        EXPECT_EQ(Contents("tolva.rd0"), c.copy);
    }
}

namespace {

// The descriptors this process was started with, as "0 1 2".
std::string OpenDescriptors()
{
    std::vector<int> fds;
    if (DIR* dir = ::opendir("/proc/self/fd")) {
        while (const dirent* entry = ::readdir(dir))
            if (entry->d_name[0] != '.' && std::atoi(entry->d_name) != ::dirfd(dir))
                fds.push_back(std::atoi(entry->d_name));
        ::closedir(dir);
    }
    std::sort(fds.begin(), fds.end());
    std::string text;
    for (const int fd : fds)
        text += (text.empty() ? "" : " ") + std::to_string(fd);
    return text;
}

}  // namespace

int main(int argc, char** argv)
{
    const bool viewer = argc > 2 && std::string_view(argv[1]) == kBugReportArgument;
    const std::string startDescriptors = viewer ? OpenDescriptors() : std::string();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("TOLVA_NO_MESSAGE_BOXES", "1");
    qputenv("TOLVA_REPORT_STARTUP", "1");
    // Started as the program is after a fault, to show its report; says
    // for the tests how the report came, from the test's own folders.
    std::optional<MachineIsolation> isolation;
    if (!viewer)
        isolation.emplace();
    CAddressBookApp app(argc, argv);
    if (viewer) {
        std::fprintf(stderr, "viewer descriptors: %s\n", startDescriptors.c_str());
        struct stat st { };
        const bool file = ::lstat(argv[2], &st) == 0 && S_ISREG(st.st_mode);
        std::fprintf(stderr, "report argument: %s\nreport handed over in %s of mode %o\n", argv[2],
            file ? "a file" : "something else", unsigned(st.st_mode & 07777));
        const int code = app.InitInstance() ? 1 : 0;
        std::fprintf(
            stderr, "report file %s\n%s", ::access(argv[2], F_OK) == 0 ? "kept" : "removed", kViewerDone);
        return code;
    }
    const ModalWatchdog watchdog;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
