#include "model/settings.h"

#include "model/number_text.h"
#include "platform/application.h"
#include "platform/file_system.h"
#include "platform/profile.h"

namespace kumoden {

std::string IniPath(const IniPlace& place, char separator)
{
    const std::string name = place.programName + ".INI";
    if (place.portableFileExists || place.programFolderWritable || place.userFolder.empty()) {
        return place.programFolder + separator + name;
    }
    const bool endsInSeparator = place.userFolder.back() == separator;
    return place.userFolder + (endsInSeparator ? "" : std::string(1, separator)) + name;
}

std::string IniPath(const Application& app, FileSystem& files, const std::string& named)
{
    if (!named.empty()) {
        return named;
    }
    IniPlace place{app.path(), app.exeName(), false, false, {}};
    const char separator = files.separator();
    place.portableFileExists = files.fileExists(IniPath(place, separator));
    // Asked only when it matters: the check may leave a trace in the folder.
    if (!place.portableFileExists) {
        place.programFolderWritable = app.folderWritable(place.programFolder);
        place.userFolder = place.programFolderWritable ? std::string() : app.userSettingsFolder();
    }
    return IniPath(place, separator);
}

std::string LogPath(const std::string& iniPath, char separator)
{
    // Windows takes "/" between folders as well.
    const auto folderEnd = iniPath.find_last_of(std::string{separator, '/'});
    const std::size_t nameStart = folderEnd == std::string::npos ? 0 : folderEnd + 1;
    const auto dot = iniPath.rfind('.');
    // A name that is all extension (".kumoden") has none; a log never
    // takes the INI's own place.
    if (dot == std::string::npos || dot <= nameStart) {
        return iniPath + ".log";
    }
    std::string extension = iniPath.substr(dot);
    for (char& c : extension) {
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    return extension == ".log" ? iniPath + ".log" : iniPath.substr(0, dot) + ".log";
}

std::string TrimNull(const std::string& text)
{
    return text.substr(0, text.find('\0'));
}

std::optional<std::int32_t> ReadInterval(std::string_view text)
{
    return TextToLong(text);
}

bool IntervalUsable(std::string_view text)
{
    const auto interval = ReadInterval(text);
    return interval && *interval >= 0;
}

bool SelectionLeavesFolder(std::string_view fileSelect)
{
    return fileSelect.find_first_of("/\\") != std::string_view::npos;
}

void LoadSettings(FileCheckInfo& info, Profile& profile, const std::string& iniPath)
{
    constexpr std::size_t bufferSize = 1024;
    const std::string section(kSettingsSection);
    auto read = [&](const char* key, std::string& field) {
        std::string value = profile.readString(section, key, iniPath, bufferSize);
        if (!value.empty()) {
            field = TrimNull(value);
        }
    };

    std::string interval;
    read("FileChkTime", interval);
    if (!interval.empty()) {
        if (const auto value = ReadInterval(interval)) {
            info.FileChkTime = *value;
        }
    }
    read("FileChkDir", info.FileChkDir);
    read("FileSelect", info.FileSelect);
    read("AcrExeDir", info.AcrExeDir);
    read("PrinterNm", info.PrinterNm);
    read("FileDelDate", info.FileDelDate);
}

} // namespace kumoden
