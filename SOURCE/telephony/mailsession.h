// Sending mail through the desktop's mail program. A caller creates a
// session, logs on, sends one or more messages and destroys the session.
// The message opens in the user's mail program, where it is sent or
// dropped; nothing leaves the machine without the user.
#pragma once

#include "platform/wintypes.h"

#include <QObject>
#include <QPointer>
#include <string>
#include <vector>

class QUrl;

// Result codes of a session, as callers report them.
constexpr u32 SUCCESS_SUCCESS = 0;
constexpr u32 MAPI_USER_ABORT = 1;
constexpr u32 MAPI_E_FAILURE = 2;
constexpr u32 MAPI_E_LOGIN_FAILURE = 3;
constexpr u32 MAPI_E_ATTACHMENT_NOT_FOUND = 11;
constexpr u32 MAPI_E_UNKNOWN_RECIPIENT = 14;
constexpr u32 MAPI_E_INVALID_RECIPS = 25;
constexpr u32 MAPI_E_NOT_SUPPORTED = 26;

// Where reports of errors, feedback and newsletter requests are mailed.
constexpr const char* kSupportAddress = "support@tolva.invalid";

struct CMailMessage {
    std::vector<std::string> m_to;
    std::vector<std::string> m_cc;
    std::vector<std::string> m_bcc;
    std::string m_strSubject;
    std::string m_strBody;
    std::vector<std::string> m_attachmentPaths;
    // Empty, or one title per path. The desktop's mail program names an
    // attachment by its file, so titles do not travel.
    std::vector<std::string> m_attachmentTitles;
};

class CMailSession {
public:
    CMailSession();
    ~CMailSession();
    CMailSession(const CMailSession&) = delete;
    CMailSession& operator=(const CMailSession&) = delete;

    // Finds the way to the desktop's mail program: "xdg-email", else a
    // "mailto:" address (which carries no attachments).
    bool Load();
    void Unload();
    bool IsLoaded() const { return m_bLoaded; }
    bool IsLoggedOn() const { return m_session != 0; }
    u32 GetLastError() const { return m_dwLastError; }

    // The desktop's mail program keeps its own accounts: a session needs
    // no profile. 1 on success, 0 when nothing was loaded. A mail program
    // that fails after it started is reported to the owner (or, when that
    // has gone, without one) when it ends.
    int Logon(
        const std::string& profileName = {}, const std::string& password = {}, QObject* owner = nullptr);
    // 1 when a session was held.
    int Logoff();
    // 1 when the message was handed to the mail program. Recipients that
    // start with "-" or hold control characters refuse the whole message
    // (MAPI_E_INVALID_RECIPS); a missing attachment gives
    // MAPI_E_ATTACHMENT_NOT_FOUND; attachments without "xdg-email",
    // MAPI_E_NOT_SUPPORTED.
    int Send(CMailMessage& message, bool showDialog);

private:
    bool m_bLoaded = false;
    bool m_bHasProgram = false;
    u32 m_session = 0;
    u32 m_dwLastError = SUCCESS_SUCCESS;
    QPointer<QObject> m_pOwner;
};

// Opens a new message with the file attached in the desktop's mail
// program; false when no mail program took it. The mail program reads the
// file later, when the message is sent: the file must stay until then.
bool MailFileAttachment(const std::string& path, const std::string& title, QObject* owner = nullptr);

// Opens a new message to a "mailto:" address in the desktop's mail
// program, reporting a failure as a session does; false when no mail
// program could be started.
bool OpenMailtoMessage(const QUrl& url, QObject* owner);

// "The mail program could not be started."
constexpr u32 IDS_MAIL_NOT_STARTED = 59577;
