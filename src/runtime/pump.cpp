#include "pump.h"

namespace zor {

void pumpMessages() {
    // GetQueueStatus is a cheap look at the queue; most calls find nothing to do.
    if (!GetQueueStatus(QS_ALLINPUT)) return;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void waitForMessage(DWORD milliseconds) {
    // MWMO_INPUTAVAILABLE: a message already in the queue ends the wait at once too.
    MsgWaitForMultipleObjectsEx(0, nullptr, milliseconds, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

} // namespace zor
