#pragma once

#include "app/settings.h"
#include "watch/print_pass.h"
#include "watch/watch_services.h"

#include <string>
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
};

// One tick of the watch: print the waiting PDF files, if any, then purge
// old backups. Never throws; a failing step is abandoned and the next runs.
WatchCycleResult RunWatchCycle(const FileCheckInfo& info, WatchServices& services);

} // namespace kumoden
