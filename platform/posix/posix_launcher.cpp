#include "platform/posix/posix_launcher.h"

#include "platform/posix/descriptor.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <utility>

extern char** environ;

namespace kumoden {

struct PosixLauncher::Ended {
    std::mutex mutex;
    std::vector<TaskEnd> ends;
};

namespace {

// The child starts with no blocked signals and default handlers, whatever
// the program set up for itself, and with its error output on a pipe.
class SpawnSetup {
public:
    explicit SpawnSetup(int errorOutput)
    {
        posix_spawnattr_init(&m_attr);
        sigset_t none;
        sigemptyset(&none);
        sigset_t all;
        sigfillset(&all);
        posix_spawnattr_setsigmask(&m_attr, &none);
        posix_spawnattr_setsigdefault(&m_attr, &all);
        posix_spawnattr_setflags(&m_attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
        posix_spawn_file_actions_init(&m_actions);
        posix_spawn_file_actions_adddup2(&m_actions, errorOutput, STDERR_FILENO);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;
    ~SpawnSetup()
    {
        posix_spawn_file_actions_destroy(&m_actions);
        posix_spawnattr_destroy(&m_attr);
    }

    const posix_spawnattr_t* attributes() const { return &m_attr; }
    const posix_spawn_file_actions_t* actions() const { return &m_actions; }

private:
    posix_spawnattr_t m_attr;
    posix_spawn_file_actions_t m_actions;
};

// The last non-empty line of what a program wrote, as one printable line
// of bounded length, so that nothing it writes can fill memory or forge
// lines of the log.
class LastLine {
public:
    void add(const char* bytes, std::size_t count)
    {
        for (std::size_t i = 0; i < count; ++i) {
            const auto byte = static_cast<unsigned char>(bytes[i]);
            if (byte == '\n') {
                endLine();
            } else if (byte != '\r' && m_line.size() < kLongest) {
                m_line += (byte < 0x20 || byte == 0x7f) ? ' ' : static_cast<char>(byte);
            }
        }
    }
    std::string take()
    {
        endLine();
        return std::move(m_last);
    }

private:
    static constexpr std::size_t kLongest = 400;

    void endLine()
    {
        const auto first = m_line.find_first_not_of(' ');
        if (first != std::string::npos) {
            m_last = m_line.substr(first, m_line.find_last_not_of(' ') + 1 - first);
        }
        m_line.clear();
    }

    std::string m_line;
    std::string m_last;
};

// Reads what is there to read; false once every writer has closed the pipe.
bool readSome(int pipe, LastLine& last)
{
    std::array<char, 4096> buffer{};
    for (;;) {
        const ssize_t count = read(pipe, buffer.data(), buffer.size());
        if (count > 0) {
            last.add(buffer.data(), static_cast<std::size_t>(count));
        } else if (count < 0 && errno == EINTR) {
            continue;
        } else {
            return count < 0 && errno == EAGAIN;
        }
    }
}

// Follows one child to its end. With a process descriptor the end is seen
// when the child itself ends, even while a program it started keeps the
// pipe open; without one (kernels before 5.3), when the pipe closes.
void follow(pid_t pid, int errorPipe, const std::shared_ptr<PosixLauncher::Ended>& ended)
{
    const Descriptor errors(errorPipe);
    const Descriptor exited(static_cast<int>(syscall(SYS_pidfd_open, pid, 0)));
    LastLine last;
    std::array<pollfd, 2> watched{{{errors.get(), POLLIN, 0}, {exited.get(), POLLIN, 0}}};
    while (watched[0].fd >= 0 || watched[1].fd >= 0) {
        if (poll(watched.data(), watched.size(), -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        if (watched[0].revents != 0 && !readSome(errors.get(), last)) {
            watched[0].fd = -1;
        }
        if (watched[1].revents != 0) {
            // What the child wrote before it ended is in the pipe by now.
            readSome(errors.get(), last);
            break;
        }
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    TaskEnd end{static_cast<std::uint64_t>(pid), 0, 0, last.take()};
    if (WIFEXITED(status)) {
        end.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        end.signal = WTERMSIG(status);
    }
    const std::lock_guard lock(ended->mutex);
    ended->ends.push_back(std::move(end));
}

} // namespace

PosixLauncher::PosixLauncher() : m_ended(std::make_shared<Ended>()) {}

PosixLauncher::~PosixLauncher() = default;

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

    // Only the child's copy of the writing end stays open once it runs.
    std::array<int, 2> pipe{-1, -1};
    if (pipe2(pipe.data(), O_CLOEXEC) != 0) {
        return 0;
    }
    Descriptor writing(pipe[1]);
    fcntl(pipe[0], F_SETFL, O_NONBLOCK);
    const SpawnSetup setup(writing.get());
    pid_t pid = 0;
    if (posix_spawn(&pid, argv.front(), setup.actions(), setup.attributes(), argv.data(), environ) != 0) {
        close(pipe[0]);
        return 0;
    }
    writing.close();
    // Nobody waits for the reader: the thread only watches for its end.
    std::thread(follow, pid, pipe[0], m_ended).detach();
    return static_cast<std::uint64_t>(pid);
}

std::vector<TaskEnd> PosixLauncher::takeEnded()
{
    const std::lock_guard lock(m_ended->mutex);
    return std::exchange(m_ended->ends, {});
}

} // namespace kumoden
