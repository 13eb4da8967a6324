#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kumoden {

class Application;
class FileSystem;
class Profile;

// The program-wide settings, one field per key of the INI section
// "FileCheck_Info". Only LoadSettings writes it; everything else reads it
// at the moment of use.
struct FileCheckInfo {
    std::int32_t FileChkTime = 0; // watch timer interval in milliseconds
    std::string FileChkDir;       // the watched folder
    std::string FileSelect;       // start of the names of the files to print
    std::string AcrExeDir;        // the reader program that prints them
    std::string PrinterNm;        // printer the files go to
    std::string FileDelDate;      // days a backup is kept, as text; empty: kept for ever
    bool operator==(const FileCheckInfo&) const = default;
};

inline constexpr std::string_view kSettingsSection = "FileCheck_Info";

// What decides where the settings live.
struct IniPlace {
    std::string programFolder; // the executable's folder, as Application::path gives it
    std::string programName;   // the executable's base name
    bool portableFileExists = false;
    bool programFolderWritable = false;
    std::string userFolder; // the user's own settings folder; empty when there is none
};

// Where the settings live. Beside the program (its folder, the separator,
// its base name and ".INI", joined as they come) when that file exists or
// the folder takes new files: a copy carried anywhere keeps its INI with
// it. Otherwise (an installed program) the same name in the user's own
// settings folder, which the first write makes.
std::string IniPath(const IniPlace& place, char separator);
// The rule above on the platform's facts; a path named on the command line
// wins over it.
std::string IniPath(const Application& app, FileSystem& files, const std::string& named = {});
// The program's log, beside the settings: the INI's name with ".log" in
// place of its extension.
std::string LogPath(const std::string& iniPath, char separator);

// The part of text before its first NUL character.
std::string TrimNull(const std::string& text);

// FileChkTime's text as the record takes it: blanks around it ignored, a
// fraction rounded (halves to the even neighbour); nothing when it is no
// whole 32-bit number.
std::optional<std::int32_t> ReadInterval(std::string_view text);
// Whether the watch timer can run on it: 0 (no ticks) to 2,147,483,647 ms.
bool IntervalUsable(std::string_view text);

// A FileSelect with a folder separator ("/" or "\") would name files
// outside the watched folder: it selects nothing.
bool SelectionLeavesFolder(std::string_view fileSelect);

// Reads every key of the section into the record. A key that is missing or
// empty leaves its field as it was; so does an interval that is not a
// whole 32-bit number, and the keys after it are still read.
void LoadSettings(FileCheckInfo& info, Profile& profile, const std::string& iniPath);

} // namespace kumoden
