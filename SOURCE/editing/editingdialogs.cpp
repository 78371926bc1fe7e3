#include "editing/editingdialogs.h"

#include "editing/contactpropsdlg.h"
#include "editing/dialogpreferences.h"
#include "editing/quickpropsdlg.h"
#include "mainwnd/mainframe.h"

CEditingDialogs::CEditingDialogs(DataMan& dataMan, UserMan& userMan)
    : CBookHooks(dataMan)
    , m_userMan(userMan)
{
}

int CEditingDialogs::NewContact(
    QWidget* parent, bool simple, const std::string& phone, const std::string& mail, bool& switchMode)
{
    if (simple) {
        CDialogQuickProps dialog(m_dataMan, m_userMan, parent);
        const int result = dialog.NewContact(phone, mail);
        switchMode = dialog.m_bSwitchMode;
        return result == IDOK ? dialog.m_nNewContactIndex : -1;
    }
    CDialogContactProps dialog(m_dataMan, m_userMan, parent);
    const int result = dialog.NewContact(phone, mail);
    switchMode = dialog.m_bSwitchMode;
    return result == IDOK ? dialog.m_nNewContactIndex : -1;
}

bool CEditingDialogs::EditContact(QWidget* parent, Contact& contact, bool simple, int& page, bool& switchMode)
{
    if (simple) {
        CDialogQuickProps dialog(m_dataMan, m_userMan, parent);
        const int result = dialog.EditContact(&contact);
        switchMode = dialog.m_bSwitchMode;
        return result == IDOK;
    }
    CDialogContactProps dialog(m_dataMan, m_userMan, parent);
    if (page >= CDialogContactProps::ID_PAGE_GENERAL && page <= CDialogContactProps::ID_PAGE_ADVANCED)
        dialog.m_nStartPage = page;
    const int result = dialog.EditContact(&contact);
    switchMode = dialog.m_bSwitchMode;
    if (result == IDOK)
        page = dialog.m_nStartPage;
    return result == IDOK;
}

bool CEditingDialogs::Preferences(QWidget* parent, int startPage)
{
    // The container runs the dialog over the main window, whose clock and
    // toolbar the pages reach.
    auto* frame = qobject_cast<CMainFrame*>(parent);
    if (!frame)
        return false;
    PrefContext context = MakePrefContext(*frame, m_userMan, m_dataMan, frame->GetTapiMan());
    return RunPreferences(context, parent, startPage);
}
