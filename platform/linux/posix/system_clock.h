#pragma once

#include "platform/clock.h"
#include "platform/sleeper.h"

#include <atomic>

namespace kumoden {

// The machine's clock in the local time zone.
class SystemClock final : public Clock {
public:
    LocalTime now() const override;
};

// Blocks the calling thread. Given a descriptor that becomes readable when
// the program is asked to end (the signal watcher's), a wait under way
// returns as soon as it does, and so does every later one.
class ThreadSleeper final : public Sleeper {
public:
    void setStopDescriptor(int descriptor) { m_stopDescriptor = descriptor; }
    void sleep(std::chrono::milliseconds duration) override;
    bool stopRequested() override;
    void requestStop() { m_stopped = true; }

private:
    // Waits for the descriptor at most so long; true when it is readable.
    bool stopWithin(std::chrono::milliseconds duration);

    int m_stopDescriptor = -1;
    std::atomic<bool> m_stopped = false;
};

} // namespace kumoden
