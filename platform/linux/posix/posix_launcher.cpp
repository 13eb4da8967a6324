#include "platform/linux/posix/posix_launcher.h"

#include "platform/common/task_follower.h"
#include "platform/linux/posix/last_line.h"
#include "platform/linux/posix/system_clock.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <deque>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <sys/eventfd.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace kumoden {
namespace {

// Descriptors the program keeps for its own work: the display, the log, the
// lock, the print system's connection, a folder being read, a file taken.
constexpr rlim_t kOwnDescriptors = 20;
constexpr std::size_t kMostFollowed = 64;
// A child's error output goes into a file of this size that cannot grow:
// writes past its end fail (they never block, never raise a signal). What
// was read is given back on every look, so a child that writes on and on
// still has its last line kept while it is followed.
constexpr off_t kOutputSize = 64 * 1024;

void closeIfOpen(int fd)
{
    if (fd >= 0) {
        close(fd);
    }
}

// The file that takes a child's error output, or -1.
int errorOutputFile()
{
    const int fd = memfd_create("kumoden-reader-errors", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (fd < 0) {
        return -1;
    }
    if (ftruncate(fd, kOutputSize) != 0 || fcntl(fd, F_ADD_SEALS, F_SEAL_GROW | F_SEAL_SHRINK) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// The child starts with no blocked signals and default handlers, whatever
// the program set up for itself, and with its error output in the given
// file (none: /dev/null, opened by the child).
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
        if (errorOutput >= 0) {
            posix_spawn_file_actions_adddup2(&m_actions, errorOutput, STDERR_FILENO);
        } else {
            posix_spawn_file_actions_addopen(&m_actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        }
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

struct Child {
    pid_t pid = 0;
    int exited = -1; // process descriptor, readable once it ends; -1 without one
    int output = -1; // its error output; -1 when that goes nowhere
    off_t read = 0;  // how much of the output was read
    LastLine last;
};

// Reads what the child wrote since the last look; the file shares its
// position with the child, which is where its next write goes.
void readOutput(Child& child)
{
    if (child.output < 0) {
        return;
    }
    const off_t written = lseek(child.output, 0, SEEK_CUR);
    std::array<char, 4096> buffer{};
    while (child.read < written) {
        const auto wanted = std::min<off_t>(written - child.read, static_cast<off_t>(buffer.size()));
        const ssize_t count =
            pread(child.output, buffer.data(), static_cast<std::size_t>(wanted), child.read);
        if (count <= 0) {
            break;
        }
        child.last.add(buffer.data(), static_cast<std::size_t>(count));
        child.read += count;
    }
    if (written >= kOutputSize / 2) {
        lseek(child.output, 0, SEEK_SET);
        child.read = 0;
    }
}

// True when the process has ended and was reaped (or is not ours to reap).
bool reapIfEnded(pid_t pid, siginfo_t& info)
{
    info = {};
    int result = 0;
    while ((result = waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG)) < 0 && errno == EINTR) {
    }
    return result < 0 || info.si_pid != 0;
}

// Follows children by their process descriptors, with an event descriptor
// that wakes the thread that polls them. A child given up is still reaped
// once it ends, so that no zombie stays behind.
class PidfdWatch {
public:
    using Child = kumoden::Child;
    static constexpr bool kLooksOnTake = true;

    PidfdWatch() = default;
    PidfdWatch(const PidfdWatch&) = delete;
    PidfdWatch& operator=(const PidfdWatch&) = delete;
    ~PidfdWatch() { closeIfOpen(m_wake); }

    std::uint64_t task(const Child& child) const { return static_cast<std::uint64_t>(child.pid); }
    LocalTime now() const { return SystemClock().now(); }

    std::optional<TaskEnd> ended(Child& child)
    {
        siginfo_t info{};
        const bool ended = reapIfEnded(child.pid, info);
        // What the child wrote before it ended is all in the file by now.
        readOutput(child);
        if (!ended) {
            return std::nullopt;
        }
        TaskEnd end{0, 0, 0, child.last.take()};
        if (info.si_code == CLD_EXITED) {
            end.exitCode = info.si_status;
        } else if (info.si_code == CLD_KILLED || info.si_code == CLD_DUMPED) {
            end.signal = info.si_status;
        }
        release(child);
        return end;
    }

    void unfollow(Child& child)
    {
        m_unfollowed.push_back(child.pid);
        release(child);
    }

    void release(Child& child)
    {
        closeIfOpen(child.exited);
        closeIfOpen(child.output);
    }

    // Reaps those no longer followed that have ended.
    void tidy()
    {
        std::erase_if(m_unfollowed, [](pid_t pid) {
            siginfo_t info{};
            return reapIfEnded(pid, info);
        });
    }

    bool canWait()
    {
        if (m_wake == -1) {
            m_wake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
            if (m_wake < 0) {
                m_wake = -2;
            }
        }
        return m_wake >= 0;
    }

    void cannotWait()
    {
        close(m_wake);
        m_wake = -2;
    }

    void wake()
    {
        if (m_wake >= 0) {
            const std::uint64_t one = 1;
            [[maybe_unused]] const auto written = write(m_wake, &one, sizeof one);
        }
    }

    void watch(const std::deque<Child>& followed)
    {
        m_watched.assign(1, {m_wake, POLLIN, 0});
        for (const Child& child : followed) {
            if (child.exited >= 0) {
                m_watched.push_back({child.exited, POLLIN, 0});
            }
        }
    }

    void wait()
    {
        poll(m_watched.data(), m_watched.size(), -1);
        std::uint64_t count = 0;
        [[maybe_unused]] const auto taken = read(m_wake, &count, sizeof count);
    }

private:
    std::vector<pid_t> m_unfollowed; // still to be reaped
    int m_wake = -1;                 // wakes the thread; -2 when it cannot be had
    std::vector<pollfd> m_watched;
};

} // namespace

class PosixLauncher::Follower : public TaskFollower<PidfdWatch> {
public:
    using TaskFollower::TaskFollower;
};

std::size_t FollowBound()
{
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) {
        return kMostFollowed;
    }
    const rlim_t spare = limit.rlim_cur > kOwnDescriptors ? limit.rlim_cur - kOwnDescriptors : 0;
    return std::min<std::size_t>(static_cast<std::size_t>(spare / 2), kMostFollowed);
}

PosixLauncher::PosixLauncher() : PosixLauncher(FollowBound()) {}

PosixLauncher::PosixLauncher(std::size_t followAtMost) : m_follower(std::make_unique<Follower>(followAtMost))
{
}

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

    const int output = errorOutputFile();
    const SpawnSetup setup(output);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv.front(), setup.actions(), setup.attributes(), argv.data(), environ) != 0) {
        closeIfOpen(output);
        return 0;
    }
    const int exited = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    m_follower->add({pid, exited, output, 0, {}});
    return static_cast<std::uint64_t>(pid);
}

std::vector<TaskEnd> PosixLauncher::takeEnded()
{
    return m_follower->take();
}

void PosixLauncher::setEndHandler(std::function<void()> handler)
{
    m_follower->setEndHandler(std::move(handler));
}

} // namespace kumoden
