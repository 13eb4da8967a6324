#pragma once

#include "platform/launcher.h"

namespace kumoden {

// Starts programs with posix_spawn from the argument vector, never through
// a shell and never searching PATH. Each child is reaped when it ends, so
// none is left behind as a zombie. The task identifier is the process id.
class PosixLauncher final : public Launcher {
public:
    PosixLauncher() = default;

    std::uint64_t launch(const LaunchRequest& request) override;
};

} // namespace kumoden
