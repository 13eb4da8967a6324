#pragma once

#include "platform/application.h"
#include "platform/clock.h"
#include "platform/event_log.h"
#include "platform/launcher.h"
#include "platform/message_dialog.h"
#include "platform/printers.h"
#include "platform/service_manager.h"
#include "platform/timer.h"

#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace kumoden::fake {

// Records each launch; succeeds with growing task identifiers unless told
// to fail.
class FakeLauncher final : public Launcher {
public:
    std::uint64_t launch(const LaunchRequest& request) override
    {
        m_requests.push_back(request);
        if (m_onLaunch) {
            m_onLaunch(request);
        }
        return m_fail ? 0 : m_requests.size();
    }
    std::vector<TaskEnd> takeEnded() override { return std::exchange(m_ended, {}); }
    void setEndHandler(std::function<void()> handler) override { m_endHandler = std::move(handler); }

    // The program started as task ends as given; the end handler hears it.
    void end(TaskEnd end)
    {
        m_ended.push_back(std::move(end));
        if (m_endHandler) {
            m_endHandler();
        }
    }

    void setFail(bool fail) { m_fail = fail; }
    void onLaunch(std::function<void(const LaunchRequest&)> action) { m_onLaunch = std::move(action); }
    const std::vector<LaunchRequest>& requests() const { return m_requests; }

private:
    bool m_fail = false;
    std::vector<LaunchRequest> m_requests;
    std::vector<TaskEnd> m_ended;
    std::function<void(const LaunchRequest&)> m_onLaunch;
    std::function<void()> m_endHandler;
};

class FakePrinterList final : public PrinterList {
public:
    explicit FakePrinterList(std::vector<PrinterEntry> printers = {}) : m_printers(std::move(printers)) {}

    PrinterListing installedPrinters() override
    {
        ++m_calls;
        if (m_onList) {
            m_onList();
        }
        if (m_status != PrinterListStatus::listed) {
            return {{}, m_status};
        }
        return {m_printers, m_status};
    }
    // Known: a printer listed, accepting and not stopped unless set so; the
    // empty name is the default destination (none unless set).
    PrinterState printerState(const std::string& name) override
    {
        PrinterState state;
        state.status = m_status;
        state.name = name.empty() ? defaultPrinter : name;
        if (m_status != PrinterListStatus::listed) {
            return state;
        }
        for (const PrinterEntry& printer : m_printers) {
            if (!state.name.empty() && printer.deviceName == state.name) {
                state.known = true;
                state.accepting = !rejecting.contains(state.name);
                state.stopped = stopped.contains(state.name);
                state.message = state.stopped ? "stopped by the test" : "";
            }
        }
        return state;
    }
    void set(std::vector<PrinterEntry> printers) { m_printers = std::move(printers); }
    // Any status but listed gives no printers, as the real lists do.
    void setStatus(PrinterListStatus status) { m_status = status; }
    int calls() const { return m_calls; }
    // Called at each lookup (a test may throw from it: the process dies there).
    void onList(std::function<void()> action) { m_onList = std::move(action); }

    std::string defaultPrinter;
    std::set<std::string> rejecting;
    std::set<std::string> stopped;

private:
    std::function<void()> m_onList;
    std::vector<PrinterEntry> m_printers;
    PrinterListStatus m_status = PrinterListStatus::listed;
    int m_calls = 0;
};

struct ShownMessage {
    std::string text;
    std::string title;
    MessageButtons buttons;
};

// Keeps the log's lines and the level of each.
class FakeEventLog final : public EventLog {
public:
    void append(const std::string& line, LogLevel level) override
    {
        lines.push_back(line);
        levels.push_back(level);
    }

    std::vector<std::string> lines;
    std::vector<LogLevel> levels;
};

// Keeps what the service manager heard, and when (on the clock given) the
// program said it was alive.
class FakeServiceManager final : public ServiceManager {
public:
    explicit FakeServiceManager(const Clock& clock) : m_clock(clock) {}

    void ready(const std::string& status) override { messages.push_back("READY=1 STATUS=" + status); }
    void status(const std::string& text) override { messages.push_back("STATUS=" + text); }
    void alive() override { alives.push_back(m_clock.now()); }
    void stopping() override { messages.push_back("STOPPING=1"); }

    std::vector<std::string> messages;
    std::vector<LocalTime> alives;

private:
    const Clock& m_clock;
};

class FakeMessageDialog final : public MessageDialog {
public:
    void show(const std::string& text, const std::string& title, MessageButtons buttons) override
    {
        m_shown.push_back({text, title, buttons});
    }
    const std::vector<ShownMessage>& shown() const { return m_shown; }

private:
    std::vector<ShownMessage> m_shown;
};

// A timer that ticks only when the test says so.
class FakeTimer final : public Timer {
public:
    void setHandler(std::function<void()> handler) override { m_handler = std::move(handler); }
    void setInterval(std::int32_t milliseconds) override
    {
        m_interval = milliseconds;
        if (journal != nullptr) {
            journal->push_back(milliseconds > 0 ? "timer " + std::to_string(milliseconds) : "timer stop");
        }
    }
    std::int32_t interval() const override { return m_interval; }

    // Ticks as the real timer would: only with a positive interval.
    bool tick()
    {
        if (m_interval <= 0 || !m_handler) {
            return false;
        }
        m_handler();
        return true;
    }

    // Where set, what the timer was asked, beside the desktop's calls.
    std::vector<std::string>* journal = nullptr;

private:
    std::function<void()> m_handler;
    std::int32_t m_interval = 0;
};

class FakeApplication final : public Application {
public:
    FakeApplication(std::string path, std::string exeName)
        : m_path(std::move(path)), m_exeName(std::move(exeName))
    {
    }

    std::string path() const override { return m_path; }
    std::string exeName() const override { return m_exeName; }
    bool prevInstance(const std::string& iniPath) override
    {
        lockedOn = iniPath;
        return m_prevInstance;
    }
    void setPrevInstance(bool running) { m_prevInstance = running; }
    std::string userSettingsFolder() const override { return userFolder; }
    bool folderWritable(const std::string& folder) const override
    {
        askedWritable.push_back(folder);
        return writable;
    }

    std::string lockedOn;
    std::string userFolder;
    bool writable = true;
    mutable std::vector<std::string> askedWritable;

private:
    std::string m_path;
    std::string m_exeName;
    bool m_prevInstance = false;
};

} // namespace kumoden::fake
