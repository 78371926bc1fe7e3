#include "telephony/mailsession.h"

#include "core/utilities.h"
#include "platform/desktopmail.h"

#include <QFileInfo>
#include <QUrl>
#include <algorithm>

namespace {

constexpr u32 IDS_MAIL_PROGRAM_FAILED = 59575;
constexpr u32 IDS_MAIL_PROGRAM_STOPPED = 59576;

// What the user hears of a mail program that ended without taking the
// message: "xdg-email" ends at once with a status when no mail program is
// set up for the desktop. The owner may be gone by then; the report is
// shown all the same.
MailProgramEnded ReportFailureTo(QObject* owner, const QString& program)
{
    return
        [owner = QPointer<QObject>(owner), name = QFileInfo(program).fileName().toStdString()](int status) {
            if (status == 0)
                return;
            const std::string text = status > 0
                ? FormatText(LoadResString(IDS_MAIL_PROGRAM_FAILED).c_str(), name.c_str(), status)
                : FormatText(LoadResString(IDS_MAIL_PROGRAM_STOPPED).c_str(), name.c_str());
            MsgStopText(text, owner.data());
        };
}

}  // namespace

CMailSession::CMailSession()
{
    Load();
}

CMailSession::~CMailSession()
{
    Logoff();
    Unload();
}

bool CMailSession::Load()
{
    m_bHasProgram = !MailProgram().isEmpty();
    m_bLoaded = true;
    return true;
}

void CMailSession::Unload()
{
    m_bLoaded = false;
    m_bHasProgram = false;
}

int CMailSession::Logon(const std::string&, const std::string&, QObject* owner)
{
    Logoff();
    if (!m_bLoaded)
        return 0;
    m_pOwner = owner;
    m_session = 1;
    m_dwLastError = SUCCESS_SUCCESS;
    return 1;
}

int CMailSession::Logoff()
{
    if (!m_session)
        return 0;
    m_session = 0;
    m_dwLastError = SUCCESS_SUCCESS;
    return 1;
}

int CMailSession::Send(CMailMessage& message, bool)
{
    if (!m_bLoaded)
        return 0;
    const auto safe = [](const std::vector<std::string>& names) {
        return std::all_of(
            names.begin(), names.end(), [](const std::string& n) { return IsSafeMailAddress(n); });
    };
    if (!safe(message.m_to) || !safe(message.m_cc) || !safe(message.m_bcc)) {
        m_dwLastError = MAPI_E_INVALID_RECIPS;
        return 0;
    }
    for (const std::string& path : message.m_attachmentPaths) {
        if (!QFileInfo(QString::fromStdString(path)).isFile()) {
            m_dwLastError = MAPI_E_ATTACHMENT_NOT_FOUND;
            return 0;
        }
    }
    const DesktopMail mail{message.m_to, message.m_cc, message.m_bcc, message.m_strSubject, message.m_strBody,
        message.m_attachmentPaths};
    bool sent = false;
    if (m_bHasProgram) {
        const QString program = MailProgram();
        sent = StartMailProgram(program, XdgEmailArguments(mail), ReportFailureTo(m_pOwner, program));
    } else if (!mail.attachments.empty()) {
        m_dwLastError = MAPI_E_NOT_SUPPORTED;
        return 0;
    } else {
        sent = OpenMailtoUrl(MailtoUrl(mail));
    }
    m_dwLastError = sent ? SUCCESS_SUCCESS : MAPI_E_FAILURE;
    return sent ? 1 : 0;
}

bool MailFileAttachment(const std::string& path, const std::string& title, QObject* owner)
{
    CMailMessage message;
    message.m_attachmentPaths = {path};
    message.m_attachmentTitles = {title};
    CMailSession session;
    return session.IsLoaded() && session.Logon({}, {}, owner) && session.Send(message, true);
}

bool OpenMailtoMessage(const QUrl& url, QObject* owner)
{
    // "xdg-email" takes the address whole; it starts with "mailto:", so
    // nothing of it reads as an option.
    const QString program = MailProgram();
    if (program.isEmpty())
        return OpenMailtoUrl(url);
    return url.isValid()
        && StartMailProgram(program, {url.toString(QUrl::FullyEncoded)}, ReportFailureTo(owner, program));
}
