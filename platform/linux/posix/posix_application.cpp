#include "platform/linux/posix/posix_application.h"

#include "platform/common/instance_key.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
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

// A folder only this user can write into: no other user could take the
// lock's name first or swap the file under it.
bool isOwnFolder(const std::string& path)
{
    struct stat info {};
    return !path.empty() && lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == geteuid() && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

std::string absoluteEnv(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr && value[0] == '/' ? value : "";
}

} // namespace

PosixApplication::PosixApplication() : PosixApplication(selfExecutable()) {}

PosixApplication::PosixApplication(const std::string& executable)
    : m_place(SplitProgramPath(executable, PathStyle::posix))
{
}

PosixApplication::~PosixApplication()
{
    if (m_lock >= 0) {
        close(m_lock);
    }
}

std::string PosixApplication::lockPath(const std::string& iniPath, const std::string& folder)
{
    if (!folder.empty()) {
        // One lock per settings file: copies sharing an INI share the lock.
        char name[40];
        std::snprintf(name, sizeof name, "/kumoden-%016llx.lock",
                      static_cast<unsigned long long>(InstanceKey(iniPath)));
        return folder + name;
    }
    const auto slash = iniPath.rfind('/');
    return iniPath.substr(0, slash + 1) + "." + iniPath.substr(slash + 1) + ".lock";
}

std::string PosixApplication::lockFolder()
{
    if (const std::string runtime = absoluteEnv("XDG_RUNTIME_DIR"); isOwnFolder(runtime)) {
        return runtime;
    }
    if (const std::string run = "/run/user/" + std::to_string(geteuid()); isOwnFolder(run)) {
        return run;
    }
    std::string cache = absoluteEnv("XDG_CACHE_HOME");
    if (cache.empty() && !absoluteEnv("HOME").empty()) {
        cache = absoluteEnv("HOME") + "/.cache";
    }
    if (cache.empty()) {
        return {};
    }
    mkdir(cache.c_str(), 0700);
    const std::string folder = cache + "/kumoden";
    mkdir(folder.c_str(), 0700);
    return isOwnFolder(folder) ? folder : std::string();
}

std::string PosixApplication::userSettingsFolder() const
{
    // A relative XDG_CONFIG_HOME is invalid and ignored.
    std::string config = absoluteEnv("XDG_CONFIG_HOME");
    if (config.empty()) {
        std::string home = absoluteEnv("HOME");
        if (home.empty()) {
            if (const passwd* user = getpwuid(geteuid()); user != nullptr && user->pw_dir[0] == '/') {
                home = user->pw_dir;
            }
        }
        if (home.empty()) {
            return {};
        }
        config = home + (home.ends_with('/') ? "" : "/") + ".config";
    }
    return config + (config.ends_with('/') ? "" : "/") + "kumoden";
}

bool PosixApplication::folderWritable(const std::string& folder) const
{
    struct stat info {};
    return !folder.empty() && stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
           faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

bool PosixApplication::prevInstance(const std::string& iniPath)
{
    if (m_lock >= 0) {
        return false;
    }
    int fd = -1;
    for (const std::string& folder : {lockFolder(), std::string()}) {
        fd = open(lockPath(iniPath, folder).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd >= 0) {
            break;
        }
    }
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
