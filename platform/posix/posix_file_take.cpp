// Taking a found file into the archive: only that file, never while a
// writer has it open, and an older file of the same name replaced only by a
// move that has succeeded; a take cut short by a crash undone later.
#include "platform/posix/descriptor.h"
#include "platform/posix/file_moves.h"
#include "platform/posix/posix_file_system.h"

#include <atomic>
#include <cerrno>
#include <charconv>
#include <climits>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <string_view>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <utility>
#include <vector>

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

bool isRegular(const std::string& path)
{
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool isTheFile(const std::string& path, const FileIdentity& found)
{
    struct statx info {};
    return statOf(AT_FDCWD, path.c_str(), 0, info) && S_ISREG(info.stx_mode) && identityOf(info) == found;
}

constexpr std::string_view kHiddenPrefix = ".kumoden-";

// "<path> up to and with its last separator", and the name after it.
std::pair<std::string, std::string> splitPath(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::pair{std::string(), path}
                                      : std::pair{path.substr(0, slash + 1), path.substr(slash + 1)};
}

// A hidden name beside destination that no other process, this program's
// other copies included, uses at the same time: ".kumoden-<pid>-<n>", and
// when named "~<name>" after it where that fits, so that a take cut short
// can be undone by the next process (see undoTakesCutShort).
std::string temporaryBeside(const std::string& destination, bool named = true)
{
    static std::atomic<unsigned> counter{0};
    const auto [folder, name] = splitPath(destination);
    std::string hidden =
        std::string(kHiddenPrefix) + std::to_string(getpid()) + "-" + std::to_string(counter++);
    if (named && hidden.size() + 1 + name.size() <= NAME_MAX) {
        hidden += "~" + name;
    }
    return folder + hidden;
}

// The name a hidden file of an ended process's take was meant to have;
// nothing for any other file, and while the process that made it runs.
std::optional<std::string> nameCutShort(std::string_view hidden)
{
    if (!hidden.starts_with(kHiddenPrefix)) {
        return std::nullopt;
    }
    const char* at = hidden.data() + kHiddenPrefix.size();
    const char* end = hidden.data() + hidden.size();
    pid_t pid = 0;
    unsigned number = 0;
    auto [afterPid, pidError] = std::from_chars(at, end, pid);
    if (pidError != std::errc() || pid <= 0 || afterPid == end || *afterPid != '-') {
        return std::nullopt;
    }
    auto [afterNumber, numberError] = std::from_chars(afterPid + 1, end, number);
    if (numberError != std::errc() || afterNumber == end || *afterNumber != '~') {
        return std::nullopt;
    }
    const std::string name(afterNumber + 1, end);
    if (name.empty() || name == "." || name == "..") {
        return std::nullopt;
    }
    // A process that cannot be asked is taken for running.
    if (kill(pid, 0) == 0 || errno != ESRCH) {
        return std::nullopt;
    }
    return name;
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
    // Another file system: copy what the open file holds under a name no
    // later process takes for a whole file, give the whole copy the name
    // temp, then remove the name found only while it still stands for that
    // file.
    const std::string copy = temporaryBeside(temp, false);
    struct stat info {};
    if (fstat(fd, &info) != 0 || !posix::CopyIntoNew(fd, copy, info.st_mode & 07777)) {
        return false;
    }
    if (!posix::MoveNoReplace(copy, temp)) {
        const int error = errno;
        unlink(copy.c_str());
        errno = error;
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
    undoTakesCutShort(splitPath(destination).first, splitPath(source).first);
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

void PosixFileSystem::undoTakesCutShort(const std::string& folder, const std::string& origin)
{
    if (m_foldersChecked.contains(folder)) {
        return;
    }
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.empty() ? "." : folder.c_str()), closedir);
    if (!dir) {
        return;
    }
    m_foldersChecked.insert(folder);
    // Names first: moving while reading would change what is read.
    std::vector<std::pair<std::string, std::string>> found;
    while (const dirent* entry = readdir(dir.get())) {
        if (auto name = nameCutShort(entry->d_name)) {
            found.emplace_back(entry->d_name, std::move(*name));
        }
    }
    for (const auto& [hidden, name] : found) {
        // Never over a file that has come meanwhile: that one stays hidden.
        if (isRegular(folder + hidden)) {
            posix::MoveNoReplace(folder + hidden, origin + name);
        }
    }
}

} // namespace kumoden
