#pragma once

#include "app/notices.h"
#include "app/settings.h"
#include "watch/watch_cycle.h"

namespace kumoden {

// Tells what a tick did: a log line for every file archived, printed, left
// or purged, and a notice for each failure the user would want to know of
// (once until it clears: a file printed clears the reader's and the archive
// folder's failures, an answered printer lookup clears the print system's).
void ReportWatchCycle(const WatchCycleResult& result, const FileCheckInfo& info, Notices& notices);

} // namespace kumoden
