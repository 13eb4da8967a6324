#pragma once

#include "app/settings.h"
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
    NotArchived,           // the move failed (no archive folder, no room); stays
    ReaderNotStarted,      // back in the watched folder (as returnedAs), tried next tick
    ReaderNotStartedStuck, // and could not go back: it stays in the archive
};

struct FileResult {
    std::string name;
    FileOutcome outcome;
    std::string returnedAs; // ReaderNotStarted: its name in the watched folder
    // Whether the print system answered the printer lookup (files that got
    // as far as the lookup).
    PrinterListStatus printers = PrinterListStatus::listed;
    std::uint64_t task = 0; // Printed: the reader's task, as the launcher gave it
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

// Prints every waiting PDF file of the watched folder: waits until the file
// has stopped growing, moves it into the backup folder and starts the
// reader on the moved file. A file that cannot be taken stays where it is
// and is met again on the next tick; so does one whose reader could not be
// started, which goes back into the watched folder.
//
// A request to end the program (the sleeper's) ends the pass at its next
// wait or before the next file: a file whose waits were cut short stays in
// the watched folder, one whose reader started is done.
std::vector<FileResult> PrintPdfFiles(const std::string& watchedPath, const FileCheckInfo& info,
                                      WatchServices& services, PassObserver& observer);

// Between the move into the archive and the launch the program keeps a
// hidden record in the archive folder naming the file. One found at a tick
// is what a process that died there left: its file, when the archive still
// holds that very file, is launched now (once: the record goes before the
// launch); else the record is dropped. Nothing when there is no record.
std::optional<FileResult> ResumeCutShortLaunch(const std::string& watchedPath, const FileCheckInfo& info,
                                               WatchServices& services, PassObserver& observer);

// The record's name in the archive folder; hidden on every platform.
inline constexpr std::string_view kLaunchRecordName = ".kumoden-launch";

} // namespace kumoden
