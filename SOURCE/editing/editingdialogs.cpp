#include "editing/editingdialogs.h"

#include "editing/addressformatsdlg.h"
#include "editing/bookchooser.h"
#include "editing/contactpropsdlg.h"
#include "editing/contactservices.h"
#include "editing/dialogpreferences.h"
#include "editing/imageopendialog.h"
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

void InstallContactServices(DataMan& dataMan)
{
    ContactDialogServices& services = ContactServices();
    services.chooseBooks = [&dataMan](QWidget* parent, std::vector<Book*>& books) {
        CDialogBookChooser dialog(dataMan, parent);
        dialog.m_nMode = CDialogBookChooser::kModeContactBooks;
        dialog.m_books = books;
        if (dialog.DoModal() != IDOK)
            return false;
        books = dialog.m_books;
        return true;
    };
    services.chooseAddressFormat = [](QWidget* parent, int& format) {
        CDialogAddressFormats dialog(parent);
        dialog.m_nSelected = format;
        if (dialog.DoModal() != IDOK || dialog.m_nSelected < 0)
            return false;
        format = dialog.m_nSelected;
        return true;
    };
    services.choosePicture = [](QWidget* parent, std::string& path, int& type) {
        CImageOpenDialog dialog(parent);
        dialog.ShowFile(path, type);
        if (dialog.DoModal() != IDOK)
            return false;
        // Only a picture that really decoded comes back.
        const std::unique_ptr<CImageFile> image = dialog.DetachImage();
        if (!image)
            return false;
        path = image->GetFileName();
        type = image->GetType();
        return true;
    };
}
