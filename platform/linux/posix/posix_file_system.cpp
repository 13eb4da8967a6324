#include "platform/linux/posix/posix_file_system.h"

#include "platform/common/wildcard.h"
#include "platform/linux/posix/inotify_folder_changes.h"
#include "platform/linux/posix/local_time.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace kumoden {
namespace {

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

// Splits "folder/name-pattern" at its last separator.
void splitPattern(const std::string& pattern, std::string& folder, std::string& namePattern)
{
    const auto slash = pattern.rfind('/');
    if (slash == std::string::npos) {
        folder = ".";
        namePattern = pattern;
    } else {
        folder = slash == 0 ? "/" : pattern.substr(0, slash);
        namePattern = pattern.substr(slash + 1);
    }
}

bool isOrdinaryFile(DIR* dir, const dirent* entry)
{
    if (entry->d_type == DT_REG) {
        return true;
    }
    if (entry->d_type != DT_UNKNOWN) {
        return false;
    }
    struct stat info {};
    return fstatat(dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode);
}

bool before(const statx_timestamp& a, const statx_timestamp& b)
{
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

std::optional<LocalTime> createdAt(int folder, const char* name, bool birthTimes)
{
    struct statx info {};
    if (statx(folder, name, 0, STATX_BTIME | STATX_MTIME | STATX_CTIME, &info) != 0) {
        return std::nullopt;
    }
    // Where the file system keeps no birth time, the modification time alone
    // would make a file copied in with its old date (cp -p, rsync -a, unzip)
    // old at once; the status change that the copy or the move made is
    // later.
    const statx_timestamp& stamp = (birthTimes && (info.stx_mask & STATX_BTIME)) ? info.stx_btime
                                   : before(info.stx_mtime, info.stx_ctime)      ? info.stx_ctime
                                                                                 : info.stx_mtime;
    return ToLocalTime(static_cast<std::time_t>(stamp.tv_sec), static_cast<long>(stamp.tv_nsec));
}

// Calls visit(folder, name) for each ordinary, visible file matching the
// pattern until visit returns false; folder is the open folder's descriptor.
template <typename Visit> void scan(const std::string& pattern, Visit visit)
{
    if (pattern.empty()) {
        return;
    }
    std::string folder;
    std::string namePattern;
    splitPattern(pattern, folder, namePattern);
    const Wildcard wildcard(namePattern);
    std::unique_ptr<DIR, DirCloser> dir(opendir(folder.c_str()));
    if (!dir) {
        // A folder that is not there holds nothing; one that cannot be read
        // holds what it holds, unknown.
        if (errno == ENOENT || errno == ENOTDIR) {
            return;
        }
        throw FolderQueryError(folder, std::strerror(errno));
    }
    while (const dirent* entry = readdir(dir.get())) {
        const std::string_view name(entry->d_name);
        if (name.front() == '.' || !wildcard.matches(name) || !isOrdinaryFile(dir.get(), entry)) {
            continue;
        }
        if (!visit(dirfd(dir.get()), name)) {
            return;
        }
    }
}

bool statPath(const std::string& path, struct stat& info)
{
    return !path.empty() && stat(path.c_str(), &info) == 0;
}

} // namespace

std::optional<std::string> PosixFileSystem::firstFile(const std::string& pattern)
{
    std::optional<std::string> found;
    scan(pattern, [&](int, std::string_view name) {
        found = std::string(name);
        return false;
    });
    return found;
}

std::vector<std::string> PosixFileSystem::listFiles(const std::string& pattern)
{
    std::vector<std::string> names;
    scan(pattern, [&](int, std::string_view name) {
        names.emplace_back(name);
        return true;
    });
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<DatedFile> PosixFileSystem::listDatedFiles(const std::string& pattern)
{
    std::vector<DatedFile> files;
    scan(pattern, [&](int folder, std::string_view name) {
        std::string text(name);
        auto created = createdAt(folder, text.c_str(), m_options.birthTimes);
        files.push_back({std::move(text), created});
        return true;
    });
    return files;
}

std::optional<DatedFile> PosixFileSystem::datedFile(const std::string& folder, const std::string& name)
{
    if (folder.empty() || name.empty() || name.front() == '.' || name.find('/') != std::string::npos) {
        return std::nullopt;
    }
    const std::string path = folder + name;
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    return DatedFile{name, createdAt(AT_FDCWD, path.c_str(), m_options.birthTimes)};
}

std::unique_ptr<FolderChanges> PosixFileSystem::watchFolder(const std::string& folder)
{
    return WatchFolderWithInotify(folder);
}

std::optional<std::int64_t> PosixFileSystem::fileLength(const std::string& path)
{
    struct stat info {};
    if (!statPath(path, info) || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(info.st_size);
}

bool PosixFileSystem::folderExists(const std::string& path)
{
    struct stat info {};
    return statPath(path, info) && S_ISDIR(info.st_mode);
}

bool PosixFileSystem::createFolder(const std::string& path)
{
    return !path.empty() && mkdir(path.c_str(), 0777) == 0;
}

bool PosixFileSystem::fileExists(const std::string& path)
{
    struct stat info {};
    return statPath(path, info) && S_ISREG(info.st_mode);
}

bool PosixFileSystem::fileReadable(const std::string& path)
{
    // Not blocking: a pipe standing there must not hang the caller.
    const int in = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (in < 0) {
        return false;
    }
    struct stat info {};
    const bool ordinary = fstat(in, &info) == 0 && S_ISREG(info.st_mode);
    close(in);
    return ordinary;
}

bool PosixFileSystem::canWriteInto(const std::string& folder)
{
    // The effective ids decide, as they do for the move into the folder.
    return folderExists(folder) && faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

bool PosixFileSystem::canRun(const std::string& path)
{
    return fileExists(path) && faccessat(AT_FDCWD, path.c_str(), X_OK, AT_EACCESS) == 0;
}

bool PosixFileSystem::deleteFile(const std::string& path, bool force)
{
    struct stat info {};
    if (path.empty() || lstat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) {
        return false;
    }
    if (!force && S_ISREG(info.st_mode) && (info.st_mode & S_IWUSR) == 0) {
        return false;
    }
    return unlink(path.c_str()) == 0;
}

std::optional<std::string> PosixFileSystem::readSmallFile(const std::string& path)
{
    const int in = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (in < 0) {
        return std::nullopt;
    }
    std::string content;
    char buffer[4096];
    for (;;) {
        const ssize_t got = read(in, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            close(in);
            return got == 0 ? std::optional<std::string>(std::move(content)) : std::nullopt;
        }
        content.append(buffer, static_cast<std::size_t>(got));
    }
}

std::optional<LocalTime> PosixFileSystem::dateCreated(const std::string& path)
{
    if (path.empty()) {
        return std::nullopt;
    }
    return createdAt(AT_FDCWD, path.c_str(), m_options.birthTimes);
}

} // namespace kumoden
