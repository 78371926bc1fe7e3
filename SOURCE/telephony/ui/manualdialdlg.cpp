#include "telephony/ui/manualdialdlg.h"

#include "controls/contexthelp.h"
#include "controls/flatbutton.h"
#include "core/utilities.h"
#include "platform/ui/window.h"
#include "telephony/calllog.h"
#include "telephony/tapiman.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <algorithm>

namespace {

constexpr u32 IDS_SPECIFY_NUMBER = 59213;
constexpr u32 IDS_CANNOT_DIAL = 59214;

}  // namespace

CDialogManualDial::CDialogManualDial(TapiMan& tapiMan, QWidget* parent)
    : CFramedDialog(kTemplateId, parent)
    , m_tapiMan(tapiMan)
    , m_number(new QComboBox)
    , m_dial(new CFlatButton(QStringLiteral("&Dial")))
    , m_close(new CFlatButton(QStringLiteral("&Close")))
    , m_create(new CFlatButton(QStringLiteral("C&reate contact")))
{
    setWindowTitle(QStringLiteral("Manual Dial"));
    Caption()->setText(QStringLiteral("Enter phone number and press 'Dial'"));
    m_captionPointSize = 9;

    m_number->setEditable(true);
    m_number->setInsertPolicy(QComboBox::NoInsert);
    m_number->setMinimumContentsLength(24);
    m_number->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_create);
    buttons->addStretch(1);
    buttons->addWidget(m_dial);
    buttons->addWidget(m_close);
    for (CFlatButton* button : {m_dial, m_close, m_create})
        button->setAutoDefault(true);
    m_dial->setDefault(true);
    SetDlgCtrlID(m_number, kNumberId);
    SetDlgCtrlID(m_dial, kDialId);
    SetDlgCtrlID(m_create, kCreateId);
    EnableContextHelp(this, {{kNumberId, 1310}, {kDialId, 1311}, {kCreateId, 1312}});

    auto* layout = new QVBoxLayout(Frame());
    layout->addWidget(m_number);
    layout->addLayout(buttons);
    // Tab reads the row of buttons from the left.
    setTabOrder(m_number, m_create);
    setTabOrder(m_create, m_dial);
    setTabOrder(m_dial, m_close);

    connect(m_dial, &QPushButton::clicked, this, &CDialogManualDial::OnDial);
    connect(m_create, &QPushButton::clicked, this, &CDialogManualDial::OnCreateContact);
    connect(m_close, &QPushButton::clicked, this, &CDialogManualDial::reject);
}

bool CDialogManualDial::OnInitDialog()
{
    CFramedDialog::OnInitDialog();
    m_history = TapiMan::LoadManualPhones();
    for (const std::string& number : m_history)
        m_number->addItem(QString::fromStdString(number));
    m_number->setCurrentIndex(-1);
    m_number->clearEditText();
    m_dial->setEnabled(m_tapiMan.GetCurDevice() != kNoTapiDevice);
    m_number->setFocus();
    return true;
}

std::string CDialogManualDial::Number() const
{
    return m_number->currentText().trimmed().toStdString();
}

void CDialogManualDial::OnOK()
{
    // Enter acts on the focused button; anywhere else it dials.
    if (m_create->hasFocus())
        OnCreateContact();
    else if (m_close->hasFocus())
        reject();
    else if (m_dial->isEnabled())
        OnDial();
}

void CDialogManualDial::OnDial()
{
    const std::string number = Number();
    if (number.empty()) {
        MsgInfo(IDS_SPECIFY_NUMBER, this);
        return;
    }
    if (!m_tapiMan.IsInitialized()) {
        MsgStop(IDS_CANNOT_DIAL, this);
        return;
    }
    m_tapiMan.Dial(kAllContacts, DIAL_MANUAL, number, "");
    // Text the line refused as no number is left out: the history offers
    // numbers to dial again.
    if (m_tapiMan.LastNumberRefused()
        || std::find(m_history.begin(), m_history.end(), number) != m_history.end())
        return;
    if (m_history.size() >= TapiMan::kManualPhonesLimit) {
        m_history.erase(m_history.begin());
        m_number->removeItem(0);
    }
    m_history.push_back(number);
    m_number->addItem(QString::fromStdString(number));
    m_number->setEditText(QString::fromStdString(number));
}

void CDialogManualDial::OnCreateContact()
{
    if (m_createContact)
        m_createContact(Number());
}

void CDialogManualDial::done(int result)
{
    TapiMan::SaveManualPhones(m_history);
    CFramedDialog::done(result);
}
