#include <gtest/gtest.h>
#include <cmath>
#include <limits>
#include "runtime/errors.h"
#include "runtime/numbers.h"

using zor::Error;

namespace {

struct Rounding {
    double in;
    long out;
};

TEST(Numbers, RoundsToInteger32HalvesToEven) {
    const Rounding cases[] = {
        {0.4, 0}, {0.5, 0}, {0.6, 1}, {1.5, 2}, {2.5, 2}, {-0.5, 0}, {-2.5, -2}, {-2.6, -3}, {-3.5, -4}, {2.4999999, 2}, {100000.5, 100000}, {100001.5, 100002},
        {2147483647.0, 2147483647L}, {2147483647.4, 2147483647L}, {-2147483648.0, -2147483647L - 1},
        {-2147483648.5, -2147483647L - 1}, {32768.0, 32768},
    };
    for (const auto& c : cases) EXPECT_EQ(c.out, zor::roundToInteger32(c.in)) << c.in;
}

// The error number that a conversion raises, 0 when it raises none.
template <class F>
long errorOf(F convert, double v) {
    try {
        convert(v);
    } catch (const Error& e) {
        return e.number;
    }
    return 0;
}

TEST(Numbers, OutOfRangeIsOverflow) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (double v : {2147483647.5, 2147483648.0, -2147483648.6, 1e300, -inf, inf, nan})
        EXPECT_EQ(6, errorOf(zor::roundToInteger32, v)) << v;
}

} // namespace
