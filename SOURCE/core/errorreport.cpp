#include "core/errorreport.h"

#include "core/seexception.h"
#include "platform/programfolder.h"

#include <QDateTime>
#include <QFile>
#include <QLocale>
#include <QSysInfo>
#include <cstdio>

namespace {

const std::string kRule(49, '-');

// The locale's long time form (hours, minutes and seconds) without its time
// zone: the report's time must tell faults of the same minute apart.
QString TimeText(const QLocale& locale, const QTime& time)
{
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString kept;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (quoted || c != QLatin1Char('t'))
            kept += c;
    }
    return locale.toString(time, kept.simplified());
}

std::string NowLine()
{
    const QDateTime now = QDateTime::currentDateTime();
    const QLocale locale;
    return (locale.toString(now.date(), QLocale::LongFormat) + QLatin1Char(' ')
               + TimeText(locale, now.time()))
               .toStdString()
        + "\r\n";
}

}  // namespace

bool GetWindowsVersionText(std::string& text)
{
    const QString name = QSysInfo::prettyProductName();
    const QString kernel = QSysInfo::kernelType() + QLatin1Char(' ') + QSysInfo::kernelVersion();
    if (name.isEmpty() && QSysInfo::kernelVersion().isEmpty())
        return false;
    text = (name + QStringLiteral(" (") + kernel + QStringLiteral(")\r\n")).toStdString();
    return true;
}

std::string BuildErrorReport(const CSeException& e, const ErrorReportState& state)
{
    std::string report = NowLine();
    std::string block;
    if (FormatModuleVersion(block))
        report += block;
    report += kRule + "\r\n";

    // The exception line first, so the log reads like the message the user saw.
    if (e.GetSePointers()) {
        e.FormatMessage(block);
        report += block + "\r\n";
    }
    e.FormatRecord(block);
    report += block + "\r\n";
    e.FormatRegisters(block);
    report += block + "\r\n";
    e.FormatStack(block);
    report += block;
    report += kRule + "\r\n";

    char line[64];
    std::snprintf(line, sizeof line, "DATAMAN\r\nLastErr = %x\r\n", state.dataManLastError);
    report += line;
    report += state.tapiStateText;
    report += kRule + "\r\n\r\n\r\n";

    if (!GetWindowsVersionText(block))
        block = "Windows ver. unknown\r\n";
    report += block + "\r\n";
    report += std::string(49, '=') + "\r\n\r\n\r\n";
    return report;
}

bool AppendErrorLogNote(const std::string& text)
{
    // The log's lines end in CR LF like the rest of it.
    std::string lines;
    lines.reserve(text.size() + 16);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            lines += '\r';
        lines += text[i];
    }
    return AppendErrorLog(NowLine() + lines + kRule + "\r\n\r\n");
}

bool AppendErrorLog(const std::string& report)
{
    QFile log(ProgramFolder::FilePath(QString::fromLatin1(kErrorLogName)));
    if (!log.open(QIODevice::ReadWrite))
        return false;
    if (log.size() >= kErrorLogLimit) {
        if (!log.resize(0))
            return false;
    }
    if (!log.seek(log.size()))
        return false;
    const qint64 n = qint64(report.size());
    return log.write(report.data(), n) == n && log.flush();
}
