// The benchmarks' clock: seconds from the performance counter.
#pragma once
#include <windows.h>

inline double now() {
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}
