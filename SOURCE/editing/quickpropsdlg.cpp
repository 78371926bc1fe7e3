#include "editing/quickpropsdlg.h"

#include "controls/contexthelp.h"
#include "controls/flatbutton.h"
#include "core/dataman.h"
#include "core/fieldtexts.h"
#include "core/userman.h"
#include "core/utilities.h"
#include "editing/contactslots.h"
#include "editing/contactwrite.h"
#include "editing/datefield.h"
#include "editing/slotfields.h"
#include "platform/ui/openlink.h"
#include "platform/ui/window.h"
#include "platform/ui/wndmessage.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace {

constexpr u32 kPropertiesText = 59434;
constexpr u32 kOutOfMemory = 59439;
constexpr u32 kNoNameMessage = 59529;
constexpr int kGoIcon = 405;
constexpr u32 kHomeFormat = 2;
constexpr u32 kQuickWebFlag = CV_WEB_HOME_PAGE_SHOWN;
constexpr u32 kQuickWebCode = CV_WEB_HOME_PAGE_SHOWN | WEB_HOME_PAGE;

const HelpPairs kHelp{{1067, 1116}, {1068, 1117}, {1069, 1118}, {1312, 1101}, {1330, 1128}, {1320, 1101},
    {1328, 1128}, {1308, 1102}, {1055, 1129}, {1051, 1130}, {1053, 1131}, {1052, 1132}, {1054, 1133},
    {1321, 1108}, {1313, 1108}, {1329, 1107}, {1331, 1107}, {1056, 1134}, {1293, 1142}, {1061, 1143}, {0, 0}};

QLineEdit* NewEdit(QWidget* parent, int id)
{
    auto* edit = new QLineEdit(parent);
    SetDlgCtrlID(edit, id);
    return edit;
}

}  // namespace

CDialogQuickProps::CDialogQuickProps(DataMan& dataMan, UserMan& userMan, QWidget* parent)
    : CFramedDialog(kTemplateId, parent)
    , m_dataMan(dataMan)
    , m_userMan(userMan)
    , m_slots(new CSlotFields(this))
    , m_first(NewEdit(Frame(), 1067))
    , m_middle(NewEdit(Frame(), 1068))
    , m_last(NewEdit(Frame(), 1069))
    , m_street(new QPlainTextEdit(Frame()))
    , m_city(NewEdit(Frame(), 1053))
    , m_state(NewEdit(Frame(), 1052))
    , m_zip(NewEdit(Frame(), 1054))
    , m_country(NewEdit(Frame(), 1055))
    , m_web(NewEdit(Frame(), 1056))
    , m_go(new CFlatButton(tr("&Go"), Frame()))
    , m_birthday(new CDateField(Frame()))
    , m_notes(new QPlainTextEdit(Frame()))
    , m_ok(new CFlatButton(tr("OK"), Frame()))
    , m_cancel(new CFlatButton(tr("Cancel"), Frame()))
    , m_switch(new CFlatButton(tr("Switch to &advanced mode"), Frame()))
{
    setWindowTitle(tr("New contact"));
    Caption()->setText(tr("Enter information about this contact here"));
    SetDlgCtrlID(m_street, 1051);
    SetDlgCtrlID(m_go, 1308);
    SetDlgCtrlID(m_birthday, 1293);
    SetDlgCtrlID(m_notes, 1061);
    SetDlgCtrlID(m_ok, IDOK);
    SetDlgCtrlID(m_cancel, IDCANCEL);
    SetDlgCtrlID(m_switch, kSwitchId);
    m_go->SetIcon(kGoIcon, kGoIcon, 16, 16);
    m_go->setFixedWidth(DialogUnitsToPixelsX(this, 24));
    m_ok->setDefault(true);
    m_street->setTabChangesFocus(true);
    m_notes->setTabChangesFocus(true);
    const int lines = m_street->fontMetrics().lineSpacing();
    m_street->setFixedHeight(lines * 3 + 2 * m_street->frameWidth() + 8);
    m_notes->setMinimumHeight(lines * 4);
    m_slots->Add(Frame(), {SlotList::Phones, CV_DEFAULT_HOME_PHONE, HomePhoneTypes(), 1}, 1320, 1321);
    m_slots->Add(
        Frame(), {SlotList::Phones, CV_DEFAULT_BUSINESS_PHONE, BusinessPhoneTypes(), 11}, 1312, 1313);
    m_slots->Add(Frame(), {SlotList::Emails, CV_DEFAULT_HOME_EMAIL, HomeEmailTypes(), 1}, 1328, 1329);
    m_slots->Add(Frame(), {SlotList::Emails, CV_DEFAULT_BUSINESS_EMAIL, BusinessEmailTypes(), 6}, 1330, 1331);

    auto* grid = new QGridLayout(Frame());
    const int dx = DialogUnitsToPixelsX(this, 7);
    grid->setContentsMargins(dx, dx, dx, dx);
    int row = 0;
    auto label = [&](const QString& text, QWidget* buddy, int r, int c, Qt::Alignment align = {}) {
        auto* l = new QLabel(text, Frame());
        l->setBuddy(buddy);
        grid->addWidget(l, r, c, align);
    };
    label(tr("&First:"), m_first, row, 0);
    grid->addWidget(m_first, row, 1);
    label(tr("&Middle:"), m_middle, row, 2);
    grid->addWidget(m_middle, row++, 3);
    label(tr("&Last:"), m_last, row, 0);
    grid->addWidget(m_last, row++, 1);
    // The address down the left; beside it the phones, then the e-mails,
    // each pair under its caption (so the two "Home" and two "Business"
    // buttons are told apart), the web page and the birthday. Each side is
    // its own grid, so neither stretches the other's rows.
    auto* address = new QGridLayout;
    auto* streetLabel = new QLabel(tr("&Street address:"), Frame());
    streetLabel->setBuddy(m_street);
    address->addWidget(streetLabel, 0, 0, Qt::AlignTop);
    address->addWidget(m_street, 0, 1);
    const std::pair<QString, QLineEdit*> addressLines[] = {{tr("&City:"), m_city},
        {tr("State/&Province:"), m_state}, {tr("&Zip Code:"), m_zip}, {tr("Country/&Region:"), m_country}};
    int addressRow = 1;
    for (const auto& [text, edit] : addressLines) {
        auto* l = new QLabel(text, Frame());
        l->setBuddy(edit);
        address->addWidget(l, addressRow, 0);
        address->addWidget(edit, addressRow++, 1);
    }
    address->setRowStretch(addressRow, 1);
    address->setColumnStretch(1, 1);
    grid->addLayout(address, row, 0, 1, 2);

    auto* side = new QGridLayout;
    int sideRow = 0;
    for (int i = 0; i < m_slots->Count(); ++i) {
        if (i % 2 == 0) {
            auto* title = new QLabel(i == 0 ? tr("Phone") : tr("E-mail"), Frame());
            QFont bold = title->font();
            bold.setBold(true);
            title->setFont(bold);
            side->addWidget(title, sideRow++, 0, 1, 2);
        }
        side->addWidget(m_slots->Button(i), sideRow, 0);
        side->addWidget(m_slots->Edit(i), sideRow++, 1);
    }
    auto* webLabel = new QLabel(tr("&Web page:"), Frame());
    webLabel->setBuddy(m_web);
    side->addWidget(webLabel, sideRow, 0);
    auto* web = new QHBoxLayout;
    web->addWidget(m_web, 1);
    web->addWidget(m_go);
    side->addLayout(web, sideRow++, 1);
    auto* birthdayLabel = new QLabel(tr("&Birthday:"), Frame());
    birthdayLabel->setBuddy(m_birthday->Edit());
    side->addWidget(birthdayLabel, sideRow, 0);
    side->addWidget(m_birthday, sideRow++, 1);
    side->setRowStretch(sideRow, 1);
    side->setColumnStretch(1, 1);
    grid->addLayout(side, row++, 2, 1, 2);
    // The left labels line up in one column, in the grid and the address.
    int labelWidth = 0;
    for (QLabel* l : Frame()->findChildren<QLabel*>())
        if (grid->indexOf(l) >= 0)
            labelWidth = std::max(labelWidth, l->sizeHint().width());
    for (int i = 0; i < address->count(); ++i)
        if (auto* l = qobject_cast<QLabel*>(address->itemAt(i)->widget()))
            labelWidth = std::max(labelWidth, l->sizeHint().width());
    grid->setColumnMinimumWidth(0, labelWidth);
    address->setColumnMinimumWidth(0, labelWidth);
    label(tr("&Notes:"), m_notes, row, 0, Qt::AlignTop);
    grid->addWidget(m_notes, row++, 1, 1, 3);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_switch);
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    grid->addLayout(buttons, row, 0, 1, 4);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(row - 1, 1);

    std::vector<QWidget*> order{m_first, m_middle, m_last, m_street, m_city, m_state, m_zip, m_country};
    for (int i = 0; i < m_slots->Count(); ++i) {
        order.push_back(m_slots->Button(i));
        order.push_back(m_slots->Edit(i));
    }
    order.insert(order.end(),
        {m_web, m_go, m_birthday->Check(), m_birthday->Edit(), m_notes, m_switch, m_ok, m_cancel});
    for (size_t i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    for (QLineEdit* edit : {m_first, m_middle, m_last})
        connect(edit, &QLineEdit::textEdited, this, &CDialogQuickProps::OnNameEdited);
    connect(m_web, &QLineEdit::textChanged, this, &CDialogQuickProps::UpdateControls);
    connect(m_go, &QPushButton::clicked, this, [this] {
        if (m_go->isEnabled())
            OpenLink(m_web->text().toStdString());
    });
    connect(m_ok, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { OnCancel(); });
    connect(m_switch, &QPushButton::clicked, this, [this] {
        m_bSwitchMode = true;
        OnOK();
    });
    // The type buttons ask the frame for their menus.
    Frame()->installEventFilter(this);
    EnableContextHelp(this, kHelp);
}

CDialogQuickProps::~CDialogQuickProps() = default;

void CDialogQuickProps::LoadContact()
{
    Contact& c = *m_pContact;
    m_first->setText(QString::fromStdString(c.m_strFirstName));
    m_middle->setText(QString::fromStdString(c.m_strMiddleName));
    m_last->setText(QString::fromStdString(c.m_strLastName));
    const ContactAddress* home = ContactAddressOfKind(c, ADDR_HOME);
    const ContactAddress none;
    const ContactAddress& a = home ? *home : none;
    m_street->setPlainText(QString::fromStdString(a.m_strStreet));
    m_city->setText(QString::fromStdString(a.m_strCity));
    m_state->setText(QString::fromStdString(a.m_strState));
    m_zip->setText(QString::fromStdString(a.m_strZip));
    m_country->setText(QString::fromStdString(a.m_strCountry));
    m_nFormat = home ? int(a.m_dwFormat) : int(kHomeFormat);
    if (m_nFormat < 0 || m_nFormat > int(m_userMan.m_addressFormats.GetSize()) - 1)
        m_nFormat = int(kHomeFormat);
    m_nLoadedFormat = m_nFormat;
    m_slots->Load(&c);
    const ContactValue* web = FindWeb(c.m_web, kQuickWebFlag, 0);
    m_loadedWeb = web ? web->m_strText : std::string();
    m_web->setText(QString::fromStdString(m_loadedWeb));
    // A narrow field shows the address from its start, scheme included.
    m_web->setCursorPosition(0);
    m_birthday->SetValue(c.m_dtBirthday);
    m_notes->setPlainText(QString::fromStdString(c.m_strNotes));
    // A display name of the contact's own stays until the names change.
    m_displayName = QString::fromStdString(c.m_strName).trimmed();
    if (m_nMode == MODE_EDIT)
        UpdateTitle();
    else
        setWindowTitle(tr("New contact"));
    UpdateControls();
}

bool CDialogQuickProps::OnInitDialog()
{
    CFramedDialog::OnInitDialog();
    m_first->setFocus();
    return true;
}

void CDialogQuickProps::OnNameEdited()
{
    QString name;
    for (const QLineEdit* edit : {m_first, m_middle, m_last}) {
        const QString part = edit->text().trimmed();
        if (!part.isEmpty())
            name += part + QLatin1Char(' ');
    }
    m_displayName = name.trimmed();
    UpdateTitle();
    UpdateControls();
}

void CDialogQuickProps::UpdateTitle()
{
    setWindowTitle(m_displayName.isEmpty() ? QString::fromStdString(LoadResString(kPropertiesText))
                                           : m_displayName + tr(" properties"));
}

void CDialogQuickProps::UpdateControls()
{
    m_ok->setEnabled(!m_displayName.isEmpty());
    m_go->setEnabled(IsWebPageGiven(m_web->text()));
}

void CDialogQuickProps::OnOK()
{
    if (!m_displayName.isEmpty() || m_bSwitchMode)
        EndDialog(IDOK);
    else
        MsgStop(kNoNameMessage, this);
}

bool CDialogQuickProps::event(QEvent* e)
{
    if (e->type() == WindowMessageEvent::EventType()) {
        auto* message = static_cast<WindowMessageEvent*>(e);
        if (message->Message() == WM_GETDROPMENU()) {
            auto* menu = reinterpret_cast<QMenu*>(message->LParam());
            message->SetResult(menu && m_slots->FillMenu(int(message->WParam()), menu) ? 1 : 0);
            return true;
        }
        if (message->Message() == WM_COMMAND) {
            const unsigned id = LOWORD(message->WParam());
            if (id == ID_DROPMENU_PHONE_TYPE || id == ID_DROPMENU_EMAIL_TYPE)
                m_slots->PickType();
            return true;
        }
    }
    return CFramedDialog::event(e);
}

bool CDialogQuickProps::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == Frame() && e->type() == WindowMessageEvent::EventType())
        return event(e);
    return CFramedDialog::eventFilter(watched, e);
}

void CDialogQuickProps::StoreInto(Contact& c) const
{
    c.m_strFirstName = m_first->text().toStdString();
    c.m_strMiddleName = m_middle->text().toStdString();
    c.m_strLastName = m_last->text().toStdString();
    c.m_strName = m_displayName.toStdString();
    RemoveEmptyValues(c);

    const std::string fields[] = {m_street->toPlainText().toStdString(), m_city->text().toStdString(),
        m_state->text().toStdString(), m_zip->text().toStdString(), m_country->text().toStdString()};
    ContactAddress* home = ContactAddressOfKind(c, ADDR_HOME);
    if (!home && std::any_of(std::begin(fields), std::end(fields), [](const std::string& f) {
            return !f.empty();
        })) {
        // The new home address is the default one unless another already is.
        const bool otherDefault = std::any_of(c.m_addresses.begin(), c.m_addresses.end(),
            [](const ContactAddress& a) { return (a.m_dwType & ADDR_DEFAULT) != 0; });
        c.m_addresses.push_back(
            {ADDR_HOME | (otherDefault ? 0 : ADDR_DEFAULT), {}, {}, {}, {}, {}, kHomeFormat, 0});
        home = &c.m_addresses.back();
    }
    if (home) {
        StoreText(home->m_strCountry, fields[4]);
        StoreText(home->m_strStreet, fields[0]);
        StoreText(home->m_strCity, fields[1]);
        StoreText(home->m_strState, fields[2]);
        StoreText(home->m_strZip, fields[3]);
    }
    StoreWeb(c.m_web, kQuickWebFlag, 0, kQuickWebCode, m_loadedWeb, m_web->text().toStdString());
    c.m_dtBirthday = m_birthday->Value();
    StoreText(c.m_strNotes, m_notes->toPlainText().toStdString());
}

int CDialogQuickProps::Finish(int result)
{
    if (result != IDOK)
        return result;
    StoreInto(*m_pContact);
    if (m_nMode == MODE_NEW) {
        Contact* added = AddNewContact(m_dataMan, std::move(m_pContact), {}, m_nNewContactIndex);
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
    // The simple dialog leaves the contact's books as they are.
    if (WriteBackContact(m_dataMan, *m_pEdited, *m_pContact, {}) && !m_bSwitchMode)
        m_dataMan.Save(DFK_DATA);
    return IDOK;
}
