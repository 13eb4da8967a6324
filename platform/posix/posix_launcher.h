#pragma once

#include "platform/launcher.h"

#include <memory>

namespace kumoden {

// Starts programs with posix_spawn from the argument vector, never through
// a shell and never searching PATH. A thread of its own follows each child
// until it ends: it keeps the last line the child writes to its error
// output (which goes nowhere else), reaps it, so that no zombie stays
// behind, and queues how it ended for takeEnded(). The task identifier is
// the process id.
class PosixLauncher final : public Launcher {
public:
    PosixLauncher();
    ~PosixLauncher() override;

    std::uint64_t launch(const LaunchRequest& request) override;
    std::vector<TaskEnd> takeEnded() override;

    // Shared with the following threads, which may outlive the launcher.
    struct Ended;

private:
    std::shared_ptr<Ended> m_ended;
};

} // namespace kumoden
