#include "model/rounding.h"

#include <cmath>

namespace kumoden {

std::int64_t RoundHalfEven(std::int64_t whole, Half fraction)
{
    if (fraction == Half::above || (fraction == Half::exactly && whole % 2 != 0)) {
        return whole + 1;
    }
    return whole;
}

std::int64_t RoundHalfEven(double value)
{
    const double floor = std::floor(value);
    const double fraction = value - floor;
    const Half half = fraction > 0.5 ? Half::above : (fraction == 0.5 ? Half::exactly : Half::below);
    return RoundHalfEven(static_cast<std::int64_t>(floor), half);
}

} // namespace kumoden
