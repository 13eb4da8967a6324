#pragma once

#include <chrono>
#include <optional>
#include <thread>
#include <utility>

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

// Polls until two looks in a row find the same value, and it holds: that
// value once it has stopped changing; nothing when the time is up first.
template <typename Look, typename Holds>
auto settled(std::chrono::milliseconds limit, Look look, Holds holds) -> std::optional<decltype(look())>
{
    std::optional<decltype(look())> before;
    std::optional<decltype(look())> found;
    eventually(limit, [&] {
        auto now = look();
        if (before && now == *before && holds(now)) {
            found = now;
        }
        before = std::move(now);
        return found.has_value();
    });
    return found;
}

} // namespace kumoden::test
