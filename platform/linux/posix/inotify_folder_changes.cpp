#include "platform/linux/posix/inotify_folder_changes.h"

#include "platform/linux/posix/descriptor.h"

#include <array>
#include <cerrno>
#include <set>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/vfs.h>

namespace kumoden {
namespace {

// File systems whose entries change without the kernel seeing it: network,
// cluster and FUSE file systems.
bool changesGoUntold(long type)
{
    static constexpr std::array<unsigned long, 14> kinds{
        0x6969,     // NFS
        0x517b,     // SMB
        0xff534d42, // CIFS
        0xfe534d42, // SMB2
        0x65735546, // FUSE
        0x73757245, // Coda
        0x5346414f, // AFS
        0x6b414653, // kAFS
        0x01021997, // 9P
        0x00c36400, // Ceph
        0x7461636f, // OCFS2
        0x01161970, // GFS2
        0x0bd00bd0, // Lustre
        0x47504653, // GPFS
    };
    const auto kind = static_cast<unsigned long>(type) & 0xffffffffUL;
    for (const unsigned long known : kinds) {
        if (kind == known) {
            return true;
        }
    }
    return false;
}

constexpr std::uint32_t kEntryEvents =
    IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB | IN_MODIFY | IN_CLOSE_WRITE;
// The folder itself went, moved away or is no longer watched.
constexpr std::uint32_t kFolderGone = IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT | IN_IGNORED | IN_Q_OVERFLOW;

class InotifyFolderChanges final : public FolderChanges {
public:
    InotifyFolderChanges(Descriptor fd, std::string folder, dev_t device, ino_t inode)
        : m_fd(std::move(fd)), m_folder(std::move(folder)), m_device(device), m_inode(inode)
    {
    }

    FolderChangeSet take() override
    {
        FolderChangeSet changes;
        std::set<std::string> names;
        changes.lost = !readEvents(names) || !stillTheFolder();
        changes.names.assign(names.begin(), names.end());
        return changes;
    }

private:
    // False when changes may have gone untold.
    bool readEvents(std::set<std::string>& names)
    {
        alignas(inotify_event) char buffer[64 * 1024];
        for (;;) {
            const ssize_t got = read(m_fd.get(), buffer, sizeof buffer);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got < 0) {
                return errno == EAGAIN;
            }
            if (got == 0) {
                return false;
            }
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                // The folder's own rights changed: whether it can still be
                // read is for a walk to find out, and tell.
                if ((event->mask & kFolderGone) || (event->len == 0 && (event->mask & IN_ATTRIB))) {
                    return false;
                }
                if (event->len > 0) {
                    names.emplace(event->name);
                }
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
    }

    // A watch follows the folder it was given, not its path: a folder put
    // in its place, or a parent folder moved away, is told by its path.
    bool stillTheFolder() const
    {
        struct stat info {};
        return stat(m_folder.c_str(), &info) == 0 && info.st_dev == m_device && info.st_ino == m_inode;
    }

    Descriptor m_fd;
    std::string m_folder;
    dev_t m_device;
    ino_t m_inode;
};

} // namespace

std::unique_ptr<FolderChanges> WatchFolderWithInotify(const std::string& folder)
{
    Descriptor fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    if (fd.get() < 0 || folder.empty()) {
        return nullptr;
    }
    // The same folder before and after the watch was added: the watch is on
    // the folder the path names.
    struct stat before {};
    struct stat after {};
    struct statfs kind {};
    if (stat(folder.c_str(), &before) != 0 || !S_ISDIR(before.st_mode) ||
        inotify_add_watch(fd.get(), folder.c_str(),
                          kEntryEvents | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR) < 0 ||
        stat(folder.c_str(), &after) != 0 || after.st_dev != before.st_dev || after.st_ino != before.st_ino ||
        statfs(folder.c_str(), &kind) != 0 || changesGoUntold(static_cast<long>(kind.f_type))) {
        return nullptr;
    }
    return std::make_unique<InotifyFolderChanges>(std::move(fd), folder, after.st_dev, after.st_ino);
}

} // namespace kumoden
