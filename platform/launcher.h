#pragma once

#include "platform/clock.h"

#include <cstdint>
#include <functional>
#include <optional>
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

// How a started program ended.
struct TaskEnd {
    std::uint64_t task = 0;
    int exitCode = 0;      // what it returned
    int signal = 0;        // the signal that ended it; 0 when it returned
    std::string lastError; // the last line it wrote to its error output, if any
    // Not an end: the launcher has stopped following the program (too many
    // run at once) and will never tell how it ends. It goes on running.
    bool unfollowed = false;
    // The moment the launcher saw the end (or gave the program up); none
    // when it cannot tell.
    std::optional<LocalTime> at{};
    bool failed() const { return !unfollowed && (exitCode != 0 || signal != 0); }
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
    // The programs started here that have ended since the last call, in the
    // order their ends were seen, and those no longer followed, each with
    // the moment it was seen. Never waits for one.
    virtual std::vector<TaskEnd> takeEnded() = 0;
    // Called, on a thread of the launcher's own, each time ends have come
    // in for takeEnded(); it only hands the news on to the thread that
    // takes them (posts a message to its event loop), so that each end is
    // told when it happens, between ticks too. Set before the first launch.
    virtual void setEndHandler(std::function<void()> handler) = 0;
};

} // namespace kumoden
