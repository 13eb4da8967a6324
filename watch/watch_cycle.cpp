#include "watch/watch_cycle.h"

#include "watch/backup_purge.h"
#include "watch/print_pass.h"

#include <exception>

namespace kumoden {

bool CreateFileSystemObject(WatchServices& services)
{
    if (services.files.createObject()) {
        return true;
    }
    services.messages.show(std::string(kFileSystemMissingText), std::string(kErrorTitle),
                           MessageButtons::OkCancel);
    return false;
}

std::string WatchedPath(const std::string& fileChkDir, char separator)
{
    if (!fileChkDir.empty() && fileChkDir.back() == separator) {
        return fileChkDir;
    }
    return fileChkDir + separator;
}

std::string MatchPattern(const std::string& watchedPath, const std::string& fileSelect)
{
    if (SelectionLeavesFolder(fileSelect)) {
        return {};
    }
    return watchedPath + fileSelect + "*.pdf";
}

std::string ArchivedPath(const std::string& watchedPath, const std::string& name)
{
    // The watched path ends in the platform's separator.
    const char separator = watchedPath.empty() ? '/' : watchedPath.back();
    return watchedPath + std::string(kBackupFolderName) + separator + name;
}

WatchCycleResult RunWatchCycle(const FileCheckInfo& info, WatchServices& services)
{
    // Each step stands on its own: whatever one of them meets, the next
    // still runs and the program carries on.
    WatchCycleResult result;
    try {
        result.watchedPath = WatchedPath(info.FileChkDir, services.files.separator());
        if (services.files.firstFile(MatchPattern(result.watchedPath, info.FileSelect))) {
            result.files = PrintPdfFiles(result.watchedPath, info, services);
        }
    } catch (const std::exception&) {
    }
    try {
        if (result.watchedPath.empty()) {
            result.watchedPath = WatchedPath(info.FileChkDir, services.files.separator());
        }
        result.purged = DeleteOldBackups(result.watchedPath, info, services);
    } catch (const std::exception&) {
    }
    return result;
}

} // namespace kumoden
