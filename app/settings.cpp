#include "app/settings.h"

#include "app/number_text.h"
#include "platform/application.h"
#include "platform/profile.h"

namespace kumoden {

std::string IniPath(const Application& app, char separator)
{
    return app.path() + separator + app.exeName() + ".INI";
}

std::string LogPath(const Application& app, char separator)
{
    return app.path() + separator + app.exeName() + ".log";
}

std::string TrimNull(const std::string& text)
{
    return text.substr(0, text.find('\0'));
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
        if (const auto value = TextToLong(interval)) {
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
