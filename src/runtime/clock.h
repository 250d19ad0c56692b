// The clock of the automation runtime: local time as seconds since midnight. Waits read it
// through the platform seam (platform.h), which a test may give a fake clock.
#pragma once
#include <windows.h>

namespace zor {

// Seconds since local midnight with the milliseconds as the fraction (0 <= t < 86400).
double secondsSinceMidnight();

} // namespace zor
