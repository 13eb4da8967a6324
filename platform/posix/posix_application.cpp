#include "platform/posix/posix_application.h"

#include "platform/instance_key.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kumoden {
namespace {

std::string selfExecutable()
{
    std::string buffer(PATH_MAX, '\0');
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length <= 0) {
        return {};
    }
    buffer.resize(static_cast<std::size_t>(length));
    return buffer;
}

} // namespace

PosixApplication::PosixApplication() : PosixApplication(selfExecutable()) {}

PosixApplication::PosixApplication(const std::string& executable) : m_executable(executable)
{
    const auto slash = executable.rfind('/');
    const std::string name = slash == std::string::npos ? executable : executable.substr(slash + 1);
    if (slash == std::string::npos) {
        m_path = ".";
    } else {
        m_path = slash == 0 ? "/" : executable.substr(0, slash);
    }
    const auto dot = name.rfind('.');
    m_exeName = (dot == std::string::npos || dot == 0) ? name : name.substr(0, dot);
}

PosixApplication::~PosixApplication()
{
    if (m_lock >= 0) {
        close(m_lock);
    }
}

std::string PosixApplication::lockPath(const std::string& executable, const std::string& runtimeDir)
{
    struct stat info {};
    if (!runtimeDir.empty() && stat(runtimeDir.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
        info.st_uid == geteuid()) {
        // One lock per installed copy of the program.
        char name[40];
        std::snprintf(name, sizeof name, "/kumoden-%016llx.lock",
                      static_cast<unsigned long long>(InstanceKey(executable)));
        return runtimeDir + name;
    }
    const PosixApplication app(executable);
    return app.path() + (app.path().ends_with('/') ? "." : "/.") + app.exeName() + ".lock";
}

bool PosixApplication::prevInstance()
{
    if (m_lock >= 0) {
        return false;
    }
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string path = lockPath(m_executable, runtime != nullptr ? runtime : "");
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        return false; // no place for a lock: better run twice than not at all
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        close(fd);
        return held;
    }
    m_lock = fd;
    return false;
}

} // namespace kumoden
