#pragma once

#include "platform/event_log.h"

#include <string>

namespace kumoden {

// Whether the descriptor is the journal's stream that systemd gave the
// service: JOURNAL_STREAM (its value given here) names the stream's device
// and inode as "<dev>:<ino>", and a stream handed on to anything else no
// longer matches.
bool IsJournalStream(const char* journalStream, int fd);

// The text as the journal's stream reads it with its priority: each line
// prefixed with "<3>" (error), "<4>" (warning) or "<6>" (info), as
// `systemd-cat --level-prefix` reads them.
std::string JournalLines(const std::string& text, LogLevel level);

// The log that also writes every line, with its level, to the journal's
// stream; the file log gets the lines as before.
class JournalEventLog final : public EventLog {
public:
    JournalEventLog(EventLog& file, int stream) : m_file(file), m_stream(stream) {}

    void append(const std::string& line, LogLevel level) override;

private:
    EventLog& m_file;
    int m_stream;
};

} // namespace kumoden
