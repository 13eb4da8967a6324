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

namespace {

void printStep(const FileCheckInfo& info, WatchServices& services, CycleObserver& observer, bool takeFiles,
               WatchCycleResult& result)
{
    result.watchedPath = WatchedPath(info.FileChkDir, services.files.separator());
    if (!takeFiles) {
        return;
    }
    result.leftovers = services.files.undoTakesCutShort(
        result.watchedPath + std::string(kBackupFolderName) + services.files.separator(), result.watchedPath);
    for (const std::string& path : result.leftovers) {
        observer.leftoverStuck(path);
    }
    if (auto resumed = ResumeCutShortLaunch(result.watchedPath, info, services, observer)) {
        result.files.push_back(std::move(*resumed));
    }
    const std::string cause(kWatchedQueryCause);
    try {
        const bool waiting = services.files.firstFile(MatchPattern(result.watchedPath, info.FileSelect)) &&
                             !services.sleeper.stopRequested();
        std::vector<FileResult> printed;
        if (waiting) {
            printed = PrintPdfFiles(result.watchedPath, info, services, observer);
        }
        observer.queryWorked(cause);
        result.files.insert(result.files.end(), printed.begin(), printed.end());
    } catch (const FolderQueryError& error) {
        observer.queryFailed(cause, error);
    }
}

void purgeStep(const FileCheckInfo& info, WatchServices& services, CycleObserver& observer,
               BackupPurge& purge, WatchCycleResult& result)
{
    if (result.watchedPath.empty()) {
        result.watchedPath = WatchedPath(info.FileChkDir, services.files.separator());
    }
    const std::string cause(kBackupQueryCause);
    try {
        // The files this tick archived are looked at whether or not the
        // folder's notification has told of them yet.
        std::vector<std::string> touched;
        for (const FileResult& file : result.files) {
            touched.push_back(file.name);
        }
        result.purged = purge.run(result.watchedPath, info, services, touched);
        observer.queryWorked(cause);
    } catch (const FolderQueryError& error) {
        observer.queryFailed(cause, error);
    }
    const std::string backupFolder = result.watchedPath + std::string(kBackupFolderName);
    for (const std::string& name : result.purged) {
        observer.purged(backupFolder, name);
    }
}

} // namespace

WatchCycleResult RunWatchCycle(const FileCheckInfo& info, WatchServices& services, CycleObserver& observer,
                               bool takeFiles)
{
    BackupPurge purge(false);
    return RunWatchCycle(info, services, observer, purge, takeFiles);
}

WatchCycleResult RunWatchCycle(const FileCheckInfo& info, WatchServices& services, CycleObserver& observer,
                               BackupPurge& purge, bool takeFiles)
{
    // Each step stands on its own: whatever one of them meets, the next
    // still runs and the program carries on.
    WatchCycleResult result;
    if (services.sleeper.stopRequested()) {
        return result;
    }
    try {
        printStep(info, services, observer, takeFiles, result);
    } catch (const std::exception&) {
    }
    if (services.sleeper.stopRequested()) {
        return result;
    }
    try {
        purgeStep(info, services, observer, purge, result);
    } catch (const std::exception&) {
    }
    return result;
}

} // namespace kumoden
