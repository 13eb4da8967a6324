#pragma once

#include <chrono>

namespace kumoden {

// A date and time on the local wall clock, as the user reads it. Adding
// days to it moves the calendar date and keeps the time of day.
using LocalTime = std::chrono::local_time<std::chrono::nanoseconds>;

// The present date and time.
class Clock {
public:
    Clock() = default;
    Clock(const Clock&) = delete;
    Clock& operator=(const Clock&) = delete;
    virtual ~Clock() = default;

    virtual LocalTime now() const = 0;
};

} // namespace kumoden
