#include "controlstest.h"

#include "controls/flatctrlman.h"

#include <gtest/gtest.h>

void EnsureFlatLook()
{
    GetFlatCtrlMan().InstallHook();
}

namespace {

// Every picture shows the program's look: the flat look is on before the
// first test.
class FlatLookEnvironment : public ::testing::Environment {
public:
    void SetUp() override { EnsureFlatLook(); }
};

[[maybe_unused]] ::testing::Environment* const g_flatLook
    = ::testing::AddGlobalTestEnvironment(new FlatLookEnvironment);

}  // namespace
