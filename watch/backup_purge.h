#pragma once

#include "app/settings.h"
#include "platform/clock.h"
#include "watch/watch_services.h"

#include <optional>
#include <string>
#include <vector>

namespace kumoden {

// The retention in whole days, or nothing when FileDelDate is not a whole
// number of days in -32768..32767 (halves go to the even neighbour).
std::optional<int> RetentionDays(const std::string& fileDelDate);

// The moment a backup created at created falls due: the same time of day,
// days calendar days later.
LocalTime BackupDeadline(LocalTime created, int days);

// Deletes the backups whose deadline lies strictly before now. An empty
// FileDelDate keeps everything; so does one that cannot be read as days.
// Read-only files, hidden files and sub-folders stay. The names deleted.
std::vector<std::string> DeleteOldBackups(std::string watchedPath, const FileCheckInfo& info,
                                          WatchServices& services);

} // namespace kumoden
