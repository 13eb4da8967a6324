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

// Steps a program that ended half way left in the archive: a move into
// it is finished or undone, a launch that was due is started. Mended on
// every tick, while the reader is there or not.
void mendArchive(const FileCheckInfo& info, WatchServices& services, CycleObserver& observer, bool takeFiles,
                 WatchMemory& memory, WatchCycleResult& result)
{
    ArchiveRepair repair = RepairArchive(result.watchedPath, info, services, observer, memory, takeFiles);
    for (const std::string& name : repair.returned) {
        observer.leftoverReturned(name);
    }
    observer.leftovers(repair.stuck);
    result.leftovers = std::move(repair.stuck);
    if (repair.launched) {
        result.files.push_back(std::move(*repair.launched));
    }
}

// The new files of the watched folder: taken, archived and printed.
void printNewFiles(const FileCheckInfo& info, WatchServices& services, CycleObserver& observer,
                   WatchMemory& memory, WatchCycleResult& result)
{
    const std::string cause(kWatchedQueryCause);
    try {
        const bool waiting = services.files.firstFile(MatchPattern(result.watchedPath, info.FileSelect)) &&
                             !services.sleeper.stopRequested();
        std::vector<FileResult> printed;
        if (waiting) {
            printed = PrintPdfFiles(result.watchedPath, info, services, observer, memory);
        }
        observer.queryWorked(cause);
        result.files.insert(result.files.end(), printed.begin(), printed.end());
    } catch (const FolderQueryError& error) {
        observer.queryFailed(cause, error);
    }
}

// The archive is mended first: a file left half moved is whole in one
// place again, and a launch left due is started, before any new file is
// taken.
void repairThenPrint(const FileCheckInfo& info, WatchServices& services, CycleObserver& observer,
                     bool takeFiles, WatchMemory& memory, WatchCycleResult& result)
{
    result.watchedPath = WatchedPath(info.FileChkDir, services.files.separator());
    mendArchive(info, services, observer, takeFiles, memory, result);
    if (!takeFiles || ReaderHeld(info, services.files, memory)) {
        return;
    }
    printNewFiles(info, services, observer, memory, result);
}

void purgeStep(const FileCheckInfo& info, WatchServices& services, CycleObserver& observer,
               BackupPurge& purge, WatchMemory& memory, WatchCycleResult& result)
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
        // Backups still being read stay.
        const Archive archive(result.watchedPath, services.files, memory.archive);
        result.purged = purge.run(result.watchedPath, info, services, touched, &archive);
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
    WatchMemory memory;
    return RunWatchCycle(info, services, observer, purge, memory, takeFiles);
}

WatchCycleResult RunWatchCycle(const FileCheckInfo& info, WatchServices& services, CycleObserver& observer,
                               BackupPurge& purge, WatchMemory& memory, bool takeFiles)
{
    // What was held back for a cause the settings may have mended is tried again.
    if (memory.settings != info) {
        memory.heldReader.reset();
        memory.archive.heldBack.clear();
        memory.settings = info;
    }
    // Each step stands on its own: whatever one of them meets, the next
    // still runs and the program carries on.
    WatchCycleResult result;
    if (services.sleeper.stopRequested()) {
        return result;
    }
    try {
        repairThenPrint(info, services, observer, takeFiles, memory, result);
    } catch (const std::exception&) {
    }
    if (services.sleeper.stopRequested()) {
        return result;
    }
    try {
        purgeStep(info, services, observer, purge, memory, result);
    } catch (const std::exception&) {
    }
    observer.tickEnded();
    return result;
}

} // namespace kumoden
