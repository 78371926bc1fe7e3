#include "core/errorreport.h"

#include "core/seexception.h"
#include "platform/programfolder.h"

#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::string kRule(49, '-');
constexpr const char* kClosingRule = "=================================================\r\n\r\n\r\n";
// The hand-over files of fatal reports, in the program's folder, and the
// paths of pipes inherited in their place.
constexpr const char* kHandOverPrefix = "tolva_report_";
constexpr const char* kInheritedPrefix = "/dev/fd/";

// Safe in a signal handler.
bool WriteWhole(int fd, const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

void AppendUtcNow(FixedText& text);

// Every entry of the log, report or note, starts with its time in one form.
std::string NowLine()
{
    auto line = std::make_unique<FixedText>();
    AppendUtcNow(*line);
    return line->ToString();
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

namespace {

// The blocks of the fault and of the store, from the rule under the version
// to the store's last error.
void AppendFaultBlocks(const CSeException& e, u32 dataManLastError, FixedText& report)
{
    report.Add(kRule.data(), kRule.size());
    report.Add("\r\n");
    // The exception line first, so the log reads like the message the user saw.
    if (e.GetSePointers()) {
        e.AppendMessage(report);
        report.Add("\r\n");
    }
    e.AppendRecord(report);
    report.Add("\r\n");
    e.AppendRegisters(report);
    report.Add("\r\n");
    e.AppendStack(report);
    report.Add(kRule.data(), kRule.size());
    report.Add("\r\nDATAMAN\r\nLastErr = ");
    report.AddHex(dataManLastError, 1);
    report.Add("\r\n");
}

// Where the program was loaded: with it the report's addresses lead back to
// the code.
std::string LoadAddressLine()
{
    FixedText line;
    line.Add("Load address:\t");
    line.AddHex(ModuleLoadAddress(), 16);
    line.Add("\r\n");
    return line.ToString();
}

std::string SystemVersionBlock()
{
    std::string block;
    if (!GetWindowsVersionText(block))
        block = "Windows ver. unknown\r\n";
    return block + "\r\n" + kClosingRule;
}

// What a fault handler cannot find out for itself, found at start-up.
struct FatalReportParts {
    std::string logPath;
    std::string handOverPath;
    std::string moduleVersion;
    std::string closing;  // from the rule after the store's state to the end
};
FatalReportParts g_fatalParts;
std::atomic<bool> g_fatalPartsReady{false};

// "YYYY-MM-DD HH:MM:SS UTC" for every entry of the log: the locale's forms
// cannot be had safely inside a signal handler, where the report of a fault
// that nothing caught is written.
void AppendUtcNow(FixedText& text)
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const std::int64_t seconds = now.tv_sec;
    std::int64_t days = seconds / 86400;
    const std::int64_t rest = seconds % 86400;
    // Days since 1970-01-01 to a civil date (proleptic Gregorian).
    days += 719468;
    const std::int64_t era = days / 146097;
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t mp = (5 * dayOfYear + 2) / 153;
    const std::int64_t day = dayOfYear - (153 * mp + 2) / 5 + 1;
    const std::int64_t month = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    const auto two = [&text](std::int64_t v) {
        if (v < 10)
            text.Add("0");
        text.AddDecimal(u64(v));
    };
    text.AddDecimal(u64(year));
    text.Add("-");
    two(month);
    text.Add("-");
    two(day);
    text.Add(" ");
    two(rest / 3600);
    text.Add(":");
    two(rest / 60 % 60);
    text.Add(":");
    two(rest % 60);
    text.Add(" UTC\r\n");
}

}  // namespace

std::string BuildErrorReport(const CSeException& e, const ErrorReportState& state)
{
    std::string report = NowLine();
    std::string block;
    if (FormatModuleVersion(block))
        report += block;
    report += LoadAddressLine();
    auto blocks = std::make_unique<FixedText>();
    AppendFaultBlocks(e, state.dataManLastError, *blocks);
    report += blocks->ToString();
    report += state.tapiStateText;
    report += kRule + "\r\n\r\n\r\n";
    report += SystemVersionBlock();
    return report;
}

void PrepareFatalReport()
{
    g_fatalParts.logPath = ProgramFolder::FilePath(QString::fromLatin1(kErrorLogName)).toStdString();
    g_fatalParts.handOverPath
        = ProgramFolder::FilePath(QString::fromLatin1(kHandOverPrefix) + QString::number(getpid()))
              .toStdString();
    if (!FormatModuleVersion(g_fatalParts.moduleVersion))
        g_fatalParts.moduleVersion.clear();
    g_fatalParts.moduleVersion += LoadAddressLine();
    g_fatalParts.closing = kRule + "\r\n\r\n\r\n" + SystemVersionBlock();
    g_fatalPartsReady = true;
}

void BuildFatalReport(const CSeException& e, u32 dataManLastError, FixedText& report)
{
    report.Clear();
    AppendUtcNow(report);
    const bool ready = g_fatalPartsReady.load();
    if (ready)
        report.Add(g_fatalParts.moduleVersion.data(), g_fatalParts.moduleVersion.size());
    AppendFaultBlocks(e, dataManLastError, report);
    if (ready)
        report.Add(g_fatalParts.closing.data(), g_fatalParts.closing.size());
}

void BuildFatalReportHead(const CSeException& e, FixedText& head)
{
    head.Clear();
    AppendUtcNow(head);
    if (e.AppendMessage(head) || e.GetSePointers())
        head.Add("\r\n");
    head.Add(kClosingRule);
}

const char* HandOverFatalReport(const FixedText& report, int inheritedAs, int& pipeEnd)
{
    pipeEnd = -1;
    if (g_fatalPartsReady.load() && !g_fatalParts.handOverPath.empty()) {
        const char* path = g_fatalParts.handOverPath.c_str();
        // One left by an earlier run that had the same process id.
        unlink(path);
        const int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0) {
            const bool written = WriteWhole(fd, report.Data(), report.Size());
            close(fd);
            if (written)
                return path;
            unlink(path);
        }
    }
    // No room on the disk: a pipe holds the report, which is far smaller
    // than a pipe's buffer, and the process started next inherits it.
    int ends[2];
    if (pipe(ends) != 0)
        return nullptr;
    const bool written = WriteWhole(ends[1], report.Data(), report.Size());
    close(ends[1]);
    if (!written) {
        close(ends[0]);
        return nullptr;
    }
    pipeEnd = ends[0];
    static FixedText path;
    path.Clear();
    path.Add(kInheritedPrefix);
    path.AddDecimal(u64(inheritedAs));
    return path.CStr();
}

bool TakeHandedOverReport(const std::string& path, std::string& report)
{
    constexpr qint64 kMaxReport = 2 * FixedText::kCapacity;
    const QString name = QString::fromStdString(path);
    const bool inherited = name.startsWith(QLatin1String(kInheritedPrefix))
        && name.mid(qsizetype(std::strlen(kInheritedPrefix))).toUInt() > 2;
    if (!inherited) {
        const QFileInfo file(name);
        struct stat st { };
        if (file.absolutePath() != QFileInfo(ProgramFolder::Path()).absoluteFilePath()
            || !file.fileName().startsWith(QLatin1String(kHandOverPrefix)) || lstat(path.c_str(), &st) != 0
            || !S_ISREG(st.st_mode) || st.st_uid != getuid())
            return false;
    }
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | (inherited ? 0 : O_NOFOLLOW));
    if (fd < 0)
        return false;
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0 || qint64(text.size()) > kMaxReport)
            break;
        text.append(buffer, size_t(n));
    }
    close(fd);
    if (!inherited)
        unlink(path.c_str());
    report = std::move(text);
    return true;
}

bool AppendFatalReport(const FixedText& report)
{
    if (!g_fatalPartsReady.load() || g_fatalParts.logPath.empty())
        return false;
    const char* path = g_fatalParts.logPath.c_str();
    struct stat before { };
    const bool existed = lstat(path, &before) == 0;
    const int fd = open(path, O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return false;
    struct stat st { };
    bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (ok && st.st_size >= kErrorLogLimit) {
        ok = ftruncate(fd, 0) == 0;
        st.st_size = 0;
    }
    ok = ok && lseek(fd, 0, SEEK_END) >= 0;
    ok = ok && WriteWhole(fd, report.Data(), report.Size());
    // A report cut short by a full disk would read as a whole one.
    if (!ok && S_ISREG(st.st_mode)) {
        [[maybe_unused]] const int cut = ftruncate(fd, st.st_size);
    }
    close(fd);
    if (!ok && !existed)
        unlink(path);
    return ok;
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
    // The rule goes on a line of its own, whether or not the note ended one.
    if (!lines.ends_with("\r\n"))
        lines += "\r\n";
    return AppendErrorLog(NowLine() + lines + kRule + "\r\n\r\n");
}

bool AppendErrorLog(const std::string& report)
{
    QFile log(ProgramFolder::FilePath(QString::fromLatin1(kErrorLogName)));
    const bool existed = log.exists();
    // The log holds what the user's contacts looked like: for the user only.
    if (!log.open(QIODevice::ReadWrite, QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return false;
    qint64 kept = log.size();
    if (kept >= kErrorLogLimit) {
        kept = 0;
        if (!log.resize(0))
            return false;
    }
    const qint64 n = qint64(report.size());
    if (log.seek(kept) && log.write(report.data(), n) == n && log.flush())
        return true;
    // A full disk: no half report, and no empty log left behind as if
    // something had been written.
    const QString path = log.fileName();
    log.close();
    if (existed)
        QFile::resize(path, kept);
    else
        QFile::remove(path);
    return false;
}
