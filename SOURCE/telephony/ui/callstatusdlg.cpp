#include "telephony/ui/callstatusdlg.h"

#include "controls/flatbutton.h"
#include "core/utilities.h"
#include "platform/dialingrules.h"
#include "telephony/callprogress.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>

namespace {

constexpr u32 IDS_EXTENSION_CAPTION = 59781;
constexpr u32 IDS_EXTENSION_TO_KEY = 59782;

QString Text(const std::string& text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

}  // namespace

CDialogCallStatus::CDialogCallStatus(CallProgress& progress, QWidget* parent)
    : CFramedDialog(kTemplateId, parent)
    , m_progress(progress)
    , m_status(new QLabel)
    , m_attempt(new QLabel)
    , m_countdown(new QLabel)
    , m_elapsed(new QLabel)
    , m_log(new QCheckBox(QStringLiteral("&Log this call")))
    , m_name(new QLineEdit)
    , m_ok(new CFlatButton(QStringLiteral("&OK")))
    , m_cancel(new CFlatButton(QStringLiteral("&Cancel Call")))
{
    setWindowTitle(QStringLiteral("Call status"));
    Caption()->setText(QStringLiteral("Call status"));
    m_captionPointSize = 9;
    m_captionBold = false;

    auto* grid = new QGridLayout;
    auto addRow = [&](int row, const QString& caption, QWidget* value, QList<QWidget*>& group) {
        auto* label = new QLabel(caption);
        grid->addWidget(label, row, 0);
        grid->addWidget(value, row, 1);
        group << label << value;
        return label;
    };
    addRow(0, QStringLiteral("Status:"), m_status, m_dialing);
    addRow(1, QStringLiteral("Attempt:"), m_attempt, m_dialing);
    addRow(2, QStringLiteral("Time to redial:"), m_countdown, m_dialing);
    m_hint = new QLabel(QStringLiteral("Wait for ring, then lift receiver and click OK."));
    grid->addWidget(m_hint, 3, 0, 1, 2);
    m_dialing << m_hint;
    // The modem dials the number without its extension; the user keys the
    // extension on the handset once the far end answers, so it stays in
    // sight after the receiver is lifted.
    const std::string extension = DialExtension(m_progress.Request().number);
    if (!extension.empty()) {
        // In neither group: shown while dialing and while talking.
        QList<QWidget*> bothPhases;
        m_extension = new QLabel;
        addRow(4, Text(LoadResString(IDS_EXTENSION_CAPTION)), m_extension, bothPhases);
        m_extension->setText(
            Text(FormatText(LoadResString(IDS_EXTENSION_TO_KEY).c_str(), extension.c_str())));
        m_extension->setWordWrap(true);
    }
    auto* elapsedRow = new QHBoxLayout;
    auto* format = new QLabel(QStringLiteral("(HH:MM:SS)"));
    elapsedRow->addWidget(m_elapsed);
    elapsedRow->addWidget(format);
    elapsedRow->addStretch(1);
    auto* elapsedLabel = new QLabel(QStringLiteral("Time Elapsed:"));
    grid->addWidget(elapsedLabel, 5, 0);
    grid->addLayout(elapsedRow, 5, 1);
    grid->addWidget(m_log, 6, 0, 1, 2);
    auto* nameLabel = new QLabel(QStringLiteral("&Name to put in Call Log:"));
    nameLabel->setBuddy(m_name);
    grid->addWidget(nameLabel, 7, 0, 1, 2);
    grid->addWidget(m_name, 8, 0, 1, 2);
    m_talking << elapsedLabel << m_elapsed << format << m_log << nameLabel << m_name;
    grid->setColumnStretch(1, 1);
    m_status->setMinimumWidth(m_status->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 36);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    m_ok->setDefault(true);
    m_ok->setAutoDefault(true);
    m_cancel->setAutoDefault(true);

    auto* layout = new QVBoxLayout(Frame());
    layout->addLayout(grid);
    layout->addStretch(1);
    layout->addLayout(buttons);

    // Hidden before the first show, so the dialog is sized for the rows it shows.
    for (QWidget* widget : m_talking)
        widget->hide();

    connect(m_ok, &QPushButton::clicked, this, &CDialogCallStatus::OnOK);
    connect(m_cancel, &QPushButton::clicked, this, &CDialogCallStatus::OnCancel);
    connect(&m_progress, &CallProgress::Changed, this, &CDialogCallStatus::Refresh);
    connect(&m_progress, &CallProgress::GraceOver, this, [this] { m_ok->setFocus(); });
    connect(&m_progress, &CallProgress::Ended, this, [this](int result) { EndDialog(result); });
}

bool CDialogCallStatus::OnInitDialog()
{
    CFramedDialog::OnInitDialog();
    m_log->setChecked(m_progress.LogThisCall());
    m_name->setText(Text(m_progress.LogName()));
    Refresh();
    m_progress.Start();
    m_ok->setFocus();
    return true;
}

void CDialogCallStatus::Refresh()
{
    m_status->setText(Text(m_progress.StatusText()));
    m_attempt->setText(QString::number(m_progress.Attempt()));
    m_countdown->setText(Text(m_progress.CountdownText()));
    m_elapsed->setText(Text(m_progress.ElapsedText()));
    m_ok->setEnabled(m_progress.IsOkEnabled());
    // A call that ended has no receiver to lift; a redial brings the hint back.
    if (!m_bHungUpShown)
        m_hint->setVisible(!m_progress.IsCallOver());
    if (m_progress.IsHungUp() && !m_bHungUpShown)
        ShowHungUp();
}

void CDialogCallStatus::ShowHungUp()
{
    m_bHungUpShown = true;
    for (QWidget* widget : m_dialing)
        widget->hide();
    m_cancel->hide();
    for (QWidget* widget : m_talking)
        widget->show();
    m_ok->setText(QStringLiteral("Hung Up"));
    m_ok->setFocus();
    // Other rows show now: keep the width, take the height they need.
    resize(std::max(width(), sizeHint().width()), sizeHint().height());
}

void CDialogCallStatus::OnOK()
{
    // Enter on "Cancel Call" means that button.
    if (m_cancel->hasFocus() && m_cancel->isVisible()) {
        OnCancel();
        return;
    }
    if (m_progress.IsHungUp()) {
        m_progress.SetLogThisCall(m_log->isChecked());
        m_progress.SetLogName(m_name->text().toStdString());
    }
    m_progress.Ok();
}

void CDialogCallStatus::OnCancel()
{
    if (m_progress.Result() != -1) {
        EndDialog(m_progress.Result());
        return;
    }
    m_progress.Cancel(QGuiApplication::keyboardModifiers().testFlag(Qt::ControlModifier));
}
