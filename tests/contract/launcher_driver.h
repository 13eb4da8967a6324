#pragma once

// A platform's launcher and the programs the contract suite starts with it.
#include "platform/launcher.h"
#include "tests/support/eventually.h"

#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace kumoden::test {

class LauncherDriver {
public:
    virtual ~LauncherDriver() = default;

    virtual std::unique_ptr<Launcher> launcher(std::size_t followAtMost) = 0;
    // Puts the recording program into the folder; its path. Each start of it
    // adds what it was handed to the folder's "record", as handed() has it,
    // then it stays while the folder holds "record.hold".
    virtual std::filesystem::path placeRecorder(const std::filesystem::path& folder) = 0;
    virtual std::string handed(const LaunchRequest& request) = 0;
    // A program that ends at once with that exit code.
    virtual LaunchRequest exiting(int code) = 0;
};

std::unique_ptr<LauncherDriver> MakeLauncherDriver();
// Whether the task's process is gone, with nothing of it left behind.
bool ProcessGone(std::uint64_t task);

inline bool AllGone(const std::vector<std::uint64_t>& tasks)
{
    return std::ranges::all_of(tasks, ProcessGone);
}

// The ends the launcher tells until there are count of them and every task
// is gone, or the time is up.
inline std::vector<TaskEnd> EndsTold(Launcher& launcher, std::size_t count,
                                     const std::vector<std::uint64_t>& tasks)
{
    std::vector<TaskEnd> told;
    eventually(std::chrono::seconds(20), [&] {
        for (TaskEnd& end : launcher.takeEnded()) {
            told.push_back(std::move(end));
        }
        return told.size() >= count && AllGone(tasks);
    });
    return told;
}

} // namespace kumoden::test
