#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kumoden {

class Application;
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
};

inline constexpr std::string_view kSettingsSection = "FileCheck_Info";

// Where the settings live: the executable's folder, the separator, the
// executable's base name and ".INI", joined as they come.
std::string IniPath(const Application& app, char separator);
// The program's log, beside the settings: the same path with ".log".
std::string LogPath(const Application& app, char separator);

// The part of text before its first NUL character.
std::string TrimNull(const std::string& text);

// Reads every key of the section into the record. A key that is missing or
// empty leaves its field as it was; so does an interval that is not a
// whole 32-bit number, and the keys after it are still read.
void LoadSettings(FileCheckInfo& info, Profile& profile, const std::string& iniPath);

} // namespace kumoden
