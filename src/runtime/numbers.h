// Conversions of numbers to the automation Long type: rounding to the nearest integer with
// halves to the even neighbour (2.5 gives 2, 3.5 gives 4), and error 6 (overflow) when the
// rounded value does not fit.
#pragma once

namespace zor {

long roundToInteger32(double value);

} // namespace zor
