#pragma once

#include "model/notices.h"
#include "model/settings.h"
#include "platform/launcher.h"
#include "platform/sleeper.h"
#include "watch/watch_cycle.h"

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace kumoden {

// Follows the readers the watch started until each ends, and tells how it
// ended, naming the file and the printer. A reader that tells what became
// of its print job (kumoden-print, see print_outcome.h) has its file logged
// as printed only once the job completed; a file that did not reach paper
// is told from the icon once per printer and cause, and logged every time,
// until a file prints on that printer. Any other reader's end is only
// logged as the end of the program. A reader that failed is told once per
// reason until a reader ends well. A reader that tells by its exit code
// whether the file reached the print system (SumatraPDF) has its file
// logged as handed over, or as not printed, told once per printer until a
// file is handed over there. A reader that never ends (one that
// stays open) is followed until the launcher gives it up; that is told
// once, and again only after every reader followed has ended.
class ReaderEnds {
public:
    // Notes the reader started on a file of the watched path, if one was.
    void started(const std::string& watchedPath, const FileResult& file, const FileCheckInfo& info);
    // Notes the readers a tick started.
    void started(const WatchCycleResult& result, const FileCheckInfo& info);
    // Tells the ends the launcher saw; ends of tasks not noted are ignored.
    void report(const std::vector<TaskEnd>& ends, Notices& notices);
    std::size_t running() const { return m_running.size(); }
    // The archived files whose readers are followed.
    std::set<std::string> files() const;

private:
    struct Job {
        std::string file; // the archived file handed to the reader
        std::string printer;
        // The reader tells by its exit code whether the file reached the
        // print system (SumatraPDF).
        bool handsOver = false;
    };
    static void reportEnd(const Job& job, const TaskEnd& end, Notices& notices);
    static void reportHandOver(const Job& job, const TaskEnd& end, const std::string& about,
                               Notices& notices);
    std::map<std::uint64_t, Job> m_running;
};

// The program's sleeper, telling at each wait, before and after it, the
// reader ends seen so far: the waits of a pass are where the ends that came
// meanwhile are written, each with the moment it was seen.
class EndsAtWaits final : public Sleeper {
public:
    EndsAtWaits(Sleeper& sleeper, std::function<void()> tellEnds)
        : m_sleeper(sleeper), m_tellEnds(std::move(tellEnds))
    {
    }

    void sleep(std::chrono::milliseconds duration) override
    {
        m_tellEnds();
        m_sleeper.sleep(duration);
        m_tellEnds();
    }
    bool stopRequested() override { return m_sleeper.stopRequested(); }

private:
    Sleeper& m_sleeper;
    std::function<void()> m_tellEnds;
};

// Why a reader failed: the last line it wrote to its error output, else how
// it ended ("終了コード 3", "シグナル 9").
std::string ReaderFailureReason(const TaskEnd& end);

} // namespace kumoden
