#include "platform/desktopmail.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <algorithm>
#include <optional>

namespace {

std::optional<QString> g_program;
MailUrlOpener g_opener = nullptr;

QString Text(const std::string& text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QString Encoded(const std::string& text, const QByteArray& keep = {})
{
    return QString::fromLatin1(QUrl::toPercentEncoding(Text(text), keep));
}

QString JoinedAddresses(const std::vector<std::string>& addresses)
{
    QStringList encoded;
    for (const std::string& address : addresses)
        encoded << Encoded(address, "@");
    return encoded.join(u',');
}

}  // namespace

bool IsSafeMailAddress(std::string_view address)
{
    if (address.empty() || address.front() == '-')
        return false;
    return std::none_of(address.begin(), address.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
}

QStringList XdgEmailArguments(const DesktopMail& mail)
{
    QStringList arguments{QStringLiteral("--utf8")};
    for (const std::string& address : mail.cc)
        arguments << QStringLiteral("--cc") << Text(address);
    for (const std::string& address : mail.bcc)
        arguments << QStringLiteral("--bcc") << Text(address);
    if (!mail.subject.empty())
        arguments << QStringLiteral("--subject") << Text(mail.subject);
    if (!mail.body.empty())
        arguments << QStringLiteral("--body") << Text(mail.body);
    for (const std::string& path : mail.attachments)
        arguments << QStringLiteral("--attach") << Text(path);
    for (const std::string& address : mail.to)
        arguments << Text(address);
    return arguments;
}

QUrl MailtoUrl(const DesktopMail& mail)
{
    QStringList fields;
    if (!mail.cc.empty())
        fields << QStringLiteral("cc=") + JoinedAddresses(mail.cc);
    if (!mail.bcc.empty())
        fields << QStringLiteral("bcc=") + JoinedAddresses(mail.bcc);
    if (!mail.subject.empty())
        fields << QStringLiteral("subject=") + Encoded(mail.subject);
    if (!mail.body.empty())
        fields << QStringLiteral("body=") + Encoded(mail.body);
    QString text = QStringLiteral("mailto:") + JoinedAddresses(mail.to);
    if (!fields.isEmpty())
        text += u'?' + fields.join(u'&');
    return QUrl::fromEncoded(text.toLatin1(), QUrl::StrictMode);
}

QUrl MailtoUrl(const std::vector<std::string>& to)
{
    DesktopMail mail;
    mail.to = to;
    return MailtoUrl(mail);
}

QString MailProgram()
{
    if (g_program)
        return *g_program;
    return QStandardPaths::findExecutable(QStringLiteral("xdg-email"));
}

bool StartMailProgram(const QString& program, const QStringList& arguments)
{
    // Detached: the mail program may stay open for as long as the user
    // writes, and must not end with this program.
    return !program.isEmpty() && QProcess::startDetached(program, arguments);
}

bool OpenMailtoUrl(const QUrl& url)
{
    if (g_opener)
        return g_opener(url);
    return url.isValid() && QDesktopServices::openUrl(url);
}

void SetMailProgramForTesting(const QString* program)
{
    g_program = program ? std::optional<QString>(*program) : std::nullopt;
}

void SetMailUrlOpenerForTesting(MailUrlOpener opener)
{
    g_opener = opener;
}
