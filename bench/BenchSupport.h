#pragma once
// What the benchmark programs of the controls share: an offscreen
// application, and the measuring of bench/BenchMeasure.h.
#include "bench/BenchMeasure.h"

#include <QApplication>

#include <cstdlib>

namespace qel::bench {

// Controls need an application object; the benchmarks run offscreen.
inline QApplication& App()
{
    static int argc = 1;
    static char name[] = "qel_bench";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        return new QApplication(argc, argv);
    }();
    return *app;
}

}  // namespace qel::bench
