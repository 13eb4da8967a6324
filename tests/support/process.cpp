#include "tests/support/process.h"

#include <csignal>
#include <cstring>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>

extern char** environ;

namespace kumoden::test {

Process::Process(const std::vector<std::string>& arguments, const std::vector<std::string>& environment)
{
    std::vector<std::string> env;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string item(*entry);
        const auto name = item.substr(0, item.find('=') + 1);
        bool replaced = false;
        for (const auto& extra : environment) {
            replaced = replaced || extra.starts_with(name);
        }
        if (!replaced) {
            env.push_back(item);
        }
    }
    env.insert(env.end(), environment.begin(), environment.end());

    std::vector<char*> argv;
    for (const auto& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const auto& item : env) {
        envp.push_back(const_cast<char*>(item.c_str()));
    }
    envp.push_back(nullptr);
    const int error = posix_spawn(&m_pid, argv[0], nullptr, nullptr, argv.data(), envp.data());
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
    if (wait(grace) >= 0 || m_ended) {
        return m_status;
    }
    kill(m_pid, SIGKILL);
    int status = 0;
    waitpid(m_pid, &status, 0);
    m_ended = true;
    m_status = -1;
    return -1;
}

} // namespace kumoden::test
