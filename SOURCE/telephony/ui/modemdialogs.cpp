#include "telephony/ui/modemdialogs.h"

#include "controls/flatbutton.h"
#include "core/utilities.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {

// The provider's own dialogs come from no template of the program.
constexpr int kNoTemplate = 0;
// Shown when the dialog opens without a number of its own.
constexpr const char* kSampleNumber = "+1 (555) 123-4567";

QString Text(const std::string& text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// OK and Cancel at the bottom right, OK the default.
QHBoxLayout* OkCancel(CFramedDialog* dialog, CFlatButton*& ok)
{
    ok = new CFlatButton(QStringLiteral("OK"));
    auto* cancel = new CFlatButton(QStringLiteral("Cancel"));
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    return buttons;
}

QLineEdit* CodeEdit(const std::string& value, const QString& allowed)
{
    auto* edit = new QLineEdit(Text(value));
    edit->setMaxLength(int(DialingLocation::kMaxCodeLength));
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(allowed), edit));
    edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 14);
    return edit;
}

}  // namespace

CDialogModemSettings::CDialogModemSettings(
    const std::string& deviceName, const ModemConfig& config, QWidget* parent)
    : CFramedDialog(kNoTemplate, parent)
    , m_config(config)
    , m_speed(new QComboBox)
    , m_flow(new QComboBox)
    , m_init(new QLineEdit(Text(config.init)))
{
    setWindowTitle(QStringLiteral("Modem settings"));
    Caption()->setText(Text(deviceName));
    m_captionPointSize = 9;

    for (const u32 speed : ModemSpeeds()) {
        m_speed->addItem(QString::number(speed), speed);
        if (speed == config.speed)
            m_speed->setCurrentIndex(m_speed->count() - 1);
    }
    m_flow->addItems({QStringLiteral("None"), QStringLiteral("Hardware (RTS/CTS)"),
        QStringLiteral("Software (XON/XOFF)")});
    m_flow->setCurrentIndex(int(config.flow));
    m_init->setMaxLength(int(ModemConfig::kMaxInitLength));
    m_init->setMinimumWidth(m_init->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 32);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Speed (bits per second):"), m_speed);
    form->addRow(QStringLiteral("&Flow control:"), m_flow);
    form->addRow(QStringLiteral("&Initialisation string:"), m_init);
    auto* hint = new QLabel(QStringLiteral("Sent before every dial; the modem answers it with OK."));
    hint->setWordWrap(true);

    auto* layout = new QVBoxLayout(Frame());
    layout->addLayout(form);
    layout->addWidget(hint);
    layout->addLayout(OkCancel(this, m_ok));
    m_speed->setFocus();
}

void CDialogModemSettings::OnOK()
{
    const std::string init = m_init->text().trimmed().toStdString();
    if (!IsValidInitString(init)) {
        MsgStopText("The initialisation string must begin with AT and may hold neither a dial command "
                    "(D) nor \";\".",
            this);
        m_init->setFocus();
        return;
    }
    m_config.speed = m_speed->currentData().toUInt();
    m_config.flow = ModemConfig::Flow(m_flow->currentIndex());
    m_config.init = init;
    EndDialog(IDOK);
}

CDialogDialingRules::CDialogDialingRules(
    const DialingLocation& location, const std::string& number, QWidget* parent)
    : CFramedDialog(kNoTemplate, parent)
    , m_location(location)
    , m_number(number.empty() ? kSampleNumber : number)
    , m_country(CodeEdit(location.countryCode, QStringLiteral("[0-9]*")))
    , m_area(CodeEdit(location.areaCode, QStringLiteral("[0-9]*")))
    , m_outside(CodeEdit(location.outsideLine, QStringLiteral("[0-9*#,]*")))
    , m_longDistance(CodeEdit(location.longDistance, QStringLiteral("[0-9]*")))
    , m_international(CodeEdit(location.international, QStringLiteral("[0-9]*")))
    , m_toneButton(new QRadioButton(QStringLiteral("&Tone dialing")))
    , m_pulseButton(new QRadioButton(QStringLiteral("&Pulse dialing")))
    , m_preview(new QLabel)
{
    setWindowTitle(QStringLiteral("Dialing properties"));
    Caption()->setText(QStringLiteral("Where I am dialing from"));
    m_captionPointSize = 9;

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Country code:"), m_country);
    form->addRow(QStringLiteral("&Area code:"), m_area);
    form->addRow(QStringLiteral("To reach an &outside line, dial:"), m_outside);
    form->addRow(QStringLiteral("For &long distance calls, dial:"), m_longDistance);
    form->addRow(QStringLiteral("For &international calls, dial:"), m_international);
    auto* method = new QHBoxLayout;
    auto* group = new QButtonGroup(this);
    for (QRadioButton* button : {m_toneButton, m_pulseButton}) {
        group->addButton(button);
        method->addWidget(button);
    }
    method->addStretch(1);
    (location.pulse ? m_pulseButton : m_toneButton)->setChecked(true);
    form->addRow(QStringLiteral("Dial using:"), method);
    form->addRow(QStringLiteral("Number:"), new QLabel(Text(m_number)));
    form->addRow(QStringLiteral("Dialed as:"), m_preview);
    m_preview->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* layout = new QVBoxLayout(Frame());
    layout->addLayout(form);
    CFlatButton* ok = nullptr;
    layout->addLayout(OkCancel(this, ok));

    for (QLineEdit* edit : {m_country, m_area, m_outside, m_longDistance, m_international})
        connect(edit, &QLineEdit::textChanged, this, &CDialogDialingRules::UpdatePreview);
    connect(m_pulseButton, &QRadioButton::toggled, this, &CDialogDialingRules::UpdatePreview);
    UpdatePreview();
    m_country->setFocus();
}

DialingLocation CDialogDialingRules::Edited() const
{
    DialingLocation edited;
    edited.countryCode = m_country->text().toStdString();
    edited.areaCode = m_area->text().toStdString();
    edited.outsideLine = m_outside->text().toStdString();
    edited.longDistance = m_longDistance->text().toStdString();
    edited.international = m_international->text().toStdString();
    edited.pulse = m_pulseButton->isChecked();
    return edited;
}

void CDialogDialingRules::UpdatePreview()
{
    std::string dialed;
    m_preview->setText(TranslateNumber(m_number, Edited(), dialed) ? Text(dialed.substr(1))
                + (dialed.front() == 'P' ? QStringLiteral(" (pulse)") : QStringLiteral(" (tone)"))
                                                                   : QStringLiteral("cannot be dialed"));
}

void CDialogDialingRules::OnOK()
{
    m_location = Edited();
    EndDialog(IDOK);
}
