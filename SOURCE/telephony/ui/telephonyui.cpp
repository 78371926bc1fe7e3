#include "telephony/ui/telephonyui.h"

#include "platform/modemprovider.h"
#include "telephony/callprogress.h"
#include "telephony/tapiman.h"
#include "telephony/ui/calllogdlg.h"
#include "telephony/ui/callstatusdlg.h"
#include "telephony/ui/manualdialdlg.h"
#include "telephony/ui/modemdialogs.h"
#include "telephony/ui/speeddialdlg.h"

#include <QApplication>
#include <QPointer>

namespace {

class CallStatusDialogUi : public CallStatusUi {
public:
    QPointer<QWidget> owner;

    int RunCallStatus(CallProgress& progress) override
    {
        CDialogCallStatus dialog(progress, owner);
        return dialog.DoModal();
    }
};

CallStatusDialogUi g_callStatusUi;

class ModemDialogsUi : public ModemDialogs {
public:
    QPointer<QWidget> owner;

    bool EditModemSettings(const std::string& deviceName, ModemConfig& config) override
    {
        CDialogModemSettings dialog(deviceName, config, Owner());
        if (dialog.DoModal() != IDOK)
            return false;
        config = dialog.Config();
        return true;
    }
    bool EditDialingRules(DialingLocation& location, const std::string& number) override
    {
        CDialogDialingRules dialog(location, number, Owner());
        if (dialog.DoModal() != IDOK)
            return false;
        location = dialog.Location();
        return true;
    }

private:
    // Over the window that asked (the preferences), else over the owner.
    QWidget* Owner() const
    {
        return QApplication::activeModalWidget() ? QApplication::activeModalWidget() : owner.data();
    }
};

ModemDialogsUi g_modemDialogs;

}  // namespace

void InstallTelephonyUi(TapiMan& tapiMan, DataMan& dataMan, QWidget* owner)
{
    g_callStatusUi.owner = owner;
    g_modemDialogs.owner = owner;
    tapiMan.SetCallStatusUi(&g_callStatusUi);
    SetModemDialogs(&g_modemDialogs);
    tapiMan.SetDataMan(&dataMan);
}

void RunManualDial(
    TapiMan& tapiMan, QWidget* owner, std::function<void(const std::string& phone)> createContact)
{
    CDialogManualDial dialog(tapiMan, owner);
    dialog.SetCreateContact(std::move(createContact));
    dialog.DoModal();
}

void RunSpeedDial(TapiMan& tapiMan, DataMan& dataMan, QWidget* owner)
{
    CDialogSpeedDial dialog(tapiMan, dataMan, owner);
    dialog.DoModal();
}

void RunSpeedDialList(DataMan& dataMan, QWidget* owner)
{
    CDialogSpeedDialPrefs dialog(dataMan, owner);
    dialog.DoModal();
}

void RunCallLog(TapiMan& tapiMan, DataMan& dataMan, QWidget* owner, u32 contactId, const std::string& title)
{
    CDialogCallLog dialog(tapiMan, dataMan, owner);
    dialog.SetFilter(contactId);
    dialog.SetTitle(title);
    dialog.DoModal();
}
