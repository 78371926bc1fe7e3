// The error report written after a processor fault: the time and the
// program's version, the fault itself, the state of the store and the
// telephony line, and the system's version; appended to "tolva_error.log"
// in the program's folder.
#pragma once

#include "platform/wintypes.h"

#include <string>

class CSeException;
class FixedText;

constexpr long long kErrorLogLimit = 65536;
constexpr const char* kErrorLogName = "tolva_error.log";

// The state blocks of the report come from the services that own them.
struct ErrorReportState {
    u32 dataManLastError = 0;
    std::string tapiStateText;
};

std::string BuildErrorReport(const CSeException& e, const ErrorReportState& state);
// Appends the report to the log, emptying it first when it has reached the
// limit. A log that cannot be written is skipped: reporting must never stop
// the handling of the fault being reported. Returns whether it was written.
bool AppendErrorLog(const std::string& report);
// Appends a note (lines ending in LF or CR LF) under the current date and time,
// closed by a rule: what the program mended or could not do, for a later
// look at what happened to the user's data.
bool AppendErrorLogNote(const std::string& text);
// The report of a fault that nothing could catch is built and written from
// inside the fault's signal handling. What it cannot find out there (the log's
// path, the program's version, the system's name) is found once at start-up.
void PrepareFatalReport();
// Safe in a signal handler: the time is given in UTC.
void BuildFatalReport(const CSeException& e, u32 dataManLastError, FixedText& report);
// The fatal report's first lines on their own: the time and the exception
// line, closed as a report is. Safe in a signal handler.
void BuildFatalReportHead(const CSeException& e, FixedText& head);
// Safe in a signal handler; the log is kept under its limit as always. A
// report that could not be written whole is taken out again.
bool AppendFatalReport(const FixedText& report);
// Hands a fatal report over to the process that shows it, without putting
// it on that process's command line (which every local user can read):
// returns the path to give it, a file only the user can read or, when no
// file can be written, a pipe whose reading end is put in pipeEnd (else -1)
// and which the process inherits as descriptor inheritedAs; null when
// neither works. Safe in a signal handler.
const char* HandOverFatalReport(const FixedText& report, int inheritedAs, int& pipeEnd);
// Reads a report handed over under that path and removes its file. Only the
// program's own hand-over files (and inherited pipes) are read.
bool TakeHandedOverReport(const std::string& path, std::string& report);
// The system's name and version, ending in CR LF; false when unknown.
bool GetWindowsVersionText(std::string& text);
