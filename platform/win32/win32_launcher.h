#pragma once

#include "platform/launcher.h"

#include <memory>

namespace kumoden {

// Starts programs with CreateProcessW from the request's command line,
// exactly as it stands: no application name, so the system takes the
// program from the line's first token. The window is hidden, no handles
// are inherited, and nothing waits for the program: a thread of its own
// watches for its end and queues its exit code for takeEnded(). The task
// identifier is the process id.
class Win32Launcher final : public Launcher {
public:
    Win32Launcher();
    ~Win32Launcher() override;

    std::uint64_t launch(const LaunchRequest& request) override;
    std::vector<TaskEnd> takeEnded() override;

    // Shared with the watching threads, which may outlive the launcher.
    struct Ended;

private:
    std::shared_ptr<Ended> m_ended;
};

} // namespace kumoden
