#include "platform/posix/posix_launcher.h"

#include <cerrno>
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace kumoden {
namespace {

// The child starts with no blocked signals and default handlers, whatever
// the program set up for itself.
class SpawnAttributes {
public:
    SpawnAttributes()
    {
        posix_spawnattr_init(&m_attr);
        sigset_t none;
        sigemptyset(&none);
        sigset_t all;
        sigfillset(&all);
        posix_spawnattr_setsigmask(&m_attr, &none);
        posix_spawnattr_setsigdefault(&m_attr, &all);
        posix_spawnattr_setflags(&m_attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;
    ~SpawnAttributes() { posix_spawnattr_destroy(&m_attr); }

    const posix_spawnattr_t* get() const { return &m_attr; }

private:
    posix_spawnattr_t m_attr;
};

} // namespace

std::uint64_t PosixLauncher::launch(const LaunchRequest& request)
{
    if (request.arguments.empty() || request.arguments.front().empty()) {
        return 0;
    }
    std::vector<char*> argv;
    argv.reserve(request.arguments.size() + 1);
    for (const auto& argument : request.arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);

    const SpawnAttributes attributes;
    pid_t pid = 0;
    if (posix_spawn(&pid, argv.front(), nullptr, attributes.get(), argv.data(), environ) != 0) {
        return 0;
    }
    // Nobody waits for the reader; this thread only collects its exit so
    // that no zombie stays behind.
    std::thread([pid] {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return static_cast<std::uint64_t>(pid);
}

} // namespace kumoden
