// The message-pump step: long operations on the caller's thread let its window messages run.
#pragma once
#include <windows.h>

namespace zor {

// Processes every pending message of the calling thread; next to nothing when none is pending.
void pumpMessages();

// Blocks until a message arrives for the calling thread or the milliseconds have passed.
void waitForMessage(DWORD milliseconds);

} // namespace zor
