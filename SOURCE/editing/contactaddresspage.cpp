#include "editing/contactaddresspage.h"

#include "controls/menubutton.h"
#include "core/fieldtexts.h"
#include "core/userman.h"
#include "editing/contactpropsdlg.h"
#include "editing/contactservices.h"
#include "editing/contactwrite.h"
#include "editing/slotfields.h"
#include "platform/ui/openlink.h"
#include "platform/ui/window.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

CContactAddressPage::CContactAddressPage(CDialogContactProps* host, int captionId, const char* caption,
    HelpPairs help, u32 addressType, u32 webFlag, u32 webType, u32 defaultFormat, const Ids& ids)
    : CContactPage(host, captionId, caption, std::move(help))
    , m_addressType(addressType)
    , m_webFlag(webFlag)
    , m_webType(webType)
    , m_defaultFormat(defaultFormat)
    , m_slots(new CSlotFields(this))
    , m_street(new QPlainTextEdit(Body()))
    , m_city(NewEdit(ids.city))
    , m_state(NewEdit(ids.state))
    , m_zip(NewEdit(ids.zip))
    , m_country(NewEdit(ids.country))
    , m_default(new QCheckBox(Body()))
    , m_format(new QPushButton(tr("&Format"), Body()))
    , m_web(webFlag ? NewEdit(ids.web) : nullptr)
    , m_go(webFlag ? new QPushButton(tr("&Go"), Body()) : nullptr)
    , m_nFormat(int(defaultFormat))
{
    SetDlgCtrlID(m_street, ids.street);
    SetDlgCtrlID(m_default, ids.defaultCheck);
    SetDlgCtrlID(m_format, ids.format);
    m_street->setTabChangesFocus(true);
    m_street->setFixedHeight(m_street->fontMetrics().lineSpacing() * 3 + 2 * m_street->frameWidth() + 8);
    connect(m_default, &QCheckBox::clicked, this, [this](bool on) {
        if (on)
            Host()->SetDefaultAddress(m_addressType);
    });
    connect(m_format, &QPushButton::clicked, this, &CContactAddressPage::OnFormat);
    if (m_go) {
        SetDlgCtrlID(m_go, ids.go);
        connect(m_go, &QPushButton::clicked, this, &CContactAddressPage::OnGo);
        connect(m_web, &QLineEdit::textChanged, this, &CContactAddressPage::UpdateGo);
        UpdateGo();
    }
}

QLineEdit* CContactAddressPage::NewEdit(int id)
{
    auto* edit = new QLineEdit(Body());
    SetDlgCtrlID(edit, id);
    return edit;
}

void CContactAddressPage::FinishLayout(int addressRow, int webRow)
{
    QGridLayout* grid = Grid();
    auto* address = new QGridLayout;
    // The mnemonic stays clear of the page's other labels.
    m_default->setText(m_addressType == ADDR_BUSINESS ? tr("Default &address") : tr("&Default address"));
    auto* streetLabel = new QLabel(tr("&Street address:"), Body());
    streetLabel->setBuddy(m_street);
    address->addWidget(streetLabel, 0, 0, Qt::AlignTop);
    address->addWidget(m_street, 0, 1);
    const std::pair<QString, QLineEdit*> lines[] = {{tr("&City:"), m_city}, {tr("State/&Province:"), m_state},
        {tr("&Zip Code:"), m_zip}, {tr("Country/&Region:"), m_country}};
    int row = 1;
    for (const auto& [text, edit] : lines) {
        auto* label = new QLabel(text, Body());
        label->setBuddy(edit);
        address->addWidget(label, row, 0);
        address->addWidget(edit, row++, 1);
    }
    auto* checkRow = new QHBoxLayout;
    checkRow->addWidget(m_default);
    checkRow->addStretch(1);
    checkRow->addWidget(m_format);
    address->addLayout(checkRow, row, 1);
    grid->addLayout(address, addressRow, 0, 1, 2);

    // The slots beside the address: phones, then e-mail, each group named.
    auto* slotGrid = new QGridLayout;
    int slotRow = 0;
    SlotList group = SlotList::Emails;
    for (int i = 0; i < m_slots->Count(); ++i) {
        if (i == 0 || m_slots->Slot(i).list != group) {
            group = m_slots->Slot(i).list;
            auto* title = new QLabel(group == SlotList::Phones ? tr("Phones") : tr("E-mail"), Body());
            SetDlgCtrlID(title, group == SlotList::Phones ? 1062 : 1063);
            QFont bold = title->font();
            bold.setBold(true);
            title->setFont(bold);
            slotGrid->addWidget(title, slotRow++, 0, 1, 2);
        }
        slotGrid->addWidget(m_slots->Button(i), slotRow, 0);
        slotGrid->addWidget(m_slots->Edit(i), slotRow++, 1);
    }
    slotGrid->setRowStretch(slotRow, 1);
    slotGrid->setColumnStretch(1, 1);
    grid->addLayout(slotGrid, addressRow, 2, 1, 2);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    if (!m_web) {
        grid->setRowStretch(addressRow + 1, 1);
        return;
    }

    auto* webLabel = new QLabel(tr("&Web page:"), Body());
    webLabel->setBuddy(m_web);
    grid->addWidget(webLabel, webRow, 0);
    auto* webRowLayout = new QHBoxLayout;
    webRowLayout->addWidget(m_web, 1);
    webRowLayout->addWidget(m_go);
    grid->addLayout(webRowLayout, webRow, 1, 1, 3);
    grid->setRowStretch(webRow + 1, 1);
}

void CContactAddressPage::SetTabChain(const std::vector<QWidget*>& chain)
{
    for (size_t i = 1; i < chain.size(); ++i)
        setTabOrder(chain[i - 1], chain[i]);
}

std::vector<QWidget*> CContactAddressPage::AddressChain() const
{
    return {m_street, m_city, m_state, m_zip, m_country, m_default, m_format};
}

std::vector<QWidget*> CContactAddressPage::SlotChain() const
{
    std::vector<QWidget*> chain;
    for (int i = 0; i < m_slots->Count(); ++i) {
        chain.push_back(m_slots->Button(i));
        chain.push_back(m_slots->Edit(i));
    }
    return chain;
}

void CContactAddressPage::LoadFrom(Contact& contact)
{
    const ContactAddress* shown = ContactAddressOfKind(contact, m_addressType);
    m_hadAddress = shown != nullptr;
    m_loadedAddress = shown ? *shown : ContactAddress{};
    m_nLoadedIndex = shown ? size_t(shown - contact.m_addresses.data()) : 0;
    const ContactAddress& a = m_loadedAddress;
    m_street->setPlainText(QString::fromStdString(a.m_strStreet));
    m_city->setText(QString::fromStdString(a.m_strCity));
    m_state->setText(QString::fromStdString(a.m_strState));
    m_zip->setText(QString::fromStdString(a.m_strZip));
    m_country->setText(QString::fromStdString(a.m_strCountry));
    const int formats = int(Host()->GetUserMan().m_addressFormats.GetSize());
    m_nFormat = m_hadAddress ? int(a.m_dwFormat) : int(m_defaultFormat);
    if (m_nFormat > formats - 1 || m_nFormat < 0)
        m_nFormat = int(m_defaultFormat);
    m_nLoadedFormat = m_nFormat;
    m_loadedDefault = m_hadAddress && (a.m_dwType & ADDR_DEFAULT);
    m_default->setChecked(m_loadedDefault);
    m_slots->Load(&contact);
    if (m_web) {
        const ContactValue* web = FindWeb(contact.m_web, m_webFlag, 0);
        m_loadedWeb = web ? web->m_strText : std::string();
        m_web->setText(QString::fromStdString(m_loadedWeb));
    }
    m_format->setEnabled(bool(ContactServices().chooseAddressFormat));
}

void CContactAddressPage::Store()
{
    CContactPage::Store();
}

bool CContactAddressPage::IsDefaultAddress() const
{
    return m_default->isChecked();
}

void CContactAddressPage::SetDefaultCheck(bool on)
{
    m_default->setChecked(on);
}

void CContactAddressPage::StoreInto(Contact& contact) const
{
    const std::string fields[] = {m_street->toPlainText().toStdString(), m_city->text().toStdString(),
        m_state->text().toStdString(), m_zip->text().toStdString(), m_country->text().toStdString()};
    const bool isDefault = m_default->isChecked();
    // The address the page showed, though another page may have taken the
    // default from it since.
    ContactAddress* address = nullptr;
    if (m_hadAddress && m_nLoadedIndex < contact.m_addresses.size()
        && contact.m_addresses[m_nLoadedIndex].Type() == m_addressType)
        address = &contact.m_addresses[m_nLoadedIndex];
    else if (m_hadAddress)
        address = ContactAddressOfKind(contact, m_addressType);
    if (!address) {
        const bool given = isDefault || m_nFormat != m_nLoadedFormat
            || std::any_of(
                std::begin(fields), std::end(fields), [](const std::string& f) { return !f.empty(); });
        if (!given)
            return StoreWebInto(contact);
        contact.m_addresses.push_back({m_addressType, {}, {}, {}, {}, {}, u32(m_nLoadedFormat), 0});
        address = &contact.m_addresses.back();
    }
    StoreText(address->m_strStreet, fields[0]);
    StoreText(address->m_strCity, fields[1]);
    StoreText(address->m_strState, fields[2]);
    StoreText(address->m_strZip, fields[3]);
    StoreText(address->m_strCountry, fields[4]);
    if (m_nFormat != m_nLoadedFormat)
        address->m_dwFormat = u32(m_nFormat);
    if (isDefault != m_loadedDefault) {
        address->m_dwType
            = isDefault ? (address->m_dwType | ADDR_DEFAULT) : (address->m_dwType & ~ADDR_DEFAULT);
        // The user chose this one: no other address stays the default.
        if (isDefault)
            for (ContactAddress& other : contact.m_addresses)
                if (&other != address)
                    other.m_dwType &= ~ADDR_DEFAULT;
    }
    StoreWebInto(contact);
}

void CContactAddressPage::StoreWebInto(Contact& contact) const
{
    if (m_web)
        StoreWeb(
            contact.m_web, m_webFlag, 0, m_webFlag | m_webType, m_loadedWeb, m_web->text().toStdString());
}

void CContactAddressPage::UpdateGo()
{
    m_go->setEnabled(IsWebPageGiven(m_web->text()));
}

void CContactAddressPage::OnGo()
{
    if (m_go && m_go->isEnabled())
        OpenLink(m_web->text().toStdString());
}

void CContactAddressPage::RemapFormat(const AddressFormatRemap& remap)
{
    m_nFormat = int(RemapFormatIndex(u32(m_nFormat), remap, m_defaultFormat));
    m_nLoadedFormat = int(RemapFormatIndex(u32(m_nLoadedFormat), remap, m_defaultFormat));
}

void CContactAddressPage::OnFormat()
{
    const auto& choose = ContactServices().chooseAddressFormat;
    int format = m_nFormat;
    if (choose && choose(this, format))
        m_nFormat = format;
}

bool CContactAddressPage::FillDropMenu(int buttonId, QMenu* menu)
{
    return m_slots->FillMenu(buttonId, menu);
}

void CContactAddressPage::OnTypePicked(int)
{
    m_slots->PickType();
}

void CContactAddressPage::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && QApplication::focusWidget() == m_default) {
        if (m_default->isChecked())
            Host()->SetDefaultAddress(m_addressType);
        return;
    }
    CContactPage::keyPressEvent(event);
}

CContactBusinessPage::CContactBusinessPage(CDialogContactProps* host)
    : CContactAddressPage(host, 1350,
        QT_TR_NOOP("Enter business-related information about this contact here"),
        {{1312, 1101}, {1314, 1101}, {1316, 1101}, {1318, 1128}, {1305, 1102}, {1311, 1103}, {1333, 1104},
            {1336, 1105}, {1310, 1106}, {1319, 1107}, {1313, 1108}, {1315, 1108}, {1317, 1108}, {1334, 1109},
            {1332, 1110}, {1335, 1111}, {1304, 1112}, {1058, 1113}, {1060, 1114}, {1059, 1115}, {1306, 1193},
            {0, 0}},
        ADDR_BUSINESS, CV_WEB_BUSINESS_PAGE_SHOWN, WEB_BUSINESS_PAGE, 1,
        {1332, 1333, 1334, 1335, 1336, 1311, 1306, 1310, 1305})
    , m_company(NewEdit(1304))
    , m_department(NewEdit(1058))
    , m_office(NewEdit(1059))
    , m_jobTitle(NewEdit(1060))
{
    Slots()->Add(Body(), {SlotList::Phones, SLOT_BUSINESS_PHONE1, BusinessPhoneTypes(), 11}, 1312, 1313);
    Slots()->Add(Body(), {SlotList::Phones, SLOT_BUSINESS_PHONE2, BusinessPhoneTypes(), 12}, 1314, 1315);
    Slots()->Add(Body(), {SlotList::Phones, SLOT_BUSINESS_PHONE3, BusinessPhoneTypes(), 14}, 1316, 1317);
    Slots()->Add(Body(), {SlotList::Emails, SLOT_BUSINESS_EMAIL, BusinessEmailTypes(), 6}, 1318, 1319);
    QGridLayout* grid = Grid();
    AddLabel(tr("Co&mpany:"), m_company, 0, 0);
    grid->addWidget(m_company, 0, 1);
    AddLabel(tr("&Department:"), m_department, 0, 2);
    grid->addWidget(m_department, 0, 3);
    AddLabel(tr("&Office:"), m_office, 1, 0);
    grid->addWidget(m_office, 1, 1);
    AddLabel(tr("&Job title:"), m_jobTitle, 1, 2);
    grid->addWidget(m_jobTitle, 1, 3);
    FinishLayout(2, 3);
    std::vector<QWidget*> chain{m_company, m_department, m_office, m_jobTitle};
    for (const auto& part : {AddressChain(), SlotChain(), std::vector<QWidget*>{WebEdit(), GoButton()}})
        chain.insert(chain.end(), part.begin(), part.end());
    SetTabChain(chain);
}

void CContactBusinessPage::LoadFrom(Contact& contact)
{
    CContactAddressPage::LoadFrom(contact);
    m_company->setText(QString::fromStdString(contact.m_strCompany));
    m_department->setText(QString::fromStdString(contact.m_strDepartment));
    m_office->setText(QString::fromStdString(contact.m_strOffice));
    m_jobTitle->setText(QString::fromStdString(contact.m_strJobTitle));
}

void CContactBusinessPage::StoreInto(Contact& contact) const
{
    CContactAddressPage::StoreInto(contact);
    contact.m_strCompany = m_company->text().toStdString();
    contact.m_strDepartment = m_department->text().toStdString();
    contact.m_strOffice = m_office->text().toStdString();
    contact.m_strJobTitle = m_jobTitle->text().toStdString();
}

CContactHomePage::CContactHomePage(CDialogContactProps* host)
    : CContactAddressPage(host, 1351, QT_TR_NOOP("Enter home-related information about this contact here"),
        {{1320, 1101}, {1322, 1101}, {1324, 1101}, {1326, 1101}, {1328, 1128}, {1330, 1128}, {1308, 1102},
            {1055, 1129}, {1051, 1130}, {1053, 1131}, {1052, 1132}, {1054, 1133}, {1321, 1108}, {1323, 1108},
            {1325, 1108}, {1327, 1108}, {1329, 1107}, {1331, 1107}, {1056, 1134}, {1516, 1135}, {1289, 1136},
            {1644, 1193}, {0, 0}},
        ADDR_HOME, CV_WEB_HOME_PAGE_SHOWN, WEB_HOME_PAGE, 2,
        {1051, 1053, 1052, 1054, 1055, 1289, 1644, 1056, 1308})
    , m_icq(NewEdit(1516))
{
    Slots()->Add(Body(), {SlotList::Phones, SLOT_HOME_PHONE1, HomePhoneTypes(), 1}, 1320, 1321);
    Slots()->Add(Body(), {SlotList::Phones, SLOT_HOME_PHONE2, HomePhoneTypes(), 2}, 1322, 1323);
    Slots()->Add(Body(), {SlotList::Phones, SLOT_HOME_PHONE3, HomePhoneTypes(), 5}, 1324, 1325);
    Slots()->Add(Body(), {SlotList::Phones, SLOT_HOME_PHONE4, HomePhoneTypes(), 4}, 1326, 1327);
    Slots()->Add(Body(), {SlotList::Emails, SLOT_HOME_EMAIL1, HomeEmailTypes(), 1}, 1328, 1329);
    Slots()->Add(Body(), {SlotList::Emails, SLOT_HOME_EMAIL2, HomeEmailTypes(), 2}, 1330, 1331);
    FinishLayout(0, 2);
    AddLabel(tr("&ICQ uin:"), m_icq, 1, 0);
    Grid()->addWidget(m_icq, 1, 1);
    std::vector<QWidget*> chain = AddressChain();
    for (const auto& part : {SlotChain(), std::vector<QWidget*>{m_icq, WebEdit(), GoButton()}})
        chain.insert(chain.end(), part.begin(), part.end());
    SetTabChain(chain);
}

void CContactHomePage::LoadFrom(Contact& contact)
{
    CContactAddressPage::LoadFrom(contact);
    const ContactValue* icq = FindWeb(contact.m_web, 0, WEB_ICQ);
    m_loadedIcq = icq ? icq->m_strText : std::string();
    m_icq->setText(QString::fromStdString(m_loadedIcq));
}

void CContactHomePage::StoreInto(Contact& contact) const
{
    CContactAddressPage::StoreInto(contact);
    StoreWeb(contact.m_web, 0, WEB_ICQ, WEB_ICQ, m_loadedIcq, m_icq->text().toStdString());
}

CContactPostalPage::CContactPostalPage(CDialogContactProps* host)
    : CContactAddressPage(host, kCaptionId, QT_TR_NOOP("Enter the postal address of this contact here"),
        {{1710, 1145}, {1711, 1146}, {1712, 1147}, {1713, 1148}, {1714, 1149}, {1715, 1150}, {1716, 1193},
            {0, 0}},
        ADDR_POSTAL, 0, 0, 0, {1710, 1711, 1712, 1713, 1714, 1715, 1716, 0, 0})
{
    FinishLayout(0, -1);
    SetTabChain(AddressChain());
}
