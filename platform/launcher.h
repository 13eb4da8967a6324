#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kumoden {

// One program start. The command line is the one a Windows backend hands
// to the system as it stands; arguments is the same call split into the
// program path and its arguments, for backends that start programs from
// an argument vector. Neither is ever given to a shell.
struct LaunchRequest {
    std::string commandLine;
    std::vector<std::string> arguments;
};

// Starts a program with no window and returns at once, without waiting for
// it to end.
class Launcher {
public:
    Launcher() = default;
    Launcher(const Launcher&) = delete;
    Launcher& operator=(const Launcher&) = delete;
    virtual ~Launcher() = default;

    // A non-zero task identifier, or 0 when the program could not be started.
    virtual std::uint64_t launch(const LaunchRequest& request) = 0;
};

} // namespace kumoden
