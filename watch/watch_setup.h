#pragma once

#include "model/settings.h"
#include "platform/file_system.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kumoden {

// A reason the watch cannot do its work with the settings it has.
struct WatchSetupProblem {
    std::string_view cause; // one of kWatchSetupCauses
    std::string text;       // what the user reads
};

inline constexpr std::string_view kIntervalCause = "setup:interval";
inline constexpr std::string_view kFolderCause = "setup:folder";
inline constexpr std::string_view kReaderCause = "setup:reader";
inline constexpr std::string_view kSelectionCause = "setup:selection";
inline constexpr std::array<std::string_view, 4> kWatchSetupCauses{kIntervalCause, kFolderCause, kReaderCause,
                                                                   kSelectionCause};

// Something at the settings file's path that cannot be read as the
// settings (a file without the right to read it, a folder): every setting
// then reads as missing. No file at all is no problem: the defaults apply.
inline constexpr std::string_view kSettingsFileCause = "setup:ini";
std::optional<WatchSetupProblem> SettingsFileProblem(const std::string& iniPath, FileSystem& files);

// What keeps the watch from working: no ticks (an interval that is not a
// positive number), no watched folder, no reader program, a file-name start
// that reaches out of the folder. A reader named
// without a folder is left to the launch, which finds it or says so.
std::vector<WatchSetupProblem> WatchSetupProblems(const FileCheckInfo& info, FileSystem& files);

} // namespace kumoden
