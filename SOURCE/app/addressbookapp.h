// The application object: owns the services for the whole run, starts them
// in their order, creates the main window, and saves and closes them in
// their order at the end. Exceptions in event handlers are caught here:
// a processor fault is reported and ends the run without saving; other
// exceptions are reported and the run goes on.
#pragma once

#include "core/datafile.h"
#include "core/dataman.h"
#include "core/userman.h"
#include "print/printman.h"
#include "telephony/tapiman.h"
#include "tolvaversion.h"

#include <QApplication>
#include <QLockFile>
#include <memory>

class CEditingDialogs;
class CMainFrame;
class CSeException;
class QSocketNotifier;

// The program's version as one word: a hex digit for each part, 0x2550.
constexpr u32 kProgramVersion
    = u32(kVersionMajor << 12 | kVersionMinor << 8 | kVersionPatch << 4 | kVersionTweak);
// Starts the program only to show a fault's report, handed over under the
// next argument (see HandOverFatalReport): a run that met a fault it could
// not unwind shows its report this way.
constexpr const char* kBugReportArgument = "-bugreport";

class CAddressBookApp : public QApplication {
    Q_OBJECT
public:
    CAddressBookApp(int& argc, char** argv);
    ~CAddressBookApp() override;

    // True to run the event loop, false to end.
    bool InitInstance();
    // The exit code.
    int ExitInstance(int code);

    bool notify(QObject* receiver, QEvent* event) override;

    // Writes the report of a fault to the error log and shows it. The one
    // place that tells the user of a fault.
    void ReportError(const CSeException& e, bool writeLog, bool showDialog);
    // Shows a report that was written (or could not be written) to the log.
    void ShowErrorReport(const std::string& report);
    // A menu or accelerator command was being handled.
    static bool IsMenuCommand(const QObject* receiver, const QEvent* event);

    DataMan& GetDataMan() { return m_dataMan; }
    CDataFile& GetDataFile() { return m_dataFile; }
    UserMan& GetUserMan() { return m_userMan; }
    TapiMan& GetTapiMan() { return m_tapiMan; }
    PrintMan& GetPrintMan() { return m_printMan; }
    CMainFrame* GetMainFrame() const { return m_mainFrame.get(); }
    bool IsShownAtStart() const { return m_bShow; }
    u32 GetRunCounter() const { return m_dwRunCounter; }

private:
    [[noreturn]] void EndAfterFault(CSeException* e);
    bool AcquireSingleInstance();
    void WatchTerminationSignals();
    // Tells a scripted start (TOLVA_REPORT_STARTUP) that the first screen is up.
    void ReportStartup();
    void OnTerminationSignal();

    CDataFile m_dataFile;
    DataMan m_dataMan;
    UserMan m_userMan;
    TapiMan m_tapiMan;
    PrintMan m_printMan;

    bool m_bShow = true;
    u32 m_dwRunCounter = 0;
    u32 m_dwVersion = kProgramVersion;
    bool m_bServicesStarted = false;
    bool m_bSettingsUsable = true;
    std::unique_ptr<QLockFile> m_instanceLock;
    // Outlives the frame that calls it.
    std::unique_ptr<CEditingDialogs> m_editingDialogs;
    std::unique_ptr<CMainFrame> m_mainFrame;
    QSocketNotifier* m_signalNotifier = nullptr;
};

CAddressBookApp* TheApp();
