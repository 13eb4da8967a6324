#pragma once

#include "platform/application.h"

namespace kumoden {

// The running executable as /proc/self/exe names it.
class PosixApplication final : public Application {
public:
    // Reads the executable's path; the explicit form is for tests.
    PosixApplication();
    explicit PosixApplication(const std::string& executable);
    ~PosixApplication() override;

    std::string path() const override { return m_path; }
    std::string exeName() const override { return m_exeName; }
    // An flock on a file named after the executable's path, in
    // $XDG_RUNTIME_DIR (else beside the executable), held until the
    // process ends however it ends.
    bool prevInstance() override;

    // The lock file for an executable path: a runtime folder of the user's,
    // else the executable's own folder.
    static std::string lockPath(const std::string& executable, const std::string& runtimeDir);

private:
    std::string m_executable;
    int m_lock = -1;
    std::string m_path;
    std::string m_exeName;
};

} // namespace kumoden
