#pragma once

#include <chrono>
#include <thread>

namespace kumoden::test {

// Polls until the condition holds or the time is up; whether it held. The
// limit only keeps a broken run from hanging: it is never what a test checks.
template <typename Condition> bool eventually(std::chrono::milliseconds limit, Condition condition)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

} // namespace kumoden::test
