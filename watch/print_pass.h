#pragma once

#include "app/settings.h"
#include "watch/watch_services.h"

#include <chrono>
#include <string>

namespace kumoden {

// The fixed waits of the print pass.
inline constexpr std::chrono::milliseconds kSettleWait{3000}; // between two length readings
inline constexpr std::chrono::milliseconds kAfterStableWait{3000};
inline constexpr std::chrono::milliseconds kAfterLaunchWait{5000};

// Prints every waiting PDF file of the watched folder: waits until the file
// has stopped growing, moves it into the backup folder and starts the
// reader on the moved file. A file that cannot be moved stays where it is
// and is met again on the next tick.
void PrintPdfFiles(const std::string& watchedPath, const FileCheckInfo& info, WatchServices& services);

} // namespace kumoden
