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

TEST(Numbers, RoundsToInteger16HalvesToEven) {
    const Rounding cases[] = {
        {0.0, 0},        {0.4, 0},        {0.5, 0},        {0.6, 1},        {1.5, 2},         {2.5, 2},
        {3.5, 4},        {-0.5, 0},       {-1.5, -2},      {-2.5, -2},      {-2.6, -3},       {2.4999999, 2},
        {32767.0, 32767}, {32767.4, 32767}, {-32768.0, -32768}, {-32768.5, -32768}, {32766.5, 32766},
    };
    for (const auto& c : cases) EXPECT_EQ(c.out, zor::roundToInteger16(c.in)) << c.in;
}

TEST(Numbers, RoundsToInteger32HalvesToEven) {
    const Rounding cases[] = {
        {0.5, 0}, {1.5, 2}, {2.5, 2}, {-2.5, -2}, {-3.5, -4}, {100000.5, 100000}, {100001.5, 100002},
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
    for (double v : {32767.5, 32768.0, -32768.6, -32769.0, 1e10, -inf, inf, nan})
        EXPECT_EQ(6, errorOf(zor::roundToInteger16, v)) << v;
    for (double v : {2147483647.5, 2147483648.0, -2147483648.6, 1e300, inf, nan})
        EXPECT_EQ(6, errorOf(zor::roundToInteger32, v)) << v;
}

} // namespace
