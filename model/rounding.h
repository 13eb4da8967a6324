#pragma once

#include <cstdint>

namespace kumoden {

// Where the fraction of a number lies against one half.
enum class Half { below, exactly, above };

// A whole number and a fraction that lies there against one half, rounded
// to the nearest whole number with halves going to the even neighbour.
std::int64_t RoundHalfEven(std::int64_t whole, Half fraction);

// The value rounded to the nearest whole number, halves to the even
// neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
std::int64_t RoundHalfEven(double value);

} // namespace kumoden
