#include "app/bugreportdlg.h"

#include "controls/flatbutton.h"
#include "core/datafile.h"
#include "core/errorreport.h"
#include "core/utilities.h"
#include "platform/programfolder.h"
#include "platform/ui/window.h"
#include "telephony/mailsession.h"

#include <QDir>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStyle>
#include <QVBoxLayout>

namespace {

constexpr int kReportPoints = 8;

// Names the folder the log is really in and the program that failed to
// send it, so the user can send it by hand.
std::string FallbackText()
{
    const std::string support = kSupportAddress;
    const std::string folder = QDir::toNativeSeparators(ProgramFolder::Path()).toStdString();
    return "The report was not sent: the mail program (xdg-email) could not send it.\r\n\r\nPlease send a "
           "message with the file '"
        + std::string(kErrorLogName) + "' to the " + support + ".\r\nThis file is located in the folder "
        + folder + ".\r\n\r\nOr make a copy of the text from the error message box and send it to the "
        + support + ".\r\n";
}

}  // namespace

CDialogBugReport::CDialogBugReport(QWidget* parent)
    : CFramedDialog(kTemplateId, parent)
    , m_report(new QPlainTextEdit)
    , m_send(new CFlatButton(QStringLiteral("&Send bugreport")))
    , m_ok(new CFlatButton(QStringLiteral("&OK")))
{
    setWindowTitle(QStringLiteral("Tolva error"));
    Caption()->setText(QStringLiteral("Tolva error"));
    m_captionPointSize = 14;

    auto* icon = new QLabel;
    const int side = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxCritical, nullptr, this).pixmap(side, side));
    icon->setAlignment(Qt::AlignTop);
    SetDlgCtrlID(icon, kIconId);

    m_report->setReadOnly(true);
    // Long lines (the exception line) wrap at the box's edge: nothing of
    // the report is hidden beside it.
    m_report->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_report->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSize(kReportPoints);
    m_report->setFont(fixed);
    m_report->setMinimumSize(m_report->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 72,
        m_report->fontMetrics().height() * 16);
    SetDlgCtrlID(m_report, kReportId);
    SetDlgCtrlID(m_send, kSendId);
    SetDlgCtrlID(m_ok, IDOK);

    auto* body = new QHBoxLayout;
    body->addWidget(icon);
    body->addWidget(m_report, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_send);
    buttons->addWidget(m_ok);
    m_send->setAutoDefault(true);
    m_ok->setAutoDefault(true);
    m_ok->setDefault(true);
    auto* layout = new QVBoxLayout(Frame());
    layout->addLayout(body, 1);
    layout->addLayout(buttons);

    connect(m_send, &QPushButton::clicked, this, &CDialogBugReport::OnSendBugReport);
    connect(m_ok, &QPushButton::clicked, this, &CDialogBugReport::accept);
}

bool CDialogBugReport::OnInitDialog()
{
    CFramedDialog::OnInitDialog();
    m_ok->setFocus();
    return true;
}

void CDialogBugReport::SetReportText(const std::string& text)
{
    m_report->setPlainText(QString::fromUtf8(text.data(), qsizetype(text.size())));
}

void CDialogBugReport::OnSendBugReport()
{
    if (SendLog()) {
        OnOK();
        return;
    }
    MsgStopText(FallbackText(), this);
}

bool CDialogBugReport::SendLog()
{
    const std::string path = ProgramFolder::FilePathUtf8(kErrorLogName);
    if (!CDataFile::TestOpen(path, GENERIC_READ, OPEN_EXISTING))
        return false;
    CMailMessage message;
    message.m_to = {kSupportAddress};
    message.m_strSubject = "Tolva bug report";
    message.m_strBody = "Please, write some words to describe this error.\r\n\r\nYour text:\r\n";
    message.m_attachmentPaths = {path};
    message.m_attachmentTitles = {"Tolva LogFile"};
    CMailSession session;
    return session.IsLoaded() && session.Logon({}, {}, this) && session.Send(message, true);
}
