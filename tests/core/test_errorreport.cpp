#include "core/errorreport.h"
#include "core/seexception.h"
#include "platform/programfolder.h"
#include "support/testenv.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

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

TEST_F(ErrorReportTest, UnwritableLogIsSkipped)
{
    const QString path = ProgramFolder::FilePath(kErrorLogName);
    QDir().mkpath(path);  // a folder where the log should be
    EXPECT_FALSE(AppendErrorLog("lost\r\n"));
}
