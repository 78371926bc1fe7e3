#include "mainwnd/printcommands.h"

#include "core/dataman.h"
#include "core/fieldtexts.h"
#include "core/utilities.h"
#include "mainwnd/commands.h"
#include "mainwnd/contactview.h"
#include "mainwnd/containerwnd.h"
#include "mainwnd/gridcolumns.h"
#include "mainwnd/mainframe.h"
#include "print/columnreport.h"
#include "print/labelfile.h"
#include "print/printman.h"
#include "print/printoutput.h"
#include "print/ui/envelopeoptionsdlg.h"
#include "print/ui/labeloptionsdlg.h"
#include "print/ui/memooptionsdlg.h"
#include "print/ui/printdlg.h"
#include "print/ui/printpreview.h"
#include "print/ui/printsetup.h"

#include <QPrinter>
#include <QStatusBar>

namespace {

// The columns a book without a layout of its own shows.
constexpr u32 kDefaultReportFields[]
    = {FID_NAME, FID_DEFAULT_ADDRESS, FID_HOME_EMAIL, FID_BUSINESS_EMAIL, FID_HOME_PHONE, FID_BUSINESS_PHONE};

u32 StyleOfCommand(u32 id)
{
    return id - ID_PAGESETUP_MEMO + PM_MEMO;
}

}  // namespace

CPrintCommands::CPrintCommands(CMainFrame& frame, PrintMan& printMan, DataMan& dataMan)
    : QObject(&frame)
    , m_frame(frame)
    , m_pm(printMan)
    , m_dm(dataMan)
{
    CommandHooks& hooks = frame.Hooks();
    hooks.Install(ID_PRINT, {.run = [this](u32) { OnPrint(); }, .enabled = {}});
    hooks.Install(ID_FILE_PRINT, {.run = [this](u32) { OnPrint(); }, .enabled = {}});
    hooks.Install(ID_FILE_PRINT_PREVIEW,
        {.run = [this](u32) { OnPrintPreview(); }, .enabled = [this](u32) { return !InPreview(); }});
    for (u32 id = ID_PAGESETUP_MEMO; id <= ID_PAGESETUP_LABELS; ++id)
        hooks.Install(id, {.run = [this](u32 cmd) { OnStyleCommand(cmd); }, .enabled = {}});
}

CPrintCommands::~CPrintCommands() = default;

CReportPrinter* CPrintCommands::ReportPrinter()
{
    if (auto* grid = dynamic_cast<CReportPrinter*>(m_frame.GetContainer()->Grid().Widget()))
        return grid;
    // A list that cannot lay a report out prints the usual columns.
    if (!m_defaultReport) {
        std::vector<ReportColumn> columns;
        for (const u32 field : kDefaultReportFields) {
            const GridColumnInfo* info = GetGridColumn(FindFieldColumn(field));
            columns.push_back({field, QString::fromUtf8(LoadResString(field)), info ? info->m_nWidth : 100,
                info ? info->Format() : 0, false});
        }
        m_defaultReport = std::make_unique<CColumnReport>(std::move(columns));
    }
    return m_defaultReport.get();
}

void CPrintCommands::FlagContacts()
{
    ContactListView& list = m_frame.GetContainer()->Grid();
    auto flag = [](const std::vector<Contact*>& contacts) {
        for (Contact* contact : contacts)
            contact->m_dwDisplayFlags |= CDF_PRINT;
    };
    const u32 range = m_pm.GetPrintRange();
    switch (range) {
    case PR_ALL:
    case PR_BOOK:
        m_dm.FlagContacts(m_pm.m_Printmode, m_pm.m_Printtype, m_pm.m_PrinttypeEnv);
        break;
    case PR_LIST:
        flag(list.ShownContacts());
        break;
    case PR_LABEL_SHEET:
    case PR_LABEL_SINGLE:
        if (Contact* first = list.FirstSelectedContact())
            first->m_dwDisplayFlags |= CDF_PRINT;
        break;
    default:  // the selected contacts
        flag(list.SelectedContacts());
        break;
    }
}

int CPrintCommands::RunStyleOptions(u32 style, bool optionsOnly, bool pageSetup)
{
    const Contact* contact = m_frame.GetContainer()->Grid().FirstSelectedContact();
    const auto run = [pageSetup](CPrintOptionsDialog& dialog) {
        if (pageSetup)
            dialog.SetPageSetup();
        dialog.DoModal();
        return dialog.Result();
    };
    switch (style) {
    case PM_ENVELOPE: {
        CDialogEnvelopeOptions dialog(m_pm, contact, optionsOnly, MeasureUnit::User(), &m_frame);
        dialog.m_chooseFormat = m_chooseFormat;
        return run(dialog);
    }
    case PM_LABELS: {
        CDialogLabelOptions dialog(m_pm, contact, optionsOnly, MeasureUnit::User(), &m_frame);
        dialog.m_chooseFormat = m_chooseFormat;
        return run(dialog);
    }
    default: {
        CDialogMemoOptions dialog(m_pm, style, optionsOnly, &m_frame);
        return run(dialog);
    }
    }
}

void CPrintCommands::OnStyleCommand(u32 id)
{
    switch (RunStyleOptions(StyleOfCommand(id), false, true)) {
    case kResultPrint:
        PrintNow(1);
        break;
    case kResultPreview:
        OnPrintPreview();
        break;
    default:  // taken or cancelled
        break;
    }
}

void CPrintCommands::OnPrint()
{
    if (InPreview())
        ClosePreview();
    // What is chosen for the job holds while the dialog comes again after
    // the style's options, and for no later job.
    PrintJobChoices choices;
    for (;;) {
        CDialogLabelOptions::ApplySavedLabel(m_pm);
        CRPrintDialog dialog(m_pm, AppPrinter(), &m_frame, choices);
        dialog.exec();
        choices = dialog.Choices();
        switch (dialog.Result()) {
        case kResultPrint:
            PrintNow(1, choices);
            return;
        case kResultPreview:
            OnPrintPreview();
            return;
        case kResultPageSetup:
            switch (RunStyleOptions(m_pm.m_Printmode, false)) {
            case kResultPrint:
                continue;  // the print dialog again
            case kResultPreview:
                OnPrintPreview();
                return;
            default:
                return;
            }
        default:
            return;
        }
    }
}

void CPrintCommands::PrintNow(u32 fromPage, const PrintJobChoices& choices)
{
    // A sheet without rows or columns, or one larger than its paper, would
    // print blank or cut pages.
    if (!JobFitsPaper(m_pm, AppPrinter().pageLayout())) {
        MsgStop(IDS_LABEL_PAGE_TOO_SMALL, &m_frame);
        return;
    }
    FlagContacts();
    CPrintInfo info;
    info.m_bContactsFlagged = true;
    info.m_pReport = ReportPrinter();
    info.m_nFromPage = fromPage;
    // The printing dialog holds the window's input while the pages go out.
    QPrinter& printer = AppPrinter();
    const bool toFile = !printer.outputFileName().isEmpty();
    const int printed = PrintOnPrinter(m_pm, info, printer, DocumentName(), &m_frame, choices);
    // Short enough to be read whole beside the clock in the narrowest window.
    if (printed == kPrintCancelled)
        m_frame.statusBar()->showMessage(toFile ? QStringLiteral("Printing cancelled: no file was written.")
                                                : QStringLiteral("Printing cancelled: nothing was printed."));
    else if (printed > 0 && !m_pm.AddresslessNote().isEmpty())
        m_frame.statusBar()->showMessage(m_pm.AddresslessNote());
}

QString CPrintCommands::DocumentName() const
{
    constexpr qsizetype kDocumentNameLength = 31;
    QString title = m_frame.windowTitle();
    title.remove(QStringLiteral("[*]"));
    return title.left(kDocumentNameLength);
}

void CPrintCommands::OnPrintPreview()
{
    if (InPreview())
        return;
    // A sheet without rows or columns, or one larger than its paper, would
    // print blank or cut pages.
    if (!JobFitsPaper(m_pm, AppPrinter().pageLayout())) {
        MsgStop(IDS_LABEL_PAGE_TOO_SMALL, &m_frame);
        return;
    }
    FlagContacts();
    auto* preview = new CPrintPreview(m_pm);
    const PageCaps caps = PageCapsOf(JobPageLayout(m_pm, AppPrinter().pageLayout()));
    preview->Pages()->SetPrintView(caps, ReportPrinter(), true);
    connect(
        preview, &CPrintPreview::closeRequested, this, &CPrintCommands::ClosePreview, Qt::QueuedConnection);
    connect(
        preview, &CPrintPreview::printRequested, this,
        [this] {
            ClosePreview();
            OnPrint();
        },
        Qt::QueuedConnection);
    connect(preview, &CPrintPreview::pageSetupRequested, this, &CPrintCommands::OnPreviewPageSetup);
    connect(preview->Pages(), &CPrintPreviewWnd::statusText, &m_frame,
        [this](const QString& text) { m_frame.statusBar()->showMessage(text); });
    m_savedCentral = m_frame.takeCentralWidget();
    m_frame.setCentralWidget(preview);
    m_preview = preview;
    preview->setFocus();
    m_frame.statusBar()->showMessage(preview->Pages()->PageNumberText());
}

void CPrintCommands::OnPreviewPageSetup()
{
    if (!m_preview || RunStyleOptions(m_pm.m_Printmode, true) != kResultPrint)
        return;
    FlagContacts();
    const PageCaps caps = PageCapsOf(JobPageLayout(m_pm, AppPrinter().pageLayout()));
    m_preview->Pages()->SetPrintView(caps, ReportPrinter(), true);
}

void CPrintCommands::ClosePreview()
{
    if (!m_preview)
        return;
    // The preview goes with the widget the frame hands back.
    QWidget* preview = m_frame.takeCentralWidget();
    delete preview;
    m_preview = nullptr;
    if (m_savedCentral)
        m_frame.setCentralWidget(m_savedCentral);
    m_savedCentral = nullptr;
    m_frame.statusBar()->showMessage(QString::fromUtf8(LoadResString(IDS_READY)));
    m_frame.RequestIdleUpdate();
}
