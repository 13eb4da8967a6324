#pragma once

#include <string_view>

// The names of the files the archive keeps for its own work, shared by the
// files that make up the archive.
namespace kumoden::archive_files {

// The archive's work folder, hidden inside it, and what it holds. Only the
// holder of the lock writes there, so each name stands for one thing.
inline constexpr std::string_view kWorkFolder = ".kumoden";
inline constexpr std::string_view kLockName = "lock";
// A file on its way in (its name).
inline constexpr std::string_view kTakeRecord = "take";
// A whole file going to its place; its launch is due.
inline constexpr std::string_view kReadyRecord = "ready";
// A file on its way back to the watched folder.
inline constexpr std::string_view kBackRecord = "back";
inline constexpr std::string_view kFile = "file"; // the file, whole
inline constexpr std::string_view kPart = "part"; // a copy being written
inline constexpr std::string_view kOld = "old";   // the older backup it replaces
// Beside the watched files, hidden, where the archive lies on another file
// system: the file taken aside while it is copied, and a copy coming back.
inline constexpr std::string_view kTakenAside = ".kumoden-take";
inline constexpr std::string_view kReturning = ".kumoden-return";

} // namespace kumoden::archive_files
