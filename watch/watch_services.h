#pragma once

#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/launcher.h"
#include "platform/message_dialog.h"
#include "platform/printers.h"
#include "platform/sleeper.h"

#include <string_view>

namespace kumoden {

// What the watch reaches the outside world through.
struct WatchServices {
    FileSystem& files;
    Sleeper& sleeper;
    Clock& clock;
    Launcher& launcher;
    PrinterList& printers;
    MessageDialog& messages;
};

// Shown by the print pass and the purge when the file facility is missing.
inline constexpr std::string_view kFileSystemMissingText =
    "File Systemオブジェクトが必要です。Windows Scriptを導入して下さい。";
inline constexpr std::string_view kErrorTitle = "エラーメッセージ";

// The name of the archive folder below the watched path.
inline constexpr std::string_view kBackupFolderName = "BackPdf";

// Tells the user the file facility is missing; false when it is, and the
// caller then stops.
bool CreateFileSystemObject(WatchServices& services);

} // namespace kumoden
