// A test program keeps off the machine it runs on and ends whatever the
// tests leave open: what every test program's main() sets up.
#include "platform/modemport.h"
#include "platform/serialports.h"
#include "support/machine.h"
#include "support/modal.h"
#include "support/modalguard.h"
#include "support/testenv.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

void ListTheMachinesDevices()
{
    EXPECT_TRUE(ListSerialPorts("/dev", {}).empty());
}

void OpenAMachinesDevice()
{
    const PortOpening opening = OpenModemPort("/dev/null", ModemConfig{}, false);
    EXPECT_EQ(opening.outcome, PortOpening::kDenied);
    EXPECT_EQ(opening.fd, -1);
}

TEST(MachineTest, ListingOrOpeningADeviceOfTheMachineFailsTheTestAndLeavesItAlone)
{
    EXPECT_NONFATAL_FAILURE(ListTheMachinesDevices(), "the machine's device \"/dev\"");
    EXPECT_NONFATAL_FAILURE(OpenAMachinesDevice(), "the machine's device \"/dev/null\"");
    // A link in the test's own folder leads on to the machine's device.
    QTemporaryDir dev;
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), dev.filePath(QStringLiteral("ttyUSB3"))));
    const std::string link = dev.filePath(QStringLiteral("ttyUSB3")).toStdString();
    EXPECT_NONFATAL_FAILURE(
        EXPECT_EQ(OpenModemPort(link, ModemConfig{}, false).outcome, PortOpening::kDenied), "ttyUSB3");
}

TEST(MachineTest, ATestsOwnDeviceFolderAndPseudoTerminalsAreItsToOpen)
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const std::string name = ::ptsname(master);
    QTemporaryDir dev;
    ASSERT_TRUE(dev.isValid());
    ASSERT_TRUE(QFile::link(QString::fromStdString(name), dev.filePath(QStringLiteral("ttyUSB0"))));
    // Until the test says the terminal is its own, it is the machine's.
    EXPECT_FALSE(IsTestDevice(name));
    AllowTestDevice(name);
    const std::vector<SerialPortName> ports = ListSerialPorts(dev.path().toStdString(), {name});
    ASSERT_EQ(ports.size(), 1u);
    const PortOpening opening = OpenModemPort(ports[0].path, ModemConfig{}, false);
    EXPECT_EQ(opening.outcome, PortOpening::kOpened) << opening.detail;
    if (opening.fd >= 0)
        CloseModemPort(opening.fd, opening.original);
    ::close(master);
    // A port the test names that is not there is its own too.
    EXPECT_TRUE(IsTestDevice(dev.filePath(QStringLiteral("ttyACM9")).toStdString()));
}

TEST(MachineTest, NoPrinterOfTheMachineIsSeen)
{
    EXPECT_EQ(QPrinterInfo::availablePrinterNames(), QStringList());
    EXPECT_EQ(QPrinterInfo::defaultPrinterName(), QString());
    // A printer made without a name prints to a file, never to a queue.
    const QPrinter printer(QPrinter::HighResolution);
    EXPECT_EQ(printer.outputFormat(), QPrinter::PdfFormat);
    EXPECT_EQ(printer.printerName(), QString());
}

TEST(MachineTest, TheUsersSettingsAndDataAreNotTheTests)
{
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME"}) {
        const QString folder = qEnvironmentVariable(name);
        EXPECT_TRUE(folder.startsWith(QDir::tempPath() + u'/')) << name << " " << folder.toStdString();
        EXPECT_TRUE(QFileInfo(folder).isDir()) << name;
    }
}

TEST(MachineTest, TheCheckedInFilesAreFoundWithoutCTest)
{
    const QByteArray set = qgetenv("TOLVA_TEST_DATA");
    qunsetenv("TOLVA_TEST_DATA");
    const QString impexp = TestDataPath(QStringLiteral("impexp"));
    if (!set.isNull())
        qputenv("TOLVA_TEST_DATA", set);
    EXPECT_TRUE(QFileInfo(impexp).isAbsolute()) << impexp.toStdString();
    EXPECT_TRUE(QFileInfo(impexp).isDir()) << impexp.toStdString();
}

// The watchdog with a short grace period for the life of a test.
class ModalWatchdogTest : public ::testing::Test {
protected:
    void SetUp() override { ModalWatchdog::SetGraceForTesting(300); }
    void TearDown() override { ModalWatchdog::SetGraceForTesting(0); }
};

int g_result = -2;

void WaitOnAMessageBoxNobodyAnswers()
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Tolva"), QStringLiteral("Nobody answers this."),
        QMessageBox::Ok | QMessageBox::Cancel);
    g_result = box.exec();
}

void WaitOnADialogNobodyAnswers()
{
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("Unexpected"));
    g_result = dialog.exec();
}

TEST_F(ModalWatchdogTest, AModalWindowNobodyAnswersFailsTheTestAndIsRejected)
{
    EXPECT_NONFATAL_FAILURE(WaitOnAMessageBoxNobodyAnswers(), "Nobody answers this.");
    EXPECT_NE(g_result, QMessageBox::Ok);
    EXPECT_NONFATAL_FAILURE(WaitOnADialogNobodyAnswers(), "\"Unexpected\" (QDialog)");
    EXPECT_EQ(g_result, QDialog::Rejected);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(ModalWatchdogTest, ADialogTheTestAnswersOrKeepsOpenIsLeftToIt)
{
    // Answered after a while, still within the grace period.
    QMessageBox box(QMessageBox::Question, QStringLiteral("Tolva"), QStringLiteral("Go on?"),
        QMessageBox::Yes | QMessageBox::No);
    OnModal<QMessageBox>([](QMessageBox* asked) {
        QTimer::singleShot(150, asked, [asked] { asked->button(QMessageBox::Yes)->click(); });
    });
    EXPECT_EQ(box.exec(), QMessageBox::Yes);
    // Shown modal while the test itself goes on: never waited in.
    QDialog dialog;
    dialog.setModal(true);
    dialog.show();
    QTest::qWait(800);
    EXPECT_TRUE(dialog.isVisible());
    dialog.reject();
}

TEST_F(ModalWatchdogTest, OnlyAWindowRunWithExecIsTimedFromTheMomentItRuns)
{
    // Shown modal, and kept open while an event loop of the test's own
    // runs past the grace period.
    QDialog dialog;
    dialog.setModal(true);
    dialog.show();
    QEventLoop loop;
    QTimer::singleShot(800, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_TRUE(dialog.isVisible());
    // Then run, and answered within the grace period of its run.
    QTimer::singleShot(150, &dialog, &QDialog::accept);
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
}

}  // namespace
