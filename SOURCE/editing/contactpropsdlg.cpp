#include "editing/contactpropsdlg.h"

#include "controls/flatbutton.h"
#include "core/dataman.h"
#include "core/userman.h"
#include "core/utilities.h"
#include "editing/contactaddresspage.h"
#include "editing/contactadvancedpage.h"
#include "editing/contactgeneralpage.h"
#include "editing/contactpersonalpage.h"
#include "editing/contactslots.h"
#include "editing/contactwrite.h"
#include "editing/pagebar.h"
#include "platform/ui/resources.h"

namespace {
constexpr u32 kPropertiesText = 59434;
constexpr u32 kOutOfMemory = 59439;
constexpr u32 kNoNameMessage = 59529;
constexpr int kPageImages = 309;
constexpr int kPageHotImages = 310;
}  // namespace

CDialogContactProps::CDialogContactProps(DataMan& dataMan, UserMan& userMan, QWidget* parent)
    : CDialogPageHost(kTemplateId, parent)
    , m_dataMan(dataMan)
    , m_userMan(userMan)
    , m_pHome(new CContactHomePage(this))
    , m_pBusiness(new CContactBusinessPage(this))
    , m_pPostal(new CContactPostalPage(this))
    , m_pGeneral(new CContactGeneralPage(this))
    , m_pPersonal(new CContactPersonalPage(this))
    , m_pAdvanced(new CContactAdvancedPage(this))
    , m_btnSwitch(new CFlatButton(tr("Switc&h to simple mode"), this))
{
    AddPage(m_pGeneral, ID_PAGE_GENERAL, tr("General"), 1067, 1523);
    AddPage(m_pBusiness, ID_PAGE_BUSINESS, tr("Business"), 1304, 1305);
    AddPage(m_pHome, ID_PAGE_HOME, tr("Home"), 1051, 1308);
    AddPage(m_pPostal, ID_PAGE_POSTAL, tr("Postal"), 1710, 1716);
    AddPage(m_pPersonal, ID_PAGE_PERSONAL, tr("Personal"), 1309, 1061);
    // The relations list that would come first is not shown.
    AddPage(m_pAdvanced, ID_PAGE_ADVANCED, tr("Advanced"), 1302, 1430);
    PageBar()->SetImages(LoadBitmapResource(kPageImages), LoadBitmapResource(kPageHotImages), QSize(36, 31));
    AddButton(m_btnSwitch, kSwitchId);
    connect(m_btnSwitch, &QPushButton::clicked, this, [this] {
        m_bSwitchMode = true;
        OnOK();
    });
    setWindowTitle(QString::fromStdString(LoadResString(kPropertiesText)));
    // The contact being edited refers to formats by index like the stored
    // one: when the list changes under the dialog, so do its indexes.
    m_nFormatWatch = m_userMan.WatchAddressFormats([this](const AddressFormatRemap& remap) {
        RemapAddressFormats(*m_pContact, remap, m_userMan.m_addressFormats.GetSize());
        m_pHome->RemapFormat(remap);
        m_pBusiness->RemapFormat(remap);
        m_pPostal->RemapFormat(remap);
    });
}

CDialogContactProps::~CDialogContactProps()
{
    m_userMan.UnwatchAddressFormats(m_nFormatWatch);
}

void CDialogContactProps::LoadContact()
{
    for (int i = 0; i < PageCount(); ++i)
        static_cast<CContactPage*>(PageAt(i))->Load();
    UpdateTitle(m_nMode == MODE_EDIT ? QString::fromStdString(m_pContact->m_strName) : QString());
}

bool CDialogContactProps::OnInitDialog()
{
    OnShowPage(m_nStartPage);
    if (CDialogPage* page = GetActivePage())
        page->setFocus(Qt::OtherFocusReason);
    return true;
}

void CDialogContactProps::UpdateTitle(const QString& name)
{
    setWindowTitle(
        name.isEmpty() ? QString::fromStdString(LoadResString(kPropertiesText)) : name + tr(" properties"));
}

void CDialogContactProps::SetDefaultAddress(u32 addressType)
{
    m_pHome->SetDefaultCheck(addressType == ADDR_HOME);
    m_pBusiness->SetDefaultCheck(addressType == ADDR_BUSINESS);
    m_pPostal->SetDefaultCheck(addressType == ADDR_POSTAL);
}

void CDialogContactProps::OnOK()
{
    if (PageBarTakesEnter() || LetActivePageFinish())
        return;
    for (int i = 0; i < PageCount(); ++i)
        static_cast<CContactPage*>(PageAt(i))->Store();
    if (m_pGeneral->DisplayName().isEmpty() && !m_bSwitchMode) {
        MsgStop(kNoNameMessage, this);
        return;
    }
    m_nStartPage = CommandOf(GetActivePage());
    EndDialog(IDOK);
}

void CDialogContactProps::SaveToContact()
{
    Contact& c = *m_pContact;
    m_pGeneral->StoreInto(c);
    RemoveEmptyValues(c);
    m_pBusiness->StoreInto(c);
    m_pHome->StoreInto(c);
    m_pPostal->StoreInto(c);
    m_pPersonal->StoreInto(c);
    m_pAdvanced->StoreInto(c);
}

std::vector<Book*> CDialogContactProps::ListedBooks() const
{
    return m_pGeneral->Books();
}

int CDialogContactProps::Finish(int result)
{
    if (result != IDOK)
        return result;
    SaveToContact();
    return m_nMode == MODE_NEW ? FinishNew() : FinishEdit();
}

int CDialogContactProps::FinishNew()
{
    Contact* added = AddNewContact(m_dataMan, std::move(m_pContact), ListedBooks(), m_nNewContactIndex);
    m_pContact = std::make_unique<Contact>();
    if (!added) {
        MsgStop(kOutOfMemory, this);
        return IDCANCEL;
    }
    m_nNewContactId = added->m_duID;
    if (!m_bSwitchMode)
        m_dataMan.Save(DFK_DATA);
    return IDOK;
}

int CDialogContactProps::FinishEdit()
{
    if (WriteBackContact(m_dataMan, *m_pEdited, *m_pContact, ListedBooks()) && !m_bSwitchMode)
        m_dataMan.Save(DFK_DATA);
    return IDOK;
}
