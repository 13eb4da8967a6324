#pragma once

#include "app/settings.h"
#include "watch/backup_purge.h"
#include "watch/print_pass.h"
#include "watch/watch_services.h"

#include <string>
#include <string_view>
#include <vector>

namespace kumoden {

// The watched folder with exactly one separator at its end (an empty
// folder gives the root).
std::string WatchedPath(const std::string& fileChkDir, char separator);

// The pattern of the files to print: watched path, FileSelect as it
// stands, "*.pdf". The empty pattern, which matches nothing, when FileSelect
// holds a folder separator.
std::string MatchPattern(const std::string& watchedPath, const std::string& fileSelect);

// Where a file of the watched path is archived: "<watched>BackPdf<sep><name>".
std::string ArchivedPath(const std::string& watchedPath, const std::string& name);

// What one tick did.
struct WatchCycleResult {
    std::string watchedPath;
    std::vector<FileResult> files;   // of the print pass, when one ran
    std::vector<std::string> purged; // backups deleted
    // Takes cut short by an earlier process that could not be undone (paths).
    std::vector<std::string> leftovers{};
};

// Hears a tick's events as they happen.
class CycleObserver : public PassObserver {
public:
    // A backup deleted by the purge.
    virtual void purged(const std::string& backupFolder, const std::string& name) = 0;
    // A folder query of the tick failed (the watched folder's, or the
    // archive's); cause tells the two apart.
    virtual void queryFailed(const std::string& cause, const FolderQueryError& error) = 0;
    // The same query worked.
    virtual void queryWorked(const std::string& cause) = 0;
    // A take an earlier process cut short that could not be undone (its path).
    virtual void leftoverStuck(const std::string& path) = 0;
};

// The causes of the two queries of a tick.
inline constexpr std::string_view kWatchedQueryCause = "query:watched";
inline constexpr std::string_view kBackupQueryCause = "query:backup";

// One tick of the watch: undo the takes an earlier process cut short (the
// file system does that once per archive folder), finish a launch a dead
// process left, print the
// waiting PDF files, if any (unless takeFiles is false: then they wait),
// then purge old backups. Never throws; a failing step is abandoned and
// the next runs. A request to end the program ends the tick at the next
// safe point of the pass, and skips the purge.
WatchCycleResult RunWatchCycle(const FileCheckInfo& info, WatchServices& services, CycleObserver& observer,
                               bool takeFiles = true);
// The same, with a purge that remembers the archive from tick to tick.
WatchCycleResult RunWatchCycle(const FileCheckInfo& info, WatchServices& services, CycleObserver& observer,
                               BackupPurge& purge, bool takeFiles = true);

} // namespace kumoden
