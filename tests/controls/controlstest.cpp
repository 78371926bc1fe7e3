#include "controlstest.h"

#include "controls/flatctrlman.h"
#include "platform/ui/syscolor.h"

#include <algorithm>
#include <gtest/gtest.h>

void EnsureFlatLook()
{
    GetFlatCtrlMan().InstallHook();
}

double StrongestContrast(const QImage& picture, const QRect& area, const QColor& background)
{
    double strongest = 1;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            strongest = std::max(strongest, ContrastRatio(QColor(Pixel(picture, x, y)), background));
    return strongest;
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
