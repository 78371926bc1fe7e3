#include "support/machine.h"

#include <QGuiApplication>
#include <gtest/gtest.h>

// Model tests need no windows, but settings code asks the desktop for its
// fonts and colours, which takes a GUI application on the offscreen platform.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const MachineIsolation isolation;
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
