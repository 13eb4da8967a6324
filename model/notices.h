#pragma once

#include "model/service_status.h"
#include "platform/clock.h"
#include "platform/event_log.h"
#include "platform/tray_icon.h"

#include <optional>
#include <set>
#include <string>

namespace kumoden {

// What the user hears of the program's work. A failure is told once, from
// the icon and in the log, and not again until its cause has cleared; work
// done only goes into the log. Every log line starts with the local time
// and bears its level: failures are errors, notes warnings, the rest work
// done. The service status, where given, hears of the files handed to the
// reader and of every failure.
class Notices {
public:
    // title: what the icon's notices are headed with.
    Notices(TrayIcon& icon, EventLog& log, const Clock& clock, std::string title,
            ServiceStatus* status = nullptr);
    Notices(const Notices&) = delete;
    Notices& operator=(const Notices&) = delete;

    // One line in the log: what was done, naming what it was done to. The
    // line bears the moment given (when the event happened), else now.
    void record(const std::string& what, std::optional<LocalTime> at = std::nullopt);
    // The line of a file handed to the reader.
    void recordHandedToReader(const std::string& what);
    // A failure; cause names what failed and what it is about (the same
    // failure of another file is another cause). False when it was told
    // already and nothing was done.
    bool fail(const std::string& cause, const std::string& text, std::optional<LocalTime> at = std::nullopt);
    // A failure logged each time it happens; the notice once per cause.
    void failEveryTime(const std::string& cause, const std::string& text, std::optional<LocalTime> at);
    // A line in the log once until the cause clears; no notice. False when
    // it was written already.
    bool note(const std::string& cause, const std::string& text);
    // A failure that touches a file: the notice once per cause, the log line
    // once per file, until the cause clears.
    void failFor(const std::string& cause, const std::string& file, const std::string& text);
    // The cause is gone: the next failure of it is told again.
    void clear(const std::string& cause);
    // The cause is gone, and with it what was logged of its files.
    void clearWithFiles(const std::string& cause);
    // Every cause whose name starts so is gone.
    void clearStartingWith(const std::string& prefix);
    // Every cause whose name starts so is gone, but those kept.
    void keepOnly(const std::string& prefix, const std::set<std::string>& kept);

private:
    void write(const std::string& text, std::optional<LocalTime> at, LogLevel level);
    void tellFailure(const std::string& text, std::optional<LocalTime> at);

    TrayIcon& m_icon;
    EventLog& m_log;
    const Clock& m_clock;
    std::string m_title;
    ServiceStatus* m_status;
    std::set<std::string> m_failing;
};

// "2026-12-07 14:31:05": how the log writes a moment.
std::string LogTimestamp(LocalTime time);

} // namespace kumoden
