#pragma once

#include "tests/support/eventually.h"
#include "tests/support/temp_dir.h"

#include <chrono>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace kumoden::test {

// A program started for a test (no shell), ended with SIGTERM, then SIGKILL,
// when the object goes. Its output is kept when asked for, else it goes to
// the test's own.
class Process {
public:
    enum class Output { Inherit, Capture };

    // environment entries are "NAME=value" added to (or replacing those of)
    // this process's environment. A program named without a folder is looked
    // for on PATH.
    explicit Process(const std::vector<std::string>& arguments,
                     const std::vector<std::string>& environment = {}, Output output = Output::Inherit);
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process();

    pid_t pid() const { return m_pid; }
    bool running();
    // SIGTERM, then waits for the end; the exit status, or -1 when it had
    // to be killed or ended on a signal.
    int terminate(std::chrono::milliseconds grace = std::chrono::seconds(20));
    // Waits for the program to end by itself; the exit status, or -1 when it
    // is still running (or ended on a signal).
    int wait(std::chrono::milliseconds limit);
    // What it wrote so far (captured output only).
    std::string out() const { return captured("out"); }
    std::string err() const { return captured("err"); }

private:
    std::string captured(const char* stream) const;

    pid_t m_pid = -1;
    int m_status = -1;
    bool m_ended = false;
    std::optional<TempDir> m_capture; // folder of the captured output
};

struct RunResult {
    int exitCode = -1; // -1 when the program did not end by itself
    std::string out;
    std::string err;
};

// Runs a program to its end with its output captured; killed after the limit.
RunResult runProgram(const std::vector<std::string>& argv, const std::vector<std::string>& environment = {},
                     std::chrono::seconds limit = std::chrono::seconds(30));

} // namespace kumoden::test
