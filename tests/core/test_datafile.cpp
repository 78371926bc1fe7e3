#include "core/datafile.h"
#include "core/utilities.h"
#include "platform/syserror.h"
#include "samples.h"
#include "support/testenv.h"

#include <QDir>
#include <QFile>
#include <csignal>
#include <sys/resource.h>

namespace {

// Makes every file write past the limit fail, as on a full disk; works for
// any user, where a read-only folder does not stop root.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_previous);
        rlimit limit = m_previous;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_previous); }

private:
    rlimit m_previous{};
};

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
        QFile::remove(ProgramPath("tolva.rdf"));
        if (leftEmpty)
            Put("tolva.rdf", "");
        Put("tolva.rd0", "copy");
        CDataFile file;
        ASSERT_EQ(0u, file.Open());
        EXPECT_EQ(DFF_DATA_EXISTED, file.GetFlags() & (DFF_DATA_EXISTED | DFF_DATA_CREATED));
        EXPECT_EQ("copy", Contents("tolva.rdf"));
        char bytes[4];
        EXPECT_EQ(0u, file.Read(DFK_DATA, bytes, 4));
        EXPECT_EQ(RC_SHORT_READ, file.Read(DFK_DATA, bytes, 1));
    }
    // Without a copy an empty data file counts as created.
    QFile::remove(ProgramPath("tolva.rd0"));
    Put("tolva.rdf", "");
    CDataFile file;
    ASSERT_EQ(0u, file.Open());
    EXPECT_EQ(DFF_DATA_CREATED, file.GetFlags() & (DFF_DATA_EXISTED | DFF_DATA_CREATED));
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

    // A restore that fails gives an empty data file; its save must not
    // replace the copy that still holds the data.
    QFile::remove(ProgramPath("tolva.rdf"));
    QFile::remove(ProgramPath("backup/tolva.rd0"));
    Put("tolva.rd0", QByteArray(64 * 1024, 'c'));
    CDataFile file;
    {
        FileSizeLimit limit(1024);
        ASSERT_EQ(0u, file.Open());
    }
    EXPECT_EQ(DFF_DATA_CREATED, file.GetFlags() & (DFF_DATA_EXISTED | DFF_DATA_CREATED));
    EXPECT_EQ(0u, Save(file, "built-in books"));
    file.SetDataLoaded(true);
    file.Close();
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
    ASSERT_EQ(1u, m_messages.shown.size());
    EXPECT_NE(std::string::npos, m_messages.shown[0].text.find("tolva.rdf"));
    first.Close();

    QFile::remove(ProgramPath("tolva.ndf"));
    QDir().mkpath(ProgramPath("tolva.ndf"));
    EXPECT_EQ(ERROR_ACCESS_DENIED, second.Open());
    EXPECT_EQ(2u, m_messages.shown.size());
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
    EXPECT_EQ(0u, file.WriteString(DFK_MEMORY, std::string("ab\0cd", 5)));
    const QByteArray block = file.DetachMemory();
    EXPECT_EQ(QByteArray("\x01\0\0\0\0\x06\0\0\0ab\0cd\0", 15), block);

    file.AttachMemory(block);
    EXPECT_EQ(0u, file.ReadString(DFK_MEMORY, text));
    EXPECT_EQ("", text);
    EXPECT_EQ(0u, file.ReadString(DFK_MEMORY, text));
    EXPECT_EQ("ab", text);
    EXPECT_EQ(RC_SHORT_READ, file.Read(DFK_MEMORY, &byte, 1));

    file.AttachMemory(QByteArray("\0\0\0\0", 4));
    EXPECT_EQ(0u, file.ReadString(DFK_MEMORY, text));
    EXPECT_EQ("", text);
    file.AttachMemory(QByteArray("\xf0\xff\xff\xff"
                                 "abc",
        7));
    EXPECT_EQ(RC_SHORT_READ, file.ReadString(DFK_MEMORY, text));
}

}  // namespace
