#pragma once

#include "platform/clock.h"

#include <ctime>
#include <optional>

namespace kumoden {

// A moment (seconds and nanoseconds since the epoch) on the local clock.
std::optional<LocalTime> ToLocalTime(std::time_t seconds, long nanoseconds);

} // namespace kumoden
