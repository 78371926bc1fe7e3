// The program as the user starts it: a real process in temporary program
// and settings folders, on the offscreen platform, with message boxes
// answered at once and written to standard error.
#include "app/addressbookapp.h"
#include "core/errorreport.h"
#include "core/seexception.h"
#include "platform/profile.h"
#include "platform/programfolder.h"
#include "support/testenv.h"

#include <QFile>
#include <QProcess>
#include <QShortcutEvent>
#include <csignal>
#include <cstdlib>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class StartupTest : public TolvaTest {
protected:
    void SetUp() override
    {
        TolvaTest::SetUp();
        const QString runtime = m_dir->filePath(QStringLiteral("runtime"));
        QDir().mkpath(runtime);
        QFile::setPermissions(
            runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
    }

    struct Run {
        std::unique_ptr<QProcess> process = std::make_unique<QProcess>();
        QByteArray firstLine;
    };

    // Starts the program and waits until it reports that start-up ended.
    Run Start(const QStringList& args = {})
    {
        Run run;
        run.process->start(QStringLiteral(TOLVA_BINARY), args);
        EXPECT_TRUE(run.process->waitForStarted(10000));
        while (!run.process->canReadLine() && run.process->state() == QProcess::Running)
            run.process->waitForReadyRead(200);
        run.firstLine = run.process->readLine().trimmed();
        return run;
    }

    static QByteArray FileBytes(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    static int Stop(Run& run)
    {
        ::kill(pid_t(run.process->processId()), SIGTERM);
        EXPECT_TRUE(run.process->waitForFinished(20000));
        return run.process->exitCode();
    }

    // Runs the program to its end: for starts that are meant to fail.
    static std::pair<int, QByteArray> RunToEnd(const QStringList& args = {})
    {
        QProcess p;
        p.start(QStringLiteral(TOLVA_BINARY), args);
        EXPECT_TRUE(p.waitForFinished(20000));
        return {p.exitCode(), p.readAllStandardError()};
    }
};

}  // namespace

TEST_F(StartupTest, FirstStartMakesTheFilesAndSigtermSavesEverything)
{
    Run run = Start();
    EXPECT_EQ(run.firstLine, "started shown=1 contacts=0 run=0");
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

namespace {

int* volatile g_nowhere = nullptr;

class Faulty : public QObject {
public:
    int handled = 0;
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::User)
            return Fault();
        if (e->type() == QEvent::User + 2)
            throw std::bad_alloc();
        if (e->type() == QEvent::User + 3 || e->type() == QEvent::Shortcut)
            throw std::runtime_error("failed");
        ++handled;
        return QObject::event(e);
    }

private:
    __attribute__((noinline, no_sanitize("address", "undefined"))) bool Fault() { return *g_nowhere != 0; }
};

}  // namespace

TEST_F(StartupTest, ProcessorFaultEndsTheRunWithoutSaving)
{
    Run earlier = Start();
    Stop(earlier);
    const QByteArray data = Contents("tolva.rdf");
    const QByteArray copy = Contents("tolva.rd0");
    const QByteArray side = Contents("tolva.ndf");
    Profile::Reopen();
    const QByteArray settings = FileBytes(Profile::FilePath());

    // The program starts in a child of this process, changes its store in
    // memory and meets a fault in an event handler.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        int code = 10;
        if (TheApp()->InitInstance()) {
            auto contact = std::make_unique<Contact>();
            contact->m_strName = "Unsaved";
            DataMan& dm = TheApp()->GetDataMan();
            dm.AddContact(std::move(contact), dm.GetRootBook());
            Faulty target;
            QEvent fault(QEvent::User);
            QCoreApplication::sendEvent(&target, &fault);
            code = 11;
        }
        std::_Exit(code);
    }
    int status = 0;
    ASSERT_EQ(child, ::waitpid(child, &status, 0));
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(kFaultExitCode, WEXITSTATUS(status));

    const QByteArray log = Contents(kErrorLogName);
    EXPECT_TRUE(log.contains("Exception ACCESS_VIOLATION (0xc0000005)")) << log.toStdString();
    EXPECT_TRUE(log.contains("trying to read address 0x00000000."));
    // Nothing saved, the copy left alone, no setting written.
    EXPECT_EQ(Contents("tolva.rdf"), data);
    EXPECT_EQ(Contents("tolva.rd0"), copy);
    EXPECT_EQ(Contents("tolva.ndf"), side);
    EXPECT_EQ(FileBytes(Profile::FilePath()), settings);
    // The next run starts from what was saved.
    Run next = Start();
    EXPECT_EQ(next.firstLine, "started shown=1 contacts=0 run=1");
    Stop(next);
}

TEST_F(StartupTest, OtherExceptionsInHandlersAreReportedAndTheRunGoesOn)
{
    Faulty target;
    QEvent noMemory(QEvent::Type(QEvent::User + 2));
    EXPECT_FALSE(QCoreApplication::sendEvent(&target, &noMemory));
    ASSERT_EQ(m_messages.shown.size(), 1u);
    EXPECT_EQ(m_messages.shown[0].text, "Out of memory.");

    // A menu or accelerator command failed; any other handler failed.
    QShortcutEvent accelerator(QKeySequence(Qt::CTRL | Qt::Key_N), 1);
    EXPECT_FALSE(QCoreApplication::sendEvent(&target, &accelerator));
    QEvent other(QEvent::Type(QEvent::User + 3));
    EXPECT_FALSE(QCoreApplication::sendEvent(&target, &other));
    ASSERT_EQ(m_messages.shown.size(), 3u);
    EXPECT_EQ(m_messages.shown[1].text, "Command failed.");
    EXPECT_EQ(m_messages.shown[2].text, "Internal application error.");

    QEvent after(QEvent::Type(QEvent::User + 1));
    QCoreApplication::sendEvent(&target, &after);
    EXPECT_EQ(target.handled, 1);
}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("TOLVA_NO_MESSAGE_BOXES", "1");
    qputenv("TOLVA_REPORT_STARTUP", "1");
    CAddressBookApp app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
