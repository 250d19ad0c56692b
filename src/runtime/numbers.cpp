#include "runtime/numbers.h"
#include <cmath>
#include "runtime/errors.h"

namespace zor {

namespace {
// Halves to even whatever the floating-point rounding mode of the caller's thread.
double roundHalfEven(double value) {
    double whole = std::floor(value);
    double fraction = value - whole;
    if (fraction > 0.5) return whole + 1;
    if (fraction < 0.5) return whole;
    return std::fmod(whole, 2.0) == 0 ? whole : whole + 1;
}

double roundInRange(double value, double low, double high) {
    if (std::isnan(value)) throw Error(errOverflow);
    double r = roundHalfEven(value);
    if (r < low || r > high) throw Error(errOverflow);
    return r;
}
} // namespace

long roundToInteger32(double value) { return static_cast<long>(roundInRange(value, -2147483648.0, 2147483647.0)); }

} // namespace zor
