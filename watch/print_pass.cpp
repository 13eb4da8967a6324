#include "watch/print_pass.h"

#include "printing/printer_lookup.h"
#include "watch/print_command.h"
#include "watch/watch_cycle.h"

#include <cstdint>
#include <utility>

namespace kumoden {
namespace {

// Waits until two length readings 3000 ms apart agree. A reading that
// fails ends the wait as if the file were stable; remembered keeps the
// last length read. False when a request to end cut the waits short.
bool waitUntilStable(const std::string& file, std::int64_t& remembered, WatchServices& services)
{
    Sleeper& sleeper = services.sleeper;
    if (const auto length = services.files.fileLength(file)) {
        remembered = *length;
    }
    sleeper.sleep(kSettleWait);
    for (;;) {
        if (sleeper.stopRequested()) {
            return false;
        }
        const auto length = services.files.fileLength(file);
        if (!length || *length == remembered) {
            break;
        }
        // Every two readings compared lie a whole wait apart: a writer that
        // appends now and then is not caught between two of its writes.
        remembered = *length;
        sleeper.sleep(kSettleWait);
    }
    sleeper.sleep(kAfterStableWait);
    return !sleeper.stopRequested();
}

FileOutcome takeOutcome(TakeOutcome::Kind kind)
{
    switch (kind) {
    case TakeOutcome::inUse:
        return FileOutcome::InUse;
    case TakeOutcome::vanished:
        return FileOutcome::Vanished;
    case TakeOutcome::otherFile:
        return FileOutcome::NotTheFileFound;
    case TakeOutcome::waitsForReader:
        return FileOutcome::WaitsForReader;
    case TakeOutcome::noRoom:
        return FileOutcome::NoRoom;
    case TakeOutcome::noRecord:
        return FileOutcome::NoRecord;
    case TakeOutcome::stuck:
        return FileOutcome::ArchiveStuck;
    case TakeOutcome::taken:
    case TakeOutcome::failed:
        break;
    }
    return FileOutcome::NotArchived;
}

// What one pass keeps from file to file.
struct Pass {
    const std::string& watchedPath;
    const FileCheckInfo& info;
    WatchServices& services;
    PassObserver& observer;
    WatchMemory& memory;
    Archive archive;
    // Driver and port: a file whose printer is not found goes out with the
    // last ones found in this pass.
    PrinterPort port;
    std::int64_t remembered = 0;

    Pass(const std::string& watched, const FileCheckInfo& settings, WatchServices& services_,
         PassObserver& observer_, WatchMemory& memory_)
        : watchedPath(watched), info(settings), services(services_), observer(observer_), memory(memory_),
          archive(watched, services_.files, memory_.archive)
    {
    }

    FileResult finish(FileResult result)
    {
        observer.finished(result);
        return result;
    }

    // Looks the printer up and starts the reader on a file of the archive,
    // whose record goes just before; gives the file back to the watched
    // folder when the reader does not start. Nothing when a request to end
    // cut the lookup short: the record keeps the launch for the next start.
    // Under the archive's lock.
    std::optional<FileResult> launch(const std::string& name)
    {
        FileSystem& files = services.files;
        const std::string backupFile = archive.folder() + name;
        // A print system that does not answer lists no printer: driver and
        // port stay as they were, as for a printer that is not installed.
        const PrinterListing listing = services.printers.installedPrinters();
        if (services.sleeper.stopRequested()) {
            return std::nullopt;
        }
        LookUpPrinter(listing.printers, info.PrinterNm, port);
        if (const FileStep removed = archive.launchDue(); !removed) {
            return finish({name, FileOutcome::LaunchHeld, {}, listing.status, 0, removed.reason});
        }
        const PrintJob job{info.AcrExeDir, backupFile, info.PrinterNm, port.driverName, port.portName};
        if (const std::uint64_t task = services.launcher.launch(PrintLaunchRequest(job)); task != 0) {
            memory.archive.beingRead.insert(backupFile);
            return finish({name, FileOutcome::Printed, {}, listing.status, task});
        }
        // A reader that does not start is held like a missing one: files
        // wait for it in the watched folder, this one with them.
        memory.heldReader.emplace(info.AcrExeDir, files.fileStamp(info.AcrExeDir));
        std::string why;
        const std::string returnedAs = archive.giveBack(name, why);
        return finish(
            {name, returnedAs.empty() ? FileOutcome::ReaderNotStartedStuck : FileOutcome::ReaderNotStarted,
             returnedAs, listing.status, 0, why});
    }

    // Takes one file found by the query into the archive and prints it;
    // nothing when a request to end cut its waits short.
    std::optional<FileResult> print(const std::string& name)
    {
        FileSystem& files = services.files;
        const std::string incoming = watchedPath + name;
        if (archive.heldBack(name)) {
            return FileResult{name, FileOutcome::HeldBack, {}};
        }
        // Not waited on while the backup of its name is still being read.
        if (archive.beingRead(name)) {
            return finish({name, FileOutcome::WaitsForReader, {}});
        }
        // The file the query found; what is archived and printed must be
        // this one, not what the name stands for after the waits.
        const auto found = files.fileIdentity(incoming);
        if (!waitUntilStable(incoming, remembered, services)) {
            return std::nullopt;
        }
        if (!found) {
            return finish({name, FileOutcome::Vanished, {}});
        }
        if (const FileStep locked = archive.lock(true); !locked) {
            return finish(
                {name,
                 locked.kind == FileStep::inUse ? FileOutcome::ArchiveBusy : FileOutcome::NotArchived,
                 {},
                 PrinterListStatus::listed,
                 0,
                 locked.reason});
        }
        const TakeOutcome taken = archive.take(name, *found, remembered);
        if (taken.kind != TakeOutcome::taken) {
            archive.unlock();
            // Printing the backup path now would print an older file of the
            // same name, or nothing; the file is tried again later.
            return finish({name, takeOutcome(taken.kind), {}, PrinterListStatus::listed, 0, taken.reason});
        }
        observer.archived(name);
        std::optional<FileResult> result = launch(name);
        archive.unlock();
        if (result && result->outcome == FileOutcome::Printed) {
            services.sleeper.sleep(kAfterLaunchWait);
        }
        return result;
    }
};

} // namespace

bool ReaderHeld(const FileCheckInfo& info, FileSystem& files, WatchMemory& memory)
{
    if (!memory.heldReader) {
        return false;
    }
    if (memory.heldReader->first == info.AcrExeDir &&
        memory.heldReader->second == files.fileStamp(info.AcrExeDir)) {
        return true;
    }
    memory.heldReader.reset();
    return false;
}

ArchiveRepair RepairArchive(const std::string& watchedPath, const FileCheckInfo& info,
                            WatchServices& services, PassObserver& observer, WatchMemory& memory,
                            bool mayLaunch)
{
    ArchiveRepair repair;
    Pass pass(watchedPath, info, services, observer, memory);
    // Missing: no archive yet; in use: its holder finishes its own work.
    if (!pass.archive.lock(false)) {
        return repair;
    }
    Recovery recovery = pass.archive.recover();
    repair.returned = std::move(recovery.returned);
    repair.stuck = std::move(recovery.stuck);
    // A file archived and never launched waits, as others do, while the
    // reader is held.
    if (recovery.due && mayLaunch && !ReaderHeld(info, services.files, memory)) {
        repair.launched = pass.launch(*recovery.due);
    }
    pass.archive.unlock();
    if (repair.launched && repair.launched->outcome == FileOutcome::Printed) {
        services.sleeper.sleep(kAfterLaunchWait);
    }
    return repair;
}

std::vector<FileResult> PrintPdfFiles(const std::string& watchedPath, const FileCheckInfo& info,
                                      WatchServices& services, PassObserver& observer, WatchMemory& memory)
{
    std::vector<FileResult> results;
    if (!CreateFileSystemObject(services)) {
        return results;
    }
    Pass pass(watchedPath, info, services, observer, memory);
    for (const std::string& name : services.files.listFiles(MatchPattern(watchedPath, info.FileSelect))) {
        if (services.sleeper.stopRequested() || ReaderHeld(info, services.files, memory)) {
            break;
        }
        auto result = pass.print(name);
        if (!result) {
            break;
        }
        results.push_back(std::move(*result));
    }
    return results;
}

std::vector<FileResult> PrintPdfFiles(const std::string& watchedPath, const FileCheckInfo& info,
                                      WatchServices& services, PassObserver& observer)
{
    WatchMemory memory;
    return PrintPdfFiles(watchedPath, info, services, observer, memory);
}

} // namespace kumoden
