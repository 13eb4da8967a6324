#include "tests/support/programs.h"

#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

namespace kumoden::test {

std::filesystem::path builtProgram(const std::string& name)
{
    const char* build = std::getenv("KUMODEN_BUILD_DIR");
    if (build == nullptr || *build == '\0') {
        throw std::runtime_error("KUMODEN_BUILD_DIR is not set (run the tests through ctest)");
    }
    return std::filesystem::path(build) / name;
}

std::filesystem::path installedProgram(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "/usr/bin:/bin");
    for (std::string folder; std::getline(folders, folder, ':');) {
        const std::filesystem::path candidate = std::filesystem::path(folder) / name;
        if (access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    throw std::runtime_error(name + " is not installed (scripts/deps.sh installs what the tests need)");
}

} // namespace kumoden::test
