// Every rounding of a percentage, a score or a scaled coordinate is to the nearest integer with
// halves to the even neighbour (12.5 gives 12, 13.5 gives 14): the default rounding mode, which
// nothing in the program changes.
#pragma once

#include <cmath>

namespace vt {

inline int roundHalfEven(double value)
{
    return int(std::nearbyint(value));
}

} // namespace vt
