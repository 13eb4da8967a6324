#pragma once

#include "platform/launcher.h"

#include <cstddef>
#include <memory>

namespace kumoden {

// Starts programs with posix_spawn from the argument vector, never through
// a shell and never searching PATH. One thread follows every child until it
// ends: it keeps the last line the child writes to its error output (which
// goes nowhere else), reaps it, so that no zombie stays behind, and queues
// how it ended for takeEnded(). Each child followed holds two descriptors;
// past the bound the oldest is no longer followed (takeEnded tells so once),
// only reaped when it ends; it is never stopped. The task identifier is the
// process id.
class PosixLauncher final : public Launcher {
public:
    // Follows at most FollowBound() children at once.
    PosixLauncher();
    explicit PosixLauncher(std::size_t followAtMost);
    ~PosixLauncher() override;

    std::uint64_t launch(const LaunchRequest& request) override;
    std::vector<TaskEnd> takeEnded() override;
    void setEndHandler(std::function<void()> handler) override;

    class Follower;

private:
    std::unique_ptr<Follower> m_follower;
};

// How many children may be followed at once: what the descriptor limit
// leaves beside the program's own use, two descriptors each, at most 64.
std::size_t FollowBound();

} // namespace kumoden
