// Handing a message to the desktop's mail program: through "xdg-email"
// with an argument list (never a shell), or, where that program is missing,
// as a "mailto:" address opened by the desktop. Addresses that a mail
// program could read as an option, or that hold control characters, are
// never handed on.
#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct DesktopMail {
    std::vector<std::string> to;
    std::vector<std::string> cc;
    std::vector<std::string> bcc;
    std::string subject;
    std::string body;
    std::vector<std::string> attachments;  // file paths
};

// Not empty, not starting with "-", no control characters.
bool IsSafeMailAddress(std::string_view address);

// The arguments of "xdg-email" for the message; the recipients come last.
QStringList XdgEmailArguments(const DesktopMail& mail);
// The "mailto:" address of the message; attachments cannot travel in one.
// Each address is escaped, several are separated by ",".
QUrl MailtoUrl(const DesktopMail& mail);
// A new message to the addresses.
QUrl MailtoUrl(const std::vector<std::string>& to);

// The "xdg-email" program found on the path, empty when there is none.
QString MailProgram();
// Called once when a mail program that was started ends: with its exit
// status, or -1 when a signal ended it.
using MailProgramEnded = std::function<void(int status)>;
// Starts the program with the arguments in a session of its own: it may
// stay open for as long as the user writes, and lives on when this program
// ends. False when it could not be started. "xdg-email" returns at once and
// says only by its exit status that no mail program took the message, so
// `ended` hears of it without anyone waiting.
bool StartMailProgram(const QString& program, const QStringList& arguments, MailProgramEnded ended = {});
// The programs started with `ended` that have not been seen to end.
int RunningMailPrograms();
// Opens a "mailto:" address with the desktop's mail program.
bool OpenMailtoUrl(const QUrl& url);

// Tests name a stand-in program (an empty text: none at all) and record the
// addresses opened; null restores the real ones.
void SetMailProgramForTesting(const QString* program);
using MailUrlOpener = bool (*)(const QUrl& url);
void SetMailUrlOpenerForTesting(MailUrlOpener opener);
