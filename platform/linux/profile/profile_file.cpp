#include "platform/linux/profile/profile_file.h"
#include "platform/linux/posix/descriptor.h"
#include "platform/linux/posix/write_all.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace kumoden::profile {

namespace {

// The process's file creation mask. umask() cannot be read without being
// set, which would race with other threads, so it is taken from /proc.
mode_t currentUmask()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with("Umask:")) {
            return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8) & 0777);
        }
    }
    return 022;
}

// Makes the folder and those above it that are missing, private to the
// user as settings folders should be. True when the folder is there.
bool makeFolders(const std::filesystem::path& folder)
{
    struct stat info {};
    if (::stat(folder.c_str(), &info) == 0) {
        return S_ISDIR(info.st_mode);
    }
    const std::filesystem::path parent = folder.parent_path();
    if (parent != folder && !parent.empty() && !makeFolders(parent)) {
        return false;
    }
    return ::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

} // namespace

FileContent readFile(const std::string& path)
{
    FileContent result;
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        result.status = errno == ENOENT ? FileContent::Status::Missing : FileContent::Status::Failed;
        return result;
    }
    Descriptor file(fd);
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        return result;
    }
    if (info.st_size > 0) {
        result.bytes.reserve(static_cast<std::size_t>(info.st_size));
    }
    // Not zeroed: every read of the store would clear 64 KiB for nothing.
    constexpr std::size_t chunk = 64 * 1024;
    const auto buffer = std::make_unique_for_overwrite<char[]>(chunk);
    for (;;) {
        const ssize_t got = ::read(fd, buffer.get(), chunk);
        if (got == 0) {
            break;
        }
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            result.bytes.clear();
            return result;
        }
        result.bytes.append(buffer.get(), static_cast<std::size_t>(got));
    }
    result.status = FileContent::Status::Read;
    result.mode = info.st_mode & 07777;
    result.owner = info.st_uid;
    result.group = info.st_gid;
    // Read-only is the owner-write bit, as everywhere else in the program:
    // access() would let root write a file the user made read-only.
    result.writable = (info.st_mode & S_IWUSR) != 0;
    return result;
}

std::optional<std::string> resolveLinks(const std::string& path)
{
    std::filesystem::path current(path);
    // The kernel's own limit on links followed in one lookup.
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code error;
        if (!std::filesystem::is_symlink(std::filesystem::symlink_status(current, error))) {
            return current.string();
        }
        const std::filesystem::path target = std::filesystem::read_symlink(current, error);
        if (error) {
            return current.string();
        }
        current = target.is_absolute() ? target : current.parent_path() / target;
    }
    return std::nullopt;
}

bool replaceFile(const std::string& path, std::string_view bytes, const FileContent* previous)
{
    const std::filesystem::path target(path);
    std::filesystem::path folder = target.parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    // The first write into the user's settings folder makes it.
    if (previous == nullptr && !makeFolders(folder)) {
        return false;
    }
    // A hidden name beside the target; mkostemp makes the suffix unguessable
    // and creates the file exclusively. The name is kept short of NAME_MAX.
    const std::string base = target.filename().string().substr(0, 200);
    std::string name = (folder / ("." + base + ".XXXXXX")).string();
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    Descriptor temp(fd);

    mode_t mode = 0666 & ~currentUmask();
    if (previous != nullptr) {
        mode = static_cast<mode_t>(previous->mode);
        if (previous->owner != ::geteuid() || previous->group != ::getegid()) {
            // Only works with the right privileges; keeping the bits matters more.
            [[maybe_unused]] const int ignored = ::fchown(fd, previous->owner, previous->group);
        }
    }
    bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, bytes) && ::fsync(fd) == 0;
    ok = temp.close() && ok;
    if (!ok || std::rename(name.c_str(), path.c_str()) != 0) {
        ::unlink(name.c_str());
        return false;
    }
    // Make the rename itself durable; the file is in place either way.
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

} // namespace kumoden::profile
