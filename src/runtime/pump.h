// The message-pump step: the calling thread processes its pending window messages, so that the
// caller's windows stay responsive while a loop runs on its thread. Loops call step() after each
// line or field; a step only looks at the queue when a few milliseconds have passed since the
// last look, so a step that finds nothing to do costs one tick-count read.
#pragma once
#include <windows.h>

namespace zor {

// Processes every message now in the thread's queue. A WM_QUIT is put back for the caller's
// own message loop and ends the step.
void pumpMessages();

// Blocks until a message arrives for the calling thread or the milliseconds have passed.
void waitForMessage(DWORD milliseconds);

class MessagePump {
public:
    static constexpr DWORD intervalMs = 10;

    // The first step of a loop always pumps.
    void step() {
        DWORD now = GetTickCount();
        if (!started_ || now - last_ >= intervalMs) {
            started_ = true;
            last_ = now;
            pumpMessages();
        }
    }

private:
    bool started_ = false;
    DWORD last_ = 0;
};

} // namespace zor
