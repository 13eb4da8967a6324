#pragma once

#include "platform/clock.h"
#include "platform/sleeper.h"

#include <functional>
#include <vector>

namespace kumoden::fake {

// A clock that moves only when told to (or when FakeSleeper sleeps).
class FakeClock final : public Clock {
public:
    explicit FakeClock(LocalTime start = LocalTime{}) : m_now(start) {}

    LocalTime now() const override { return m_now; }
    void set(LocalTime now) { m_now = now; }
    void advance(std::chrono::nanoseconds by) { m_now += by; }

private:
    LocalTime m_now;
};

// Records every wait instead of sleeping, moves the fake clock on by it,
// and lets a test act in the middle of a wait.
class FakeSleeper final : public Sleeper {
public:
    explicit FakeSleeper(FakeClock* clock = nullptr) : m_clock(clock) {}

    void sleep(std::chrono::milliseconds duration) override
    {
        if (m_stopped) {
            return;
        }
        m_waits.push_back(duration);
        if (m_clock != nullptr) {
            m_clock->advance(duration);
        }
        if (m_onSleep) {
            m_onSleep(m_waits.size());
        }
    }

    bool stopRequested() override { return m_stopped; }
    // The program is asked to end: the wait under way (when called from
    // onSleep) counts as cut short, and no later wait is made.
    void requestStop() { m_stopped = true; }
    // As after a new start: no request to end.
    void resume() { m_stopped = false; }

    // Called after each wait with the number of waits so far.
    void onSleep(std::function<void(std::size_t)> action) { m_onSleep = std::move(action); }
    const std::vector<std::chrono::milliseconds>& waits() const { return m_waits; }
    void clear() { m_waits.clear(); }

private:
    FakeClock* m_clock;
    std::vector<std::chrono::milliseconds> m_waits;
    std::function<void(std::size_t)> m_onSleep;
    bool m_stopped = false;
};

} // namespace kumoden::fake
