// The message-pump step and the wait for a message: what the caller's windows get, and when.
#include <gtest/gtest.h>
#include <windows.h>
#include <functional>
#include <thread>
#include <vector>
#include "runtime/clock.h"
#include "runtime/platform.h"
#include "runtime/pump.h"

namespace {

std::vector<UINT> g_seen;

LRESULT CALLBACK recordingProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg >= WM_APP) g_seen.push_back(msg);
    return DefWindowProcW(w, msg, wp, lp);
}

// A message-only window of the calling thread that records WM_APP messages.
struct RecordingWindow {
    HWND hwnd = nullptr;
    RecordingWindow() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = recordingProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"ZorPumpTest";
        RegisterClassW(&wc);
        hwnd = CreateWindowW(L"ZorPumpTest", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
        g_seen.clear();
    }
    ~RecordingWindow() { DestroyWindow(hwnd); }
};

// pumpMessages, and a MessagePump's first step, dispatch every pending message at once.
TEST(Pump, DispatchesEveryPendingMessage) {
    const std::function<void()> pumps[] = {[] { zor::pumpMessages(); }, [] { zor::MessagePump().step(); }};
    for (const auto& pump : pumps) {
        SCOPED_TRACE(&pump == pumps ? "pumpMessages" : "MessagePump::step");
        RecordingWindow w;
        ASSERT_TRUE(w.hwnd);
        PostMessageW(w.hwnd, WM_APP + 1, 0, 0);
        PostMessageW(w.hwnd, WM_APP + 2, 0, 0);
        EXPECT_TRUE(g_seen.empty());
        pump();
        EXPECT_EQ((std::vector<UINT>{WM_APP + 1, WM_APP + 2}), g_seen);
        MSG msg;
        EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
        pump(); // nothing pending: nothing happens
        EXPECT_EQ(2u, g_seen.size());
    }
}

TEST(Pump, LeavesAQuitForTheCallersLoop) {
    RecordingWindow w;
    PostQuitMessage(7);
    PostMessageW(w.hwnd, WM_APP + 5, 0, 0); // posted after the quit, still dispatched before it
    zor::pumpMessages();
    zor::pumpMessages();
    zor::waitForMessage(10); // with the quit pending, still a wait that ends
    EXPECT_EQ(std::vector<UINT>{WM_APP + 5}, g_seen);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(7u, msg.wParam);
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)); // only one
}

// The wait ends for a message another thread posts meanwhile, and at once for one already queued.
TEST(Pump, WaitEndsForAMessagePostedMeanwhileOrAlreadyQueued) {
    RecordingWindow w;
    HWND target = w.hwnd;
    std::thread poster([target] {
        ::Sleep(100);
        PostMessageW(target, WM_APP + 3, 0, 0);
    });
    zor::waitForMessage(INFINITE); // returns only through the message
    zor::pumpMessages();
    poster.join();
    PostMessageW(w.hwnd, WM_APP + 4, 0, 0);
    GetQueueStatus(QS_ALLINPUT); // the message is no longer "new"
    zor::waitForMessage(INFINITE);
    zor::pumpMessages();
    EXPECT_EQ((std::vector<UINT>{WM_APP + 3, WM_APP + 4}), g_seen);
}

TEST(Clock, SecondsSinceMidnightFollowsTheLocalTime) {
    SYSTEMTIME before, after;
    GetLocalTime(&before);
    double t = zor::secondsSinceMidnight();
    GetLocalTime(&after);
    double lo = before.wHour * 3600.0 + before.wMinute * 60 + before.wSecond + before.wMilliseconds / 1000.0;
    double hi = after.wHour * 3600.0 + after.wMinute * 60 + after.wSecond + after.wMilliseconds / 1000.0;
    if (hi >= lo) { // not across midnight
        EXPECT_GE(t, lo - 1e-6); // x87 intermediates may differ in the last bit
        EXPECT_LE(t, hi + 1e-6);
    }
    EXPECT_GE(t, 0.0);
    EXPECT_LT(t, 86400.0);
    EXPECT_EQ(&zor::secondsSinceMidnight, zor::realPlatform().secondsSinceMidnight);
    EXPECT_EQ(&zor::waitForMessage, zor::realPlatform().waitForMessage);
}

} // namespace
