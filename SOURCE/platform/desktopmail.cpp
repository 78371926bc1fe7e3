#include "platform/desktopmail.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFile>
#include <QProcess>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <optional>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

std::optional<QString> g_program;
MailUrlOpener g_opener = nullptr;
int g_running = 0;

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

int ExitStatusOf(int status)
{
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The program as a child in a session of its own, with the signal mask and
// dispositions a freshly started program expects; 0 when it did not start.
pid_t Spawn(const QString& program, const QStringList& arguments)
{
    std::vector<QByteArray> bytes{QFile::encodeName(program)};
    for (const QString& argument : arguments)
        bytes.push_back(argument.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& argument : bytes)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    posix_spawnattr_t attributes;
    if (::posix_spawnattr_init(&attributes) != 0)
        return 0;
    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int signal : {SIGPIPE, SIGCHLD, SIGINT, SIGTERM, SIGHUP, SIGQUIT})
        sigaddset(&defaults, signal);
    ::posix_spawnattr_setsigmask(&attributes, &none);
    ::posix_spawnattr_setsigdefault(&attributes, &defaults);
    ::posix_spawnattr_setflags(
        &attributes, short(POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSID));
    pid_t pid = 0;
    const int error = ::posix_spawn(&pid, argv[0], nullptr, &attributes, argv.data(), environ);
    ::posix_spawnattr_destroy(&attributes);
    return error == 0 ? pid : 0;
}

// Waits, without blocking anything, for one started program to end, then
// reaps it and hands on its status. A process descriptor tells when the
// child ends without a SIGCHLD handler (Qt's process handling has its own)
// and without tying the child's life to this program's, as a QProcess
// would; where none can be had, the child is asked now and then. Owned by
// the application object: at exit the watch goes and the program lives on.
class MailProgramWatch : public QObject {
public:
    static constexpr int kAskEveryMs = 200;

    MailProgramWatch(pid_t pid, MailProgramEnded ended)
        : QObject(QCoreApplication::instance())
        , m_pid(pid)
        , m_fd(int(::syscall(SYS_pidfd_open, pid, 0)))
        , m_ended(std::move(ended))
    {
        ++g_running;
        if (m_fd >= 0) {
            m_notifier = new QSocketNotifier(qintptr(m_fd), QSocketNotifier::Read, this);
            connect(m_notifier, &QSocketNotifier::activated, this, &MailProgramWatch::Check);
        } else {
            m_timer = new QTimer(this);
            connect(m_timer, &QTimer::timeout, this, &MailProgramWatch::Check);
            m_timer->start(kAskEveryMs);
        }
    }
    ~MailProgramWatch() override
    {
        if (m_fd >= 0)
            ::close(m_fd);
        if (m_ended)
            --g_running;
    }
    MailProgramWatch(const MailProgramWatch&) = delete;
    MailProgramWatch& operator=(const MailProgramWatch&) = delete;

private:
    void Check()
    {
        if (!m_ended)
            return;
        int status = 0;
        pid_t got = 0;
        do
            got = ::waitpid(m_pid, &status, WNOHANG);
        while (got < 0 && errno == EINTR);
        if (got == 0)
            return;
        --g_running;
        const MailProgramEnded ended = std::move(m_ended);
        m_ended = nullptr;
        // The report may open a message box, whose event loop must not
        // hear of this end again.
        if (m_notifier)
            m_notifier->setEnabled(false);
        if (m_timer)
            m_timer->stop();
        deleteLater();
        // Reaped by someone else, the status is not known: nothing to say.
        ended(got == m_pid ? ExitStatusOf(status) : 0);
    }

    pid_t m_pid;
    int m_fd;
    MailProgramEnded m_ended;
    QSocketNotifier* m_notifier = nullptr;
    QTimer* m_timer = nullptr;
};

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

bool StartMailProgram(const QString& program, const QStringList& arguments, MailProgramEnded ended)
{
    if (program.isEmpty())
        return false;
    // Nobody to hear of the end: the program runs detached, as ever.
    if (!ended || !QCoreApplication::instance())
        return QProcess::startDetached(program, arguments);
    const pid_t pid = Spawn(program, arguments);
    if (pid <= 0)
        return false;
    new MailProgramWatch(pid, std::move(ended));
    return true;
}

int RunningMailPrograms()
{
    return g_running;
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
