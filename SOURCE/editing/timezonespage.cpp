#include "editing/timezonespage.h"

#include "controls/cuttexttip.h"
#include "core/dataman.h"
#include "core/records.h"
#include "core/utilities.h"
#include "editing/prefutil.h"
#include "platform/oledate.h"
#include "platform/ui/window.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimerEvent>
#include <QTreeWidget>

namespace {

constexpr int kMaxNameLength = 256;
constexpr const char* kColumnsEntry = "TZListColumns";
// Where the time-zone editor would be offered; zones here come from the
// system's database, which the system keeps up to date.
constexpr const char* kRulesFromSystem
    = "The daylight saving rules of every time zone come from the system's time zone database "
      "and are brought up to date with the system's updates. Tolva has no editor of its own for them.";

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

int CurrentYear()
{
    return ClockNow().date().year();
}

}  // namespace

CTimeZonesPage::CTimeZonesPage(PrefContext& context, QWidget* host)
    : CDialogPage(host)
    , m_context(context)
    , m_zones(ListSystemZones())
{
    Caption()->setText(tr("Create and modify time zones to be displayed in status bar"));
    SetFocusRange(1148, 1154);
    auto* grid = new QGridLayout(Body());
    m_list = new QTreeWidget;
    SetDlgCtrlID(m_list, 1148);
    m_list->setHeaderLabels({tr("Location"), tr("Current time and date")});
    m_list->setRootIsDecorated(false);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    // A long location name cut by its column can be read whole.
    EnableCutTextTips(m_list);
    grid->addWidget(m_list, 0, 0, 1, 2);

    const auto label = [grid](int id, int row) {
        auto* l = new QLabel;
        SetDlgCtrlID(l, id);
        l->setTextInteractionFlags(Qt::NoTextInteraction);
        grid->addWidget(l, row, 0);
        return l;
    };
    m_zoneLabel = label(1149, 1);
    m_startLabel = label(1150, 2);
    m_endLabel = label(1151, 3);
    m_picker = new QComboBox;
    SetDlgCtrlID(m_picker, 1348);
    for (size_t i = 0; i < m_zones.size(); ++i)
        m_picker->addItem(Text(m_zones[i].displayName), int(i));
    m_name = new QLineEdit;
    SetDlgCtrlID(m_name, 1347);
    m_name->setMaxLength(kMaxNameLength);
    grid->addWidget(m_picker, 1, 1);
    grid->addWidget(m_name, 2, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(0, 1);
    m_zoneLabel->setBuddy(m_picker);
    m_startLabel->setBuddy(m_name);

    auto* buttons = new QHBoxLayout;
    grid->addLayout(buttons, 4, 0, 1, 2);
    buttons->addStretch(1);
    m_newButton = AddButton(buttons, 1152, "&New");
    m_editButton = AddButton(buttons, 1153, "&Edit");
    m_deleteButton = AddButton(buttons, 1154, "&Delete");
    connect(m_newButton, &QPushButton::clicked, this, [this] { InViewMode() ? OnNew() : OnApply(); });
    connect(m_editButton, &QPushButton::clicked, this, [this] { InViewMode() ? OnEdit() : OnCancelMode(); });
    connect(m_deleteButton, &QPushButton::clicked, this, [this] { InViewMode() ? OnDelete() : OnEditDst(); });
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &CTimeZonesPage::ShowSelected);
    connect(m_name, &QLineEdit::textChanged, this, &CTimeZonesPage::UpdateButtons);
    connect(m_picker, &QComboBox::currentIndexChanged, this, &CTimeZonesPage::UpdateButtons);

    Fill();
    LoadColumnWidths(m_list, kColumnsEntry, 100, -1);
    SetMode(false, false);
    if (m_list->topLevelItemCount() > 0)
        m_list->setCurrentItem(m_list->topLevelItem(0));
    OnTick();
    m_timer.start(kTickMs, this);
}

CTimeZonesPage::~CTimeZonesPage()
{
    m_timer.stop();
    SaveColumnWidths(m_list, kColumnsEntry);
}

void CTimeZonesPage::Fill()
{
    m_list->clear();
    const int count = m_context.dataMan.GetCount(DMK_TIME_ZONE);
    for (int i = 0; i < count; ++i) {
        const TimeZoneEntry* entry = m_context.dataMan.GetAt<TimeZoneEntry>(i);
        auto* item = new QTreeWidgetItem(m_list, {Text(entry->m_strName), QString()});
        item->setData(0, Qt::UserRole, i);
    }
}

int CTimeZonesPage::SelectedRow() const
{
    const QList<QTreeWidgetItem*> items = m_list->selectedItems();
    return items.isEmpty() ? -1 : m_list->indexOfTopLevelItem(items.front());
}

void CTimeZonesPage::SetMode(bool isNew, bool isEdit)
{
    m_bNew = isNew;
    m_bEdit = isEdit;
    const bool view = InViewMode();
    m_newButton->setText(view ? tr("&New") : tr("&Apply"));
    m_editButton->setText(view ? tr("&Edit") : tr("&Cancel"));
    m_deleteButton->setText(view ? tr("&Delete") : tr("Edit &DST"));
    m_picker->setVisible(!view);
    m_name->setVisible(!view);
    m_endLabel->setVisible(view);
    m_list->setEnabled(view);
    if (view) {
        m_name->clear();
        ShowSelected();
    } else {
        m_zoneLabel->setText(tr("&Time Zone:"));
        m_startLabel->setText(tr("Custom &name"));
    }
    UpdateButtons();
}

void CTimeZonesPage::ShowSelected()
{
    if (InViewMode()) {
        const int row = SelectedRow();
        const TimeZoneEntry* entry = row >= 0
            ? m_context.dataMan.GetAt<TimeZoneEntry>(m_list->topLevelItem(row)->data(0, Qt::UserRole).toInt())
            : nullptr;
        const int year = CurrentYear();
        m_zoneLabel->setText(tr("Time Zone: ") + (entry ? Text(entry->m_strText2) : QString()));
        m_startLabel->setText(tr("DST start: ")
            + (entry ? Text(FormatTransitionRule(entry->m_daylightDate, year)) : QString()));
        m_endLabel->setText(
            tr("DST end: ") + (entry ? Text(FormatTransitionRule(entry->m_standardDate, year)) : QString()));
    }
    UpdateButtons();
}

void CTimeZonesPage::UpdateButtons()
{
    const bool selected = SelectedRow() >= 0;
    if (InViewMode()) {
        m_newButton->setEnabled(true);
        m_editButton->setEnabled(selected);
        m_deleteButton->setEnabled(selected);
    } else {
        m_newButton->setEnabled(!Name().isEmpty() && !m_picker->currentText().isEmpty());
        m_editButton->setEnabled(true);
        m_deleteButton->setEnabled(true);
    }
}

void CTimeZonesPage::OnNew()
{
    SetMode(true, false);
    m_picker->setCurrentIndex(m_picker->count() > 0 ? 0 : -1);
    m_picker->setFocus();
}

void CTimeZonesPage::OnEdit()
{
    const int row = SelectedRow();
    if (row < 0)
        return;
    m_nEditRow = row;
    const TimeZoneEntry* entry
        = m_context.dataMan.GetAt<TimeZoneEntry>(m_list->topLevelItem(row)->data(0, Qt::UserRole).toInt());
    if (!entry)
        return;
    // The zone by its id; a record of an older kind by its zone's name.
    int pick = -1;
    for (size_t i = 0; i < m_zones.size() && pick < 0; ++i) {
        if (m_zones[i].keyName == entry->m_strText3)
            pick = int(i);
    }
    if (pick < 0)
        pick = m_picker->findText(Text(entry->m_strText2));
    m_bStatusZoneEdited = (entry->m_dwFlags & TZ_UNDEFINED) != 0;
    SetMode(false, true);
    m_picker->setCurrentIndex(pick);
    m_name->setText(Text(entry->m_strName));
    m_picker->setFocus();
}

QString CTimeZonesPage::Name() const
{
    // Blanks around a name would only shift it in the list and the status bar.
    return m_name->text().trimmed();
}

bool CTimeZonesPage::ReadZone(TimeZoneEntry& entry) const
{
    const int zone = m_picker->currentData().toInt();
    if (m_picker->currentIndex() < 0 || zone < 0 || size_t(zone) >= m_zones.size())
        return false;
    TimeZoneEntry read = entry;
    if (!FillZoneRecord(m_zones[size_t(zone)].keyName, CurrentYear(), read))
        return false;
    read.m_strName = Name().toStdString();
    entry = read;
    return true;
}

void CTimeZonesPage::OnApply()
{
    if (Name().isEmpty() || m_picker->currentText().isEmpty())
        return;
    DataMan& data = m_context.dataMan;
    if (m_bNew) {
        auto entry = std::make_unique<TimeZoneEntry>();
        if (ReadZone(*entry)) {
            const int index = data.Add(std::move(entry));
            auto* item = new QTreeWidgetItem(m_list, {Name(), QString()});
            item->setData(0, Qt::UserRole, index);
        }
    } else if (m_bEdit && m_nEditRow >= 0 && m_nEditRow < m_list->topLevelItemCount()) {
        QTreeWidgetItem* item = m_list->topLevelItem(m_nEditRow);
        const int index = item->data(0, Qt::UserRole).toInt();
        TimeZoneEntry* entry = data.GetAt<TimeZoneEntry>(index);
        if (entry && ReadZone(*entry)) {
            item->setText(0, Text(entry->m_strName));
            if (m_bStatusZoneEdited && m_context.setStatusTimeZone)
                m_context.setStatusTimeZone(index);
        }
    }
    m_bStatusZoneEdited = false;
    m_nEditRow = -1;
    SetMode(false, false);
    OnTick();
}

void CTimeZonesPage::OnCancelMode()
{
    m_bStatusZoneEdited = false;
    m_nEditRow = -1;
    SetMode(false, false);
}

void CTimeZonesPage::OnDelete()
{
    const int row = SelectedRow();
    if (!InViewMode() || row < 0)
        return;
    if (m_list->topLevelItemCount() < 2) {
        MsgStopText("Can't delete last time zone", this);
        return;
    }
    m_nPendingDelete = row;
}

void CTimeZonesPage::OnEditDst()
{
    // No editor of zone rules exists here, and none is needed: the rules
    // come from the system's zone database, kept up to date with the system.
    MsgInfoText(kRulesFromSystem, this);
}

void CTimeZonesPage::OnTick()
{
    DataMan& data = m_context.dataMan;
    if (m_nPendingDelete >= 0) {
        const int row = m_nPendingDelete;
        m_nPendingDelete = -1;
        if (row < m_list->topLevelItemCount()) {
            const int index = m_list->topLevelItem(row)->data(0, Qt::UserRole).toInt();
            delete m_list->takeTopLevelItem(row);
            for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
                QTreeWidgetItem* item = m_list->topLevelItem(i);
                const int other = item->data(0, Qt::UserRole).toInt();
                if (other > index)
                    item->setData(0, Qt::UserRole, other - 1);
            }
            const TimeZoneEntry* entry = data.GetAt<TimeZoneEntry>(index);
            const bool shown = entry && (entry->m_dwFlags & TZ_UNDEFINED);
            data.RemoveAt(DMK_TIME_ZONE, index);
            if (shown && data.GetCount(DMK_TIME_ZONE) > 0)
                data.GetAt<TimeZoneEntry>(0)->m_dwFlags |= TZ_UNDEFINED;
            // The clock finds its location again whichever was removed: it
            // never keeps one that is gone.
            if (m_context.setStatusTimeZone)
                m_context.setStatusTimeZone(shown ? 0 : -1);
            ShowSelected();
        }
    }
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = m_list->topLevelItem(i);
        if (const TimeZoneEntry* entry = data.GetAt<TimeZoneEntry>(item->data(0, Qt::UserRole).toInt()))
            item->setText(1, Text(ZoneTimeText(*entry, 3)));
    }
}

void CTimeZonesPage::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_timer.timerId())
        OnTick();
    else
        CDialogPage::timerEvent(event);
}

void CTimeZonesPage::OnOK()
{
    QWidget* focus = QApplication::focusWidget();
    if (focus == m_newButton || focus == m_editButton || focus == m_deleteButton) {
        static_cast<QPushButton*>(focus)->click();
    } else if (!InViewMode() && (focus == m_picker || focus == m_name)) {
        OnApply();
    } else {
        CDialogPage::OnOK();
        return;
    }
    m_nResult = kResultNone;
}

void CTimeZonesPage::OnCancel()
{
    if (!InViewMode()) {
        OnCancelMode();
        m_nResult = kResultNone;
        return;
    }
    CDialogPage::OnCancel();
}
