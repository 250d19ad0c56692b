// The clock of the automation runtime: local time as seconds since midnight. Waits read it
// through a small table that a test may replace with a fake clock (to pass midnight on demand).
#pragma once
#include <windows.h>

namespace zor {

// Seconds since local midnight with the milliseconds as the fraction (0 <= t < 86400).
double secondsSinceMidnight();

struct ClockApi {
    double (*secondsSinceMidnight)();
    void (*waitForMessage)(DWORD milliseconds); // see pump.h
};

// The table in use: the real clock and the real wait unless a test has swapped them.
ClockApi& clockApi();

} // namespace zor
