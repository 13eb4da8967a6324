#include "watch/print_pass.h"

#include "platform/take_leftovers.h"
#include "printing/printer_lookup.h"
#include "watch/print_command.h"
#include "watch/watch_cycle.h"

#include <cstdint>
#include <sstream>
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
        sleeper.sleep(kSettleWait);
        if (const auto again = services.files.fileLength(file)) {
            remembered = *again;
        }
    }
    sleeper.sleep(kAfterStableWait);
    return !sleeper.stopRequested();
}

std::string recordText(const std::string& name, const FileIdentity& identity)
{
    return std::to_string(identity.volume) + " " + std::to_string(identity.index) + " " +
           std::to_string(identity.born) + "\n" + name;
}

// The name and identity a record holds; nothing for a record that is not one.
std::optional<std::pair<std::string, FileIdentity>> parseRecord(const std::string& text)
{
    const std::size_t line = text.find('\n');
    if (line == std::string::npos || line + 1 >= text.size()) {
        return std::nullopt;
    }
    FileIdentity identity;
    std::istringstream numbers(text.substr(0, line));
    if (!(numbers >> identity.volume >> identity.index >> identity.born)) {
        return std::nullopt;
    }
    return std::make_pair(text.substr(line + 1), identity);
}

FileOutcome archiveOutcome(TakeResult result)
{
    switch (result) {
    case TakeResult::InUse:
        return FileOutcome::InUse;
    case TakeResult::Vanished:
        return FileOutcome::Vanished;
    case TakeResult::NotTheFileFound:
        return FileOutcome::NotTheFileFound;
    default:
        return FileOutcome::NotArchived;
    }
}

} // namespace

namespace {

// Where one pass keeps what outlives a file.
struct PassPlace {
    const std::string& watchedPath;
    std::string backupPrefix; // the archive folder and the separator
    std::string record;       // the launch record in it
    // Driver and port: a file whose printer is not found goes out with the
    // last ones found in this pass.
    PrinterPort port;
};

PassPlace passPlace(const std::string& watchedPath, FileSystem& files)
{
    PassPlace place{watchedPath, watchedPath + std::string(kBackupFolderName) + files.separator(), {}, {}};
    place.record = place.backupPrefix + std::string(kLaunchRecordName);
    return place;
}

// Looks the printer up and starts the reader on a file of the archive;
// puts the file back into the watched folder when the reader does not start.
FileResult launchArchived(const std::string& name, const FileCheckInfo& info, PassPlace& place,
                          WatchServices& services, PassObserver& observer)
{
    FileSystem& files = services.files;
    const std::string backupFile = place.backupPrefix + name;
    // A print system that does not answer lists no printer: driver and
    // port stay as they were, as for a printer that is not installed.
    const PrinterListing listing = services.printers.installedPrinters();
    LookUpPrinter(listing.printers, info.PrinterNm, place.port);
    const PrintJob job{info.AcrExeDir, backupFile, info.PrinterNm, place.port.driverName,
                       place.port.portName};
    // The record goes just before the launch, so that a launch that
    // happened is never made again after a restart. A process that dies in
    // the moment between the two leaves the file archived and unprinted:
    // that window is accepted.
    files.deleteFile(place.record, true);
    if (const std::uint64_t task = services.launcher.launch(PrintLaunchRequest(job)); task != 0) {
        const FileResult printed{name, FileOutcome::Printed, {}, listing.status, task};
        observer.finished(printed);
        services.sleeper.sleep(kAfterLaunchWait);
        return printed;
    }
    // Unprinted in the archive, a file would never be tried again and
    // would later be purged: it goes back to wait for a reader, never over
    // a newcomer of the same name. Its own name and "(2)" to "(9)" are
    // tried (kLastFreeNameNumber); at the tenth name taken it stays in the
    // archive, and the user is told.
    const std::string returnedAs = PutUnderFreeName(
        name, [&](const std::string& free) { return files.moveFile(backupFile, place.watchedPath + free); });
    const FileResult result{
        name, returnedAs.empty() ? FileOutcome::ReaderNotStartedStuck : FileOutcome::ReaderNotStarted,
        returnedAs, listing.status};
    observer.finished(result);
    return result;
}

// Takes one file found by the query into the archive and prints it;
// nothing when a request to end cut its waits short.
std::optional<FileResult> printFile(const std::string& name, const FileCheckInfo& info, PassPlace& place,
                                    std::int64_t& remembered, WatchServices& services, PassObserver& observer)
{
    FileSystem& files = services.files;
    const std::string incoming = place.watchedPath + name;
    const std::string backupFolder = place.backupPrefix.substr(0, place.backupPrefix.size() - 1);
    const auto fail = [&](FileOutcome outcome) {
        const FileResult result{name, outcome, {}};
        observer.finished(result);
        return result;
    };
    // The file the query found; what is archived and printed must be this
    // one, not what the name stands for after the waits.
    const auto found = files.fileIdentity(incoming);
    if (!waitUntilStable(incoming, remembered, services)) {
        return std::nullopt;
    }
    if (!found) {
        return fail(FileOutcome::Vanished);
    }
    if (!files.folderExists(backupFolder)) {
        files.createFolder(backupFolder);
    }
    // Should the process die before the launch, the record names the file.
    files.writeHiddenFile(place.record, recordText(name, *found));
    // An older backup of the same name goes only when this move succeeds.
    // Taken to another file system, the archive's file is a copy with an
    // identity of its own: the record names that one before its name shows.
    const TakeResult taken =
        files.takeFile(incoming, place.backupPrefix + name, *found, [&](const FileIdentity& archived) {
            if (archived != *found) {
                files.writeHiddenFile(place.record, recordText(name, archived));
            }
        });
    if (taken != TakeResult::Taken) {
        files.deleteFile(place.record, true);
        // Printing the backup path now would print an older file of the
        // same name, or nothing; the file is tried again next tick.
        return fail(archiveOutcome(taken));
    }
    observer.archived(name);
    return launchArchived(name, info, place, services, observer);
}

} // namespace

std::optional<FileResult> ResumeCutShortLaunch(const std::string& watchedPath, const FileCheckInfo& info,
                                               WatchServices& services, PassObserver& observer)
{
    FileSystem& files = services.files;
    PassPlace place = passPlace(watchedPath, files);
    const auto text = files.readSmallFile(place.record);
    if (!text) {
        return std::nullopt;
    }
    const auto record = parseRecord(*text);
    // Only the very file the record names: an older backup of the same name
    // was printed in its time.
    if (!record || files.fileIdentity(place.backupPrefix + record->first) != record->second) {
        files.deleteFile(place.record, true);
        return std::nullopt;
    }
    // A record that cannot go would have the file launched at every tick.
    if (!files.deleteFile(place.record, true)) {
        return std::nullopt;
    }
    return launchArchived(record->first, info, place, services, observer);
}

std::vector<FileResult> PrintPdfFiles(const std::string& watchedPath, const FileCheckInfo& info,
                                      WatchServices& services, PassObserver& observer)
{
    std::vector<FileResult> results;
    if (!CreateFileSystemObject(services)) {
        return results;
    }
    PassPlace place = passPlace(watchedPath, services.files);
    std::int64_t remembered = 0;
    for (const std::string& name : services.files.listFiles(MatchPattern(watchedPath, info.FileSelect))) {
        if (services.sleeper.stopRequested()) {
            break;
        }
        auto result = printFile(name, info, place, remembered, services, observer);
        if (!result) {
            break;
        }
        results.push_back(std::move(*result));
    }
    return results;
}

} // namespace kumoden
