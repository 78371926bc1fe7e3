#include "controls/dialogmanager.h"
#include "support/keyboard.h"
#include "support/machine.h"
#include "support/modalguard.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const MachineIsolation isolation;
    QApplication app(argc, argv);
    // As the program's application object does.
    InstallDialogManager();
    const ModalWatchdog watchdog;
    ::testing::InitGoogleTest(&argc, argv);
    CheckMnemonicsOfEveryDialog();
    return RUN_ALL_TESTS();
}
