#include "platform/autostart.h"
#include "support/testenv.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using AutostartTest = TolvaTest;

TEST_F(AutostartTest, EnableWritesTheEntryUnderTheConfigFolderAndDisableRemovesIt)
{
    EXPECT_EQ(qEnvironmentVariable("XDG_CONFIG_HOME") + "/autostart/tolva.desktop", Autostart::EntryPath());
    EXPECT_FALSE(Autostart::IsEnabled());
    EXPECT_TRUE(Autostart::Disable());  // nothing to remove is no failure

    ASSERT_TRUE(Autostart::Enable(QStringLiteral("/opt/tolva/bin/tolva")));
    EXPECT_TRUE(Autostart::IsEnabled());
    QFile file(Autostart::EntryPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.startsWith("[Desktop Entry]\n"));
    EXPECT_TRUE(text.contains("\nExec=/opt/tolva/bin/tolva -regrun\n"));
    EXPECT_EQ(1, text.count("Exec="));
    file.close();

    EXPECT_TRUE(Autostart::Disable());
    EXPECT_FALSE(Autostart::IsEnabled());
    // A path that would add keys to the entry is refused.
    EXPECT_FALSE(Autostart::Enable(QStringLiteral("/tmp/x\nExec=evil")));
    EXPECT_FALSE(Autostart::IsEnabled());
}

TEST_F(AutostartTest, EntryIsMadeFromTheInstalledOne)
{
    const QByteArray installed = "# comment\n[Desktop Entry]\nType=Application\nName=Tolva\nName[de]=Tolva\n"
                                 "Exec=tolva %U\nTryExec=tolva\nHidden=true\nIcon=tolva\n\n"
                                 "[Desktop Action New]\nExec=tolva --new\n";
    EXPECT_EQ("[Desktop Entry]\nType=Application\nName=Tolva\nName[de]=Tolva\nIcon=tolva\n\n"
              "Exec=/usr/bin/tolva -regrun\n",
        Autostart::MakeEntry(installed, QStringLiteral("/usr/bin/tolva")).toStdString());

    const QByteArray minimal = Autostart::MakeEntry({}, QStringLiteral("/usr/bin/tolva"));
    EXPECT_TRUE(minimal.startsWith("[Desktop Entry]\nType=Application\nName=Tolva\n"));
    EXPECT_TRUE(minimal.endsWith("\nExec=/usr/bin/tolva -regrun\n"));

    // Paths with blanks, quotes, dollars and percents stay one argument.
    EXPECT_TRUE(Autostart::MakeEntry({}, QStringLiteral("/home/a b/t$o\"l%va"))
                    .endsWith("Exec=\"/home/a b/t\\\\$o\\\\\"l%%va\" -regrun\n"));
}
