#include "tests/support/process.h"

#include <algorithm>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>

extern char** environ;

namespace kumoden::test {
namespace {

// This process's environment with the given entries added or replacing.
std::vector<std::string> mergedEnvironment(const std::vector<std::string>& extra)
{
    std::vector<std::string> merged;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string item(*entry);
        const auto name = item.substr(0, item.find('=') + 1);
        if (std::ranges::none_of(extra, [&](const std::string& mine) { return mine.starts_with(name); })) {
            merged.push_back(item);
        }
    }
    merged.insert(merged.end(), extra.begin(), extra.end());
    return merged;
}

std::vector<char*> pointers(std::vector<std::string>& items)
{
    std::vector<char*> result;
    for (auto& item : items) {
        result.push_back(item.data());
    }
    result.push_back(nullptr);
    return result;
}

} // namespace

Process::Process(const std::vector<std::string>& arguments, const std::vector<std::string>& environment,
                 Output output)
{
    std::vector<std::string> args = arguments;
    std::vector<std::string> env = mergedEnvironment(environment);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (output == Output::Capture) {
        const std::filesystem::path& folder = m_capture.emplace().path();
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, (folder / "out").c_str(), O_WRONLY | O_CREAT, 0600);
        posix_spawn_file_actions_addopen(&actions, 2, (folder / "err").c_str(), O_WRONLY | O_CREAT, 0600);
    }
    const int error = posix_spawnp(&m_pid, args.at(0).c_str(), &actions, nullptr, pointers(args).data(),
                                   pointers(env).data());
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        throw std::runtime_error("cannot start " + arguments.at(0) + ": " + std::strerror(error));
    }
}

Process::~Process()
{
    terminate(std::chrono::seconds(5));
}

bool Process::running()
{
    if (m_ended) {
        return false;
    }
    int status = 0;
    if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
        m_ended = true;
        m_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return false;
    }
    return true;
}

int Process::wait(std::chrono::milliseconds limit)
{
    eventually(limit, [this] { return !running(); });
    return m_ended ? m_status : -1;
}

int Process::terminate(std::chrono::milliseconds grace)
{
    if (!running()) {
        return m_status;
    }
    kill(m_pid, SIGTERM);
    if (wait(grace); m_ended) {
        return m_status;
    }
    kill(m_pid, SIGKILL);
    waitpid(m_pid, nullptr, 0);
    m_ended = true;
    m_status = -1;
    return -1;
}

std::string Process::captured(const char* stream) const
{
    return m_capture ? readFile(m_capture->path() / stream) : std::string();
}

RunResult runProgram(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                     std::chrono::seconds limit)
{
    Process program(argv, environment, Process::Output::Capture);
    const int exitCode = program.wait(limit);
    program.terminate(std::chrono::milliseconds(0));
    return {exitCode, program.out(), program.err()};
}

} // namespace kumoden::test
