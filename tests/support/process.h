#pragma once

#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

namespace kumoden::test {

// A program started for a test, ended (SIGTERM, then SIGKILL) when the
// object goes.
class Process {
public:
    // environment entries are "NAME=value" added to (or replacing those of)
    // this process's environment.
    Process(const std::vector<std::string>& arguments, const std::vector<std::string>& environment = {});
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process();

    pid_t pid() const { return m_pid; }
    bool running();
    // SIGTERM, then waits for the end; the exit status, or -1 when it had
    // to be killed.
    int terminate(std::chrono::milliseconds grace = std::chrono::seconds(20));
    // Waits for the program to end by itself; the exit status or -1.
    int wait(std::chrono::milliseconds limit);

private:
    pid_t m_pid = -1;
    int m_status = -1;
    bool m_ended = false;
};

// Polls until the condition holds or the time is up.
template <typename Condition> bool eventually(std::chrono::milliseconds limit, Condition condition);

} // namespace kumoden::test

#include <thread>

namespace kumoden::test {

template <typename Condition> bool eventually(std::chrono::milliseconds limit, Condition condition)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

} // namespace kumoden::test
