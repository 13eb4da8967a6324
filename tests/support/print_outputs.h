#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace kumoden::test {

// The folder the tests' scheduler writes the jobs of the queue into:
// $KUMODEN_PRINT_OUT/<queue>, seen from Wine on drive Z:. Throws when the
// variable is not set (the tests run through ctest, which sets it).
std::filesystem::path printOutputFolder(const std::string& queue);

// Why the tests' own scheduler cannot be used; empty when it answers. Never
// the machine's scheduler: without CUPS_SERVER this is a problem.
std::string schedulerProblem();

// The files a queue prints from the moment the object is made. cups-pdf
// writes each job while Ghostscript still runs; a file is whole once its job
// has left the queue (under Wine, where the queue cannot be asked: once its
// size has stopped changing).
class PrintOutputs {
public:
    // Only files whose names start with namePrefix ("": every PDF).
    explicit PrintOutputs(const std::string& queue, std::string namePrefix = "");
    // Removes the new files, once the queue is done with them.
    ~PrintOutputs();
    PrintOutputs(const PrintOutputs&) = delete;
    PrintOutputs& operator=(const PrintOutputs&) = delete;

    // Waits for at least `count` new files, all whole; the new files, none
    // when the time is up first.
    std::vector<std::filesystem::path> waitForNew(std::chrono::milliseconds limit, std::size_t count = 1);
    // The new files now, whole or not.
    std::vector<std::filesystem::path> newFiles() const;
    // Whether jobs that came since are still being printed.
    bool jobsPending() const;

private:
    std::set<std::filesystem::path> files() const;
    // The queue's jobs not yet done, by a key of the platform's.
    std::set<std::string> unfinishedJobs() const;

    std::string m_queue;
    std::string m_prefix;
    std::filesystem::path m_folder;
    std::set<std::filesystem::path> m_before;
    // Under Wine: each new file's size and when it last changed.
    mutable std::map<std::filesystem::path, std::pair<std::uintmax_t, std::chrono::steady_clock::time_point>>
        m_sizes;
    std::set<std::string> m_jobsBefore;
};

namespace detail {
// A folder of the host the scheduler runs on, as this platform names it.
std::filesystem::path hostFolder(const std::string& folder);
} // namespace detail

} // namespace kumoden::test
