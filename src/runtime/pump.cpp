#include "runtime/pump.h"

namespace zor {

void pumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) { // it belongs to the caller's own message loop
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void waitForMessage(DWORD milliseconds) {
    // MWMO_INPUTAVAILABLE: a message already in the queue ends the wait at once too. A WM_QUIT
    // left for the caller counts as a posted message and would end every wait at once, so while
    // one is pending only the other kinds of message end the wait early.
    DWORD wake = QS_ALLINPUT;
    MSG quit;
    if (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) wake &= ~QS_POSTMESSAGE;
    MsgWaitForMultipleObjectsEx(0, nullptr, milliseconds, wake, MWMO_INPUTAVAILABLE);
}

} // namespace zor
