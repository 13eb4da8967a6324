#pragma once

#include "platform/application.h"

namespace kumoden {

// The running executable as /proc/self/exe names it.
class PosixApplication final : public Application {
public:
    // Reads the executable's path; the explicit form is for tests.
    PosixApplication();
    explicit PosixApplication(const std::string& executable);

    std::string path() const override { return m_path; }
    std::string exeName() const override { return m_exeName; }

private:
    std::string m_path;
    std::string m_exeName;
};

} // namespace kumoden
