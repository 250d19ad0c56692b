// The credits scroll of the maker's about box, tick by tick through two whole cycles.
#include <gtest/gtest.h>
#include "dialogs/frmAbout.h"

TEST(CreditsScroll, RestsThreeTicksThenPassesTheWholePictureAndRestsAgain) {
    zor::CreditsScroll s;
    for (int cycle = 0; cycle < 2; ++cycle) {
        for (int tick = 1; tick <= 3; ++tick) {
            s.tick();
            EXPECT_EQ(tick, s.lngTicks);
            EXPECT_EQ(0, s.top);
            EXPECT_EQ(1000u, s.interval);
        }
        s.tick(); // enters the pass below the panel and takes the first step
        EXPECT_EQ(1333, s.top);
        EXPECT_TRUE(s.blnScrolling);
        EXPECT_EQ(4u, s.interval);
        int steps = 1, last = s.top;
        while (s.blnScrolling) {
            last = s.top;
            s.tick();
            ++steps;
            if (s.blnScrolling) ASSERT_EQ(last - 2, s.top);
        }
        EXPECT_EQ(-19755, last); // the last position shown; the next step passes the picture's height
        EXPECT_EQ((1335 + 19755) / 2 + 1, steps);
        EXPECT_EQ(0, s.top);
        EXPECT_EQ(0, s.lngTicks);
        EXPECT_EQ(1000u, s.interval);
    }
}
