#pragma once

#include <string>

namespace kumoden {

// The running program as the platform sees it.
class Application {
public:
    Application() = default;
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;
    virtual ~Application() = default;

    // The folder that holds the running executable, without a trailing
    // separator (except where the folder is the root itself).
    virtual std::string path() const = 0;
    // The executable's file name without its extension.
    virtual std::string exeName() const = 0;
    // Whether another instance of this program runs already on the same
    // settings file. The first call makes this process the running instance
    // for as long as it lives.
    virtual bool prevInstance(const std::string& iniPath) = 0;

    // The user's own folder for this program's settings (it need not exist
    // yet); empty when the user has none.
    virtual std::string userSettingsFolder() const = 0;
    // Whether this process may make files in the folder.
    virtual bool folderWritable(const std::string& folder) const = 0;
};

} // namespace kumoden
