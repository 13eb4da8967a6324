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

// Moves the file into the backup folder, replacing an older backup of the
// same name. False when the file is still where it was.
bool archive(const std::string& incoming, const std::string& backupFolder, const std::string& backupFile,
             FileSystem& files)
{
    if (!files.folderExists(backupFolder)) {
        files.createFolder(backupFolder);
    }
    if (files.fileExists(backupFile)) {
        files.deleteFile(backupFile, true);
    }
    return files.moveFile(incoming, backupFile);
}

} // namespace

void PrintPdfFiles(const std::string& watchedPath, const FileCheckInfo& info, WatchServices& services)
{
    if (!CreateFileSystemObject(services)) {
        return;
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

        waitUntilStable(incoming, remembered, services);
        if (!archive(incoming, backupFolder, backupFile, files)) {
            // Printing the backup path now would print an older file of the
            // same name, or nothing; the file is tried again next tick.
            continue;
        }

        // A print system that does not answer lists no printer: driver and
        // port stay as they were, as for a printer that is not installed.
        LookUpPrinter(services.printers.installedPrinters().printers, info.PrinterNm, port);
        const PrintJob job{info.AcrExeDir, backupFile, info.PrinterNm, port.driverName, port.portName};
        if (services.launcher.launch(PrintLaunchRequest(job)) != 0) {
            services.sleeper.sleep(kAfterLaunchWait);
        }
    }
}

} // namespace kumoden
