// The clock of the automation runtime: local time as seconds since midnight. Waits read it
// through the platform seam (platform.h), which a test may give a fake clock.
#pragma once
#include <windows.h>

namespace zor {

// Seconds since local midnight with the milliseconds as the fraction (0 <= t < 86400).
double secondsSinceMidnight();

// The system time in 100-nanosecond units: precise to the microsecond where the platform has
// such a clock (Windows 8 and later), else the system clock's own resolution.
ULONGLONG systemTimeNow();

// The function systemTimeNow reads: the precise clock when kernel32 exports it, else the plain one.
using SystemTimeFunction = VOID(WINAPI*)(LPFILETIME);
SystemTimeFunction systemTimeSource();

} // namespace zor
