#pragma once

#include <chrono>

namespace kumoden {

// Fixed blocking waits. The calling thread handles nothing else meanwhile,
// except that a request to end the program cuts a wait short: from then on
// stopRequested() is true and every wait returns at once.
class Sleeper {
public:
    Sleeper() = default;
    Sleeper(const Sleeper&) = delete;
    Sleeper& operator=(const Sleeper&) = delete;
    virtual ~Sleeper() = default;

    virtual void sleep(std::chrono::milliseconds duration) = 0;
    // Whether the program has been asked to end (also between two waits).
    virtual bool stopRequested() { return false; }
};

} // namespace kumoden
