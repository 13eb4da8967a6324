#pragma once

#include "platform/event_log.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace kumoden {

// The log as a text file (UTF-8, one line each, "\n" ends). When a line
// would take the file past its cap, the file becomes the one old copy
// ("<file>.1", replacing the copy before) and a new file starts. A missing
// folder is made for the first line.
class FileEventLog final : public EventLog {
public:
    static constexpr std::uintmax_t kDefaultCap = 1024 * 1024;

    // path: UTF-8, as the system's code spells paths.
    explicit FileEventLog(const std::string& path, std::uintmax_t cap = kDefaultCap);

    void append(const std::string& line) override;

private:
    std::filesystem::path m_path;
    std::filesystem::path m_old;
    std::uintmax_t m_cap;
};

} // namespace kumoden
