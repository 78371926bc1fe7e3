// What the benchmarks that need a widget application share with their main.
#pragma once

#include <functional>

// Runs once the benchmarks are done, while the application object still
// stands: windows, fonts and printers must go before it does.
void AtBenchmarksEnd(std::function<void()> release);

// One object shared by a program's benchmarks, made on first use and freed
// at the end of the run before the application object.
template <class T> T& SharedUntilEnd()
{
    static T* const shared = [] {
        T* made = new T;
        AtBenchmarksEnd([made] { delete made; });
        return made;
    }();
    return *shared;
}
