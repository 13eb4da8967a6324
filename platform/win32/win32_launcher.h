#pragma once

#include "platform/launcher.h"

namespace kumoden {

// Starts programs with CreateProcessW from the request's command line,
// exactly as it stands: no application name, so the system takes the
// program from the line's first token. The window is hidden, no handles
// are inherited, and nothing waits for the program. The task identifier
// is the process id.
class Win32Launcher final : public Launcher {
public:
    std::uint64_t launch(const LaunchRequest& request) override;
};

} // namespace kumoden
