#include "watch/print_pass.h"

#include "printing/printer_lookup.h"
#include "watch/print_command.h"
#include "watch/watch_cycle.h"

#include <cstdint>

namespace kumoden {
namespace {

// Waits until two length readings 3000 ms apart agree. A reading that
// fails ends the wait as if the file were stable; remembered keeps the
// last length read.
void waitUntilStable(const std::string& file, std::int64_t& remembered, WatchServices& services)
{
    if (const auto length = services.files.fileLength(file)) {
        remembered = *length;
    }
    services.sleeper.sleep(kSettleWait);
    for (;;) {
        const auto length = services.files.fileLength(file);
        if (!length || *length == remembered) {
            break;
        }
        services.sleeper.sleep(kSettleWait);
        if (const auto again = services.files.fileLength(file)) {
            remembered = *again;
        }
    }
    services.sleeper.sleep(kAfterStableWait);
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

// Puts an archived file whose reader did not start back into the watched
// folder, never over a file there: a newcomer of the same name keeps its
// name and this one takes the first free "name (n).pdf". Empty when every
// try failed and the file is still in the archive.
std::string putBack(const std::string& backupFile, const std::string& watchedPath, const std::string& name,
                    FileSystem& files)
{
    if (files.moveFile(backupFile, watchedPath + name)) {
        return name;
    }
    for (int number = 2; number <= 9; ++number) {
        const std::string other = ReturnName(name, number);
        if (files.moveFile(backupFile, watchedPath + other)) {
            return other;
        }
    }
    return {};
}

} // namespace

std::string ReturnName(const std::string& name, int number)
{
    // The query matched "*.pdf": the last four characters are the extension.
    const std::size_t stem = name.size() >= 4 ? name.size() - 4 : name.size();
    return name.substr(0, stem) + " (" + std::to_string(number) + ")" + name.substr(stem);
}

std::vector<FileResult> PrintPdfFiles(const std::string& watchedPath, const FileCheckInfo& info,
                                      WatchServices& services)
{
    std::vector<FileResult> results;
    if (!CreateFileSystemObject(services)) {
        return results;
    }
    FileSystem& files = services.files;
    const std::string backupFolder = watchedPath + std::string(kBackupFolderName);
    const std::string backupPrefix = backupFolder + files.separator();

    // Driver and port outlive a file: a file whose printer is not found
    // goes out with the last ones found in this pass.
    PrinterPort port;
    std::int64_t remembered = 0;
    for (const std::string& name : files.listFiles(MatchPattern(watchedPath, info.FileSelect))) {
        const std::string incoming = watchedPath + name;
        const std::string backupFile = backupPrefix + name;

        // The file the query found; what is archived and printed must be
        // this one, not what the name stands for after the waits.
        const auto found = files.fileIdentity(incoming);
        waitUntilStable(incoming, remembered, services);
        if (!found) {
            results.push_back({name, FileOutcome::Vanished, {}});
            continue;
        }
        if (!files.folderExists(backupFolder)) {
            files.createFolder(backupFolder);
        }
        // An older backup of the same name goes only when this move succeeds.
        const TakeResult taken = files.takeFile(incoming, backupFile, *found);
        if (taken != TakeResult::Taken) {
            // Printing the backup path now would print an older file of the
            // same name, or nothing; the file is tried again next tick.
            results.push_back({name, archiveOutcome(taken), {}});
            continue;
        }

        // A print system that does not answer lists no printer: driver and
        // port stay as they were, as for a printer that is not installed.
        const PrinterListing listing = services.printers.installedPrinters();
        LookUpPrinter(listing.printers, info.PrinterNm, port);
        const PrintJob job{info.AcrExeDir, backupFile, info.PrinterNm, port.driverName, port.portName};
        if (const std::uint64_t task = services.launcher.launch(PrintLaunchRequest(job)); task != 0) {
            services.sleeper.sleep(kAfterLaunchWait);
            results.push_back({name, FileOutcome::Printed, {}, listing.status, task});
            continue;
        }
        // Unprinted in the archive, a file would never be tried again and
        // would later be purged: it goes back to wait for a reader.
        const std::string returnedAs = putBack(backupFile, watchedPath, name, files);
        results.push_back(
            {name, returnedAs.empty() ? FileOutcome::ReaderNotStartedStuck : FileOutcome::ReaderNotStarted,
             returnedAs, listing.status});
    }
    return results;
}

} // namespace kumoden
