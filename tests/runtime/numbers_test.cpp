#include <gtest/gtest.h>
#include <limits>
#include "runtime/errors.h"
#include "runtime/numbers.h"

namespace {

// Halves go to the even neighbour; a value that does not fit raises error 6 (overflow), which
// the table writes as the result 6.
TEST(Numbers, RoundsToInteger32HalvesToEvenAndOverflowsOutOfRange) {
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    const struct { double in; long out; } cases[] = {
        {0.4, 0}, {0.5, 0}, {0.6, 1}, {1.5, 2}, {2.5, 2}, {-0.5, 0}, {-2.5, -2}, {-2.6, -3}, {-3.5, -4}, {2.4999999, 2},
        {100000.5, 100000}, {100001.5, 100002}, {2147483647.0, 2147483647L}, {2147483647.4, 2147483647L},
        {-2147483648.0, -2147483647L - 1}, {-2147483648.5, -2147483647L - 1}, {32768.0, 32768}, {2147483647.5, 6},
        {2147483648.0, 6}, {-2147483648.6, 6}, {1e300, 6}, {-inf, 6}, {inf, 6}, {nan, 6}};
    for (const auto& c : cases) {
        const bool overflows = c.out == 6 && c.in != 6.0;
        try {
            EXPECT_EQ(c.out, zor::roundToInteger32(c.in)) << c.in;
            EXPECT_FALSE(overflows) << c.in;
        } catch (const zor::Error& e) {
            EXPECT_TRUE(overflows && e.number == 6) << c.in << " raised " << e.number;
        }
    }
}

} // namespace
