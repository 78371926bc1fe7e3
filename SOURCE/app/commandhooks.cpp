#include "app/commandhooks.h"

#include "app/datadumpdlg.h"
#include "core/dataman.h"
#include "core/userman.h"
#include "core/utilities.h"
#include "mainwnd/commands.h"
#include "mainwnd/containerwnd.h"
#include "mainwnd/mainframe.h"
#include "telephony/calllog.h"
#include "telephony/mailsession.h"
#include "telephony/tapiman.h"
#include "telephony/ui/telephonyui.h"

#include <QPointer>

namespace {

constexpr u32 IDS_CANNOT_DIAL = 59214;

QPointer<CDialogDataDump> g_dataDump;

// The one data dump window, made on first use; it shows the current book.
void ShowDataDump(CMainFrame& frame, DataMan& dataMan)
{
    if (!g_dataDump) {
        g_dataDump = new CDialogDataDump(dataMan, &frame);
        g_dataDump->Create();
    }
    // The window follows the selection: a book shows its fields, a
    // contact empties it.
    g_dataDump->DumpRecord(dataMan.GetCurrentBook());
    g_dataDump->raise();
    frame.GetContainer()->SetSelectionObserver([](const DataItem* item) {
        if (g_dataDump)
            g_dataDump->DumpRecord(item);
    });
}

}  // namespace

void InstallCommandHooks(CMainFrame& frame, TapiMan& tapiMan, DataMan& dataMan, UserMan& userMan)
{
    InstallTelephonyUi(tapiMan, dataMan, &frame);
    CContainerWnd* container = frame.GetContainer();
    container->SetDialer([&tapiMan](const std::string& number, Contact* contact) {
        tapiMan.Dial(contact->m_duID, DIAL_CONTACT, number, contact->m_strName);
    });
    container->SetFileMailer([&frame](const QString& path, const QString& name) {
        return MailFileAttachment(path.toStdString(), name.toStdString(), &frame);
    });

    CommandHooks& hooks = frame.Hooks();
    const auto install = [&hooks](u32 id, std::function<void(u32)> run) {
        CommandHook hook;
        hook.run = std::move(run);
        hooks.Install(id, std::move(hook));
    };
    // Speed dial needs telephony that started; the dialog-open flag keeps
    // the commands that must not run beside it disabled meanwhile.
    const auto speedDial = [&frame, &tapiMan, &dataMan, &userMan](bool list) {
        if (!tapiMan.IsInitialized()) {
            MsgStop(IDS_CANNOT_DIAL, &frame);
            return;
        }
        userMan.m_dwDialogOpen = 1;
        if (list)
            RunSpeedDialList(dataMan, &frame);
        else
            RunSpeedDial(tapiMan, dataMan, &frame);
        userMan.m_dwDialogOpen = 0;
    };
    install(ID_SPEED_DIAL, [speedDial](u32) { speedDial(false); });
    install(ID_SPEED_DIAL_LIST, [speedDial](u32) { speedDial(true); });
    install(ID_MANUAL_DIAL, [&frame, &tapiMan, container](u32) {
        RunManualDial(
            tapiMan, &frame, [container](const std::string& phone) { container->NewContact(phone, {}); });
    });
    install(ID_CALLLOG_SHOW, [&frame, &tapiMan, &dataMan](u32) {
        RunCallLog(tapiMan, dataMan, &frame, kAllContacts, "All contacts");
    });
    install(ID_CALLLOG_SHOW_CONTACT, [&frame, &tapiMan, &dataMan, container](u32) {
        if (const Contact* contact = container->GetFocusedContact())
            RunCallLog(tapiMan, dataMan, &frame, contact->m_duID, contact->m_strName);
    });
    install(ID_LINE_SHUTDOWN, [&tapiMan](u32) {
        if (TapiLine* line = tapiMan.GetLine())
            line->Shutdown();
    });
    install(ID_DIALING_PROPERTIES,
        [&tapiMan, container](u32) { tapiMan.TranslateDialog(container->GetDefaultPhone()); });
    install(ID_DATA_DUMP, [&frame, &dataMan](u32) { ShowDataDump(frame, dataMan); });
}
