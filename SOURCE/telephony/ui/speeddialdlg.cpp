#include "telephony/ui/speeddialdlg.h"

#include "controls/contexthelp.h"
#include "controls/flatbutton.h"
#include "core/dataman.h"
#include "core/utilities.h"
#include "platform/ui/window.h"
#include "telephony/calllog.h"
#include "telephony/tapiman.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr u32 IDS_NO_DEVICES = 59534;
constexpr const char* kSlotsError = "Error reading speed records data !!!";

QString Text(const std::string& text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// A user's text on a button: an ampersand is a character, not a mnemonic.
QString ButtonText(const std::string& text)
{
    return Text(text).replace(u'&', QStringLiteral("&&"));
}

int CharWidth(const QWidget* widget)
{
    return widget->fontMetrics().horizontalAdvance(QLatin1Char('x'));
}

}  // namespace

CDialogSpeedDial::CDialogSpeedDial(TapiMan& tapiMan, DataMan& dataMan, QWidget* parent)
    : CFramedDialog(kTemplateId, parent)
    , m_tapiMan(tapiMan)
    , m_dataMan(dataMan)
{
    setWindowTitle(QStringLiteral("Speed Dial"));
    Caption()->setText(QStringLiteral("Click button or press Alt+\"0-9\" to dial phone"));
    m_captionPointSize = 9;

    auto* grid = new QGridLayout(Frame());
    for (int slot = 0; slot < kSpeedDialSlotCount; ++slot) {
        auto* button = new CFlatButton;
        button->setAutoDefault(true);
        button->setMinimumWidth(CharWidth(button) * 22);
        button->setObjectName(QStringLiteral("slot%1").arg(slot));
        SetDlgCtrlID(button, kFirstSlotId + slot);
        // Slots 0 to 4 down the left, 5 to 9 down the right.
        grid->addWidget(button, slot % 5, slot / 5);
        connect(button, &QPushButton::clicked, this, [this, slot] { DialSlot(slot); });
        m_buttons[std::size_t(slot)] = button;
        auto* shortcut = new QShortcut(QKeySequence(Qt::ALT | Qt::Key(Qt::Key_0 + slot)), this);
        connect(shortcut, &QShortcut::activated, this, [this, slot] { DialSlot(slot); });
    }
    HelpPairs help;
    for (int slot = 0; slot < kSpeedDialSlotCount; ++slot)
        help.emplace_back(kFirstSlotId + slot, 1330);
    EnableContextHelp(this, std::move(help));
}

bool CDialogSpeedDial::OnInitDialog()
{
    CFramedDialog::OnInitDialog();
    ShowTitles();
    const bool devices = m_tapiMan.GetCurDevice() != kNoTapiDevice;
    for (CFlatButton* button : m_buttons)
        button->setEnabled(devices);
    // Without a modem the buttons dial nothing: the caption says where one
    // is chosen instead.
    if (!devices)
        Caption()->setText(QStringLiteral("No modem chosen: choose one in Tools, Preferences, Dialing"));
    if (devices)
        m_buttons[0]->setFocus();
    return true;
}

void CDialogSpeedDial::ShowTitles()
{
    for (int slot = 0; slot < kSpeedDialSlotCount; ++slot) {
        const SpeedDialSlot* record = FindSpeedDialSlot(m_dataMan, slot);
        m_buttons[std::size_t(slot)]->setText(record ? ButtonText(record->m_strName) : QString());
    }
}

void CDialogSpeedDial::OnOK()
{
    for (int slot = 0; slot < kSpeedDialSlotCount; ++slot) {
        if (m_buttons[std::size_t(slot)]->hasFocus()) {
            DialSlot(slot);
            return;
        }
    }
}

void CDialogSpeedDial::DialSlot(int slot)
{
    if (m_tapiMan.GetCurDevice() == kNoTapiDevice) {
        MsgStop(IDS_NO_DEVICES, this);
        return;
    }
    const SpeedDialSlot* record = FindSpeedDialSlot(m_dataMan, slot);
    if (record && !record->m_strName.empty() && !record->m_strNumber.empty()) {
        // Copies: the call may change the store.
        const std::string number = record->m_strNumber;
        const std::string title = record->m_strName;
        m_tapiMan.Dial(kAllContacts, DIAL_SPEED_DIAL, number, title);
        return;
    }
    if (EditSlot(slot))
        ShowTitles();
}

bool CDialogSpeedDial::EditSlot(int slot)
{
    CDialogSpeedDialPrefs prefs(m_dataMan, this);
    prefs.SetPreselected(slot);
    prefs.SetSingleSlot(true);
    prefs.DoModal();
    return prefs.IsChanged();
}

CDialogSpeedDialPrefs::CDialogSpeedDialPrefs(DataMan& dataMan, QWidget* parent)
    : CFramedDialog(kTemplateId, parent)
    , m_dataMan(dataMan)
    , m_list(new QTreeWidget)
    , m_title(new QLineEdit)
    , m_number(new QLineEdit)
    , m_slot(new QLineEdit)
    , m_modify(new CFlatButton(QStringLiteral("&Modify")))
    , m_delete(new CFlatButton(QStringLiteral("&Delete")))
    , m_close(new CFlatButton(QStringLiteral("Clo&se")))
{
    setWindowTitle(QStringLiteral("Speed dial preferences"));
    Caption()->setText(QStringLiteral("Create and modify speed-dial numbers"));
    m_captionPointSize = 9;

    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setHeaderLabels({QStringLiteral("Button"), QStringLiteral("Title"), QStringLiteral("Number")});
    m_list->header()->setStretchLastSection(false);
    m_list->setMinimumWidth(CharWidth(m_list) * 56);
    m_list->setMinimumHeight(m_list->fontMetrics().height() * 13);
    m_slot->setReadOnly(true);
    m_slot->setMaximumWidth(CharWidth(m_slot) * 6);
    m_title->setMinimumWidth(CharWidth(m_title) * 24);
    SetDlgCtrlID(m_list, kListId);
    SetDlgCtrlID(m_title, kTitleId);
    SetDlgCtrlID(m_number, kNumberId);
    SetDlgCtrlID(m_slot, kSlotId);
    SetDlgCtrlID(m_modify, kModifyId);
    SetDlgCtrlID(m_delete, kDeleteId);
    EnableContextHelp(this,
        {{kListId, 1340}, {kTitleId, 1341}, {kNumberId, 1342}, {kSlotId, 1343}, {kModifyId, 1344},
            {kDeleteId, 1345}});

    auto* fields = new QFormLayout;
    auto* titleLabel = new QLabel(QStringLiteral("&Title"));
    titleLabel->setBuddy(m_title);
    auto* numberLabel = new QLabel(QStringLiteral("&Number"));
    numberLabel->setBuddy(m_number);
    fields->addRow(new QLabel(QStringLiteral("Button")), m_slot);
    fields->addRow(titleLabel, m_title);
    fields->addRow(numberLabel, m_number);

    auto* buttons = new QHBoxLayout;
    for (CFlatButton* button : {m_modify, m_delete}) {
        button->setAutoDefault(true);
        buttons->addWidget(button);
    }
    buttons->addStretch(1);
    m_close->setAutoDefault(true);
    buttons->addWidget(m_close);

    auto* layout = new QVBoxLayout(Frame());
    layout->addWidget(m_list, 1);
    layout->addLayout(fields);
    layout->addLayout(buttons);

    connect(m_modify, &QPushButton::clicked, this, &CDialogSpeedDialPrefs::OnModify);
    connect(m_delete, &QPushButton::clicked, this, &CDialogSpeedDialPrefs::OnDelete);
    connect(m_close, &QPushButton::clicked, this, &CDialogSpeedDialPrefs::reject);
    connect(m_list, &QTreeWidget::currentItemChanged, this,
        [this](QTreeWidgetItem* item) { OnSelectionChanged(item ? m_list->indexOfTopLevelItem(item) : -1); });
}

bool CDialogSpeedDialPrefs::OnInitDialog()
{
    CFramedDialog::OnInitDialog();
    if (m_dataMan.GetCount(DMK_SPEED_DIAL) != kSpeedDialSlotCount) {
        MsgStopText(kSlotsError, this);
        return true;
    }
    m_list->setColumnWidth(0, CharWidth(m_list) * 7);
    m_list->setColumnWidth(2, CharWidth(m_list) * 17);
    m_list->setColumnWidth(
        1, std::max(CharWidth(m_list) * 8, m_list->minimumWidth() - CharWidth(m_list) * 26));
    for (int slot = 0; slot < kSpeedDialSlotCount; ++slot) {
        const SpeedDialSlot* record = FindSpeedDialSlot(m_dataMan, slot);
        if (!record) {
            MsgStopText(kSlotsError, this);
            m_list->clear();
            return true;
        }
        m_list->addTopLevelItem(new QTreeWidgetItem(
            {QString::number(slot + 1), Text(record->m_strName), Text(record->m_strNumber)}));
    }
    m_bReady = true;
    const int first = m_nPreselected >= 0 && m_nPreselected < kSpeedDialSlotCount ? m_nPreselected : 0;
    m_list->setCurrentItem(m_list->topLevelItem(first));
    if (m_bSingleSlot) {
        m_delete->hide();
        const SpeedDialSlot* record = FindSpeedDialSlot(m_dataMan, first);
        m_title->setText(Text(record->m_strName));
        m_number->setText(Text(record->m_strNumber));
        m_title->setFocus();
    } else {
        m_list->setFocus();
    }
    return true;
}

int CDialogSpeedDialPrefs::CurrentSlot() const
{
    return m_nCurrent;
}

void CDialogSpeedDialPrefs::OnSelectionChanged(int row)
{
    if (!m_bReady)
        return;
    // A slot being edited keeps the selection.
    if (Locked() && m_nCurrent >= 0 && row != m_nCurrent) {
        const QSignalBlocker blocker(m_list);
        m_list->setCurrentItem(m_list->topLevelItem(m_nCurrent));
        return;
    }
    m_nCurrent = row;
    ShowRow(row);
}

void CDialogSpeedDialPrefs::ShowRow(int slot)
{
    const SpeedDialSlot* record = FindSpeedDialSlot(m_dataMan, slot);
    if (!record)
        return;
    m_slot->setText(QString::number(slot + 1));
    m_bCreateMode = record->m_strName.empty() && record->m_strNumber.empty();
    m_modify->setText(m_bCreateMode ? QStringLiteral("&Create") : QStringLiteral("&Modify"));
    if (QTreeWidgetItem* item = m_list->topLevelItem(slot)) {
        item->setText(1, Text(record->m_strName));
        item->setText(2, Text(record->m_strNumber));
    }
}

void CDialogSpeedDialPrefs::EmptyFields()
{
    m_title->clear();
    m_number->clear();
}

void CDialogSpeedDialPrefs::OnModify()
{
    SpeedDialSlot* record = FindSpeedDialSlot(m_dataMan, CurrentSlot());
    if (!record) {
        MsgStopText(kSlotsError, this);
        return;
    }
    const std::string title = m_title->text().toStdString();
    const std::string number = m_number->text().toStdString();
    if (m_bCreateMode || Locked()) {
        if (m_bCreateMode && (title.empty() || number.empty())) {
            MsgInfoText("Please enter data.", this);
            return;
        }
        SetSpeedDialSlot(m_dataMan, *record, title, number);
        m_bChanged = true;
        ShowRow(CurrentSlot());
        m_bEditing = false;
        if (m_bSingleSlot) {
            EndDialog(IDOK);
            return;
        }
        m_modify->setText(QStringLiteral("&Modify"));
        EmptyFields();
        return;
    }
    m_title->setText(Text(record->m_strName));
    m_number->setText(Text(record->m_strNumber));
    m_slot->setText(QString::number(CurrentSlot() + 1));
    m_modify->setText(record->m_strName.empty() && record->m_strNumber.empty() ? QStringLiteral("&Create")
                                                                               : QStringLiteral("&Update"));
    m_title->setFocus();
    m_bEditing = true;
}

void CDialogSpeedDialPrefs::OnDelete()
{
    SpeedDialSlot* record = FindSpeedDialSlot(m_dataMan, CurrentSlot());
    if (!record) {
        MsgStopText(kSlotsError, this);
        return;
    }
    SetSpeedDialSlot(m_dataMan, *record, {}, {});
    m_bChanged = true;
    ShowRow(CurrentSlot());
    m_modify->setText(QStringLiteral("&Create"));
    EmptyFields();
    m_bCreateMode = true;
    m_bEditing = false;
}

void CDialogSpeedDialPrefs::OnOK()
{
    if (m_close->hasFocus())
        reject();
    else if (m_delete->hasFocus())
        OnDelete();
    else
        OnModify();
}
