#include "platform/helptopics.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(HelpTopics, TextsAreFoundByNumberWithTheirParagraphs)
{
    HelpTopics topics;
    std::string error;
    ASSERT_TRUE(ParseHelpTopics("# notes\r\n\n.topic 1001\nThe name as\n  it is shown.\n\n"
                                ".topic 1002\r\nFirst paragraph.\r\n\r\n\r\nSecond one.\r\n# a note\r\n"
                                ".topic 1003\n",
        topics, error))
        << error;
    EXPECT_EQ(topics.Text(1001), "The name as it is shown.");
    EXPECT_EQ(topics.Text(1002), "First paragraph.\n\nSecond one.");
    EXPECT_EQ(topics.Text(1003), "");
    EXPECT_EQ(topics.Text(1004), "");
}

TEST(HelpTopics, ADamagedFileGivesNoTopicsAndSaysWhere)
{
    const struct {
        const char* bytes;
        const char* error;
    } cases[] = {
        {"Text first.\n.topic 1\nx\n", "line 1: text before the first topic"},
        {".topic 1\nx\n.topic 1\ny\n", "line 3: a topic number is used twice"},
        {".topic\nx\n", "line 1: a topic needs a number from 1 to 65535"},
        {".topic 0\nx\n", "line 1: a topic needs a number from 1 to 65535"},
        {".topic 65536\nx\n", "line 1: a topic needs a number from 1 to 65535"},
        {".topic 12a\nx\n", "line 1: a topic needs a number from 1 to 65535"},
        {".topic 1\n\xff\xfe\n", "the file is not UTF-8 text"},
    };
    for (const auto& c : cases) {
        HelpTopics topics;
        topics.texts[7] = "left over";
        std::string error;
        EXPECT_FALSE(ParseHelpTopics(c.bytes, topics, error)) << c.bytes;
        EXPECT_EQ(error, c.error);
        EXPECT_TRUE(topics.texts.empty());
    }
    HelpTopics topics;
    std::string error;
    EXPECT_FALSE(ParseHelpTopics(std::string(HelpTopics::kMaxFileSize + 1, 'x'), topics, error));
}

TEST(HelpTopics, AFileIsReadOnceAndAFailureReportedOnce)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("topics.txt"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(".topic 5\nFive.\n");
    file.close();
    std::string error;
    EXPECT_EQ(HelpTopicsOfFile(path.toStdString(), &error).Text(5), "Five.");
    EXPECT_EQ(error, "");
    // Read once: a later change of the file is not seen in this run.
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(".topic 5\nChanged.\n");
    file.close();
    EXPECT_EQ(HelpTopicsOfFile(path.toStdString()).Text(5), "Five.");

    const std::string missing = dir.filePath(QStringLiteral("missing.txt")).toStdString();
    EXPECT_TRUE(HelpTopicsOfFile(missing, &error).texts.empty());
    EXPECT_NE(error, "");
    std::string again;
    EXPECT_TRUE(HelpTopicsOfFile(missing, &again).texts.empty());
    EXPECT_EQ(again, "");

    EXPECT_EQ(HelpTopicsFileOf("/opt/share/tolva/help/tolva.chm::/popup/topics.txt"),
        "/opt/share/tolva/help/popup/topics.txt");
    EXPECT_EQ(HelpTopicsFileOf("/x/topics.txt"), "/x/topics.txt");
}

}  // namespace
