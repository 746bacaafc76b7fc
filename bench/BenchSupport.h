#pragma once
// What the benchmark programs share: an offscreen application for the
// controls, and the heap in use for memory-per-row figures.
#include <QApplication>

#include <cstddef>
#include <cstdlib>
#include <malloc.h>

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

// Bytes the heap hands out now (blocks taken from the arena).
inline std::size_t HeapInUse()
{
    return mallinfo2().uordblks;
}

}  // namespace qel::bench
