#pragma once

#include <cstdint>

namespace kumoden {

// Booleans as the program keeps them: 16 bits, true is -1.
using Flag = std::int16_t;
inline constexpr Flag kTrue = -1;
inline constexpr Flag kFalse = 0;

} // namespace kumoden
