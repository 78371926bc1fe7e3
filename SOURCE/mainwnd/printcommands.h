// Printing from the main window: the Print command with its print dialog,
// the print preview shown in place of the window's panes, and the option
// dialogs of the four print styles.
#pragma once

#include "platform/wintypes.h"
#include "print/ui/printpreview.h"
#include "print/ui/printqueue.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

class CColumnReport;
class CMainFrame;
class CReportPrinter;
class DataMan;
class PrintMan;
class QWidget;

class CPrintCommands : public QObject {
    Q_OBJECT
public:
    // Installs the commands on the frame; the object lives as long as the frame.
    CPrintCommands(CMainFrame& frame, PrintMan& printMan, DataMan& dataMan);
    ~CPrintCommands() override;

    void OnPrint();
    void OnPrintPreview();
    // The options dialog of a style; in options-only mode it only takes the
    // settings. Its result: 1 print, 1000 preview, 2 cancel. As page setup
    // Enter takes the layout and prints nothing (kResultTaken).
    int RunStyleOptions(u32 style, bool optionsOnly, bool pageSetup = false);
    void ClosePreview();
    // The address-format list dialog lives with the editing dialogs, above
    // this library; the program hands it in. Without it the envelope and
    // label dialogs keep their "Address format" buttons disabled.
    void SetAddressFormatChooser(std::function<bool(u32& index, QWidget* parent)> chooser)
    {
        m_chooseFormat = std::move(chooser);
    }
    bool InPreview() const { return m_preview != nullptr; }
    CPrintPreview* Preview() const { return m_preview; }

private:
    // Marks the contacts of the style's range for the next job.
    void FlagContacts();
    CReportPrinter* ReportPrinter();
    // Prints with the choices made in the print dialog for this job; a job
    // started elsewhere goes out with none.
    void PrintNow(u32 fromPage, const PrintJobChoices& choices = {});
    // What the job is called in the printing dialog, the PDF and the queue:
    // the window's title, cut as the print system takes it.
    QString DocumentName() const;
    void OnStyleCommand(u32 id);
    void OnPreviewPageSetup();

    CMainFrame& m_frame;
    PrintMan& m_pm;
    DataMan& m_dm;
    QPointer<CPrintPreview> m_preview;
    QWidget* m_savedCentral = nullptr;
    std::unique_ptr<CColumnReport> m_defaultReport;
    std::function<bool(u32& index, QWidget* parent)> m_chooseFormat;
};
