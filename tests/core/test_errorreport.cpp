#include "core/errorreport.h"
#include "core/seexception.h"
#include "filelimit.h"
#include "platform/programfolder.h"
#include "support/testenv.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <memory>

using ErrorReportTest = TolvaTest;

namespace {

QByteArray ReadLog()
{
    QFile f(ProgramFolder::FilePath(kErrorLogName));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

TEST_F(ErrorReportTest, ReportHasItsBlocksInOrder)
{
    SePointers p;
    p.record.address = 0x401000;
    CSeException e(EXCEPTION_INT_DIVIDE_BY_ZERO, &p);
    const std::string report = BuildErrorReport(e, {0x19, "TAPIMAN\r\n"});
    const auto at = [&](const char* s) { return report.find(s); };
    ASSERT_NE(at("Filename:\t"), std::string::npos);
    EXPECT_LT(at("Filename:\t"), at("Exception code:\t\tc0000094"));
    EXPECT_LT(at("Exception code:"), at("Registers:\r\n"));
    EXPECT_LT(at("Registers:"), at("Stack Trace:\r\n"));
    EXPECT_LT(at("Stack Trace:"), at("DATAMAN\r\nLastErr = 19\r\nTAPIMAN\r\n"));
    EXPECT_NE(at((std::string(49, '-') + "\r\n\r\n\r\n").c_str()), std::string::npos);
    const std::string ending = std::string(49, '=') + "\r\n\r\n\r\n";
    EXPECT_EQ(report.substr(report.size() - ending.size()), ending);
    // The time carries seconds, so that two faults of one minute are told apart.
    const QString first = QString::fromStdString(report.substr(0, report.find('\r')));
    EXPECT_TRUE(first.contains(QRegularExpression(QStringLiteral("\\d:\\d\\d:\\d\\d")))) << report;
    for (size_t i = report.find('\n'); i != std::string::npos; i = report.find('\n', i + 1))
        ASSERT_EQ(report[i - 1], '\r') << "line ending at " << i;
}

TEST_F(ErrorReportTest, LogIsEmptiedAtItsLimit)
{
    const QString path = ProgramFolder::FilePath(kErrorLogName);
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(kErrorLogLimit - 1, 'x'));
    }
    ASSERT_TRUE(AppendErrorLog("next\r\n"));
    EXPECT_EQ(ReadLog().size(), kErrorLogLimit - 1 + 6);  // appended below the limit

    ASSERT_TRUE(AppendErrorLog("again\r\n"));  // now at or above the limit: emptied first
    EXPECT_EQ(ReadLog(), QByteArray("again\r\n"));
}

TEST_F(ErrorReportTest, ANoteAndItsRuleAreLinesOfTheirOwn)
{
    const std::string rule(49, '-');
    ASSERT_TRUE(AppendErrorLogNote("The help topics could not be read"));
    ASSERT_TRUE(AppendErrorLogNote("Two lines\nof a note\n"));
    const QString log = QString::fromUtf8(ReadLog());
    EXPECT_TRUE(
        log.contains(QString::fromStdString("\r\nThe help topics could not be read\r\n" + rule + "\r\n\r\n")))
        << log.toStdString();
    EXPECT_TRUE(log.contains(QString::fromStdString("\r\nTwo lines\r\nof a note\r\n" + rule + "\r\n\r\n")))
        << log.toStdString();
}

TEST_F(ErrorReportTest, UnwritableLogIsSkipped)
{
    const QString path = ProgramFolder::FilePath(kErrorLogName);
    QDir().mkpath(path);  // a folder where the log should be
    EXPECT_FALSE(AppendErrorLog("lost\r\n"));
}

TEST_F(ErrorReportTest, ReportOfAFaultNothingCaughtMatchesTheUsualOne)
{
    SePointers p;
    p.record.address = 0x401000;
    p.record.info[1] = 0x10;
    p.context.rip = 0xdeadbeef;
    CSeException e(EXCEPTION_ACCESS_VIOLATION, &p);
    e.WalkStack(0);
    const std::string usual = BuildErrorReport(e, {0x19, ""});
    PrepareFatalReport();
    auto fatal = std::make_unique<FixedText>();
    BuildFatalReport(e, 0x19, *fatal);
    const std::string text = fatal->ToString();
    // From the version to the end the texts are the same, and both start
    // with the time in one form (UTC: the locale cannot be asked inside the
    // handler); so does a note.
    const size_t version = usual.find("Filename:\t");
    ASSERT_NE(version, std::string::npos);
    EXPECT_EQ(text.substr(text.find("Filename:\t")), usual.substr(version));
    ASSERT_TRUE(AppendErrorLogNote("A note"));
    const QRegularExpression time(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d UTC\\r\\n"));
    for (const std::string& entry : {text, usual, std::string(ReadLog().constData())})
        EXPECT_TRUE(time.match(QString::fromStdString(entry)).hasMatch()) << entry.substr(0, 40);
}

TEST_F(ErrorReportTest, FullDiskLeavesNoEmptyOrHalfReportAndSaysSo)
{
    CSeException e(EXCEPTION_INT_DIVIDE_BY_ZERO, nullptr);
    PrepareFatalReport();
    auto fatal = std::make_unique<FixedText>();
    BuildFatalReport(e, 0, *fatal);
    const QString path = ProgramFolder::FilePath(kErrorLogName);
    {
        FileSizeLimit full(0);
        EXPECT_FALSE(AppendErrorLog("lost\r\n"));
        EXPECT_FALSE(AppendFatalReport(*fatal));
        EXPECT_FALSE(AppendErrorLogNote("lost"));
    }
    EXPECT_FALSE(QFile::exists(path));

    ASSERT_TRUE(AppendErrorLog("earlier\r\n"));
    {
        FileSizeLimit nearlyFull(12);
        EXPECT_FALSE(AppendErrorLog("longer than what is left\r\n"));
        EXPECT_FALSE(AppendFatalReport(*fatal));
    }
    EXPECT_EQ(ReadLog(), "earlier\r\n");
    EXPECT_TRUE(AppendFatalReport(*fatal));
    EXPECT_EQ(ReadLog().size(), qsizetype(9 + fatal->Size()));
}
