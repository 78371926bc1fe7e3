// Small services used across the program: message boxes titled with the
// product name, string-table texts, error texts, help pop-ups, message and
// clipboard-format registration, and a few locale and text operations.
#pragma once

#include "platform/msgbox.h"
#include "platform/wintypes.h"

#include <cstdio>
#include <string>

class QObject;

constexpr const char* kProductName = "Tolva";

// Result codes of the program's own operations, besides the system's.
constexpr u32 RC_SHORT_READ = 7;
constexpr u32 RC_SHORT_WRITE = 8;
constexpr u32 RC_NOTHING_LOADED = 13;
constexpr u32 RC_MISSING = 14;  // a missing record, no data, no memory or no channel
constexpr u32 RC_NO_OUTPUT_FILE = 26;
constexpr u32 RC_CANNOT_OPEN = 36;
// A record in a file is not framed as records are: the file is damaged.
// The number is the system's own for a corrupt file.
constexpr u32 RC_BAD_RECORD = 1392;

// The string table text of an id; id 0 (or an unknown id) gives "".
std::string LoadResString(u32 id);
// printf-style formatting of a string-table text with one string argument.
std::string FormatResString(u32 id, const std::string& arg);

int MsgStop(u32 id, QObject* owner = nullptr);
int MsgStopText(const std::string& text, QObject* owner = nullptr);
int MsgQuestion(u32 id, QObject* owner = nullptr, u32 buttons = MB_OK);
int MsgQuestionText(const std::string& text, QObject* owner = nullptr, u32 buttons = MB_OK);
int MsgInfo(u32 id, QObject* owner = nullptr);
int MsgInfoText(const std::string& text, QObject* owner = nullptr);
int MsgWarning(u32 id, QObject* owner = nullptr);
int MsgWarningText(const std::string& text, QObject* owner = nullptr);
// Notes the text in the error log and shows it; when the log cannot be
// written either, the message says so, so that no failure passes unnoted.
int MsgStopLogged(const std::string& text, QObject* owner = nullptr);

// The text of a result code: the program's own codes first, then the
// system's, then "Program error # %x".
std::string ErrorText(u32 code);
// Shows ErrorText of the code, the prefix on a line of its own after it;
// code 0 shows nothing.
void ShowErrorText(const char* prefix, u32 code);
// "Error in file "%s"" followed by the error's text.
void ShowFileError(u32 error, const std::string& fileName);

// Context help for a control of a dialog (window is the control, or a part
// of it): pairs of control id and topic id. A topics file that is missing or
// damaged shows nothing and is noted once in the error log.
void ShowHelpPopup(QObject* window, const HelpPairs& pairs);

// A printf format filled in, for texts of a line or two (longer ones are
// cut at 511 bytes).
template <class... Args> std::string FormatText(const char* format, Args... args)
{
    char text[512];
    std::snprintf(text, sizeof text, format, args...);
    return text;
}

// "Book" gives "Book1", "Book9" gives "Book10"; a long run of digits never
// overflows.
std::string IncrementTrailingNumber(const std::string& name);

bool IsMetricLocale();
std::string GetDecimalSeparator();
// Sets and returns the right-to-left flag (Hebrew user language).
bool IsRightToLeftLocale();
bool GetRightToLeftFlag();

// The registered window messages and clipboard formats, registered once.
struct RegisteredIds {
    u32 WM_DIAL_HOTPHONE;
    u32 WM_SEND_HOTMAIL;
    u32 WM_DIAL_PHONE;
    u32 WM_SEND_MAIL;
    u32 WM_LINESTATE_CHANGED;
    u32 WM_GETDROPMENU;
    u32 WM_TRAY_NOTIFICATION;
    u32 WM_TASKBARCREATED;
    u32 CF_TOLVA_CONTACTS;
    u32 CF_TOLVA_BOOK;
    u32 CF_FILEGROUPDESCRIPTOR;
    u32 CF_FILECONTENTS;
};
const RegisteredIds& Registered();
