#include "app/addressbookapp.h"

#include "app/bugreportdlg.h"
#include "app/commandhooks.h"
#include "controls/dialogmanager.h"
#include "controls/flatctrlman.h"
#include "core/errorreport.h"
#include "core/seexception.h"
#include "core/utilities.h"
#include "editing/addressformatsdlg.h"
#include "editing/editingdialogs.h"
#include "impexp/ui/iesheet.h"
#include "mainwnd/bookpane.h"
#include "mainwnd/commands.h"
#include "mainwnd/containerwnd.h"
#include "mainwnd/mainframe.h"
#include "mainwnd/printcommands.h"
#include "mainwnd/vcardfiles.h"
#include "platform/profile.h"
#include "platform/syserror.h"
#include "platform/ui/msgboxsink.h"

#include <QAbstractScrollArea>
#include <QMenu>
#include <QMenuBar>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fcntl.h>
#include <new>
#include <spawn.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr u32 IDS_ALREADY_RUNNING = 59561;

CAddressBookApp* g_app = nullptr;
int g_signalPipe[2] = {-1, -1};
WidgetMessageSink g_widgetSink;

// Passes messages on and counts them: a service that refused the start and
// said why has said all there is.
class CountingSink : public MessageSink {
public:
    CountingSink()
        : m_next(&CurrentMessageSink())
        , m_scope(*this)
    {
    }
    int ShowMessage(QObject* owner, const std::string& text, const std::string& title, u32 type) override
    {
        ++m_count;
        return m_next->ShowMessage(owner, text, title, type);
    }
    void ShowHelpPopup(QObject* owner, const std::string& helpPath, const HelpPairs& pairs) override
    {
        m_next->ShowHelpPopup(owner, helpPath, pairs);
    }
    int Count() const { return m_count; }
    bool PassesTo(const MessageSink* sink) const { return m_next == sink; }

private:
    MessageSink* m_next;
    ScopedMessageSink m_scope;
    int m_count = 0;
};
const CountingSink* g_startSink = nullptr;

bool ShowsWindows()
{
    return CurrentMessageSinkIs(&g_widgetSink)
        || (g_startSink && CurrentMessageSinkIs(g_startSink) && g_startSink->PassesTo(&g_widgetSink));
}

void OnTerminationSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = write(g_signalPipe[1], &byte, 1);
}

constexpr const char* kLogFailedNote
    = "The report could not be written to the error log \"tolva_error.log\".";
// The program that shows a report after a fault that could not be unwound.
std::string g_programPath;

// The process that shows the report gets the standard descriptors and, when
// the report comes through a pipe, that pipe as descriptor 3: nothing else
// of the faulting process (its files, sockets and pipes) lives on in it.
// Both sets of actions are made at start-up; making them allocates.
constexpr int kHandedOverDescriptor = 3;
posix_spawn_file_actions_t g_viewerFiles;
posix_spawn_file_actions_t g_viewerPipeFiles;
// Held from start-up; the pipe's end is put in its place.
int g_pipeSlot = -1;
bool g_viewerFilesReady = false;

void PrepareViewerFiles()
{
    if (g_viewerFilesReady)
        return;
    g_pipeSlot = open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (g_pipeSlot < 0)
        return;
    posix_spawn_file_actions_init(&g_viewerFiles);
    posix_spawn_file_actions_init(&g_viewerPipeFiles);
    g_viewerFilesReady = posix_spawn_file_actions_addclosefrom_np(&g_viewerFiles, kHandedOverDescriptor) == 0
        && posix_spawn_file_actions_adddup2(&g_viewerPipeFiles, g_pipeSlot, kHandedOverDescriptor) == 0
        && posix_spawn_file_actions_addclosefrom_np(&g_viewerPipeFiles, kHandedOverDescriptor + 1) == 0;
}

// Runs inside the handling of a fault that could not be unwound (the stack
// ran out, or nothing could catch it), or for a fault whose ordinary report
// never came (the heap's lock was held): the program's state cannot be
// trusted, so only calls that are safe in a signal handler are made. The
// report is logged, and a new process of the program shows it while this
// one ends without saving.
void OnFatalFault(const CSeException& e)
{
    static FixedText report;
    BuildFatalReport(e, g_app ? g_app->GetDataMan().GetLastError() : 0, report);
    if (!AppendFatalReport(report)) {
        report.Add("\r\n");
        report.Add(kLogFailedNote);
        report.Add("\r\n");
    }
    if (g_programPath.empty())
        return;
    int pipeEnd = -1;
    const char* handedOver = HandOverFatalReport(report, kHandedOverDescriptor, pipeEnd);
    if (!handedOver || !g_viewerFilesReady)
        return;
    const posix_spawn_file_actions_t* files = &g_viewerFiles;
    if (pipeEnd >= 0) {
        if (dup2(pipeEnd, g_pipeSlot) < 0)
            return;
        close(pipeEnd);
        files = &g_viewerPipeFiles;
    }
    char* argv[] = {const_cast<char*>(g_programPath.c_str()), const_cast<char*>(kBugReportArgument),
        const_cast<char*>(handedOver), nullptr};
    pid_t viewer = 0;
    posix_spawn(&viewer, argv[0], files, nullptr, argv, environ);
}

QString InstanceLockPath()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    return dir + QStringLiteral("/Tolva.lock");
}

// The wizard runs the command, reports what happened and saves the data
// file when the store changed; the views then show what came in.
void InstallImportExport(CMainFrame& frame, DataMan& dataMan)
{
    const auto run = [&frame, &dataMan](u32) {
        const IEOutcome outcome = RunImportExportCommand(dataMan, &frame);
        CContainerWnd* container = frame.GetContainer();
        if (!container || !outcome.changed)
            return;
        container->RefreshGrid();
        if (outcome.books)
            container->BookPane()->ReloadTree();
    };
    frame.Hooks().Install(ID_IMPORT_EXPORT, {run, {}});
}

}  // namespace

CAddressBookApp* TheApp()
{
    return g_app;
}

CAddressBookApp::CAddressBookApp(int& argc, char** argv)
    : QApplication(argc, argv)
    , m_dataMan(m_dataFile, &m_userMan, [this](const CSeException& e) { ReportError(e, true, true); })
    , m_tapiMan([this](const CSeException& e) { ReportError(e, true, true); })
    , m_printMan(nullptr, &m_userMan.m_addressFormats)
{
    g_app = this;
    setApplicationName(QStringLiteral("Tolva"));
    setOrganizationName(QStringLiteral("Vexa+"));
    // The frame decides when the run ends: it may close while hidden.
    setQuitOnLastWindowClosed(false);
    InstallDialogManager();
    // Tests and scripted runs answer every message box with its default
    // button and read the texts from standard error.
    if (qEnvironmentVariableIsEmpty("TOLVA_NO_MESSAGE_BOXES"))
        SetMessageSink(&g_widgetSink);
}

CAddressBookApp::~CAddressBookApp()
{
    m_mainFrame.reset();
    if (CurrentMessageSinkIs(&g_widgetSink))
        SetMessageSink(nullptr);
    g_app = nullptr;
}

bool CAddressBookApp::InitInstance()
{
    m_dwVersion = kProgramVersion;
    m_bServicesStarted = false;

    const QStringList args = arguments();
    if (args.size() > 2 && args[1] == QLatin1String(kBugReportArgument)) {
        // Nothing of the user's data is touched: the run that faulted holds it.
        std::string report;
        if (TakeHandedOverReport(args[2].toStdString(), report))
            ShowErrorReport(report);
        return false;
    }

    if (!AcquireSingleInstance()) {
        CurrentMessageSink().ShowMessage(nullptr, LoadResString(IDS_ALREADY_RUNNING), kProductName, MB_OK);
        return false;
    }

    // Settings behind a link that leads nowhere would be lost, and behind a
    // loop of links would replace the link: the user mends it first.
    const std::string settingsPath = Profile::FilePath().toStdString();
    if (const u32 error = BrokenLinkError(settingsPath)) {
        m_bSettingsUsable = false;
        ShowFileError(error, settingsPath);
        return false;
    }

    g_programPath = applicationFilePath().toStdString();
    PrepareViewerFiles();
    PrepareFatalReport();
    InstallSeTranslator(&OnFatalFault);

    if (args.size() > 1 && args[1].startsWith(QLatin1Char('-')) && args[1] == QLatin1String("-regrun"))
        m_bShow = false;

    m_dwRunCounter = u32(Profile::GetInt("Settings", "RuverOvi", 0));

    SetAppUserMan(&m_userMan);
    u32 rc = 0;
    {
        CountingSink told;
        g_startSink = &told;
        rc = m_dataFile.Open();
        // The data folder is this instance's now.
        if (rc == 0)
            CleanForwardedCards(QDateTime::currentDateTime());
        if (rc == 0)
            rc = m_tapiMan.Init();
        if (rc == 0)
            rc = m_printMan.Load();
        if (rc == 0)
            rc = u32(m_userMan.Init(m_dwRunCounter));
        if (rc == 0)
            rc = m_dataMan.Init();
        g_startSink = nullptr;
        if (rc != 0 && told.Count() == 0)
            ShowErrorText(nullptr, rc);
    }
    if (rc != 0) {
        // Another run holds the data folder: its settings are not this one's.
        if (m_dataFile.IsLockedOut())
            m_instanceLock.reset();
        return false;
    }

    // Only a run that holds the data folder touches the settings.
    Profile::RemoveSection("Tolva");
    GetFlatCtrlMan().InstallHook();
    IsRightToLeftLocale();

    // Making a Qt window cannot fail short of running out of memory, which
    // ends the start like any other.
    m_mainFrame = std::make_unique<CMainFrame>(m_userMan, m_dataMan, m_tapiMan, !m_bShow);
    InstallImportExport(*m_mainFrame, m_dataMan);
    // The commands of telephony, mail and the data dump.
    InstallCommandHooks(*m_mainFrame, m_tapiMan, m_dataMan, m_userMan);
    m_printMan.SetSources(&m_dataMan, &m_userMan);
    auto* printCommands = new CPrintCommands(*m_mainFrame, m_printMan, m_dataMan);  // owned by the frame
    printCommands->SetAddressFormatChooser([](u32& index, QWidget* parent) {
        CDialogAddressFormats dialog(parent);
        dialog.m_nSelected = int(index);
        if (dialog.DoModal() != IDOK || dialog.m_nSelected < 0)
            return false;
        index = u32(dialog.m_nSelected);
        return true;
    });
    KeepAddressFormatReferences(m_userMan, m_dataMan, &m_printMan);
    m_editingDialogs = std::make_unique<CEditingDialogs>(m_dataMan, m_userMan);
    InstallContactServices(m_dataMan);
    if (CContainerWnd* container = m_mainFrame->GetContainer())
        container->SetEditingHooks(m_editingDialogs.get());

    m_dataMan.UpgradeOldContacts();
    m_userMan.ApplyToMainWindow(*m_mainFrame, !m_bShow);
    m_bServicesStarted = true;
    WatchTerminationSignals();

    if (!qEnvironmentVariableIsEmpty("TOLVA_REPORT_STARTUP"))
        ReportStartup();
    return true;
}

// The start is over when the grid has painted its first screen; a window
// that is not shown has nothing to wait for.
void CAddressBookApp::ReportStartup()
{
    const auto report = [this] {
        // Minimised where no tray can hold the window: not shown to the user.
        std::printf("started shown=%d contacts=%d run=%u\n",
            m_mainFrame->isVisible() && !m_mainFrame->isMinimized() ? 1 : 0, m_dataMan.GetContactCount(),
            m_dwRunCounter);
        std::fflush(stdout);
    };
    CContainerWnd* container = m_mainFrame->GetContainer();
    QWidget* grid = container ? container->Grid().Widget() : nullptr;
    if (!grid || !grid->isVisible()) {
        report();
        return;
    }
    auto* scroll = qobject_cast<QAbstractScrollArea*>(grid);
    QWidget* painted = scroll ? scroll->viewport() : grid;
    class FirstPaint : public QObject {
    public:
        FirstPaint(QWidget* watched, std::function<void()> done)
            : QObject(watched)
            , m_done(std::move(done))
        {
            watched->installEventFilter(this);
        }
        bool eventFilter(QObject* watched, QEvent* event) override
        {
            if (event->type() == QEvent::Paint) {
                watched->removeEventFilter(this);
                // Reported once this paint is done.
                QTimer::singleShot(0, this, [this] {
                    m_done();
                    deleteLater();
                });
            }
            return false;
        }

    private:
        std::function<void()> m_done;
    };
    new FirstPaint(painted, report);
}

int CAddressBookApp::ExitInstance(int code)
{
    // An instance that left because another runs writes nothing at all: the
    // settings are the running one's.
    if (!m_instanceLock || !m_bSettingsUsable)
        return code;
    Profile::WriteInt("Settings", "RuverOvi", int(m_dwRunCounter + 1));
    if (m_bServicesStarted) {
        m_printMan.Save();
        m_tapiMan.Shutdown();
    }
    // The windows read the store whenever an event loop runs, and every
    // message box runs one: they go before the store is saved and emptied,
    // so that what the saves have to say is shown with no window left to
    // read it.
    m_mainFrame.reset();
    if (m_bServicesStarted) {
        m_dataMan.Close();
        m_dataFile.Close();
    }
    Profile::Sync();
    // Held until the data files are closed, so a second instance can never
    // open them while this one is still saving.
    m_instanceLock.reset();
    return code;
}

bool CAddressBookApp::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (CSeException* e) {
        EndAfterFault(e);
    } catch (const std::bad_alloc&) {
        CurrentMessageSink().ShowMessage(nullptr, "Out of memory.", kProductName, MB_OK | MB_ICONEXCLAMATION);
        return false;
    } catch (const std::exception&) {
        // Whatever failed in one event, the next is handled.
        MsgStopText(IsMenuCommand(receiver, event) ? "Command failed." : "Internal application error.");
        return false;
    }
}

bool CAddressBookApp::IsMenuCommand(const QObject* receiver, const QEvent* event)
{
    switch (event->type()) {
    case QEvent::Shortcut:
        return true;
    case QEvent::MouseButtonRelease:
    case QEvent::KeyPress:
        return qobject_cast<const QMenu*>(receiver) || qobject_cast<const QMenuBar*>(receiver);
    default:
        return false;
    }
}

void CAddressBookApp::EndAfterFault(CSeException* e)
{
    // After a processor fault nobody can vouch for the store in memory:
    // nothing is saved and the copy is left alone, so neither can be
    // damaged. Every command that changes data has saved it already; at
    // most the change in progress is lost.
    ReportError(*e, true, true);
    e->Delete();
    std::fflush(nullptr);
    std::_Exit(kFaultExitCode);
}

void CAddressBookApp::ReportError(const CSeException& e, bool writeLog, bool showDialog)
{
    ErrorReportState state{m_dataMan.GetLastError(), {}};
    m_tapiMan.Dump(state.tapiStateText);
    std::string report = BuildErrorReport(e, state);
    if (writeLog && !AppendErrorLog(report))
        report += std::string(kLogFailedNote) + "\r\n";
    // The report came: the heap was usable. The dialog may stay open a while.
    e.MarkReported();
    if (showDialog)
        ShowErrorReport(report);
}

void CAddressBookApp::ShowErrorReport(const std::string& report)
{
    if (ShowsWindows()) {
        CDialogBugReport dialog(m_mainFrame ? static_cast<QWidget*>(m_mainFrame.get()) : nullptr);
        dialog.SetReportText(report);
        dialog.DoModal();
        return;
    }
    // Without windows to answer (tests, scripted runs) the report's
    // exception line goes to the message sink instead.
    const size_t start = report.find("\nException ");
    const size_t end = start == std::string::npos ? start : report.find('\r', start);
    const std::string line
        = start == std::string::npos ? std::string() : report.substr(start + 1, end - start - 1);
    const bool logged = report.find(kLogFailedNote) == std::string::npos;
    MsgStopText(line + "\n\n"
        + (logged ? "The details were written to \"" + std::string(kErrorLogName) + "\"." : kLogFailedNote));
}

bool CAddressBookApp::AcquireSingleInstance()
{
    m_instanceLock = std::make_unique<QLockFile>(InstanceLockPath());
    // A lock left by a crashed run is taken over: QLockFile checks whether
    // the process that holds it still lives.
    if (m_instanceLock->tryLock(0))
        return true;
    m_instanceLock.reset();
    return false;
}

void CAddressBookApp::WatchTerminationSignals()
{
    if (g_signalPipe[0] < 0 && socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0)
        return;
    m_signalNotifier = new QSocketNotifier(qintptr(g_signalPipe[0]), QSocketNotifier::Read, this);
    connect(m_signalNotifier, &QSocketNotifier::activated, this, &CAddressBookApp::OnTerminationSignal);
    struct sigaction sa { };
    sa.sa_handler = &::OnTerminationSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
}

void CAddressBookApp::OnTerminationSignal()
{
    char byte;
    [[maybe_unused]] const ssize_t n = read(g_signalPipe[0], &byte, 1);
    // A logout closes the program as Exit does: settings and data saved.
    if (m_mainFrame)
        m_mainFrame->SaveStateAndClose();
    else
        quit();
}
