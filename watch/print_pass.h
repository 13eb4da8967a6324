#pragma once

#include "model/settings.h"
#include "watch/archive.h"
#include "watch/watch_services.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kumoden {

// The fixed waits of the print pass.
inline constexpr std::chrono::milliseconds kSettleWait{3000}; // between two length readings
inline constexpr std::chrono::milliseconds kAfterStableWait{3000};
inline constexpr std::chrono::milliseconds kAfterLaunchWait{5000};

// What became of one file of a pass. Every file ends either in the watched
// folder or in the archive; only Printed went to the reader.
enum class FileOutcome {
    Printed,               // archived, and the reader started on it
    InUse,                 // another program still writes it; stays, tried next tick
    Vanished,              // gone before it could be archived (another copy took it)
    NotTheFileFound,       // the name was given to another file or a link; left alone
    NotArchived,           // the move failed (no archive folder, no right, a name it cannot take); stays
    NoRoom,                // the archive has no room for it; stays until there is more
    ArchiveBusy,           // another program works on the archive; stays, tried next tick
    WaitsForReader,        // the backup of its name is still being read; stays until that ends
    NoRecord,              // the archive's record could not be written; stays
    ArchiveStuck,          // an earlier move could not be finished; stays until it is
    LaunchHeld,            // archived, but its record could not go: launched at a later tick
    ReaderNotStarted,      // back in the watched folder (as returnedAs); waits for the reader to change
    ReaderNotStartedStuck, // and could not go back: it stays in the archive
    HeldBack,              // failed before for a cause that has not changed: not tried, not told again
};

struct FileResult {
    std::string name;
    FileOutcome outcome;
    std::string returnedAs; // ReaderNotStarted: its name in the watched folder
    // Whether the print system answered the printer lookup (files that got
    // as far as the lookup).
    PrinterListStatus printers = PrinterListStatus::listed;
    std::uint64_t task = 0;  // Printed: the reader's task, as the launcher gave it
    std::string reason = {}; // failures: the system's words
};

// Hears the events of a print pass as they happen.
class PassObserver {
public:
    PassObserver() = default;
    PassObserver(const PassObserver&) = delete;
    PassObserver& operator=(const PassObserver&) = delete;
    virtual ~PassObserver() = default;

    // The file is in the archive; its printer lookup and launch follow.
    virtual void archived(const std::string& name) = 0;
    // What became of a file, once for each, as soon as it is known: a file
    // printed is told before the wait after its launch.
    virtual void finished(const FileResult& file) = 0;
};

// What the watch remembers from tick to tick.
struct WatchMemory {
    ArchiveMemory archive;
    // A reader that exists but did not start, with its file as it was then:
    // files wait in the watched folder until either changes.
    std::optional<std::pair<std::string, std::optional<FileStamp>>> heldReader;
    // The settings the memory was made under: new ones forget it.
    std::optional<FileCheckInfo> settings;
};

// Whether the reader did not start before and neither it nor the settings
// changed since (new settings forget what was held back).
bool ReaderHeld(const FileCheckInfo& info, FileSystem& files, WatchMemory& memory);

// Prints every waiting PDF file of the watched folder: waits until the file
// has stopped growing, moves it into the backup folder and starts the
// reader on the moved file. A file that cannot be taken stays where it is
// and is met again on the next tick (a file that failed for want of room, or
// for its name, only once that may have changed); so does one whose reader
// could not be started, which goes back into the watched folder.
//
// A request to end the program (the sleeper's) ends the pass at its next
// wait or before the next file: a file whose waits were cut short stays in
// the watched folder, one whose reader started is done.
std::vector<FileResult> PrintPdfFiles(const std::string& watchedPath, const FileCheckInfo& info,
                                      WatchServices& services, PassObserver& observer, WatchMemory& memory);
std::vector<FileResult> PrintPdfFiles(const std::string& watchedPath, const FileCheckInfo& info,
                                      WatchServices& services, PassObserver& observer);

// Finishes in the archive what an ended program left half done, and
// launches a file it archived but did not launch. Nothing to tell when the
// archive was never made.
struct ArchiveRepair {
    std::optional<FileResult> launched;
    std::vector<std::string> returned;                      // names given back to the watched folder
    std::vector<std::pair<std::string, std::string>> stuck; // path, why
};
// mayLaunch false: a due launch waits (no reader to start).
ArchiveRepair RepairArchive(const std::string& watchedPath, const FileCheckInfo& info,
                            WatchServices& services, PassObserver& observer, WatchMemory& memory,
                            bool mayLaunch);

} // namespace kumoden
