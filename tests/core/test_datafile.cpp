#include "core/datafile.h"
#include "core/utilities.h"
#include "filelimit.h"
#include "platform/programfolder.h"
#include "platform/syserror.h"
#include "samples.h"
#include "support/testenv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class DataFileTest : public TolvaTest {
protected:
    // A save as DataMan makes it.
    u32 Save(CDataFile& file, const QByteArray& bytes, DataFileKind kind = DFK_DATA)
    {
        u32 error = file.Rewind(kind);
        if (!error)
            error = file.Write(kind, bytes.constData(), u32(bytes.size()));
        if (!error)
            error = file.SetEnd(kind);
        return error ? error : file.Flush(kind);
    }
    QStringList Leftovers() const { return QDir(ProgramPath("")).entryList({"*.tmp"}, QDir::Files); }
};

TEST_F(DataFileTest, FirstStartCreatesBothFilesEmpty)
{
    CDataFile file;
    ASSERT_EQ(0u, file.Open());
    EXPECT_EQ(DFF_DATA_CREATED | DFF_NONDATA_CREATED, file.GetFlags());
    EXPECT_EQ(QByteArray(), Contents("tolva.rdf"));
    EXPECT_EQ(QByteArray(), Contents("tolva.ndf"));
    EXPECT_EQ(0u, Save(file, "saved"));
    file.SetDataLoaded(true);
    file.Close();
    EXPECT_EQ(0u, file.GetFlags());
    EXPECT_EQ("saved", Contents("tolva.rd0"));
    EXPECT_TRUE(m_messages.shown.empty());
}

TEST_F(DataFileTest, MissingOrEmptyDataFileIsRestoredFromTheCopy)
{
    for (bool leftEmpty : {false, true}) {
        SCOPED_TRACE(leftEmpty);
        QFile::remove(ProgramPath("tolva.rdf"));
        if (leftEmpty)
            Put("tolva.rdf", "");
        const QByteArray before = Contents("tolva.rdf");
        Put("tolva.rd0", "copy");
        CDataFile file;
        ASSERT_EQ(0u, file.Open());
        EXPECT_EQ(DFF_DATA_EXISTED, file.GetFlags() & (DFF_DATA_EXISTED | DFF_DATA_CREATED));
        EXPECT_TRUE(file.ReadFromCopy());
        char bytes[4];
        EXPECT_EQ(0u, file.Read(DFK_DATA, bytes, 4));
        EXPECT_EQ("copy", QByteArray(bytes, 4));
        EXPECT_EQ(RC_SHORT_READ, file.Read(DFK_DATA, bytes, 1));
        // The copy is read in the data file's place: the data file is left
        // as it was until the first save, which a copy that does not read
        // never gets to.
        EXPECT_EQ(before, Contents("tolva.rdf"));
        EXPECT_EQ(0u, Save(file, "restored"));
        EXPECT_EQ("restored", Contents("tolva.rdf"));
        EXPECT_EQ("copy", Contents("tolva.rd0"));
        file.SetDataLoaded(true);
        file.Close();
        EXPECT_EQ("restored", Contents("tolva.rd0"));
    }
    // Without a copy an empty data file counts as created.
    QFile::remove(ProgramPath("tolva.rd0"));
    Put("tolva.rdf", "");
    CDataFile file;
    ASSERT_EQ(0u, file.Open());
    EXPECT_EQ(DFF_DATA_CREATED, file.GetFlags() & (DFF_DATA_EXISTED | DFF_DATA_CREATED));
    EXPECT_FALSE(file.ReadFromCopy());
}

TEST_F(DataFileTest, CopyIsKeptAndBackedUpUnlessTheDataLoadedAndSaved)
{
    Put("tolva.rdf", "data");
    Put("tolva.rd0", "old copy");
    {
        CDataFile file;
        ASSERT_EQ(0u, file.Open());
        EXPECT_EQ(0u, Save(file, "changed"));  // saved, but the load had failed
    }
    EXPECT_EQ("old copy", Contents("tolva.rd0"));
    EXPECT_EQ("old copy", Contents("backup/tolva.rd0"));
    {
        CDataFile file;
        ASSERT_EQ(0u, file.Open());
        file.SetDataLoaded(true);  // loaded, never saved
    }
    EXPECT_EQ("old copy", Contents("tolva.rd0"));

    // A full disk does not stop the data file's restore: the copy is read
    // in its place and nothing is written until the save.
    QFile::remove(ProgramPath("tolva.rdf"));
    QFile::remove(ProgramPath("backup/tolva.rd0"));
    Put("tolva.rd0", QByteArray(64 * 1024, 'c'));
    CDataFile file;
    {
        FileSizeLimit limit(1024);
        ASSERT_EQ(0u, file.Open());
    }
    EXPECT_EQ(DFF_DATA_EXISTED, file.GetFlags() & (DFF_DATA_EXISTED | DFF_DATA_CREATED));
    EXPECT_EQ(RC_SHORT_READ, file.CheckAvailable(DFK_DATA, 64 * 1024 + 1));
    EXPECT_EQ(0u, file.CheckAvailable(DFK_DATA, 64 * 1024));
    file.Close();
    EXPECT_EQ("<missing>", Contents("tolva.rdf"));
    EXPECT_EQ(64 * 1024, Contents("tolva.rd0").size());
    EXPECT_EQ(64 * 1024, Contents("backup/tolva.rd0").size());
    EXPECT_TRUE(Leftovers().isEmpty());
}

TEST_F(DataFileTest, FailedSaveLosesNothing)
{
    Put("tolva.rd0", "copy");
    CDataFile file;
    ASSERT_EQ(0u, file.Open());
    ASSERT_EQ(0u, Save(file, "first version"));

    // Until the save is finished the file and its reads stay as they were.
    ASSERT_EQ(0u, file.Rewind(DFK_DATA));
    ASSERT_EQ(0u, file.Write(DFK_DATA, "xyz", 3));
    EXPECT_EQ("first version", Contents("tolva.rdf"));
    char five[5];
    ASSERT_EQ(0u, file.Read(DFK_DATA, five, 5));
    EXPECT_EQ("first", QByteArray(five, 5));

    const QByteArray big(1024 * 1024, 'b');
    for (u32 limit : {0u, 100u, 300u * 1024}) {
        SCOPED_TRACE(limit);
        FileSizeLimit fail(limit);
        EXPECT_NE(0u, Save(file, big));
        EXPECT_EQ("first version", Contents("tolva.rdf"));
        EXPECT_TRUE(Leftovers().isEmpty());
    }
    // A write that failed cannot be finished by a later step.
    {
        FileSizeLimit fail(100);
        file.Rewind(DFK_DATA);
        file.Write(DFK_DATA, big.constData(), u32(big.size()));
    }
    EXPECT_NE(0u, file.SetEnd(DFK_DATA));
    EXPECT_EQ("first version", Contents("tolva.rdf"));

    file.SetDataLoaded(true);
    file.Close();  // the last save failed: the copy stays
    EXPECT_EQ("copy", Contents("tolva.rd0"));
    EXPECT_TRUE(Leftovers().isEmpty());
}

TEST_F(DataFileTest, OpenReportsFilesItCannotHave)
{
    CDataFile first;
    ASSERT_EQ(0u, first.Open());
    CDataFile second;
    EXPECT_EQ(ERROR_SHARING_VIOLATION, second.Open());
    EXPECT_TRUE(second.IsLockedOut());
    ASSERT_EQ(1u, m_messages.shown.size());
    EXPECT_EQ("Another Tolva is using the data folder \"" + ProgramFolder::Path().toStdString()
            + "\". Switch to the window of that Tolva to work with your contacts.",
        m_messages.shown[0].text);
    first.Close();

    // Each reason in its own words.
    QFile::remove(ProgramPath("tolva.ndf"));
    QDir().mkpath(ProgramPath("tolva.ndf"));
    EXPECT_EQ(ERROR_DIRECTORY, second.Open());
    ASSERT_EQ(2u, m_messages.shown.size());
    EXPECT_NE(std::string::npos, m_messages.shown[1].text.find("a folder, not of a file"))
        << m_messages.shown[1].text;
    QDir(ProgramPath("tolva.ndf")).removeRecursively();
    ASSERT_EQ(0, ::symlink("tolva.ndf", ProgramPath("tolva.ndf").toLocal8Bit().constData()));
    EXPECT_EQ(ERROR_CANT_RESOLVE_FILENAME, second.Open());
    ASSERT_EQ(3u, m_messages.shown.size());
    EXPECT_NE(std::string::npos, m_messages.shown[2].text.find("loop")) << m_messages.shown[2].text;

    // A link that leads nowhere is reported and kept, not replaced by the copy.
    second.Close();
    QFile::remove(ProgramPath("tolva.ndf"));
    QFile::remove(ProgramPath("tolva.rdf"));
    Put("tolva.rd0", "copy");
    ASSERT_EQ(0, ::symlink("gone/tolva.rdf", ProgramPath("tolva.rdf").toLocal8Bit().constData()));
    EXPECT_EQ(ERROR_CANT_ACCESS_FILE, second.Open());
    ASSERT_EQ(4u, m_messages.shown.size());
    EXPECT_NE(std::string::npos, m_messages.shown[3].text.find("does not exist")) << m_messages.shown[3].text;
    EXPECT_EQ("gone/tolva.rdf", QFile::symLinkTarget(ProgramPath("tolva.rdf")).section('/', -2));
}

TEST_F(DataFileTest, SymbolicLinksAreSavedThroughAndKept)
{
    // The data file and its copy live in a folder the user synchronises.
    const QString synced = m_dir->filePath(QStringLiteral("synced"));
    QDir().mkpath(synced);
    for (const char* name : {"tolva.rdf", "tolva.rd0"}) {
        QFile::remove(ProgramPath(name));
        QFile target(synced + '/' + name);
        ASSERT_TRUE(target.open(QIODevice::WriteOnly));
        target.write("old");
        target.close();
        ASSERT_TRUE(QFile::link(target.fileName(), ProgramPath(name)));
    }
    CDataFile file;
    ASSERT_EQ(0u, file.Open());
    ASSERT_EQ(0u, Save(file, "new version"));
    file.SetDataLoaded(true);
    file.Close();
    for (const char* name : {"tolva.rdf", "tolva.rd0"}) {
        EXPECT_TRUE(QFileInfo(ProgramPath(name)).isSymLink()) << name;
        QFile target(synced + '/' + name);
        ASSERT_TRUE(target.open(QIODevice::ReadOnly));
        EXPECT_EQ("new version", target.readAll()) << name;
    }
    EXPECT_TRUE(Leftovers().isEmpty());
    EXPECT_TRUE(QDir(synced).entryList({"*.tmp"}, QDir::Files).isEmpty());
    EXPECT_TRUE(m_messages.shown.empty());
}

TEST_F(DataFileTest, LeftoversOfKilledSavesAreRemovedOnceTheFolderIsLocked)
{
    QDir().mkpath(ProgramPath("backup"));
    const char* leftovers[] = {"tolva.rdf.tolva-save-4711-3.tmp", "backup/tolva.rd0.tolva-save-12-1.tmp"};
    const char* others[] = {"notes.tmp", "tolva.rdf.tolva-save-.tmp", "tolva.rdf.tolva-save-1-2.tmp.keep"};
    for (const char* name : leftovers)
        Put(name, "half a save");
    for (const char* name : others)
        Put(name, "not ours");

    CDataFile first;
    ASSERT_EQ(0u, first.Open());
    for (const char* name : leftovers)
        EXPECT_FALSE(QFile::exists(ProgramPath(name))) << name;
    for (const char* name : others)
        EXPECT_TRUE(QFile::exists(ProgramPath(name))) << name;

    // A run that finds the folder locked touches none: the running one may
    // be writing it.
    Put(leftovers[0], "a save in progress");
    CDataFile second;
    EXPECT_EQ(ERROR_SHARING_VIOLATION, second.Open());
    EXPECT_TRUE(QFile::exists(ProgramPath(leftovers[0])));
}

TEST_F(DataFileTest, LeftoversOfSavesThroughLinksAreRemovedBesideTheirTargets)
{
    const QString synced = m_dir->filePath(QStringLiteral("synced"));
    QDir().mkpath(synced);
    for (const char* name : {"tolva.rdf", "tolva.ndf", "tolva.rd0"}) {
        QFile target(synced + "/mine-" + name);
        ASSERT_TRUE(target.open(QIODevice::WriteOnly));
        target.close();
        ASSERT_TRUE(QFile::link(target.fileName(), ProgramPath(name)));
    }
    const QStringList ours = {"mine-tolva.rdf.tolva-save-4711-3.tmp", "mine-tolva.ndf.tolva-save-4711-4.tmp",
        "mine-tolva.rd0.tolva-save-12-1.tmp"};
    // The folder is the user's: what another program (or another store)
    // left there stays.
    const QStringList others
        = {"notes.tmp", "other.rdf.tolva-save-1-1.tmp", "mine-tolva.rdf.tolva-save-x.tmp"};
    for (const QString& name : ours + others) {
        QFile file(synced + '/' + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("half a save");
    }
    CDataFile file;
    ASSERT_EQ(0u, file.Open());
    for (const QString& name : ours)
        EXPECT_FALSE(QFile::exists(synced + '/' + name)) << name.toStdString();
    for (const QString& name : others)
        EXPECT_TRUE(QFile::exists(synced + '/' + name)) << name.toStdString();
}

TEST_F(DataFileTest, NewFilesArePrivateAndCopiesTakeTheModeOfWhatTheyCopy)
{
    const mode_t previous = ::umask(022);
    const auto mode = [this](const char* name) {
        struct stat st { };
        ::stat(ProgramPath(name).toLocal8Bit().constData(), &st);
        return st.st_mode & 07777;
    };
    {
        CDataFile file;
        ASSERT_EQ(0u, file.Open());
        EXPECT_EQ(0600u, mode("tolva.rdf"));
        EXPECT_EQ(0600u, mode("tolva.ndf"));
        EXPECT_EQ(0u, Save(file, "saved"));
        file.SetDataLoaded(true);
    }
    EXPECT_EQ(0600u, mode("tolva.rdf"));
    EXPECT_EQ(0600u, mode("tolva.rd0"));

    // The user shares the data file with a group: the copy follows it.
    ASSERT_EQ(0, ::chmod(ProgramPath("tolva.rdf").toLocal8Bit().constData(), 0640));
    {
        CDataFile file;
        ASSERT_EQ(0u, file.Open());
        EXPECT_EQ(0u, Save(file, "saved again"));
        file.SetDataLoaded(true);
    }
    EXPECT_EQ(0640u, mode("tolva.rdf"));
    EXPECT_EQ(0640u, mode("tolva.rd0"));

    // A run whose data did not load keeps the copy and backs it up.
    ASSERT_EQ(0, ::chmod(ProgramPath("tolva.rd0").toLocal8Bit().constData(), 0600));
    {
        CDataFile file;
        ASSERT_EQ(0u, file.Open());
    }
    EXPECT_EQ("saved", Contents("backup/tolva.rd0").left(5));
    EXPECT_EQ(0700u, mode("backup"));
    EXPECT_EQ(0600u, mode("backup/tolva.rd0"));
    ::umask(previous);
    EXPECT_TRUE(m_messages.shown.empty());
}

TEST_F(DataFileTest, FailedCopiesNameTheFileSayWhatIsSafeAndAreLogged)
{
    const QByteArray data(4096, 'd');
    {
        CDataFile file;
        ASSERT_EQ(0u, file.Open());
        EXPECT_EQ(0u, Save(file, data));
        file.SetDataLoaded(true);
        FileSizeLimit full(1024);  // room for the log's note, not for the copy
        file.Close();
    }
    EXPECT_EQ(data, Contents("tolva.rdf"));
    EXPECT_EQ("<missing>", Contents("tolva.rd0"));
    ASSERT_EQ(1u, m_messages.shown.size());
    const std::string copy = ProgramPath("tolva.rd0").toStdString();
    const std::string& text = m_messages.shown[0].text;
    EXPECT_EQ(0u, text.find("\"" + copy + "\" could not be written:\n")) << text;
    EXPECT_NE(std::string::npos,
        text.find("The data file \"" + ProgramPath("tolva.rdf").toStdString() + "\" is saved."));
    EXPECT_TRUE(Contents("tolva_error.log").contains(QByteArray::fromStdString(copy))) << text;

    // The backup folder cannot be made where a file of that name is.
    Put("tolva.rd0", "copy");
    Put("backup", "not a folder");
    {
        CDataFile file;
        ASSERT_EQ(0u, file.Open());
    }
    ASSERT_EQ(2u, m_messages.shown.size());
    const std::string backup = ProgramPath("backup").toStdString();
    EXPECT_EQ(0u, m_messages.shown[1].text.find("\"" + backup + "\" could not be written:\n"))
        << m_messages.shown[1].text;
    EXPECT_NE(std::string::npos, m_messages.shown[1].text.find("are kept as they were."));
    EXPECT_EQ(2, Contents("tolva_error.log").count(" could not be written:"));
    EXPECT_EQ("copy", Contents("tolva.rd0"));
    const std::string notLogged = "This could not be noted in the error log \""
        + ProgramPath("tolva_error.log").toStdString() + "\" either.";
    EXPECT_EQ(std::string::npos, m_messages.shown[1].text.find(notLogged));

    // With no room left at all, not even the log takes the note: the
    // message says so.
    QFile::remove(ProgramPath("backup"));
    {
        CDataFile file;
        ASSERT_EQ(0u, file.Open());
        FileSizeLimit full(0);
        file.Close();
    }
    ASSERT_EQ(3u, m_messages.shown.size());
    const std::string& unlogged = m_messages.shown[2].text;
    EXPECT_EQ(0u, unlogged.find("\"" + backup + "/tolva.rd0\" could not be written:\n")) << unlogged;
    EXPECT_NE(std::string::npos, unlogged.find("are kept as they were.\n\n" + notLogged)) << unlogged;
    EXPECT_EQ(2, Contents("tolva_error.log").count(" could not be written:"));
}

TEST_F(DataFileTest, ExportFileIsReplacedOnlyWhenComplete)
{
    const std::string path = ProgramPath("book.dtv").toStdString();
    Put("book.dtv", "old export");
    CDataFile file;
    ASSERT_EQ(0u, file.OpenExtra(path, false));
    ASSERT_EQ(0u, file.WriteString(DFK_EXPORT, "TOLVAEXPFILE"));
    EXPECT_EQ("old export", Contents("book.dtv"));
    ASSERT_EQ(0u, file.CloseExtra());
    ASSERT_EQ(0u, file.OpenExtra(path, true));
    std::string tag;
    EXPECT_EQ(0u, file.ReadString(DFK_EXPORT, tag));
    EXPECT_EQ("TOLVAEXPFILE", tag);

    ASSERT_EQ(0u, file.OpenExtra(path, false));
    {
        FileSizeLimit fail(10);
        const QByteArray big(1024 * 1024, 'b');
        file.Write(DFK_EXPORT, big.constData(), u32(big.size()));
        EXPECT_NE(0u, file.CloseExtra());
    }
    EXPECT_EQ(QByteArray("\x0d\0\0\0TOLVAEXPFILE\0", 17), Contents("book.dtv"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, file.OpenExtra(ProgramPath("none.dtv").toStdString(), true));
    EXPECT_EQ(2u, m_messages.shown.size());

    EXPECT_EQ(1, CDataFile::TestOpen(path, GENERIC_WRITE, CREATE_ALWAYS));
    EXPECT_EQ(17, Contents("book.dtv").size());
    EXPECT_EQ(0, CDataFile::TestOpen(ProgramPath("no/such.dtv").toStdString(), GENERIC_WRITE, CREATE_ALWAYS));
}

TEST_F(DataFileTest, StringsAndTheMemoryChannel)
{
    CDataFile file;
    char byte;
    std::string text;
    EXPECT_EQ(RC_MISSING, file.Read(DFK_MEMORY, &byte, 1));
    EXPECT_EQ(ERROR_INVALID_HANDLE, file.Read(DataFileKind(3), &byte, 1));
    EXPECT_EQ(ERROR_INVALID_HANDLE, file.Write(DFK_DATA, &byte, 1));
    EXPECT_TRUE(file.DetachMemory().isEmpty());

    file.ResetMemory();
    EXPECT_EQ(0u, file.WriteString(DFK_MEMORY, ""));
    // A NUL inside a text is not written: it would cut the text read back.
    EXPECT_EQ(0u, file.WriteString(DFK_MEMORY, std::string("ab\0cd\0", 6)));
    const QByteArray block = file.DetachMemory();
    EXPECT_EQ(QByteArray("\x01\0\0\0\0\x05\0\0\0abcd\0", 14), block);

    file.AttachMemory(block);
    EXPECT_EQ(0u, file.ReadString(DFK_MEMORY, text));
    EXPECT_EQ("", text);
    EXPECT_EQ(0u, file.ReadString(DFK_MEMORY, text));
    EXPECT_EQ("abcd", text);
    EXPECT_EQ(RC_SHORT_READ, file.Read(DFK_MEMORY, &byte, 1));
    EXPECT_EQ(0u, file.TakeZeroLengthStrings());

    // The stored length 0 (no text has it) reads as an empty text and is
    // counted, once, for the reader's note.
    file.AttachMemory(QByteArray("\0\0\0\0\x02\0\0\0x\0", 10));
    EXPECT_EQ(0u, file.ReadString(DFK_MEMORY, text));
    EXPECT_EQ("", text);
    EXPECT_EQ(0u, file.ReadString(DFK_MEMORY, text));
    EXPECT_EQ("x", text);
    EXPECT_EQ(1u, file.TakeZeroLengthStrings());
    EXPECT_EQ(0u, file.TakeZeroLengthStrings());
    // So does one that ends a file, with no byte after it.
    Put("ends.dtv", QByteArray("\0\0\0\0", 4));
    ASSERT_EQ(0u, file.OpenExtra(ProgramPath("ends.dtv").toStdString(), true));
    text = "before";
    EXPECT_EQ(0u, file.ReadString(DFK_EXPORT, text));
    EXPECT_EQ("", text);
    file.DiscardExtra();
    file.AttachMemory(QByteArray("\xf0\xff\xff\xff"
                                 "abc",
        7));
    EXPECT_EQ(RC_SHORT_READ, file.ReadString(DFK_MEMORY, text));
}

}  // namespace
