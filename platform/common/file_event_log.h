#pragma once

#include "platform/event_log.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace kumoden {

// The log as a text file (UTF-8, one line each, "\n" ends). When a line
// would take the file past its cap, the file becomes the one old copy
// ("<file>.1", replacing the copy before) and a new file starts. A missing
// folder is made for the first line.
//
// A line that cannot be written (the folder is read-only or gone, the disk
// is full) is told once on stderr and to broken, with a text naming the
// file; after a line has been written again, the next failure is told anew.
class FileEventLog final : public EventLog {
public:
    static constexpr std::uintmax_t kDefaultCap = 1024 * 1024;

    using BrokenHandler = std::function<void(const std::string& text)>;

    // path: UTF-8, as the system's code spells paths.
    explicit FileEventLog(const std::string& path, std::uintmax_t cap = kDefaultCap,
                          BrokenHandler broken = {});

    // The level is not written: the file holds the lines as they are.
    void append(const std::string& line, LogLevel level) override;

private:
    std::filesystem::path m_path;
    std::filesystem::path m_old;
    std::uintmax_t m_cap;
    std::string m_name; // the path as the user reads it
    BrokenHandler m_broken;
    bool m_failing = false;

    bool write(const std::string& line);
};

} // namespace kumoden
