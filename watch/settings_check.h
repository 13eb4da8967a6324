#pragma once

#include "platform/file_system.h"
#include "platform/printers.h"
#include "platform/profile.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kumoden {

// What is checked, in the order the lines are told.
enum class CheckItem {
    settingsFile,
    interval,
    watchedFolder,
    archiveFolder,
    freeSpace,
    fileSelect,
    reader,
    printer,
    retention,
};

// What a check found. The first of each item's findings is the good one.
enum class Finding {
    // settings file (subject: its path)
    iniReadable,
    iniMissing,
    iniIsFolder,
    iniUnreadable,
    // interval (number: milliseconds; subject: the text as written)
    intervalUsable,
    intervalZero,
    intervalUnusable,
    // watched folder (subject: its path)
    folderListable,
    folderMissing,
    folderIsFile,
    folderUnreadable, // detail: the system's words
    // archive folder (subject: its path)
    archiveWritable,
    archiveToBeMade,
    archiveNotWritable,
    archiveIsFile,
    archiveCannotBeMade, // the watched folder takes no new entries, or is not there
    // free space (subject: where; number: bytes)
    roomEnough,
    roomTooLittle,
    roomUnknown,
    // file-name start (subject: the pattern; number: PDFs waiting, -1: unknown)
    selectionFine,
    selectionLeavesFolder,
    // reader (subject: its path; detail: the command line's form)
    readerRunnable,
    readerNotSet,
    readerWithoutFolder,
    readerMissing,
    readerNotAFile,
    readerCannotRun,
    // printer (subject: its name; detail: the print system's message)
    printerReady,
    printerNoDefault,
    printerUnknown,
    printerRejecting,
    printerStopped,
    printerSystemUnreachable,
    printerSystemSilent,
    // retention (number: days)
    retentionForEver,
    retentionDays,
    retentionUnreadable,
};

// One line of the check.
struct CheckLine {
    CheckItem item;
    Finding finding;
    std::string subject;
    std::int64_t number = 0;
    std::string detail = {};
    bool ok() const;
};

// Below this much room where the archive goes, a file may not fit.
inline constexpr std::int64_t kLeastFreeSpace = 1024 * 1024;

// The reader's command line forms, for detail.
inline constexpr std::string_view kSumatraForm = "SumatraPDF";
inline constexpr std::string_view kDefaultForm = "default";

// What the check reads and asks; it writes, makes, locks and prints nothing.
struct CheckServices {
    FileSystem& files;
    PrinterList& printers;
    Profile& profile;
};

// Checks the settings in the INI at iniPath the way a tick would use them:
// one line per item, in CheckItem's order.
std::vector<CheckLine> CheckSettings(const std::string& iniPath, CheckServices services);

// 0 when every line is good, else 1.
int CheckExitCode(const std::vector<CheckLine>& lines);

} // namespace kumoden
