#pragma once

#include "platform/clock.h"
#include "platform/sleeper.h"

namespace kumoden {

// The machine's clock in the local time zone.
class SystemClock final : public Clock {
public:
    LocalTime now() const override;
};

// Blocks the calling thread.
class ThreadSleeper final : public Sleeper {
public:
    void sleep(std::chrono::milliseconds duration) override;
};

} // namespace kumoden
