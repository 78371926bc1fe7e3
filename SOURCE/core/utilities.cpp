#include "core/utilities.h"

#include "core/errorreport.h"
#include "platform/helptopics.h"
#include "platform/messages.h"
#include "platform/programfolder.h"
#include "platform/syserror.h"
#include "res/strings.h"

#include <QLocale>
#include <algorithm>
#include <cstdio>

namespace {

constexpr u32 kMsgNotLogged = 61705;

int Show(const std::string& text, QObject* owner, u32 type)
{
    return CurrentMessageSink().ShowMessage(owner, text, kProductName, type);
}

std::string ProgramErrorText(u32 code)
{
    switch (code) {
    case RC_SHORT_READ:
        return "The file ended before all of its data could be read.";
    case RC_SHORT_WRITE:
        return "Not all of the data could be written to the file.";
    case RC_NOTHING_LOADED:
        return "Nothing could be loaded from the file.";
    case RC_MISSING:
        return "A record is missing, or there is no data or not enough memory.";
    case RC_NO_OUTPUT_FILE:
        return "No output file is open.";
    case RC_CANNOT_OPEN:
        return "The file cannot be opened.";
    case RC_BAD_RECORD:
        return "The file is damaged: a record in it is not where it should be.";
    default:
        return {};
    }
}

}  // namespace

std::string LoadResString(u32 id)
{
    if (id == 0)
        return {};
    const char* text = FindResString(id);
    return text ? text : std::string();
}

std::string FormatResString(u32 id, const std::string& arg)
{
    const std::string pattern = LoadResString(id);
    std::string out;
    out.reserve(pattern.size() + arg.size());
    bool used = false;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size()) {
            if (pattern[i + 1] == 's' && !used) {
                out += arg;
                used = true;
                ++i;
                continue;
            }
            if (pattern[i + 1] == '%') {
                out += '%';
                ++i;
                continue;
            }
        }
        out += pattern[i];
    }
    return out;
}

int MsgStop(u32 id, QObject* owner)
{
    return MsgStopText(LoadResString(id), owner);
}
int MsgStopText(const std::string& text, QObject* owner)
{
    return Show(text, owner, MB_OK | MB_ICONHAND | MB_TASKMODAL | MB_TOPMOST);
}
int MsgStopLogged(const std::string& text, QObject* owner)
{
    if (AppendErrorLogNote(text + "\n"))
        return MsgStopText(text, owner);
    return MsgStopText(
        text + "\n\n" + FormatResString(kMsgNotLogged, ProgramFolder::FilePathUtf8(kErrorLogName)), owner);
}
int MsgQuestion(u32 id, QObject* owner, u32 buttons)
{
    return MsgQuestionText(LoadResString(id), owner, buttons);
}
int MsgQuestionText(const std::string& text, QObject* owner, u32 buttons)
{
    return Show(text, owner, buttons | MB_ICONQUESTION);
}
int MsgInfo(u32 id, QObject* owner)
{
    return MsgInfoText(LoadResString(id), owner);
}
int MsgInfoText(const std::string& text, QObject* owner)
{
    return Show(text, owner, MB_OK | MB_ICONINFORMATION);
}
int MsgWarning(u32 id, QObject* owner)
{
    return MsgWarningText(LoadResString(id), owner);
}
int MsgWarningText(const std::string& text, QObject* owner)
{
    return Show(text, owner, MB_OK | MB_ICONEXCLAMATION);
}

std::string ErrorText(u32 code)
{
    // The program's own small codes overlap system codes of the same number
    // (8 is also "not enough storage"); what the program meant comes first.
    std::string text = ProgramErrorText(code);
    if (text.empty())
        text = SystemErrorText(code);
    if (text.empty()) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "Program error # %x", code);
        text = buffer;
    }
    return text;
}

void ShowErrorText(const char* prefix, u32 code)
{
    if (code == 0)
        return;
    std::string text = ErrorText(code);
    if (prefix) {
        text += '\n';
        text += prefix;
    }
    Show(text, nullptr, MB_OK);
}

void ShowFileError(u32 error, const std::string& fileName)
{
    MsgStopText(FormatResString(59530, fileName) + ErrorText(error));
}

void ShowHelpPopup(QObject* window, const HelpPairs& pairs)
{
    // The help ships with the program, beside its other read-only files.
    const std::string path
        = ProgramFolder::SharedPath(QStringLiteral("help/tolva.chm")).toStdString() + "::/popup/topics.txt";
    const std::string topicsFile = HelpTopicsFileOf(path);
    std::string error;
    HelpTopicsOfFile(topicsFile, &error);
    if (!error.empty())
        AppendErrorLogNote("Context help is not available: " + topicsFile + ": " + error + "\r\n");
    CurrentMessageSink().ShowHelpPopup(window, path, pairs);
}

std::string IncrementTrailingNumber(const std::string& name)
{
    size_t digits = name.size();
    while (digits > 0 && name[digits - 1] >= '0' && name[digits - 1] <= '9')
        --digits;
    if (digits == name.size())
        return name + '1';
    // Add one in decimal on the text itself, so any run of digits works; the
    // value counts, not the way it was written ("Book007" gives "Book8").
    std::string number = name.substr(digits);
    number.erase(0, std::min(number.find_first_not_of('0'), number.size() - 1));
    size_t i = number.size();
    while (i > 0) {
        --i;
        if (number[i] == '9') {
            number[i] = '0';
            if (i == 0)
                number.insert(number.begin(), '1');
        } else {
            ++number[i];
            break;
        }
    }
    return name.substr(0, digits) + number;
}

bool IsMetricLocale()
{
    return QLocale().measurementSystem() == QLocale::MetricSystem;
}

std::string GetDecimalSeparator()
{
    return QLocale().decimalPoint().trimmed().toStdString();
}

namespace {
bool g_rightToLeft = false;
}

bool IsRightToLeftLocale()
{
    g_rightToLeft = QLocale().language() == QLocale::Hebrew;
    return g_rightToLeft;
}

bool GetRightToLeftFlag()
{
    return g_rightToLeft;
}

const RegisteredIds& Registered()
{
    static const RegisteredIds ids{
        RegisterWindowMessage("WM_DIAL_HOTPHONE"),
        RegisterWindowMessage("WM_SEND_HOTMAIL"),
        RegisterWindowMessage("WM_DIAL_PHONE"),
        RegisterWindowMessage("WM_SEND_MAIL"),
        RegisterWindowMessage("WM_LINESTATE_CHANGED"),
        RegisterWindowMessage("WM_GETDROPMENU"),
        RegisterWindowMessage("WM_TRAY_NOTIFICATION"),
        RegisterWindowMessage("TaskbarCreated"),
        RegisterClipboardFormat("TolvaDataFormat"),
        RegisterClipboardFormat("TolvaDataFormatBook"),
        RegisterClipboardFormat("FileGroupDescriptor"),
        RegisterClipboardFormat("FileContents"),
    };
    return ids;
}
