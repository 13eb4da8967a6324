#include "watch/backup_purge.h"

#include "app/number_text.h"
#include "platform/take_leftovers.h"
#include "watch/watch_cycle.h"

namespace kumoden {

std::optional<int> RetentionDays(const std::string& fileDelDate)
{
    if (const auto days = TextToInteger(fileDelDate)) {
        return *days;
    }
    return std::nullopt;
}

LocalTime BackupDeadline(LocalTime created, int days)
{
    return created + std::chrono::days{days};
}

std::vector<std::string> DeleteOldBackups(std::string watchedPath, const FileCheckInfo& info,
                                          WatchServices& services)
{
    std::vector<std::string> deleted;
    if (!CreateFileSystemObject(services)) {
        return deleted;
    }
    if (info.FileDelDate.empty()) {
        return deleted;
    }
    // The retention is the same for every file of one purge; a value that
    // is not a number of days can never make a file due.
    const auto days = RetentionDays(info.FileDelDate);
    if (!days) {
        return deleted;
    }

    FileSystem& files = services.files;
    const std::string folder = watchedPath + std::string(kBackupFolderName) + files.separator();
    const LocalTime now = services.clock.now();
    for (const DatedFile& file : files.listDatedFiles(folder + "*.*")) {
        // A file whose age cannot be told is never due; a take's temporary
        // is not a backup yet, hidden or not.
        if (file.created && !ParseTakeTemporary(file.name) && BackupDeadline(*file.created, *days) < now &&
            files.deleteFile(folder + file.name, false)) {
            deleted.push_back(file.name);
        }
    }
    return deleted;
}

} // namespace kumoden
