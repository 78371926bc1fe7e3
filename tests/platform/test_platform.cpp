#include "platform/lineprovider.h"
#include "platform/messages.h"
#include "platform/oledate.h"
#include "platform/profile.h"
#include "platform/programfolder.h"
#include "platform/regularfile.h"
#include "platform/syserror.h"
#include "platform/textcodec.h"
#include "support/fifowatch.h"
#include "support/testenv.h"

#include <QFile>
#include <QSettings>

using ProfileTest = TolvaTest;

TEST_F(ProfileTest, ValuesSurviveANewSettingsObject)
{
    LOGFONT font;
    font.lfHeight = -13;
    std::strcpy(font.lfFaceName, "DejaVu Sans");
    EXPECT_TRUE(Profile::WriteInt("UserMan\\MainWnd", "Flags", -5));
    EXPECT_TRUE(Profile::WriteString("DataMan", "ImportPath", "/home/x/ä.csv"));
    EXPECT_TRUE(Profile::WriteStruct("UserMan\\ContList", "Font", font));
    Profile::Reopen();

    EXPECT_EQ(Profile::GetInt("UserMan\\MainWnd", "Flags", 0), -5);
    EXPECT_EQ(Profile::GetString("DataMan", "ImportPath"), "/home/x/ä.csv");
    LOGFONT back;
    ASSERT_TRUE(Profile::GetStruct("UserMan\\ContList", "Font", back));
    EXPECT_EQ(back, font);

    // The backslash section is a group path in the file itself.
    QSettings raw(Profile::FilePath(), QSettings::IniFormat);
    EXPECT_EQ(raw.value("UserMan/MainWnd/Flags").toInt(), -5);
}

TEST_F(ProfileTest, BinaryOfAnotherSizeIsIgnored)
{
    const char shortFont[59] = {};
    Profile::WriteBinary("UserMan\\ContList", "Font", shortFont, sizeof shortFont);
    Profile::Reopen();
    LOGFONT font;
    font.lfHeight = 7;
    EXPECT_FALSE(Profile::GetStruct("UserMan\\ContList", "Font", font));
    EXPECT_EQ(font.lfHeight, 7);
    EXPECT_TRUE(Profile::GetBinaryAnySize("UserMan\\ContList", "Font").has_value());
    // A string where a binary value is expected is not a binary value.
    Profile::WriteString("X", "Y", "abc");
    EXPECT_FALSE(Profile::GetBinary("X", "Y", 3).has_value());
    EXPECT_EQ(Profile::GetInt("X", "Missing", 42), 42);
    EXPECT_EQ(Profile::GetInt("X", "Y", 42), 42);
}

TEST_F(ProfileTest, ProgramFolderIsMadeUnderTheDataHome)
{
    const QString path = ProgramFolder::FilePath("backup\\tolva.rd0");
    EXPECT_TRUE(path.endsWith("/Tolva/backup/tolva.rd0"));
    EXPECT_TRUE(path.startsWith(qEnvironmentVariable("XDG_DATA_HOME")));
}

TEST(TextCodec, Utf8IsKeptAndOtherBytesAreWindows1252)
{
    EXPECT_TRUE(TextCodec::IsValidUtf8("Müller"));
    EXPECT_FALSE(TextCodec::IsValidUtf8("M\xFCller"));
    EXPECT_FALSE(TextCodec::IsValidUtf8("\xC0\x80"));  // overlong NUL
    EXPECT_FALSE(TextCodec::IsValidUtf8("\xED\xA0\x80"));  // surrogate
    EXPECT_FALSE(TextCodec::IsValidUtf8("\xE2\x82"));  // cut short
    EXPECT_EQ(TextCodec::ToUtf8("M\xFCller \x80 \x9F"), "Müller € Ÿ");
    EXPECT_EQ(TextCodec::ToUtf8("Müller"), "Müller");
}

TEST(RegisteredMessages, SameNameSameNumber)
{
    const u32 a = RegisterWindowMessage("WM_DIAL_PHONE");
    const u32 b = RegisterWindowMessage("WM_SEND_MAIL");
    EXPECT_GE(a, kFirstRegisteredId);
    EXPECT_NE(a, b);
    EXPECT_EQ(RegisterWindowMessage("WM_DIAL_PHONE"), a);
    EXPECT_EQ(RegisterClipboardFormat("WM_DIAL_PHONE"), a);
    EXPECT_EQ(RegisteredName(b), "WM_SEND_MAIL");
    EXPECT_EQ(RegisterWindowMessage(""), 0u);
}

TEST(DateValue, AutomationDayCounts)
{
    EXPECT_DOUBLE_EQ(DateFromQDateTime(QDateTime(QDate(1899, 12, 30), QTime(0, 0))).m_dt, 0.0);
    EXPECT_DOUBLE_EQ(DateFromQDateTime(QDateTime(QDate(1900, 1, 1), QTime(6, 0))).m_dt, 2.25);
    // Before the epoch the fraction still counts forwards within the day.
    EXPECT_DOUBLE_EQ(DateFromQDateTime(QDateTime(QDate(1899, 12, 29), QTime(18, 0))).m_dt, -1.75);
    EXPECT_EQ(DateToQDateTime({-1.75, DateStatus::Valid}), QDateTime(QDate(1899, 12, 29), QTime(18, 0)));
    EXPECT_FALSE(DateToQDateTime(DateValue::Null()).isValid());
    EXPECT_FALSE(DateToQDateTime({1e300, DateStatus::Valid}).isValid());

    SYSTEMTIME st{2026, 12, 0, 6, 17, 30, 0, 0};
    SYSTEMTIME back;
    ASSERT_TRUE(DateToSystemTime(DateFromSystemTime(st), back));
    EXPECT_EQ(back.wDayOfWeek, 0);  // a Sunday
    back.wDayOfWeek = 0;
    EXPECT_EQ(back, st);
}

TEST(DateValue, NowMatchesTheLocalClock)
{
    const QDateTime before = QDateTime::currentDateTime();
    const DateValue now = DateNow();
    const QDateTime after = QDateTime::currentDateTime();
    EXPECT_TRUE(now.IsValid());
    EXPECT_GE(now.m_dt + 1e-6, DateFromQDateTime(before).m_dt);
    EXPECT_LE(now.m_dt - 1e-6, DateFromQDateTime(after).m_dt);
}

TEST_F(ProfileTest, OnlyRegularFilesAreOpenedForReading)
{
    const QString fifo = m_dir->filePath(QStringLiteral("pipe"));
    FifoWatch watch(fifo);
    ASSERT_TRUE(watch.Made());
    const QString regular = m_dir->filePath(QStringLiteral("plain.txt"));
    {
        QFile file(regular);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("text");
    }
    for (const QString& path : {fifo, m_dir->path(), QStringLiteral("/dev/zero")}) {
        SCOPED_TRACE(path.toStdString());
        CRegularFile file(path);
        EXPECT_FALSE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(ErrorFromErrno(errno), ERROR_BAD_FILE_TYPE);
        EXPECT_EQ(file.errorString(), "It is not an ordinary file but a folder, a pipe or a device.");
        // The system's error text says it in the same words.
        EXPECT_EQ(SystemErrorText(ERROR_BAD_FILE_TYPE), file.errorString().toStdString());
    }
    CRegularFile missing(m_dir->filePath(QStringLiteral("missing")));
    EXPECT_FALSE(missing.open(QIODevice::ReadOnly));
    EXPECT_EQ(ErrorFromErrno(errno), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(missing.exists());

    // A regular file reads as through QFile, a link to one too.
    const QString link = m_dir->filePath(QStringLiteral("link.txt"));
    ASSERT_TRUE(QFile::link(regular, link));
    for (const QString& path : {regular, link}) {
        CRegularFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.size(), 4);
        EXPECT_EQ(file.readAll(), "text");
    }

    // A telephony script named by the settings is one such file.
    Profile::WriteString("TapiMan", "LineScript", fifo.toStdString());
    MakeConfiguredLineProvider();
    ASSERT_EQ(m_messages.shown.size(), 1u);
    EXPECT_NE(m_messages.shown[0].text.find("It is not an ordinary file"), std::string::npos);
    EXPECT_FALSE(watch.Blocked());
}
