#pragma once

#include "platform/application.h"

namespace kumoden {

// The running executable as GetModuleFileNameW names it.
class Win32Application final : public Application {
public:
    // Reads the executable's path; the explicit form (UTF-8) is for tests.
    Win32Application();
    explicit Win32Application(const std::string& executable);
    ~Win32Application() override;

    // The folder without a trailing "\", except a drive's root ("C:\").
    std::string path() const override { return m_path; }
    std::string exeName() const override { return m_exeName; }
    // A named mutex per executable path in the session, held until the
    // process ends however it ends.
    bool prevInstance() override;

private:
    std::string m_executable;
    void* m_mutex = nullptr;
    std::string m_path;
    std::string m_exeName;
};

} // namespace kumoden
