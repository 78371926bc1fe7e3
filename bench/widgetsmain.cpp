// The main of the benchmarks that need a widget application.
#include "widgetsmain.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <vector>

namespace {

std::vector<std::function<void()>>& Releases()
{
    static std::vector<std::function<void()>> releases;
    return releases;
}

}  // namespace

void AtBenchmarksEnd(std::function<void()> release)
{
    Releases().push_back(std::move(release));
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    // Last made, first freed.
    for (auto it = Releases().rbegin(); it != Releases().rend(); ++it)
        (*it)();
    Releases().clear();
    return 0;
}
