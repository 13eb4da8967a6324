#pragma once

#include "platform/application.h"
#include "platform/common/program_path.h"

namespace kumoden {

// The running executable as GetModuleFileNameW names it.
class Win32Application final : public Application {
public:
    // Reads the executable's path; the explicit form (UTF-8) is for tests.
    Win32Application();
    explicit Win32Application(const std::string& executable);
    ~Win32Application() override;

    // The folder without a trailing "\", except a drive's root ("C:\").
    std::string path() const override { return m_place.folder; }
    std::string exeName() const override { return m_place.name; }
    // A named mutex per INI path in the session (letter case ignored, as
    // the file system ignores it), held until the process ends however it
    // ends.
    bool prevInstance(const std::string& iniPath) override;
    // The roaming application data folder's "Kumoden".
    std::string userSettingsFolder() const override;
    // Whether a file can be made there: asked of the system by making one,
    // as permissions alone do not tell.
    bool folderWritable(const std::string& folder) const override;

private:
    void* m_mutex = nullptr;
    ProgramPlace m_place;
};

} // namespace kumoden
