#include <gtest/gtest.h>
#include <windows.h>
#include "runtime/pump.h"
#include "scratch.h"

using test::CountingWindow;

TEST(MessagePump, FirstStepDispatchesPendingMessages) {
    CountingWindow w;
    ASSERT_TRUE(w.get());
    w.post();
    w.post();
    zor::MessagePump pump;
    pump.step();
    EXPECT_EQ(2, w.count());
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
}

TEST(MessagePump, QuitIsLeftForTheCallersLoop) {
    CountingWindow w;
    PostQuitMessage(7);
    w.post();
    zor::pumpMessages();
    EXPECT_EQ(1, w.count()); // posted messages go before the quit
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(static_cast<UINT>(WM_QUIT), msg.message);
    EXPECT_EQ(7u, msg.wParam);
}
