// Faults in a run: the report of a fault that ends it, and the exceptions
// that it survives.
#include "app/addressbookapp.h"
#include "core/errorreport.h"
#include "core/filelimit.h"
#include "core/seexception.h"
#include "mainwnd/commands.h"
#include "mainwnd/contactview.h"
#include "mainwnd/containerwnd.h"
#include "mainwnd/mainframe.h"
#include "platform/desktopmail.h"
#include "platform/profile.h"
#include "platform/programfolder.h"
#include "startuptest.h"

#include <QAction>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QShortcutEvent>
#include <QThread>
#include <QThreadPool>
#include <QTimer>
#include <QUrl>
#include <atomic>
#include <csignal>
#include <cstdlib>
#include <dlfcn.h>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

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

namespace {

volatile int g_faultSink = 0;

// Stands for a frame that unwinding cannot pass (an access the compiler gave
// no unwind entry, a library frame without unwind tables): no catch above it
// can be reached.
__attribute__((noinline, no_sanitize("address", "undefined"))) void FaultBeyondUnwinding() noexcept
{
    g_faultSink = *g_nowhere;
}

__attribute__((noinline, no_sanitize("address", "undefined"))) void FaultOnThisThread()
{
    g_faultSink = *g_nowhere;
}

// The desktop's mail program, faulting as it is handed the link (without
// "xdg-email", links go to the desktop's handler).
class FaultingMailer : public QObject {
    Q_OBJECT
public:
    FaultingMailer()
    {
        SetMailProgramForTesting(&m_none);
        QDesktopServices::setUrlHandler(QStringLiteral("mailto"), this, "Open");
    }
    ~FaultingMailer() override
    {
        QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
        SetMailProgramForTesting(nullptr);
    }
    Q_INVOKABLE void Open(const QUrl&) { FaultBeyondUnwinding(); }

private:
    const QString m_none;
};

class FatalFaultTest : public StartupTest {
protected:
    // Starts the program in a child of this process, lets it meet a fault
    // through what `meet` sets up, and returns the child's exit code (-1
    // when it did not exit). The child's standard error, and that of the
    // process it starts to show the report, is kept for ShownReport.
    int RunUntilFault(const std::function<void()>& meet)
    {
        Run earlier = Start();
        Stop(earlier);
        m_data = Contents("tolva.rdf");
        m_copy = Contents("tolva.rd0");
        if (m_errors >= 0)
            ::close(m_errors);
        m_errors = -1;
        int errors[2];
        if (::pipe2(errors, O_CLOEXEC) != 0)
            return -1;
        const pid_t child = ::fork();
        if (child == 0) {
            ::dup2(errors[1], 2);
            // A descriptor the run holds without close-on-exec, as a
            // library's may be: the process that shows the report must not
            // get it.
            [[maybe_unused]] const int held = ::open("/dev/null", O_RDONLY);
            // Messages as the program shows them without windows: on standard error.
            SetMessageSink(nullptr);
            int code = 10;
            if (TheApp()->InitInstance()) {
                DataMan& dm = TheApp()->GetDataMan();
                dm.SetAlphabetFilter(kFilterAll);
                auto contact = std::make_unique<Contact>();
                contact->m_strName = "Unsaved";
                contact->m_emails = {{1, "unsaved@example.org"}};
                dm.AddContact(std::move(contact), dm.GetRootBook());
                meet();
                QCoreApplication::exec();
                code = 11;
            }
            std::_Exit(code);
        }
        ::close(errors[1]);
        m_errors = errors[0];
        return child < 0 ? -1 : WaitForExit(child);
    }

    // A run that hangs instead of ending is killed after a generous while
    // and counts as not having exited.
    static int WaitForExit(pid_t child)
    {
        int status = 0;
        for (int waited = 0; waited < 600; ++waited) {
            const pid_t done = ::waitpid(child, &status, WNOHANG);
            if (done != 0)
                return done == child && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            ::usleep(50000);
        }
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
        return -1;
    }

    void TearDown() override
    {
        if (m_errors >= 0)
            ::close(m_errors);
        StartupTest::TearDown();
    }

    // What the child and the process it started to show the report wrote,
    // once that process is done (or after ten seconds).
    QByteArray ShownReport()
    {
        QByteArray text;
        for (int waited = 0; waited < 10000 && !text.contains(kViewerDone);) {
            pollfd p{m_errors, POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0) {
                waited += 100;
                continue;
            }
            char buffer[4096];
            const ssize_t n = ::read(m_errors, buffer, sizeof buffer);
            if (n <= 0)
                break;
            text.append(buffer, n);
        }
        return text;
    }

    void ExpectReportedAndNothingSaved()
    {
        const QByteArray log = Contents(kErrorLogName);
        EXPECT_TRUE(log.contains("Exception ACCESS_VIOLATION (0xc0000005)")) << log.toStdString();
        EXPECT_TRUE(log.contains("trying to read address 0x00000000.\r\n"));
        EXPECT_TRUE(log.contains("Stack Trace:\r\n"));
        EXPECT_TRUE(log.endsWith(std::string(49, '=').append("\r\n\r\n\r\n").c_str()));
        EXPECT_FALSE(QFileInfo(ProgramPath(kErrorLogName)).permissions()
            & (QFileDevice::ReadGroup | QFileDevice::ReadOther));
        const QByteArray shown = ShownReport();
        EXPECT_TRUE(shown.contains("Tolva: Exception ACCESS_VIOLATION (0xc0000005)")) << shown.toStdString();
        EXPECT_FALSE(shown.contains("terminate called"));
        ExpectHandedOverPrivately(shown);
        EXPECT_EQ(Contents("tolva.rdf"), m_data);
        EXPECT_EQ(Contents("tolva.rd0"), m_copy);
    }

    // Every local user can read a process's command line: the report goes
    // to the viewer in a file of the user's own, which is gone once read.
    static void ExpectHandedOverPrivately(const QByteArray& shown)
    {
        EXPECT_TRUE(shown.contains("report handed over in a file of mode 600\n")) << shown.toStdString();
        EXPECT_TRUE(shown.contains("report file removed\n")) << shown.toStdString();
        EXPECT_TRUE(shown.contains("viewer descriptors: 0 1 2\n")) << shown.toStdString();
        const qsizetype argument = shown.indexOf("report argument: ");
        ASSERT_GE(argument, 0);
        EXPECT_FALSE(shown.mid(argument, shown.indexOf('\n', argument) - argument).contains("Exception"));
    }

    QByteArray m_data;
    QByteArray m_copy;
    int m_errors = -1;
};

}  // namespace

TEST_F(FatalFaultTest, FaultInAContactCommandThatCannotBeUnwoundIsReported)
{
    FaultingMailer mailer;
    const int code = RunUntilFault([] {
        CMainFrame* frame = TheApp()->GetMainFrame();
        CContainerWnd* container = frame->GetContainer();
        container->RefreshGrid();
        DataMan& dm = TheApp()->GetDataMan();
        Contact* unsaved[] = {dm.GetContactAt(dm.GetContactCount() - 1)};
        container->Grid().SelectContacts(unsaved);
        frame->UpdateAllCommands();
        QAction* send = frame->findChild<QAction*>(CommandObjectName(ID_CONTACT_SENDMAIL));
        if (!send || !send->isEnabled())
            std::_Exit(12);
        QTimer::singleShot(0, send, &QAction::trigger);
    });
    EXPECT_EQ(code, kFaultExitCode);
    ExpectReportedAndNothingSaved();
}

TEST_F(FatalFaultTest, WithNoSpaceLeftTheFailureToLogIsShown)
{
    const int code = RunUntilFault([] {
        static FileSizeLimit full(0);
        static Faulty target;
        QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
    });
    EXPECT_EQ(code, kFaultExitCode);
    EXPECT_FALSE(QFile::exists(ProgramPath(kErrorLogName)));
    const QByteArray shown = ShownReport();
    EXPECT_TRUE(shown.contains("Tolva: Exception ACCESS_VIOLATION (0xc0000005)")) << shown.toStdString();
    EXPECT_TRUE(shown.contains("The report could not be written to the error log")) << shown.toStdString();
}

TEST_F(FatalFaultTest, WithNoSpaceLeftAFatalReportReachesItsViewerThroughAPipeAlone)
{
    const int code = RunUntilFault([] {
        static FileSizeLimit full(0);
        QThread::create(&FaultOnThisThread)->start();
    });
    EXPECT_EQ(code, kFaultExitCode);
    const QByteArray shown = ShownReport();
    EXPECT_TRUE(shown.contains("Tolva: Exception ACCESS_VIOLATION (0xc0000005)")) << shown.toStdString();
    // The pipe is descriptor 3; nothing else of the run that faulted is there.
    EXPECT_TRUE(shown.contains("report argument: /dev/fd/3\n")) << shown.toStdString();
    EXPECT_TRUE(shown.contains("viewer descriptors: 0 1 2 3\n")) << shown.toStdString();
}

TEST_F(FatalFaultTest, FaultInAHandlerWithNothingToCatchItIsReported)
{
    // Qt's thread calls the handler; no handler of the program's is above it.
    const int code = RunUntilFault([] { QThread::create(&FaultOnThisThread)->start(); });
    EXPECT_EQ(code, kFaultExitCode);
    ExpectReportedAndNothingSaved();

    // The program is loaded at a different address each run: the report
    // says where, so that its addresses lead back to the code. The child
    // was forked from this process, so the address is this one's.
    Dl_info module{};
    ASSERT_NE(::dladdr(reinterpret_cast<void*>(&FaultOnThisThread), &module), 0);
    const auto base = reinterpret_cast<uintptr_t>(module.dli_fbase);
    const QByteArray log = Contents(kErrorLogName);
    EXPECT_TRUE(
        log.contains(QStringLiteral("Load address:\t%1\r\n").arg(base, 16, 16, QLatin1Char('0')).toLatin1()))
        << log.toStdString();
    const qsizetype at = log.indexOf("Exception address:\t");
    ASSERT_GE(at, 0);
    const uintptr_t address = log.mid(at + 19, 16).toULongLong(nullptr, 16);
    const auto function = reinterpret_cast<uintptr_t>(&FaultOnThisThread);
    EXPECT_GE(address, function);
    EXPECT_LT(address, function + 64);
}

namespace {

volatile int g_depthLimit = -1;  // never reached: the stack runs out first

__attribute__((noinline, no_sanitize("address", "undefined"))) int Recurse(int depth)
{
    volatile char frame[256];
    frame[0] = char(depth);
    if (depth == g_depthLimit)
        return 0;
    return Recurse(depth + 1) + frame[0];
}

void* volatile g_allocated = nullptr;

#if defined(__SANITIZE_ADDRESS__)
extern "C" int __sanitizer_install_malloc_and_free_hooks(
    void (*)(const volatile void*, size_t), void (*)(const volatile void*));
std::atomic<bool> g_heapStuck{false};
void WaitWhileStuck()
{
    while (g_heapStuck)
        ::pause();
}
#endif

// A write after free that damages the heap so that the next allocation
// faults inside the allocator, which then holds its lock for ever.
__attribute__((noinline, no_sanitize("address", "undefined"))) void FaultInsideTheAllocator()
{
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizer's allocator checks its books instead of faulting on
    // them: here every allocation after the fault waits for ever, as it
    // does behind a lock that the faulting thread holds.
    __sanitizer_install_malloc_and_free_hooks([](const volatile void*, size_t) { WaitWhileStuck(); },
        [](const volatile void*) { WaitWhileStuck(); });
    g_heapStuck = true;
    g_faultSink = *g_nowhere;
#else
    // A block too big for the per-thread caches goes to the heap's shared
    // list of free blocks, and is linked into it, unless it lay at the top
    // of the heap and merged into that: then another is tried, with the
    // neighbour kept in use this time.
    static void* volatile kept[16];
    for (void* volatile& neighbour : kept) {
        void* volatile* volatile block = static_cast<void* volatile*>(std::malloc(4000));
        neighbour = std::malloc(4000);
        block[1] = nullptr;
        std::free(const_cast<void**>(block));
        if (block[1] != nullptr) {
            // Its link to the previous free block, overwritten: the next
            // large allocation follows it with the heap's lock held.
            block[1] = reinterpret_cast<void*>(0x10);
            g_allocated = std::malloc(8000);
            return;
        }
    }
#endif
}

class FaultingInTheAllocator : public QObject {
public:
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::User)
            FaultInsideTheAllocator();
        return QObject::event(e);
    }
};

// A report that meets a fault of its own, as it may in a damaged process.
__attribute__((noinline, no_sanitize("address", "undefined"))) void FaultingReport(const CSeException&)
{
    g_faultSink = *g_nowhere;
}

}  // namespace

TEST_F(FatalFaultTest, FaultWhileTheHeapIsLockedIsStillReported)
{
    const int code = RunUntilFault([] {
        static FaultingInTheAllocator target;
        QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
    });
    EXPECT_EQ(code, kFaultExitCode);
    const QByteArray log = Contents(kErrorLogName);
    EXPECT_TRUE(log.contains("Exception ACCESS_VIOLATION (0xc0000005)")) << log.toStdString();
    EXPECT_TRUE(log.contains("Stack Trace:\r\n"));
    EXPECT_TRUE(log.endsWith(std::string(49, '=').append("\r\n\r\n\r\n").c_str()));
    const QByteArray shown = ShownReport();
    EXPECT_TRUE(shown.contains("Tolva: Exception ACCESS_VIOLATION (0xc0000005)")) << shown.toStdString();
    ExpectHandedOverPrivately(shown);
    EXPECT_EQ(Contents("tolva.rdf"), m_data);
}

TEST_F(FatalFaultTest, StackOverflowOnAnyThreadIsReported)
{
    const std::function<void()> overflows[] = {
        // A pool of its own: the global one's threads, started by earlier
        // tests, stayed behind in the parent.
        [] { (new QThreadPool)->start([] { Recurse(0); }); },
        [] { std::thread([] { Recurse(0); }).detach(); },
    };
    for (const auto& overflow : overflows) {
        QFile::remove(ProgramPath(kErrorLogName));
        EXPECT_EQ(RunUntilFault(overflow), kFaultExitCode);
        const QByteArray log = Contents(kErrorLogName);
        EXPECT_TRUE(log.contains("Exception STACK_OVERFLOW (0xc00000fd)")) << log.toStdString();
        const QByteArray shown = ShownReport();
        EXPECT_TRUE(shown.contains("Tolva: Exception STACK_OVERFLOW (0xc00000fd)")) << shown.toStdString();
    }
}

TEST_F(FatalFaultTest, FaultWhileTheReportIsWrittenLeavesItsFirstLinesInTheLog)
{
    const int code = RunUntilFault([] {
        InstallSeTranslator(&FaultingReport);
        QThread::create(&FaultOnThisThread)->start();
    });
    EXPECT_EQ(code, kFaultExitCode);
    const QByteArray log = Contents(kErrorLogName);
    EXPECT_TRUE(log.contains(" UTC\r\nException ACCESS_VIOLATION (0xc0000005) at address 0x"))
        << log.toStdString();
    EXPECT_TRUE(log.contains("trying to read address 0x00000000.\r\n"));
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

#include "test_faultreport.moc"
