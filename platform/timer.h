#pragma once

#include <cstdint>
#include <functional>

namespace kumoden {

// A repeating timer of the user-interface thread.
class Timer {
public:
    Timer() = default;
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;
    virtual ~Timer() = default;

    // The handler runs on every tick.
    virtual void setHandler(std::function<void()> handler) = 0;
    // Ticks every interval milliseconds from now on; 0 or less: no ticks.
    virtual void setInterval(std::int32_t milliseconds) = 0;
    virtual std::int32_t interval() const = 0;
};

} // namespace kumoden
