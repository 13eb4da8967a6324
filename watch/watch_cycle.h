#pragma once

#include "model/settings.h"
#include "watch/backup_purge.h"
#include "watch/print_pass.h"
#include "watch/watch_services.h"

#include <string>
#include <string_view>
#include <utility>
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
    // What an ended program left half done in the archive that could not
    // be finished or undone (path, why).
    std::vector<std::pair<std::string, std::string>> leftovers{};
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
    // What an ended program left half done in the archive and could not be
    // finished or undone (a path, and why), at every tick: all of it.
    virtual void leftovers(const std::vector<std::pair<std::string, std::string>>& stuck) = 0;
    // A file an ended program was taking, back in the watched folder under name.
    virtual void leftoverReturned(const std::string& name) = 0;
    // The tick is over: what it did not meet again is no longer a cause.
    virtual void tickEnded() {}
};

// The causes of the two queries of a tick.
inline constexpr std::string_view kWatchedQueryCause = "query:watched";
inline constexpr std::string_view kBackupQueryCause = "query:backup";

// One tick of the watch: finish in the archive what an ended program left
// half done (a launch too), print the waiting PDF files, if any (unless
// takeFiles is false: then they wait), then purge old backups. Never
// throws; a failing step is abandoned and the next runs. A request to end
// the program ends the tick at the next safe point of the pass, and skips
// the purge.
WatchCycleResult RunWatchCycle(const FileCheckInfo& info, WatchServices& services, CycleObserver& observer,
                               bool takeFiles = true);
// The same, with a purge and a memory that last from tick to tick.
WatchCycleResult RunWatchCycle(const FileCheckInfo& info, WatchServices& services, CycleObserver& observer,
                               BackupPurge& purge, WatchMemory& memory, bool takeFiles = true);

} // namespace kumoden
