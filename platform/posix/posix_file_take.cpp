// Taking a found file into the archive: only that file, never while a
// writer has it open, and an older file of the same name replaced only by a
// move that has succeeded.
#include "platform/posix/descriptor.h"
#include "platform/posix/file_moves.h"
#include "platform/posix/posix_file_system.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace kumoden {
namespace {

// What the identity of a file is made of; flags as statx takes them (a
// link is never followed).
bool statOf(int folder, const char* path, int flags, struct statx& info)
{
    return statx(folder, path, flags | AT_SYMLINK_NOFOLLOW, STATX_TYPE | STATX_INO | STATX_BTIME, &info) == 0;
}

FileIdentity identityOf(const struct statx& info)
{
    const std::uint64_t born =
        (info.stx_mask & STATX_BTIME)
            ? static_cast<std::uint64_t>(info.stx_btime.tv_sec) * 1'000'000'000u + info.stx_btime.tv_nsec
            : 0;
    return {static_cast<std::uint64_t>(makedev(info.stx_dev_major, info.stx_dev_minor)), info.stx_ino, born};
}

bool isTheFile(const std::string& path, const FileIdentity& found)
{
    struct statx info {};
    return statOf(AT_FDCWD, path.c_str(), 0, info) && S_ISREG(info.stx_mode) && identityOf(info) == found;
}

// A hidden name beside destination that no other process, this program's
// other copies included, uses at the same time. Short, so that it fits
// where a long file name only just does.
std::string temporaryBeside(const std::string& destination)
{
    static std::atomic<unsigned> counter{0};
    const auto slash = destination.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : destination.substr(0, slash + 1);
    return folder + ".kumoden-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
}

// Why a move of source failed: the file is gone, or the move itself failed
// (a missing destination folder also says ENOENT).
TakeResult failure(int error, const std::string& source)
{
    struct stat info {};
    return error == ENOENT && lstat(source.c_str(), &info) != 0 ? TakeResult::Vanished : TakeResult::Failed;
}

// Puts the file at temp (the file found) under the temporary name beside
// its destination; errno tells why not.
bool placeBeside(int fd, const std::string& source, const std::string& temp, const FileIdentity& found,
                 bool& notTheFile)
{
    if (posix::MoveNoReplace(source, temp)) {
        // The name may have been given to another file between the check on
        // the open file and the move: what moved must be the file found.
        if (isTheFile(temp, found)) {
            return true;
        }
        posix::MoveNoReplace(temp, source);
        notTheFile = true;
        return false;
    }
    if (errno != EXDEV) {
        return false;
    }
    // Another file system: copy what the open file holds, then remove the
    // name only while it still stands for that file.
    struct stat info {};
    if (fstat(fd, &info) != 0 || !posix::CopyIntoNew(fd, temp, info.st_mode & 07777)) {
        return false;
    }
    if (isTheFile(source, found) && unlink(source.c_str()) == 0) {
        return true;
    }
    const int error = errno;
    unlink(temp.c_str());
    notTheFile = error != ENOENT;
    errno = error;
    return false;
}

} // namespace

std::optional<FileIdentity> PosixFileSystem::fileIdentity(const std::string& path)
{
    struct statx info {};
    if (path.empty() || !statOf(AT_FDCWD, path.c_str(), 0, info) || !S_ISREG(info.stx_mode)) {
        return std::nullopt;
    }
    return identityOf(info);
}

TakeResult PosixFileSystem::takeFile(const std::string& source, const std::string& destination,
                                     const FileIdentity& found)
{
    if (source.empty() || destination.empty()) {
        return TakeResult::Failed;
    }
    // Never follows a link; O_NONBLOCK keeps a FIFO or a leased file from
    // blocking the open.
    const Descriptor file(open(source.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.get() < 0) {
        const int error = errno;
        return error == ELOOP         ? TakeResult::NotTheFileFound
               : error == EWOULDBLOCK ? TakeResult::InUse
                                      : failure(error, source);
    }
    struct statx info {};
    if (!statOf(file.get(), "", AT_EMPTY_PATH, info)) {
        return TakeResult::Failed;
    }
    if (!S_ISREG(info.stx_mode) || identityOf(info) != found) {
        return TakeResult::NotTheFileFound;
    }
    if (m_options.leases) {
        // A writer opening the file breaks the lease; the kernel tells so
        // with a signal, by default SIGIO, which would end the program.
        // SIGURG is ignored unless someone asks for it.
        fcntl(file.get(), F_SETSIG, SIGURG);
        if (fcntl(file.get(), F_SETLEASE, F_RDLCK) != 0 && errno == EAGAIN) {
            return TakeResult::InUse;
        }
        // Any other refusal means no leases here; see the header.
    }

    const std::string temp = temporaryBeside(destination);
    bool notTheFile = false;
    if (!placeBeside(file.get(), source, temp, found, notTheFile)) {
        return notTheFile ? TakeResult::NotTheFileFound : failure(errno, source);
    }
    // The one step that replaces an older file, read-only or not.
    if (rename(temp.c_str(), destination.c_str()) == 0) {
        return TakeResult::Taken;
    }
    // Back where it was found. Should a new file have taken that name
    // meanwhile, this one stays under the hidden name rather than replace
    // the new one or be lost.
    posix::MoveNoReplace(temp, source);
    return TakeResult::Failed;
}

} // namespace kumoden
