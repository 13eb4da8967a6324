#pragma once

#include "model/notices.h"
#include "model/settings.h"
#include "watch/reader_ends.h"
#include "watch/watch_cycle.h"

#include <set>
#include <string>
#include <utility>
#include <vector>

namespace kumoden {

// Tells what a tick does as it does it: a log line for every file archived,
// printed, left or purged, each written when it happens, and a notice for
// each failure the user would want to know of (once until it clears: a file
// printed clears the reader's and the archive's failures, an answered
// printer lookup clears the print system's, a folder query that works
// clears its failure). Each file a failure touches is named in the log,
// once until that failure clears. Each reader started is noted in readers,
// when given, to be followed from then on.
class CycleReport final : public CycleObserver {
public:
    CycleReport(std::string watchedPath, const FileCheckInfo& info, Notices& notices,
                ReaderEnds* readers = nullptr)
        : m_watchedPath(std::move(watchedPath)), m_info(info), m_notices(notices), m_readers(readers)
    {
    }

    void archived(const std::string& name) override;
    void finished(const FileResult& file) override;
    void purged(const std::string& backupFolder, const std::string& name) override;
    void queryFailed(const std::string& cause, const FolderQueryError& error) override;
    void queryWorked(const std::string& cause) override;
    void leftovers(const std::vector<std::pair<std::string, std::string>>& stuck) override;
    void leftoverReturned(const std::string& name) override;
    // A name swapped for another file that this tick did not meet again is
    // told afresh when it is.
    void tickEnded() override;

private:
    void reportPrinters(PrinterListStatus status);
    // What became of a file taken or left for later; false when it was
    // none of those, but a failure.
    bool reportProgress(const FileResult& file);
    // The failure that held a file back.
    void reportTrouble(const FileResult& file);
    std::string backupFolder() const;
    // The reader's failures.
    std::string readerCause() const;
    // The archive's failures; a file printed clears them all.
    std::string archiveCause() const;

    std::string m_watchedPath;
    const FileCheckInfo& m_info;
    Notices& m_notices;
    ReaderEnds* m_readers;
    std::set<std::string> m_swapped; // causes met again this tick
};

} // namespace kumoden
