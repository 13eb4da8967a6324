// The single steps the archive is built from, and the identity that tells
// which file a name stands for: each does one thing to a file or says why
// it did not, and decides nothing.
#include "platform/linux/posix/descriptor.h"
#include "platform/linux/posix/posix_file_system.h"
#include "platform/linux/posix/write_all.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <system_error>
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

// Renames without ever replacing an existing destination (a hard link and
// an unlink where the file system cannot rename that way). False with errno
// set when nothing moved.
bool moveNoReplace(const std::string& source, const std::string& destination)
{
    if (renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, destination.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return false;
    }
    // The file system cannot rename without replacing: a hard link refuses
    // an existing destination just the same.
    if (link(source.c_str(), destination.c_str()) != 0) {
        return false;
    }
    if (unlink(source.c_str()) == 0) {
        return true;
    }
    const int error = errno;
    unlink(destination.c_str());
    errno = error;
    return false;
}

// Copies what the open file in holds into the open file out, synced.
bool copyInto(int in, int out)
{
    bool ok = lseek(in, 0, SEEK_SET) == 0;
    char buffer[64 * 1024];
    while (ok) {
        const ssize_t got = read(in, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        ok = WriteAll(out, std::string_view(buffer, static_cast<std::size_t>(got)));
    }
    return fsync(out) == 0 && ok;
}

FileStep stepOf(int error)
{
    FileStep::Kind kind = FileStep::failed;
    switch (error) {
    case EEXIST:
        kind = FileStep::exists;
        break;
    case ENOENT:
        kind = FileStep::missing;
        break;
    case EXDEV:
        kind = FileStep::otherVolume;
        break;
    case ENOSPC:
    case EDQUOT:
        kind = FileStep::noRoom;
        break;
    case ENAMETOOLONG:
        kind = FileStep::nameTooLong;
        break;
    default:
        break;
    }
    return {kind, std::generic_category().message(error)};
}

FileStep notAFile()
{
    return {FileStep::otherFile, "not an ordinary file"};
}

// A new name is on disk only once the folder that holds it is.
bool syncFolderOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const Descriptor dir(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    // Some file systems cannot sync a folder (EINVAL): nothing more to do there.
    return dir.get() >= 0 && (fsync(dir.get()) == 0 || errno == EINVAL);
}

// Drops a new file that did not become whole, keeping the reason it did not.
FileStep dropNew(const std::string& path, int error)
{
    unlink(path.c_str());
    return stepOf(error);
}

class PosixHold final : public FileHold {
public:
    explicit PosixHold(Descriptor file) : m_file(std::move(file)) {}

private:
    Descriptor m_file;
};

} // namespace

std::optional<FileIdentity> PosixFileSystem::fileIdentity(const std::string& path)
{
    struct statx info {};
    if (path.empty() || !statOf(AT_FDCWD, path.c_str(), 0, info) || !S_ISREG(info.stx_mode)) {
        return std::nullopt;
    }
    return identityOf(info);
}

FileStep PosixFileSystem::renameNew(const std::string& from, const std::string& to)
{
    return moveNoReplace(from, to) ? FileStep{} : stepOf(errno);
}

FileStep PosixFileSystem::copyNew(const std::string& from, const std::string& to)
{
    // Never through a link, and a FIFO standing there does not block.
    const Descriptor in(open(from.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (in.get() < 0) {
        return errno == ELOOP ? notAFile() : stepOf(errno);
    }
    struct stat info {};
    if (fstat(in.get(), &info) != 0) {
        return stepOf(errno);
    }
    if (!S_ISREG(info.st_mode)) {
        return notAFile();
    }
    Descriptor out(open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, info.st_mode & 07777));
    if (out.get() < 0) {
        return stepOf(errno);
    }
    const timespec times[2] = {info.st_atim, info.st_mtim};
    if (!copyInto(in.get(), out.get()) || futimens(out.get(), times) != 0 || !out.close() ||
        !syncFolderOf(to)) {
        return dropNew(to, errno);
    }
    return {};
}

FileStep PosixFileSystem::writeNew(const std::string& path, const std::string& content)
{
    Descriptor out(open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (out.get() < 0) {
        return stepOf(errno);
    }
    if (!WriteAll(out.get(), content) || fsync(out.get()) != 0 || !out.close() || !syncFolderOf(path)) {
        return dropNew(path, errno);
    }
    return {};
}

std::unique_ptr<FileHold> PosixFileSystem::holdFile(const std::string& path, const FileIdentity& expected,
                                                    FileStep& step)
{
    Descriptor file(open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.get() < 0) {
        const int error = errno;
        step = error == ELOOP         ? notAFile()
               : error == EWOULDBLOCK ? FileStep{FileStep::inUse, stepOf(error).reason}
                                      : stepOf(error);
        return nullptr;
    }
    struct statx info {};
    if (!statOf(file.get(), "", AT_EMPTY_PATH, info)) {
        step = stepOf(errno);
        return nullptr;
    }
    if (!S_ISREG(info.stx_mode) || identityOf(info) != expected) {
        step = {FileStep::otherFile, "another file than the one expected"};
        return nullptr;
    }
    if (m_options.leases) {
        // A writer opening the file breaks the lease, which the kernel tells
        // with a signal: SIGURG, ignored unless asked for, not SIGIO, which
        // would end the program. The writer waits until the hold ends.
        fcntl(file.get(), F_SETSIG, SIGURG);
        if (fcntl(file.get(), F_SETLEASE, F_RDLCK) != 0 && errno == EAGAIN) {
            step = {FileStep::inUse, "open for writing"};
            return nullptr;
        }
        // Any other refusal means no leases here (network and FUSE file
        // systems, another user's file): the file is held all the same.
    }
    step = {};
    return std::make_unique<PosixHold>(std::move(file));
}

std::unique_ptr<FileHold> PosixFileSystem::lockFile(const std::string& path, FileStep& step)
{
    Descriptor file(open(path.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0600));
    if (file.get() < 0) {
        step = stepOf(errno);
        return nullptr;
    }
    // A lock of each open file: two locks of one process exclude each other too.
    if (flock(file.get(), LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        step = error == EWOULDBLOCK ? FileStep{FileStep::inUse, "locked by another"} : stepOf(error);
        return nullptr;
    }
    step = {};
    return std::make_unique<PosixHold>(std::move(file));
}

std::optional<std::int64_t> PosixFileSystem::freeSpace(const std::string& folder)
{
    struct statvfs info {};
    if (statvfs(folder.empty() ? "." : folder.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(info.f_bavail) * static_cast<std::int64_t>(info.f_frsize);
}

std::optional<FileStamp> PosixFileSystem::fileStamp(const std::string& path)
{
    struct stat info {};
    if (path.empty() || stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    const auto nanoseconds = [](const timespec& time) {
        return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
    };
    return FileStamp{info.st_size, nanoseconds(info.st_mtim), nanoseconds(info.st_ctim)};
}

} // namespace kumoden
