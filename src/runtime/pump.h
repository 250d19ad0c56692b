// The message-pump step: long operations on the caller's thread let its window messages run.
#pragma once
#include <windows.h>

namespace zor {

// Processes every pending message of the calling thread; next to nothing when none is pending.
// A WM_QUIT is put back for the caller's own message loop and ends the step.
void pumpMessages();

// Blocks until a message arrives for the calling thread or the milliseconds have passed.
void waitForMessage(DWORD milliseconds);

} // namespace zor
