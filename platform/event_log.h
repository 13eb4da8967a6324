#pragma once

#include <string>

namespace kumoden {

// How much a line of the log matters to whoever reads it: a failure the
// user is told of, a note of something that waits, or work done.
enum class LogLevel { error, warning, info };

// The program's record of what it did and what failed, one line at a time.
class EventLog {
public:
    EventLog() = default;
    EventLog(const EventLog&) = delete;
    EventLog& operator=(const EventLog&) = delete;
    virtual ~EventLog() = default;

    // Adds one line (without its line end). A line that cannot be written is
    // lost: the log never stops the program.
    virtual void append(const std::string& line, LogLevel level) = 0;
};

} // namespace kumoden
