#pragma once

#include "platform/launcher.h"

#include <cstddef>
#include <memory>

namespace kumoden {

// Starts programs with CreateProcessW from the request's command line,
// exactly as it stands: no application name, so the system takes the
// program from the line's first token. The window is hidden, no handles
// are inherited, and nothing waits for the program: one thread watches
// every program started for its end and queues its exit code for
// takeEnded(). At most followAtMost are watched at once; past that the
// oldest is no longer followed (takeEnded tells so once), never stopped.
// The task identifier is the process id.
class Win32Launcher final : public Launcher {
public:
    static constexpr std::size_t kMostFollowed = 32;

    explicit Win32Launcher(std::size_t followAtMost = kMostFollowed);
    ~Win32Launcher() override;

    std::uint64_t launch(const LaunchRequest& request) override;
    std::vector<TaskEnd> takeEnded() override;
    void setEndHandler(std::function<void()> handler) override;

    class Follower;

private:
    std::unique_ptr<Follower> m_follower;
};

} // namespace kumoden
