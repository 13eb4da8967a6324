#pragma once

#include "platform/clock.h"
#include "platform/sleeper.h"

namespace kumoden {

// The machine's clock in the local time zone.
class Win32Clock final : public Clock {
public:
    LocalTime now() const override;
};

// Blocks the calling thread with Sleep; the thread's messages wait.
class Win32Sleeper final : public Sleeper {
public:
    void sleep(std::chrono::milliseconds duration) override;
};

} // namespace kumoden
