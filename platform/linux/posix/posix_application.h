#pragma once

#include "platform/application.h"
#include "platform/common/program_path.h"

namespace kumoden {

// The running executable as /proc/self/exe names it.
class PosixApplication final : public Application {
public:
    // Reads the executable's path; the explicit form is for tests.
    PosixApplication();
    explicit PosixApplication(const std::string& executable);
    ~PosixApplication() override;

    std::string path() const override { return m_place.folder; }
    std::string exeName() const override { return m_place.name; }
    // An flock on a file named after the INI's path in a folder of the
    // user's own (the runtime folder, else ~/.cache/kumoden), else beside
    // the INI; held until the process ends however it ends. The program's
    // folder may be read-only: it is only the last resort.
    bool prevInstance(const std::string& iniPath) override;
    // $XDG_CONFIG_HOME/kumoden, else ~/.config/kumoden.
    std::string userSettingsFolder() const override;
    // Write and search permission for the effective user on a file system
    // mounted for writing.
    bool folderWritable(const std::string& folder) const override;

    // The lock file for an INI path in the given folder of the user's; an
    // empty folder means beside the INI.
    static std::string lockPath(const std::string& iniPath, const std::string& folder);
    // The user's own folder for the lock; empty when there is none.
    static std::string lockFolder();

private:
    int m_lock = -1;
    ProgramPlace m_place;
};

} // namespace kumoden
