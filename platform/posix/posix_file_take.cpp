// Taking a found file into the archive: only that file, never while a
// writer has it open, and an older file of the same name replaced only by a
// move that has succeeded; a take cut short by a crash undone later.
#include "platform/posix/descriptor.h"
#include "platform/posix/file_identity.h"
#include "platform/posix/file_moves.h"
#include "platform/posix/posix_file_system.h"
#include "platform/take_leftovers.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace kumoden {
namespace {

using posix::IdentityOf;
using posix::StatOf;

bool isRegular(const std::string& path)
{
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool isTheFile(const std::string& path, const FileIdentity& found)
{
    struct statx info {};
    return StatOf(AT_FDCWD, path.c_str(), 0, info) && S_ISREG(info.stx_mode) && IdentityOf(info) == found;
}

// "<path> up to and with its last separator", and the name after it.
std::pair<std::string, std::string> splitPath(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::pair{std::string(), path}
                                      : std::pair{path.substr(0, slash + 1), path.substr(slash + 1)};
}

// Whether every temporary name of the file fits in a folder entry.
bool fitsBeside(const std::string& name)
{
    return TakeTemporaryName(TakeStage::Copying, 999, name).size() <= NAME_MAX;
}

// Moves from to the first free temporary name of stage in folder; empty,
// with errno set, when it did not move.
std::string moveToTemporary(const std::string& from, const std::string& folder, TakeStage stage,
                            const std::string& name)
{
    for (unsigned number = 0; number < 1000; ++number) {
        std::string temp = folder + TakeTemporaryName(stage, number, name);
        if (posix::MoveNoReplace(from, temp)) {
            return temp;
        }
        if (errno != EEXIST) {
            return {};
        }
    }
    return {};
}

// Why a move of source failed: the file is gone, or the move itself failed
// (a missing destination folder also says ENOENT).
TakeResult failure(int error, const std::string& source)
{
    struct stat info {};
    return error == ENOENT && lstat(source.c_str(), &info) != 0 ? TakeResult::Vanished : TakeResult::Failed;
}

// A new file for the copy under the first free temporary name, locked for
// as long as the take holds it.
Descriptor newCopy(const std::string& folder, const std::string& name, mode_t mode, std::string& path)
{
    for (unsigned number = 0; number < 1000; ++number) {
        path = folder + TakeTemporaryName(TakeStage::Copying, number, name);
        Descriptor out(open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
        if (out.get() >= 0) {
            // Refused only when a leftover check of another process got in
            // first: the copy is then no longer this take's.
            if (flock(out.get(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
                return Descriptor(-1);
            }
            return out;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    return Descriptor(-1);
}

// Another file system: the open file is copied beside its destination, the
// copy named whole once it is, and then the name found removed, only while
// it still stands for the file found. The copy's path; empty when the file
// was left as it was.
std::string copyBeside(int fd, const std::string& source, const std::string& folder, const std::string& name,
                       const FileIdentity& found, bool& notTheFile, Descriptor& lock)
{
    struct stat info {};
    std::string part;
    if (fstat(fd, &info) != 0) {
        return {};
    }
    Descriptor out = newCopy(folder, name, info.st_mode & 07777, part);
    if (out.get() < 0) {
        return {};
    }
    // The copy keeps the file's last write: what tells it from a newcomer.
    const timespec times[2] = {info.st_atim, info.st_mtim};
    std::string copied;
    if (!posix::CopyInto(fd, out.get()) || futimens(out.get(), times) != 0 ||
        (copied = moveToTemporary(part, folder, TakeStage::Copied, name)).empty()) {
        const int error = errno;
        unlink(part.c_str());
        errno = error;
        return {};
    }
    if (isTheFile(source, found) && unlink(source.c_str()) == 0) {
        lock = std::move(out);
        return copied;
    }
    const int error = errno;
    unlink(copied.c_str());
    notTheFile = error != ENOENT;
    errno = error;
    return {};
}

// A name too long to carry in a temporary's name: the file goes straight to
// its destination, which a rename replaces in one step.
TakeResult takeDirectly(const std::string& source, const std::string& destination, const FileIdentity& found,
                        const FileSystem::BeforeNamed& beforeNamed)
{
    if (beforeNamed) {
        beforeNamed(found);
    }
    if (rename(source.c_str(), destination.c_str()) != 0) {
        return failure(errno, source);
    }
    if (isTheFile(destination, found)) {
        return TakeResult::Taken;
    }
    posix::MoveNoReplace(destination, source);
    return TakeResult::NotTheFileFound;
}

// Leftovers of takes as this backend makes them: owned while the take's
// process holds its lock on the file.
class PosixLeftovers final : public LeftoverMechanics {
public:
    explicit PosixLeftovers(PosixFileSystem& files) : m_files(files) {}

    std::vector<std::string> temporaries(const std::string& folder) override
    {
        std::vector<std::string> names;
        const std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.empty() ? "." : folder.c_str()),
                                                      closedir);
        // Names first: moving while reading would change what is read.
        while (const dirent* entry = dir ? readdir(dir.get()) : nullptr) {
            if (ParseTakeTemporary(entry->d_name)) {
                names.emplace_back(entry->d_name);
            }
        }
        return names;
    }
    bool owned(const std::string& path) override
    {
        const Descriptor file(open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        return file.get() >= 0 && flock(file.get(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    }
    bool exists(const std::string& path) override { return isRegular(path); }
    std::optional<TakeStamp> stamp(const std::string& path) override
    {
        struct stat info {};
        if (lstat(path.c_str(), &info) != 0) {
            return std::nullopt;
        }
        return TakeStamp{info.st_size, info.st_mtim.tv_sec * 1'000'000'000LL + info.st_mtim.tv_nsec};
    }
    bool putBack(const std::string& temporary, const std::string& destination) override
    {
        return m_files.moveFile(temporary, destination);
    }
    bool remove(const std::string& path) override { return unlink(path.c_str()) == 0; }

private:
    PosixFileSystem& m_files;
};

} // namespace

std::optional<FileIdentity> PosixFileSystem::fileIdentity(const std::string& path)
{
    struct statx info {};
    if (path.empty() || !StatOf(AT_FDCWD, path.c_str(), 0, info) || !S_ISREG(info.stx_mode)) {
        return std::nullopt;
    }
    return IdentityOf(info);
}

TakeResult PosixFileSystem::takeFile(const std::string& source, const std::string& destination,
                                     const FileIdentity& found, const BeforeNamed& beforeNamed)
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
    if (!StatOf(file.get(), "", AT_EMPTY_PATH, info)) {
        return TakeResult::Failed;
    }
    if (!S_ISREG(info.stx_mode) || IdentityOf(info) != found) {
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
    // The lock goes with the file under its temporary name and ends with
    // this process, whatever number the next one is given.
    if (flock(file.get(), LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        return TakeResult::InUse;
    }

    const auto [folder, name] = splitPath(destination);
    if (!fitsBeside(name)) {
        return takeDirectly(source, destination, found, beforeNamed);
    }
    std::string temp = moveToTemporary(source, folder, TakeStage::Moved, name);
    bool notTheFile = false;
    Descriptor copyLock(-1);
    if (temp.empty() && errno == EXDEV) {
        temp = copyBeside(file.get(), source, folder, name, found, notTheFile, copyLock);
    } else if (!temp.empty() && !isTheFile(temp, found)) {
        // The name may have been given to another file between the check
        // on the open file and the move: what moved must be the file found.
        posix::MoveNoReplace(temp, source);
        return TakeResult::NotTheFileFound;
    }
    if (temp.empty()) {
        return notTheFile ? TakeResult::NotTheFileFound : failure(errno, source);
    }
    // A copy is a file of its own: the archive's file is told by its identity.
    FileIdentity named = found;
    if (copyLock.get() >= 0) {
        struct statx copied {};
        if (!StatOf(copyLock.get(), "", AT_EMPTY_PATH, copied)) {
            moveFile(temp, source);
            return TakeResult::Failed;
        }
        named = IdentityOf(copied);
    }
    if (beforeNamed) {
        beforeNamed(named);
    }
    // The one step that replaces an older file, read-only or not.
    if (rename(temp.c_str(), destination.c_str()) == 0) {
        return TakeResult::Taken;
    }
    // Back where it was found. Should a new file have taken that name
    // meanwhile, this one stays under the temporary name rather than
    // replace the new one or be lost, and the next process puts it back.
    moveFile(temp, source);
    return TakeResult::Failed;
}

std::vector<std::string> PosixFileSystem::undoTakesCutShort(const std::string& archive,
                                                            const std::string& watched)
{
    if (m_foldersChecked.contains(archive) || !folderExists(archive.empty() ? "." : archive)) {
        return {};
    }
    m_foldersChecked.insert(archive);
    PosixLeftovers leftovers(*this);
    return UndoTakesCutShort(archive, watched, leftovers);
}

} // namespace kumoden
