// The application object: owns the services for the whole run, starts them
// in their order, creates the main window, and saves and closes them in
// their order at the end. Processor faults in event handlers are caught
// here, reported and survived.
#pragma once

#include "core/datafile.h"
#include "core/dataman.h"
#include "core/userman.h"
#include "print/printman.h"
#include "telephony/tapiman.h"

#include <QApplication>
#include <QLockFile>
#include <memory>

class CEditingDialogs;
class CMainFrame;
class CSeException;
class QSocketNotifier;

constexpr u32 kProgramVersion = 0x2550;

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

    // Writes the report of a fault to the error log and shows it.
    void ReportError(const CSeException& e, bool writeLog, bool showDialog);

    DataMan& GetDataMan() { return m_dataMan; }
    CDataFile& GetDataFile() { return m_dataFile; }
    UserMan& GetUserMan() { return m_userMan; }
    TapiMan& GetTapiMan() { return m_tapiMan; }
    PrintMan& GetPrintMan() { return m_printMan; }
    CMainFrame* GetMainFrame() const { return m_mainFrame.get(); }
    bool IsShownAtStart() const { return m_bShow; }
    u32 GetRunCounter() const { return m_dwRunCounter; }

private:
    bool AcquireSingleInstance();
    void WatchTerminationSignals();
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
    std::unique_ptr<QLockFile> m_instanceLock;
    // Outlives the frame that calls it.
    std::unique_ptr<CEditingDialogs> m_editingDialogs;
    std::unique_ptr<CMainFrame> m_mainFrame;
    QSocketNotifier* m_signalNotifier = nullptr;
};

CAddressBookApp* TheApp();
