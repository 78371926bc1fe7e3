// Handing a message to the desktop's mail program: through "xdg-email"
// with an argument list (never a shell), or, where that program is missing,
// as a "mailto:" address opened by the desktop. Addresses that a mail
// program could read as an option, or that hold control characters, are
// never handed on.
#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
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
// Starts the program with the arguments, detached; false when it could not
// be started.
bool StartMailProgram(const QString& program, const QStringList& arguments);
// Opens a "mailto:" address with the desktop's mail program.
bool OpenMailtoUrl(const QUrl& url);

// Tests name a stand-in program (an empty text: none at all) and record the
// addresses opened; null restores the real ones.
void SetMailProgramForTesting(const QString* program);
using MailUrlOpener = bool (*)(const QUrl& url);
void SetMailUrlOpenerForTesting(MailUrlOpener opener);
