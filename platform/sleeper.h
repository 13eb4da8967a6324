#pragma once

#include <chrono>

namespace kumoden {

// Fixed blocking waits. The calling thread handles nothing else meanwhile.
class Sleeper {
public:
    Sleeper() = default;
    Sleeper(const Sleeper&) = delete;
    Sleeper& operator=(const Sleeper&) = delete;
    virtual ~Sleeper() = default;

    virtual void sleep(std::chrono::milliseconds duration) = 0;
};

} // namespace kumoden
