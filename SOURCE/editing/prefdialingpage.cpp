#include "editing/prefpages.h"
#include "editing/prefutil.h"
#include "platform/ui/window.h"
#include "telephony/tapiman.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int kRefreshMs = 250;

// The device of the item selected; none while nothing is.
int SelectedDevice(const QComboBox* devices)
{
    return devices->currentIndex() >= 0 ? devices->currentData().toInt() : CPrefDialingPage::kNoDevices;
}

}  // namespace

CPrefDialingPage::CPrefDialingPage(PrefContext& context, QWidget* host)
    : CDialogPage(host)
    , m_context(context)
{
    Caption()->setText(tr("Dialing settings"));
    SetFocusRange(1140, 1147);
    TapiMan& tapi = context.tapiMan;
    auto* column = new QVBoxLayout(Body());

    auto* connectLabel = new QLabel(tr("Connect &using:"));
    column->addWidget(connectLabel);
    m_devices = new QComboBox;
    SetDlgCtrlID(m_devices, 1140);
    connectLabel->setBuddy(m_devices);
    column->addWidget(m_devices);
    if (TapiLine* line = tapi.GetLine()) {
        for (u32 device = 0; device < line->GetDeviceCount(); ++device) {
            bool available = false;
            const std::string name = line->GetDeviceName(i32(device), available);
            m_devices->addItem(QString::fromStdString(name), int(device));
        }
    }
    if (m_devices->count() == 0)
        m_devices->addItem(tr("No available telephony devices"), kNoDevices);
    // The current device is selected. With none chosen, none is: OK must
    // not choose the first port for the user, and open it.
    int selected = m_devices->findData(tapi.GetCurDevice());
    if (selected < 0 && m_devices->itemData(0).toInt() == kNoDevices)
        selected = 0;
    m_devices->setCurrentIndex(selected);

    auto* buttons = new QHBoxLayout;
    column->addLayout(buttons);
    m_modem = AddButton(buttons, 1340, "&Modem settings");
    QPushButton* properties = AddButton(buttons, 1341, "&Dialing properties");
    buttons->addStretch(1);
    connect(m_modem, &QPushButton::clicked, this, &CPrefDialingPage::OnModemSettings);
    connect(properties, &QPushButton::clicked, this, &CPrefDialingPage::OnDialingProperties);
    connect(m_devices, &QComboBox::currentIndexChanged, this, &CPrefDialingPage::UpdateModemButton);
    connect(m_devices, &QComboBox::activated, this, &CPrefDialingPage::OnDevicePicked);
    // A port is looked at only once picked: its name follows when the
    // look is over.
    m_refresh = new QTimer(this);
    connect(m_refresh, &QTimer::timeout, this, &CPrefDialingPage::RefreshDeviceNames);
    m_refresh->start(kRefreshMs);

    const TapiDialOptions& options = tapi.Options();
    m_logging = AddCheck(column, 1145, "&Enable call logging");
    m_logging->setChecked(options.logCalls);
    m_redial = AddCheck(column, 1144, "Auto&redial on busy numbers");
    m_redial->setChecked(options.autoRedial);
    auto* redialRow = new QHBoxLayout;
    column->addLayout(redialRow);
    auto* every = new QLabel(tr("Redia&l every"));
    m_interval = new QSpinBox;
    SetDlgCtrlID(m_interval, 1146);
    m_interval->setRange(0, 100);
    m_interval->setValue(int(std::min<u32>(options.redialInterval, 100)));
    every->setBuddy(m_interval);
    redialRow->addWidget(every);
    redialRow->addWidget(m_interval);
    redialRow->addWidget(new QLabel(tr("seconds")));
    redialRow->addStretch(1);
    column->addStretch(1);
    UpdateModemButton();
}

void CPrefDialingPage::OnDevicePicked()
{
    const int device = SelectedDevice(m_devices);
    if (TapiLine* line = m_context.tapiMan.GetLine(); line && device >= 0)
        line->ChooseDevice(device);
    RefreshDeviceNames();
}

void CPrefDialingPage::RefreshDeviceNames()
{
    TapiLine* line = m_context.tapiMan.GetLine();
    if (!line)
        return;
    for (int i = 0; i < m_devices->count(); ++i) {
        const int device = m_devices->itemData(i).toInt();
        if (device < 0)
            continue;
        bool available = false;
        const QString name = QString::fromStdString(line->GetDeviceName(device, available));
        if (m_devices->itemText(i) != name)
            m_devices->setItemText(i, name);
    }
    UpdateModemButton();
}

void CPrefDialingPage::UpdateModemButton()
{
    // A device that cannot be used, or no device at all, has no settings.
    const int device = SelectedDevice(m_devices);
    m_modem->setEnabled(device >= 0 && !m_devices->currentText().contains(QLatin1String("Device unavail")));
}

void CPrefDialingPage::OnModemSettings()
{
    const int device = SelectedDevice(m_devices);
    TapiLine* line = m_context.tapiMan.GetLine();
    if (!line || device < 0 || !m_modem->isEnabled())
        return;
    if (line->ConfigDialog(this, device) == 1)
        m_context.tapiMan.SetCurDevice(device);
}

void CPrefDialingPage::OnDialingProperties()
{
    if (TapiLine* line = m_context.tapiMan.GetLine())
        line->TranslateDialog("");
}

void CPrefDialingPage::Store()
{
    TapiDialOptions& options = m_context.tapiMan.Options();
    options.autoRedial = m_redial->isChecked();
    options.logCalls = m_logging->isChecked();
    options.redialInterval = u32(m_interval->value());
    m_context.tapiMan.SaveOptions();
    const int device = SelectedDevice(m_devices);
    if (device >= 0)
        m_context.tapiMan.SetCurDevice(device);
}
