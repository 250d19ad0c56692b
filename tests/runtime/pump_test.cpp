#include <gtest/gtest.h>
#include <windows.h>
#include "runtime/pump.h"

namespace {

int userMessages = 0;

LRESULT CALLBACK countingProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_USER + 1) {
        ++userMessages;
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

HWND countingWindow() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = countingProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ZorPumpTest";
    RegisterClassW(&wc);
    return CreateWindowW(L"ZorPumpTest", L"", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
}

} // namespace

TEST(MessagePump, FirstStepDispatchesPendingMessages) {
    HWND w = countingWindow();
    ASSERT_TRUE(w);
    userMessages = 0;
    PostMessageW(w, WM_USER + 1, 0, 0);
    PostMessageW(w, WM_USER + 1, 0, 0);
    zor::MessagePump pump;
    pump.step();
    EXPECT_EQ(2, userMessages);
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
    DestroyWindow(w);
}

TEST(MessagePump, QuitIsLeftForTheCallersLoop) {
    HWND w = countingWindow();
    userMessages = 0;
    PostQuitMessage(7);
    PostMessageW(w, WM_USER + 1, 0, 0);
    zor::pumpMessages();
    EXPECT_EQ(1, userMessages); // posted messages go before the quit
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(static_cast<UINT>(WM_QUIT), msg.message);
    EXPECT_EQ(7u, msg.wParam);
    DestroyWindow(w);
}
